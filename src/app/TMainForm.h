#pragma once

#include "controls/CommandHost.h"
#include "store/Cursor.h"

#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <map>
#include <memory>
#include <vector>

class QAction;
class QLabel;
class QMdiArea;
class QMenu;
class QToolBar;
class QToolButton;

namespace velmora {

class Progress;
class TTrainingstagebuch;

// The program's MDI frame: login values, menus and tool bar, the shared
// commands the active child binds, the clipboard and the print source.
class TMainForm : public QMainWindow, public CommandHost {
    Q_OBJECT
public:
    using Handler = CommandHost::Handler;

    explicit TMainForm(Progress *progress = nullptr, QWidget *parent = nullptr);
    ~TMainForm() override;

    int LoginPersonNr = 0;
    int LoginGruppenNr = 0;
    int LoginTrainerNr = 0;

    // Copies the login of a person into the window: the login values and the
    // status text "Angemeldet: <Vorname> <Nachname>".
    void ApplyLogin(int personNr);

    // Shared commands: a child binds its handler while it is active.
    void SetMenuCommand(int command, bool enable, Handler handler = {}) override;
    void SetViewMenus(int mode) override;

    // Clipboard of copied objects.
    void StartCopyObject(int kind) override;
    void AddCopyObject(std::unique_ptr<CopyObject> object) override;
    int PasteObjectCount(int kind) const override;
    CopyObject *GetPasteObject(int index) const override;

    void SetPrintSource(const QString &title, Cursor *cursor) override;
    const QString &printTitle() const { return m_printTitle; }
    Cursor *printCursor() const override { return m_printCursor.data(); }

    int loginPersonNr() const override { return LoginPersonNr; }
    QMdiArea *mdiArea() const override { return m_mdi; }
    QObject *hostObject() override { return this; }
    QAction *action(const QString &objectName) const;
    QToolBar *toolBar() const { return m_toolBar; }
    QString statusText(int panel) const;

    // Handlers of the menu items.
    void CloseAll1Click();
    void miRelogin1Click();
    void miOpen1Click();
    // "Löschen": an object chosen in the open dialog, with its dependants.
    void miDeleteClick();
    void miSportler1Click();
    void miTable1Click();
    void miTrKz1Click();
    void miFilter2Click();
    // "A&rbeitsbuch": the workbook link window for a new workbook.
    void miAnalyse1Click();
    // The workbook link window for a workbook (0: a new one); true when it
    // ended with "&Fertig".
    bool OpenWorkbookWindow(int analyseNr, bool readOnly);
    // A diary's workbook menu: the workbook opened on the diary's documents.
    void DiaryOpenWorkbook(TTrainingstagebuch &diary, int analyseNr);
    // "&Daten einlesen.." and "Backup...": the exchange window in its import
    // and backup modes.
    void miExcange1Click();
    void miBackup1Click();
    // "&Daten exportieren..." of a diary: its entries into an exchange archive.
    void DiaryExportData(TTrainingstagebuch &diary);
    // "&Auswertung" under "&Neu...": the evaluation wizard for a new evaluation.
    void miSolver1Click();
    // The evaluation wizard on an evaluation (0: a new one); when it is
    // finished with its test flag, the evaluation runs in a result window.
    void RunEvaluationWizard(int auswertungNr, bool readOnly, const QString &name);
    // "&Neuer Eintrag..." of a diary: the search dialog, then a copy of the chosen entry.
    void DiaryNewEntry(TTrainingstagebuch &diary);
    // A new diary window in the frame, with the entry view and the pick-list
    // editor connected; the caller sets its state and initialises it.
    TTrainingstagebuch *CreateDiary();
    // The blank entry of a form in single-entry mode, to fill in its defaults.
    void OpenFormFillIn(int serienNr, int trNr, const QString &formName, bool readOnly);
    // The layout editor for the block just designed (the provisional form 0).
    void OpenLayoutEditor();
    // Opens the pick-list editor for one field of a form, its caption
    // naming the block and the field.
    void EditPickList(int formularNr, int tableNr, int feldNr, bool readOnly, const QString &displayName);
    void miToolbar1Click();
    void miFensterPopup();
    void miCloseChildClick();

    // "S&eite einrichten...": the print setup with the active diary's list;
    // "&Drucken...": the print dialog at once, with the stored settings.
    void miPage1Click();
    void miPrint1Click();

    // The own handlers behind commands 3 (print, page setup); the print
    // dialog joins them with the printing of the diary.
    Handler ownPrint;
    Handler ownPageSetup;

    // Rebuilds the document list for the login values.
    void RebuildDocumentList();
    // Rebuilds the shared list of form elements after blocks or forms changed.
    void ReloadFormElements();
    // Stores what is typed in every diary window; false (the message shown)
    // when one of them cannot. Runs before a designer that keeps its own
    // changes open until "Fertig", so that its "Abbruch" cannot take the
    // diaries' changes back with its own.
    bool CommitChildren();

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    bool event(QEvent *event) override;

private:
    QAction *addItem(QMenu *menu, const char *name, const QString &caption, const QString &hint, bool enabled,
                     const QKeySequence &shortcut = {});
    void bindDefault(QAction *action, Handler handler);
    void buildMenus();
    void buildToolBar();
    void dispatch(QAction *action);

    Progress *m_progress;
    QMdiArea *m_mdi = nullptr;
    QToolBar *m_toolBar = nullptr;
    QLabel *m_panel0 = nullptr;
    QLabel *m_panel1 = nullptr;
    QMenu *m_diagramMenu = nullptr;
    QMenu *m_windowMenu = nullptr;
    std::map<QString, QAction *> m_actions;
    std::map<QAction *, Handler> m_handlers;
    std::map<QAction *, Handler> m_defaults;
    // Tool bar buttons that follow a menu item's state and handler.
    std::map<QAction *, std::vector<QAction *>> m_followers;

    int m_copyKind = 0;
    std::vector<std::unique_ptr<CopyObject>> m_copyList;
    QString m_printTitle;
    QPointer<Cursor> m_printCursor;
};

} // namespace velmora
