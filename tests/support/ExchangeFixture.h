#pragma once

// Two installations that exchange data: each has its own installation
// number, persons, blocks, a form, pick-list values, a filter and an
// evaluation; the sender's block "Lauf" lives in TR_3.

#include "store/Cursor.h"
#include "store/Database.h"
#include "support/EntryFixture.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QStringList>

namespace velmora::test {

struct ExchangeClub {
    // Block files of the sender: two blocks before "Lauf" (TR_1, TR_2), "Lauf"
    // TR_3, "Kraft" TR_4. The receiver has eight blocks TR_1 ... TR_8 of its own.
    // create false: the club is there already (for adding entries).
    ExchangeClub(Database &database, int serialNr, int ownBlocks, bool create = true)
        : db(database), serial(serialNr), base(serialNr * 65536), coach(base + 1), athlete(base + 2), lauf(base + 101),
          kraft(base + 102), form(base + 1), value(base + 1), filter(base + 1), evaluation(base + 1) {
        if (!create) {
            sender = ownBlocks <= 2;
            return;
        }
        Transaction tx(db);
        InsertRow(db, QStringLiteral("PERSON"),
                  {{QStringLiteral("PersonNr"), coach},
                   {QStringLiteral("Nachname"), QStringLiteral("Trainer%1").arg(serial)},
                   {QStringLiteral("Sex"), QStringLiteral("M")},
                   {QStringLiteral("TrainerNr"), coach}});
        InsertRow(db, QStringLiteral("PERSON"),
                  {{QStringLiteral("PersonNr"), athlete},
                   {QStringLiteral("Nachname"), QStringLiteral("Athlet%1").arg(serial)},
                   {QStringLiteral("Sex"), QStringLiteral("F")},
                   {QStringLiteral("TrainerNr"), coach}});
        for (int i = 1; i <= ownBlocks; ++i)
            AddBlock(db, base + i, QStringLiteral("TR_%1").arg(i), false, {FieldSpec(QStringLiteral("Wert"), "I")});
        if (ownBlocks > 2) {
            tx.commit();
            return;
        }
        sender = true;
        AddBlock(db, lauf, QStringLiteral("TR_3"), true,
                 {FieldSpec(QStringLiteral("Dauer"), "I"), FieldSpec(QStringLiteral("Notiz"), "A", 30)});
        AddBlock(db, kraft, QStringLiteral("TR_4"), false, {FieldSpec(QStringLiteral("Gewicht"), "I")});
        InsertRow(db, QStringLiteral("TR"),
                  {{QStringLiteral("SerienNr"), serial},
                   {QStringLiteral("TrNr"), 1},
                   {QStringLiteral("PersonNr"), coach},
                   {QStringLiteral("Datum"), QDateTime(QDate(2026, 1, 1), QTime(0, 0))},
                   {QStringLiteral("Beschreibung"), QStringLiteral("Laufformular")},
                   {QStringLiteral("FormularNr"), form},
                   {QStringLiteral("Art"), 1},
                   {QStringLiteral("AutorNr"), coach}});
        int ff = UseBlock(db, form, 1, lauf, {1, 2}, 1);
        UseBlock(db, form, 2, kraft, {1}, ff);
        InsertRow(db, QStringLiteral("TRVALUE"),
                  {{QStringLiteral("ValueNr"), value}, {QStringLiteral("Value"), QStringLiteral("locker")}});
        InsertRow(db, QStringLiteral("TRuseVAL"),
                  {{QStringLiteral("FormularNr"), form},
                   {QStringLiteral("TableNr"), lauf},
                   {QStringLiteral("FeldNr"), 2},
                   {QStringLiteral("ValueNr"), value},
                   {QStringLiteral("Order"), 1}});
        InsertRow(db, QStringLiteral("FILTER"),
                  {{QStringLiteral("FilterNr"), filter},
                   {QStringLiteral("Name"), QStringLiteral("Ausdauer")},
                   {QStringLiteral("PersonNr"), coach},
                   {QStringLiteral("Art"), 2}});
        InsertRow(db, QStringLiteral("AUSWERT"),
                  {{QStringLiteral("AuswertungNr"), evaluation},
                   {QStringLiteral("Auswertung"), QStringLiteral("Umfang")},
                   {QStringLiteral("TrainerNr"), coach}});
        InsertRow(db, QStringLiteral("AFIELD"),
                  {{QStringLiteral("AuswertungNr"), evaluation},
                   {QStringLiteral("FeldNr"), 1},
                   {QStringLiteral("Name"), QStringLiteral("Dauer")},
                   {QStringLiteral("TableNr"), lauf},
                   {QStringLiteral("Order"), 1}});
        InsertRow(db, QStringLiteral("ATABLE"),
                  {{QStringLiteral("AuswertungNr"), evaluation}, {QStringLiteral("TableNr"), lauf}});
        tx.commit();
    }

