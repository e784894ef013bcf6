#include "store/Cursor.h"
#include "store/Database.h"
#include "store/Engine.h"
#include "support/TempInstallation.h"

#include <QCryptographicHash>
#include <QFile>
#include <QTest>

using namespace velmora;
using velmora::test::TempInstallation;

class TestDatabase : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void tableNamesInAnyCase_data();
    void tableNamesInAnyCase();
    void fieldDefinitionsReadBack_data();
    void fieldDefinitionsReadBack();
    void createLikeIntoOtherDatabase();
    void createReplacesAndDrops();
    void listByPattern();
    void missingTableNamesIt();
    void malformedSqlCarriesEngineText();
    void foreignFileRefusedAndUntouched();
    void nestedTransactions();
    void engineIniWithoutPathRefused();
    void replacingATableAnOpenCursorReads();
    void droppingATableAnotherCursorReads();
    void unknownQuotedNameIsNoText();
    void damagedSchemaIsNoEmptyDatabase();
};

void TestDatabase::tableNamesInAnyCase_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("expected");
    QTest::newRow("upper") << "TR" << "TR";
    QTest::newRow("mixed") << "Tr" << "TR";
    QTest::newRow("with .DB") << "Trfield.DB" << "TRFIELD";
    QTest::newRow("lower .db") << "trusetbl.db" << "TRuseTBL";
    QTest::newRow("missing") << "TR_99" << "";
}

void TestDatabase::tableNamesInAnyCase() {
    QFETCH(QString, name);
    QFETCH(QString, expected);
    TempInstallation inst;
    QCOMPARE(inst.db().resolveTable(name), expected);
}

void TestDatabase::fieldDefinitionsReadBack_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("size");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QVariant>("expected");
    using T = FieldType;
    QTest::newRow("alpha keeps leading zero") << int(T::Alpha) << 2 << QVariant(QStringLiteral("05")) << QVariant(QStringLiteral("05"));
    QTest::newRow("alpha cut to width") << int(T::Alpha) << 5 << QVariant(QStringLiteral("Langstrecke")) << QVariant(QStringLiteral("Langs"));
    QTest::newRow("short") << int(T::Short) << 0 << QVariant(-12) << QVariant(-12);
    QTest::newRow("long") << int(T::Long) << 0 << QVariant(65537) << QVariant(65537);
    QTest::newRow("number") << int(T::Number) << 0 << QVariant(2.5) << QVariant(2.5);
    QTest::newRow("number from German text") << int(T::Number) << 0 << QVariant(QStringLiteral("3,25")) << QVariant(3.25);
    QTest::newRow("logical") << int(T::Logical) << 0 << QVariant(true) << QVariant(true);
    QTest::newRow("date") << int(T::Date) << 0 << QVariant(QDate(2026, 1, 5)) << QVariant(QDate(2026, 1, 5));
    QTest::newRow("date from German text") << int(T::Date) << 0 << QVariant(QStringLiteral("05.01.2026")) << QVariant(QDate(2026, 1, 5));
    QTest::newRow("time") << int(T::Time) << 0 << QVariant(QTime(1, 2, 3)) << QVariant(QTime(1, 2, 3));
    QTest::newRow("timestamp") << int(T::Timestamp) << 0 << QVariant(QDateTime(QDate(2026, 1, 5), QTime(8, 30)))
                               << QVariant(QDateTime(QDate(2026, 1, 5), QTime(8, 30)));
    QTest::newRow("memo") << int(T::Memo) << 1 << QVariant(QStringLiteral("Zeile 1\rZeile 2")) << QVariant(QStringLiteral("Zeile 1\rZeile 2"));
    QTest::newRow("fmtmemo") << int(T::FmtMemo) << 1 << QVariant(QStringLiteral("{\\rtf1}")) << QVariant(QStringLiteral("{\\rtf1}"));
    QTest::newRow("blob") << int(T::Blob) << 0 << QVariant(QByteArray("\x00\x01\x02", 3)) << QVariant(QByteArray("\x00\x01\x02", 3));
}

