// The evaluation field editor, driven offscreen through its controls.
#include "evaluation/EvaluationFieldRules.h"
#include "evaluation/TAuswertungFeld.h"
#include "store/Query.h"
#include "support/ClubFixture.h"
#include "support/Controls.h"
#include "support/MessageRecorder.h"
#include "support/StoredRow.h"
#include "support/TempInstallation.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>

using namespace velmora;
using velmora::test::ClubFixture;
using velmora::test::control;
using velmora::test::MessageRecorder;
using velmora::test::TempInstallation;
using velmora::test::type;

namespace {
constexpr int kEval = ClubFixture::kEvaluation;
// The rows of the fixture's block "Lauf" in the field list, and a time
// field the tests add to it.
enum ListRow { Dauer = 0, Strecke = 1, Belastung = 2, Notiz = 3, Zeit = 4 };

int count(Database &db, const QString &sql) {
    Query q(db, sql);
    q.open();
    return q.value(0).toInt();
}

QVariantMap afield(Database &db, int feldNr, int auswertungNr = kEval) {
    return velmora::test::storedRow(db, QStringLiteral("AFIELD"), {auswertungNr, feldNr});
}

void clickRow(TAuswertungFeld &ed, int row) {
    auto *list = control<QTableView>(ed, "dbgFieldList");
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(list->model()->index(row, 0)).center());
}

void doubleClickRow(TAuswertungFeld &ed, int row) {
    auto *list = control<QTableView>(ed, "dbgFieldList");
    const QPoint at = list->visualRect(list->model()->index(row, 0)).center();
    // An item view reports a double click only on the row the press was on.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
}

// Picks an entry of "Aggregatfunktion" with the arrow keys, as a user does.
void chooseAggregate(TAuswertungFeld &ed, int code) {
    auto *box = control<QComboBox>(ed, "dbfAgregat");
    box->setFocus();
    while (box->currentIndex() > code)
        QTest::keyClick(box, Qt::Key_Up);
    while (box->currentIndex() < code)
        QTest::keyClick(box, Qt::Key_Down);
}

void clickFertig(TAuswertungFeld &ed) {
    QTest::mouseClick(control<QPushButton>(ed, "btnFertig1"), Qt::LeftButton);
}

bool shown(TAuswertungFeld &ed, const char *name) {
    return control<QWidget>(ed, name)->isVisibleTo(&ed);
}
} // namespace

class TestTAuswertungFeld : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void newPlainField();
    void groupByFieldShowsTwoBlanks();
    void fieldNumbersOfNewFields();
    void nameRefusals_data();
    void nameRefusals();
    void calculatedFieldFromTheList();
    void timeFieldBecomesHours();
    void failedPostKeepsTimeExpression();
    void changeExistingField();
    void readOnlyField();
    void missingFieldStoresNothing();
    void blockFieldNotOfferedIsKept();
    void ungroupedHidesAggregate();
    void cancelDropsNewField();

private:
    std::unique_ptr<TempInstallation> m_inst;
    std::unique_ptr<MessageRecorder> m_messages;
    std::unique_ptr<ClubFixture> m_club;
    Database &db() { return m_inst->db(); }
    // An editor on the fixture's evaluation, shown and opened.
    std::unique_ptr<TAuswertungFeld> open(int feldNr = 0, bool calculated = false, bool grouping = true,
                                          bool readOnly = false, int auswertungNr = kEval);
};

void TestTAuswertungFeld::init() {
    m_inst = std::make_unique<TempInstallation>(1);
    m_messages = std::make_unique<MessageRecorder>();
    m_club = std::make_unique<ClubFixture>(db());
    Statement st(db(), QStringLiteral("INSERT INTO TRFIELD (TableNr, \"Order\", Feldname, Beschreibung, Typ) "
                                      "VALUES (?, 5, 'Zeit', 'Uhrzeit', 'Z')"));
    st.bind(1, ClubFixture::kBlock);
    st.step();
}

void TestTAuswertungFeld::cleanup() {
    m_club.reset();
    m_messages.reset();
    m_inst.reset();
}

std::unique_ptr<TAuswertungFeld> TestTAuswertungFeld::open(int feldNr, bool calculated, bool grouping, bool readOnly,
                                                           int auswertungNr) {
    auto ed = std::make_unique<TAuswertungFeld>(db());
    ed->setAuswertungNr(auswertungNr);
    ed->setFeldNr(feldNr);
    ed->setBerechnet(calculated);
    ed->setGruppierung(grouping);
    ed->setReadOnly(readOnly);
    ed->show();
    if (!QTest::qWaitForWindowExposed(ed.get()))
        qFatal("editor not shown");
    return ed;
}

