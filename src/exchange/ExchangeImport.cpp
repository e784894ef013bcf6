#include "exchange/ExchangeImport.h"

#include "base/Errors.h"
#include "base/Progress.h"
#include "base/Settings.h"
#include "exchange/ExchangeExport.h"
#include "store/Keys.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <map>
#include <memory>
#include <vector>

namespace velmora {

QString ExchangeMessages::StructureMessage(const QString &hotline) {
    QString text = QStringLiteral("Die Struktur der Trainings-Tabellen ist verändert worden!\r"
                                  "Eine automatische Übernahme der Daten ist mit dieser Programmversion noch nicht "
                                  "möglich.");
    // No number is better than a made-up one.
    if (!hotline.trimmed().isEmpty())
        text += QStringLiteral("\rBitte informieren Sie sich unter der Hotline-Nummer ") + hotline.trimmed() +
                QStringLiteral(" über verfügbare Updates.");
    return text;
}

namespace {

// Hides the progress window when the import does not get to its end.
class ProgressCloseOnFailure {
public:
    explicit ProgressCloseOnFailure(Progress &progress) : m_progress(progress) {}
    ~ProgressCloseOnFailure() {
        if (!m_done)
            m_progress.CloseProgress();
    }
    ProgressCloseOnFailure(const ProgressCloseOnFailure &) = delete;
    ProgressCloseOnFailure &operator=(const ProgressCloseOnFailure &) = delete;
    void done() { m_done = true; }

private:
    Progress &m_progress;
    bool m_done = false;
};

// The exchange database goes shut when the import ends, however it ends, so
// that the next unpack can empty the directory.
class ExchangeClose {
public:
    explicit ExchangeClose(Engine &engine) : m_engine(engine) {}
    ~ExchangeClose() { m_engine.closeDatabase(QString::fromLatin1(Engine::kDblogCopy)); }
    ExchangeClose(const ExchangeClose &) = delete;
    ExchangeClose &operator=(const ExchangeClose &) = delete;

private:
    Engine &m_engine;
};

QString placeholders(int n) {
    QStringList marks;
    for (int i = 0; i < n; ++i)
        marks << QStringLiteral("?");
    return marks.join(QLatin1String(", "));
}

// Rows are copied by position, value for value, without a detour through
// Qt types: what was stored there is stored here.
void bindRow(Statement &target, Statement &source, int columns, int firstParameter = 1) {
    for (int i = 0; i < columns; ++i)
        sqlite3_bind_value(target.get(), firstParameter + i, sqlite3_column_value(source.get(), i));
}

void runOnce(Statement &st) {
    st.step();
    st.reset();
}

// Refuses an exchange table whose columns are not those of the local table:
// copying by position would put values into the wrong columns.
void requireSameColumns(const Database &local, const QString &localTable, const Database &exchange,
                        const QString &exchangeTable) {
    const FieldDefs &mine = local.fieldDefs(localTable);
    const FieldDefs &theirs = exchange.fieldDefs(exchangeTable);
    bool same = mine.size() == theirs.size();
    for (size_t i = 0; same && i < mine.size(); ++i)
        same = mine[i].name.compare(theirs[i].name, Qt::CaseInsensitive) == 0;
    if (!same) {
        QStringList names;
        for (const FieldDef &f : theirs)
            names << f.name;
        throw EngineError(QStringLiteral("Die Tabelle %1 der Austauschdaten hat andere Spalten (%2: %3) als die "
                                         "Tabelle %4 dieser Installation (%5).")
                              .arg(exchangeTable)
                              .arg(theirs.size())
                              .arg(names.join(QLatin1String(", ")), localTable)
                              .arg(mine.size()));
    }
}

// The stored time stamp of a row; invalid when there is none.
QDateTime stamp(Statement &st, int column) {
    if (column < 0)
        return {};
    return st.value(column, FieldType::Timestamp).toDateTime();
}

// Only a later time stamp replaces a row; a row without one never does.
bool isLater(const QDateTime &exchange, const QDateTime &local) {
    return exchange.isValid() && (!local.isValid() || exchange > local);
}

// One detail table of a master table: its rows with the master's key are
// replaced as a whole by the exchange rows with that key.
struct DetailSpec {
    QString table;
    QString column;   // the key column the detail shares with its master
    QString perOwner; // when set: only local rows sharing this column with an exchange row are replaced
};

// A local detail row of another master that holds the key of an exchange
// row (a form's value list position now taken by another value) gives way
// to the exchange row instead of failing the whole import.
class DetailCopy {
public:
    DetailCopy(Database &local, Database &exchange, const DetailSpec &spec)
        : m_columns(int(exchange.fieldDefs(exchange.requireTable(spec.table)).size())),
          m_select(exchange,
                   QStringLiteral("SELECT * FROM %1 WHERE %2 = ?")
                       .arg(quoteIdentifier(exchange.requireTable(spec.table)), quoteIdentifier(spec.column))),
          m_insert(local, QStringLiteral("INSERT OR REPLACE INTO %1 VALUES (%2)")
                              .arg(quoteIdentifier(local.requireTable(spec.table)), placeholders(m_columns))) {
        const QString table = quoteIdentifier(local.requireTable(spec.table));
        if (spec.perOwner.isEmpty()) {
            m_delete = std::make_unique<Statement>(
                local, QStringLiteral("DELETE FROM %1 WHERE %2 = ?").arg(table, quoteIdentifier(spec.column)));
        } else {
            m_ownerColumn = exchange.fieldIndex(exchange.requireTable(spec.table), spec.perOwner);
            m_delete = std::make_unique<Statement>(
                local, QStringLiteral("DELETE FROM %1 WHERE %2 = ? AND %3 = ?")
                           .arg(table, quoteIdentifier(spec.column), quoteIdentifier(spec.perOwner)));
        }
    }

