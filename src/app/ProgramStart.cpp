#include "app/ProgramStart.h"

#include "app/DocumentList.h"
#include "app/Installation.h"
#include "app/TAboutBox.h"
#include "app/TMainForm.h"
#include "app/TPassCheck.h"
#include "app/TStartUp.h"
#include "base/Messages.h"
#include "base/Settings.h"
#include "design/FormElementCache.h"
#include "evaluation/TAuswertungSQL.h"
#include "people/TSportlerkartei.h"

#include <QDir>
#include <QGuiApplication>
#include <cstdio>

namespace velmora {

ProgramStart::ProgramStart(Installation &installation) : m_installation(installation) {}
ProgramStart::~ProgramStart() = default;

TAboutBox &ProgramStart::aboutBox() {
    if (!m_about)
        m_about = std::make_unique<TAboutBox>();
    return *m_about;
}

bool ProgramStart::runFirstStart() {
    ReadSettings();
    if (settings().Level <= 0)
        return true;
    TStartUp wizard;
    wizard.editPerson = [&wizard](int personNr, int coach, bool newGroup) {
        TSportlerkartei card(personNr, coach, false, QString(), &wizard);
        card.setPasswordRequired(true);
        card.setNewGroup(newGroup);
        return card.exec() == QDialog::Accepted ? card.personNr() : 0;
    };
    wizard.findPerson = [&wizard] {
        TPassCheck login(&wizard, QStringLiteral("1."));
        return login.exec() == QDialog::Accepted ? login.personNr() : 0;
    };
    settings().Level = 0;
    if (wizard.exec() != QDialog::Accepted) {
        Messages::error(QStringLiteral("Ersteinstieg mißlungen.\rStarten Sie das Programm bitte nochmals."));
        return false;
    }
    ReadSettings();
    return true;
}

void ProgramStart::buildCache() {
    TAboutBox &about = aboutBox();
    about.AddStep(QStringLiteral("Datenbank überprüfen"));
    about.AddStep(QStringLiteral("Templates erstellen"));
    about.ShowProgress();
    about.StepDone();
    try {
        // Temporary tables of a run that was killed; nothing else holds them now.
        DropStaleTempTables(m_installation.dblog());
        LoadFormElementCache(m_installation.dblog(), &about);
    } catch (...) {
        about.CloseProgress();
        throw;
    }
    about.CloseProgress();
}

bool ProgramStart::login() {
    TPassCheck login(nullptr, QStringLiteral("TB"));
    if (login.exec() != QDialog::Accepted)
        return false;
    m_person = login.personNr();
    return true;
}

std::unique_ptr<TMainForm> ProgramStart::createMainWindow() {
    auto form = std::make_unique<TMainForm>(&aboutBox());
    form->ApplyLogin(m_person);
    BuildDocumentList(&aboutBox(), form->LoginPersonNr, form->LoginGruppenNr);
    QGuiApplication::setApplicationDisplayName(QString());
    QGuiApplication::setApplicationName(QStringLiteral("Velmora 5"));
    form->setWindowTitle(QStringLiteral("Velmora 5.3"));
    return form;
}

int ProgramStart::refuseStart(const QString &message, bool withWindows) {
    std::fprintf(stderr, "velmora5: %s\n", message.toLocal8Bit().constData());
    std::fflush(stderr);
    if (withWindows)
        Messages::error(message);
    return 2;
}

void ProgramStart::reportReadOnly() {
    Database &db = m_installation.dblog();
    if (db.isReadOnly())
        Messages::information(
            QStringLiteral("Die Datenbank %1 ist schreibgeschützt. Velmora 5 öffnet alle Fenster nur zum Lesen; "
                           "Änderungen können nicht gespeichert werden.")
                .arg(QDir::toNativeSeparators(db.filePath())));
}

int ProgramStart::run() {
    try {
        if (!runFirstStart())
            return 1;
        reportReadOnly();
        buildCache();
        if (!login())
            return 0;
        std::unique_ptr<TMainForm> form = createMainWindow();
        form->show();
        return QGuiApplication::exec();
    } catch (const VelmoraError &e) {
        Messages::error(e.message());
        return 1;
    }
}

} // namespace velmora
