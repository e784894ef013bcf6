// Timing of evaluations on a club of 50 athletes with 10 years of daily
// protocols in 3 blocks (182,500 entries): a grouped week evaluation of one
// athlete and of the whole club (stage 1, stage 2, result table) beside the
// one hand-written SQLite query that gives the same rows, and a cross table
// of 52 weeks x 20 index values. Prints medians in milliseconds.

#include "BenchLine.h"
#include "base/Helpers.h"
#include "evaluation/TAuswertungSQL.h"
#include "store/Cursor.h"
#include "support/ClubFixture.h"
#include "support/TempInstallation.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <algorithm>
#include <cstdio>
#include <functional>

using namespace velmora;
using velmora::test::ClubFixture;

namespace {
constexpr int kAthletes = 50, kYears = 10, kValues = 20, kRounds = 5;
constexpr int kFirstAthlete = ClubFixture::kBase + 100;
constexpr int kCross = ClubFixture::kBase + 40;

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double timeIt(const std::function<void()> &f) {
    std::vector<double> runs;
    for (int i = 0; i < kRounds; ++i) {
        QElapsedTimer t;
        t.start();
        f();
        runs.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    return median(runs);
}

void fill(Database &db) {
    Transaction tx(db);
    for (int t = 2; t <= 3; ++t)
        db.exec(QStringLiteral("CREATE TABLE TR_%1 AS SELECT * FROM TR_1 WHERE 0; "
                               "CREATE UNIQUE INDEX \"TR_%1$PRIMARY\" ON TR_%1 (SerienNr, TrNr, \"Order\")")
                    .arg(t));
    Statement value(db, QStringLiteral("INSERT INTO TRVALUE (ValueNr, Value) VALUES (?, ?)"));
    for (int v = 3; v <= kValues; ++v) {
        value.reset();
        value.bind(1, ClubFixture::kBase + v);
        value.bind(2, QStringLiteral("Stufe %1").arg(v));
        value.step();
    }
    Statement tr(db, QStringLiteral("INSERT INTO TR (SerienNr, TrNr, PersonNr, Datum, Woche, Wochentag, FormularNr, "
                                    "Art, AutorNr) VALUES (1, ?, ?, ?, ?, 'Mo', ?, 2, ?)"));
    std::vector<std::unique_ptr<Statement>> blocks;
    for (int t = 1; t <= 3; ++t)
        blocks.push_back(std::make_unique<Statement>(
            db, QStringLiteral("INSERT INTO TR_%1 (SerienNr, TrNr, \"Order\", Dauer, Strecke, Belastung) "
                               "VALUES (1, ?, 0, ?, ?, ?)")
                    .arg(t)));
    QRandomGenerator rng(42);
    int trNr = 1000;
    const QDate start(2016, 1, 1);
    for (int a = 0; a < kAthletes; ++a)
        for (QDate d = start; d < start.addYears(kYears); d = d.addDays(1)) {
            ++trNr;
            tr.reset();
            tr.bind(1, trNr);
            tr.bind(2, kFirstAthlete + a);
            tr.bind(3, d.toString(QStringLiteral("yyyy-MM-dd 00:00:00.000")));
            tr.bind(4, QStringLiteral("%1").arg(WeekOfDate(d), 2, 10, QLatin1Char('0')));
            tr.bind(5, ClubFixture::kForm);
            tr.bind(6, ClubFixture::kCoach);
            tr.step();
            for (auto &b : blocks) {
                b->reset();
                b->bind(1, trNr);
                b->bind(2, 20 + int(rng.bounded(100)));
                b->bind(3, rng.bounded(20.0));
                b->bind(4, ClubFixture::kBase + 1 + int(rng.bounded(kValues)));
                b->step();
            }
        }
    // The cross table: Belastung across, weeks down, the sum of Dauer.
    db.exec(
        QStringLiteral(
            "INSERT INTO AUSWERT (AuswertungNr, Auswertung, Gruppierung, Kreuztabelle) VALUES (%1, 'Kreuz', 1, 1); "
            "INSERT INTO AFIELD (AuswertungNr, FeldNr, Name, Typ, TableNr, \"Order\", Agregatfunktion, Sichtbar, SQL, "
            "Bedingung) VALUES (%1, 1, 'Belastung', 'X', %2, 3, 0, 1, 0, NULL), "
            "(%1, 2, 'Woche', 'Y', 0, 1, 0, 1, 1, 'Y-Achse' || char(13) || "
            "'EXTRACT(YEAR FROM tr.Datum)*100 + cast(tr.Woche as Integer)'), "
            "(%1, 3, 'Umfang', 'D', %2, 1, 1, 1, 0, NULL)")
            .arg(kCross)
            .arg(ClubFixture::kBlock));
    tx.commit();
    db.exec(QStringLiteral("ANALYZE"));
}

int run(Database &db, int evaluation, const QStringList &conditions) {
    TAuswertungSQL builder(db);
    builder.AuswertungNr = evaluation;
    builder.BuildSQL();
    builder.Art = 2;
    builder.PersonNr = kFirstAthlete;
    builder.PrepareRun(conditions);
    builder.Run();
    return builder.resultTable()->recordCount();
}

int handWritten(Database &db, const QString &where) {
    Statement st(db, QStringLiteral("SELECT CAST(strftime('%Y', TR.Datum) AS INTEGER)*100 + CAST(TR.Woche AS INTEGER) "
                                    "AS Woche, sum(b.Dauer) AS Umfang FROM TR JOIN TR_1 b ON b.SerienNr = TR.SerienNr "
                                    "AND b.TrNr = TR.TrNr WHERE TR.Art = 2 %1 GROUP BY 1 ORDER BY 1")
                         .arg(where));
    int rows = 0;
    while (st.step())
        ++rows;
    return rows;
}
} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    test::TempInstallation inst;
    Database &db = inst.db();
    ClubFixture club(db);
    QElapsedTimer gen;
    gen.start();
    fill(db);
    std::printf("data: %lld entries, generated in %.0f ms\n", db.rowCount(QStringLiteral("TR")), double(gen.elapsed()));

