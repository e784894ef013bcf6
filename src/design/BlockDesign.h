#pragma once

#include "store/Cursor.h"

#include <memory>

namespace velmora {

// The tables behind the block designer: the block's TRTABLE row and its
// TRFIELD rows. A new block's row is written at once, so that its fields can
// refer to it, and stays in edit state until the block is finished or
// discarded; an existing block is only looked at.
class BlockDesign {
public:
    static constexpr const char *kNameControl = "dbfName";
    static constexpr const char *kFieldGridControl = "dbgFelder";
    static const QString kNameMissing;
    static const QString kNoField;
    static const QString kNotInGrid; // "%1": the field's name, "%2": its type

    BlockDesign(Database &db, int serial);
    ~BlockDesign();
    BlockDesign(const BlockDesign &) = delete;
    BlockDesign &operator=(const BlockDesign &) = delete;

    // A new block of the coach: number, table name and Art "T".
    void openNew(int trainerNr);
    // An existing block, read-only or not.
    void openExisting(int tableNr, bool readOnly);

    Cursor &block() { return *m_block; }
    Cursor &fields() { return *m_fields; }
    int tableNr() const { return m_tableNr; }
    bool isNew() const { return m_new; }
    bool isReadOnly() const { return m_readOnly; }
    bool isFinished() const { return m_finished; }
    int fieldCount();

    // The presentation chosen; written into the block row whenever it is posted.
    void setPresentation(bool grid, bool endless);

    // "Weiter" of the first page: the block needs a name.
    void checkName();
    // Inserts a field row (Typ "?", the next Order); the field editor fills
    // and posts it.
    void appendField();
    void deleteField();

    // Refuses a grid block holding a field a grid cannot show (kNotInGrid).
    void checkGridFields();
    // Posts the block row and finishes the block (form 0, layout, table,
    // index description) in one transaction. On failure nothing is written,
    // the block row is back in edit state with what was typed, and the error
    // is raised again.
    void finish(const QString &idxPath);
    // Removes a new, unfinished block: pending edits are dropped, then its
    // field rows and its block row are deleted. Does nothing otherwise, so
    // that it may run more than once.
    void discard();

    // The algorithms by themselves.
    static int newTableNr(Database &db, int serial);
    // One above the block's highest Order, 1 for its first field.
    static int nextFieldOrder(Database &db, int tableNr);

private:
    void openFields();

    Database &m_db;
    int m_serial;
    int m_tableNr = 0;
    bool m_new = false;
    bool m_readOnly = false;
    bool m_finished = false;
    bool m_discarded = false;
    bool m_grid = false;
    bool m_endless = false;
    std::unique_ptr<Cursor> m_block, m_fields;
};

} // namespace velmora
