#include "store/BatchCopy.h"

namespace velmora {

int BatchCopy::run(Query &source, Database &destination, const QString &table, Mode mode) {
    if (!source.isOpen())
        source.open();
    Transaction tx(destination);
    QString target;
    if (mode == Mode::Copy) {
        TableDef def;
        def.name = Database::plainTableName(table);
        def.fields = source.fields();
        // Stage tables receive columns of the same name from joins; the first one counts.
        FieldDefs unique;
        for (const FieldDef &f : def.fields) {
            bool dup = false;
            for (const FieldDef &u : unique)
                dup = dup || u.name.compare(f.name, Qt::CaseInsensitive) == 0;
            if (!dup)
                unique.push_back(FieldDef(f.name, f.type, f.size));
        }
        def.fields = unique;
        destination.createTable(def);
    }
    target = destination.requireTable(table);
    const FieldDefs &dest = destination.fieldDefs(target);

    // Pair destination columns with source columns of the same name.
    QStringList cols, marks;
    std::vector<std::pair<int, size_t>> pairs;  // source column, destination field
    for (size_t d = 0; d < dest.size(); ++d) {
        const int s = source.fieldIndex(dest[d].name);
        if (s < 0)
            continue;
        pairs.push_back({s, d});
        cols << quoteIdentifier(dest[d].name);
        marks << QStringLiteral("?");
    }
    if (pairs.empty()) {
        tx.commit();
        return 0;
    }
    QString sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                      .arg(quoteIdentifier(target), cols.join(QLatin1String(", ")), marks.join(QLatin1String(", ")));
    if (mode == Mode::AppendUpdate) {
        const QStringList pk = destination.primaryKey(target);
        if (!pk.isEmpty()) {
            QStringList keyCols, sets;
            for (const QString &k : pk)
                keyCols << quoteIdentifier(k);
            for (const auto &[s, d] : pairs) {
                Q_UNUSED(s);
                if (!pk.contains(dest[d].name, Qt::CaseInsensitive))
                    sets << QStringLiteral("%1 = excluded.%1").arg(quoteIdentifier(dest[d].name));
            }
            sql += QStringLiteral(" ON CONFLICT (%1) DO ").arg(keyCols.join(QLatin1String(", ")));
            sql += sets.isEmpty() ? QStringLiteral("NOTHING") : QStringLiteral("UPDATE SET ") + sets.join(QLatin1String(", "));
        }
    }
    Statement st(destination, sql);
    int written = 0;
    for (int r = 0; r < source.recordCount(); ++r) {
        const auto &row = source.row(r);
        st.reset();
        int idx = 1;
        for (const auto &[s, d] : pairs)
            st.bind(idx++, row[size_t(s)], dest[d].type, dest[d].size);
        try {
            st.step();
        } catch (const EngineError &e) {
            throw EngineError(e.message() + QStringLiteral("\nTabelle: ") + target);
        }
        ++written;
    }
    tx.commit();
    return written;
}

} // namespace velmora
