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

private:
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

QTEST_GUILESS_MAIN(TestQuery)
#include "tst_query.moc"
