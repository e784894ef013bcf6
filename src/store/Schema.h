#pragma once

#include "store/Database.h"

namespace velmora {

// The fixed tables every installation has.
const std::vector<TableDef> &fixedTables();
const TableDef &fixedTable(const QString &name);

// Creates the fixed tables that are missing and the rows every database
// ships with (block 0). Tables and rows already there stay untouched.
void createFixedTables(Database &db);

class Cursor;

// The default layout of a block field whose control stands at `top`:
// label at 20, field at 100 (100 x 20), postfix at 206.
void SetDefaultFieldLayout(Cursor &fields, int top);

// Columns of the block tables that tie each row to an entry.
FieldDefs blockKeyFields();

} // namespace velmora
