// The main window's evaluation commands: the wizard for a new evaluation
// and for one chosen in the open dialog, and the run it may ask for.
#include "app/TMainForm.h"
#include "evaluation/TAuswertung.h"
#include "evaluation/TAuswertungSQL.h"
#include "evaluation/TAuswertungsAssistent.h"
#include "store/Engine.h"

namespace velmora {

void TMainForm::miSolver1Click() {
    RunEvaluationWizard(0, false, QString());
}

void TMainForm::RunEvaluationWizard(int auswertungNr, bool readOnly, const QString &name) {
    Database &db = Engine::current()->dblog();
    std::unique_ptr<TAuswertungSQL> builder;
    EvaluationRun run;
    {
        TAuswertungsAssistent wizard(db, this);
        wizard.setAuswertungNr(auswertungNr);
        wizard.setReadOnly(readOnly);
        wizard.setPersonNr(LoginPersonNr);
        wizard.setGruppenNr(LoginGruppenNr);
        wizard.setCaptionStart(name);
        if (wizard.exec() == QDialog::Accepted && wizard.Test()) {
            run = wizard.runRequest();
            builder = wizard.takeBuilder();
        }
    }
    // Also after "Abbruch": the wizard's pages may have stored the name.
    RebuildDocumentList();
    if (builder)
        TAuswertung::Open(this, db, run, std::move(builder));
}

} // namespace velmora
