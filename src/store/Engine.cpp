#include "store/Engine.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QTextStream>

namespace velmora {

namespace {
Engine *g_current = nullptr;
}

Engine *Engine::current() { return g_current; }
void Engine::setCurrent(Engine *engine) { g_current = engine; }

QMap<QString, QString> Engine::readConfig(const QString &iniPath) {
    QMap<QString, QString> paths;
    QFile file(iniPath);
    if (!file.exists())
        return paths;
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        throw EngineError(QStringLiteral("Die Datei %1 kann nicht gelesen werden: %2").arg(iniPath, file.errorString()));
    QTextStream in(&file);
    QString section;
    bool expectPath = false;
    int lineNo = 0;
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        ++lineNo;
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')) || line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            if (expectPath)
                break;
            section = line.mid(1, line.size() - 2).trimmed().toUpper();
            expectPath = true;
            continue;
        }
        if (expectPath) {
            if (!line.startsWith(QLatin1String("PATH="), Qt::CaseInsensitive))
                throw EngineError(
                    QStringLiteral("Fehler in der Datenbankkonfiguration %1, Zeile %2: Der Abschnitt [%3] muss mit "
                                   "einer Zeile PATH=<Verzeichnis> beginnen.")
                        .arg(iniPath)
                        .arg(lineNo)
                        .arg(section));
            paths.insert(section, line.mid(5).trimmed());
            expectPath = false;
        }
    }
    if (expectPath)
        throw EngineError(QStringLiteral("Fehler in der Datenbankkonfiguration %1: Der Abschnitt [%2] muss mit einer "
                                         "Zeile PATH=<Verzeichnis> beginnen.")
                              .arg(iniPath, section));
    return paths;
}

Engine::Engine(QString iniPath, QString defaultBase) : m_iniPath(std::move(iniPath)) {
    m_paths = readConfig(m_iniPath);
    bool missing = !QFile::exists(m_iniPath);
    for (const char *name : {kDblog, kDblogCopy}) {
        const QString n = QString::fromLatin1(name);
        if (!m_paths.contains(n) || m_paths.value(n).isEmpty()) {
            m_paths.insert(n, QDir(defaultBase).filePath(n));
            missing = true;
        }
    }
    for (const QString &dir : std::as_const(m_paths))
        if (!QDir().mkpath(dir))
            throw EngineError(QStringLiteral("Das Verzeichnis %1 kann nicht angelegt werden.").arg(dir));
    if (missing) {
        QDir().mkpath(QFileInfo(m_iniPath).absolutePath());
        QSaveFile out(m_iniPath);
        if (!out.open(QIODevice::WriteOnly | QIODevice::Text))
            throw EngineError(QStringLiteral("Die Datei %1 kann nicht geschrieben werden: %2").arg(m_iniPath, out.errorString()));
        QTextStream ts(&out);
        for (auto it = m_paths.cbegin(); it != m_paths.cend(); ++it)
            ts << '[' << it.key() << "]\nPATH=" << it.value() << "\n\n";
        ts.flush();
        if (!out.commit())
            throw EngineError(QStringLiteral("Die Datei %1 kann nicht geschrieben werden: %2").arg(m_iniPath, out.errorString()));
    }
}

Engine::~Engine() {
    if (g_current == this)
        g_current = nullptr;
}

QString Engine::path(const QString &name) const { return m_paths.value(name.toUpper()); }

Database &Engine::database(const QString &name) {
    const QString key = name.toUpper();
    auto it = m_open.find(key);
    if (it != m_open.end())
        return *it->second;
    if (!m_paths.contains(key))
        throw EngineError(QStringLiteral("Der Datenbankname %1 ist nicht eingerichtet.").arg(name));
    auto db = std::make_unique<Database>(key, m_paths.value(key));
    Database &ref = *db;
    m_open.emplace(key, std::move(db));
    return ref;
}

void Engine::closeDatabase(const QString &name) { m_open.erase(name.toUpper()); }

} // namespace velmora