void TestTAuswertungFeld::newPlainField() {
    auto ed = open();
    QCOMPARE(ed->windowTitle(), QStringLiteral("Auswertung - Feldeditor"));
    QVERIFY(ed->isNewField());
    QCOMPARE(ed->feldNr(), 3);
    QCOMPARE(control<QLineEdit>(*ed, "dbfFeldname")->text(), QStringLiteral("Feld3"));
    // The fields of the evaluation's block, with their captions.
    auto *list = control<QTableView>(*ed, "dbgFieldList");
    QCOMPARE(list->model()->rowCount(), 5);
    QCOMPARE(list->model()->index(Strecke, 0).data().toString(), QStringLiteral("Strecke"));
    QCOMPARE(list->model()->index(Zeit, 1).data().toString(), QStringLiteral("Uhrzeit"));
    // A plain field: the arithmetic, no memo.
    QVERIFY(shown(*ed, "dbfArithmOp"));
    QVERIFY(shown(*ed, "lblArithmOp"));
    QVERIFY(!shown(*ed, "dbfBedingungen"));
    QVERIFY(!shown(*ed, "btnAdd"));
    QVERIFY(!shown(*ed, "cbxZeit"));
    QVERIFY(shown(*ed, "dbfAgregat"));
    QCOMPARE(control<QComboBox>(*ed, "dbfAgregat")->currentIndex(), 0);

    type(*ed, "dbfFeldname", QStringLiteral("Strecke_km"));
    clickRow(*ed, Strecke);
    type(*ed, "dbfArithmOp", QStringLiteral("/1000"));
    chooseAggregate(*ed, 1);
    clickFertig(*ed);
    QVERIFY(m_messages->texts().isEmpty());
    QVERIFY(!ed->isVisible());
    QCOMPARE(ed->result(), int(QDialog::Accepted));

    const QVariantMap row = afield(db(), 3);
    QCOMPARE(row.value("Name").toString(), QStringLiteral("Strecke_km"));
    QCOMPARE(row.value("Typ").toString(), QStringLiteral("D"));
    QCOMPARE(row.value("TableNr").toInt(), ClubFixture::kBlock);
    QCOMPARE(row.value("Order").toInt(), 2);
    QCOMPARE(row.value("ArithmOp").toString(), QStringLiteral("/1000"));
    QCOMPARE(row.value("Agregatfunktion").toInt(), 1);
    QCOMPARE(row.value("Gruppierung").toBool(), true);
    QCOMPARE(row.value("SQL").toBool(), false);
    QCOMPARE(row.value("Sichtbar").toBool(), true);
    QCOMPARE(row.value("Display").toString(), QStringLiteral("D: Strecke_km, sum(Strecke/1000) "));
}

void TestTAuswertungFeld::groupByFieldShowsTwoBlanks() {
    auto ed = open();
    type(*ed, "dbfFeldname", QStringLiteral("Umfang3"));
    clickRow(*ed, Belastung);
    clickFertig(*ed);
    QCOMPARE(afield(db(), 3).value("Display").toString(), QStringLiteral("D: Umfang3,  group Belastung "));
    QCOMPARE(afield(db(), 3).value("Agregatfunktion").toInt(), 0);

    // Hidden, it is not shown as a group.
    auto hidden = open();
    QTest::mouseClick(control<QWidget>(*hidden, "cbxVisible"), Qt::LeftButton);
    clickRow(*hidden, Dauer);
    clickFertig(*hidden);
    const QVariantMap row = afield(db(), 4);
    QCOMPARE(row.value("Sichtbar").toBool(), false);
    QCOMPARE(row.value("Display").toString(), QStringLiteral("D: Feld4, Dauer "));
}

void TestTAuswertungFeld::fieldNumbersOfNewFields() {
    // A fresh evaluation: its first field is 1.
    const int nr = ClubFixture::kBase + 2;
    auto first = open(0, false, true, false, nr);
    QCOMPARE(first->feldNr(), 1);
    QCOMPARE(control<QLineEdit>(*first, "dbfFeldname")->text(), QStringLiteral("Feld1"));
    clickFertig(*first);
    QCOMPARE(afield(db(), 1, nr).value("Name").toString(), QStringLiteral("Feld1"));
    // No block chosen for it: the list is empty and nothing breaks.
    QCOMPARE(afield(db(), 1, nr).value("Display").toString(), QStringLiteral("D: Feld1,  group  "));

    // After 1, 2 and 5 comes 6.
    for (int f : {2, 5}) {
        Statement st(db(), QStringLiteral("INSERT INTO AFIELD (AuswertungNr, FeldNr, Name) VALUES (?, ?, ?)"));
        st.bind(1, nr);
        st.bind(2, f);
        st.bind(3, QStringLiteral("F%1").arg(f));
        st.step();
    }
    auto next = open(0, false, true, false, nr);
    QCOMPARE(next->feldNr(), 6);
    QCOMPARE(next->nextFeldNr(), 7);
    QCOMPARE(control<QLineEdit>(*next, "dbfFeldname")->text(), QStringLiteral("Feld6"));
    clickFertig(*next);
    QCOMPARE(afield(db(), 6, nr).value("Name").toString(), QStringLiteral("Feld6"));
}

