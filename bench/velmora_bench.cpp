// Timings of the engine's hot paths against the same work done directly in
// SQLite. Prints the median of several runs of each and their ratio.
//
//   velmora_bench [--rows N] [--runs K]
//   velmora_bench --athletes A --years Y [--runs K]   (one entry per athlete and day)
#include "BenchLine.h"
#include "app/DocumentList.h"
#include "app/Installation.h"
#include "design/BlockDesign.h"
#include "store/Cursor.h"
#include "store/Query.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

using namespace velmora;

namespace {
// Runs the two pieces of work alternately, so that a busy moment of the
// machine falls on both alike; the medians of each.
std::pair<double, double> medianPair(int runs, const std::function<void()> &a, const std::function<void()> &b) {
    std::vector<double> ta, tb;
    a();
    b();
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        a();
        ta.push_back(double(t.nsecsElapsed()) / 1e6);
        t.restart();
        b();
        tb.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    std::sort(ta.begin(), ta.end());
    std::sort(tb.begin(), tb.end());
    return {ta[ta.size() / 2], tb[tb.size() / 2]};
}

void report(const char *name, double ours, double direct, double limit) {
    std::printf("%-44s %9.2f ms   direct %9.2f ms   ratio %5.2f (target <= %.1f)\n", name, ours, direct, ours / direct,
                limit);
    benchLine(name, ours, direct, "ratio", limit);
}

// A diary of n entries, one per person and day in turn, over `days` days.
void generate(Database &db, int n, int persons, int days) {
    Transaction tx(db);
    Statement st(
        db, QStringLiteral("INSERT INTO TR (SerienNr, TrNr, PersonNr, Datum, Beschreibung, Woche, Wochentag, "
                           "FormularNr, Art, AutorNr, ProjektNr) VALUES (1, ?, ?, ?, ?, ?, ?, 65537, ?, 65538, 0)"));
    const QDate start(2020, 1, 6);
    for (int i = 1; i <= n; ++i) {
        const QDate d = start.addDays(((i - 1) / persons) % days);
        st.reset();
        st.bind(1, i);
        st.bind(2, 65539 + (i - 1) % persons);
        st.bind(3, QDateTime(d, QTime(i % 24, 0)), FieldType::Timestamp);
        st.bind(4, QStringLiteral("Eintrag %1").arg(i));
        st.bind(5, QStringLiteral("%1").arg(d.weekNumber(), 2, 10, QLatin1Char('0')));
        st.bind(6, QString::number(d.dayOfWeek()));
        st.bind(7, (i % 2) ? 2 : 3);
        st.step();
    }
    tx.commit();
}
// A club of `people` persons and groups (every tenth a group, most readable
// by the coach) and `others` forms, filters, evaluations, workbooks and
// building blocks in equal shares.
void generateClub(Database &db, int people, int others) {
    Transaction tx(db);
    Statement person(
        db, QStringLiteral("INSERT INTO PERSON (PersonNr, Nachname, Vorname, Geburtsdatum, Sex, GruppenNr, "
                           "TrainerNr, LeserechteGruppe, LeserechteAndere) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    for (int i = 0; i < people; ++i) {
        const bool group = i % 10 == 0;
        const int nr = 65537 + i;
        person.reset();
        person.bind(1, nr);
        person.bind(2, QStringLiteral("Nachname%1").arg(i));
        person.bind(3, group ? QString() : QStringLiteral("Vorname%1").arg(i));
        person.bind(4, group ? QVariant() : QVariant(QDate(1960, 1, 1).addDays(i % 15000)), FieldType::Date);
        person.bind(5, group ? QStringLiteral("X") : (i % 2 ? QStringLiteral("M") : QStringLiteral("F")));
        person.bind(6, group ? nr : 65537 + (i / 10) * 10);
        person.bind(7, i % 3 ? 65538 : 65539);
        person.bind(8, i % 4 == 0);
        person.bind(9, i % 5 == 0);
        person.step();
    }
    const int share = others / 5;
    Statement form(db, QStringLiteral("INSERT INTO TR (SerienNr, TrNr, PersonNr, Beschreibung, FormularNr, Art) "
                                      "VALUES (1, ?, 65538, ?, ?, ?)"));
    Statement filter(db, QStringLiteral("INSERT INTO FILTER (FilterNr, Name, PersonNr) VALUES (?, ?, ?)"));
    Statement eval(db,
                   QStringLiteral("INSERT INTO AUSWERT (AuswertungNr, Auswertung, TrainerNr) VALUES (?, ?, 65538)"));
    Statement book(db, QStringLiteral("INSERT INTO ANALYSE (AnalyseNr, AnalyseName, TrainerNr) VALUES (?, ?, 65538)"));
    Statement block(db, QStringLiteral("INSERT INTO TRTABLE (TableNr, Name, TrainerNr) VALUES (?, ?, 65538)"));
    for (int i = 1; i <= share; ++i) {
        form.reset();
        form.bind(1, i);
        form.bind(2, QStringLiteral("Formular mit einem recht langen Namen Nummer %1").arg(i));
        form.bind(3, 65536 + i);
        form.bind(4, (i % 3) * 10 + 1);
        form.step();
        filter.reset();
        filter.bind(1, 65536 + i);
        filter.bind(2, QStringLiteral("Filter %1").arg(i));
        filter.bind(3, 65537 + (i * 7) % people);
        filter.step();
        eval.reset();
        eval.bind(1, 65536 + i);
        eval.bind(2, QStringLiteral("Auswertung %1").arg(i));
        eval.step();
        book.reset();
        book.bind(1, 65536 + i);
        book.bind(2, QStringLiteral("Arbeitsbuch %1").arg(i));
        book.step();
        block.reset();
        block.bind(1, 65536 + i);
        block.bind(2, QStringLiteral("Baustein %1").arg(i));
        block.step();
    }
    tx.commit();
}

void benchDocumentList(int runs) {
    QTemporaryDir dir;
    Installation inst(dir.path());
    inst.initialize(1);
    Database &db = inst.dblog();
    const int people = 10000, others = 2000;
    generateClub(db, people, others);
    const int me = 65538, group = 65537;
    int rows = 0;
    QStringList native;
    for (const QString &sql : DocumentListStatements(me, group))
        native << QStringLiteral("INSERT INTO \"OPEN\" (Type, Name, Key1, Key2, Gruppe, Trainer) ") + db.translate(sql);
    const auto [ours, direct] = medianPair(
        runs, [&] { rows = RebuildDocumentList(db, nullptr, me, group); },
        [&] {
            Transaction tx(db);
            db.exec(QStringLiteral("DELETE FROM \"OPEN\""));
            for (const QString &sql : native)
                db.exec(sql);
            tx.commit();
        });
    std::printf("document list: %d persons and groups, %d other objects, %d rows listed\n", people, others, rows);
    report("document list rebuild", ours, direct, 3.0);
}
// Finishing a new block of 40 fields (form 0, layout, block table with its
// index, index description); the block and its fields are written untimed
// before each run, as the designer has them when "Fertig" is pressed.
void benchFinishBlock(int runs) {
    QTemporaryDir dir;
    Installation inst(dir.path());
    inst.initialize(1);
    Database &db = inst.dblog();
    const QString idx = dir.path() + QStringLiteral("/velmora5.IDX");
    const char *codes = "ACXMIFNZLS";
    std::vector<double> times;
    for (int run = 0; run <= runs; ++run) {
        BlockDesign design(db, 1);
        design.openNew(65538);
        design.block().setValue(QStringLiteral("Name"), QStringLiteral("Baustein %1").arg(run));
        {
            Transaction tx(db);
            for (int i = 0; i < 40; ++i) {
                design.appendField();
                Cursor &f = design.fields();
                f.setValue(QStringLiteral("Feldname"), QStringLiteral("Feld%1").arg(i + 1));
                f.setValue(QStringLiteral("Beschreibung"), QStringLiteral("Feld %1").arg(i + 1));
                f.setValue(QStringLiteral("Prefix"), QStringLiteral("Feld %1").arg(i + 1));
                f.setValue(QStringLiteral("Typ"), QString(QLatin1Char(codes[i % 10])));
                f.setValue(QStringLiteral("Größe"), 20);
                f.setValue(QStringLiteral("Werte"), QStringLiteral("0\n100"));
                f.post();
            }
            tx.commit();
        }
        QElapsedTimer t;
        t.start();
        design.finish(idx);
        if (run > 0) // the first run warms the caches
            times.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    std::printf("%-44s %9.2f ms   (min %.2f, max %.2f; target < 100 ms)\n", "finishing a block of 40 fields",
                times[times.size() / 2], times.front(), times.back());
    benchLine("finishing a block of 40 fields", times[times.size() / 2], -1, "ms", 100);
}
} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    int rows = 100000, runs = 11, athletes = 7, years = 0;
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == QLatin1String("--rows"))
            rows = args[i + 1].toInt();
        if (args[i] == QLatin1String("--runs"))
            runs = args[i + 1].toInt();
        if (args[i] == QLatin1String("--athletes"))
            athletes = std::max(1, args[i + 1].toInt());
        if (args[i] == QLatin1String("--years"))
            years = std::max(1, args[i + 1].toInt());
    }
    const int days = years > 0 ? 365 * years : 2000;
    if (years > 0)
        rows = athletes * days;
    QTemporaryDir dir;
    Installation inst(dir.path());
    inst.initialize(1);
    Database &db = inst.dblog();
    generate(db, rows, athletes, days);
    std::printf("%d rows (%d athletes, %d days), median of %d runs\n", rows, athletes, days, runs);

    long long sink = 0;
    const auto [cursor, raw] = medianPair(
        runs,
        [&] {
            Cursor c(db, QStringLiteral("TR"));
            c.open();
            for (c.first(); !c.eof(); c.next()) {
                sink += c.value(1).toInt();
                sink += c.value(2).toInt();
                sink += c.value(4).toString().size();
            }
        },
        [&] {
            sqlite3_stmt *st = nullptr;
            sqlite3_prepare_v2(db.handle(), "SELECT rowid, * FROM TR ORDER BY SerienNr, TrNr, rowid", -1, &st, nullptr);
            while (sqlite3_step(st) == SQLITE_ROW) {
                sink += sqlite3_column_int(st, 2);
                sink += sqlite3_column_int(st, 3);
                sink += QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 5)),
                                          sqlite3_column_bytes(st, 5))
                            .size();
            }
            sqlite3_finalize(st);
        });
    report("cursor over TR, three fields per row", cursor, raw, 2.0);

    const QString local =
        QStringLiteral("select   EXTRACT(YEAR FROM tr.Datum)*100 + cast(tr.Woche as Integer) as Woche, \n"
                       "         count(tr.TrNr) as Anzahl, sum(tr.PersonNr) as Summe\n"
                       "from     \"TR\"\n"
                       "where    (tr.Art = 2) and\n(tr.Datum >= \"2020-03-01\") and\n(tr.Datum <= \"2025-12-31\")\n"
                       "group by Woche\norder by Woche");
    const QString native =
        QStringLiteral("select CAST(strftime('%Y', tr.Datum) AS INTEGER)*100 + CAST(tr.Woche AS INTEGER) as Woche, "
                       "count(tr.TrNr) as Anzahl, sum(tr.PersonNr) as Summe from TR tr "
                       "where (tr.Art = 2) and (tr.Datum >= '2020-03-01') and (tr.Datum < '2026-01-01') "
                       "group by Woche order by Woche");
    const auto [translated, direct] = medianPair(
        runs,
        [&] {
            Query q(db, local);
            q.open();
            sink += q.recordCount();
        },
        [&] {
            Statement st(db, native);
            while (st.step())
                sink += sqlite3_column_int(st.get(), 1);
        });
    report("translated aggregate query", translated, direct, 1.1);
    benchDocumentList(runs);
    benchFinishBlock(runs);
    std::printf("(checksum %lld)\n", sink);
    return 0;
}
