// The main window's commands that open other windows.
#include "app/LoginValues.h"
#include "app/Messages.h"
#include "app/TMainForm.h"
#include "app/TPassCheck.h"
#include "people/TSportlerkartei.h"
#include "store/DocumentList.h"
#include "store/Engine.h"
#include "store/OpenDialogRules.h"
#include "store/TFrmOpen.h"

#include <QLabel>
#include <QMdiArea>

namespace velmora {

void TMainForm::ApplyLogin(int personNr) {
    const LoginValues v = LoginValuesFor(Engine::current()->dblog(), personNr);
    LoginPersonNr = v.personNr;
    LoginGruppenNr = v.gruppenNr;
    LoginTrainerNr = v.trainerNr;
    findChild<QLabel *>(QStringLiteral("StatusPanel0"))->setText(v.statusText);
}

void TMainForm::RebuildDocumentList() {
    try {
        if (m_progress)
            BuildDocumentList(m_progress, LoginPersonNr, LoginGruppenNr);
        else
            velmora::RebuildDocumentList(Engine::current()->dblog(), nullptr, LoginPersonNr, LoginGruppenNr);
    } catch (const VelmoraError &e) {
        Messages::error(e.message());
    }
}

void TMainForm::miRelogin1Click() {
    CloseAll1Click();
    if (!m_mdi->subWindowList().isEmpty())
        return;  // a child refused to close; the login stays
    {
        TPassCheck login(this, QStringLiteral("TB"));
        if (login.exec() == QDialog::Accepted)
            ApplyLogin(login.personNr());
    }
    // Rebuilt after a cancel as well: the previous login stays in force.
    RebuildDocumentList();
}

void TMainForm::miOpen1Click() {
    TFrmOpen open(this);
    open.setLoginPersonNr(LoginPersonNr);
    open.setLoginGruppenNr(LoginGruppenNr);
    open.setLoginTrainerNr(LoginTrainerNr);
    if (open.exec() != QDialog::Accepted)
        return;
    bool changed = false;
    switch (open.Art()) {
    case KindPersonOrGroup: {
        // The login values stay untouched: overwriting the group here would
        // silently change the rights of later document lists.
        TSportlerkartei card(open.Key1(), open.Trainer(), open.ReadOnly(), open.Name().left(50), this);
        changed = card.exec() == QDialog::Accepted;
        break;
    }
    default:
        // The diary, the designers, the filter window, the evaluations and
        // the workbooks come with their own windows.
        Messages::information(QStringLiteral("\"%1\" kann in dieser Version noch nicht geöffnet werden.").arg(open.Name()));
        break;
    }
    if (changed)
        RebuildDocumentList();
}

void TMainForm::miSportler1Click() {
    TSportlerkartei card(0, LoginTrainerNr, false, QString(), this);
    if (card.exec() == QDialog::Accepted)
        RebuildDocumentList();
}

} // namespace velmora
