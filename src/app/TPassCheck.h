#pragma once

#include "controls/TDBTypeGrid.h"
#include "store/Cursor.h"

#include <QDialog>
#include <memory>

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

namespace velmora {

// The login window: the user picks a PERSON row in a one-row grid (typing
// the family name finds persons of status "T") and types its password.
// Three wrong passwords leave the window open, the fourth closes it with
// Cancel; every attempt goes to the log under the window's tag.
class TPassCheck : public QDialog {
    Q_OBJECT
public:
    static constexpr int kMaxAttempts = 3; // failed attempts that keep the window open

    // tag: the log tag ("TB" at start and re-login, "1." in the first-start wizard).
    TPassCheck(QWidget *parent, const QString &tag);
    ~TPassCheck() override;

    const QString &tag() const { return m_tag; }
    int attempts() const { return m_attempts; }

    // The chosen row (after OK the logged-in person).
    int personNr();
    int gruppenNr();
    QString vorname();
    QString nachname();
    // Whether the chosen row is a group (Sex 'X').
    bool isGroup();

    Cursor &tblPerson() { return *m_tblPerson; }
    Cursor &tblGruppe() { return *m_tblGruppe; }

    // For callers that pick the row themselves (and for tests).
    bool locatePerson(int personNr);
    void setPassword(const QString &text);

    void btnOkClick();
    void btnAbbruchClick();

    // The controls.
    QLabel *lblUser = nullptr;
    TDBTypeGrid *dbgPerson = nullptr;
    QLabel *lblPasswort = nullptr;
    QLineEdit *txtPasswort = nullptr;
    QPushButton *btnOk = nullptr;
    QPushButton *btnAbbruch = nullptr;
    QFrame *pnlWappen = nullptr;
    QLabel *imgWappen = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void FormCreate();
    void loadCrest();

    QString m_tag;
    int m_attempts = 0;
    std::unique_ptr<Cursor> m_tblPerson;
    std::unique_ptr<Cursor> m_tblGruppe;
};

} // namespace velmora
