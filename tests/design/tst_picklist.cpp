#include "design/PickList.h"
#include "store/Cursor.h"
#include "support/ClubFixture.h"
#include "support/TempInstallation.h"

#include <QTest>

using namespace velmora;
using velmora::test::ClubFixture;

namespace {
constexpr int kAlpha = ClubFixture::kBase + 3;
constexpr int kBeta = ClubFixture::kBase + 4;
constexpr int kFremd = ClubFixture::kBase + 5; // created by Otto

const PickList::Field kBelastung{ClubFixture::kForm, ClubFixture::kBlock, 3};
const PickList::Field kOtherField{ClubFixture::kForm, ClubFixture::kBlock, 2};

void addValue(Database &db, int nr, const QString &text, int owner) {
    Cursor c(db, QStringLiteral("TRVALUE"));
    c.open();
    c.append();
    c.setValue(QStringLiteral("ValueNr"), nr);
    c.setValue(QStringLiteral("Value"), text);
    c.setValue(QStringLiteral("PersonNr"), owner);
    c.post();
}

// The stored list of a field as "Order:Value" in Order.
QStringList storedList(Database &db, const PickList::Field &f) {
    Statement st(
        db, QStringLiteral("SELECT u.\"Order\", v.Value FROM TRuseVAL u LEFT JOIN TRVALUE v ON v.ValueNr = u.ValueNr"
                           " WHERE u.FormularNr = ? AND u.TableNr = ? AND u.FeldNr = ? ORDER BY u.\"Order\""));
    st.bind(1, f.formularNr);
    st.bind(2, f.tableNr);
    st.bind(3, f.feldNr);
    QStringList list;
    while (st.step())
        list << QStringLiteral("%1:%2").arg(st.value(0).toInt()).arg(st.value(1).toString());
    return list;
}

// The values whose State mark is set, by text.
QStringList markedValues(Database &db) {
    Statement st(db, QStringLiteral("SELECT Value FROM TRVALUE WHERE State <> 0 ORDER BY Value"));
    QStringList list;
    while (st.step())
        list << st.value(0).toString();
    return list;
}

int valueNrOf(Database &db, const QString &text) {
    Statement st(db, QStringLiteral("SELECT ValueNr FROM TRVALUE WHERE Value = ?"));
    st.bind(1, text);
    return st.step() ? st.value(0).toInt() : 0;
}

QStringList availableTexts(PickList &list) {
    QStringList texts;
    Cursor &c = list.values();
    const int index = c.fieldIndex(QStringLiteral("Value"));
    for (int i = 0; i < c.recordCount(); ++i)
        texts << c.rowAt(i).at(size_t(index)).toString();
    return texts;
}
} // namespace

class TestPickList : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void orders_data();
    void orders();
    void threeValuesOnAnEmptyList();
    void marksWhileOpenClearedAfterClose_data();
    void marksWhileOpenClearedAfterClose();
    void sameValueInTwoForms();
    void foreignValueCannotBeEdited();
    void readOnlyRefuses_data();
    void readOnlyRefuses();
    void newValueGetsKeyAndOwner_data();
    void newValueGetsKeyAndOwner();
    void failedMoveLeavesTheOrderWhole_data();
    void failedMoveLeavesTheOrderWhole();
    void failedAssignWritesNothing();
    void valueListedTwiceStaysMarked();
    void valueWithoutStateIsOffered();
    void marksFollowEverySequence_data();
    void marksFollowEverySequence();
    void emptyValueIsNotStored();
    void assignedValueCannotBeAssignedTwice();
    void staleMarksClearedOnOpen();

private:
    std::unique_ptr<test::TempInstallation> m_inst;
    std::unique_ptr<ClubFixture> m_club;
    Database &db() { return m_inst->db(); }
};

