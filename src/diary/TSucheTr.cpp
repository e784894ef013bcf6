#include "diary/TSucheTr.h"

#include "controls/TMessageBoxes.h"
#include "diary/EntryOperations.h"
#include "store/Errors.h"
#include "store/Query.h"

#include <QAbstractTableModel>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTabBar>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

namespace velmora {

// The rows of the search list: Wo, weekday, Datum, Beschreibung.
// The model owns the query it shows: whatever view still asks the model
// while it is torn down finds the query alive.
class SearchListModel : public QAbstractTableModel {
public:
    SearchListModel(Database &db, QObject *parent) : QAbstractTableModel(parent), m_list(std::make_unique<Query>(db)) {}

    Query &list() const { return *m_list; }

    // show false: the model lists nothing while the query is re-read.
    void reset(bool show) {
        beginResetModel();
        m_query = show ? m_list.get() : nullptr;
        m_columns.clear();
        if (m_query)
            for (const char *f : {"Woche", "Wochentag", "Datum", "Beschreibung"})
                m_columns << m_query->fieldIndex(QString::fromLatin1(f));
        endResetModel();
    }
    int rowCount(const QModelIndex &parent = {}) const override {
        return parent.isValid() || !m_query ? 0 : m_query->recordCount();
    }
    int columnCount(const QModelIndex &parent = {}) const override { return parent.isValid() ? 0 : 4; }
    QVariant data(const QModelIndex &index, int role) const override {
        if (!m_query || !index.isValid() || index.row() >= m_query->recordCount())
            return {};
        if (role == Qt::TextAlignmentRole)
            return index.column() == 3 ? QVariant(Qt::AlignLeft | Qt::AlignTop)
                                       : QVariant(Qt::AlignLeft | Qt::AlignVCenter);
        if (role != Qt::DisplayRole)
            return {};
        const int field = m_columns.value(index.column(), -1);
        if (field < 0)
            return {};
        const QVariant v = m_query->row(index.row())[size_t(field)];
        if (index.column() == 2)
            return v.toDateTime().toString(QStringLiteral("dd.MM hh:mm"));
        return v.toString();
    }
    QVariant headerData(int section, Qt::Orientation o, int role) const override {
        if (o != Qt::Horizontal || role != Qt::DisplayRole)
            return QAbstractTableModel::headerData(section, o, role);
        static const char *titles[] = {"Wo", "", "Datum", "Beschreibung"};
        return section >= 0 && section < 4 ? QString::fromLatin1(titles[section]) : QString();
    }

private:
    std::unique_ptr<Query> m_list;
    const Query *m_query = nullptr;
    QList<int> m_columns;
};

TSucheTr::TSucheTr(Database &db, QWidget *parent) : QDialog(parent), m_db(db) {
    setObjectName(QStringLiteral("SucheTr"));
    setWindowTitle(QStringLiteral("Eine Trainingseinheit auswählen"));
    setModal(true);

    pcSuche = new QTabBar(this);
    pcSuche->setObjectName(QStringLiteral("pcSuche"));
    for (const char *t : {"SOLL (Plan)", "IST (Protokoll)", "SOLL (Gruppe)", "Leerformular"})
        pcSuche->addTab(QString::fromUtf8(t));
    dbgSuche = new QTableView(this);
    dbgSuche->setObjectName(QStringLiteral("dbgSuche"));
    // A child of the view, made after the view's headers: it goes after them.
    m_model = new SearchListModel(db, dbgSuche);
    dbgSuche->setModel(m_model);
    dbgSuche->setSelectionBehavior(QAbstractItemView::SelectRows);
    dbgSuche->setSelectionMode(QAbstractItemView::SingleSelection);
    dbgSuche->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // One line per entry: week, weekday and date are never wrapped or cut.
    dbgSuche->setWordWrap(false);
    const int ch = dbgSuche->fontMetrics().averageCharWidth();
    const QString widest[] = {QStringLiteral("88"), QStringLiteral("Mo"), QStringLiteral("88.88 88:88")};
    for (int c = 0; c < 3; ++c)
        dbgSuche->setColumnWidth(c, std::max(dbgSuche->horizontalHeader()->sectionSizeHint(c),
                                             dbgSuche->fontMetrics().horizontalAdvance(widest[c]) + 2 * ch + 8));
    dbgSuche->setColumnWidth(3, 44 * ch + 8);

    btnEinfuegen = new QPushButton(QStringLiteral("&Einfügen"), this);
    btnEinfuegen->setObjectName(QStringLiteral("btnEinfuegen"));
    btnEinfuegen->setDefault(true);
    btnAbbrechen = new QPushButton(QStringLiteral("Abbrechen"), this);
    btnAbbrechen->setObjectName(QStringLiteral("btnAbbrechen"));
    lblAm = new QLabel(QStringLiteral("am"), this);
    lblAm->setObjectName(QStringLiteral("lblAm"));
    txtNewDate = new QLineEdit(this);
    txtNewDate->setObjectName(QStringLiteral("txtNewDate"));
    txtNewDate->setInputMask(QStringLiteral("90.90.00;_"));
    lblFuerPerson = new QLabel(QStringLiteral("für Person"), this);
    lblFuerPerson->setObjectName(QStringLiteral("lblFuerPerson"));
    dbfPerson = new QComboBox(this);
    dbfPerson->setObjectName(QStringLiteral("dbfPerson"));

    auto *bottom = new QHBoxLayout;
    bottom->addWidget(lblAm);
    bottom->addWidget(txtNewDate);
    bottom->addWidget(lblFuerPerson);
    bottom->addWidget(dbfPerson, 1);
    bottom->addStretch();
    bottom->addWidget(btnEinfuegen);
    bottom->addWidget(btnAbbrechen);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(pcSuche);
    layout->addWidget(dbgSuche, 1);
    layout->addLayout(bottom);
    // Wide enough for every column beside the row marks and the scroll bar.
    int columns = dbgSuche->verticalHeader()->sizeHint().width() + dbgSuche->verticalScrollBar()->sizeHint().width() +
                  2 * dbgSuche->frameWidth();
    for (int c = 0; c < 4; ++c)
        columns += dbgSuche->columnWidth(c);
    const QMargins margins = layout->contentsMargins();
    resize(std::max(68 * ch + 60, columns + margins.left() + margins.right()), 360);

    connect(pcSuche, &QTabBar::currentChanged, this, &TSucheTr::pcSucheChange);
    connect(btnEinfuegen, &QPushButton::clicked, this, &TSucheTr::btnOkClick);
    connect(btnAbbrechen, &QPushButton::clicked, this, &QDialog::reject);
    connect(dbgSuche, &QTableView::doubleClicked, this, &TSucheTr::dbgSucheDblClick);
    connect(dbgSuche->selectionModel(), &QItemSelectionModel::currentRowChanged, this, &TSucheTr::rowChanged);
}

TSucheTr::~TSucheTr() = default;

const Query &TSucheTr::list() const {
    return m_model->list();
}

QDateTime TSucheTr::now() const {
    return Now.isValid() ? Now : QDateTime::currentDateTime();
}

void TSucheTr::showEvent(QShowEvent *event) {
    QDialog::showEvent(event);
    if (!m_activated)
        FormActivate();
}

void TSucheTr::FormActivate() {
    m_activated = true;
    txtNewDate->setText(SearchEntryRules::DateEditText(now().date()));
    pcSuche->setVisible(ShowTabs);
    lblFuerPerson->setVisible(ShowPerson);
    dbfPerson->setVisible(ShowPerson);
    dbfPerson->clear();
    if (ShowPerson) {
        Query persons(m_db, QStringLiteral("select Name, Key1 from OPEN where ((Type = 'G') OR (Type = 'P')) AND "
                                           "(Gruppe = %1) order by Type, Name, Key1")
                                .arg(GruppenNr));
        persons.open();
        for (persons.first(); !persons.eof(); persons.next())
            dbfPerson->addItem(persons.value(0).toString(), persons.value(1).toInt());
    }
    loadList();
}

void TSucheTr::pcSucheChange(int) {
    if (m_activated)
        loadList();
}

void TSucheTr::loadList() {
    const SearchEntryRules::ListQuery q =
        SearchEntryRules::BuildListQuery(pcSuche->currentIndex(), ShowTabs, Art, PersonNr, GruppenNr, now());
    m_model->reset(false);
    m_model->list().close();
    m_model->list().setSql(q.lines);
    m_model->list().open();
    int onOrAfter = 0;
    if (!q.countLines.isEmpty()) {
        Query count(m_db, q.countLines.join(QLatin1Char('\n')));
        count.open();
        onOrAfter = count.value(0).toInt();
    }
    m_model->reset(true);
    for (int c = 0; c < 3; ++c)
        dbgSuche->setColumnHidden(c, q.forms);
    setWindowTitle(SearchEntryRules::Caption(q.forms));
    const int row = q.forms ? list().recordCount() - 1 : SearchEntryRules::RestingRow(list().recordCount(), onOrAfter);
    btnEinfuegen->setEnabled(row >= 0);
    if (row >= 0) {
        dbgSuche->setCurrentIndex(m_model->index(row, 3));
        dbgSuche->scrollTo(m_model->index(row, 3));
    }
    rowChanged();
}

int TSucheTr::currentRow() const {
    const QModelIndex i = dbgSuche->currentIndex();
    return i.isValid() ? i.row() : -1;
}

void TSucheTr::rowChanged() {
    const int row = currentRow();
    if (!ShowPerson || row < 0)
        return;
    // The person choice follows the chosen template's person.
    const int person = list().row(row)[size_t(list().fieldIndex(QStringLiteral("PersonNr")))].toInt();
    dbfPerson->setCurrentIndex(dbfPerson->findData(person));
}

void TSucheTr::btnOkClick() {
    const int row = currentRow();
    if (row < 0)
        return;
    try {
        EntryOperations::CheckEntriesAllowed(Art);
        const QDate date = SearchEntryRules::ParseDateEdit(txtNewDate->text(), now().date());
        if (!date.isValid())
            throw VelmoraError(QStringLiteral("'%1' ist kein gültiges Datum.").arg(txtNewDate->text()),
                               txtNewDate->objectName());
        int person = PersonNr;
        // A template whose person is not in the choice leaves the window's person.
        if (ShowPerson && dbfPerson->currentIndex() >= 0)
            person = dbfPerson->currentData().toInt();
        const auto &values = list().row(row);
        m_serienNr = values[size_t(list().fieldIndex(QStringLiteral("SerienNr")))].toInt();
        m_trNr = values[size_t(list().fieldIndex(QStringLiteral("TrNr")))].toInt();
        m_date = date;
        m_person = person;
    } catch (const VelmoraError &e) {
        ShowError(this, e);
        return;
    }
    accept();
}

void TSucheTr::dbgSucheDblClick() {
    btnOkClick();
}

} // namespace velmora
