#include "base/Settings.h"
#include "controls/DBControls.h"
#include "controls/TDBTypeGrid.h"
#include "design/TIndexValues.h"
#include "store/Cursor.h"
#include "support/ClubFixture.h"
#include "support/Controls.h"
#include "support/MessageRecorder.h"
#include "support/TempInstallation.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>

using namespace velmora;
using velmora::test::ClubFixture;
using velmora::test::control;
using velmora::test::type;

namespace {
constexpr int kFremd = ClubFixture::kBase + 3; // created by Otto
constexpr int kAlpha = ClubFixture::kBase + 4;

void addValue(Database &db, int nr, const QString &text, int owner) {
    Cursor c(db, QStringLiteral("TRVALUE"));
    c.open();
    c.append();
    c.setValue(QStringLiteral("ValueNr"), nr);
    c.setValue(QStringLiteral("Value"), text);
    c.setValue(QStringLiteral("PersonNr"), owner);
    c.post();
}

// A grid's rows as shown.
QStringList shown(TDBTypeGrid *grid) {
    QStringList rows;
    for (int r = 0; r < grid->model()->rowCount(); ++r)
        rows << grid->model()->index(r, 0).data().toString();
    return rows;
}

QStringList storedList(Database &db) {
    Statement st(db,
                 QStringLiteral("SELECT u.\"Order\", v.Value FROM TRuseVAL u JOIN TRVALUE v ON v.ValueNr = u.ValueNr"
                                " WHERE u.FormularNr = ? AND u.TableNr = ? AND u.FeldNr = 3 ORDER BY u.\"Order\""));
    st.bind(1, ClubFixture::kForm);
    st.bind(2, ClubFixture::kBlock);
    QStringList list;
    while (st.step())
        list << QStringLiteral("%1:%2").arg(st.value(0).toInt()).arg(st.value(1).toString());
    return list;
}

int markCount(Database &db) {
    Statement st(db, QStringLiteral("SELECT COUNT(*) FROM TRVALUE WHERE State <> 0"));
    st.step();
    return st.value(0).toInt();
}

// An item view reports a double click only on the row the press was on.
void doubleClick(TDBTypeGrid *grid, int row) {
    const QPoint at = grid->visualRect(grid->model()->index(row, 0)).center();
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, at);
}

void clickRow(TDBTypeGrid *grid, const QString &text) {
    const int row = shown(grid).indexOf(text);
    QVERIFY2(row >= 0, qPrintable(text));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(grid->model()->index(row, 0)).center());
    QCOMPARE(grid->dataCursor()->recNo(), row);
}
} // namespace

class TestTIndexValues : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void opensWithCaptionListsAndMarks();
    void assignMoveRemoveThroughButtons();
    void doubleClickAndSpaceBar();
    void newValueIsTypedAndKept();
    void editRuleFollowsTheOwner();
    void readOnlyWindow();
    void everyWayOfClosingClearsTheMarks_data();
    void everyWayOfClosingClearsTheMarks();
    void newValuesAssignedThroughTheWindow();
    void untypedNewValueLeftByClicking();

private:
    std::unique_ptr<TIndexValues> openWindow(bool readOnly = false);
    std::unique_ptr<test::TempInstallation> m_inst;
    std::unique_ptr<ClubFixture> m_club;
    std::unique_ptr<test::MessageRecorder> m_messages;
    Database &db() { return m_inst->db(); }
};

void TestTIndexValues::init() {
    m_inst = std::make_unique<test::TempInstallation>(ClubFixture::kSerial);
    m_club = std::make_unique<ClubFixture>(db());
    addValue(db(), kFremd, QStringLiteral("fremd"), ClubFixture::kOtto);
    addValue(db(), kAlpha, QStringLiteral("Alpha"), ClubFixture::kCoach);
    m_messages = std::make_unique<test::MessageRecorder>();
    settings().SerienNr = ClubFixture::kSerial;
}

void TestTIndexValues::cleanup() {
    m_messages.reset();
    m_club.reset();
    m_inst.reset();
}

