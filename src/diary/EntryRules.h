#pragma once

#include <QRect>
#include <QString>
#include <QVariant>
#include <optional>
#include <vector>

namespace velmora {

class Cursor;
class Database;
class TTREListEntry;

// The rules an entry view applies to its block tables, kept apart from the
// widgets so that they can be checked on their own.
namespace EntryRules {

// Index of Woche among the columns of TR, which every cursor over TR sees
// in the same order.
constexpr int kWocheColumn = 6;

// Before a TR row of an entry is posted: weekday and week from Datum, the
// time stamp, and the installation number when SerienNr is empty.
void ApplyHeaderRules(Cursor &tr, int installation);
// "ddd" of the German locale cut to the column's two characters.
QString WeekdayText(const QDate &date);
// The week of the date as two digits ("00" when it cannot be computed).
QString WeekText(const QDate &date);

// A new block row takes the entry's key and the next row number, which then
// counts up.
void ApplyNewRowRule(Cursor &block, int serienNr, int trNr, int &nextOrder);
// One above the Order of the cursor's last row, 0 when it has none.
int NextRowNumber(Cursor &block);

// The two limits of a range field, when both lines of its value list hold a
// value of the field's kind (numbers; times for "Z").
struct FieldLimits {
    QVariant low, high;
    bool contains(const QVariant &value) const;
};
std::optional<FieldLimits> LimitsOf(QChar typ, const std::optional<QStringList> &werte);

} // namespace EntryRules

// Moving and sizing controls with the mouse and the keyboard.
namespace LayoutDrag {

enum Kind { None = 0, LeftEdge = 1, RightEdge = 2, TopEdge = 3, BottomEdge = 4, Move = 5 };

// The zone of a point relative to a control of the given size.
Kind ZoneAt(int width, int height, int x, int y);
// The mouse cursor shape shown over that point.
Qt::CursorShape CursorAt(int width, int height, int x, int y);

// Shared by every control of one block panel; the control under the mouse
// is the one changed.
struct State {
    int kind = None;
    int lastX = 0, lastY = 0;
    bool active = false;
};

void MouseDown(State &state, Qt::MouseButton button, int width, int height, int x, int y);
// Applies a move to the geometry; true when the geometry changed.
bool MouseMove(State &state, QRect &geometry, int x, int y);
void MouseUp(State &state);
// Ctrl+arrow moves by one pixel, Shift+arrow sizes; true when handled.
bool KeyMove(QRect &geometry, int key, Qt::KeyboardModifiers modifiers);

} // namespace LayoutDrag

// What the layout editor writes back for one field element of a block.
struct ElementLayout {
    int feldNr = 0;
    bool visible = true;
    std::optional<QString> prefix;  // caption, when a prefix label exists
    QPoint prefixPos;
    std::optional<QString> postfix;
    QPoint postfixPos;
    std::optional<QRect> control;   // bounds of the field control
    int displayWidth = -1;          // grid blocks: characters, -1 when none
};

// Writes a block's layout: each element into the TRFIELD row whose Order is
// its FeldNr (so forms that show a subset of the fields, or another order,
// change the right rows), then the block's Height and Width. Grid blocks
// write only DisplayWidth per field. One transaction.
void SaveBlockLayout(Database &db, int tableNr, bool grid, const std::vector<ElementLayout> &elements,
                     const QSize &panelSize);

} // namespace velmora
