#pragma once

#include <QChar>
#include <QDateTime>
#include <QString>

namespace velmora {

// Opens the log file next to the program at start: appends "S   <date>" to
// an existing file, or creates it with "C   <date> <file name>"; when the
// file cannot be created, falls back to "<program file name>.LOG" in the
// current directory. Raises VelmoraError when neither can be written.
void InitLog();

// Appends one line: kind, "   " (ok) or " X ", date and time, a blank, the
// number left-aligned in a column of 7 characters (cut when longer), and the
// tag right after that column: person 12 with "TB" ends "12     TB".
void WriteLogLine(QChar kind, bool ok, int number, const QString &tag);
// The line WriteLogLine writes, for a given moment.
QString LogLine(QChar kind, bool ok, int number, const QString &tag, const QDateTime &when);

} // namespace velmora
