// The database file as the engine meets it: old declarations, write
// protection, damage, locks of other programs and consistent snapshots.
#include "store/Cursor.h"
#include "store/Database.h"
#include "store/Schema.h"
#include "support/TempInstallation.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <chrono>
#include <future>
#include <thread>

using namespace velmora;
using velmora::test::TempInstallation;

namespace {
QByteArray fileHash(const QString &path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

// A second program's connection to the same file.
SqliteHandle otherConnection(const QString &path) {
    sqlite3 *raw = nullptr;
    sqlite3_open_v2(QFile::encodeName(path).constData(), &raw, SQLITE_OPEN_READWRITE, nullptr);
    return SqliteHandle(raw);
}

bool run(sqlite3 *db, const char *sql) {
    return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

qint64 countRows(sqlite3 *db, const char *sql) {
    sqlite3_stmt *raw = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &raw, nullptr) != SQLITE_OK)
        return -1;
    StatementHandle st(raw);
    return sqlite3_step(st.get()) == SQLITE_ROW ? sqlite3_column_int64(st.get(), 0) : -1;
}

// A database with the fixed tables and one person, closed again.
QString makeDatabase(const QTemporaryDir &dir) {
    Database db(QStringLiteral("DBLOG"), dir.path());
    createFixedTables(db);
    db.exec(QStringLiteral("INSERT INTO PERSON (PersonNr, Nachname) VALUES (65537, 'Berg')"));
    return db.filePath();
}
} // namespace

class TestDatabaseFiles : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void keyColumnsRefuseNull_data();
    void keyColumnsRefuseNull();
    void oldDeclarationsRebuiltWithTheirRows();
    void writeProtectedFileOpensReadOnly();
    void openFailuresNamed_data();
    void openFailuresNamed();
    void lockOfAnotherConnectionIsWaitedFor_data();
    void lockOfAnotherConnectionIsWaitedFor();
    void snapshotHoldsCommitsStillInTheLog();
};

void TestDatabaseFiles::keyColumnsRefuseNull_data() {
    QTest::addColumn<QString>("sql");
    QTest::newRow("TR without TrNr") << "INSERT INTO TR (SerienNr, PersonNr) VALUES (1, 5)";
    QTest::newRow("TRTABLE without TableNr") << "INSERT INTO TRTABLE (Name) VALUES ('Lauf')";
    QTest::newRow("TRFIELD without Order") << "INSERT INTO TRFIELD (TableNr, Feldname) VALUES (65537, 'Puls')";
    QTest::newRow("PERSON without PersonNr") << "INSERT INTO PERSON (Nachname) VALUES ('Berg')";
    QTest::newRow("Profil without PersonNr") << "INSERT INTO Profil (OpenData) VALUES (1)";
    QTest::newRow("block table without Order") << "INSERT INTO TR_1 (SerienNr, TrNr) VALUES (1, 1)";
}

void TestDatabaseFiles::keyColumnsRefuseNull() {
    QFETCH(QString, sql);
    TempInstallation inst;
    Database &db = inst.db();
    TableDef block{QStringLiteral("TR_1"),
                   blockKeyFields(),
                   {QStringLiteral("SerienNr"), QStringLiteral("TrNr"), QStringLiteral("Order")},
                   {}};
    db.createTable(block);
    try {
        db.exec(sql);
        QFAIL("a row without its key was stored");
    } catch (const EngineError &e) {
        QVERIFY2(e.message().contains(QStringLiteral("NOT NULL constraint failed")), qPrintable(e.message()));
    }
    // The same through a cursor, as a window would post it.
    Cursor persons(db, QStringLiteral("PERSON"));
    persons.open();
    persons.append();
    persons.setValue(QStringLiteral("Nachname"), QStringLiteral("Ohne Nummer"));
    QVERIFY_THROWS_EXCEPTION(EngineError, persons.post());
    QVERIFY(persons.isEditing());
    QCOMPARE(db.rowCount(QStringLiteral("PERSON")), 0);
}

