#include "evaluation/TAuswertungSQL.h"
#include "store/Cursor.h"
#include "store/Query.h"
#include "support/ClubFixture.h"
#include "support/TempInstallation.h"

#include <QTest>

using namespace velmora;
using namespace velmora::test;

namespace {
constexpr int kEval = ClubFixture::kBase + 20;
constexpr int kBlock3 = ClubFixture::kBase + 3; // TRTABLE "Kraft", Filename TR_3
const QString kWeek = QStringLiteral("EXTRACT(YEAR FROM tr.Datum)*100 + cast(tr.Woche as Integer)");

// One AFIELD row: number, name, kind, block and field, aggregate, shown,
// calculated, Bedingung.
QVariantMap field(int nr, const QString &name, const QString &typ, int table, int order, int aggregate = 0,
                  bool shown = true, bool calculated = false, const QString &bedingung = {},
                  const QString &arithmOp = {}) {
    return {{QStringLiteral("FeldNr"), nr},
            {QStringLiteral("Name"), name},
            {QStringLiteral("Typ"), typ},
            {QStringLiteral("TableNr"), table},
            {QStringLiteral("Order"), order},
            {QStringLiteral("Agregatfunktion"), aggregate},
            {QStringLiteral("Sichtbar"), shown},
            {QStringLiteral("SQL"), calculated},
            {QStringLiteral("Bedingung"), bedingung},
            {QStringLiteral("ArithmOp"), arithmOp}};
}

void addEvaluation(Database &db, int nr, bool grouped, bool cross, const QVariantList &fields) {
    InsertRow(db, QStringLiteral("AUSWERT"),
              {{QStringLiteral("AuswertungNr"), nr},
               {QStringLiteral("Auswertung"), QStringLiteral("Test %1").arg(nr)},
               {QStringLiteral("TrainerNr"), ClubFixture::kCoach},
               {QStringLiteral("Gruppierung"), grouped},
               {QStringLiteral("Kreuztabelle"), cross},
               {QStringLiteral("XAchse"), 7},
               {QStringLiteral("YAchse"), 7}});
    for (const QVariant &f : fields) {
        QVariantMap m = f.toMap();
        m.insert(QStringLiteral("AuswertungNr"), nr);
        InsertRow(db, QStringLiteral("AFIELD"), m);
    }
}

QStringList stored(Database &db, int nr, const char *column) {
    Query q(db,
            QStringLiteral("select %1 from AUSWERT where AuswertungNr = %2").arg(QString::fromUtf8(column)).arg(nr));
    q.open();
    return TAuswertungSQL::memoLines(q.value(0).toString());
}

QVariant auswert(Database &db, int nr, const char *column) {
    Query q(db,
            QStringLiteral("select %1 from AUSWERT where AuswertungNr = %2").arg(QString::fromUtf8(column)).arg(nr));
    q.open();
    return q.value(0);
}

// The result table as rows of texts, header first.
QList<QStringList> rowsOf(Cursor &c) {
    QList<QStringList> out;
    QStringList header;
    for (const FieldDef &f : c.fields())
        header << f.name;
    out << header;
    for (c.first(); !c.eof(); c.next()) {
        QStringList row;
        for (int i = 0; i < int(c.fields().size()); ++i) {
            const QVariant v = c.value(i);
            row << (v.typeId() == QMetaType::Double ? QString::number(v.toDouble()) : v.toString());
        }
        out << row;
    }
    return out;
}

void compareLines(const QStringList &actual, const QStringList &expected) {
    for (int i = 0; i < std::min(actual.size(), expected.size()); ++i)
        QVERIFY2(actual[i] == expected[i],
                 qPrintable(QStringLiteral("line %1:\n[%2]\n[%3]").arg(i).arg(actual[i], expected[i])));
    QVERIFY2(actual.size() == expected.size(), qPrintable(actual.join(QLatin1Char('\n'))));
}
} // namespace

class TestAuswertungSQL : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<TempInstallation> m_inst;
    Database &db() { return m_inst->db(); }

private Q_SLOTS:
    void init();
    void cleanup();
    void buildSql_data();
    void buildSql();
    void buildErrorsKeepStoredQueries_data();
    void buildErrorsKeepStoredQueries();
    void prepareRun_data();
    void prepareRun();
    void runGroupedWeek();
    void runComparisonPlanMinusProtocol();
    void runWithPersonAxis();
    void axisIndexesCountResultColumns();
    void crossTableWithIndexField();
    void crossTableLaterRowOverwrites();
    void crossTableEmptyXValueGetsNoColumn();
    void crossTableMessages_data();
    void crossTableMessages();
    void noDataMessage();
    void typedSqlCannotChangeTables_data();
    void typedSqlCannotChangeTables();
    void temporaryTablesDroppedOnRelease();
    void staleTemporaryTablesDropped();
};

