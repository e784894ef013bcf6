#include "base/Settings.h"
#include "design/BlockTable.h"
#include "design/FormDesign.h"
#include "design/FormElementCache.h"
#include "design/TTREList.h"
#include "store/Cursor.h"
#include "store/Keys.h"
#include "support/ClubFixture.h"
#include "support/FormsFixture.h"
#include "support/TempInstallation.h"

#include <QTest>

using namespace velmora;
using velmora::test::ClubFixture;

namespace {
using namespace velmora::test::forms;

// TableNr:FeldNr of the form's FFIELD rows in Order.
QStringList fieldKeys(Database &db, int form) {
    QStringList keys;
    Statement st(db, QStringLiteral("SELECT TableNr, FeldNr FROM FFIELD WHERE FormularNr = ? ORDER BY \"Order\""));
    st.bind(1, form);
    while (st.step())
        keys << QStringLiteral("%1:%2")
                    .arg(st.value(0).toInt() == kKraft                ? QStringLiteral("K")
                         : st.value(0).toInt() == ClubFixture::kBlock ? QStringLiteral("L")
                                                                      : st.value(0).toString())
                    .arg(st.value(1).toInt());
    return keys;
}

int state(Database &db, int tableNr) {
    return count(db, QStringLiteral("SELECT State FROM TRTABLE WHERE TableNr = ?"), {tableNr});
}

void setDescription(FormDesign &d, const QString &text) {
    d.form().edit();
    d.form().setValue(QStringLiteral("Beschreibung"), text);
}

int rowsOfForm(Database &db, int form) {
    int n = 0;
    for (const char *t : {"TRuseTBL", "FFIELD", "TRuseVAL"})
        n += count(db, QStringLiteral("SELECT count(*) FROM %1 WHERE FormularNr = ?").arg(QString::fromLatin1(t)),
                   {form});
    return n + count(db, QStringLiteral("SELECT count(*) FROM TR WHERE FormularNr = ?"), {form});
}

int formTrNr(Database &db) {
    return count(db, QStringLiteral("SELECT TrNr FROM TR WHERE FormularNr = ? AND Art = 1"), {ClubFixture::kForm});
}
} // namespace

class TestFormDesign : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void weekdayOfTheFormRow_data();
    void weekdayOfTheFormRow();
    void newFormNumbers_data();
    void newFormNumbers();
    void twoBlocksThenOneExcluded();
    void fieldRowsKeepTheirSettings();
    void stateMarksLeaveBlockTimestamps();
    void kindIsStoredAndPreset_data();
    void kindIsStoredAndPreset();
    void finishReplacesOnlyThatFormsElements();
    void cancelNewFormLeavesNoRows_data();
    void cancelNewFormLeavesNoRows();
    void cancelExistingLeavesTheFormAsItWas();
    void readOnlyFormChangesNothing();
    void missingFormIsRefused();
    void pickValuesFollowTheirOrder();
    void nameIsFirstLine_data();
    void nameIsFirstLine();
    void valueListFitsTheField_data();
    void valueListFitsTheField();
    void blocksWithoutTableNotOffered();
    void blocksSortAsGermanUsersExpect();

private:
    std::unique_ptr<test::TempInstallation> m_inst;
    std::unique_ptr<ClubFixture> m_club;
    Database &db() { return m_inst->db(); }
    std::unique_ptr<FormDesign> newForm(const QString &text = QStringLiteral("Kraftformular"));
};

void TestFormDesign::init() {
    m_inst = std::make_unique<test::TempInstallation>(ClubFixture::kSerial);
    m_club = std::make_unique<ClubFixture>(db());
    addKraftBlock(db());
    settings().SerienNr = ClubFixture::kSerial;
    FormElementCache().Clear();
}

void TestFormDesign::cleanup() {
    FormElementCache().Clear();
    m_club.reset();
    m_inst.reset();
}

