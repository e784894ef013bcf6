#include "support/TempInstallation.h"

namespace velmora::test {

TempInstallation::TempInstallation(int serial) : m_serial(serial) {
    if (!m_dir.isValid())
        qFatal("no temporary directory");
    m_installation = std::make_unique<Installation>(m_dir.path());
    m_installation->initialize(serial);
    Engine::setCurrent(&m_installation->engine());
}

TempInstallation::~TempInstallation() {
    if (Engine::current() == &m_installation->engine())
        Engine::setCurrent(nullptr);
}

} // namespace velmora::test
