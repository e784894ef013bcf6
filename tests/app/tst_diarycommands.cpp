// The diary in the main window, driven through the menu commands and keys a
// coach uses: what the right-hand side shows after each command, and that
// nothing typed is lost or written into the wrong entry.
#include "app/DocumentList.h"
#include "app/TMainForm.h"
#include "app/TPassCheck.h"
#include "base/Settings.h"
#include "controls/DBControls.h"
#include "controls/TDBTypeGrid.h"
#include "design/FormElementCache.h"
#include "design/TTrKz.h"
#include "diary/DiaryListModel.h"
#include "diary/TPasteMove.h"
#include "diary/TSucheTr.h"
#include "diary/TTrainingseintrag.h"
#include "diary/TTrainingselement.h"
#include "diary/TTrainingstagebuch.h"
#include "store/Query.h"
#include "support/ClubFixture.h"
#include "support/ClubWindows.h"
#include "support/EntryFixture.h"
#include "support/MessageRecorder.h"
#include "support/TempInstallation.h"
#include "support/WhenShown.h"

#include <QAction>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTest>

using namespace velmora;
using velmora::test::ClubFixture;
using velmora::test::MessageRecorder;
using velmora::test::whenShown;

namespace {
constexpr int kSerien = ClubFixture::kBase + 10; // a grid block "Serien", table TR_2
const QList<test::FieldSpec> kSerienFields{{QStringLiteral("Wdh"), QStringLiteral("I")}};
const QString kVanished = QStringLiteral("Primärschlüssel Kopierquelle nicht gefunden.");
} // namespace

class TestDiaryCommands : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void newEntryIsShownAndTakesTheTyping();
    void pastedEntryIsShown();
    void pasteIsOfferedRightAfterCopy();
    void deleteFollowsTheCurrentEntry();
    void deletedEntryIsNotPastedUnderItsOldNumber();
    void newEntryCommitsWhatIsTyped();
    // The form designer takes back its own steps on "Abbruch", never the diary's.
    void cancelledFormDesignerKeepsTheTyping();
    void openCellEditorIsStored_data();
    void openCellEditorIsStored();
    // A save that fails keeps the window, the entry and the typing.
    void failedSaveKeepsTheWindowOpen_data();
    void failedSaveKeepsTheWindowOpen();
    void refusedCellKeepsItsEditorOpen();

private:
    Database &db() { return m_inst->db(); }
    QAction *item(const char *name) { return m_main->action(QString::fromLatin1(name)); }
    void openDiary();
    // A key as the coach presses it, into the widget that has the focus.
    void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QWidget *target = QApplication::focusWidget();
        QVERIFY(target);
        QTest::keyClick(target, Qt::Key(key), modifiers);
    }
    void focus(QWidget *w) {
        // A modal dialog that just closed may have left the frame inactive.
        if (!w->window()->isActiveWindow()) {
            w->window()->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(w->window()));
        }
        w->setFocus(Qt::OtherFocusReason);
        QTRY_VERIFY(w->hasFocus());
    }
    // Puts the list on the entry and shows it, as a click and Enter do.
    void showEntry(const QString &text);
    int trNrOf(const QString &text) {
        Query q(db(), QStringLiteral("select TrNr from TR where Beschreibung = :t and Art = 2"));
        q.setParam(QStringLiteral("t"), text);
        q.open();
        return q.recordCount() >= 1 ? q.value(0).toInt() : -1;
    }
    int value(const QString &sql) {
        Query q(db(), sql);
        q.open();
        return q.recordCount() ? q.value(0).toInt() : -1;
    }
    int newestTrNr() { return value(QStringLiteral("select max(TrNr) from TR")); }
    int listedTrNr() { return m_diary->listCursor().asInt(QStringLiteral("TrNr")); }
    int shownTrNr() { return m_diary->entryView() ? m_diary->entryView()->params().trNr : -1; }
    TTrainingseintrag *view() { return qobject_cast<TTrainingseintrag *>(m_diary->entryView()); }
    QLineEdit *dauerEdit();
    TDBTypeGrid *serienGrid();
    void newEntryFromBlankForm(const QString &date);

    std::unique_ptr<test::TempInstallation> m_inst;
    std::unique_ptr<ClubFixture> m_club;
    std::unique_ptr<MessageRecorder> m_messages;
    std::unique_ptr<TMainForm> m_main;
    QPointer<TTrainingstagebuch> m_diary;
};

