#pragma once

#include <QDialog>
#include <functional>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QTabWidget;

namespace velmora {

class Database;

// The first-start wizard: the coach's own card, club name and abbreviation,
// groups and athletes, and the installation number. Its progress is kept in
// the settings so that an interrupted set-up starts again.
class TStartUp : public QDialog {
    Q_OBJECT
public:
    explicit TStartUp(QWidget *parent = nullptr);

    int coachNr() const { return m_coachNr; }
    int currentPage() const;

    // Page "Willkommen"
    void btnWeiter1Click();
    // "&Daten übernehmen": the exchange window in its import mode.
    void btnImportClick();
    // Page "Trainer"
    void btnEingebenClick();
    void btnSuchenClick();
    void btnWeiter2Click();
    // Page "Trainigsgruppen"
    void btnGruppeAnfuegenClick();
    void btnWeiter3Click();
    // Page "Sportler"
    void btnSportlerAnfuegenClick();
    void btnWeiter4Click();
    // Page "Datendiskette"
    void btnFertigClick();
    // "&Datendiskeette erstellen": the backup of the exchange window.
    void btnBackupClick();

    // The coach chosen by the card or the login window; shows the name.
    void setCoach(int personNr);

    // What the card and the login window ask of the coach: tests replace
    // them, the program shows the real windows.
    std::function<int(int personNr, int coach, bool newGroup)> editPerson;
    std::function<int()> findPerson;

private:
    QWidget *makePage(const QString &caption, const QString &heading, const QStringList &texts);
    void goTo(int page);
    void showCoachName();
    void fillGroups();
    void fillAthletes();
    Database &db() const;

    int m_coachNr = 0;
    bool m_pageChangeAllowed = false;
    QTabWidget *m_pages = nullptr;
    QSpinBox *m_serial = nullptr;
    QPlainTextEdit *m_trainer = nullptr;
    QLineEdit *m_club = nullptr;
    QLineEdit *m_kuerzel = nullptr;
    QPlainTextEdit *m_groups = nullptr;
    QPlainTextEdit *m_athletes = nullptr;
    QPushButton *m_weiter2 = nullptr;
};

} // namespace velmora
