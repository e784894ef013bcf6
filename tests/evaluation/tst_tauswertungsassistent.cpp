// The evaluation wizard, walked through offscreen as a coach does: buttons,
// radio buttons, list and tree clicks, typing, and the field editor it opens.
#include "app/DocumentList.h"
#include "base/Settings.h"
#include "evaluation/EvaluationWizardRules.h"
#include "evaluation/TAuswertung.h"
#include "evaluation/TAuswertungFeld.h"
#include "evaluation/TAuswertungSQL.h"
#include "evaluation/TAuswertungsAssistent.h"
#include "store/Query.h"
#include "support/ClubFixture.h"
#include "support/Controls.h"
#include "support/MessageRecorder.h"
#include "support/StoredRow.h"
#include "support/TempInstallation.h"
#include "support/WhenShown.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTreeWidget>

using namespace velmora;
using velmora::test::ClubFixture;
using velmora::test::control;
using velmora::test::MessageRecorder;
using velmora::test::TempInstallation;
using velmora::test::type;
using velmora::test::whenShown;
using Wizard = TAuswertungsAssistent;

namespace {
constexpr int kEval = ClubFixture::kEvaluation;
constexpr int kNewEval = ClubFixture::kBase + 2;
// Rows of the block "Lauf" in the field editor's list.
enum ListRow { Dauer = 0, Strecke = 1, Belastung = 2 };

int count(Database &db, const QString &sql) {
    Query q(db, sql);
    q.open();
    return q.value(0).toInt();
}

QVariantMap afield(Database &db, int auswertungNr, int feldNr) {
    return velmora::test::storedRow(db, QStringLiteral("AFIELD"), {auswertungNr, feldNr});
}

QVariantMap auswert(Database &db, int auswertungNr) {
    return velmora::test::storedRow(db, QStringLiteral("AUSWERT"), {auswertungNr});
}

// Every row of the evaluation tables, as text: what "changes nothing" compares.
QString dump(Database &db) {
    QString out;
    for (const char *table : {"AUSWERT", "AFIELD", "ATABLE"}) {
        Query q(db, QStringLiteral("select * from %1").arg(QLatin1String(table)));
        q.open();
        for (q.first(); !q.eof(); q.next()) {
            out += QLatin1String(table);
            for (int i = 0; i < int(q.fields().size()); ++i)
                out += QLatin1Char('|') + q.value(i).toString();
            out += QLatin1Char('\n');
        }
    }
    return out;
}

void click(QWidget &w, const char *name) {
    auto *b = control<QPushButton>(w, name);
    QVERIFY2(b->isVisible(), name);
    QTest::mouseClick(b, Qt::LeftButton);
}

void choose(QWidget &w, const QString &radio) {
    auto *b = w.findChild<QRadioButton *>(radio);
    QVERIFY2(b && b->isVisible(), qPrintable(radio));
    QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(5, b->height() / 2));
}

void clickBlock(Wizard &w, int row) {
    auto *list = control<QListWidget>(w, "lbxTables");
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row)).center());
}

QTreeWidgetItem *leaf(QTreeWidget *tree, const QString &top, const QString &start) {
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        QTreeWidgetItem *node = tree->topLevelItem(i);
        if (node->text(0) != top)
            continue;
        if (start.isEmpty())
            return node;
        for (int j = 0; j < node->childCount(); ++j)
            if (node->child(j)->text(0).startsWith(start))
                return node->child(j);
    }
    return nullptr;
}

QStringList leaves(Wizard &w, const char *tree, const QString &top) {
    QStringList out;
    QTreeWidgetItem *node = leaf(control<QTreeWidget>(w, tree), top, QString());
    for (int j = 0; node && j < node->childCount(); ++j)
        out << node->child(j)->text(0);
    return out;
}

void clickItem(QTreeWidget *tree, QTreeWidgetItem *item) {
    QVERIFY(item);
    tree->scrollToItem(item);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(item).center());
    QCOMPARE(tree->currentItem(), item);
}

// The field editor as the wizard opens it: a name, a block field, an aggregate.
void fillEditor(TAuswertungFeld &ed, const QString &name, int row, int aggregate) {
    type(ed, "dbfFeldname", name);
    auto *list = control<QTableView>(ed, "dbgFieldList");
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(list->model()->index(row, 0)).center());
    auto *box = control<QComboBox>(ed, "dbfAgregat");
    if (box->isVisible()) {
        box->setFocus();
        while (box->currentIndex() > aggregate)
            QTest::keyClick(box, Qt::Key_Up);
        while (box->currentIndex() < aggregate)
            QTest::keyClick(box, Qt::Key_Down);
    }
    QTest::mouseClick(control<QPushButton>(ed, "btnFertig1"), Qt::LeftButton);
}

QStringList storedLines(Database &db, int nr, const char *column) {
    return TAuswertungSQL::memoLines(auswert(db, nr).value(QLatin1String(column)).toString());
}
} // namespace

