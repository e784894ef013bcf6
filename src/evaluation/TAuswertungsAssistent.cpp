#include "evaluation/TAuswertungsAssistent.h"

#include "base/Messages.h"
#include "base/Settings.h"
#include "controls/DBControls.h"
#include "evaluation/EvaluationKeys.h"
#include "evaluation/EvaluationWizardRules.h"
#include "evaluation/TAuswertung.h"
#include "evaluation/TAuswertungFeld.h"
#include "evaluation/TAuswertungSQL.h"
#include "store/Cursor.h"
#include "store/CursorModel.h"
#include "store/Query.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTableView>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace velmora {

namespace {
const QString kAuswert = QStringLiteral("AUSWERT");
const QString kAField = QStringLiteral("AFIELD");
const QString kAuswertungNr = QStringLiteral("AuswertungNr");
const QString kGruppierung = QStringLiteral("Gruppierung");
const QString kKreuztabelle = QStringLiteral("Kreuztabelle");
const QString kArtXAchse = QStringLiteral("ArtXAchse");
const QString kArtYAchse = QStringLiteral("ArtYAchse");
const QString kX = QStringLiteral("X");
const QString kY = QStringLiteral("Y");
const QString kD = QStringLiteral("D");
constexpr int kKeyEntryRole = Qt::UserRole + 1;

template <class T> T *named(T *control, const QString &name) {
    control->setObjectName(name);
    return control;
}
template <class T> T *named(T *control, const char *name) {
    return named(control, QString::fromLatin1(name));
}

// The pictures of the three kinds: a plain list of entries, the same list
// summed per group, and a table with the values of one field per row and
// column value.
QPixmap kindPicture(int kind) {
    QPixmap pm(180, 120);
    pm.fill(Qt::white);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing, false);
    const QColor header(90, 110, 160), line(160, 160, 160), text(60, 60, 60), sum(200, 80, 60);
    const int left = 10, top = 10, width = 160, rowH = 14;
    auto textBar = [&](int x, int y, int w, const QColor &c) { p.fillRect(x + 3, y + 5, w - 8, 4, c); };
    if (kind == 2) {
        const int cols = 4, rows = 6, colW = width / cols;
        p.fillRect(left, top, width, rowH, header);
        p.fillRect(left, top, colW, rowH * rows, header.lighter(150));
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < cols; ++c) {
                p.setPen(line);
                p.drawRect(left + c * colW, top + r * rowH, colW, rowH);
                if (r == 0 && c > 0)
                    textBar(left + c * colW, top, colW, Qt::white);
                else if (c == 0 && r > 0)
                    textBar(left, top + r * rowH, colW, text);
                else if (r > 0 && (r + c) % 3 != 0)
                    textBar(left + c * colW + colW / 3, top + r * rowH, colW * 2 / 3, sum);
            }
        return pm;
    }
    const int cols = 3, colW = width / cols, rows = 7;
    p.fillRect(left, top, width, rowH, header);
    for (int c = 0; c < cols; ++c)
        textBar(left + c * colW, top, colW, Qt::white);
    for (int r = 1; r < rows; ++r) {
        const bool sumRow = kind == 1 && (r == 3 || r == 6);
        if (sumRow)
            p.fillRect(left, top + r * rowH, width, rowH, QColor(250, 235, 200));
        for (int c = 0; c < cols; ++c) {
            p.setPen(line);
            p.drawRect(left + c * colW, top + r * rowH, colW, rowH);
            if (kind == 1 && c == 0 && !sumRow && r != 1 && r != 4)
                continue; // the group value stands once per group
            textBar(left + c * colW, top + r * rowH, colW, sumRow && c > 0 ? sum : text);
        }
    }
    return pm;
}

QGroupBox *radioGroup(const QString &name, const QString &caption, const QStringList &entries, QButtonGroup *&buttons,
                      QWidget *owner) {
    auto *box = named(new QGroupBox(caption), name);
    buttons = new QButtonGroup(owner);
    auto *layout = new QVBoxLayout(box);
    for (int i = 0; i < entries.size(); ++i) {
        auto *b = named(new QRadioButton(entries[i]), name + QString::number(i));
        buttons->addButton(b, i);
        layout->addWidget(b);
    }
    layout->addStretch();
    return box;
}

void checkButton(QButtonGroup *group, int index) {
    if (QAbstractButton *b = group->button(index)) {
        b->setChecked(true);
    } else if (QAbstractButton *checked = group->checkedButton()) {
        group->setExclusive(false);
        checked->setChecked(false);
        group->setExclusive(true);
    }
}

QTableView *fieldGrid(const char *name, CursorModel *model) {
    auto *grid = named(new QTableView, name);
    grid->setModel(model);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->verticalHeader()->hide();
    grid->horizontalHeader()->setStretchLastSection(true);
    return grid;
}
} // namespace

