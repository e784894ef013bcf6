// The workbook link window driven as a coach uses it: the name typed, a
// spreadsheet file imported, links added in the grid with their sheet name
// and evaluation, and the window ended with "&Fertig", "Abbruch" or Escape.
#include "base/Settings.h"
#include "controls/DBControls.h"
#include "controls/TDBTypeGrid.h"
#include "evaluation/TWorkbookDataLink.h"
#include "evaluation/WorkbookDesign.h"
#include "store/CursorModel.h"
#include "support/ClubFixture.h"
#include "support/Controls.h"
#include "support/MessageRecorder.h"
#include "support/TempInstallation.h"
#include "support/WhenShown.h"

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

using namespace velmora;
using velmora::test::ClubFixture;
using velmora::test::MessageRecorder;
using velmora::test::whenShown;

namespace {
constexpr int kNewWorkbook = ClubFixture::kBase + 2;
// A workbook is binary: a zero byte inside must survive.
constexpr char kRaw[] = "PK\x03\x04 eine Tabelle\0mit Nullbyte";
const QByteArray kBytes(kRaw, sizeof kRaw - 1);

QStringList rows(Database &db, const QString &sql) {
    QStringList out;
    Statement st(db, sql);
    while (st.step()) {
        QStringList cells;
        for (int i = 0; i < st.columnCount(); ++i)
            cells << st.value(i).toString();
        out << cells.join(QLatin1Char('|'));
    }
    return out;
}

QStringList workbookRows(Database &db) {
    return rows(db, QStringLiteral("SELECT AnalyseNr, AnalyseName, TrainerNr, SportartNr, hex(BLOB), Files, "
                                   "Timestamp FROM ANALYSE ORDER BY AnalyseNr")) +
           rows(db, QStringLiteral("SELECT AnalyseNr, AuswertungNr, Sheet FROM ANAuseAW ORDER BY rowid"));
}
} // namespace

class TestTWorkbookDataLink : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void newWorkbookFinished();
    void cancelWritesNothing_data();
    void cancelWritesNothing();
    void escapeAsksBeforeDroppingChanges();
    void fertigNeedsNameAndFile();
    void linkWithoutEvaluationIsRefused();
    void readOnlyWorkbook();