class TestTAuswertungsAssistent : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void groupedWeekEvaluation();
    void crossTable();
    void crossTableWaitsForYField();
    void axisChoiceTwiceLeavesOneField();
    void otherFieldCancelledKeepsTheOldOne();
    void simpleQueryResetsXAxisOfNewEvaluation();
    void simpleQueryTakesTheYear();
    void readOnlyChangesNothing();
    void cancelWritesNothing_data();
    void cancelWritesNothing();
    void tabClicksAreRefused();
    void nameNeededToGoOn();
    void existingEvaluationGoesToDocuments();
    void documentTrees_data();
    void documentTrees();
    void captionAndComparison();
    void finishWithoutTest();
    void sqlPage();
    void kindPictures();
    void missingEvaluationStoresNothing();

private:
    std::unique_ptr<TempInstallation> m_inst;
    std::unique_ptr<MessageRecorder> m_messages;
    std::unique_ptr<ClubFixture> m_club;
    Database &db() { return m_inst->db(); }
    std::unique_ptr<Wizard> open(int nr = 0, bool readOnly = false, const QString &caption = {});
    // From page "Name" of a new evaluation to page "X-Achse" with the block chosen.
    void defineNew(Wizard &w, const QString &name, int kind);
    // Page "Felder": one data field on "Dauer".
    void addUmfang(Wizard &w);
    // From page "Felder" through "Dokumente" (Anna's protocol) to OK.
    void finishForAnna(Wizard &w);
};

void TestTAuswertungsAssistent::init() {
    m_inst = std::make_unique<TempInstallation>(ClubFixture::kSerial);
    m_messages = std::make_unique<MessageRecorder>();
    m_club = std::make_unique<ClubFixture>(db());
    settings() = Settings();
    settings().SerienNr = ClubFixture::kSerial;
    RebuildDocumentList(db(), nullptr, ClubFixture::kCoach, ClubFixture::kJugend);
}

void TestTAuswertungsAssistent::cleanup() {
    m_club.reset();
    m_messages.reset();
    m_inst.reset();
}

std::unique_ptr<Wizard> TestTAuswertungsAssistent::open(int nr, bool readOnly, const QString &caption) {
    auto w = std::make_unique<Wizard>(db());
    w->setAuswertungNr(nr);
    w->setReadOnly(readOnly);
    w->setPersonNr(ClubFixture::kCoach);
    w->setGruppenNr(ClubFixture::kJugend);
    w->setCaptionStart(caption);
    w->show();
    return w;
}

void TestTAuswertungsAssistent::defineNew(Wizard &w, const QString &name, int kind) {
    QCOMPARE(w.currentPage(), int(Wizard::PageName));
    QVERIFY(!control<QPushButton>(w, "btnEntwurfsansicht")->isVisible());
    type(w, "dbfAuswertung", name);
    click(w, "btnWeiter");
    QCOMPARE(w.currentPage(), int(Wizard::PageArt));
    // The name is stored once the first page is left.
    QCOMPARE(auswert(db(), kNewEval).value(QStringLiteral("Auswertung")).toString(), name);
    QCOMPARE(auswert(db(), kNewEval).value(QStringLiteral("TrainerNr")).toInt(), int(ClubFixture::kCoach));
    choose(w, QStringLiteral("rgpArt%1").arg(kind));
    click(w, "btnWeiter");
    QCOMPARE(w.currentPage(), int(Wizard::PageBausteine));
    QCOMPARE(control<QListWidget>(w, "lbxTables")->count(), 1); // block 0 is not offered
    clickBlock(w, 0);
    click(w, "btnWeiter");
    QCOMPARE(w.currentPage(), int(Wizard::PageXAchse));
    QCOMPARE(count(db(), QStringLiteral("select count(*) from ATABLE where AuswertungNr = %1 and TableNr = %2")
                             .arg(kNewEval)
                             .arg(ClubFixture::kBlock)),
             1);
    QVERIFY(control<QRadioButton>(w, "rgpXAchse0")->isChecked());
}

void TestTAuswertungsAssistent::addUmfang(Wizard &w) {
    QCOMPARE(w.currentPage(), int(Wizard::PageFelder));
    QVERIFY(!control<QPushButton>(w, "btnFertig")->isEnabled());
    QVERIFY(!control<QPushButton>(w, "btnFeldLoeschen")->isEnabled());
    whenShown<TAuswertungFeld>([](TAuswertungFeld &ed) { fillEditor(ed, QStringLiteral("Umfang"), Dauer, 1); });
    click(w, "btnFeldAnfuegen");
    QVERIFY(control<QPushButton>(w, "btnFertig")->isEnabled());
    QVERIFY(control<QPushButton>(w, "btnFeldLoeschen")->isEnabled());
    auto *grid = control<QTableView>(w, "dbgAFeld");
    QCOMPARE(grid->model()->rowCount(), 1);
    QVERIFY(grid->model()->index(0, 0).data().toString().startsWith(QStringLiteral("D: Umfang")));
}

