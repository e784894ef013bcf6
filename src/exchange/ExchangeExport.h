#pragma once

#include "store/Engine.h"

#include <QString>
#include <QStringList>

namespace velmora {

class Progress;

namespace ExchangeMessages {
inline const QString kCopyFailed = QStringLiteral("Kopiervorgang fehlgeschlagen");
inline const QString kExchangeIsData = QStringLiteral("Das Austauschverzeichnis darf nicht das Datenverzeichnis sein!");
inline const QString kExportStep = QStringLiteral("ausgewählte Daten exportieren");
inline const QString kBackupStep = QStringLiteral("Backup erstellen");
// "Soll die vorhandene Datei "<path>" ersetzt werden?"
QString ReplaceQuestion(const QString &path);
} // namespace ExchangeMessages

// The export of a selection of diary entries with everything they depend on
// into the exchange directory (the database DBLOG_COPY), and the backup of
// the data directory; both end by packing the exchange directory's files into
// one archive with the pack program. The packer runs to its end before a
// call returns: an archive the packer could not write is never reported as done.
// Failures are raised: VelmoraError with a German message, EngineError with
// the engine's text.
class ExchangeExport {
public:
    ExchangeExport(Engine &engine, Progress &progress);

    // The pack program; empty (the default) takes Allgemeines/PackCommand,
    // looked for in the program directory first.
    void setPackProgram(const QString &program) { m_packProgram = program; }
    // The program and its leading arguments as they will be started; the
    // program is empty when it cannot be found.
    QStringList packCommand() const;

    // Exports the entries the selection lines choose (conditions appended to
    // statements ending in "where "). False when the archive exists and the
    // user does not want it replaced: then nothing is touched.
    bool exportSelection(const QStringList &selection, const QString &archive);

    // Packs a consistent snapshot of the database, with the data directory's
    // other files, into the archive; an existing archive is replaced.
    void backup(const QString &archive);

    // Refuses an exchange directory that is the data directory or holds it:
    // emptying it would delete the data.
    static void CheckExchangeDirectory(const QString &dataDir, const QString &exchangeDir);
    // The archive path must be given and absolute.
    static void CheckArchivePath(const QString &archive);

    // The fifteen fixed tables of an exchange set.
    static const QStringList &ExchangeTables();

    // A pack or unpack command (program and leading arguments, as split
    // from the setting) as it will be started: a program named without a
    // directory is looked for next to the program, never on the search
    // path; the program is empty when it cannot be found.
    static QStringList ProgramCommand(QStringList parts);
    // Closes the exchange database and deletes every file of its directory
    // (created when missing); "Kopiervorgang fehlgeschlagen" when it cannot.
    static void EmptyExchangeDirectory(Engine &engine);

private:
    QString dataDir() const;
    QString exchangeDir() const;
    void copyExchangeSet(const QStringList &selection);
    void pack(const QString &archive, const QStringList &files);

    Engine &m_engine;
    Progress &m_progress;
    QString m_packProgram;
};

} // namespace velmora