std::unique_ptr<TIndexValues> TestTIndexValues::openWindow(bool readOnly) {
    auto w = std::make_unique<TIndexValues>(ClubFixture::kForm, ClubFixture::kBlock, 3, ClubFixture::kCoach, readOnly,
                                            QStringLiteral("Lauf Belastung"));
    if (!w->prepare())
        return nullptr;
    w->resize(700, 450);
    w->show();
    return w;
}

void TestTIndexValues::opensWithCaptionListsAndMarks() {
    auto w = openWindow();
    QVERIFY(w);
    QCOMPARE(w->windowTitle(), QStringLiteral("Indexwerte zuordnen [Lauf Belastung]"));
    QCOMPARE(shown(control<TDBTypeGrid>(*w, "dbgValue")), (QStringList{"Alpha", "fremd"}));
    QCOMPARE(shown(control<TDBTypeGrid>(*w, "dbguseVAL")), (QStringList{"locker", "intensiv"}));
    QCOMPARE(markCount(db()), 2);
    QVERIFY(control<QPushButton>(*w, "btnAdd")->isEnabled());
    QVERIFY(control<QPushButton>(*w, "btnRemove")->isEnabled());
    QVERIFY(!control<QPushButton>(*w, "btnUp")->isEnabled()); // on the first row
    QVERIFY(control<QPushButton>(*w, "btnDown")->isEnabled());
    QCOMPARE(control<QPushButton>(*w, "btnNew")->toolTip(), QStringLiteral("Neuen Indexwert erstellen"));
    QVERIFY(m_messages->entries().isEmpty());
}

void TestTIndexValues::assignMoveRemoveThroughButtons() {
    auto w = openWindow();
    QVERIFY(w);
    auto *available = control<TDBTypeGrid>(*w, "dbgValue");
    auto *assigned = control<TDBTypeGrid>(*w, "dbguseVAL");
    auto *btnAdd = control<QPushButton>(*w, "btnAdd");
    auto *btnUp = control<QPushButton>(*w, "btnUp");
    auto *btnDown = control<QPushButton>(*w, "btnDown");

    clickRow(available, QStringLiteral("Alpha"));
    QTest::mouseClick(btnAdd, Qt::LeftButton);
    QCOMPARE(shown(available), QStringList{"fremd"});
    QCOMPARE(shown(assigned), (QStringList{"locker", "intensiv", "Alpha"}));
    QCOMPARE(assigned->currentIndex().row(), 2);
    QVERIFY(!btnDown->isEnabled());

    QTest::mouseClick(btnUp, Qt::LeftButton);
    QTest::mouseClick(btnUp, Qt::LeftButton);
    QCOMPARE(storedList(db()), (QStringList{"1:Alpha", "2:locker", "3:intensiv"}));
    QCOMPARE(shown(assigned), (QStringList{"Alpha", "locker", "intensiv"}));
    QVERIFY(!btnUp->isEnabled());
    QVERIFY(btnDown->isEnabled());

    clickRow(assigned, QStringLiteral("locker"));
    QTest::mouseClick(control<QPushButton>(*w, "btnRemove"), Qt::LeftButton);
    QCOMPARE(storedList(db()), (QStringList{"1:Alpha", "3:intensiv"}));
    QCOMPARE(shown(available), (QStringList{"fremd", "locker"}));
    QCOMPARE(markCount(db()), 2);

    QTest::mouseClick(control<QPushButton>(*w, "btnOk"), Qt::LeftButton);
    QCOMPARE(w->result(), int(QDialog::Accepted));
    QVERIFY(!w->isVisible());
    QCOMPARE(markCount(db()), 0);
    QVERIFY(m_messages->entries().isEmpty());
}