void TestTAuswertungsAssistent::finishForAnna(Wizard &w) {
    click(w, "btnFertig");
    QCOMPARE(w.currentPage(), int(Wizard::PageDokumente));
    QVERIFY(!control<QPushButton>(w, "btnZurueck")->isVisible());
    QVERIFY(!control<QPushButton>(w, "btnWeiter")->isEnabled());
    auto *tree = control<QTreeWidget>(w, "tvOpen2");
    clickItem(tree, leaf(tree, QStringLiteral("Protokoll"), QStringLiteral("Berg")));
    QVERIFY(control<QPushButton>(w, "btnWeiter")->isEnabled());
    click(w, "btnWeiter");
    QCOMPARE(w.currentPage(), int(Wizard::PageBedingungen));
    QCOMPARE(control<QLabel>(w, "pnlVonBis")->text(), QStringLiteral("noch nicht implementiert"));
    auto *conditions = control<QTableView>(w, "dbgABedingung");
    QCOMPARE(conditions->model()->rowCount(), 1);
    QVERIFY(conditions->model()->index(0, 0).data().toString().startsWith(QStringLiteral("D: Umfang")));
    QVERIFY(!control<QPushButton>(w, "btnSQL")->isVisible());
    click(w, "btnFertig");
    QVERIFY2(w.isHidden() && w.result() == QDialog::Accepted, qPrintable(m_messages->texts().join('|')));
    QVERIFY(w.Test());
    QCOMPARE(w.Art(), 2);
    QCOMPARE(w.PersonNr(), int(ClubFixture::kAnna));
    QCOMPARE(w.VergleichArt(), 0);
}

void TestTAuswertungsAssistent::groupedWeekEvaluation() {
    auto w = open();
    defineNew(*w, QStringLiteral("Wochenumfang"), 1);
    choose(*w, QStringLiteral("rgpXAchse2"));
    QCOMPARE(control<QLineEdit>(*w, "dbfDisplayX")->text(), QStringLiteral("X: group Woche"));
    click(*w, "btnWeiter");
    // Not a cross table: page "Y-Achse" is passed over.
    addUmfang(*w);
    finishForAnna(*w);
    QCOMPARE(w->Caption(), QStringLiteral("Wochenumfang von ") +
                               w->findChild<QTreeWidget *>("tvOpen2")->currentItem()->text(0) + ' ');

    const QVariantMap row = auswert(db(), kNewEval);
    QCOMPARE(row.value("Gruppierung").toBool(), true);
    QCOMPARE(row.value("Kreuztabelle").toBool(), false);
    QCOMPARE(row.value("ArtXAchse").toInt(), 2);
    QCOMPARE(row.value("ArtYAchse").toInt(), 0);
    QCOMPARE(count(db(), QStringLiteral("select count(*) from AFIELD where AuswertungNr = %1").arg(kNewEval)), 2);
    const QVariantMap x = afield(db(), kNewEval, 1);
    QCOMPARE(x.value("Name").toString(), QStringLiteral("Woche"));
    QCOMPARE(x.value("Typ").toString(), QStringLiteral("X"));
    QCOMPARE(x.value("TableNr").toInt(), 0);
    QCOMPARE(x.value("Order").toInt(), 1);
    QCOMPARE(x.value("SQL").toBool(), true);
    QCOMPARE(x.value("Sichtbar").toBool(), true);
    QCOMPARE(x.value("Gruppierung").toBool(), true);
    QCOMPARE(x.value("Bedingung").toString(),
             QStringLiteral("X-Achse\rEXTRACT(YEAR FROM tr.Datum)*100 + cast(tr.Woche as Integer)"));
    QCOMPARE(x.value("Display").toString(), QStringLiteral("X: group Woche"));
    const QVariantMap d = afield(db(), kNewEval, 2);
    QCOMPARE(d.value("Typ").toString(), QStringLiteral("D"));
    QCOMPARE(d.value("Agregatfunktion").toInt(), 1);

    // The builder has built the queries from these rows and runs them.
    QStringList sql2 = storedLines(db(), kNewEval, "SQL2");
    QCOMPARE(sql2,
             QStringList({QStringLiteral("select   F_1 as Woche, "), QStringLiteral("         sum(F_2) as Umfang"),
                          QStringLiteral("from "), QStringLiteral("group by F_1"), QStringLiteral("order by F_1")}));
    const QStringList sql1 = storedLines(db(), kNewEval, "SQL1");
    QCOMPARE(sql1.value(0),
             QStringLiteral("select   EXTRACT(YEAR FROM tr.Datum)*100 + cast(tr.Woche as Integer) as F_1, "));
    QCOMPARE(sql1.value(1), QStringLiteral("         \"TR_1\".\"Dauer\" as F_2"));
    std::unique_ptr<TAuswertungSQL> builder = w->takeBuilder();
    QVERIFY(builder);
    QCOMPARE(builder->AuswertungNr, kNewEval);
    QCOMPARE(builder->PersonNr, int(ClubFixture::kAnna));
    builder->PrepareRun();
    builder->Run();
    Cursor *result = builder->resultTable();
    QVERIFY(result);
    QCOMPARE(result->recordCount(), 1);
    result->first();
    QCOMPARE(result->asInt(QStringLiteral("Woche")), 202602);
    QCOMPARE(result->asInt(QStringLiteral("Umfang")), 60 + 15 + 45 + 120);
}

