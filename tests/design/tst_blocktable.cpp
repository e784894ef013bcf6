#include "design/BlockTable.h"
#include "store/Cursor.h"
#include "store/Keys.h"
#include "store/Query.h"
#include "support/TempInstallation.h"

#include <QFile>
#include <QTest>

using namespace velmora;
using velmora::test::TempInstallation;

namespace {
// A block with the given fields (name, type code, size), not yet finished.
int makeBlock(Database &db, const QString &filename, const QList<QStringList> &fields, bool grid = false) {
    const int nr = nextObjectKey(db, QStringLiteral("TRTABLE"), QStringLiteral("TableNr"), 1);
    Cursor b(db, QStringLiteral("TRTABLE"));
    b.open();
    b.append();
    b.setValue(QStringLiteral("TableNr"), nr);
    b.setValue(QStringLiteral("Name"), QStringLiteral("Block"));
    b.setValue(QStringLiteral("Filename"), filename);
    b.setValue(QStringLiteral("Grid"), grid);
    b.post();
    Cursor f(db, QStringLiteral("TRFIELD"));
    f.open();
    int order = 1;
    for (const QStringList &field : fields) {
        f.append();
        f.setValue(QStringLiteral("TableNr"), nr);
        f.setValue(QStringLiteral("Order"), order++);
        f.setValue(QStringLiteral("Feldname"), field[0]);
        f.setValue(QStringLiteral("Typ"), field[1]);
        f.setValue(QStringLiteral("Größe"), field.value(2).toInt());
        f.setValue(QStringLiteral("Prefix"), field[0]);
        f.setValue(QStringLiteral("Werte"), field.value(3));
        f.post();
    }
    return nr;
}
} // namespace

class TestBlockTable : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void columnPerTypeCode_data();
    void columnPerTypeCode();
    void finishWritesLayoutTableAndForm0();
    void oneFieldCardIsClient();
    void form0HoldsTheLastBlockOnly();
    void failedFinishLeavesNothing();
};

void TestBlockTable::columnPerTypeCode_data() {
    QTest::addColumn<QString>("code");
    QTest::addColumn<int>("groesse");
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("size");
    using T = FieldType;
    QTest::newRow("A text of Größe") << "A" << 30 << int(T::Alpha) << 30;
    QTest::newRow("A without size") << "A" << 0 << int(T::Alpha) << 1;
    QTest::newRow("C text of Größe") << "C" << 10 << int(T::Alpha) << 10;
    QTest::newRow("X index") << "X" << 5 << int(T::Long) << 0;
    QTest::newRow("M memo") << "M" << 0 << int(T::Memo) << 1;
    QTest::newRow("I int32") << "I" << 0 << int(T::Long) << 0;
    QTest::newRow("S int16") << "S" << 0 << int(T::Short) << 0;
    QTest::newRow("F float") << "F" << 0 << int(T::Number) << 0;
    QTest::newRow("N indicator") << "N" << 0 << int(T::Short) << 0;
    QTest::newRow("Z time") << "Z" << 0 << int(T::Time) << 0;
    QTest::newRow("L logical") << "L" << 0 << int(T::Logical) << 0;
    QTest::newRow("D date") << "D" << 0 << int(T::Date) << 0;
    QTest::newRow("T date-time") << "T" << 0 << int(T::Timestamp) << 0;
    QTest::newRow("E formatted memo") << "E" << 0 << int(T::FmtMemo) << 1;
    QTest::newRow("lower case code") << "i" << 0 << int(T::Long) << 0;
}

void TestBlockTable::columnPerTypeCode() {
    QFETCH(QString, code);
    QFETCH(int, groesse);
    QFETCH(int, type);
    QFETCH(int, size);
    TempInstallation inst;
    Database &db = inst.db();
    const int nr = makeBlock(db, QStringLiteral("TR_1"), {{QStringLiteral("Wert"), code, QString::number(groesse)}});
    CreateBlockTable(db, nr, QStringLiteral("TR_1"));
    const FieldDefs defs = db.fieldDefs(QStringLiteral("TR_1"));
    QCOMPARE(defs.size(), size_t(4));
    QCOMPARE(defs[0].name, QStringLiteral("SerienNr"));
    QCOMPARE(int(defs[0].type), int(FieldType::Short));
    QCOMPARE(int(defs[1].type), int(FieldType::Long));
    QCOMPARE(defs[2].name, QStringLiteral("Order"));
    QCOMPARE(defs[3].name, QStringLiteral("Wert"));
    QCOMPARE(int(defs[3].type), type);
    QCOMPARE(defs[3].size, size);
    QCOMPARE(db.primaryKey(QStringLiteral("TR_1")), (QStringList{"SerienNr", "TrNr", "Order"}));
}

