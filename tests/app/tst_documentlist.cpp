// The rebuild of the document list OPEN: what each user gets listed, how it
// reports into the progress window, and that a failure keeps the old list.
#include "app/DocumentList.h"
#include "base/Progress.h"
#include "store/Cursor.h"
#include "store/Query.h"
#include "support/ClubFixture.h"
#include "support/TempInstallation.h"

#include <QTest>

using namespace velmora;
using velmora::test::ClubFixture;
using velmora::test::TempInstallation;

namespace {

// Writes down every call, in order.
class ProgressLog : public Progress {
public:
    void ResetSteps() override { calls << QStringLiteral("ResetSteps"); }
    void AddStep(const QString &caption) override { calls << QStringLiteral("AddStep ") + caption; }
    void StepDone() override { calls << QStringLiteral("StepDone"); }
    void SetProgressRange(int n) override { calls << QStringLiteral("SetProgressRange %1").arg(n); }
    void AdvanceProgress(int n) override { calls << QStringLiteral("AdvanceProgress %1").arg(n); }
    void ShowProgress() override { calls << QStringLiteral("ShowProgress"); }
    void CloseProgress() override { calls << QStringLiteral("CloseProgress"); }
    QStringList calls;
};

QStringList rebuildCalls() {
    QStringList c{QStringLiteral("SetProgressRange 7")};
    for (int i = 0; i < 7; ++i)
        c << QStringLiteral("AdvanceProgress 1");
    c << QStringLiteral("StepDone");
    return c;
}

// OPEN in its order, one "Type|Name|Key1|Key2|Gruppe|Trainer" line per row.
QStringList openRows(Database &db) {
    Cursor c(db, QStringLiteral("OPEN"));
    c.setIndexName(QStringLiteral("TypeNameKey1"));
    c.setReadOnly(true);
    c.open();
    QStringList rows;
    for (c.first(); !c.eof(); c.next()) {
        QStringList cells{c.asString(QStringLiteral("Type")), c.asString(QStringLiteral("Name"))};
        for (const char *k : {"Key1", "Key2", "Gruppe", "Trainer"})
            cells << QString::number(c.asInt(QLatin1String(k)));
        rows << cells.join(QLatin1Char('|'));
    }
    return rows;
}

QStringList keysOfType(Database &db, const QString &type) {
    Query q(db, QStringLiteral("select Key1 from \"OPEN\" where Type = '%1' order by Key1").arg(type));
    q.open();
    QStringList keys;
    for (q.first(); !q.eof(); q.next())
        keys << q.value(0).toString();
    return keys;
}

} // namespace

class TestDocumentList : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void statementTexts();
    void rowsPerType();
    void readRights_data();
    void readRights();
    void lowFiltersNeverListed();
    void namesCutTo40();
    void rebuildTwiceGivesSameRows();
    void progressOfBuild();
    void progressOfRebuild();
    void failingStatementKeepsOldList();
    void failingBuildClosesProgress();

private:
    std::unique_ptr<TempInstallation> m_inst;
    std::unique_ptr<ClubFixture> m_club;
};

void TestDocumentList::init() {
    m_inst = std::make_unique<TempInstallation>(ClubFixture::kSerial);
    m_club = std::make_unique<ClubFixture>(m_inst->db());
}

void TestDocumentList::cleanup() {
    m_club.reset();
    m_inst.reset();
}

void TestDocumentList::statementTexts() {
    const QStringList s = DocumentListStatements(65538, 65537);
    QCOMPARE(s.size(), 7);
    QCOMPARE(s[0],
             QStringLiteral(
                 "select \"P\" as Type, Nachname + \" \" + Vorname + \" \" + cast(Geburtsdatum as CHARACTER) as Name, "
                 "PersonNr as Key1, 0 as Key2, GruppenNr as Gruppe, TrainerNr as Trainer\nfrom Person\n"
                 "where ((Sex=\"M\") or (Sex=\"F\")) and\n((PersonNr = 65538) or \n(TrainerNr = 65538) or \n"
                 "(LeserechteAndere = true) or \n((LeserechteGruppe = true) and (GruppenNr = 65537)))"));
    QCOMPARE(s[1],
             QStringLiteral("select \"G\" as Type, Nachname as Name, PersonNr as Key1, 0 as Key2, PersonNr as Gruppe, "
                            "TrainerNr as Trainer\n"
                            "from PERSON\nwhere (Sex = \"X\") and \n((PersonNr = 65538) or \n(TrainerNr = 65538) or \n"
                            "(LeserechteAndere = true) or \n((LeserechteGruppe = true) and (GruppenNr = 65537)))"));
    QCOMPARE(s[2],
             QStringLiteral("select \"L\" as Type, Beschreibung as Name, TrNr as Key1, SerienNr as Key2, 0 as Gruppe, "
                            "PersonNr as Trainer\nfrom Tr\nwhere (Art = 1) or\n(Art = 11) or\n(Art = 21)"));
    // Negative numbers are written in decimal as well.
    QVERIFY(DocumentListStatements(-3, 0)[0].contains(QLatin1String("(PersonNr = -3) or \n")));
}

