#pragma once

#include "people/FilterKeyList.h"

#include <QDate>
#include <QString>
#include <QStringList>

namespace velmora {

// Everything the diary's list query and title are built from.
struct DiaryQueryInput {
    enum class Mode { List, SingleEntry, Deletion };
    Mode mode = Mode::List;
    int kindCode = 2;
    int personNr = 0;
    QString name; // the person's or group's name for the title
    // List mode with a filter (filterKey >= 1): its name and key lists.
    int filterKey = 0;
    QString filterName;
    QStringList autoren, personen, formulare;
    bool fromTicked = false, toTicked = false;
    QDate from, to;
    // Single-entry and layout mode.
    int serienNr = 0, trNr = 0;
    // Deletion selection.
    int formNr = 0;
};

struct DiaryQuery {
    QStringList lines;     // the query text, line by line
    QStringList selection; // every condition line (all after the first, without the ordering)
    QString title;         // list mode only
    bool severalPersons = false;
    int kindCode = 2; // a units digit 0 taken as 2
};

// The diary's kind code with a units digit 0 taken as 2.
int NormalizedKindCode(int kindCode);
DiaryQuery BuildDiaryListQuery(const DiaryQueryInput &in);

} // namespace velmora