void TestAuswertungSQL::init() {
    m_inst = std::make_unique<TempInstallation>();
    ClubFixture club(db());
    InsertRow(db(), QStringLiteral("TRTABLE"),
              {{QStringLiteral("TableNr"), kBlock3},
               {QStringLiteral("Name"), QStringLiteral("Kraft")},
               {QStringLiteral("Filename"), QStringLiteral("TR_3")}});
    InsertRow(db(), QStringLiteral("TRFIELD"),
              {{QStringLiteral("TableNr"), kBlock3},
               {QStringLiteral("Order"), 1},
               {QStringLiteral("Feldname"), QStringLiteral("Dauer")},
               {QStringLiteral("Typ"), QStringLiteral("I")}});
}

void TestAuswertungSQL::cleanup() {
    m_inst.reset();
}

void TestAuswertungSQL::buildSql_data() {
    QTest::addColumn<bool>("grouped");
    QTest::addColumn<QVariantList>("fields");
    QTest::addColumn<QStringList>("sql1");
    QTest::addColumn<QStringList>("sql2");
    const int b1 = ClubFixture::kBlock;
    const QString join1 =
        QStringLiteral("(\"TR_1\".\"SerienNr\" = \"TR\".\"SerienNr\") and (\"TR_1\".\"TrNr\" = \"TR\".\"TrNr\")");
    const QString join3 =
        QStringLiteral("(\"TR_3\".\"SerienNr\" = \"TR\".\"SerienNr\") and (\"TR_3\".\"TrNr\" = \"TR\".\"TrNr\")");

    QTest::newRow("worked example")
        << true
        << QVariantList{field(1, "Woche", "X", 0, 1, 0, true, true, "X-Achse\r" + kWeek),
                        field(2, "Umfang", "D", kBlock3, 1, 1)}
        << QStringList{"select   EXTRACT(YEAR FROM tr.Datum)*100 + cast(tr.Woche as Integer) as F_1, ",
                       "         \"TR_3\".\"Dauer\" as F_2", "from     \"TR\",", "         \"TR_3\"",
                       "where    " + join3 + " "}
        << QStringList{"select   F_1 as Woche, ", "         sum(F_2) as Umfang", "from ", "group by F_1",
                       "order by F_1"};
    QTest::newRow("all fields in block 0, ungrouped, no X field")
        << false << QVariantList{field(1, "Datum", "D", 0, 1), field(2, "Woche", "D", 0, 2)}
        << QStringList{"select   \"TR\".\"Datum\" as F_1, ", "         \"TR\".\"Woche\" as F_2", "from     \"TR\""}
        << QStringList{"select   F_1 as Datum, ", "         F_2 as Woche", "from "};
    QTest::newRow("two fields of one block")
        << true
        << QVariantList{field(1, "Dauer", "D", b1, 1, 1), field(2, "Strecke", "D", b1, 2, 2, true, false, {}, "*1000")}
        << QStringList{"select   \"TR_1\".\"Dauer\" as F_1, ", "         \"TR_1\".\"Strecke\"*1000 as F_2",
                       "from     \"TR_1\", \"TR\"", "where    " + join1 + " "}
        << QStringList{"select   sum(F_1) as Dauer, ", "         avg(F_2) as Strecke", "from "};
    QTest::newRow("two blocks, TR not first")
        << true
        << QVariantList{field(1, "Lauf", "D", b1, 1, 1), field(2, "Datum", "X", 0, 1, 0),
                        field(3, "Kraft", "D", kBlock3, 1, 5)}
        << QStringList{"select   \"TR_1\".\"Dauer\" as F_1, ",
                       "         \"TR\".\"Datum\" as F_2, ",
                       "         \"TR_3\".\"Dauer\" as F_3",
                       "from     \"TR_1\",",
                       "         \"TR\",",
                       "         \"TR_3\"",
                       "where    " + join1 + " and " + join3 + " "}
        << QStringList{"select   sum(F_1) as Lauf, ",
                       "         F_2 as Datum, ",
                       "         max(F_3) as Kraft",
                       "from ",
                       "group by F_2",
                       "order by F_2"};
    QTest::newRow("hidden fields with conditions, last one hidden")
        << true
        << QVariantList{field(1, "Datum", "X", 0, 1, 0),
                        field(2, "Notiz", "D", b1, 4, 0, false, false, "= 'lang'\r(\"TR_1\".\"Notiz\" = 'lang') "),
                        field(3, "Dauer", "D", b1, 1, 1),
                        field(4, "Person", "D", 0, 5, 0, false, false, "=17\r(\"TR\".\"PersonNr\" = 17) ")}
        << QStringList{"select   \"TR\".\"Datum\" as F_1, ",
                       "         \"TR_1\".\"Dauer\" as F_3",
                       "from     \"TR\",",
                       "         \"TR_1\"",
                       "where    " + join1 + " and ",
                       "         (\"TR_1\".\"Notiz\" = 'lang')  and ",
                       "         (\"TR\".\"PersonNr\" = 17)  "}
        << QStringList{"select   F_1 as Datum, ", "         sum(F_3) as Dauer", "from ", "group by F_1",
                       "order by F_1"};
    QTest::newRow("conditions with alternatives")
        << false
        << QVariantList{field(1, "Dauer", "D", b1, 1, 0, true, false,
                              ">10 or <5\r(\"TR_1\".\"Dauer\" > 10) or (\"TR_1\".\"Dauer\" < 5) "),
                        field(2, "Notiz", "D", b1, 4, 0, true, false,
                              "x\r('a' = \"TR_1\".\"Notiz\")\r('b or c' = \"TR_1\".\"Notiz\")"),
                        field(3, "Strecke", "D", b1, 2, 0, true, false, "x\r(\"TR_1\".\"Strecke\" > 1) ")}
        << QStringList{"select   \"TR_1\".\"Dauer\" as F_1, ",
                       "         \"TR_1\".\"Notiz\" as F_2, ",
                       "         \"TR_1\".\"Strecke\" as F_3",
                       "from     \"TR_1\", \"TR\"",
                       "where    " + join1 + " and ",
                       "         ((\"TR_1\".\"Dauer\" > 10) or (\"TR_1\".\"Dauer\" < 5) ) and ",
                       "         (('a' = \"TR_1\".\"Notiz\") or ('b or c' = \"TR_1\".\"Notiz\")) and ",
                       "         (\"TR_1\".\"Strecke\" > 1)  "}
        << QStringList{"select   F_1 as Dauer, ", "         F_2 as Notiz, ", "         F_3 as Strecke", "from "};
    QTest::newRow("calculated fields with and without a fourth line")
        << false
        << QVariantList{field(1, "Tempo", "D", b1, 2, 0, true, true,
                              "s / d\r\"TR_1\".\"Strecke\" / \"TR_1\".\"Dauer\"\r\r(\"TR_1\".\"Dauer\" > 0)"),
                        field(2, "Doppelt", "D", b1, 1, 0, true, true, "d*2\r\"TR_1\".\"Dauer\"*2\rx")}
        << QStringList{"select   \"TR_1\".\"Strecke\" / \"TR_1\".\"Dauer\" as F_1, ",
                       "         \"TR_1\".\"Dauer\"*2 as F_2", "from     \"TR_1\", \"TR\"",
                       "where    " + join1 + " and ", "         (\"TR_1\".\"Dauer\" > 0) "}
        << QStringList{"select   F_1 as Tempo, ", "         F_2 as Doppelt", "from "};
    QTest::newRow("person axis")
        << true
        << QVariantList{field(1, "Person", "Y", -1, 0, 0, true, true,
                              "Y-Achse\rPerson.Nachname+\" \"+Person.Vorname as Person"),
                        field(2, "Umfang", "D", b1, 1, 1)}
        << QStringList{"select   Person.Nachname+\" \"+Person.Vorname as F_1, ", "         \"TR_1\".\"Dauer\" as F_2",
                       "from     \"TR_1\", \"TR\",", "         \"PERSON\"",
                       "where    " + join1 + " and (\"PERSON\".\"PersonNr\" = \"TR\".\"PersonNr\") "}
        << QStringList{"select   F_1 as Person, ", "         sum(F_2) as Umfang", "from ", "group by F_1"};
    QTest::newRow("hidden person axis joins nothing")
        << true
        << QVariantList{field(1, "Person", "Y", -1, 0, 0, false, true,
                              "Y-Achse\rPerson.Nachname+\" \"+Person.Vorname as Person"),
                        field(2, "Umfang", "D", b1, 1, 1)}
        << QStringList{"select   \"TR_1\".\"Dauer\" as F_2", "from     \"TR_1\", \"TR\"", "where    " + join1 + " "}
        << QStringList{"select   sum(F_2) as Umfang", "from "};
}

