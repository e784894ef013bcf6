#include "app/DocumentList.h"
#include "diary/DiaryEntryList.h"
#include "diary/DiaryListModel.h"
#include "store/Cursor.h"
#include "store/Errors.h"
#include "store/Query.h"
#include "support/ClubFixture.h"
#include "support/TempInstallation.h"

#include <QAbstractItemModelTester>
#include <QTest>

using namespace velmora;
using velmora::test::ClubFixture;
using velmora::test::TempInstallation;

class TestDiaryEntryList : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void kindSwitches_data();
    void kindSwitches();
    void readOnlyRule_data();
    void readOnlyRule();
    void captionRule_data();
    void captionRule();
    void relativeDays_data();
    void relativeDays();
    void filterChoice_data();
    void filterChoice();
    void missingFilter();
    void listsTheQuery_data();
    void listsTheQuery();
    void damagedFilterLinesAreSkipped();
    void engineErrorLeavesListClosed();
    void refind_data();
    void refind();
    void lookUps();

private:
    Database &db() { return m_inst->db(); }
    int trNrOf(const QString &text);
    QString openName(int key);
    std::unique_ptr<TempInstallation> m_inst;
    std::unique_ptr<ClubFixture> m_club;
};

void TestDiaryEntryList::init() {
    m_inst = std::make_unique<TempInstallation>(1);
    m_club = std::make_unique<ClubFixture>(db());
    RebuildDocumentList(db(), nullptr, ClubFixture::kCoach, ClubFixture::kJugend);
}

void TestDiaryEntryList::cleanup() {
    m_club.reset();
    m_inst.reset();
}

int TestDiaryEntryList::trNrOf(const QString &text) {
    Query q(db(), QStringLiteral("select TrNr from TR where Beschreibung = :t"));
    q.setParam(QStringLiteral("t"), text);
    q.open();
    return q.recordCount() == 1 ? q.value(0).toInt() : -1;
}

QString TestDiaryEntryList::openName(int key) {
    Query q(db(), QStringLiteral("select Name from OPEN where Key1 = :k and (Type = 'P' or Type = 'G')"));
    q.setParam(QStringLiteral("k"), key);
    q.open();
    return q.asString(QStringLiteral("Name"));
}

void TestDiaryEntryList::kindSwitches_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("units");
    QTest::addColumn<int>("tens");
    QTest::addColumn<int>("withUnits");
    QTest::addColumn<int>("withLevel");
    QTest::newRow("day protocol: plan, cycle") << 2 << 3 << 2 << 3 << 22;
    QTest::newRow("week plan: protocol, day") << 13 << 2 << 0 << 12 << 3;
    QTest::newRow("cycle protocol: plan, week") << 22 << 3 << 1 << 23 << 12;
}

void TestDiaryEntryList::kindSwitches() {
    QFETCH(int, kind);
    QFETCH(int, units);
    QFETCH(int, tens);
    QFETCH(int, withUnits);
    QFETCH(int, withLevel);
    QCOMPARE(KindWithUnits(kind, units), withUnits);
    QCOMPARE(KindWithLevel(kind, tens), withLevel);
}

void TestDiaryEntryList::readOnlyRule_data() {
    QTest::addColumn<int>("author");
    QTest::addColumn<int>("user");
    QTest::addColumn<bool>("readOnly");
    QTest::newRow("own entry") << 7 << 7 << false;
    QTest::newRow("another author") << 7 << 8 << true;
    QTest::newRow("no author") << 0 << 8 << true;
}

void TestDiaryEntryList::readOnlyRule() {
    QFETCH(int, author);
    QFETCH(int, user);
    QFETCH(bool, readOnly);
    QCOMPARE(EntryIsReadOnly(author, user), readOnly);
}

