#pragma once

#include "store/Cursor.h"

#include <QHash>
#include <QSet>
#include <memory>
#include <utility>
#include <vector>

namespace velmora {

// The pick list of one index field of one form: the shared values of
// TRVALUE, the field's chosen values in TRuseVAL with their order, and the
// State marks that keep the chosen values out of the available list while
// the list is being edited.
//
// Every operation writes in one transaction and leaves both cursors re-read,
// so a failure never leaves a half-done order (two rows with Order 0) or a
// mark without its row. The marks are cleared by close(), which the
// destructor runs as well.
class PickList {
public:
    struct Field {
        int formularNr = 0;
        int tableNr = 0;
        int feldNr = 0;
    };

    static const QString kReadOnly;        // "Datenmenge nur mit Leseberechtigung geöffnet!"
    static const QString kForeignValue;    // editing another coach's value
    static const QString kEmptyValue;      // a value without text
    static const QString kAlreadyAssigned; // "%1": the value's text
    // The window's controls the refusals name.
    static constexpr const char *kValueControl = "dbfValue";

    PickList(Database &db, int serial);
    ~PickList();
    PickList(const PickList &) = delete;
    PickList &operator=(const PickList &) = delete;

    // Opens the field's list, marks its values and opens the available
    // values. coach is the person number of the current coach. Marks left
    // by a program that ended without clearing them are cleared first
    // when no other list of this program is open.
    void open(const Field &field, int coach, bool readOnly);
    // Clears the marks and closes the cursors; a value edit not posted by
    // postValue() before is dropped. Safe to call more than once.
    void close();
    bool isOpen() const { return m_open; }
    bool isReadOnly() const { return m_readOnly; }
    const Field &field() const { return m_field; }
    int coach() const { return m_coach; }
    int nextOrder() const { return m_nextOrder; }

    // TRVALUE rows with State 0, ordered by Value.
    Cursor &values() { return *m_values; }
    // The field's TRuseVAL rows in Order.
    Cursor &assigned() { return *m_assigned; }

    // The edit rule: the current value may be edited only by its owner, and
    // not at all when read-only.
    bool canEditValue();
    bool canCreate() const { return !m_readOnly; }
    bool canAssign();
    bool canRemove();
    bool canMoveUp();
    bool canMoveDown();

    // A new value of the current coach (key, owner, creation time), left in
    // insert state for its text; returns its key.
    int newValue();
    // Posts a pending edit of the current value; a value without text is
    // refused with kEmptyValue. A new value left without any text is dropped
    // instead (false).
    bool postValue();
    // Drops a new value nothing was typed into; true when there was one.
    bool dropUntypedValue();
    // Assigns the current available value at the end of the list; returns
    // false when there is none. A value the field already offers is refused
    // with kAlreadyAssigned.
    bool assign();
    // Removes the current assigned row; the others keep their Order.
    bool remove();
    // Swap the current row's Order with its neighbour's, through Order 0;
    // the moved row stays current.
    bool moveUp();
    bool moveDown();

    // The value text of a key; empty when the value is missing.
    QString valueText(int valueNr) const;
    // The field's list as (Order, ValueNr) pairs in Order.
    std::vector<std::pair<int, int>> orders();

private:
    void requireWritable() const;
    void clearStaleMarks();
    void setMark(int valueNr, int state);
    bool moveBy(int step);
    bool stillAssigned(int valueNr, int exceptOrder);
    void resync();
    QVariantList keyOf(int order) const;
    void valueBeforePost(Cursor &c);

    Database &m_db;
    int m_serial;
    Field m_field;
    int m_coach = 0;
    bool m_readOnly = false;
    bool m_open = false;
    bool m_marksWritable = false;
    int m_nextOrder = 1;
    QSet<int> m_marked;
    std::unique_ptr<Cursor> m_values;   // what the window shows and edits
    std::unique_ptr<Cursor> m_assigned; // what the window shows
    std::unique_ptr<Cursor> m_marks;    // writes State only
    std::unique_ptr<Cursor> m_work;     // writes TRuseVAL
};

} // namespace velmora