void TestAuswertungSQL::buildSql() {
    QFETCH(bool, grouped);
    QFETCH(QVariantList, fields);
    QFETCH(QStringList, sql1);
    QFETCH(QStringList, sql2);
    addEvaluation(db(), kEval, grouped, false, fields);
    db().execLocal(QStringLiteral("update AUSWERT set \"Geändert\" = true where AuswertungNr = %1").arg(kEval));
    TAuswertungSQL builder(db());
    builder.AuswertungNr = kEval;
    builder.BuildSQL();
    compareLines(stored(db(), kEval, "SQL1"), sql1);
    compareLines(stored(db(), kEval, "SQL2"), sql2);
    QCOMPARE(auswert(db(), kEval, "\"Geändert\"").toBool(), false);
}

void TestAuswertungSQL::buildErrorsKeepStoredQueries_data() {
    QTest::addColumn<QVariantList>("fields");
    QTest::addColumn<QString>("message");
    QTest::newRow("no field") << QVariantList{} << EvaluationMessages::kNoField;
    QTest::newRow("field of no block") << QVariantList{field(1, "Weg", "D", 4711, 1)} << EvaluationMessages::kNoField;
    QTest::newRow("no shown field") << QVariantList{field(1, "Dauer", "D", ClubFixture::kBlock, 1, 1, false),
                                                    field(2, "Datum", "D", 0, 1, 0, false)}
                                    << EvaluationMessages::kNoVisibleField;
}

