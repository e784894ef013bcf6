#pragma once

#include <QString>
#include <memory>

namespace velmora {

class Installation;
class TAboutBox;
class TMainForm;

// The start-up sequence: settings, the first-start wizard, the element
// cache, the login, the document list and the main window.
class ProgramStart {
public:
    explicit ProgramStart(Installation &installation);
    ~ProgramStart();

    // Reads the settings and runs the first-start wizard when the set-up is
    // not finished; false (after the message) when the wizard was cancelled.
    bool runFirstStart();
    // A start that cannot go on: the message goes to standard error and,
    // when the program runs with windows, into a message box as well (a
    // coach who started it from a desktop icon reads no standard error).
    // Returns the exit status, 2.
    static int refuseStart(const QString &message, bool withWindows);
    // Says once that a write-protected database opens read-only.
    void reportReadOnly();
    // Checks the database and builds the form element cache.
    void buildCache();
    // The login window; false when it was cancelled or refused. The chosen
    // person is kept for the main window.
    bool login();
    // Builds the document list and creates the main window with the login.
    std::unique_ptr<TMainForm> createMainWindow();
    // All steps, then the main window until it closes; the exit status.
    int run();

    TAboutBox &aboutBox();
    int loggedInPerson() const { return m_person; }

private:
    Installation &m_installation;
    std::unique_ptr<TAboutBox> m_about;
    int m_person = 0;
};

} // namespace velmora