void TestTIndexValues::doubleClickAndSpaceBar() {
    auto w = openWindow();
    QVERIFY(w);
    auto *available = control<TDBTypeGrid>(*w, "dbgValue");
    auto *assigned = control<TDBTypeGrid>(*w, "dbguseVAL");

    doubleClick(available, shown(available).indexOf(QStringLiteral("fremd")));
    QCOMPARE(shown(assigned), (QStringList{"locker", "intensiv", "fremd"}));

    available->setFocus();
    QTest::keyClick(available, Qt::Key_Space);
    QCOMPARE(shown(assigned), (QStringList{"locker", "intensiv", "fremd", "Alpha"}));
    QCOMPARE(shown(available), QStringList());
    QVERIFY(!control<QPushButton>(*w, "btnAdd")->isEnabled());
    // Nothing left: the space bar does nothing.
    QTest::keyClick(available, Qt::Key_Space);

    clickRow(assigned, QStringLiteral("intensiv"));
    QTest::keyClick(assigned, Qt::Key_Space);
    QCOMPARE(storedList(db()), (QStringList{"1:locker", "3:fremd", "4:Alpha"}));
    doubleClick(assigned, 0);
    QCOMPARE(storedList(db()), (QStringList{"3:fremd", "4:Alpha"}));
    QCOMPARE(shown(available), (QStringList{"intensiv", "locker"}));
    QVERIFY(m_messages->entries().isEmpty());
}

void TestTIndexValues::newValueIsTypedAndKept() {
    auto w = openWindow();
    QVERIFY(w);
    auto *dbfValue = control<TDBEdit>(*w, "dbfValue");
    QTest::mouseClick(control<QPushButton>(*w, "btnNew"), Qt::LeftButton);
    QCOMPARE(w->pickList().values().state(), Cursor::State::Insert);
    QVERIFY(dbfValue->isEnabled());
    QTest::keyClicks(dbfValue, QStringLiteral("Tempo"));
    control<TDBMemo>(*w, "dbfBeschreibung")->insertPlainText(QStringLiteral("zügig"));
    // Assigning takes the new value with it.
    QTest::mouseClick(control<QPushButton>(*w, "btnAdd"), Qt::LeftButton);
    QCOMPARE(shown(control<TDBTypeGrid>(*w, "dbguseVAL")), (QStringList{"locker", "intensiv", "Tempo"}));

    // A second one, left unposted, is kept by "Fertig".
    QTest::mouseClick(control<QPushButton>(*w, "btnNew"), Qt::LeftButton);
    QTest::keyClicks(dbfValue, QStringLiteral("Sprint"));
    w->btnOkClick();
    QCOMPARE(w->result(), int(QDialog::Accepted));
    Cursor c(db(), QStringLiteral("TRVALUE"));
    c.open();
    QVERIFY(c.findKey({ClubFixture::kBase + 5}));
    QCOMPARE(c.asString(QStringLiteral("Value")), QStringLiteral("Tempo"));
    QCOMPARE(c.asString(QStringLiteral("Beschreibung")), QStringLiteral("zügig"));
    QCOMPARE(c.asInt(QStringLiteral("PersonNr")), ClubFixture::kCoach);
    QVERIFY(c.findKey({ClubFixture::kBase + 6}));
    QCOMPARE(c.asString(QStringLiteral("Value")), QStringLiteral("Sprint"));
    QCOMPARE(c.asInt(QStringLiteral("State")), 0);
    QCOMPARE(markCount(db()), 0);
}

void TestTIndexValues::editRuleFollowsTheOwner() {
    auto w = openWindow();
    QVERIFY(w);
    auto *available = control<TDBTypeGrid>(*w, "dbgValue");
    auto *dbfValue = control<TDBEdit>(*w, "dbfValue");
    auto *dbfBeschreibung = control<TDBMemo>(*w, "dbfBeschreibung");

    clickRow(available, QStringLiteral("fremd"));
    QVERIFY(!dbfValue->isEnabled());
    QVERIFY(!dbfBeschreibung->isEnabled());
    QCOMPARE(dbfValue->palette().color(QPalette::Base), w->palette().color(QPalette::Button));
    QCOMPARE(dbfValue->text(), QStringLiteral("fremd"));
    // Still assignable.
    QVERIFY(control<QPushButton>(*w, "btnAdd")->isEnabled());

    clickRow(available, QStringLiteral("Alpha"));
    QVERIFY(dbfValue->isEnabled());
    QVERIFY(dbfBeschreibung->isEnabled());
    QCOMPARE(dbfValue->palette().color(QPalette::Base), w->palette().color(QPalette::Base));
    dbfValue->selectAll();
    QTest::keyClicks(dbfValue, QStringLiteral("Aerob"));
    w->btnOkClick();
    Cursor c(db(), QStringLiteral("TRVALUE"));
    c.open();
    QVERIFY(c.findKey({kAlpha}));
    QCOMPARE(c.asString(QStringLiteral("Value")), QStringLiteral("Aerob"));
    QVERIFY(c.findKey({kFremd}));
    QCOMPARE(c.asString(QStringLiteral("Value")), QStringLiteral("fremd"));
}

