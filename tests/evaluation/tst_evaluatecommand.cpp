// velmora5 --evaluate: the evaluation's result as tab-separated text on
// standard output, its messages on standard error with exit status 2.
#include "base/CommandLine.h"
#include "evaluation/TAuswertungSQL.h"
#include "store/Cursor.h"
#include "store/Query.h"
#include "support/ClubFixture.h"
#include "support/TempInstallation.h"

#include <QProcess>
#include <QTest>

using namespace velmora;
using namespace velmora::test;

namespace {
struct Run {
    int exitCode;
    QString out;
    QString err;
};

Run velmora5(const QStringList &args) {
    QProcess p;
    p.start(QStringLiteral(VELMORA5_BINARY), args);
    if (!p.waitForFinished(60000))
        return {-1, {}, QStringLiteral("timeout")};
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

constexpr int kDates = ClubFixture::kBase + 30;
constexpr int kBroken = ClubFixture::kBase + 31;

} // namespace

class TestEvaluateCommand : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<TempInstallation> m_inst;
    QStringList base() const { return {QStringLiteral("--config-dir"), m_inst->dir()}; }
    static QString n(int v) { return QString::number(v); }

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase() { m_inst.reset(); }
    void results_data();
    void results();
    void failures_data();
    void failures();
    void parse_data();
    void parse();
};

void TestEvaluateCommand::initTestCase() {
    m_inst = std::make_unique<TempInstallation>();
    Database &db = m_inst->db();
    ClubFixture club(db);
    // Dates and fractions: the average distance per day.
    InsertRow(db, QStringLiteral("AUSWERT"),
              {{QStringLiteral("AuswertungNr"), kDates},
               {QStringLiteral("Auswertung"), QStringLiteral("Strecke pro Tag")},
               {QStringLiteral("Gruppierung"), true}});
    InsertRow(db, QStringLiteral("AFIELD"),
              {{QStringLiteral("AuswertungNr"), kDates},
               {QStringLiteral("FeldNr"), 1},
               {QStringLiteral("Name"), QStringLiteral("Datum")},
               {QStringLiteral("Typ"), QStringLiteral("X")},
               {QStringLiteral("TableNr"), 0},
               {QStringLiteral("Order"), 1},
               {QStringLiteral("Agregatfunktion"), 0}});
    InsertRow(db, QStringLiteral("AFIELD"),
              {{QStringLiteral("AuswertungNr"), kDates},
               {QStringLiteral("FeldNr"), 2},
               {QStringLiteral("Name"), QStringLiteral("Strecke")},
               {QStringLiteral("Typ"), QStringLiteral("D")},
               {QStringLiteral("TableNr"), ClubFixture::kBlock},
               {QStringLiteral("Order"), 2},
               {QStringLiteral("Agregatfunktion"), 2}});
    // A calculated field naming a column that does not exist.
    InsertRow(db, QStringLiteral("AUSWERT"), {{QStringLiteral("AuswertungNr"), kBroken}});
    InsertRow(db, QStringLiteral("AFIELD"),
              {{QStringLiteral("AuswertungNr"), kBroken},
               {QStringLiteral("FeldNr"), 1},
               {QStringLiteral("Name"), QStringLiteral("X")},
               {QStringLiteral("Typ"), QStringLiteral("D")},
               {QStringLiteral("TableNr"), 0},
               {QStringLiteral("Order"), 1},
               {QStringLiteral("SQL"), true},
               {QStringLiteral("Bedingung"), QStringLiteral("x\rUnbekannt + 1")}});
}

void TestEvaluateCommand::results_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("out");
    const QString ev = n(ClubFixture::kEvaluation);
    const QString anna = n(ClubFixture::kAnna);
    QTest::newRow("grouped week") << QStringList{"--evaluate", ev, "--person", anna, "--kind", "2"}
                                  << "Woche\tUmfang\n202602\t240\n";
    QTest::newRow("plan minus protocol") << QStringList{"--evaluate",       ev,   "--person",       anna, "--kind", "3",
                                                        "--compare-person", anna, "--compare-kind", "2"}
                                         << "Woche\tUmfang\n202602\t-240\n202603\t50\n";
    QTest::newRow("dates and fractions")
        << QStringList{"--evaluate", n(kDates), "--person", anna, "--kind", "2"}
        << "Datum\tStrecke\n2026-01-05 08:00:00\t6.25\n2026-01-07\t9\n2026-01-11 18:30:00\t25\n";
}