void TestBlockTable::finishWritesLayoutTableAndForm0() {
    TempInstallation inst;
    Database &db = inst.db();
    const QString idx = inst.dir() + QStringLiteral("/velmora5.IDX");
    const int nr = makeBlock(db, QStringLiteral("TR_3"),
                             {{QStringLiteral("Dauer"), QStringLiteral("I")},
                              {QStringLiteral("Farbe"), QStringLiteral("C"), QStringLiteral("10"), QStringLiteral("rot\ngrün")},
                              {QStringLiteral("Notiz"), QStringLiteral("M")}});
    QCOMPARE(nr, 65537);
    FinishBlock(db, nr, idx);
    Cursor f(db, QStringLiteral("TRFIELD"));
    f.setRange({nr}, {nr});
    f.open();
    QList<int> tops, prefixTops;
    for (; !f.eof(); f.next()) {
        tops << f.asInt(QStringLiteral("Top"));
        prefixTops << f.asInt(QStringLiteral("PrefixTop"));
        QCOMPARE(f.asInt(QStringLiteral("Left")), 100);
        QCOMPARE(f.asInt(QStringLiteral("PostfixLeft")), 206);
    }
    QCOMPARE(tops, (QList<int>{4, 28, 52}));
    QCOMPARE(prefixTops, (QList<int>{6, 30, 54}));
    Cursor b(db, QStringLiteral("TRTABLE"));
    b.open();
    QVERIFY(b.findKey({nr}));
    QCOMPARE(b.asInt(QStringLiteral("Height")), 76);
    QVERIFY(!b.asBool(QStringLiteral("Client")));
    QCOMPARE(db.fieldDefs(QStringLiteral("TR_3")).size(), size_t(6));
    QFile file(idx);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(file.readAll()),
             QStringLiteral("\n[TR_3.DB]\nIndexCount=1\nIndexName0=\nIndexFields0=SerienNr;TrNr;Order\nIndexPrim0=1\n"
                            "IndexUniq0=1\nIndexDesc0=0\nIndexCase0=0\nIndexExpr0=0\n"));
    Cursor ff(db, QStringLiteral("FFIELD"));
    ff.setRange({0}, {0});
    ff.open();
    QStringList rows;
    for (; !ff.eof(); ff.next())
        rows << QStringLiteral("%1:%2:%3:%4").arg(ff.asInt(QStringLiteral("Order"))).arg(ff.asInt(QStringLiteral("TableNr")))
                    .arg(ff.asInt(QStringLiteral("FeldNr"))).arg(ff.asString(QStringLiteral("Werte")));
    QCOMPARE(rows, (QStringList{"0:65537:1:", "1:65537:2:rot\ngrün", "2:65537:3:"}));
}

void TestBlockTable::oneFieldCardIsClient() {
    TempInstallation inst;
    Database &db = inst.db();
    const int nr = makeBlock(db, QStringLiteral("TR_1"), {{QStringLiteral("Puls"), QStringLiteral("S")}});
    FinishBlock(db, nr, inst.dir() + QStringLiteral("/x.IDX"));
    Cursor b(db, QStringLiteral("TRTABLE"));
    b.open();
    QVERIFY(b.findKey({nr}));
    QVERIFY(b.asBool(QStringLiteral("Client")));
    QCOMPARE(b.asInt(QStringLiteral("Height")), 28);
}

void TestBlockTable::form0HoldsTheLastBlockOnly() {
    TempInstallation inst;
    Database &db = inst.db();
    const QString idx = inst.dir() + QStringLiteral("/x.IDX");
    const int a = makeBlock(db, QStringLiteral("TR_1"), {{QStringLiteral("A1"), QStringLiteral("I")}, {QStringLiteral("A2"), QStringLiteral("I")}});
    FinishBlock(db, a, idx);
    const int b = makeBlock(db, QStringLiteral("TR_2"), {{QStringLiteral("B1"), QStringLiteral("L")}});
    FinishBlock(db, b, idx);
    Query use(db, QStringLiteral("select TableNr from TRuseTBL where FormularNr = 0"));
    use.open();
    QCOMPARE(use.recordCount(), 1);
    QCOMPARE(use.value(0).toInt(), b);
    Query ff(db, QStringLiteral("select TableNr from FFIELD where FormularNr = 0"));
    ff.open();
    QCOMPARE(ff.recordCount(), 1);
    QCOMPARE(ff.value(0).toInt(), b);
}

void TestBlockTable::failedFinishLeavesNothing() {
    TempInstallation inst;
    Database &db = inst.db();
    const int nr = makeBlock(db, QStringLiteral("TR_1"), {{QStringLiteral("Dauer"), QStringLiteral("I")}});
    QVERIFY_THROWS_EXCEPTION(VelmoraError, FinishBlock(db, nr, inst.dir() + QStringLiteral("/fehlt/x.IDX")));
    QVERIFY(!db.tableExists(QStringLiteral("TR_1")));
    QCOMPARE(db.rowCount(QStringLiteral("TRuseTBL")), 0);
    QCOMPARE(db.rowCount(QStringLiteral("FFIELD")), 0);
    Cursor f(db, QStringLiteral("TRFIELD"));
    f.open();
    QVERIFY(f.findKey({nr, 1}));
    QVERIFY(f.isNull(QStringLiteral("Top")));
    QVERIFY(!db.inTransaction());
}

QTEST_GUILESS_MAIN(TestBlockTable)
#include "tst_blocktable.moc"
