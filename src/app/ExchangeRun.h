#pragma once

// The data exchange as the exchange window and the command line run it.
//
// How to call it:
//
//     // "&Diskette einlesen": empties the exchange directory and unpacks.
//     ReadExchangeArchive(engine, progress, archivePath);
//     // "alle Daten &importieren": merges the set, then lets the main window
//     // refresh its data (step "Datenbank aktualisieren"), rebuilds the form
//     // element list and the document list of the logged-in user.
//     RunImport(engine, progress, LoginPersonNr, LoginGruppenNr, [&] { refreshWindows(); });
//
// Both raise VelmoraError (German message) or EngineError (engine's text);
// the window shows e.message(). A failed import has changed nothing.
//
// Without windows: RunExchangeCommand() serves "velmora5 --backup ARCHIVE",
// "--export ARCHIVE --person P" and "--import ARCHIVE".

#include "store/Engine.h"

#include <QString>
#include <QStringList>
#include <functional>

namespace velmora {

class Progress;
struct CommandLine;

void ReadExchangeArchive(Engine &engine, Progress &progress, const QString &archive, const QString &unpackProgram = {});

// Imports the unpacked exchange set with the four progress steps and closes
// the progress. The element list is cleared first and rebuilt afterwards,
// also when the import fails (then from the unchanged database); the
// document list is rebuilt after a successful import only. Returns the
// number of rows written.
int RunImport(Engine &engine, Progress &progress, int loginPerson, int loginGroup,
              const std::function<void()> &refreshData = {});

// The selection of a person's protocol diary without a filter: the diary's
// selection lines with the kind condition in front.
QStringList PersonProtocolSelection(int personNr);

// Runs --backup, --export or --import on the installation's engine: progress
// lines on standard error, exit status 0; any message in German on standard
// error and exit status 2.
int RunExchangeCommand(const CommandLine &commandLine, Engine &engine);

} // namespace velmora
