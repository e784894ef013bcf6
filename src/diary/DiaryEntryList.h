#pragma once

#include "diary/DiaryListQuery.h"
#include "store/Cursor.h"

#include <QDateTime>
#include <QHash>
#include <optional>
#include <vector>

namespace velmora {

class Database;

// One row of the document list as the diary's menus and look-ups need it.
struct DocumentListItem {
    QString name;
    int key1 = 0;
};

// The OPEN rows of one Type in the list's own order (Type;Name;Key1).
std::vector<DocumentListItem> DocumentListItems(Database &db, const QString &type);
// Key1 -> Name of the persons and groups in OPEN, for the list's look-ups.
QHash<int, QString> PersonNamesOfDocumentList(Database &db);

// The plan/protocol switch replaces the units digit, the level switch the
// tens digit; each keeps the other.
int KindWithUnits(int kindCode, int units);
int KindWithLevel(int kindCode, int tens);

// An entry may be edited only by its author.
bool EntryIsReadOnly(int autorNr, int user);
// The caption ends with " r/o" exactly when the shown entry is read-only.
QString CaptionForReadOnly(const QString &caption, bool readOnly);

// What choosing a saved filter puts into the diary window.
struct FilterChoice {
    int filterKey = 0;
    int kindCode = 2;                // the filter's Art, a units digit 0 taken as 2
    std::optional<QDate> from, to;   // only the sides the filter sets
};

// The day a relative filter's number of days stands for. A relative Von/Bis
// lives in a date-time column as the day that many days after the zero date
// 30.12.1899 (a plain number is read as the number itself).
double RelativeFilterDays(const QVariant &stored);
QDate RelativeFilterDate(const QDate &today, double days);

// Reads the FILTER row; nullopt when it does not exist.
std::optional<FilterChoice> ReadFilterChoice(Database &db, int filterNr, const QDate &today);
// Puts the filter's key lists into the input; false (and no filter) when the
// row does not exist.
bool LoadFilterLists(Database &db, int filterNr, DiaryQueryInput &in);

// The condition of the list query, for a cursor over TR.
QString DiaryListCondition(const DiaryQuery &query);

// The diary's list: a read-only cursor over TR, ordered by Datum and limited
// by the condition of the list query.
class DiaryEntryList {
public:
    explicit DiaryEntryList(Database &db);

    Cursor &cursor() { return m_cursor; }
    Database &database() const { return m_db; }
    const DiaryQuery &query() const { return m_query; }

    // Builds the query, opens the list and moves to the newest entry. An
    // engine error leaves the list closed and propagates.
    const DiaryQuery &rebuild(const DiaryQueryInput &input);
    // Re-reads the list and puts the cursor on the entry: the search starts
    // among the entries dated on or after `date` and, should the entry have
    // moved to an earlier day, continues from the first row. Without the
    // entry the cursor rests on the last row. The new position, -1 when empty.
    int refind(const QDateTime &date, int serienNr, int trNr);

private:
    bool isAt(int serienNr, int trNr);

    Database &m_db;
    Cursor m_cursor;
    DiaryQuery m_query;
    QString m_condition;
};

} // namespace velmora
