#pragma once

#include <QDate>
#include <QString>

class QFont;

namespace velmora {

class Database;
class TTREList;

struct DiaryPrintRequest {
    int personNr = 0;
    int kindCode = 0;
    QDate from, to; // null: an open end
    QString pdfPath;
};

// velmora5 --print-pdf: the diary of one person or group as its window would
// list it (that kind, the date range, no filter), printed with the stored
// print settings into a PDF file. Nothing of an earlier file is lost when
// printing fails: the pages are written beside it and moved over it at the
// end. Returns the exit status: 0, or 2 with the German message in *error.
int PrintDiaryToPdf(Database &db, TTREList &elements, const DiaryPrintRequest &request, const QString &settingsPath,
                    const QFont &defaultFont, QString *error);

} // namespace velmora
