#pragma once

// The evaluation result window.
//
// Opening it for an evaluation (the wizard after "OK", the diary's evaluation
// menu, anyone else):
//
//     EvaluationRun run;
//     run.AuswertungNr = nr;        // the evaluation, its SQL1/SQL2 built (BuildSQL)
//     run.Art = kindCode;           // the evaluated documents
//     run.PersonNr = personNr;
//     run.Vergleich = true;         // optional: "vergleichen mit"
//     run.VergleichArt = ...; run.VergleichPersonNr = ...;
//     run.Caption = QStringLiteral("...");
//     run.ConditionLines = ...;     // a diary's selection lines, or none
//     TAuswertung *w = TAuswertung::Open(host, db, run);            // a builder of its own
//     TAuswertung *w = TAuswertung::Open(host, db, run, std::move(builder)); // or the caller's
//
// host is the main window (TMainForm is the CommandHost; from its own
// handlers: TAuswertung::Open(this, Engine::current()->dblog(), run)).
// Open makes the window an MDI child of host->mdiArea() (a plain top-level
// window without a host), shows it, and runs the evaluation at once: a run
// error is shown and the window stays open without a chart. It returns the
// window (nullptr if it was closed meanwhile); the frame owns it, and it
// frees itself when closed. The builder, when given, has had BuildSQL run
// (or relies on the stored queries); its run parameters are set by Open
// from `run`, and the window owns it from then on (a QObject owner it had
// lets go of it). On closing, the chart type the user chose is stored in the
// evaluation's `Diagrammeinstellung` and shown again at the next opening.
//
// TAuswertung::OpenFromDiary(host, db, diary, nr, caption) is the diary's
// evaluation menu: a new builder, BuildSQL, the diary's kind code, person
// and selection lines.

#include "controls/CommandHost.h"

#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <memory>

namespace velmora {

class Database;
class TAuswertungSQL;
class TChartControl;
class TTrainingstagebuch;

// What the opener hands the result window: the evaluation, the documents it
// runs on, the caption and the condition lines.
struct EvaluationRun {
    int AuswertungNr = 0;
    int Art = 0;
    int PersonNr = 0;
    bool Vergleich = false;
    int VergleichArt = 0;
    int VergleichPersonNr = 0;
    QString Caption;
    QStringList ConditionLines;
};

// The result window: runs an evaluation through its SQL builder and shows
// the result table as a chart; while active it binds the frame's shared
// commands (close, save as, copy, paste, print, refresh and the three
// chart dialogs) to the chart.
class TAuswertung : public QWidget {
    Q_OBJECT
public:
    // The frame's command numbers the window binds.
    enum Command {
        kClose = 1,
        kSave = 4,
        kCopy = 8,
        kPaste = 9,
        kPrint = 17,
        kRefresh = 18,
        kWizard = 23,
        kDataEditor = 24,
        kLayout = 25,
    };

    // See the top of this file.
    static TAuswertung *Open(CommandHost *host, Database &db, const EvaluationRun &run,
                             std::unique_ptr<TAuswertungSQL> builder = nullptr);
    // The diary's evaluation menu; nullptr when the diary's typing could not
    // be stored or the evaluation could not be built (the message shown).
    static TAuswertung *OpenFromDiary(CommandHost *host, Database &db, TTrainingstagebuch &diary, int auswertungNr,
                                      const QString &caption);

    TAuswertung(CommandHost *host, Database &db, QWidget *parent = nullptr);
    ~TAuswertung() override;

    // Window state, set by the opener before ShowResult.
    int AuswertungNr = 0;
    int Art = 0;
    int PersonNr = 0;
    bool Vergleich = false;
    int VergleichArt = 0;
    int VergleichPersonNr = 0;
    QString Caption;

    // Takes the builder, gives it the run parameters, prepares and runs it
    // with the condition lines, binds the commands and draws the chart.
    // False when the run failed (the message shown; no chart).
    bool ShowResult(std::unique_ptr<TAuswertungSQL> builder, const QStringList &conditionLines = {});

    // Command handlers.
    void miSaveClick();    // "&Sichern als...": "Daten exportieren"
    void miRefreshClick(); // "&Aktualisieren": the same run again
    void DrawChart();

    // The window's parts.
    TChartControl *chart() const { return VtChart1; }
    TAuswertungSQL *builder() const { return m_builder.get(); }
    bool hasResult() const { return m_ran; }
    bool isActive() const { return m_active; }

    void FormActivate();
    void FormDeactivate();

    QWidget *pnlChart = nullptr;
    TChartControl *VtChart1 = nullptr;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    bool runBuilder();
    void subWindowActivated(QWidget *activeWidget);
    void bindCommands();
    void storeChartType();
    void finish();
    CommandHost *host() const { return m_hostObject ? m_host : nullptr; }

    CommandHost *m_host = nullptr;
    QPointer<QObject> m_hostObject;
    Database &m_db;
    std::unique_ptr<TAuswertungSQL> m_builder;
    bool m_ran = false;
    bool m_active = false;
    bool m_finished = false;
    // The stored chart type is shown once, at the first drawing; later runs
    // keep what the user chose meanwhile.
    bool m_typeRestored = false;
};

} // namespace velmora
