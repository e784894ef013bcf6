#pragma once

#include <QString>
#include <QStringList>

namespace velmora {

// The program a workbook is opened with: the desktop's association for the
// file's type ("xdg-mime query default <mime type>", then that .desktop
// file's Exec line), else the setting Allgemeines/Tabellenprogramm.
struct SpreadsheetProgram {
    QString program;
    QStringList arguments;

    bool isEmpty() const { return program.isEmpty(); }

    static QString notRegisteredMessage(const QString &path);

    // The command for `path` (whose type decides) opening `files`. Raises
    // VelmoraError with notRegisteredMessage(path) when neither the desktop
    // nor the setting names a program.
    static SpreadsheetProgram find(const QString &path, const QStringList &files);

    // The desktop file id the desktop associates with the file's type
    // ("libreoffice-calc.desktop"); empty when none or xdg-mime is missing.
    static QString associatedDesktopFile(const QString &path);
    // The Exec line of the [Desktop Entry] group of a .desktop file (by id,
    // searched in the applications directories of XDG_DATA_HOME and
    // XDG_DATA_DIRS), string escapes resolved; empty when there is none.
    static QString execLineOf(const QString &desktopFileId);

    // Splits an Exec line as the desktop entry format quotes it (blanks
    // separate, double quotes group, a backslash inside quotes escapes)
    // and puts in the files: %f %F %u %U standing alone become one argument
    // per file, inside an argument one copy of it per file; %% is "%",
    // every other field code is dropped. A line without any of the four
    // gets the files appended, so that the program sees them in any case.
    // The setting Tabellenprogramm is read the same way.
    static SpreadsheetProgram fromExecLine(const QString &exec, const QStringList &files);

    // Starts the program detached from this one (it stays open when the
    // diary ends), each argument passed on as it is, never through a shell.
    // Raises VelmoraError when it cannot be started.
    void startDetached() const;
};

} // namespace velmora
