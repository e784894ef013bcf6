#pragma once

#include "store/Errors.h"
#include "store/FieldDef.h"
#include "store/LocalSqlTranslator.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>
#include <sqlite3.h>
#include <vector>

namespace velmora {

struct SqliteCloser {
    void operator()(sqlite3 *db) const { sqlite3_close_v2(db); }
};
struct StatementFinalizer {
    void operator()(sqlite3_stmt *st) const { sqlite3_finalize(st); }
};
using SqliteHandle = std::unique_ptr<sqlite3, SqliteCloser>;
using StatementHandle = std::unique_ptr<sqlite3_stmt, StatementFinalizer>;

// A table's whole structure: what "create a table with the structure of
// another table" copies.
struct TableDef {
    QString name;
    FieldDefs fields;
    QStringList primaryKey;
    std::vector<IndexDef> indexes;
};

class Database;
class Cursor;

// One prepared statement of SQLite's own dialect.
class Statement {
public:
    Statement(Database &db, const QString &sql);
    sqlite3_stmt *get() const { return m_stmt.get(); }
    void bind(int index, const QVariant &value, FieldType type = FieldType::Unknown, int size = 0);
    // Binds ":name" (also "@name", "$name"); false when the statement has no such parameter.
    bool bind(const QString &name, const QVariant &value);
    bool step();   // true while a row is available
    void reset();
    int columnCount() const { return sqlite3_column_count(m_stmt.get()); }
    QString columnName(int i) const;
    QVariant value(int i, FieldType type = FieldType::Unknown) const;
    const QString &sql() const { return m_sql; }

private:
    void requireNamedParameters();

    Database &m_db;
    StatementHandle m_stmt;
    QString m_sql;
    std::vector<bool> m_bound; // by parameter index; [0] unused
    bool m_parametersChecked = false;
};

// Converts between the stored form and Qt values, by field type.
QVariant fromStorage(sqlite3_stmt *st, int column, FieldType type);
void bindStorage(Database &db, sqlite3_stmt *st, int index, const QVariant &value, FieldType type, int size);

// One database name: a directory holding one SQLite file with all its tables.
class Database : public SchemaLookup {
public:
    static constexpr const char *kFileName = "velmora5.db";

    // Opens (creating when allowed) DIR/velmora5.db. A file that is not a
    // database, is damaged, locked or unreadable is refused with its own
    // message and left untouched. A write-protected file opens read-only.
    Database(QString name, QString directory, bool create = true, bool readOnly = false);
    ~Database() override;
    Database(const Database &) = delete;
    Database &operator=(const Database &) = delete;

    const QString &name() const { return m_name; }
    const QString &directory() const { return m_directory; }
    QString filePath() const;
    sqlite3 *handle() const { return m_db.get(); }
    bool isReadOnly() const { return m_readOnly; }
    // Whether rows of this table can be written: every table of a writable
    // database, the session copies of a read-only one.
    bool isReadOnly(const QString &table) const;
    // On a read-only database: gives the session a private copy of a
    // working table (rows included) that hides the stored one until the
    // database is closed. Nothing happens on a writable database.
    void keepSessionCopy(const QString &table);

    // Local SQL to SQLite SQL.
    QString translate(const QString &localSql) const;
    // A cursor's filter expression over the table it reads.
    QString translateCondition(const QString &expression, const QString &table = {}) const;

    // Runs SQLite SQL (several statements allowed), throwing EngineError.
    void exec(const QString &sql);
    // Runs local SQL that returns no rows (delete, update, insert).
    int execLocal(const QString &localSql, const QVariantMap &params = {});
    QString lastErrorText() const;
    [[noreturn]] void raise(const QString &context) const;

    // Tables. Names are matched in any case, with or without ".DB".
    static QString plainTableName(const QString &name);
    QString resolveTable(const QString &name) const;   // stored name, empty when missing
    QString requireTable(const QString &name) const;   // stored name or EngineError
    bool tableExists(const QString &name) const { return !resolveTable(name).isEmpty(); }
    // Tables whose name matches a pattern with "*" and "?" ("TR_*", "TR_*.DB").
    QStringList tables(const QString &pattern = QStringLiteral("*")) const;
    const FieldDefs &fieldDefs(const QString &table) const;
    int fieldIndex(const QString &table, const QString &field) const;  // -1 when missing
    QStringList primaryKey(const QString &table) const;
    std::vector<IndexDef> indexes(const QString &table) const;
    TableDef tableDef(const QString &table) const;
    // Fields of a named index; the primary index is "" or "PRIMARY".
    QStringList indexFields(const QString &table, const QString &indexName) const;

    // Creates a table; an existing table of that name is replaced.
    void createTable(const TableDef &def);
    // Declares the primary-key columns of an existing table NOT NULL,
    // rebuilding it with all its rows and indexes. Does nothing (false)
    // when they are declared so already or when a stored row lacks its key.
    bool rebuildWithRequiredKey(const QString &table);
    void createTableLike(const QString &name, const Database &source, const QString &sourceTable);
    void dropTable(const QString &name);
    void emptyTable(const QString &name);
    qint64 rowCount(const QString &table) const;

    // Transactions, nested through save points.
    void begin();
    void commit();
    void rollback();
    bool inTransaction() const { return m_depth > 0; }

    // Writes a consistent copy of the whole database into a file of its
    // own (replaced when present), commits still in the write-ahead log
    // included: what backups copy instead of the live file.
    void snapshotTo(const QString &targetPath) const;

    // The name under which statements reach a table's row id: "rowid"
    // unless a column of the table is called so, then "_rowid_" or "oid".
    QString rowidColumn(const QString &table) const;

    // The German message for a failure to open or first read a database
    // file, by SQLite's result code.
    static QString openFailureText(int code, const QString &name, const QString &path, const QString &engineText);

    // SchemaLookup
    bool isTable(const QString &name) const override { return tableExists(name); }
    FieldType columnType(const QString &table, const QString &column) const override;

    void invalidateSchema();

    // Open cursors register themselves, so that replacing or dropping a
    // table first lets go of the statements that are still reading.
    void attachCursor(Cursor *cursor) { m_cursors.push_back(cursor); }
    void detachCursor(Cursor *cursor) { std::erase(m_cursors, cursor); }

private:
    void releaseReaders();
    void loadTableList() const;
    // Prepares a read of the schema; a busy or damaged schema raises.
    StatementHandle prepareSchemaRead(const QByteArray &sql, const QString &context) const;

    QString m_name;
    QString m_directory;
    bool m_readOnly = false;
    SqliteHandle m_db;
    int m_depth = 0;
    bool m_outerBegun = false; // the outermost level is a BEGIN IMMEDIATE
    LocalSqlTranslator m_translator;

    struct CachedTable {
        QString name;
        FieldDefs fields;
        bool loaded = false;
    };
    mutable bool m_tablesLoaded = false;
    mutable QHash<QString, CachedTable> m_tables;  // key: lower-case name
    std::vector<Cursor *> m_cursors;
    QStringList m_sessionCopies; // lower-case names
};

// Commits on commit(), rolls back when left otherwise.
class Transaction {
public:
    explicit Transaction(Database &db) : m_db(db) { m_db.begin(); }
    ~Transaction() {
        if (!m_done) {
            try {
                m_db.rollback();
            } catch (...) {
            }
        }
    }
    void commit() {
        m_db.commit();
        m_done = true;
    }
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;

private:
    Database &m_db;
    bool m_done = false;
};

QString quoteIdentifier(const QString &name);
QString quoteText(const QString &text);

} // namespace velmora
