#pragma once

#include "app/TMainForm.h"
#include "diary/TTrainingstagebuch.h"
#include "support/ClubFixture.h"

#include <QMdiArea>
#include <QMdiSubWindow>

namespace velmora::test {

// Anna's diary of the given kind, opened in the main window the way the open
// dialog opens it (her group and coach set) and made the active window, so
// that the frame's menu binds to it.
inline TTrainingstagebuch *OpenAnnasDiary(TMainForm &form, int kind) {
    TTrainingstagebuch *diary = form.CreateDiary();
    diary->PersonNr = ClubFixture::kAnna;
    diary->Name = QStringLiteral("Berg Anna");
    diary->GruppenNr = ClubFixture::kJugend;
    diary->TrainerNr = ClubFixture::kCoach;
    diary->KindCode = kind;
    diary->initialise(false);
    diary->show();
    form.mdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow *>(diary->parentWidget()));
    return diary;
}

} // namespace velmora::test
