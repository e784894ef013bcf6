#include "store/BatchCopy.h"
#include "store/Cursor.h"
#include "store/Query.h"
#include "support/ClubFixture.h"
#include "support/TempInstallation.h"

#include <QTest>

using namespace velmora;
using velmora::test::ClubFixture;
using velmora::test::TempInstallation;

class TestQuery : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void namedParameters();
    void resultColumnTypes();
    void batchAppendIntoOtherDatabase();
    void batchAppendUpdateByKey();
    void batchCopyCreatesTable();
    void failedCopyLeavesDestinationAsItWas();
    void localSql_data();
    void localSql();
    void refused_data();
    void refused();

private:
    void createUnits();

    std::unique_ptr<TempInstallation> m_inst;
    std::unique_ptr<ClubFixture> m_club;
};

void TestQuery::init() {
    m_inst = std::make_unique<TempInstallation>(ClubFixture::kSerial);
    m_club = std::make_unique<ClubFixture>(m_inst->db());
}

void TestQuery::cleanup() {
    m_club.reset();
    m_inst.reset();
}

void TestQuery::namedParameters() {
    Query q(m_inst->db(), QStringLiteral("select Nachname from Person where (GruppenNr = :Gruppe) and (Sex <> :Sex) order by Nachname"));
    q.setParam(QStringLiteral("Gruppe"), ClubFixture::kJugend);
    q.setParam(QStringLiteral(":Sex"), QStringLiteral("X"));
    q.open();
    QStringList names;
    for (; !q.eof(); q.next())
        names << q.asString(QStringLiteral("Nachname"));
    QCOMPARE(names, (QStringList{"Berg", "Meier", "Trainer"}));
    q.last();
    QCOMPARE(q.recNo(), 2);
    q.prior();
    QCOMPARE(q.asString(QStringLiteral("nachname")), QStringLiteral("Meier"));
    QVERIFY_THROWS_EXCEPTION(EngineError, q.value(QStringLiteral("Vorname")));
}

void TestQuery::resultColumnTypes() {
    Query q(m_inst->db(), QStringLiteral("select Nachname, Geburtsdatum, count(*) as Anzahl, avg(Dauer) as Mittel, "
                                         "\"P\" as Type from Person, TR_1 where Person.PersonNr = 1 group by Nachname"));
    q.open();
    QCOMPARE(q.recordCount(), 0);
    Query r(m_inst->db(), QStringLiteral("select TrNr, sum(Dauer) as Umfang, avg(Strecke) as Mittel, max(Notiz) as Notiz from TR_1 group by TrNr"));
    r.open();
    QCOMPARE(int(r.fields()[0].type), int(FieldType::Long));
    QCOMPARE(int(r.fields()[1].type), int(FieldType::Long));
    QCOMPARE(int(r.fields()[2].type), int(FieldType::Number));
    QCOMPARE(int(r.fields()[3].type), int(FieldType::Alpha));
    QCOMPARE(r.fields()[3].size, 8);  // "6 x 1000", the longest value returned
    QCOMPARE(r.value(1).toInt(), 75);
}

void TestQuery::batchAppendIntoOtherDatabase() {
    Database &copy = m_inst->copyDb();
    copy.createTableLike(QStringLiteral("PERSON"), m_inst->db(), QStringLiteral("PERSON"));
    Query q(m_inst->db(), QStringLiteral("select distinct PERSON.* from PERSON where GruppenNr = :G"));
    q.setParam(QStringLiteral("G"), ClubFixture::kJugend);
    QCOMPARE(BatchCopy::run(q, copy, QStringLiteral("PERSON.DB"), BatchCopy::Mode::Append), 4);
    Cursor c(copy, QStringLiteral("PERSON"));
    c.open();
    QVERIFY(c.findKey({ClubFixture::kAnna}));
    QCOMPARE(c.asDate(QStringLiteral("Geburtsdatum")), QDate(1990, 5, 17));
    QVERIFY(c.asBool(QStringLiteral("LeserechteGruppe")));
    // Appending the same keys again is a key violation and adds nothing.
    QVERIFY_THROWS_EXCEPTION(EngineError, BatchCopy::run(q, copy, QStringLiteral("PERSON"), BatchCopy::Mode::Append));
    QCOMPARE(copy.rowCount(QStringLiteral("PERSON")), 4);
}

