#include "app/TFrmOpen.h"
#include "app/TMainForm.h"
#include "app/TPassCheck.h"
#include "base/Log.h"
#include "base/PasswordCode.h"
#include "base/Paths.h"
#include "base/Settings.h"
#include "design/TTrKz.h"
#include "design/TTrTable.h"
#include "people/TFilter.h"
#include "people/TSportlerkartei.h"
#include "store/Query.h"
#include "support/ClubFixture.h"
#include "support/MessageRecorder.h"
#include "support/TempInstallation.h"
#include "support/WhenShown.h"

#include <QComboBox>

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>
#include <functional>

using namespace velmora;
using velmora::test::ClubFixture;
using velmora::test::TempInstallation;
using velmora::test::whenShown;

namespace {
int openRows(Database &db, const QString &type) {
    Query q(db, QStringLiteral("select count(*) as n from OPEN where Type = '%1'").arg(type));
    q.open();
    return q.value(0).toInt();
}

struct Copied : CopyObject {
    explicit Copied(int *alive) : alive(alive) { ++*alive; }
    ~Copied() override { --*alive; }
    int *alive;
};
} // namespace

class TestMainForm : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void menuItems_data();
    void menuItems();
    void sharedCommands();
    void printCommandUsesOwnHandlers();
    void viewMenus_data();
    void viewMenus();
    void clipboard();
    void arrangeItemsFollowActiveChild();
    void toolBarSetting();
    void hintsGoToSecondPanel();
    void reloginChangesLoginAndList();
    void reloginCancelledKeepsLogin();
    void openPersonCard_data();
    void openPersonCard();
    void openFilter();
    void cancelledOpenLeavesTheList();
    void cancelledNewDesignsLeaveNoRows();

private:
    std::unique_ptr<TempInstallation> m_inst;
};

void TestMainForm::init() {
    m_inst = std::make_unique<TempInstallation>(1);
    settings() = Settings();
    SetSettingsPath(m_inst->installation().settingsPath());
    ReadSettings();
}

void TestMainForm::cleanup() {
    m_inst.reset();
}

void TestMainForm::menuItems_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("shortcut");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<QString>("hint");
    QTest::newRow("relogin") << "miRelogin"
                             << "neu &Anmelden..."
                             << "" << true << "";
    QTest::newRow("new athlete") << "miSportler1"
                                 << "&Sportler && Gruppe"
                                 << "" << true << "Neuen Sportler anlegen";
    QTest::newRow("new block") << "miTable1"
                               << "Formular&baustein"
                               << "" << true << "Tabellenassistenten starten";
    QTest::newRow("new form") << "miTrKz1"
                              << "&Formular"
                              << "" << true << "Formularassistent starten";
    QTest::newRow("new filter") << "miFilter2"
                                << "F&ilter"
                                << "" << true << "Neuen Filter anlegen";
    QTest::newRow("new evaluation") << "miSolver1"
                                    << "&Auswertung"
                                    << "" << true << "Auswertungsassistent starten";
    QTest::newRow("open") << "miOpen1"
                          << "&Öffnen..."
                          << "Ctrl+O" << true << "Öffnet existierender Datenobjekte..";
    QTest::newRow("save as") << "miSave1"
                             << "&Sichern als..."
                             << "Ctrl+S" << false << "Sichert aktuelle Daten in einen anderen Datenbereich";
    QTest::newRow("close") << "miClose2"
                           << "Schlie&ßen"
                           << "" << false << "Schließt das aktuelle Fenster";
    QTest::newRow("delete") << "miDelete"
                            << "Löschen"
                            << "" << true << "ein Datenobjekt löschen";
    QTest::newRow("print") << "miPrint1"
                           << "&Drucken..."
                           << "" << false << "Druckt den Inhalt des aktuellen Fensters aus";
    QTest::newRow("import") << "miExcange1"
                            << "&Daten einlesen.."
                            << "" << true << "";
    QTest::newRow("backup") << "miBackup1"
                            << "Backup..."
                            << "" << true << "";
    QTest::newRow("exit") << "miExit1"
                          << "&Beenden"
                          << "" << true << "Beendet das Programm";
    QTest::newRow("undo") << "miUndo1"
                          << "&Rückgängig"
                          << "Ctrl+Z" << false << "Letzte Änderung rückgängig machen";
    QTest::newRow("delete row") << "miDel1"
                                << "&Löschen"
                                << "Ctrl+Del" << false << "Ausgewählte Datenzeile löschen";
    QTest::newRow("new entry") << "miPaste2"
                               << "&Neuer Eintrag..."
                               << "Ctrl+N" << false << "Eine Zeile von einer Vorlage kopieren";
    QTest::newRow("new line") << "miNewLine"
                              << "Neue &Zeile"
                              << "" << false << "Eine Zeile von einer Vorlage kopieren";
    QTest::newRow("detail") << "miDetail1"
                            << "D&etailansicht"
                            << "F7" << false << "Daten des Fensters in Detailansicht anzeigen";
    QTest::newRow("refresh") << "miRefresh1"
                             << "&Aktualisieren"
                             << "F9" << false << "Fensterinhalt aktualisieren";
    QTest::newRow("cascade") << "miCascade1"
                             << "&Kaskade"
                             << "" << false << "Ordnet alle Fenster vertikal kaskatiert an";
    QTest::newRow("tool bar") << "miToolbar1"
                              << "&Symbolleiste"
                              << "" << true << "Wollen Sie die Toolbar anzeigen?";
    QTest::newRow("help") << "miReferenz1"
                          << "Referenz"
                          << "" << false << "Detailierte Referenzinformationen";
}

