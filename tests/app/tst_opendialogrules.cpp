// The open dialog's rules without its window: the tree's groups, the filter
// per group and "Daten" choice, the read-only rule and the time ranges.
#include "app/OpenDialogRules.h"

#include <QTest>

using namespace velmora;

namespace {
constexpr int kMe = 65538, kGrp = 65537, kCoach = 65540;
}

class TestOpenDialogRules : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void groups();
    void filters_data();
    void filters();
    void readOnly_data();
    void readOnly();
    void ranges_data();
    void ranges();
};

void TestOpenDialogRules::groups() {
    QStringList captions, standard;
    QList<int> kinds;
    for (const OpenTreeGroup &g : OpenDialogRules::groups()) {
        captions << g.caption;
        kinds << g.kind;
        if (OpenDialogRules::shown(g, false))
            standard << g.caption;
        QVERIFY(OpenDialogRules::shown(g, true));
        QVERIFY(g.imageIndex >= 0 && g.imageIndex < OpenDialogRules::kImageCount);
        QVERIFY(g.selectedIndex >= 0 && g.selectedIndex < OpenDialogRules::kImageCount);
    }
    QCOMPARE(captions, (QStringList{"Sportler & Gruppen", "Plan", "Protokoll", "Formularbaustein", "Formular", "Filter",
                                    "Auswertung", "Arbeitsbuch"}));
    QCOMPARE(kinds, (QList<int>{-90, 3, 2, -97, 1, -92, -95, -96}));
    QCOMPARE(standard, (QStringList{"Plan", "Protokoll", "Auswertung", "Arbeitsbuch"}));
    const auto &g = OpenDialogRules::groups();
    QCOMPARE(g[0].imageIndex, 6);
    QCOMPARE(g[1].selectedIndex, 2);
    QCOMPARE(g[3].imageIndex, 10);
    QCOMPARE(g[4].imageIndex, 12);
    QCOMPARE(g[5].imageIndex, 9);
    QCOMPARE(g[6].imageIndex, 7);
    QCOMPARE(g[7].selectedIndex, 8);
}

void TestOpenDialogRules::filters_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("choice");
    QTest::addColumn<QString>("expected");
    const QString both = QStringLiteral("((Type = 'P') OR (Type = 'G'))");
    QTest::newRow("persons, mine") << -90 << 0 << both + " AND (Key1 = 65538)";
    QTest::newRow("persons, group") << -90 << 1 << both + " AND (Gruppe = 65537)";
    QTest::newRow("persons, coach") << -90 << 2 << both + " AND (Trainer = 65540)";
    QTest::newRow("persons, all") << -90 << 3 << both;
    QTest::newRow("plan, mine") << 3 << 0 << "((Type = 'P') AND (Key1 = 65538)) OR ((Type = 'G') AND (Gruppe = 65537))";
    QTest::newRow("plan, group") << 3 << 1 << both + " AND (Gruppe = 65537)";
    QTest::newRow("plan, coach") << 3 << 2 << both + " AND (Trainer = 65540)";
    QTest::newRow("plan, all") << 3 << 3 << both + " AND (Gruppe > 1)";
    QTest::newRow("protocol, mine") << 2 << 0
                                    << "((Type = 'P') AND (Key1 = 65538)) OR ((Type = 'G') AND (Gruppe = 65537))";
    QTest::newRow("protocol, all") << 2 << 3 << both + " AND (Gruppe > 1)";
    for (int d = 0; d < 4; ++d) {
        QTest::addRow("blocks %d", d) << -97 << d << "Type = 'T'";
        QTest::addRow("forms %d", d) << 1 << d << "Type = 'L'";
        QTest::addRow("filters %d", d) << -92 << d << "(Type = 'F') AND (Key1 > 10)";
    }
    QTest::newRow("evaluation, mine") << -95 << 0 << "(Type = 'A') AND (Trainer = 65538)";
    QTest::newRow("evaluation, group") << -95 << 1 << "(Type = 'A') AND ((Trainer = 65538) OR (Trainer = 65540))";
    QTest::newRow("evaluation, coach") << -95 << 2 << "(Type = 'A') AND ((Trainer = 65538) OR (Trainer = 65540))";
    QTest::newRow("evaluation, all") << -95 << 3 << "Type = 'A'";
    QTest::newRow("workbook, mine") << -96 << 0 << "(Type = 'W') AND (Trainer = 65538)";
    QTest::newRow("workbook, coach") << -96 << 2 << "(Type = 'W') AND ((Trainer = 65538) OR (Trainer = 65540))";
    QTest::newRow("workbook, all") << -96 << 3 << "Type = 'W'";
    // A stored choice out of range narrows rather than widens.
    QTest::newRow("choice out of range") << 2 << 7
                                         << "((Type = 'P') AND (Key1 = 65538)) OR ((Type = 'G') AND (Gruppe = 65537))";
}

