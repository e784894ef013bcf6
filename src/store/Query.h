#pragma once

#include "store/Database.h"

#include <QVariantMap>

namespace velmora {

// A read-only result of local SQL with named parameters (":PersonNr").
// The rows are read at open, so the result can be walked in any direction.
class Query {
public:
    explicit Query(Database &db, const QString &sql = {});

    Database &database() const { return m_db; }
    void setSql(const QString &localSql);
    void setSql(const QStringList &lines) { setSql(lines.join(QLatin1Char('\n'))); }
    const QString &sql() const { return m_sql; }
    void setParam(const QString &name, const QVariant &value);

    void open();
    void close();
    bool isOpen() const { return m_open; }
    // Runs a statement that returns no rows; the number of changed rows.
    int exec();

    void first();
    void next();
    void prior();
    void last();
    void moveTo(int row);
    bool eof() const { return m_eof; }
    bool bof() const { return m_bof; }
    int recordCount() const { return int(m_rows.size()); }
    int recNo() const { return m_pos; }

    // The result columns with types: declared types for plain columns,
    // otherwise taken from the values (texts get the width of the longest).
    const FieldDefs &fields() const { return m_fields; }
    int fieldIndex(const QString &name) const;  // -1 when missing
    QVariant value(int column) const;
    QVariant value(const QString &name) const;
    QString asString(const QString &name) const;
    int asInt(const QString &name) const { return value(name).toInt(); }
    const std::vector<QVariant> &row(int r) const { return m_rows[size_t(r)]; }

private:
    Database &m_db;
    QString m_sql;
    QVariantMap m_params;
    bool m_open = false;
    FieldDefs m_fields;
    std::vector<std::vector<QVariant>> m_rows;
    int m_pos = -1;
    bool m_eof = true, m_bof = true;
};

} // namespace velmora
