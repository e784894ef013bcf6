#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <vector>

namespace velmora {

class Database;
class Progress;
class Query;

// The key of a copied entry (what the clipboard keeps of it).
struct EntryReference {
    int SerienNr = 0;
    int TrNr = 0;
    // The entry was deleted after it was copied: its key may since belong to
    // a new entry, which must not be pasted in its place.
    bool Deleted = false;
    bool operator==(const EntryReference &o) const { return SerienNr == o.SerienNr && TrNr == o.TrNr; }
};

// A copied row of a block table.
struct RowReference {
    QString TableName;  // at most 50 characters
    int SerienNr = 0;
    int TrNr = 0;
    int Order = 0;
    // Its entry was deleted after the copy.
    bool Deleted = false;
};

// Who a copied entry is written for.
struct CopyTarget {
    int kindCode = 2;      // the window's kind code, becomes Art
    int person = 0;        // PersonNr of the new entry
    int author = 0;        // the logged-in user, AutorNr
    int installation = 0;  // SerienNr of the new entry
};

// What a paste of several entries achieved.
struct PasteResult {
    int pasted = 0;
    EntryReference lastKey;  // the last new entry, for re-finding it in the list
    QDateTime lastDate;
    QString error;           // empty when every entry was pasted
};

// Operations on whole entries and on the rows of grid blocks, written so
// that the diary window and the block panels only gather their inputs and
// refresh afterwards.
namespace EntryOperations {

// The data tables of a form's blocks, without the diary table TR itself.
QStringList BlockTables(Database &db, int formularNr);

// Copies an entry with its block rows to a new entry of the target (Art,
// person, author, installation), dated `date`. Raises "Primärschlüssel
// Kopierquelle nicht gefunden." when the source is gone. Atomic: a failure
// leaves nothing of the new entry behind. On return key is the new key.
QDateTime CopyEntryToDate(Database &db, const CopyTarget &target, EntryReference &key, const QDateTime &date);
// The same, dated the source's Datum shifted by a number of days.
QDateTime CopyEntryByDays(Database &db, const CopyTarget &target, EntryReference &key, int days);

// Refuses to create entries in a window that lists forms.
void CheckEntriesAllowed(int kindCode);

// Pastes the references in order, each shifted by the days, in one
// transaction. When a source has vanished (or any copy fails) the entries
// pasted before it stay, the message is shown and the paste stops.
PasteResult PasteEntries(Database &db, const CopyTarget &target, const std::vector<EntryReference> &sources, int days);

// Deletes an entry's rows in every block table (whatever its form holds
// now), then its TR row; one transaction. False when the entry does not exist.
bool DeleteEntry(Database &db, const EntryReference &key);
// "&Löschen" in the list: refuses several selected rows, asks, deletes.
// An entry written by someone other than the user is left alone (false,
// nothing asked). True when the entry was deleted.
bool ConfirmDeleteEntry(Database &db, const EntryReference &key, int selectedCount, int user);

// The keys of the rows of a list query (SerienNr, TrNr), in list order.
std::vector<EntryReference> EntryKeysOf(Query &list);
// Delete all: asks (OK/Cancel), then deletes every entry with its block rows
// in one transaction, reporting one progress step per entry. True when the
// user confirmed.
bool DeleteAllEntries(Database &db, const std::vector<EntryReference> &entries, Progress &progress);
// Its question, asked before anything is deleted.
QString DeleteAllQuestion();
// Delete all without asking, for callers that have asked already: one
// progress step per entry, one transaction (a save point inside the
// caller's own).
void DeleteEntries(Database &db, const std::vector<EntryReference> &entries, Progress &progress);

// --- rows of grid blocks

// References to the selected rows of a block table, in the order the copy
// command adds them (last selected first), so that pasting restores the
// rows in their own order.
std::vector<RowReference> RowReferences(const QString &table, int serienNr, int trNr, std::vector<int> selectedOrders);

// Inserts n empty rows at Order `at` of the entry: rows from `at` on and the
// clipboard references to them move n further. One transaction.
void InsertRows(Database &db, const QString &table, int serienNr, int trNr, int at, int n,
                const std::vector<RowReference *> &clipboard);
// "Neue &Zeile": max(1, selected) rows at the current row's Order.
void NewRows(Database &db, const QString &table, int serienNr, int trNr, int currentOrder, int selectedCount,
             const std::vector<RowReference *> &clipboard);
// Pastes the referenced rows of this table at Order `at` of the entry (any
// entry, the same included), in their own order. Returns the number of rows
// pasted; references whose row has vanished are skipped. One transaction.
int PasteRows(Database &db, const QString &table, int serienNr, int trNr, int at,
              const std::vector<RowReference *> &clipboard);
// Deletes rows by Order: "Es sind keine Datensätze ausgewählt!" without a
// selection; asks first. True when rows were deleted.
bool DeleteRows(Database &db, const QString &table, int serienNr, int trNr, const std::vector<int> &orders);

} // namespace EntryOperations

} // namespace velmora