TAuswertungsAssistent::TAuswertungsAssistent(Database &db, QWidget *parent) : QDialog(parent), m_db(db) {
    tblAuswert = named(new Cursor(db, kAuswert, this), "tblAuswert");
    tblAFieldX = named(new Cursor(db, kAField, this), "tblAFieldX");
    tblAFieldY = named(new Cursor(db, kAField, this), "tblAFieldY");
    tblAFieldD = named(new Cursor(db, kAField, this), "tblAFieldD");
    tblAuswert->onNewRecord = [this](Cursor &c) {
        m_auswertungNr = nextEvaluationNumber(m_db, settings().SerienNr);
        c.setValue(kAuswertungNr, m_auswertungNr);
        c.setValue(QStringLiteral("TrainerNr"), m_user);
        c.setValue(kGruppierung, false);
        c.setValue(kKreuztabelle, false);
        c.setValue(kArtXAchse, 0);
        c.setValue(kArtYAchse, 0);
    };
    buildControls();
}

TAuswertungsAssistent::~TAuswertungsAssistent() {
    for (TDataSource *ds : {dsAuswert, dsAFieldX, dsAFieldY})
        ds->setDataSet(nullptr);
}

void TAuswertungsAssistent::buildControls() {
    setObjectName(QStringLiteral("AuswertungsAssistent"));
    setWindowTitle(QStringLiteral("Auswertungsassistent"));
    setModal(true);
    dsAuswert = named(new TDataSource(this), "dsAuswert");
    dsAFieldX = named(new TDataSource(this), "dsAFieldX");
    dsAFieldY = named(new TDataSource(this), "dsAFieldY");
    m_dFieldModel = new CursorModel(tblAFieldD, this);
    m_dFieldModel->setColumns(
        {CursorModel::Column(QStringLiteral("Display"), QStringLiteral("Feld"), 50, false, true)});

    pcAssistent = named(new QTabWidget, "pcAssistent");
    pcAssistent->addTab(buildNamePage(), QStringLiteral("Name"));
    pcAssistent->addTab(buildArtPage(), QStringLiteral("Art"));
    pcAssistent->addTab(buildBausteinePage(), QStringLiteral("Bausteine"));
    pcAssistent->addTab(buildAxisPage(kX), QStringLiteral("X-Achse"));
    pcAssistent->addTab(buildAxisPage(kY), QStringLiteral("Y-Achse"));
    pcAssistent->addTab(buildFelderPage(), QStringLiteral("Felder"));
    pcAssistent->addTab(buildDokumentePage(), QStringLiteral("Dokumente"));
    pcAssistent->addTab(buildBedingungenPage(), QStringLiteral("Bedingungen"));
    pcAssistent->addTab(buildSqlPage(), QStringLiteral("SQL"));
    // Pages change through the wizard's buttons only.
    connect(pcAssistent, &QTabWidget::currentChanged, this, [this](int index) {
        if (!m_pageChange && index != m_page) {
            const QSignalBlocker block(pcAssistent);
            pcAssistent->setCurrentIndex(m_page);
        }
    });

    btnHilfe = named(new QPushButton(QStringLiteral("&Hilfe")), "btnHilfe");
    btnHilfe->setEnabled(false);
    btnEntwurfsansicht = named(new QPushButton(QStringLiteral("&Entwurfsansicht")), "btnEntwurfsansicht");
    btnZurueck = named(new QPushButton(QStringLiteral("&Zurück")), "btnZurueck");
    btnWeiter = named(new QPushButton(QStringLiteral("&Weiter")), "btnWeiter");
    btnFertig = named(new QPushButton(QStringLiteral("&Fertig")), "btnFertig");
    btnOK = named(new QPushButton(QStringLiteral("OK")), "btnOK");
    btnAbbruch = named(new QPushButton(QStringLiteral("Abbruch")), "btnAbbruch");
    for (QPushButton *b : {btnHilfe, btnEntwurfsansicht, btnZurueck, btnWeiter, btnFertig, btnOK, btnAbbruch})
        b->setAutoDefault(false);
    connect(btnEntwurfsansicht, &QPushButton::clicked, this, &TAuswertungsAssistent::btnEntwurfsansichtClick);
    connect(btnZurueck, &QPushButton::clicked, this, &TAuswertungsAssistent::btnZurueckClick);
    connect(btnWeiter, &QPushButton::clicked, this, &TAuswertungsAssistent::btnWeiterClick);
    connect(btnFertig, &QPushButton::clicked, this, &TAuswertungsAssistent::btnFertigClick);
    connect(btnOK, &QPushButton::clicked, this, &TAuswertungsAssistent::btnOKClick);
    connect(btnAbbruch, &QPushButton::clicked, this, &TAuswertungsAssistent::btnAbbruchClick);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(btnHilfe);
    buttons->addWidget(btnEntwurfsansicht);
    buttons->addStretch();
    for (QPushButton *b : {btnZurueck, btnWeiter, btnFertig, btnOK, btnAbbruch})
        buttons->addWidget(b);
    auto *main = new QVBoxLayout(this);
    main->addWidget(pcAssistent, 1);
    main->addLayout(buttons);
    resize(560, 420);
    updateButtons();
}

