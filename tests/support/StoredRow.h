#pragma once

#include "store/Cursor.h"

#include <QVariantMap>

namespace velmora::test {

// The stored row of a table with the given primary key, column by column,
// read past any cursor a window holds; empty when there is none.
inline QVariantMap storedRow(Database &db, const QString &table, const QVariantList &key) {
    Cursor c(db, table);
    c.open();
    QVariantMap row;
    if (c.findKey(key))
        for (const FieldDef &f : c.fields())
            row.insert(f.name, c.value(f.name));
    return row;
}

} // namespace velmora::test
