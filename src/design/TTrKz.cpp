#include "design/TTrKz.h"

#include "base/Settings.h"
#include "controls/DBControls.h"
#include "controls/TMessageBoxes.h"
#include "design/FormElementCache.h"
#include "design/TFFieldEditor.h"
#include "store/Engine.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTableWidget>
#include <QVBoxLayout>

namespace velmora {

namespace {
enum Page { PageName = 0, PageArt = 1, PageBausteine = 2, PageFelder = 3 };

template <class T> T *named(T *control, const char *name) {
    control->setObjectName(QString::fromLatin1(name));
    return control;
}

QLabel *label(const QString &text, const char *name) {
    auto *l = named(new QLabel(text), name);
    l->setWordWrap(true);
    return l;
}

// Space on a list acts like its arrow button, as a double click does. A
// filter rather than a shortcut: the views use Space for selecting.
class SpaceKey : public QObject {
public:
    SpaceKey(QWidget *view, std::function<void()> action) : QObject(view), m_action(std::move(action)) {
        view->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Space &&
            static_cast<QKeyEvent *>(event)->modifiers() == Qt::NoModifier) {
            m_action();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> m_action;
};

void onSpace(QWidget *view, const std::function<void()> &action) {
    new SpaceKey(view, action);
}

int currentKey(QListWidget *list) {
    QListWidgetItem *item = list->currentItem();
    return item ? item->data(Qt::UserRole).toInt() : -1;
}
} // namespace

TTrKz::TTrKz(QWidget *parent) : QDialog(parent) {
    buildControls();
}

TTrKz::TTrKz(int owner, int serienNr, int trNr, bool readOnly, QWidget *parent) : QDialog(parent) {
    m_options.owner = owner;
    m_options.serienNr = serienNr;
    m_options.trNr = trNr;
    m_options.readOnly = readOnly;
    buildControls();
}

TTrKz::~TTrKz() {
    // The memo must let go of the form's cursor before the design closes it.
    dsTr->setDataSet(nullptr);
    m_design.reset();
}

void TTrKz::buildControls() {
    setObjectName(QStringLiteral("TrKz"));
    setWindowTitle(QStringLiteral("Formularassistent"));
    dsTr = named(new TDataSource(this), "dsTr");
    pcWizard = named(new QStackedWidget, "pcWizard");

    // Page "Name".
    auto *tsName = named(new QWidget, "tsName");
    dbfBeschreibung = named(new TDBMemo, "dbfBeschreibung");
    dbfBeschreibung->setDataSource(dsTr);
    dbfBeschreibung->setDataField(QStringLiteral("Beschreibung"));
    connect(dbfBeschreibung, &QPlainTextEdit::textChanged, this, &TTrKz::dbfBeschreibungChange);
    btnWeiter1 = named(new QPushButton(QStringLiteral("Weiter")), "btnWeiter1");
    connect(btnWeiter1, &QPushButton::clicked, this, &TTrKz::btnWeiter1Click);
    auto *nameLayout = new QVBoxLayout(tsName);
    nameLayout->addWidget(label(QStringLiteral("Beschreibung"), "lblBeschreibung"));
    nameLayout->addWidget(dbfBeschreibung);
    auto *nameButtons = new QHBoxLayout;
    nameButtons->addStretch();
    nameButtons->addWidget(btnWeiter1);
    nameLayout->addLayout(nameButtons);

    // Page "Art".
    auto *tsArt = named(new QWidget, "tsArt");
    rgpFormularart = named(new QGroupBox(QStringLiteral("Formularart")), "rgpFormularart");
    rbDetails = named(new QRadioButton(QStringLiteral("Details")), "rbDetails");
    rbWochensumme = named(new QRadioButton(QStringLiteral("Wochensumme")), "rbWochensumme");
    rbZyklensumme = named(new QRadioButton(QStringLiteral("Zyklensumme")), "rbZyklensumme");
    auto *kinds = new QButtonGroup(this);
    auto *kindLayout = new QVBoxLayout(rgpFormularart);
    int id = 0;
    for (QRadioButton *b : {rbDetails, rbWochensumme, rbZyklensumme}) {
        kinds->addButton(b, id++);
        kindLayout->addWidget(b);
    }
    connect(kinds, &QButtonGroup::idClicked, this, [this](int) { rgpFormularartClick(); });
    btnZurueck2 = named(new QPushButton(QStringLiteral("Zurück")), "btnZurueck2");
    btnWeiter2 = named(new QPushButton(QStringLiteral("Weiter")), "btnWeiter2");
    connect(btnZurueck2, &QPushButton::clicked, this, &TTrKz::btnZurueckClick);
    connect(btnWeiter2, &QPushButton::clicked, this, &TTrKz::btnWeiter2Click);
    auto *artLayout = new QVBoxLayout(tsArt);
    artLayout->addWidget(rgpFormularart);
    artLayout->addWidget(
        label(QStringLiteral("Die Formularart bestimmt in welcher Plaungsebene sie zur Verfügung steht."), "lblArt1"));
    artLayout->addWidget(
        label(QStringLiteral("* Die Wochen- und Zyklensumme ist die Summierung der einzelnen Einheiten pro Woche"),
              "lblArt2"));
    artLayout->addWidget(
        label(QStringLiteral("* In Details wird der Ablauf einer Trainngseinheit dokumentiert"), "lblArt3"));
    artLayout->addStretch();
    auto *artButtons = new QHBoxLayout;
    artButtons->addStretch();
    artButtons->addWidget(btnZurueck2);
    artButtons->addWidget(btnWeiter2);
    artLayout->addLayout(artButtons);

    // Page "Bausteine".
    auto *tsBausteine = named(new QWidget, "tsBausteine");
    lbxVerfuegbar = named(new QListWidget, "lbxVerfuegbar");
    lbxAusgewaehlt = named(new QListWidget, "lbxAusgewaehlt");
    btnEinfuegen = named(new QPushButton(QStringLiteral(">")), "btnEinfuegen");
    btnEntfernen = named(new QPushButton(QStringLiteral("<")), "btnEntfernen");
    connect(btnEinfuegen, &QPushButton::clicked, this, &TTrKz::btnEinfuegenClick);
    connect(btnEntfernen, &QPushButton::clicked, this, &TTrKz::btnEntfernenClick);
    connect(lbxVerfuegbar, &QListWidget::itemDoubleClicked, this, [this] { btnEinfuegenClick(); });
    connect(lbxAusgewaehlt, &QListWidget::itemDoubleClicked, this, [this] { btnEntfernenClick(); });
    onSpace(lbxVerfuegbar, [this] { btnEinfuegenClick(); });
    onSpace(lbxAusgewaehlt, [this] { btnEntfernenClick(); });
    btnZurueck3 = named(new QPushButton(QStringLiteral("Zurück")), "btnZurueck3");
    btnWeiter3 = named(new QPushButton(QStringLiteral("Weiter")), "btnWeiter3");
    connect(btnZurueck3, &QPushButton::clicked, this, &TTrKz::btnZurueckClick);
    connect(btnWeiter3, &QPushButton::clicked, this, &TTrKz::btnWeiter3Click);
    auto *blockGrid = new QGridLayout;
    blockGrid->addWidget(label(QStringLiteral("Zur Verfügunge stehende Bausteine"), "lblVerfuegbar"), 0, 0);
    blockGrid->addWidget(label(QStringLiteral("Ausgewählte Bausteine"), "lblAusgewaehlt"), 0, 2);
    blockGrid->addWidget(lbxVerfuegbar, 1, 0);
    auto *arrows = new QVBoxLayout;
    arrows->addStretch();
    arrows->addWidget(btnEinfuegen);
    arrows->addWidget(btnEntfernen);
    arrows->addStretch();
    blockGrid->addLayout(arrows, 1, 1);
    blockGrid->addWidget(lbxAusgewaehlt, 1, 2);
    auto *blockLayout = new QVBoxLayout(tsBausteine);
    blockLayout->addLayout(blockGrid);
    auto *blockButtons = new QHBoxLayout;
    blockButtons->addStretch();
    blockButtons->addWidget(btnZurueck3);
    blockButtons->addWidget(btnWeiter3);
    blockLayout->addLayout(blockButtons);

    // Page "Felder".
    auto *tsFelder = named(new QWidget, "tsFelder");
    dbgFelder = named(new QTableWidget(0, 6), "dbgFelder");
    dbgFelder->setHorizontalHeaderLabels({QStringLiteral("Baustein"), QStringLiteral("Feld"), QStringLiteral("Prefix"),
                                          QStringLiteral("Postfix"), QStringLiteral("Visible"),
                                          QStringLiteral("Print")});
    dbgFelder->setEditTriggers(QAbstractItemView::NoEditTriggers);
    dbgFelder->setSelectionBehavior(QAbstractItemView::SelectRows);
    dbgFelder->setSelectionMode(QAbstractItemView::SingleSelection);
    dbgFelder->horizontalHeader()->setStretchLastSection(true);
    connect(dbgFelder, &QTableWidget::cellDoubleClicked, this, [this] { btnFeldBearbeitenClick(); });
    onSpace(dbgFelder, [this] { btnFeldBearbeitenClick(); });
    btnFeldBearbeiten = named(new QPushButton(QStringLiteral("Feld bearbeiten")), "btnFeldBearbeiten");
    connect(btnFeldBearbeiten, &QPushButton::clicked, this, &TTrKz::btnFeldBearbeitenClick);
    cbxVorausfuellen =
        named(new QCheckBox(QStringLiteral("Formular mit Defaultwerten vorausfüllen")), "cbxVorausfuellen");
    cbxVorausfuellen->setChecked(true);
    btnZurueck4 = named(new QPushButton(QStringLiteral("Zurück")), "btnZurueck4");
    btnFertig = named(new QPushButton(QStringLiteral("Fertig")), "btnFertig");
    connect(btnZurueck4, &QPushButton::clicked, this, &TTrKz::btnZurueckClick);
    connect(btnFertig, &QPushButton::clicked, this, &TTrKz::btnFertigClick);
    auto *fieldLayout = new QVBoxLayout(tsFelder);
    fieldLayout->addWidget(dbgFelder);
    auto *fieldTools = new QHBoxLayout;
    fieldTools->addWidget(btnFeldBearbeiten);
    fieldTools->addStretch();
    fieldTools->addWidget(cbxVorausfuellen);
    fieldLayout->addLayout(fieldTools);
    auto *fieldButtons = new QHBoxLayout;
    fieldButtons->addStretch();
    fieldButtons->addWidget(btnZurueck4);
    fieldButtons->addWidget(btnFertig);
    fieldLayout->addLayout(fieldButtons);

    for (QWidget *page : {tsName, tsArt, tsBausteine, tsFelder})
        pcWizard->addWidget(page);

    btnAbbruch = named(new QPushButton(QStringLiteral("Abbruch")), "btnAbbruch");
    connect(btnAbbruch, &QPushButton::clicked, this, &TTrKz::btnAbbruchClick);
    auto *bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(btnAbbruch);
    auto *main = new QVBoxLayout(this);
    main->addWidget(pcWizard);
    main->addLayout(bottom);
    resize(520, 400);
}

bool TTrKz::prepare() {
    if (m_prepared)
        return true;
    auto design = std::make_unique<FormDesign>(Engine::current()->dblog(), settings().SerienNr);
    if (!Guarded(this, [&] { design->open(m_options); }))
        return false;
    m_design = std::move(design);
    m_prepared = true;
    dsTr->setDataSet(&m_design->form());
    switch (m_design->kind()) {
    case 1:
        rbWochensumme->setChecked(true);
        break;
    case 2:
        rbZyklensumme->setChecked(true);
        break;
    default:
        rbDetails->setChecked(true);
        break;
    }
    const bool ro = m_options.readOnly;
    rgpFormularart->setEnabled(!ro);
    btnFertig->setEnabled(!ro);
    showPage(PageName);
    dbfBeschreibungChange();
    return true;
}

int TTrKz::exec() {
    if (!prepare())
        return QDialog::Rejected;
    return QDialog::exec();
}

int TTrKz::currentPage() const {
    return pcWizard->currentIndex();
}

void TTrKz::showPage(int page) {
    pcWizard->setCurrentIndex(page);
    if (page == PageBausteine)
        fillBlockLists();
    else if (page == PageFelder)
        fillFieldGrid();
}

void TTrKz::dbfBeschreibungChange() {
    btnWeiter1->setEnabled(!dbfBeschreibung->toPlainText().isEmpty());
}

void TTrKz::btnWeiter1Click() {
    if (!m_design || dbfBeschreibung->toPlainText().isEmpty())
        return;
    if (Guarded(this, [this] {
            dsTr->updateRecord();
            m_design->leaveNamePage();
        }))
        showPage(PageArt);
}

void TTrKz::rgpFormularartClick() {
    if (!m_design)
        return;
    m_design->setKind(rbZyklensumme->isChecked() ? 2 : rbWochensumme->isChecked() ? 1 : 0);
}

void TTrKz::btnWeiter2Click() {
    rgpFormularartClick();
    showPage(PageBausteine);
}

void TTrKz::fillBlockLists() {
    auto fill = [](QListWidget *list, const std::vector<FormDesign::Block> &blocks) {
        const int row = std::max(0, list->currentRow());
        list->clear();
        for (const FormDesign::Block &b : blocks) {
            auto *item = new QListWidgetItem(b.name, list);
            item->setData(Qt::UserRole, b.tableNr);
        }
        if (list->count())
            list->setCurrentRow(std::min(row, list->count() - 1));
    };
    Guarded(this, [&] {
        fill(lbxVerfuegbar, m_design->availableBlocks());
        fill(lbxAusgewaehlt, m_design->chosenBlocks());
    });
    updateBlockButtons();
}

void TTrKz::updateBlockButtons() {
    const bool ro = m_options.readOnly;
    btnEinfuegen->setEnabled(!ro && lbxVerfuegbar->count() > 0);
    btnEntfernen->setEnabled(!ro && lbxAusgewaehlt->count() > 0);
    btnWeiter3->setEnabled(!ro && lbxAusgewaehlt->count() > 0);
}

void TTrKz::btnEinfuegenClick() {
    const int tableNr = currentKey(lbxVerfuegbar);
    if (!btnEinfuegen->isEnabled() || tableNr < 0)
        return;
    Guarded(this, [&] { m_design->includeBlock(tableNr); });
    fillBlockLists();
}

void TTrKz::btnEntfernenClick() {
    const int tableNr = currentKey(lbxAusgewaehlt);
    if (!btnEntfernen->isEnabled() || tableNr < 0)
        return;
    Guarded(this, [&] { m_design->excludeBlock(tableNr); });
    fillBlockLists();
}

void TTrKz::btnWeiter3Click() {
    if (!btnWeiter3->isEnabled())
        return;
    if (Guarded(this, [this] { m_design->alignFields(); }))
        showPage(PageFelder);
}

void TTrKz::fillFieldGrid() {
    const int row = std::max(0, dbgFelder->currentRow());
    std::vector<FormDesign::FieldRow> rows;
    Guarded(this, [&] { rows = m_design->formFields(); });
    dbgFelder->setRowCount(int(rows.size()));
    for (int r = 0; r < int(rows.size()); ++r) {
        const FormDesign::FieldRow &f = rows[size_t(r)];
        const QStringList cells{f.baustein,
                                f.feld,
                                f.prefix,
                                f.postfix,
                                f.visible ? QStringLiteral("Ja") : QStringLiteral("Nein"),
                                f.print ? QStringLiteral("Ja") : QStringLiteral("Nein")};
        for (int c = 0; c < cells.size(); ++c) {
            auto *item = new QTableWidgetItem(cells[c]);
            item->setData(Qt::UserRole, f.order);
            item->setData(Qt::UserRole + 1, f.typ);
            item->setData(Qt::UserRole + 2, f.grid);
            dbgFelder->setItem(r, c, item);
        }
    }
    // Titles and values whole; the last column takes what is left.
    dbgFelder->resizeColumnsToContents();
    if (!rows.empty())
        dbgFelder->setCurrentCell(std::min(row, int(rows.size()) - 1), 0);
    btnFeldBearbeiten->setEnabled(!rows.empty());
}

void TTrKz::btnFeldBearbeitenClick() {
    const int row = dbgFelder->currentRow();
    QTableWidgetItem *block = row >= 0 ? dbgFelder->item(row, 0) : nullptr;
    if (!m_design || !block)
        return;
    const int order = block->data(Qt::UserRole).toInt();
    bool found = false;
    if (!Guarded(this, [&] { found = m_design->locateField(order); }) || !found)
        return;
    const QString displayName = block->text() + QLatin1Char(' ') + dbgFelder->item(row, 1)->text();
    TFFieldEditor editor(&m_design->fields(), block->data(Qt::UserRole + 1).toString(),
                         block->data(Qt::UserRole + 2).toBool(), m_options.readOnly, m_options.owner, displayName,
                         this);
    editor.editPickList = editPickList;
    editor.exec();
    fillFieldGrid();
}

void TTrKz::btnFertigClick() {
    if (!m_design)
        return;
    m_fillIn = cbxVorausfuellen->isChecked();
    if (!Guarded(this, [this] {
            dsTr->updateRecord();
            m_name = m_design->formName();
            m_design->finish(FormElementCache());
        }))
        return;
    m_finished = true;
    accept();
}

void TTrKz::btnZurueckClick() {
    const int page = currentPage();
    if (page > PageName)
        showPage(page - 1);
}

void TTrKz::btnAbbruchClick() {
    if (m_design && !m_finished)
        Guarded(this, [this] {
            m_name = m_design->formName();
            m_design->cancel(FormElementCache());
        });
    QDialog::reject();
}

void TTrKz::reject() {
    btnAbbruchClick();
}

} // namespace velmora
