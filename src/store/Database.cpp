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

namespace {
// How long a statement waits for another program's lock before giving up.
constexpr int kBusyTimeoutMs = 5000;

QString sqliteText(sqlite3 *db, char *err) {
    const QString text = QString::fromUtf8(err ? err : sqlite3_errmsg(db));
    sqlite3_free(err);
    return text;
}

// The first line of PRAGMA quick_check, or its error.
QString quickCheck(sqlite3 *db) {
    sqlite3_stmt *raw = nullptr;
    if (sqlite3_prepare_v2(db, "PRAGMA quick_check(1)", -1, &raw, nullptr) != SQLITE_OK) {
        sqlite3_finalize(raw);
        return QString::fromUtf8(sqlite3_errmsg(db));
    }
    StatementHandle st(raw);
    if (sqlite3_step(st.get()) == SQLITE_ROW)
        return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st.get(), 0)));
    return QString::fromUtf8(sqlite3_errmsg(db));
}
} // namespace

QString Database::openFailureText(int code, const QString &name, const QString &path, const QString &engineText) {
    switch (code & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return QStringLiteral("Die Datenbank %1 (%2) ist gesperrt: Ein anderes Programm benutzt sie gerade. "
                              "Beenden Sie das andere Programm und starten Sie erneut. Die Datei ist nicht "
                              "beschädigt und bleibt unverändert. (%3)")
            .arg(name, path, engineText);
    case SQLITE_READONLY:
    case SQLITE_CANTOPEN:
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return QStringLiteral("Die Datenbank %1 (%2) kann nicht geöffnet werden: Die Datei oder ihr Verzeichnis "
                              "ist nicht lesbar oder nicht beschreibbar. Prüfen Sie die Zugriffsrechte. (%3)")
            .arg(name, path, engineText);
    case SQLITE_CORRUPT:
        return QStringLiteral("Die Datenbank %1 (%2) ist beschädigt. Öffnen Sie sie nicht weiter und greifen Sie "
                              "auf eine Sicherung zurück. Die Datei bleibt unverändert. (%3)")
            .arg(name, path, engineText);
    case SQLITE_NOTADB:
        return QStringLiteral("Die Datei %1 ist keine gültige Datenbank für %2 und bleibt unverändert: %3")
            .arg(path, name, engineText);
    default:
        return QStringLiteral("Die Datenbank %1 (%2) kann nicht gelesen werden: %3").arg(name, path, engineText);
    }
}

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
    if (rc != SQLITE_OK) {
        const QString text = QString::fromUtf8(raw ? sqlite3_errmsg(raw) : sqlite3_errstr(rc));
        m_db.reset();
        throw EngineError(openFailureText(rc, m_name, path, text));
    }
    // Double-quoted text is told apart from names by the translator alone;
    // SQLite's fallback would turn an unknown name into text without a word.
    sqlite3_db_config(raw, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
    sqlite3_db_config(raw, SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);
    // Waiting for another program's lock starts with the very first access.
    sqlite3_busy_timeout(raw, kBusyTimeoutMs);
    // Reading the schema is the first access to the file; a foreign file
    // fails here, before anything could be written to it.
    char *err = nullptr;
    if (sqlite3_exec(raw, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, &err) != SQLITE_OK) {
        int code = sqlite3_errcode(raw);
        QString text = sqliteText(raw, err);
        // A file that reads as a database but fails otherwise may be damaged;
        // a busy, unreadable or foreign file is not examined further.
        const int primary = code & 0xff;
        if (primary != SQLITE_BUSY && primary != SQLITE_LOCKED && primary != SQLITE_NOTADB &&
            primary != SQLITE_READONLY && primary != SQLITE_CANTOPEN && primary != SQLITE_PERM) {
            const QString check = quickCheck(raw);
            if (check != QLatin1String("ok")) {
                code = SQLITE_CORRUPT;
                if (check != text)
                    text += QStringLiteral("; ") + check;
            }
        }
        m_db.reset();
        throw EngineError(openFailureText(code, m_name, path, text));
    }
    // The file itself may be write-protected although it was opened for writing.
    if (sqlite3_db_readonly(raw, "main") == 1)
        m_readOnly = true;
    if (!m_readOnly) {
        err = nullptr;
        if (sqlite3_exec(raw, "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL;", nullptr, nullptr, &err) !=
            SQLITE_OK) {
            const int code = sqlite3_errcode(raw);
            const QString text = sqliteText(raw, err);
            m_db.reset();
            throw EngineError(openFailureText(code, m_name, path, text));
        }
    }
}

