#pragma once

#include "design/FieldRules.h"

#include <QDialog>
#include <QPointer>
#include <array>

class QButtonGroup;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;

namespace velmora {

class Cursor;
class TDataSource;
class TDBCheckBox;
class TDBEdit;
class TDBMemo;

// The wizard for one field of a building block: name and labels, type, and
// size, range or value list. Works on the designer's TRFIELD cursor, which
// stands on the row to edit (inserted for a new field). "Fertig" posts the
// row and ends with Accepted; "Abbruch" drops it.
class TTrFieldEditor : public QDialog {
    Q_OBJECT
public:
    enum Page { PageFeldname = 0, PageFeldtyp = 1, PageWertebereich = 2 };

    TTrFieldEditor(Cursor *fields, int tableNr, bool grid, bool readOnly, QWidget *parent = nullptr);
    ~TTrFieldEditor() override;

    int currentPage() const { return m_page; }
    // The code of the checked type choice.
    QChar checkedCode() const;
    // Escape and the close box cancel like "Abbruch".
    void reject() override;

    // Handlers.
    void btnNextClick();
    void btnBackClick();
    void btnOkClick();
    void btnCancelClick();
    void dbfFeldnameExit();
    void rbtChoiceClick(int choice);

private:
    void buildControls();
    void setPage(int page);
    void updateButtons();
    void enterTypePage();
    void enterRangePage();

    QPointer<Cursor> m_fields;
    int m_tableNr;
    bool m_grid;
    bool m_readOnly;
    int m_page = PageFeldname;
    bool m_pageChange = false;
    QChar m_code = QLatin1Char('A');

    TDataSource *dsFeld = nullptr;
    QTabWidget *pcFeld = nullptr;
    TDBEdit *dbfFeldname = nullptr;
    TDBEdit *dbfBeschreibung = nullptr;
    QLabel *lblPrefix = nullptr;
    TDBEdit *dbfPrefix = nullptr;
    QLabel *lblPostfix = nullptr;
    TDBEdit *dbfPostfix = nullptr;
    QLabel *lblErklaerung = nullptr;
    QButtonGroup *m_choices = nullptr;
    std::array<QRadioButton *, FieldRules::kChoiceCount> m_choiceButtons{};
    QLabel *lblHinweis = nullptr;
    QLabel *lblGroesse = nullptr;
    TDBEdit *dbfGroesse = nullptr;
    QLabel *lblKleinsterWert = nullptr;
    QLineEdit *txtKleinsterWert = nullptr;
    QLabel *lblGroessterWert = nullptr;
    QLineEdit *txtGroessterWert = nullptr;
    QLabel *lblWerte = nullptr;
    TDBMemo *dbfWerte = nullptr;
    TDBCheckBox *cbxStrikt = nullptr;
    QPushButton *btnBack = nullptr;
    QPushButton *btnNext = nullptr;
    QPushButton *btnOk = nullptr;
    QPushButton *btnCancel = nullptr;
};

} // namespace velmora
