// The main window's evaluation commands: "&Auswertung" under "&Neu..." and
// an evaluation chosen in the open dialog, both through the wizard, and the
// run a finished wizard asks for.
#include "app/TFrmOpen.h"
#include "app/TMainForm.h"
#include "base/Settings.h"
#include "evaluation/TAuswertungSQL.h"
#include "evaluation/TAuswertungsAssistent.h"
#include "store/Query.h"
#include "support/ClubFixture.h"
#include "support/MessageRecorder.h"
#include "support/TempInstallation.h"
#include "support/WhenShown.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

using namespace velmora;
using velmora::test::ClubFixture;
using velmora::test::MessageRecorder;
using velmora::test::TempInstallation;
using velmora::test::whenShown;

namespace {
int openRows(Database &db, const QString &name) {
    Query q(db, QStringLiteral("select count(*) from OPEN where (Type = 'A') and (Name = :Name)"));
    q.setParam(QStringLiteral("Name"), name);
    q.open();
    return q.value(0).toInt();
}

QTreeWidgetItem *leaf(QTreeWidget *tree, const QString &top, const QString &start) {
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        if (QTreeWidgetItem *node = tree->topLevelItem(i); node->text(0) == top)
            for (int j = 0; j < node->childCount(); ++j)
                if (node->child(j)->text(0).startsWith(start))
                    return node->child(j);
    return nullptr;
}

void click(QWidget &w, const char *name) {
    QTest::mouseClick(w.findChild<QPushButton *>(QLatin1String(name)), Qt::LeftButton);
}

// Page "Dokumente" to OK with Anna's protocol.
void finishForAnna(TAuswertungsAssistent &w) {
    auto *tree = w.findChild<QTreeWidget *>(QStringLiteral("tvOpen2"));
    tree->setCurrentItem(leaf(tree, QStringLiteral("Protokoll"), QStringLiteral("Berg")));
    click(w, "btnWeiter");
    click(w, "btnFertig");
}
} // namespace

class TestEvaluationCommands : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void newEvaluationFromMenu();
    void newEvaluationFromToolBar();
    void evaluationFromOpenDialog_data();
    void evaluationFromOpenDialog();

private:
    std::unique_ptr<TempInstallation> m_inst;
    std::unique_ptr<ClubFixture> m_club;
    std::unique_ptr<MessageRecorder> m_messages;
};

void TestEvaluationCommands::init() {
    m_inst = std::make_unique<TempInstallation>(ClubFixture::kSerial);
    m_club = std::make_unique<ClubFixture>(m_inst->db());
    m_messages = std::make_unique<MessageRecorder>();
    settings() = Settings();
    settings().SerienNr = ClubFixture::kSerial;
}

void TestEvaluationCommands::cleanup() {
    m_messages.reset();
    m_club.reset();
    m_inst.reset();
}

// The menu item opens the wizard on a new evaluation; what it made is in the
// document list afterwards, and a finished test run reaches the result hook.
void TestEvaluationCommands::newEvaluationFromMenu() {
    TMainForm form;
    form.ApplyLogin(ClubFixture::kCoach);
    form.RebuildDocumentList();
    int runs = 0;
    EvaluationRun run;
    form.openResult = [&](const EvaluationRun &r, std::unique_ptr<TAuswertungSQL> builder) {
        ++runs;
        run = r;
        QVERIFY(builder);
    };
    QAction *item = form.action(QStringLiteral("miSolver1"));
    QVERIFY(item && item->isEnabled());
    bool shownNew = false;
    whenShown<TAuswertungsAssistent>([&](TAuswertungsAssistent &w) {
        shownNew = w.isNewEvaluation() && w.windowTitle() == QStringLiteral("Auswertungsassistent");
        auto *name = w.findChild<QLineEdit *>(QStringLiteral("dbfAuswertung"));
        QTest::keyClicks(name, QStringLiteral("Neu aus dem Menue"));
        click(w, "btnWeiter");
        click(w, "btnAbbruch");
    });
    item->trigger();
    QVERIFY(shownNew);
    QCOMPARE(runs, 0);
    // The name was stored on leaving the first page and is listed now.
    QCOMPARE(openRows(m_inst->db(), QStringLiteral("Neu aus dem Menue")), 1);
    QVERIFY2(m_messages->texts().isEmpty(), qPrintable(m_messages->texts().join('|')));
}

