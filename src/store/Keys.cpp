#include "store/Keys.h"

#include "base/CommandLine.h"

namespace velmora {

namespace {
// Object keys and the tables that hold them.
const std::pair<const char *, const char *> kKeyColumns[] = {
    {"PERSON", "PersonNr"},   {"TRTABLE", "TableNr"}, {"TRVALUE", "ValueNr"}, {"AUSWERT", "AuswertungNr"},
    {"ANALYSE", "AnalyseNr"}, {"FILTER", "FilterNr"}, {"TR", "FormularNr"},
};
} // namespace

int nextObjectKey(Database &db, const QString &table, const QString &keyColumn, int serial) {
    if (serial < 0 || serial > kMaxSerial)
        throw VelmoraError(QStringLiteral("Die Installationsnummer %1 ist ungültig: Sie muss zwischen 1 und %2 liegen.")
                               .arg(serial)
                               .arg(kMaxSerial));
    const QString real = db.requireTable(table);
    const qint64 low = qint64(serial) * kKeyBlockSize;
    const qint64 high = low + kKeyBlockSize;
    Statement st(db, QStringLiteral("SELECT max(%1) FROM %2 WHERE %1 >= ? AND %1 <= ?")
                         .arg(quoteIdentifier(keyColumn), quoteIdentifier(real)));
    st.bind(1, low);
    st.bind(2, high);
    st.step();
    if (sqlite3_column_type(st.get(), 0) == SQLITE_NULL)
        return int(low + 1);
    const qint64 next = sqlite3_column_int64(st.get(), 0) + 1;
    if (next >= high || next > std::numeric_limits<qint32>::max())
        throw VelmoraError(QStringLiteral("Der Nummernbereich dieser Installation ist erschöpft."));
    return int(next);
}

int nextEntryNumber(Database &db, int serial) {
    Statement st(db, QStringLiteral("SELECT max(TrNr) FROM %1 WHERE SerienNr = ?")
                         .arg(quoteIdentifier(db.requireTable(QStringLiteral("TR")))));
    st.bind(1, serial);
    st.step();
    if (sqlite3_column_type(st.get(), 0) == SQLITE_NULL)
        return 1;
    const qint64 next = sqlite3_column_int64(st.get(), 0) + 1;
    if (next > std::numeric_limits<qint32>::max())
        throw VelmoraError(QStringLiteral("Der Nummernbereich dieser Installation ist erschöpft."));
    return int(next);
}

bool serialInUse(Database &db, int serial) {
    if (db.tableExists(QStringLiteral("TR"))) {
        Statement st(db, QStringLiteral("SELECT 1 FROM TR WHERE SerienNr = ? LIMIT 1"));
        st.bind(1, serial);
        if (st.step())
            return true;
    }
    const qint64 low = qint64(serial) * kKeyBlockSize;
    for (const auto &[table, column] : kKeyColumns) {
        const QString real = db.resolveTable(QString::fromLatin1(table));
        if (real.isEmpty() || db.fieldIndex(real, QString::fromLatin1(column)) < 0)
            continue;
        Statement st(db, QStringLiteral("SELECT 1 FROM %1 WHERE %2 > ? AND %2 <= ? LIMIT 1")
                             .arg(quoteIdentifier(real), quoteIdentifier(QString::fromLatin1(column))));
        st.bind(1, low);
        st.bind(2, low + kKeyBlockSize);
        if (st.step())
            return true;
    }
    return false;
}

QString NextBlockTableName(const Database &db) {
    int largest = 0;
    auto take = [&largest](QString name) {
        if (name.endsWith(QLatin1String(".DB"), Qt::CaseInsensitive))
            name.chop(3);
        if (!name.startsWith(QLatin1String("TR_"), Qt::CaseInsensitive))
            return;
        bool ok = false;
        const int n = name.mid(3).toInt(&ok);
        if (ok && n > largest)
            largest = n;
    };
    for (const QString &name : db.tables(QStringLiteral("TR_*")))
        take(name);
    // A block whose table was never created (the program ended before the
    // block was finished) still owns its name.
    const QString blocks = db.resolveTable(QStringLiteral("TRTABLE"));
    if (!blocks.isEmpty() && db.fieldIndex(blocks, QStringLiteral("Filename")) >= 0) {
        Statement st(const_cast<Database &>(db),
                     QStringLiteral("SELECT Filename FROM %1 WHERE Filename IS NOT NULL").arg(quoteIdentifier(blocks)));
        while (st.step())
            take(st.value(0).toString().trimmed());
    }
    return QStringLiteral("TR_%1").arg(largest + 1);
}

} // namespace velmora