QWidget *TAuswertungsAssistent::buildNamePage() {
    auto *page = named(new QWidget, "tsName");
    dbfAuswertung = named(new TDBEdit, "dbfAuswertung");
    dbfAuswertung->setDataSource(dsAuswert);
    dbfAuswertung->setDataField(QStringLiteral("Auswertung"));
    dbfBeschreibung = named(new TDBMemo, "dbfBeschreibung");
    dbfBeschreibung->setDataSource(dsAuswert);
    dbfBeschreibung->setDataField(QStringLiteral("Bemerkung"));
    dbfBeschreibung->setTabChangesFocus(true);
    connect(dbfAuswertung, &QLineEdit::textChanged, this, [this] { updateButtons(); });
    auto *form = new QFormLayout(page);
    auto *lblAuswertung = named(new QLabel(QStringLiteral("Auswertung")), "lblAuswertung");
    lblAuswertung->setBuddy(dbfAuswertung);
    auto *lblBeschreibung = named(new QLabel(QStringLiteral("Beschreibung")), "lblBeschreibung");
    lblBeschreibung->setBuddy(dbfBeschreibung);
    form->addRow(lblAuswertung, dbfAuswertung);
    form->addRow(lblBeschreibung, dbfBeschreibung);
    return page;
}

QWidget *TAuswertungsAssistent::buildArtPage() {
    auto *page = named(new QWidget, "tsArt");
    rgpArt = radioGroup(QStringLiteral("rgpArt"), QStringLiteral("Art der Auswertung"),
                        {QStringLiteral("einfache &Abfrage"), QStringLiteral("Abfrage mit &Gruppierung"),
                         QStringLiteral("&Kreuzabfrage")},
                        m_artButtons, this);
    connect(m_artButtons, &QButtonGroup::idClicked, this, &TAuswertungsAssistent::rgpArtClick);
    imgArt = named(new QLabel, "imgArt");
    imgArt->setPixmap(kindPicture(0));
    imgArt->setFrameShape(QFrame::StyledPanel);
    auto *row = new QHBoxLayout(page);
    row->addWidget(rgpArt);
    row->addWidget(imgArt, 1, Qt::AlignCenter);
    return page;
}

QWidget *TAuswertungsAssistent::buildBausteinePage() {
    auto *page = named(new QWidget, "tsBausteine");
    lbxTables = named(new QListWidget, "lbxTables");
    lbxTables->setSelectionMode(QAbstractItemView::MultiSelection);
    connect(lbxTables, &QListWidget::itemDoubleClicked, this, &TAuswertungsAssistent::lbxTablesDblClick);
    auto *layout = new QVBoxLayout(page);
    auto *lbl = named(new QLabel(QStringLiteral("Bausteine der Auswertung")), "lblTables");
    lbl->setBuddy(lbxTables);
    layout->addWidget(lbl);
    layout->addWidget(lbxTables, 1);
    return page;
}

QWidget *TAuswertungsAssistent::buildAxisPage(const QString &typ) {
    const bool x = typ == kX;
    auto *page = named(new QWidget, x ? "tsXAchse" : "tsYAchse");
    QStringList entries;
    for (int i = 0; i < EvaluationWizardRules::kAxisCount; ++i)
        entries << EvaluationWizardRules::axisCaption(i);
    QButtonGroup *&buttons = x ? m_xButtons : m_yButtons;
    QGroupBox *box = radioGroup(x ? QStringLiteral("rgpXAchse") : QStringLiteral("rgpYAchse"),
                                x ? QStringLiteral("X-Achse") : QStringLiteral("Y-Achse"), entries, buttons, this);
    (x ? rgpXAchse : rgpYAchse) = box;
    connect(buttons, &QButtonGroup::idClicked, this,
            x ? &TAuswertungsAssistent::rgpXAchseClick : &TAuswertungsAssistent::rgpYAchseClick);
    auto *display = named(new TDBEdit, x ? "dbfDisplayX" : "dbfDisplayY");
    display->setDataSource(x ? dsAFieldX : dsAFieldY);
    display->setDataField(QStringLiteral("Display"));
    display->setReadOnly(true);
    (x ? dbfDisplayX : dbfDisplayY) = display;
    auto *layout = new QVBoxLayout(page);
    layout->addWidget(box, 1);
    layout->addWidget(display);
    return page;
}

