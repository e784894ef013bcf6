#pragma once

#include "people/FilterEditor.h"

#include <QDate>
#include <QDialog>
#include <memory>

class QComboBox;
class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSpinBox;

namespace velmora {

class TDataSource;
class TDBCheckBox;
class TDBEdit;

// The filter window: edits one saved filter (kind of document, planning
// level, time range, authors, persons and forms) or creates a new one.
// Modal; the caller sets the inputs, calls exec() and, when it returns
// Accepted ("Fertig" saved the filter), re-reads the filter.
class TFilter : public QDialog {
    Q_OBJECT
public:
    explicit TFilter(QWidget *parent = nullptr);
    // filterNr 0 creates a new filter owned by `owner`; `name` is the
    // existing filter's name for the caption; `group` is the group whose
    // members are offered as authors and persons.
    TFilter(int filterNr, int owner, int group, const QString &name, bool readOnly = false, QWidget *parent = nullptr);
    ~TFilter() override;

    void setFilterNr(int filterNr) { m_options.filterNr = filterNr; }
    void setOwner(int personNr) { m_options.owner = personNr; }
    void setGroupNr(int group) { m_options.group = group; }
    void setFilterName(const QString &name) { m_name = name; }
    void setReadOnly(bool readOnly) { m_options.readOnly = readOnly; }
    // The day the spinners and the quick buttons start from (today).
    void setToday(const QDate &today) { m_today = today; }

    // Opens the table and fills the controls (exec() does it when needed);
    // false, after a message, when the filter cannot be opened.
    bool prepare();
    int exec() override;
    // Escape and the close box cancel like "Abbruch".
    void reject() override;

    FilterEditor &editor() { return *m_editor; }
    // The key of the filter shown (the new key for a new filter).
    int filterNr() const { return m_filterNr; }

    // Handlers.
    void btnOkClick();
    void btnCancelClick();
    void cbxRelativClick();
    void btnHeuteClick();
    void btnWocheClick();
    void btnMonatClick();
    void btnJahrClick();
    void btnAllesClick();
    // Loads the controls from the row; runs whenever the cursor moves.
    void tblFilterAfterScroll();

private:
    void buildControls();
    void applyRelativeRule(bool relative);
    void quickButton(FilterRules::QuickButton button);
    void fillList(QListWidget *list, const std::vector<FilterListItem> &items, const QString &memo);
    QList<qint64> checkedKeys(QListWidget *list) const;
    FilterEditor::Choices choices() const;

    FilterEditor::Options m_options;
    QString m_name;
    QDate m_today = QDate::currentDate();
    bool m_prepared = false;
    bool m_closing = false;
    bool m_relativeShown = false;
    int m_filterNr = 0;
    std::unique_ptr<FilterEditor> m_editor;

    TDataSource *dsFilter = nullptr;
    TDBEdit *dbfName = nullptr;
    QComboBox *cbxDokument = nullptr;
    QComboBox *cbxPlanungsebene = nullptr;
    QCheckBox *cbxVon = nullptr;
    QCheckBox *cbxBis = nullptr;
    QLineEdit *txtVon = nullptr;
    QLineEdit *txtBis = nullptr;
    QLabel *lblVon = nullptr;
    QLabel *lblBis = nullptr;
    TDBCheckBox *cbxRelativ = nullptr;
    QPushButton *btnWoche = nullptr;
    QPushButton *btnMonat = nullptr;
    QPushButton *btnJahr = nullptr;
    QPushButton *btnAlles = nullptr;
    QPushButton *btnHeute = nullptr;
    QSpinBox *spnWoche = nullptr;
    QSpinBox *spnMonat = nullptr;
    QSpinBox *spnJahr = nullptr;
    QListWidget *lbxAutoren = nullptr;
    QListWidget *lbxPersonen = nullptr;
    QListWidget *lbxFormulare = nullptr;
    QListWidget *lbxProjekte = nullptr;
    QPushButton *btnOk = nullptr;
    QPushButton *btnCancel = nullptr;
};

} // namespace velmora
