// Timing of the entry view: building it for a form of 6 blocks of 8 fields
// each, and moving to another entry of the same form (commit + re-key).
// Offscreen; prints the median of each.

#include "BenchLine.h"
#include "diary/TTrainingseintrag.h"
#include "store/Keys.h"
#include "support/ClubFixture.h"
#include "support/EntryFixture.h"
#include "support/MessageRecorder.h"
#include "support/TempInstallation.h"

#include <QApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>

using namespace velmora;

namespace {
double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}
} // namespace

int main(int argc, char **argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    test::TempInstallation inst;
    test::ClubFixture club(inst.db());
    test::MessageRecorder messages;
    Database &db = inst.db();

    constexpr int kForm = test::ClubFixture::kBase + 100;
    constexpr int kBlocks = 6, kFields = 8;
    const QStringList types{QStringLiteral("I"), QStringLiteral("F"), QStringLiteral("A"), QStringLiteral("X"),
                            QStringLiteral("L"), QStringLiteral("M"), QStringLiteral("C"), QStringLiteral("N")};
    {
        Transaction tx(db);
        int ffOrder = test::UseBlock(db, kForm, 0, 0, {1, 4}, 0);
        for (int b = 0; b < kBlocks; ++b) {
            const int tableNr = test::ClubFixture::kBase + 20 + b;
            const bool grid = b == kBlocks - 1;
            QList<test::FieldSpec> fields;
            for (int f = 0; f < kFields; ++f) {
                QString type = types[f];
                if (grid && (type == QLatin1String("M") || type == QLatin1String("C") || type == QLatin1String("N")))
                    type = QStringLiteral("I");
                fields << test::FieldSpec{QStringLiteral("F%1").arg(f), type, type == QLatin1String("A") ? 20 : 1,
                                          type == QLatin1String("C")   ? QStringLiteral("a\nb\nc")
                                          : type == QLatin1String("N") ? QStringLiteral("0\n10")
                                          : type == QLatin1String("I") ? QStringLiteral("0\n1000")
                                                                       : QString()};
            }
            test::AddBlock(db, tableNr, QStringLiteral("TR_%1").arg(100 + b), grid, fields);
            ffOrder = test::UseBlock(db, kForm, b + 1, tableNr, {1, 2, 3, 4, 5, 6, 7, 8}, ffOrder, fields);
        }
        tx.commit();
    }
    std::vector<int> entries;
    for (int i = 0; i < 40; ++i)
        entries.push_back(club.addEntry(test::ClubFixture::kAnna, 2, QDateTime(QDate(2026, 2, 1 + i % 28), QTime(8, 0)),
                                        QStringLiteral("Eintrag %1").arg(i), test::ClubFixture::kCoach, kForm));
    LoadFormElementCache(db, nullptr);

    QWidget host;
    host.resize(600, 800);
    host.show();
    EntryViewParams p;
    p.serienNr = 1;
    p.formularNr = kForm;
    p.person = test::ClubFixture::kAnna;
    p.user = test::ClubFixture::kCoach;

    std::vector<double> builds, moves;
    for (int round = 0; round < 15; ++round) {
        p.trNr = entries[size_t(round)];
        QElapsedTimer t;
        t.start();
        auto view = std::make_unique<TTrainingseintrag>(&host, p, &db);
        view->build();
        view->show();
        QApplication::processEvents();
        builds.push_back(double(t.nsecsElapsed()) / 1e6);
        for (int k = 1; k <= 2; ++k) {
            const int next = entries[size_t(15 + (round * 2 + k) % 25)];
            t.restart();
            view->commit(false);
            view->reKey(1, next, false, test::ClubFixture::kAnna);
            QApplication::processEvents();
            moves.push_back(double(t.nsecsElapsed()) / 1e6);
        }
        view.reset();
    }
    std::printf("entry view build (6 blocks x 8 fields): median %.2f ms (target < 80 ms)\n", median(builds));
    std::printf("move to another entry (commit + re-key): median %.2f ms (target < 15 ms)\n", median(moves));
    benchLine("entry view build (6 blocks x 8 fields)", median(builds), -1, "ms", 80);
    benchLine("move to another entry (commit + re-key)", median(moves), -1, "ms", 15);
    if (!messages.texts().isEmpty())
        std::printf("messages: %s\n", qPrintable(messages.texts().join(QLatin1String(" | "))));
    return 0;
}
