// While an evaluation runs, typed SQL may read everything but change only
// the run's own temporary tables.
#include "store/Database.h"
#include "store/WriteGuard.h"

#include <QTemporaryDir>
#include <QTest>

using namespace velmora;

namespace {
qint64 scalar(Database &db, const QString &sql) {
    Statement st(db, sql);
    st.step();
    return sqlite3_column_int64(st.get(), 0);
}
} // namespace

class TestWriteGuard : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    std::unique_ptr<Database> m_db;

private Q_SLOTS:
    void init();
    void cleanup() { m_db.reset(); }
    void refused_data();
    void refused();
    void ownTablesWritable();
    void releasedGuardAllowsWritesAgain();
};

void TestWriteGuard::init() {
    m_db = std::make_unique<Database>(QStringLiteral("DBLOG"), m_dir.path());
    m_db->exec(
        QStringLiteral("DROP TABLE IF EXISTS TR; DROP TABLE IF EXISTS TMP00001; DROP TABLE IF EXISTS X; "
                       "CREATE TABLE TR (Art INTEGER, PersonNr INTEGER); INSERT INTO TR VALUES (2, 1), (3, 1);"));
}

void TestWriteGuard::refused_data() {
    QTest::addColumn<QString>("sql");
    QTest::newRow("delete") << "DELETE FROM TR";
    QTest::newRow("update") << "UPDATE TR SET Art = 9";
    QTest::newRow("insert") << "INSERT INTO TR VALUES (1, 1)";
    QTest::newRow("insert from a select into another table") << "INSERT INTO TR SELECT * FROM TR";
    QTest::newRow("drop") << "DROP TABLE TR";
    QTest::newRow("create another table") << "CREATE TABLE X (a)";
    QTest::newRow("index") << "CREATE INDEX TRi ON TR (Art)";
    QTest::newRow("alter") << "ALTER TABLE TR ADD COLUMN b";
    QTest::newRow("pragma write") << "PRAGMA user_version = 5";
    QTest::newRow("attach") << "ATTACH DATABASE ':memory:' AS other";
    QTest::newRow("own table into a diary table") << "INSERT INTO TR SELECT 1, 1";
}

void TestWriteGuard::refused() {
    QFETCH(QString, sql);
    {
        WriteGuard guard(*m_db);
        guard.allow(QStringLiteral("TMP00001"));
        QVERIFY_THROWS_EXCEPTION(EngineError, m_db->exec(sql));
        // Reading stays possible.
        QCOMPARE(scalar(*m_db, QStringLiteral("SELECT count(*) FROM TR")), 2);
    }
    QCOMPARE(scalar(*m_db, QStringLiteral("SELECT count(*) FROM TR")), 2);
    QCOMPARE(scalar(*m_db, QStringLiteral("SELECT sum(Art) FROM TR")), 5);
    QCOMPARE(scalar(*m_db, QStringLiteral("PRAGMA user_version")), 0);
    QVERIFY(!m_db->tableExists(QStringLiteral("X")));
    QCOMPARE(m_db->indexes(QStringLiteral("TR")).size(), size_t(0));
}

void TestWriteGuard::ownTablesWritable() {
    WriteGuard guard(*m_db);
    guard.allow(QStringLiteral("TMP00001"));
    TableDef def{QStringLiteral("TMP00001"), {FieldDef(QStringLiteral("Art"), FieldType::Long)}, {}, {}};
    m_db->createTable(def);
    m_db->exec(QStringLiteral("INSERT INTO TMP00001 SELECT Art FROM TR"));
    QCOMPARE(m_db->fieldDefs(QStringLiteral("TMP00001")).size(), size_t(1));
    QCOMPARE(scalar(*m_db, QStringLiteral("SELECT sum(Art) FROM TMP00001")), 5);
    m_db->dropTable(QStringLiteral("TMP00001"));
    QVERIFY(!m_db->tableExists(QStringLiteral("TMP00001")));
}

void TestWriteGuard::releasedGuardAllowsWritesAgain() {
    { WriteGuard guard(*m_db); }
    m_db->exec(QStringLiteral("DELETE FROM TR WHERE Art = 3"));
    QCOMPARE(scalar(*m_db, QStringLiteral("SELECT count(*) FROM TR")), 1);
}

QTEST_GUILESS_MAIN(TestWriteGuard)
#include "tst_writeguard.moc"