void TestPickList::init() {
    m_inst = std::make_unique<test::TempInstallation>(ClubFixture::kSerial);
    m_club = std::make_unique<ClubFixture>(db());
    addValue(db(), kAlpha, QStringLiteral("Alpha"), ClubFixture::kCoach);
    addValue(db(), kBeta, QStringLiteral("Beta"), ClubFixture::kCoach);
    addValue(db(), kFremd, QStringLiteral("fremd"), ClubFixture::kOtto);
}

void TestPickList::cleanup() {
    m_club.reset();
    m_inst.reset();
}

// Steps: "+X" assigns value X, "-X" removes X's row, "^X" and "vX" move
// X's row up and down.
void TestPickList::orders_data() {
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("assign appends") << QStringList{"+Alpha", "+Beta"}
                                    << QStringList{"1:locker", "2:intensiv", "3:Alpha", "4:Beta"};
    QTest::newRow("remove keeps the other orders")
        << QStringList{"+Alpha", "-intensiv"} << QStringList{"1:locker", "3:Alpha"};
    QTest::newRow("remove the first") << QStringList{"-locker"} << QStringList{"2:intensiv"};
    QTest::newRow("assign after remove counts on")
        << QStringList{"-intensiv", "+Beta"} << QStringList{"1:locker", "3:Beta"};
    QTest::newRow("move up") << QStringList{"+Alpha", "^Alpha"} << QStringList{"1:locker", "2:Alpha", "3:intensiv"};
    QTest::newRow("move down") << QStringList{"vlocker"} << QStringList{"1:intensiv", "2:locker"};
    QTest::newRow("move down twice") << QStringList{"+Alpha", "vlocker", "vlocker"}
                                     << QStringList{"1:intensiv", "2:Alpha", "3:locker"};
    QTest::newRow("move across a gap") << QStringList{"+Alpha", "+Beta", "-intensiv", "vlocker"}
                                       << QStringList{"1:Alpha", "3:locker", "4:Beta"};
    QTest::newRow("first cannot move up") << QStringList{"^locker"} << QStringList{"1:locker", "2:intensiv"};
    QTest::newRow("last cannot move down") << QStringList{"vintensiv"} << QStringList{"1:locker", "2:intensiv"};
    QTest::newRow("remove all, assign again") << QStringList{"-locker", "-intensiv", "+Beta"} << QStringList{"3:Beta"};
    QTest::newRow("up then down restores")
        << QStringList{"^intensiv", "vintensiv"} << QStringList{"1:locker", "2:intensiv"};
}

void TestPickList::orders() {
    QFETCH(QStringList, steps);
    QFETCH(QStringList, expected);
    {
        PickList list(db(), ClubFixture::kSerial);
        list.open(kBelastung, ClubFixture::kCoach, false);
        for (const QString &step : steps) {
            const QString text = step.mid(1);
            const int nr = valueNrOf(db(), text);
            bool done = false;
            if (step.startsWith(QLatin1Char('+'))) {
                QVERIFY2(list.values().locate(QStringLiteral("Value"), text), qPrintable(step));
                done = list.assign();
                // The assigned row becomes the current one.
                QCOMPARE(list.assigned().asInt(QStringLiteral("ValueNr")), nr);
            } else {
                QVERIFY2(list.assigned().locate(QStringLiteral("ValueNr"), nr), qPrintable(step));
                const int before = list.assigned().recNo();
                if (step.startsWith(QLatin1Char('-'))) {
                    done = list.remove();
                } else {
                    const bool up = step.startsWith(QLatin1Char('^'));
                    QCOMPARE(up ? list.canMoveUp() : list.canMoveDown(),
                             before != (up ? 0 : list.assigned().recordCount() - 1));
                    done = up ? list.moveUp() : list.moveDown();
                    // The moved row stays current.
                    if (done) {
                        QCOMPARE(list.assigned().asInt(QStringLiteral("ValueNr")), nr);
                        QCOMPARE(list.assigned().recNo(), before + (up ? -1 : 1));
                    }
                }
            }
            Q_UNUSED(done);
        }
        QCOMPARE(storedList(db(), kBelastung), expected);
        // Exactly the assigned values are marked while the editor is open.
        QStringList assignedTexts;
        for (const QString &entry : expected)
            assignedTexts << entry.section(QLatin1Char(':'), 1);
        std::sort(assignedTexts.begin(), assignedTexts.end());
        QCOMPARE(markedValues(db()), assignedTexts);
        for (const QString &text : assignedTexts)
            QVERIFY(!availableTexts(list).contains(text));
    }
    QCOMPARE(markedValues(db()), QStringList());
}

