#include "app/Installation.h"

#include "store/Keys.h"
#include "store/Schema.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace velmora {

namespace {
QString xdgDir(const char *var, const QString &fallback) {
    const QString v = qEnvironmentVariable(var);
    return v.isEmpty() ? QDir::home().filePath(fallback) : v;
}
} // namespace

QString Installation::defaultConfigDir() {
    return QDir(xdgDir("XDG_CONFIG_HOME", QStringLiteral(".config"))).filePath(QStringLiteral("Norvask/Velmora5"));
}

QString Installation::defaultDataDir() {
    return QDir(xdgDir("XDG_DATA_HOME", QStringLiteral(".local/share"))).filePath(QStringLiteral("Norvask/Velmora5"));
}

Installation::Installation(const QString &configDir) {
    if (configDir.isEmpty()) {
        m_configDir = defaultConfigDir();
        m_dataBase = defaultDataDir();
    } else {
        m_configDir = QFileInfo(configDir).absoluteFilePath();
        m_dataBase = m_configDir;
    }
}

Installation::~Installation() = default;

QString Installation::settingsPath() const { return QDir(m_configDir).filePath(QStringLiteral("5.3.ini")); }
QString Installation::engineIniPath() const { return QDir(m_configDir).filePath(QStringLiteral("engine.ini")); }

int Installation::storedSerial() const {
    if (!QFileInfo::exists(settingsPath()))
        return 0;
    QSettings s(settingsPath(), QSettings::IniFormat);
    return s.value(QStringLiteral("Allgemeines/SerienNr"), 0).toInt();
}

namespace {
[[noreturn]] void refuseSerial(int serial, int stored) {
    throw VelmoraError(QStringLiteral("Die Installationsnummer %1 kann nicht verwendet werden: Diese Installation "
                                      "hat bereits Daten unter der Nummer %2 angelegt.")
                           .arg(serial)
                           .arg(stored));
}

void checkRange(int serial) {
    if (serial < 1 || serial > Installation::kMaxSerial)
        throw VelmoraError(
            QStringLiteral("Die Installationsnummer muss zwischen 1 und %1 liegen.").arg(Installation::kMaxSerial));
}
} // namespace

void CheckSerialChange(Database &db, int storedSerial, int serial) {
    checkRange(serial);
    if (storedSerial != 0 && storedSerial != serial && serialInUse(db, storedSerial))
        refuseSerial(serial, storedSerial);
}

void Installation::checkSerial(int serial) const {
    checkRange(serial);
    const int stored = storedSerial();
    if (stored == 0 || stored == serial)
        return;
    // Reading the database must not create or change anything here.
    const auto paths = Engine::readConfig(engineIniPath());
    const QString dir = paths.value(QString::fromLatin1(Engine::kDblog),
                                    QDir(m_dataBase).filePath(QString::fromLatin1(Engine::kDblog)));
    if (!QFileInfo::exists(QDir(dir).filePath(QString::fromLatin1(Database::kFileName))))
        return;
    Database db(QString::fromLatin1(Engine::kDblog), dir, false, true);
    CheckSerialChange(db, stored, serial);
}

void Installation::initialize(int serial) {
    if (serial != 0) {
        checkSerial(serial);
    } else {
        // A hand-edited number out of range would number objects in another
        // installation's block (or below zero).
        const int stored = storedSerial();
        if (stored < 0 || stored > kMaxSerial)
            throw VelmoraError(QStringLiteral("Die Installationsnummer %1 in %2 (Allgemeines/SerienNr) ist ungültig: "
                                              "Sie muss zwischen 1 und %3 liegen.")
                                   .arg(stored)
                                   .arg(QDir::toNativeSeparators(settingsPath()))
                                   .arg(kMaxSerial));
    }
    // engine.ini is checked before anything is written.
    Engine::readConfig(engineIniPath());
    if (!QDir().mkpath(m_configDir))
        throw VelmoraError(QStringLiteral("Das Verzeichnis %1 kann nicht angelegt werden.").arg(m_configDir));
    Engine &e = engine();
    createFixedTables(e.dblog());
    e.dblogCopy();
    QSettings s(settingsPath(), QSettings::IniFormat);
    if (serial != 0 && s.value(QStringLiteral("Allgemeines/SerienNr")).toInt() != serial)
        s.setValue(QStringLiteral("Allgemeines/SerienNr"), serial);
    s.sync();
    if (s.status() != QSettings::NoError)
        throw VelmoraError(QStringLiteral("Die Einstellungen %1 können nicht geschrieben werden.").arg(settingsPath()));
}

Engine &Installation::engine() {
    if (!m_engine)
        m_engine = std::make_unique<Engine>(engineIniPath(), m_dataBase);
    return *m_engine;
}

} // namespace velmora