void TestTAuswertungFeld::nameRefusals_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("message");
    QTest::newRow("empty") << "" << EvaluationFieldRules::kNameEmpty;
    QTest::newRow("another field's") << "Umfang" << EvaluationFieldRules::kNameInUse;
    QTest::newRow("blank") << "Umfang gesamt" << EvaluationFieldRules::kNameNotPlain;
    QTest::newRow("leading digit") << "3Umfang" << EvaluationFieldRules::kNameNotPlain;
    QTest::newRow("keyword") << "from" << EvaluationFieldRules::kNameNotPlain;
    QTest::newRow("slash") << "km/h" << EvaluationFieldRules::kNameNotPlain;
}

void TestTAuswertungFeld::nameRefusals() {
    QFETCH(QString, name);
    QFETCH(QString, message);
    auto ed = open();
    clickRow(*ed, Dauer);
    type(*ed, "dbfFeldname", name);
    chooseAggregate(*ed, 2);
    clickFertig(*ed);
    QCOMPARE(m_messages->texts(), QStringList{message});
    QCOMPARE(ed->focusWidget()->objectName(), QStringLiteral("dbfFeldname"));
    // Nothing stored, the editor open, the typing kept.
    QVERIFY(ed->isVisible());
    QVERIFY(afield(db(), 3).isEmpty());
    QCOMPARE(control<QLineEdit>(*ed, "dbfFeldname")->text(), name);
    QCOMPARE(control<QComboBox>(*ed, "dbfAgregat")->currentIndex(), 2);

    // Mended, it goes in.
    type(*ed, "dbfFeldname", QStringLiteral("Ümfang_2"));
    clickFertig(*ed);
    QVERIFY(!ed->isVisible());
    QCOMPARE(ed->result(), int(QDialog::Accepted));
    QCOMPARE(afield(db(), 3).value("Display").toString(), QStringLiteral("D: Ümfang_2, avg(Dauer) "));
    QCOMPARE(count(db(), QStringLiteral("select count(*) from AFIELD")), 3);
}

void TestTAuswertungFeld::calculatedFieldFromTheList() {
    auto ed = open(0, true);
    QVERIFY(shown(*ed, "dbfBedingungen"));
    QVERIFY(shown(*ed, "lblBedingungen"));
    QVERIFY(shown(*ed, "btnAdd"));
    QVERIFY(!shown(*ed, "dbfArithmOp"));
    QVERIFY(!shown(*ed, "lblArithmOp"));
    QCOMPARE(control<QLabel>(*ed, "lblBedingungen")->text(), QStringLiteral("Berechnetes Feld"));
    auto *memo = control<QPlainTextEdit>(*ed, "dbfBedingungen");
    QVERIFY(memo->isEnabled());

    clickRow(*ed, Strecke);
    QTest::mouseClick(control<QPushButton>(*ed, "btnAdd"), Qt::LeftButton);
    QCOMPARE(memo->toPlainText(), QStringLiteral(" \"TR_1\".\"Strecke\" "));
    QCOMPARE(ed->focusWidget(), memo);
    QTest::keyClick(memo, Qt::Key_Return);
    QTest::keyClicks(memo, QStringLiteral("/"));
    // A double click on the list adds as ">" does, to the last line.
    doubleClickRow(*ed, Dauer);
    QCOMPARE(memo->toPlainText(), QStringLiteral(" \"TR_1\".\"Strecke\" \n/ \"TR_1\".\"Dauer\" "));
    type(*ed, "dbfFeldname", QStringLiteral("Tempo"));
    chooseAggregate(*ed, 2);
    clickFertig(*ed);
    QVERIFY(m_messages->texts().isEmpty());

    const QVariantMap row = afield(db(), 3);
    const QString joined = QStringLiteral(" \"TR_1\".\"Strecke\"  / \"TR_1\".\"Dauer\" ");
    QCOMPARE(row.value("SQL").toBool(), true);
    QCOMPARE(row.value("Bedingung").toString(), joined + QLatin1Char('\n') + joined);
    // Display holds 50 characters.
    QCOMPARE(row.value("Display").toString(),
             (QStringLiteral("D: Tempo, avg(") + joined + QStringLiteral(") ")).left(50));
    // ">" names the last field added.
    QCOMPARE(row.value("TableNr").toInt(), ClubFixture::kBlock);
    QCOMPARE(row.value("Order").toInt(), 1);
    QCOMPARE(row.value("Agregatfunktion").toInt(), 2);

    // Opened again, the memo shows line 0 only.
    auto again = open(3, true);
    QCOMPARE(control<QPlainTextEdit>(*again, "dbfBedingungen")->toPlainText(), joined);
}

