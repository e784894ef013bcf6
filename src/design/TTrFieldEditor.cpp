#include "design/TTrFieldEditor.h"

#include "base/Helpers.h"
#include "controls/DBControls.h"
#include "controls/TMessageBoxes.h"
#include "design/BlockTable.h"

#include <QButtonGroup>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

namespace velmora {

namespace {
const QString kFeldname = QStringLiteral("Feldname");
const QString kPrefix = QStringLiteral("Prefix");
const QString kGroesse = QStringLiteral("Größe");
const QString kWerte = QStringLiteral("Werte");

template <class T> T *named(T *control, const char *name) {
    control->setObjectName(QString::fromLatin1(name));
    return control;
}

QLabel *label(const QString &caption, const char *name) {
    auto *l = named(new QLabel(caption), name);
    l->setWordWrap(true);
    return l;
}
} // namespace

TTrFieldEditor::TTrFieldEditor(Cursor *fields, int tableNr, bool grid, bool readOnly, QWidget *parent)
    : QDialog(parent), m_fields(fields), m_tableNr(tableNr), m_grid(grid), m_readOnly(readOnly) {
    buildControls();
    if (m_fields && !m_readOnly && !m_fields->isEditing() && m_fields->recNo() >= 0)
        m_fields->edit();
    dsFeld->setDataSet(m_fields);
    if (m_fields && !m_readOnly && m_fields->isEditing() && m_fields->asString(kFeldname).isEmpty())
        m_fields->setValue(kFeldname, FieldRules::defaultName(m_fields->asInt(QStringLiteral("Order"))));
    dsFeld->refreshEditors();

    // The labels depend on the presentation: a grid shows one column heading.
    if (m_grid) {
        lblPrefix->setText(QStringLiteral("Spaltenbezeichnung"));
        lblErklaerung->setText(QStringLiteral(
            "Zuletzt geben Sie bitte die Bezeichnung an, mit der die Spalte in der Tabelle benannt ist."));
        lblPostfix->hide();
        dbfPostfix->hide();
    }
    setPage(PageFeldname);
}

TTrFieldEditor::~TTrFieldEditor() {
    // The editors let go of the designer's cursor, which outlives the window.
    dsFeld->setDataSet(nullptr);
}

void TTrFieldEditor::buildControls() {
    setObjectName(QStringLiteral("TrFieldEditor"));
    setWindowTitle(QStringLiteral("Feld bearbeiten"));
    dsFeld = named(new TDataSource(this), "dsFeld");
    auto bind = [this](auto *editor, const QString &field) {
        editor->setDataSource(dsFeld);
        editor->setDataField(field);
        return editor;
    };

    pcFeld = named(new QTabWidget, "pcFeld");
    // Pages change through the buttons only.
    pcFeld->tabBar()->setAttribute(Qt::WA_TransparentForMouseEvents);
    pcFeld->tabBar()->setFocusPolicy(Qt::NoFocus);
    connect(pcFeld, &QTabWidget::currentChanged, this, [this](int index) {
        if (!m_pageChange && index != m_page)
            pcFeld->setCurrentIndex(m_page);
    });

    // Page "Feldname".
    auto *namePage = named(new QWidget, "tsFeldname");
    auto *nameForm = new QFormLayout(namePage);
    dbfFeldname = bind(named(new TDBEdit, FieldRules::kNameControl), kFeldname);
    dbfBeschreibung = bind(named(new TDBEdit, "dbfBeschreibung"), QStringLiteral("Beschreibung"));
    lblPrefix = label(QStringLiteral("Prefix"), "lblPrefix");
    dbfPrefix = bind(named(new TDBEdit, "dbfPrefix"), kPrefix);
    lblPostfix = label(QStringLiteral("Postfix"), "lblPostfix");
    dbfPostfix = bind(named(new TDBEdit, "dbfPostfix"), QStringLiteral("Postfix"));
    lblErklaerung = label(QStringLiteral("Das Prefix wird im Formular vor- und das Postfix nach dem Feld angezeigt."),
                          "lblErklaerung");
    nameForm->addRow(label(QStringLiteral("Feldname"), "lblFeldname"), dbfFeldname);
    nameForm->addRow(label(QStringLiteral("Beschreibung"), "lblBeschreibung"), dbfBeschreibung);
    nameForm->addRow(lblErklaerung);
    nameForm->addRow(lblPrefix, dbfPrefix);
    nameForm->addRow(lblPostfix, dbfPostfix);
    connect(dbfFeldname, &QLineEdit::editingFinished, this, &TTrFieldEditor::dbfFeldnameExit);
    connect(dbfFeldname, &QLineEdit::textChanged, this, &TTrFieldEditor::updateButtons);
    connect(dbfBeschreibung, &QLineEdit::textChanged, this, &TTrFieldEditor::updateButtons);

    // Page "Feldtyp": the choices in their three groups.
    auto *typePage = named(new QWidget, "tsFeldtyp");
    auto *typeLayout = new QVBoxLayout(typePage);
    m_choices = new QButtonGroup(this);
    using C = FieldRules::Choice;
    const std::pair<const char *, std::pair<const char *, std::vector<C>>> groups[] = {
        {"gbxTextfelder", {"Textfelder", {C::Textzeile, C::Combobox, C::Indexfeld, C::Memo}}},
        {"gbxZahlenfelder", {"Zahlenfelder", {C::GanzeZahl, C::Kommazahl, C::Indikator, C::Zeit}}},
        {"gbxLogischeFelder", {"Logische Felder", {C::Checkbox}}},
    };
    auto *groupRow = new QHBoxLayout;
    for (const auto &[name, content] : groups) {
        auto *box = named(new QGroupBox(QString::fromUtf8(content.first)), name);
        auto *boxLayout = new QVBoxLayout(box);
        for (C choice : content.second) {
            auto *b = new QRadioButton(FieldRules::caption(choice));
            b->setObjectName(FieldRules::objectName(choice));
            m_choices->addButton(b, int(choice));
            m_choiceButtons[size_t(choice)] = b;
            boxLayout->addWidget(b);
        }
        boxLayout->addStretch();
        groupRow->addWidget(box);
    }
    connect(m_choices, &QButtonGroup::idClicked, this, &TTrFieldEditor::rbtChoiceClick);
    lblHinweis = label(QString(), "lblHinweis");
    lblHinweis->setMinimumHeight(48);
    typeLayout->addLayout(groupRow);
    typeLayout->addWidget(lblHinweis);
    typeLayout->addStretch();

    // Page "Wertebereich".
    auto *rangePage = named(new QWidget, "tsWertebereich");
    auto *rangeForm = new QFormLayout(rangePage);
    lblGroesse = label(QStringLiteral("Anzahl der Zeichen"), "lblGroesse");
    dbfGroesse = bind(named(new TDBEdit, FieldRules::kSizeControl), kGroesse);
    dbfGroesse->setToolTip(QStringLiteral("Anzahl der Zeichn, zwischen 1 und 255."));
    lblKleinsterWert = label(QStringLiteral("Kleinster Wert"), "lblKleinsterWert");
    txtKleinsterWert = named(new QLineEdit, FieldRules::kSmallestControl);
    lblGroessterWert = label(QStringLiteral("Größter Wert"), "lblGroessterWert");
    txtGroessterWert = named(new QLineEdit, FieldRules::kLargestControl);
    lblWerte = label(QStringLiteral("Werte"), "lblWerte");
    dbfWerte = bind(named(new TDBMemo, FieldRules::kValuesControl), kWerte);
    cbxStrikt = bind(named(new TDBCheckBox(QStringLiteral("nur vorgegebene Werte sind zulässig")), "cbxStrikt"),
                     QStringLiteral("Strikt"));
    // The editor decides Strikt from the type; the user cannot.
    cbxStrikt->setEnabled(false);
    rangeForm->addRow(lblGroesse, dbfGroesse);
    rangeForm->addRow(lblKleinsterWert, txtKleinsterWert);
    rangeForm->addRow(lblGroessterWert, txtGroessterWert);
    rangeForm->addRow(lblWerte, dbfWerte);
    rangeForm->addRow(cbxStrikt);

    pcFeld->addTab(namePage, QStringLiteral("Feldname"));
    pcFeld->addTab(typePage, QStringLiteral("Feldtyp"));
    pcFeld->addTab(rangePage, QStringLiteral("Wertebereich"));

    btnBack = named(new QPushButton(QStringLiteral("< Zurück")), "btnBack");
    btnNext = named(new QPushButton(QStringLiteral("Weiter >")), "btnNext");
    btnOk = named(new QPushButton(QStringLiteral("Fertig")), "btnOk");
    btnCancel = named(new QPushButton(QStringLiteral("Abbruch")), "btnCancel");
    btnNext->setDefault(true);
    connect(btnBack, &QPushButton::clicked, this, &TTrFieldEditor::btnBackClick);
    connect(btnNext, &QPushButton::clicked, this, &TTrFieldEditor::btnNextClick);
    connect(btnOk, &QPushButton::clicked, this, &TTrFieldEditor::btnOkClick);
    connect(btnCancel, &QPushButton::clicked, this, &TTrFieldEditor::btnCancelClick);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnBack);
    buttons->addWidget(btnNext);
    buttons->addWidget(btnOk);
    buttons->addWidget(btnCancel);