std::unique_ptr<FormDesign> TestFormDesign::newForm(const QString &text) {
    auto d = std::make_unique<FormDesign>(db(), ClubFixture::kSerial);
    d->open({ClubFixture::kJugend, 0, 0, false});
    setDescription(*d, text);
    d->leaveNamePage();
    return d;
}

void TestFormDesign::newFormNumbers_data() {
    QTest::addColumn<int>("serial");
    QTest::addColumn<bool>("club");
    QTest::addColumn<int>("formularNr");
    QTest::addColumn<int>("trNr");
    // The club's form has FormularNr 65537 and the club holds 6 TR rows.
    QTest::newRow("club installation") << 1 << true << 65538 << 7;
    QTest::newRow("first form of installation 2") << 2 << false << 131073 << 1;
}

void TestFormDesign::newFormNumbers() {
    QFETCH(int, serial);
    QFETCH(bool, club);
    QFETCH(int, formularNr);
    QFETCH(int, trNr);
    if (!club) {
        m_club.reset();
        m_inst = std::make_unique<test::TempInstallation>(serial);
    }
    FormDesign d(db(), serial);
    d.open({42, 0, 0, false});
    QVERIFY(d.isNew());
    QCOMPARE(d.formularNr(), formularNr);
    QCOMPARE(d.trNr(), trNr);
    QCOMPARE(d.serienNr(), serial);
    QCOMPARE(d.form().state(), Cursor::State::Insert);
    setDescription(d, QStringLiteral("Neu"));
    d.leaveNamePage();

    Cursor tr(db(), QStringLiteral("TR"));
    tr.open();
    QVERIFY(tr.findKey({serial, trNr}));
    QCOMPARE(tr.asInt(QStringLiteral("FormularNr")), formularNr);
    QCOMPARE(tr.asInt(QStringLiteral("Art")), 1);
    QCOMPARE(tr.asInt(QStringLiteral("PersonNr")), 42);
    QCOMPARE(tr.asDateTime(QStringLiteral("Datum")).date(), QDate::currentDate());
    QCOMPARE(tr.asString(QStringLiteral("Woche")), FormDesign::weekText(QDate::currentDate()));
    QCOMPARE(tr.asString(QStringLiteral("Woche")).size(), 2);
    // The German short name of today, not whatever the function under test says.
    static const QStringList kDays{QStringLiteral("Mo"), QStringLiteral("Di"), QStringLiteral("Mi"),
                                   QStringLiteral("Do"), QStringLiteral("Fr"), QStringLiteral("Sa"),
                                   QStringLiteral("So")};
    QCOMPARE(tr.asString(QStringLiteral("Wochentag")), kDays.at(QDate::currentDate().dayOfWeek() - 1));
    QVERIFY(!tr.isNull(QStringLiteral("Timestamp")));
    // Block 0 belongs to the new form from the first page on, with Order 0.
    QCOMPARE(count(db(), QStringLiteral("SELECT \"Order\" FROM TRuseTBL WHERE FormularNr = ? AND TableNr = 0"),
                   {formularNr}),
             0);
    QCOMPARE(count(db(), QStringLiteral("SELECT count(*) FROM TRuseTBL WHERE FormularNr = ?"), {formularNr}), 1);
    // The row stays in edit state for the following pages.
    QCOMPARE(d.form().state(), Cursor::State::Edit);
}