void TestAuswertungSQL::buildErrorsKeepStoredQueries() {
    QFETCH(QVariantList, fields);
    QFETCH(QString, message);
    addEvaluation(db(), kEval, true, false, fields);
    db().execLocal(
        QStringLiteral("update AUSWERT set SQL1 = 'alt1', SQL2 = 'alt2' where AuswertungNr = %1").arg(kEval));
    TAuswertungSQL builder(db());
    builder.AuswertungNr = kEval;
    try {
        builder.BuildSQL();
        QFAIL("BuildSQL succeeded");
    } catch (const VelmoraError &e) {
        QCOMPARE(e.message(), message);
    }
    QCOMPARE(stored(db(), kEval, "SQL1"), QStringList{"alt1"});
    QCOMPARE(stored(db(), kEval, "SQL2"), QStringList{"alt2"});
}

void TestAuswertungSQL::prepareRun_data() {
    QTest::addColumn<QVariantList>("fields");
    QTest::addColumn<QStringList>("conditions");
    QTest::addColumn<bool>("compare");
    QTest::addColumn<QStringList>("run");
    QTest::addColumn<QStringList>("comparison");
    const QVariantList example{field(1, "Woche", "X", 0, 1, 0, true, true, "X-Achse\r" + kWeek),
                               field(2, "Umfang", "D", kBlock3, 1, 1)};
    const QString where3 = QStringLiteral(
        "where    (\"TR_3\".\"SerienNr\" = \"TR\".\"SerienNr\") and (\"TR_3\".\"TrNr\" = \"TR\".\"TrNr\") ");
    const QStringList head{"select   " + kWeek + " as F_1, ", "         \"TR_3\".\"Dauer\" as F_2", "from     \"TR\",",
                           "         \"TR_3\""};
    QTest::newRow("where clause, no condition lines")
        << example << QStringList{} << false
        << (head + QStringList{where3 + " and", "(tr.Art = 2) and", "(tr.PersonNr = 17)"}) << QStringList{};
    QTest::newRow("no where clause") << QVariantList{field(1, "Datum", "D", 0, 1)} << QStringList{} << false
                                     << QStringList{"select   \"TR\".\"Datum\" as F_1", "from     \"TR\"",
                                                    "where (tr.Art = 2) and", "(tr.PersonNr = 17)"}
                                     << QStringList{};
    QTest::newRow("condition lines of the diary")
        << example
        << QStringList{"(tr.PersonNr = 17) and", "(tr.Datum >= \"2026-01-05\") and", "(tr.Datum <= \"2026-01-11\")"}
        << false
        << (head + QStringList{where3 + " and", "(tr.Art = 2) and", "(tr.PersonNr = 17) and",
                               "(tr.Datum >= \"2026-01-05\") and", "(tr.Datum <= \"2026-01-11\")"})
        << QStringList{};
    QTest::newRow("comparison negates numeric fields only")
        << example << QStringList{} << true
        << (head + QStringList{where3 + " and", "(tr.Art = 2) and", "(tr.PersonNr = 17)"})
        << QStringList{"select   " + kWeek + " as F_1, ",
                       "       (  \"TR_3\".\"Dauer\")*(-1) as F_2",
                       "from     \"TR\",",
                       "         \"TR_3\"",
                       where3 + " and",
                       "(tr.Art = 3) and",
                       "(tr.PersonNr = 18)"};
    QTest::newRow("comparison on the first line, expression with its own as")
        << QVariantList{field(1, "Umfang", "D", kBlock3, 1, 1), field(2, "Stunden", "D", kBlock3, 1, 1, true, true,
                                                                      "h\rcast(\"TR_3\".\"Dauer\" as Integer)/60")}
        << QStringList{} << true
        << QStringList{"select   \"TR_3\".\"Dauer\" as F_1, ",
                       "         cast(\"TR_3\".\"Dauer\" as Integer)/60 as F_2",
                       "from     \"TR_3\", \"TR\"",
                       where3 + " and",
                       "(tr.Art = 2) and",
                       "(tr.PersonNr = 17)"}
        << QStringList{"select (  \"TR_3\".\"Dauer\")*(-1) as F_1, ",
                       "       (  cast(\"TR_3\".\"Dauer\" as Integer)/60)*(-1) as F_2",
                       "from     \"TR_3\", \"TR\"",
                       where3 + " and",
                       "(tr.Art = 3) and",
                       "(tr.PersonNr = 18)"};
}