void TestQuery::batchAppendUpdateByKey() {
    Database &db = m_inst->db();
    Database &copy = m_inst->copyDb();
    copy.createTableLike(QStringLiteral("PERSON"), db, QStringLiteral("PERSON"));
    copy.exec(QStringLiteral("INSERT INTO PERSON (PersonNr, Nachname, Vorname) VALUES (%1, 'Alt', 'Anna'), (7, 'Andere', 'Installation')")
                  .arg(ClubFixture::kAnna));
    Query q(db, QStringLiteral("select * from Person where Sex <> \"X\""));
    QCOMPARE(BatchCopy::run(q, copy, QStringLiteral("PERSON"), BatchCopy::Mode::AppendUpdate), 4);
    QCOMPARE(copy.rowCount(QStringLiteral("PERSON")), 5);
    Cursor c(copy, QStringLiteral("PERSON"));
    c.open();
    QVERIFY(c.findKey({ClubFixture::kAnna}));
    QCOMPARE(c.asString(QStringLiteral("Nachname")), QStringLiteral("Berg"));
    QVERIFY(c.findKey({7}));
}

void TestQuery::batchCopyCreatesTable() {
    Database &db = m_inst->db();
    Query q(db, QStringLiteral("select TrNr as F_1, sum(Dauer) as F_2, max(Notiz) as F_3 from TR_1 group by TrNr"));
    QCOMPARE(BatchCopy::run(q, db, QStringLiteral("TMP00000"), BatchCopy::Mode::Copy), 5);
    const FieldDefs defs = db.fieldDefs(QStringLiteral("TMP00000"));
    QCOMPARE(defs.size(), size_t(3));
    QCOMPARE(int(defs[2].type), int(FieldType::Alpha));
    // Copying again replaces the table.
    QCOMPARE(BatchCopy::run(q, db, QStringLiteral("TMP00000"), BatchCopy::Mode::Copy), 5);
    QCOMPARE(db.rowCount(QStringLiteral("TMP00000")), 5);
}

void TestQuery::failedCopyLeavesDestinationAsItWas() {
    Database &db = m_inst->db();
    Database &copy = m_inst->copyDb();
    copy.createTableLike(QStringLiteral("TR"), db, QStringLiteral("TR"));
    copy.exec(QStringLiteral("INSERT INTO TR (SerienNr, TrNr, Beschreibung) VALUES (1, 4, 'schon da')"));
    Query q(db, QStringLiteral("select * from TR order by TrNr"));
    QVERIFY_THROWS_EXCEPTION(EngineError, BatchCopy::run(q, copy, QStringLiteral("TR"), BatchCopy::Mode::Append));
    QCOMPARE(copy.rowCount(QStringLiteral("TR")), 1);
    QVERIFY(!copy.inTransaction());
}

// Three training units: a date-time, a day, a time of day and whole minutes.
void TestQuery::createUnits() {
    m_inst->db().exec(
        QStringLiteral("CREATE TABLE EINHEIT (Nr LONG, Datum TIMESTAMP, Tag DATE, Dauer TIME, Minuten LONG); "
                       "INSERT INTO EINHEIT VALUES (1, '2026-01-10 09:00:00.000', '2026-01-10', '00:45:30.000', 45), "
                       "(2, '2026-01-11 18:30:00.000', '2026-01-11', '01:30:00.000', 90), "
                       "(3, '2026-01-12 07:00:00.000', '2026-01-12', '00:30:00.000', 31)"));
}