bool Database::isReadOnly(const QString &table) const {
    return m_readOnly && !m_sessionCopies.contains(plainTableName(table).toLower());
}

void Database::keepSessionCopy(const QString &table) {
    if (!m_readOnly || !isReadOnly(table))
        return;
    const QString real = requireTable(table);
    QString create;
    QStringList indexes;
    {
        Statement st(*this, QStringLiteral("SELECT type, sql FROM main.sqlite_master WHERE tbl_name = ? AND sql IS "
                                           "NOT NULL AND type IN ('table', 'index') ORDER BY type DESC"));
        st.bind(1, real);
        while (st.step())
            (st.value(0).toString() == QLatin1String("table") ? create : indexes.emplace_back()) =
                st.value(1).toString();
    }
    static const QRegularExpression head(QStringLiteral("^\\s*CREATE\\s+TABLE\\s+"),
                                         QRegularExpression::CaseInsensitiveOption);
    if (!create.contains(head))
        throw EngineError(QStringLiteral("Die Tabelle %1 kann nicht kopiert werden.").arg(real));
    // The temporary schema is searched first, so every statement naming
    // the table reaches the copy; the file itself stays untouched.
    create.replace(head, QStringLiteral("CREATE TEMP TABLE "));
    exec(create);
    exec(QStringLiteral("INSERT INTO temp.%1 SELECT * FROM main.%1").arg(quoteIdentifier(real)));
    // The copy keeps the named orders of the stored table.
    static const QRegularExpression index(QStringLiteral("^\\s*CREATE\\s+(UNIQUE\\s+)?INDEX\\s+"),
                                          QRegularExpression::CaseInsensitiveOption);
    for (QString sql : std::as_const(indexes))
        exec(sql.replace(index, QStringLiteral("CREATE \\1INDEX temp.")));
    m_sessionCopies << real.toLower();
    invalidateSchema();
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
        // SQLite would take NULL (even several) in a key column; a row
        // without its key is refused instead.
        if (f.required || def.primaryKey.contains(f.name, Qt::CaseInsensitive))
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
        releaseReaders();
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

bool Database::rebuildWithRequiredKey(const QString &table) {
    TableDef def = tableDef(table);
    bool missing = false;
    QStringList nullKey;
    for (FieldDef &f : def.fields)
        if (def.primaryKey.contains(f.name, Qt::CaseInsensitive)) {
            missing = missing || !f.required;
            f.required = true;
            nullKey << quoteIdentifier(f.name) + QLatin1String(" IS NULL");
        }
    if (!missing)
        return false;
    const QString real = def.name;
    {
        // Rows stored without a key would not fit the new table: the table
        // stays as it is rather than lose them.
        Statement st(*this, QStringLiteral("SELECT 1 FROM %1 WHERE %2 LIMIT 1")
                                .arg(quoteIdentifier(real), nullKey.join(QLatin1String(" OR "))));
        if (st.step())
            return false;
    }
    QStringList cols;
    for (const FieldDef &f : def.fields)
        cols << quoteIdentifier(f.name);
    const QString columns = cols.join(QLatin1String(", "));
    QStringList indexNames;
    {
        Statement st(*this, QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'index' AND tbl_name = ? "
                                           "AND sql IS NOT NULL"));
        st.bind(1, real);
        while (st.step())
            indexNames << st.value(0).toString();
    }
    const QString old = real + QStringLiteral("__alt");
    Transaction tx(*this);
    releaseReaders();
    exec(QStringLiteral("ALTER TABLE %1 RENAME TO %2").arg(quoteIdentifier(real), quoteIdentifier(old)));
    // The indexes went along with the old table under their old names.
    for (const QString &index : std::as_const(indexNames))
        exec(QStringLiteral("DROP INDEX %1").arg(quoteIdentifier(index)));
    createTable(def);
    exec(QStringLiteral("INSERT INTO %1 (%2) SELECT %2 FROM %3")
             .arg(quoteIdentifier(real), columns, quoteIdentifier(old)));
    exec(QStringLiteral("DROP TABLE %1").arg(quoteIdentifier(old)));
    tx.commit();
    invalidateSchema();
    return true;
}

void Database::createTableLike(const QString &name, const Database &source, const QString &sourceTable) {
    TableDef def = source.tableDef(sourceTable);
    def.name = plainTableName(name);
    createTable(def);
}

void Database::dropTable(const QString &name) {
    const QString real = requireTable(name);
    releaseReaders();
    exec(QStringLiteral("DROP TABLE %1").arg(quoteIdentifier(real)));
}

