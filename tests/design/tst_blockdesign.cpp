#include "design/BlockDesign.h"
#include "store/Cursor.h"
#include "store/Query.h"
#include "support/TempInstallation.h"

#include <QTest>

using namespace velmora;
using velmora::test::TempInstallation;

namespace {
void addField(BlockDesign &d, const QString &name, const QString &typ, int size = 0) {
    d.appendField();
    d.fields().setValue(QStringLiteral("Feldname"), name);
    d.fields().setValue(QStringLiteral("Beschreibung"), name);
    d.fields().setValue(QStringLiteral("Typ"), typ);
    d.fields().setValue(QStringLiteral("Größe"), size);
    d.fields().post();
}

int count(Database &db, const QString &sql) {
    Query q(db, sql);
    q.open();
    return q.value(0).toInt();
}
// A finished card block "Lauf" with one integer field, as block 65537.
void finishLauf(BlockDesign &d, const QString &dir) {
    d.openNew(65538);
    d.block().setValue(QStringLiteral("Name"), QStringLiteral("Lauf"));
    addField(d, QStringLiteral("A"), QStringLiteral("I"));
    d.finish(dir + QStringLiteral("/v.IDX"));
}
} // namespace

class TestBlockDesign : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void numbersFollowTheInstallation();
    void nextTableNameSkipsForeignNames();
    void newBlockRowIsWrittenAtOnce();
    void fieldOrderCountsUp();
    void finishBuildsTheTable();
    void finishWithoutFieldsIsRefused();
    void failedFinishKeepsTheTypedRow();
    void discardLeavesNoRows();
    void discardNeverRemovesAFinishedBlock();
    void existingBlockIsReadOnly();
    void unfinishedBlockKeepsItsTableName();
    void gridCheckedAgainAtFinish_data();
    void gridCheckedAgainAtFinish();
};

void TestBlockDesign::numbersFollowTheInstallation() {
    TempInstallation inst(3);
    Database &db = inst.db();
    // A block imported from installation 5 does not move installation 3's numbers.
    db.exec(QStringLiteral("INSERT INTO TRTABLE (TableNr, Name, Filename, Art) VALUES (327681, 'Fremd', 'TR_9', 'T')"));
    BlockDesign first(db, 3);
    first.openNew(196700);
    QCOMPARE(first.tableNr(), 196609);
    BlockDesign second(db, 3);
    second.openNew(196700);
    QCOMPARE(second.tableNr(), 196610);
}

void TestBlockDesign::nextTableNameSkipsForeignNames() {
    TempInstallation inst;
    Database &db = inst.db();
    for (const char *name : {"TR_1", "TR_7", "TR_X"})
        db.exec(QStringLiteral("CREATE TABLE \"%1\" (a INTEGER)").arg(QLatin1String(name)));
    BlockDesign d(db, 1);
    d.openNew(65538);
    QCOMPARE(d.block().asString(QStringLiteral("Filename")), QStringLiteral("TR_8"));
}

void TestBlockDesign::newBlockRowIsWrittenAtOnce() {
    TempInstallation inst;
    Database &db = inst.db();
    BlockDesign d(db, 1);
    d.openNew(65538);
    QVERIFY(d.block().state() == Cursor::State::Edit);
    Query q(db, QStringLiteral("select TrainerNr, Art, Filename from TRTABLE where TableNr = 65537"));
    q.open();
    QCOMPARE(q.recordCount(), 1);
    QCOMPARE(q.value(0).toInt(), 65538);
    QCOMPARE(q.value(1).toString(), QStringLiteral("T"));
    QCOMPARE(q.value(2).toString(), QStringLiteral("TR_1"));
}

void TestBlockDesign::fieldOrderCountsUp() {
    TempInstallation inst;
    Database &db = inst.db();
    BlockDesign d(db, 1);
    d.openNew(65538);
    d.appendField();
    QCOMPARE(d.fields().asInt(QStringLiteral("Order")), 1);
    QCOMPARE(d.fields().asString(QStringLiteral("Typ")), QStringLiteral("?"));
    QCOMPARE(d.fields().asInt(QStringLiteral("TableNr")), 65537);
    d.fields().setValue(QStringLiteral("Feldname"), QStringLiteral("A"));
    d.fields().post();
    addField(d, QStringLiteral("B"), QStringLiteral("I"));
    addField(d, QStringLiteral("C"), QStringLiteral("I"));
    // Deleting the middle field leaves a gap; the next one goes above the highest.
    QVERIFY(d.fields().findKey({65537, 2}));
    d.deleteField();
    d.appendField();
    QCOMPARE(d.fields().asInt(QStringLiteral("Order")), 4);
    d.fields().cancel();
    QCOMPARE(d.fieldCount(), 2);
}

