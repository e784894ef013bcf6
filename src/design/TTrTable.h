#pragma once

#include "design/BlockDesign.h"

#include <QDialog>
#include <memory>

class QCheckBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QTabWidget;

namespace velmora {

class CursorModel;
class TDataSource;
class TDBEdit;
class TDBMemo;
class TDBTypeGrid;

// The wizard for building blocks: name, presentation and fields of a new
// block, or a look at an existing one. Modal; the caller sets the inputs,
// calls exec() and reads TableNr() and LayoutRequested() after Accepted.
// A new block that does not end with Accepted is removed by Discard(),
// which cancelling already runs.
class TTrTable : public QDialog {
    Q_OBJECT
public:
    enum Page { PageName = 0, PageDarstellungsart = 1, PageFelder = 2 };

    explicit TTrTable(QWidget *parent = nullptr);
    ~TTrTable() override;

    // A new block, written with the coach as its TrainerNr.
    void setTrainerNr(int trainerNr);
    // An existing block (only ever looked at read-only by the main window).
    void setTableNr(int tableNr);
    void setReadOnly(bool readOnly);
    // The index description file the block is added to; by default the one
    // next to the program.
    void setIndexFile(const QString &path) { m_indexFile = path; }

    // Opens the tables and fills the window (exec() does it when needed);
    // false, after a message, when the block cannot be opened.
    bool prepare();
    int exec() override;
    // Escape and the close box cancel like "Abbruch".
    void reject() override;

    int TableNr() const;
    bool LayoutRequested() const { return m_layoutRequested; }
    // Removes a new block that was not finished: its pending edits, its
    // field rows and its block row. Harmless after Accepted or a second time.
    void Discard();

    BlockDesign &design() { return *m_design; }
    int currentPage() const { return m_page; }

    // Handlers.
    void btnNextClick();
    void btnBackClick();
    void btnNeuesFeldClick();
    void btnFeldAendernClick();
    void btnFeldLoeschenClick();
    void btnOkClick();
    void btnCancelClick();
    void rgpDarstellungClick();

private:
    void buildControls();
    void setPage(int page);
    void updateButtons();
    void editField();
    void showPicture();

    int m_trainerNr = 0;
    int m_tableNr = 0;
    bool m_existing = false;
    bool m_readOnly = false;
    QString m_indexFile;
    bool m_prepared = false;
    bool m_layoutRequested = true;
    int m_page = PageName;
    bool m_pageChange = false;
    std::unique_ptr<BlockDesign> m_design;

    TDataSource *dsTable = nullptr;
    CursorModel *m_fieldModel = nullptr;
    QTabWidget *pcTable = nullptr;
    TDBEdit *dbfName = nullptr;
    TDBMemo *dbfBeschreibung = nullptr;
    QWidget *rgpDarstellung = nullptr;
    QRadioButton *rbtEinfach = nullptr;
    QRadioButton *rbtEndless = nullptr;
    QRadioButton *rbtGrid = nullptr;
    QLabel *imgDarstellung = nullptr;
    TDBTypeGrid *dbgFelder = nullptr;
    QPushButton *btnNeuesFeld = nullptr;
    QPushButton *btnFeldAendern = nullptr;
    QPushButton *btnFeldLoeschen = nullptr;
    QCheckBox *cbxLayout = nullptr;
    QPushButton *btnBack = nullptr;
    QPushButton *btnNext = nullptr;
    QPushButton *btnOk = nullptr;
    QPushButton *btnCancel = nullptr;
};

} // namespace velmora