void TestTAuswertungsAssistent::crossTable() {
    auto w = open();
    defineNew(*w, QStringLiteral("Belastungen"), 2);
    choose(*w, QStringLiteral("rgpXAchse2"));
    click(*w, "btnWeiter");
    QCOMPARE(w->currentPage(), int(Wizard::PageYAchse));
    QVERIFY(!control<QPushButton>(*w, "btnWeiter")->isEnabled());
    whenShown<TAuswertungFeld>([](TAuswertungFeld &ed) { fillEditor(ed, QStringLiteral("Belastung"), Belastung, 0); });
    choose(*w, QStringLiteral("rgpYAchse6"));
    QVERIFY(control<QPushButton>(*w, "btnWeiter")->isEnabled());
    QVERIFY(control<QLineEdit>(*w, "dbfDisplayY")->text().startsWith(QStringLiteral("Y: Belastung")));
    click(*w, "btnWeiter");
    addUmfang(*w);
    finishForAnna(*w);

    const QVariantMap row = auswert(db(), kNewEval);
    QCOMPARE(row.value("Gruppierung").toBool(), true);
    QCOMPARE(row.value("Kreuztabelle").toBool(), true);
    QCOMPARE(row.value("ArtXAchse").toInt(), 2);
    QCOMPARE(row.value("ArtYAchse").toInt(), 6);
    const QVariantMap y = afield(db(), kNewEval, 2);
    QCOMPARE(y.value("Typ").toString(), QStringLiteral("Y"));
    QCOMPARE(y.value("TableNr").toInt(), int(ClubFixture::kBlock));
    QCOMPARE(y.value("Order").toInt(), 3);
    QCOMPARE(storedLines(db(), kNewEval, "SQL2"),
             QStringList({QStringLiteral("select   F_1 as Woche, "), QStringLiteral("         F_2 as Belastung, "),
                          QStringLiteral("         sum(F_3) as Umfang"), QStringLiteral("from "),
                          QStringLiteral("group by F_1, "), QStringLiteral("         F_2"),
                          QStringLiteral("order by F_1")}));

    std::unique_ptr<TAuswertungSQL> builder = w->takeBuilder();
    QVERIFY(builder);
    builder->PrepareRun();
    builder->Run();
    Cursor *result = builder->resultTable();
    QCOMPARE(result->recordCount(), 2);
    QMap<QString, double> cells;
    for (result->first(); !result->eof(); result->next())
        cells[result->asString(QStringLiteral("Belastung/Woche"))] = result->asFloat(QStringLiteral("202602"));
    QCOMPARE(cells.value(QStringLiteral("locker")), 180.0);
    QCOMPARE(cells.value(QStringLiteral("intensiv")), 60.0);
}

void TestTAuswertungsAssistent::crossTableWaitsForYField() {
    auto w = open();
    defineNew(*w, QStringLiteral("Kreuz"), 2);
    click(*w, "btnWeiter");
    QCOMPARE(w->currentPage(), int(Wizard::PageYAchse));
    QVERIFY(!control<QPushButton>(*w, "btnWeiter")->isEnabled());
    choose(*w, QStringLiteral("rgpYAchse4"));
    QVERIFY(control<QPushButton>(*w, "btnWeiter")->isEnabled());
    QCOMPARE(control<QLineEdit>(*w, "dbfDisplayY")->text(), QStringLiteral("Y: group Jahr"));
    choose(*w, QStringLiteral("rgpYAchse0"));
    QVERIFY(!control<QPushButton>(*w, "btnWeiter")->isEnabled());
    QCOMPARE(EvaluationWizardRules::fieldCount(db(), kNewEval, QStringLiteral("Y")), 0);
    // "Zurück" on page "Felder" goes back to page "X-Achse".
    choose(*w, QStringLiteral("rgpYAchse3"));
    click(*w, "btnWeiter");
    QCOMPARE(w->currentPage(), int(Wizard::PageFelder));
    click(*w, "btnZurueck");
    QCOMPARE(w->currentPage(), int(Wizard::PageXAchse));
}

