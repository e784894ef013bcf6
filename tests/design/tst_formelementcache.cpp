#include "base/Progress.h"
#include "design/FormElementCache.h"
#include "store/Errors.h"
#include "store/Query.h"
#include "support/ClubFixture.h"
#include "support/TempInstallation.h"

#include <QTest>

using namespace velmora;
using velmora::test::ClubFixture;
using velmora::test::TempInstallation;

class TestFormElementCache : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void queryText();
    void elements_data();
    void elements();
    void progressCalls();
    void blocksOfTheForm();
    void rebuildReplacesTheList();
    void failedRebuildKeepsTheList();
    void replaceOneForm();

private:
    void exec(const QString &sql) { m_inst->db().exec(sql); }

    std::unique_ptr<TempInstallation> m_inst;
    std::unique_ptr<ClubFixture> m_club;
};

void TestFormElementCache::init() {
    m_inst = std::make_unique<TempInstallation>(ClubFixture::kSerial);
    m_club = std::make_unique<ClubFixture>(m_inst->db());
    FormElementCache().Clear();
}

void TestFormElementCache::cleanup() {
    FormElementCache().Clear();
    m_club.reset();
    m_inst.reset();
}

void TestFormElementCache::queryText() {
    const QString expected = QStringLiteral(
        "select FField.*,\n"
        "       TrField.FeldName, TrField.Typ, TrField.DisplayMask, TrField.Strikt, TrField.Calculated, "
        "TrField.DisplayWidth,\n"
        "       TrField.\"Left\", TrField.Top, TrField.Width, TrField.Height, TrField.PrefixLeft, TrField.PrefixTop, "
        "TrField.PostfixLeft, TrField.PostfixTop,\n"
        "       TrTable.Filename, TrTable.Grid, TrTable.Client\n"
        "from FField, TrField, TrTable\n"
        "where (FField.TableNr = TrField.TableNr) and \n"
        "(FField.FeldNr = TrField.\"Order\") and \n"
        "(FField.TableNr = TrTable.TableNr)\n"
        "order by FField.FormularNr, FField.\"Order\"");
    QCOMPARE(FormElementQuerySql(), expected);
    QVERIFY(FormElementQuerySqlForForm().contains(QStringLiteral("\n(FField.FormularNr = :FormularNr) and \n")));
}

void TestFormElementCache::elements_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("order");
    QTest::addColumn<int>("table");
    QTest::addColumn<int>("feld");
    QTest::addColumn<QString>("typ");
    QTest::addColumn<QString>("feldname");
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<int>("left");
    QTest::addColumn<int>("top");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("displayWidth");
    const int b = ClubFixture::kBlock;
    QTest::newRow("Datum") << 0 << 0 << 0 << 1 << "T"
                           << "Datum"
                           << "" << 100 << 4 << 150 << 10;
    QTest::newRow("Beschreibung") << 1 << 1 << 0 << 4 << "M"
                                  << "Beschreibung"
                                  << "" << 100 << 28 << 440 << 10;
    QTest::newRow("Dauer") << 2 << 2 << b << 1 << "I"
                           << "Dauer"
                           << "Dauer" << 0 << 4 << 0 << 0;
    QTest::newRow("Strecke") << 3 << 3 << b << 2 << "F"
                             << "Strecke"
                             << "Strecke" << 0 << 28 << 0 << 0;
    QTest::newRow("Belastung") << 4 << 4 << b << 3 << "X"
                               << "Belastung"
                               << "Belastung" << 0 << 52 << 0 << 0;
    QTest::newRow("Notiz") << 5 << 5 << b << 4 << "A"
                           << "Notiz"
                           << "Notiz" << 0 << 76 << 0 << 0;
}

void TestFormElementCache::elements() {
    QFETCH(int, index);
    QFETCH(int, order);
    QFETCH(int, table);
    QFETCH(int, feld);
    QFETCH(QString, typ);
    QFETCH(QString, feldname);
    QFETCH(QString, prefix);
    QFETCH(int, left);
    QFETCH(int, top);
    QFETCH(int, width);
    QFETCH(int, displayWidth);
    LoadFormElementCache(m_inst->db(), nullptr);
    TTREList &cache = FormElementCache();
    QCOMPARE(cache.Count(), 6);
    const TTREListEntry *e = cache.Items(index);
    QVERIFY(e);
    QCOMPARE(e->FormularNr, ClubFixture::kForm);
    QCOMPARE(e->Order, order);
    QCOMPARE(e->TableNr, table);
    QCOMPARE(e->FeldNr, feld);
    QCOMPARE(QString(e->Typ), typ);
    QCOMPARE(e->Name, QStringLiteral("f%1o%2t%3e%4d").arg(ClubFixture::kForm).arg(order).arg(table).arg(feld));
    QCOMPARE(e->Feldname, feldname);
    QCOMPARE(e->Prefix, prefix);
    QCOMPARE(e->Postfix, QString());
    QCOMPARE(e->Left, left);
    QCOMPARE(e->Top, top);
    QCOMPARE(e->Width, width);
    QCOMPARE(e->DisplayWidth, displayWidth);
    QVERIFY(e->Visible);
    QVERIFY(e->Print);
    QVERIFY(!e->Werte);
    QCOMPARE(e->Control.data(), nullptr);
}