    auto *main = new QVBoxLayout(this);
    main->addWidget(pcFeld);
    main->addLayout(buttons);
}

void TTrFieldEditor::setPage(int page) {
    m_page = page;
    m_pageChange = true;
    pcFeld->setCurrentIndex(page);
    m_pageChange = false;
    updateButtons();
}

void TTrFieldEditor::updateButtons() {
    btnBack->setEnabled(m_page > PageFeldname);
    btnNext->setVisible(m_page < PageWertebereich);
    btnOk->setVisible(m_page == PageWertebereich);
    btnOk->setEnabled(!m_readOnly);
    bool next = true;
    if (m_page == PageFeldname && !m_readOnly)
        next = !dbfFeldname->text().isEmpty() && !dbfBeschreibung->text().isEmpty();
    btnNext->setEnabled(next);
}

void TTrFieldEditor::dbfFeldnameExit() {
    if (m_readOnly || !m_fields || !m_fields->isEditing())
        return;
    const FieldRules::NameExit exit = FieldRules::leaveName(dbfFeldname->text(), m_fields->asString(kPrefix));
    if (exit.prefix != m_fields->asString(kPrefix))
        m_fields->setValue(kPrefix, exit.prefix);
    if (exit.name != m_fields->asString(kFeldname))
        m_fields->setValue(kFeldname, exit.name);
}