void TestPickList::threeValuesOnAnEmptyList() {
    PickList list(db(), ClubFixture::kSerial);
    list.open(kOtherField, ClubFixture::kCoach, false);
    QCOMPARE(list.nextOrder(), 1);
    QVERIFY(!list.canRemove());
    for (const char *text : {"Alpha", "Beta", "locker"}) {
        QVERIFY(list.values().locate(QStringLiteral("Value"), QString::fromLatin1(text)));
        QVERIFY(list.assign());
    }
    QCOMPARE(storedList(db(), kOtherField), (QStringList{"1:Alpha", "2:Beta", "3:locker"}));
    QVERIFY(list.assigned().locate(QStringLiteral("ValueNr"), kBeta));
    QVERIFY(list.remove());
    QCOMPARE(storedList(db(), kOtherField), (QStringList{"1:Alpha", "3:locker"}));
    list.assigned().last();
    QVERIFY(list.moveUp());
    QCOMPARE(storedList(db(), kOtherField), (QStringList{"1:locker", "3:Alpha"}));
    QVERIFY(!list.canMoveUp());
    QVERIFY(list.canMoveDown());
}

void TestPickList::marksWhileOpenClearedAfterClose_data() {
    QTest::addColumn<bool>("explicitClose");
    QTest::newRow("close()") << true;
    QTest::newRow("destroyed without close") << false;
}

void TestPickList::marksWhileOpenClearedAfterClose() {
    QFETCH(bool, explicitClose);
    {
        PickList list(db(), ClubFixture::kSerial);
        list.open(kBelastung, ClubFixture::kCoach, false);
        QCOMPARE(markedValues(db()), (QStringList{"intensiv", "locker"}));
        QCOMPARE(availableTexts(list), (QStringList{"Alpha", "Beta", "fremd"}));
        QVERIFY(list.values().locate(QStringLiteral("Value"), QStringLiteral("Beta")));
        QVERIFY(list.assign());
        QCOMPARE(markedValues(db()), (QStringList{"Beta", "intensiv", "locker"}));
        QCOMPARE(availableTexts(list), (QStringList{"Alpha", "fremd"}));
        if (explicitClose) {
            list.close();
            QVERIFY(!list.isOpen());
            QCOMPARE(markedValues(db()), QStringList());
            list.close(); // a second close does nothing
        }
    }
    QCOMPARE(markedValues(db()), QStringList());
    // Another field's editor offers them again.
    PickList other(db(), ClubFixture::kSerial);
    other.open(kOtherField, ClubFixture::kCoach, false);
    QCOMPARE(availableTexts(other), (QStringList{"Alpha", "Beta", "fremd", "intensiv", "locker"}));
}

void TestPickList::sameValueInTwoForms() {
    const PickList::Field otherForm{ClubFixture::kForm + 1, ClubFixture::kBlock, 3};
    {
        PickList list(db(), ClubFixture::kSerial);
        list.open(otherForm, ClubFixture::kCoach, false);
        for (const char *text : {"intensiv", "locker"}) {
            QVERIFY(list.values().locate(QStringLiteral("Value"), QString::fromLatin1(text)));
            QVERIFY(list.assign());
        }
    }
    QCOMPARE(storedList(db(), otherForm), (QStringList{"1:intensiv", "2:locker"}));
    QCOMPARE(storedList(db(), kBelastung), (QStringList{"1:locker", "2:intensiv"}));
}

