#pragma once

#include <QString>

namespace velmora {

// The process-wide settings of the store 5.3.ini. A value missing from the
// store, or one of the wrong type, keeps the current value (the initial
// value below); texts longer than their width are cut when read.
struct Settings {
    // Allgemeines
    int SerienNr = 0;
    QString ProgName; // 40
    bool Toolbar = true;
    QString PackCommand = QStringLiteral("pkzip");     // 120
    QString UnPackCommand = QStringLiteral("pkunzip"); // 120
    // The spreadsheet program of the workbooks when the desktop associates
    // none with the workbook's type; read as a desktop Exec line.
    QString Tabellenprogramm; // 120
    QString Hotline;          // 40, the support telephone number
    // Club
    QString Kuerzel = QStringLiteral("VSK"); // 3
    QString Wappen;                          // 120
    QString Name;                            // 50, default ProgName
    // Startup
    int Level = 1; // one byte
    int User = 0;
    int reg = 1;
};

// The settings of the running program.
Settings &settings();

// Where the store lives; set once at start (and by tests).
void SetSettingsPath(const QString &path);
QString SettingsPath();

// Reads every value in the order of the table into settings(); true.
bool ReadSettings();

// The writers: each opens the store, writes and closes it at once.
void WriteToolbarSetting(bool shown);
void WriteClubSettings(const QString &name, const QString &kuerzel);
void WriteStartupLevel(int level);
void WriteStartupUser(int person);
void WriteStartupReg(int reg);
void WriteSerienNr(int serial);
void WriteWappen(const QString &path);

} // namespace velmora
