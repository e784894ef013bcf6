#pragma once

#include <QString>
#include <QStringList>

namespace velmora {

// Installation numbers run from 1 to this (a SHORT column holds them).
constexpr int kMaxSerial = 32767;

struct CommandLine {
    QString configDir;
    int serial = 0; // 0: not given
    bool init = false;
    bool version = false;
    bool help = false;
    QStringList rest; // arguments handed on to Qt
    QString error;    // German message when the arguments are bad
};

// Parses the program's arguments (without the program name).
CommandLine parseCommandLine(const QStringList &args);
QString commandLineHelp();

} // namespace velmora
