// The main window opening diaries: a protocol from the open dialog, the
// layout editor of a new block, a form's blank entry.
#include "app/DocumentList.h"
#include "app/TFrmOpen.h"
#include "app/TMainForm.h"
#include "base/Settings.h"
#include "controls/DBControls.h"
#include "controls/TDBTypeGrid.h"
#include "design/BlockTable.h"
#include "design/FormElementCache.h"
#include "design/TTREList.h"
#include "diary/TTrainingseintrag.h"
#include "diary/TTrainingstagebuch.h"
#include "store/Cursor.h"
#include "support/ClubFixture.h"
#include "support/ClubWindows.h"
#include "support/MessageRecorder.h"
#include "support/TempInstallation.h"
#include "support/WhenShown.h"

#include <QApplication>
#include <QComboBox>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <functional>

using namespace velmora;
using velmora::test::ClubFixture;
using velmora::test::TempInstallation;
using velmora::test::whenShown;

namespace {
TTrainingstagebuch *onlyDiary(TMainForm &form) {
    const auto windows = form.mdiArea()->subWindowList();
    return windows.size() == 1 ? qobject_cast<TTrainingstagebuch *>(windows.first()->widget()) : nullptr;
}
} // namespace

class TestDiaryOpen : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void protocolFromOpenDialog_data();
    void protocolFromOpenDialog();
    void badInputKeepsTheEntryShown();
    void layoutEditorOfNewBlock();
    void formFillIn();

private:
    std::unique_ptr<TempInstallation> m_inst;
    std::unique_ptr<ClubFixture> m_club;
};

void TestDiaryOpen::init() {
    m_inst = std::make_unique<TempInstallation>(ClubFixture::kSerial);
    m_club = std::make_unique<ClubFixture>(m_inst->db());
    settings() = Settings();
    settings().SerienNr = ClubFixture::kSerial;
    LoadFormElementCache(m_inst->db(), nullptr);
}

void TestDiaryOpen::cleanup() {
    m_club.reset();
    m_inst.reset();
}

void TestDiaryOpen::protocolFromOpenDialog_data() {
    QTest::addColumn<int>("login");
    QTest::addColumn<int>("choice");
    QTest::addColumn<bool>("readOnly");
    QTest::newRow("the coach reads Anna's protocol") << int(ClubFixture::kCoach) << 2 << true;
    QTest::newRow("Anna keeps her own") << int(ClubFixture::kAnna) << 0 << false;
}

void TestDiaryOpen::protocolFromOpenDialog() {
    QFETCH(int, login);
    QFETCH(int, choice);
    QFETCH(bool, readOnly);
    TMainForm form;
    form.show();
    form.ApplyLogin(login);
    form.RebuildDocumentList();
    whenShown<TFrmOpen>([choice](TFrmOpen &open) {
        open.findChild<QComboBox *>(QStringLiteral("cbxSelect"))->setCurrentIndex(choice);
        auto *tree = open.findChild<QTreeWidget *>(QStringLiteral("tvOpen"));
        for (int i = 0; i < tree->topLevelItemCount(); ++i) {
            QTreeWidgetItem *g = tree->topLevelItem(i);
            if (g->text(0) == QLatin1String("Protokoll"))
                for (int j = 0; j < g->childCount(); ++j)
                    if (g->child(j)->text(0).startsWith(QLatin1String("Berg")))
                        tree->setCurrentItem(g->child(j));
        }
        open.btnOeffnenClick();
    });
    form.miOpen1Click();
    TTrainingstagebuch *diary = onlyDiary(form);
    QVERIFY(diary);
    QCOMPARE(diary->windowTitle(), QStringLiteral("IST (Protokoll) von Berg Anna 17.05.1990 [-] "));
    QCOMPARE(diary->listCursor().recordCount(), 3);
    QVERIFY(!diary->entryView()); // the right-hand side waits for a choice in the list
    // The open dialog's read-only flag reaches the diary (until an entry
    // shown there sets it by its author).
    QCOMPARE(diary->ReadOnly, readOnly);
    diary->listCursor().last();
    auto *view = dynamic_cast<TTrainingseintrag *>(diary->entryView());
    QVERIFY2(view, qPrintable(QString::number(diary->listCursor().recNo())));
    QCOMPARE(view->objectName(), QStringLiteral("TRE1_4")); // the newest entry, "Langer Lauf"
    QCOMPARE(view->panels().size(), size_t(2));
    QCOMPARE(form.printCursor(), &diary->listCursor());
    form.CloseAll1Click();
    QVERIFY(form.mdiArea()->subWindowList().isEmpty());
}

