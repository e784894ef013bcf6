#pragma once

#include "diary/SearchEntryRules.h"

#include <QDateTime>
#include <QDialog>
#include <memory>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabBar;
class QTableView;

namespace velmora {

class Database;
class Query;
class SearchListModel;

// "Eine Trainingseinheit auswählen": picks the entry or blank form a new
// entry is copied from, its date and, for windows of several persons, the
// person.
class TSucheTr : public QDialog {
    Q_OBJECT
public:
    explicit TSucheTr(Database &db, QWidget *parent = nullptr);
    ~TSucheTr() override;

    // Inputs, set before the dialog is shown.
    int Art = 2;           // the window's kind code
    int PersonNr = 0;
    int GruppenNr = 0;
    bool ShowTabs = true;
    bool ShowPerson = false;
    QDateTime Now;         // "now" of the lists and the date edit; invalid: the clock

    // Results, valid after OK.
    int SerienNr() const { return m_serienNr; }
    int TrNr() const { return m_trNr; }
    QDate NewDate() const { return m_date; }
    int Person() const { return m_person; }

    // Handlers.
    void FormActivate();
    void pcSucheChange(int tab);
    void btnOkClick();
    void dbgSucheDblClick();

    QTabBar *pcSuche = nullptr;
    QTableView *dbgSuche = nullptr;
    QPushButton *btnEinfuegen = nullptr;
    QPushButton *btnAbbrechen = nullptr;
    QLabel *lblAm = nullptr;
    QLineEdit *txtNewDate = nullptr;
    QLabel *lblFuerPerson = nullptr;
    QComboBox *dbfPerson = nullptr;

    // The listed rows and the current one, for the tests and the diary.
    const Query &list() const;
    int currentRow() const;

protected:
    void showEvent(QShowEvent *event) override;

private:
    QDateTime now() const;
    void loadList();
    void rowChanged();

    Database &m_db;
    SearchListModel *m_model = nullptr;
    bool m_activated = false;
    int m_serienNr = 0, m_trNr = 0, m_person = 0;
    QDate m_date;
};

} // namespace velmora
