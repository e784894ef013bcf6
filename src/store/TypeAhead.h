#pragma once

#include "store/Cursor.h"

#include <QChar>
#include <QVariantList>
#include <optional>

namespace velmora {

// The type-ahead search of the typed grid, apart from any widget.
namespace TypeAhead {

constexpr int kMaxPrefix = 10;
constexpr int kMaxTypedText = 50;

// A typed character as it joins the search text: a to z in upper case; only
// the codes 32 to 209 and 223 take part, every other character is ignored.
std::optional<QChar> acceptChar(QChar c);

// What a key (Qt::Key) does to the typed text after the grid handled it.
// The rule was made for Windows key codes: Backspace takes the last
// character back, Shift and Delete keep the text, the other keys with codes
// 1 to 27 and 33 to 47 (Enter, Escape, Tab, Ctrl, Alt, the arrows, paging,
// Home, End, Insert, ...) empty it, and all other keys keep it.
enum class Effect { Keep, RemoveLast, Clear };
Effect effectOfKey(int qtKey);

// The key of the search for a search text, read against the cursor's
// current row field by field in the cursor's order: a field whose current
// value (as upper-case text) begins the remaining text takes that value
// and consumes it; the first field that does not takes the remaining text,
// and the key ends there (a blank key field when no text remains).
QVariantList searchKey(Cursor &cursor, const QString &searchText);

// Builds the key for prefix + typed text and moves the cursor to the
// nearest row. Engine and conversion errors propagate.
void search(Cursor &cursor, const QString &prefix, const QString &typedText);

} // namespace TypeAhead

} // namespace velmora
