#include "store/Cursor.h"
#include "support/ClubFixture.h"
#include "support/TempInstallation.h"

#include <QSignalSpy>
#include <QTest>

using namespace velmora;
using velmora::test::ClubFixture;
using velmora::test::TempInstallation;

namespace {
QStringList column(Cursor &c, const QString &field) {
    QStringList out;
    for (c.first(); !c.eof(); c.next())
        out << c.asString(field);
    return out;
}
} // namespace

class TestCursor : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void orders_data();
    void orders();
    void rangeOnLeadingFields();
    void filterExpressions_data();
    void filterExpressions();
    void navigationBothWays();
    void findNearestAndKey();
    void masterDetailFollowsMaster();
    void hooksAndPost();
    void editCancelDelete();
    void readOnlyRefusesWrites();
    void failedPostKeepsRowsAndEditState();
    void missingColumnNamed();

private:
    std::unique_ptr<TempInstallation> m_inst;
    std::unique_ptr<ClubFixture> m_club;
};

void TestCursor::init() {
    m_inst = std::make_unique<TempInstallation>(ClubFixture::kSerial);
    m_club = std::make_unique<ClubFixture>(m_inst->db());
}

void TestCursor::cleanup() {
    m_club.reset();
    m_inst.reset();
}

void TestCursor::orders_data() {
    QTest::addColumn<QString>("order");
    QTest::addColumn<QString>("index");
    QTest::addColumn<QStringList>("names");
    QTest::newRow("primary key") << "" << "" << QStringList{"Jugend", "Trainer", "Berg", "Meier", "Senioren", "Fremd"};
    QTest::newRow("field list") << "Nachname" << "" << QStringList{"Berg", "Fremd", "Jugend", "Meier", "Senioren", "Trainer"};
    QTest::newRow("two fields") << "Sex;Nachname" << "" << QStringList{"Berg", "Fremd", "Meier", "Trainer", "Jugend", "Senioren"};
    QTest::newRow("named index") << "" << "StatusName" << QStringList{"Berg", "Fremd", "Jugend", "Meier", "Senioren", "Trainer"};
}

void TestCursor::orders() {
    QFETCH(QString, order);
    QFETCH(QString, index);
    QFETCH(QStringList, names);
    Cursor c(m_inst->db(), QStringLiteral("Person.DB"));
    if (!index.isEmpty())
        c.setIndexName(index);
    else
        c.setOrder(order);
    c.open();
    QCOMPARE(column(c, QStringLiteral("Nachname")), names);
}

void TestCursor::rangeOnLeadingFields() {
    Cursor c(m_inst->db(), QStringLiteral("TR"));
    c.setOrder(QStringLiteral("SerienNr;TrNr"));
    c.setRange({1, 3}, {1, 5});
    c.open();
    QCOMPARE(column(c, QStringLiteral("TrNr")), (QStringList{"3", "4", "5"}));
    QCOMPARE(c.recordCount(), 3);
    c.setRange({2}, {2});
    QVERIFY(c.eof());
    QVERIFY(c.isEmpty());
}

void TestCursor::filterExpressions_data() {
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QStringList>("expected");
    const QString g = QString::number(ClubFixture::kJugend);
    QTest::newRow("persons and groups of a group")
        << "OPEN_TEST" << "((Type = 'P') OR (Type = 'G')) AND (Gruppe = " + g + ")" << "Name"
        << QStringList{"Berg", "Jugend", "Meier"};
    QTest::newRow("type only") << "OPEN_TEST" << "Type = 'T'" << "Name" << QStringList{"Lauf"};
    QTest::newRow("key above ten") << "OPEN_TEST" << "(Type = 'F') AND (Key1 > 10)" << "Name" << QStringList{"Ausdauer"};
    QTest::newRow("not equal") << "OPEN_TEST" << "(Type <> 'P') AND (Type <> 'G')" << "Name"
                               << QStringList{"Ausdauer", "Lauf", "Standard"};
    QTest::newRow("diary from a date and time") << "TR" << "Datum >= '2026-01-07 00:00:00.000'" << "Beschreibung"
                                                << QStringList{"Intervalle", "Langer Lauf", "Plan Montag"};
    QTest::newRow("date-only literal includes the whole day") << "TR" << "(Datum <= '2026-01-05') AND (Art = 2)"
                                                              << "Beschreibung" << QStringList{"Grundlage"};
}

