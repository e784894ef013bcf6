// Timing of pasting entries: 100 entries of a form with 5 grid blocks of 10
// rows each, shifted by 7 days, written in one transaction. Prints the median.

#include "BenchLine.h"
#include "diary/EntryOperations.h"
#include "support/ClubFixture.h"
#include "support/EntryFixture.h"
#include "support/MessageRecorder.h"
#include "support/TempInstallation.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>

using namespace velmora;
using velmora::test::ClubFixture;

namespace {
double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}
} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    test::TempInstallation inst;
    ClubFixture club(inst.db());
    test::MessageRecorder messages;
    Database &db = inst.db();

    constexpr int kForm = ClubFixture::kBase + 100;
    constexpr int kBlocks = 5, kRows = 10, kEntries = 100, kRounds = 7;
    const QList<test::FieldSpec> fields{{QStringLiteral("Wdh"), QStringLiteral("I")},
                                        {QStringLiteral("Zeit"), QStringLiteral("F")},
                                        {QStringLiteral("Text"), QStringLiteral("A"), 30},
                                        {QStringLiteral("Art"), QStringLiteral("X")}};
    std::vector<EntryReference> sources;
    {
        Transaction tx(db);
        int ffOrder = test::UseBlock(db, kForm, 0, 0, {1, 4}, 0);
        QStringList tables;
        for (int b = 0; b < kBlocks; ++b) {
            const int tableNr = ClubFixture::kBase + 20 + b;
            tables << QStringLiteral("TR_%1").arg(100 + b);
            test::AddBlock(db, tableNr, tables.last(), true, fields);
            ffOrder = test::UseBlock(db, kForm, b + 1, tableNr, {1, 2, 3, 4}, ffOrder, fields);
        }
        for (int i = 0; i < kEntries; ++i) {
            const int trNr = club.addEntry(ClubFixture::kAnna, 3, QDateTime(QDate(2026, 2, 1).addDays(i), QTime(8, 0)),
                                           QStringLiteral("Eintrag %1").arg(i), ClubFixture::kCoach, kForm);
            sources.push_back({1, trNr});
            for (const QString &table : tables)
                for (int r = 0; r < kRows; ++r)
                    InsertRow(db, table,
                              {{QStringLiteral("SerienNr"), 1},
                               {QStringLiteral("TrNr"), trNr},
                               {QStringLiteral("Order"), r},
                               {QStringLiteral("Wdh"), r},
                               {QStringLiteral("Zeit"), r * 1.5},
                               {QStringLiteral("Text"), QStringLiteral("Zeile %1").arg(r)},
                               {QStringLiteral("Art"), ClubFixture::kValueLocker}});
        }
        tx.commit();
    }

    const CopyTarget target{2, ClubFixture::kAnna, ClubFixture::kCoach, 1};
    std::vector<double> times;
    for (int round = 0; round < kRounds; ++round) {
        QElapsedTimer t;
        t.start();
        const PasteResult r = EntryOperations::PasteEntries(db, target, sources, 7);
        times.push_back(double(t.nsecsElapsed()) / 1e6);
        if (r.pasted != kEntries) {
            std::fprintf(stderr, "paste stopped after %d entries: %s\n", r.pasted, qPrintable(r.error));
            return 1;
        }
    }
    std::printf("paste %d entries (%d blocks x %d rows): median %.1f ms, min %.1f ms, max %.1f ms over %d rounds\n",
                kEntries, kBlocks, kRows, median(times), *std::min_element(times.begin(), times.end()),
                *std::max_element(times.begin(), times.end()), kRounds);
    benchLine("paste 100 entries with their grid rows", median(times), -1, "ms", 1000);
    return 0;
}
