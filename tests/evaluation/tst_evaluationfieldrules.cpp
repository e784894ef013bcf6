// The rules of the evaluation field editor, without its window, and the
// numbers of new evaluations.
#include "evaluation/EvaluationFieldRules.h"
#include "evaluation/EvaluationKeys.h"
#include "store/Errors.h"
#include "store/Query.h"
#include "support/ClubFixture.h"
#include "support/TempInstallation.h"

#include <QSet>
#include <QTest>

using namespace velmora;
using velmora::test::ClubFixture;
using velmora::test::TempInstallation;
using R = EvaluationFieldRules;

namespace {
void addField(Database &db, int auswertungNr, int feldNr) {
    Statement st(db, QStringLiteral("INSERT INTO AFIELD (AuswertungNr, FeldNr, Name) VALUES (?, ?, ?)"));
    st.bind(1, auswertungNr);
    st.bind(2, feldNr);
    st.bind(3, R::defaultName(feldNr));
    st.step();
}

void addEvaluation(Database &db, int nr) {
    Statement st(db, QStringLiteral("INSERT INTO AUSWERT (AuswertungNr, Auswertung) VALUES (?, 'x')"));
    st.bind(1, nr);
    st.step();
}

// The refusal checkName raises, empty when it accepts the name.
QString refusal(const QString &name, const QStringList &others) {
    try {
        R::checkName(name, others);
    } catch (const VelmoraError &e) {
        if (e.control() != QLatin1String(R::kNameControl))
            return QStringLiteral("wrong control: ") + e.control();
        return e.message();
    }
    return {};
}
} // namespace

class TestEvaluationFieldRules : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void fieldNumbers();
    void fieldList();
    void evaluationNumbers();
    void checkName_data();
    void checkName();
    void aggregateEntries_data();
    void aggregateEntries();
    void hoursExpression();
    void beforePost_data();
    void beforePost();
    void beforePostRefusesBadNames();
};

void TestEvaluationFieldRules::fieldNumbers() {
    TempInstallation inst;
    Database &db = inst.db();
    const int nr = 65537;
    QCOMPARE(R::nextFieldNumber(db, nr), 1);
    QCOMPARE(R::defaultName(1), QStringLiteral("Feld1"));
    for (int f : {1, 2, 5})
        addField(db, nr, f);
    // Fields of another evaluation do not count.
    addField(db, nr + 1, 9);
    QCOMPARE(R::nextFieldNumber(db, nr), 6);
    QCOMPARE(R::nextFieldNumber(db, nr + 1), 10);
    QCOMPARE(R::defaultName(6), QStringLiteral("Feld6"));
}

void TestEvaluationFieldRules::fieldList() {
    TempInstallation inst;
    Database &db = inst.db();
    ClubFixture club(db);
    // Block 0 stands for TR itself.
    Statement st(db, QStringLiteral("INSERT INTO ATABLE (AuswertungNr, TableNr) VALUES (?, 0)"));
    st.bind(1, ClubFixture::kEvaluation);
    st.step();
    Query q(db, R::fieldListSql());
    q.setParam(QStringLiteral("AuswertungNr"), ClubFixture::kEvaluation);
    q.open();
    QStringList entities;
    for (q.first(); !q.eof(); q.next())
        entities << q.asString(QStringLiteral("Entity"));
    QVERIFY2(entities.contains(QStringLiteral("\"TR_1\".\"Dauer\"")), qPrintable(entities.join(u',')));
    QVERIFY2(entities.contains(QStringLiteral("\"TR\".\"Datum\"")), qPrintable(entities.join(u',')));
    QCOMPARE(q.fieldIndex(QStringLiteral("Beschreibung")) >= 0, true);
    // Only the evaluation's blocks, each field once.
    QCOMPARE(entities.size(), int(QSet<QString>(entities.begin(), entities.end()).size()));
    q.setParam(QStringLiteral("AuswertungNr"), ClubFixture::kEvaluation + 1);
    q.open();
    QCOMPARE(q.recordCount(), 0);

    QCOMPARE(R::blockFieldName(db, ClubFixture::kBlock, 2), QStringLiteral("Strecke"));
    QCOMPARE(R::blockFieldName(db, ClubFixture::kBlock, 99), QString());
}

