#include "diary/EntryRules.h"
#include "store/Cursor.h"
#include "store/Query.h"
#include "support/ClubFixture.h"
#include "support/TempInstallation.h"

#include <QTest>

using namespace velmora;
using velmora::test::ClubFixture;

class TestEntryRules : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void zones_data() {
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("y");
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("shape");
        // A control of 100 x 20.
        QTest::newRow("left edge") << 5 << 10 << int(LayoutDrag::LeftEdge) << int(Qt::SizeHorCursor);
        QTest::newRow("just inside the left edge") << 6 << 10 << int(LayoutDrag::Move) << int(Qt::PointingHandCursor);
        QTest::newRow("right edge") << 93 << 10 << int(LayoutDrag::RightEdge) << int(Qt::SizeHorCursor);
        QTest::newRow("just inside the right edge") << 92 << 10 << int(LayoutDrag::Move) << int(Qt::PointingHandCursor);
        QTest::newRow("top edge") << 50 << 3 << int(LayoutDrag::TopEdge) << int(Qt::SizeVerCursor);
        QTest::newRow("bottom edge") << 50 << 15 << int(LayoutDrag::BottomEdge) << int(Qt::SizeVerCursor);
        QTest::newRow("corner counts as left") << 2 << 2 << int(LayoutDrag::LeftEdge) << int(Qt::SizeHorCursor);
        QTest::newRow("inside") << 50 << 10 << int(LayoutDrag::Move) << int(Qt::PointingHandCursor);
    }
    void zones() {
        QFETCH(int, x);
        QFETCH(int, y);
        QFETCH(int, kind);
        QFETCH(int, shape);
        QCOMPARE(int(LayoutDrag::ZoneAt(100, 20, x, y)), kind);
        QCOMPARE(int(LayoutDrag::CursorAt(100, 20, x, y)), shape);
        LayoutDrag::State s;
        LayoutDrag::MouseDown(s, Qt::LeftButton, 100, 20, x, y);
        QCOMPARE(s.kind, kind);
        QVERIFY(s.active);
    }

    void drag_data() {
        QTest::addColumn<QPoint>("from");
        QTest::addColumn<QPoint>("to");
        QTest::addColumn<QRect>("result");
        QTest::addColumn<bool>("activeAfter");
        // A control at (100, 40), 100 x 20.
        QTest::newRow("left edge 10 to the right narrows, right edge stays")
            << QPoint(2, 10) << QPoint(12, 10) << QRect(110, 40, 90, 20) << false;
        QTest::newRow("right edge widens") << QPoint(95, 10) << QPoint(105, 12) << QRect(100, 40, 110, 20) << true;
        QTest::newRow("top edge up grows, bottom stays")
            << QPoint(50, 1) << QPoint(50, -4) << QRect(100, 35, 100, 25) << false;
        QTest::newRow("bottom edge") << QPoint(50, 18) << QPoint(60, 25) << QRect(100, 40, 100, 27) << true;
        QTest::newRow("inside moves") << QPoint(50, 10) << QPoint(40, 15) << QRect(90, 45, 100, 20) << false;
    }
    void drag() {
        QFETCH(QPoint, from);
        QFETCH(QPoint, to);
        QFETCH(QRect, result);
        QFETCH(bool, activeAfter);
        LayoutDrag::State s;
        QRect g(100, 40, 100, 20);
        LayoutDrag::MouseDown(s, Qt::LeftButton, g.width(), g.height(), from.x(), from.y());
        QVERIFY(LayoutDrag::MouseMove(s, g, to.x(), to.y()));
        QCOMPARE(g, result);
        QCOMPARE(s.active, activeAfter);
        QCOMPARE(QPoint(s.lastX, s.lastY), to);
        // The move that follows a moved origin is skipped, the next counts again.
        const QRect before = g;
        const bool skipped = !s.active;
        const bool changed = LayoutDrag::MouseMove(s, g, to.x() + 1, to.y() + 1);
        QCOMPARE(changed, !skipped);
        if (skipped) {
            QCOMPARE(g, before);
            QVERIFY(s.active);
        }
        LayoutDrag::MouseUp(s);
        QVERIFY(!LayoutDrag::MouseMove(s, g, 0, 0));
    }

    void otherButtonsAndSamePointDoNothing() {
        LayoutDrag::State s;
        LayoutDrag::MouseDown(s, Qt::RightButton, 100, 20, 50, 10);
        QCOMPARE(s.kind, int(LayoutDrag::None));
        QRect g(0, 0, 100, 20);
        QVERIFY(!LayoutDrag::MouseMove(s, g, 60, 10));
        LayoutDrag::MouseDown(s, Qt::LeftButton, 100, 20, 50, 10);
        QVERIFY(!LayoutDrag::MouseMove(s, g, 50, 10));
        QCOMPARE(g, QRect(0, 0, 100, 20));
    }

    void keys_data() {
        QTest::addColumn<QRect>("start");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QRect>("result");
        QTest::addColumn<bool>("handled");
        const int ctrl = int(Qt::ControlModifier), shift = int(Qt::ShiftModifier);
        QTest::newRow("Ctrl+Left") << QRect(5, 5, 50, 20) << int(Qt::Key_Left) << ctrl << QRect(4, 5, 50, 20) << true;
        QTest::newRow("Ctrl+Left at 0") << QRect(0, 5, 50, 20) << int(Qt::Key_Left) << ctrl << QRect(0, 5, 50, 20)
                                        << true;
        QTest::newRow("Ctrl+Up at 0") << QRect(5, 0, 50, 20) << int(Qt::Key_Up) << ctrl << QRect(5, 0, 50, 20) << true;
        QTest::newRow("Ctrl+Right") << QRect(5, 5, 50, 20) << int(Qt::Key_Right) << ctrl << QRect(6, 5, 50, 20) << true;
        QTest::newRow("Ctrl+Down") << QRect(5, 5, 50, 20) << int(Qt::Key_Down) << ctrl << QRect(5, 6, 50, 20) << true;
        QTest::newRow("Ctrl+Shift moves")
            << QRect(5, 5, 50, 20) << int(Qt::Key_Right) << (ctrl | shift) << QRect(6, 5, 50, 20) << true;
        QTest::newRow("Shift+Left") << QRect(5, 5, 50, 20) << int(Qt::Key_Left) << shift << QRect(5, 5, 49, 20) << true;
        QTest::newRow("Shift+Left at width 10")
            << QRect(5, 5, 10, 20) << int(Qt::Key_Left) << shift << QRect(5, 5, 10, 20) << true;
        QTest::newRow("Shift+Up at height 10")
            << QRect(5, 5, 50, 10) << int(Qt::Key_Up) << shift << QRect(5, 5, 50, 10) << true;
        QTest::newRow("Shift+Right") << QRect(5, 5, 50, 20) << int(Qt::Key_Right) << shift << QRect(5, 5, 51, 20)
                                     << true;
        QTest::newRow("Shift+Down") << QRect(5, 5, 50, 20) << int(Qt::Key_Down) << shift << QRect(5, 5, 50, 21) << true;
        QTest::newRow("plain arrow") << QRect(5, 5, 50, 20) << int(Qt::Key_Left) << 0 << QRect(5, 5, 50, 20) << false;
        QTest::newRow("Ctrl+other key") << QRect(5, 5, 50, 20) << int(Qt::Key_A) << ctrl << QRect(5, 5, 50, 20)
                                        << false;
    }
    void keys() {
        QFETCH(QRect, start);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QRect, result);
        QFETCH(bool, handled);
        QRect g = start;
        QCOMPARE(LayoutDrag::KeyMove(g, key, Qt::KeyboardModifiers(modifiers)), handled);
        QCOMPARE(g, result);
    }

    void limits_data() {
        QTest::addColumn<QString>("typ");
        QTest::addColumn<QString>("werte");
        QTest::addColumn<bool>("limited");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<bool>("inside");
        QTest::newRow("integer inside") << "I"
                                        << "0\n300" << true << QVariant(300) << true;
        QTest::newRow("integer above") << "I"
                                       << "0\n300" << true << QVariant(301) << false;
        QTest::newRow("empty value is allowed") << "I"
                                                << "0\n300" << true << QVariant() << true;
        QTest::newRow("float below") << "F"
                                     << "1.5\n2.5" << true << QVariant(1.4) << false;
        QTest::newRow("German decimal limits") << "F"
                                               << "1,5\n2,5" << true << QVariant(2.0) << true;
        // Read as the field editor read them: "1,500" is 1.5, "2.000" is 2000.
        QTest::newRow("three decimals") << "F"
                                        << "1,500\n1,750" << true << QVariant(1.6) << true;
        QTest::newRow("thousands group") << "F"
                                         << "0\n2.000" << true << QVariant(1999.0) << true;
        QTest::newRow("thousands group above") << "F"
                                               << "0\n2.000" << true << QVariant(2000.5) << false;
        QTest::newRow("limits the wrong way round") << "S"
                                                    << "10\n-10" << true << QVariant(0) << true;
        QTest::newRow("time inside") << "Z"
                                     << "00:10:00\n01:00:00" << true << QVariant(QTime(0, 30)) << true;
        QTest::newRow("time above") << "Z"
                                    << "00:10:00\n01:00:00" << true << QVariant(QTime(2, 0)) << false;
        QTest::newRow("a line that is no number: no limits") << "I"
                                                             << "10\nabc" << false << QVariant() << true;
        QTest::newRow("one line: no limits") << "N"
                                             << "10" << false << QVariant() << true;
        QTest::newRow("not a range code") << "A"
                                          << "1\n2" << false << QVariant() << true;
    }
    void limits() {
        QFETCH(QString, typ);
        QFETCH(QString, werte);
        QFETCH(bool, limited);
        QFETCH(QVariant, value);
        QFETCH(bool, inside);
        const auto l = EntryRules::LimitsOf(typ.at(0), werte.split(QLatin1Char('\n')));
        QCOMPARE(l.has_value(), limited);
        if (l)
            QCOMPARE(l->contains(value), inside);
    }

    void weekAndWeekday_data() {
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QString>("week");
        QTest::addColumn<QString>("day");
        QTest::newRow("Wednesday in week 10") << QDate(2026, 3, 4) << "10"
                                              << "Mi";
        QTest::newRow("Monday in week 2") << QDate(2026, 1, 5) << "02"
                                          << "Mo";
        QTest::newRow("53rd week counts as 1") << QDate(2026, 12, 31) << "01"
                                               << "Do";
        QTest::newRow("no date") << QDate() << "00"
                                 << "";
    }
    void weekAndWeekday() {
        QFETCH(QDate, date);
        QFETCH(QString, week);
        QFETCH(QString, day);
        QCOMPARE(EntryRules::WeekText(date), week);
        QCOMPARE(EntryRules::WeekdayText(date), day);
    }

    void headerAndNewRowRules() {
        test::TempInstallation inst(4);
        ClubFixture club(inst.db());
        Cursor tr(inst.db(), QStringLiteral("TR"));
        tr.open();
        tr.append();
        tr.setValue(QStringLiteral("TrNr"), 99);
        tr.setValue(QStringLiteral("Datum"), QDateTime(QDate(2026, 3, 4), QTime(9, 0)));
        EntryRules::ApplyHeaderRules(tr, 4);
        QCOMPARE(tr.asInt(QStringLiteral("SerienNr")), 4);
        QCOMPARE(tr.asString(QStringLiteral("Woche")), QStringLiteral("10"));
        QCOMPARE(tr.asString(QStringLiteral("Wochentag")), QStringLiteral("Mi"));
        QVERIFY(!tr.isNull(QStringLiteral("Timestamp")));
        tr.setValue(QStringLiteral("SerienNr"), 1);
        EntryRules::ApplyHeaderRules(tr, 4);
        QCOMPARE(tr.asInt(QStringLiteral("SerienNr")), 1);
        tr.cancel();

        Cursor rows(inst.db(), QStringLiteral("TR_1"));
        rows.setRange({1, 2}, {1, 2});
        rows.open();
        int next = EntryRules::NextRowNumber(rows);
        QCOMPARE(next, 2); // rows 0 and 1
        rows.onNewRecord = [&](Cursor &c) { EntryRules::ApplyNewRowRule(c, 1, 2, next); };
        rows.append();
        QCOMPARE(rows.asInt(QStringLiteral("Order")), 2);
        QCOMPARE(rows.asInt(QStringLiteral("TrNr")), 2);
        QCOMPARE(next, 3);
        rows.cancel();
        rows.setRange({1, 777}, {1, 777});
        QCOMPARE(EntryRules::NextRowNumber(rows), 0);
    }

    void savingPairsElementsWithTheirFieldRows() {
        test::TempInstallation inst;
        ClubFixture club(inst.db());
        // Only fields 4 and 2, in that order, as a form showing a subset would.
        ElementLayout notiz;
        notiz.feldNr = 4;
        notiz.prefix = QStringLiteral("Notiz:");
        notiz.prefixPos = QPoint(7, 8);
        notiz.control = QRect(70, 80, 150, 22);
        ElementLayout strecke;
        strecke.feldNr = 2;
        strecke.control = QRect(71, 30, 90, 20);
        ElementLayout hidden; // nothing built: its row stays as it is
        hidden.feldNr = 3;
        hidden.visible = false;
        SaveBlockLayout(inst.db(), ClubFixture::kBlock, false, {notiz, strecke, hidden}, QSize(400, 130));
        auto row = [&](int order) {
            auto q = std::make_unique<Query>(inst.db(), QStringLiteral("select * from TRFIELD where (TableNr = %1) and "
                                                                       "(\"Order\" = %2)")
                                                            .arg(ClubFixture::kBlock)
                                                            .arg(order));
            q->open();
            return q;
        };
        QCOMPARE(row(4)->asInt(QStringLiteral("Left")), 70);
        QCOMPARE(row(4)->asInt(QStringLiteral("Width")), 150);
        QCOMPARE(row(4)->asString(QStringLiteral("Prefix")), QStringLiteral("Notiz:"));
        QCOMPARE(row(4)->asInt(QStringLiteral("PrefixTop")), 8);
        QCOMPARE(row(2)->asInt(QStringLiteral("Left")), 71);
        QVERIFY(row(1)->value(QStringLiteral("Left")).isNull());
        QVERIFY(row(3)->value(QStringLiteral("Left")).isNull());
        Query block(inst.db(), QStringLiteral("select * from TRTABLE where TableNr = %1").arg(ClubFixture::kBlock));
        block.open();
        QCOMPARE(block.asInt(QStringLiteral("Height")), 130);
        QCOMPARE(block.asInt(QStringLiteral("Width")), 400);

        // A grid block writes only the display widths.
        ElementLayout dauer;
        dauer.feldNr = 1;
        dauer.control = QRect(1, 2, 3, 4);
        dauer.displayWidth = 17;
        SaveBlockLayout(inst.db(), ClubFixture::kBlock, true, {dauer}, QSize(300, 90));
        QCOMPARE(row(1)->asInt(QStringLiteral("DisplayWidth")), 17);
        QVERIFY(row(1)->value(QStringLiteral("Left")).isNull());
    }
};

QTEST_MAIN(TestEntryRules)
#include "tst_entryrules.moc"
