#pragma once

#include "design/BlockTable.h"
#include "store/Cursor.h"
#include "support/ClubFixture.h"

#include <tuple>

// A second block for the form designer's tests, next to the club's "Lauf".
namespace velmora::test::forms {

inline constexpr int kKraft = ClubFixture::kBase + 2; // a card block with table TR_2

// "Kraft": Gewicht (I), Uebung (X), Farbe (C); shown as a card.
inline void addKraftBlock(Database &db) {
    InsertRow(db, QStringLiteral("TRTABLE"),
              {{QStringLiteral("TableNr"), kKraft},
               {QStringLiteral("Name"), QStringLiteral("Kraft")},
               {QStringLiteral("Filename"), QStringLiteral("TR_2")},
               {QStringLiteral("Grid"), false},
               {QStringLiteral("TrainerNr"), ClubFixture::kCoach}});
    const std::tuple<int, const char *, const char *, const char *> fields[] = {
        {1, "Gewicht", "I", "kg"}, {2, "Uebung", "X", ""}, {3, "Farbe", "C", ""}};
    for (const auto &[order, name, typ, postfix] : fields)
        InsertRow(db, QStringLiteral("TRFIELD"),
                  {{QStringLiteral("TableNr"), kKraft},
                   {QStringLiteral("Order"), order},
                   {QStringLiteral("Feldname"), QString::fromUtf8(name)},
                   {QStringLiteral("Typ"), QString::fromUtf8(typ)},
                   {QStringLiteral("Größe"), 10},
                   {QStringLiteral("Prefix"), QString::fromUtf8(name)},
                   {QStringLiteral("Postfix"), QString::fromUtf8(postfix)},
                   {QStringLiteral("Werte"), order == 3 ? QStringLiteral("rot\rblau") : QString()}});
    CreateBlockTable(db, kKraft, QStringLiteral("TR_2"));
}

inline int count(Database &db, const QString &sql, const QVariantList &values = {}) {
    Statement st(db, sql);
    for (int i = 0; i < values.size(); ++i)
        st.bind(i + 1, values[i]);
    return st.step() ? st.value(0).toInt() : -1;
}

} // namespace velmora::test::forms