    const QString one = QStringLiteral("AND TR.PersonNr = %1").arg(kFirstAthlete);
    int rows = 0, handRows = 0;
    const double e1 = timeIt([&] { rows = run(db, ClubFixture::kEvaluation, {}); });
    const double h1 = timeIt([&] { handRows = handWritten(db, one); });
    std::printf("grouped week, one athlete: %.1f ms (%d rows); hand-written SQLite %.1f ms (%d rows); ratio %.2f\n", e1,
                rows, h1, handRows, e1 / h1);
    benchLine("grouped week evaluation, one athlete", e1, h1, "ratio", 2);
    const double e2 = timeIt([&] { rows = run(db, ClubFixture::kEvaluation, {QStringLiteral("(tr.PersonNr > 0)")}); });
    const double h2 = timeIt([&] { handRows = handWritten(db, {}); });
    std::printf("grouped week, whole club: %.1f ms (%d rows); hand-written SQLite %.1f ms (%d rows); ratio %.2f\n", e2,
                rows, h2, handRows, e2 / h2);
    benchLine("grouped week evaluation, whole club", e2, h2, "ratio", 2);
    const QStringList year{QStringLiteral("(tr.PersonNr = %1) and").arg(kFirstAthlete),
                           QStringLiteral("(tr.Datum >= \"2024-01-01\") and"),
                           QStringLiteral("(tr.Datum <= \"2024-12-31\")")};
    int cells = 0;
    const double e3 = timeIt([&] {
        TAuswertungSQL builder(db);
        builder.AuswertungNr = kCross;
        builder.BuildSQL();
        builder.Art = 2;
        builder.PersonNr = kFirstAthlete;
        builder.PrepareRun(year);
        builder.Run();
        cells = builder.resultTable()->recordCount() * (int(builder.resultTable()->fields().size()) - 1);
    });
    std::printf("cross table 52 weeks x 20 values: %.1f ms (%d cells; target 200 ms)\n", e3, cells);
    benchLine("cross table 52 weeks x 20 values", e3, -1, "ms", 200);
    return 0;
}
