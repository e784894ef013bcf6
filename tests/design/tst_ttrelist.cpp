#include "design/TTREList.h"

#include <QElapsedTimer>
#include <QTest>

using namespace velmora;

namespace {
struct Spec {
    int form, order, table, feld;
};

std::unique_ptr<TTREListEntry> element(const Spec &s) {
    auto e = std::make_unique<TTREListEntry>();
    e->FormularNr = s.form;
    e->Order = s.order;
    e->TableNr = s.table;
    e->FeldNr = s.feld;
    e->Name = TTREListEntry::MakeName(s.form, s.order, s.table, s.feld);
    return e;
}

// Three forms, added out of order. Form 7 shows block 9 in two separate
// runs, which the cursor (and BlockElements) must not join.
const QList<Spec> kElements = {
    {7, 3, 9, 1}, {2, 1, 5, 1}, {7, 0, 0, 1}, {2, 0, 0, 1}, {7, 1, 0, 4}, {7, 2, 9, 2},
    {4, 0, 0, 1}, {7, 4, 5, 1}, {2, 2, 5, 2}, {7, 5, 9, 3}, {4, 1, 5, 1},
};

void fill(TTREList &list, const QList<Spec> &specs = kElements) {
    for (const Spec &s : specs)
        list.Add(element(s));
}

// "form.order" of every element, in list order.
QStringList keys(const std::vector<TTREListEntry *> &entries) {
    QStringList result;
    for (const TTREListEntry *e : entries)
        result << QStringLiteral("%1.%2").arg(e->FormularNr).arg(e->Order);
    return result;
}

QStringList keys(const TTREList &list) {
    std::vector<TTREListEntry *> all;
    for (int i = 0; i < list.Count(); ++i)
        all.push_back(list.Items(i));
    return keys(all);
}
} // namespace

class TestTTREList : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void name();
    void werte_data();
    void werte();
    void sortOrdersByFormAndOrder();
    void equalPairsKeepTheirOrder();
    void cursor_data();
    void cursor();
    void lookupsSortFirst();
    void removeForm_data();
    void removeForm();
    void deleteAndClear();
    void findByOrderAndName();
    void replaceOneFormInALargeList();
};

void TestTTREList::name() {
    QCOMPARE(TTREListEntry::MakeName(12, 3, 5, 2), QStringLiteral("f12o3t5e2d"));
    // The largest numbers still fit the 40 characters of the name.
    QVERIFY(TTREListEntry::MakeName(-2147483647 - 1, -32768, -2147483647 - 1, -32768).size() <= 40);
}

void TestTTREList::werte_data() {
    QTest::addColumn<QString>("typ");
    QTest::addColumn<QString>("memo");
    QTest::addColumn<bool>("hasWerte");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<double>("smallest");
    QTest::addColumn<double>("largest");
    QTest::newRow("empty memo: no list") << "F"
                                         << "" << false << QStringList() << 0.0 << 0.0;
    QTest::newRow("10 and abc") << "F"
                                << "10\r\nabc" << true << QStringList{"10", "abc"} << 10.0 << 0.0;
    QTest::newRow("range with final break") << "I"
                                            << "1\r\n5\r\n"
                                            << true << QStringList{"1", "5"} << 1.0 << 5.0;
    QTest::newRow("comma and point") << "Z"
                                     << "2,5\n7.5" << true << QStringList{"2,5", "7.5"} << 2.5 << 7.5;
    QTest::newRow("German decimals and thousands")
        << "F"
        << "1,500\r2.000" << true << QStringList{"1,500", "2.000"} << 1.5 << 2000.0;
    QTest::newRow("negative, blanks") << "N"
                                      << " -3 \r 12" << true << QStringList{" -3 ", " 12"} << -3.0 << 12.0;
    QTest::newRow("one line only") << "S"
                                   << "7" << true << QStringList{"7"} << 7.0 << 0.0;
    QTest::newRow("empty first line") << "F"
                                      << "\r\n9" << true << QStringList{"", "9"} << 0.0 << 9.0;
    QTest::newRow("a lone break is one empty line") << "N"
                                                    << "\r\n"
                                                    << true << QStringList{""} << 0.0 << 0.0;
    QTest::newRow("no range code") << "A"
                                   << "3\r\n9" << true << QStringList{"3", "9"} << 0.0 << 0.0;
    QTest::newRow("choice list") << "C"
                                 << "rot\r\ngrün\r\nblau" << true << QStringList{"rot", "grün", "blau"} << 0.0 << 0.0;
    QTest::newRow("lower-case code") << "f"
                                     << "1\r\n2" << true << QStringList{"1", "2"} << 0.0 << 0.0;
}

