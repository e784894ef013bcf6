#include "diary/DiaryListQuery.h"
#include "store/Query.h"
#include "support/ClubFixture.h"
#include "support/TempInstallation.h"

#include <QTest>

using namespace velmora;

class TestDiaryListQuery : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void listQuery_data();
    void listQuery();
    void otherModes();
    void runsOnTheDiary_data();
    void runsOnTheDiary();
    void deletionSelectionWithoutFormOrPerson_data();
    void deletionSelectionWithoutFormOrPerson();
    void onlyWholeNumbersReachTheQuery();
    void keyListLines_data();
    void keyListLines();
};

void TestDiaryListQuery::listQuery_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("filterName");
    QTest::addColumn<QStringList>("autoren");
    QTest::addColumn<QStringList>("personen");
    QTest::addColumn<QStringList>("formulare");
    QTest::addColumn<QDate>("from");
    QTest::addColumn<QDate>("to");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QString>("title");
    const QStringList none;
    QTest::newRow("no filter, no dates") << 3 << "" << none << none << none << QDate() << QDate()
        << QStringList{"select * from tr where (Art = 3) and", "(tr.PersonNr = 17)", "order by tr.datum"}
        << "SOLL (Plan) von Jugend [-] ";
    QTest::newRow("week plan, filter, only a from-date") << 13 << "Ausdauer" << QStringList{"5"} << none << none
        << QDate(1998, 1, 1) << QDate()
        << QStringList{"select * from tr where (Art = 13) and", "((tr.AutorNr = 5)) and", "(tr.Datum >= \"1998-01-01\")",
                       "order by tr.datum"}
        << "SOLL (Plan) von Jugend [Ausdauer][01.01.98-]  WOCHE";
    QTest::newRow("all three lists, both dates, two persons") << 2 << "Alle" << QStringList{"5", "6"} << QStringList{"17", "18"}
        << QStringList{"9"} << QDate(2026, 1, 5) << QDate(2026, 1, 11)
        << QStringList{"select * from tr where (Art = 2) and", "((tr.AutorNr = 5) or  ", "(tr.AutorNr = 6)) and",
                       "((tr.PersonNr = 17) or  ", "(tr.PersonNr = 18)) and", "((tr.FormularNr = 9)) and",
                       "(tr.Datum >= \"2026-01-05\") and", "(tr.Datum <= \"2026-01-11\")", "order by tr.datum"}
        << "IST (Protokoll) [Alle][05.01.26-11.01.26] ";
    QTest::newRow("filter with empty lists restricts by kind and dates") << 22 << "Leer" << none << none << none
        << QDate(2026, 2, 1) << QDate(2026, 2, 28)
        << QStringList{"select * from tr where (Art = 22) and", "(tr.Datum >= \"2026-02-01\") and", "(tr.Datum <= \"2026-02-28\")",
                       "order by tr.datum"}
        << "IST (Protokoll) von Jugend [Leer][01.02.26-28.02.26]  ZYKLUS";
    QTest::newRow("filter with empty lists and no dates") << 2 << "Leer" << none << none << none << QDate() << QDate()
        << QStringList{"select * from tr where (Art = 2)", "order by tr.datum"} << "IST (Protokoll) von Jugend [Leer][-] ";
    QTest::newRow("one person in the filter keeps the name") << 12 << "Eine" << none << QStringList{"17"} << none << QDate()
        << QDate(2026, 3, 1)
        << QStringList{"select * from tr where (Art = 12) and", "((tr.PersonNr = 17)) and", "(tr.Datum <= \"2026-03-01\")",
                       "order by tr.datum"}
        << "IST (Protokoll) von Jugend [Eine][-01.03.26]  WOCHE";
    QTest::newRow("units digit 0 taken as protocol") << 20 << "" << none << none << none << QDate() << QDate()
        << QStringList{"select * from tr where (Art = 22) and", "(tr.PersonNr = 17)", "order by tr.datum"}
        << "IST (Protokoll) von Jugend [-]  ZYKLUS";
}

void TestDiaryListQuery::listQuery() {
    QFETCH(int, kind);
    QFETCH(QString, filterName);
    QFETCH(QStringList, autoren);
    QFETCH(QStringList, personen);
    QFETCH(QStringList, formulare);
    QFETCH(QDate, from);
    QFETCH(QDate, to);
    QFETCH(QStringList, lines);
    QFETCH(QString, title);
    DiaryQueryInput in;
    in.kindCode = kind;
    in.personNr = 17;
    in.name = QStringLiteral("Jugend");
    in.filterKey = filterName.isEmpty() ? 0 : 65537;
    in.filterName = filterName;
    in.autoren = autoren;
    in.personen = personen;
    in.formulare = formulare;
    in.fromTicked = from.isValid();
    in.from = from;
    in.toTicked = to.isValid();
    in.to = to;
    const DiaryQuery q = BuildDiaryListQuery(in);
    QCOMPARE(q.lines, lines);
    QCOMPARE(q.title, title);
    QCOMPARE(q.selection, lines.mid(1, lines.size() - 2));
    QCOMPARE(q.severalPersons, personen.size() > 1);
}