void TestEvaluateCommand::results() {
    QFETCH(QStringList, args);
    QFETCH(QString, out);
    Database &db = m_inst->db();
    db.exec(QStringLiteral("UPDATE AUSWERT SET SQL1 = NULL, SQL2 = NULL, XAchse = 5"));
    const Run r = velmora5(base() + args);
    QCOMPARE(r.err, QString());
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(r.out, out);
    // Built and stored as BuildSQL does; the axis index written back.
    const int nr = args[1].toInt();
    Query q(db, QStringLiteral("select SQL1, SQL2, XAchse from AUSWERT where AuswertungNr = %1").arg(nr));
    q.open();
    TAuswertungSQL builder(db);
    builder.AuswertungNr = nr;
    QStringList sql1, sql2;
    builder.GenerateSQL(&sql1, &sql2);
    QCOMPARE(TAuswertungSQL::memoLines(q.value(0).toString()), sql1);
    QCOMPARE(TAuswertungSQL::memoLines(q.value(1).toString()), sql2);
    QCOMPARE(q.value(2).toInt(), 0);
    // The run's temporary tables went with the program.
    db.invalidateSchema();
    QCOMPARE(db.tables(QStringLiteral("TMP*")), QStringList());
}

void TestEvaluateCommand::failures_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("err");
    const QString ev = n(ClubFixture::kEvaluation);
    QTest::newRow("no data")
        << QStringList{"--evaluate", ev, "--person", n(ClubFixture::kOtto), "--kind", "2"}
        << "velmora5: Die Auswertung beinhaltet keine Daten!\nWahrscheinlich sind die Filter beim Öffnen\nfalsch "
           "eingestellt worden.\n";
    QTest::newRow("unknown evaluation") << QStringList{"--evaluate", "4711", "--person", "1", "--kind", "2"}
                                        << "velmora5: Die Auswertung 4711 existiert nicht.\n";
    QTest::newRow("engine error")
        << QStringList{"--evaluate", n(kBroken), "--person", n(ClubFixture::kAnna), "--kind", "2"}
        << "velmora5: Die Auswertung konnte nicht ausgeführt werden: no such column: Unbekannt";
    QTest::newRow("person missing") << QStringList{"--evaluate", ev, "--kind", "2"}
                                    << "velmora5: Zu --evaluate gehören --person P und --kind K.\n";
}

void TestEvaluateCommand::failures() {
    QFETCH(QStringList, args);
    QFETCH(QString, err);
    const Run r = velmora5(base() + args);
    QCOMPARE(r.exitCode, 2);
    QVERIFY2(err.endsWith('\n') ? r.err == err : r.err.startsWith(err), qPrintable(r.err));
    QCOMPARE(r.out, QString());
}

void TestEvaluateCommand::parse_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<bool>("ok");
    QTest::newRow("all") << QStringList{"--evaluate",       "7", "--person",       "3", "--kind", "2",
                                        "--compare-person", "4", "--compare-kind", "3"}
                         << true;
    QTest::newRow("inline") << QStringList{"--evaluate=7", "--person=3", "--kind=12"} << true;
    QTest::newRow("kind missing") << QStringList{"--evaluate", "7", "--person", "3"} << false;
    QTest::newRow("comparison half") << QStringList{"--evaluate", "7", "--person",       "3",
                                                    "--kind",     "2", "--compare-kind", "3"}
                                     << false;
    QTest::newRow("person without evaluate") << QStringList{"--person", "3", "--kind", "2"} << false;
    QTest::newRow("not a number") << QStringList{"--evaluate", "sieben", "--person", "3", "--kind", "2"} << false;
    QTest::newRow("value missing") << QStringList{"--person", "3", "--kind", "2", "--evaluate"} << false;
}

void TestEvaluateCommand::parse() {
    QFETCH(QStringList, args);
    QFETCH(bool, ok);
    const CommandLine cl = parseCommandLine(args);
    QVERIFY2(cl.error.isEmpty() == ok, qPrintable(cl.error));
    if (ok) {
        QCOMPARE(cl.evaluate, 7);
        QCOMPARE(cl.person, 3);
    }
}

QTEST_GUILESS_MAIN(TestEvaluateCommand)
#include "tst_evaluatecommand.moc"