private:
    Database &db() { return m_inst->db(); }
    std::unique_ptr<TWorkbookDataLink> openWindow(int nr, bool readOnly = false);
    QString writeFile(const QString &name, const QByteArray &bytes);
    // "&import" with the file chosen in the open dialog by typing its path.
    void import(TWorkbookDataLink &w, const QString &path);
    // A key as the coach presses it, into the widget that has the focus.
    void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QWidget *target = QApplication::focusWidget();
        QVERIFY(target);
        QTest::keyClick(target, Qt::Key(key), modifiers);
    }
    // Gives a control the focus as a click does; a file dialog that just
    // closed may have left the window inactive.
    void focus(QWidget *w) {
        if (!w->window()->isActiveWindow()) {
            w->window()->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(w->window()));
        }
        w->setFocus(Qt::OtherFocusReason);
        QTRY_VERIFY(w->hasFocus());
    }
    // Adds a link through the grid: Down on the last row, the sheet name
    // typed, the evaluation chosen from the look-up list.
    void addLink(TWorkbookDataLink &w, const QString &sheet, const QString &evaluation);

    std::unique_ptr<test::TempInstallation> m_inst;
    std::unique_ptr<ClubFixture> m_club;
    std::unique_ptr<MessageRecorder> m_messages;
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestTWorkbookDataLink::init() {
    m_inst = std::make_unique<test::TempInstallation>(1);
    settings() = Settings();
    settings().SerienNr = ClubFixture::kSerial;
    m_club = std::make_unique<ClubFixture>(db());
    m_messages = std::make_unique<MessageRecorder>();
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestTWorkbookDataLink::cleanup() {
    m_messages.reset();
    m_club.reset();
    m_inst.reset();
    m_dir.reset();
}

std::unique_ptr<TWorkbookDataLink> TestTWorkbookDataLink::openWindow(int nr, bool readOnly) {
    auto w = std::make_unique<TWorkbookDataLink>(db(), nr, ClubFixture::kCoach, readOnly);
    if (!w->prepare())
        return {};
    w->show();
    w->activateWindow();
    if (!QTest::qWaitForWindowActive(w.get()))
        return {};
    return w;
}

QString TestTWorkbookDataLink::writeFile(const QString &name, const QByteArray &bytes) {
    QFile f(m_dir->filePath(name));
    if (!f.open(QIODevice::WriteOnly))
        return {};
    f.write(bytes);
    return f.fileName();
}

void TestTWorkbookDataLink::import(TWorkbookDataLink &w, const QString &path) {
    bool shown = false;
    QString offered;
    whenShown<QFileDialog>([&](QFileDialog &dialog) {
        shown = true;
        offered = dialog.findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->text();
        auto *name = dialog.findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        name->setFocus();
        name->setText(path);
        QTest::keyClick(name, Qt::Key_Return);
    });
    QTest::mouseClick(w.btnImport, Qt::LeftButton);
    QVERIFY(shown);
    QCOMPARE(offered, QStringLiteral("Workbook.xls"));
}

void TestTWorkbookDataLink::addLink(TWorkbookDataLink &w, const QString &sheet, const QString &evaluation) {
    TDBTypeGrid *grid = w.dbgDataLink;
    focus(grid);
    const int before = grid->model()->rowCount();
    if (before > 0)
        grid->setCurrentIndex(grid->model()->index(before - 1, 0));
    press(Qt::Key_Down);
    QCOMPARE(grid->model()->rowCount(), before + 1);
    const int row = before;
    QCOMPARE(grid->currentIndex().row(), row);
    if (!sheet.isEmpty()) {
        focus(grid);
        grid->setCurrentIndex(grid->model()->index(row, 0));
        press(Qt::Key_F2);
        auto *edit = qobject_cast<QLineEdit *>(QApplication::focusWidget());
        QVERIFY(edit);
        QTest::keyClicks(edit, sheet);
        press(Qt::Key_Return);
        // The delegate hands the text on once the key has been handled.
        QTRY_COMPARE(grid->model()->index(row, 0).data().toString(), sheet.left(20));
        QVERIFY(grid->hasFocus());
    }
    if (!evaluation.isEmpty()) {
        focus(grid);
        grid->setCurrentIndex(grid->model()->index(row, 1));
        press(Qt::Key_F2);
        auto *box = qobject_cast<QComboBox *>(QApplication::focusWidget());
        QVERIFY(box);
        const int item = box->findText(evaluation);
        QVERIFY(item >= 0);
        box->setCurrentIndex(item);
        press(Qt::Key_Return);
        QTRY_COMPARE(grid->model()->index(row, 1).data().toString(), evaluation);
        QVERIFY(grid->hasFocus());
    }
}

// A new workbook: its number drawn from the installation's block, the coach
// as its author, the file's bytes and path, the links with their sheet names.
void TestTWorkbookDataLink::newWorkbookFinished() {
    auto w = openWindow(0);
    QVERIFY(w);
    QCOMPARE(w->windowTitle(), QStringLiteral("Eingebundene Auswertung"));
    QCOMPARE(w->workbookNr(), kNewWorkbook);
    QVERIFY(w->btnImport->isEnabled());
    QVERIFY(!w->btnFertig->isEnabled());
    test::type(*w, "dbfName", QStringLiteral("Kraftblock"));
    QVERIFY(!w->btnFertig->isEnabled()); // no file yet
    const QString file = writeFile(QStringLiteral("Vorlage.xls"), kBytes);
    import(*w, file);
    QCOMPARE(w->dbfFile->text(), file);
    QVERIFY(w->btnFertig->isEnabled());
    addLink(*w, QStringLiteral("Umfang"), QStringLiteral("Umfang pro Woche"));
    addLink(*w, QStringLiteral("Zweite"), QStringLiteral("Umfang pro Woche"));
    // Ctrl+Delete takes the current link out again.
    focus(w->dbgDataLink);
    w->dbgDataLink->setCurrentIndex(w->dbgDataLink->model()->index(1, 0));
    press(Qt::Key_Delete, Qt::ControlModifier);
    QCOMPARE(w->dbgDataLink->model()->rowCount(), 1);
    QTest::mouseClick(w->btnFertig, Qt::LeftButton);
    QVERIFY2(w->isHidden() && w->result() == QDialog::Accepted, qPrintable(m_messages->texts().join('|')));
    w.reset();

    const QStringList stored = rows(db(), QStringLiteral("SELECT AnalyseName, TrainerNr, SportartNr, hex(BLOB), Files, "
                                                         "Timestamp IS NOT NULL FROM ANALYSE WHERE AnalyseNr = %1")
                                              .arg(kNewWorkbook));
    QCOMPARE(stored, QStringList{QStringLiteral("Kraftblock|%1|0|%2|%3|1")
                                     .arg(ClubFixture::kCoach)
                                     .arg(QString::fromLatin1(kBytes.toHex().toUpper()), file)});
    QCOMPARE(rows(db(), QStringLiteral("SELECT AnalyseNr, AuswertungNr, Sheet FROM ANAuseAW")),
             QStringList{QStringLiteral("%1|%2|Umfang").arg(kNewWorkbook).arg(ClubFixture::kEvaluation)});
    QVERIFY(!db().inTransaction());
    QVERIFY2(m_messages->entries().isEmpty(), qPrintable(m_messages->texts().join('|')));
}

void TestTWorkbookDataLink::cancelWritesNothing_data() {
    QTest::addColumn<int>("workbook");
    QTest::newRow("new workbook") << 0;
    QTest::newRow("existing workbook") << int(ClubFixture::kWorkbook);
}

// "Abbruch" takes back the name, the imported file and the links, whatever
// was posted on the way.
void TestTWorkbookDataLink::cancelWritesNothing() {
    QFETCH(int, workbook);
    const QStringList before = workbookRows(db());
    auto w = openWindow(workbook);
    QVERIFY(w);
    test::type(*w, "dbfName", QStringLiteral("Anders"));
    import(*w, writeFile(QStringLiteral("neu.ods"), kBytes));
    addLink(*w, QStringLiteral("Blatt"), QStringLiteral("Umfang pro Woche"));
    QVERIFY(workbookRows(db()) != before); // posted inside the window's session
    QTest::mouseClick(w->btnAbbruch, Qt::LeftButton);
    QVERIFY(w->isHidden());
    QCOMPARE(w->result(), int(QDialog::Rejected));
    w.reset();
    QCOMPARE(workbookRows(db()), before);
    QVERIFY(!db().inTransaction());
    QVERIFY2(m_messages->entries().isEmpty(), qPrintable(m_messages->texts().join('|')));
}

// Escape (or the close box) never drops what was typed without asking.
void TestTWorkbookDataLink::escapeAsksBeforeDroppingChanges() {
    const QStringList before = workbookRows(db());
    auto w = openWindow(ClubFixture::kWorkbook);
    QVERIFY(w);
    // Nothing changed: Escape closes at once.
    QTest::keyClick(w.get(), Qt::Key_Escape);
    QVERIFY(w->isHidden());
    QVERIFY(m_messages->entries().isEmpty());
    w = openWindow(ClubFixture::kWorkbook);
    QVERIFY(w);
    test::type(*w, "dbfName", QStringLiteral("Saison 2027"));
    m_messages->answer(false);
    QTest::keyClick(w->dbfName, Qt::Key_Escape);
    QCOMPARE(m_messages->texts(MessageRecorder::Kind::Question),
             QStringList{QStringLiteral("Sollen die Änderungen am Arbeitsbuch verworfen werden?")});
    QVERIFY(w->isVisible());
    QCOMPARE(w->dbfName->text(), QStringLiteral("Saison 2027"));
    // Kept, it can still be finished.
    import(*w, writeFile(QStringLiteral("s.xls"), kBytes));
    QTest::mouseClick(w->btnFertig, Qt::LeftButton);
    QVERIFY(w->isHidden());
    QCOMPARE(rows(db(), QStringLiteral("SELECT AnalyseName FROM ANALYSE")), QStringList{"Saison 2027"});

    // Agreed: nothing of it stays.
    const QStringList finished = workbookRows(db());
    w = openWindow(ClubFixture::kWorkbook);
    QVERIFY(w);
    addLink(*w, QStringLiteral("Weg"), QString());
    m_messages->clear();
    m_messages->answer(true);
    w->close();
    QVERIFY(w->isHidden());
    QCOMPARE(m_messages->texts(MessageRecorder::Kind::Question).size(), 1);
    w.reset();
    QCOMPARE(workbookRows(db()), finished);
    QVERIFY(finished != before);
}

// "&Fertig" is offered exactly while the workbook has a name and a file.
void TestTWorkbookDataLink::fertigNeedsNameAndFile() {
    auto w = openWindow(0);
    QVERIFY(w);
    import(*w, writeFile(QStringLiteral("a.xls"), kBytes));
    QVERIFY(!w->btnFertig->isEnabled());
    test::type(*w, "dbfName", QStringLiteral("K"));
    QVERIFY(w->btnFertig->isEnabled());
    focus(w->dbfName);
    w->dbfName->end(false);
    press(Qt::Key_Backspace);
    QVERIFY(!w->btnFertig->isEnabled());
    // The default button does nothing while it is off.
    press(Qt::Key_Return);
    QVERIFY(w->isVisible());
    w.reset();
    QCOMPARE(rows(db(), QStringLiteral("SELECT count(*) FROM ANALYSE")), QStringList{"1"});
}

// A link with a sheet name but no evaluation could never be opened: it is
// refused and the window stays open with everything typed. Rows added and
// left empty are dropped.
void TestTWorkbookDataLink::linkWithoutEvaluationIsRefused() {
    auto w = openWindow(ClubFixture::kWorkbook);
    QVERIFY(w);
    import(*w, writeFile(QStringLiteral("a.xls"), kBytes));
    addLink(*w, QStringLiteral("Umfang"), QStringLiteral("Umfang pro Woche"));
    addLink(*w, QString(), QString());
    addLink(*w, QStringLiteral("Ohne"), QString());
    QTest::mouseClick(w->btnFertig, Qt::LeftButton);
    QCOMPARE(m_messages->texts(MessageRecorder::Kind::Error), QStringList{WorkbookDesign::kLinkWithoutEvaluation});
    QVERIFY(w->isVisible());
    QVERIFY(w->dbgDataLink->hasFocus());
    QCOMPARE(w->dbgDataLink->model()->rowCount(), 3);
    // The evaluation chosen, it is finished; the empty row is gone.
    focus(w->dbgDataLink);
    w->dbgDataLink->setCurrentIndex(w->dbgDataLink->model()->index(2, 1));
    press(Qt::Key_F2);
    auto *box = qobject_cast<QComboBox *>(QApplication::focusWidget());
    QVERIFY(box);
    box->setCurrentIndex(0);
    press(Qt::Key_Return);
    QTRY_COMPARE(w->dbgDataLink->model()->index(2, 1).data().toString(), QStringLiteral("Umfang pro Woche"));
    QTest::mouseClick(w->btnFertig, Qt::LeftButton);
    QVERIFY(w->isHidden());
    w.reset();
    QCOMPARE(rows(db(), QStringLiteral("SELECT AuswertungNr, Sheet FROM ANAuseAW ORDER BY rowid")),
             (QStringList{QStringLiteral("%1|Umfang").arg(ClubFixture::kEvaluation),
                          QStringLiteral("%1|Ohne").arg(ClubFixture::kEvaluation)}));
}

void TestTWorkbookDataLink::readOnlyWorkbook() {
    db().exec(QStringLiteral("INSERT INTO ANAuseAW (AnalyseNr, AuswertungNr, Sheet) VALUES (%1, %2, 'Umfang')")
                  .arg(ClubFixture::kWorkbook)
                  .arg(ClubFixture::kEvaluation));
    db().exec(QStringLiteral("UPDATE ANALYSE SET Files = '/tmp/x.xls'"));
    const QStringList before = workbookRows(db());
    auto w = openWindow(ClubFixture::kWorkbook, true);
    QVERIFY(w);
    QVERIFY(!w->btnImport->isEnabled());
    QVERIFY(!w->btnFertig->isEnabled());
    QVERIFY(w->dbfName->QLineEdit::isReadOnly());
    QCOMPARE(w->dbfName->text(), QStringLiteral("Saison"));
    QCOMPARE(w->dbgDataLink->model()->index(0, 1).data().toString(), QStringLiteral("Umfang pro Woche"));
    QVERIFY(!(w->dbgDataLink->model()->flags(w->dbgDataLink->model()->index(0, 0)) & Qt::ItemIsEditable));
    focus(w->dbgDataLink);
    w->dbgDataLink->setCurrentIndex(w->dbgDataLink->model()->index(0, 0));
    press(Qt::Key_Down);
    press(Qt::Key_Delete, Qt::ControlModifier);
    QCOMPARE(w->dbgDataLink->model()->rowCount(), 1);
    QTest::keyClick(w.get(), Qt::Key_Escape);
    QVERIFY(w->isHidden());
    w.reset();
    QCOMPARE(workbookRows(db()), before);
    QVERIFY(m_messages->entries().isEmpty());
}

QTEST_MAIN(TestTWorkbookDataLink)
#include "tst_tworkbookdatalink.moc"
