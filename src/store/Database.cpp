#include "store/Database.h"

#include "store/Cursor.h"
#include "store/Values.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace velmora {

QString quoteIdentifier(const QString &name) {
    QString s = name;
    s.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + s + QLatin1Char('"');
}

QString quoteText(const QString &text) {
    QString s = text;
    s.replace(QLatin1Char('\''), QLatin1String("''"));
    return QLatin1Char('\'') + s + QLatin1Char('\'');
}

// ---------------------------------------------------------------- Statement

Statement::Statement(Database &db, const QString &sql) : m_db(db), m_sql(sql) {
    const QByteArray utf8 = sql.toUtf8();
    const char *const end = utf8.constData() + utf8.size();
    sqlite3_stmt *raw = nullptr;
    const char *tail = nullptr;
    if (sqlite3_prepare_v2(db.handle(), utf8.constData(), int(utf8.size()), &raw, &tail) != SQLITE_OK) {
        sqlite3_finalize(raw);
        db.raise(QStringLiteral("SQL: ") + sql.simplified());
    }
    m_stmt.reset(raw);
    // A second statement would otherwise be dropped without a word, and with
    // it the conditions appended after a typed one.
    const char *rest = tail;
    while (rest && rest < end) {
        sqlite3_stmt *extra = nullptr;
        const char *next = nullptr;
        const int rc = sqlite3_prepare_v2(db.handle(), rest, int(end - rest), &extra, &next);
        sqlite3_finalize(extra);
        if (rc != SQLITE_OK || extra || next == rest) {
            const QString after = QString::fromUtf8(tail, end - tail).simplified();
            throw EngineError(QStringLiteral("text after the end of the statement: %1\n"
                                             "Eine SQL-Anweisung darf nach dem \";\" nichts weiter enthalten.\nSQL: %2")
                                  .arg(after, sql.simplified()));
        }
        rest = next;
    }
    m_bound.assign(size_t(sqlite3_bind_parameter_count(raw)) + 1, false);
}

void Statement::bind(int index, const QVariant &value, FieldType type, int size) {
    bindStorage(m_db, m_stmt.get(), index, value, type, size);
    if (index > 0 && size_t(index) < m_bound.size())
        m_bound[size_t(index)] = true;
}

void Statement::requireNamedParameters() {
    // A misspelled or forgotten parameter would bind NULL and quietly match nothing.
    for (size_t i = 1; i < m_bound.size(); ++i) {
        const char *name = sqlite3_bind_parameter_name(m_stmt.get(), int(i));
        if (m_bound[i] || !name || name[0] == '?')
            continue;
        const QString n = QString::fromUtf8(name);
        throw EngineError(QStringLiteral("parameter without a value: %1\nDer Parameter %1 hat keinen Wert.\nSQL: %2")
                              .arg(n, m_sql.simplified()));
    }
    m_parametersChecked = true;
}

bool Statement::bind(const QString &name, const QVariant &value) {
    static const char prefixes[] = {':', '@', '$'};
    for (char p : prefixes) {
        const QByteArray key = QByteArray(1, p) + name.toUtf8();
        const int idx = sqlite3_bind_parameter_index(m_stmt.get(), key.constData());
        if (idx > 0) {
            bind(idx, value);
            return true;
        }
    }
    return false;
}

bool Statement::step() {
    if (!m_parametersChecked)
        requireNamedParameters();
    const int rc = sqlite3_step(m_stmt.get());
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    const QString text = m_db.lastErrorText();
    sqlite3_reset(m_stmt.get());
    throw EngineError(text + QStringLiteral("\nSQL: ") + m_sql.simplified());
}

void Statement::reset() { sqlite3_reset(m_stmt.get()); }

QString Statement::columnName(int i) const {
    return QString::fromUtf8(sqlite3_column_name(m_stmt.get(), i));
}

QVariant Statement::value(int i, FieldType type) const { return fromStorage(m_stmt.get(), i, type); }

// ---------------------------------------------------------------- storage

