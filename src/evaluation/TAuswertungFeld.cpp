#include "evaluation/TAuswertungFeld.h"

#include "controls/DBControls.h"
#include "controls/TMessageBoxes.h"
#include "evaluation/EvaluationFieldRules.h"
#include "store/Cursor.h"
#include "store/Query.h"

#include <QAbstractTableModel>
#include <QComboBox>
#include <QEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableView>
#include <QVBoxLayout>

namespace velmora {

namespace {
const QString kAField = QStringLiteral("AFIELD");
const QString kFeldNr = QStringLiteral("FeldNr");
const QString kName = QStringLiteral("Name");
const QString kBedingung = QStringLiteral("Bedingung");
const QString kEntity = QStringLiteral("Entity");

template <class T> T *named(T *control, const char *name) {
    control->setObjectName(QString::fromLatin1(name));
    return control;
}
} // namespace

// The list "Feld": Feldname and Beschreibung of each row of quAFieldList.
class FieldListModel : public QAbstractTableModel {
public:
    explicit FieldListModel(QObject *parent) : QAbstractTableModel(parent) {}

    void reset(const Query *query) {
        beginResetModel();
        m_query = query;
        m_columns.clear();
        if (query)
            for (const char *f : {"Feldname", "Beschreibung"})
                m_columns << query->fieldIndex(QString::fromLatin1(f));
        endResetModel();
    }
    int rowCount(const QModelIndex &parent = {}) const override {
        return parent.isValid() || !m_query || !m_query->isOpen() ? 0 : m_query->recordCount();
    }
    int columnCount(const QModelIndex &parent = {}) const override { return parent.isValid() ? 0 : 2; }
    QVariant data(const QModelIndex &index, int role) const override {
        if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rowCount())
            return {};
        const int field = m_columns.value(index.column(), -1);
        return field < 0 ? QVariant() : m_query->row(index.row())[size_t(field)];
    }
    QVariant headerData(int section, Qt::Orientation o, int role) const override {
        if (o != Qt::Horizontal || role != Qt::DisplayRole)
            return QAbstractTableModel::headerData(section, o, role);
        return section == 0 ? QStringLiteral("Feldname") : QStringLiteral("Beschreibung");
    }

private:
    const Query *m_query = nullptr;
    QList<int> m_columns;
};

TAuswertungFeld::TAuswertungFeld(Database &db, QWidget *parent)
    : QDialog(parent), m_db(db), quAFieldList(std::make_unique<Query>(db)) {
    tblAField = named(new Cursor(db, kAField, this), "tblAField");
    tblAField2 = named(new Cursor(db, kAField, this), "tblAField2");
    tblAField->onNewRecord = [this](Cursor &c) { tblAFieldNewRecord(c); };
    tblAField->beforePost = [this](Cursor &c) { tblAFieldBeforePost(c); };
    buildControls();
}

TAuswertungFeld::~TAuswertungFeld() {
    dsAField->setDataSet(nullptr);
}