void TestDocumentList::rowsPerType() {
    Database &db = m_inst->db();
    db.exec(QStringLiteral("INSERT INTO \"OPEN\" VALUES ('P', 'veraltet', 999, 0, 0, 0)"));
    const int written = RebuildDocumentList(db, nullptr, ClubFixture::kCoach, ClubFixture::kJugend);
    const QString coach = QString::number(ClubFixture::kCoach), jugend = QString::number(ClubFixture::kJugend);
    const QStringList expected = {
        "A|Umfang pro Woche|65537|0|0|" + coach,
        "F|Ausdauer|65537|" + coach + "|" + jugend + "|" + coach,
        "G|Jugend|" + jugend + "|0|" + jugend + "|" + coach,
        "L|Laufprotokoll|1|1|0|" + coach,
        "P|Berg Anna 17.05.1990|" + QString::number(ClubFixture::kAnna) + "|0|" + jugend + "|" + coach,
        "P|Meier Paul |" + QString::number(ClubFixture::kPaul) + "|0|" + jugend + "|" + coach,
        "P|Trainer Tom 03.02.1970|" + coach + "|0|" + jugend + "|" + coach,
        "T|Lauf|65537|0|0|" + coach,
        "T|Tagebucheintrag|0|0|0|0",
        "W|Saison|65537|0|0|" + coach,
    };
    QCOMPARE(openRows(db), expected);
    QCOMPARE(written, expected.size());
    QVERIFY(DocumentListBuilt());
}

void TestDocumentList::readRights_data() {
    QTest::addColumn<int>("user");
    QTest::addColumn<int>("group");
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("type");
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("listed");

    const int otto = ClubFixture::kOtto, anna = ClubFixture::kAnna, paul = ClubFixture::kPaul;
    const int coach = ClubFixture::kCoach, jugend = ClubFixture::kJugend, senioren = ClubFixture::kSenioren;
    const QString none;
    const QString ottoGroupRights =
        QStringLiteral("UPDATE PERSON SET LeserechteGruppe = 1 WHERE PersonNr = %1").arg(otto);
    QTest::newRow("stranger without rights is not listed") << paul << jugend << none << "P" << otto << false;
    QTest::newRow("group rights for a user of his group") << paul << senioren << ottoGroupRights << "P" << otto << true;
    QTest::newRow("group rights do not reach another group")
        << paul << jugend << ottoGroupRights << "P" << otto << false;
    QTest::newRow("group rights of a member of the user's group") << paul << jugend << none << "P" << anna << true;
    QTest::newRow("no group rights, same group") << paul << jugend << none << "P" << coach << false;
    QTest::newRow("the user himself") << otto << senioren << none << "P" << otto << true;
    QTest::newRow("coached by the user") << coach << jugend << none << "P" << paul << true;
    QTest::newRow("everybody may read")
        << otto << senioren << QStringLiteral("UPDATE PERSON SET LeserechteAndere = 1 WHERE PersonNr = %1").arg(paul)
        << "P" << paul << true;
    QTest::newRow("a group is no person") << coach << jugend << none << "P" << jugend << false;
    QTest::newRow("group of the coach") << coach << jugend << none << "G" << jugend << true;
    QTest::newRow("group without rights") << otto << senioren << none << "G" << senioren << false;
    QTest::newRow("group with group rights")
        << otto << senioren
        << QStringLiteral("UPDATE PERSON SET LeserechteGruppe = 1 WHERE PersonNr = %1").arg(senioren) << "G" << senioren
        << true;
    QTest::newRow("the group itself logged in") << senioren << senioren << none << "G" << senioren << true;
}

void TestDocumentList::readRights() {
    QFETCH(int, user);
    QFETCH(int, group);
    QFETCH(QString, setup);
    QFETCH(QString, type);
    QFETCH(int, key);
    QFETCH(bool, listed);
    Database &db = m_inst->db();
    if (!setup.isEmpty())
        db.exec(setup);
    RebuildDocumentList(db, nullptr, user, group);
    QCOMPARE(keysOfType(db, type).contains(QString::number(key)), listed);
}

void TestDocumentList::lowFiltersNeverListed() {
    Database &db = m_inst->db();
    const QString coach = QString::number(ClubFixture::kCoach);
    for (int nr : {1, 10, 11})
        db.exec(
            QStringLiteral("INSERT INTO FILTER (FilterNr, Name, PersonNr) VALUES (%1, 'F%1', %2)").arg(nr).arg(coach));
    // Listed whoever the user is: filters carry no read rights of their own.
    RebuildDocumentList(db, nullptr, ClubFixture::kOtto, ClubFixture::kSenioren);
    QCOMPARE(keysOfType(db, QStringLiteral("F")), (QStringList{QStringLiteral("11"), QStringLiteral("65537")}));
}

