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
    bool demo = false; // --demo: a new installation with the demonstration club
    bool version = false;
    bool help = false;
    // --evaluate NR --person P --kind K [--compare-person P2 --compare-kind K2]:
    // the evaluation's result as text, without windows.
    int evaluate = 0; // 0: not asked for
    int person = 0;
    int kind = 0;
    int comparePerson = 0;
    int compareKind = 0; // 0: no comparison
    QStringList rest;    // arguments handed on to Qt
    QString error;       // German message when the arguments are bad
};

// Parses the program's arguments (without the program name).
CommandLine parseCommandLine(const QStringList &args);
QString commandLineHelp();

} // namespace velmora