void TestTTREList::werte() {
    QFETCH(QString, typ);
    QFETCH(QString, memo);
    QFETCH(bool, hasWerte);
    QFETCH(QStringList, lines);
    QFETCH(double, smallest);
    QFETCH(double, largest);
    TTREListEntry e;
    e.Typ = typ.at(0);
    e.Smallest = e.Largest = 99; // leftovers of an earlier list must go
    e.SetWerte(memo);
    QCOMPARE(e.Werte.has_value(), hasWerte);
    if (hasWerte)
        QCOMPARE(*e.Werte, lines);
    QCOMPARE(e.Smallest, smallest);
    QCOMPARE(e.Largest, largest);
}

void TestTTREList::sortOrdersByFormAndOrder() {
    TTREList list;
    fill(list);
    QVERIFY(!list.IsSorted());
    list.Sort();
    QVERIFY(list.IsSorted());
    QCOMPARE(keys(list), (QStringList{"2.0", "2.1", "2.2", "4.0", "4.1", "7.0", "7.1", "7.2", "7.3", "7.4", "7.5"}));
    // Appending behind the last element keeps the list in order.
    list.Add(element({9, 0, 0, 1}));
    QVERIFY(list.IsSorted());
    list.Add(element({3, 0, 0, 1}));
    QVERIFY(!list.IsSorted());
    list.Sort();
    QCOMPARE(keys(list).mid(3, 2), (QStringList{"3.0", "4.0"}));
}

void TestTTREList::equalPairsKeepTheirOrder() {
    TTREList list;
    fill(list, {{5, 1, 8, 1}, {5, 1, 8, 2}, {1, 0, 0, 1}, {5, 1, 8, 3}});
    list.Sort();
    list.Add(element({5, 1, 8, 4}));
    list.Add(element({5, 0, 8, 5}));
    list.Sort();
    QList<int> felder;
    for (int i = 0; i < list.Count(); ++i)
        felder << list.Items(i)->FeldNr;
    QCOMPARE(felder, (QList<int>{1, 5, 1, 2, 3, 4}));
}

void TestTTREList::cursor_data() {
    QTest::addColumn<int>("form");
    QTest::addColumn<int>("table");
    QTest::addColumn<QStringList>("delivered");
    QTest::newRow("header block") << 7 << 0 << QStringList{"7.0", "7.1"};
    QTest::newRow("first run of a split block only") << 7 << 9 << QStringList{"7.2", "7.3"};
    QTest::newRow("block of the first form") << 2 << 5 << QStringList{"2.1", "2.2"};
    QTest::newRow("single element, next form follows") << 4 << 5 << QStringList{"4.1"};
    QTest::newRow("block at the end of the list") << 7 << 5 << QStringList{"7.4"};
    QTest::newRow("block not in the form") << 4 << 9 << QStringList();
    QTest::newRow("form not in the list") << 3 << 0 << QStringList();
}

void TestTTREList::cursor() {
    QFETCH(int, form);
    QFETCH(int, table);
    QFETCH(QStringList, delivered);
    TTREList list;
    fill(list);
    list.Sort();
    list.First(form, table);
    std::vector<TTREListEntry *> seen;
    for (; !list.AtEnd(); list.Next()) {
        QVERIFY(list.Current());
        seen.push_back(list.Current());
        QVERIFY(seen.size() <= size_t(list.Count()));
    }
    QCOMPARE(keys(seen), delivered);
    QCOMPARE(keys(list.BlockElements(form, table)), delivered);
    if (delivered.isEmpty())
        QCOMPARE(list.Current(), nullptr); // the cursor went past the list
}