void TestPickList::foreignValueCannotBeEdited() {
    PickList list(db(), ClubFixture::kSerial);
    list.open(kBelastung, ClubFixture::kCoach, false);
    Cursor &values = list.values();
    QVERIFY(values.locate(QStringLiteral("Value"), QStringLiteral("fremd")));
    QVERIFY(!list.canEditValue());
    values.edit();
    values.setValue(QStringLiteral("Value"), QStringLiteral("umbenannt"));
    try {
        values.post();
        QFAIL("another coach's value was changed");
    } catch (const VelmoraError &e) {
        QCOMPARE(e.message(), PickList::kForeignValue);
        QCOMPARE(e.control(), QString::fromLatin1(PickList::kValueControl));
    }
    values.cancel();
    QCOMPARE(valueNrOf(db(), QStringLiteral("fremd")), kFremd);
    // It can be assigned all the same.
    QVERIFY(list.assign());
    QCOMPARE(storedList(db(), kBelastung), (QStringList{"1:locker", "2:intensiv", "3:fremd"}));

    // The coach's own value may be changed.
    QVERIFY(values.locate(QStringLiteral("Value"), QStringLiteral("Alpha")));
    QVERIFY(list.canEditValue());
    values.edit();
    values.setValue(QStringLiteral("Beschreibung"), QStringLiteral("ganz vorn"));
    values.post();
    Statement st(db(), QStringLiteral("SELECT Beschreibung FROM TRVALUE WHERE ValueNr = ?"));
    st.bind(1, kAlpha);
    QVERIFY(st.step());
    QCOMPARE(st.value(0).toString(), QStringLiteral("ganz vorn"));

    // Another coach's editor sees it the other way round.
    PickList otto(db(), ClubFixture::kSerial);
    otto.open(kOtherField, ClubFixture::kOtto, false);
    QVERIFY(otto.values().locate(QStringLiteral("Value"), QStringLiteral("Alpha")));
    QVERIFY(!otto.canEditValue());
}

void TestPickList::readOnlyRefuses_data() {
    QTest::addColumn<QString>("operation");
    for (const char *op : {"new", "assign", "remove", "up", "down", "edit"})
        QTest::newRow(op) << QString::fromLatin1(op);
}

void TestPickList::readOnlyRefuses() {
    QFETCH(QString, operation);
    PickList list(db(), ClubFixture::kSerial);
    list.open(kBelastung, ClubFixture::kCoach, true);
    QVERIFY(list.isReadOnly());
    QVERIFY(!list.canCreate() && !list.canAssign() && !list.canRemove() && !list.canMoveUp() && !list.canMoveDown());
    QVERIFY(list.values().locate(QStringLiteral("Value"), QStringLiteral("Alpha")));
    QVERIFY(!list.canEditValue());
    list.assigned().first();
    if (operation == QLatin1String("up"))
        list.assigned().last();
    const qint64 valueRows = db().rowCount(QStringLiteral("TRVALUE"));
    try {
        if (operation == QLatin1String("new"))
            list.newValue();
        else if (operation == QLatin1String("assign"))
            list.assign();
        else if (operation == QLatin1String("remove"))
            list.remove();
        else if (operation == QLatin1String("up"))
            list.moveUp();
        else if (operation == QLatin1String("down"))
            list.moveDown();
        else
            list.values().edit();
        QFAIL("a read-only list was changed");
    } catch (const VelmoraError &e) {
        QCOMPARE(e.message(), QStringLiteral("Datenmenge nur mit Leseberechtigung geöffnet!"));
    }
    QCOMPARE(db().rowCount(QStringLiteral("TRVALUE")), valueRows);
    QCOMPARE(storedList(db(), kBelastung), (QStringList{"1:locker", "2:intensiv"}));
    // The view shows the same lists as a writable one.
    QCOMPARE(availableTexts(list), (QStringList{"Alpha", "Beta", "fremd"}));
    list.close();
    QCOMPARE(markedValues(db()), QStringList());
}