void TestDocumentList::namesCutTo40() {
    Database &db = m_inst->db();
    const QString longForm = QString(55, QLatin1Char('x'));
    db.exec(QStringLiteral("UPDATE TR SET Beschreibung = '%1' WHERE Art = 1").arg(longForm));
    db.exec(QStringLiteral("UPDATE PERSON SET Nachname = 'Abcdefghijklmnopqrst', Vorname = 'Uvwxyzabcdefghijklmn' "
                           "WHERE PersonNr = %1")
                .arg(ClubFixture::kAnna));
    RebuildDocumentList(db, nullptr, ClubFixture::kCoach, ClubFixture::kJugend);
    Query q(db, QStringLiteral("select Type, Name from \"OPEN\" where Type = 'L' or Key1 = %1 order by Type")
                    .arg(ClubFixture::kAnna));
    q.open();
    QCOMPARE(q.recordCount(), 2);
    q.first();
    QCOMPARE(q.asString(QStringLiteral("Name")), QString(40, QLatin1Char('x')));
    q.next();
    QCOMPARE(q.asString(QStringLiteral("Name")), QStringLiteral("Abcdefghijklmnopqrst Uvwxyzabcdefghijklm"));
}

void TestDocumentList::rebuildTwiceGivesSameRows() {
    Database &db = m_inst->db();
    RebuildDocumentList(db, nullptr, ClubFixture::kCoach, ClubFixture::kJugend);
    const QStringList first = openRows(db);
    QVERIFY(!first.isEmpty());
    RebuildDocumentList(db, nullptr, ClubFixture::kCoach, ClubFixture::kJugend);
    QCOMPARE(openRows(db), first);
}

void TestDocumentList::progressOfBuild() {
    ProgressLog log;
    BuildDocumentList(&log, ClubFixture::kCoach, ClubFixture::kJugend);
    const QStringList expected =
        QStringList{QStringLiteral("AddStep Dokumentliste erstellen"), QStringLiteral("ShowProgress")} +
        rebuildCalls() + QStringList{QStringLiteral("CloseProgress")};
    QCOMPARE(log.calls, expected);
    QCOMPARE(m_inst->db().rowCount(QStringLiteral("OPEN")), 10);

    // The ticking itself, on the counting progress.
    SilentProgress silent;
    silent.AddStep(QStringLiteral("Datenbank aktualisieren"));
    silent.StepDone();
    silent.ShowProgress();
    silent.AddStep(kDocumentListStep);
    RebuildDocumentList(m_inst->db(), &silent, ClubFixture::kCoach, ClubFixture::kJugend);
    QCOMPARE(silent.done, 2);
    QCOMPARE(silent.maximum, 7);
    QCOMPARE(silent.position, 7);
}

void TestDocumentList::progressOfRebuild() {
    ProgressLog log;
    RebuildDocumentList(m_inst->db(), &log, ClubFixture::kCoach, ClubFixture::kJugend);
    QCOMPARE(log.calls, rebuildCalls());
}

void TestDocumentList::failingStatementKeepsOldList() {
    Database &db = m_inst->db();
    RebuildDocumentList(db, nullptr, ClubFixture::kCoach, ClubFixture::kJugend);
    const QStringList before = openRows(db);
    db.dropTable(QStringLiteral("AUSWERT"));
    ProgressLog log;
    try {
        RebuildDocumentList(db, &log, ClubFixture::kOtto, ClubFixture::kSenioren);
        QFAIL("the rebuild reported success without AUSWERT");
    } catch (const EngineError &e) {
        QVERIFY2(e.message().contains(QLatin1String("Auswert"), Qt::CaseInsensitive), qPrintable(e.message()));
    }
    QCOMPARE(openRows(db), before);
    QVERIFY(!db.inTransaction());
    QVERIFY(!log.calls.contains(QStringLiteral("StepDone")));
    // The database stays usable for the next rebuild once the table is back.
    db.exec(
        QStringLiteral("CREATE TABLE AUSWERT (AuswertungNr \"LONG\", Auswertung \"ALPHA(40)\", TrainerNr \"LONG\")"));
    RebuildDocumentList(db, nullptr, ClubFixture::kCoach, ClubFixture::kJugend);
    QCOMPARE(openRows(db).size(), before.size() - 1);
}

void TestDocumentList::failingBuildClosesProgress() {
    Database &db = m_inst->db();
    db.dropTable(QStringLiteral("ANALYSE"));
    ProgressLog log;
    QVERIFY_THROWS_EXCEPTION(EngineError, BuildDocumentList(&log, ClubFixture::kCoach, ClubFixture::kJugend));
    QCOMPARE(log.calls.last(), QStringLiteral("CloseProgress"));
}

QTEST_GUILESS_MAIN(TestDocumentList)
#include "tst_documentlist.moc"