void TestTIndexValues::readOnlyWindow() {
    auto w = openWindow(true);
    QVERIFY(w);
    for (const char *name : {"btnAdd", "btnRemove", "btnUp", "btnDown", "btnNew"})
        QVERIFY2(!control<QPushButton>(*w, name)->isEnabled(), name);
    QVERIFY(control<QPushButton>(*w, "btnOk")->isEnabled());
    clickRow(control<TDBTypeGrid>(*w, "dbgValue"), QStringLiteral("Alpha"));
    QVERIFY(!control<TDBEdit>(*w, "dbfValue")->isEnabled());

    // A handler reached anyway is refused with the engine's message.
    w->btnNewClick();
    w->btnAddClick();
    QCOMPARE(m_messages->texts(test::MessageRecorder::Kind::Error),
             (QStringList{"Datenmenge nur mit Leseberechtigung geöffnet!",
                          "Datenmenge nur mit Leseberechtigung geöffnet!"}));
    QCOMPARE(db().rowCount(QStringLiteral("TRVALUE")), 4);
    QCOMPARE(storedList(db()), (QStringList{"1:locker", "2:intensiv"}));
    w->btnOkClick();
    QCOMPARE(markCount(db()), 0);
}

void TestTIndexValues::everyWayOfClosingClearsTheMarks_data() {
    QTest::addColumn<QString>("how");
    for (const char *how : {"Fertig", "Escape", "close box", "destroyed"})
        QTest::newRow(how) << QString::fromLatin1(how);
}

void TestTIndexValues::everyWayOfClosingClearsTheMarks() {
    QFETCH(QString, how);
    auto w = openWindow();
    QVERIFY(w);
    clickRow(control<TDBTypeGrid>(*w, "dbgValue"), QStringLiteral("Alpha"));
    w->btnAddClick();
    QCOMPARE(markCount(db()), 3);
    if (how == QLatin1String("Fertig"))
        QTest::mouseClick(control<QPushButton>(*w, "btnOk"), Qt::LeftButton);
    else if (how == QLatin1String("Escape"))
        QTest::keyClick(w.get(), Qt::Key_Escape);
    else if (how == QLatin1String("close box"))
        QVERIFY(w->close());
    else
        w.reset();
    if (w)
        QVERIFY(!w->isVisible());
    QCOMPARE(markCount(db()), 0);
    QCOMPARE(storedList(db()), (QStringList{"1:locker", "2:intensiv", "3:Alpha"}));
    w.reset();
    QCOMPARE(markCount(db()), 0);
    QVERIFY(m_messages->entries().isEmpty());
}

