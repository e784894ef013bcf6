#include "people/TFilter.h"

#include "base/Helpers.h"
#include "base/Settings.h"
#include "controls/DBControls.h"
#include "controls/TMessageBoxes.h"
#include "store/Engine.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace velmora {

namespace {
template <class T> T *named(T *control, const char *name) {
    control->setObjectName(QString::fromLatin1(name));
    return control;
}

QSpinBox *spinner(const char *name, int low, int high) {
    auto *s = named(new QSpinBox, name);
    s->setRange(low, high);
    return s;
}
} // namespace

TFilter::TFilter(QWidget *parent) : QDialog(parent) {
    buildControls();
}

TFilter::TFilter(int filterNr, int owner, int group, const QString &name, bool readOnly, QWidget *parent)
    : QDialog(parent), m_name(name) {
    m_options.filterNr = filterNr;
    m_options.owner = owner;
    m_options.group = group;
    m_options.readOnly = readOnly;
    buildControls();
}

TFilter::~TFilter() {
    // The editors must let go of the cursor before the editor closes it.
    dsFilter->setDataSet(nullptr);
    m_editor.reset();
}

void TFilter::buildControls() {
    setObjectName(QStringLiteral("Filter"));
    setWindowTitle(QStringLiteral("Filter"));
    dsFilter = named(new TDataSource(this), "dsFilter");

    dbfName = named(new TDBEdit, FilterEditor::kNameControl);
    dbfName->setDataSource(dsFilter);
    dbfName->setDataField(QStringLiteral("Name"));
    cbxDokument = named(new QComboBox, "cbxDokument");
    cbxDokument->addItems(FilterRules::kDokumente);
    cbxDokument->setCurrentIndex(FilterRules::kDefaultDokument);
    cbxPlanungsebene = named(new QComboBox, "cbxPlanungsebene");
    cbxPlanungsebene->addItems(FilterRules::kEbenen);
    cbxPlanungsebene->setCurrentIndex(FilterRules::kDefaultEbene);
    auto *head = new QFormLayout;
    head->addRow(named(new QLabel(QStringLiteral("Filtername")), "lblName"), dbfName);
    head->addRow(named(new QLabel(QStringLiteral("Dokument")), "lblDokument"), cbxDokument);
    head->addRow(named(new QLabel(QStringLiteral("Planungsebene")), "lblPlanungsebene"), cbxPlanungsebene);

    auto *range = named(new QGroupBox(QStringLiteral("Zeitbereich")), "gbxZeitbereich");
    auto *rangeGrid = new QGridLayout(range);
    cbxVon = named(new QCheckBox(QStringLiteral("von")), "cbxVon");
    cbxBis = named(new QCheckBox(QStringLiteral("bis")), "cbxBis");
    txtVon = named(new QLineEdit, "txtVon");
    txtBis = named(new QLineEdit, "txtBis");
    lblVon = named(new QLabel, "lblVon");
    lblBis = named(new QLabel, "lblBis");
    cbxRelativ = named(new TDBCheckBox(QStringLiteral("relativer Zeitbereich")), "cbxRelativ");
    cbxRelativ->setDataSource(dsFilter);
    cbxRelativ->setDataField(QStringLiteral("Relativ"));
    connect(cbxRelativ, &QCheckBox::clicked, this, &TFilter::cbxRelativClick);
    rangeGrid->addWidget(cbxVon, 0, 0);
    rangeGrid->addWidget(txtVon, 0, 1);
    rangeGrid->addWidget(lblVon, 0, 2);
    rangeGrid->addWidget(cbxBis, 1, 0);
    rangeGrid->addWidget(txtBis, 1, 1);
    rangeGrid->addWidget(lblBis, 1, 2);
    rangeGrid->addWidget(cbxRelativ, 2, 0, 1, 3);

    btnWoche = named(new QPushButton(QStringLiteral("Woche")), "btnWoche");
    btnMonat = named(new QPushButton(QStringLiteral("Monat")), "btnMonat");
    btnJahr = named(new QPushButton(QStringLiteral("Jahr")), "btnJahr");
    btnAlles = named(new QPushButton(QStringLiteral("alles")), "btnAlles");
    btnHeute = named(new QPushButton(QStringLiteral("heute")), "btnHeute");
    spnWoche = spinner("spnWoche", 1, 52);
    spnMonat = spinner("spnMonat", 1, 12);
    spnJahr = spinner("spnJahr", 1875, 2100);
    connect(btnWoche, &QPushButton::clicked, this, &TFilter::btnWocheClick);
    connect(btnMonat, &QPushButton::clicked, this, &TFilter::btnMonatClick);
    connect(btnJahr, &QPushButton::clicked, this, &TFilter::btnJahrClick);
    connect(btnAlles, &QPushButton::clicked, this, &TFilter::btnAllesClick);
    connect(btnHeute, &QPushButton::clicked, this, &TFilter::btnHeuteClick);
    rangeGrid->addWidget(btnWoche, 0, 3);
    rangeGrid->addWidget(spnWoche, 0, 4);
    rangeGrid->addWidget(btnMonat, 1, 3);
    rangeGrid->addWidget(spnMonat, 1, 4);
    rangeGrid->addWidget(btnJahr, 2, 3);
    rangeGrid->addWidget(spnJahr, 2, 4);
    rangeGrid->addWidget(btnAlles, 3, 3);
    rangeGrid->addWidget(btnHeute, 3, 4);

    auto *lists = new QGridLayout;
    const std::pair<QListWidget **, std::pair<const char *, const char *>> listDefs[] = {
        {&lbxAutoren, {"lbxAutoren", "Autoren"}},
        {&lbxPersonen, {"lbxPersonen", "Personen"}},
        {&lbxFormulare, {"lbxFormulare", "Formulare"}},
        {&lbxProjekte, {"lbxProjekte", "Projekte"}}};
    int column = 0;
    for (const auto &[list, names] : listDefs) {
        *list = named(new QListWidget, names.first);
        auto *caption = new QLabel(QString::fromUtf8(names.second));
        caption->setObjectName(QStringLiteral("lbl") + QString::fromUtf8(names.second));
        caption->setBuddy(*list);
        lists->addWidget(caption, 0, column);
        lists->addWidget(*list, 1, column);
        ++column;
    }
    // Projects are reserved: shown, never filled, never written.
    lbxProjekte->setEnabled(false);

    btnOk = named(new QPushButton(QStringLiteral("Fertig")), "btnOk");
    btnCancel = named(new QPushButton(QStringLiteral("Abbruch")), "btnCancel");
    btnOk->setDefault(true);
    connect(btnOk, &QPushButton::clicked, this, &TFilter::btnOkClick);
    connect(btnCancel, &QPushButton::clicked, this, &TFilter::btnCancelClick);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOk);
    buttons->addWidget(btnCancel);

    auto *main = new QVBoxLayout(this);
    main->addLayout(head);
    main->addWidget(range);
    main->addLayout(lists);
    main->addLayout(buttons);
}

