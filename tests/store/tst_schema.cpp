#include "store/Cursor.h"
#include "store/Keys.h"
#include "store/Schema.h"
#include "support/TempInstallation.h"

#include <QTest>

using namespace velmora;
using velmora::test::TempInstallation;

class TestSchema : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void fixedTables_data();
    void fixedTables();
    void trColumnOrder();
    void block0Shipped();
    void createTwiceKeepsRows();
    void objectKeys_data();
    void objectKeys();
    void exhaustedBlockRefused();
    void entryNumbers();
};

void TestSchema::fixedTables_data() {
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("column");
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("size");
    QTest::addColumn<QString>("key");
    using T = FieldType;
    QTest::newRow("TR.SerienNr int16") << "TR" << "SerienNr" << int(T::Short) << 0 << "SerienNr;TrNr";
    QTest::newRow("TR.Woche text(2)") << "TR" << "Woche" << int(T::Alpha) << 2 << "SerienNr;TrNr";
    QTest::newRow("TRTABLE.Name text(40)") << "TRTABLE" << "Name" << int(T::Alpha) << 40 << "TableNr";
    QTest::newRow("TRFIELD.Größe int16") << "TRFIELD" << "Größe" << int(T::Short) << 0 << "TableNr;Order";
    QTest::newRow("TRFIELD.DisplayMask text(12)") << "TRFIELD" << "DisplayMask" << int(T::Alpha) << 12 << "TableNr;Order";
    QTest::newRow("TRuseTBL.TableNr") << "TRuseTBL" << "TableNr" << int(T::Long) << 0 << "FormularNr;Order;TableNr";
    QTest::newRow("FFIELD.Werte memo") << "FFIELD" << "Werte" << int(T::Memo) << 1 << "FormularNr;Order";
    QTest::newRow("TRVALUE.Value text(24)") << "TRVALUE" << "Value" << int(T::Alpha) << 24 << "ValueNr";
    QTest::newRow("TRuseVAL.FeldNr int16") << "TRuseVAL" << "FeldNr" << int(T::Short) << 0 << "FormularNr;TableNr;FeldNr;Order";
    QTest::newRow("PERSON.Paßwort int32") << "PERSON" << "Paßwort" << int(T::Long) << 0 << "PersonNr";
    QTest::newRow("PERSON.Geburtsdatum date") << "PERSON" << "Geburtsdatum" << int(T::Date) << 0 << "PersonNr";
    QTest::newRow("ADRESSE.Telefon") << "ADRESSE" << "Telefon" << int(T::Alpha) << 20 << "Telefon";
    QTest::newRow("AUSWERT.Geändert logical") << "AUSWERT" << "Geändert" << int(T::Logical) << 0 << "AuswertungNr";
    QTest::newRow("AFIELD.Display text(50)") << "AFIELD" << "Display" << int(T::Alpha) << 50 << "AuswertungNr;FeldNr";
    QTest::newRow("ATABLE.TableNr") << "ATABLE" << "TableNr" << int(T::Long) << 0 << "";
    QTest::newRow("ANALYSE.BLOB blob") << "ANALYSE" << "BLOB" << int(T::Blob) << 0 << "AnalyseNr";
    QTest::newRow("ANAuseAW.Sheet text(20)") << "ANAuseAW" << "Sheet" << int(T::Alpha) << 20 << "";
    QTest::newRow("FILTER.Von date-time") << "FILTER" << "Von" << int(T::Timestamp) << 0 << "FilterNr";
    QTest::newRow("OPEN.Name text(40)") << "OPEN" << "Name" << int(T::Alpha) << 40 << "";
    QTest::newRow("Profil.OpenExtend logical") << "Profil" << "OpenExtend" << int(T::Logical) << 0 << "PersonNr";
}

void TestSchema::fixedTables() {
    QFETCH(QString, table);
    QFETCH(QString, column);
    QFETCH(int, type);
    QFETCH(int, size);
    QFETCH(QString, key);
    TempInstallation inst;
    Database &db = inst.db();
    const int i = db.fieldIndex(table, column);
    QVERIFY2(i >= 0, qPrintable(column));
    const FieldDef &f = db.fieldDefs(table)[size_t(i)];
    QCOMPARE(f.name, column);
    QCOMPARE(int(f.type), type);
    QCOMPARE(f.size, size);
    QCOMPARE(db.primaryKey(table).join(QLatin1Char(';')), key);
}

void TestSchema::trColumnOrder() {
    TempInstallation inst;
    QStringList names;
    for (const FieldDef &f : inst.db().fieldDefs(QStringLiteral("TR")))
        names << f.name;
    QCOMPARE(names.mid(0, 12), (QStringList{"SerienNr", "TrNr", "PersonNr", "Datum", "Beschreibung", "Timestamp", "Woche",
                                            "Wochentag", "FormularNr", "Art", "AutorNr", "ProjektNr"}));
    QVERIFY(names.contains(QStringLiteral("Kat")) && names.contains(QStringLiteral("Zeit")));
    // Every index order the windows open the fixed tables in exists.
    Database &db = inst.db();
    QCOMPARE(db.indexFields(QStringLiteral("TR"), QStringLiteral("KatPersonDatum")),
             (QStringList{"Kat", "PersonNr", "Datum", "Zeit"}));
    QCOMPARE(db.indexFields(QStringLiteral("ATABLE"), QStringLiteral("Table")), QStringList{"TableNr"});
    QCOMPARE(db.indexFields(QStringLiteral("OPEN"), QStringLiteral("TypeNameKey1")), (QStringList{"Type", "Name", "Key1"}));
}

