// The workbook menu of the diary window (class TTrainingstagebuch): the save
// dialog, the replace question and the wait cursor around writing the exports
// and starting the spreadsheet program; the work itself is WorkbookOpening's.
#include "evaluation/WorkbookCommand.h"

#include "base/Errors.h"
#include "base/Messages.h"
#include "evaluation/WorkbookOpening.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <memory>

namespace velmora {

namespace {
struct WaitCursor {
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor &) = delete;
    WaitCursor &operator=(const WaitCursor &) = delete;
};
} // namespace

bool OpenWorkbookFromDiary(QWidget *parent, Database &db, int workbookNr, int kindCode, int personNr,
                           const QStringList &selectionLines) {
    try {
        WorkbookOpening opening(db, workbookNr);
        const QFileInfo offered(opening.files());

        QFileDialog dialog(parent, QStringLiteral("Speichern unter"));
        dialog.setObjectName(QStringLiteral("dlgSave"));
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        // The replace question below is the system's own.
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
        if (!opening.files().isEmpty()) {
            dialog.setDirectory(offered.absolutePath());
            dialog.selectFile(offered.fileName());
            dialog.setDefaultSuffix(offered.suffix());
        }
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return false;
        const QString path = QFileInfo(dialog.selectedFiles().constFirst()).absoluteFilePath();
        const QString shown = QDir::toNativeSeparators(path);

        if (QFileInfo::exists(path)) {
            if (!Messages::question(QStringLiteral("Soll die vorhandene Datei \"%1\" ersetzt werden?").arg(shown)))
                return false;
            QFile file(path);
            if (!file.remove())
                throw VelmoraError(
                    QStringLiteral("Die Datei \"%1\" kann nicht gelöscht werden: %2").arg(shown, file.errorString()));
        }

        SpreadsheetProgram program;
        {
            WaitCursor wait;
            program = opening.write(path, kindCode, personNr, selectionLines);
        }
        program.startDetached();
        return true;
    } catch (const VelmoraError &e) {
        Messages::error(e.message());
        return false;
    }
}

} // namespace velmora