void TestOpenDialogRules::filters() {
    QFETCH(int, kind);
    QFETCH(int, choice);
    QFETCH(QString, expected);
    QCOMPARE(OpenDialogRules::filter(kind, choice, kMe, kGrp, kCoach), expected);
}

void TestOpenDialogRules::readOnly_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("key1");
    QTest::addColumn<int>("trainer");
    QTest::addColumn<bool>("expected");
    const int other = 70000;
    QTest::newRow("own protocol") << 2 << kMe << other << false;
    QTest::newRow("another's protocol, though coached by me") << 2 << other << kMe << true;
    QTest::newRow("plan of someone I coach") << 3 << other << kMe << false;
    QTest::newRow("own plan, another coach") << 3 << kMe << other << true;
    QTest::newRow("own card") << -90 << kMe << other << false;
    QTest::newRow("card of someone I coach") << -90 << other << kMe << false;
    QTest::newRow("another's card") << -90 << other << other << true;
    QTest::newRow("own block") << -97 << other << kMe << false;
    QTest::newRow("another's block") << -97 << kMe << other << true;
    QTest::newRow("another's evaluation") << -95 << kMe << other << true;
    QTest::newRow("own evaluation") << -95 << other << kMe << false;
    QTest::newRow("another's filter") << -92 << kMe << other << true;
    QTest::newRow("own filter") << -92 << other << kMe << false;
    QTest::newRow("another's form") << 1 << other << other << false;
    QTest::newRow("another's workbook") << -96 << other << other << false;
}

void TestOpenDialogRules::readOnly() {
    QFETCH(int, kind);
    QFETCH(int, key1);
    QFETCH(int, trainer);
    QFETCH(bool, expected);
    QCOMPARE(OpenDialogRules::readOnly(kind, key1, trainer, kMe), expected);
}

void TestOpenDialogRules::ranges_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("number");
    QTest::addColumn<int>("year");
    QTest::addColumn<QDate>("from");
    QTest::addColumn<QDate>("to");
    QTest::newRow("Monat December rolls over") << "Monat" << 12 << 2000 << QDate(2000, 12, 1) << QDate(2001, 1, 1);
    QTest::newRow("Monat February") << "Monat" << 2 << 2024 << QDate(2024, 2, 1) << QDate(2024, 3, 1);
    QTest::newRow("Jahr") << "Jahr" << 0 << 2000 << QDate(2000, 1, 1) << QDate(2001, 1, 1);
    QTest::newRow("Jahr last") << "Jahr" << 0 << 2100 << QDate(2100, 1, 1) << QDate(2101, 1, 1);
    QTest::newRow("Woche 2 of 2026") << "Woche" << 2 << 2026 << QDate(2026, 1, 5) << QDate(2026, 1, 11);
    QTest::newRow("Woche 1 starts in the old year") << "Woche" << 1 << 2026 << QDate(2025, 12, 29) << QDate(2026, 1, 4);
    QTest::newRow("heute") << "heute" << 0 << 0 << QDate(2026, 3, 4) << QDate(2026, 3, 4);
    QTest::newRow("alles") << "alles" << 0 << 0 << QDate() << QDate();
}

void TestOpenDialogRules::ranges() {
    QFETCH(QString, button);
    QFETCH(int, number);
    QFETCH(int, year);
    QFETCH(QDate, from);
    QFETCH(QDate, to);
    OpenRange r;
    if (button == QLatin1String("Monat"))
        r = OpenDialogRules::month(number, year);
    else if (button == QLatin1String("Jahr"))
        r = OpenDialogRules::year(year);
    else if (button == QLatin1String("Woche"))
        r = OpenDialogRules::week(number, year);
    else if (button == QLatin1String("heute"))
        r = OpenDialogRules::today(from);
    else
        r = OpenDialogRules::all();
    QCOMPARE(r.from, from);
    QCOMPARE(r.to, to);
}

QTEST_GUILESS_MAIN(TestOpenDialogRules)
#include "tst_opendialogrules.moc"