void TestFormDesign::twoBlocksThenOneExcluded() {
    auto d = newForm();
    const int f = d->formularNr();
    QVERIFY(d->chosenBlocks().empty());
    d->includeBlock(ClubFixture::kBlock);
    d->includeBlock(kKraft);
    d->includeBlock(kKraft); // twice adds no second row
    QCOMPARE(count(db(), QStringLiteral("SELECT \"Order\" FROM TRuseTBL WHERE FormularNr = ? AND TableNr = ?"),
                   {f, ClubFixture::kBlock}),
             1);
    QCOMPARE(
        count(db(), QStringLiteral("SELECT \"Order\" FROM TRuseTBL WHERE FormularNr = ? AND TableNr = ?"), {f, kKraft}),
        2);
    QCOMPARE(count(db(), QStringLiteral("SELECT count(*) FROM TRuseTBL WHERE FormularNr = ?"), {f}), 3);
    QCOMPARE(state(db(), ClubFixture::kBlock), 1);
    QCOMPARE(state(db(), kKraft), 1);
    QVERIFY(d->availableBlocks().empty());
    QCOMPARE(d->chosenBlocks().size(), size_t(2));
    QCOMPARE(d->chosenBlocks()[0].name, QStringLiteral("Lauf"));

    d->alignFields();
    QCOMPARE(fieldKeys(db(), f), (QStringList{QStringLiteral("0:1"), QStringLiteral("0:4"), QStringLiteral("L:1"),
                                              QStringLiteral("L:2"), QStringLiteral("L:3"), QStringLiteral("L:4"),
                                              QStringLiteral("K:1"), QStringLiteral("K:2"), QStringLiteral("K:3")}));
    for (int tableNr : {ClubFixture::kBlock, kKraft})
        InsertRow(db(), QStringLiteral("TRuseVAL"),
                  {{QStringLiteral("FormularNr"), f},
                   {QStringLiteral("TableNr"), tableNr},
                   {QStringLiteral("FeldNr"), tableNr == kKraft ? 2 : 3},
                   {QStringLiteral("ValueNr"), ClubFixture::kValueLocker},
                   {QStringLiteral("Order"), 1}});

    d->excludeBlock(ClubFixture::kBlock);
    QCOMPARE(count(db(), QStringLiteral("SELECT count(*) FROM TRuseVAL WHERE FormularNr = ? AND TableNr = ?"),
                   {f, ClubFixture::kBlock}),
             0);
    QCOMPARE(
        count(db(), QStringLiteral("SELECT count(*) FROM TRuseVAL WHERE FormularNr = ? AND TableNr = ?"), {f, kKraft}),
        1);
    QCOMPARE(count(db(), QStringLiteral("SELECT count(*) FROM TRuseTBL WHERE FormularNr = ? AND TableNr = ?"),
                   {f, ClubFixture::kBlock}),
             0);
    // The club's own form keeps its pick-list values of that block.
    QCOMPARE(count(db(), QStringLiteral("SELECT count(*) FROM TRuseVAL WHERE FormularNr = ?"), {ClubFixture::kForm}),
             2);
    QCOMPARE(state(db(), ClubFixture::kBlock), 0);
    QCOMPARE(state(db(), kKraft), 1);
    QCOMPARE(d->availableBlocks().size(), size_t(1));
    QCOMPARE(d->availableBlocks()[0].tableNr, ClubFixture::kBlock);

    // Block 0 cannot be removed.
    d->excludeBlock(0);
    QCOMPARE(count(db(), QStringLiteral("SELECT count(*) FROM TRuseTBL WHERE FormularNr = ? AND TableNr = 0"), {f}), 1);

    d->alignFields();
    QCOMPARE(fieldKeys(db(), f), (QStringList{QStringLiteral("0:1"), QStringLiteral("0:4"), QStringLiteral("K:1"),
                                              QStringLiteral("K:2"), QStringLiteral("K:3")}));
    // The "Felder" page lists no field of block 0.
    const auto rows = d->formFields();
    QCOMPARE(rows.size(), size_t(3));
    QCOMPARE(rows[0].baustein, QStringLiteral("Kraft"));
    QCOMPARE(rows[1].feld, QStringLiteral("Uebung"));
    QCOMPARE(rows[1].typ, QStringLiteral("X"));
    QVERIFY(!rows[1].grid);

    // Passing the first page again recomputes the marks from the form.
    {
        Cursor blocks(db(), QStringLiteral("TRTABLE"));
        blocks.open();
        QVERIFY(blocks.findKey({ClubFixture::kBlock}));
        blocks.edit();
        blocks.setValue(QStringLiteral("State"), 1);
        blocks.post();
    }
    d->leaveNamePage();
    QCOMPARE(state(db(), ClubFixture::kBlock), 0);
    QCOMPARE(state(db(), kKraft), 1);
    QCOMPARE(state(db(), 0), 1);
}

