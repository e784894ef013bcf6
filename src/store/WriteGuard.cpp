#include "store/WriteGuard.h"

namespace velmora {

WriteGuard::WriteGuard(Database &db) : m_db(db) {
    sqlite3_set_authorizer(m_db.handle(), &WriteGuard::authorize, this);
}

WriteGuard::~WriteGuard() {
    sqlite3_set_authorizer(m_db.handle(), nullptr, nullptr);
}

void WriteGuard::allow(const QString &table) {
    m_writable.insert(Database::plainTableName(table).toLower());
}

bool WriteGuard::isAllowed(const QString &table) const {
    return m_writable.contains(Database::plainTableName(table).toLower());
}

int WriteGuard::authorize(void *self, int action, const char *a, const char *b, const char *, const char *) {
    const auto *guard = static_cast<const WriteGuard *>(self);
    const QString first = a ? QString::fromUtf8(a) : QString();
    const auto schemaTable = [&]() {
        return first.compare(QLatin1String("sqlite_master"), Qt::CaseInsensitive) == 0 ||
               first.compare(QLatin1String("sqlite_schema"), Qt::CaseInsensitive) == 0 ||
               first.compare(QLatin1String("sqlite_sequence"), Qt::CaseInsensitive) == 0;
    };
    switch (action) {
    case SQLITE_SELECT:
    case SQLITE_READ:
    case SQLITE_FUNCTION:
    case SQLITE_RECURSIVE:
    case SQLITE_TRANSACTION:
    case SQLITE_SAVEPOINT:
        return SQLITE_OK;
    case SQLITE_PRAGMA: {
        // Reading a table's structure only (b is the table's name).
        static const char *const readers[] = {"table_info", "table_xinfo", "index_list", "index_info", "index_xinfo"};
        for (const char *r : readers)
            if (first.compare(QLatin1String(r), Qt::CaseInsensitive) == 0)
                return SQLITE_OK;
        return SQLITE_DENY;
    }
    case SQLITE_INSERT:
    case SQLITE_UPDATE:
    case SQLITE_DELETE:
        // Creating and dropping an allowed table writes the schema table;
        // SQLite itself refuses a statement that names it directly.
        return guard->isAllowed(first) || schemaTable() ? SQLITE_OK : SQLITE_DENY;
    case SQLITE_CREATE_TABLE:
    case SQLITE_DROP_TABLE:
        return guard->isAllowed(first) ? SQLITE_OK : SQLITE_DENY;
    case SQLITE_CREATE_INDEX:
    case SQLITE_DROP_INDEX:
        // a: the index, b: its table
        return b && guard->isAllowed(QString::fromUtf8(b)) ? SQLITE_OK : SQLITE_DENY;
    default:
        return SQLITE_DENY;
    }
}

} // namespace velmora
