#pragma once

#include "store/Database.h"

#include <QMap>
#include <map>
#include <memory>

namespace velmora {

// The engine's configuration of database names: engine.ini with one section
// per name whose first line is "PATH=<directory>".
class Engine {
public:
    static constexpr const char *kDblog = "DBLOG";
    static constexpr const char *kDblogCopy = "DBLOG_COPY";

    // Reads engine.ini without writing anything; a section whose first line
    // is not a PATH= line is an engine error.
    static QMap<QString, QString> readConfig(const QString &iniPath);

    // Reads engine.ini; missing names get their directory under defaultBase
    // (created), and the file is written when anything was missing.
    Engine(QString iniPath, QString defaultBase);
    ~Engine();

    QString path(const QString &name) const;
    Database &database(const QString &name);
    Database &dblog() { return database(QString::fromLatin1(kDblog)); }
    Database &dblogCopy() { return database(QString::fromLatin1(kDblogCopy)); }
    // Closes an open database, so that its directory can be replaced.
    void closeDatabase(const QString &name);

    // The engine of the running program (set by whoever created it).
    static Engine *current();
    static void setCurrent(Engine *engine);

private:
    QString m_iniPath;
    QMap<QString, QString> m_paths;  // upper-case name -> directory
    std::map<QString, std::unique_ptr<Database>> m_open;
};

} // namespace velmora
