#include "people/FilterEditor.h"

#include "store/Keys.h"

namespace velmora {

const QString FilterEditor::kNoName = QStringLiteral("Bitte geben Sie einen Filternamen an!");

namespace {
const QString kFilterNr = QStringLiteral("FilterNr");

std::vector<FilterListItem> openRows(Database &db, const QString &filter) {
    Cursor c(db, QStringLiteral("OPEN"));
    c.setOrder(QStringLiteral("Type;Name;Key1"));
    c.setFilter(filter);
    c.setFiltered(true);
    c.setReadOnly(true);
    c.open();
    std::vector<FilterListItem> items;
    for (c.first(); !c.eof(); c.next())
        items.push_back({c.asString(QStringLiteral("Name")), c.value(QStringLiteral("Key1")).toLongLong()});
    return items;
}
} // namespace

FilterEditor::FilterEditor(Database &db, int serial) : m_db(db), m_serial(serial) {}

FilterEditor::~FilterEditor() = default;

int FilterEditor::newFilterNr(Database &db, int serial) { return nextObjectKey(db, QStringLiteral("FILTER"), kFilterNr, serial); }

std::vector<FilterListItem> FilterEditor::personItems(Database &db, int group) {
    return openRows(db, QStringLiteral("((Type = 'G') OR (Type = 'P')) AND (Gruppe = %1)").arg(group));
}

std::vector<FilterListItem> FilterEditor::formItems(Database &db) {
    // The document list keys a form by its own TR row (TrNr, SerienNr);
    // the entries written with it carry its FormularNr instead.
    Cursor c(db, QStringLiteral("OPEN"));
    c.setOrder(QStringLiteral("Type;Name;Key1"));
    c.setFilter(QStringLiteral("(Type = 'L')"));
    c.setFiltered(true);
    c.setReadOnly(true);
    c.open();
    Statement form(db, QStringLiteral("SELECT FormularNr FROM \"TR\" WHERE SerienNr = ? AND TrNr = ? "
                                      "AND Art IN (1, 11, 21)"));
    std::vector<FilterListItem> items;
    for (c.first(); !c.eof(); c.next()) {
        const qint64 trNr = c.value(QStringLiteral("Key1")).toLongLong();
        form.reset();
        form.bind(1, c.value(QStringLiteral("Key2")));
        form.bind(2, trNr);
        const QVariant nr = form.step() ? form.value(0) : QVariant();
        items.push_back({c.asString(QStringLiteral("Name")), nr.isNull() ? trNr : nr.toLongLong()});
    }
    return items;
}

void FilterEditor::open(const Options &options) {
    m_options = options;
    m_new = options.filterNr == 0;
    m_pending.reset();

    m_filter = std::make_unique<Cursor>(m_db, QStringLiteral("FILTER"));
    m_filter->setObjectName(QStringLiteral("tblFilter"));
    m_filter->setOrder(kFilterNr);
    m_filter->setReadOnly(options.readOnly);
    m_filter->onNewRecord = [this](Cursor &c) {
        c.setValue(QStringLiteral("PersonNr"), m_options.owner);
        c.setValue(kFilterNr, newFilterNr(m_db, m_serial));
    };
    m_filter->beforePost = [this](Cursor &c) {
        if (m_pending)
            applyChoices(c, *m_pending);
    };
    if (!m_new)
        m_filter->setRange({options.filterNr}, {options.filterNr});
    m_filter->open();

    if (m_new) {
        if (!options.readOnly)
            m_filter->append();
        return;
    }
    // Editing a row that is gone would insert a row without a key.
    if (m_filter->recNo() < 0)
        throw VelmoraError(QStringLiteral("Der Filter %1 ist nicht mehr vorhanden.").arg(options.filterNr));
    if (!options.readOnly)
        m_filter->edit();
}

int FilterEditor::filterNr() {
    if (!m_filter || !m_filter->isOpen())
        return 0;
    return m_filter->asInt(kFilterNr);
}

bool FilterEditor::isRelative() {
    return m_filter && m_filter->isOpen() && m_filter->asBool(QStringLiteral("Relativ"));
}

void FilterEditor::finish(const Choices &choices) {
    if (m_options.readOnly || !m_filter || !m_filter->isOpen())
        return;
    Cursor &f = *m_filter;
    if (!f.isEditing())
        f.edit();
    if (f.asString(QStringLiteral("Name")).trimmed().isEmpty())
        throw VelmoraError(kNoName, QString::fromLatin1(kNameControl));
    m_pending = choices;
    try {
        f.post();
    } catch (...) {
        m_pending.reset();
        throw;
    }
    m_pending.reset();
    f.close();
}

void FilterEditor::cancel() {
    if (!m_filter || !m_filter->isOpen())
        return;
    m_filter->cancel();
    m_filter->close();
}

void FilterEditor::applyChoices(Cursor &row, const Choices &choices) {
    row.setValue(QStringLiteral("Timestamp"), QDateTime::currentDateTime());
    const bool relative = row.asBool(QStringLiteral("Relativ"));
    row.setValue(QStringLiteral("Von"), FilterRules::rangeValue(choices.vonChecked, choices.vonText, relative));
    row.setValue(QStringLiteral("Bis"), FilterRules::rangeValue(choices.bisChecked, choices.bisText, relative));
    row.setValue(QStringLiteral("Art"), FilterRules::artFromChoices(choices.dokument, choices.ebene));
    // An empty list is an empty memo, as a filter without that restriction
    // has always been stored.
    auto memo = [](const QList<qint64> &keys) {
        return keys.isEmpty() ? QVariant() : QVariant(FilterRules::joinKeys(keys));
    };
    row.setValue(QStringLiteral("Autoren"), memo(choices.autoren));
    row.setValue(QStringLiteral("Personen"), memo(choices.personen));
    row.setValue(QStringLiteral("Formulare"), memo(choices.formulare));
}

} // namespace velmora