void TestFormDesign::fieldRowsKeepTheirSettings() {
    // The club's form: block 0 and Lauf. Its fields keep their settings when
    // Kraft joins; the new fields copy Prefix, Postfix and Werte.
    FormDesign d(db(), ClubFixture::kSerial);
    d.open({ClubFixture::kCoach, ClubFixture::kSerial, formTrNr(db()), false});
    QCOMPARE(d.nextFieldOrder(), 6); // the club numbered its fields from 0
    QCOMPARE(d.nextBlockOrder(), 2);
    QVERIFY(d.locateField(3));
    d.fields().edit();
    d.fields().setValue(QStringLiteral("Prefix"), QStringLiteral("Minuten"));
    d.fields().setValue(QStringLiteral("Visible"), false);
    d.fields().post();
    d.leaveNamePage();
    d.includeBlock(kKraft);
    d.alignFields();
    QCOMPARE(fieldKeys(db(), ClubFixture::kForm),
             (QStringList{QStringLiteral("0:1"), QStringLiteral("0:4"), QStringLiteral("L:1"), QStringLiteral("L:2"),
                          QStringLiteral("L:3"), QStringLiteral("L:4"), QStringLiteral("K:1"), QStringLiteral("K:2"),
                          QStringLiteral("K:3")}));
    Cursor ff(db(), QStringLiteral("FFIELD"));
    ff.open();
    QVERIFY(ff.findKey({ClubFixture::kForm, 3}));
    QCOMPARE(ff.asString(QStringLiteral("Prefix")), QStringLiteral("Minuten"));
    QCOMPARE(ff.asBool(QStringLiteral("Visible")), false);
    QVERIFY(ff.findKey({ClubFixture::kForm, 6}));
    QCOMPARE(ff.asString(QStringLiteral("Prefix")), QStringLiteral("Gewicht"));
    QCOMPARE(ff.asString(QStringLiteral("Postfix")), QStringLiteral("kg"));
    QCOMPARE(ff.asBool(QStringLiteral("Visible")), true);
    QVERIFY(ff.findKey({ClubFixture::kForm, 8}));
    QCOMPARE(ff.asString(QStringLiteral("Werte")), QStringLiteral("rot\rblau"));
}

void TestFormDesign::stateMarksLeaveBlockTimestamps() {
    // The import reads a changed block Timestamp as a changed table
    // structure, so a working mark must not touch it.
    const QDateTime stamp(QDate(2025, 3, 4), QTime(5, 6, 7));
    Statement st(db(), QStringLiteral("UPDATE TRTABLE SET Timestamp = ?"));
    st.bind(1, stamp, FieldType::Timestamp);
    st.step();
    auto d = newForm();
    d->includeBlock(kKraft);
    d->includeBlock(ClubFixture::kBlock);
    d->excludeBlock(ClubFixture::kBlock);
    d->leaveNamePage();
    Cursor blocks(db(), QStringLiteral("TRTABLE"));
    blocks.open();
    for (blocks.first(); !blocks.eof(); blocks.next())
        QCOMPARE(blocks.asDateTime(QStringLiteral("Timestamp")), stamp);
}

void TestFormDesign::kindIsStoredAndPreset_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("art");
    QTest::newRow("Details") << 0 << 1;
    QTest::newRow("Wochensumme") << 1 << 11;
    QTest::newRow("Zyklensumme") << 2 << 21;
}