void TestPickList::newValueGetsKeyAndOwner_data() {
    QTest::addColumn<int>("serial");
    QTest::addColumn<int>("key");
    QTest::newRow("installation 1 counts on") << 1 << ClubFixture::kBase + 6;
    QTest::newRow("first of installation 2") << 2 << 131073;
}

void TestPickList::newValueGetsKeyAndOwner() {
    QFETCH(int, serial);
    QFETCH(int, key);
    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
    PickList list(db(), serial);
    list.open(kBelastung, ClubFixture::kPaul, false);
    QCOMPARE(list.newValue(), key);
    QCOMPARE(list.values().state(), Cursor::State::Insert);
    QVERIFY(list.canEditValue());
    list.values().setValue(QStringLiteral("Value"), QStringLiteral("Zielrennen mit sehr langem Namen"));
    list.postValue();

    Cursor c(db(), QStringLiteral("TRVALUE"));
    c.open();
    QVERIFY(c.findKey({key}));
    QCOMPARE(c.asInt(QStringLiteral("PersonNr")), ClubFixture::kPaul);
    QCOMPARE(c.asInt(QStringLiteral("State")), 0);
    QCOMPARE(c.asString(QStringLiteral("Value")), QStringLiteral("Zielrennen mit sehr lang")); // 24 characters
    QVERIFY(c.asDateTime(QStringLiteral("Timestamp")) >= before);
    // It is offered and current, so it can be assigned at once.
    QCOMPARE(list.values().asInt(QStringLiteral("ValueNr")), key);
    QVERIFY(list.assign());
    QCOMPARE(storedList(db(), kBelastung).last(), QStringLiteral("3:Zielrennen mit sehr lang"));
}

void TestPickList::failedMoveLeavesTheOrderWhole_data() {
    QTest::addColumn<int>("failingOrder");
    QTest::newRow("first write") << 0;
    QTest::newRow("second write") << 1;
    QTest::newRow("last write") << 2;
}

void TestPickList::failedMoveLeavesTheOrderWhole() {
    QFETCH(int, failingOrder);
    PickList list(db(), ClubFixture::kSerial);
    list.open(kBelastung, ClubFixture::kCoach, false);
    // Moving locker (1) down writes Order 0, then 1, then 2.
    db().exec(QStringLiteral("CREATE TRIGGER fail_move BEFORE UPDATE ON TRuseVAL WHEN NEW.\"Order\" = %1 "
                             "BEGIN SELECT RAISE(ABORT, 'Schreibfehler'); END")
                  .arg(failingOrder));
    list.assigned().first();
    QVERIFY_THROWS_EXCEPTION(EngineError, list.moveDown());
    QCOMPARE(storedList(db(), kBelastung), (QStringList{"1:locker", "2:intensiv"}));
    QCOMPARE(list.orders(),
             (std::vector<std::pair<int, int>>{{1, ClubFixture::kValueLocker}, {2, ClubFixture::kValueIntensiv}}));
    db().exec(QStringLiteral("DROP TRIGGER fail_move"));
    // The list works on afterwards.
    list.assigned().first();
    QVERIFY(list.moveDown());
    QCOMPARE(storedList(db(), kBelastung), (QStringList{"1:intensiv", "2:locker"}));
}

void TestPickList::failedAssignWritesNothing() {
    PickList list(db(), ClubFixture::kSerial);
    list.open(kBelastung, ClubFixture::kCoach, false);
    db().exec(QStringLiteral("CREATE TRIGGER fail_mark BEFORE UPDATE ON TRVALUE WHEN NEW.State = 1 "
                             "BEGIN SELECT RAISE(ABORT, 'Schreibfehler'); END"));
    QVERIFY(list.values().locate(QStringLiteral("Value"), QStringLiteral("Beta")));
    QVERIFY_THROWS_EXCEPTION(EngineError, list.assign());
    QCOMPARE(storedList(db(), kBelastung), (QStringList{"1:locker", "2:intensiv"}));
    QCOMPARE(list.nextOrder(), 3);
    QCOMPARE(list.assigned().recordCount(), 2);
    QVERIFY(availableTexts(list).contains(QStringLiteral("Beta")));
    db().exec(QStringLiteral("DROP TRIGGER fail_mark"));
    QVERIFY(list.values().locate(QStringLiteral("Value"), QStringLiteral("Beta")));
    QVERIFY(list.assign());
    QCOMPARE(storedList(db(), kBelastung), (QStringList{"1:locker", "2:intensiv", "3:Beta"}));
}