bool TFilter::prepare() {
    if (m_prepared)
        return true;
    spnWoche->setValue(WeekOfDate(m_today));
    spnMonat->setValue(m_today.month());
    spnJahr->setValue(m_today.year());

    m_editor = std::make_unique<FilterEditor>(Engine::current()->dblog(), settings().SerienNr);
    try {
        m_editor->open(m_options);
    } catch (const VelmoraError &e) {
        Messages::error(e.message());
        m_editor.reset();
        return false;
    }
    m_prepared = true;
    Cursor &row = m_editor->filter();
    dsFilter->setDataSet(&row);
    m_filterNr = m_editor->filterNr();
    connect(&row, &Cursor::scrolled, this, &TFilter::tblFilterAfterScroll);

    if (m_editor->isNew()) {
        setWindowTitle(QStringLiteral("Filter"));
    } else {
        // Without a name from the caller the row's own name stands in.
        const QString name = m_name.isEmpty() ? row.asString(QStringLiteral("Name")) : m_name;
        setWindowTitle(QStringLiteral("Filter ") + name);
    }
    btnOk->setEnabled(!m_options.readOnly);
    tblFilterAfterScroll();
    return true;
}

int TFilter::exec() {
    if (!prepare())
        return Rejected;
    return QDialog::exec();
}