void TestFormDesign::kindIsStoredAndPreset() {
    QFETCH(int, kind);
    QFETCH(int, art);
    int trNr = 0;
    {
        auto d = newForm();
        d->setKind(kind);
        d->includeBlock(kKraft);
        d->alignFields();
        TTREList list;
        d->finish(list);
        trNr = d->trNr();
    }
    QCOMPARE(count(db(), QStringLiteral("SELECT Art FROM TR WHERE SerienNr = 1 AND TrNr = ?"), {trNr}), art);
    FormDesign again(db(), ClubFixture::kSerial);
    again.open({ClubFixture::kCoach, ClubFixture::kSerial, trNr, true});
    QCOMPARE(again.kind(), kind);
    QCOMPARE(again.formName(), QStringLiteral("Kraftformular"));
}

void TestFormDesign::finishReplacesOnlyThatFormsElements() {
    LoadFormElementCache(db(), nullptr);
    TTREList &cache = FormElementCache();
    QCOMPARE(cache.FormElements(ClubFixture::kForm).size(), size_t(6));
    TTREListEntry *clubElement = cache.Find(ClubFixture::kForm, 2);
    QVERIFY(clubElement);

    auto d = newForm();
    d->includeBlock(kKraft);
    d->alignFields();
    QCOMPARE(cache.FormElements(d->formularNr()).size(), size_t(0));
    d->finish(cache);
    const auto elements = cache.FormElements(d->formularNr());
    QCOMPARE(elements.size(), size_t(5)); // block 0's two and Kraft's three
    QCOMPARE(elements[2]->Feldname, QStringLiteral("Gewicht"));
    QCOMPARE(elements[2]->Postfix, QStringLiteral("kg"));
    QCOMPARE(elements[4]->Werte.value_or(QStringList()), (QStringList{QStringLiteral("rot"), QStringLiteral("blau")}));
    // The other form's elements are untouched, the very same objects.
    QCOMPARE(cache.Find(ClubFixture::kForm, 2), clubElement);
    QCOMPARE(cache.Count(), 11);
    QVERIFY(cache.IsSorted());

    // Editing the club's form replaces exactly its elements.
    FormDesign club(db(), ClubFixture::kSerial);
    club.open({ClubFixture::kCoach, ClubFixture::kSerial, formTrNr(db()), false});
    club.leaveNamePage();
    club.excludeBlock(ClubFixture::kBlock);
    club.includeBlock(kKraft);
    club.alignFields();
    TTREListEntry *newFormElement = cache.Find(d->formularNr(), 1);
    club.finish(cache);
    QCOMPARE(cache.FormElements(ClubFixture::kForm).size(), size_t(5));
    QCOMPARE(cache.BlockElements(ClubFixture::kForm, ClubFixture::kBlock).size(), size_t(0));
    QCOMPARE(cache.BlockElements(ClubFixture::kForm, kKraft).size(), size_t(3));
    QCOMPARE(cache.Find(d->formularNr(), 1), newFormElement);
    QCOMPARE(cache.Count(), 10);
}

void TestFormDesign::cancelNewFormLeavesNoRows_data() {
    QTest::addColumn<int>("stage");
    QTest::newRow("on the first page") << 0;
    QTest::newRow("after the first page") << 1;
    QTest::newRow("with blocks") << 2;
    QTest::newRow("with fields and pick-list values") << 3;
}

