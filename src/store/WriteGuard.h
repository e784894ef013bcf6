#pragma once

#include "store/Database.h"

#include <QSet>
#include <QString>

namespace velmora {

// While it lives, the connection may read every table but change only the
// tables named here: SQL that a user typed into an evaluation runs inside
// the generated SELECTs and must never alter or drop a table of the diary.
// Anything else (writes to other tables, schema changes, ATTACH, pragmas
// other than reading a table's structure) is refused by SQLite's authorizer
// when the statement is prepared.
class WriteGuard {
public:
    explicit WriteGuard(Database &db);
    ~WriteGuard();
    WriteGuard(const WriteGuard &) = delete;
    WriteGuard &operator=(const WriteGuard &) = delete;

    // Allows creating, writing and dropping this table.
    void allow(const QString &table);
    bool isAllowed(const QString &table) const;

private:
    static int authorize(void *self, int action, const char *a, const char *b, const char *database,
                         const char *trigger);

    Database &m_db;
    QSet<QString> m_writable; // lower case
};

} // namespace velmora