void TestDiaryCommands::init() {
    m_inst = std::make_unique<test::TempInstallation>(1);
    settings() = Settings();
    settings().SerienNr = ClubFixture::kSerial;
    m_club = std::make_unique<ClubFixture>(db());
    test::AddBlock(db(), kSerien, QStringLiteral("TR_2"), true, kSerienFields);
    test::UseBlock(db(), ClubFixture::kForm, 2, kSerien, {1}, 6, kSerienFields);
    LoadFormElementCache(db(), nullptr);
    RebuildDocumentList(db(), nullptr, ClubFixture::kCoach, ClubFixture::kJugend);
    m_messages = std::make_unique<MessageRecorder>();
    m_main = test::StartMainForm();
    QVERIFY(QTest::qWaitForWindowActive(m_main.get()));
    openDiary();
}

void TestDiaryCommands::cleanup() {
    m_main.reset();
    m_messages.reset();
    m_club.reset();
    m_inst.reset();
}

void TestDiaryCommands::openDiary() {
    m_diary = test::OpenAnnasDiary(*m_main, 2);
    QVERIFY(m_diary->isActive());
    focus(m_diary->dbgTr);
}

void TestDiaryCommands::showEntry(const QString &text) {
    focus(m_diary->dbgTr);
    const int column = m_diary->quTr->columnOfField(QStringLiteral("Beschreibung"));
    for (int r = 0; r < m_diary->quTr->rowCount(); ++r)
        if (m_diary->quTr->index(r, column).data().toString() == text) {
            m_diary->dbgTr->setCurrentIndex(m_diary->quTr->index(r, 0));
            press(Qt::Key_Return);
            QCOMPARE(shownTrNr(), trNrOf(text));
            return;
        }
    QFAIL(qPrintable(text));
}

QLineEdit *TestDiaryCommands::dauerEdit() {
    for (TTREListEntry *e : FormElementCache().BlockElements(ClubFixture::kForm, ClubFixture::kBlock))
        if (e->FeldNr == 1 && view())
            return view()->findChild<QLineEdit *>(QStringLiteral("F") + e->Name);
    return nullptr;
}

TDBTypeGrid *TestDiaryCommands::serienGrid() {
    if (view())
        for (TTrainingselement *p : view()->panels())
            if (p->tableNr() == kSerien)
                return p->grid();
    return nullptr;
}

// "&Neuer Eintrag..." by its key, from the blank form, on the given day.
void TestDiaryCommands::newEntryFromBlankForm(const QString &date) {
    whenShown<TSucheTr>([date](TSucheTr &s) {
        s.pcSuche->setCurrentIndex(3); // "Leerformular"
        s.txtNewDate->setText(date);
        s.btnOkClick();
    });
    press(Qt::Key_N, Qt::ControlModifier);
}

void TestDiaryCommands::newEntryIsShownAndTakesTheTyping() {
    showEntry(QStringLiteral("Langer Lauf"));
    focus(m_diary->dbgTr);
    // Dated before the newest entry: the list's last row is another entry.
    newEntryFromBlankForm(QStringLiteral("06.01.26"));
    QVERIFY2(m_messages->texts().isEmpty(), qPrintable(m_messages->texts().join(QLatin1Char('|'))));
    const int created = newestTrNr();
    QCOMPARE(listedTrNr(), created);
    QCOMPARE(shownTrNr(), created);
    QVERIFY(!view()->params().readOnly);
    // What the coach types now goes into the new entry.
    QLineEdit *dauer = dauerEdit();
    QVERIFY(dauer);
    focus(dauer);
    dauer->selectAll();
    QTest::keyClicks(dauer, QStringLiteral("33"));
    focus(m_diary->dbgTr);
    QCOMPARE(value(QStringLiteral("select Dauer from TR_1 where TrNr = %1").arg(created)), 33);
    QCOMPARE(value(QStringLiteral("select Dauer from TR_1 where TrNr = %1 and \"Order\" = 0")
                       .arg(trNrOf(QStringLiteral("Langer Lauf")))),
             120);
}

void TestDiaryCommands::pastedEntryIsShown() {
    showEntry(QStringLiteral("Langer Lauf"));
    focus(m_diary->dbgTr);
    m_diary->dbgTr->setCurrentIndex(m_diary->quTr->index(0, 0)); // "Grundlage", 05.01.
    press(Qt::Key_C, Qt::ControlModifier);
    QVERIFY(item("miPaste1")->isEnabled());
    whenShown<TPasteMove>([](TPasteMove &p) {
        p.txtTage->setText(QStringLiteral("1"));
        p.btnOkClick();
    });
    press(Qt::Key_V, Qt::ControlModifier);
    QVERIFY2(m_messages->texts().isEmpty(), qPrintable(m_messages->texts().join(QLatin1Char('|'))));
    const int pasted = newestTrNr();
    QCOMPARE(value(QStringLiteral("select count(*) from TR where TrNr = %1 and Datum < '2026-01-07'").arg(pasted)), 1);
    QCOMPARE(listedTrNr(), pasted);
    QCOMPARE(shownTrNr(), pasted);
    QCOMPARE(dauerEdit()->text(), QStringLiteral("60")); // Grundlage's first row came along
}

