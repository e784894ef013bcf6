// The main window's "Löschen": the object is chosen in the open dialog,
// the question answered, and the object is gone from the database and the
// document list; open diaries let go of their entry before a block's table
// is dropped under them.
#include "app/DocumentList.h"
#include "app/ObjectDeletion.h"
#include "app/OpenDialogRules.h"
#include "app/TFrmOpen.h"
#include "app/TMainForm.h"
#include "base/Settings.h"
#include "design/FormElementCache.h"
#include "diary/EntryOperations.h"
#include "diary/TTrainingstagebuch.h"
#include "store/Database.h"
#include "support/ClubFixture.h"
#include "support/ClubWindows.h"
#include "support/MessageRecorder.h"
#include "support/TempInstallation.h"
#include "support/WhenShown.h"

#include <QAction>
#include <QComboBox>
#include <QMdiArea>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

using namespace velmora;
using velmora::test::ClubFixture;
using velmora::test::MessageRecorder;
using velmora::test::TempInstallation;
using velmora::test::whenShown;

namespace {

int count(Database &db, const QString &sql) {
    Statement st(db, sql);
    st.step();
    return st.value(0).toInt();
}

QTreeWidgetItem *findItem(QTreeWidget *tree, const QString &group, const QString &child) {
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        QTreeWidgetItem *g = tree->topLevelItem(i);
        if (g->text(0) == group)
            for (int j = 0; j < g->childCount(); ++j)
                if (g->child(j)->text(0).startsWith(child))
                    return g->child(j);
    }
    return nullptr;
}

// Chooses the object in the open dialog the way a user does: the extended
// view when the group needs it, a click on the item, "Öffnen" (or
// "Abbrechen" when `cancel`); `choice` other than -1 is chosen in the
// selection box first.
void chooseInOpenDialog(const QString &group, const QString &child, bool cancel = false, int choice = -1) {
    whenShown<TFrmOpen>([group, child, cancel, choice](TFrmOpen &open) {
        if (choice >= 0)
            open.findChild<QComboBox *>(QStringLiteral("cbxSelect"))->setCurrentIndex(choice);
        auto *tree = open.findChild<QTreeWidget *>(QStringLiteral("tvOpen"));
        if (!findItem(tree, group, child))
            QTest::mouseClick(open.findChild<QPushButton *>(QStringLiteral("btnErweitert")), Qt::LeftButton);
        QTreeWidgetItem *item = findItem(tree, group, child);
        QVERIFY2(item, qPrintable(group + QLatin1Char('/') + child));
        tree->setCurrentItem(item);
        QTest::mouseClick(
            open.findChild<QPushButton *>(cancel ? QStringLiteral("btnAbbrechen") : QStringLiteral("btnOeffnen")),
            Qt::LeftButton);
    });
}

} // namespace

class TestDeleteCommand : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void deletesTheChosenFilter();
    void cancelInOpenDialogDeletesNothing();
    void blockTableDroppedUnderAnOpenDiary();
    void deleteAllOfADiary_data();
    void deleteAllOfADiary();
    void readOnlyObjectIsRefused();

private:
    Database &db() { return m_inst->db(); }
    void openForm(TMainForm &form);

    std::unique_ptr<TempInstallation> m_inst;
    std::unique_ptr<ClubFixture> m_club;
    std::unique_ptr<MessageRecorder> m_messages;
};

void TestDeleteCommand::init() {
    m_inst = std::make_unique<TempInstallation>(ClubFixture::kSerial);
    m_club = std::make_unique<ClubFixture>(db());
    settings() = Settings();
    settings().SerienNr = ClubFixture::kSerial;
    LoadFormElementCache(db(), nullptr);
    m_messages = std::make_unique<MessageRecorder>();
}

void TestDeleteCommand::cleanup() {
    m_messages.reset();
    m_club.reset();
    m_inst.reset();
}

void TestDeleteCommand::openForm(TMainForm &form) {
    form.resize(1000, 700);
    form.show();
    form.ApplyLogin(ClubFixture::kCoach);
    form.RebuildDocumentList();
}

void TestDeleteCommand::deletesTheChosenFilter() {
    TMainForm form;
    openForm(form);
    QAction *command = form.action(QStringLiteral("miDelete"));
    QVERIFY(command->isEnabled());
    m_messages->answer(true);
    chooseInOpenDialog(QStringLiteral("Filter"), QStringLiteral("Ausdauer"));
    command->trigger();
    QCOMPARE(m_messages->texts(Messages::Kind::Question),
             QStringList{ObjectDeletion::ConfirmationText(QStringLiteral("Ausdauer"))});
    QCOMPARE(count(db(), QStringLiteral("SELECT count(*) FROM FILTER WHERE FilterNr = %1").arg(ClubFixture::kFilter)),
             0);
    QCOMPARE(count(db(), QStringLiteral("SELECT count(*) FROM FILTER")), 1);
    QCOMPARE(count(db(), QStringLiteral("SELECT count(*) FROM OPEN WHERE Type = 'F'")), 0);
}

void TestDeleteCommand::cancelInOpenDialogDeletesNothing() {
    TMainForm form;
    openForm(form);
    const int rows = count(db(), QStringLiteral("SELECT count(*) FROM TRTABLE"));
    chooseInOpenDialog(QStringLiteral("Formularbaustein"), QStringLiteral("Lauf"), true);
    form.action(QStringLiteral("miDelete"))->trigger();
    QVERIFY(m_messages->entries().isEmpty());
    QCOMPARE(count(db(), QStringLiteral("SELECT count(*) FROM TRTABLE")), rows);
    QVERIFY(db().tableExists(QStringLiteral("TR_1")));
}