void TestDatabase::fieldDefinitionsReadBack() {
    QFETCH(int, type);
    QFETCH(int, size);
    QFETCH(QVariant, value);
    QFETCH(QVariant, expected);
    TempInstallation inst;
    Database &db = inst.db();
    const FieldDef field(QStringLiteral("Wert"), FieldType(type), size);
    db.createTable({QStringLiteral("T_TYPES"), {FieldDef(QStringLiteral("Nr"), FieldType::Long), field}, {QStringLiteral("Nr")}, {}});
    const FieldDefs defs = db.fieldDefs(QStringLiteral("t_types.db"));
    QCOMPARE(defs.size(), size_t(2));
    QCOMPARE(int(defs[1].type), type);
    QCOMPARE(defs[1].size, size);
    QCOMPARE(db.primaryKey(QStringLiteral("T_TYPES")), QStringList{QStringLiteral("Nr")});

    Statement ins(db, QStringLiteral("INSERT INTO T_TYPES VALUES (1, ?)"));
    ins.bind(1, value, field.type, field.size);
    ins.step();
    Statement sel(db, QStringLiteral("SELECT Wert FROM T_TYPES"));
    QVERIFY(sel.step());
    QCOMPARE(sel.value(0, field.type), expected);
}

void TestDatabase::createLikeIntoOtherDatabase() {
    TempInstallation inst;
    Database &copy = inst.copyDb();
    copy.createTableLike(QStringLiteral("PERSON.DB"), inst.db(), QStringLiteral("person"));
    const TableDef a = inst.db().tableDef(QStringLiteral("PERSON"));
    const TableDef b = copy.tableDef(QStringLiteral("PERSON"));
    QVERIFY(a.fields == b.fields);
    QCOMPARE(b.primaryKey, a.primaryKey);
    QVERIFY(a.indexes == b.indexes);
    QCOMPARE(b.indexes.size(), size_t(2));
    QVERIFY(!copy.tableExists(QStringLiteral("TR")));
}

void TestDatabase::createReplacesAndDrops() {
    TempInstallation inst;
    Database &db = inst.db();
    const TableDef def{QStringLiteral("TR_7"),
                       {FieldDef(QStringLiteral("SerienNr"), FieldType::Short), FieldDef(QStringLiteral("TrNr"), FieldType::Long),
                        FieldDef(QStringLiteral("Order"), FieldType::Short)},
                       {QStringLiteral("SerienNr"), QStringLiteral("TrNr"), QStringLiteral("Order")},
                       {}};
    db.createTable(def);
    db.exec(QStringLiteral("INSERT INTO TR_7 VALUES (1, 1, 0)"));
    QCOMPARE(db.rowCount(QStringLiteral("TR_7")), 1);
    db.createTable(def);  // an existing table of that name is replaced
    QCOMPARE(db.rowCount(QStringLiteral("TR_7")), 0);
    QVERIFY_THROWS_EXCEPTION(EngineError, db.exec(QStringLiteral("INSERT INTO TR_7 VALUES (1, 1, 0), (1, 1, 0)")));
    QCOMPARE(db.rowCount(QStringLiteral("TR_7")), 0);
    db.dropTable(QStringLiteral("tr_7.DB"));
    QVERIFY(!db.tableExists(QStringLiteral("TR_7")));
    QVERIFY_THROWS_EXCEPTION(EngineError, db.dropTable(QStringLiteral("TR_7")));
}