void TestDatabaseFiles::oldDeclarationsRebuiltWithTheirRows() {
    QTemporaryDir dir;
    {
        Database db(QStringLiteral("DBLOG"), dir.path());
        createFixedTables(db);
        // How the key columns were declared before: NULL allowed.
        db.exec(
            QStringLiteral("DROP TABLE TRuseTBL;"
                           "CREATE TABLE \"TRuseTBL\" (\"FormularNr\" LONG, \"Order\" SHORT, \"TableNr\" LONG, "
                           "PRIMARY KEY (\"FormularNr\", \"Order\", \"TableNr\"));"
                           "CREATE INDEX \"TRuseTBL$FormularNr\" ON \"TRuseTBL\" (\"FormularNr\");"
                           "INSERT INTO TRuseTBL VALUES (65537, 1, 65538), (65537, 2, 65539), (65540, 1, 65538);"
                           "CREATE TABLE \"TR_1\" (\"SerienNr\" SHORT, \"TrNr\" LONG, \"Order\" SHORT, \"Puls\" LONG, "
                           "PRIMARY KEY (\"SerienNr\", \"TrNr\", \"Order\"));"
                           "INSERT INTO TR_1 VALUES (1, 1, 1, 140), (1, 1, 2, 150);"
                           // A row stored without its key: this table must keep it.
                           "CREATE TABLE \"TR_2\" (\"SerienNr\" SHORT, \"TrNr\" LONG, \"Order\" SHORT, \"Zeit\" TIME, "
                           "PRIMARY KEY (\"SerienNr\", \"TrNr\", \"Order\"));"
                           "INSERT INTO TR_2 VALUES (1, 1, NULL, '00:30:00.000');"));
    }
    Database db(QStringLiteral("DBLOG"), dir.path());
    createFixedTables(db);
    for (const char *table : {"TRuseTBL", "TR_1"})
        for (const FieldDef &f : db.fieldDefs(QLatin1String(table)))
            QCOMPARE(f.required, db.primaryKey(QLatin1String(table)).contains(f.name));
    QCOMPARE(db.primaryKey(QStringLiteral("TRuseTBL")),
             (QStringList{QStringLiteral("FormularNr"), QStringLiteral("Order"), QStringLiteral("TableNr")}));
    QCOMPARE(db.indexFields(QStringLiteral("TRuseTBL"), QStringLiteral("FormularNr")),
             QStringList{QStringLiteral("FormularNr")});
    Statement rows(db, QStringLiteral("SELECT group_concat(FormularNr || '/' || \"Order\" || '/' || TableNr, ' ') "
                                      "FROM (SELECT * FROM TRuseTBL ORDER BY 1, 2)"));
    QVERIFY(rows.step());
    QCOMPARE(rows.value(0).toString(), QStringLiteral("65537/1/65538 65537/2/65539 65540/1/65538"));
    Statement pulse(db, QStringLiteral("SELECT sum(Puls) FROM TR_1"));
    QVERIFY(pulse.step());
    QCOMPARE(pulse.value(0).toInt(), 290);
    QVERIFY_THROWS_EXCEPTION(EngineError, db.exec(QStringLiteral("INSERT INTO TR_1 (SerienNr, TrNr) VALUES (1, 2)")));
    QCOMPARE(db.rowCount(QStringLiteral("TR_2")), 1);
    QCOMPARE(db.tables(QStringLiteral("*__alt")), QStringList());
}

void TestDatabaseFiles::writeProtectedFileOpensReadOnly() {
    QTemporaryDir dir;
    const QString path = makeDatabase(dir);
    {
        // Write protection as SQLite sees it: the file's write version
        // (byte 18) above 2 holds even for a superuser, whom the file mode
        // does not stop.
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadWrite));
        QVERIFY(f.seek(18));
        QVERIFY(f.write(QByteArray(1, '\x03')) == 1);
    }
    QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther));
    const QByteArray before = fileHash(path);

    Database db(QStringLiteral("DBLOG"), dir.path());
    QVERIFY(db.isReadOnly());
    createFixedTables(db);
    Cursor persons(db, QStringLiteral("PERSON"));
    persons.open();
    QCOMPARE(persons.asString(QStringLiteral("Nachname")), QStringLiteral("Berg"));
    try {
        persons.edit();
        QFAIL("a read-only database was edited");
    } catch (const VelmoraError &e) {
        QCOMPARE(e.message(), QStringLiteral("Datenmenge nur mit Leseberechtigung geöffnet!"));
    }
    // The session keeps its own document list and profile.
    Cursor profile(db, QStringLiteral("Profil"));
    profile.open();
    profile.append();
    profile.setValue(QStringLiteral("PersonNr"), 65537);
    profile.post();
    QCOMPARE(db.rowCount(QStringLiteral("Profil")), 1);
    {
        Transaction tx(db);
        db.exec(QStringLiteral("INSERT INTO OPEN (Type, Name) VALUES ('P', 'Berg')"));
        tx.commit();
    }
    QCOMPARE(fileHash(path), before);
}

void TestDatabaseFiles::openFailuresNamed_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("expected");
    QTest::newRow("locked by another program") << "locked"
                                               << "ist gesperrt";
    QTest::newRow("damaged") << "damaged"
                             << "ist beschädigt";
    QTest::newRow("not a database") << "foreign"
                                    << "keine gültige Datenbank";
    QTest::newRow("not readable") << "directory"
                                  << "nicht lesbar oder nicht beschreibbar";
}