QWidget *TAuswertungsAssistent::buildFelderPage() {
    auto *page = named(new QWidget, "tsFelder");
    dbgAFeld = fieldGrid("dbgAFeld", m_dFieldModel);
    connect(dbgAFeld->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current) {
                if (current.isValid())
                    m_dFieldModel->setCurrentRow(current.row());
            });
    btnFeldAnfuegen = named(new QPushButton(QStringLiteral("Feld &anfügen")), "btnFeldAnfuegen");
    btnBerechnetesFeld = named(new QPushButton(QStringLiteral("b&erechnetes Feld")), "btnBerechnetesFeld");
    btnFeldBearbeiten = named(new QPushButton(QStringLiteral("Feld &bearbeiten")), "btnFeldBearbeiten");
    btnFeldLoeschen = named(new QPushButton(QStringLiteral("Feld &löschen")), "btnFeldLoeschen");
    connect(btnFeldAnfuegen, &QPushButton::clicked, this, &TAuswertungsAssistent::btnFeldAnfuegenClick);
    connect(btnBerechnetesFeld, &QPushButton::clicked, this, &TAuswertungsAssistent::btnBerechnetesFeldClick);
    connect(btnFeldBearbeiten, &QPushButton::clicked, this, &TAuswertungsAssistent::btnFeldBearbeitenClick);
    connect(btnFeldLoeschen, &QPushButton::clicked, this, &TAuswertungsAssistent::btnFeldLoeschenClick);
    cbxTest = named(new QCheckBox(QStringLiteral("Auswertung testen")), "cbxTest");
    cbxTest->setChecked(true);
    auto *side = new QVBoxLayout;
    for (QPushButton *b : {btnFeldAnfuegen, btnBerechnetesFeld, btnFeldBearbeiten, btnFeldLoeschen}) {
        b->setAutoDefault(false);
        side->addWidget(b);
    }
    side->addStretch();
    side->addWidget(cbxTest);
    auto *row = new QHBoxLayout(page);
    row->addWidget(dbgAFeld, 1);
    row->addLayout(side);
    return page;
}

QWidget *TAuswertungsAssistent::buildDokumentePage() {
    auto *page = named(new QWidget, "tsDokumente");
    auto tree = [this](const char *name, const QString &title) {
        auto *t = named(new QTreeWidget, name);
        t->setHeaderLabel(title);
        t->installEventFilter(this);
        connect(t, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem *item) {
            // A top node opens and closes on a double click; only a document goes on.
            if (item && item->parent())
                tvOpenDblClick();
        });
        connect(t, &QTreeWidget::currentItemChanged, this, [this] { updateButtons(); });
        return t;
    };
    tvOpen2 = tree("tvOpen2", QStringLiteral("Dokument auswerten"));
    tvOpen3 = tree("tvOpen3", QStringLiteral("vergleichen mit"));
    cbxSelect = named(new QComboBox, "cbxSelect");
    cbxSelect->addItems(EvaluationWizardRules::selectEntries());
    cbxSelect->setCurrentIndex(EvaluationWizardRules::MyCoach);
    connect(cbxSelect, &QComboBox::currentIndexChanged, this, &TAuswertungsAssistent::cbxSelectChange);
    auto *lblDaten = named(new QLabel(QStringLiteral("Daten")), "lblDaten");
    lblDaten->setBuddy(cbxSelect);
    auto *trees = new QHBoxLayout;
    trees->addWidget(tvOpen2);
    trees->addWidget(tvOpen3);
    auto *select = new QHBoxLayout;
    select->addWidget(lblDaten);
    select->addWidget(cbxSelect, 1);
    auto *layout = new QVBoxLayout(page);
    layout->addLayout(trees, 1);
    layout->addLayout(select);
    return page;
}

QWidget *TAuswertungsAssistent::buildBedingungenPage() {
    auto *page = named(new QWidget, "tsBedingungen");
    dbgABedingung = fieldGrid("dbgABedingung", m_dFieldModel);
    pnlVonBis = named(new QLabel(QStringLiteral("noch nicht implementiert")), "pnlVonBis");
    pnlVonBis->setAlignment(Qt::AlignCenter);
    pnlVonBis->setFrameShape(QFrame::StyledPanel);
    btnSQL = named(new QPushButton(QStringLiteral("SQL")), "btnSQL");
    btnSQL->setAutoDefault(false);
    btnSQL->hide();
    connect(btnSQL, &QPushButton::clicked, this, &TAuswertungsAssistent::btnSQLClick);
    auto *layout = new QVBoxLayout(page);
    layout->addWidget(dbgABedingung, 1);
    layout->addWidget(pnlVonBis);
    layout->addWidget(btnSQL, 0, Qt::AlignRight);
    return page;
}

QWidget *TAuswertungsAssistent::buildSqlPage() {
    auto *page = named(new QWidget, "tsSQL");
    auto memo = [](const char *name) {
        auto *m = named(new QPlainTextEdit, name);
        m->setReadOnly(true);
        m->setLineWrapMode(QPlainTextEdit::NoWrap);
        return m;
    };
    SQL1 = memo("SQL1");
    SQL2 = memo("SQL2");
    auto *layout = new QVBoxLayout(page);
    layout->addWidget(named(new QLabel(QStringLiteral("SQL Step 1")), "lblSQL1"));
    layout->addWidget(SQL1, 1);
    layout->addWidget(named(new QLabel(QStringLiteral("SQL Step 2")), "lblSQL2"));
    layout->addWidget(SQL2, 1);
    return page;
}

void TAuswertungsAssistent::showEvent(QShowEvent *event) {
    QDialog::showEvent(event);
    if (!m_activated)
        FormActivate();
}

