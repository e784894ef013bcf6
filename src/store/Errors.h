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

// An error of the database engine: carries SQLite's text, prefixed with what
// the system was doing (the table or statement involved).
class EngineError : public VelmoraError {
public:
    explicit EngineError(const QString &message) : VelmoraError(message) {}
};

} // namespace velmora
