#pragma once

#include <QDialog>
#include <QStringList>
#include <memory>

class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTableView;

namespace velmora {

class Cursor;
class Database;
class Query;
class TDataSource;
class TDBCheckBox;
class TDBEdit;
class FieldListModel;

// "Auswertung - Feldeditor": creates or changes one field of an evaluation.
// The caller sets the inputs, shows it modally and reads the result: OK
// (Accepted) once the row has been posted, Rejected for "Abbruch".
class TAuswertungFeld : public QDialog {
    Q_OBJECT
public:
    explicit TAuswertungFeld(Database &db, QWidget *parent = nullptr);
    ~TAuswertungFeld() override;

    // Inputs, set before the window is shown.
    void setAuswertungNr(int nr) { m_auswertungNr = nr; }
    // 0 creates a new field.
    void setFeldNr(int nr) { m_feldNr = nr; }
    void setTyp(const QString &typ) { m_typ = typ; }
    void setGruppierung(bool on) { m_grouping = on; }
    void setReadOnly(bool on) { m_readOnly = on; }
    void setBerechnet(bool on) { m_calculated = on; }

    int auswertungNr() const { return m_auswertungNr; }
    // The field edited; after opening a new field, its new FeldNr.
    int feldNr() const { return m_feldNr; }
    bool isNewField() const { return m_newField; }
    bool isBerechnet() const { return m_calculated; }
    bool keepBlockField() const { return m_keepBlockField; }
    int nextFeldNr() const { return m_nextFeldNr; }
    // The block field chosen in the list; -1 when the list is empty.
    int selectedFieldRow() const;

    // Escape and the close box cancel like "Abbruch".
    void reject() override;

    // Handlers.
    void FormActivate();
    void btnAddClick();
    void btnFertig1Click();
    void btnCancel1Click();
    void dbgFieldListExit();
    void dbgFieldListDblClick();

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls();
    void openTables();
    void tblAFieldNewRecord(Cursor &c);
    void tblAFieldBeforePost(Cursor &c);
    void showAggregate(int code);
    void updateControls();
    void updateZeit();
    void selectFieldRow(int row);
    QString selectedField(const QString &column) const;
    QStringList memoLines() const;
    QStringList otherNames();

    Database &m_db;
    int m_auswertungNr = 0;
    int m_feldNr = 0;
    QString m_typ = QStringLiteral("D");
    bool m_grouping = true;
    bool m_newField = true;
    bool m_readOnly = false;
    bool m_calculated = false;
    bool m_keepBlockField = false;
    bool m_activated = false;
    bool m_openFailed = false;
    int m_nextFeldNr = 1;
    QStringList m_lines;

    Cursor *tblAField = nullptr;
    Cursor *tblAField2 = nullptr;
    std::unique_ptr<Query> quAFieldList;
    TDataSource *dsAField = nullptr;
    FieldListModel *m_fieldListModel = nullptr;

    QLabel *lblFeldname = nullptr;
    TDBEdit *dbfFeldname = nullptr;
    QLabel *lblFieldList = nullptr;
    QTableView *dbgFieldList = nullptr;
    QLabel *lblArithmOp = nullptr;
    TDBEdit *dbfArithmOp = nullptr;
    TDBCheckBox *cbxVisible = nullptr;
    QLabel *lblAgregat = nullptr;
    QComboBox *dbfAgregat = nullptr;
    QLabel *lblBedingungen = nullptr;
    QPlainTextEdit *dbfBedingungen = nullptr;
    QPushButton *btnAdd = nullptr;
    QComboBox *cbxZeit = nullptr;
    QPushButton *btnFertig1 = nullptr;
    QPushButton *btnCancel1 = nullptr;
};

} // namespace velmora