void TestFormDesign::cancelNewFormLeavesNoRows() {
    QFETCH(int, stage);
    const int before = count(db(), QStringLiteral("SELECT count(*) FROM TR"));
    const int clubRows = rowsOfForm(db(), ClubFixture::kForm);
    FormDesign d(db(), ClubFixture::kSerial);
    d.open({ClubFixture::kJugend, 0, 0, false});
    setDescription(d, QStringLiteral("Verworfen"));
    if (stage >= 1)
        d.leaveNamePage();
    if (stage >= 2) {
        d.includeBlock(kKraft);
        d.includeBlock(ClubFixture::kBlock);
    }
    if (stage >= 3) {
        d.alignFields();
        InsertRow(db(), QStringLiteral("TRuseVAL"),
                  {{QStringLiteral("FormularNr"), d.formularNr()},
                   {QStringLiteral("TableNr"), kKraft},
                   {QStringLiteral("FeldNr"), 2},
                   {QStringLiteral("ValueNr"), ClubFixture::kValueLocker},
                   {QStringLiteral("Order"), 1}});
    }
    const int f = d.formularNr();
    TTREList list;
    d.cancel(list);
    QCOMPARE(rowsOfForm(db(), f), 0);
    QCOMPARE(count(db(), QStringLiteral("SELECT count(*) FROM TR WHERE SerienNr = 1 AND TrNr = ?"), {d.trNr()}), 0);
    QCOMPARE(count(db(), QStringLiteral("SELECT count(*) FROM TR")), before);
    QCOMPARE(rowsOfForm(db(), ClubFixture::kForm), clubRows);
}

void TestFormDesign::cancelExistingLeavesTheFormAsItWas() {
    LoadFormElementCache(db(), nullptr);
    const QStringList fieldsBefore = fieldKeys(db(), ClubFixture::kForm);
    const int rowsBefore = rowsOfForm(db(), ClubFixture::kForm);
    FormDesign d(db(), ClubFixture::kSerial);
    d.open({ClubFixture::kCoach, ClubFixture::kSerial, formTrNr(db()), false});
    setDescription(d, QStringLiteral("Umbenannt"));
    d.leaveNamePage(); // posts the new name
    setDescription(d, QStringLiteral("Nicht gespeichert"));
    d.excludeBlock(ClubFixture::kBlock); // removes its pick-list values at once
    d.includeBlock(kKraft);
    d.alignFields();
    d.fields().last(); // one of Kraft's new fields
    QCOMPARE(d.fields().asInt(QStringLiteral("TableNr")), kKraft);
    d.fields().edit();
    d.fields().setValue(QStringLiteral("Prefix"), QStringLiteral("Last"));
    d.fields().post();
    QVERIFY(fieldKeys(db(), ClubFixture::kForm) != fieldsBefore);
    d.cancel(FormElementCache());

    QVERIFY(!db().inTransaction());
    QCOMPARE(count(db(), QStringLiteral("SELECT count(*) FROM TR WHERE Beschreibung = 'Laufprotokoll'")), 1);
    QCOMPARE(count(db(), QStringLiteral("SELECT count(*) FROM TRuseTBL WHERE FormularNr = ? AND TableNr = ?"),
                   {ClubFixture::kForm, ClubFixture::kBlock}),
             1);
    QCOMPARE(count(db(), QStringLiteral("SELECT count(*) FROM TRuseTBL WHERE FormularNr = ? AND TableNr = ?"),
                   {ClubFixture::kForm, kKraft}),
             0);
    QCOMPARE(count(db(), QStringLiteral("SELECT count(*) FROM TRuseVAL WHERE FormularNr = ?"), {ClubFixture::kForm}),
             2);
    QCOMPARE(count(db(), QStringLiteral("SELECT count(*) FROM FFIELD WHERE Prefix = 'Last'")), 0);
    QCOMPARE(fieldKeys(db(), ClubFixture::kForm), fieldsBefore);
    QCOMPARE(rowsOfForm(db(), ClubFixture::kForm), rowsBefore);
    QCOMPARE(FormElementCache().FormElements(ClubFixture::kForm).size(), size_t(6));
}