    // Returns the number of rows written.
    int replace(sqlite3_value *key) {
        m_select.reset();
        sqlite3_bind_value(m_select.get(), 1, key);
        if (!m_select.step()) {
            // No exchange rows: the local ones stay.
            m_select.reset();
            return 0;
        }
        if (m_ownerColumn < 0) {
            sqlite3_bind_value(m_delete->get(), 1, key);
            runOnce(*m_delete);
        } else {
            do {
                sqlite3_bind_value(m_delete->get(), 1, key);
                sqlite3_bind_value(m_delete->get(), 2, sqlite3_column_value(m_select.get(), m_ownerColumn));
                runOnce(*m_delete);
            } while (m_select.step());
            m_select.reset();
            sqlite3_bind_value(m_select.get(), 1, key);
            m_select.step();
        }
        int n = 0;
        do {
            bindRow(m_insert, m_select, m_columns);
            runOnce(m_insert);
            ++n;
        } while (m_select.step());
        m_select.reset();
        return n;
    }

private:
    int m_columns;
    int m_ownerColumn = -1;
    Statement m_select;
    Statement m_insert;
    std::unique_ptr<Statement> m_delete;
};

// Inserting, overwriting and looking up the rows of one table by its key.
class RowMerge {
public:
    RowMerge(Database &local, Database &exchange, const QString &table, const QStringList &key,
             const QString &condition = {}) {
        const QString lt = local.requireTable(table);
        const QString et = exchange.requireTable(table);
        const FieldDefs &fields = local.fieldDefs(lt);
        m_columns = int(fields.size());
        m_exStamp = exchange.fieldIndex(et, QStringLiteral("Timestamp"));
        const bool hasStamp = local.fieldIndex(lt, QStringLiteral("Timestamp")) >= 0;
        QStringList where;
        for (const QString &k : key) {
            m_exKey.push_back(exchange.fieldIndex(et, k));
            where << quoteIdentifier(k) + QStringLiteral(" = ?");
        }
        QStringList sets;
        for (int i = 0; i < m_columns; ++i)
            sets << quoteIdentifier(fields[size_t(i)].name) + QStringLiteral(" = ?");
        const QString whereText = where.join(QLatin1String(" AND "));
        m_source = std::make_unique<Statement>(
            exchange, QStringLiteral("SELECT * FROM %1%2").arg(quoteIdentifier(et), condition));
        m_find = std::make_unique<Statement>(
            local, QStringLiteral("SELECT %1 FROM %2 WHERE %3")
                       .arg(hasStamp ? QStringLiteral("\"Timestamp\"") : QStringLiteral("NULL"), quoteIdentifier(lt),
                            whereText));
        m_insert = std::make_unique<Statement>(
            local, QStringLiteral("INSERT INTO %1 VALUES (%2)").arg(quoteIdentifier(lt), placeholders(m_columns)));
        m_update = std::make_unique<Statement>(
            local, QStringLiteral("UPDATE %1 SET %2 WHERE %3")
                       .arg(quoteIdentifier(lt), sets.join(QLatin1String(", ")), whereText));
    }