void TAuswertungFeld::buildControls() {
    setObjectName(QStringLiteral("AuswertungFeld"));
    setWindowTitle(QStringLiteral("Auswertung - Feldeditor"));
    setModal(true);
    dsAField = named(new TDataSource(this), "dsAField");
    auto bind = [this](auto *editor, const QString &field) {
        editor->setDataSource(dsAField);
        editor->setDataField(field);
        return editor;
    };

    lblFeldname = named(new QLabel(QStringLiteral("Anzeigename")), "lblFeldname");
    dbfFeldname = bind(named(new TDBEdit, EvaluationFieldRules::kNameControl), kName);
    lblFeldname->setBuddy(dbfFeldname);

    lblFieldList = named(new QLabel(QStringLiteral("Feld")), "lblFieldList");
    m_fieldListModel = new FieldListModel(this);
    dbgFieldList = named(new QTableView, "dbgFieldList");
    dbgFieldList->setModel(m_fieldListModel);
    dbgFieldList->setSelectionBehavior(QAbstractItemView::SelectRows);
    dbgFieldList->setSelectionMode(QAbstractItemView::SingleSelection);
    dbgFieldList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    dbgFieldList->verticalHeader()->hide();
    dbgFieldList->horizontalHeader()->setStretchLastSection(true);
    dbgFieldList->installEventFilter(this);
    connect(dbgFieldList->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current) {
                if (current.isValid() && quAFieldList->isOpen())
                    quAFieldList->moveTo(current.row());
                updateZeit();
            });
    connect(dbgFieldList, &QAbstractItemView::doubleClicked, this, &TAuswertungFeld::dbgFieldListDblClick);

    btnAdd = named(new QPushButton(QStringLiteral(">")), "btnAdd");
    btnAdd->setAutoDefault(false);
    connect(btnAdd, &QPushButton::clicked, this, &TAuswertungFeld::btnAddClick);

    lblArithmOp = named(new QLabel(QStringLiteral("Aritmetische Op.")), "lblArithmOp");
    dbfArithmOp = bind(named(new TDBEdit, "dbfArithmOp"), QStringLiteral("ArithmOp"));
    lblArithmOp->setBuddy(dbfArithmOp);

    cbxVisible = bind(named(new TDBCheckBox(QStringLiteral("Ergebnis des Feldes anzeigen")), "cbxVisible"),
                      QStringLiteral("Sichtbar"));

    lblAgregat = named(new QLabel(QStringLiteral("Aggregatfunktion")), "lblAgregat");
    dbfAgregat = named(new QComboBox, "dbfAgregat");
    // Text typed into the box that matches no entry is stored as code -1.
    dbfAgregat->setEditable(true);
    dbfAgregat->setInsertPolicy(QComboBox::NoInsert);
    dbfAgregat->addItems(EvaluationFieldRules::aggregateEntries());
    lblAgregat->setBuddy(dbfAgregat);

    lblBedingungen = named(new QLabel(QStringLiteral("Berechnetes Feld")), "lblBedingungen");
    dbfBedingungen = named(new QPlainTextEdit, "dbfBedingungen");
    dbfBedingungen->setTabChangesFocus(true);
    lblBedingungen->setBuddy(dbfBedingungen);

    cbxZeit = named(new QComboBox, "cbxZeit");
    cbxZeit->addItems({QStringLiteral("Stunden"), QStringLiteral("Minuten"), QStringLiteral("Sekunden")});
    cbxZeit->setCurrentIndex(0);
    cbxZeit->setEnabled(false);

    btnFertig1 = named(new QPushButton(QStringLiteral("&Fertig")), "btnFertig1");
    btnCancel1 = named(new QPushButton(QStringLiteral("Abbruch")), "btnCancel1");
    btnFertig1->setDefault(true);
    connect(btnFertig1, &QPushButton::clicked, this, &TAuswertungFeld::btnFertig1Click);
    connect(btnCancel1, &QPushButton::clicked, this, &TAuswertungFeld::btnCancel1Click);

    auto *form = new QFormLayout;
    form->addRow(lblFeldname, dbfFeldname);
    auto *listRow = new QHBoxLayout;
    listRow->addWidget(dbgFieldList, 1);
    auto *addColumn = new QVBoxLayout;
    addColumn->addWidget(btnAdd);
    addColumn->addWidget(cbxZeit);
    addColumn->addStretch();
    listRow->addLayout(addColumn);
    form->addRow(lblFieldList, listRow);
    form->addRow(lblArithmOp, dbfArithmOp);
    form->addRow(QString(), cbxVisible);
    form->addRow(lblAgregat, dbfAgregat);
    form->addRow(lblBedingungen, dbfBedingungen);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnFertig1);
    buttons->addWidget(btnCancel1);
    auto *main = new QVBoxLayout(this);
    main->addLayout(form);
    main->addLayout(buttons);
}

void TAuswertungFeld::showEvent(QShowEvent *event) {
    QDialog::showEvent(event);
    if (!m_activated)
        FormActivate();
}

void TAuswertungFeld::FormActivate() {
    if (m_activated)
        return;
    m_activated = true;
    try {
        openTables();
    } catch (const VelmoraError &e) {
        // Half open, the editor shows what it has and stores nothing.
        m_openFailed = true;
        Messages::error(e.message());
    }
    updateControls();
}