void TestBlockDesign::finishBuildsTheTable() {
    TempInstallation inst;
    Database &db = inst.db();
    BlockDesign d(db, 1);
    d.openNew(65538);
    d.block().setValue(QStringLiteral("Name"), QStringLiteral("Kraft"));
    d.setPresentation(true, false);
    addField(d, QStringLiteral("Gewicht"), QStringLiteral("F"));
    addField(d, QStringLiteral("Art"), QStringLiteral("A"), 12);
    d.finish(inst.dir() + QStringLiteral("/v.IDX"));
    QVERIFY(d.isFinished());
    const FieldDefs defs = db.fieldDefs(QStringLiteral("TR_1"));
    QCOMPARE(defs.size(), size_t(5));
    QCOMPARE(defs[3].name, QStringLiteral("Gewicht"));
    QCOMPARE(defs[4].size, 12);
    Query q(db,
            QStringLiteral("select Name, Grid, Endless, Client, Height, Timestamp from TRTABLE where TableNr = 65537"));
    q.open();
    QCOMPARE(q.value(0).toString(), QStringLiteral("Kraft"));
    QVERIFY(q.value(1).toBool());
    QVERIFY(!q.value(2).toBool());
    QVERIFY(q.value(3).toBool()); // a grid is Client
    QCOMPARE(q.value(4).toInt(), 52);
    QVERIFY(!q.value(5).isNull());
}

void TestBlockDesign::finishWithoutFieldsIsRefused() {
    TempInstallation inst;
    Database &db = inst.db();
    BlockDesign d(db, 1);
    d.openNew(65538);
    try {
        d.finish(inst.dir() + QStringLiteral("/v.IDX"));
        QFAIL("finished without fields");
    } catch (const VelmoraError &e) {
        QCOMPARE(e.message(), QStringLiteral("Sie müssen zumindest ein Feld eingeben!"));
        QCOMPARE(e.control(), QStringLiteral("dbgFelder"));
    }
    QVERIFY(!db.tableExists(QStringLiteral("TR_1")));
}

void TestBlockDesign::failedFinishKeepsTheTypedRow() {
    TempInstallation inst;
    Database &db = inst.db();
    BlockDesign d(db, 1);
    d.openNew(65538);
    d.block().setValue(QStringLiteral("Name"), QStringLiteral("Lauf"));
    addField(d, QStringLiteral("Dauer"), QStringLiteral("I"));
    QVERIFY_THROWS_EXCEPTION(VelmoraError, d.finish(inst.dir() + QStringLiteral("/fehlt/v.IDX")));
    QVERIFY(!d.isFinished());
    QVERIFY(!db.tableExists(QStringLiteral("TR_1")));
    QVERIFY(!db.inTransaction());
    QCOMPARE(count(db, QStringLiteral("select count(*) from TRuseTBL")), 0);
    // Nothing of the attempt was written, not even the name; it waits in the buffer.
    QVERIFY(d.block().state() == Cursor::State::Edit);
    QCOMPARE(d.block().asString(QStringLiteral("Name")), QStringLiteral("Lauf"));
    QCOMPARE(count(db, QStringLiteral("select count(*) from TRTABLE where TableNr = 65537 and Name is null")), 1);
    // A second attempt with a usable file succeeds.
    d.finish(inst.dir() + QStringLiteral("/v.IDX"));
    QVERIFY(db.tableExists(QStringLiteral("TR_1")));
    d.discard();
    QCOMPARE(count(db, QStringLiteral("select count(*) from TRTABLE where TableNr = 65537")), 1);
}

void TestBlockDesign::discardLeavesNoRows() {
    TempInstallation inst;
    Database &db = inst.db();
    const int blocksBefore = count(db, QStringLiteral("select count(*) from TRTABLE"));
    const int fieldsBefore = count(db, QStringLiteral("select count(*) from TRFIELD"));
    BlockDesign d(db, 1);
    d.openNew(65538);
    addField(d, QStringLiteral("A"), QStringLiteral("I"));
    d.appendField(); // one more still being edited
    d.discard();
    d.discard();
    QCOMPARE(count(db, QStringLiteral("select count(*) from TRTABLE")), blocksBefore);
    QCOMPARE(count(db, QStringLiteral("select count(*) from TRFIELD")), fieldsBefore);
}