void TestCursor::filterExpressions() {
    QFETCH(QString, table);
    QFETCH(QString, filter);
    QFETCH(QString, field);
    QFETCH(QStringList, expected);
    Database &db = m_inst->db();
    if (table == QLatin1String("OPEN_TEST")) {
        // A document list of our own, so the filter runs on known rows.
        table = QStringLiteral("OPEN");
        const QString g = QString::number(ClubFixture::kJugend);
        db.exec(QStringLiteral("INSERT INTO OPEN VALUES ('P','Berg',1,0,%1,0),('P','Meier',2,0,%1,0),"
                               "('P','Fremd',3,0,9,0),('G','Jugend',4,0,%1,0),('T','Lauf',5,0,0,0),"
                               "('F','Ausdauer',65537,0,0,0),('F','Standard',5,0,0,0)").arg(g));
    }
    Cursor c(db, table);
    c.setOrder(field == QLatin1String("Name") ? QStringLiteral("Name") : QStringLiteral("Datum"));
    c.setFilter(filter);
    c.setFiltered(true);
    c.open();
    QStringList got = column(c, field);
    QCOMPARE(got, expected);
    c.setFiltered(false);
    QVERIFY(c.recordCount() > expected.size());
}

void TestCursor::navigationBothWays() {
    Cursor c(m_inst->db(), QStringLiteral("TR"));
    c.open();
    QVERIFY(c.bof());
    QCOMPARE(c.asInt(QStringLiteral("TrNr")), 1);
    c.last();
    QVERIFY(c.eof());
    QCOMPARE(c.asInt(QStringLiteral("TrNr")), 6);
    QCOMPARE(c.recNo(), 5);
    QStringList backwards;
    while (!c.bof()) {
        backwards << c.asString(QStringLiteral("TrNr"));
        c.prior();
    }
    QCOMPARE(backwards, (QStringList{"6", "5", "4", "3", "2", "1"}));
    // Past the end the last row stays current.
    c.first();
    while (!c.eof())
        c.next();
    QCOMPARE(c.asInt(QStringLiteral("TrNr")), 6);
    c.moveTo(2);
    QCOMPARE(c.asInt(QStringLiteral("TrNr")), 3);
    c.next();
    QCOMPARE(c.asInt(QStringLiteral("TrNr")), 4);
}

void TestCursor::findNearestAndKey() {
    Cursor c(m_inst->db(), QStringLiteral("PERSON"));
    c.setOrder(QStringLiteral("Nachname"));
    c.open();
    c.findNearest({QStringLiteral("G")});
    QCOMPARE(c.asString(QStringLiteral("Nachname")), QStringLiteral("Jugend"));
    c.findNearest({QStringLiteral("Zander")});  // nothing at or after: the last row
    QCOMPARE(c.asString(QStringLiteral("Nachname")), QStringLiteral("Trainer"));
    QVERIFY(c.findKey({QStringLiteral("Meier")}));
    QCOMPARE(c.asInt(QStringLiteral("PersonNr")), ClubFixture::kPaul);
    QVERIFY(!c.findKey({QStringLiteral("Gibtsnicht")}));
    QCOMPARE(c.asInt(QStringLiteral("PersonNr")), ClubFixture::kPaul);
    QVERIFY(c.locate(QStringLiteral("Vorname"), QStringLiteral("Otto")));
    QCOMPARE(c.recNo(), 1);
}

void TestCursor::masterDetailFollowsMaster() {
    Database &db = m_inst->db();
    Cursor entries(db, QStringLiteral("TR"));
    entries.open();
    Cursor rows(db, QStringLiteral("TR_1"));
    rows.setMasterSource(&entries, QStringLiteral("SerienNr;TrNr"), QStringLiteral("SerienNr;TrNr"));
    rows.open();
    QVERIFY(rows.isEmpty());  // the form's own row has no block rows
    entries.next();
    QCOMPARE(column(rows, QStringLiteral("Notiz")), (QStringList{"ruhig", "Steigerung"}));
    entries.next();
    QCOMPARE(rows.recordCount(), 1);
    // A new detail row takes the link fields from the master.
    rows.append();
    QCOMPARE(rows.asInt(QStringLiteral("TrNr")), entries.asInt(QStringLiteral("TrNr")));
    rows.setValue(QStringLiteral("Order"), 1);
    rows.post();
    QCOMPARE(rows.recordCount(), 2);
}