void TestDiaryEntryList::captionRule_data() {
    QTest::addColumn<QString>("caption");
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<QString>("result");
    QTest::newRow("appended") << "IST (Protokoll) von Anna [-] " << true << "IST (Protokoll) von Anna [-]  r/o";
    QTest::newRow("appended once") << "Anna r/o" << true << "Anna r/o";
    QTest::newRow("removed") << "Anna r/o" << false << "Anna";
    QTest::newRow("editable stays") << "Anna" << false << "Anna";
    QTest::newRow("only a trailing mark is ours") << "Anna r/o Lauf" << false << "Anna r/o Lauf";
}

void TestDiaryEntryList::captionRule() {
    QFETCH(QString, caption);
    QFETCH(bool, readOnly);
    QFETCH(QString, result);
    QCOMPARE(CaptionForReadOnly(caption, readOnly), result);
}

void TestDiaryEntryList::relativeDays_data() {
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<double>("days");
    QTest::newRow("number") << QVariant(-14) << -14.0;
    QTest::newRow("fraction") << QVariant(2.5) << 2.5;
    QTest::newRow("date-time of the zero date plus days")
        << QVariant(QDateTime(QDate(1899, 12, 16), QTime(0, 0))) << -14.0;
    QTest::newRow("stored date-time text") << QVariant(QStringLiteral("1900-01-01 00:00:00.000")) << 2.0;
    QTest::newRow("number as text") << QVariant(QStringLiteral("-7")) << -7.0;
    QTest::newRow("empty") << QVariant() << 0.0;
}

void TestDiaryEntryList::relativeDays() {
    QFETCH(QVariant, stored);
    QFETCH(double, days);
    QCOMPARE(RelativeFilterDays(stored), days);
}

void TestDiaryEntryList::filterChoice_data() {
    QTest::addColumn<int>("art");
    QTest::addColumn<bool>("relative");
    QTest::addColumn<QVariant>("von");
    QTest::addColumn<QVariant>("bis");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QDate>("from");
    QTest::addColumn<QDate>("to");
    const QDate none;
    QTest::newRow("absolute") << 13 << false << QVariant("2026-01-05 00:00:00.000")
                              << QVariant("2026-01-11 00:00:00.000") << 13 << QDate(2026, 1, 5) << QDate(2026, 1, 11);
    QTest::newRow("relative week as numbers")
        << 2 << true << QVariant(-14) << QVariant(0) << 2 << QDate(2026, 2, 24) << QDate(2026, 3, 10);
    QTest::newRow("relative as zero-date days")
        << 2 << true << QVariant("1899-12-16 00:00:00.000") << QVariant("1899-12-31 00:00:00.000") << 2
        << QDate(2026, 2, 24) << QDate(2026, 3, 11);
    QTest::newRow("units digit 0 is a protocol, only from")
        << 20 << false << QVariant("2026-01-07 00:00:00.000") << QVariant() << 22 << QDate(2026, 1, 7) << none;
    QTest::newRow("open on both sides") << 3 << true << QVariant() << QVariant() << 3 << none << none;
}

void TestDiaryEntryList::filterChoice() {
    QFETCH(int, art);
    QFETCH(bool, relative);
    QFETCH(QVariant, von);
    QFETCH(QVariant, bis);
    QFETCH(int, kind);
    QFETCH(QDate, from);
    QFETCH(QDate, to);
    // Stored as raw values, the way the columns hold them.
    Statement st(db(),
                 QStringLiteral("UPDATE \"FILTER\" SET Art = ?, Relativ = ?, Von = ?, Bis = ? WHERE FilterNr = ?"));
    st.bind(1, art);
    st.bind(2, relative ? 1 : 0);
    st.bind(3, von);
    st.bind(4, bis);
    st.bind(5, ClubFixture::kFilter);
    st.step();
    const auto choice = ReadFilterChoice(db(), ClubFixture::kFilter, QDate(2026, 3, 10));
    QVERIFY(choice);
    QCOMPARE(choice->filterKey, ClubFixture::kFilter);
    QCOMPARE(choice->kindCode, kind);
    QCOMPARE(choice->from.value_or(QDate()), from);
    QCOMPARE(choice->to.value_or(QDate()), to);
}

