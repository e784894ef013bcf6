#pragma once

#include "store/FieldDef.h"

#include <QString>

namespace velmora {

// What the translator needs to know of the database it translates for.
class SchemaLookup {
public:
    virtual ~SchemaLookup() = default;
    // True when a table of this name exists (any case, with or without ".DB").
    virtual bool isTable(const QString &name) const = 0;
    // The type of a column. table may be empty (unqualified reference) or a
    // table name / alias as written; Unknown when no such column is known.
    virtual FieldType columnType(const QString &table, const QString &column) const = 0;
};

// Turns the engine's local SQL, as the windows build it, into SQLite SQL.
class LocalSqlTranslator {
public:
    explicit LocalSqlTranslator(const SchemaLookup &schema) : m_schema(schema) {}

    // A whole statement (select ..., possibly several lines).
    QString translate(const QString &localSql) const;
    // A cursor's filter expression ("(Type = 'P') OR (Gruppe = 3)"), a condition only.
    QString translateCondition(const QString &expression) const;

private:
    const SchemaLookup &m_schema;
};

} // namespace velmora