void TestPickList::valueListedTwiceStaysMarked() {
    Cursor u(db(), QStringLiteral("TRuseVAL"));
    u.open();
    u.append();
    u.setValue(QStringLiteral("FormularNr"), kBelastung.formularNr);
    u.setValue(QStringLiteral("TableNr"), kBelastung.tableNr);
    u.setValue(QStringLiteral("FeldNr"), kBelastung.feldNr);
    u.setValue(QStringLiteral("Order"), 5);
    u.setValue(QStringLiteral("ValueNr"), ClubFixture::kValueLocker);
    u.post();

    PickList list(db(), ClubFixture::kSerial);
    list.open(kBelastung, ClubFixture::kCoach, false);
    QCOMPARE(list.nextOrder(), 6);
    list.assigned().first();
    QVERIFY(list.remove());
    QCOMPARE(markedValues(db()), (QStringList{"intensiv", "locker"}));
    QVERIFY(!availableTexts(list).contains(QStringLiteral("locker")));
    list.assigned().last();
    QVERIFY(list.remove());
    QCOMPARE(markedValues(db()), QStringList{"intensiv"});
    QVERIFY(availableTexts(list).contains(QStringLiteral("locker")));
}

void TestPickList::valueWithoutStateIsOffered() {
    db().exec(QStringLiteral("UPDATE TRVALUE SET State = NULL WHERE ValueNr = %1").arg(kBeta));
    PickList list(db(), ClubFixture::kSerial);
    list.open(kBelastung, ClubFixture::kCoach, false);
    QCOMPARE(availableTexts(list), (QStringList{"Alpha", "Beta", "fremd"}));
    QVERIFY(list.values().locate(QStringLiteral("Value"), QStringLiteral("Beta")));
    QVERIFY(list.assign());
    QVERIFY(!availableTexts(list).contains(QStringLiteral("Beta")));
}

namespace {
QStringList sorted(QStringList list) {
    std::sort(list.begin(), list.end());
    return list;
}

QStringList allValueTexts(Database &db) {
    Statement st(db, QStringLiteral("SELECT Value FROM TRVALUE"));
    QStringList list;
    while (st.step())
        list << st.value(0).toString();
    return list;
}

// While the editor is open: the field's list holds every value once, exactly
// its values carry the mark, and every other value is offered.
void checkMarks(Database &db, PickList &list, const PickList::Field &field, const QString &step) {
    const QByteArray where = step.toUtf8();
    QStringList assignedTexts;
    for (const QString &entry : storedList(db, field))
        assignedTexts << entry.section(QLatin1Char(':'), 1);
    QCOMPARE_EQ(QSet<QString>(assignedTexts.begin(), assignedTexts.end()).size(), assignedTexts.size());
    QVERIFY2(markedValues(db) == sorted(assignedTexts), where.constData());
    QStringList offered = allValueTexts(db);
    for (const QString &text : assignedTexts)
        offered.removeAll(text);
    QVERIFY2(sorted(availableTexts(list)) == sorted(offered), where.constData());
    QVERIFY2(list.assigned().recordCount() == assignedTexts.size(), where.constData());
}
} // namespace

