#pragma once

#include "store/Database.h"

namespace velmora {

constexpr qint64 kKeyBlockSize = 65536;

// A new object key: one above the highest key of the installation's block
// [serial * 65536, (serial + 1) * 65536], or the block's first key.
// Raises "Der Nummernbereich dieser Installation ist erschöpft." rather than
// hand out a key of the next installation's block, and refuses an
// installation number outside 0 ... 32767.
int nextObjectKey(Database &db, const QString &table, const QString &keyColumn, int serial);

// The next TR entry number of the installation: counts from 1 per SerienNr.
int nextEntryNumber(Database &db, int serial);

// True when rows of the database carry this installation number: TR rows
// with that SerienNr or object keys inside its block.
bool serialInUse(Database &db, int serial);

// "TR_" and one above the largest number of the block tables "TR_<n>" and
// of the names the blocks of TRTABLE hold in Filename.
QString NextBlockTableName(const Database &db);

} // namespace velmora
