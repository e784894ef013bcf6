#pragma once

#include "base/CommandLine.h"
#include "store/Engine.h"

#include <memory>

namespace velmora {

// One installation: the configuration directory with the settings store
// 5.3.ini and engine.ini, and the databases named there.
// Refuses an installation number out of 1 ... 32767, or one that differs
// from the stored number while rows of the database carry the stored one.
void CheckSerialChange(Database &db, int storedSerial, int serial);

class Installation {
public:
    static constexpr int kMaxSerial = velmora::kMaxSerial;

    static QString defaultConfigDir();
    // Where the databases go when the configuration directory is the default one.
    static QString defaultDataDir();

    // configDir empty: the default directory, databases under the data directory;
    // otherwise databases inside configDir.
    explicit Installation(const QString &configDir = {});
    ~Installation();

    const QString &configDir() const { return m_configDir; }
    QString settingsPath() const;
    QString engineIniPath() const;
    QString dataBase() const { return m_dataBase; }

    // Allgemeines/SerienNr, 0 when not set.
    int storedSerial() const;
    // Refuses a number out of range or one that differs from a number
    // already used by rows of this installation. Writes nothing.
    void checkSerial(int serial) const;
    // Checks, then creates what is missing: settings, engine.ini, the
    // directories, the database with the fixed tables. serial 0 keeps the
    // stored number, which must then lie in 0 ... 32767 (0: not yet set).
    // Existing rows are never touched.
    void initialize(int serial = 0);

    Engine &engine();
    Database &dblog() { return engine().dblog(); }

private:
    QString m_configDir;
    QString m_dataBase;
    std::unique_ptr<Engine> m_engine;
};

} // namespace velmora