QVariant fromStorage(sqlite3_stmt *st, int column, FieldType type) {
    const int storage = sqlite3_column_type(st, column);
    if (storage == SQLITE_NULL)
        return {};
    auto text = [&]() {
        return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, column)),
                                 sqlite3_column_bytes(st, column));
    };
    switch (type) {
    case FieldType::Alpha:
    case FieldType::Memo:
    case FieldType::FmtMemo:
        return text();
    case FieldType::Short:
    case FieldType::Long:
    case FieldType::AutoInc:
        return sqlite3_column_int(st, column);
    case FieldType::Logical:
        return sqlite3_column_int(st, column) != 0;
    case FieldType::Number:
    case FieldType::Money:
        return sqlite3_column_double(st, column);
    case FieldType::Date: {
        const QDate d = parseStoredDate(text());
        return d.isValid() ? QVariant(d) : QVariant();
    }
    case FieldType::Time: {
        const QTime t = parseStoredTime(text());
        return t.isValid() ? QVariant(t) : QVariant();
    }
    case FieldType::Timestamp: {
        const QDateTime dt = parseStoredDateTime(text());
        return dt.isValid() ? QVariant(dt) : QVariant();
    }
    case FieldType::Blob:
    case FieldType::Graphic:
        return QByteArray(static_cast<const char *>(sqlite3_column_blob(st, column)),
                          sqlite3_column_bytes(st, column));
    case FieldType::Unknown:
        break;
    }
    switch (storage) {
    case SQLITE_INTEGER: {
        const qint64 v = sqlite3_column_int64(st, column);
        if (v >= std::numeric_limits<int>::min() && v <= std::numeric_limits<int>::max())
            return int(v);
        return QVariant::fromValue<qlonglong>(v);
    }
    case SQLITE_FLOAT:
        return sqlite3_column_double(st, column);
    case SQLITE_BLOB:
        return QByteArray(static_cast<const char *>(sqlite3_column_blob(st, column)),
                          sqlite3_column_bytes(st, column));
    default:
        return text();
    }
}

void bindStorage(Database &db, sqlite3_stmt *st, int index, const QVariant &value, FieldType type, int size) {
    auto check = [&](int rc) {
        if (rc != SQLITE_OK)
            db.raise(QStringLiteral("Parameter %1").arg(index));
    };
    auto bindText = [&](const QString &s) {
        const QByteArray utf8 = s.toUtf8();
        check(sqlite3_bind_text(st, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT));
    };
    const StoredValue sv = toStoredValue(value, type, size);
    switch (sv.kind) {
    case StoredValue::Null:
        check(sqlite3_bind_null(st, index));
        break;
    case StoredValue::Integer:
        check(sqlite3_bind_int64(st, index, sv.integer));
        break;
    case StoredValue::Float:
        check(sqlite3_bind_double(st, index, sv.real));
        break;
    case StoredValue::Text:
        bindText(sv.text);
        break;
    case StoredValue::Bytes:
        check(sqlite3_bind_blob(st, index, sv.bytes.constData(), int(sv.bytes.size()), SQLITE_TRANSIENT));
        break;
    }
}

// ---------------------------------------------------------------- Database

Database::Database(QString name, QString directory, bool create, bool readOnly)
    : m_name(std::move(name)), m_directory(std::move(directory)), m_readOnly(readOnly), m_translator(*this) {
    if (create && !readOnly)
        QDir().mkpath(m_directory);
    const QString path = filePath();
    if (!create && !QFileInfo::exists(path))
        throw EngineError(QStringLiteral("Die Datenbank %1 (%2) existiert nicht.").arg(m_name, path));
    int flags = readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE;
    if (create && !readOnly)
        flags |= SQLITE_OPEN_CREATE;
    sqlite3 *raw = nullptr;
    const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &raw, flags | SQLITE_OPEN_NOMUTEX, nullptr);
    m_db.reset(raw);
    if (rc != SQLITE_OK)
        throw EngineError(QStringLiteral("Die Datenbank %1 (%2) kann nicht geöffnet werden: %3")
                              .arg(m_name, path, QString::fromUtf8(sqlite3_errmsg(raw))));
    // Double-quoted text is told apart from names by the translator alone;
    // SQLite's fallback would turn an unknown name into text without a word.
    sqlite3_db_config(raw, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
    sqlite3_db_config(raw, SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);
    // Reading the schema is the first access to the file; a foreign file
    // fails here, before anything could be written to it.
    char *err = nullptr;
    if (sqlite3_exec(raw, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, &err) != SQLITE_OK) {
        const QString text = QString::fromUtf8(err ? err : sqlite3_errmsg(raw));
        sqlite3_free(err);
        m_db.reset();
        throw EngineError(QStringLiteral("Die Datei %1 ist keine gültige Datenbank für %2 und bleibt unverändert: %3")
                              .arg(path, m_name, text));
    }
    sqlite3_busy_timeout(raw, 5000);
    if (!readOnly)
        exec(QStringLiteral("PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL;"));
}