void TestDeleteCommand::blockTableDroppedUnderAnOpenDiary() {
    TMainForm form;
    openForm(form);
    TTrainingstagebuch *diary = test::OpenAnnasDiary(form, 2);
    diary->listCursor().last();
    QVERIFY(diary->entryView()); // "Langer Lauf" with its block "Lauf"
    QPointer<QWidget> shown = dynamic_cast<QWidget *>(diary->entryView());
    QVERIFY(shown);

    m_messages->answer(true);
    chooseInOpenDialog(QStringLiteral("Formularbaustein"), QStringLiteral("Lauf"));
    form.action(QStringLiteral("miDelete"))->trigger();
    QCOMPARE(m_messages->texts(Messages::Kind::Error), QStringList());
    QVERIFY(!db().tableExists(QStringLiteral("TR_1")));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(shown.isNull()); // its block panel wrote into TR_1
    QCOMPARE(count(db(), QStringLiteral("SELECT count(*) FROM TRTABLE WHERE TableNr = %1").arg(ClubFixture::kBlock)),
             0);
    // The diary kept no view on the dropped table; its list was read again
    // and its entries still show, now without the block.
    QCOMPARE(diary->listCursor().recordCount(), 3);
    diary->listCursor().first();
    diary->listCursor().last();
    QVERIFY(diary->entryView());
    QVERIFY(FormElementCache().BlockElements(ClubFixture::kForm, ClubFixture::kBlock).empty());
    form.CloseAll1Click();
    QVERIFY(form.mdiArea()->subWindowList().isEmpty());
    QCOMPARE(m_messages->texts(Messages::Kind::Error), QStringList());
}

void TestDeleteCommand::deleteAllOfADiary_data() {
    QTest::addColumn<bool>("yes");
    QTest::newRow("yes") << true;
    QTest::newRow("no") << false;
}

void TestDeleteCommand::deleteAllOfADiary() {
    // Anna's plans, which her coach may change, open in a diary window
    // while they are deleted.
    QFETCH(bool, yes);
    TMainForm form;
    openForm(form);
    TTrainingstagebuch *diary = test::OpenAnnasDiary(form, 3);
    QCOMPARE(diary->listCursor().recordCount(), 1);
    const QString plans =
        QStringLiteral("SELECT count(*) FROM TR WHERE PersonNr = %1 AND Art = 3").arg(ClubFixture::kAnna);
    const QString planRows =
        QStringLiteral("SELECT count(*) FROM TR_1 WHERE TrNr IN (SELECT TrNr FROM TR WHERE Art = 3)");
    const int entries = count(db(), QStringLiteral("SELECT count(*) FROM TR"));
    const int blockRows = count(db(), QStringLiteral("SELECT count(*) FROM TR_1"));
    QCOMPARE(count(db(), planRows), 1);

    m_messages->answer(yes);
    chooseInOpenDialog(QStringLiteral("Plan"), QStringLiteral("Berg Anna"), false, ChoiceCoach);
    form.action(QStringLiteral("miDelete"))->trigger();
    QCOMPARE(m_messages->texts(Messages::Kind::Question), QStringList{EntryOperations::DeleteAllQuestion()});
    QCOMPARE(m_messages->texts(Messages::Kind::Error), QStringList());
    // Yes takes the plan with its block rows and nothing else; no keeps all.
    QCOMPARE(count(db(), plans), yes ? 0 : 1);
    QCOMPARE(count(db(), planRows), yes ? 0 : 1);
    QCOMPARE(count(db(), QStringLiteral("SELECT count(*) FROM TR")), yes ? entries - 1 : entries);
    QCOMPARE(count(db(), QStringLiteral("SELECT count(*) FROM TR_1")), yes ? blockRows - 1 : blockRows);
    // The open diary lists what is left.
    QCOMPARE(diary->listCursor().recordCount(), yes ? 0 : 1);
}

void TestDeleteCommand::readOnlyObjectIsRefused() {
    // The coach may read Anna's protocols, not change them: the open dialog
    // returns them read-only, and deleting them is refused before any question.
    TMainForm form;
    openForm(form);
    const int entries = count(db(), QStringLiteral("SELECT count(*) FROM TR"));
    const int blockRows = count(db(), QStringLiteral("SELECT count(*) FROM TR_1"));
    m_messages->answer(true);
    chooseInOpenDialog(QStringLiteral("Protokoll"), QStringLiteral("Berg Anna"), false, ChoiceCoach);
    form.action(QStringLiteral("miDelete"))->trigger();
    QCOMPARE(m_messages->texts(Messages::Kind::Question), QStringList());
    const QStringList errors = m_messages->texts(Messages::Kind::Error);
    QCOMPARE(errors.size(), 1);
    QVERIFY2(errors.front().startsWith(QStringLiteral("Sie dürfen \"Berg Anna")) &&
                 errors.front().endsWith(QStringLiteral("\" nur lesen und daher nicht löschen.")),
             qPrintable(errors.front()));
    QCOMPARE(count(db(), QStringLiteral("SELECT count(*) FROM TR")), entries);
    QCOMPARE(count(db(), QStringLiteral("SELECT count(*) FROM TR_1")), blockRows);
}

QTEST_MAIN(TestDeleteCommand)
#include "tst_deletecommand.moc"
