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
    // The type of a column of the named table; Unknown when there is no
    // such table or column.
    virtual FieldType columnType(const QString &table, const QString &column) const = 0;
};

// Turns the engine's local SQL, as the windows build it, into SQLite SQL.
class LocalSqlTranslator {
public:
    explicit LocalSqlTranslator(const SchemaLookup &schema) : m_schema(schema) {}

    // A whole statement (select ..., possibly several lines).
    QString translate(const QString &localSql) const;
    // A cursor's filter expression ("(Type = 'P') OR (Gruppe = 3)"), a condition
    // only, over the given table (whose columns decide what its names mean).
    QString translateCondition(const QString &expression, const QString &table = {}) const;

private:
    const SchemaLookup &m_schema;
};

} // namespace velmora