void TestDiaryCommands::pasteIsOfferedRightAfterCopy() {
    QVERIFY(item("miCopy1")->isEnabled());
    QVERIFY(!item("miPaste1")->isEnabled());
    press(Qt::Key_C, Qt::ControlModifier);
    QVERIFY(item("miPaste1")->isEnabled());
    QVERIFY(m_main->findChild<QAction *>(QStringLiteral("tbPaste"))->isEnabled());
    // And it pastes, without the list losing the focus first.
    const int before = value(QStringLiteral("select count(*) from TR"));
    whenShown<TPasteMove>([](TPasteMove &p) {
        p.txtTage->setText(QStringLiteral("7"));
        p.btnOkClick();
    });
    press(Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(value(QStringLiteral("select count(*) from TR")), before + 1);
}

void TestDiaryCommands::deleteFollowsTheCurrentEntry() {
    m_club->addEntry(ClubFixture::kAnna, 2, QDateTime(QDate(2026, 1, 9), QTime(9, 0)), QStringLiteral("Von Paul"),
                     ClubFixture::kPaul);
    m_diary->RebuildList();
    focus(m_diary->dbgTr);
    const int paulsEntry = trNrOf(QStringLiteral("Von Paul"));
    // The list opens on "Langer Lauf"; one up is Paul's entry.
    QCOMPARE(listedTrNr(), trNrOf(QStringLiteral("Langer Lauf")));
    QVERIFY(item("miDel1")->isEnabled());
    press(Qt::Key_Up);
    QCOMPARE(listedTrNr(), paulsEntry);
    QVERIFY(m_diary->windowTitle().endsWith(QStringLiteral(" r/o")));
    QVERIFY(!item("miDel1")->isEnabled());
    press(Qt::Key_Delete, Qt::ControlModifier);
    QVERIFY(m_messages->entries().isEmpty()); // not even asked
    QCOMPARE(trNrOf(QStringLiteral("Von Paul")), paulsEntry);
    // The handler itself refuses too, however it is reached.
    m_messages->answer(true);
    m_diary->deleteEntry(*m_diary);
    QCOMPARE(trNrOf(QStringLiteral("Von Paul")), paulsEntry);
    QVERIFY(m_messages->entries().isEmpty());
    m_messages->clear();
    // Back on an own entry "&Löschen" is offered again, and deletes.
    press(Qt::Key_Up);
    QCOMPARE(listedTrNr(), trNrOf(QStringLiteral("Intervalle")));
    QVERIFY(item("miDel1")->isEnabled());
    m_messages->answer(true);
    press(Qt::Key_Delete, Qt::ControlModifier);
    QCOMPARE(m_messages->texts(Messages::Kind::Question).size(), 1);
    QCOMPARE(trNrOf(QStringLiteral("Intervalle")), -1);
    QCOMPARE(trNrOf(QStringLiteral("Von Paul")), paulsEntry);
}

void TestDiaryCommands::deletedEntryIsNotPastedUnderItsOldNumber() {
    newEntryFromBlankForm(QStringLiteral("20.01.26"));
    const int first = newestTrNr();
    QCOMPARE(shownTrNr(), first);
    focus(m_diary->dbgTr);
    press(Qt::Key_C, Qt::ControlModifier);
    m_messages->answer(true);
    press(Qt::Key_Delete, Qt::ControlModifier);
    QCOMPARE(value(QStringLiteral("select count(*) from TR where TrNr = %1").arg(first)), 0);
    // The next entry gets the same number.
    focus(m_diary->dbgTr);
    newEntryFromBlankForm(QStringLiteral("21.01.26"));
    QCOMPARE(newestTrNr(), first);
    const int count = value(QStringLiteral("select count(*) from TR"));
    m_messages->clear();
    focus(m_diary->dbgTr);
    QVERIFY(item("miPaste1")->isEnabled());
    whenShown<TPasteMove>([](TPasteMove &p) {
        p.txtTage->setText(QStringLiteral("1"));
        p.btnOkClick();
    });
    press(Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(m_messages->texts(Messages::Kind::Error), QStringList{kVanished});
    QCOMPARE(value(QStringLiteral("select count(*) from TR")), count);
}

void TestDiaryCommands::newEntryCommitsWhatIsTyped() {
    showEntry(QStringLiteral("Grundlage"));
    const int grundlage = trNrOf(QStringLiteral("Grundlage"));
    QLineEdit *dauer = dauerEdit();
    QVERIFY(dauer);
    focus(dauer);
    dauer->selectAll();
    QTest::keyClicks(dauer, QStringLiteral("77"));
    int storedWhenChoosing = -1;
    whenShown<TSucheTr>([&](TSucheTr &s) {
        storedWhenChoosing =
            value(QStringLiteral("select Dauer from TR_1 where TrNr = %1 and \"Order\" = 0").arg(grundlage));
        s.pcSuche->setCurrentIndex(1); // "IST (Protokoll)"
        const int col = s.list().fieldIndex(QStringLiteral("TrNr"));
        for (int r = 0; r < s.list().recordCount(); ++r)
            if (s.list().row(r)[size_t(col)].toInt() == grundlage)
                s.dbgSuche->setCurrentIndex(s.dbgSuche->model()->index(r, 0));
        s.txtNewDate->setText(QStringLiteral("19.01.26"));
        s.btnOkClick();
    });
    press(Qt::Key_N, Qt::ControlModifier);
    QCOMPARE(storedWhenChoosing, 77);
    const int created = newestTrNr();
    QVERIFY(created != grundlage);
    QCOMPARE(value(QStringLiteral("select Dauer from TR_1 where TrNr = %1 and \"Order\" = 0").arg(created)), 77);
    QCOMPARE(shownTrNr(), created);
    QCOMPARE(dauerEdit()->text(), QStringLiteral("77"));
}

void TestDiaryCommands::cancelledFormDesignerKeepsTheTyping() {
    showEntry(QStringLiteral("Grundlage"));
    const int grundlage = trNrOf(QStringLiteral("Grundlage"));
    QLineEdit *dauer = dauerEdit();
    QVERIFY(dauer);
    focus(dauer);
    dauer->selectAll();
    QTest::keyClicks(dauer, QStringLiteral("77"));
    bool shown = false;
    whenShown<TTrKz>([&](TTrKz &designer) {
        shown = true;
        QTest::mouseClick(designer.findChild<QPushButton *>(QStringLiteral("btnAbbruch")), Qt::LeftButton);
    });
    item("miTrKz1")->trigger();
    QVERIFY(shown);
    QCOMPARE(value(QStringLiteral("select Dauer from TR_1 where TrNr = %1 and \"Order\" = 0").arg(grundlage)), 77);
    QCOMPARE(dauerEdit()->text(), QStringLiteral("77"));
}

void TestDiaryCommands::openCellEditorIsStored_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("Schließen") << "miClose2";
    QTest::newRow("Ctrl+F4") << "Ctrl+F4";
    QTest::newRow("Beenden") << "miExit1";
    QTest::newRow("neu Anmelden") << "miRelogin";
    QTest::newRow("another entry") << "Up";
}

void TestDiaryCommands::openCellEditorIsStored() {
    QFETCH(QString, how);
    showEntry(QStringLiteral("Intervalle"));
    const int intervalle = trNrOf(QStringLiteral("Intervalle"));
    TDBTypeGrid *grid = serienGrid();
    QVERIFY(grid);
    focus(grid);
    grid->setCurrentIndex(grid->model()->index(0, grid->cursorModel()->columnOfField(QStringLiteral("Wdh"))));
    press(Qt::Key_F2);
    QTRY_VERIFY(QApplication::focusWidget() && grid->viewport()->isAncestorOf(QApplication::focusWidget()));
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("42"));
    if (how == QLatin1String("Up")) {
        // The list moves on while the editor is open: the entry is
        // committed before the view is re-keyed to the other one.
        m_diary->listCursor().prior();
        QCOMPARE(shownTrNr(), trNrOf(QStringLiteral("Grundlage")));
    } else if (how == QLatin1String("Ctrl+F4")) {
        press(Qt::Key_F4, Qt::ControlModifier);
    } else if (how == QLatin1String("miRelogin")) {
        whenShown<TPassCheck>([](TPassCheck &p) { p.btnAbbruchClick(); });
        item("miRelogin")->trigger();
    } else {
        item(qPrintable(how))->trigger();
    }
    QVERIFY2(m_messages->texts().isEmpty(), qPrintable(m_messages->texts().join(QLatin1Char('|'))));
    QCOMPARE(value(QStringLiteral("select Wdh from TR_2 where TrNr = %1 and \"Order\" = 0").arg(intervalle)), 42);
    if (how != QLatin1String("Up"))
        QTRY_VERIFY(!m_diary);
}