Database::~Database() {
    for (Cursor *c : m_cursors)
        c->databaseClosed();
}

QString Database::filePath() const { return QDir(m_directory).filePath(QString::fromLatin1(kFileName)); }

QString Database::translate(const QString &localSql) const { return m_translator.translate(localSql); }

QString Database::translateCondition(const QString &expression, const QString &table) const {
    return m_translator.translateCondition(expression, table);
}

QString Database::lastErrorText() const { return QString::fromUtf8(sqlite3_errmsg(m_db.get())); }

void Database::raise(const QString &context) const {
    QString text = lastErrorText();
    if (!context.isEmpty())
        text += QLatin1Char('\n') + context;
    throw EngineError(text);
}

void Database::exec(const QString &sql) {
    char *err = nullptr;
    if (sqlite3_exec(m_db.get(), sql.toUtf8().constData(), nullptr, nullptr, &err) != SQLITE_OK) {
        const QString text = QString::fromUtf8(err ? err : sqlite3_errmsg(m_db.get()));
        sqlite3_free(err);
        invalidateSchema();
        throw EngineError(text + QStringLiteral("\nSQL: ") + sql.simplified());
    }
    static const QRegularExpression ddl(QStringLiteral("\\b(create|drop|alter)\\b"),
                                        QRegularExpression::CaseInsensitiveOption);
    if (sql.contains(ddl))
        invalidateSchema();
}

int Database::execLocal(const QString &localSql, const QVariantMap &params) {
    Statement st(*this, translate(localSql));
    for (auto it = params.begin(); it != params.end(); ++it)
        st.bind(it.key(), it.value());
    while (st.step()) {
    }
    static const QRegularExpression ddl(QStringLiteral("^\\s*(create|drop|alter)\\b"),
                                        QRegularExpression::CaseInsensitiveOption);
    if (localSql.contains(ddl))
        invalidateSchema();
    return sqlite3_changes(m_db.get());
}

QString Database::plainTableName(const QString &name) {
    QString n = name.trimmed();
    if (n.endsWith(QLatin1String(".DB"), Qt::CaseInsensitive))
        n.chop(3);
    return n;
}

StatementHandle Database::prepareSchemaRead(const QByteArray &sql, const QString &context) const {
    sqlite3_stmt *raw = nullptr;
    if (sqlite3_prepare_v2(m_db.get(), sql.constData(), -1, &raw, nullptr) != SQLITE_OK || !raw) {
        sqlite3_finalize(raw);
        raise(context);
    }
    return StatementHandle(raw);
}

void Database::invalidateSchema() {
    m_tablesLoaded = false;
    m_tables.clear();
}

void Database::loadTableList() const {
    if (m_tablesLoaded)
        return;
    m_tables.clear();
    // A busy or damaged schema must not read as a database without tables.
    const QString context = QStringLiteral("Tabellenliste der Datenbank ") + m_name;
    StatementHandle st = prepareSchemaRead(
        "SELECT name FROM sqlite_master WHERE type='table' AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\'", context);
    int rc;
    while ((rc = sqlite3_step(st.get())) == SQLITE_ROW) {
        CachedTable t;
        t.name = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st.get(), 0)));
        m_tables.insert(t.name.toLower(), t);
    }
    if (rc != SQLITE_DONE) {
        m_tables.clear();
        raise(context);
    }
    m_tablesLoaded = true;
}

QString Database::resolveTable(const QString &name) const {
    loadTableList();
    const auto it = m_tables.constFind(plainTableName(name).toLower());
    return it == m_tables.constEnd() ? QString() : it->name;
}

QString Database::requireTable(const QString &name) const {
    const QString n = resolveTable(name);
    if (n.isEmpty())
        throw EngineError(QStringLiteral("no such table: %1\nDie Tabelle %1 existiert in der Datenbank %2 nicht.")
                              .arg(plainTableName(name), m_name));
    return n;
}

QStringList Database::tables(const QString &pattern) const {
    loadTableList();
    const QRegularExpression re(QRegularExpression::wildcardToRegularExpression(plainTableName(pattern)),
                                QRegularExpression::CaseInsensitiveOption);
    QStringList out;
    for (const auto &t : m_tables)
        if (re.match(t.name).hasMatch())
            out << t.name;
    out.sort(Qt::CaseInsensitive);
    return out;
}

