#pragma once

#include <QString>
#include <stdexcept>

namespace velmora {

// A refusal or validation failure of the system itself: carries the German
// message for the user and, where there is one, the control to focus.
class VelmoraError : public std::runtime_error {
public:
    explicit VelmoraError(const QString &message, QString control = {})
        : std::runtime_error(message.toStdString()), m_message(message), m_control(std::move(control)) {}
    const QString &message() const { return m_message; }
    const QString &control() const { return m_control; }

private:
    QString m_message;
    QString m_control;
};

} // namespace velmora
