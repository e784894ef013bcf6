#pragma once

#include <QStringList>

class QWidget;

namespace velmora {

class Database;

// The diary's workbook command: asks where the workbook goes (the file
// last written out is offered), asks before replacing an existing file,
// writes the workbook and one dBase export per linked evaluation, run for
// the diary's kind code, person and selection lines, and starts the
// spreadsheet program with the exports in link order followed by the
// workbook. Failures are shown; true when the program was started.
bool OpenWorkbookFromDiary(QWidget *parent, Database &db, int workbookNr, int kindCode, int personNr,
                           const QStringList &selectionLines);

} // namespace velmora