const FieldDefs &Database::fieldDefs(const QString &table) const {
    const QString real = requireTable(table);
    CachedTable &t = m_tables[real.toLower()];
    if (!t.loaded) {
        t.fields.clear();
        const QByteArray sql = "PRAGMA table_info(" + quoteIdentifier(real).toUtf8() + ")";
        StatementHandle st = prepareSchemaRead(sql, QStringLiteral("Tabelle ") + real);
        int rc;
        while ((rc = sqlite3_step(st.get())) == SQLITE_ROW) {
            FieldDef f;
            f.name = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st.get(), 1)));
            f.type = parseDeclaredType(
                QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st.get(), 2))), &f.size);
            f.required = sqlite3_column_int(st.get(), 3) != 0;
            if (sqlite3_column_type(st.get(), 4) != SQLITE_NULL)
                f.defaultValue = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st.get(), 4)));
            t.fields.push_back(f);
        }
        if (rc != SQLITE_DONE) {
            t.fields.clear();
            raise(QStringLiteral("Tabelle ") + real);
        }
        t.loaded = true;
    }
    return t.fields;
}

int Database::fieldIndex(const QString &table, const QString &field) const {
    const FieldDefs &defs = fieldDefs(table);
    for (size_t i = 0; i < defs.size(); ++i)
        if (defs[i].name.compare(field, Qt::CaseInsensitive) == 0)
            return int(i);
    return -1;
}

QStringList Database::primaryKey(const QString &table) const {
    const QString real = requireTable(table);
    const QByteArray sql = "PRAGMA table_info(" + quoteIdentifier(real).toUtf8() + ")";
    StatementHandle st = prepareSchemaRead(sql, QStringLiteral("Primärindex der Tabelle ") + real);
    QMap<int, QString> byPos;
    int rc;
    while ((rc = sqlite3_step(st.get())) == SQLITE_ROW) {
        const int pk = sqlite3_column_int(st.get(), 5);
        if (pk > 0)
            byPos.insert(pk, QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st.get(), 1))));
    }
    if (rc != SQLITE_DONE)
        raise(QStringLiteral("Primärindex der Tabelle ") + real);
    return byPos.values();
}

std::vector<IndexDef> Database::indexes(const QString &table) const {
    const QString real = requireTable(table);
    std::vector<IndexDef> out;
    const QByteArray sql = "PRAGMA index_list(" + quoteIdentifier(real).toUtf8() + ")";
    const QString context = QStringLiteral("Indizes der Tabelle ") + real;
    StatementHandle st = prepareSchemaRead(sql, context);
    const QString prefix = real + QLatin1Char('$');
    int rc;
    while ((rc = sqlite3_step(st.get())) == SQLITE_ROW) {
        const QString origin = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st.get(), 3)));
        if (origin != QLatin1String("c"))
            continue;
        const QString stored = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st.get(), 1)));
        IndexDef idx;
        idx.name = stored.startsWith(prefix, Qt::CaseInsensitive) ? stored.mid(prefix.size()) : stored;
        idx.unique = sqlite3_column_int(st.get(), 2) != 0;
        const QByteArray infoSql = "PRAGMA index_info(" + quoteIdentifier(stored).toUtf8() + ")";
        StatementHandle info = prepareSchemaRead(infoSql, context);
        QMap<int, QString> cols;
        int infoRc;
        while ((infoRc = sqlite3_step(info.get())) == SQLITE_ROW)
            cols.insert(sqlite3_column_int(info.get(), 0),
                        QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(info.get(), 2))));
        if (infoRc != SQLITE_DONE)
            raise(context);
        idx.fields = cols.values();
        out.push_back(idx);
    }
    if (rc != SQLITE_DONE)
        raise(context);
    std::sort(out.begin(), out.end(), [](const IndexDef &a, const IndexDef &b) {
        return a.name.compare(b.name, Qt::CaseInsensitive) < 0;
    });
    return out;
}

TableDef Database::tableDef(const QString &table) const {
    TableDef def;
    def.name = requireTable(table);
    def.fields = fieldDefs(def.name);
    def.primaryKey = primaryKey(def.name);
    def.indexes = indexes(def.name);
    return def;
}

