#include "evaluation/EvaluationKeys.h"

#include "store/Keys.h"

namespace velmora {

int nextEvaluationNumber(Database &db, int serial) {
    return nextObjectKey(db, QStringLiteral("AUSWERT"), QStringLiteral("AuswertungNr"), serial);
}

} // namespace velmora