void Database::releaseReaders() {
    // SQLite refuses to drop or rename a table while any statement of the
    // connection is still reading, whichever table that statement reads.
    for (Cursor *c : m_cursors)
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
    // The outermost level takes the write lock at once (waiting for it), so
    // that a write after a read inside the transaction cannot fail on a lock
    // another connection took in between. Inner levels are save points.
    if (m_depth == 0 && !m_readOnly) {
        exec(QStringLiteral("BEGIN IMMEDIATE"));
        m_outerBegun = true;
    } else {
        exec(QStringLiteral("SAVEPOINT vm%1").arg(m_depth));
    }
    ++m_depth;
}

void Database::commit() {
    if (m_depth == 0)
        throw EngineError(QStringLiteral("Keine Transaktion offen."));
    if (m_depth == 1 && m_outerBegun)
        exec(QStringLiteral("COMMIT"));
    else
        exec(QStringLiteral("RELEASE vm%1").arg(m_depth - 1));
    --m_depth;
    if (m_depth == 0)
        m_outerBegun = false;
}

void Database::rollback() {
    if (m_depth == 0)
        throw EngineError(QStringLiteral("Keine Transaktion offen."));
    --m_depth;
    if (m_depth == 0 && m_outerBegun) {
        m_outerBegun = false;
        // SQLite may have rolled back on its own already (after some errors).
        if (!sqlite3_get_autocommit(m_db.get()))
            exec(QStringLiteral("ROLLBACK"));
    } else {
        exec(QStringLiteral("ROLLBACK TO vm%1; RELEASE vm%1").arg(m_depth));
    }
    // A rolled back "create table" must not linger in the cache.
    invalidateSchema();
}

void Database::snapshotTo(const QString &targetPath) const {
    // The backup reads one consistent state of the database, commits still
    // in the write-ahead log included; a copy of the file would miss them.
    if (m_depth > 0)
        throw EngineError(
            QStringLiteral("Die Datenbank %1 kann während einer offenen Transaktion nicht gesichert werden.")
                .arg(m_name));
    const QString partial = targetPath + QStringLiteral(".part");
    QFile::remove(partial);
    sqlite3 *rawTarget = nullptr;
    const int rc = sqlite3_open_v2(QFile::encodeName(partial).constData(), &rawTarget,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    SqliteHandle target(rawTarget);
    auto fail = [&](const QString &text) {
        target.reset();
        QFile::remove(partial);
        throw EngineError(
            QStringLiteral("Die Datenbank %1 kann nicht nach %2 gesichert werden: %3").arg(m_name, targetPath, text));
    };
    if (rc != SQLITE_OK)
        fail(QString::fromUtf8(rawTarget ? sqlite3_errmsg(rawTarget) : sqlite3_errstr(rc)));
    sqlite3_busy_timeout(target.get(), kBusyTimeoutMs);
    sqlite3_backup *backup = sqlite3_backup_init(target.get(), "main", m_db.get(), "main");
    if (!backup)
        fail(QString::fromUtf8(sqlite3_errmsg(target.get())));
    const int step = sqlite3_backup_step(backup, -1);
    const int finish = sqlite3_backup_finish(backup);
    if (step != SQLITE_DONE || finish != SQLITE_OK)
        fail(QString::fromUtf8(sqlite3_errstr(step != SQLITE_DONE ? step : finish)));
    // The copy stands alone: one file, no log beside it.
    char *err = nullptr;
    if (sqlite3_exec(target.get(), "PRAGMA journal_mode=DELETE", nullptr, nullptr, &err) != SQLITE_OK)
        fail(sqliteText(target.get(), err));
    target.reset();
    QFile::remove(targetPath);
    if (!QFile::rename(partial, targetPath)) {
        QFile::remove(partial);
        throw EngineError(
            QStringLiteral("Die Datenbank %1 kann nicht nach %2 gesichert werden.").arg(m_name, targetPath));
    }
}

QString Database::rowidColumn(const QString &table) const {
    // SQLite's three names for the row id; a user column of the same name
    // hides it under that name only.
    static const char *const names[] = {"rowid", "_rowid_", "oid"};
    for (const char *n : names) {
        const QString name = QString::fromLatin1(n);
        if (fieldIndex(table, name) < 0)
            return name;
    }
    throw EngineError(QStringLiteral("Die Zeilen der Tabelle %1 können nicht angesprochen werden: Ihre Felder heißen "
                                     "wie die Zeilennummer (rowid, oid, _rowid_).")
                          .arg(plainTableName(table)));
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
