#include "app/DocumentList.h"
#include "app/TMainForm.h"
#include "diary/EntryClipboard.h"
#include "diary/TPasteMove.h"
#include "diary/TSucheTr.h"
#include "store/Query.h"
#include "support/ClubFixture.h"
#include "support/Controls.h"
#include "support/MessageRecorder.h"
#include "support/TempInstallation.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTabBar>
#include <QTableView>
#include <QTest>
#include <QTimer>

using namespace velmora;
using velmora::test::ClubFixture;

namespace {
const QDateTime kNow(QDate(2026, 1, 9), QTime(12, 0));
} // namespace

class TestEntryDialogs : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<test::TempInstallation> m_inst;
    std::unique_ptr<ClubFixture> m_club;
    std::unique_ptr<test::MessageRecorder> m_messages;

    Database &db() { return m_inst->db(); }

    std::unique_ptr<TSucheTr> search(int art, bool showPerson = false) {
        auto d = std::make_unique<TSucheTr>(db());
        d->Art = art;
        d->PersonNr = ClubFixture::kAnna;
        d->GruppenNr = ClubFixture::kJugend;
        d->ShowPerson = showPerson;
        d->Now = kNow;
        d->show();
        return d;
    }
    QStringList listed(TSucheTr &d) {
        QStringList out;
        auto *model = d.dbgSuche->model();
        for (int r = 0; r < model->rowCount(); ++r)
            out << model->index(r, 3).data().toString();
        return out;
    }
    QString currentText(TSucheTr &d) {
        const int r = d.currentRow();
        return r < 0 ? QString() : d.dbgSuche->model()->index(r, 3).data().toString();
    }