void TTrFieldEditor::btnNextClick() {
    if (m_page == PageFeldname) {
        if (!m_readOnly) {
            if (!btnNext->isEnabled())
                return;
            dbfFeldnameExit();
            try {
                FieldRules::checkName(m_fields->asString(kFeldname),
                                      FieldRules::otherFieldNames(m_fields->database(), m_tableNr,
                                                                  m_fields->asInt(QStringLiteral("Order"))));
            } catch (const VelmoraError &e) {
                FocusControl(this, e.control());
                Messages::error(e.message());
                return;
            }
        }
        enterTypePage();
    } else if (m_page == PageFeldtyp) {
        enterRangePage();
    }
}

void TTrFieldEditor::btnBackClick() {
    if (m_page > PageFeldname)
        setPage(m_page - 1);
}

void TTrFieldEditor::enterTypePage() {
    const FieldRules::Choice preset =
        FieldRules::choiceOf(m_fields ? m_fields->asString(QStringLiteral("Typ")) : QString(), m_grid);
    for (int i = 0; i < FieldRules::kChoiceCount; ++i) {
        const auto choice = FieldRules::Choice(i);
        m_choiceButtons[size_t(i)]->setEnabled(!m_readOnly && (!m_grid || FieldRules::allowedInGrid(choice)));
    }
    m_choiceButtons[size_t(preset)]->setChecked(true);
    setPage(PageFeldtyp);
}