void TestDiaryEntryList::missingFilter() {
    QVERIFY(!ReadFilterChoice(db(), 4711, QDate(2026, 3, 10)));
    DiaryQueryInput in;
    in.filterKey = 4711;
    QVERIFY(!LoadFilterLists(db(), 4711, in));
    QCOMPARE(in.filterKey, 0);
    QVERIFY(LoadFilterLists(db(), ClubFixture::kFilter, in));
    QCOMPARE(in.personen, (QStringList{QString::number(ClubFixture::kAnna), QString::number(ClubFixture::kPaul)}));
    QCOMPARE(in.autoren, QStringList{QString::number(ClubFixture::kCoach)});
}

void TestDiaryEntryList::listsTheQuery_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("person");
    QTest::addColumn<bool>("withFilter");
    QTest::addColumn<QDate>("from");
    QTest::addColumn<QDate>("to");
    QTest::addColumn<QStringList>("texts");
    QTest::newRow("Anna's protocols") << 2 << ClubFixture::kAnna << false << QDate() << QDate()
                                      << QStringList{"Grundlage", "Intervalle", "Langer Lauf"};
    QTest::newRow("Anna's plans") << 3 << ClubFixture::kAnna << false << QDate() << QDate()
                                  << QStringList{"Plan Montag"};
    QTest::newRow("from a day") << 2 << ClubFixture::kAnna << false << QDate(2026, 1, 7) << QDate()
                                << QStringList{"Intervalle", "Langer Lauf"};
    QTest::newRow("a to-date takes its whole day")
        << 2 << ClubFixture::kAnna << false << QDate() << QDate(2026, 1, 5) << QStringList{"Grundlage"};
    // Authors: the coach only, so Paul's own entry stays out.
    QTest::newRow("filter Ausdauer") << 2 << ClubFixture::kAnna << true << QDate() << QDate()
                                     << QStringList{"Grundlage", "Intervalle", "Langer Lauf"};
    QTest::newRow("no week entries") << 12 << ClubFixture::kAnna << false << QDate() << QDate() << QStringList{};
}

void TestDiaryEntryList::listsTheQuery() {
    QFETCH(int, kind);
    QFETCH(int, person);
    QFETCH(bool, withFilter);
    QFETCH(QDate, from);
    QFETCH(QDate, to);
    QFETCH(QStringList, texts);
    DiaryQueryInput in;
    in.kindCode = kind;
    in.personNr = person;
    in.name = QStringLiteral("Anna");
    in.fromTicked = from.isValid();
    in.from = from;
    in.toTicked = to.isValid();
    in.to = to;
    if (withFilter)
        QVERIFY(LoadFilterLists(db(), ClubFixture::kFilter, in));
    DiaryEntryList list(db());
    list.rebuild(in);
    Cursor &c = list.cursor();
    QCOMPARE(c.recordCount(), texts.size());
    QCOMPARE(c.recNo(), texts.size() - 1); // the newest entry
    QStringList listed;
    for (c.first(); !c.eof(); c.next())
        listed << c.asString(QStringLiteral("Beschreibung"));
    QCOMPARE(listed, texts);
    QCOMPARE(list.query().selection, BuildDiaryListQuery(in).selection);
}

// Lines that are no whole numbers never reach the SQL text, whatever put
// them into the filter row.
void TestDiaryEntryList::damagedFilterLinesAreSkipped() {
    DiaryQueryInput in;
    in.personNr = ClubFixture::kAnna;
    in.filterKey = ClubFixture::kFilter;
    in.personen =
        QStringList{QStringLiteral("Anna"), QStringLiteral("0) or (1 = 1"), QString::number(ClubFixture::kAnna)};
    DiaryEntryList list(db());
    list.rebuild(in);
    QVERIFY(list.cursor().isOpen());
    QCOMPARE(list.cursor().recordCount(), 3); // Anna's protocols, not every person's
    QCOMPARE(list.query().selection, QStringList{QStringLiteral("((tr.PersonNr = %1))").arg(ClubFixture::kAnna)});
}

