#pragma once

// Blocks and forms for the entry view's tests and benchmark, on top of the
// small club: a grid block, card layouts with sizes, further forms.

#include "design/BlockTable.h"
#include "design/FormElementCache.h"
#include "store/Cursor.h"
#include "store/Database.h"

#include <QStringList>

namespace velmora::test {

struct FieldSpec {
    FieldSpec(QString n = {}, QString t = {}, int s = 0, QString w = {})
        : name(std::move(n)), type(std::move(t)), size(s), werte(std::move(w)) {}
    QString name;
    QString type;
    int size = 0;
    QString werte; // FFIELD.Werte of the form field
};

// A block with its TRTABLE and TRFIELD rows (default layout: field k at top
// 4 + 24k, left 100, 100 x 20, prefix at 20) and its table.
inline void AddBlock(Database &db, int tableNr, const QString &filename, bool grid, const QList<FieldSpec> &fields) {
    InsertRow(db, QStringLiteral("TRTABLE"),
              {{QStringLiteral("TableNr"), tableNr},
               {QStringLiteral("Name"), filename},
               {QStringLiteral("Filename"), filename},
               {QStringLiteral("Grid"), grid},
               {QStringLiteral("Client"), grid || fields.size() == 1},
               {QStringLiteral("Height"), 4 + 24 * int(fields.size())}});
    for (int k = 0; k < fields.size(); ++k) {
        const int y = 4 + 24 * k;
        InsertRow(db, QStringLiteral("TRFIELD"),
                  {{QStringLiteral("TableNr"), tableNr},
                   {QStringLiteral("Order"), k + 1},
                   {QStringLiteral("Feldname"), fields[k].name},
                   {QStringLiteral("Beschreibung"), fields[k].name},
                   {QStringLiteral("Typ"), fields[k].type},
                   {QStringLiteral("Größe"), fields[k].size},
                   {QStringLiteral("Left"), 100},
                   {QStringLiteral("Top"), y},
                   {QStringLiteral("Width"), 100},
                   {QStringLiteral("Height"), 20},
                   {QStringLiteral("DisplayWidth"), 10},
                   {QStringLiteral("PrefixLeft"), 20},
                   {QStringLiteral("PrefixTop"), y + 2},
                   {QStringLiteral("PostfixLeft"), 206},
                   {QStringLiteral("PostfixTop"), y + 2}});
    }
    CreateBlockTable(db, tableNr, filename);
}

// Adds a block to a form: its TRuseTBL row and one FFIELD row per given
// field number (TRFIELD Order), from ffOrder on; returns the next FFIELD Order.
inline int UseBlock(Database &db, int formularNr, int useOrder, int tableNr, const QList<int> &feldNrs, int ffOrder,
                    const QList<FieldSpec> &fields = {}) {
    InsertRow(db, QStringLiteral("TRuseTBL"),
              {{QStringLiteral("FormularNr"), formularNr},
               {QStringLiteral("Order"), useOrder},
               {QStringLiteral("TableNr"), tableNr}});
    for (int feld : feldNrs) {
        const FieldSpec spec = feld - 1 < fields.size() ? fields[feld - 1] : FieldSpec{};
        InsertRow(db, QStringLiteral("FFIELD"),
                  {{QStringLiteral("FormularNr"), formularNr},
                   {QStringLiteral("Order"), ffOrder++},
                   {QStringLiteral("TableNr"), tableNr},
                   {QStringLiteral("FeldNr"), feld},
                   {QStringLiteral("Prefix"), spec.name.isEmpty() ? QVariant() : QVariant(spec.name)},
                   {QStringLiteral("Werte"), spec.werte.isEmpty() ? QVariant() : QVariant(spec.werte)}});
    }
    return ffOrder;
}

} // namespace velmora::test
