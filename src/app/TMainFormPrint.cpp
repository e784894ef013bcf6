// The main window's print commands: both print the list of the diary that
// handed over its print source last.
#include "app/TMainForm.h"

#include "design/FormElementCache.h"
#include "print/TPreview.h"

namespace velmora {

void TMainForm::miPage1Click() {
    // What a diary holds unsaved would be missing from the pages.
    if (!CommitChildren())
        return;
    TPreview preview(FormElementCache(), this);
    preview.SetSource(m_printTitle, m_printCursor.data());
    preview.exec();
}

void TMainForm::miPrint1Click() {
    if (!CommitChildren())
        return;
    TPreview preview(FormElementCache(), this);
    preview.SetSource(m_printTitle, m_printCursor.data());
    preview.PrintWithDialog();
}

} // namespace velmora
