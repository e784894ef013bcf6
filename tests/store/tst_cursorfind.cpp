#include "store/Cursor.h"
#include "support/TempInstallation.h"

#include <QSignalSpy>
#include <QTest>

using namespace velmora;
using velmora::test::TempInstallation;

namespace {
void addValue(Cursor &c, int valueNr, const QString &text) {
    c.append();
    c.setValue(QStringLiteral("ValueNr"), valueNr);
    c.setValue(QStringLiteral("Value"), text);
    c.setValue(QStringLiteral("State"), 0);
    c.post();
}

QString storedValue(Database &db, int valueNr) {
    Statement st(db, QStringLiteral("SELECT Value, State FROM TRVALUE WHERE ValueNr = ?"));
    st.bind(1, valueNr);
    return st.step() ? st.value(0).toString() + QLatin1Char('/') + st.value(1).toString() : QString();
}
} // namespace

// A cursor positioned by a search lands on the row the search found, even
// when that row was written after the cursor read its set; a search that
// finds nothing says so and moves nowhere.
class TestCursorFind : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void foundRowAddedElsewhere_data();
    void foundRowAddedElsewhere();
    void nothingFoundStays();

private:
    std::unique_ptr<TempInstallation> m_inst;
};

void TestCursorFind::init() {
    m_inst = std::make_unique<TempInstallation>(1);
    Cursor writer(m_inst->db(), QStringLiteral("TRVALUE"));
    writer.open();
    addValue(writer, 1, QStringLiteral("rot"));
    addValue(writer, 2, QStringLiteral("grün"));
}

void TestCursorFind::cleanup() {
    m_inst.reset();
}

void TestCursorFind::foundRowAddedElsewhere_data() {
    QTest::addColumn<bool>("byLocate");
    QTest::newRow("findKey") << false;
    QTest::newRow("locate") << true;
}

void TestCursorFind::foundRowAddedElsewhere() {
    QFETCH(bool, byLocate);
    Database &db = m_inst->db();
    Cursor first(db, QStringLiteral("TRVALUE"));
    first.setAutoTimestamp(false);
    first.open();
    // Read the row ids of the set and stand on a row that is not the new one.
    QVERIFY(first.findKey({2}));
    QCOMPARE(first.asString(QStringLiteral("Value")), QStringLiteral("grün"));

    Cursor second(db, QStringLiteral("TRVALUE"));
    second.open();
    addValue(second, 3, QStringLiteral("blau"));

    QSignalSpy reread(&first, &Cursor::rowsChanged);
    const bool found = byLocate ? first.locate(QStringLiteral("Value"), QStringLiteral("blau")) : first.findKey({3});
    QVERIFY(found);
    QCOMPARE(first.asInt(QStringLiteral("ValueNr")), 3);
    QCOMPARE(first.recordCount(), 3);
    QVERIFY(!reread.isEmpty()); // views see the longer set

    first.edit();
    first.setValue(QStringLiteral("State"), 1);
    first.post();
    QCOMPARE(storedValue(db, 3), QStringLiteral("blau/1"));
    QCOMPARE(storedValue(db, 2), QStringLiteral("grün/0"));
}

void TestCursorFind::nothingFoundStays() {
    Database &db = m_inst->db();
    Cursor c(db, QStringLiteral("TRVALUE"));
    c.open();
    QVERIFY(c.findKey({1}));
    Cursor other(db, QStringLiteral("TRVALUE"));
    other.open();
    addValue(other, 3, QStringLiteral("blau"));
    QVERIFY(!c.findKey({4}));
    QVERIFY(!c.locate(QStringLiteral("Value"), QStringLiteral("gelb")));
    QCOMPARE(c.asInt(QStringLiteral("ValueNr")), 1);
    // A row found only after the set was read again keeps the position right.
    QVERIFY(c.findKey({3}));
    QVERIFY(c.findKey({1}));
    QCOMPARE(c.asString(QStringLiteral("Value")), QStringLiteral("rot"));
}

QTEST_GUILESS_MAIN(TestCursorFind)
#include "tst_cursorfind.moc"