void TestBlockDesign::discardNeverRemovesAFinishedBlock() {
    TempInstallation inst;
    Database &db = inst.db();
    BlockDesign d(db, 1);
    finishLauf(d, inst.dir());
    d.discard();
    QCOMPARE(count(db, QStringLiteral("select count(*) from TRFIELD where TableNr = 65537")), 1);
    // Looking at an existing block never removes it either.
    BlockDesign view(db, 1);
    view.openExisting(65537, true);
    view.discard();
    QCOMPARE(count(db, QStringLiteral("select count(*) from TRTABLE where TableNr = 65537")), 1);
}

void TestBlockDesign::existingBlockIsReadOnly() {
    TempInstallation inst;
    Database &db = inst.db();
    {
        BlockDesign d(db, 1);
        finishLauf(d, inst.dir());
    }
    BlockDesign view(db, 1);
    view.openExisting(65537, true);
    QCOMPARE(view.fieldCount(), 1);
    QVERIFY(view.fields().isReadOnly());
    QVERIFY(view.block().isReadOnly());
    view.appendField();
    view.deleteField();
    QCOMPARE(view.fieldCount(), 1);
    BlockDesign gone(db, 1);
    QVERIFY_THROWS_EXCEPTION(VelmoraError, gone.openExisting(99, true));
}

void TestBlockDesign::unfinishedBlockKeepsItsTableName() {
    TempInstallation inst;
    Database &db = inst.db();
    db.exec(QStringLiteral("CREATE TABLE \"TR_2\" (a INTEGER)"));
    {
        // The program ends before the block is finished: its row holds TR_3,
        // but no table of that name exists.
        BlockDesign killed(db, 1);
        killed.openNew(65538);
        QCOMPARE(killed.block().asString(QStringLiteral("Filename")), QStringLiteral("TR_3"));
    }
    db.exec(QStringLiteral("INSERT INTO TRTABLE (TableNr, Name, Filename, Art) VALUES (65600, 'Alt', 'tr_5.DB', 'T')"));
    BlockDesign next(db, 1);
    next.openNew(65538);
    QCOMPARE(next.block().asString(QStringLiteral("Filename")), QStringLiteral("TR_6"));
    next.block().setValue(QStringLiteral("Name"), QStringLiteral("Neu"));
    addField(next, QStringLiteral("A"), QStringLiteral("I"));
    next.finish(inst.dir() + QStringLiteral("/v.IDX"));
    QVERIFY(db.tableExists(QStringLiteral("TR_6")));
    QCOMPARE(count(db, QStringLiteral("select count(*) from TRTABLE where Filename = 'TR_6'")), 1);
}

void TestBlockDesign::gridCheckedAgainAtFinish_data() {
    QTest::addColumn<QString>("typ");
    QTest::addColumn<QString>("caption");
    QTest::newRow("Combobox") << "C"
                              << "Combobox";
    QTest::newRow("Memo") << "M"
                          << "Memo";
    QTest::newRow("Indikator") << "N"
                               << "Indikator";
    QTest::newRow("Indexfeld is allowed") << "X"
                                          << "";
    QTest::newRow("Zeit is allowed") << "Z"
                                     << "";
}

void TestBlockDesign::gridCheckedAgainAtFinish() {
    QFETCH(QString, typ);
    QFETCH(QString, caption);
    TempInstallation inst;
    Database &db = inst.db();
    BlockDesign d(db, 1);
    d.openNew(65538);
    d.block().setValue(QStringLiteral("Name"), QStringLiteral("Lauf"));
    addField(d, QStringLiteral("Dauer"), QStringLiteral("I"));
    addField(d, QStringLiteral("Farbe"), typ, 10);
    // The field was made for a card; the block becomes a grid afterwards.
    d.setPresentation(true, false);
    if (caption.isEmpty()) {
        d.finish(inst.dir() + QStringLiteral("/v.IDX"));
        QVERIFY(db.tableExists(QStringLiteral("TR_1")));
        return;
    }
    try {
        d.finish(inst.dir() + QStringLiteral("/v.IDX"));
        QFAIL("a grid block was finished with a field it cannot show");
    } catch (const VelmoraError &e) {
        QCOMPARE(e.message(), BlockDesign::kNotInGrid.arg(QStringLiteral("Farbe"), caption));
        QCOMPARE(e.control(), QStringLiteral("dbgFelder"));
    }
    QVERIFY(!d.isFinished());
    QVERIFY(!db.tableExists(QStringLiteral("TR_1")));
    QVERIFY(d.block().isEditing());
    // As a card it may be finished.
    d.setPresentation(false, false);
    d.finish(inst.dir() + QStringLiteral("/v.IDX"));
    QVERIFY(db.tableExists(QStringLiteral("TR_1")));
}

QTEST_GUILESS_MAIN(TestBlockDesign)
#include "tst_blockdesign.moc"