void TestMainForm::menuItems() {
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(QString, shortcut);
    QFETCH(bool, enabled);
    QFETCH(QString, hint);
    TMainForm form;
    QAction *a = form.action(name);
    QVERIFY2(a, qPrintable(name));
    QCOMPARE(a->text(), caption);
    QCOMPARE(a->shortcut().toString(), shortcut);
    QCOMPARE(a->isEnabled(), enabled);
    QCOMPARE(a->statusTip(), hint);
}

void TestMainForm::sharedCommands() {
    TMainForm form;
    int calls = 0;
    form.SetMenuCommand(8, true, [&] { ++calls; });
    QVERIFY(form.action(QStringLiteral("miCopy1"))->isEnabled());
    QVERIFY(form.action(QStringLiteral("tbCopy"))->isEnabled());
    form.action(QStringLiteral("miCopy1"))->trigger();
    form.action(QStringLiteral("tbCopy"))->trigger();
    QCOMPARE(calls, 2);
    form.SetMenuCommand(8, false);
    QVERIFY(!form.action(QStringLiteral("miCopy1"))->isEnabled());
    QVERIFY(!form.action(QStringLiteral("tbCopy"))->isEnabled());
    form.action(QStringLiteral("miCopy1"))->setEnabled(true); // even if forced on, the child's handler is gone
    form.action(QStringLiteral("miCopy1"))->trigger();
    QCOMPARE(calls, 2);
    // Numbers without an item do nothing.
    for (int n : {7, 12, 19, 22, 26, 200})
        form.SetMenuCommand(n, true, [&] { ++calls; });
    QCOMPARE(calls, 2);
}

void TestMainForm::printCommandUsesOwnHandlers() {
    TMainForm form;
    int own = 0, page = 0, child = 0;
    form.ownPrint = [&] { ++own; };
    form.ownPageSetup = [&] { ++page; };
    form.SetMenuCommand(3, true, [&] { ++child; });
    QVERIFY(form.action(QStringLiteral("miPrint1"))->isEnabled());
    QVERIFY(form.action(QStringLiteral("miPage1"))->isEnabled());
    QVERIFY(form.action(QStringLiteral("tbPrint"))->isEnabled());
    form.action(QStringLiteral("miPrint1"))->trigger();
    form.action(QStringLiteral("tbPrint"))->trigger();
    form.action(QStringLiteral("miPage1"))->trigger();
    QCOMPARE(own, 2);
    QCOMPARE(page, 1);
    QCOMPARE(child, 0);
    form.SetMenuCommand(3, false);
    QVERIFY(!form.action(QStringLiteral("miPrint1"))->isEnabled());
    QVERIFY(!form.action(QStringLiteral("miPage1"))->isEnabled());
    // Command 17 gives "Drucken" to the child.
    form.SetMenuCommand(17, true, [&] { ++child; });
    form.action(QStringLiteral("miPrint1"))->trigger();
    QCOMPARE(child, 1);
    QCOMPARE(own, 2);
}

void TestMainForm::viewMenus_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("detail");
    QTest::addColumn<bool>("diagram");
    QTest::newRow("0") << 0 << true << false;
    QTest::newRow("1 result window") << 1 << false << true;
    QTest::newRow("2") << 2 << false << false;
    QTest::newRow("3 diary") << 3 << true << false;
}

