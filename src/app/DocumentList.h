#pragma once

#include <QString>
#include <QStringList>

namespace velmora {

class Database;
class Progress;

// The caption of the progress step the document list reports into.
inline const QString kDocumentListStep = QStringLiteral("Dokumentliste erstellen");

// The seven statements (local SQL, lines joined by line breaks) that fill
// OPEN for user `person` of group `group`, in the order they run: persons,
// groups, forms, filters, evaluations, workbooks, building blocks.
QStringList DocumentListStatements(int person, int group);

// Empties OPEN and refills it from the master tables with the read rights of
// `person` and `group`, on the given database. Reports SetProgressRange(7),
// one AdvanceProgress(1) per statement and a StepDone at the end; adds no
// step and neither shows nor closes the progress window (for callers that
// have done so already). `progress` may be null. All of it is one
// transaction: an engine error leaves the previous list untouched and is
// rethrown as EngineError. Returns the number of rows written.
int RebuildDocumentList(Database &db, Progress *progress, int person, int group);

// The same on the current engine's DBLOG, framed by the progress window:
// adds the step "Dokumentliste erstellen", shows the progress, rebuilds and
// closes the window (also when the rebuild fails; the error is rethrown).
int BuildDocumentList(Progress *progress, int person, int group);

// True once a rebuild has completed in this process.
bool DocumentListBuilt();

} // namespace velmora
