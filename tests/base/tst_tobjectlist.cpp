#include "base/TObjectList.h"

#include <QTest>

using namespace velmora;

namespace {
// Records its own destruction, so the test sees which objects were freed and when.
struct Tracked {
    Tracked(int id, QList<int> &freed) : id(id), freed(freed) {}
    ~Tracked() { freed << id; }
    int id;
    QList<int> &freed;
};

void fill(TObjectList<Tracked> &list, QList<int> &freed, int n) {
    for (int i = 0; i < n; ++i)
        list.Add(std::make_unique<Tracked>(i, freed));
}

QList<int> ids(const TObjectList<Tracked> &list) {
    QList<int> result;
    for (int i = 0; i < list.Count(); ++i)
        result << list[i]->id;
    return result;
}
} // namespace

class TestTObjectList : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void deleteByIndex_data();
    void deleteByIndex();
    void clearFreesInListOrder();
    void destructionFreesTheRest();
    void extractHandsOwnershipOver();
    void insertAndLookups();
};

void TestTObjectList::deleteByIndex_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<QList<int>>("remaining");
    QTest::addColumn<QList<int>>("freed");
    QTest::newRow("first") << 0 << QList<int>{1, 2} << QList<int>{0};
    QTest::newRow("middle") << 1 << QList<int>{0, 2} << QList<int>{1};
    QTest::newRow("last") << 2 << QList<int>{0, 1} << QList<int>{2};
    QTest::newRow("at the count: ignored") << 3 << QList<int>{0, 1, 2} << QList<int>{};
    QTest::newRow("beyond the count: ignored") << 17 << QList<int>{0, 1, 2} << QList<int>{};
    QTest::newRow("negative: ignored") << -1 << QList<int>{0, 1, 2} << QList<int>{};
}

void TestTObjectList::deleteByIndex() {
    QFETCH(int, index);
    QFETCH(QList<int>, remaining);
    QFETCH(QList<int>, freed);
    QList<int> gone;
    {
        TObjectList<Tracked> list;
        fill(list, gone, 3);
        list.Delete(index);
        QCOMPARE(ids(list), remaining);
        QCOMPARE(gone, freed);
        QCOMPARE(list.Count(), remaining.size());
    }
}

void TestTObjectList::clearFreesInListOrder() {
    QList<int> gone;
    TObjectList<Tracked> list;
    fill(list, gone, 4);
    list.Clear();
    QCOMPARE(list.Count(), 0);
    QVERIFY(list.IsEmpty());
    QCOMPARE(gone, (QList<int>{0, 1, 2, 3}));
    QCOMPARE(list.Items(0), nullptr);
    // Clearing an empty list is harmless.
    list.Clear();
    QCOMPARE(gone.size(), 4);
}

void TestTObjectList::destructionFreesTheRest() {
    QList<int> gone;
    {
        TObjectList<Tracked> list;
        fill(list, gone, 3);
        list.Delete(1);
    }
    QCOMPARE(gone, (QList<int>{1, 0, 2}));
}

void TestTObjectList::extractHandsOwnershipOver() {
    QList<int> gone;
    TObjectList<Tracked> list;
    fill(list, gone, 3);
    std::unique_ptr<Tracked> taken = list.Extract(1);
    QVERIFY(taken);
    QCOMPARE(taken->id, 1);
    QCOMPARE(ids(list), (QList<int>{0, 2}));
    QVERIFY(gone.isEmpty());
    QVERIFY(!list.Extract(5));
    taken.reset();
    QCOMPARE(gone, QList<int>{1});
}

void TestTObjectList::insertAndLookups() {
    QList<int> gone;
    TObjectList<Tracked> list;
    fill(list, gone, 2);
    list.Insert(0, std::make_unique<Tracked>(7, gone));
    list.Insert(99, std::make_unique<Tracked>(8, gone));
    QCOMPARE(ids(list), (QList<int>{7, 0, 1, 8}));
    QCOMPARE(list.First()->id, 7);
    QCOMPARE(list.Last()->id, 8);
    QCOMPARE(list.IndexOf(list[2]), 2);
    QCOMPARE(list.IndexOf(nullptr), -1);
    QCOMPARE(list.Items(-1), nullptr);
    QCOMPARE(list.Items(4), nullptr);
}

QTEST_GUILESS_MAIN(TestTObjectList)
#include "tst_tobjectlist.moc"
