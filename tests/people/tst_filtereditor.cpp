#include "app/DocumentList.h"
#include "base/Settings.h"
#include "people/FilterEditor.h"
#include "store/Cursor.h"
#include "support/ClubFixture.h"
#include "support/TempInstallation.h"

#include "support/StoredRow.h"

#include <QTest>

using namespace velmora;
using velmora::test::ClubFixture;

namespace {
QVariantMap filterRow(Database &db, int nr) {
    return velmora::test::storedRow(db, QStringLiteral("FILTER"), {nr});
}

QStringList names(const std::vector<FilterListItem> &items) {
    QStringList out;
    for (const auto &i : items)
        out << i.name;
    return out;
}
} // namespace

class TestFilterEditor : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void newKeyOfAnEmptyBlock_data();
    void newKeyOfAnEmptyBlock();
    void newFilterIsSaved();
    void nameIsRequired_data();
    void nameIsRequired();
    void cancelOfANewFilterLeavesNoRow();
    void cancelKeepsAnExistingFilter();
    void existingFilterIsEdited();
    void missingFilterIsRefused();
    void readOnlyFilterIsNotEditable();
    void personItemsOfTheGroup();
    void formItemsCarryTheFormNumber();
};

void TestFilterEditor::newKeyOfAnEmptyBlock_data() {
    QTest::addColumn<int>("serial");
    QTest::addColumn<int>("key");
    QTest::newRow("installation 4") << 4 << 262145;
    QTest::newRow("installation 1") << 1 << 65537;
    QTest::newRow("installation 32767") << 32767 << 32767 * 65536 + 1;
}

void TestFilterEditor::newKeyOfAnEmptyBlock() {
    QFETCH(int, serial);
    QFETCH(int, key);
    test::TempInstallation inst(serial);
    FilterEditor editor(inst.db(), serial);
    editor.open({0, 17, 0, false});
    QVERIFY(editor.isNew());
    QCOMPARE(editor.filterNr(), key);
    QCOMPARE(editor.filter().asInt(QStringLiteral("PersonNr")), 17);
    editor.cancel();
}

void TestFilterEditor::newFilterIsSaved() {
    test::TempInstallation inst(ClubFixture::kSerial);
    ClubFixture club(inst.db());
    FilterEditor editor(inst.db(), ClubFixture::kSerial);
    editor.open({0, ClubFixture::kAnna, ClubFixture::kJugend, false});
    // One above the fixture's filter; the low built-in filter does not count.
    QCOMPARE(editor.filterNr(), ClubFixture::kFilter + 1);
    editor.filter().setValue(QStringLiteral("Name"), QStringLiteral("Woche Plan"));
    editor.filter().setValue(QStringLiteral("Relativ"), true);
    FilterEditor::Choices c;
    c.dokument = 2;
    c.ebene = 1;
    c.vonChecked = c.bisChecked = true;
    c.vonText = QStringLiteral("-14");
    c.bisText = QStringLiteral("0");
    c.personen = {ClubFixture::kAnna, ClubFixture::kPaul};
    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
    editor.finish(c);
    QVERIFY(!editor.filter().isOpen());

    const QVariantMap row = filterRow(inst.db(), ClubFixture::kFilter + 1);
    QCOMPARE(row.value(QStringLiteral("Name")).toString(), QStringLiteral("Woche Plan"));
    QCOMPARE(row.value(QStringLiteral("PersonNr")).toInt(), ClubFixture::kAnna);
    QCOMPARE(row.value(QStringLiteral("Art")).toInt(), 13);
    QCOMPARE(row.value(QStringLiteral("Relativ")).toBool(), true);
    QCOMPARE(FilterRules::storedDays(row.value(QStringLiteral("Von"))).value_or(999), -14);
    QCOMPARE(FilterRules::storedDays(row.value(QStringLiteral("Bis"))).value_or(999), 0);
    QCOMPARE(row.value(QStringLiteral("Personen")).toString(),
             QStringLiteral("%1\r%2").arg(ClubFixture::kAnna).arg(ClubFixture::kPaul));
    QVERIFY(row.value(QStringLiteral("Autoren")).isNull());
    QVERIFY(row.value(QStringLiteral("Formulare")).isNull());
    QVERIFY(row.value(QStringLiteral("Projekte")).isNull());
    QVERIFY(row.value(QStringLiteral("Timestamp")).toDateTime() >= before);
}