void TestCursor::hooksAndPost() {
    Database &db = m_inst->db();
    Cursor c(db, QStringLiteral("TRVALUE"));
    QStringList calls;
    c.onNewRecord = [&](Cursor &cur) {
        calls << "new";
        cur.setValue(QStringLiteral("ValueNr"), 99);
    };
    c.beforePost = [&](Cursor &cur) {
        calls << "before";
        if (cur.asString(QStringLiteral("Value")).isEmpty())
            throw VelmoraError(QStringLiteral("Bitte einen Wert eingeben!"));
    };
    c.afterPost = [&](Cursor &) { calls << "after"; };
    c.afterScroll = [&](Cursor &) { calls << "scroll"; };
    c.open();
    calls.clear();
    QSignalSpy changed(&c, &Cursor::rowsChanged);
    c.append();
    QCOMPARE(c.asInt(QStringLiteral("State")), 0);  // column default
    QVERIFY_THROWS_EXCEPTION(VelmoraError, c.post());
    QVERIFY(c.isEditing());  // a refused post keeps the row for correction
    c.setValue(QStringLiteral("Value"), QStringLiteral("sehr locker und lang gelaufen heute"));
    c.post();
    QCOMPARE(calls, (QStringList{"new", "before", "before", "after", "scroll"}));
    QCOMPARE(changed.count(), 1);
    QCOMPARE(c.asInt(QStringLiteral("ValueNr")), 99);
    QCOMPARE(c.asString(QStringLiteral("Value")), QStringLiteral("sehr locker und lang gel"));  // cut to 24
    QVERIFY(c.asDateTime(QStringLiteral("Timestamp")).secsTo(QDateTime::currentDateTime()) < 60);
    QCOMPARE(c.recNo(), 0);  // stays on the posted row, ordered by key
}

void TestCursor::editCancelDelete() {
    Cursor c(m_inst->db(), QStringLiteral("PERSON"));
    c.open();
    QVERIFY(c.findKey({ClubFixture::kPaul}));
    c.edit();
    c.setValue(QStringLiteral("Vorname"), QStringLiteral("Peter"));
    c.cancel();
    QCOMPARE(c.asString(QStringLiteral("Vorname")), QStringLiteral("Paul"));
    c.edit();
    c.setValue(QStringLiteral("Vorname"), QStringLiteral("Peter"));
    c.next();  // moving on posts
    QVERIFY(c.findKey({ClubFixture::kPaul}));
    QCOMPARE(c.asString(QStringLiteral("Vorname")), QStringLiteral("Peter"));
    c.deleteRow();
    QCOMPARE(c.recordCount(), 5);
    QCOMPARE(c.asInt(QStringLiteral("PersonNr")), ClubFixture::kSenioren);  // the next row
    QVERIFY_THROWS_EXCEPTION(VelmoraError, c.setValue(QStringLiteral("Vorname"), QStringLiteral("x")));
}

void TestCursor::readOnlyRefusesWrites() {
    Cursor c(m_inst->db(), QStringLiteral("PERSON"));
    c.setReadOnly(true);
    c.open();
    try {
        c.edit();
        QFAIL("edit allowed");
    } catch (const VelmoraError &e) {
        QCOMPARE(e.message(), QStringLiteral("Datenmenge nur mit Leseberechtigung geöffnet!"));
    }
    QVERIFY_THROWS_EXCEPTION(VelmoraError, c.append());
    QVERIFY_THROWS_EXCEPTION(VelmoraError, c.deleteRow());
    QCOMPARE(c.recordCount(), 6);
}

void TestCursor::failedPostKeepsRowsAndEditState() {
    Cursor c(m_inst->db(), QStringLiteral("PERSON"));
    c.open();
    c.append();
    c.setValue(QStringLiteral("PersonNr"), ClubFixture::kAnna);  // a key already there
    try {
        c.post();
        QFAIL("duplicate key posted");
    } catch (const EngineError &e) {
        QVERIFY2(e.message().contains(QLatin1String("UNIQUE constraint failed")), qPrintable(e.message()));
        QVERIFY(e.message().contains(QLatin1String("PERSON")));
    }
    QVERIFY(c.isEditing());
    c.cancel();
    QCOMPARE(c.recordCount(), 6);
    QVERIFY_THROWS_EXCEPTION(VelmoraError, [&] {
        c.append();
        c.setValue(QStringLiteral("GruppenNr"), QStringLiteral("zwölf"));
    }());
}

void TestCursor::missingColumnNamed() {
    Cursor c(m_inst->db(), QStringLiteral("TR_1"));
    c.setOrder(QStringLiteral("Tempo"));
    try {
        c.open();
        QFAIL("opened with a missing column");
    } catch (const EngineError &e) {
        QVERIFY2(e.message().contains(QLatin1String("no such column: Tempo")), qPrintable(e.message()));
    }
    QVERIFY(!c.isOpen());
    Cursor missing(m_inst->db(), QStringLiteral("TR_9"));
    QVERIFY_THROWS_EXCEPTION(EngineError, missing.open());
}

QTEST_GUILESS_MAIN(TestCursor)
#include "tst_cursor.moc"