void TestTTREList::lookupsSortFirst() {
    TTREList list;
    fill(list);
    // No Sort() after appending: the lookups still see every element in order.
    list.First(7, 0);
    QVERIFY(!list.AtEnd());
    QCOMPARE(list.Current()->Order, 0);
    QVERIFY(list.IsSorted());
    QCOMPARE(keys(list.FormElements(2)), (QStringList{"2.0", "2.1", "2.2"}));
}

void TestTTREList::removeForm_data() {
    QTest::addColumn<int>("form");
    QTest::addColumn<QStringList>("remaining");
    QTest::newRow("first form") << 2 << QStringList{"4.0", "4.1", "7.0", "7.1", "7.2", "7.3", "7.4", "7.5"};
    QTest::newRow("middle form") << 4 << QStringList{"2.0", "2.1", "2.2", "7.0", "7.1", "7.2", "7.3", "7.4", "7.5"};
    QTest::newRow("last form") << 7 << QStringList{"2.0", "2.1", "2.2", "4.0", "4.1"};
    QTest::newRow("form not in the list")
        << 5 << QStringList{"2.0", "2.1", "2.2", "4.0", "4.1", "7.0", "7.1", "7.2", "7.3", "7.4", "7.5"};
}

void TestTTREList::removeForm() {
    QFETCH(int, form);
    QFETCH(QStringList, remaining);
    TTREList list;
    fill(list);
    list.First(2, 0);
    list.RemoveForm(form);
    QCOMPARE(keys(list), remaining);
    QVERIFY(list.FormElements(form).empty());
    // The cursor does not point into what was removed.
    QVERIFY(list.AtEnd());
}

void TestTTREList::deleteAndClear() {
    TTREList list;
    fill(list);
    list.Sort();
    list.Delete(list.Count());
    list.Delete(-1);
    QCOMPARE(list.Count(), kElements.size());
    list.Delete(0);
    QCOMPARE(keys(list).first(), QStringLiteral("2.1"));
    QVERIFY(list.IsSorted());
    list.Clear();
    QCOMPARE(list.Count(), 0);
    list.First(7, 0);
    QVERIFY(list.AtEnd());
    QCOMPARE(list.Items(0), nullptr);
}

void TestTTREList::findByOrderAndName() {
    TTREList list;
    fill(list);
    TTREListEntry *e = list.Find(7, 3);
    QVERIFY(e);
    QCOMPARE(e->FeldNr, 1);
    QCOMPARE(list.Find(7, 6), nullptr);
    QCOMPARE(list.Find(1, 0), nullptr);
    QCOMPARE(list.FindByName(QStringLiteral("f7o3t9e1d")), e);
    QCOMPARE(list.FindByName(QStringLiteral("f7o3t9e2d")), nullptr);
    QCOMPARE(list.FindByName(QStringLiteral("Ff7o3t9e1d")), nullptr);
}

void TestTTREList::replaceOneFormInALargeList() {
    // 20,000 elements of 2,000 forms; one form in the middle is replaced as
    // the form designer does it.
    TTREList list;
    for (int form = 1; form <= 2000; ++form)
        for (int order = 0; order < 10; ++order)
            list.Add(element({form, order, order < 2 ? 0 : form, order}));
    list.Sort();
    QCOMPARE(list.Count(), 20000);

    QElapsedTimer timer;
    timer.start();
    list.RemoveForm(1000);
    for (int order = 11; order >= 0; --order)
        list.Add(element({1000, order, order < 2 ? 0 : 77, order + 100}));
    list.Sort();
    qInfo("replacing one form of 20,000 elements: %.3f ms", double(timer.nsecsElapsed()) / 1e6);

    QCOMPARE(list.Count(), 20002);
    const std::vector<TTREListEntry *> form = list.FormElements(1000);
    QCOMPARE(int(form.size()), 12);
    for (int i = 0; i < 12; ++i)
        QCOMPARE(form[size_t(i)]->FeldNr, i + 100);
    QCOMPARE(keys(list.BlockElements(1000, 77)).size(), 10);
    QCOMPARE(list.Items(0)->FormularNr, 1);
    QCOMPARE(list.Items(list.Count() - 1)->FormularNr, 2000);
    QCOMPARE(list.FormElements(999).size(), size_t(10));
    QCOMPARE(list.FormElements(1001).size(), size_t(10));
}

QTEST_GUILESS_MAIN(TestTTREList)
#include "tst_ttrelist.moc"