void TestEvaluationFieldRules::evaluationNumbers() {
    TempInstallation inst(3);
    Database &db = inst.db();
    QCOMPARE(nextEvaluationNumber(db, 3), 3 * 65536 + 1);
    addEvaluation(db, 3 * 65536 + 1);
    addEvaluation(db, 3 * 65536 + 7);
    // Imported from installations 5 and 2: not in this block.
    addEvaluation(db, 5 * 65536 + 40);
    addEvaluation(db, 2 * 65536 + 900);
    QCOMPARE(nextEvaluationNumber(db, 3), 3 * 65536 + 8);
    QCOMPARE(nextEvaluationNumber(db, 5), 5 * 65536 + 41);
    QCOMPARE(nextEvaluationNumber(db, 4), 4 * 65536 + 1);
    // The upper end of the block belongs to it as well: it is used up.
    addEvaluation(db, 4 * 65536);
    QVERIFY_THROWS_EXCEPTION(VelmoraError, nextEvaluationNumber(db, 3));
}

void TestEvaluationFieldRules::checkName_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("message");
    const QString ok;
    QTest::newRow("plain") << "Tempo" << ok;
    QTest::newRow("umlauts and sharp s") << "Größe_Übung" << ok;
    QTest::newRow("underscore first") << "_x1" << ok;
    QTest::newRow("digits inside") << "F2a" << ok;
    QTest::newRow("case differs from another") << "umfang" << ok;
    QTest::newRow("empty") << "" << R::kNameEmpty;
    QTest::newRow("in use") << "Umfang2" << R::kNameInUse;
    QTest::newRow("blank") << "Umfang pro Woche" << R::kNameNotPlain;
    QTest::newRow("leading digit") << "1Feld" << R::kNameNotPlain;
    QTest::newRow("hyphen") << "Puls-Max" << R::kNameNotPlain;
    QTest::newRow("quote") << "a\"b" << R::kNameNotPlain;
    QTest::newRow("point") << "a.b" << R::kNameNotPlain;
    QTest::newRow("keyword select") << "Select" << R::kNameNotPlain;
    QTest::newRow("keyword group") << "GROUP" << R::kNameNotPlain;
    QTest::newRow("keyword order") << "order" << R::kNameNotPlain;
    QTest::newRow("local keyword true") << "True" << R::kNameNotPlain;
}

void TestEvaluationFieldRules::checkName() {
    QFETCH(QString, name);
    QFETCH(QString, message);
    QCOMPARE(refusal(name, {QStringLiteral("Umfang"), QStringLiteral("Umfang2")}), message);
}

void TestEvaluationFieldRules::aggregateEntries_data() {
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("word");
    QTest::newRow("group by") << "group by \"nach diesem Feld gruppieren\"" << 0 << "group";
    QTest::newRow("sum") << "sum \"Summe des Feldeinhalts\"" << 1 << "sum";
    QTest::newRow("avg") << "avg \"Durchschnitt des Feldeinhalts\"" << 2 << "avg";
    QTest::newRow("count") << "count \"Anzahl unterschiedlicher Werte\"" << 3 << "count";
    QTest::newRow("min") << "min \"Minimaler Feldwert\"" << 4 << "min";
    QTest::newRow("max") << "max \"Maximaler Feldwert\"" << 5 << "max";
    QTest::newRow("typed") << "sum" << -1 << "sum";
    QTest::newRow("empty") << "" << -1 << "";
}

void TestEvaluationFieldRules::aggregateEntries() {
    QFETCH(QString, shown);
    QFETCH(int, code);
    QFETCH(QString, word);
    QCOMPARE(R::aggregateEntries().size(), 6);
    QCOMPARE(R::aggregateCode(shown), code);
    QCOMPARE(R::aggregateWord(shown), word);
}

void TestEvaluationFieldRules::hoursExpression() {
    QCOMPARE(R::hoursExpression(QStringLiteral("\"TR_1\".\"Zeit\"")),
             QStringLiteral("EXTRACT(HOUR FROM \"TR_1\".\"Zeit\") + EXTRACT(MINUTE FROM \"TR_1\".\"Zeit\")/60 + "
                            "EXTRACT(SECOND FROM \"TR_1\".\"Zeit\")/3600"));
    QVERIFY(R::isTimeCode(QStringLiteral("Z")));
    QVERIFY(!R::isTimeCode(QStringLiteral("I")));
}