void TestFilterEditor::nameIsRequired_data() {
    QTest::addColumn<QVariant>("name");
    QTest::newRow("no name") << QVariant();
    QTest::newRow("empty") << QVariant(QString());
    QTest::newRow("blanks") << QVariant(QStringLiteral("   "));
}

void TestFilterEditor::nameIsRequired() {
    QFETCH(QVariant, name);
    test::TempInstallation inst(ClubFixture::kSerial);
    ClubFixture club(inst.db());
    const qint64 filters = inst.db().rowCount(QStringLiteral("FILTER"));
    FilterEditor editor(inst.db(), ClubFixture::kSerial);
    editor.open({0, ClubFixture::kCoach, ClubFixture::kJugend, false});
    editor.filter().setValue(QStringLiteral("Name"), name);
    try {
        editor.finish({});
        QFAIL("an empty name was accepted");
    } catch (const VelmoraError &e) {
        QCOMPARE(e.message(), QStringLiteral("Bitte geben Sie einen Filternamen an!"));
        QCOMPARE(e.control(), QStringLiteral("dbfName"));
    }
    QVERIFY(editor.filter().isEditing());
    QCOMPARE(inst.db().rowCount(QStringLiteral("FILTER")), filters);
    // The name given afterwards is saved.
    editor.filter().setValue(QStringLiteral("Name"), QStringLiteral("Später"));
    editor.finish({});
    QCOMPARE(inst.db().rowCount(QStringLiteral("FILTER")), filters + 1);
}

void TestFilterEditor::cancelOfANewFilterLeavesNoRow() {
    test::TempInstallation inst(ClubFixture::kSerial);
    ClubFixture club(inst.db());
    const qint64 filters = inst.db().rowCount(QStringLiteral("FILTER"));
    FilterEditor editor(inst.db(), ClubFixture::kSerial);
    editor.open({0, ClubFixture::kCoach, ClubFixture::kJugend, false});
    editor.filter().setValue(QStringLiteral("Name"), QStringLiteral("Verworfen"));
    editor.cancel();
    QCOMPARE(inst.db().rowCount(QStringLiteral("FILTER")), filters);
    QVERIFY(filterRow(inst.db(), ClubFixture::kFilter + 1).isEmpty());
}

void TestFilterEditor::cancelKeepsAnExistingFilter() {
    test::TempInstallation inst(ClubFixture::kSerial);
    ClubFixture club(inst.db());
    const QVariantMap before = filterRow(inst.db(), ClubFixture::kFilter);
    FilterEditor editor(inst.db(), ClubFixture::kSerial);
    editor.open({ClubFixture::kFilter, ClubFixture::kCoach, ClubFixture::kJugend, false});
    editor.filter().setValue(QStringLiteral("Name"), QStringLiteral("Anders"));
    editor.cancel();
    QCOMPARE(filterRow(inst.db(), ClubFixture::kFilter), before);
}

void TestFilterEditor::existingFilterIsEdited() {
    test::TempInstallation inst(ClubFixture::kSerial);
    ClubFixture club(inst.db());
    FilterEditor editor(inst.db(), ClubFixture::kSerial);
    editor.open({ClubFixture::kFilter, ClubFixture::kAnna, ClubFixture::kJugend, false});
    QVERIFY(!editor.isNew());
    QCOMPARE(editor.filter().state(), Cursor::State::Edit);
    QCOMPARE(editor.filterNr(), ClubFixture::kFilter);
    FilterEditor::Choices c;
    c.vonChecked = true;
    c.vonText = QStringLiteral("01.02.1997");
    c.bisChecked = false;
    c.bisText = QStringLiteral("01.03.1997");
    c.formulare = {ClubFixture::kForm};
    editor.finish(c);
    const QVariantMap row = filterRow(inst.db(), ClubFixture::kFilter);
    // The owner of an existing filter stays.
    QCOMPARE(row.value(QStringLiteral("PersonNr")).toInt(), ClubFixture::kCoach);
    QCOMPARE(row.value(QStringLiteral("Name")).toString(), QStringLiteral("Ausdauer"));
    QCOMPARE(row.value(QStringLiteral("Art")).toInt(), 2);
    QCOMPARE(row.value(QStringLiteral("Von")).toDateTime(), QDateTime(QDate(1997, 2, 1), QTime(0, 0)));
    QVERIFY(row.value(QStringLiteral("Bis")).isNull());
    QVERIFY(row.value(QStringLiteral("Autoren")).isNull());
    QVERIFY(row.value(QStringLiteral("Personen")).isNull());
    QCOMPARE(row.value(QStringLiteral("Formulare")).toString(), QString::number(ClubFixture::kForm));
}

