#pragma once

#include <QDate>
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
    // --print-pdf FILE --person P --kind K [--from DATE] [--to DATE]: the
    // diary of person P as a PDF file, without windows.
    QString printPdf; // empty: not asked for
    QDate from, to;   // null: an open end
    // Without windows, for scheduled jobs: --backup ARCHIVE, --export ARCHIVE
    // --person P (P's protocols), --import ARCHIVE (read, then import all).
    QString backup;
    QString exportArchive;
    QString importArchive;
    bool exchange() const { return !backup.isEmpty() || !exportArchive.isEmpty() || !importArchive.isEmpty(); }
    QStringList rest; // arguments handed on to Qt
    QString error;    // German message when the arguments are bad
};

// Parses the program's arguments (without the program name).
CommandLine parseCommandLine(const QStringList &args);
QString commandLineHelp();

} // namespace velmora
