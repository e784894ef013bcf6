#include "design/TFFieldEditor.h"

#include "controls/DBControls.h"
#include "controls/TMessageBoxes.h"
#include "design/FormDesign.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace velmora {

namespace {
template <class T> T *named(T *control, const char *name) {
    control->setObjectName(QString::fromLatin1(name));
    return control;
}
} // namespace

TFFieldEditor::TFFieldEditor(Cursor *fields, const QString &typ, bool grid, bool readOnly, int owner,
                             const QString &displayName, QWidget *parent)
    : QDialog(parent), m_fields(fields), m_typ(typ), m_grid(grid), m_readOnly(readOnly), m_owner(owner),
      m_displayName(displayName) {
    buildControls();
}

TFFieldEditor::~TFFieldEditor() {
    // The editors must let go of the cursor before it goes back to the designer.
    dsFField->setDataSet(nullptr);
}

void TFFieldEditor::buildControls() {
    setObjectName(QStringLiteral("FFieldEditor"));
    setWindowTitle(QStringLiteral("Formularfeld bearbeiten"));
    dsFField = named(new TDataSource(this), "dsFField");

    txtName = named(new QLineEdit(m_displayName), "txtName");
    txtName->setReadOnly(true);

    auto bind = [this](auto *editor, const char *field) {
        editor->setDataSource(dsFField);
        editor->setDataField(QString::fromUtf8(field));
        return editor;
    };
    // A grid block shows the prefix as its column title and has no postfix.
    lblPrefix = named(new QLabel(m_grid ? QStringLiteral("Überschrift") : QStringLiteral("Prefix")), "lblPrefix");
    lblPostfix = named(new QLabel(QStringLiteral("Postfix")), "lblPostfix");
    dbfPrefix = bind(named(new TDBEdit, "dbfPrefix"), "Prefix");
    dbfPostfix = bind(named(new TDBEdit, "dbfPostfix"), "Postfix");
    cbxVisible = bind(named(new TDBCheckBox(QStringLiteral("Feld ist im Formular sichtbar")), "cbxVisible"), "Visible");
    cbxPrint = bind(named(new TDBCheckBox(QStringLiteral("Feld soll ausgedruckt werden")), "cbxPrint"), "Print");

    lblWerte = named(new QLabel(QStringLiteral("Werte")), "lblWerte");
    dbfWerte = bind(named(new TDBMemo, "dbfWerte"), "Werte");
    dbgWerte = named(new QTableWidget(0, 1), "dbgWerte");
    dbgWerte->setHorizontalHeaderLabels({QStringLiteral("Value")});
    dbgWerte->horizontalHeader()->setStretchLastSection(true);
    dbgWerte->setEditTriggers(QAbstractItemView::NoEditTriggers);
    dbgWerte->setSelectionBehavior(QAbstractItemView::SelectRows);
    btnBearbeiten = named(new QPushButton(QStringLiteral("bearbeiten")), "btnBearbeiten");
    connect(btnBearbeiten, &QPushButton::clicked, this, &TFFieldEditor::btnBearbeitenClick);

    const bool isList = m_typ == QLatin1String("C");
    const bool isIndex = m_typ == QLatin1String("X");
    lblWerte->setVisible(isList || isIndex);
    dbfWerte->setVisible(isList);
    dbgWerte->setVisible(isIndex);
    btnBearbeiten->setVisible(isIndex);
    lblPostfix->setVisible(!m_grid);
    dbfPostfix->setVisible(!m_grid);

    auto *form = new QFormLayout;
    form->addRow(named(new QLabel(QStringLiteral("Feld")), "lblName"), txtName);
    form->addRow(lblPrefix, dbfPrefix);
    form->addRow(lblPostfix, dbfPostfix);
    form->addRow(cbxVisible);
    form->addRow(cbxPrint);

    btnOk = named(new QPushButton(QStringLiteral("Fertig")), "btnOk");
    btnCancel = named(new QPushButton(QStringLiteral("Abbruch")), "btnCancel");
    btnOk->setDefault(true);
    connect(btnOk, &QPushButton::clicked, this, &TFFieldEditor::btnOkClick);
    connect(btnCancel, &QPushButton::clicked, this, &TFFieldEditor::btnCancelClick);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOk);
    buttons->addWidget(btnCancel);

    auto *values = new QHBoxLayout;
    values->addWidget(dbfWerte);
    values->addWidget(dbgWerte);
    values->addWidget(btnBearbeiten, 0, Qt::AlignTop);

    auto *main = new QVBoxLayout(this);
    main->addLayout(form);
    main->addWidget(lblWerte);
    main->addLayout(values);
    main->addLayout(buttons);
}

void TFFieldEditor::prepare() {
    if (m_prepared || !m_fields)
        return;
    m_prepared = true;
    Cursor &c = *m_fields;
    m_formularNr = c.asInt(QStringLiteral("FormularNr"));
    m_order = c.asInt(QStringLiteral("Order"));
    m_tableNr = c.asInt(QStringLiteral("TableNr"));
    m_feldNr = c.asInt(QStringLiteral("FeldNr"));
    try {
        if (!c.isReadOnly() && !m_readOnly)
            c.edit();
    } catch (const VelmoraError &e) {
        Messages::error(e.message());
    }
    dsFField->setDataSet(&c);
    if (m_readOnly)
        for (TFieldLink *link :
             std::initializer_list<TFieldLink *>{dbfPrefix, dbfPostfix, cbxVisible, cbxPrint, dbfWerte})
            link->setReadOnly(true);
    refreshValues();
}

int TFFieldEditor::exec() {
    prepare();
    return QDialog::exec();
}

void TFFieldEditor::refreshValues() {
    if (m_typ != QLatin1String("X") || !m_fields)
        return;
    const auto values = FormDesign::pickValues(m_fields->database(), m_formularNr, m_tableNr, m_feldNr);
    dbgWerte->setRowCount(int(values.size()));
    for (int r = 0; r < int(values.size()); ++r) {
        auto *item = new QTableWidgetItem(values[size_t(r)].value);
        item->setData(Qt::UserRole, values[size_t(r)].valueNr);
        dbgWerte->setItem(r, 0, item);
    }
}

void TFFieldEditor::btnBearbeitenClick() {
    if (editPickList)
        editPickList(m_formularNr, m_tableNr, m_feldNr, m_displayName);
    refreshValues();
}

void TFFieldEditor::btnOkClick() {
    if (m_fields && m_fields->isEditing()) {
        try {
            dsFField->updateRecord();
            m_fields->post();
        } catch (const VelmoraError &e) {
            ShowError(this, e);
            return;
        }
    }
    accept();
}

void TFFieldEditor::btnCancelClick() {
    if (m_fields)
        m_fields->cancel();
    QDialog::reject();
}

void TFFieldEditor::reject() {
    btnCancelClick();
}

} // namespace velmora
