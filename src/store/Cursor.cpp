#include "store/Cursor.h"

#include "store/Values.h"

namespace velmora {

const QString Cursor::kRowDeleted =
    QStringLiteral("Der Datensatz wurde inzwischen gelöscht. Ihre Eingaben sind nicht gespeichert.");

namespace {
QStringList splitFields(const QString &fields) {
    QStringList out;
    for (const QString &f : fields.split(QLatin1Char(';'), Qt::SkipEmptyParts))
        out << f.trimmed();
    return out;
}
} // namespace

Cursor::Cursor(Database &db, const QString &table, QObject *parent) : QObject(parent), m_db(db), m_table(table) {
    m_db.attachCursor(this);
}

Cursor::~Cursor() {
    if (!m_dbClosed)
        m_db.detachCursor(this);
    if (m_master) {
        auto &d = m_master->m_details;
        d.erase(std::remove(d.begin(), d.end(), this), d.end());
    }
    for (Cursor *d : m_details)
        d->m_master = nullptr;
}

void Cursor::setTableName(const QString &table) {
    close();
    m_table = table;
}

void Cursor::setOrder(const QString &fields) {
    m_order = fields;
    m_indexName.clear();
    if (isOpen())
        refresh();
}

void Cursor::setIndexName(const QString &name) {
    m_indexName = name;
    m_order.clear();
    if (isOpen())
        refresh();
}

QStringList Cursor::orderFields() const {
    if (!m_order.isEmpty())
        return splitFields(m_order);
    if (m_table.isEmpty())
        return {};
    return m_db.indexFields(m_table, m_indexName);
}

void Cursor::setRange(const QVariantList &low, const QVariantList &high) {
    m_rangeLow = low;
    m_rangeHigh = high;
    if (isOpen()) {
        checkBrowse();
        resetSet();
        first();
    }
}

void Cursor::clearRange() {
    setRange({}, {});
}

void Cursor::setFilter(const QString &expression) {
    m_filter = expression;
    if (isOpen() && m_filtered) {
        checkBrowse();
        resetSet();
        first();
    }
}

void Cursor::setFiltered(bool on) {
    if (m_filtered == on)
        return;
    m_filtered = on;
    if (isOpen()) {
        checkBrowse();
        resetSet();
        first();
    }
}

void Cursor::setMasterSource(Cursor *master, const QString &masterFields, const QString &detailFields) {
    if (m_master) {
        auto &d = m_master->m_details;
        d.erase(std::remove(d.begin(), d.end(), this), d.end());
    }
    m_master = master;
    m_masterFields = splitFields(masterFields);
    m_detailFields = splitFields(detailFields);
    if (m_master)
        m_master->m_details.push_back(this);
    if (isOpen()) {
        resetSet();
        first();
    }
}

void Cursor::setReadOnly(bool readOnly) {
    m_readOnly = readOnly;
}

void Cursor::setCaseInsensitive(bool on) {
    if (m_caseInsensitive == on)
        return;
    m_caseInsensitive = on;
    if (isOpen())
        refresh();
}

QString Cursor::comparedColumn(const FieldDef &f) const {
    const QString col = quoteIdentifier(f.name);
    return m_caseInsensitive && isTextType(f.type) ? col + QLatin1String(" COLLATE NOCASE") : col;
}

const FieldDefs &Cursor::fields() const {
    requireOpen();
    return *m_fields;
}

int Cursor::fieldIndex(const QString &name) const {
    requireOpen();
    for (size_t i = 0; i < m_fields->size(); ++i)
        if ((*m_fields)[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return int(i);
    throw EngineError(QStringLiteral("no such column: %1\nDie Tabelle %2 hat kein Feld %1.").arg(name, m_table));
}

bool Cursor::hasField(const QString &name) const {
    requireOpen();
    for (const FieldDef &f : *m_fields)
        if (f.name.compare(name, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

void Cursor::requireOpen() const {
    if (m_state == State::Inactive)
        throw EngineError(QStringLiteral("Die Datenmenge %1 ist nicht geöffnet.").arg(m_table));
}

void Cursor::requireWritable() const {
    requireOpen();
    if (m_readOnly || m_db.isReadOnly(m_table))
        throw VelmoraError(QStringLiteral("Datenmenge nur mit Leseberechtigung geöffnet!"));
}

// ------------------------------------------------------------------ the set

QString Cursor::columnList() const {
    QStringList cols;
    for (const FieldDef &f : *m_fields)
        cols << quoteIdentifier(f.name);
    return cols.join(QLatin1String(", "));
}

Cursor::Where Cursor::buildWhere() const {
    Where w;
    QStringList conds;
    const FieldDefs &defs = *m_fields;
    auto defOf = [&](const QString &name) -> FieldDef {
        const int i = fieldIndex(name);
        return defs[size_t(i)];
    };
    if (!m_rangeLow.isEmpty() || !m_rangeHigh.isEmpty()) {
        const QStringList of = m_orderFields;
        const int n = int(std::max(m_rangeLow.size(), m_rangeHigh.size()));
        for (int i = 0; i < n && i < of.size(); ++i) {
            const FieldDef f = defOf(of[i]);
            if (i < m_rangeLow.size()) {
                conds << comparedColumn(f) + QLatin1String(" >= ?");
                w.binds.push_back({m_rangeLow[i], f});
            }
            if (i < m_rangeHigh.size()) {
                conds << comparedColumn(f) + QLatin1String(" <= ?");
                w.binds.push_back({m_rangeHigh[i], f});
            }
        }
    }
    if (m_master) {
        if (!m_master->isOpen() || m_master->recNo() < 0) {
            conds << QStringLiteral("0");
        } else {
            for (int i = 0; i < m_detailFields.size() && i < m_masterFields.size(); ++i) {
                const FieldDef f = defOf(m_detailFields[i]);
                const QVariant v = m_master->value(m_masterFields[i]);
                if (v.isNull()) {
                    conds << quoteIdentifier(f.name) + QLatin1String(" IS NULL");
                } else {
                    conds << quoteIdentifier(f.name) + QLatin1String(" = ?");
                    w.binds.push_back({v, f});
                }
            }
        }
    }
    if (m_filtered && !m_filter.trimmed().isEmpty())
        conds << QLatin1Char('(') + m_db.translateCondition(m_filter, m_table) + QLatin1Char(')');
    if (!conds.isEmpty())
        w.sql = QLatin1String(" WHERE ") + conds.join(QLatin1String(" AND "));
    return w;
}

QString Cursor::orderClause() const {
    QStringList parts;
    for (const QString &f : m_orderFields)
        parts << comparedColumn((*m_fields)[size_t(fieldIndex(f))]);
    parts << m_rowidColumn;
    return QLatin1String(" ORDER BY ") + parts.join(QLatin1String(", "));
}

void Cursor::bindWhere(Statement &st, const Where &w, int firstIndex) const {
    int i = firstIndex;
    for (const auto &[v, f] : w.binds)
        st.bind(i++, v, f.type, 0);
}

void Cursor::open() {
    if (isOpen())
        return;
    const QString real = m_db.requireTable(m_table);
    m_table = real;
    m_fieldDefs = m_db.fieldDefs(real);
    m_fields = &m_fieldDefs;
    m_rowidColumn = m_db.rowidColumn(real);
    m_state = State::Browse;
    try {
        m_orderFields = orderFields();
        for (const QString &f : m_orderFields)
            fieldIndex(f);
        m_rowStmt = std::make_unique<Statement>(
            m_db,
            QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ?").arg(columnList(), quoteIdentifier(real), m_rowidColumn));
        resetSet();
        first();
    } catch (...) {
        m_state = State::Inactive;
        m_rowStmt.reset();
        throw;
    }
}

void Cursor::close() {
    if (m_state == State::Inactive)
        return;
    ++m_generation;
    m_state = State::Inactive;
    m_stream.reset();
    m_rowStmt.reset();
    m_rowids.clear();
    m_rowidsValid = false;
    m_streaming = false;
    m_pos = -1;
    m_eof = m_bof = true;
    m_buffer.clear();
    m_modified = false;
    m_fields = nullptr;
    for (Cursor *d : m_details)
        if (d->isOpen())
            d->masterMoved();
    Q_EMIT closed();
    Q_EMIT stateChanged();
}

void Cursor::releaseStatement() {
    if (!m_stream)
        return;
    if (m_streaming) {
        // Remember where the stream stood, by row id, before letting go.
        ensureRowids();
        m_streaming = false;
        m_rowLoaded = false;
    }
    m_stream.reset();
}

void Cursor::resetSet() {
    ++m_generation;
    m_stream.reset();
    m_streaming = false;
    m_rowidsValid = false;
    m_rowids.clear();
    m_rowLoaded = false;
}

void Cursor::refresh() {
    requireOpen();
    checkBrowse();
    const qint64 current = m_pos >= 0 ? m_rowid : 0;
    const int oldPos = m_pos;
    resetSet();
    positionOnRowid(current, oldPos);
    Q_EMIT rowsChanged();
    scrolledTo();
}

void Cursor::ensureRowids() {
    if (m_rowidsValid)
        return;
    const Where w = buildWhere();
    Statement st(
        m_db,
        QStringLiteral("SELECT %4 FROM %1%2%3").arg(quoteIdentifier(m_table), w.sql, orderClause(), m_rowidColumn));
    bindWhere(st, w);
    m_rowids.clear();
    while (st.step())
        m_rowids.push_back(sqlite3_column_int64(st.get(), 0));
    m_rowidsValid = true;
}

void Cursor::positionOnRowid(qint64 rowid, int fallback) {
    ensureRowids();
    m_streaming = false;
    m_stream.reset();
    m_rowLoaded = false;
    const int n = int(m_rowids.size());
    int pos = -1;
    if (rowid != 0) {
        const auto it = std::find(m_rowids.begin(), m_rowids.end(), rowid);
        if (it != m_rowids.end())
            pos = int(it - m_rowids.begin());
    }
    if (pos < 0 && n > 0)
        pos = std::clamp(fallback, 0, n - 1);
    m_pos = pos;
    m_rowid = pos >= 0 ? m_rowids[size_t(pos)] : 0;
    m_eof = m_bof = (n == 0);
}

// A search reads the table itself, so it may find a row written after the
// set's row ids were read (through another cursor, or an insert of this
// one). Staying on the current row then would let the next edit change the
// wrong row: the row ids are read again and the found row becomes current.
bool Cursor::positionOnFound(qint64 rowid) {
    auto known = [this](qint64 id) { return std::find(m_rowids.begin(), m_rowids.end(), id) != m_rowids.end(); };
    ensureRowids();
    bool found = known(rowid);
    if (found) {
        positionOnRowid(rowid, m_pos);
        return true;
    }
    const qint64 current = m_pos >= 0 ? m_rowid : 0;
    resetSet();
    ensureRowids();
    found = known(rowid);
    positionOnRowid(found ? rowid : current, m_pos);
    Q_EMIT rowsChanged();
    return found;
}

void Cursor::loadRow() {
    if (m_rowLoaded)
        return;
    m_row.assign(m_fields->size(), QVariant());
    if (m_pos >= 0) {
        m_rowStmt->reset();
        m_rowStmt->bind(1, m_rowid);
        if (m_rowStmt->step())
            for (size_t i = 0; i < m_fields->size(); ++i)
                m_row[i] = fromStorage(m_rowStmt->get(), int(i), (*m_fields)[i].type);
        m_rowStmt->reset();
    }
    m_rowLoaded = true;
}

void Cursor::scrolledTo() {
    if (afterScroll)
        afterScroll(*this);
    Q_EMIT scrolled();
    for (Cursor *d : m_details)
        if (d->isOpen())
            d->masterMoved();
}

void Cursor::masterMoved() {
    if (isEditing())
        cancel();
    resetSet();
    first();
}

// ---------------------------------------------------------------- navigation

void Cursor::checkBrowse() {
    if (isEditing())
        post();
}

void Cursor::first() {
    requireOpen();
    checkBrowse();
    if (!m_stream) {
        const Where w = buildWhere();
        m_stream = std::make_unique<Statement>(
            m_db, QStringLiteral("SELECT %5, %1 FROM %2%3%4")
                      .arg(columnList(), quoteIdentifier(m_table), w.sql, orderClause(), m_rowidColumn));
        bindWhere(*m_stream, w);
    } else {
        m_stream->reset();
    }
    m_rowLoaded = false;
    if (m_stream->step()) {
        m_streaming = true;
        m_pos = 0;
        m_rowid = sqlite3_column_int64(m_stream->get(), 0);
        m_eof = false;
        m_bof = true;
    } else {
        m_streaming = false;
        m_pos = -1;
        m_rowid = 0;
        m_eof = m_bof = true;
    }
    scrolledTo();
}

void Cursor::next() {
    requireOpen();
    checkBrowse();
    if (m_eof)
        return;
    m_rowLoaded = false;
    if (m_streaming) {
        if (m_stream->step()) {
            ++m_pos;
            m_rowid = sqlite3_column_int64(m_stream->get(), 0);
            m_bof = false;
        } else {
            // Past the end the current row stays the last one.
            m_streaming = false;
            m_eof = true;
            return;
        }
    } else {
        ensureRowids();
        if (m_pos + 1 < int(m_rowids.size())) {
            ++m_pos;
            m_rowid = m_rowids[size_t(m_pos)];
            m_bof = false;
        } else {
            m_eof = true;
            return;
        }
    }
    scrolledTo();
}

void Cursor::prior() {
    requireOpen();
    checkBrowse();
    ensureRowids();
    m_streaming = false;
    m_rowLoaded = false;
    m_eof = m_rowids.empty();
    if (m_pos > 0) {
        --m_pos;
        m_rowid = m_rowids[size_t(m_pos)];
        m_bof = false;
        scrolledTo();
    } else {
        m_bof = true;
    }
}

void Cursor::last() {
    requireOpen();
    checkBrowse();
    ensureRowids();
    m_streaming = false;
    m_rowLoaded = false;
    const int n = int(m_rowids.size());
    m_pos = n - 1;
    m_rowid = n > 0 ? m_rowids.back() : 0;
    m_eof = true;
    m_bof = n <= 1;
    scrolledTo();
}

void Cursor::moveTo(int position) {
    requireOpen();
    checkBrowse();
    ensureRowids();
    const int n = int(m_rowids.size());
    if (n == 0)
        return;
    m_streaming = false;
    m_rowLoaded = false;
    m_pos = std::clamp(position, 0, n - 1);
    m_rowid = m_rowids[size_t(m_pos)];
    m_eof = m_bof = false;
    scrolledTo();
}

bool Cursor::isEmpty() {
    return recordCount() == 0;
}

int Cursor::recordCount() {
    requireOpen();
    if (m_rowidsValid)
        return int(m_rowids.size());
    const Where w = buildWhere();
    Statement st(m_db, QStringLiteral("SELECT count(*) FROM %1%2").arg(quoteIdentifier(m_table), w.sql));
    bindWhere(st, w);
    st.step();
    return sqlite3_column_int(st.get(), 0);
}

int Cursor::recNo() {
    return m_state == State::Inactive ? -1 : m_pos;
}

std::vector<QVariant> Cursor::rowAt(int position) {
    requireOpen();
    ensureRowids();
    std::vector<QVariant> row;
    if (position < 0 || position >= int(m_rowids.size()))
        return row;
    // The row statement is reset after every use, so borrowing it leaves
    // the current row's cached values alone.
    m_rowStmt->reset();
    m_rowStmt->bind(1, m_rowids[size_t(position)]);
    if (m_rowStmt->step()) {
        row.reserve(m_fields->size());
        for (size_t i = 0; i < m_fields->size(); ++i)
            row.push_back(fromStorage(m_rowStmt->get(), int(i), (*m_fields)[i].type));
    }
    m_rowStmt->reset();
    return row;
}

bool Cursor::findKey(const QVariantList &values) {
    requireOpen();
    checkBrowse();
    const Where w = buildWhere();
    QString sql = w.sql.isEmpty() ? QStringLiteral(" WHERE 1") : w.sql;
    std::vector<std::pair<QVariant, FieldDef>> binds = w.binds;
    for (int i = 0; i < values.size() && i < m_orderFields.size(); ++i) {
        const FieldDef &f = (*m_fields)[size_t(fieldIndex(m_orderFields[i]))];
        sql += QLatin1String(" AND ") + comparedColumn(f) + QLatin1String(" = ?");
        binds.push_back({values[i], f});
    }
    Statement st(m_db, QStringLiteral("SELECT %4 FROM %1%2%3 LIMIT 1")
                           .arg(quoteIdentifier(m_table), sql, orderClause(), m_rowidColumn));
    int idx = 1;
    for (const auto &[v, f] : binds)
        st.bind(idx++, v, f.type, 0);
    if (!st.step())
        return false;
    if (!positionOnFound(sqlite3_column_int64(st.get(), 0)))
        return false;
    scrolledTo();
    return true;
}

void Cursor::findNearest(const QVariantList &values) {
    requireOpen();
    checkBrowse();
    const Where w = buildWhere();
    QString sql = w.sql.isEmpty() ? QStringLiteral(" WHERE 1") : w.sql;
    std::vector<std::pair<QVariant, FieldDef>> binds = w.binds;
    // The key compared field by field in the order's terms. A null sorts
    // before every value (as in the order), so a null key field is matched
    // by "IS NULL" and passed by "IS NOT NULL"; a row value comparison
    // would make every such row unknown and land on the last row.
    const int n = int(std::min<qsizetype>(values.size(), m_orderFields.size()));
    QStringList alternatives;
    for (int i = 0; i <= n; ++i) {
        QStringList terms;
        for (int j = 0; j < i && j < n; ++j) {
            const FieldDef &f = (*m_fields)[size_t(fieldIndex(m_orderFields[j]))];
            if (values[j].isNull()) {
                terms << quoteIdentifier(f.name) + QLatin1String(" IS NULL");
            } else {
                terms << comparedColumn(f) + QLatin1String(" = ?");
                binds.push_back({values[j], f});
            }
        }
        if (i < n) {
            const FieldDef &f = (*m_fields)[size_t(fieldIndex(m_orderFields[i]))];
            if (values[i].isNull()) {
                terms << quoteIdentifier(f.name) + QLatin1String(" IS NOT NULL");
            } else {
                terms << comparedColumn(f) + QLatin1String(" > ?");
                binds.push_back({values[i], f});
            }
        }
        if (!terms.isEmpty())
            alternatives << QLatin1Char('(') + terms.join(QLatin1String(" AND ")) + QLatin1Char(')');
    }
    if (!alternatives.isEmpty())
        sql += QStringLiteral(" AND (%1)").arg(alternatives.join(QLatin1String(" OR ")));
    Statement st(m_db, QStringLiteral("SELECT %4 FROM %1%2%3 LIMIT 1")
                           .arg(quoteIdentifier(m_table), sql, orderClause(), m_rowidColumn));
    int idx = 1;
    for (const auto &[v, f] : binds)
        st.bind(idx++, v, f.type, 0);
    if (!st.step() || !positionOnFound(sqlite3_column_int64(st.get(), 0)))
        positionOnRowid(0, std::numeric_limits<int>::max());
    scrolledTo();
}

bool Cursor::locate(const QString &field, const QVariant &value) {
    requireOpen();
    checkBrowse();
    const FieldDef &f = (*m_fields)[size_t(fieldIndex(field))];
    const Where w = buildWhere();
    QString sql = (w.sql.isEmpty() ? QStringLiteral(" WHERE 1") : w.sql) + QLatin1String(" AND ") +
                  quoteIdentifier(f.name) + (value.isNull() ? QStringLiteral(" IS NULL") : QStringLiteral(" = ?"));
    Statement st(m_db, QStringLiteral("SELECT %4 FROM %1%2%3 LIMIT 1")
                           .arg(quoteIdentifier(m_table), sql, orderClause(), m_rowidColumn));
    bindWhere(st, w);
    if (!value.isNull())
        st.bind(int(w.binds.size()) + 1, value, f.type, 0);
    if (!st.step())
        return false;
    if (!positionOnFound(sqlite3_column_int64(st.get(), 0)))
        return false;
    scrolledTo();
    return true;
}

// ---------------------------------------------------------------- fields

QVariant Cursor::value(int index) {
    requireOpen();
    if (index < 0 || index >= int(m_fields->size()))
        throw EngineError(QStringLiteral("Feldnummer %1 außerhalb der Tabelle %2.").arg(index).arg(m_table));
    if (isEditing())
        return m_buffer[size_t(index)];
    if (m_pos < 0)
        return {};
    if (m_streaming)
        return fromStorage(m_stream->get(), index + 1, (*m_fields)[size_t(index)].type);
    loadRow();
    return m_row[size_t(index)];
}

QString Cursor::asString(const QString &name) {
    const int i = fieldIndex(name);
    const QVariant v = value(i);
    const FieldType t = (*m_fields)[size_t(i)].type;
    if (v.isNull())
        return {};
    if (t == FieldType::Date || t == FieldType::Timestamp || t == FieldType::Time || isFloatType(t))
        return displayText(v, t);
    return v.toString();
}

int Cursor::asInt(const QString &name) {
    return value(name).toInt();
}
double Cursor::asFloat(const QString &name) {
    return value(name).toDouble();
}
bool Cursor::asBool(const QString &name) {
    return value(name).toBool();
}

QDateTime Cursor::asDateTime(const QString &name) {
    const QVariant v = value(name);
    if (v.metaType().id() == QMetaType::QDate)
        return QDateTime(v.toDate(), QTime(0, 0));
    return v.toDateTime();
}

QDate Cursor::asDate(const QString &name) {
    return asDateTime(name).date();
}

QVariant Cursor::normalize(const QVariant &v, const FieldDef &f) const {
    const StoredValue sv = toStoredValue(v, f.type, f.size);
    switch (sv.kind) {
    case StoredValue::Null:
        return {};
    case StoredValue::Integer:
        if (f.type == FieldType::Logical)
            return sv.integer != 0;
        if (isIntegerType(f.type))
            return int(sv.integer);
        return QVariant::fromValue<qlonglong>(sv.integer);
    case StoredValue::Float:
        return sv.real;
    case StoredValue::Bytes:
        return sv.bytes;
    case StoredValue::Text:
        switch (f.type) {
        case FieldType::Date:
            return parseStoredDate(sv.text);
        case FieldType::Time:
            return parseStoredTime(sv.text);
        case FieldType::Timestamp:
            return parseStoredDateTime(sv.text);
        default:
            return sv.text;
        }
    }
    return {};
}

QVariant Cursor::defaultFor(const FieldDef &f) const {
    QString d = f.defaultValue.trimmed();
    if (d.isEmpty() || d.compare(QLatin1String("NULL"), Qt::CaseInsensitive) == 0)
        return {};
    if (d.size() >= 2 && d.startsWith(QLatin1Char('\'')) && d.endsWith(QLatin1Char('\'')))
        d = d.mid(1, d.size() - 2).replace(QLatin1String("''"), QLatin1String("'"));
    return normalize(d, f);
}

void Cursor::setValue(const QString &name, const QVariant &v) {
    setValue(fieldIndex(name), v);
}

void Cursor::setValue(int index, const QVariant &v) {
    requireOpen();
    if (!isEditing())
        throw EngineError(QStringLiteral("Die Datenmenge %1 ist nicht im Bearbeitungsmodus.").arg(m_table));
    const FieldDef &f = (*m_fields)[size_t(index)];
    m_buffer[size_t(index)] = normalize(v, f);
    m_changed[size_t(index)] = true;
    m_modified = true;
    Q_EMIT fieldChanged(index);
}

// ---------------------------------------------------------------- editing

void Cursor::append() {
    requireWritable();
    checkBrowse();
    const size_t n = m_fields->size();
    m_buffer.assign(n, QVariant());
    m_changed.assign(n, true);
    for (size_t i = 0; i < n; ++i)
        m_buffer[i] = defaultFor((*m_fields)[i]);
    if (m_master && m_master->recNo() >= 0)
        for (int i = 0; i < m_detailFields.size() && i < m_masterFields.size(); ++i) {
            const int di = fieldIndex(m_detailFields[i]);
            m_buffer[size_t(di)] = normalize(m_master->value(m_masterFields[i]), (*m_fields)[size_t(di)]);
        }
    m_state = State::Insert;
    m_modified = false;
    if (onNewRecord) {
        try {
            onNewRecord(*this);
        } catch (...) {
            cancel();
            throw;
        }
    }
    Q_EMIT stateChanged();
}

// Rows take their place by the order, so inserting and appending are the same.
void Cursor::insert() {
    append();
}

void Cursor::edit() {
    requireWritable();
    if (isEditing())
        return;
    if (m_pos < 0) {
        append();
        return;
    }
    const size_t n = m_fields->size();
    m_buffer.resize(n);
    for (size_t i = 0; i < n; ++i)
        m_buffer[i] = value(int(i));
    m_changed.assign(n, false);
    m_state = State::Edit;
    m_modified = false;
    if (afterEdit)
        afterEdit(*this);
    Q_EMIT stateChanged();
}

void Cursor::cancel() {
    if (!isEditing())
        return;
    m_state = State::Browse;
    m_buffer.clear();
    m_modified = false;
    m_rowLoaded = false;
    Q_EMIT stateChanged();
}

void Cursor::post() {
    if (!isEditing())
        return;
    if (beforePost)
        beforePost(*this);
    const FieldDefs &defs = *m_fields;
    if (m_autoTimestamp) {
        for (size_t i = 0; i < defs.size(); ++i)
            if (defs[i].name.compare(QLatin1String("Timestamp"), Qt::CaseInsensitive) == 0 &&
                defs[i].type == FieldType::Timestamp) {
                m_buffer[i] = QDateTime::currentDateTime();
                m_changed[i] = true;
            }
    }
    const bool inserting = m_state == State::Insert;
    qint64 rowid = m_rowid;
    const QString table = quoteIdentifier(m_table);
    if (inserting) {
        QStringList cols, marks;
        for (const FieldDef &f : defs) {
            cols << quoteIdentifier(f.name);
            marks << QStringLiteral("?");
        }
        Statement st(m_db, QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                               .arg(table, cols.join(QLatin1String(", ")), marks.join(QLatin1String(", "))));
        for (size_t i = 0; i < defs.size(); ++i)
            st.bind(int(i) + 1, m_buffer[i], defs[i].type, defs[i].size);
        try {
            st.step();
        } catch (const EngineError &e) {
            throw EngineError(e.message() + QStringLiteral("\nTabelle: ") + m_table);
        }
        rowid = sqlite3_last_insert_rowid(m_db.handle());
    } else {
        QStringList sets;
        std::vector<size_t> changed;
        for (size_t i = 0; i < defs.size(); ++i)
            if (m_changed[i]) {
                sets << quoteIdentifier(defs[i].name) + QLatin1String(" = ?");
                changed.push_back(i);
            }
        if (!changed.empty()) {
            Statement st(m_db, QStringLiteral("UPDATE %1 SET %2 WHERE %3 = ?")
                                   .arg(table, sets.join(QLatin1String(", ")), m_rowidColumn));
            int idx = 1;
            for (size_t i : changed)
                st.bind(idx++, m_buffer[i], defs[i].type, defs[i].size);
            st.bind(idx, rowid);
            try {
                st.step();
            } catch (const EngineError &e) {
                throw EngineError(e.message() + QStringLiteral("\nTabelle: ") + m_table);
            }
            // The row went away under the edit (deleted through another
            // window): the typing stays in the buffer for the caller.
            if (sqlite3_changes(m_db.handle()) == 0)
                throw VelmoraError(kRowDeleted);
        }
    }
    m_state = State::Browse;
    m_buffer.clear();
    m_modified = false;
    const int oldPos = m_pos;
    resetSet();
    positionOnRowid(rowid, oldPos);
    Q_EMIT rowsChanged();
    if (afterPost)
        afterPost(*this);
    scrolledTo();
}

void Cursor::deleteRow() {
    requireWritable();
    if (isEditing() && m_state == State::Insert) {
        cancel();
        return;
    }
    cancel();
    if (m_pos < 0)
        throw EngineError(QStringLiteral("Die Datenmenge %1 ist leer.").arg(m_table));
    Statement st(m_db, QStringLiteral("DELETE FROM %1 WHERE %2 = ?").arg(quoteIdentifier(m_table), m_rowidColumn));
    st.bind(1, m_rowid);
    st.step();
    const int oldPos = m_pos;
    resetSet();
    positionOnRowid(0, oldPos);
    Q_EMIT rowsChanged();
    scrolledTo();
}

void InsertRow(Database &db, const QString &table, const QVariantMap &values) {
    Cursor c(db, table);
    c.open();
    c.append();
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        c.setValue(it.key(), it.value());
    c.post();
}

} // namespace velmora
