#include "diary/EntryOperations.h"

#include "base/Messages.h"
#include "base/Progress.h"
#include "diary/EntryRules.h"
#include "store/Database.h"
#include "store/Keys.h"
#include "store/Query.h"

#include <QHash>
#include <algorithm>

namespace velmora::EntryOperations {

namespace {

const QString kTr = QStringLiteral("TR");
const QString kDeleteQuestion = QStringLiteral("Die Löschung kann nicht rückgängig gemacht werden!");

bool isDiaryTable(const QString &name) {
    return Database::plainTableName(name).compare(kTr, Qt::CaseInsensitive) == 0;
}

// Binds a value with the type of the table's column, so that dates and
// texts are stored in the engine's form.
void bindColumn(Database &db, Statement &st, int index, const QString &table, const QString &column,
                const QVariant &value) {
    const FieldDefs &defs = db.fieldDefs(table);
    const int i = db.fieldIndex(table, column);
    if (i < 0)
        throw EngineError(QStringLiteral("%1: Feld '%2' nicht gefunden.").arg(table, column));
    st.bind(index, value, defs[size_t(i)].type, defs[size_t(i)].size);
}

struct Source {
    QDateTime datum;
    QVariant formularNr;
    QVariant beschreibung;
};

bool readSource(Database &db, const EntryReference &key, Source &out) {
    Statement st(db, QStringLiteral("SELECT Datum, FormularNr, Beschreibung FROM %1 WHERE SerienNr = ? AND TrNr = ?")
                         .arg(quoteIdentifier(db.requireTable(kTr))));
    st.bind(1, key.SerienNr);
    st.bind(2, key.TrNr);
    if (!st.step())
        return false;
    out.datum = st.value(0, FieldType::Timestamp).toDateTime();
    out.formularNr = st.value(1, FieldType::Long);
    out.beschreibung = st.value(2, FieldType::Memo);
    return true;
}

// The block tables of forms, read once per form during one operation.
class BlockTableCache {
public:
    explicit BlockTableCache(Database &db) : m_db(db) {}
    const QStringList &of(int formularNr) {
        auto it = m_tables.find(formularNr);
        if (it == m_tables.end())
            it = m_tables.insert(formularNr, BlockTables(m_db, formularNr));
        return it.value();
    }

private:
    Database &m_db;
    QHash<int, QStringList> m_tables;
};

// Copies every column by position, the entry's key replaced.
void copyBlockRows(Database &db, const QString &table, const EntryReference &from, const EntryReference &to) {
    const QString real = db.requireTable(table);
    const FieldDefs &defs = db.fieldDefs(real);
    QStringList columns, values;
    for (const FieldDef &f : defs) {
        columns << quoteIdentifier(f.name);
        if (f.name.compare(QLatin1String("SerienNr"), Qt::CaseInsensitive) == 0)
            values << QStringLiteral(":newSerienNr");
        else if (f.name.compare(QLatin1String("TrNr"), Qt::CaseInsensitive) == 0)
            values << QStringLiteral(":newTrNr");
        else
            values << quoteIdentifier(f.name);
    }
    Statement st(db, QStringLiteral("INSERT INTO %1 (%2) SELECT %3 FROM %1 WHERE SerienNr = :SerienNr AND TrNr = :TrNr")
                         .arg(quoteIdentifier(real), columns.join(QLatin1Char(',')), values.join(QLatin1Char(','))));
    st.bind(QStringLiteral("newSerienNr"), to.SerienNr);
    st.bind(QStringLiteral("newTrNr"), to.TrNr);
    st.bind(QStringLiteral("SerienNr"), from.SerienNr);
    st.bind(QStringLiteral("TrNr"), from.TrNr);
    st.step();
}

QDateTime copyEntry(Database &db, BlockTableCache &blocks, const CopyTarget &target, EntryReference &key, bool absolute,
                    const QDateTime &date, int days) {
    CheckEntriesAllowed(target.kindCode);
    Source source;
    if (key.Deleted || !readSource(db, key, source))
        throw VelmoraError(QStringLiteral("Primärschlüssel Kopierquelle nicht gefunden."));
    const QDateTime newDate = absolute ? date : (source.datum.isValid() ? source.datum.addDays(days) : source.datum);
    // A date the table cannot store would be written as garbage or nothing.
    if ((absolute || source.datum.isValid()) &&
        (!newDate.isValid() || newDate.date().year() < 1 || newDate.date().year() > 9999))
        throw VelmoraError(QStringLiteral("Das Datum der neuen Eintragung ist ungültig."));

    Transaction tx(db);
    const EntryReference newKey{target.installation, nextEntryNumber(db, target.installation)};
    const QString tr = db.requireTable(kTr);
    Statement st(db, QStringLiteral("INSERT INTO %1 (SerienNr, TrNr, PersonNr, Datum, Beschreibung, Timestamp, Woche, "
                                    "Wochentag, FormularNr, Art, AutorNr) VALUES (?,?,?,?,?,?,?,?,?,?,?)")
                         .arg(quoteIdentifier(tr)));
    const QDate day = newDate.date();
    const std::pair<const char *, QVariant> values[] = {
        {"SerienNr", newKey.SerienNr},
        {"TrNr", newKey.TrNr},
        {"PersonNr", target.person},
        {"Datum", newDate},
        {"Beschreibung", source.beschreibung},
        {"Timestamp", QDateTime::currentDateTime()},
        {"Woche", EntryRules::WeekText(day)},
        {"Wochentag", EntryRules::WeekdayText(day)},
        {"FormularNr", source.formularNr},
        {"Art", target.kindCode},
        {"AutorNr", target.author},
    };
    int index = 1;
    for (const auto &[column, value] : values)
        bindColumn(db, st, index++, tr, QString::fromLatin1(column), value);
    st.step();

    for (const QString &table : blocks.of(source.formularNr.toInt()))
        copyBlockRows(db, table, key, newKey);
    tx.commit();
    key = newKey;
    return newDate;
}

// Every block table that may hold rows of an entry: the tables of all blocks
// and every TR_ table, not only those of the entry's form as it is now. A
// block removed from the form keeps its rows of older entries, and a later
// entry that gets the same number must not inherit them.
QStringList allBlockTables(Database &db) {
    QStringList tables = db.tables(QStringLiteral("TR_*"));
    Statement st(
        db, QStringLiteral("SELECT Filename FROM %1").arg(quoteIdentifier(db.requireTable(QStringLiteral("TRTABLE")))));
    while (st.step()) {
        const QString real = db.resolveTable(st.value(0).toString().trimmed());
        if (!real.isEmpty() && !tables.contains(real, Qt::CaseInsensitive))
            tables << real;
    }
    QStringList out;
    for (const QString &t : std::as_const(tables))
        if (!isDiaryTable(t) && db.fieldIndex(t, QStringLiteral("SerienNr")) >= 0 &&
            db.fieldIndex(t, QStringLiteral("TrNr")) >= 0)
            out << t;
    return out;
}

// Deletes within the caller's transaction; false when the entry is gone.
bool deleteEntry(Database &db, const QStringList &blockTables, const EntryReference &key) {
    Source source;
    if (!readSource(db, key, source))
        return false;
    for (const QString &real : blockTables) {
        Statement st(db, QStringLiteral("DELETE FROM %1 WHERE SerienNr = ? AND TrNr = ?").arg(quoteIdentifier(real)));
        st.bind(1, key.SerienNr);
        st.bind(2, key.TrNr);
        st.step();
    }
    Statement st(
        db,
        QStringLiteral("DELETE FROM %1 WHERE SerienNr = ? AND TrNr = ?").arg(quoteIdentifier(db.requireTable(kTr))));
    st.bind(1, key.SerienNr);
    st.bind(2, key.TrNr);
    st.step();
    return true;
}

// Block rows of one entry by Order, as row ids, from the highest Order down.
std::vector<std::pair<qint64, int>> rowsFrom(Database &db, const QString &real, int serienNr, int trNr, int from) {
    Statement st(db, QStringLiteral("SELECT %2, \"Order\" FROM %1 WHERE SerienNr = ? AND TrNr = ? AND \"Order\" >= ? "
                                    "ORDER BY \"Order\" DESC")
                         .arg(quoteIdentifier(real), db.rowidColumn(real)));
    st.bind(1, serienNr);
    st.bind(2, trNr);
    st.bind(3, from);
    std::vector<std::pair<qint64, int>> rows;
    while (st.step())
        rows.emplace_back(sqlite3_column_int64(st.get(), 0), sqlite3_column_int(st.get(), 1));
    return rows;
}

bool sameTable(const QString &a, const QString &b) {
    return Database::plainTableName(a).compare(Database::plainTableName(b), Qt::CaseInsensitive) == 0;
}

constexpr int kMaxOrder = 32767; // Order is a SHORT column

} // namespace

QStringList BlockTables(Database &db, int formularNr) {
    Query q(db, QStringList{QStringLiteral("select Filename"), QStringLiteral("from TrTable, TrUseTbl"),
                            QStringLiteral(
                                "where (TrUseTbl.FormularNr = :FormularNr) and (TrTable.TableNr = TrUseTbl.TableNr)")}
                    .join(QLatin1Char('\n')));
    q.setParam(QStringLiteral("FormularNr"), formularNr);
    q.open();
    QStringList tables;
    for (q.first(); !q.eof(); q.next()) {
        const QString name = q.value(0).toString().trimmed();
        if (name.isEmpty() || isDiaryTable(name) || tables.contains(name, Qt::CaseInsensitive))
            continue;
        tables << name;
    }
    return tables;
}

QDateTime CopyEntryToDate(Database &db, const CopyTarget &target, EntryReference &key, const QDateTime &date) {
    BlockTableCache blocks(db);
    return copyEntry(db, blocks, target, key, true, date, 0);
}

QDateTime CopyEntryByDays(Database &db, const CopyTarget &target, EntryReference &key, int days) {
    BlockTableCache blocks(db);
    return copyEntry(db, blocks, target, key, false, {}, days);
}

void CheckEntriesAllowed(int kindCode) {
    // An entry with the kind of a form would be a second form row of the
    // same FormularNr.
    if (kindCode % 10 == 1)
        throw VelmoraError(QStringLiteral("In dieser Ansicht können keine Eintragungen angelegt werden!"));
}

PasteResult PasteEntries(Database &db, const CopyTarget &target, const std::vector<EntryReference> &sources, int days) {
    PasteResult result;
    BlockTableCache blocks(db);
    Transaction tx(db);
    for (const EntryReference &source : sources) {
        EntryReference key = source;
        try {
            // Each copy is atomic by itself (a save point), so a failing one
            // leaves nothing behind and the earlier ones can be kept.
            result.lastDate = copyEntry(db, blocks, target, key, false, {}, days);
        } catch (const VelmoraError &e) {
            result.error = e.message();
            break;
        }
        result.lastKey = key;
        ++result.pasted;
    }
    tx.commit();
    if (!result.error.isEmpty())
        Messages::error(result.error);
    return result;
}

bool DeleteEntry(Database &db, const EntryReference &key) {
    Transaction tx(db);
    const bool found = deleteEntry(db, allBlockTables(db), key);
    tx.commit();
    return found;
}

bool ConfirmDeleteEntry(Database &db, const EntryReference &key, int selectedCount, int user) {
    if (selectedCount >= 2)
        throw VelmoraError(QStringLiteral("Sie können nur jeweils eine Eintragung auf einmal löschen!"));
    {
        Statement author(db, QStringLiteral("SELECT AutorNr FROM %1 WHERE SerienNr = ? AND TrNr = ?")
                                 .arg(quoteIdentifier(db.requireTable(kTr))));
        author.bind(1, key.SerienNr);
        author.bind(2, key.TrNr);
        // Another author's entry is shown read-only; it is not the user's to delete.
        if (!author.step() || author.value(0).toInt() != user)
            return false;
    }
    if (!Messages::question(QStringLiteral("Wollen Sie die ausgewählte Eintragung wirklich löschen?\n") +
                            kDeleteQuestion))
        return false;
    return DeleteEntry(db, key);
}

std::vector<EntryReference> EntryKeysOf(Query &list) {
    if (!list.isOpen())
        list.open();
    const int s = list.fieldIndex(QStringLiteral("SerienNr"));
    const int t = list.fieldIndex(QStringLiteral("TrNr"));
    if (s < 0 || t < 0)
        throw EngineError(QStringLiteral("Die Liste enthält keine Schlüssel der Eintragungen."));
    std::vector<EntryReference> keys;
    keys.reserve(size_t(list.recordCount()));
    for (int r = 0; r < list.recordCount(); ++r)
        keys.push_back({list.row(r)[size_t(s)].toInt(), list.row(r)[size_t(t)].toInt()});
    return keys;
}

QString DeleteAllQuestion() {
    return QStringLiteral("Wollen Sie die ausgewählten Daten auf diesem PC wirklich löschen?\n") + kDeleteQuestion;
}

bool DeleteAllEntries(Database &db, const std::vector<EntryReference> &entries, Progress &progress) {
    if (!Messages::question(DeleteAllQuestion()))
        return false;
    DeleteEntries(db, entries, progress);
    return true;
}

void DeleteEntries(Database &db, const std::vector<EntryReference> &entries, Progress &progress) {
    progress.SetProgressRange(int(entries.size()));
    progress.ShowProgress();
    Transaction tx(db);
    const QStringList blockTables = allBlockTables(db);
    for (const EntryReference &key : entries) {
        deleteEntry(db, blockTables, key);
        progress.AdvanceProgress(1);
    }
    tx.commit();
}

std::vector<RowReference> RowReferences(const QString &table, int serienNr, int trNr, std::vector<int> selectedOrders) {
    std::sort(selectedOrders.begin(), selectedOrders.end(), std::greater<int>());
    selectedOrders.erase(std::unique(selectedOrders.begin(), selectedOrders.end()), selectedOrders.end());
    std::vector<RowReference> refs;
    for (int order : selectedOrders)
        refs.push_back({table.left(50), serienNr, trNr, order});
    return refs;
}

namespace {
void insertEmptyRows(Database &db, const QString &table, int serienNr, int trNr, int at, int n) {
    const QString real = db.requireTable(table);
    Transaction tx(db);
    const auto later = rowsFrom(db, real, serienNr, trNr, at);
    if ((later.empty() ? at + n - 1 : later.front().second + n) > kMaxOrder)
        throw VelmoraError(QStringLiteral("Der Baustein kann keine weiteren Zeilen aufnehmen."));
    // From the highest Order down, so that no two rows share a key meanwhile.
    Statement shift(db, QStringLiteral("UPDATE %1 SET \"Order\" = \"Order\" + ? WHERE %2 = ?")
                            .arg(quoteIdentifier(real), db.rowidColumn(real)));
    for (const auto &[rowid, order] : later) {
        Q_UNUSED(order);
        shift.reset();
        shift.bind(1, n);
        shift.bind(2, rowid);
        shift.step();
    }
    Statement add(
        db, QStringLiteral("INSERT INTO %1 (SerienNr, TrNr, \"Order\") VALUES (?,?,?)").arg(quoteIdentifier(real)));
    for (int k = n - 1; k >= 0; --k) {
        add.reset();
        add.bind(1, serienNr);
        add.bind(2, trNr);
        add.bind(3, at + k);
        add.step();
    }
    tx.commit();
}

// A reference names its table: rows of another block of the same entry
// did not move.
void shiftReferences(const std::vector<RowReference *> &clipboard, const QString &table, int serienNr, int trNr, int at,
                     int n) {
    for (RowReference *ref : clipboard)
        if (ref && ref->SerienNr == serienNr && ref->TrNr == trNr && ref->Order >= at &&
            sameTable(ref->TableName, table))
            ref->Order += n;
}
} // namespace

void InsertRows(Database &db, const QString &table, int serienNr, int trNr, int at, int n,
                const std::vector<RowReference *> &clipboard) {
    if (n <= 0)
        return;
    insertEmptyRows(db, table, serienNr, trNr, at, n);
    // Only once the rows moved for good.
    shiftReferences(clipboard, table, serienNr, trNr, at, n);
}

void NewRows(Database &db, const QString &table, int serienNr, int trNr, int currentOrder, int selectedCount,
             const std::vector<RowReference *> &clipboard) {
    InsertRows(db, table, serienNr, trNr, currentOrder, std::max(1, selectedCount), clipboard);
}

int PasteRows(Database &db, const QString &table, int serienNr, int trNr, int at,
              const std::vector<RowReference *> &clipboard) {
    const QString real = db.requireTable(table);
    const FieldDefs &defs = db.fieldDefs(real);
    QStringList dataColumns;
    for (size_t i = 3; i < defs.size(); ++i)
        dataColumns << quoteIdentifier(defs[i].name);
    // The values are read before anything moves, from the last reference to
    // the first: the copy command stored them last row first.
    std::vector<std::vector<QVariant>> rows;
    {
        Statement find(db, QStringLiteral("SELECT %2 FROM %1 WHERE SerienNr = ? AND TrNr = ? AND \"Order\" = ?")
                               .arg(quoteIdentifier(real),
                                    dataColumns.isEmpty() ? QStringLiteral("1") : dataColumns.join(QLatin1Char(','))));
        for (auto it = clipboard.rbegin(); it != clipboard.rend(); ++it) {
            const RowReference *ref = *it;
            if (!ref || ref->Deleted || !sameTable(ref->TableName, table))
                continue;
            find.reset();
            find.bind(1, ref->SerienNr);
            find.bind(2, ref->TrNr);
            find.bind(3, ref->Order);
            if (!find.step())
                continue;
            std::vector<QVariant> values;
            for (int c = 0; c < dataColumns.size(); ++c)
                values.push_back(find.value(c, defs[size_t(c) + 3].type));
            rows.push_back(std::move(values));
        }
    }
    if (rows.empty())
        return 0;
    Transaction tx(db);
    insertEmptyRows(db, table, serienNr, trNr, at, int(rows.size()));
    if (!dataColumns.isEmpty()) {
        QStringList sets;
        for (const QString &c : dataColumns)
            sets << c + QStringLiteral(" = ?");
        Statement write(db, QStringLiteral("UPDATE %1 SET %2 WHERE SerienNr = ? AND TrNr = ? AND \"Order\" = ?")
                                .arg(quoteIdentifier(real), sets.join(QLatin1Char(','))));
        for (size_t r = 0; r < rows.size(); ++r) {
            write.reset();
            int index = 1;
            for (size_t c = 0; c < rows[r].size(); ++c, ++index)
                write.bind(index, rows[r][c], defs[c + 3].type, defs[c + 3].size);
            write.bind(index++, serienNr);
            write.bind(index++, trNr);
            write.bind(index, at + int(r));
            write.step();
        }
    }
    tx.commit();
    shiftReferences(clipboard, table, serienNr, trNr, at, int(rows.size()));
    return int(rows.size());
}

bool DeleteRows(Database &db, const QString &table, int serienNr, int trNr, const std::vector<int> &orders) {
    if (orders.empty())
        throw VelmoraError(QStringLiteral("Es sind keine Datensätze ausgewählt!"));
    if (!Messages::question(QStringLiteral("Wollen Sie die ausgewählten Datensätze wirklich löschen?\n") +
                            kDeleteQuestion))
        return false;
    const QString real = db.requireTable(table);
    Transaction tx(db);
    Statement del(
        db,
        QStringLiteral("DELETE FROM %1 WHERE SerienNr = ? AND TrNr = ? AND \"Order\" = ?").arg(quoteIdentifier(real)));
    for (int order : orders) {
        del.reset();
        del.bind(1, serienNr);
        del.bind(2, trNr);
        del.bind(3, order);
        del.step();
    }
    tx.commit();
    return true;
}

} // namespace velmora::EntryOperations