void TestSchema::block0Shipped() {
    TempInstallation inst;
    Cursor blocks(inst.db(), QStringLiteral("TRTABLE"));
    blocks.open();
    QVERIFY(blocks.findKey({0}));
    QCOMPARE(blocks.asString(QStringLiteral("Filename")), QStringLiteral("TR"));
    QVERIFY(blocks.asString(QStringLiteral("Art")) != QLatin1String("T"));
    QCOMPARE(blocks.asInt(QStringLiteral("Height")), 92);  // date and description
    Cursor fields(inst.db(), QStringLiteral("TRFIELD"));
    fields.open();
    QVERIFY(fields.findKey({0, 1}));
    QCOMPARE(fields.asString(QStringLiteral("Feldname")), QStringLiteral("Datum"));
    QCOMPARE(fields.asInt(QStringLiteral("Top")), 4);
    QVERIFY(fields.findKey({0, 4}));
    QCOMPARE(fields.asString(QStringLiteral("Feldname")), QStringLiteral("Beschreibung"));
    QCOMPARE(fields.asInt(QStringLiteral("Top")), 28);
    QCOMPARE(fields.asInt(QStringLiteral("Height")), 60);
    // Every block-0 field names a real column of TR.
    for (fields.first(); !fields.eof(); fields.next())
        QVERIFY(inst.db().fieldIndex(QStringLiteral("TR"), fields.asString(QStringLiteral("Feldname"))) >= 0);
    // New blocks carry "T" without being told.
    blocks.append();
    blocks.setValue(QStringLiteral("TableNr"), 65537);
    blocks.post();
    QCOMPARE(blocks.asString(QStringLiteral("Art")), QStringLiteral("T"));
}

void TestSchema::createTwiceKeepsRows() {
    TempInstallation inst;
    Database &db = inst.db();
    db.exec(QStringLiteral("INSERT INTO PERSON (PersonNr, Nachname) VALUES (65537, 'Berg')"));
    db.exec(QStringLiteral("UPDATE TRFIELD SET Prefix = 'Tag' WHERE TableNr = 0 AND \"Order\" = 1"));
    const qint64 fields = db.rowCount(QStringLiteral("TRFIELD"));
    createFixedTables(db);
    QCOMPARE(db.rowCount(QStringLiteral("PERSON")), 1);
    QCOMPARE(db.rowCount(QStringLiteral("TRFIELD")), fields);
    Cursor c(db, QStringLiteral("TRFIELD"));
    c.open();
    QVERIFY(c.findKey({0, 1}));
    QCOMPARE(c.asString(QStringLiteral("Prefix")), QStringLiteral("Tag"));
}

void TestSchema::objectKeys_data() {
    QTest::addColumn<int>("serial");
    QTest::addColumn<QList<int>>("existing");
    QTest::addColumn<int>("expected");
    QTest::newRow("empty block") << 3 << QList<int>{} << 3 * 65536 + 1;
    QTest::newRow("one above the highest") << 3 << QList<int>{3 * 65536 + 1, 3 * 65536 + 7} << 3 * 65536 + 8;
    QTest::newRow("other installations ignored") << 3 << QList<int>{2 * 65536 + 9, 4 * 65536 + 2, 5} << 3 * 65536 + 1;
    QTest::newRow("mixed") << 1 << QList<int>{65537, 65540, 2 * 65536 + 1} << 65541;
    QTest::newRow("installation 32767") << 32767 << QList<int>{} << int(32767LL * 65536 + 1);
}

void TestSchema::objectKeys() {
    QFETCH(int, serial);
    QFETCH(QList<int>, existing);
    QFETCH(int, expected);
    TempInstallation inst(serial);
    Database &db = inst.db();
    for (int k : existing)
        db.exec(QStringLiteral("INSERT INTO FILTER (FilterNr, Name) VALUES (%1, 'f')").arg(k));
    QCOMPARE(nextObjectKey(db, QStringLiteral("FILTER"), QStringLiteral("FilterNr"), serial), expected);
}

void TestSchema::exhaustedBlockRefused() {
    TempInstallation inst(2);
    Database &db = inst.db();
    db.exec(QStringLiteral("INSERT INTO TRVALUE (ValueNr) VALUES (%1)").arg(3 * 65536 - 1));
    try {
        nextObjectKey(db, QStringLiteral("TRVALUE"), QStringLiteral("ValueNr"), 2);
        QFAIL("a key of the next installation was handed out");
    } catch (const VelmoraError &e) {
        QCOMPARE(e.message(), QStringLiteral("Der Nummernbereich dieser Installation ist erschöpft."));
    }
}

void TestSchema::entryNumbers() {
    TempInstallation inst(4);
    Database &db = inst.db();
    QCOMPARE(nextEntryNumber(db, 4), 1);
    // Rows of another installation neither count nor collide.
    db.exec(QStringLiteral("INSERT INTO TR (SerienNr, TrNr) VALUES (9, 1), (9, 50)"));
    QCOMPARE(nextEntryNumber(db, 4), 1);
    db.exec(QStringLiteral("INSERT INTO TR (SerienNr, TrNr) VALUES (4, 1), (4, 2)"));
    QCOMPARE(nextEntryNumber(db, 4), 3);
    QVERIFY(serialInUse(db, 9));
    QVERIFY(!serialInUse(db, 5));
}

QTEST_GUILESS_MAIN(TestSchema)
#include "tst_schema.moc"
