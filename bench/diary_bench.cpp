// Rebuilding the diary's list for a person with 5,000 entries: the list
// cursor alone, and the whole window rebuild (query, cursor, model, grid,
// caption and print source).

#include "BenchLine.h"
#include "app/DocumentList.h"
#include "app/TMainForm.h"
#include "diary/DiaryEntryList.h"
#include "diary/TTrainingstagebuch.h"
#include "store/Cursor.h"
#include "store/Keys.h"
#include "support/ClubFixture.h"
#include "support/TempInstallation.h"

#include <QApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

using namespace velmora;
using velmora::test::ClubFixture;
using velmora::test::TempInstallation;

namespace {
constexpr int kEntries = 5000;
constexpr int kRuns = 31;

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

template <typename F> std::vector<double> measure(F &&f) {
    f(); // warm-up
    std::vector<double> ms;
    for (int i = 0; i < kRuns; ++i) {
        QElapsedTimer t;
        t.start();
        f();
        ms.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    return ms;
}

void report(const char *what, const std::vector<double> &ms) {
    std::printf("%-48s median %7.2f ms  min %7.2f ms  max %7.2f ms  (%d runs)\n", what, median(ms),
                *std::min_element(ms.begin(), ms.end()), *std::max_element(ms.begin(), ms.end()), int(ms.size()));
    // Every rebuild of the 5,000-entry list is held to the diary's 50 ms.
    benchLine(what, median(ms), -1, "ms", 50);
}
} // namespace

int main(int argc, char **argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    TempInstallation inst(1);
    Database &db = inst.db();
    ClubFixture club(db);
    {
        Transaction tx(db);
        Cursor c(db, QStringLiteral("TR"));
        c.open();
        const QDateTime start(QDate(2012, 1, 1), QTime(7, 0));
        for (int i = 0; i < kEntries; ++i) {
            c.append();
            c.setValue(QStringLiteral("SerienNr"), ClubFixture::kSerial);
            c.setValue(QStringLiteral("TrNr"), nextEntryNumber(db, ClubFixture::kSerial));
            c.setValue(QStringLiteral("PersonNr"), ClubFixture::kAnna);
            c.setValue(QStringLiteral("Datum"), start.addSecs(qint64(i) * 86400 + (i % 5) * 3600));
            c.setValue(QStringLiteral("Beschreibung"), QStringLiteral("Einheit %1").arg(i));
            c.setValue(QStringLiteral("FormularNr"), ClubFixture::kForm);
            c.setValue(QStringLiteral("Art"), 2);
            c.setValue(QStringLiteral("AutorNr"), i % 3 ? ClubFixture::kCoach : ClubFixture::kAnna);
            c.post();
        }
        tx.commit();
    }
    RebuildDocumentList(db, nullptr, ClubFixture::kCoach, ClubFixture::kJugend);

    DiaryQueryInput in;
    in.kindCode = 2;
    in.personNr = ClubFixture::kAnna;
    in.name = QStringLiteral("Anna Berg");
    DiaryEntryList list(db);
    report("list cursor: build, open, last row", measure([&] { list.rebuild(in); }));
    std::printf("rows listed: %d\n", list.cursor().recordCount());

    TMainForm main;
    main.LoginPersonNr = ClubFixture::kCoach;
    auto *w = new TTrainingstagebuch(&main, db);
    w->KindCode = 2;
    w->PersonNr = ClubFixture::kAnna;
    w->Name = QStringLiteral("Anna Berg");
    w->initialise(false);
    w->resize(900, 600);
    w->show();
    report("window: RebuildList (5,000 entries)", measure([&] {
               w->RebuildList();
               QCoreApplication::processEvents();
           }));
    in.fromTicked = true;
    in.from = QDate(2020, 1, 1);
    report("list cursor with a from-date", measure([&] { list.rebuild(in); }));
    std::printf("rows listed: %d\n", list.cursor().recordCount());
    delete w;
    return 0;
}