void TestDiaryEntryList::engineErrorLeavesListClosed() {
    DiaryQueryInput in;
    in.personNr = ClubFixture::kAnna;
    db().dropTable(QStringLiteral("TR"));
    DiaryEntryList list(db());
    QVERIFY_THROWS_EXCEPTION(EngineError, list.rebuild(in));
    QVERIFY(!list.cursor().isOpen());
}

void TestDiaryEntryList::refind_data() {
    QTest::addColumn<QDateTime>("date");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<int>("position");
    QTest::newRow("middle entry by its date") << QDateTime(QDate(2026, 1, 7), QTime(0, 0)) << "Intervalle" << 1;
    QTest::newRow("first entry by its date") << QDateTime(QDate(2026, 1, 5), QTime(8, 0)) << "Grundlage" << 0;
    QTest::newRow("last entry by its date") << QDateTime(QDate(2026, 1, 11), QTime(18, 30)) << "Langer Lauf" << 2;
    QTest::newRow("entry moved to an earlier day") << QDateTime(QDate(2026, 1, 11), QTime(0, 0)) << "Grundlage" << 0;
    QTest::newRow("entry not listed rests on the last row")
        << QDateTime(QDate(2026, 1, 6), QTime(0, 0)) << "Paul läuft" << 2;
}

void TestDiaryEntryList::refind() {
    QFETCH(QDateTime, date);
    QFETCH(QString, entry);
    QFETCH(int, position);
    DiaryQueryInput in;
    in.personNr = ClubFixture::kAnna;
    DiaryEntryList list(db());
    list.rebuild(in);
    list.cursor().first();
    QCOMPARE(list.refind(date, ClubFixture::kSerial, trNrOf(entry)), position);
    QCOMPARE(list.cursor().recNo(), position);
    QVERIFY(list.cursor().isFiltered());
    QCOMPARE(list.cursor().recordCount(), 3);
}

void TestDiaryEntryList::lookUps() {
    DiaryQueryInput in;
    in.filterKey = ClubFixture::kFilter;
    QVERIFY(LoadFilterLists(db(), ClubFixture::kFilter, in));
    in.autoren.clear();
    DiaryEntryList list(db());
    DiaryListModel model(&list.cursor());
    QAbstractItemModelTester tester(&model);
    list.rebuild(in);
    model.setPersonNames(PersonNamesOfDocumentList(db()));
    QStringList titles;
    for (int c = 0; c < model.columnCount(); ++c)
        titles << model.headerData(c, Qt::Horizontal).toString();
    QCOMPARE(titles, (QStringList{"Wo", "     ", "Datum", "von Autor", "Beschreibung"}));
    model.setPersonColumnVisible(true);
    QVERIFY(model.personColumnVisible());
    QCOMPARE(model.headerData(4, Qt::Horizontal).toString(), QStringLiteral("für Person"));
    // Paul's own entry: author and person both Paul.
    int paulRow = -1;
    for (int r = 0; r < model.rowCount(); ++r)
        if (model.index(r, 5).data().toString() == QStringLiteral("Paul läuft"))
            paulRow = r;
    QVERIFY(paulRow >= 0);
    QVERIFY(!openName(ClubFixture::kPaul).isEmpty());
    QCOMPARE(model.index(paulRow, 3).data().toString(), openName(ClubFixture::kPaul).left(18));
    QCOMPARE(model.index(paulRow, 4).data().toString(), openName(ClubFixture::kPaul).left(25));
    QCOMPARE(model.index(0, 3).data().toString(), openName(ClubFixture::kCoach).left(18));
    QCOMPARE(model.index(0, 2).data().toString(), QStringLiteral("05.01.2026 08:00:00"));
    QCOMPARE(model.index(1, 2).data().toString(), QStringLiteral("06.01.2026 17:00:00"));
    QVERIFY(!(model.flags(model.index(0, 5)) & Qt::ItemIsEditable));
}

QTEST_GUILESS_MAIN(TestDiaryEntryList)
#include "tst_diaryentrylist.moc"