void TAuswertungsAssistent::FormActivate() {
    if (m_activated)
        return;
    m_activated = true;
    m_activating = true;
    m_new = m_auswertungNr == 0;
    try {
        openTables();
        fillBlockList();
        const int kind = tblAuswert->asBool(kKreuztabelle) ? 2 : tblAuswert->asBool(kGruppierung) ? 1 : 0;
        checkButton(m_artButtons, kind);
        imgArt->setPixmap(kindPicture(kind));
        checkButton(m_xButtons, tblAuswert->asInt(kArtXAchse));
        checkButton(m_yButtons, tblAuswert->asInt(kArtYAchse));
        fillTrees();
    } catch (const VelmoraError &e) {
        // Half open, the wizard shows what it has and stores nothing.
        m_openFailed = true;
        Messages::error(e.message());
    }
    rgpArt->setEnabled(!m_readOnly && !m_openFailed);
    rgpXAchse->setEnabled(!m_readOnly && !m_openFailed);
    rgpYAchse->setEnabled(!m_readOnly && !m_openFailed);
    lbxTables->setEnabled(!m_openFailed);
    m_activating = false;
    showPage(PageName);
    dbfAuswertung->setFocus();
}

void TAuswertungsAssistent::openTables() {
    dsAuswert->setDataSet(nullptr);
    tblAuswert->close();
    tblAuswert->setReadOnly(m_readOnly);
    if (!m_new || m_readOnly)
        tblAuswert->setRange({m_auswertungNr}, {m_auswertungNr});
    tblAuswert->open();
    if (m_new && !m_readOnly) {
        tblAuswert->append();
    } else {
        if (tblAuswert->isEmpty())
            throw VelmoraError(QStringLiteral("Die Auswertung %1 gibt es nicht.").arg(m_auswertungNr));
        if (!m_readOnly)
            tblAuswert->edit();
    }
    dsAuswert->setDataSet(tblAuswert);

    const QString evaluation = QStringLiteral("(AuswertungNr = %1) and ").arg(m_auswertungNr);
    for (auto [cursor, typ] : {std::pair{tblAFieldX, kX}, std::pair{tblAFieldY, kY}, std::pair{tblAFieldD, kD}}) {
        cursor->close();
        cursor->setReadOnly(true); // written by the rules and the field editor, never through these
        cursor->setFilter(evaluation + QStringLiteral("(Typ = '") + typ + QStringLiteral("')"));
        cursor->setFiltered(true);
        cursor->open();
    }
    dsAFieldX->setDataSet(tblAFieldX);
    dsAFieldY->setDataSet(tblAFieldY);
}

void TAuswertungsAssistent::fillBlockList() {
    lbxTables->clear();
    m_blockNrs.clear();
    Query blocks(m_db, QStringLiteral("select TableNr, Name from TRTABLE where Art = 'T' order by TableNr"));
    blocks.open();
    const QList<int> chosen = EvaluationWizardRules::chosenBlocks(m_db, m_auswertungNr);
    for (blocks.first(); !blocks.eof(); blocks.next()) {
        const int tableNr = blocks.asInt(QStringLiteral("TableNr"));
        auto *item = new QListWidgetItem(blocks.asString(QStringLiteral("Name")), lbxTables);
        item->setSelected(chosen.contains(tableNr));
        m_blockNrs << tableNr;
    }
}

void TAuswertungsAssistent::fillTrees() {
    m_keyEntries.clear();
    fillTree(tvOpen2);
    fillTree(tvOpen3);
    updateButtons();
}

void TAuswertungsAssistent::fillTree(QTreeWidget *tree) {
    {
        const QSignalBlocker block(tree);
        tree->clear();
    }
    static const QRegularExpression lineBreaks(QStringLiteral("[\r\n]+"));
    for (const bool plan : {true, false}) {
        auto *node =
            new QTreeWidgetItem(tree, QStringList{plan ? QStringLiteral("Plan") : QStringLiteral("Protokoll")});
        Cursor open(m_db, QStringLiteral("OPEN"));
        open.setIndexName(QStringLiteral("TypeNameKey1"));
        open.setReadOnly(true);
        open.setFilter(EvaluationWizardRules::documentFilter(cbxSelect->currentIndex(), plan, m_user, m_group));
        open.setFiltered(true);
        open.open();
        for (open.first(); !open.eof(); open.next()) {
            KeyEntry entry;
            entry.art = plan ? 3 : 2;
            entry.key1 = open.asInt(QStringLiteral("Key1"));
            entry.key2 = open.asInt(QStringLiteral("Key2"));
            entry.gruppe = open.asInt(QStringLiteral("Gruppe"));
            entry.trainer = open.asInt(QStringLiteral("Trainer"));
            const QString name = open.asString(QStringLiteral("Name")).split(lineBreaks, Qt::SkipEmptyParts).value(0);
            auto *leaf = new QTreeWidgetItem(node, QStringList{name});
            leaf->setData(0, kKeyEntryRole, int(m_keyEntries.size()));
            m_keyEntries.push_back(entry);
        }
        node->setExpanded(true);
    }
}

const TAuswertungsAssistent::KeyEntry *TAuswertungsAssistent::keyEntry(const QTreeWidgetItem *item) const {
    if (!item)
        return nullptr;
    const QVariant index = item->data(0, kKeyEntryRole);
    if (!index.isValid() || index.toInt() < 0 || size_t(index.toInt()) >= m_keyEntries.size())
        return nullptr;
    return &m_keyEntries[size_t(index.toInt())];
}

