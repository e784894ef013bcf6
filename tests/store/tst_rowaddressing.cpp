// Cursors write the row they stand on and no other, and say so when that
// row is gone.
#include "store/Cursor.h"
#include "store/Schema.h"
#include "support/TempInstallation.h"

#include <QTest>

using namespace velmora;
using velmora::test::TempInstallation;

namespace {
QString column(Database &db, const QString &sql) {
    Statement st(db, sql);
    return st.step() ? st.value(0).toString() : QString();
}
} // namespace

class TestRowAddressing : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void userColumnNamedLikeTheRowId_data();
    void userColumnNamedLikeTheRowId();
    void postToADeletedRowKeepsTheTyping();
};

void TestRowAddressing::userColumnNamedLikeTheRowId_data() {
    QTest::addColumn<QStringList>("names");
    QTest::newRow("rowid") << QStringList{QStringLiteral("rowid")};
    QTest::newRow("OID") << QStringList{QStringLiteral("OID")};
    QTest::newRow("_rowid_ and rowid") << QStringList{QStringLiteral("_rowid_"), QStringLiteral("RowId")};
}

void TestRowAddressing::userColumnNamedLikeTheRowId() {
    QFETCH(QStringList, names);
    TempInstallation inst;
    Database &db = inst.db();
    TableDef def{QStringLiteral("TR_1"),
                 blockKeyFields(),
                 {QStringLiteral("SerienNr"), QStringLiteral("TrNr"), QStringLiteral("Order")},
                 {}};
    for (const QString &n : names)
        def.fields.push_back(FieldDef(n, FieldType::Long));
    def.fields.push_back(FieldDef(QStringLiteral("Puls"), FieldType::Long));
    db.createTable(def);
    // Every row holds the same value in the user's columns.
    QStringList userCols;
    for (const QString &n : names)
        userCols << quoteIdentifier(n);
    for (int order = 1; order <= 3; ++order)
        db.exec(QStringLiteral("INSERT INTO TR_1 (SerienNr, TrNr, \"Order\", %1, Puls) VALUES (1, 1, %2, %3, 100)")
                    .arg(userCols.join(QLatin1String(", ")))
                    .arg(order)
                    .arg(QStringList(names.size(), QStringLiteral("7")).join(QLatin1String(", "))));

    Cursor rows(db, QStringLiteral("TR_1"));
    rows.open();
    rows.next();
    QCOMPARE(rows.asInt(QStringLiteral("Order")), 2);
    QCOMPARE(rows.asInt(names.first()), 7);
    rows.edit();
    rows.setValue(QStringLiteral("Puls"), 160);
    rows.post();
    QCOMPARE(
        column(db, QStringLiteral("SELECT group_concat(Puls, ' ') FROM (SELECT Puls FROM TR_1 ORDER BY \"Order\")")),
        QStringLiteral("100 160 100"));
    QCOMPARE(rows.asInt(QStringLiteral("Order")), 2);
    rows.deleteRow();
    QCOMPARE(
        column(db, QStringLiteral("SELECT group_concat(\"Order\", ' ') FROM (SELECT \"Order\" FROM TR_1 ORDER BY 1)")),
        QStringLiteral("1 3"));
    QCOMPARE(rows.recordCount(), 2);
}

void TestRowAddressing::postToADeletedRowKeepsTheTyping() {
    TempInstallation inst;
    Database &db = inst.db();
    db.exec(QStringLiteral("INSERT INTO PERSON (PersonNr, Nachname) VALUES (65537, 'Berg'), (65538, 'Lang')"));
    Cursor window1(db, QStringLiteral("PERSON"));
    Cursor window2(db, QStringLiteral("PERSON"));
    window1.open();
    window2.open();
    window1.edit();
    window1.setValue(QStringLiteral("Vorname"), QStringLiteral("Anna"));
    window2.deleteRow();
    try {
        window1.post();
        QFAIL("the post of a deleted row reported success");
    } catch (const VelmoraError &e) {
        QCOMPARE(e.message(), Cursor::kRowDeleted);
    }
    QVERIFY(window1.isEditing());
    QVERIFY(window1.isModified());
    QCOMPARE(window1.asString(QStringLiteral("Vorname")), QStringLiteral("Anna"));
    QCOMPARE(db.rowCount(QStringLiteral("PERSON")), 1);
    // Cancelling lets go of the edit; the cursor reads the remaining row.
    window1.cancel();
    window1.refresh();
    QCOMPARE(window1.asString(QStringLiteral("Nachname")), QStringLiteral("Lang"));
}

QTEST_GUILESS_MAIN(TestRowAddressing)
#include "tst_rowaddressing.moc"