void TestEvaluationFieldRules::beforePost_data() {
    QTest::addColumn<QString>("typ");
    QTest::addColumn<bool>("grouping");
    QTest::addColumn<int>("aggregate"); // entry index, -1: the text "xyz"
    QTest::addColumn<bool>("calculated");
    QTest::addColumn<bool>("sichtbar");
    QTest::addColumn<QStringList>("memo");
    QTest::addColumn<QString>("arithmOp");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("bedingung"); // null: left as it is
    QTest::addColumn<QString>("display");

    const QStringList none;
    const QString keep;
    QTest::newRow("plain sum") << "D" << true << 1 << false << true << none << "" << 1 << keep
                               << "D: Umfang, sum(Dauer) ";
    QTest::newRow("plain sum with arithmetic")
        << "D" << true << 1 << false << true << none << "/60" << 1 << keep << "D: Umfang, sum(Dauer/60) ";
    QTest::newRow("plain group by, grouped")
        << "D" << true << 0 << false << true << none << "" << 0 << keep << "D: Umfang,  group Dauer ";
    QTest::newRow("plain group by, hidden")
        << "D" << true << 0 << false << false << none << "" << 0 << keep << "D: Umfang, Dauer ";
    QTest::newRow("ungrouped") << "D" << false << 0 << false << true << none << "" << 0 << keep << "D: Umfang, Dauer ";
    QTest::newRow("typed aggregate") << "D" << true << -1 << false << true << none << "" << -1 << keep
                                     << "D: Umfang,  group xyz(Dauer) ";
    QTest::newRow("x axis max") << "X" << true << 5 << false << true << none << "" << 5 << keep
                                << "X: Umfang, max(Dauer) ";
    QTest::newRow("calculated three lines")
        << "D" << true << 1 << true << true << QStringList{"\"TR_1\".\"Dauer\"", "*", "2"} << "" << 1
        << "\"TR_1\".\"Dauer\" * 2\n\"TR_1\".\"Dauer\" * 2"
        << "D: Umfang, sum(\"TR_1\".\"Dauer\" * 2) ";
    QTest::newRow("calculated group by") << "D" << true << 0 << true << true << QStringList{"a+b"} << "" << 0
                                         << "a+b\na+b"
                                         << "D: Umfang,  group a+b ";
    QTest::newRow("calculated without memo")
        << "D" << false << 0 << true << true << none << "" << 0 << keep << "D: Umfang, group";
    QTest::newRow("plain with alternatives") << "D" << true << 1 << false << true << QStringList{"a > 1", "b"} << ""
                                             << 1 << "(a > 1) or (b) \n(a > 1) or (b) "
                                             << "D: Umfang, sum((a > 1) or (b) ) (Dauer) ";
}

void TestEvaluationFieldRules::beforePost() {
    QFETCH(QString, typ);
    QFETCH(bool, grouping);
    QFETCH(int, aggregate);
    QFETCH(bool, calculated);
    QFETCH(bool, sichtbar);
    QFETCH(QStringList, memo);
    QFETCH(QString, arithmOp);
    QFETCH(int, code);
    QFETCH(QString, bedingung);
    QFETCH(QString, display);

    R::PostInput in;
    in.typ = typ;
    in.name = QStringLiteral("Umfang");
    in.grouping = grouping;
    in.aggregateShown = aggregate < 0 ? QStringLiteral("xyz") : R::aggregateEntries().at(aggregate);
    in.calculated = calculated;
    in.sichtbar = sichtbar;
    in.memoLines = memo;
    in.blockFieldName = QStringLiteral("Dauer");
    in.arithmOp = arithmOp;
    const R::PostResult r = R::beforePost(in, {QStringLiteral("Woche")});
    QCOMPARE(r.agregatfunktion, code);
    QCOMPARE(r.setBedingung, !bedingung.isNull());
    if (!bedingung.isNull())
        QCOMPARE(r.bedingung, bedingung);
    QCOMPARE(r.display, display);
}

void TestEvaluationFieldRules::beforePostRefusesBadNames() {
    R::PostInput in;
    in.typ = QStringLiteral("D");
    in.aggregateShown = R::aggregateEntries().at(1);
    in.blockFieldName = QStringLiteral("Dauer");
    const QStringList others{QStringLiteral("Woche")};
    for (const auto &[name, message] :
         {std::pair{QString(), R::kNameEmpty}, std::pair{QStringLiteral("Woche"), R::kNameInUse},
          std::pair{QStringLiteral("km/h"), R::kNameNotPlain}}) {
        in.name = name;
        try {
            R::beforePost(in, others);
            QFAIL(qPrintable(QStringLiteral("accepted ") + name));
        } catch (const VelmoraError &e) {
            QCOMPARE(e.message(), message);
            QCOMPARE(e.control(), QString::fromLatin1(R::kNameControl));
        }
    }
}

QTEST_GUILESS_MAIN(TestEvaluationFieldRules)
#include "tst_evaluationfieldrules.moc"
