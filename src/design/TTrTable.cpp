#include "design/TTrTable.h"

#include "base/Paths.h"
#include "base/Settings.h"
#include "controls/DBControls.h"
#include "controls/TDBTypeGrid.h"
#include "controls/TMessageBoxes.h"
#include "design/TTrFieldEditor.h"
#include "store/CursorModel.h"
#include "store/Engine.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

namespace velmora {

namespace {
template <class T> T *named(T *control, const char *name) {
    control->setObjectName(QString::fromLatin1(name));
    return control;
}

// A small sketch of the presentation: labelled edits for a card, rows and
// columns for a grid.
QPixmap presentationPicture(bool grid) {
    QPixmap pm(160, 100);
    pm.fill(Qt::white);
    QPainter p(&pm);
    p.setPen(Qt::darkGray);
    if (grid) {
        for (int r = 0; r < 5; ++r)
            for (int c = 0; c < 3; ++c) {
                const QRect cell(10 + c * 47, 10 + r * 16, 47, 16);
                if (r == 0)
                    p.fillRect(cell, Qt::lightGray);
                p.drawRect(cell);
            }
    } else {
        for (int r = 0; r < 3; ++r) {
            p.fillRect(QRect(10, 14 + r * 26, 40, 8), Qt::lightGray);
            p.drawRect(QRect(60, 10 + r * 26, 88, 16));
        }
    }
    return pm;
}
} // namespace

TTrTable::TTrTable(QWidget *parent) : QDialog(parent) {
    buildControls();
}

TTrTable::~TTrTable() {
    // The views let go of the cursors before the design closes them.
    dsTable->setDataSet(nullptr);
    dbgFelder->setCursorModel(nullptr);
    delete m_fieldModel;
    m_design.reset();
}

void TTrTable::setTrainerNr(int trainerNr) {
    m_trainerNr = trainerNr;
    m_existing = false;
}

void TTrTable::setTableNr(int tableNr) {
    m_tableNr = tableNr;
    m_existing = true;
}

void TTrTable::setReadOnly(bool readOnly) {
    m_readOnly = readOnly;
}

int TTrTable::TableNr() const {
    return m_design ? m_design->tableNr() : m_tableNr;
}

void TTrTable::buildControls() {
    setObjectName(QStringLiteral("TrTable"));
    setWindowTitle(QStringLiteral("Assistent für Formularbausteine"));
    dsTable = named(new TDataSource(this), "dsTable");

    pcTable = named(new QTabWidget, "pcTable");
    // Pages change through the buttons only.
    pcTable->tabBar()->setAttribute(Qt::WA_TransparentForMouseEvents);
    pcTable->tabBar()->setFocusPolicy(Qt::NoFocus);
    connect(pcTable, &QTabWidget::currentChanged, this, [this](int index) {
        if (!m_pageChange && index != m_page)
            pcTable->setCurrentIndex(m_page);
    });

    // Page "Name".
    auto *namePage = named(new QWidget, "tsName");
    auto *nameForm = new QFormLayout(namePage);
    dbfName = named(new TDBEdit, BlockDesign::kNameControl);
    dbfName->setDataSource(dsTable);
    dbfName->setDataField(QStringLiteral("Name"));
    dbfBeschreibung = named(new TDBMemo, "dbfBeschreibung");
    dbfBeschreibung->setDataSource(dsTable);
    dbfBeschreibung->setDataField(QStringLiteral("Beschreibung"));
    nameForm->addRow(named(new QLabel(QStringLiteral("Name des Bausteins")), "lblName"), dbfName);
    nameForm->addRow(named(new QLabel(QStringLiteral("Beschreibung")), "lblBeschreibung"), dbfBeschreibung);
    connect(dbfName, &QLineEdit::textChanged, this, &TTrTable::updateButtons);

    // Page "Darstellungsart".
    auto *presentationPage = named(new QWidget, "tsDarstellungsart");
    auto *presentationLayout = new QHBoxLayout(presentationPage);
    auto *group = named(new QGroupBox(QStringLiteral("Darstellungsart")), "rgpDarstellung");
    rgpDarstellung = group;
    auto *groupLayout = new QVBoxLayout(group);
    rbtEinfach = named(new QRadioButton(QStringLiteral("Einfachformular")), "rbtEinfach");
    rbtEndless = named(new QRadioButton(QStringLiteral("Endlosformular")), "rbtEndless");
    rbtGrid = named(new QRadioButton(QStringLiteral("Tabellenform")), "rbtGrid");
    rbtEndless->setEnabled(false);
    rbtEinfach->setChecked(true);
    for (QRadioButton *b : {rbtEinfach, rbtEndless, rbtGrid}) {
        groupLayout->addWidget(b);
        connect(b, &QRadioButton::toggled, this, [this](bool on) {
            if (on)
                rgpDarstellungClick();
        });
    }
    groupLayout->addStretch();
    imgDarstellung = named(new QLabel, "imgDarstellung");
    presentationLayout->addWidget(group);
    presentationLayout->addWidget(imgDarstellung);

    // Page "Felder".
    auto *fieldPage = named(new QWidget, "tsFelder");
    auto *fieldLayout = new QHBoxLayout(fieldPage);
    dbgFelder = named(new TDBTypeGrid, BlockDesign::kFieldGridControl);
    dbgFelder->setFitToContents(true); // titles such as "Visible" are never cut
    dbgFelder->setEditTriggers(QAbstractItemView::NoEditTriggers);
    dbgFelder->setSelectionBehavior(QAbstractItemView::SelectRows);
    btnNeuesFeld = named(new QPushButton(QStringLiteral("neues Feld")), "btnNeuesFeld");
    btnFeldAendern = named(new QPushButton(QStringLiteral("Feld ändern")), "btnFeldAendern");
    btnFeldLoeschen = named(new QPushButton(QStringLiteral("Feld löschen")), "btnFeldLoeschen");
    cbxLayout = named(new QCheckBox(QStringLiteral("Layout festlegen")), "cbxLayout");
    cbxLayout->setChecked(true);
    connect(btnNeuesFeld, &QPushButton::clicked, this, &TTrTable::btnNeuesFeldClick);
    connect(btnFeldAendern, &QPushButton::clicked, this, &TTrTable::btnFeldAendernClick);
    connect(btnFeldLoeschen, &QPushButton::clicked, this, &TTrTable::btnFeldLoeschenClick);
    auto *fieldButtons = new QVBoxLayout;
    fieldButtons->addWidget(btnNeuesFeld);
    fieldButtons->addWidget(btnFeldAendern);
    fieldButtons->addWidget(btnFeldLoeschen);
    fieldButtons->addStretch();
    fieldButtons->addWidget(cbxLayout);
    fieldLayout->addWidget(dbgFelder, 1);
    fieldLayout->addLayout(fieldButtons);

    pcTable->addTab(namePage, QStringLiteral("Name"));
    pcTable->addTab(presentationPage, QStringLiteral("Darstellungsart"));
    pcTable->addTab(fieldPage, QStringLiteral("Felder"));

    btnBack = named(new QPushButton(QStringLiteral("< Zurück")), "btnBack");
    btnNext = named(new QPushButton(QStringLiteral("Weiter >")), "btnNext");
    btnOk = named(new QPushButton(QStringLiteral("Fertig")), "btnOk");
    btnCancel = named(new QPushButton(QStringLiteral("Abbruch")), "btnCancel");
    btnNext->setDefault(true);
    connect(btnBack, &QPushButton::clicked, this, &TTrTable::btnBackClick);
    connect(btnNext, &QPushButton::clicked, this, &TTrTable::btnNextClick);
    connect(btnOk, &QPushButton::clicked, this, &TTrTable::btnOkClick);
    connect(btnCancel, &QPushButton::clicked, this, &TTrTable::btnCancelClick);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnBack);
    buttons->addWidget(btnNext);
    buttons->addWidget(btnOk);
    buttons->addWidget(btnCancel);