void TestTAuswertungFeld::timeFieldBecomesHours() {
    auto ed = open();
    auto *zeit = control<QComboBox>(*ed, "cbxZeit");
    clickRow(*ed, Dauer);
    QVERIFY(!shown(*ed, "cbxZeit"));
    clickRow(*ed, Zeit);
    QVERIFY(shown(*ed, "cbxZeit"));
    QVERIFY(!zeit->isEnabled());
    QCOMPARE(zeit->currentText(), QStringLiteral("Stunden"));
    type(*ed, "dbfFeldname", QStringLiteral("Uhrzeit"));
    chooseAggregate(*ed, 4);
    clickFertig(*ed);
    QVERIFY(m_messages->texts().isEmpty());
    QVERIFY(ed->isBerechnet());
    QVERIFY(ed->keepBlockField());

    const QString hours =
        QStringLiteral("EXTRACT(HOUR FROM \"TR_1\".\"Zeit\") + EXTRACT(MINUTE FROM \"TR_1\".\"Zeit\")/60 + "
                       "EXTRACT(SECOND FROM \"TR_1\".\"Zeit\")/3600");
    const QVariantMap row = afield(db(), 3);
    QCOMPARE(row.value("SQL").toBool(), true);
    QCOMPARE(row.value("Bedingung").toString(), hours + QLatin1Char('\n') + hours);
    QCOMPARE(row.value("TableNr").toInt(), ClubFixture::kBlock);
    QCOMPARE(row.value("Order").toInt(), 5);
    QCOMPARE(row.value("Display").toString(),
             (QStringLiteral("D: Uhrzeit, min(") + hours + QStringLiteral(") ")).left(50));
}

void TestTAuswertungFeld::failedPostKeepsTimeExpression() {
    auto ed = open();
    clickRow(*ed, Zeit);
    type(*ed, "dbfFeldname", QStringLiteral("Woche"));
    clickFertig(*ed);
    QCOMPARE(m_messages->texts(), QStringList{EvaluationFieldRules::kNameInUse});
    QVERIFY(ed->isVisible());
    QVERIFY(
        control<QPlainTextEdit>(*ed, "dbfBedingungen")->toPlainText().startsWith(QStringLiteral("EXTRACT(HOUR FROM ")));
    type(*ed, "dbfFeldname", QStringLiteral("Beginn"));
    clickFertig(*ed);
    QVERIFY(!ed->isVisible());
    QVERIFY(afield(db(), 3)
                .value("Bedingung")
                .toString()
                .startsWith(QStringLiteral("EXTRACT(HOUR FROM \"TR_1\".\"Zeit\")")));
}

void TestTAuswertungFeld::changeExistingField() {
    auto ed = open(2);
    QVERIFY(!ed->isNewField());
    QCOMPARE(ed->feldNr(), 2);
    QCOMPARE(ed->nextFeldNr(), 3);
    QCOMPARE(control<QLineEdit>(*ed, "dbfFeldname")->text(), QStringLiteral("Umfang"));
    // Its aggregate and its block field are shown.
    QCOMPARE(control<QComboBox>(*ed, "dbfAgregat")->currentIndex(), 1);
    QCOMPARE(control<QTableView>(*ed, "dbgFieldList")->currentIndex().row(), int(Dauer));
    // Its own name is no conflict.
    clickFertig(*ed);
    QVERIFY(m_messages->texts().isEmpty());
    QCOMPARE(afield(db(), 2).value("Display").toString(), QStringLiteral("D: Umfang, sum(Dauer) "));

    auto rename = open(2);
    type(*rename, "dbfFeldname", QStringLiteral("Strecke_ges"));
    clickRow(*rename, Strecke);
    clickFertig(*rename);
    const QVariantMap row = afield(db(), 2);
    QCOMPARE(row.value("Name").toString(), QStringLiteral("Strecke_ges"));
    QCOMPARE(row.value("Order").toInt(), 2);
    QCOMPARE(count(db(), QStringLiteral("select count(*) from AFIELD")), 2);
}