void TestTAuswertungsAssistent::axisChoiceTwiceLeavesOneField() {
    // The fixture's evaluation: X field 1 (Woche) and data field 2, its X choice stored as "Woche".
    db().execLocal(QStringLiteral("update AUSWERT set ArtXAchse = 2 where AuswertungNr = %1").arg(kEval));
    auto w = open(kEval, false, QStringLiteral("Umfang pro Woche"));
    QVERIFY(control<QPushButton>(*w, "btnEntwurfsansicht")->isVisible());
    click(*w, "btnEntwurfsansicht");
    QCOMPARE(w->currentPage(), int(Wizard::PageArt));
    QVERIFY(control<QRadioButton>(*w, "rgpArt1")->isChecked());
    click(*w, "btnWeiter");
    QVERIFY(control<QListWidget>(*w, "lbxTables")->item(0)->isSelected());
    click(*w, "btnWeiter");
    QVERIFY(control<QRadioButton>(*w, "rgpXAchse2")->isChecked());
    for (int i = 0; i < 2; ++i) {
        choose(*w, QStringLiteral("rgpXAchse2"));
        QCOMPARE(EvaluationWizardRules::fieldCount(db(), kEval, QStringLiteral("X")), 1);
        // One above the largest remaining field number (the data field 2).
        QCOMPARE(afield(db(), kEval, 3).value("Typ").toString(), QStringLiteral("X"));
        QVERIFY(afield(db(), kEval, 1).isEmpty());
    }
    choose(*w, QStringLiteral("rgpXAchse3"));
    QCOMPARE(EvaluationWizardRules::fieldCount(db(), kEval, QStringLiteral("X")), 1);
    QCOMPARE(afield(db(), kEval, 3).value("Name").toString(), QStringLiteral("Monat"));
    QCOMPARE(afield(db(), kEval, 3).value("Bedingung").toString(),
             QStringLiteral("X-Achse\rEXTRACT(YEAR FROM tr.Datum)*100 + EXTRACT(MONTH FROM tr.Datum)"));
    choose(*w, QStringLiteral("rgpXAchse1"));
    const QVariantMap datum = afield(db(), kEval, 3);
    QCOMPARE(datum.value("Name").toString(), QStringLiteral("Datum"));
    QCOMPARE(datum.value("SQL").toBool(), false);
    QCOMPARE(datum.value("Bedingung").toString(), QString());
    choose(*w, QStringLiteral("rgpXAchse5"));
    const QVariantMap person = afield(db(), kEval, 3);
    QCOMPARE(person.value("TableNr").toInt(), -1);
    QCOMPARE(person.value("Bedingung").toString(),
             QStringLiteral("X-Achse\rPerson.Nachname+\" \"+Person.Vorname as Person"));
    choose(*w, QStringLiteral("rgpXAchse0"));
    QCOMPARE(EvaluationWizardRules::fieldCount(db(), kEval, QStringLiteral("X")), 0);
    QCOMPARE(control<QLineEdit>(*w, "dbfDisplayX")->text(), QString());
    // The choice is stored with the row, at "Fertig" of page "Felder".
    click(*w, "btnWeiter");
    click(*w, "btnFertig");
    QCOMPARE(auswert(db(), kEval).value("ArtXAchse").toInt(), 0);
}

void TestTAuswertungsAssistent::otherFieldCancelledKeepsTheOldOne() {
    db().execLocal(QStringLiteral("update AUSWERT set ArtXAchse = 2 where AuswertungNr = %1").arg(kEval));
    auto w = open(kEval);
    click(*w, "btnEntwurfsansicht");
    click(*w, "btnWeiter");
    click(*w, "btnWeiter");
    QCOMPARE(w->currentPage(), int(Wizard::PageXAchse));
    const QVariantMap before = afield(db(), kEval, 3);
    QCOMPARE(before.value("Name").toString(), QStringLiteral("Woche"));
    whenShown<TAuswertungFeld>(
        [](TAuswertungFeld &ed) { QTest::mouseClick(control<QPushButton>(ed, "btnCancel1"), Qt::LeftButton); });
    choose(*w, QStringLiteral("rgpXAchse6"));
    QVERIFY(!control<QPushButton>(*w, "btnWeiter")->isEnabled());
    QCOMPARE(afield(db(), kEval, 3), before);
    QCOMPARE(EvaluationWizardRules::fieldCount(db(), kEval, QStringLiteral("X")), 1);
    // With the editor's OK the new field replaces the old one, even under its name.
    whenShown<TAuswertungFeld>([](TAuswertungFeld &ed) { fillEditor(ed, QStringLiteral("Woche"), Strecke, 0); });
    choose(*w, QStringLiteral("rgpXAchse6"));
    QVERIFY(control<QPushButton>(*w, "btnWeiter")->isEnabled());
    QCOMPARE(EvaluationWizardRules::fieldCount(db(), kEval, QStringLiteral("X")), 1);
    const QVariantMap x = afield(db(), kEval, 3);
    QCOMPARE(x.value("Typ").toString(), QStringLiteral("X"));
    QCOMPARE(x.value("Order").toInt(), 2);
    QVERIFY2(m_messages->texts().isEmpty(), qPrintable(m_messages->texts().join('|')));
}