void TestFormElementCache::progressCalls() {
    SilentProgress progress;
    progress.AddStep(QStringLiteral("Datenbank überprüfen"));
    progress.AddStep(QStringLiteral("Templates erstellen"));
    progress.ShowProgress();
    progress.StepDone();
    progress.SetProgressRange(100);
    progress.AdvanceProgress(40);
    LoadFormElementCache(m_inst->db(), &progress);
    QCOMPARE(progress.maximum, 6);
    QCOMPARE(progress.position, 6);
    QCOMPARE(progress.done, 2);
    QCOMPARE(FormElementCache().Count(), 6);

    // Without rows the range is empty and the step is still ticked.
    exec(QStringLiteral("DELETE FROM FFIELD"));
    progress.AddStep(QStringLiteral("Templates erstellen"));
    LoadFormElementCache(m_inst->db(), &progress);
    QCOMPARE(progress.maximum, 0);
    QCOMPARE(progress.position, 0);
    QCOMPARE(progress.done, 3);
    QCOMPARE(FormElementCache().Count(), 0);
}

void TestFormElementCache::blocksOfTheForm() {
    LoadFormElementCache(nullptr);
    TTREList &cache = FormElementCache();
    QList<int> felder;
    for (cache.First(ClubFixture::kForm, 0); !cache.AtEnd(); cache.Next())
        felder << cache.Current()->FeldNr;
    QCOMPARE(felder, (QList<int>{1, 4}));
    felder.clear();
    for (cache.First(ClubFixture::kForm, ClubFixture::kBlock); !cache.AtEnd(); cache.Next())
        felder << cache.Current()->FeldNr;
    QCOMPARE(felder, (QList<int>{1, 2, 3, 4}));
}

void TestFormElementCache::rebuildReplacesTheList() {
    LoadFormElementCache(m_inst->db(), nullptr);
    const int other = ClubFixture::kForm + 1;
    // A second form with a ranged field, a field whose TRFIELD row is gone
    // (not joined, so not an element) and one row less in the first form.
    exec(
        QStringLiteral("INSERT INTO FFIELD (FormularNr, \"Order\", TableNr, FeldNr, Prefix, Werte, Visible, \"Print\") "
                       "VALUES (%1, 1, %2, 2, 'km', '10' || char(13) || char(10) || 'abc', 0, 1)")
            .arg(other)
            .arg(ClubFixture::kBlock));
    exec(QStringLiteral("INSERT INTO FFIELD (FormularNr, \"Order\", TableNr, FeldNr) VALUES (%1, 2, %2, 9)")
             .arg(other)
             .arg(ClubFixture::kBlock));
    exec(QStringLiteral("DELETE FROM FFIELD WHERE FormularNr = %1 AND \"Order\" = 5").arg(ClubFixture::kForm));
    LoadFormElementCache(m_inst->db(), nullptr);

    TTREList &cache = FormElementCache();
    QCOMPARE(cache.Count(), 6);
    QCOMPARE(cache.FormElements(ClubFixture::kForm).size(), size_t(5));
    const std::vector<TTREListEntry *> second = cache.FormElements(other);
    QCOMPARE(second.size(), size_t(1));
    const TTREListEntry *e = second.front();
    QCOMPARE(e->Prefix, QStringLiteral("km"));
    QVERIFY(!e->Visible);
    QCOMPARE(*e->Werte, (QStringList{QStringLiteral("10"), QStringLiteral("abc")}));
    QCOMPARE(e->Smallest, 10.0);
    QCOMPARE(e->Largest, 0.0);
}

void TestFormElementCache::failedRebuildKeepsTheList() {
    LoadFormElementCache(m_inst->db(), nullptr);
    const TTREListEntry *before = FormElementCache().Items(0);
    m_inst->db().dropTable(QStringLiteral("TRTABLE"));
    SilentProgress progress;
    progress.AddStep(QStringLiteral("Templates erstellen"));
    QVERIFY_THROWS_EXCEPTION(EngineError, LoadFormElementCache(m_inst->db(), &progress));
    QCOMPARE(progress.done, 0);
    QCOMPARE(FormElementCache().Count(), 6);
    QCOMPARE(FormElementCache().Items(0), before);
}

void TestFormElementCache::replaceOneForm() {
    const int other = ClubFixture::kForm + 1;
    exec(QStringLiteral("INSERT INTO FFIELD (FormularNr, \"Order\", TableNr, FeldNr) VALUES (%1, 0, 0, 1)").arg(other));
    LoadFormElementCache(m_inst->db(), nullptr);
    TTREList &cache = FormElementCache();
    const TTREListEntry *untouched = cache.Find(other, 0);
    QVERIFY(untouched);

    exec(QStringLiteral("UPDATE FFIELD SET Prefix = 'Minuten' WHERE FormularNr = %1 AND \"Order\" = 2")
             .arg(ClubFixture::kForm));
    exec(QStringLiteral("INSERT INTO FFIELD (FormularNr, \"Order\", TableNr, FeldNr) VALUES (%1, 6, %2, 2)")
             .arg(ClubFixture::kForm)
             .arg(ClubFixture::kBlock));
    Query q(m_inst->db(), FormElementQuerySqlForForm());
    q.setParam(QStringLiteral("FormularNr"), ClubFixture::kForm);
    q.open();
    QCOMPARE(q.recordCount(), 7);
    cache.ReplaceForm(ClubFixture::kForm, q);

    QCOMPARE(cache.Count(), 8);
    QVERIFY(cache.IsSorted());
    QCOMPARE(cache.Find(ClubFixture::kForm, 2)->Prefix, QStringLiteral("Minuten"));
    QCOMPARE(cache.Find(ClubFixture::kForm, 6)->FeldNr, 2);
    QCOMPARE(cache.Find(other, 0), untouched);
    QCOMPARE(cache.Items(cache.Count() - 1), untouched);
}

QTEST_GUILESS_MAIN(TestFormElementCache)
#include "tst_formelementcache.moc"
