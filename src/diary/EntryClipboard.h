#pragma once

#include "controls/CommandHost.h"
#include "diary/EntryOperations.h"

#include <optional>
#include <vector>

class QWidget;

namespace velmora {

// A copied entry on the frame's clipboard (kind 1).
class TTbPrimKeyEntry : public CopyObject {
public:
    explicit TTbPrimKeyEntry(const EntryReference &k) : key(k) {}
    EntryReference key;
};

// A copied row of a block table on the clipboard (kind 2).
class TTbDetailEntry : public CopyObject {
public:
    explicit TTbDetailEntry(RowReference r) : row(std::move(r)) {}
    RowReference row;
};

// The diary's use of the frame's clipboard and the paste command.
namespace EntryClipboard {

constexpr int kEntries = 1;
constexpr int kRows = 2;

// Starts a kind-1 copy holding the entries (none: the clipboard is empty).
void CopyEntries(CommandHost &main, const std::vector<EntryReference> &entries);
// The copied entries in clipboard order; empty when no entries are copied.
std::vector<EntryReference> Entries(const CommandHost &main);

void CopyRows(CommandHost &main, const std::vector<RowReference> &rows);
// The copied rows, to be shifted by inserting rows; empty when none.
std::vector<RowReference *> Rows(const CommandHost &main);
// "&Einfügen" of a block panel: rows are copied and the first names its table.
bool CanPasteRows(const CommandHost &main, const QString &table);

// The entry was deleted: the copied entries and rows that refer to it are
// marked, so that pasting them reports the missing source instead of copying
// a later entry that got the same number.
void ForgetEntry(CommandHost &main, const EntryReference &entry);

// "&Einfügen" in the list: asks the day count (TPasteMove) and pastes the
// copied entries for the target. None when cancelled or nothing is copied.
std::optional<PasteResult> PasteEntriesCommand(QWidget *parent, Database &db, const CommandHost &main,
                                               const CopyTarget &target);

} // namespace EntryClipboard

} // namespace velmora