void TestTAuswertungsAssistent::simpleQueryResetsXAxisOfNewEvaluation() {
    auto w = open();
    type(*w, "dbfAuswertung", QStringLiteral("Liste"));
    click(*w, "btnWeiter");
    choose(*w, QStringLiteral("rgpArt1"));
    QVERIFY(control<QGroupBox>(*w, "rgpXAchse")->isEnabled());
    choose(*w, QStringLiteral("rgpArt0"));
    QVERIFY(!control<QGroupBox>(*w, "rgpXAchse")->isEnabled());
    click(*w, "btnWeiter");
    // A double click on the block list goes on as "Weiter" does.
    auto *list = control<QListWidget>(*w, "lbxTables");
    const QPoint at = list->visualItemRect(list->item(0)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    QCOMPARE(w->currentPage(), int(Wizard::PageXAchse));
    QVERIFY(control<QGroupBox>(*w, "rgpXAchse")->isEnabled());
    QVERIFY(control<QRadioButton>(*w, "rgpXAchse0")->isChecked());
    QCOMPARE(EvaluationWizardRules::fieldCount(db(), kNewEval, QStringLiteral("X")), 0);
    click(*w, "btnWeiter");
    addUmfang(*w);
    control<QCheckBox>(*w, "cbxTest")->setChecked(false);
    click(*w, "btnFertig");
    QVERIFY(w->isHidden() && w->result() == QDialog::Accepted);
    QCOMPARE(auswert(db(), kNewEval).value("ArtXAchse").toInt(), 0);
    QCOMPARE(auswert(db(), kNewEval).value("Gruppierung").toBool(), false);
}

// "einfache Abfrage" of an evaluation that has an X field: the year axis.
void TestTAuswertungsAssistent::simpleQueryTakesTheYear() {
    auto w = open(kEval);
    click(*w, "btnEntwurfsansicht");
    choose(*w, QStringLiteral("rgpArt0"));
    click(*w, "btnWeiter");
    click(*w, "btnWeiter");
    QCOMPARE(w->currentPage(), int(Wizard::PageXAchse));
    QVERIFY(control<QRadioButton>(*w, "rgpXAchse4")->isChecked());
    QCOMPARE(EvaluationWizardRules::fieldCount(db(), kEval, QStringLiteral("X")), 1);
    QCOMPARE(afield(db(), kEval, 3).value("Name").toString(), QStringLiteral("Jahr"));
    // Not grouped any more: the axis field says so.
    QCOMPARE(afield(db(), kEval, 3).value("Display").toString(), QStringLiteral("X: Jahr"));
    click(*w, "btnWeiter");
    click(*w, "btnFertig");
    const QVariantMap row = auswert(db(), kEval);
    QCOMPARE(row.value("ArtXAchse").toInt(), 4);
    QCOMPARE(row.value("Gruppierung").toBool(), false);
    QCOMPARE(row.value("Kreuztabelle").toBool(), false);
}

void TestTAuswertungsAssistent::readOnlyChangesNothing() {
    const QString before = dump(db());
    auto w = open(kEval, true, QStringLiteral("Umfang pro Woche"));
    QVERIFY(control<QLineEdit>(*w, "dbfAuswertung")->isReadOnly());
    click(*w, "btnEntwurfsansicht");
    QCOMPARE(w->currentPage(), int(Wizard::PageArt));
    QVERIFY(!control<QGroupBox>(*w, "rgpArt")->isEnabled());
    choose(*w, QStringLiteral("rgpArt2"));
    QVERIFY(control<QRadioButton>(*w, "rgpArt1")->isChecked());
    click(*w, "btnWeiter");
    clickBlock(*w, 0);
    click(*w, "btnWeiter");
    QCOMPARE(w->currentPage(), int(Wizard::PageXAchse));
    QVERIFY(!control<QGroupBox>(*w, "rgpXAchse")->isEnabled());
    choose(*w, QStringLiteral("rgpXAchse3"));
    click(*w, "btnWeiter");
    QCOMPARE(w->currentPage(), int(Wizard::PageFelder));
    QVERIFY(!control<QPushButton>(*w, "btnFeldAnfuegen")->isEnabled());
    QVERIFY(!control<QPushButton>(*w, "btnBerechnetesFeld")->isEnabled());
    QVERIFY(!control<QPushButton>(*w, "btnFeldLoeschen")->isEnabled());
    QVERIFY(control<QPushButton>(*w, "btnFeldBearbeiten")->isEnabled());
    bool editorReadOnly = false;
    whenShown<TAuswertungFeld>([&](TAuswertungFeld &ed) {
        editorReadOnly = !control<QPushButton>(ed, "btnFertig1")->isEnabled();
        type(ed, "dbfFeldname", QStringLiteral("Anders"));
        QTest::mouseClick(control<QPushButton>(ed, "btnFertig1"), Qt::LeftButton);
    });
    click(*w, "btnFeldBearbeiten");
    QVERIFY(editorReadOnly);
    click(*w, "btnFertig");
    QCOMPARE(w->currentPage(), int(Wizard::PageDokumente));
    auto *tree = control<QTreeWidget>(*w, "tvOpen2");
    clickItem(tree, leaf(tree, QStringLiteral("Protokoll"), QStringLiteral("Berg")));
    click(*w, "btnWeiter");
    click(*w, "btnFertig");
    QVERIFY(w->isHidden() && w->result() == QDialog::Accepted);
    // Tested with the queries it has; none is built.
    std::unique_ptr<TAuswertungSQL> builder = w->takeBuilder();
    QVERIFY(builder);
    QCOMPARE(builder->AuswertungNr, kEval);
    QCOMPARE(dump(db()), before);
    QVERIFY2(m_messages->texts().isEmpty(), qPrintable(m_messages->texts().join('|')));
}

void TestTAuswertungsAssistent::cancelWritesNothing_data() {
    QTest::addColumn<int>("nr");
    QTest::addColumn<bool>("escape");
    QTest::newRow("new, Abbruch") << 0 << false;
    QTest::newRow("new, Escape") << 0 << true;
    QTest::newRow("existing, Abbruch") << kEval << false;
}

void TestTAuswertungsAssistent::cancelWritesNothing() {
    QFETCH(int, nr);
    QFETCH(bool, escape);
    const QString before = dump(db());
    auto w = open(nr);
    type(*w, "dbfAuswertung", QStringLiteral("Umbenannt"));
    QTest::keyClicks(control<QPlainTextEdit>(*w, "dbfBeschreibung"), QStringLiteral("Notiz"));
    if (escape)
        QTest::keyClick(w.get(), Qt::Key_Escape);
    else
        click(*w, "btnAbbruch");
    QVERIFY(w->isHidden() && w->result() == QDialog::Rejected);
    QVERIFY(!w->takeBuilder());
    QCOMPARE(dump(db()), before);
}

void TestTAuswertungsAssistent::tabClicksAreRefused() {
    auto w = open(kEval);
    auto *tabs = control<QTabWidget>(*w, "pcAssistent");
    QTabBar *bar = tabs->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(Wizard::PageFelder).center());
    QCOMPARE(tabs->currentIndex(), int(Wizard::PageName));
    QCOMPARE(w->currentPage(), int(Wizard::PageName));
}

