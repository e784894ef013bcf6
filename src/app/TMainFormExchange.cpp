// The main window's exchange commands: reading and importing an archive,
// the backup, and the export of a diary's entries.
#include "app/TMainForm.h"
#include "app/TTrTbCopy.h"
#include "diary/TTrainingstagebuch.h"

#include <QMdiArea>

namespace velmora {

namespace {
// The entries a diary lists. Its selection lines leave the kind to the
// query's first line, so a protocol export would carry the person's plans
// too; the kind goes in front. The blank entry of a form (single-entry and
// layout mode) has no selection lines: its own key chooses it.
QStringList exportSelection(const TTrainingstagebuch &diary) {
    if (diary.Single || diary.Layout)
        return {QStringLiteral("(tr.SerienNr = %1) and (tr.TrNr = %2)").arg(diary.SerienNr).arg(diary.TrNr)};
    if (diary.SelectionLines.isEmpty())
        return {};
    return QStringList{QStringLiteral("(tr.Art = %1) and").arg(diary.KindCode)} + diary.SelectionLines;
}
} // namespace

void TMainForm::miExcange1Click() {
    CloseAll1Click();
    // A window that kept typing it could not store stays open; the import
    // must not change the data under it.
    if (!m_mdi->subWindowList().isEmpty())
        return;
    TTrTbCopy copy(TTrTbCopy::ModeImport, LoginPersonNr, LoginTrainerNr, LoginGruppenNr, m_progress, this);
    copy.exec();
}

void TMainForm::miBackup1Click() {
    CloseAll1Click();
    // What a window could not store would be missing from the backup.
    if (!m_mdi->subWindowList().isEmpty())
        return;
    TTrTbCopy copy(TTrTbCopy::ModeBackup, LoginPersonNr, LoginTrainerNr, LoginGruppenNr, m_progress, this);
    copy.Execute();
}

void TMainForm::DiaryExportData(TTrainingstagebuch &diary) {
    // What is being typed belongs to the export.
    if (!diary.CommitEntryView())
        return;
    const QStringList selection = exportSelection(diary);
    if (selection.isEmpty())
        return; // the list could not be built: there is nothing it chooses
    TTrTbCopy copy(TTrTbCopy::ModeExport, diary.PersonNr, diary.TrainerNr, diary.GruppenNr, m_progress, this);
    copy.setSelection(selection);
    copy.Execute();
}

} // namespace velmora