void TestDiaryListQuery::otherModes() {
    DiaryQueryInput in;
    in.mode = DiaryQueryInput::Mode::SingleEntry;
    in.serienNr = 3;
    in.trNr = 42;
    QCOMPARE(BuildDiaryListQuery(in).lines, QStringList{"select * from tr where (SerienNr = 3) and (TrNr = 42)"});
    QVERIFY(BuildDiaryListQuery(in).title.isEmpty());
    in.mode = DiaryQueryInput::Mode::Deletion;
    in.formNr = 65537;
    QCOMPARE(BuildDiaryListQuery(in).lines, QStringList{"select * from tr where (FormularNr = 65537)"});
    in.formNr = 0;
    in.personNr = 17;
    QCOMPARE(BuildDiaryListQuery(in).lines, QStringList{"select * from tr where (AutorNr = 17) or (PersonNr = 17)"});
}

void TestDiaryListQuery::deletionSelectionWithoutFormOrPerson_data() {
    QTest::addColumn<int>("formNr");
    QTest::addColumn<int>("personNr");
    QTest::addColumn<int>("rows");
    QTest::newRow("form 0, person 0") << 0 << 0 << 0;
    QTest::newRow("negative numbers") << -1 << -5 << 0;
    QTest::newRow("a form") << test::ClubFixture::kForm << 0 << 6;
    QTest::newRow("a person") << 0 << int(test::ClubFixture::kPaul) << 1;
}

void TestDiaryListQuery::deletionSelectionWithoutFormOrPerson() {
    QFETCH(int, formNr);
    QFETCH(int, personNr);
    QFETCH(int, rows);
    test::TempInstallation inst;
    test::ClubFixture club(inst.db());
    DiaryQueryInput in;
    in.mode = DiaryQueryInput::Mode::Deletion;
    in.formNr = formNr;
    in.personNr = personNr;
    const DiaryQuery q = BuildDiaryListQuery(in);
    QCOMPARE(q.lines.size(), 1);
    Query run(inst.db(), q.lines.join(QLatin1Char('\n')));
    run.open();
    QCOMPARE(run.recordCount(), rows);
}

void TestDiaryListQuery::onlyWholeNumbersReachTheQuery() {
    DiaryQueryInput in;
    in.kindCode = 2;
    in.personNr = 17;
    in.filterKey = 65537;
    in.filterName = QStringLiteral("Kaputt");
    in.autoren = QStringList{"5", "5) or (1 = 1", " 6 "};
    in.personen = QStringList{"0) or (1 = 1", "17", "x"};
    in.formulare = QStringList{"abc"};
    const DiaryQuery q = BuildDiaryListQuery(in);
    QCOMPARE(q.lines, (QStringList{"select * from tr where (Art = 2) and", "((tr.AutorNr = 5) or  ",
                                   "(tr.AutorNr = 6)) and", "((tr.PersonNr = 17))", "order by tr.datum"}));
    QVERIFY(!q.severalPersons);
}

void TestDiaryListQuery::runsOnTheDiary_data() {
    QTest::addColumn<bool>("withFilter");
    QTest::addColumn<QDate>("to");
    QTest::addColumn<QStringList>("entries");
    QTest::newRow("Anna's protocols") << false << QDate() << QStringList{"Grundlage", "Intervalle", "Langer Lauf"};
    QTest::newRow("filter Ausdauer up to the 7th, whole day") << true << QDate(2026, 1, 7)
                                                            << QStringList{"Grundlage", "Intervalle"};
}

void TestDiaryListQuery::runsOnTheDiary() {
    QFETCH(bool, withFilter);
    QFETCH(QDate, to);
    QFETCH(QStringList, entries);
    test::TempInstallation inst;
    test::ClubFixture club(inst.db());
    DiaryQueryInput in;
    in.kindCode = 2;
    in.personNr = test::ClubFixture::kAnna;
    if (withFilter) {
        Query f(inst.db(), QStringLiteral("select * from FILTER where FilterNr = %1").arg(test::ClubFixture::kFilter));
        f.open();
        in.filterKey = test::ClubFixture::kFilter;
        in.filterName = f.asString(QStringLiteral("Name"));
        in.autoren = KeyListLines(f.asString(QStringLiteral("Autoren")));
        in.personen = KeyListLines(f.asString(QStringLiteral("Personen")));
        in.formulare = KeyListLines(f.asString(QStringLiteral("Formulare")));
    }
    in.toTicked = to.isValid();
    in.to = to;
    Query q(inst.db(), BuildDiaryListQuery(in).lines.join(QLatin1Char('\n')));
    q.open();
    QStringList got;
    for (; !q.eof(); q.next())
        got << q.asString(QStringLiteral("Beschreibung"));
    QCOMPARE(got, entries);
}

void TestDiaryListQuery::keyListLines_data() {
    QTest::addColumn<QString>("memo");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("line breaks of every kind") << "1\r2\r\n3\n\n 4 " << QStringList{"1", "2", "3", "4"};
    QTest::newRow("empty") << "" << QStringList{};
    QTest::newRow("a condition is no number") << "65538\r0) or (1 = 1" << QStringList{"65538"};
    QTest::newRow("names, decimals and words are skipped")
        << "Anna\r1,5\r2.0\r7 8\r-3\r+4\r12345678901" << QStringList{"-3"};
    QTest::newRow("leading zeros") << "007" << QStringList{"7"};
}

void TestDiaryListQuery::keyListLines() {
    QFETCH(QString, memo);
    QFETCH(QStringList, lines);
    QCOMPARE(KeyListLines(memo), lines);
}

QTEST_GUILESS_MAIN(TestDiaryListQuery)
#include "tst_diarylistquery.moc"
