// Times replacing one form's elements in the shared element list when the
// list holds 20,000 elements: the form designer does it on every "Fertig".
#include "BenchLine.h"
#include "design/FormDesign.h"
#include "design/FormElementCache.h"
#include "design/TTREList.h"
#include "store/Database.h"
#include "store/Query.h"
#include "store/Schema.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace velmora;

namespace {
constexpr int kForms = 400;
constexpr int kBlockFields = 48; // plus block 0's two: 50 elements per form
constexpr int kRuns = 31;

void exec(Database &db, const QString &sql, const QVariantList &values) {
    Statement st(db, sql);
    for (int i = 0; i < values.size(); ++i)
        st.bind(i + 1, values[i]);
    st.step();
}

void fill(Database &db) {
    Transaction tx(db);
    for (int b = 1; b <= 4; ++b) {
        const int tableNr = 65536 + b;
        exec(db, QStringLiteral("INSERT INTO TRTABLE (TableNr, Name, Filename, Grid, Client) VALUES (?, ?, ?, 0, 0)"),
             {tableNr, QStringLiteral("Block %1").arg(b), QStringLiteral("TR_%1").arg(b)});
        for (int o = 1; o <= kBlockFields / 4; ++o)
            exec(db,
                 QStringLiteral("INSERT INTO TRFIELD (TableNr, \"Order\", Feldname, Typ, \"Left\", Top, Width, Height) "
                                "VALUES (?, ?, ?, 'F', 4, ?, 80, 21)"),
                 {tableNr, o, QStringLiteral("Feld%1").arg(o), 4 + 24 * o});
    }
    for (int f = 1; f <= kForms; ++f) {
        const int form = 65536 + f;
        int order = 1;
        for (int feld : {1, 4})
            exec(db, QStringLiteral("INSERT INTO FFIELD (FormularNr, \"Order\", TableNr, FeldNr) VALUES (?, ?, 0, ?)"),
                 {form, order++, feld});
        for (int b = 1; b <= 4; ++b)
            for (int o = 1; o <= kBlockFields / 4; ++o)
                exec(db,
                     QStringLiteral("INSERT INTO FFIELD (FormularNr, \"Order\", TableNr, FeldNr, Prefix, Werte) "
                                    "VALUES (?, ?, ?, ?, ?, ?)"),
                     {form, order++, 65536 + b, o, QStringLiteral("Wert %1").arg(o), QStringLiteral("0\n100")});
    }
    tx.commit();
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}
} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    Database db(QStringLiteral("DBLOG"), dir.path());
    createFixedTables(db);
    fill(db);
    LoadFormElementCache(db, nullptr);
    TTREList &cache = FormElementCache();
    std::printf("elements in the shared list: %d\n", cache.Count());

    std::vector<double> whole, queryOnly, replaceOnly;
    for (int run = 0; run < kRuns; ++run) {
        const int form = 65536 + 1 + (run * 37) % kForms;
        QElapsedTimer t;
        t.start();
        FormDesign::replaceFormElements(db, form, cache);
        whole.push_back(t.nsecsElapsed() / 1e6);

        t.restart();
        Query q(db, FormElementQuerySqlForForm());
        q.setParam(QStringLiteral("FormularNr"), form);
        q.open();
        queryOnly.push_back(t.nsecsElapsed() / 1e6);
        t.restart();
        cache.ReplaceForm(form, q);
        replaceOnly.push_back(t.nsecsElapsed() / 1e6);
    }
    if (cache.Count() != kForms * (kBlockFields + 2)) {
        std::fprintf(stderr, "the list lost elements: %d\n", cache.Count());
        return 1;
    }
    std::printf("replace one form (query + list), median of %d: %.3f ms (target < 5 ms)\n", kRuns, median(whole));
    benchLine("replace one form in 20,000 elements", median(whole), -1, "ms", 5);
    std::printf("  of which the form's element query: %.3f ms\n", median(queryOnly));
    std::printf("  of which the list replacement:     %.3f ms\n", median(replaceOnly));
    return median(whole) < 5.0 ? 0 : 1;
}