void TestTAuswertungFeld::readOnlyField() {
    const QVariantMap before = afield(db(), 2);
    auto ed = open(2, false, true, true);
    QVERIFY(!control<QPushButton>(*ed, "btnFertig1")->isEnabled());
    QVERIFY(!control<QTableView>(*ed, "dbgFieldList")->isEnabled());
    QVERIFY(!control<QComboBox>(*ed, "dbfAgregat")->isEnabled());
    QCOMPARE(control<QLineEdit>(*ed, "dbfFeldname")->text(), QStringLiteral("Umfang"));
    QVERIFY(control<QLineEdit>(*ed, "dbfFeldname")->isReadOnly());
    QTest::keyClicks(control<QLineEdit>(*ed, "dbfFeldname"), QStringLiteral("xyz"));
    ed->btnFertig1Click();
    QTest::mouseClick(control<QPushButton>(*ed, "btnCancel1"), Qt::LeftButton);
    QVERIFY(!ed->isVisible());
    QCOMPARE(ed->result(), int(QDialog::Rejected));
    QCOMPARE(afield(db(), 2), before);
}

void TestTAuswertungFeld::missingFieldStoresNothing() {
    const QVariantMap before = afield(db(), 2);
    auto ed = open(7);
    QCOMPARE(m_messages->texts(), QStringList{QStringLiteral("Das Feld 7 dieser Auswertung gibt es nicht.")});
    QVERIFY(!control<QPushButton>(*ed, "btnFertig1")->isEnabled());
    ed->btnFertig1Click();
    ed->btnAddClick();
    QCOMPARE(afield(db(), 2), before);
    QVERIFY(afield(db(), 7).isEmpty());
    QCOMPARE(count(db(), QStringLiteral("select count(*) from AFIELD")), 2);
}

void TestTAuswertungFeld::blockFieldNotOfferedIsKept() {
    // The block of field 2 is no longer among the evaluation's blocks; only
    // block 0 (the columns of TR) is.
    Statement st(db(), QStringLiteral("UPDATE ATABLE SET TableNr = 0"));
    st.step();
    auto ed = open(2);
    auto *list = control<QTableView>(*ed, "dbgFieldList");
    QVERIFY(list->model()->rowCount() > 0);
    QVERIFY(!list->currentIndex().isValid());
    type(*ed, "dbfFeldname", QStringLiteral("Umfang_neu"));
    clickFertig(*ed);
    QVERIFY(m_messages->texts().isEmpty());
    const QVariantMap row = afield(db(), 2);
    QCOMPARE(row.value("TableNr").toInt(), ClubFixture::kBlock);
    QCOMPARE(row.value("Order").toInt(), 1);
    QCOMPARE(row.value("Display").toString(), QStringLiteral("D: Umfang_neu, sum(Dauer) "));
}

void TestTAuswertungFeld::ungroupedHidesAggregate() {
    auto ed = open(0, false, false);
    QVERIFY(!shown(*ed, "dbfAgregat"));
    QVERIFY(!shown(*ed, "lblAgregat"));
    clickRow(*ed, Dauer);
    clickFertig(*ed);
    const QVariantMap row = afield(db(), 3);
    QCOMPARE(row.value("Agregatfunktion").toInt(), 0);
    QCOMPARE(row.value("Gruppierung").toBool(), false);
    QCOMPARE(row.value("Display").toString(), QStringLiteral("D: Feld3, Dauer "));
}

void TestTAuswertungFeld::cancelDropsNewField() {
    auto ed = open();
    type(*ed, "dbfFeldname", QStringLiteral("Weg"));
    QTest::mouseClick(control<QPushButton>(*ed, "btnCancel1"), Qt::LeftButton);
    QVERIFY(!ed->isVisible());
    QCOMPARE(ed->result(), int(QDialog::Rejected));
    QCOMPARE(count(db(), QStringLiteral("select count(*) from AFIELD")), 2);

    // Escape cancels as well.
    auto esc = open(2);
    type(*esc, "dbfFeldname", QStringLiteral("Anders"));
    QTest::keyClick(esc.get(), Qt::Key_Escape);
    QVERIFY(!esc->isVisible());
    QCOMPARE(afield(db(), 2).value("Name").toString(), QStringLiteral("Umfang"));
}

QTEST_MAIN(TestTAuswertungFeld)
#include "tst_tauswertungfeld.moc"