void TestTAuswertungsAssistent::nameNeededToGoOn() {
    auto w = open();
    auto *weiter = control<QPushButton>(*w, "btnWeiter");
    QVERIFY(!weiter->isEnabled());
    QVERIFY(!control<QPushButton>(*w, "btnHilfe")->isEnabled());
    type(*w, "dbfAuswertung", QStringLiteral("A"));
    QVERIFY(weiter->isEnabled());
    type(*w, "dbfAuswertung", QString());
    QVERIFY(!weiter->isEnabled());
}

void TestTAuswertungsAssistent::existingEvaluationGoesToDocuments() {
    auto w = open(kEval);
    type(*w, "dbfAuswertung", QStringLiteral("Umbenannt"));
    click(*w, "btnWeiter");
    QCOMPARE(w->currentPage(), int(Wizard::PageDokumente));
    // "Weiter" of an existing evaluation drops the typing: only the design view changes it.
    QCOMPARE(control<QLineEdit>(*w, "dbfAuswertung")->text(), QStringLiteral("Umfang pro Woche"));
    auto *tree = control<QTreeWidget>(*w, "tvOpen2");
    clickItem(tree, leaf(tree, QStringLiteral("Protokoll"), QStringLiteral("Berg")));
    QTest::keyClick(tree, Qt::Key_Return);
    QCOMPARE(w->currentPage(), int(Wizard::PageBedingungen));
    click(*w, "btnFertig");
    QVERIFY(w->isHidden() && w->result() == QDialog::Accepted);
    QCOMPARE(auswert(db(), kEval).value("Auswertung").toString(), QStringLiteral("Umfang pro Woche"));
    QVERIFY(!storedLines(db(), kEval, "SQL1").isEmpty());
}

void TestTAuswertungsAssistent::documentTrees_data() {
    QTest::addColumn<int>("choice");
    QTest::addColumn<QStringList>("plans");
    QTest::addColumn<QStringList>("protocols");
    // The coach Tom (his own coach) coaches Anna, Paul and the group
    // "Jugend"; the test adds a group of another coach and an athlete of
    // Tom's without a group.
    const QString jugend = QStringLiteral("Jugend"), berg = QStringLiteral("Berg"), meier = QStringLiteral("Meier"),
                  tom = QStringLiteral("Trainer");
    QTest::newRow("nur von mir") << 0 << QStringList{jugend} << QStringList{tom};
    QTest::newRow("von meiner Gruppe") << 1 << QStringList{jugend} << QStringList{berg, meier, tom};
    QTest::newRow("von meinem Trainer") << 2 << QStringList{jugend}
                                        << QStringList{berg, meier, tom, QStringLiteral("Zeta")};
    QTest::newRow("von allen") << 3 << QStringList{QStringLiteral("Fremdgruppe"), jugend}
                               << QStringList{berg, meier, tom};
}

void TestTAuswertungsAssistent::documentTrees() {
    QFETCH(int, choice);
    QFETCH(QStringList, plans);
    QFETCH(QStringList, protocols);
    db().execLocal(QStringLiteral("insert into OPEN (Type, Name, Key1, Key2, Gruppe, Trainer) values "
                                  "('G', 'Fremdgruppe', 900, 0, 900, 0)"));
    db().execLocal(QStringLiteral("insert into OPEN (Type, Name, Key1, Key2, Gruppe, Trainer) values "
                                  "('P', 'Zeta Zorro', 901, 0, 0, %1)")
                       .arg(ClubFixture::kCoach));
    auto w = open(kEval);
    auto *select = control<QComboBox>(*w, "cbxSelect");
    QCOMPARE(select->currentText(), QStringLiteral("von meinem Trainer"));
    select->setFocus();
    while (select->currentIndex() > choice)
        QTest::keyClick(select, Qt::Key_Up);
    while (select->currentIndex() < choice)
        QTest::keyClick(select, Qt::Key_Down);
    auto firstWords = [](const QStringList &names) {
        QStringList out;
        for (const QString &n : names)
            out << n.section(QLatin1Char(' '), 0, 0);
        return out;
    };
    for (const char *tree : {"tvOpen2", "tvOpen3"}) {
        QCOMPARE(firstWords(leaves(*w, tree, QStringLiteral("Plan"))), plans);
        QCOMPARE(firstWords(leaves(*w, tree, QStringLiteral("Protokoll"))), protocols);
    }
}

