#include "store/Query.h"

#include "store/Values.h"

namespace velmora {

Query::Query(Database &db, const QString &sql) : m_db(db), m_sql(sql) {}

void Query::setSql(const QString &localSql) {
    close();
    m_sql = localSql;
}

void Query::setParam(const QString &name, const QVariant &value) {
    QString n = name;
    if (n.startsWith(QLatin1Char(':')))
        n.remove(0, 1);
    m_params.insert(n, value);
}

void Query::open() {
    close();
    Statement st(m_db, m_db.translate(m_sql));
    for (auto it = m_params.cbegin(); it != m_params.cend(); ++it)
        st.bind(it.key(), it.value());
    sqlite3_stmt *raw = st.get();
    const int n = st.columnCount();
    m_fields.assign(size_t(n), FieldDef());
    std::vector<bool> inferred(static_cast<size_t>(n), false);
    for (int i = 0; i < n; ++i) {
        FieldDef &f = m_fields[size_t(i)];
        f.name = st.columnName(i);
        const char *decl = sqlite3_column_decltype(raw, i);
        if (decl)
            f.type = parseDeclaredType(QString::fromUtf8(decl), &f.size);
        inferred[size_t(i)] = f.type == FieldType::Unknown;
    }
    while (st.step()) {
        std::vector<QVariant> row(static_cast<size_t>(n));
        for (int i = 0; i < n; ++i) {
            FieldDef &f = m_fields[size_t(i)];
            if (inferred[size_t(i)]) {
                const int storage = sqlite3_column_type(raw, i);
                if (storage == SQLITE_INTEGER && f.type == FieldType::Unknown)
                    f.type = FieldType::Long;
                else if (storage == SQLITE_FLOAT && (f.type == FieldType::Unknown || f.type == FieldType::Long))
                    f.type = FieldType::Number;
                else if (storage == SQLITE_TEXT && f.type != FieldType::Memo) {
                    f.type = FieldType::Alpha;
                    f.size = std::max(f.size, sqlite3_column_bytes(raw, i) ? int(QString::fromUtf8(
                        reinterpret_cast<const char *>(sqlite3_column_text(raw, i))).size()) : 1);
                    if (f.size > 255) {
                        f.type = FieldType::Memo;
                        f.size = 1;
                    }
                } else if (storage == SQLITE_BLOB && f.type == FieldType::Unknown)
                    f.type = FieldType::Blob;
            }
            row[size_t(i)] = fromStorage(raw, i, inferred[size_t(i)] ? FieldType::Unknown : f.type);
        }
        m_rows.push_back(std::move(row));
    }
    for (int i = 0; i < n; ++i) {
        FieldDef &f = m_fields[size_t(i)];
        if (f.type == FieldType::Unknown) {
            f.type = FieldType::Alpha;
            f.size = 1;
        }
        // Integers that came from expressions keep their values; for
        // inferred numbers the stored variant may still be a double.
        if (inferred[size_t(i)] && f.type == FieldType::Number)
            for (auto &row : m_rows)
                if (!row[size_t(i)].isNull())
                    row[size_t(i)] = row[size_t(i)].toDouble();
    }
    m_open = true;
    first();
}

void Query::close() {
    m_open = false;
    m_rows.clear();
    m_fields.clear();
    m_pos = -1;
    m_eof = m_bof = true;
}

int Query::exec() {
    close();
    return m_db.execLocal(m_sql, m_params);
}

void Query::first() {
    m_pos = m_rows.empty() ? -1 : 0;
    m_bof = true;
    m_eof = m_rows.empty();
}

void Query::next() {
    if (m_pos + 1 < int(m_rows.size())) {
        ++m_pos;
        m_bof = false;
    } else {
        m_eof = true;
    }
}

void Query::prior() {
    if (m_pos > 0) {
        --m_pos;
        m_eof = false;
    } else {
        m_bof = true;
    }
}

void Query::last() {
    m_pos = int(m_rows.size()) - 1;
    m_eof = true;
    m_bof = m_rows.size() <= 1;
}

void Query::moveTo(int row) {
    if (m_rows.empty())
        return;
    m_pos = std::clamp(row, 0, int(m_rows.size()) - 1);
    m_eof = m_bof = false;
}

int Query::fieldIndex(const QString &name) const {
    for (size_t i = 0; i < m_fields.size(); ++i)
        if (m_fields[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return int(i);
    return -1;
}

QVariant Query::value(int column) const {
    if (m_pos < 0 || column < 0 || column >= int(m_fields.size()))
        return {};
    return m_rows[size_t(m_pos)][size_t(column)];
}

QVariant Query::value(const QString &name) const {
    const int i = fieldIndex(name);
    if (i < 0)
        throw EngineError(QStringLiteral("no such column: %1\nDie Abfrage liefert kein Feld %1.").arg(name));
    return value(i);
}

QString Query::asString(const QString &name) const {
    const int i = fieldIndex(name);
    const QVariant v = value(name);
    const FieldType t = m_fields[size_t(i)].type;
    if (v.isNull())
        return {};
    if (isDateType(t) || isFloatType(t))
        return displayText(v, t);
    return v.toString();
}

} // namespace velmora