void TAuswertungFeld::openTables() {
    m_newField = m_feldNr == 0;
    const QString filter = QStringLiteral("AuswertungNr = ") + QString::number(m_auswertungNr);
    dsAField->setDataSet(nullptr);
    tblAField->close();
    tblAField->setFilter(filter);
    tblAField->setFiltered(true);
    tblAField2->setFilter(filter);
    tblAField2->setFiltered(true);
    tblAField2->setReadOnly(true);
    tblAField->setReadOnly(m_readOnly);
    tblAField->open();
    tblAField2->open();
    m_nextFeldNr = EvaluationFieldRules::nextFieldNumber(m_db, m_auswertungNr);
    tblAField->last();

    if (!m_newField || m_readOnly) {
        tblAField->first();
        while (!tblAField->eof() && tblAField->asInt(kFeldNr) != m_feldNr)
            tblAField->next();
        // Editing "the" row past the end would change another field.
        if (tblAField->eof())
            throw VelmoraError(QStringLiteral("Das Feld %1 dieser Auswertung gibt es nicht.").arg(m_feldNr));
        if (!m_readOnly && !tblAField->eof())
            tblAField->edit();
        showAggregate(tblAField->asInt(QStringLiteral("Agregatfunktion")));
    } else {
        tblAField->append();
        m_feldNr = tblAField->asInt(kFeldNr);
    }
    dsAField->setDataSet(tblAField);

    quAFieldList->setSql(EvaluationFieldRules::fieldListSql());
    quAFieldList->setParam(QStringLiteral("AuswertungNr"), m_auswertungNr);
    quAFieldList->open();
    m_fieldListModel->reset(quAFieldList.get());

    // The memo shows the first line only: the expression or the condition
    // as entered.
    m_lines = tblAField->asString(kBedingung).split(QRegularExpression(QStringLiteral("\r\n|\r|\n")));
    if (tblAField->asString(kBedingung).isEmpty())
        m_lines.clear();
    while (m_lines.size() > 1)
        m_lines.removeLast();
    dbfBedingungen->setPlainText(m_lines.value(0));

    int row = quAFieldList->recordCount() > 0 ? 0 : -1;
    if (!m_newField && !m_calculated) {
        // A field whose block field is not offered keeps it rather than
        // take the first one of the list.
        row = -1;
        const int tableNr = tblAField->asInt(QStringLiteral("TableNr"));
        const int order = tblAField->asInt(QStringLiteral("Order"));
        for (int r = 0; r < quAFieldList->recordCount(); ++r) {
            quAFieldList->moveTo(r);
            if (quAFieldList->asInt(QStringLiteral("TableNr")) == tableNr &&
                quAFieldList->asInt(QStringLiteral("Order")) == order) {
                row = r;
                break;
            }
        }
    }
    selectFieldRow(row);
}

void TAuswertungFeld::tblAFieldNewRecord(Cursor &c) {
    c.setValue(kFeldNr, m_nextFeldNr);
    c.setValue(kName, EvaluationFieldRules::defaultName(m_nextFeldNr));
    c.setValue(QStringLiteral("AuswertungNr"), m_auswertungNr);
    showAggregate(0);
    ++m_nextFeldNr;
}

void TAuswertungFeld::showAggregate(int code) {
    if (code >= 0 && code < dbfAgregat->count()) {
        dbfAgregat->setCurrentIndex(code);
    } else {
        dbfAgregat->setCurrentIndex(-1);
        dbfAgregat->setEditText(QString());
    }
}

