#pragma once

#include <QDialog>
#include <QPointer>
#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace velmora {

class Cursor;
class TDataSource;
class TDBCheckBox;
class TDBEdit;
class TDBMemo;

// One field of a form: its label texts, visibility, print flag and either
// the form's own value list ("C") or the pick-list values it offers ("X").
// Modal; edits the current row of the form's FFIELD cursor, which "Fertig"
// posts and "Abbruch" cancels.
class TFFieldEditor : public QDialog {
    Q_OBJECT
public:
    // fields stands on the row to edit; typ is the field's type code, grid
    // whether its block shows as a grid, displayName "<block> <field>".
    TFFieldEditor(Cursor *fields, const QString &typ, bool grid, bool readOnly, int owner, const QString &displayName,
                  QWidget *parent = nullptr);
    ~TFFieldEditor() override;

    // Opens the pick-list editor for (FormularNr, TableNr, FeldNr) with the
    // display name "<block> <field>" for its caption; the owner of this
    // window connects it. The grid is read again afterwards.
    std::function<void(int formularNr, int tableNr, int feldNr, const QString &displayName)> editPickList;

    int formularNr() const { return m_formularNr; }
    int order() const { return m_order; }
    int tableNr() const { return m_tableNr; }
    int feldNr() const { return m_feldNr; }
    bool isReadOnly() const { return m_readOnly; }
    int owner() const { return m_owner; }
    const QString &displayName() const { return m_displayName; }

    // Reads the row's numbers and puts it into edit state (exec() does it).
    void prepare();
    int exec() override;
    // Escape and the close box cancel like "Abbruch".
    void reject() override;

    // Handlers.
    void btnOkClick();
    void btnCancelClick();
    void btnBearbeitenClick();
    // Reads the field's pick-list values into the grid.
    void refreshValues();

private:
    void buildControls();

    QPointer<Cursor> m_fields;
    QString m_typ;
    bool m_grid = false;
    bool m_readOnly = false;
    int m_owner = 0;
    QString m_displayName;
    bool m_prepared = false;
    int m_formularNr = 0, m_order = 0, m_tableNr = 0, m_feldNr = 0;

    TDataSource *dsFField = nullptr;
    QLineEdit *txtName = nullptr;
    QLabel *lblPrefix = nullptr;
    QLabel *lblPostfix = nullptr;
    TDBEdit *dbfPrefix = nullptr;
    TDBEdit *dbfPostfix = nullptr;
    TDBCheckBox *cbxVisible = nullptr;
    TDBCheckBox *cbxPrint = nullptr;
    QLabel *lblWerte = nullptr;
    TDBMemo *dbfWerte = nullptr;
    QTableWidget *dbgWerte = nullptr;
    QPushButton *btnBearbeiten = nullptr;
    QPushButton *btnOk = nullptr;
    QPushButton *btnCancel = nullptr;
};

} // namespace velmora