QStringList Database::indexFields(const QString &table, const QString &indexName) const {
    if (indexName.isEmpty() || indexName.compare(QLatin1String("PRIMARY"), Qt::CaseInsensitive) == 0)
        return primaryKey(table);
    for (const IndexDef &idx : indexes(table))
        if (idx.name.compare(indexName, Qt::CaseInsensitive) == 0)
            return idx.fields;
    throw EngineError(QStringLiteral("no such index: %1\nDer Index %1 der Tabelle %2 existiert nicht.")
                          .arg(indexName, plainTableName(table)));
}

void Database::createTable(const TableDef &def) {
    const QString name = plainTableName(def.name);
    if (name.isEmpty() || def.fields.empty())
        throw EngineError(QStringLiteral("Die Tabelle \"%1\" kann ohne Namen oder Felder nicht angelegt werden.")
                              .arg(name));
    QStringList cols;
    for (const FieldDef &f : def.fields) {
        QString c = quoteIdentifier(f.name) + QLatin1Char(' ') + declaredType(f);
        if (f.required)
            c += QLatin1String(" NOT NULL");
        if (!f.defaultValue.isEmpty())
            c += QLatin1String(" DEFAULT ") + f.defaultValue;
        cols << c;
    }
    if (!def.primaryKey.isEmpty()) {
        QStringList pk;
        for (const QString &k : def.primaryKey)
            pk << quoteIdentifier(k);
        cols << QStringLiteral("PRIMARY KEY (%1)").arg(pk.join(QLatin1String(", ")));
    }
    Transaction tx(*this);
    const QString existing = resolveTable(name);
    if (!existing.isEmpty()) {
        releaseReaders(existing);
        exec(QStringLiteral("DROP TABLE %1").arg(quoteIdentifier(existing)));
    }
    exec(QStringLiteral("CREATE TABLE %1 (%2)").arg(quoteIdentifier(name), cols.join(QLatin1String(", "))));
    for (const IndexDef &idx : def.indexes) {
        QStringList f;
        for (const QString &k : idx.fields)
            f << quoteIdentifier(k);
        exec(QStringLiteral("CREATE %1INDEX %2 ON %3 (%4)")
                 .arg(idx.unique ? QStringLiteral("UNIQUE ") : QString(), quoteIdentifier(name + QLatin1Char('$') + idx.name),
                      quoteIdentifier(name), f.join(QLatin1String(", "))));
    }
    tx.commit();
    invalidateSchema();
}

void Database::createTableLike(const QString &name, const Database &source, const QString &sourceTable) {
    TableDef def = source.tableDef(sourceTable);
    def.name = plainTableName(name);
    createTable(def);
}

void Database::dropTable(const QString &name) {
    const QString real = requireTable(name);
    releaseReaders(real);
    exec(QStringLiteral("DROP TABLE %1").arg(quoteIdentifier(real)));
}

void Database::releaseReaders(const QString &table) {
    for (Cursor *c : m_cursors)
        if (c->tableName().compare(table, Qt::CaseInsensitive) == 0)
            c->releaseStatement();
}

void Database::emptyTable(const QString &name) {
    exec(QStringLiteral("DELETE FROM %1").arg(quoteIdentifier(requireTable(name))));
}

qint64 Database::rowCount(const QString &table) const {
    Statement st(const_cast<Database &>(*this),
                 QStringLiteral("SELECT count(*) FROM %1").arg(quoteIdentifier(requireTable(table))));
    st.step();
    return sqlite3_column_int64(st.get(), 0);
}

void Database::begin() {
    exec(QStringLiteral("SAVEPOINT vm%1").arg(m_depth));
    ++m_depth;
}

void Database::commit() {
    if (m_depth == 0)
        throw EngineError(QStringLiteral("Keine Transaktion offen."));
    exec(QStringLiteral("RELEASE vm%1").arg(m_depth - 1));
    --m_depth;
}

void Database::rollback() {
    if (m_depth == 0)
        throw EngineError(QStringLiteral("Keine Transaktion offen."));
    --m_depth;
    exec(QStringLiteral("ROLLBACK TO vm%1; RELEASE vm%1").arg(m_depth));
    // A rolled back "create table" must not linger in the cache.
    invalidateSchema();
}

FieldType Database::columnType(const QString &table, const QString &column) const {
    // Only the table named decides; a column of some unrelated table must
    // never change what a statement means.
    if (table.isEmpty() || !tableExists(table))
        return FieldType::Unknown;
    const int i = fieldIndex(table, column);
    return i < 0 ? FieldType::Unknown : fieldDefs(table)[size_t(i)].type;
}

} // namespace velmora
