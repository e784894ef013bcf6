#include "base/Paths.h"

#include <QDir>
#include <QFileInfo>

namespace velmora {

namespace {
Paths g_paths;

QString withSlash(const QString &dir) {
    if (dir.isEmpty())
        return dir;
    return dir.endsWith(QLatin1Char('/')) ? dir : dir + QLatin1Char('/');
}
} // namespace

Paths &paths() {
    return g_paths;
}

void InitPaths(const QString &programFilePath, const QString &configDir, const QString &dataDir,
               const QString &exchangeDir) {
    const QFileInfo fi(programFilePath);
    g_paths.programFileName = fi.fileName();
    g_paths.programDir = withSlash(fi.absolutePath());
    g_paths.configDir = withSlash(configDir);
    g_paths.dataDir = withSlash(dataDir);
    g_paths.exchangeDir = withSlash(exchangeDir);
}

QString FileNextToProgram(const QString &extension) {
    const QString name = g_paths.programFileName;
    const int dot = name.indexOf(QLatin1Char('.'));
    const QString base = dot >= 0 ? name.left(dot + 1) : name + QLatin1Char('.');
    const QFileInfo dir(g_paths.programDir);
    const QString folder = (dir.isDir() && dir.isWritable()) ? g_paths.programDir : g_paths.configDir;
    return folder + base + extension;
}

} // namespace velmora