void TestTIndexValues::newValuesAssignedThroughTheWindow() {
    auto w = openWindow();
    QVERIFY(w);
    QApplication::setActiveWindow(w.get());
    QVERIFY(QTest::qWaitForWindowActive(w.get()));
    auto *available = control<TDBTypeGrid>(*w, "dbgValue");
    auto *assigned = control<TDBTypeGrid>(*w, "dbguseVAL");
    auto *dbfValue = control<TDBEdit>(*w, "dbfValue");
    auto *btnAdd = control<QPushButton>(*w, "btnAdd");
    auto *btnNew = control<QPushButton>(*w, "btnNew");

    clickRow(assigned, QStringLiteral("locker"));
    QTest::mouseClick(control<QPushButton>(*w, "btnRemove"), Qt::LeftButton);
    QTest::mouseClick(btnNew, Qt::LeftButton);
    QVERIFY(dbfValue->hasFocus());
    QTest::keyClicks(dbfValue, QStringLiteral("Tempo"));
    // Tab leads on to the description, not to "Neu".
    QTest::keyClick(dbfValue, Qt::Key_Tab);
    QVERIFY(control<TDBMemo>(*w, "dbfBeschreibung")->hasFocus());
    QTest::mouseClick(btnAdd, Qt::LeftButton);
    QCOMPARE(shown(assigned), (QStringList{"intensiv", "Tempo"}));
    QCOMPARE(shown(available), (QStringList{"Alpha", "fremd", "locker"}));
    QCOMPARE(markCount(db()), 2);

    // "Neu" left empty and assigning: nothing stored, nothing assigned.
    const qint64 values = db().rowCount(QStringLiteral("TRVALUE"));
    QTest::mouseClick(btnNew, Qt::LeftButton);
    QTest::mouseClick(btnAdd, Qt::LeftButton);
    QCOMPARE(db().rowCount(QStringLiteral("TRVALUE")), values);
    QCOMPARE(storedList(db()), (QStringList{"2:intensiv", "3:Tempo"}));

    QTest::mouseClick(control<QPushButton>(*w, "btnOk"), Qt::LeftButton);
    QVERIFY(!w->isVisible());
    QCOMPARE(markCount(db()), 0);
    QVERIFY(m_messages->entries().isEmpty());
    // The removed value is offered again, the new one stays assigned.
    w = openWindow();
    QVERIFY(w);
    QCOMPARE(shown(control<TDBTypeGrid>(*w, "dbgValue")), (QStringList{"Alpha", "fremd", "locker"}));
    QCOMPARE(shown(control<TDBTypeGrid>(*w, "dbguseVAL")), (QStringList{"intensiv", "Tempo"}));
}

void TestTIndexValues::untypedNewValueLeftByClicking() {
    auto w = openWindow();
    QVERIFY(w);
    auto *available = control<TDBTypeGrid>(*w, "dbgValue");
    const qint64 values = db().rowCount(QStringLiteral("TRVALUE"));
    QTest::mouseClick(control<QPushButton>(*w, "btnNew"), Qt::LeftButton);
    QCOMPARE(w->pickList().values().state(), Cursor::State::Insert);
    // Changing one's mind: a click on another value leaves the empty one.
    clickRow(available, QStringLiteral("fremd"));
    QCOMPARE(w->pickList().values().state(), Cursor::State::Browse);
    QCOMPARE(w->pickList().values().asString(QStringLiteral("Value")), QStringLiteral("fremd"));
    QVERIFY(m_messages->entries().isEmpty());
    // A description typed without a value is not thrown away: it is refused.
    QTest::mouseClick(control<QPushButton>(*w, "btnNew"), Qt::LeftButton);
    control<TDBMemo>(*w, "dbfBeschreibung")->insertPlainText(QStringLiteral("zügig"));
    QTest::mouseClick(control<QPushButton>(*w, "btnOk"), Qt::LeftButton);
    QVERIFY(w->isVisible());
    QCOMPARE(m_messages->texts(test::MessageRecorder::Kind::Error), QStringList{PickList::kEmptyValue});
    QCOMPARE(control<TDBMemo>(*w, "dbfBeschreibung")->toPlainText(), QStringLiteral("zügig"));
    QTest::keyClicks(control<TDBEdit>(*w, "dbfValue"), QStringLiteral("Tempo"));
    QTest::mouseClick(control<QPushButton>(*w, "btnOk"), Qt::LeftButton);
    QVERIFY(!w->isVisible());
    QCOMPARE(db().rowCount(QStringLiteral("TRVALUE")), values + 1);
    QCOMPARE(markCount(db()), 0);
}

QTEST_MAIN(TestTIndexValues)
#include "tst_tindexvalues.moc"