void TestAuswertungSQL::prepareRun() {
    QFETCH(QVariantList, fields);
    QFETCH(QStringList, conditions);
    QFETCH(bool, compare);
    QFETCH(QStringList, run);
    QFETCH(QStringList, comparison);
    addEvaluation(db(), kEval, true, false, fields);
    TAuswertungSQL builder(db());
    builder.AuswertungNr = kEval;
    builder.BuildSQL();
    builder.Art = 2;
    builder.PersonNr = 17;
    builder.Vergleich = compare;
    builder.VergleichArt = 3;
    builder.VergleichPersonNr = 18;
    builder.PrepareRun(conditions);
    compareLines(builder.runText(), run);
    compareLines(builder.compareText(), comparison);
}

void TestAuswertungSQL::runGroupedWeek() {
    TAuswertungSQL builder(db());
    builder.AuswertungNr = ClubFixture::kEvaluation;
    builder.BuildSQL();
    builder.Art = 2;
    builder.PersonNr = ClubFixture::kAnna;
    builder.PrepareRun();
    builder.Run();
    QVERIFY(builder.resultTable());
    const QList<QStringList> expected{{"Woche", "Umfang"}, {"202602", "240"}};
    QCOMPARE(rowsOf(*builder.resultTable()), expected);
    QCOMPARE(builder.xName(), QStringLiteral("Woche"));
    QCOMPARE(auswert(db(), ClubFixture::kEvaluation, "XAchse").toInt(), 0);
    QCOMPARE(auswert(db(), ClubFixture::kEvaluation, "YAchse").toInt(), -1);
    // Stage 1 holds one row per block row of Anna's protocols.
    QCOMPARE(db().rowCount(builder.stage1Table()), 4);
}

void TestAuswertungSQL::runComparisonPlanMinusProtocol() {
    TAuswertungSQL builder(db());
    builder.AuswertungNr = ClubFixture::kEvaluation;
    builder.BuildSQL();
    builder.Art = 3;
    builder.PersonNr = ClubFixture::kAnna;
    builder.Vergleich = true;
    builder.VergleichArt = 2;
    builder.VergleichPersonNr = ClubFixture::kAnna;
    builder.PrepareRun();
    builder.Run();
    const QList<QStringList> expected{{"Woche", "Umfang"}, {"202602", "-240"}, {"202603", "50"}};
    QCOMPARE(rowsOf(*builder.resultTable()), expected);
}

void TestAuswertungSQL::runWithPersonAxis() {
    // Paul's and Anna's protocols through a filter's condition lines.
    addEvaluation(
        db(), kEval, true, false,
        {field(1, "Person", "X", -1, 0, 0, true, true, "X-Achse\rPerson.Nachname+\" \"+Person.Vorname as Person"),
         field(2, "Umfang", "D", ClubFixture::kBlock, 1, 1)});
    TAuswertungSQL builder(db());
    builder.AuswertungNr = kEval;
    builder.BuildSQL();
    builder.Art = 2;
    builder.PrepareRun({QStringLiteral("((tr.PersonNr = %1) or").arg(ClubFixture::kAnna),
                        QStringLiteral("(tr.PersonNr = %1))").arg(ClubFixture::kPaul)});
    builder.Run();
    const QList<QStringList> expected{{"Person", "Umfang"}, {"Berg Anna", "240"}, {"Meier Paul", "30"}};
    QCOMPARE(rowsOf(*builder.resultTable()), expected);
    QCOMPARE(auswert(db(), kEval, "XAchse").toInt(), 0);
}