void TFilter::tblFilterAfterScroll() {
    if (!m_editor || m_closing)
        return;
    Cursor &row = m_editor->filter();
    if (!row.isOpen())
        return;
    const bool relative = row.asBool(QStringLiteral("Relativ"));
    applyRelativeRule(relative);
    const QVariant von = row.value(QStringLiteral("Von"));
    const QVariant bis = row.value(QStringLiteral("Bis"));
    cbxVon->setChecked(!von.isNull());
    cbxBis->setChecked(!bis.isNull());
    if (!von.isNull())
        txtVon->setText(FilterRules::rangeText(von, relative));
    if (!bis.isNull())
        txtBis->setText(FilterRules::rangeText(bis, relative));

    const int art = row.asInt(QStringLiteral("Art"));
    if (const auto d = FilterRules::dokumentFromArt(art))
        cbxDokument->setCurrentIndex(*d);
    if (const auto e = FilterRules::ebeneFromArt(art))
        cbxPlanungsebene->setCurrentIndex(*e);

    Database &db = row.database();
    const auto people = FilterEditor::personItems(db, m_options.group);
    fillList(lbxAutoren, people, row.asString(QStringLiteral("Autoren")));
    fillList(lbxPersonen, people, row.asString(QStringLiteral("Personen")));
    fillList(lbxFormulare, FilterEditor::formItems(db), row.asString(QStringLiteral("Formulare")));
}

void TFilter::fillList(QListWidget *list, const std::vector<FilterListItem> &items, const QString &memo) {
    const QList<qint64> keys = FilterRules::splitKeys(memo);
    list->clear();
    for (const FilterListItem &item : items) {
        auto *w = new QListWidgetItem(item.name, list);
        w->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        w->setData(Qt::UserRole, item.key);
        w->setCheckState(keys.contains(item.key) ? Qt::Checked : Qt::Unchecked);
    }
}

QList<qint64> TFilter::checkedKeys(QListWidget *list) const {
    QList<qint64> keys;
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->checkState() == Qt::Checked)
            keys << list->item(i)->data(Qt::UserRole).toLongLong();
    return keys;
}

void TFilter::applyRelativeRule(bool relative) {
    m_relativeShown = relative;
    btnJahr->setEnabled(FilterRules::isAvailable(FilterRules::QuickButton::Jahr, relative));
    const QString label = relative ? FilterRules::kDaysLabel : QString();
    const QString mask = relative ? FilterRules::kRelativeMask : FilterRules::kAbsoluteMask;
    lblVon->setText(label);
    lblBis->setText(label);
    for (QLineEdit *e : {txtVon, txtBis}) {
        e->setInputMask(mask);
        e->clear();
    }
}

void TFilter::cbxRelativClick() {
    // A read-only box reports the click without changing; the range shown
    // must then stay as it is.
    if (cbxRelativ->isChecked() != m_relativeShown)
        applyRelativeRule(cbxRelativ->isChecked());
}

void TFilter::quickButton(FilterRules::QuickButton button) {
    const auto range = FilterRules::quickRange(button, cbxRelativ->isChecked(), m_today, spnWoche->value(),
                                               spnMonat->value(), spnJahr->value());
    if (!range)
        return;
    txtVon->setText(range->von);
    txtBis->setText(range->bis);
    cbxVon->setChecked(range->checked);
    cbxBis->setChecked(range->checked);
}

void TFilter::btnHeuteClick() {
    quickButton(FilterRules::QuickButton::Heute);
}
void TFilter::btnWocheClick() {
    quickButton(FilterRules::QuickButton::Woche);
}
void TFilter::btnMonatClick() {
    quickButton(FilterRules::QuickButton::Monat);
}
void TFilter::btnJahrClick() {
    quickButton(FilterRules::QuickButton::Jahr);
}
void TFilter::btnAllesClick() {
    quickButton(FilterRules::QuickButton::Alles);
}

FilterEditor::Choices TFilter::choices() const {
    FilterEditor::Choices c;
    c.dokument = FilterRules::kDokumente.indexOf(cbxDokument->currentText());
    c.ebene = FilterRules::kEbenen.indexOf(cbxPlanungsebene->currentText());
    c.vonChecked = cbxVon->isChecked();
    c.bisChecked = cbxBis->isChecked();
    c.vonText = txtVon->text();
    c.bisText = txtBis->text();
    c.autoren = checkedKeys(lbxAutoren);
    c.personen = checkedKeys(lbxPersonen);
    c.formulare = checkedKeys(lbxFormulare);
    return c;
}

void TFilter::btnOkClick() {
    if (!m_editor || m_options.readOnly)
        return;
    try {
        dsFilter->updateRecord();
        const FilterEditor::Choices c = choices();
        m_closing = true;
        m_editor->finish(c);
    } catch (const VelmoraError &e) {
        m_closing = false;
        FocusControl(this, e.control());
        Messages::error(e.message());
        return;
    }
    accept();
}

void TFilter::btnCancelClick() {
    m_closing = true;
    if (m_editor)
        m_editor->cancel();
    QDialog::reject();
}

void TFilter::reject() {
    btnCancelClick();
}

} // namespace velmora