// Steps: "N:text" makes a new value and types its text (left unposted, as
// the window leaves it), "+" assigns the current value, "+X", "-X", "^X",
// "vX" assign, remove and move value X, "C" closes the editor and opens it
// again.
void TestPickList::marksFollowEverySequence_data() {
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("new, assign") << QStringList{"N:Tempo", "+"} << QStringList{"1:locker", "2:intensiv", "3:Tempo"};
    QTest::newRow("remove, new, assign") << QStringList{"-locker", "N:Tempo", "+"}
                                         << QStringList{"2:intensiv", "3:Tempo"};
    QTest::newRow("new, assign, remove, assign again")
        << QStringList{"N:Tempo", "+", "-Tempo", "+Tempo"} << QStringList{"1:locker", "2:intensiv", "4:Tempo"};
    QTest::newRow("new, assign, move, close, remove")
        << QStringList{"N:Tempo", "+", "^Tempo", "C", "-intensiv", "+Alpha"}
        << QStringList{"1:locker", "2:Tempo", "4:Alpha"};
    QTest::newRow("two new values") << QStringList{"N:Tempo", "N:Sprint", "+", "+Tempo"}
                                    << QStringList{"1:locker", "2:intensiv", "3:Sprint", "4:Tempo"};
    QTest::newRow("remove, assign, move, new, close")
        << QStringList{"-intensiv", "+Alpha", "vlocker", "N:Tempo", "+", "C", "+Beta", "-locker", "N:Lauf", "+"}
        << QStringList{"1:Alpha", "4:Tempo", "5:Beta", "6:Lauf"};
    QTest::newRow("new after close") << QStringList{"C", "N:Tempo", "+", "C", "-Tempo", "N:Sprint", "+"}
                                     << QStringList{"1:locker", "2:intensiv", "4:Sprint"};
}

void TestPickList::marksFollowEverySequence() {
    QFETCH(QStringList, steps);
    QFETCH(QStringList, expected);
    auto list = std::make_unique<PickList>(db(), ClubFixture::kSerial);
    list->open(kBelastung, ClubFixture::kCoach, false);
    checkMarks(db(), *list, kBelastung, QStringLiteral("open"));
    for (const QString &step : steps) {
        const QString text = step.mid(1);
        if (step == QLatin1String("C")) {
            list->close();
            QCOMPARE(markedValues(db()), QStringList());
            list->open(kBelastung, ClubFixture::kCoach, false);
        } else if (step.startsWith(QLatin1String("N:"))) {
            list->newValue();
            list->values().setValue(QStringLiteral("Value"), step.mid(2));
            continue; // posted by the next step, as the window does
        } else if (step == QLatin1String("+")) {
            const int nr = list->values().asInt(QStringLiteral("ValueNr"));
            QVERIFY2(list->assign(), qPrintable(step));
            QCOMPARE(list->assigned().asInt(QStringLiteral("ValueNr")), nr);
        } else if (step.startsWith(QLatin1Char('+'))) {
            QVERIFY2(list->values().locate(QStringLiteral("Value"), text), qPrintable(step));
            QVERIFY2(list->assign(), qPrintable(step));
        } else {
            QVERIFY2(list->assigned().locate(QStringLiteral("ValueNr"), valueNrOf(db(), text)), qPrintable(step));
            const bool done = step.startsWith(QLatin1Char('-'))   ? list->remove()
                              : step.startsWith(QLatin1Char('^')) ? list->moveUp()
                                                                  : list->moveDown();
            QVERIFY2(done, qPrintable(step));
        }
        checkMarks(db(), *list, kBelastung, step);
    }
    QCOMPARE(storedList(db(), kBelastung), expected);
    list->close();
    QCOMPARE(markedValues(db()), QStringList());
    // Every value is offered to another field afterwards.
    PickList other(db(), ClubFixture::kSerial);
    other.open(kOtherField, ClubFixture::kCoach, false);
    QCOMPARE(sorted(availableTexts(other)), sorted(allValueTexts(db())));
}

