#pragma once

#include "store/Cursor.h"
#include "store/Database.h"

#include <QTextStream>

namespace velmora {

struct EvaluationRequest {
    int auswertungNr = 0;
    int personNr = 0;
    int art = 0;
    int comparePersonNr = 0;
    int compareArt = 0; // 0: no comparison
};

// The rows of a result table as tab-separated text with a header line of
// column names: numbers in C notation, dates yyyy-MM-dd, no value empty.
void WriteResultText(Cursor &result, QTextStream &out);

// Builds the evaluation's SQL (storing SQL1 and SQL2), prepares and runs it
// for the documents asked for and writes the result table. Returns the exit
// status: 0, or 2 with the German message in *error.
int EvaluateToText(Database &db, const EvaluationRequest &request, QTextStream &out, QString *error);

} // namespace velmora
