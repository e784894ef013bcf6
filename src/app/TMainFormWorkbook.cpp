// The main window's commands for the analysis workbooks.
#include "app/TMainForm.h"
#include "diary/TTrainingstagebuch.h"
#include "evaluation/TWorkbookDataLink.h"
#include "evaluation/WorkbookCommand.h"
#include "store/Engine.h"

namespace velmora {

bool TMainForm::OpenWorkbookWindow(int analyseNr, bool readOnly) {
    // The window keeps its changes in one transaction up to "&Fertig";
    // what the diaries hold is stored before, so that "Abbruch" cannot take
    // it back with the window's changes.
    if (!CommitChildren())
        return false;
    TWorkbookDataLink window(analyseNr, LoginPersonNr, readOnly, this);
    return window.prepare() && window.exec() == QDialog::Accepted;
}

void TMainForm::miAnalyse1Click() {
    if (OpenWorkbookWindow(0, false))
        RebuildDocumentList();
}

void TMainForm::DiaryOpenWorkbook(TTrainingstagebuch &diary, int analyseNr) {
    // The evaluations read what is stored: the typing of the entry view
    // belongs in first. A failed save keeps it there and opens nothing.
    if (!diary.CommitEntryView())
        return;
    OpenWorkbookFromDiary(this, Engine::current()->dblog(), analyseNr, diary.KindCode, diary.PersonNr,
                          diary.SelectionLines);
}

} // namespace velmora