void TestPickList::emptyValueIsNotStored() {
    const qint64 rows = db().rowCount(QStringLiteral("TRVALUE"));
    {
        // "Neu" and closing: nothing typed, nothing stored.
        PickList list(db(), ClubFixture::kSerial);
        list.open(kBelastung, ClubFixture::kCoach, false);
        list.newValue();
        QVERIFY(!list.postValue());
        list.newValue();
        list.newValue(); // "Neu" twice: the first, still empty, goes
        list.values().setValue(QStringLiteral("Value"), QStringLiteral("   "));
        list.close();
    }
    QCOMPARE(db().rowCount(QStringLiteral("TRVALUE")), rows);
    QVERIFY(!allValueTexts(db()).contains(QString()));

    PickList list(db(), ClubFixture::kSerial);
    list.open(kBelastung, ClubFixture::kCoach, false);
    // A description without a value is refused, and kept for the value.
    list.newValue();
    list.values().setValue(QStringLiteral("Beschreibung"), QStringLiteral("zügig"));
    try {
        list.postValue();
        QFAIL("a value without text was stored");
    } catch (const VelmoraError &e) {
        QCOMPARE(e.message(), PickList::kEmptyValue);
        QCOMPARE(e.control(), QString::fromLatin1(PickList::kValueControl));
    }
    QCOMPARE(list.values().state(), Cursor::State::Insert);
    QCOMPARE(list.values().asString(QStringLiteral("Beschreibung")), QStringLiteral("zügig"));
    list.values().cancel();
    // An existing value cannot be emptied either.
    QVERIFY(list.values().locate(QStringLiteral("Value"), QStringLiteral("Alpha")));
    list.values().edit();
    list.values().setValue(QStringLiteral("Value"), QString());
    QVERIFY_THROWS_EXCEPTION(VelmoraError, list.postValue());
    list.values().cancel();
    QCOMPARE(db().rowCount(QStringLiteral("TRVALUE")), rows);
    QCOMPARE(valueNrOf(db(), QStringLiteral("Alpha")), kAlpha);
}

void TestPickList::assignedValueCannotBeAssignedTwice() {
    PickList list(db(), ClubFixture::kSerial);
    list.open(kBelastung, ClubFixture::kCoach, false);
    // Its mark lost behind the editor's back, the value is offered again.
    db().exec(QStringLiteral("UPDATE TRVALUE SET State = 0 WHERE ValueNr = %1").arg(ClubFixture::kValueLocker));
    list.values().refresh();
    QVERIFY(list.values().locate(QStringLiteral("Value"), QStringLiteral("locker")));
    try {
        list.assign();
        QFAIL("a value was assigned twice");
    } catch (const VelmoraError &e) {
        QCOMPARE(e.message(), PickList::kAlreadyAssigned.arg(QStringLiteral("locker")));
    }
    QCOMPARE(storedList(db(), kBelastung), (QStringList{"1:locker", "2:intensiv"}));
    QCOMPARE(list.nextOrder(), 3);
}

void TestPickList::staleMarksClearedOnOpen() {
    // Left by a program that was killed with another field's editor open.
    db().exec(QStringLiteral("UPDATE TRVALUE SET State = 1 WHERE ValueNr IN (%1, %2)").arg(kAlpha).arg(kBeta));
    PickList list(db(), ClubFixture::kSerial);
    list.open(kBelastung, ClubFixture::kCoach, false);
    QCOMPARE(markedValues(db()), (QStringList{"intensiv", "locker"}));
    QCOMPARE(availableTexts(list), (QStringList{"Alpha", "Beta", "fremd"}));
    // A second list open at the same time keeps the first one's marks.
    PickList other(db(), ClubFixture::kSerial);
    other.open(kOtherField, ClubFixture::kCoach, false);
    QCOMPARE(markedValues(db()), (QStringList{"intensiv", "locker"}));
    other.close();
    list.close();
    QCOMPARE(markedValues(db()), QStringList());
}

QTEST_GUILESS_MAIN(TestPickList)
#include "tst_picklist.moc"