void TestDatabaseFiles::openFailuresNamed() {
    QFETCH(QString, kind);
    QFETCH(QString, expected);
    QTemporaryDir dir;
    const QString path = dir.filePath(QString::fromLatin1(Database::kFileName));
    SqliteHandle holder;
    if (kind == QLatin1String("locked")) {
        makeDatabase(dir);
        holder = otherConnection(path);
        QVERIFY(run(holder.get(), "PRAGMA locking_mode=EXCLUSIVE; BEGIN EXCLUSIVE; SELECT count(*) FROM PERSON;"));
    } else if (kind == QLatin1String("damaged")) {
        makeDatabase(dir);
        // The header of the schema page behind the file header.
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadWrite));
        QVERIFY(f.seek(100));
        f.write(QByteArray(12, '\x7f'));
    } else if (kind == QLatin1String("foreign")) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray("Ein Brief, keine Datenbank.\n").repeated(300));
    } else {
        QVERIFY(QDir(dir.path()).mkdir(QString::fromLatin1(Database::kFileName)));
    }
    const QByteArray before = fileHash(path);
    try {
        Database db(QStringLiteral("DBLOG"), dir.path());
        QFAIL("the file was opened");
    } catch (const EngineError &e) {
        QVERIFY2(e.message().contains(expected), qPrintable(e.message()));
        if (kind != QLatin1String("foreign"))
            QVERIFY2(!e.message().contains(QStringLiteral("keine gültige Datenbank")), qPrintable(e.message()));
    }
    QCOMPARE(fileHash(path), before);
}

void TestDatabaseFiles::lockOfAnotherConnectionIsWaitedFor_data() {
    QTest::addColumn<QString>("what");
    QTest::newRow("opening") << "open";
    QTest::newRow("one statement") << "write";
    QTest::newRow("write after a read in one transaction") << "transaction";
}

void TestDatabaseFiles::lockOfAnotherConnectionIsWaitedFor() {
    QFETCH(QString, what);
    QTemporaryDir dir;
    const QString path = makeDatabase(dir);
    std::unique_ptr<Database> db;
    if (what != QLatin1String("open"))
        db = std::make_unique<Database>(QStringLiteral("DBLOG"), dir.path());

    // Another program takes the lock and lets go of it after a moment.
    std::promise<bool> locked;
    std::future<bool> lockTaken = locked.get_future();
    std::thread other([&] {
        SqliteHandle c = otherConnection(path);
        const char *take = what == QLatin1String("open")
                               ? "PRAGMA locking_mode=EXCLUSIVE; BEGIN EXCLUSIVE; SELECT count(*) FROM PERSON;"
                               : "BEGIN IMMEDIATE; INSERT INTO PERSON (PersonNr, Nachname) VALUES (65538, 'Lang');";
        locked.set_value(run(c.get(), take));
        std::this_thread::sleep_for(std::chrono::milliseconds(600));
        run(c.get(), "COMMIT");
    });
    if (!lockTaken.get()) {
        other.join();
        QFAIL("the other connection could not take the lock");
    }
    try {
        if (what == QLatin1String("open")) {
            db = std::make_unique<Database>(QStringLiteral("DBLOG"), dir.path());
        } else if (what == QLatin1String("write")) {
            db->exec(QStringLiteral("INSERT INTO PERSON (PersonNr, Nachname) VALUES (65539, 'Kurz')"));
        } else {
            Transaction tx(*db);
            db->rowCount(QStringLiteral("PERSON"));
            db->exec(QStringLiteral("INSERT INTO PERSON (PersonNr, Nachname) VALUES (65539, 'Kurz')"));
            tx.commit();
        }
    } catch (const VelmoraError &e) {
        other.join();
        QFAIL(qPrintable(e.message()));
    }
    other.join();
    const qint64 expected = what == QLatin1String("open") ? 1 : 3;
    QCOMPARE(db->rowCount(QStringLiteral("PERSON")), expected);
}

void TestDatabaseFiles::snapshotHoldsCommitsStillInTheLog() {
    TempInstallation inst;
    Database &db = inst.db();
    {
        Transaction tx(db);
        for (int i = 1; i <= 20; ++i)
            db.exec(QStringLiteral("INSERT INTO PERSON (PersonNr, Nachname) VALUES (%1, 'P%1')").arg(65536 + i));
        tx.commit();
    }
    const QString wal = db.filePath() + QStringLiteral("-wal");
    QVERIFY2(QFileInfo(wal).size() > 0, "the commits are not in the log");
    // A copy of the file alone lacks them.
    const QString copy = inst.dir() + QStringLiteral("/kopie.db");
    QVERIFY(QFile::copy(db.filePath(), copy));
    {
        SqliteHandle c = otherConnection(copy);
        QVERIFY(countRows(c.get(), "SELECT count(*) FROM PERSON") < 20);
    }
    const QString target = inst.dir() + QStringLiteral("/sicherung.db");
    QFile::remove(target);
    {
        QFile stale(target);
        QVERIFY(stale.open(QIODevice::WriteOnly));
        stale.write("alt");
    }
    db.snapshotTo(target);
    QVERIFY(!QFileInfo::exists(target + QStringLiteral("-wal")));
    SqliteHandle c = otherConnection(target);
    QCOMPARE(countRows(c.get(), "SELECT count(*) FROM PERSON"), 20);
    QCOMPARE(countRows(c.get(), "SELECT count(*) FROM sqlite_master WHERE name = 'TRFIELD'"), 1);
}

QTEST_GUILESS_MAIN(TestDatabaseFiles)
#include "tst_databasefiles.moc"