void TAuswertungFeld::selectFieldRow(int row) {
    if (row < 0) {
        dbgFieldList->selectionModel()->clearCurrentIndex();
        updateZeit();
        return;
    }
    quAFieldList->moveTo(row);
    dbgFieldList->selectionModel()->setCurrentIndex(m_fieldListModel->index(row, 0),
                                                    QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    updateZeit();
}

int TAuswertungFeld::selectedFieldRow() const {
    const QModelIndex current = dbgFieldList->selectionModel()->currentIndex();
    return current.isValid() && quAFieldList->isOpen() && current.row() < quAFieldList->recordCount() ? current.row()
                                                                                                      : -1;
}

QString TAuswertungFeld::selectedField(const QString &column) const {
    const int row = selectedFieldRow();
    if (row < 0)
        return {};
    const int index = quAFieldList->fieldIndex(column);
    return index < 0 ? QString() : quAFieldList->row(row)[size_t(index)].toString();
}

void TAuswertungFeld::updateControls() {
    const bool plain = !m_calculated;
    lblArithmOp->setVisible(plain);
    dbfArithmOp->setVisible(plain);
    lblBedingungen->setVisible(m_calculated);
    dbfBedingungen->setVisible(m_calculated);
    btnAdd->setVisible(m_calculated);
    lblAgregat->setVisible(m_grouping);
    dbfAgregat->setVisible(m_grouping);
    const bool writable = !m_readOnly && !m_openFailed;
    btnFertig1->setEnabled(writable);
    dbgFieldList->setEnabled(writable);
    dbfAgregat->setEnabled(writable);
    btnAdd->setEnabled(writable);
    dbfBedingungen->setEnabled(writable && m_calculated);
    dbfBedingungen->setReadOnly(m_readOnly || !m_calculated);
    updateZeit();
}

void TAuswertungFeld::updateZeit() {
    cbxZeit->setVisible(EvaluationFieldRules::isTimeCode(selectedField(QStringLiteral("Typ"))));
}

bool TAuswertungFeld::eventFilter(QObject *watched, QEvent *event) {
    if (watched == dbgFieldList && event->type() == QEvent::FocusOut)
        dbgFieldListExit();
    return QDialog::eventFilter(watched, event);
}

void TAuswertungFeld::dbgFieldListExit() {
    updateZeit();
}

void TAuswertungFeld::dbgFieldListDblClick() {
    if (btnAdd->isEnabled())
        btnAddClick();
}

QStringList TAuswertungFeld::memoLines() const {
    const QString text = dbfBedingungen->toPlainText();
    if (text.isEmpty())
        return {};
    QStringList lines = text.split(QLatin1Char('\n'));
    // A line break after the last line starts no line of its own.
    if (lines.size() > 1 && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

void TAuswertungFeld::btnAddClick() {
    if (m_readOnly || m_openFailed || selectedFieldRow() < 0)
        return;
    try {
        if (!tblAField->isEditing())
            tblAField->edit();
        tblAField->setValue(QStringLiteral("TableNr"), selectedField(QStringLiteral("TableNr")).toInt());
        tblAField->setValue(QStringLiteral("Order"), selectedField(QStringLiteral("Order")).toInt());
    } catch (const VelmoraError &e) {
        Messages::error(e.message());
        return;
    }
    if (!dbfBedingungen->isVisibleTo(this))
        return;
    QStringList lines = memoLines();
    if (lines.isEmpty())
        lines << QString();
    lines.last() += QLatin1Char(' ') + selectedField(kEntity) + QLatin1Char(' ');
    dbfBedingungen->setPlainText(lines.join(QLatin1Char('\n')));
    dbfBedingungen->moveCursor(QTextCursor::End);
    dbfBedingungen->setFocus();
}

QStringList TAuswertungFeld::otherNames() {
    QStringList names;
    tblAField2->refresh();
    for (tblAField2->first(); !tblAField2->eof(); tblAField2->next())
        if (tblAField2->asInt(kFeldNr) != m_feldNr)
            names << tblAField2->asString(kName);
    return names;
}

void TAuswertungFeld::tblAFieldBeforePost(Cursor &c) {
    EvaluationFieldRules::PostInput in;
    in.typ = m_typ;
    in.name = c.asString(kName);
    in.grouping = m_grouping;
    in.aggregateShown = dbfAgregat->currentText();
    in.calculated = m_calculated;
    in.sichtbar = c.asBool(QStringLiteral("Sichtbar"));
    in.memoLines = memoLines();
    in.blockFieldName = selectedFieldRow() >= 0
                            ? selectedField(QStringLiteral("Feldname"))
                            : EvaluationFieldRules::blockFieldName(m_db, c.asInt(QStringLiteral("TableNr")),
                                                                   c.asInt(QStringLiteral("Order")));
    in.arithmOp = c.asString(QStringLiteral("ArithmOp"));
    const EvaluationFieldRules::PostResult r = EvaluationFieldRules::beforePost(in, otherNames());

    c.setValue(QStringLiteral("Gruppierung"), m_grouping);
    c.setValue(QStringLiteral("Agregatfunktion"), r.agregatfunktion);
    c.setValue(QStringLiteral("Typ"), m_typ);
    if ((!m_calculated || m_keepBlockField) && selectedFieldRow() >= 0) {
        c.setValue(QStringLiteral("TableNr"), selectedField(QStringLiteral("TableNr")).toInt());
        c.setValue(QStringLiteral("Order"), selectedField(QStringLiteral("Order")).toInt());
    }
    c.setValue(QStringLiteral("SQL"), m_calculated);
    if (r.setBedingung)
        c.setValue(kBedingung, r.bedingung);
    c.setValue(QStringLiteral("Display"), r.display);
}

void TAuswertungFeld::btnFertig1Click() {
    if (m_readOnly || m_openFailed || !m_activated)
        return;
    try {
        dsAField->updateRecord();
        if (!tblAField->isEditing())
            tblAField->edit();
        if (EvaluationFieldRules::isTimeCode(selectedField(QStringLiteral("Typ")))) {
            // The time becomes hours with a fraction; the row still names
            // the time field.
            m_calculated = true;
            m_keepBlockField = true;
            dbfBedingungen->setPlainText(EvaluationFieldRules::hoursExpression(selectedField(kEntity)));
        }
        tblAField->setValue(QStringLiteral("Typ"), m_typ);
        tblAField->post();
    } catch (const VelmoraError &e) {
        FocusControl(this, e.control());
        Messages::error(e.message());
        return;
    }
    accept();
}

void TAuswertungFeld::btnCancel1Click() {
    if (tblAField->isEditing())
        tblAField->cancel();
    QDialog::reject();
}

void TAuswertungFeld::reject() {
    btnCancel1Click();
}

} // namespace velmora
