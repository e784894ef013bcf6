#pragma once

#include "store/Database.h"

#include <QDateTime>

namespace velmora::test {

// A small club in installation 1: a coach, a group with two athletes (one
// without a birth date), a stranger of another group, a block "Lauf" with
// its table TR_1, a form using it, a few protocol and plan entries, pick-list
// values, two filters (one numbered below 11), an evaluation and a workbook.
struct ClubFixture {
    static constexpr int kSerial = 1;
    static constexpr int kBase = kSerial * 65536;
    static constexpr int kJugend = kBase + 1;      // group
    static constexpr int kCoach = kBase + 2;       // Tom Trainer
    static constexpr int kAnna = kBase + 3;        // Anna Berg, born 17.05.1990
    static constexpr int kPaul = kBase + 4;        // Paul Meier, no birth date
    static constexpr int kSenioren = kBase + 5;    // another group, no coach
    static constexpr int kOtto = kBase + 6;        // Otto Fremd, no read rights
    static constexpr int kBlock = kBase + 1;       // TRTABLE "Lauf", table TR_1
    static constexpr int kForm = kBase + 1;        // FormularNr of "Laufprotokoll"
    static constexpr int kFilter = kBase + 1;      // "Ausdauer"
    static constexpr int kLowFilter = 5;           // a built-in filter, never listed
    static constexpr int kValueLocker = kBase + 1;
    static constexpr int kValueIntensiv = kBase + 2;
    static constexpr int kEvaluation = kBase + 1;  // "Umfang pro Woche"
    static constexpr int kWorkbook = kBase + 1;    // "Saison"

    explicit ClubFixture(Database &db);

    // Adds a TR row; returns its TrNr.
    int addEntry(int person, int art, const QDateTime &when, const QString &text, int author = kCoach,
                 int form = kForm);
    // Adds a TR_1 row for an entry.
    void addBlockRow(int trNr, int order, int dauer, double strecke, int belastung, const QString &notiz);

    Database &db;
};

} // namespace velmora::test
