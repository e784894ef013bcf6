#pragma once

#include "app/Installation.h"

#include <QTemporaryDir>
#include <memory>

namespace velmora::test {

// A whole installation in a temporary configuration directory, initialised
// in-process as "--init" does, and made the program's current engine.
class TempInstallation {
public:
    explicit TempInstallation(int serial = 1);
    ~TempInstallation();

    QString dir() const { return m_dir.path(); }
    Installation &installation() { return *m_installation; }
    Engine &engine() { return m_installation->engine(); }
    Database &db() { return m_installation->dblog(); }
    Database &copyDb() { return engine().dblogCopy(); }
    int serial() const { return m_serial; }

private:
    QTemporaryDir m_dir;
    std::unique_ptr<Installation> m_installation;
    int m_serial;
};

} // namespace velmora::test
