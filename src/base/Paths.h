#pragma once

#include <QString>

namespace velmora {

// The run-time paths, computed once at start before anything else runs.
struct Paths {
    QString programFileName; // without directory
    QString programDir;      // ends with "/"
    QString configDir;       // ends with "/"
    QString dataDir;         // directory of DBLOG, ends with "/"
    QString exchangeDir;     // directory of DBLOG_COPY, ends with "/"
    QString logFileName;
};

Paths &paths();

// Sets program and configuration paths; the database directories come from
// the engine's configuration.
void InitPaths(const QString &programFilePath, const QString &configDir, const QString &dataDir,
               const QString &exchangeDir);

// A file "next to the program": the program directory when it is writable,
// otherwise the configuration directory; the name is the program file name
// up to and including its first dot (a dot is added when there is none)
// followed by the extension: velmora5 -> velmora5.LOG.
QString FileNextToProgram(const QString &extension);

} // namespace velmora