// A number field holding what is no number: a click on another entry of
// the list is refused with the message, the entry and the typing stay.
void TestDiaryOpen::badInputKeepsTheEntryShown() {
    test::MessageRecorder messages;
    TMainForm form;
    form.resize(1000, 700);
    form.show();
    QApplication::setActiveWindow(&form);
    QVERIFY(QTest::qWaitForWindowActive(&form));
    form.ApplyLogin(ClubFixture::kCoach);
    TTrainingstagebuch *diary = test::OpenAnnasDiary(form, 2);
    diary->listCursor().last();
    auto *view = dynamic_cast<TTrainingseintrag *>(diary->entryView());
    QVERIFY(view);
    QCOMPARE(view->objectName(), QStringLiteral("TRE1_4"));
    auto *dauer = view->findChild<TDBEdit *>(QStringLiteral("F") +
                                             TTREListEntry::MakeName(ClubFixture::kForm, 2, ClubFixture::kBlock, 1));
    QVERIFY(dauer);
    QVERIFY(!dauer->QLineEdit::isReadOnly());
    dauer->setFocus();
    QVERIFY(dauer->hasFocus());
    dauer->selectAll();
    QTest::keyClicks(dauer, QStringLiteral("-"));
    QCOMPARE(dauer->text(), QStringLiteral("-"));
    const QModelIndex first = diary->dbgTr->model()->index(0, 2);
    QTest::mouseClick(diary->dbgTr->viewport(), Qt::LeftButton, {}, diary->dbgTr->visualRect(first).center());
    QCOMPARE(messages.texts(), QStringList{QStringLiteral("'-' ist keine gültige Zahl.")});
    QVERIFY(dauer->hasFocus());
    QCOMPARE(dauer->text(), QStringLiteral("-"));
    QCOMPARE(diary->listCursor().recNo(), 2);
    QCOMPARE(diary->entryView(), static_cast<EntryView *>(view));
    // Corrected, the click goes through and the value is kept.
    dauer->selectAll();
    QTest::keyClicks(dauer, QStringLiteral("75"));
    QTest::mouseClick(diary->dbgTr->viewport(), Qt::LeftButton, {}, diary->dbgTr->visualRect(first).center());
    QCOMPARE(messages.texts().size(), 1);
    QCOMPARE(diary->listCursor().recNo(), 0);
    Cursor rows(m_inst->db(), QStringLiteral("TR_1"));
    rows.setRange({ClubFixture::kSerial, 4}, {ClubFixture::kSerial, 4});
    rows.open();
    QCOMPARE(rows.asInt(QStringLiteral("Dauer")), 75);
    form.CloseAll1Click();
}

void TestDiaryOpen::layoutEditorOfNewBlock() {
    Database &db = m_inst->db();
    Cursor b(db, QStringLiteral("TRTABLE"));
    b.open();
    b.append();
    b.setValue(QStringLiteral("TableNr"), 65538);
    b.setValue(QStringLiteral("Name"), QStringLiteral("Kraft"));
    b.setValue(QStringLiteral("Filename"), QStringLiteral("TR_2"));
    b.post();
    Cursor f(db, QStringLiteral("TRFIELD"));
    f.open();
    for (int i = 1; i <= 2; ++i) {
        f.append();
        f.setValue(QStringLiteral("TableNr"), 65538);
        f.setValue(QStringLiteral("Order"), i);
        f.setValue(QStringLiteral("Feldname"), QStringLiteral("Gewicht%1").arg(i));
        f.setValue(QStringLiteral("Typ"), QStringLiteral("I"));
        f.setValue(QStringLiteral("Prefix"), QStringLiteral("Gewicht %1").arg(i));
        f.post();
    }
    FinishBlock(db, 65538, m_inst->dir() + QStringLiteral("/x.IDX"));
    LoadFormElementCache(db, nullptr);
    TMainForm form;
    form.show();
    form.ApplyLogin(ClubFixture::kCoach);
    form.OpenLayoutEditor();
    TTrainingstagebuch *diary = onlyDiary(form);
    QVERIFY(diary);
    QCOMPARE(diary->windowTitle(), QStringLiteral("Layout festlegen"));
    auto *view = diary->findChild<TTrainingseintrag *>();
    QVERIFY(view);
    QCOMPARE(view->panels().size(), size_t(1));
    QVERIFY(view->findChild<QWidget *>(QStringLiteral("Ff0o1t65538e2d")));
    form.CloseAll1Click();
    // Laying out writes no rows into the block's table.
    QCOMPARE(db.rowCount(QStringLiteral("TR_2")), 0);
}

void TestDiaryOpen::formFillIn() {
    TMainForm form;
    form.show();
    form.ApplyLogin(ClubFixture::kCoach);
    form.OpenFormFillIn(ClubFixture::kSerial, 1, QStringLiteral("Laufprotokoll"), false);
    TTrainingstagebuch *diary = onlyDiary(form);
    QVERIFY(diary);
    QCOMPARE(diary->windowTitle(), QStringLiteral("Formular \"Laufprotokoll\" vorausfüllen"));
    auto *view = diary->findChild<TTrainingseintrag *>();
    QVERIFY(view);
    QCOMPARE(view->objectName(), QStringLiteral("TRE1_1"));
    form.CloseAll1Click();
    // Showing the blank entry gave each of its blocks a row.
    Cursor rows(m_inst->db(), QStringLiteral("TR_1"));
    rows.open();
    QVERIFY(rows.findKey({ClubFixture::kSerial, 1, 0}));
}

QTEST_MAIN(TestDiaryOpen)
#include "tst_diaryopen.moc"
