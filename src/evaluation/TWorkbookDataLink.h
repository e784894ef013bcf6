#pragma once

#include "base/Errors.h"

#include <QDialog>
#include <memory>

class QPushButton;

namespace velmora {

class CursorModel;
class Database;
class TDataSource;
class TDBEdit;
class TDBTypeGrid;
class WorkbookDesign;

// The workbook link window: the workbook's name, the spreadsheet file
// imported into it and the evaluations whose results belong into it, each
// with the sheet name that marks its export file. Modal; everything it
// writes is kept by "&Fertig" and taken back by "Abbruch".
//
// In the link grid Down on the last row (or Insert) adds a link,
// Ctrl+Delete removes the current one.
class TWorkbookDataLink : public QDialog {
    Q_OBJECT
public:
    // workbookNr 0: a new workbook of the coach. Without a database, the
    // current engine's DBLOG.
    TWorkbookDataLink(int workbookNr, int coach, bool readOnly, QWidget *parent = nullptr);
    TWorkbookDataLink(Database &db, int workbookNr, int coach, bool readOnly, QWidget *parent = nullptr);
    ~TWorkbookDataLink() override;

    // Opens the workbook and its links (exec() does it when needed); false,
    // after a message, when they cannot be opened.
    bool prepare();
    int exec() override;

    int workbookNr() const;
    WorkbookDesign *design() const { return m_design.get(); }

    // Handlers.
    void btnImportClick();
    void btnFertigClick();
    void btnAbbruchClick();
    // Escape and the close box: as "Abbruch", but changes are only thrown
    // away after the coach agreed.
    void reject() override;

    // The enabled state of "&Fertig".
    void updateButtons();

    TDataSource *dsAnalyse = nullptr;
    TDBEdit *dbfName = nullptr;
    TDBEdit *dbfFile = nullptr;
    TDBTypeGrid *dbgDataLink = nullptr;
    QPushButton *btnImport = nullptr;
    QPushButton *btnFertig = nullptr;
    QPushButton *btnAbbruch = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls();

    Database &m_db;
    int m_workbookNr;
    int m_coach;
    bool m_readOnly;
    bool m_prepared = false;
    bool m_finished = false;
    std::unique_ptr<WorkbookDesign> m_design;
    CursorModel *m_linkModel = nullptr;
};

} // namespace velmora