void TestDiaryCommands::failedSaveKeepsTheWindowOpen_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("Schließen") << "miClose2";
    QTest::newRow("Beenden") << "miExit1";
    QTest::newRow("another entry") << "Down";
}

void TestDiaryCommands::failedSaveKeepsTheWindowOpen() {
    QFETCH(QString, how);
    showEntry(QStringLiteral("Grundlage"));
    const int grundlage = trNrOf(QStringLiteral("Grundlage"));
    QLineEdit *dauer = dauerEdit();
    QVERIFY(dauer);
    focus(dauer);
    dauer->selectAll();
    QTest::keyClicks(dauer, QStringLiteral("99"));
    db().exec(
        QStringLiteral("CREATE TRIGGER stop BEFORE UPDATE ON TR_1 BEGIN SELECT RAISE(ABORT, 'Platte voll'); END"));
    auto act = [&] {
        if (how == QLatin1String("Down")) {
            // The coach goes to the next entry with the list's key.
            focus(m_diary->dbgTr);
            press(Qt::Key_Down);
        } else {
            item(qPrintable(how))->trigger();
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    };
    act();
    // Going to another entry leaves the entry first: two attempts, two messages.
    QCOMPARE(m_messages->texts(Messages::Kind::Error).size(), how == QLatin1String("Down") ? 2 : 1);
    for (const QString &text : m_messages->texts())
        QVERIFY2(text.contains(QStringLiteral("Platte voll")), qPrintable(text));
    // Refused: the window, the entry and the typing are all still there.
    QVERIFY(m_diary);
    QVERIFY(m_diary->isVisible());
    QVERIFY(m_main->isVisible());
    QCOMPARE(m_main->mdiArea()->subWindowList().size(), 1);
    QCOMPARE(shownTrNr(), grundlage);
    QCOMPARE(listedTrNr(), grundlage);
    QCOMPARE(dauerEdit()->text(), QStringLiteral("99"));
    QCOMPARE(value(QStringLiteral("select Dauer from TR_1 where TrNr = %1 and \"Order\" = 0").arg(grundlage)), 60);
    // Once the table takes it again, the same command stores and closes.
    db().exec(QStringLiteral("DROP TRIGGER stop"));
    m_messages->clear();
    act();
    QVERIFY(m_messages->texts().isEmpty());
    if (how == QLatin1String("Down"))
        QCOMPARE(shownTrNr(), trNrOf(QStringLiteral("Intervalle")));
    else
        QVERIFY(!m_diary);
    QCOMPARE(value(QStringLiteral("select Dauer from TR_1 where TrNr = %1 and \"Order\" = 0").arg(grundlage)), 99);
}

// A grid cell whose value the table refuses: the message, and the cell
// editor stays open with the text while the close is refused.
void TestDiaryCommands::refusedCellKeepsItsEditorOpen() {
    showEntry(QStringLiteral("Intervalle"));
    const int intervalle = trNrOf(QStringLiteral("Intervalle"));
    TDBTypeGrid *grid = serienGrid();
    QVERIFY(grid);
    focus(grid);
    grid->setCurrentIndex(grid->model()->index(0, grid->cursorModel()->columnOfField(QStringLiteral("Wdh"))));
    press(Qt::Key_F2);
    QTRY_VERIFY(QApplication::focusWidget() && grid->viewport()->isAncestorOf(QApplication::focusWidget()));
    const QPointer<QWidget> editor = QApplication::focusWidget();
    QTest::keyClicks(editor, QStringLiteral("42"));
    db().exec(
        QStringLiteral("CREATE TRIGGER stop BEFORE UPDATE ON TR_2 BEGIN SELECT RAISE(ABORT, 'Platte voll'); END"));
    item("miClose2")->trigger();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(m_messages->texts(Messages::Kind::Error).size(), 1);
    QVERIFY(m_messages->texts().first().contains(QStringLiteral("Platte voll")));
    QVERIFY(m_diary);
    QVERIFY(editor);
    QCOMPARE(grid->indexWidget(grid->currentIndex()), editor.data());
    QCOMPARE(qobject_cast<QLineEdit *>(editor.data())->text(), QStringLiteral("42"));
    db().exec(QStringLiteral("DROP TRIGGER stop"));
    m_messages->clear();
    item("miClose2")->trigger();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(m_messages->texts().isEmpty());
    QVERIFY(!m_diary);
    QCOMPARE(value(QStringLiteral("select Wdh from TR_2 where TrNr = %1 and \"Order\" = 0").arg(intervalle)), 42);
}

QTEST_MAIN(TestDiaryCommands)
#include "tst_diarycommands.moc"