void TestTAuswertungsAssistent::captionAndComparison() {
    auto w = open(kEval, false, QStringLiteral("Umfang pro Woche"));
    click(*w, "btnWeiter");
    auto *evaluated = control<QTreeWidget>(*w, "tvOpen2");
    auto *compared = control<QTreeWidget>(*w, "tvOpen3");
    QTreeWidgetItem *anna = leaf(evaluated, QStringLiteral("Protokoll"), QStringLiteral("Berg"));
    QTreeWidgetItem *plan = leaf(compared, QStringLiteral("Plan"), QStringLiteral("Jugend"));
    clickItem(evaluated, anna);
    clickItem(compared, plan);
    click(*w, "btnWeiter");
    const QString first =
        QStringLiteral("Umfang pro Woche von ") + anna->text(0) + QStringLiteral(" - ") + plan->text(0) + ' ';
    QCOMPARE(w->Caption(), first);
    QCOMPARE(w->VergleichArt(), 3);
    QCOMPARE(w->VergleichPersonNr(), int(ClubFixture::kJugend));
    // Back and on again: the documents are named once more; a top node compares with nothing.
    click(*w, "btnZurueck");
    QCOMPARE(w->currentPage(), int(Wizard::PageDokumente));
    clickItem(compared, leaf(compared, QStringLiteral("Protokoll"), QString()));
    QTest::mouseDClick(evaluated->viewport(), Qt::LeftButton, {}, evaluated->visualItemRect(anna).center());
    QCOMPARE(w->currentPage(), int(Wizard::PageBedingungen));
    QCOMPARE(w->Caption(), first + QStringLiteral("von ") + anna->text(0) + ' ');
    QCOMPARE(w->VergleichArt(), 0);
    click(*w, "btnFertig");
    const EvaluationRun run = w->runRequest();
    QCOMPARE(run.AuswertungNr, kEval);
    QCOMPARE(run.Art, 2);
    QCOMPARE(run.PersonNr, int(ClubFixture::kAnna));
    QVERIFY(!run.Vergleich);
    QCOMPARE(run.Caption, w->Caption());
    std::unique_ptr<TAuswertungSQL> builder = w->takeBuilder();
    QVERIFY(builder && !builder->Vergleich);
}

void TestTAuswertungsAssistent::finishWithoutTest() {
    auto w = open(kEval);
    click(*w, "btnEntwurfsansicht");
    click(*w, "btnWeiter");
    click(*w, "btnWeiter");
    click(*w, "btnWeiter");
    QCOMPARE(w->currentPage(), int(Wizard::PageFelder));
    // Deleting the only data field switches "Fertig" off.
    auto *grid = control<QTableView>(*w, "dbgAFeld");
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(grid->model()->index(0, 0)).center());
    click(*w, "btnFeldLoeschen");
    QVERIFY(afield(db(), kEval, 2).isEmpty());
    QVERIFY(!control<QPushButton>(*w, "btnFertig")->isEnabled());
    addUmfang(*w);
    control<QCheckBox>(*w, "cbxTest")->setChecked(false);
    click(*w, "btnFertig");
    QVERIFY(w->isHidden() && w->result() == QDialog::Accepted);
    QVERIFY(!w->Test());
    QVERIFY(!w->takeBuilder());
}

void TestTAuswertungsAssistent::sqlPage() {
    auto w = open(kEval);
    click(*w, "btnWeiter");
    auto *tree = control<QTreeWidget>(*w, "tvOpen2");
    clickItem(tree, leaf(tree, QStringLiteral("Protokoll"), QStringLiteral("Berg")));
    click(*w, "btnWeiter");
    // The hidden developer's button.
    w->btnSQLClick();
    QCOMPARE(w->currentPage(), int(Wizard::PageSQL));
    QCOMPARE(control<QPlainTextEdit>(*w, "SQL2")->toPlainText().split('\n'), storedLines(db(), kEval, "SQL2"));
    QVERIFY(control<QPlainTextEdit>(*w, "SQL1")->toPlainText().startsWith(QStringLiteral("select   ")));
    click(*w, "btnOK");
    QVERIFY(w->isHidden() && w->result() == QDialog::Accepted);
}

void TestTAuswertungsAssistent::kindPictures() {
    auto w = open();
    type(*w, "dbfAuswertung", QStringLiteral("Bilder"));
    click(*w, "btnWeiter");
    auto *picture = control<QLabel>(*w, "imgArt");
    QList<QImage> images;
    for (int kind : {0, 1, 2}) {
        choose(*w, QStringLiteral("rgpArt%1").arg(kind));
        images << picture->pixmap().toImage();
        QVERIFY(!images.last().isNull());
    }
    QVERIFY(images[0] != images[1]);
    QVERIFY(images[1] != images[2]);
    QVERIFY(images[0] != images[2]);
}

// An evaluation deleted meanwhile: said so, and nothing can be stored or run.
void TestTAuswertungsAssistent::missingEvaluationStoresNothing() {
    const QString before = dump(db());
    auto w = open(kEval + 100);
    QCOMPARE(m_messages->texts(), QStringList{QStringLiteral("Die Auswertung %1 gibt es nicht.").arg(kEval + 100)});
    QVERIFY(!control<QPushButton>(*w, "btnWeiter")->isEnabled());
    QVERIFY(!control<QPushButton>(*w, "btnEntwurfsansicht")->isEnabled());
    click(*w, "btnAbbruch");
    QVERIFY(w->isHidden());
    QCOMPARE(dump(db()), before);
}

QTEST_MAIN(TestTAuswertungsAssistent)
#include "tst_tauswertungsassistent.moc"
