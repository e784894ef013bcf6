#pragma once

#include "store/Database.h"

namespace velmora {

// The fixed tables every installation has.
const std::vector<TableDef> &fixedTables();
const TableDef &fixedTable(const QString &name);

// Creates the fixed tables that are missing and the rows every database
// ships with (block 0). Tables and rows already there stay untouched.
void createFixedTables(Database &db);

// Columns of the block tables that tie each row to an entry.
FieldDefs blockKeyFields();

} // namespace velmora