int TAuswertungsAssistent::currentPage() const {
    return m_page;
}

void TAuswertungsAssistent::showPage(int page) {
    m_page = page;
    m_pageChange = true;
    pcAssistent->setCurrentIndex(page);
    m_pageChange = false;
    // "SQL" is the developer's button; no user reaches it.
    btnSQL->setVisible(false);
    updateButtons();
}

bool TAuswertungsAssistent::hasField(const QString &typ) {
    Cursor *c = typ == kX ? tblAFieldX : typ == kY ? tblAFieldY : tblAFieldD;
    return c->isOpen() && !c->isEmpty();
}

bool TAuswertungsAssistent::grouping() {
    return tblAuswert->isOpen() && tblAuswert->asBool(kGruppierung);
}

bool TAuswertungsAssistent::crossTable() {
    return tblAuswert->isOpen() && tblAuswert->asBool(kKreuztabelle);
}

QString TAuswertungsAssistent::auswertName() {
    return tblAuswert->isOpen() ? tblAuswert->asString(QStringLiteral("Auswertung")) : QString();
}

void TAuswertungsAssistent::updateButtons() {
    if (!btnWeiter)
        return;
    const bool ok = m_activated && !m_openFailed;
    const bool writable = ok && !m_readOnly;
    btnEntwurfsansicht->setVisible(m_page == PageName && !m_new);
    btnEntwurfsansicht->setEnabled(ok);
    btnZurueck->setVisible(m_page != PageName && m_page != PageDokumente);
    btnWeiter->setVisible(m_page <= PageYAchse || m_page == PageDokumente);
    btnFertig->setVisible(m_page == PageFelder || m_page == PageBedingungen);
    btnOK->setVisible(m_page == PageSQL);
    bool weiter = ok;
    switch (m_page) {
    case PageName:
        weiter = ok && !dbfAuswertung->text().trimmed().isEmpty();
        break;
    case PageXAchse:
        weiter = ok && m_xWeiter;
        break;
    case PageYAchse:
        weiter = ok && m_yWeiter && (!crossTable() || hasField(kY));
        break;
    case PageDokumente:
        weiter = ok && keyEntry(tvOpen2->currentItem()) != nullptr;
        break;
    default:
        break;
    }
    btnWeiter->setEnabled(weiter);
    const bool dFields = ok && hasField(kD);
    btnFertig->setEnabled(m_page == PageFelder ? dFields : ok);
    btnFeldAnfuegen->setEnabled(writable);
    btnBerechnetesFeld->setEnabled(writable);
    btnFeldLoeschen->setEnabled(writable && dFields);
    btnFeldBearbeiten->setEnabled(dFields);
}

void TAuswertungsAssistent::refreshFields() {
    for (Cursor *c : {tblAFieldX, tblAFieldY, tblAFieldD})
        if (c->isOpen())
            c->refresh();
    dsAFieldX->refreshEditors();
    dsAFieldY->refreshEditors();
    updateButtons();
}

bool TAuswertungsAssistent::postEvaluation() {
    if (m_readOnly || m_openFailed || !tblAuswert->isEditing())
        return true;
    try {
        dsAuswert->updateRecord();
        tblAuswert->post();
    } catch (const VelmoraError &e) {
        Messages::error(e.message());
        return false;
    }
    return true;
}

void TAuswertungsAssistent::btnWeiterClick() {
    if (!btnWeiter->isVisible() || !btnWeiter->isEnabled())
        return;
    switch (m_page) {
    case PageName:
        if (m_new) {
            btnEntwurfsansichtClick();
        } else {
            // An existing evaluation is run as it is; only "Entwurfsansicht"
            // changes it.
            if (!m_readOnly && tblAuswert->isEditing()) {
                tblAuswert->cancel();
                tblAuswert->edit();
                dsAuswert->refreshEditors();
            }
            showPage(PageDokumente);
        }
        break;
    case PageArt:
        showPage(PageBausteine);
        break;
    case PageBausteine:
        leaveBausteine();
        break;
    case PageXAchse:
        showPage(PageYAchse);
        checkButton(m_yButtons, tblAuswert->asInt(kArtYAchse));
        updateButtons();
        if (!crossTable())
            enterFelder();
        break;
    case PageYAchse:
        enterFelder();
        break;
    case PageDokumente: {
        const KeyEntry *entry = keyEntry(tvOpen2->currentItem());
        if (!entry)
            return;
        if (m_caption.isEmpty())
            m_caption = auswertName();
        // The name and the documents read as words of their own.
        if (!m_caption.isEmpty() && !m_caption.endsWith(QLatin1Char(' ')))
            m_caption += QLatin1Char(' ');
        m_art = entry->art;
        m_personNr = entry->key1;
        m_caption += QStringLiteral("von ") + tvOpen2->currentItem()->text(0) + QLatin1Char(' ');
        if (const KeyEntry *compare = keyEntry(tvOpen3->currentItem())) {
            m_vergleichArt = compare->art;
            m_vergleichPersonNr = compare->key1;
            m_caption += QStringLiteral("- ") + tvOpen3->currentItem()->text(0) + QLatin1Char(' ');
        } else {
            m_vergleichArt = 0;
            m_vergleichPersonNr = 0;
        }
        showPage(PageBedingungen);
        break;
    }
    default:
        break;
    }
}

