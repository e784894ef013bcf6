#pragma once

// Reading an exchange archive and merging the exchange set into DBLOG.
//
// How to call it (window and command line alike):
//
//     SilentProgress progress;                 // or the start and progress window
//     ExchangeImport import(engine, progress);
//     import.readArchive(archivePath);         // "&Diskette einlesen"
//     import.importAll();                      // "alle Daten &importieren", the data part
//
// Failures are raised: VelmoraError carrying the German message ("Kopiervorgang
// fehlgeschlagen", "Es sind keine Datenfiles vorhanden", the structure
// message), EngineError carrying the engine's text. The program's callers do
// not call importAll() directly but app/ExchangeRun.h's RunImport(), which
// also clears and rebuilds the element list and rebuilds the document list.

#include "store/Engine.h"

#include <QHash>
#include <QString>
#include <QStringList>

namespace velmora {

class Progress;

namespace ExchangeMessages {
inline const QString kNoDataFiles = QStringLiteral("Es sind keine Datenfiles vorhanden");
inline const QString kImportStep = QStringLiteral("Daten importieren");
inline const QString kRefreshStep = QStringLiteral("Datenbank aktualisieren");
inline const QString kTemplatesStep = QStringLiteral("Templates erstellen");
// The message of an exchange set whose blocks differ from this
// installation's; the sentence naming the support telephone number is left
// out while the setting Allgemeines/Hotline is empty.
QString StructureMessage(const QString &hotline);
} // namespace ExchangeMessages

// Reading (unpacking) an archive into the exchange directory, and the import
// of the exchange set found there into the local database.
//
// The import runs as one transaction of DBLOG: whatever stops it (a message,
// an engine error, the program being killed) leaves the local database as it
// was. The exchange set is checked before anything is written: every table
// present, each with the columns of its local table.
class ExchangeImport {
public:
    ExchangeImport(Engine &engine, Progress &progress);

    // The unpack program; empty (the default) takes Allgemeines/UnPackCommand,
    // looked for in the program directory first.
    void setUnpackProgram(const QString &program) { m_unpackProgram = program; }
    QStringList unpackCommand() const;

    // Checks the exchange directory (never the data directory), empties it
    // and unpacks the archive into it, waiting for the unpack program. Any
    // failure: "Kopiervorgang fehlgeschlagen". The local database is not
    // touched.
    void readArchive(const QString &archive);

    // Shows the progress with the four steps of an import and merges the
    // exchange set (blocks, master tables, forms, entries with their block
    // rows); ticks the first step and leaves the progress shown for the
    // caller's three further steps. On failure the progress is closed and
    // nothing has changed. Does not empty the exchange directory.
    void importAll();

    // After importAll(): the blocks new to this installation, by exchange
    // file name (upper case), with the table created for them here.
    const QHash<QString, QString> &fileNameMapping() const { return m_mapping; }
    // After importAll(): rows inserted or overwritten, block rows included.
    int changedRows() const { return m_changed; }

private:
    QString exchangeDir() const;
    void checkExchangeSet(Database &exchange);
    void importBlocks(Database &local, Database &exchange);
    void importEntries(Database &local, Database &exchange);

    Engine &m_engine;
    Progress &m_progress;
    QString m_unpackProgram;
    QHash<QString, QString> m_mapping;
    int m_changed = 0;
};

} // namespace velmora