void TestFilterEditor::missingFilterIsRefused() {
    test::TempInstallation inst(ClubFixture::kSerial);
    ClubFixture club(inst.db());
    const qint64 filters = inst.db().rowCount(QStringLiteral("FILTER"));
    FilterEditor editor(inst.db(), ClubFixture::kSerial);
    QVERIFY_THROWS_EXCEPTION(VelmoraError, editor.open({ClubFixture::kFilter + 40, 0, 0, false}));
    QCOMPARE(inst.db().rowCount(QStringLiteral("FILTER")), filters);
}

void TestFilterEditor::readOnlyFilterIsNotEditable() {
    test::TempInstallation inst(ClubFixture::kSerial);
    ClubFixture club(inst.db());
    const QVariantMap before = filterRow(inst.db(), ClubFixture::kFilter);
    FilterEditor editor(inst.db(), ClubFixture::kSerial);
    editor.open({ClubFixture::kFilter, ClubFixture::kCoach, ClubFixture::kJugend, true});
    QCOMPARE(editor.filter().state(), Cursor::State::Browse);
    QVERIFY(editor.filter().isReadOnly());
    QCOMPARE(editor.filter().asString(QStringLiteral("Name")), QStringLiteral("Ausdauer"));
    editor.finish({});
    QCOMPARE(filterRow(inst.db(), ClubFixture::kFilter), before);
}

void TestFilterEditor::personItemsOfTheGroup() {
    test::TempInstallation inst(ClubFixture::kSerial);
    ClubFixture club(inst.db());
    RebuildDocumentList(inst.db(), nullptr, ClubFixture::kCoach, ClubFixture::kJugend);
    const auto items = FilterEditor::personItems(inst.db(), ClubFixture::kJugend);
    // Groups before persons, each by name; the other group's members are not offered.
    QCOMPARE(items.size(), size_t(4));
    QCOMPARE(items[0].key, qint64(ClubFixture::kJugend));
    QCOMPARE(items[0].name, QStringLiteral("Jugend"));
    QCOMPARE(items[1].key, qint64(ClubFixture::kAnna));
    QCOMPARE(items[2].key, qint64(ClubFixture::kPaul));
    QCOMPARE(items[3].key, qint64(ClubFixture::kCoach));
    QVERIFY(FilterEditor::personItems(inst.db(), ClubFixture::kSenioren).size() <= 2);
    for (const auto &i : FilterEditor::personItems(inst.db(), ClubFixture::kSenioren))
        QVERIFY(i.key == ClubFixture::kSenioren || i.key == ClubFixture::kOtto);
}

void TestFilterEditor::formItemsCarryTheFormNumber() {
    test::TempInstallation inst(ClubFixture::kSerial);
    ClubFixture club(inst.db());
    RebuildDocumentList(inst.db(), nullptr, ClubFixture::kCoach, ClubFixture::kJugend);
    const auto items = FilterEditor::formItems(inst.db());
    QCOMPARE(names(items), QStringList{QStringLiteral("Laufprotokoll")});
    // The document list keys the form by its TR row; the entries carry FormularNr.
    QCOMPARE(items[0].key, qint64(ClubFixture::kForm));
}

QTEST_GUILESS_MAIN(TestFilterEditor)
#include "tst_filtereditor.moc"
