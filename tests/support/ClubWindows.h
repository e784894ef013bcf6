#pragma once

#include "app/TMainForm.h"
#include "diary/TTrainingstagebuch.h"
#include "support/ClubFixture.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <memory>

namespace velmora::test {

// The main window at a size that shows every tool bar, the club's coach
// logged in, shown and asked to become active; the caller waits for that.
inline std::unique_ptr<TMainForm> StartMainForm() {
    auto form = std::make_unique<TMainForm>();
    form->resize(1200, 800);
    form->ApplyLogin(ClubFixture::kCoach);
    form->show();
    form->activateWindow();
    return form;
}

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
