#pragma once

#include "diary/DiaryEntryList.h"
#include "diary/EntryView.h"

#include <QDate>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>

class QAction;
class QActionGroup;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QSplitter;
class QToolBar;
class QToolButton;
class QVBoxLayout;

namespace velmora {

class Database;
class DiaryListModel;
class TDBTypeGrid;
class CommandHost;

// The diary window: an MDI child that lists the entries of one person or
// group for one kind code, narrowed by a saved filter and dates, and shows
// the current entry on the right in an entry view.
class TTrainingstagebuch : public QWidget {
    Q_OBJECT
public:
    using Hook = std::function<void(TTrainingstagebuch &)>;

    // The window for the frame's shared commands and print source, on
    // the given database (DBLOG of the current engine without one). The user
    // starts as the frame's logged-in person.
    TTrainingstagebuch(CommandHost *host, Database &db, QWidget *parent = nullptr);
    explicit TTrainingstagebuch(CommandHost *host, QWidget *parent = nullptr);
    ~TTrainingstagebuch() override;

    // Window state, set by the opener before initialise.
    int PersonNr = 0;
    QString Name;
    int GruppenNr = 0;
    int TrainerNr = 0;
    int User = 0;
    int KindCode = 2;
    int FilterNr = 0;
    int SerienNr = 0; // the entry of single-entry and layout mode
    int TrNr = 0;
    int FormularNr = 0; // deletion selection by form
    bool ReadOnly = false;
    bool DetailOnly = false;
    bool Single = false;
    bool Layout = false;
    bool Deletion = false;

    // State the window keeps.
    bool SeveralPersons = false;
    bool FilterChanged = false;
    bool Busy = false;
    bool Ready = false;
    int LastAuthor = 0;
    int LastForm = -1; // -1: no entry view shown yet
    QDate NoDate;
    QStringList SelectionLines;

    // Creates the entry views; the real one is connected by the program.
    EntryViewFactory entryViewFactory;
    // Writes the layout of the entry view back (layout and single-entry mode,
    // before the view is freed on close).
    std::function<void(EntryView *)> saveLayout;
    // Operations that belong to other windows; a command or button whose
    // operation is not connected stays disabled.
    Hook newEntry, copyEntries, pasteEntries, deleteEntry, exportData;
    std::function<void(TTrainingstagebuch &, int filterNr)> editFilter;
    std::function<void(TTrainingstagebuch &, int evaluationNr, const QString &title)> runEvaluation;
    std::function<void(TTrainingstagebuch &, int workbookNr)> openWorkbook;

    void initialise(bool single, const QDate &from = {}, const QDate &to = {});

    // The list.
    void RebuildList();
    void ShowCurrentEntry();
    // Re-reads the list and puts it on the entry (after leaving the entry
    // view, and after new, paste and copy).
    void RefindEntry(const QDateTime &date, int serienNr, int trNr);
    Cursor &listCursor() { return m_list.cursor(); }
    DiaryEntryList &entryList() { return m_list; }
    EntryView *entryView() const { return m_view.data(); }
    // Frees the entry view after committing it (before operations that
    // change the entries under it).
    void DiscardEntryView();
    // Stores what is typed in the entry view, an open grid cell included.
    // False when it could not be stored: the message has been shown and the
    // typing stays in the view.
    bool CommitEntryView();

    // Handlers.
    void Kat1Click(QAction *item);
    void Vis1Click(QAction *item);
    void cbxFilterChange(int index);
    void FilterChange();
    void tbFilterExit();
    void btnFilter1Click();
    void dbgTrEnter();
    void dbgTrExit();
    void EntryViewEnter();
    void EntryViewExit();
    void FormActivate();
    void FormDeactivate();
    void miRefreshClick() { ShowCurrentEntry(); }

    // Controls.
    QToolBar *tbFilter = nullptr;
    QToolButton *btnKat1 = nullptr;
    QAction *miIst = nullptr;
    QAction *miSoll = nullptr;
    QToolButton *btnVis1 = nullptr;
    QAction *miDetails = nullptr;
    QAction *miWoche = nullptr;
    QAction *miZyklus = nullptr;
    QComboBox *cbxFilter = nullptr;
    QCheckBox *cbxVon1 = nullptr;
    QDateEdit *txtVon1 = nullptr;
    QCheckBox *cbxBis1 = nullptr;
    QDateEdit *txtBis1 = nullptr;
    QToolButton *btnFilter1 = nullptr;
    QToolButton *btnAuswertung = nullptr;
    QToolButton *tbAnalyse = nullptr;
    TDBTypeGrid *dbgTr = nullptr;
    DiaryListModel *quTr = nullptr;
    QWidget *pnlList = nullptr;
    QWidget *sbTraining = nullptr;

    bool isActive() const { return m_active; }

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls();
    void fillMenus();
    void bindListCommands();
    void bindPasteCommand();
    void unbindCommand(int command);
    void showEntry(bool focusView);
    // Puts the list back on the entry the right-hand side shows.
    void returnToShownEntry();
    // The store step of CommitEntryView without re-finding the entry.
    bool storeView(bool *headerChanged = nullptr);
    void focusChanged(QWidget *old, QWidget *now);
    void subWindowActivated(QWidget *activeWidget);
    void finish();
    DiaryQueryInput queryInput();
    void tickKind(int kindCode);
    QDate pickerDate(QDateEdit *edit, QCheckBox *tick) const;

    // None once the frame is gone.
    CommandHost *host() const { return m_hostObject ? m_host : nullptr; }

    CommandHost *m_host = nullptr;
    QPointer<QObject> m_hostObject;
    Database &m_db;
    DiaryEntryList m_list;
    QPointer<EntryView> m_view;
    QVBoxLayout *m_entryLayout = nullptr;
    QSplitter *m_splitter = nullptr;
    QActionGroup *m_kindGroup = nullptr;
    QActionGroup *m_levelGroup = nullptr;
    std::vector<DocumentListItem> m_filters;
    QString m_title;
    QString m_caption;
    bool m_newEntryLocked = false;
    bool m_active = false;
    bool m_finished = false;
    // The entry last shown, to re-find it by its previous date.
    QDateTime m_shownDatum;
    int m_shownSerienNr = 0;
    int m_shownTrNr = 0;
};

} // namespace velmora