void TestQuery::localSql_data() {
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QVariantMap>("params");
    QTest::addColumn<QStringList>("expected");
    const QVariantMap none;
    const QString hours =
        "select EXTRACT(HOUR FROM Dauer) + EXTRACT(MINUTE FROM Dauer)/60 + EXTRACT(SECOND FROM Dauer)/3600 "
        "from EINHEIT order by Nr";

    // Division is real division, whatever the operands.
    QTest::newRow("time field in hours") << hours << none << QStringList{"0.758", "1.500", "0.500"};
    QTest::newRow("integer column divided")
        << "select Minuten/60 from EINHEIT order by Nr" << none << QStringList{"0.750", "1.500", "0.517"};
    QTest::newRow("sum by count is the average")
        << "select sum(Minuten)/count(Minuten), avg(Minuten) from EINHEIT" << none << QStringList{"55.333|55.333"};

    // Dates and times as a German user types them.
    QTest::newRow("two-digit year includes its day")
        << "select Nr from EINHEIT where Datum <= \"11.01.26\" order by Nr" << none << QStringList{"1", "2"};
    QTest::newRow("unpadded time") << "select Nr from EINHEIT where Dauer >= \"0:45\" order by Nr" << none
                                   << QStringList{"1", "2"};
    QTest::newRow("time equal to the second")
        << "select Nr from EINHEIT where Dauer = '0:45:30'" << none << QStringList{"1"};
    QTest::newRow("parenthesised column")
        << "select Nr from EINHEIT where (Datum) >= \"11.01.2026\" order by Nr" << none << QStringList{"2", "3"};
    QTest::newRow("date column, short date on the left")
        << "select Nr from EINHEIT where '12.1.26' = (Tag)" << none << QStringList{"3"};
    QTest::newRow("date-time with unpadded time")
        << "select Nr from EINHEIT where Datum = \"11.01.2026 18:30\"" << none << QStringList{"2"};

    // Parameters: a date means its whole day, a date-time itself.
    const QDate day(2026, 1, 11);
    QTest::newRow("to-date parameter includes its day") << "select Nr from EINHEIT where Datum <= :Bis order by Nr"
                                                        << QVariantMap{{"Bis", day}} << QStringList{"1", "2"};
    QTest::newRow("date-time parameter is exact")
        << "select Nr from EINHEIT where Datum <= :Bis order by Nr"
        << QVariantMap{{"Bis", QDateTime(day, QTime(12, 0))}} << QStringList{"1"};
    QTest::newRow("after a date parameter")
        << "select Nr from EINHEIT where :Tag < Datum order by Nr" << QVariantMap{{"Tag", day}} << QStringList{"3"};
    QTest::newRow("equal to a date parameter")
        << "select Nr from EINHEIT where Datum = :Tag" << QVariantMap{{"Tag", day}} << QStringList{"2"};
    QTest::newRow("between date parameters")
        << "select Nr from EINHEIT where Datum between :Von and :Bis order by Nr"
        << QVariantMap{{"Von", QDate(2026, 1, 10)}, {"Bis", day}} << QStringList{"1", "2"};

    // One statement per text; a closing ";" is fine.
    QTest::newRow("closing semicolon") << "select Nr from EINHEIT where Nr = 3;  \n" << none << QStringList{"3"};
}

void TestQuery::localSql() {
    QFETCH(QString, sql);
    QFETCH(QVariantMap, params);
    QFETCH(QStringList, expected);
    createUnits();
    Query q(m_inst->db(), sql);
    for (auto it = params.cbegin(); it != params.cend(); ++it)
        q.setParam(it.key(), it.value());
    try {
        q.open();
    } catch (const EngineError &e) {
        QFAIL(qPrintable(e.message() + QStringLiteral("\n") + m_inst->db().translate(sql)));
    }
    QStringList rows;
    for (q.first(); !q.eof(); q.next()) {
        QStringList cells;
        for (int i = 0; i < int(q.fields().size()); ++i) {
            const QVariant v = q.value(i);
            cells << (v.typeId() == QMetaType::Double ? QString::number(v.toDouble(), 'f', 3) : v.toString());
        }
        rows << cells.join(QLatin1Char('|'));
    }
    QCOMPARE(rows, expected);
}

void TestQuery::refused_data() {
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("message");
    QTest::newRow("impossible date")
        << "select Nr from EINHEIT where Datum >= \"31.02.2026\""
        << "\"31.02.2026\" ist kein gültiges Datum (mit oder ohne Uhrzeit) für das Feld Datum.";
    QTest::newRow("impossible day") << "select Nr from EINHEIT where (Tag) < '30.2.26'"
                                    << "\"30.2.26\" ist kein gültiges Datum für das Feld Tag.";
    QTest::newRow("impossible time") << "select Nr from EINHEIT where Dauer > '25:00'"
                                     << "\"25:00\" ist keine gültige Uhrzeit für das Feld Dauer.";
    QTest::newRow("parameter never set") << "select Nr from EINHEIT where (Datum >= :Von) and (Datum <= :Biss)"
                                         << "Der Parameter :Biss hat keinen Wert.";
    // Conditions are appended after a typed one; none of them may fall away.
    QTest::newRow("text after the statement") << "select Nr from EINHEIT where (Minuten > 30); and (Nr = 1)"
                                              << "Eine SQL-Anweisung darf nach dem \";\" nichts weiter enthalten.";
}

void TestQuery::refused() {
    QFETCH(QString, sql);
    QFETCH(QString, message);
    createUnits();
    Query q(m_inst->db(), sql);
    q.setParam(QStringLiteral("Von"), QDate(2026, 1, 10));
    q.setParam(QStringLiteral("Bis"), QDate(2026, 1, 11));
    try {
        q.open();
        QFAIL("the statement ran");
    } catch (const EngineError &e) {
        QVERIFY2(e.message().contains(message), qPrintable(e.message()));
    }
    QVERIFY(!q.isOpen());
}

QTEST_GUILESS_MAIN(TestQuery)
#include "tst_query.moc"