    auto *main = new QVBoxLayout(this);
    main->addWidget(pcTable);
    main->addLayout(buttons);
    showPicture();
    setPage(PageName);
}

bool TTrTable::prepare() {
    if (m_prepared)
        return true;
    m_design = std::make_unique<BlockDesign>(Engine::current()->dblog(), settings().SerienNr);
    try {
        if (m_existing)
            m_design->openExisting(m_tableNr, m_readOnly);
        else
            m_design->openNew(m_trainerNr);
    } catch (const VelmoraError &e) {
        Messages::error(e.message());
        m_design.reset();
        return false;
    }
    m_prepared = true;
    m_tableNr = m_design->tableNr();
    m_readOnly = m_design->isReadOnly();
    Cursor &block = m_design->block();
    dsTable->setDataSet(&block);
    rbtGrid->setChecked(block.asBool(QStringLiteral("Grid")));
    rbtEndless->setChecked(!rbtGrid->isChecked() && block.asBool(QStringLiteral("Endless")));
    if (!rbtGrid->isChecked() && !rbtEndless->isChecked())
        rbtEinfach->setChecked(true);
    rgpDarstellung->setEnabled(!m_readOnly);

    m_fieldModel = new CursorModel(&m_design->fields());
    m_fieldModel->setColumns({{QStringLiteral("Feldname"), {}, 0, false, true},
                              {QStringLiteral("Typ"), {}, 0, false, true},
                              {QStringLiteral("Größe"), {}, 0, false, true},
                              {QStringLiteral("Beschreibung"), {}, 0, false, true},
                              {QStringLiteral("DisplayMask"), {}, 0, false, true}});
    dbgFelder->setCursorModel(m_fieldModel);
    dbgFelder->applyDisplayWidths();
    updateButtons();
    return true;
}

