#pragma once

#include "evaluation/SpreadsheetProgram.h"
#include "store/Database.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace velmora {

// Opening a workbook on the documents a diary lists: the workbook file is
// written where the coach chose, every linked evaluation is run for the
// diary's documents and written beside it as a dBase file, and the
// spreadsheet program is given the export files in link order followed by
// the workbook.
class WorkbookOpening {
public:
    struct Link {
        int auswertungNr = 0;
        QString sheet;
    };

    // Reads the workbook and its links; a workbook that is gone is refused.
    WorkbookOpening(Database &db, int workbookNr);

    // The file last written out (or imported): what the save dialog offers.
    const QString &files() const { return m_files; }
    const std::vector<Link> &links() const { return m_links; }

    // The chosen path without its extension, the sheet name, ".dbf". A
    // sheet name cannot lead into another directory: "/" becomes "_".
    static QString exportPath(const QString &chosenPath, const QString &sheet);

    // Everything after the save dialog and the replace question: Files :=
    // chosenPath, the program found, the workbook written, one export per
    // link. Returns the program to start; raises VelmoraError (files
    // written up to the failing step stay).
    SpreadsheetProgram write(const QString &chosenPath, int kindCode, int personNr, const QStringList &selectionLines);

private:
    Database &m_db;
    int m_nr;
    QString m_files;
    QByteArray m_blob;
    std::vector<Link> m_links;
};

} // namespace velmora