void TestAuswertungSQL::axisIndexesCountResultColumns() {
    // Field 1 names no block field, so no stage selects it; the axes are
    // counted among the columns the result has.
    addEvaluation(db(), kEval, true, false,
                  {field(1, "Weg", "D", 4711, 1, 1), field(2, "Umfang", "D", ClubFixture::kBlock, 1, 1),
                   field(3, "Datum", "X", 0, 1, 0), field(4, "Woche", "Y", 0, 2, 0, false)});
    TAuswertungSQL builder(db());
    builder.AuswertungNr = kEval;
    builder.BuildSQL();
    builder.Art = 2;
    builder.PersonNr = ClubFixture::kAnna;
    builder.PrepareRun();
    builder.Run();
    QCOMPARE(rowsOf(*builder.resultTable()).value(0), (QStringList{"Umfang", "Datum"}));
    QCOMPARE(auswert(db(), kEval, "XAchse").toInt(), 1);
    QCOMPARE(auswert(db(), kEval, "YAchse").toInt(), -1);
}

void TestAuswertungSQL::crossTableWithIndexField() {
    addEvaluation(db(), kEval, true, true,
                  {field(1, "Belastung", "X", ClubFixture::kBlock, 3, 0),
                   field(2, "Woche", "Y", 0, 1, 0, true, true, "Y-Achse\r" + kWeek),
                   field(3, "Umfang", "D", ClubFixture::kBlock, 1, 1)});
    TAuswertungSQL builder(db());
    builder.AuswertungNr = kEval;
    builder.BuildSQL();
    builder.Art = 2;
    builder.PersonNr = ClubFixture::kAnna;
    builder.PrepareRun();
    builder.Run();
    QVERIFY(builder.xIsIndexField());
    QVERIFY(!builder.yIsIndexField());
    QList<QStringList> rows = rowsOf(*builder.resultTable());
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows[0].value(0), QStringLiteral("Woche/Belastung"));
    const int locker = int(rows[0].indexOf(QStringLiteral("locker")));
    const int intensiv = int(rows[0].indexOf(QStringLiteral("intensiv")));
    QVERIFY(locker > 0 && intensiv > 0);
    QCOMPARE(rows[0].size(), 3);
    QCOMPARE(rows[1].value(0), QStringLiteral("202602"));
    QCOMPARE(rows[1].value(locker), QStringLiteral("180"));
    QCOMPARE(rows[1].value(intensiv), QStringLiteral("60"));
    QCOMPARE(auswert(db(), kEval, "XAchse").toInt(), 0);
    QCOMPARE(auswert(db(), kEval, "YAchse").toInt(), 1);
    QVERIFY(builder.crossInputTable() != builder.resultTableName());
}

void TestAuswertungSQL::crossTableLaterRowOverwrites() {
    // Ungrouped: every block row is a stage-2 row; Anna's two locker rows of
    // week 2 (60 and 120) meet in one cell, and the later one stays.
    addEvaluation(
        db(), kEval, false, true,
        {field(1, "Belastung", "X", ClubFixture::kBlock, 3, 0),
         field(2, "Woche", "Y", 0, 1, 0, true, true, "Y-Achse\r" + kWeek),
         field(3, "Umfang", "D", ClubFixture::kBlock, 1, 0),
         field(4, "Notiz", "D", ClubFixture::kBlock, 4, 0, false, false, "x\r(\"TR_1\".\"Notiz\" <> 'Steigerung') ")});
    TAuswertungSQL builder(db());
    builder.AuswertungNr = kEval;
    builder.BuildSQL();
    builder.Art = 2;
    builder.PersonNr = ClubFixture::kAnna;
    builder.PrepareRun();
    builder.Run();
    QStringList lockerValues;
    Cursor stage2(db(), builder.crossInputTable());
    stage2.open();
    for (stage2.first(); !stage2.eof(); stage2.next())
        if (stage2.asInt(QStringLiteral("Belastung")) == ClubFixture::kValueLocker)
            lockerValues << QString::number(stage2.asInt(QStringLiteral("Umfang")));
    QCOMPARE(lockerValues.size(), 2);
    QVERIFY(lockerValues[0] != lockerValues[1]);
    const QList<QStringList> rows = rowsOf(*builder.resultTable());
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows[1].value(int(rows[0].indexOf(QStringLiteral("locker")))), lockerValues.last());
    QCOMPARE(rows[1].value(int(rows[0].indexOf(QStringLiteral("intensiv")))), QStringLiteral("45"));
}

