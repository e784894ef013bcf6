#pragma once

#include "store/Database.h"

namespace velmora {

// The field type codes of building blocks and what each becomes in the
// block table.
struct TypeCode {
    QChar code;
    FieldType column;
    int fixedSize;  // 1 for the memo types, 0 otherwise; "A" and "C" take Größe
};
const TypeCode *typeCodeInfo(QChar code);  // nullptr for an unknown code
bool isSizedCode(QChar code);              // A, C
bool isRangeCode(QChar code);              // F, I, N, S, Z
bool isListCode(QChar code);               // C
bool isStrictCode(QChar code);             // N, X
bool isGridForbiddenCode(QChar code);      // C, M, N
int defaultSizeOfCode(QChar code);         // 1 for A, C, M, E; else 0

// The column of one block field: name, type and size by its type code.
FieldDef BlockColumn(const QString &feldname, const QString &typ, int groesse);
// The block table's structure from the block's TRFIELD rows in Order.
TableDef BlockTableDef(Database &db, int tableNr, const QString &filename);
// Creates (replacing) the block table with its primary index.
void CreateBlockTable(Database &db, int tableNr, const QString &filename);

// Appends a block table's section to the index description file, creating
// the file when it is missing.
void AppendIndexDescription(const QString &idxPath, const QString &tableName);

// Finishing a block: form 0 becomes this block, its fields get the default
// layout, the block row its Client and Height, the block table is created,
// the index description appended, and form 0 gets the block's fields. One
// transaction: a failure leaves the tables as they were and raises.
void FinishBlock(Database &db, int tableNr, const QString &idxPath);

} // namespace velmora