    // A protocol (art 2) or plan (art 3) of the athlete with `rows` rows in
    // "Lauf" and one in "Kraft"; returns its TrNr.
    int addEntry(int art, const QDate &day, const QString &text, int rows = 2) {
        Statement next(db, QStringLiteral("SELECT coalesce(max(TrNr), 0) + 1 FROM TR WHERE SerienNr = ?"));
        next.bind(1, serial);
        next.step();
        const int trNr = next.value(0).toInt();
        Statement tr(db, QStringLiteral("INSERT INTO TR (SerienNr, TrNr, PersonNr, Datum, Beschreibung, "
                                        "\"Timestamp\", Woche, Wochentag, FormularNr, Art, AutorNr) "
                                        "VALUES (?, ?, ?, ?, ?, ?, '02', '1', ?, ?, ?)"));
        const QVariantList values{serial,  trNr,
                                  athlete, day.toString(Qt::ISODate) + QStringLiteral(" 00:00:00.000"),
                                  text,    QStringLiteral("2026-02-01 10:00:00.000"),
                                  form,    art,
                                  coach};
        for (int i = 0; i < values.size(); ++i)
            tr.bind(i + 1, values[i]);
        tr.step();
        if (!sender)
            return trNr;
        Statement lauf3(db, QStringLiteral("INSERT INTO TR_3 VALUES (?, ?, ?, ?, ?)"));
        for (int r = 0; r < rows; ++r) {
            lauf3.reset();
            const QVariantList row{serial, trNr, r, 30 + r, QStringLiteral("%1/%2").arg(text).arg(r)};
            for (int i = 0; i < row.size(); ++i)
                lauf3.bind(i + 1, row[i]);
            lauf3.step();
        }
        Statement kraft4(db, QStringLiteral("INSERT INTO TR_4 VALUES (?, ?, 0, 80)"));
        kraft4.bind(1, serial);
        kraft4.bind(2, trNr);
        kraft4.step();
        return trNr;
    }

    Database &db;
    int serial, base, coach, athlete, lauf, kraft, form, value, filter, evaluation;
    bool sender = false; // has "Lauf" and "Kraft"; a receiver's entries have no block rows
};

// A value that changes whenever any row of any table changes.
inline QByteArray Fingerprint(Database &db) {
    QCryptographicHash hash(QCryptographicHash::Sha1);
    for (const QString &table : db.tables()) {
        hash.addData(table.toUtf8());
        Statement st(db, QStringLiteral("SELECT * FROM %1 ORDER BY 1, 2").arg(quoteIdentifier(table)));
        while (st.step())
            for (int i = 0; i < st.columnCount(); ++i)
                hash.addData(st.value(i).toString().toUtf8() + '|');
    }
    return hash.result().toHex();
}

inline int Count(Database &db, const QString &sql) {
    Statement st(db, sql);
    return st.step() ? st.value(0).toInt() : -1;
}

// The first column of every row the query gives, as text.
inline QStringList Column(Database &db, const QString &sql) {
    QStringList values;
    Statement st(db, sql);
    while (st.step())
        values << st.value(0).toString();
    return values;
}

} // namespace velmora::test