void TestDatabase::listByPattern() {
    TempInstallation inst;
    Database &db = inst.db();
    for (const char *n : {"TR_1", "TR_12", "TRX"})
        db.createTable({QString::fromLatin1(n), {FieldDef(QStringLiteral("A"), FieldType::Long)}, {}, {}});
    QCOMPARE(db.tables(QStringLiteral("TR_*")), (QStringList{QStringLiteral("TR_1"), QStringLiteral("TR_12")}));
    QCOMPARE(db.tables(QStringLiteral("tr_*.DB")), (QStringList{QStringLiteral("TR_1"), QStringLiteral("TR_12")}));
    QCOMPARE(db.tables(QStringLiteral("TR?")), QStringList{QStringLiteral("TRX")});
    QCOMPARE(db.tables(QStringLiteral("TR_?")), QStringList{QStringLiteral("TR_1")});
    QVERIFY(db.tables().contains(QStringLiteral("Profil")));
}

void TestDatabase::missingTableNamesIt() {
    TempInstallation inst;
    try {
        inst.db().fieldDefs(QStringLiteral("TR_42"));
        QFAIL("no error");
    } catch (const EngineError &e) {
        QVERIFY2(e.message().contains(QLatin1String("no such table: TR_42")), qPrintable(e.message()));
    }
}

void TestDatabase::malformedSqlCarriesEngineText() {
    TempInstallation inst;
    try {
        Statement st(inst.db(), QStringLiteral("selec * from TR"));
        QFAIL("no error");
    } catch (const EngineError &e) {
        QVERIFY2(e.message().contains(QLatin1String("syntax error")), qPrintable(e.message()));
        QVERIFY(e.message().contains(QLatin1String("selec * from TR")));
    }
}

void TestDatabase::foreignFileRefusedAndUntouched() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QString::fromLatin1(Database::kFileName));
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray("Dies ist keine Datenbank, sondern ein Brief.\n").repeated(200));
    }
    auto hash = [&] {
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
    };
    const QByteArray before = hash();
    try {
        Database db(QStringLiteral("DBLOG"), dir.path());
        QFAIL("opened a foreign file");
    } catch (const EngineError &e) {
        QVERIFY2(e.message().contains(QStringLiteral("keine gültige Datenbank")), qPrintable(e.message()));
    }
    QCOMPARE(hash(), before);
    QVERIFY(!QFile::exists(path + QStringLiteral("-wal")));
    QVERIFY(!QFile::exists(path + QStringLiteral("-journal")));
}

void TestDatabase::nestedTransactions() {
    TempInstallation inst;
    Database &db = inst.db();
    {
        Transaction outer(db);
        db.exec(QStringLiteral("INSERT INTO OPEN (Type, Name) VALUES ('P', 'eins')"));
        {
            Transaction inner(db);
            db.exec(QStringLiteral("INSERT INTO OPEN (Type, Name) VALUES ('P', 'zwei')"));
        }  // inner rolled back
        outer.commit();
    }
    QCOMPARE(db.rowCount(QStringLiteral("OPEN")), 1);
    {
        Transaction outer(db);
        db.exec(QStringLiteral("INSERT INTO OPEN (Type, Name) VALUES ('P', 'drei')"));
        Transaction inner(db);
        inner.commit();
    }  // outer rolled back
    QCOMPARE(db.rowCount(QStringLiteral("OPEN")), 1);
    QVERIFY(!db.inTransaction());
}

void TestDatabase::engineIniWithoutPathRefused() {
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("engine.ini"));
    QFile f(ini);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("[DBLOG]\nDIR=/tmp/x\n\n[DBLOG_COPY]\nPATH=/tmp/y\n");
    f.close();
    QVERIFY_THROWS_EXCEPTION(EngineError, Engine::readConfig(ini));
    QVERIFY_THROWS_EXCEPTION(EngineError, Engine(ini, dir.path()));
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("DBLOG"))));
}