void TestFormDesign::readOnlyFormChangesNothing() {
    const int trNr = formTrNr(db());
    const int clubRows = rowsOfForm(db(), ClubFixture::kForm);
    FormDesign d(db(), ClubFixture::kSerial);
    d.open({ClubFixture::kAnna, ClubFixture::kSerial, trNr, true});
    QVERIFY(!d.isNew());
    QVERIFY(d.isReadOnly());
    QCOMPARE(d.form().state(), Cursor::State::Browse);
    QCOMPARE(d.formName(), QStringLiteral("Laufprotokoll"));
    QVERIFY_THROWS_EXCEPTION(VelmoraError, d.form().edit());
    d.leaveNamePage();
    QCOMPARE(state(db(), ClubFixture::kBlock), 1);
    try {
        d.includeBlock(kKraft);
        QFAIL("a read-only form took a block");
    } catch (const VelmoraError &e) {
        QCOMPARE(e.message(), QStringLiteral("Datenmenge nur mit Leseberechtigung geöffnet!"));
    }
    QVERIFY_THROWS_EXCEPTION(VelmoraError, d.excludeBlock(ClubFixture::kBlock));
    d.alignFields();
    TTREList list;
    d.finish(list);
    d.cancel(list);
    QCOMPARE(list.Count(), 0);
    QCOMPARE(rowsOfForm(db(), ClubFixture::kForm), clubRows);
    QCOMPARE(count(db(), QStringLiteral("SELECT count(*) FROM TR WHERE TrNr = ? AND Beschreibung = 'Laufprotokoll'"),
                   {trNr}),
             1);
}

void TestFormDesign::missingFormIsRefused() {
    const int clubRows = rowsOfForm(db(), 0);
    FormDesign d(db(), ClubFixture::kSerial);
    try {
        d.open({ClubFixture::kCoach, ClubFixture::kSerial, 999, false});
        QFAIL("a missing form was opened");
    } catch (const VelmoraError &e) {
        QCOMPARE(e.message(), FormDesign::kFormNotFound);
    }
    TTREList list;
    d.cancel(list);
    QCOMPARE(rowsOfForm(db(), 0), clubRows);
}

void TestFormDesign::pickValuesFollowTheirOrder() {
    Statement st(db(), QStringLiteral("UPDATE TRuseVAL SET \"Order\" = 13 - \"Order\" WHERE FormularNr = ?"));
    st.bind(1, ClubFixture::kForm);
    st.step();
    const auto values = FormDesign::pickValues(db(), ClubFixture::kForm, ClubFixture::kBlock, 3);
    QCOMPARE(values.size(), size_t(2));
    QCOMPARE(values[0].value, QStringLiteral("intensiv"));
    QCOMPARE(values[0].order, 11);
    QCOMPARE(values[1].valueNr, ClubFixture::kValueLocker);
    QVERIFY(FormDesign::pickValues(db(), ClubFixture::kForm, ClubFixture::kBlock, 2).empty());
}

void TestFormDesign::nameIsFirstLine_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("name");
    QTest::newRow("one line") << QStringLiteral("Kraft") << QStringLiteral("Kraft");
    QTest::newRow("carriage return") << QStringLiteral("Kraft\r\nfür alle") << QStringLiteral("Kraft");
    QTest::newRow("line feed") << QStringLiteral("Kraft\nfür alle") << QStringLiteral("Kraft");
    QTest::newRow("long") << QString(60, QLatin1Char('x')) << QString(50, QLatin1Char('x'));
    QTest::newRow("empty") << QString() << QString();
}

void TestFormDesign::nameIsFirstLine() {
    QFETCH(QString, text);
    QFETCH(QString, name);
    QCOMPARE(FormDesign::nameOf(text), name);
}

void TestFormDesign::valueListFitsTheField_data() {
    QTest::addColumn<int>("feldNr");
    QTest::addColumn<QString>("werte");
    QTest::addColumn<QString>("message");
    // Kraft's "Farbe" is a combobox of 10 characters.
    QTest::newRow("fits exactly") << 3 << "rot\ndunkelblau" << QString();
    QTest::newRow("one too long") << 3 << "rot\r\nhellgrünblau\r\nblau"
                                  << FormDesign::kValueTooLong.arg(QStringLiteral("hellgrünblau")).arg(10);
    QTest::newRow("empty list") << 3 << "" << QString();
    QTest::newRow("not a combobox") << 1 << QString(30, QLatin1Char('x')) << QString();
}