    Statement &source() { return *m_source; }
    sqlite3_value *column(int i) { return sqlite3_column_value(m_source->get(), i); }

    // The merge rule for the current source row: inserted when unknown here,
    // overwritten when its time stamp is later; true when it was written.
    bool mergeCurrent() {
        m_find->reset();
        for (size_t i = 0; i < m_exKey.size(); ++i)
            sqlite3_bind_value(m_find->get(), int(i) + 1, column(m_exKey[i]));
        const bool found = m_find->step();
        const QDateTime local = found ? stamp(*m_find, 0) : QDateTime();
        m_find->reset();
        if (!found) {
            bindRow(*m_insert, *m_source, m_columns);
            runOnce(*m_insert);
            return true;
        }
        if (!isLater(stamp(*m_source, m_exStamp), local))
            return false;
        bindRow(*m_update, *m_source, m_columns);
        for (size_t i = 0; i < m_exKey.size(); ++i)
            sqlite3_bind_value(m_update->get(), m_columns + int(i) + 1, column(m_exKey[i]));
        runOnce(*m_update);
        return true;
    }

private:
    int m_columns = 0;
    int m_exStamp = -1;
    std::vector<int> m_exKey;
    std::unique_ptr<Statement> m_source, m_find, m_insert, m_update;
};

// Merges a master table with its details; returns the rows written.
int mergeMaster(Database &local, Database &exchange, const QString &table, const QStringList &key,
                const std::vector<DetailSpec> &details, const QString &link = {}, const QString &condition = {}) {
    RowMerge rows(local, exchange, table, key, condition);
    std::vector<std::unique_ptr<DetailCopy>> copies;
    for (const DetailSpec &d : details)
        copies.push_back(std::make_unique<DetailCopy>(local, exchange, d));
    const QString linkColumn = link.isEmpty() ? key.first() : link;
    const int linkIndex = exchange.fieldIndex(exchange.requireTable(table), linkColumn);
    int written = 0;
    while (rows.source().step()) {
        if (!rows.mergeCurrent())
            continue;
        ++written;
        for (auto &copy : copies)
            written += copy->replace(rows.column(linkIndex));
    }
    return written;
}

} // namespace

ExchangeImport::ExchangeImport(Engine &engine, Progress &progress) : m_engine(engine), m_progress(progress) {}

QString ExchangeImport::exchangeDir() const {
    return m_engine.path(QString::fromLatin1(Engine::kDblogCopy));
}

QStringList ExchangeImport::unpackCommand() const {
    return ExchangeExport::ProgramCommand(m_unpackProgram.isEmpty() ? QProcess::splitCommand(settings().UnPackCommand)
                                                                    : QStringList{m_unpackProgram});
}

void ExchangeImport::readArchive(const QString &archive) {
    const QString dir = exchangeDir();
    // What was once "the exchange directory names a drive".
    if (dir.trimmed().isEmpty() || !QFileInfo(dir).isAbsolute())
        throw VelmoraError(ExchangeMessages::kCopyFailed);
    ExchangeExport::CheckExchangeDirectory(m_engine.path(QString::fromLatin1(Engine::kDblog)), dir);
    const QFileInfo archiveInfo(archive);
    if (archive.trimmed().isEmpty() || !archiveInfo.isFile())
        throw VelmoraError(ExchangeMessages::kCopyFailed);
    const QString archivePath = archiveInfo.absoluteFilePath();
    const QStringList command = unpackCommand();
    if (command.first().isEmpty())
        throw VelmoraError(ExchangeMessages::kCopyFailed);

    ExchangeExport::EmptyExchangeDirectory(m_engine);
    QProcess process;
    process.setProgram(command.first());
    process.setArguments(command.mid(1) + QStringList{archivePath});
    process.setWorkingDirectory(dir);
    process.setStandardInputFile(QProcess::nullDevice());
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start();
    bool ok = process.waitForStarted(-1);
    if (ok) {
        process.waitForFinished(-1);
        ok = process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    }
    if (!ok)
        throw VelmoraError(ExchangeMessages::kCopyFailed);
}

void ExchangeImport::checkExchangeSet(Database &exchange) {
    Database &local = m_engine.dblog();
    for (const QString &table : ExchangeExport::ExchangeTables())
        if (!exchange.tableExists(table))
            throw VelmoraError(ExchangeMessages::kNoDataFiles);
    for (const QString &table : ExchangeExport::ExchangeTables())
        requireSameColumns(local, local.requireTable(table), exchange, exchange.requireTable(table));
}

void ExchangeImport::importBlocks(Database &local, Database &exchange) {
    Statement blocks(exchange, QStringLiteral("SELECT TableNr, Filename, \"Timestamp\" FROM %1 WHERE Art = 'T' "
                                              "ORDER BY TableNr")
                                   .arg(quoteIdentifier(exchange.requireTable(QStringLiteral("TRTABLE")))));
    Statement find(local, QStringLiteral("SELECT Filename, \"Timestamp\" FROM %1 WHERE TableNr = ?")
                              .arg(quoteIdentifier(local.requireTable(QStringLiteral("TRTABLE")))));
    while (blocks.step()) {
        const QString exchangeFile = blocks.value(1, FieldType::Alpha).toString().trimmed();
        // Every block of the set brings its table; without it the set is incomplete.
        if (exchangeFile.isEmpty() || !exchange.tableExists(exchangeFile))
            throw VelmoraError(ExchangeMessages::kNoDataFiles);
        find.reset();
        sqlite3_bind_value(find.get(), 1, sqlite3_column_value(blocks.get(), 0));
        if (!find.step()) {
            // New here: its rows go to a table of a name free in this installation.
            const QString name = NextBlockTableName(local);
            local.createTableLike(name, exchange, exchange.requireTable(exchangeFile));
            m_mapping.insert(exchangeFile.toUpper(), name);
        } else {
            const QString localFile = find.value(0, FieldType::Alpha).toString().trimmed();
            if (stamp(find, 1) != stamp(blocks, 2))
                throw VelmoraError(ExchangeMessages::StructureMessage(settings().Hotline));
            requireSameColumns(local, local.requireTable(localFile), exchange, exchange.requireTable(exchangeFile));
        }
        find.reset();
        m_progress.AdvanceProgress(1);
    }
}

void ExchangeImport::importEntries(Database &local, Database &exchange) {
    // The blocks whose rows travel with the entries, and where they live here.
    QMap<int, QString> exchangeFiles;
    {
        Statement blocks(exchange, QStringLiteral("SELECT TableNr, Filename FROM %1 WHERE Art = 'T'")
                                       .arg(quoteIdentifier(exchange.requireTable(QStringLiteral("TRTABLE")))));
        while (blocks.step())
            exchangeFiles.insert(blocks.value(0).toInt(), blocks.value(1, FieldType::Alpha).toString().trimmed());
    }
    struct BlockCopy {
        int columns = 0;
        std::unique_ptr<Statement> select, remove, insert;
    };
    std::map<int, BlockCopy> copies;
    Statement localFile(local, QStringLiteral("SELECT Filename FROM %1 WHERE TableNr = ?")
                                   .arg(quoteIdentifier(local.requireTable(QStringLiteral("TRTABLE")))));
    auto blockCopy = [&](int tableNr) -> BlockCopy & {
        auto it = copies.find(tableNr);
        if (it != copies.end())
            return it->second;
        localFile.reset();
        localFile.bind(1, tableNr);
        // The local block row names its table; for a block new here that is
        // the table created for it (the file-name mapping).
        QString destination = localFile.step() ? localFile.value(0, FieldType::Alpha).toString().trimmed() : QString();
        localFile.reset();
        const QString source = exchange.requireTable(exchangeFiles.value(tableNr));
        if (destination.isEmpty())
            destination = m_mapping.value(source.toUpper(), source);
        destination = local.requireTable(destination);
        BlockCopy c;
        c.columns = int(exchange.fieldDefs(source).size());
        const QString keyed = QStringLiteral(" WHERE SerienNr = ? AND TrNr = ?");
        c.select =
            std::make_unique<Statement>(exchange, QStringLiteral("SELECT * FROM ") + quoteIdentifier(source) + keyed);
        c.remove =
            std::make_unique<Statement>(local, QStringLiteral("DELETE FROM ") + quoteIdentifier(destination) + keyed);
        c.insert = std::make_unique<Statement>(
            local,
            QStringLiteral("INSERT INTO %1 VALUES (%2)").arg(quoteIdentifier(destination), placeholders(c.columns)));
        return copies.emplace(tableNr, std::move(c)).first->second;
    };
    // The blocks of a form, as this installation's form now lists them.
    QHash<int, std::vector<int>> formBlocks;
    Statement uses(local, QStringLiteral("SELECT DISTINCT TableNr FROM %1 WHERE FormularNr = ? ORDER BY TableNr")
                              .arg(quoteIdentifier(local.requireTable(QStringLiteral("TRuseTBL")))));
    auto blocksOf = [&](int formularNr) -> const std::vector<int> & {
        auto it = formBlocks.find(formularNr);
        if (it != formBlocks.end())
            return *it;
        std::vector<int> tables;
        uses.reset();
        uses.bind(1, formularNr);
        while (uses.step()) {
            const int t = uses.value(0).toInt();
            if (exchangeFiles.contains(t))
                tables.push_back(t);
        }
        uses.reset();
        return *formBlocks.insert(formularNr, tables);
    };

    RowMerge entries(local, exchange, QStringLiteral("TR"), {QStringLiteral("SerienNr"), QStringLiteral("TrNr")});
    const int serien = exchange.fieldIndex(exchange.requireTable(QStringLiteral("TR")), QStringLiteral("SerienNr"));
    const int trNr = exchange.fieldIndex(exchange.requireTable(QStringLiteral("TR")), QStringLiteral("TrNr"));
    const int formular = exchange.fieldIndex(exchange.requireTable(QStringLiteral("TR")), QStringLiteral("FormularNr"));
    while (entries.source().step()) {
        if (entries.mergeCurrent()) {
            ++m_changed;
            for (int tableNr : blocksOf(entries.source().value(formular).toInt())) {
                BlockCopy &c = blockCopy(tableNr);
                c.select->reset();
                sqlite3_bind_value(c.select->get(), 1, entries.column(serien));
                sqlite3_bind_value(c.select->get(), 2, entries.column(trNr));
                if (!c.select->step()) {
                    // Nothing in the set for this block: the local rows stay.
                    c.select->reset();
                    continue;
                }
                sqlite3_bind_value(c.remove->get(), 1, entries.column(serien));
                sqlite3_bind_value(c.remove->get(), 2, entries.column(trNr));
                runOnce(*c.remove);
                do {
                    bindRow(*c.insert, *c.select, c.columns);
                    runOnce(*c.insert);
                    ++m_changed;
                } while (c.select->step());
                c.select->reset();
            }
        }
        m_progress.AdvanceProgress(1);
    }
}

void ExchangeImport::importAll() {
    m_mapping.clear();
    m_changed = 0;
    ProgressCloseOnFailure closeOnFailure(m_progress);
    m_progress.ResetSteps();
    for (const QString &step : {ExchangeMessages::kImportStep, ExchangeMessages::kRefreshStep,
                                ExchangeMessages::kTemplatesStep, QStringLiteral("Dokumentliste erstellen")})
        m_progress.AddStep(step);
    m_progress.ShowProgress();

    // An exchange directory without the exchange database holds no set; it
    // is not created empty just to find that out.
    ExchangeClose closeExchange(m_engine);
    if (!QFileInfo(QDir(exchangeDir()).filePath(QString::fromLatin1(Database::kFileName))).isFile())
        throw VelmoraError(ExchangeMessages::kNoDataFiles);
    Database &exchange = m_engine.dblogCopy();
    Database &local = m_engine.dblog();
    checkExchangeSet(exchange);

    const qint64 blockCount = [&] {
        Statement st(exchange, QStringLiteral("SELECT count(*) FROM %1 WHERE Art = 'T'")
                                   .arg(quoteIdentifier(exchange.requireTable(QStringLiteral("TRTABLE")))));
        st.step();
        return st.value(0).toLongLong();
    }();
    m_progress.SetProgressRange(int(exchange.rowCount(QStringLiteral("TR")) + blockCount + 6));

    // One transaction: a message, an engine error or a killed program leave
    // the local database as it was before the import.
    Transaction tx(local);
    importBlocks(local, exchange);

    using D = DetailSpec;
    // A block's TRuseTBL rows (and a value's TRuseVAL rows) belong to forms:
    // only the exchange set's forms have theirs replaced, the other local
    // forms keep using the block (the value).
    m_changed += mergeMaster(local, exchange, QStringLiteral("TRTABLE"), {QStringLiteral("TableNr")},
                             {D{QStringLiteral("TRFIELD"), QStringLiteral("TableNr"), {}},
                              D{QStringLiteral("TRuseTBL"), QStringLiteral("TableNr"), QStringLiteral("FormularNr")}});
    if (!m_mapping.isEmpty()) {
        // The merge copied the exchange file name; a block new here keeps
        // its rows in the table created for it, and its row must say so.
        // The time stamp stays the origin's, so that the block is recognised
        // as unchanged when it comes back.
        Statement exchangeBlocks(exchange, QStringLiteral("SELECT TableNr, Filename FROM %1 WHERE Art = 'T'")
                                               .arg(quoteIdentifier(exchange.requireTable(QStringLiteral("TRTABLE")))));
        Statement renameByKey(local, QStringLiteral("UPDATE %1 SET Filename = ? WHERE TableNr = ?")
                                         .arg(quoteIdentifier(local.requireTable(QStringLiteral("TRTABLE")))));
        while (exchangeBlocks.step()) {
            const QString file = exchangeBlocks.value(1, FieldType::Alpha).toString().trimmed().toUpper();
            if (!m_mapping.contains(file))
                continue;
            renameByKey.bind(1, m_mapping.value(file));
            sqlite3_bind_value(renameByKey.get(), 2, sqlite3_column_value(exchangeBlocks.get(), 0));
            runOnce(renameByKey);
        }
    }
    m_progress.AdvanceProgress(1);
    m_changed += mergeMaster(local, exchange, QStringLiteral("PERSON"), {QStringLiteral("PersonNr")}, {});
    m_progress.AdvanceProgress(1);
    m_changed += mergeMaster(local, exchange, QStringLiteral("AUSWERT"), {QStringLiteral("AuswertungNr")},
                             {D{QStringLiteral("AFIELD"), QStringLiteral("AuswertungNr"), {}},
                              D{QStringLiteral("ATABLE"), QStringLiteral("AuswertungNr"), {}}});
    m_progress.AdvanceProgress(1);
    m_changed += mergeMaster(local, exchange, QStringLiteral("ANALYSE"), {QStringLiteral("AnalyseNr")},
                             {D{QStringLiteral("ANAuseAW"), QStringLiteral("AnalyseNr"), {}}});
    m_progress.AdvanceProgress(1);
    m_changed += mergeMaster(local, exchange, QStringLiteral("FILTER"), {QStringLiteral("FilterNr")}, {});
    m_progress.AdvanceProgress(1);
    m_changed += mergeMaster(local, exchange, QStringLiteral("TRVALUE"), {QStringLiteral("ValueNr")},
                             {D{QStringLiteral("TRuseVAL"), QStringLiteral("ValueNr"), QStringLiteral("FormularNr")}});
    m_progress.AdvanceProgress(1);

    // The forms, before the entries written in them.
    m_changed +=
        mergeMaster(local, exchange, QStringLiteral("TR"), {QStringLiteral("SerienNr"), QStringLiteral("TrNr")},
                    {D{QStringLiteral("FFIELD"), QStringLiteral("FormularNr"), {}},
                     D{QStringLiteral("TRuseTBL"), QStringLiteral("FormularNr"), {}},
                     D{QStringLiteral("TRuseVAL"), QStringLiteral("FormularNr"), {}}},
                    QStringLiteral("FormularNr"), QStringLiteral(" WHERE (Art = 1) OR (Art = 11) OR (Art = 21)"));
    importEntries(local, exchange);
    tx.commit();
    m_progress.StepDone();
    closeOnFailure.done();
}

} // namespace velmora