void TestAuswertungSQL::crossTableEmptyXValueGetsNoColumn() {
    Query e2(db(), QStringLiteral("select TrNr from TR where Beschreibung = 'Intervalle'"));
    e2.open();
    InsertRow(db(), QStringLiteral("TR_1"),
              {{QStringLiteral("SerienNr"), ClubFixture::kSerial},
               {QStringLiteral("TrNr"), e2.value(0)},
               {QStringLiteral("Order"), 1},
               {QStringLiteral("Dauer"), 10}});
    addEvaluation(db(), kEval, true, true,
                  {field(1, "Notiz", "X", ClubFixture::kBlock, 4, 0),
                   field(2, "Woche", "Y", 0, 1, 0, true, true, "Y-Achse\r" + kWeek),
                   field(3, "Umfang", "D", ClubFixture::kBlock, 1, 1)});
    TAuswertungSQL builder(db());
    builder.AuswertungNr = kEval;
    builder.BuildSQL();
    builder.Art = 2;
    builder.PersonNr = ClubFixture::kAnna;
    builder.PrepareRun();
    builder.Run();
    QList<QStringList> rows = rowsOf(*builder.resultTable());
    QCOMPARE(rows.size(), 2);
    QStringList header = rows[0];
    std::sort(header.begin() + 1, header.end());
    QCOMPARE(header, (QStringList{"Woche/Notiz", "6 x 1000", "Steigerung", "lang", "ruhig"}));
    QCOMPARE(rows[1].value(int(rows[0].indexOf(QStringLiteral("lang")))), QStringLiteral("120"));
    QCOMPARE(rows[1].value(int(rows[0].indexOf(QStringLiteral("6 x 1000")))), QStringLiteral("45"));
}

void TestAuswertungSQL::crossTableMessages_data() {
    QTest::addColumn<QVariantList>("fields");
    QTest::addColumn<QString>("message");
    const int b1 = ClubFixture::kBlock;
    const QVariant y = field(2, "Woche", "Y", 0, 1, 0, true, true, "Y-Achse\r" + kWeek);
    QTest::newRow("two fields") << QVariantList{field(1, "Datum", "X", 0, 1), y}
                                << EvaluationMessages::kCrossThreeFields;
    QTest::newRow("no Y field") << QVariantList{field(1, "Datum", "X", 0, 1), field(2, "Notiz", "D", b1, 4),
                                                field(3, "Umfang", "D", b1, 1, 1)}
                                << EvaluationMessages::kCrossAxes;
    QTest::newRow("two data fields") << QVariantList{field(1, "Belastung", "X", b1, 3), y,
                                                     field(3, "Umfang", "D", b1, 1, 1), field(4, "Weg", "D", b1, 2, 1)}
                                     << EvaluationMessages::kCrossOneDataField;
    QTest::newRow("no X value") << QVariantList{field(1, "Notiz", "X", b1, 4), y, field(3, "Umfang", "D", b1, 1, 1)}
                                << EvaluationMessages::kCrossNoColumns;
}

void TestAuswertungSQL::crossTableMessages() {
    QFETCH(QVariantList, fields);
    QFETCH(QString, message);
    addEvaluation(db(), kEval, true, true, fields);
    TAuswertungSQL builder(db());
    builder.AuswertungNr = kEval;
    builder.BuildSQL();
    builder.Art = 3; // Anna's plan: its block row has no Notiz
    builder.PersonNr = ClubFixture::kAnna;
    builder.PrepareRun();
    try {
        builder.Run();
        QFAIL("Run succeeded");
    } catch (const VelmoraError &e) {
        QCOMPARE(e.message(), message);
    }
    // The evaluation row keeps its earlier axis indexes.
    QCOMPARE(auswert(db(), kEval, "XAchse").toInt(), 7);
}

void TestAuswertungSQL::noDataMessage() {
    TAuswertungSQL builder(db());
    builder.AuswertungNr = ClubFixture::kEvaluation;
    builder.BuildSQL();
    builder.Art = 2;
    builder.PersonNr = ClubFixture::kOtto;
    // The comparison would have rows; stage 1 alone decides.
    builder.Vergleich = true;
    builder.VergleichArt = 2;
    builder.VergleichPersonNr = ClubFixture::kAnna;
    builder.PrepareRun();
    try {
        builder.Run();
        QFAIL("Run succeeded");
    } catch (const VelmoraError &e) {
        QCOMPARE(e.message(), QStringLiteral("Die Auswertung beinhaltet keine Daten!\rWahrscheinlich sind die Filter "
                                             "beim Öffnen\rfalsch eingestellt worden."));
    }
    QVERIFY(builder.temporaryTables().isEmpty());
}

