// Timing of the data exchange: export of 10,000 protocol entries with a row
// in each of 3 blocks (into the exchange directory, packed by pkzip), and
// their import into another installation (unpacked by pkunzip, merged, the
// element list and the document list rebuilt). Prints the medians against
// the target of 10 s each.

#include "BenchLine.h"
#include "app/ExchangeRun.h"
#include "base/Progress.h"
#include "exchange/ExchangeExport.h"
#include "exchange/ExchangeImport.h"
#include "support/ExchangeFixture.h"
#include "support/TempInstallation.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

using namespace velmora;

namespace {
double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

constexpr int kEntries = 10000, kBlocks = 3, kRuns = 5;

// Three blocks of four fields, a form using them, kEntries protocols of one
// athlete with one row in each block.
int buildSender(Database &db) {
    const int base = 3 * 65536;
    const int athlete = base + 2, form = base + 1;
    Transaction tx(db);
    InsertRow(db, QStringLiteral("PERSON"),
              {{QStringLiteral("PersonNr"), athlete}, {QStringLiteral("Nachname"), QStringLiteral("Athlet")}});
    const QList<test::FieldSpec> fields{{QStringLiteral("Wdh"), QStringLiteral("I")},
                                        {QStringLiteral("Zeit"), QStringLiteral("F")},
                                        {QStringLiteral("Text"), QStringLiteral("A"), 30},
                                        {QStringLiteral("Art"), QStringLiteral("X")}};
    InsertRow(db, QStringLiteral("TR"),
              {{QStringLiteral("SerienNr"), 3},
               {QStringLiteral("TrNr"), 1},
               {QStringLiteral("PersonNr"), athlete},
               {QStringLiteral("Beschreibung"), QStringLiteral("Formular")},
               {QStringLiteral("FormularNr"), form},
               {QStringLiteral("Art"), 1}});
    int ff = 0;
    for (int b = 1; b <= kBlocks; ++b) {
        test::AddBlock(db, base + b, QStringLiteral("TR_%1").arg(b), false, fields);
        ff = test::UseBlock(db, form, b, base + b, {1, 2, 3, 4}, ff, fields);
    }
    Statement tr(db, QStringLiteral("INSERT INTO TR (SerienNr, TrNr, PersonNr, Datum, Beschreibung, \"Timestamp\", "
                                    "Woche, Wochentag, FormularNr, Art, AutorNr) VALUES (3, ?, ?, ?, ?, "
                                    "'2026-02-01 10:00:00.000', '05', '1', ?, 2, ?)"));
    std::vector<std::unique_ptr<Statement>> rows;
    for (int b = 1; b <= kBlocks; ++b)
        rows.push_back(std::make_unique<Statement>(
            db, QStringLiteral("INSERT INTO TR_%1 VALUES (3, ?, 0, ?, 1.5, 'Text', 2)").arg(b)));
    for (int i = 0; i < kEntries; ++i) {
        const int trNr = i + 2;
        tr.reset();
        tr.bind(1, trNr);
        tr.bind(2, athlete);
        tr.bind(3, QDate(2026, 1, 1).addDays(i % 365).toString(Qt::ISODate) + QStringLiteral(" 00:00:00.000"));
        tr.bind(4, QStringLiteral("Eintrag %1").arg(i));
        tr.bind(5, form);
        tr.bind(6, athlete);
        tr.step();
        for (auto &row : rows) {
            row->reset();
            row->bind(1, trNr);
            row->bind(2, i);
            row->step();
        }
    }
    tx.commit();
    return athlete;
}
} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir files;
    test::TempInstallation sender(3);
    const int athlete = buildSender(sender.db());
    const QString archive = files.filePath(QStringLiteral("TRDATEN.ZIP"));
    SilentProgress progress;

    std::vector<double> exportTimes, importTimes;
    for (int run = 0; run < kRuns; ++run) {
        QFile::remove(archive);
        QElapsedTimer t;
        t.start();
        ExchangeExport exporter(sender.engine(), progress);
        exporter.setPackProgram(QStringLiteral(PKZIP_BINARY));
        exporter.exportSelection(PersonProtocolSelection(athlete), archive);
        exportTimes.push_back(t.nsecsElapsed() / 1e9);
    }
    for (int run = 0; run < kRuns; ++run) {
        test::TempInstallation receiver(5);
        QElapsedTimer t;
        t.start();
        ReadExchangeArchive(receiver.engine(), progress, archive, QStringLiteral(PKUNZIP_BINARY));
        RunImport(receiver.engine(), progress, 0, 0);
        importTimes.push_back(t.nsecsElapsed() / 1e9);
        if (test::Count(receiver.db(), QStringLiteral("SELECT count(*) FROM TR_3")) != kEntries)
            qFatal("import incomplete");
    }
    std::printf("exchange: %d entries, %d blocks each, %d runs\n", kEntries, kBlocks, kRuns);
    std::printf("  export (with packing)         median %.2f s   (target < 10 s)\n", median(exportTimes));
    std::printf("  import (unpack, merge, lists) median %.2f s   (target < 10 s)\n", median(importTimes));
    benchLine("export of 10,000 entries (with packing)", median(exportTimes) * 1000, -1, "ms", 10000);
    benchLine("import of 10,000 entries (unpack, lists)", median(importTimes) * 1000, -1, "ms", 10000);
    return 0;
}