void TestEvaluationCommands::newEvaluationFromToolBar() {
    TMainForm form;
    form.ApplyLogin(ClubFixture::kCoach);
    QAction *copy = form.action(QStringLiteral("tbSolver"));
    QVERIFY(copy && copy->isEnabled());
    bool shown = false;
    whenShown<TAuswertungsAssistent>([&](TAuswertungsAssistent &w) {
        shown = w.isNewEvaluation();
        w.reject();
    });
    copy->trigger();
    QVERIFY(shown);
    QCOMPARE(m_inst->db().rowCount(QStringLiteral("AUSWERT")), 1);
}

void TestEvaluationCommands::evaluationFromOpenDialog_data() {
    QTest::addColumn<int>("login");
    QTest::addColumn<bool>("readOnly");
    QTest::newRow("the coach's own evaluation") << int(ClubFixture::kCoach) << false;
    QTest::newRow("Anna may only look") << int(ClubFixture::kAnna) << true;
}

// Kind -95 opens the wizard on the chosen evaluation, read-only for another
// author's; OK with the test flag hands the run and the builder on.
void TestEvaluationCommands::evaluationFromOpenDialog() {
    QFETCH(int, login);
    QFETCH(bool, readOnly);
    if (readOnly) {
        // Looking at another's evaluation builds nothing: it runs with the
        // queries its author built.
        TAuswertungSQL author(m_inst->db());
        author.AuswertungNr = ClubFixture::kEvaluation;
        author.BuildSQL();
    }
    TMainForm form;
    form.ApplyLogin(login);
    form.RebuildDocumentList();
    int runs = 0;
    EvaluationRun run;
    std::unique_ptr<TAuswertungSQL> builder;
    form.openResult = [&](const EvaluationRun &r, std::unique_ptr<TAuswertungSQL> b) {
        ++runs;
        run = r;
        builder = std::move(b);
    };
    int shownNr = 0;
    bool shownReadOnly = !readOnly;
    whenShown<TFrmOpen>([&](TFrmOpen &open) {
        whenShown<TAuswertungsAssistent>([&](TAuswertungsAssistent &w) {
            shownNr = w.auswertungNr();
            shownReadOnly = w.isReadOnly();
            click(w, "btnWeiter");
            w.findChild<QComboBox *>(QStringLiteral("cbxSelect"))->setCurrentIndex(3);
            finishForAnna(w);
        });
        auto *tree = open.findChild<QTreeWidget *>(QStringLiteral("tvOpen"));
        open.findChild<QComboBox *>(QStringLiteral("cbxSelect"))->setCurrentIndex(3);
        tree->setCurrentItem(leaf(tree, QStringLiteral("Auswertung"), QStringLiteral("Umfang pro Woche")));
        open.btnOeffnenClick();
    });
    form.miOpen1Click();
    QCOMPARE(shownNr, int(ClubFixture::kEvaluation));
    QCOMPARE(shownReadOnly, readOnly);
    QCOMPARE(runs, 1);
    QVERIFY(builder);
    QCOMPARE(run.auswertungNr, int(ClubFixture::kEvaluation));
    QCOMPARE(run.art, 2);
    QCOMPARE(run.personNr, int(ClubFixture::kAnna));
    QVERIFY(run.caption.startsWith(QStringLiteral("Umfang pro Woche von Berg")));
    // The builder runs the evaluation as the result window will.
    builder->PrepareRun();
    builder->Run();
    QCOMPARE(builder->resultTable()->recordCount(), 1);
    QVERIFY2(m_messages->texts().isEmpty(), qPrintable(m_messages->texts().join('|')));
}

QTEST_MAIN(TestEvaluationCommands)
#include "tst_evaluationcommands.moc"
