#pragma once

#include "people/AthleteCard.h"

#include <QDialog>
#include <QPointer>
#include <memory>

class QButtonGroup;
class QGridLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace velmora {

class TDataSource;
class TDBCheckBox;
class TDBDateEdit;
class TDBEdit;
class TDBLookupComboBox;

// The card of one person or group: creates or edits its PERSON row with the
// address, group, coach and the two passwords. Modal; the caller sets the
// inputs, calls exec() and reads the result (Accepted after "Fertig").
class TSportlerkartei : public QDialog {
    Q_OBJECT
public:
    explicit TSportlerkartei(QWidget *parent = nullptr);
    // personNr 0 opens a new person with `coach` as its TrainerNr; `name`
    // is the person's name for the caption.
    TSportlerkartei(int personNr, int coach, bool readOnly, const QString &name, QWidget *parent = nullptr);
    ~TSportlerkartei() override;

    void setPersonNr(int personNr) { m_options.personNr = personNr; }
    void setTrainerNr(int coach) { m_options.coach = coach; }
    void setReadOnly(bool readOnly) { m_options.readOnly = readOnly; }
    void setPersonName(const QString &name) { m_name = name; }
    void setPasswordRequired(bool required) { m_options.passwordRequired = required; }
    void setNewGroup(bool newGroup) { m_newGroup = newGroup; }

    // Opens the tables and fills the window (exec() does it when needed);
    // false, after a message, when the person cannot be opened.
    bool prepare();
    int exec() override;
    // Escape and the close box cancel like "Abbrechen".
    void reject() override;

    AthleteCard &card() { return *m_card; }
    // The person number of the row shown (the new key for a new person).
    int personNr() const { return m_personNr; }

    // Handlers.
    void btnOkClick();
    void btnCancelClick();
    void rgpSexExit();
    void dbfTelefonExit();

private:
    void buildControls();
    QString sexCode() const;
    void showAddressState();

    AthleteCard::Options m_options;
    QString m_name;
    bool m_newGroup = false;
    bool m_prepared = false;
    int m_personNr = 0;
    std::unique_ptr<AthleteCard> m_card;

    TDataSource *dsPerson = nullptr;
    TDataSource *dsAdresse = nullptr;
    QGridLayout *m_nameGrid = nullptr;
    QLabel *lblVorname = nullptr;
    QLabel *lblNachname = nullptr;
    TDBEdit *dbfVorname = nullptr;
    TDBEdit *dbfNachname = nullptr;
    TDBEdit *dbfTitel = nullptr;
    TDBEdit *dbfAltersklasse = nullptr;
    TDBDateEdit *dbfGeburtsdatum = nullptr;
    QGroupBox *rgpSex = nullptr;
    QButtonGroup *m_sexButtons = nullptr;
    TDBEdit *dbfTelefon = nullptr;
    TDBEdit *dbfStrasse = nullptr;
    TDBEdit *dbfPLZ = nullptr;
    TDBEdit *dbfOrt = nullptr;
    TDBLookupComboBox *cbxGruppe = nullptr;
    TDBLookupComboBox *cbxTrainer = nullptr;
    QLineEdit *txtPasswort = nullptr;
    QLineEdit *txtPasswortCheck = nullptr;
    QLineEdit *txtFreigabe = nullptr;
    QLineEdit *txtFreigabeCheck = nullptr;
    TDBCheckBox *cbxLeserechteGruppe = nullptr;
    TDBCheckBox *cbxLeserechteAndere = nullptr;
    QPushButton *btnOk = nullptr;
    QPushButton *btnCancel = nullptr;
};

} // namespace velmora
