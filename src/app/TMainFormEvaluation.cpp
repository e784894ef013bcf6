// The main window's evaluation commands: the wizard for a new evaluation
// and for one chosen in the open dialog, and the run it may ask for.
#include "app/TMainForm.h"
#include "evaluation/TAuswertungSQL.h"
#include "evaluation/TAuswertungsAssistent.h"
#include "store/Engine.h"

namespace velmora {

void TMainForm::miSolver1Click() {
    RunEvaluationWizard(0, false, QString(), 0);
}

void TMainForm::RunEvaluationWizard(int auswertungNr, bool readOnly, const QString &name, int formFilter) {
    std::unique_ptr<TAuswertungSQL> builder;
    EvaluationRun run;
    {
        TAuswertungsAssistent wizard(Engine::current()->dblog(), this);
        wizard.setAuswertungNr(auswertungNr);
        wizard.setReadOnly(readOnly);
        wizard.setPersonNr(LoginPersonNr);
        wizard.setGruppenNr(LoginGruppenNr);
        wizard.setCaptionStart(name);
        if (wizard.exec() == QDialog::Accepted && wizard.Test()) {
            run = wizard.runRequest();
            run.formFilter = formFilter;
            builder = wizard.takeBuilder();
        }
    }
    // Also after "Abbruch": the wizard's pages may have stored the name.
    RebuildDocumentList();
    if (builder && openResult)
        openResult(run, std::move(builder));
}

} // namespace velmora
