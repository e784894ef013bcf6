#pragma once

#include <QString>

namespace velmora {

// The one message service: errors, warnings, information and yes/no
// questions. The program installs message boxes; tests install a recorder.
class Messages {
public:
    enum class Kind { Error, Warning, Information, Question };

    virtual ~Messages() = default;
    virtual void show(Kind kind, const QString &text) = 0;
    // A yes/no question; true for yes.
    virtual bool ask(const QString &text) = 0;

    static Messages &instance();
    // Installs a service (not owned); nullptr restores the standard-error one.
    static void install(Messages *service);

    static void error(const QString &text) { instance().show(Kind::Error, text); }
    static void warning(const QString &text) { instance().show(Kind::Warning, text); }
    static void information(const QString &text) { instance().show(Kind::Information, text); }
    static bool question(const QString &text) { return instance().ask(text); }
};

} // namespace velmora