void TestMainForm::viewMenus() {
    QFETCH(int, mode);
    QFETCH(bool, detail);
    QFETCH(bool, diagram);
    TMainForm form;
    form.SetViewMenus(1);
    form.SetViewMenus(mode);
    QCOMPARE(form.action(QStringLiteral("miDetail1"))->isVisible(), detail);
    QCOMPARE(form.action(QStringLiteral("miOverview1"))->isVisible(), detail);
    QCOMPARE(form.findChild<QMenu *>(QStringLiteral("miDiagramm1"))->menuAction()->isVisible(), diagram);
}

void TestMainForm::clipboard() {
    TMainForm form;
    int alive = 0;
    QCOMPARE(form.PasteObjectCount(0), 0);
    form.StartCopyObject(2);
    form.AddCopyObject(std::make_unique<Copied>(&alive));
    form.AddCopyObject(std::make_unique<Copied>(&alive));
    QCOMPARE(form.PasteObjectCount(2), 2);
    QCOMPARE(form.PasteObjectCount(3), -1);
    QVERIFY(form.GetPasteObject(1));
    QVERIFY(!form.GetPasteObject(2));
    QVERIFY(!form.GetPasteObject(-1));
    form.StartCopyObject(3); // frees the objects
    QCOMPARE(alive, 0);
    QCOMPARE(form.PasteObjectCount(3), 0);
}

void TestMainForm::arrangeItemsFollowActiveChild() {
    TMainForm form;
    form.show();
    form.miFensterPopup();
    for (const char *n : {"miTile1", "miTileHorizontally1", "miCascade1", "miArrangeIcons1"})
        QVERIFY(!form.action(QString::fromLatin1(n))->isEnabled());
    QMdiSubWindow *child = form.mdiArea()->addSubWindow(new QWidget);
    child->show();
    form.mdiArea()->setActiveSubWindow(child);
    form.miFensterPopup();
    for (const char *n : {"miTile1", "miTileHorizontally1", "miCascade1", "miArrangeIcons1"})
        QVERIFY(form.action(QString::fromLatin1(n))->isEnabled());
    form.SetMenuCommand(1, true, [] {});
    form.action(QStringLiteral("miClose2"))->trigger();
    QVERIFY(form.mdiArea()->subWindowList().isEmpty());
}

void TestMainForm::toolBarSetting() {
    WriteToolbarSetting(false);
    settings() = Settings();
    ReadSettings();
    {
        TMainForm form;
        form.show();
        QVERIFY(!form.toolBar()->isVisible());
        QVERIFY(!form.action(QStringLiteral("miToolbar1"))->isChecked());
        form.action(QStringLiteral("miToolbar1"))->trigger();
        QVERIFY(form.toolBar()->isVisible());
        QVERIFY(form.action(QStringLiteral("miToolbar1"))->isChecked());
        form.close(); // writes the setting back
    }
    settings() = Settings();
    settings().Toolbar = false;
    ReadSettings();
    QVERIFY(settings().Toolbar);
}

void TestMainForm::hintsGoToSecondPanel() {
    TMainForm form;
    form.show();
    QStatusTipEvent tip(QStringLiteral("Beendet das Programm"));
    QCoreApplication::sendEvent(&form, &tip);
    QCOMPARE(form.statusText(1), QStringLiteral("Beendet das Programm"));
}

void TestMainForm::reloginChangesLoginAndList() {
    ClubFixture club(m_inst->db());
    InitPaths(m_inst->dir() + QStringLiteral("/velmora5"), m_inst->dir(), m_inst->dir(), m_inst->dir());
    InitLog();
    m_inst->db().exec(QStringLiteral("UPDATE PERSON SET Paßwort = %1, Status = 'T' WHERE PersonNr = %2")
                          .arg(PasswordCode(ClubFixture::kPaul, QStringLiteral("paul")))
                          .arg(ClubFixture::kPaul));
    TMainForm form;
    form.ApplyLogin(ClubFixture::kCoach);
    QCOMPARE(form.LoginTrainerNr, ClubFixture::kCoach);
    form.RebuildDocumentList();
    QCOMPARE(openRows(m_inst->db(), QStringLiteral("P")), 3);
    whenShown<TPassCheck>([](TPassCheck &login) {
        QVERIFY(login.locatePerson(ClubFixture::kPaul));
        login.setPassword(QStringLiteral("paul"));
        login.btnOkClick();
    });
    form.miRelogin1Click();
    QCOMPARE(form.LoginPersonNr, ClubFixture::kPaul);
    QCOMPARE(form.LoginGruppenNr, ClubFixture::kJugend);
    QCOMPARE(form.LoginTrainerNr, ClubFixture::kPaul);
    QCOMPARE(form.statusText(0), QStringLiteral("Angemeldet: Paul Meier"));
    // Paul sees himself and Anna, who lets her group read.
    QCOMPARE(openRows(m_inst->db(), QStringLiteral("P")), 2);
}

