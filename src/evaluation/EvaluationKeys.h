#pragma once

namespace velmora {

class Database;

// The number of a new evaluation (AUSWERT.AuswertungNr): one above the
// largest number of the installation's block of keys, or the block's first.
int nextEvaluationNumber(Database &db, int serial);

} // namespace velmora