private Q_SLOTS:
    void init() {
        m_inst = std::make_unique<test::TempInstallation>(1);
        m_club = std::make_unique<ClubFixture>(m_inst->db());
        m_messages = std::make_unique<test::MessageRecorder>();
    }
    void cleanup() {
        m_messages.reset();
        m_club.reset();
        m_inst.reset();
    }

    void pasteMoveRefusesNonWholeNumbers_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<int>("days");
        QTest::newRow("1,5") << "1,5" << false << 0;
        QTest::newRow("empty") << "" << false << 0;
        QTest::newRow("letters") << "sieben" << false << 0;
        QTest::newRow("seven") << "7" << true << 7;
        QTest::newRow("back three") << "-3" << true << -3;
    }
    void pasteMoveRefusesNonWholeNumbers() {
        QFETCH(QString, text);
        QFETCH(bool, accepted);
        QFETCH(int, days);
        TPasteMove d;
        QCOMPARE(d.windowTitle(), QStringLiteral("Paste"));
        d.show();
        d.txtTage->setText(text);
        d.txtTage->setFocus();
        // Enter in the number field chooses OK.
        QTest::keyClick(d.txtTage, Qt::Key_Return);
        QCOMPARE(d.result() == QDialog::Accepted, accepted);
        QCOMPARE(d.isVisible(), !accepted);
        if (accepted) {
            QCOMPARE(d.Days(), days);
            QVERIFY(m_messages->entries().isEmpty());
        } else {
            QCOMPARE(m_messages->texts(Messages::Kind::Error),
                     QStringList{QStringLiteral("Bitte geben Sie eine ganze Zahl ein!")});
        }
    }

    void pasteMoveSpins() {
        TPasteMove d;
        d.txtTage->setText(QStringLiteral("6"));
        d.txtTage->stepUp();
        QCOMPARE(d.txtTage->text(), QStringLiteral("7"));
        d.txtTage->stepBy(-10);
        QCOMPARE(d.txtTage->text(), QStringLiteral("-3"));
    }

    void pasteCommandRefusingDayCountPastesNothing() {
        TMainForm main;
        EntryClipboard::CopyEntries(main, {{1, 2}});
        QTimer::singleShot(0, [] {
            auto *d = qobject_cast<TPasteMove *>(QApplication::activeModalWidget());
            QVERIFY(d);
            d->txtTage->setText(QStringLiteral("1,5"));
            d->btnOkClick();
            d->btnCancel->click();
        });
        const auto result = EntryClipboard::PasteEntriesCommand(
            nullptr, db(), main, CopyTarget{2, ClubFixture::kAnna, ClubFixture::kCoach, 1});
        QVERIFY(!result);
        Query all(db(), QStringLiteral("select count(*) from TR"));
        all.open();
        QCOMPARE(all.value(0).toInt(), 6);
        QCOMPARE(m_messages->texts(Messages::Kind::Error),
                 QStringList{QStringLiteral("Bitte geben Sie eine ganze Zahl ein!")});
    }

    void searchTabs_data() {
        QTest::addColumn<int>("art");
        QTest::addColumn<int>("tab");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QString>("current");
        QTest::addColumn<bool>("dateColumns");
        QTest::addColumn<QString>("caption");
        const QString entries = QStringLiteral("Einen Eintrag auswählen");
        // Now is 9 January 2026, 12:00.
        QTest::newRow("protocols rest before now")
            << 2 << 1 << QStringList{"Grundlage", "Intervalle", "Langer Lauf"} << "Intervalle" << true << entries;
        QTest::newRow("plan only ahead rests on the first")
            << 2 << 0 << QStringList{"Plan Montag"} << "Plan Montag" << true << entries;
        QTest::newRow("group plan is empty") << 3 << 2 << QStringList{} << QString() << true << entries;
        QTest::newRow("blank forms") << 2 << 3 << QStringList{"Laufprotokoll"} << "Laufprotokoll" << false
                                     << QStringLiteral("Ein Leerformular auswählen");
        QTest::newRow("week window has no week entries") << 12 << 1 << QStringList{} << QString() << true << entries;
    }
    void searchTabs() {
        QFETCH(int, art);
        QFETCH(int, tab);
        QFETCH(QStringList, rows);
        QFETCH(QString, current);
        QFETCH(bool, dateColumns);
        QFETCH(QString, caption);
        auto d = search(art);
        QCOMPARE(d->txtNewDate->text(), QStringLiteral("09.01.26"));
        QVERIFY(d->pcSuche->isVisible());
        QVERIFY(!d->dbfPerson->isVisible());
        QVERIFY(!d->lblFuerPerson->isVisible());
        d->pcSuche->setCurrentIndex(tab);
        QCOMPARE(listed(*d), rows);
        QCOMPARE(currentText(*d), current);
        QCOMPARE(d->windowTitle(), caption);
        for (int c = 0; c < 3; ++c)
            QCOMPARE(d->dbgSuche->isColumnHidden(c), !dateColumns);
        QCOMPARE(d->btnEinfuegen->isEnabled(), !rows.isEmpty());
        // One line per entry; "dd.MM hh:mm" neither wraps nor is cut.
        QVERIFY(!d->dbgSuche->wordWrap());
        const QString cut = test::cutColumn(*d->dbgSuche);
        QVERIFY2(cut.isEmpty(), qPrintable(cut));
        // The dialog is wide enough for all four columns side by side.
        QCOMPARE(d->dbgSuche->horizontalScrollBar()->maximum(), 0);
    }

    void hiddenTabsListPlans() {
        auto d = std::make_unique<TSucheTr>(db());
        d->PersonNr = ClubFixture::kAnna;
        d->ShowTabs = false;
        d->Now = kNow;
        d->show();
        QVERIFY(!d->pcSuche->isVisible());
        QCOMPARE(listed(*d), QStringList{"Plan Montag"});
    }

    void okGivesEntryDateAndPerson() {
        RebuildDocumentList(db(), nullptr, ClubFixture::kCoach, ClubFixture::kJugend);
        auto d = search(2, true);
        QVERIFY(d->dbfPerson->isVisible());
        QVERIFY(d->lblFuerPerson->isVisible());
        d->pcSuche->setCurrentIndex(1);
        // The choice starts with the template's person.
        QCOMPARE(d->dbfPerson->currentData().toInt(), int(ClubFixture::kAnna));
        QVERIFY(d->dbfPerson->findData(int(ClubFixture::kPaul)) >= 0);
        QCOMPARE(d->dbfPerson->findData(int(ClubFixture::kOtto)), -1);
        const QModelIndex first = d->dbgSuche->model()->index(0, 3);
        d->dbgSuche->setCurrentIndex(first);
        d->dbfPerson->setCurrentIndex(d->dbfPerson->findData(int(ClubFixture::kPaul)));
        d->txtNewDate->setText(QStringLiteral("02.03.26"));
        QTest::mouseClick(d->dbgSuche->viewport(), Qt::LeftButton, {}, d->dbgSuche->visualRect(first).center());
        QTest::mouseDClick(d->dbgSuche->viewport(), Qt::LeftButton, {}, d->dbgSuche->visualRect(first).center());
        QCOMPARE(m_messages->entries().size(), 0);
        QCOMPARE(d->result(), int(QDialog::Accepted));
        QCOMPARE(d->SerienNr(), 1);
        QCOMPARE(d->TrNr(), 2); // "Grundlage"
        QCOMPARE(d->NewDate(), QDate(2026, 3, 2));
        QCOMPARE(d->Person(), int(ClubFixture::kPaul));
    }

    void invalidDateIsRefused() {
        auto d = search(2);
        d->txtNewDate->setText(QStringLiteral("31.02.26"));
        d->btnEinfuegen->click();
        QVERIFY(d->isVisible());
        QCOMPARE(m_messages->texts(Messages::Kind::Error),
                 QStringList{QStringLiteral("'31.02.26' ist kein gültiges Datum.")});
        QCOMPARE(d->Person(), 0);
    }

    void diaryOfFormsOffersFormsButRefusesEntries() {
        auto d = search(1);
        QCOMPARE(listed(*d), QStringList{"Laufprotokoll"});
        QCOMPARE(d->windowTitle(), QStringLiteral("Ein Leerformular auswählen"));
        QVERIFY(d->dbgSuche->isColumnHidden(2));
        d->btnEinfuegen->click();
        QVERIFY(d->isVisible());
        QCOMPARE(m_messages->texts(Messages::Kind::Error),
                 QStringList{QStringLiteral("In dieser Ansicht können keine Eintragungen angelegt werden!")});
    }

    void clipboardRows() {
        TMainForm main;
        QCOMPARE(EntryClipboard::Entries(main).size(), size_t(0));
        EntryClipboard::CopyRows(main, EntryOperations::RowReferences(QStringLiteral("TR_1"), 1, 2, {0, 1}));
        QVERIFY(EntryClipboard::CanPasteRows(main, QStringLiteral("tr_1.db")));
        QVERIFY(!EntryClipboard::CanPasteRows(main, QStringLiteral("TR_2")));
        QCOMPARE(main.PasteObjectCount(EntryClipboard::kEntries), -1);
        // Inserting rows moves the references on the clipboard itself.
        EntryOperations::InsertRows(db(), QStringLiteral("TR_1"), 1, 2, 0, 1, EntryClipboard::Rows(main));
        QCOMPARE(EntryClipboard::Rows(main).front()->Order, 2);
        QCOMPARE(EntryClipboard::Rows(main).back()->Order, 1);
        EntryClipboard::CopyEntries(main, {});
        QCOMPARE(main.PasteObjectCount(EntryClipboard::kEntries), 0);
        QVERIFY(EntryClipboard::Rows(main).empty());
    }
};

QTEST_MAIN(TestEntryDialogs)
#include "tst_entrydialogs.moc"