void TestMainForm::reloginCancelledKeepsLogin() {
    ClubFixture club(m_inst->db());
    TMainForm form;
    form.ApplyLogin(ClubFixture::kCoach);
    QCOMPARE(openRows(m_inst->db(), QStringLiteral("P")), 0);
    whenShown<TPassCheck>([](TPassCheck &login) { login.btnAbbruchClick(); });
    form.miRelogin1Click();
    QCOMPARE(form.LoginPersonNr, ClubFixture::kCoach);
    QCOMPARE(openRows(m_inst->db(), QStringLiteral("P")), 3); // rebuilt all the same
}

void TestMainForm::openPersonCard_data() {
    QTest::addColumn<int>("login");
    QTest::addColumn<QString>("leafStart");
    QTest::addColumn<int>("personNr");
    QTest::addColumn<bool>("readOnly");
    QTest::newRow("the coach's own athlete") << int(ClubFixture::kCoach) << "Meier" << int(ClubFixture::kPaul) << false;
    QTest::newRow("Paul reads Anna's card") << int(ClubFixture::kPaul) << "Berg" << int(ClubFixture::kAnna) << true;
}

void TestMainForm::openPersonCard() {
    QFETCH(int, login);
    QFETCH(QString, leafStart);
    QFETCH(int, personNr);
    QFETCH(bool, readOnly);
    ClubFixture club(m_inst->db());
    test::MessageRecorder messages;
    TMainForm form;
    form.ApplyLogin(login);
    form.RebuildDocumentList();
    bool cardShown = false, nameReadOnly = !readOnly, sexEnabled = readOnly;
    whenShown<TFrmOpen>([&](TFrmOpen &open) {
        open.btnErweitertClick();
        open.findChild<QComboBox *>(QStringLiteral("cbxSelect"))->setCurrentIndex(3);
        auto *tree = open.findChild<QTreeWidget *>(QStringLiteral("tvOpen"));
        QTreeWidgetItem *leaf = nullptr;
        for (int i = 0; i < tree->topLevelItemCount(); ++i) {
            QTreeWidgetItem *g = tree->topLevelItem(i);
            if (g->text(0) == QLatin1String("Sportler & Gruppen"))
                for (int j = 0; j < g->childCount(); ++j)
                    if (g->child(j)->text(0).startsWith(leafStart))
                        leaf = g->child(j);
        }
        QVERIFY(leaf);
        tree->setCurrentItem(leaf);
        whenShown<TSportlerkartei>([&](TSportlerkartei &card) {
            cardShown = true;
            nameReadOnly = card.findChild<QLineEdit *>(QStringLiteral("dbfNachname"))->isReadOnly();
            sexEnabled = card.findChild<QWidget *>(QStringLiteral("rgpSex"))->isEnabled();
            QCOMPARE(card.personNr(), personNr);
            card.btnCancelClick();
        });
        open.btnOeffnenClick();
    });
    form.miOpen1Click();
    QVERIFY(cardShown);
    QCOMPARE(nameReadOnly, readOnly);
    QCOMPARE(sexEnabled, !readOnly);
    QCOMPARE(form.LoginGruppenNr, ClubFixture::kJugend);
    QVERIFY(messages.entries().isEmpty());
}

namespace {
// Opens the leaf of the tree group `caption` whose text starts with `leafStart`.
void openLeaf(TFrmOpen &open, const QString &caption, const QString &leafStart) {
    open.btnErweitertClick();
    open.findChild<QComboBox *>(QStringLiteral("cbxSelect"))->setCurrentIndex(3);
    auto *tree = open.findChild<QTreeWidget *>(QStringLiteral("tvOpen"));
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        QTreeWidgetItem *g = tree->topLevelItem(i);
        if (g->text(0) == caption)
            for (int j = 0; j < g->childCount(); ++j)
                if (g->child(j)->text(0).startsWith(leafStart))
                    tree->setCurrentItem(g->child(j));
    }
    open.btnOeffnenClick();
}
} // namespace

