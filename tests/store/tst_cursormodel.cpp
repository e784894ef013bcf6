#include "store/Cursor.h"
#include "store/CursorModel.h"
#include "support/ClubFixture.h"
#include "support/MessageRecorder.h"
#include "support/TempInstallation.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

using namespace velmora;
using velmora::test::ClubFixture;

namespace {
const QString kPerson = QStringLiteral("PERSON");
const QString kNachname = QStringLiteral("Nachname");

QString storedVorname(Database &db, int personNr) {
    Cursor c(db, kPerson);
    c.open();
    if (!c.locate(QStringLiteral("PersonNr"), personNr))
        return QStringLiteral("<missing>");
    return c.asString(QStringLiteral("Vorname"));
}
} // namespace

class TestCursorModel : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() {
        m_inst = std::make_unique<test::TempInstallation>();
        m_club = std::make_unique<ClubFixture>(m_inst->db());
    }
    void cleanup() {
        m_club.reset();
        m_inst.reset();
    }

    void allFieldsWithoutAList() {
        Cursor c(m_inst->db(), kPerson);
        c.open();
        CursorModel model(&c);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(model.rowCount(), 6);
        QCOMPARE(model.columnCount(), int(c.fields().size()));
        QCOMPARE(model.headerData(0, Qt::Horizontal).toString(), QStringLiteral("PersonNr"));
    }

    void columnsShowTitlesWidthsAndGermanDates() {
        Cursor c(m_inst->db(), kPerson);
        c.setOrder(QStringLiteral("PersonNr"));
        c.open();
        CursorModel model(&c);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.setColumns({{kNachname, QStringLiteral("Name"), 20, false, false},
                          {QStringLiteral("PersonNr"), {}, 0, true, false},
                          {QStringLiteral("Geburtsdatum"), {}, 0, false, true},
                          {QStringLiteral("LeserechteGruppe"), {}, 0, false, false}});
        QCOMPARE(model.columnCount(), 3);
        QCOMPARE(model.headerData(0, Qt::Horizontal).toString(), QStringLiteral("Name"));
        QCOMPARE(model.headerData(1, Qt::Horizontal).toString(), QStringLiteral("Geburtsdatum"));
        QCOMPARE(model.columnOfField(QStringLiteral("PersonNr")), -1);
        QCOMPARE(model.displayWidth(0), 20);
        QCOMPARE(model.displayWidth(1), 10);  // a date's own width
        const int anna = ClubFixture::kAnna - ClubFixture::kBase - 1;  // rows by PersonNr
        QCOMPARE(model.index(anna, 0).data().toString(), QStringLiteral("Berg"));
        QCOMPARE(model.index(anna, 1).data().toString(), QStringLiteral("17.05.1990"));
        QCOMPARE(model.index(anna, 1).data(Qt::EditRole).toDate(), QDate(1990, 5, 17));
        QCOMPARE(model.index(anna, 2).data().toString(), QStringLiteral("Ja"));
        // Paul has no birth date.
        QCOMPARE(model.index(anna + 1, 1).data().toString(), QString());

        model.setFieldTitle(kNachname, QStringLiteral("Familienname"));
        QCOMPARE(model.headerData(0, Qt::Horizontal).toString(), QStringLiteral("Familienname"));
        model.setFieldHidden(QStringLiteral("Geburtsdatum"), true);
        QCOMPARE(model.columnCount(), 2);
        QCOMPARE(model.fieldName(1), QStringLiteral("LeserechteGruppe"));
    }

    void readingRowsLeavesTheCursorWhereItIs() {
        Cursor c(m_inst->db(), kPerson);
        c.setOrder(kNachname);
        c.open();
        c.moveTo(2);
        QSignalSpy scrolled(&c, &Cursor::scrolled);
        CursorModel model(&c);
        QStringList names;
        for (int r = 0; r < model.rowCount(); ++r)
            names << model.index(r, model.columnOfField(kNachname)).data().toString();
        QCOMPARE(names, QStringList({"Berg", "Fremd", "Jugend", "Meier", "Senioren", "Trainer"}));
        QCOMPARE(c.recNo(), 2);
        QCOMPARE(c.asString(kNachname), QStringLiteral("Jugend"));
        QCOMPARE(scrolled.count(), 0);
    }

    void currentRowFollowsBothWays() {
        Cursor c(m_inst->db(), kPerson);
        c.setOrder(kNachname);
        c.open();
        CursorModel model(&c);
        QSignalSpy rowSpy(&model, &CursorModel::currentRowChanged);
        QCOMPARE(model.currentRow(), 0);

        c.last();
        QCOMPARE(rowSpy.count(), 1);
        QCOMPARE(rowSpy.last().at(0).toInt(), 5);
        QCOMPARE(model.currentRow(), 5);

        model.setCurrentRow(3);
        QCOMPARE(c.recNo(), 3);
        QCOMPARE(c.asString(kNachname), QStringLiteral("Meier"));
        QCOMPARE(rowSpy.last().at(0).toInt(), 3);

        // Out of range: nothing moves.
        model.setCurrentRow(17);
        QCOMPARE(c.recNo(), 3);
    }

    void editWritesThroughTheCursor() {
        test::MessageRecorder messages;
        Cursor c(m_inst->db(), kPerson);
        c.setOrder(kNachname);
        c.open();
        CursorModel model(&c);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.setColumns({{kNachname}, {QStringLiteral("Vorname")}, {QStringLiteral("GruppenNr")}});
        const int meier = 3;
        QVERIFY(model.flags(model.index(meier, 1)) & Qt::ItemIsEditable);
        QVERIFY(model.setData(model.index(meier, 1), QStringLiteral("Peter")));
        QCOMPARE(storedVorname(m_inst->db(), ClubFixture::kPaul), QStringLiteral("Peter"));
        QCOMPARE(model.index(meier, 1).data().toString(), QStringLiteral("Peter"));
        QCOMPARE(c.recNo(), meier);
        QVERIFY(!c.isEditing());
        QVERIFY(messages.entries().isEmpty());

        // Renaming moves the row to its place in the order; the cursor stays on it.
        QVERIFY(model.setData(model.index(meier, 0), QStringLiteral("Zander")));
        QCOMPARE(c.recNo(), 5);
        QCOMPARE(model.index(5, 0).data().toString(), QStringLiteral("Zander"));
    }

    void refusedEditIsShownAndLeavesTheRow() {
        test::MessageRecorder messages;
        Cursor c(m_inst->db(), kPerson);
        c.setOrder(kNachname);
        c.open();
        CursorModel model(&c);
        model.setColumns({{kNachname}, {QStringLiteral("GruppenNr")}});
        QSignalSpy failed(&model, &CursorModel::editFailed);
        const QString before = model.index(0, 1).data().toString();
        QVERIFY(!model.setData(model.index(0, 1), QStringLiteral("zwölf")));
        QCOMPARE(messages.texts(test::MessageRecorder::Kind::Error).size(), 1);
        QCOMPARE(failed.count(), 1);
        QVERIFY(!c.isEditing());
        QCOMPARE(model.index(0, 1).data().toString(), before);
    }

    void readOnlyCellsAreNotEditable() {
        test::MessageRecorder messages;
        Cursor c(m_inst->db(), kPerson);
        c.open();
        CursorModel model(&c);
        model.setColumns({{kNachname, {}, 0, false, true}, {QStringLiteral("Vorname")}});
        QVERIFY(!(model.flags(model.index(0, 0)) & Qt::ItemIsEditable));
        QVERIFY(!model.setData(model.index(0, 0), QStringLiteral("X")));
        QVERIFY(model.flags(model.index(0, 1)) & Qt::ItemIsEditable);
        c.setReadOnly(true);
        QVERIFY(!(model.flags(model.index(0, 1)) & Qt::ItemIsEditable));
        QVERIFY(!model.setData(model.index(0, 1), QStringLiteral("X")));
        QVERIFY(messages.entries().isEmpty());
    }

    void filterRangeAndMasterChangesResetTheRows() {
        Cursor c(m_inst->db(), kPerson);
        c.setOrder(kNachname);
        c.open();
        CursorModel model(&c);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
        c.setFilter(QStringLiteral("Sex = 'X'"));
        c.setFiltered(true);
        QCOMPARE(model.rowCount(), 2);
        QCOMPARE(model.index(1, model.columnOfField(kNachname)).data().toString(), QStringLiteral("Senioren"));
        QVERIFY(reset.count() >= 1);

        // A detail over TR follows its master person.
        Cursor master(m_inst->db(), kPerson);
        master.open();
        Cursor entries(m_inst->db(), QStringLiteral("TR"));
        entries.setMasterSource(&master, QStringLiteral("PersonNr"), QStringLiteral("PersonNr"));
        entries.open();
        CursorModel detail(&entries);
        QAbstractItemModelTester detailTester(&detail, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QVERIFY(master.locate(QStringLiteral("PersonNr"), ClubFixture::kAnna));
        QCOMPARE(detail.rowCount(), 4);
        QVERIFY(master.locate(QStringLiteral("PersonNr"), ClubFixture::kPaul));
        QCOMPARE(detail.rowCount(), 1);
        QCOMPARE(detail.index(0, detail.columnOfField(QStringLiteral("Beschreibung"))).data().toString(),
                 QStringLiteral("Paul läuft"));

        c.close();
        QCOMPARE(model.rowCount(), 0);
        QCOMPARE(model.currentRow(), -1);
        c.open();
        QCOMPARE(model.rowCount(), 2);
    }

    void rowsAppearAfterAppendAndGoAfterDelete() {
        Cursor c(m_inst->db(), kPerson);
        c.setOrder(kNachname);
        c.open();
        CursorModel model(&c);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        c.append();
        c.setValue(QStringLiteral("PersonNr"), ClubFixture::kBase + 50);
        c.setValue(kNachname, QStringLiteral("Adler"));
        c.post();
        QCOMPARE(model.rowCount(), 7);
        QCOMPARE(model.currentRow(), 0);
        QCOMPARE(model.index(0, model.columnOfField(kNachname)).data().toString(), QStringLiteral("Adler"));
        c.deleteRow();
        QCOMPARE(model.rowCount(), 6);
        QCOMPARE(model.index(0, model.columnOfField(kNachname)).data().toString(), QStringLiteral("Berg"));
    }

private:
    std::unique_ptr<test::TempInstallation> m_inst;
    std::unique_ptr<ClubFixture> m_club;
};

QTEST_GUILESS_MAIN(TestCursorModel)
#include "tst_cursormodel.moc"
