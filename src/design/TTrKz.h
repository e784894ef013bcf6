#pragma once

#include "design/FormDesign.h"

#include <QDialog>
#include <functional>
#include <memory>

class QCheckBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;
class QStackedWidget;
class QTableWidget;

namespace velmora {

class TDataSource;
class TDBMemo;

// The form designer: a four-page wizard ("Name", "Art", "Bausteine",
// "Felder") over one form. Modal; the caller sets the inputs, calls exec()
// and reads the results (Accepted after "Fertig").
class TTrKz : public QDialog {
    Q_OBJECT
public:
    explicit TTrKz(QWidget *parent = nullptr);
    // serienNr and trNr both 0 open a new form owned by `owner`; otherwise
    // the existing form of that key, with `owner` as the working coach.
    TTrKz(int owner, int serienNr, int trNr, bool readOnly, QWidget *parent = nullptr);
    ~TTrKz() override;

    void setOwner(int personNr) { m_options.owner = personNr; }
    void setForm(int serienNr, int trNr) {
        m_options.serienNr = serienNr;
        m_options.trNr = trNr;
    }
    void setReadOnly(bool readOnly) { m_options.readOnly = readOnly; }

    // Opens the tables and fills the first page (exec() does it when
    // needed); false, after a message, when the form cannot be opened.
    bool prepare();
    int exec() override;
    // Escape and the close box cancel like "Abbruch".
    void reject() override;

    // Results.
    int SerienNr() const { return m_design ? m_design->serienNr() : 0; }
    int TrNr() const { return m_design ? m_design->trNr() : 0; }
    int FormularNr() const { return m_design ? m_design->formularNr() : 0; }
    // The form's name: the first line of its description, at most 50 characters.
    const QString &FormName() const { return m_name; }
    // "Formular mit Defaultwerten vorausfüllen" as it was at "Fertig".
    bool FillIn() const { return m_fillIn; }
    bool isReadOnly() const { return m_options.readOnly; }
    int owner() const { return m_options.owner; }

    // Opens the pick-list editor for a form field; handed to every
    // form-field editor this window opens.
    std::function<void(int formularNr, int tableNr, int feldNr, const QString &displayName)> editPickList;

    FormDesign &design() { return *m_design; }
    int currentPage() const;

    // Handlers.
    void dbfBeschreibungChange();
    void btnWeiter1Click();
    void rgpFormularartClick();
    void btnWeiter2Click();
    void btnEinfuegenClick();
    void btnEntfernenClick();
    void btnWeiter3Click();
    void btnFeldBearbeitenClick();
    void btnFertigClick();
    void btnZurueckClick();
    void btnAbbruchClick();

private:
    void buildControls();
    void showPage(int page);
    void fillBlockLists();
    void fillFieldGrid();
    void updateBlockButtons();

    FormDesign::Options m_options;
    std::unique_ptr<FormDesign> m_design;
    bool m_prepared = false;
    bool m_finished = false;
    QString m_name;
    bool m_fillIn = true;

    TDataSource *dsTr = nullptr;
    QStackedWidget *pcWizard = nullptr;
    TDBMemo *dbfBeschreibung = nullptr;
    QPushButton *btnWeiter1 = nullptr;
    QGroupBox *rgpFormularart = nullptr;
    QRadioButton *rbDetails = nullptr;
    QRadioButton *rbWochensumme = nullptr;
    QRadioButton *rbZyklensumme = nullptr;
    QPushButton *btnZurueck2 = nullptr;
    QPushButton *btnWeiter2 = nullptr;
    QListWidget *lbxVerfuegbar = nullptr;
    QListWidget *lbxAusgewaehlt = nullptr;
    QPushButton *btnEinfuegen = nullptr;
    QPushButton *btnEntfernen = nullptr;
    QPushButton *btnZurueck3 = nullptr;
    QPushButton *btnWeiter3 = nullptr;
    QTableWidget *dbgFelder = nullptr;
    QPushButton *btnFeldBearbeiten = nullptr;
    QCheckBox *cbxVorausfuellen = nullptr;
    QPushButton *btnZurueck4 = nullptr;
    QPushButton *btnFertig = nullptr;
    QPushButton *btnAbbruch = nullptr;
};

} // namespace velmora