void TAuswertungsAssistent::btnEntwurfsansichtClick() {
    if (m_page != PageName || m_openFailed)
        return;
    if (!m_readOnly) {
        if (!postEvaluation())
            return;
        try {
            tblAuswert->edit();
        } catch (const VelmoraError &e) {
            Messages::error(e.message());
            return;
        }
    }
    showPage(PageArt);
}

void TAuswertungsAssistent::leaveBausteine() {
    if (!m_readOnly) {
        QList<int> chosen;
        for (int i = 0; i < lbxTables->count(); ++i)
            if (lbxTables->item(i)->isSelected())
                chosen << m_blockNrs.value(i);
        try {
            EvaluationWizardRules::storeBlocks(m_db, m_auswertungNr, m_blockNrs, chosen);
        } catch (const VelmoraError &e) {
            Messages::error(e.message());
            return;
        }
        rgpXAchse->setEnabled(true);
    }
    showPage(PageXAchse);
    int index = tblAuswert->asInt(kArtXAchse);
    if (m_new && !hasField(kX)) {
        index = 0;
        if (!m_readOnly)
            tblAuswert->setValue(kArtXAchse, 0);
    }
    showAxisChoice(kX, index);
}

void TAuswertungsAssistent::showAxisChoice(const QString &typ, int index) {
    checkButton(typ == kX ? m_xButtons : m_yButtons, index);
    // The field chosen in the field editor stays; only a missing one is
    // asked for again.
    if (index == EvaluationWizardRules::AxisOther && hasField(typ)) {
        (typ == kX ? m_xWeiter : m_yWeiter) = true;
        updateButtons();
        return;
    }
    axisChoice(typ, index);
}

void TAuswertungsAssistent::enterFelder() {
    showPage(PageFelder);
    refreshFields();
}

void TAuswertungsAssistent::rgpArtClick(int index) {
    imgArt->setPixmap(kindPicture(index));
    if (m_activating || m_readOnly || m_openFailed)
        return;
    try {
        tblAuswert->setValue(kGruppierung, index == 1 || index == 2);
        tblAuswert->setValue(kKreuztabelle, index == 2);
        if (index == 0)
            tblAuswert->setValue(kArtXAchse, EvaluationWizardRules::AxisJahr);
    } catch (const VelmoraError &e) {
        Messages::error(e.message());
    }
    rgpXAchse->setEnabled(index != 0);
}

void TAuswertungsAssistent::rgpXAchseClick(int index) {
    axisChoice(kX, index);
}

void TAuswertungsAssistent::rgpYAchseClick(int index) {
    axisChoice(kY, index);
}

void TAuswertungsAssistent::axisChoice(const QString &typ, int index) {
    if (m_activating || m_readOnly || m_openFailed)
        return;
    bool &weiter = typ == kX ? m_xWeiter : m_yWeiter;
    const QString artField = typ == kX ? kArtXAchse : kArtYAchse;
    try {
        if (index == EvaluationWizardRules::AxisOther) {
            // The old field goes only when the editor brings a new one.
            Transaction tx(m_db);
            for (Cursor *c : {tblAFieldX, tblAFieldY, tblAFieldD, tblAuswert})
                c->releaseStatement();
            EvaluationWizardRules::deleteAxisFields(m_db, m_auswertungNr, typ);
            weiter = editField(0, typ, false);
            for (Cursor *c : {tblAFieldX, tblAFieldY, tblAFieldD, tblAuswert})
                c->releaseStatement();
            if (weiter) {
                tx.commit();
                tblAuswert->setValue(artField, index);
            }
        } else {
            EvaluationWizardRules::writeAxisChoice(m_db, m_auswertungNr, typ, index, grouping());
            tblAuswert->setValue(artField, index);
            weiter = true;
        }
    } catch (const VelmoraError &e) {
        Messages::error(e.message());
    }
    refreshFields();
}

bool TAuswertungsAssistent::editField(int feldNr, const QString &typ, bool calculated) {
    TAuswertungFeld editor(m_db, this);
    editor.setAuswertungNr(m_auswertungNr);
    editor.setFeldNr(feldNr);
    editor.setTyp(typ);
    editor.setGruppierung(grouping());
    editor.setBerechnet(calculated);
    editor.setReadOnly(m_readOnly);
    return editor.exec() == QDialog::Accepted;
}

void TAuswertungsAssistent::lbxTablesDblClick() {
    if (m_page == PageBausteine && btnWeiter->isEnabled())
        btnWeiterClick();
}

int TAuswertungsAssistent::selectedDField() {
    if (!tblAFieldD->isOpen() || tblAFieldD->isEmpty() || tblAFieldD->recNo() < 0)
        return 0;
    return tblAFieldD->asInt(QStringLiteral("FeldNr"));
}

void TAuswertungsAssistent::btnFeldAnfuegenClick() {
    if (!btnFeldAnfuegen->isEnabled())
        return;
    editField(0, kD, false);
    refreshFields();
}