void TestFormDesign::valueListFitsTheField() {
    QFETCH(int, feldNr);
    QFETCH(QString, werte);
    QFETCH(QString, message);
    auto d = newForm();
    d->includeBlock(kKraft);
    d->alignFields();
    // The form's fields: block 0's two, then Kraft's three.
    QVERIFY(d->locateField(2 + feldNr));
    QCOMPARE(d->fields().asInt(QStringLiteral("FeldNr")), feldNr);
    d->fields().edit();
    d->fields().setValue(QStringLiteral("Werte"), werte);
    if (message.isEmpty()) {
        d->fields().post();
        QCOMPARE(d->fields().asString(QStringLiteral("Werte")), werte);
        return;
    }
    try {
        d->fields().post();
        QFAIL("a value longer than the field was stored");
    } catch (const VelmoraError &e) {
        QCOMPARE(e.message(), message);
        QCOMPARE(e.control(), QStringLiteral("dbfWerte"));
    }
    QVERIFY(d->fields().isEditing());
    QCOMPARE(count(db(), QStringLiteral("SELECT count(*) FROM FFIELD WHERE Werte = 'rot\rblau'")), 1);
}

void TestFormDesign::blocksWithoutTableNotOffered() {
    // A block whose designer never finished: its row holds a name, no table.
    InsertRow(db(), QStringLiteral("TRTABLE"),
              {{QStringLiteral("TableNr"), ClubFixture::kBase + 20},
               {QStringLiteral("Name"), QStringLiteral("Halbfertig")},
               {QStringLiteral("Filename"), QStringLiteral("TR_20")}});
    auto d = newForm();
    std::vector<QString> names;
    for (const FormDesign::Block &b : d->availableBlocks())
        names.push_back(b.name);
    QCOMPARE(names, (std::vector<QString>{QStringLiteral("Kraft"), QStringLiteral("Lauf")}));
}

void TestFormDesign::blocksSortAsGermanUsersExpect() {
    std::vector<FormDesign::Block> blocks{{1, QStringLiteral("Zug")},     {2, QStringLiteral("ausdauer")},
                                          {3, QStringLiteral("Übung")},   {4, QStringLiteral("Uhr")},
                                          {5, QStringLiteral("Ärmel")},   {6, QStringLiteral("Beine")},
                                          {7, QStringLiteral("ausdauer")}};
    FormDesign::SortBlocksByName(blocks);
    QStringList order;
    for (const FormDesign::Block &b : blocks)
        order << QStringLiteral("%1:%2").arg(b.name).arg(b.tableNr);
    QCOMPARE(order, (QStringList{"Ärmel:5", "ausdauer:2", "ausdauer:7", "Beine:6", "Übung:3", "Uhr:4", "Zug:1"}));
}

void TestFormDesign::weekdayOfTheFormRow_data() {
    QTest::addColumn<QDate>("day");
    QTest::addColumn<QString>("weekday");
    const char *names[] = {"Mo", "Di", "Mi", "Do", "Fr", "Sa", "So"};
    for (int i = 0; i < 7; ++i) // 7 December 2026 is a Monday
        QTest::newRow(names[i]) << QDate(2026, 12, 7 + i) << QString::fromLatin1(names[i]);
}

// TR.Wochentag holds two characters: what is left of the German short name.
void TestFormDesign::weekdayOfTheFormRow() {
    QFETCH(QDate, day);
    QFETCH(QString, weekday);
    QCOMPARE(FormDesign::weekdayText(day).left(2), weekday);
}

QTEST_GUILESS_MAIN(TestFormDesign)
#include "tst_formdesign.moc"
