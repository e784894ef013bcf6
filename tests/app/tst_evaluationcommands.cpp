// The main window's evaluation commands: "&Auswertung" under "&Neu..." and
// an evaluation chosen in the open dialog, both through the wizard, and the
// run a finished wizard asks for.
#include "app/TFrmOpen.h"
#include "app/TMainForm.h"
#include "base/Settings.h"
#include "evaluation/TAuswertung.h"
#include "evaluation/TAuswertungFeld.h"
#include "evaluation/TAuswertungSQL.h"
#include "evaluation/TAuswertungsAssistent.h"
#include "evaluation/TChartControl.h"
#include "store/Query.h"
#include "support/ClubFixture.h"
#include "support/MessageRecorder.h"
#include "support/TempInstallation.h"
#include "support/WhenShown.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
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

QList<TAuswertung *> resultWindows(TMainForm &form) {
    QList<TAuswertung *> out;
    for (QMdiSubWindow *w : form.mdiArea()->subWindowList())
        if (auto *result = qobject_cast<TAuswertung *>(w->widget()))
            out << result;
    return out;
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
    void newEvaluationRunsInResultWindow();
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
// document list afterwards; a cancelled wizard runs nothing.
void TestEvaluationCommands::newEvaluationFromMenu() {
    TMainForm form;
    form.ApplyLogin(ClubFixture::kCoach);
    form.RebuildDocumentList();
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
    QVERIFY(resultWindows(form).isEmpty());
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

// A new grouped week evaluation, finished with "Auswertung testen", runs in
// a result window with the documents chosen in the wizard.
void TestEvaluationCommands::newEvaluationRunsInResultWindow() {
    TMainForm form;
    form.ApplyLogin(ClubFixture::kCoach);
    form.RebuildDocumentList();
    whenShown<TAuswertungsAssistent>([&](TAuswertungsAssistent &w) {
        QTest::keyClicks(w.findChild<QLineEdit *>(QStringLiteral("dbfAuswertung")), QStringLiteral("Strecke"));
        click(w, "btnWeiter");
        QTest::mouseClick(w.findChild<QRadioButton *>(QStringLiteral("rgpArt1")), Qt::LeftButton, {}, QPoint(5, 5));
        click(w, "btnWeiter");
        w.findChild<QListWidget *>(QStringLiteral("lbxTables"))->item(0)->setSelected(true);
        click(w, "btnWeiter");
        QTest::mouseClick(w.findChild<QRadioButton *>(QStringLiteral("rgpXAchse2")), Qt::LeftButton, {}, QPoint(5, 5));
        click(w, "btnWeiter");
        whenShown<TAuswertungFeld>([](TAuswertungFeld &ed) {
            auto *name = ed.findChild<QLineEdit *>(QStringLiteral("dbfFeldname"));
            name->selectAll();
            QTest::keyClicks(name, QStringLiteral("Km"));
            auto *list = ed.findChild<QTableView *>(QStringLiteral("dbgFieldList"));
            list->selectRow(1); // Strecke
            ed.findChild<QComboBox *>(QStringLiteral("dbfAgregat"))->setCurrentIndex(1);
            click(ed, "btnFertig1");
        });
        click(w, "btnFeldAnfuegen");
        click(w, "btnFertig");
        finishForAnna(w);
    });
    form.action(QStringLiteral("miSolver1"))->trigger();
    const QList<TAuswertung *> results = resultWindows(form);
    QCOMPARE(results.size(), 1);
    TAuswertung *result = results.first();
    QCOMPARE(result->AuswertungNr, ClubFixture::kBase + 2);
    QVERIFY(result->Caption.startsWith(QStringLiteral("Strecke von Berg")));
    QVERIFY2(result->hasResult(), qPrintable(m_messages->texts().join('|')));
    Cursor *table = result->builder()->resultTable();
    QCOMPARE(table->recordCount(), 1);
    table->first();
    QCOMPARE(table->asFloat(QStringLiteral("Km")), 10.5 + 2.0 + 9.0 + 25.0);
    QCOMPARE(openRows(m_inst->db(), QStringLiteral("Strecke")), 1);
}

void TestEvaluationCommands::evaluationFromOpenDialog_data() {
    QTest::addColumn<int>("login");
    QTest::addColumn<bool>("readOnly");
    QTest::newRow("the coach's own evaluation") << int(ClubFixture::kCoach) << false;
    QTest::newRow("Anna may only look") << int(ClubFixture::kAnna) << true;
}

// Kind -95 opens the wizard on the chosen evaluation, read-only for another
// author's; OK with the test flag runs it in a result window.
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
    // The result window has run the evaluation on Anna's protocols: week 2 of 2026.
    const QList<TAuswertung *> results = resultWindows(form);
    QCOMPARE(results.size(), 1);
    TAuswertung *result = results.first();
    QCOMPARE(result->AuswertungNr, int(ClubFixture::kEvaluation));
    QCOMPARE(result->Art, 2);
    QCOMPARE(result->PersonNr, int(ClubFixture::kAnna));
    QVERIFY(!result->Vergleich);
    QVERIFY(result->Caption.startsWith(QStringLiteral("Umfang pro Woche von Berg")));
    QVERIFY(result->hasResult());
    QVERIFY(result->builder());
    Cursor *table = result->builder()->resultTable();
    QVERIFY(table);
    QCOMPARE(table->recordCount(), 1);
    table->first();
    QCOMPARE(table->asInt(QStringLiteral("Woche")), 202602);
    QCOMPARE(table->asInt(QStringLiteral("Umfang")), 60 + 15 + 45 + 120);
    QVERIFY2(m_messages->texts().isEmpty(), qPrintable(m_messages->texts().join('|')));
}

QTEST_MAIN(TestEvaluationCommands)
#include "tst_evaluationcommands.moc"