void TestDatabase::replacingATableAnOpenCursorReads() {
    TempInstallation inst;
    Database &db = inst.db();
    const TableDef def{QStringLiteral("TMP00001"), {FieldDef(QStringLiteral("Nr"), FieldType::Long)}, {QStringLiteral("Nr")}, {}};
    db.createTable(def);
    db.exec(QStringLiteral("INSERT INTO TMP00001 VALUES (1), (2), (3)"));
    Cursor c(db, QStringLiteral("TMP00001"));
    c.open();
    c.next();  // reading forward through an open statement
    QCOMPARE(c.asInt(QStringLiteral("Nr")), 2);
    db.createTable(def);  // SQLite refuses to drop a table a statement still reads
    db.exec(QStringLiteral("INSERT INTO TMP00001 VALUES (7)"));
    c.refresh();
    QCOMPARE(c.recordCount(), 1);
    QCOMPARE(c.asInt(QStringLiteral("Nr")), 7);
    QVERIFY_THROWS_EXCEPTION(EngineError, [&] {
        c.first();
        db.dropTable(QStringLiteral("TMP00001"));
        c.first();  // the table is gone
    }());
}

// A cursor reading forward through another table must not block the drop.
void TestDatabase::droppingATableAnotherCursorReads() {
    TempInstallation inst;
    Database &db = inst.db();
    const TableDef def{
        QStringLiteral("TMP00001"), {FieldDef(QStringLiteral("Nr"), FieldType::Long)}, {QStringLiteral("Nr")}, {}};
    for (const char *name : {"TMP00001", "TMP00002"}) {
        TableDef d = def;
        d.name = QLatin1String(name);
        db.createTable(d);
        db.exec(QStringLiteral("INSERT INTO %1 VALUES (1), (2), (3)").arg(QLatin1String(name)));
    }
    Cursor c(db, QStringLiteral("TMP00002"));
    c.open();
    c.next();
    QCOMPARE(c.asInt(QStringLiteral("Nr")), 2);
    db.dropTable(QStringLiteral("TMP00001"));
    QVERIFY(!db.tableExists(QStringLiteral("TMP00001")));
    c.next();
    QCOMPARE(c.asInt(QStringLiteral("Nr")), 3);
    db.createTable(def); // replacing a table that does not exist any more
    c.prior();
    QCOMPARE(c.asInt(QStringLiteral("Nr")), 2);
}

// SQLite would otherwise read an unknown double-quoted name as text, and a
// mistranslated statement would run on with a constant.
void TestDatabase::unknownQuotedNameIsNoText() {
    TempInstallation inst;
    QVERIFY_THROWS_EXCEPTION(EngineError, Statement(inst.db(), QStringLiteral("SELECT \"Keine Spalte\" FROM TR")));
    Statement known(inst.db(), QStringLiteral("SELECT \"TrNr\", 'Text' FROM TR"));
    QCOMPARE(known.columnCount(), 2);
}

// A schema that cannot be read raises; it must never read as "no tables".
void TestDatabase::damagedSchemaIsNoEmptyDatabase() {
    TempInstallation inst;
    Database &db = inst.db();
    QVERIFY(db.tableExists(QStringLiteral("TRVALUE")));
    sqlite3 *other = nullptr;
    QCOMPARE(sqlite3_open(QFile::encodeName(db.filePath()).constData(), &other), SQLITE_OK);
    Statement version(db, QStringLiteral("PRAGMA schema_version"));
    QVERIFY(version.step());
    const int next = sqlite3_column_int(version.get(), 0) + 1;
    version.reset();
    const QByteArray damage = "PRAGMA writable_schema = ON; "
                              "UPDATE sqlite_master SET sql = 'CREATE TABLE TRVALUE (' WHERE name = 'TRVALUE'; "
                              "PRAGMA schema_version = " +
                              QByteArray::number(next) + "; PRAGMA writable_schema = OFF;";
    QCOMPARE(sqlite3_exec(other, damage.constData(), nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(other);
    // The table list was read before the damage; the key and index readers notice it.
    QVERIFY_THROWS_EXCEPTION(EngineError, db.primaryKey(QStringLiteral("TR")));
    QVERIFY_THROWS_EXCEPTION(EngineError, db.indexes(QStringLiteral("TR")));
    db.invalidateSchema();
    QVERIFY_THROWS_EXCEPTION(EngineError, db.tables());
}

QTEST_GUILESS_MAIN(TestDatabase)
#include "tst_database.moc"
