#pragma once

#include <QDialog>
#include <QString>
#include <memory>
#include <vector>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QTableView;
class QTreeWidget;
class QTreeWidgetItem;

namespace velmora {

class CursorModel;
class Cursor;
class Database;
class TAuswertungSQL;
class TDataSource;
class TDBEdit;
class TDBMemo;
struct EvaluationRun;

// "Auswertungsassistent": creates or changes an evaluation (name, kind,
// blocks, axes, fields) and chooses the documents it runs on. Modal; ends
// with OK from "&Fertig" on the pages "Felder" and "Bedingungen" (and "OK"
// of the page "SQL").
class TAuswertungsAssistent : public QDialog {
    Q_OBJECT
public:
    enum Page {
        PageName,
        PageArt,
        PageBausteine,
        PageXAchse,
        PageYAchse,
        PageFelder,
        PageDokumente,
        PageBedingungen,
        PageSQL,
        PageCount
    };

    explicit TAuswertungsAssistent(Database &db, QWidget *parent = nullptr);
    ~TAuswertungsAssistent() override;

    // Inputs, set before the window is shown. Evaluation number 0 creates
    // a new evaluation.
    void setAuswertungNr(int nr) { m_auswertungNr = nr; }
    void setReadOnly(bool on) { m_readOnly = on; }
    // The current user (also the author of a new evaluation) and his group.
    void setPersonNr(int nr) { m_user = nr; }
    void setGruppenNr(int nr) { m_group = nr; }
    // The evaluation's name as the document list shows it.
    void setCaptionStart(const QString &caption) { m_caption = caption; }

    // Outputs after OK.
    int auswertungNr() const { return m_auswertungNr; }
    bool Test() const { return m_test; }
    int Art() const { return m_art; }
    int PersonNr() const { return m_personNr; }
    int VergleichArt() const { return m_vergleichArt; }
    int VergleichPersonNr() const { return m_vergleichPersonNr; }
    const QString &Caption() const { return m_caption; }
    // What the result window runs (TAuswertung::Open).
    EvaluationRun runRequest() const;
    // The builder made by "&Fertig" (queries built, run parameters set);
    // the caller owns it from then on. Empty when none was made.
    std::unique_ptr<TAuswertungSQL> takeBuilder();

    bool isReadOnly() const { return m_readOnly; }
    bool isNewEvaluation() const { return m_new; }
    int currentPage() const;

    // Escape and the close box cancel like "Abbruch".
    void reject() override;

    // Handlers.
    void FormActivate();
    void btnWeiterClick();
    void btnZurueckClick();
    void btnFertigClick();
    void btnEntwurfsansichtClick();
    void btnAbbruchClick();
    void btnSQLClick();
    void btnOKClick();
    void rgpArtClick(int index);
    void rgpXAchseClick(int index);
    void rgpYAchseClick(int index);
    void lbxTablesDblClick();
    void btnFeldAnfuegenClick();
    void btnBerechnetesFeldClick();
    void btnFeldBearbeitenClick();
    void btnFeldLoeschenClick();
    void cbxSelectChange();
    void tvOpenDblClick();

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct KeyEntry {
        int art = 0;
        int key1 = 0, key2 = 0, gruppe = 0, trainer = 0;
    };

    void buildControls();
    QWidget *buildNamePage();
    QWidget *buildArtPage();
    QWidget *buildBausteinePage();
    QWidget *buildAxisPage(const QString &typ);
    QWidget *buildFelderPage();
    QWidget *buildDokumentePage();
    QWidget *buildBedingungenPage();
    QWidget *buildSqlPage();

    void openTables();
    void fillBlockList();
    void fillTrees();
    void fillTree(QTreeWidget *tree);
    const KeyEntry *keyEntry(const QTreeWidgetItem *item) const;
    void showPage(int page);
    void updateButtons();
    void refreshFields();
    void axisChoice(const QString &typ, int index);
    void showAxisChoice(const QString &typ, int index);
    bool editField(int feldNr, const QString &typ, bool calculated);
    bool postEvaluation();
    bool buildQueries();
    void leaveBausteine();
    void enterFelder();
    int selectedDField();
    bool grouping();
    bool crossTable();
    bool hasField(const QString &typ);
    QString auswertName();

    Database &m_db;
    int m_auswertungNr = 0;
    bool m_readOnly = false;
    int m_user = 0;
    int m_group = 0;
    QString m_caption;

    bool m_new = true;
    bool m_activating = true;
    bool m_activated = false;
    bool m_openFailed = false;
    bool m_pageChange = false;
    int m_page = PageName;
    bool m_xWeiter = true;
    bool m_yWeiter = true;

    bool m_test = true;
    int m_art = 0, m_personNr = 0, m_vergleichArt = 0, m_vergleichPersonNr = 0;
    std::unique_ptr<TAuswertungSQL> m_builder;
    std::vector<KeyEntry> m_keyEntries;
    QList<int> m_blockNrs; // TableNr of each row of lbxTables

    Cursor *tblAuswert = nullptr;
    Cursor *tblAFieldX = nullptr;
    Cursor *tblAFieldY = nullptr;
    Cursor *tblAFieldD = nullptr;
    TDataSource *dsAuswert = nullptr;
    TDataSource *dsAFieldX = nullptr;
    TDataSource *dsAFieldY = nullptr;
    CursorModel *m_dFieldModel = nullptr;

    QTabWidget *pcAssistent = nullptr;
    TDBEdit *dbfAuswertung = nullptr;
    TDBMemo *dbfBeschreibung = nullptr;
    QGroupBox *rgpArt = nullptr;
    QButtonGroup *m_artButtons = nullptr;
    QLabel *imgArt = nullptr;
    QListWidget *lbxTables = nullptr;
    QGroupBox *rgpXAchse = nullptr;
    QGroupBox *rgpYAchse = nullptr;
    QButtonGroup *m_xButtons = nullptr;
    QButtonGroup *m_yButtons = nullptr;
    TDBEdit *dbfDisplayX = nullptr;
    TDBEdit *dbfDisplayY = nullptr;
    QTableView *dbgAFeld = nullptr;
    QPushButton *btnFeldAnfuegen = nullptr;
    QPushButton *btnBerechnetesFeld = nullptr;
    QPushButton *btnFeldBearbeiten = nullptr;
    QPushButton *btnFeldLoeschen = nullptr;
    QCheckBox *cbxTest = nullptr;
    QComboBox *cbxSelect = nullptr;
    QTreeWidget *tvOpen2 = nullptr;
    QTreeWidget *tvOpen3 = nullptr;
    QTableView *dbgABedingung = nullptr;
    QLabel *pnlVonBis = nullptr;
    QPushButton *btnSQL = nullptr;
    QPlainTextEdit *SQL1 = nullptr;
    QPlainTextEdit *SQL2 = nullptr;

    QPushButton *btnHilfe = nullptr;
    QPushButton *btnEntwurfsansicht = nullptr;
    QPushButton *btnZurueck = nullptr;
    QPushButton *btnWeiter = nullptr;
    QPushButton *btnFertig = nullptr;
    QPushButton *btnOK = nullptr;
    QPushButton *btnAbbruch = nullptr;
};

} // namespace velmora
