#pragma once

#include "app/OpenDialogRules.h"
#include "app/TKeyEntry.h"

#include <QDate>
#include <QDialog>
#include <QPixmap>
#include <memory>
#include <vector>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTreeWidget;
class QTreeWidgetItem;

namespace velmora {

class Cursor;
class Database;

// The open dialog: the document list as a tree by kind, narrowed by the
// "Daten" choice and the standard/extended mode, with a form filter and a
// time range. The choices are kept per user in Profil, but only when
// something is opened.
//
// Use: create, set the three login values, exec(); after Accepted read the
// results.
class TFrmOpen : public QDialog {
    Q_OBJECT
public:
    // Item data roles of the tree, for the icon indexes of the image list.
    static constexpr int ImageIndexRole = Qt::UserRole + 1;
    static constexpr int SelectedIndexRole = Qt::UserRole + 2;

    // On the current engine's DBLOG.
    explicit TFrmOpen(QWidget *parent = nullptr);
    explicit TFrmOpen(Database &db, QWidget *parent = nullptr);
    ~TFrmOpen() override;

    // Inputs, set after construction and before the dialog is shown.
    void setLoginPersonNr(int v) { m_loginPersonNr = v; }
    void setLoginGruppenNr(int v) { m_loginGruppenNr = v; }
    void setLoginTrainerNr(int v) { m_loginTrainerNr = v; }
    int LoginPersonNr() const { return m_loginPersonNr; }
    int LoginGruppenNr() const { return m_loginGruppenNr; }
    int LoginTrainerNr() const { return m_loginTrainerNr; }

    // Results, valid after the dialog ended with Accepted.
    int Art() const { return m_result.Art; } // kind code (OpenKind)
    int Key1() const { return m_result.Key1; }
    int Key2() const { return m_result.Key2; }
    int Gruppe() const { return m_result.Gruppe; }
    int Trainer() const { return m_result.Trainer; }
    int FormFilter() const { return m_formFilter; } // a FilterNr, 0 when none
    const QString &Name() const { return m_name; }
    // A write-protected database opens every document read-only.
    bool ReadOnly() const;
    QDate Von() const { return m_von; } // invalid when not set
    QDate Bis() const { return m_bis; }

    bool isExtended() const { return m_extended; }
    // The 13 pictures of the tree, indexed 0 to 12.
    const std::vector<QPixmap> &images() const { return m_images; }
    // The key entry a tree item owns; null for a group node.
    const TKeyEntry *keyEntry(const QTreeWidgetItem *item) const;

    // Handlers.
    void FormActivate();
    void FillTree(int choice);
    void cbxSelectChange();
    void cbxFormularfilterChange();
    void btnErweitertClick();
    void tvOpenChange();
    void tvOpenDblClick();
    void btnAllesClick();
    void btnHeuteClick();
    void btnWocheClick();
    void btnMonatClick();
    void btnJahrClick();
    void dbfVonExit();
    void dbfBisExit();
    void btnOeffnenClick();
    void btnAbbrechenClick();

    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls();
    void buildImages();
    void setExtended(bool extended);
    void setRange(const OpenRange &range);
    void showRange();
    // Writes a date edit back into its profile column; refuses text that is
    // no date.
    void storeDateEdit(QLineEdit *edit, const QString &column);

    Database &m_db;
    int m_loginPersonNr = 0;
    int m_loginGruppenNr = 0;
    int m_loginTrainerNr = 0;

    TKeyEntry m_result{KindProtocol, 0, 0, 0, 0};
    int m_formFilter = 0;
    QString m_name;
    bool m_readOnly = false;
    QDate m_von, m_bis;

    bool m_extended = false;
    bool m_activated = false;
    std::unique_ptr<Cursor> m_profil;
    std::vector<std::unique_ptr<TKeyEntry>> m_keyEntries;
    std::vector<QPixmap> m_images;

    QTreeWidget *tvOpen = nullptr;
    QLabel *lblDaten = nullptr;
    QComboBox *cbxSelect = nullptr;
    QLabel *lblFormularfilter = nullptr;
    QComboBox *cbxFormularfilter = nullptr;
    QGroupBox *gbxZeitfilter = nullptr;
    QPushButton *btnAlles = nullptr;
    QPushButton *btnHeute = nullptr;
    QPushButton *btnWoche = nullptr;
    QPushButton *btnMonat = nullptr;
    QPushButton *btnJahr = nullptr;
    QPushButton *btnZyklus = nullptr;
    QSpinBox *txtWoche = nullptr;
    QSpinBox *txtMonat = nullptr;
    QSpinBox *txtJahr = nullptr;
    QSpinBox *txtZyklus = nullptr;
    QLabel *lblVon = nullptr;
    QLabel *lblBis = nullptr;
    QLineEdit *dbfVon = nullptr;
    QLineEdit *dbfBis = nullptr;
    QPushButton *btnErweitert = nullptr;
    QPushButton *btnOeffnen = nullptr;
    QPushButton *btnAbbrechen = nullptr;
    QPushButton *btnHilfe = nullptr;
};

} // namespace velmora
