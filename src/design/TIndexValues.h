#pragma once

#include "design/PickList.h"

#include <QDialog>
#include <memory>

class QLabel;
class QPushButton;

namespace velmora {

class AssignedValuesModel;
class TDataSource;
class TDBEdit;
class TDBMemo;
class TDBTypeGrid;

// The pick-list editor of one index field of one form: creates and
// describes values and chooses, in order, those the field offers. Modal;
// the caller sets the field, the coach, the read-only flag and the display
// name, calls exec() and re-reads the field's TRuseVAL rows afterwards. The
// editor writes the tables directly; "Fertig" closes it.
class TIndexValues : public QDialog {
    Q_OBJECT
public:
    explicit TIndexValues(QWidget *parent = nullptr);
    TIndexValues(int formularNr, int tableNr, int feldNr, int personNr, bool readOnly, const QString &displayName,
                 QWidget *parent = nullptr);
    ~TIndexValues() override;

    void setFormularNr(int formularNr) { m_field.formularNr = formularNr; }
    void setTableNr(int tableNr) { m_field.tableNr = tableNr; }
    void setFeldNr(int feldNr) { m_field.feldNr = feldNr; }
    void setPersonNr(int personNr) { m_personNr = personNr; }
    void setReadOnly(bool readOnly) { m_readOnly = readOnly; }
    void setDisplayName(const QString &name) { m_displayName = name; }

    // Opens the lists and sets the marks (exec() does it when needed);
    // false, after a message, when they cannot be opened.
    bool prepare();
    int exec() override;
    // However the window ends (Fertig, Escape, close box), a pending value
    // edit is posted and the marks are cleared; a refused post keeps it open.
    void done(int result) override;

    PickList &pickList() { return *m_pickList; }

    // Handlers.
    void btnAddClick();
    void btnRemoveClick();
    void btnUpClick();
    void btnDownClick();
    void btnNewClick();
    void btnOkClick();
    void dbgValueDblClick();
    void dbguseVALDblClick();
    // The edit rule of the current available value.
    void tblValueAfterScroll();
    // The button states.
    void tbluseVALAfterScroll();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls();
    void showError(const VelmoraError &e);
    void afterChange();
    template <class Op> void run(Op op);

    PickList::Field m_field;
    int m_personNr = 0;
    bool m_readOnly = false;
    QString m_displayName;
    bool m_prepared = false;
    std::unique_ptr<PickList> m_pickList;

    TDataSource *dsValue = nullptr;
    TDBTypeGrid *dbgValue = nullptr;
    TDBTypeGrid *dbguseVAL = nullptr;
    AssignedValuesModel *m_assignedModel = nullptr;
    QLabel *lblValue = nullptr;
    QLabel *lblBeschreibung = nullptr;
    TDBEdit *dbfValue = nullptr;
    TDBMemo *dbfBeschreibung = nullptr;
    QPushButton *btnAdd = nullptr;
    QPushButton *btnRemove = nullptr;
    QPushButton *btnUp = nullptr;
    QPushButton *btnDown = nullptr;
    QPushButton *btnNew = nullptr;
    QPushButton *btnOk = nullptr;
};

} // namespace velmora