int TTrTable::exec() {
    if (!prepare())
        return Rejected;
    return QDialog::exec();
}

void TTrTable::setPage(int page) {
    m_page = page;
    m_pageChange = true;
    pcTable->setCurrentIndex(page);
    m_pageChange = false;
    updateButtons();
}

void TTrTable::updateButtons() {
    const bool ready = m_design != nullptr;
    const int fields = ready ? m_design->fieldCount() : 0;
    btnBack->setEnabled(m_page > PageName);
    btnNext->setVisible(m_page < PageFelder);
    btnNext->setEnabled(m_page != PageName || m_readOnly || !dbfName->text().isEmpty());
    btnOk->setVisible(m_page == PageFelder);
    btnNeuesFeld->setEnabled(ready && !m_readOnly);
    btnFeldAendern->setEnabled(fields > 0);
    btnFeldLoeschen->setEnabled(fields > 0 && !m_readOnly);
    btnOk->setEnabled(fields > 0 && !m_readOnly);
}

void TTrTable::showPicture() {
    imgDarstellung->setPixmap(presentationPicture(rbtGrid->isChecked()));
}

void TTrTable::rgpDarstellungClick() {
    showPicture();
    if (m_design)
        m_design->setPresentation(rbtGrid->isChecked(), rbtEndless->isChecked());
}

void TTrTable::btnNextClick() {
    if (!m_design)
        return;
    if (m_page == PageName) {
        if (!m_readOnly) {
            try {
                dsTable->updateRecord();
                m_design->checkName();
            } catch (const VelmoraError &e) {
                FocusControl(this, e.control());
                Messages::error(e.message());
                return;
            }
        }
        setPage(PageDarstellungsart);
    } else if (m_page == PageDarstellungsart) {
        setPage(PageFelder);
    }
}

void TTrTable::btnBackClick() {
    if (m_page > PageName)
        setPage(m_page - 1);
}

void TTrTable::editField() {
    TTrFieldEditor editor(&m_design->fields(), m_design->tableNr(), rbtGrid->isChecked(), m_readOnly, this);
    editor.exec();
    // Whatever ended the editor, the row is no longer half-edited.
    if (m_design->fields().isEditing())
        m_design->fields().cancel();
    updateButtons();
}

void TTrTable::btnNeuesFeldClick() {
    if (!m_design || m_readOnly)
        return;
    try {
        m_design->appendField();
    } catch (const VelmoraError &e) {
        Messages::error(e.message());
        return;
    }
    editField();
}

void TTrTable::btnFeldAendernClick() {
    if (!m_design || m_design->fieldCount() == 0)
        return;
    editField();
}

void TTrTable::btnFeldLoeschenClick() {
    if (!m_design || m_readOnly)
        return;
    try {
        m_design->deleteField();
    } catch (const VelmoraError &e) {
        Messages::error(e.message());
    }
    updateButtons();
}

void TTrTable::btnOkClick() {
    if (!m_design || m_readOnly)
        return;
    m_layoutRequested = cbxLayout->isChecked();
    QString idx = m_indexFile.isEmpty() ? FileNextToProgram(QStringLiteral("IDX")) : m_indexFile;
    try {
        dsTable->updateRecord();
        m_design->setPresentation(rbtGrid->isChecked(), rbtEndless->isChecked());
        m_design->finish(idx);
    } catch (const VelmoraError &e) {
        FocusControl(this, e.control());
        Messages::error(e.message());
        dsTable->refreshEditors();
        updateButtons();
        return;
    }
    accept();
}

void TTrTable::Discard() {
    if (!m_design)
        return;
    try {
        m_design->discard();
    } catch (const VelmoraError &e) {
        Messages::error(e.message());
    }
}

void TTrTable::btnCancelClick() {
    Discard();
    QDialog::reject();
}

void TTrTable::reject() {
    btnCancelClick();
}

} // namespace velmora
