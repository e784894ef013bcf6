#pragma once

#include "controls/DBControls.h"
#include "controls/TDBTypeGrid.h"
#include "design/TTREList.h"
#include "diary/EntryOperations.h"
#include "diary/EntryRules.h"

#include <QFrame>
#include <QPointer>
#include <QSet>
#include <memory>
#include <vector>

class QLabel;

namespace velmora {

class Cursor;
class Database;
class Query;
class TDataSource;
class TDBLookupComboBox;
class TDBTypeGrid;
class TTrainingseintrag;

// One block of an entry's form: its table limited to the entry, shown as a
// card of field controls or as a grid, and in layout or single-entry mode
// movable and sizable with the mouse and the keyboard.
class TTrainingselement : public QFrame {
    Q_OBJECT
public:
    struct Setup {
        int person = 0, user = 0;
        int formularNr = 0, tableNr = 0;
        int serienNr = 0, trNr = 0;
        bool layout = false, single = false, readOnly = false;
        int kindCode = 2;
    };

    TTrainingselement(TTrainingseintrag *view, QWidget *parent, const Setup &setup, Database &db);
    ~TTrainingselement() override;

    // Opens the block table for the entry and creates the controls. Raises
    // EngineError for a missing table or a field column the table lacks.
    void build(const QString &filename, bool grid, bool client, bool header);
    void reKey(int serienNr, int trNr, bool readOnly, int person);
    // Finishes an open grid cell editor, then posts the row; true when it had
    // unsaved changes. A failing post is reported; the typing stays in the
    // row (saveFailed) unless the panel is being freed.
    bool commit(bool freeing);
    // Whether the last commit could not store the row.
    bool saveFailed() const { return m_saveFailed; }

    // The grid row commands, bound while the focus is in a grid panel of an
    // editable entry in list mode. Each posts the pending row first and
    // re-reads the grid afterwards; errors are shown.
    // "&Kopieren": the selected rows to the clipboard.
    void copyRows();
    // "Neue &Zeile": max(1, selected) empty rows at the current row.
    void newRows();
    // "&Einfügen": the copied rows of this table at the current row.
    void pasteRows();
    // "&Löschen": the selected rows, after asking.
    void deleteRows();
    // Whether the panel has announced its row commands enabled.
    bool rowCommandsBound() const { return m_rowCommandsBound; }
    // Announces the row commands disabled if they are bound.
    void releaseRowCommands();

    // Sets the panel's size; a client memo or the grid follows it.
    void setPanelSize(const QSize &size);

    // What saving the layout writes for this block.
    std::vector<ElementLayout> layoutToSave() const;

    int tableNr() const { return m_setup.tableNr; }
    bool isHeader() const { return m_header; }
    bool isGrid() const { return m_grid; }
    bool isClient() const { return m_client; }
    bool isReadOnly() const { return m_setup.readOnly; }
    int nextRowNumber() const { return m_nextOrder; }
    Cursor *table() const { return m_table.get(); }
    TDataSource *dataSource() const { return m_source; }
    TDBTypeGrid *grid() const { return m_gridControl; }
    QWidget *firstControl() const { return m_firstControl; }
    const QList<QLabel *> &labels() const { return m_labels; }
    const QSet<int> &pickListColumns() const { return m_pickListColumns; }
    // One slot per visible grid column: its in-grid pick-list control or null.
    const QList<QPointer<TDBLookupComboBox>> &gridPickLists() const { return m_gridPickLists; }
    LayoutDrag::State &dragState() { return m_drag; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    // What the panel keeps of a field element: the shared list may be
    // reloaded while the panel lives, so it holds copies, not pointers.
    struct Slot {
        TTREListEntry element; // without its control references
        QPointer<QLabel> prefix, postfix;
        QPointer<QWidget> control;
    };

    void openTable(const QString &filename);
    void startRow();
    void buildGrid();
    void buildCard();
    QWidget *createControl(Slot &slot);
    QLabel *createLabel(const QString &name, const QString &caption, int left, int top);
    TDBLookupComboBox *createPickList(const TTREListEntry &e, bool inGrid);
    void installLayoutHandlers(QWidget *w, bool mouse, bool keys = true);
    void applyReadOnlyColour(QWidget *w);
    void gridCellEntered(const QModelIndex &current);
    bool gridPickListKey(TDBLookupComboBox *box, QKeyEvent *key);
    void openPickListEditor(TDBLookupComboBox *box);
    bool layoutEvent(QWidget *w, QEvent *event);
    bool rowCommandsAllowed() const;
    bool holds(const QWidget *w) const;
    void focusMoved(QWidget *now);
    void bindRowCommands();
    void announce(int command, bool enable, void (TTrainingselement::*handler)());
    bool finishEditing();
    std::vector<int> selectedOrders();
    int selectedRowCount() const;
    int currentOrder();
    void reread(int row);
    void runRowCommand(const std::function<bool()> &operation);
    std::vector<RowReference *> clipboardRows() const;

    TTrainingseintrag *m_view;
    Database &m_db;
    Setup m_setup;
    bool m_header = false, m_grid = false, m_client = false;
    int m_nextOrder = 0;
    std::unique_ptr<Cursor> m_table;
    QPointer<TDataSource> m_source;
    QPointer<TDBTypeGrid> m_gridControl;
    QPointer<QWidget> m_firstControl;
    QPointer<QWidget> m_fillControl; // a client memo or the grid fills the panel
    QList<QLabel *> m_labels;
    std::vector<Slot> m_slots;
    QList<QPointer<TDBLookupComboBox>> m_gridPickLists;
    QSet<int> m_pickListColumns;
    LayoutDrag::State m_drag;
    bool m_rowCommandsBound = false;
    bool m_saveFailed = false;
    bool m_rowCommandRunning = false;
    QMetaObject::Connection m_focusWatch;
};

} // namespace velmora