void TAuswertungsAssistent::btnBerechnetesFeldClick() {
    if (!btnBerechnetesFeld->isEnabled())
        return;
    editField(0, kD, true);
    refreshFields();
}

void TAuswertungsAssistent::btnFeldBearbeitenClick() {
    const int feldNr = selectedDField();
    if (!btnFeldBearbeiten->isEnabled() || feldNr == 0)
        return;
    editField(feldNr, kD, tblAFieldD->asBool(QStringLiteral("SQL")));
    refreshFields();
}

void TAuswertungsAssistent::btnFeldLoeschenClick() {
    const int feldNr = selectedDField();
    if (!btnFeldLoeschen->isEnabled() || feldNr == 0)
        return;
    try {
        Transaction tx(m_db);
        m_db.execLocal(
            QStringLiteral(
                "delete from AFIELD where (AuswertungNr = :AuswertungNr) and (FeldNr = :FeldNr) and (Typ = 'D')"),
            {{kAuswertungNr, m_auswertungNr}, {QStringLiteral("FeldNr"), feldNr}});
        tx.commit();
    } catch (const VelmoraError &e) {
        Messages::error(e.message());
    }
    refreshFields();
}

void TAuswertungsAssistent::btnZurueckClick() {
    if (!btnZurueck->isVisible())
        return;
    switch (m_page) {
    case PageFelder:
        showPage(PageXAchse);
        break;
    case PageName:
    case PageDokumente:
        break;
    default:
        showPage(m_page - 1);
        break;
    }
}

bool TAuswertungsAssistent::buildQueries() {
    if (!postEvaluation())
        return false;
    try {
        auto builder = std::make_unique<TAuswertungSQL>(m_db);
        builder->AuswertungNr = m_auswertungNr;
        // A read-only evaluation runs with the queries it has stored.
        if (!m_readOnly)
            builder->BuildSQL();
        builder->Art = m_art;
        builder->PersonNr = m_personNr;
        builder->Vergleich = m_vergleichArt != 0;
        builder->VergleichArt = m_vergleichArt;
        builder->VergleichPersonNr = m_vergleichPersonNr;
        m_builder = std::move(builder);
    } catch (const VelmoraError &e) {
        Messages::error(e.message());
        return false;
    }
    return true;
}

void TAuswertungsAssistent::btnFertigClick() {
    if (!btnFertig->isVisible() || !btnFertig->isEnabled())
        return;
    if (m_page == PageFelder) {
        if (!postEvaluation())
            return;
        if (!cbxTest->isChecked()) {
            m_test = false;
            accept();
            return;
        }
        showPage(PageDokumente);
        return;
    }
    if (m_page == PageBedingungen && buildQueries()) {
        m_test = true;
        accept();
    }
}

void TAuswertungsAssistent::btnSQLClick() {
    if (m_page != PageBedingungen || !buildQueries())
        return;
    Query stored(m_db, QStringLiteral("select SQL1, SQL2 from AUSWERT where AuswertungNr = :AuswertungNr"));
    stored.setParam(kAuswertungNr, m_auswertungNr);
    stored.open();
    const QStringList sql1 = TAuswertungSQL::memoLines(stored.asString(QStringLiteral("SQL1")));
    const QStringList sql2 = TAuswertungSQL::memoLines(stored.asString(QStringLiteral("SQL2")));
    SQL1->setPlainText(sql1.join(QLatin1Char('\n')));
    SQL2->setPlainText(sql2.join(QLatin1Char('\n')));
    showPage(PageSQL);
}

void TAuswertungsAssistent::btnOKClick() {
    if (m_page != PageSQL || !postEvaluation())
        return;
    m_test = true;
    accept();
}

void TAuswertungsAssistent::btnAbbruchClick() {
    if (tblAuswert->isEditing())
        tblAuswert->cancel();
    m_builder.reset();
    QDialog::reject();
}

void TAuswertungsAssistent::reject() {
    btnAbbruchClick();
}

void TAuswertungsAssistent::cbxSelectChange() {
    try {
        fillTrees();
    } catch (const VelmoraError &e) {
        Messages::error(e.message());
    }
}

void TAuswertungsAssistent::tvOpenDblClick() {
    if (m_page == PageDokumente && btnWeiter->isEnabled())
        btnWeiterClick();
}

bool TAuswertungsAssistent::eventFilter(QObject *watched, QEvent *event) {
    if ((watched == tvOpen2 || watched == tvOpen3) && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            tvOpenDblClick();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

EvaluationRun TAuswertungsAssistent::runRequest() const {
    EvaluationRun run;
    run.AuswertungNr = m_auswertungNr;
    run.Art = m_art;
    run.PersonNr = m_personNr;
    run.Vergleich = m_vergleichArt != 0;
    run.VergleichArt = m_vergleichArt;
    run.VergleichPersonNr = m_vergleichPersonNr;
    run.Caption = m_caption;
    return run;
}

std::unique_ptr<TAuswertungSQL> TAuswertungsAssistent::takeBuilder() {
    return std::move(m_builder);
}

} // namespace velmora