// Kind -92 of the open dialog opens the filter window on that filter.
void TestMainForm::openFilter() {
    ClubFixture club(m_inst->db());
    test::MessageRecorder messages;
    TMainForm form;
    form.ApplyLogin(ClubFixture::kCoach);
    form.RebuildDocumentList();
    int shownFilter = 0;
    QString caption;
    whenShown<TFrmOpen>([&](TFrmOpen &open) {
        whenShown<TFilter>([&](TFilter &filter) {
            shownFilter = filter.filterNr();
            caption = filter.windowTitle();
            filter.btnCancelClick();
        });
        openLeaf(open, QStringLiteral("Filter"), QStringLiteral("Ausdauer"));
    });
    form.miOpen1Click();
    QCOMPARE(shownFilter, int(ClubFixture::kFilter));
    QCOMPARE(caption, QStringLiteral("Filter Ausdauer"));
    QVERIFY2(messages.entries().isEmpty(), qPrintable(messages.texts().join(QLatin1Char('|'))));
}

// A cancelled open dialog opens nothing and leaves the document list as it
// was; a window that ends with OK has the list rebuilt.
void TestMainForm::cancelledOpenLeavesTheList() {
    ClubFixture club(m_inst->db());
    test::MessageRecorder messages;
    TMainForm form;
    form.ApplyLogin(ClubFixture::kCoach);
    form.RebuildDocumentList();
    const int persons = openRows(m_inst->db(), QStringLiteral("P"));
    // A person the list does not know yet: only a rebuild brings it in.
    m_inst->db().exec(
        QStringLiteral("INSERT INTO PERSON (PersonNr, Nachname, Vorname, Sex, TrainerNr, GruppenNr, Angelegt) "
                       "VALUES (%1, 'Spaet', 'Sam', 'M', %2, %3, '2026-01-01 00:00:00.000')")
            .arg(ClubFixture::kOtto + 1)
            .arg(ClubFixture::kCoach)
            .arg(ClubFixture::kJugend));
    whenShown<TFrmOpen>([](TFrmOpen &open) {
        QTest::mouseClick(open.findChild<QPushButton *>(QStringLiteral("btnAbbrechen")), Qt::LeftButton);
    });
    form.miOpen1Click();
    QCOMPARE(openRows(m_inst->db(), QStringLiteral("P")), persons);
    QVERIFY(form.mdiArea()->subWindowList().isEmpty());
    // Escape is a cancel as well.
    whenShown<TFrmOpen>([](TFrmOpen &open) { QTest::keyClick(&open, Qt::Key_Escape); });
    form.miOpen1Click();
    QCOMPARE(openRows(m_inst->db(), QStringLiteral("P")), persons);
    // The same person's card ended with "Fertig" reports a change.
    whenShown<TFrmOpen>([](TFrmOpen &open) {
        whenShown<TSportlerkartei>([](TSportlerkartei &card) { card.btnOkClick(); });
        openLeaf(open, QStringLiteral("Sportler & Gruppen"), QStringLiteral("Meier"));
    });
    form.miOpen1Click();
    QCOMPARE(openRows(m_inst->db(), QStringLiteral("P")), persons + 1);
    QVERIFY2(messages.entries().isEmpty(), qPrintable(messages.texts().join(QLatin1Char('|'))));
}

void TestMainForm::cancelledNewDesignsLeaveNoRows() {
    settings().SerienNr = 1;
    TMainForm form;
    const qint64 blocks = m_inst->db().rowCount(QStringLiteral("TRTABLE"));
    whenShown<TTrTable>([](TTrTable &d) { d.reject(); });
    form.miTable1Click();
    QCOMPARE(m_inst->db().rowCount(QStringLiteral("TRTABLE")), blocks);
    QCOMPARE(m_inst->db().rowCount(QStringLiteral("TRFIELD")), 6); // block 0 only
    whenShown<TTrKz>([](TTrKz &d) { d.reject(); });
    form.miTrKz1Click();
    QCOMPARE(m_inst->db().rowCount(QStringLiteral("TR")), 0);
    QCOMPARE(m_inst->db().rowCount(QStringLiteral("TRuseTBL")), 0);
    // The document list is rebuilt after the form designer in any case.
    QCOMPARE(openRows(m_inst->db(), QStringLiteral("T")), 1);
}

QTEST_MAIN(TestMainForm)
#include "tst_mainform.moc"