void TestAuswertungSQL::typedSqlCannotChangeTables_data() {
    QTest::addColumn<QString>("bedingung");
    QTest::addColumn<QString>("sql1");
    QTest::newRow("second statement in a condition")
        << "x\r(\"TR_1\".\"Dauer\" > 0); drop table TR_1; select 1 where (1=1) " << QString();
    QTest::newRow("second statement in an expression") << "x\r1; delete from TR\r\r(1=1)" << QString();
    // The stored stage-1 text is a memo a user can change; completed by the
    // run's own lines it would be a whole delete or update statement.
    QTest::newRow("stored delete") << QString() << "delete from TR";
    QTest::newRow("stored update") << QString() << "update TR set Art = 9";
    QTest::newRow("stored update of a block")
        << QString() << "update TR_1 set Dauer = 0 where TrNr in (select TrNr from TR";
}

void TestAuswertungSQL::typedSqlCannotChangeTables() {
    QFETCH(QString, bedingung);
    QFETCH(QString, sql1);
    addEvaluation(db(), kEval, false, false,
                  {field(1, "Dauer", "D", ClubFixture::kBlock, 1, 0, true, bedingung.contains("delete"), bedingung)});
    const QString before =
        QString::number(db().rowCount(QStringLiteral("TR"))) + QString::number(db().rowCount(QStringLiteral("TR_1")));
    Query sums(db(), QStringLiteral("select sum(Art), (select sum(Dauer) from TR_1) from TR"));
    sums.open();
    const QString sumsBefore = sums.value(0).toString() + "/" + sums.value(1).toString();
    TAuswertungSQL builder(db());
    builder.AuswertungNr = kEval;
    builder.BuildSQL();
    if (!sql1.isEmpty())
        db().execLocal(QStringLiteral("update AUSWERT set SQL1 = :s where AuswertungNr = :n"),
                       {{QStringLiteral("s"), sql1}, {QStringLiteral("n"), kEval}});
    builder.Art = 2;
    builder.PersonNr = ClubFixture::kAnna;
    builder.PrepareRun(sql1.contains("in (")
                           ? QStringList{QStringLiteral("(tr.PersonNr = %1))").arg(ClubFixture::kAnna)}
                           : QStringList{});
    QVERIFY_THROWS_EXCEPTION(VelmoraError, builder.Run());
    QVERIFY(db().tableExists(QStringLiteral("TR_1")));
    QCOMPARE(QString::number(db().rowCount(QStringLiteral("TR"))) +
                 QString::number(db().rowCount(QStringLiteral("TR_1"))),
             before);
    sums.open();
    QCOMPARE(sums.value(0).toString() + "/" + sums.value(1).toString(), sumsBefore);
}

void TestAuswertungSQL::temporaryTablesDroppedOnRelease() {
    QStringList tables;
    {
        addEvaluation(db(), kEval, true, true,
                      {field(1, "Belastung", "X", ClubFixture::kBlock, 3, 0),
                       field(2, "Woche", "Y", 0, 1, 0, true, true, "Y-Achse\r" + kWeek),
                       field(3, "Umfang", "D", ClubFixture::kBlock, 1, 1)});
        TAuswertungSQL builder(db());
        builder.AuswertungNr = kEval;
        builder.BuildSQL();
        builder.Art = 2;
        builder.PersonNr = ClubFixture::kAnna;
        builder.PrepareRun();
        builder.Run();
        tables = builder.temporaryTables();
        QCOMPARE(tables.size(), 3);
        for (const QString &t : tables) {
            QVERIFY2(t.startsWith(QLatin1String("TMP")) && t.size() == 8, qPrintable(t));
            QVERIFY(db().tableExists(t));
        }
    }
    for (const QString &t : tables)
        QVERIFY2(!db().tableExists(t), qPrintable(t));
}

void TestAuswertungSQL::staleTemporaryTablesDropped() {
    for (const char *t : {"TMP00000", "tmp0001f", "TMPKEYS", "TMP000001", "TMP0000G"})
        db().exec(QStringLiteral("CREATE TABLE \"%1\" (a)").arg(QString::fromLatin1(t)));
    QCOMPARE(DropStaleTempTables(db()), 2);
    QVERIFY(!db().tableExists(QStringLiteral("TMP00000")));
    QVERIFY(!db().tableExists(QStringLiteral("TMP0001F")));
    for (const char *t : {"TMPKEYS", "TMP000001", "TMP0000G", "TR", "TR_1"})
        QVERIFY2(db().tableExists(QString::fromLatin1(t)), t);
}

QTEST_GUILESS_MAIN(TestAuswertungSQL)
#include "tst_auswertungsql.moc"