QChar TTrFieldEditor::checkedCode() const {
    const int id = m_choices->checkedId();
    return id < 0 ? QLatin1Char('A') : FieldRules::codeOf(FieldRules::Choice(id));
}

void TTrFieldEditor::rbtChoiceClick(int choice) {
    if (choice >= 0 && choice < FieldRules::kChoiceCount)
        lblHinweis->setText(FieldRules::hint(FieldRules::Choice(choice)));
}

void TTrFieldEditor::enterRangePage() {
    m_code = checkedCode();
    const bool sized = m_code == QLatin1Char('A');
    const bool range = isRangeCode(m_code);
    const bool list = isListCode(m_code);
    lblGroesse->setVisible(sized);
    dbfGroesse->setVisible(sized);
    for (QWidget *w : {static_cast<QWidget *>(lblKleinsterWert), static_cast<QWidget *>(txtKleinsterWert),
                       static_cast<QWidget *>(lblGroessterWert), static_cast<QWidget *>(txtGroessterWert)})
        w->setVisible(range);
    lblWerte->setVisible(list);
    dbfWerte->setVisible(list);

    const QStringList lines =
        m_fields ? m_fields->asString(kWerte).split(QRegularExpression(QStringLiteral("\r\n|\r|\n"))) : QStringList();
    const QString mask = m_code == QLatin1Char('Z') ? FieldRules::kTimeInputMask : QString();
    for (QLineEdit *e : {txtKleinsterWert, txtGroessterWert}) {
        e->setInputMask(mask);
        e->setReadOnly(m_readOnly);
    }
    // A one-digit hour fills the mask from its second place; the mask's
    // blank character keeps the first one free.
    auto preset = [this](const QString &line) {
        if (m_code == QLatin1Char('Z') && line.indexOf(QLatin1Char(':')) == 1)
            return QLatin1Char('_') + line;
        return line;
    };
    txtKleinsterWert->setText(range ? preset(lines.value(0)) : QString());
    txtGroessterWert->setText(range ? preset(lines.value(1)) : QString());

    if (!m_readOnly && m_fields && m_fields->isEditing()) {
        if (m_fields->isNull(kGroesse))
            m_fields->setValue(kGroesse, defaultSizeOfCode(m_code));
        m_fields->setValue(QStringLiteral("Strikt"), isStrictCode(m_code));
    }
    setPage(PageWertebereich);
}

void TTrFieldEditor::btnOkClick() {
    if (m_readOnly || !m_fields || m_page != PageWertebereich)
        return;
    Cursor &f = *m_fields;
    try {
        dsFeld->updateRecord();
        if (!f.isEditing())
            f.edit();
        const QString name = SpacesToUnderscores(f.asString(kFeldname));
        FieldRules::checkName(name,
                              FieldRules::otherFieldNames(f.database(), m_tableNr, f.asInt(QStringLiteral("Order"))));
        const FieldRules::Result r = FieldRules::finish(
            {m_code, txtKleinsterWert->text(), txtGroessterWert->text(), f.value(kGroesse), f.asString(kWerte)});
        f.setValue(kWerte, r.werte.isEmpty() ? QVariant() : QVariant(r.werte));
        f.setValue(kGroesse, r.groesse);
        f.setValue(QStringLiteral("Typ"), r.typ);
        f.setValue(kFeldname, name);
        f.post();
    } catch (const VelmoraError &e) {
        if (e.control() == QLatin1String(FieldRules::kNameControl))
            setPage(PageFeldname);
        FocusControl(this, e.control());
        Messages::error(e.message());
        return;
    }
    accept();
}

void TTrFieldEditor::btnCancelClick() {
    if (m_fields && m_fields->isEditing())
        m_fields->cancel();
    QDialog::reject();
}

void TTrFieldEditor::reject() {
    btnCancelClick();
}

} // namespace velmora
