#include "base/Progress.h"
#include "diary/EntryOperations.h"
#include "diary/EntryRules.h"
#include "store/Query.h"
#include "support/ClubFixture.h"
#include "support/EntryFixture.h"
#include "support/MessageRecorder.h"
#include "support/TempInstallation.h"

#include <QTest>

using namespace velmora;
using velmora::test::ClubFixture;
namespace Ops = velmora::EntryOperations;

namespace {
const QString kDeleteLine = QStringLiteral("Die Löschung kann nicht rückgängig gemacht werden!");
const QString kVanished = QStringLiteral("Primärschlüssel Kopierquelle nicht gefunden.");
} // namespace

class TestEntryOperations : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<test::TempInstallation> m_inst;
    std::unique_ptr<ClubFixture> m_club;
    std::unique_ptr<test::MessageRecorder> m_messages;

    Database &db() { return m_inst->db(); }

    int trNrOf(const QString &beschreibung) {
        Query q(db(), QStringLiteral("select TrNr from TR where Beschreibung = :b"));
        q.setParam(QStringLiteral("b"), beschreibung);
        q.open();
        return q.recordCount() == 1 ? q.value(0).toInt() : -1;
    }
    int count(const QString &sql) {
        Query q(db(), sql);
        q.open();
        return q.value(0).toInt();
    }
    int trCount() { return count(QStringLiteral("select count(*) from TR")); }
    // The block rows of an entry: "Order:Dauer:Strecke:Belastung:Notiz".
    QStringList rows(int serienNr, int trNr, const QString &table = QStringLiteral("TR_1")) {
        Query q(db(), QStringLiteral("select * from %1 where (SerienNr = %2) and (TrNr = %3) order by \"Order\"")
                          .arg(table)
                          .arg(serienNr)
                          .arg(trNr));
        q.open();
        QStringList out;
        for (q.first(); !q.eof(); q.next()) {
            QStringList cells;
            for (int c = 2; c < int(q.fields().size()); ++c)
                cells << q.value(c).toString();
            out << cells.join(QLatin1Char(':'));
        }
        return out;
    }
    CopyTarget target(int kind = 2, int person = ClubFixture::kAnna, int installation = ClubFixture::kSerial) {
        return CopyTarget{kind, person, ClubFixture::kCoach, installation};
    }
    // A grid of rows 0..5 for Paul's entry, Dauer = 10 * Order.
    int sixRows() {
        const int paul = trNrOf(QStringLiteral("Paul läuft"));
        Query(db(), QStringLiteral("delete from TR_1 where TrNr = %1").arg(paul)).exec();
        for (int o = 0; o <= 5; ++o)
            m_club->addBlockRow(paul, o, o * 10, o, ClubFixture::kValueLocker, QStringLiteral("r%1").arg(o));
        return paul;
    }
    QList<int> dauerByOrder(int trNr) {
        QList<int> out;
        for (const QString &r : rows(1, trNr))
            out << (r.section(QLatin1Char(':'), 1, 1).isEmpty() ? -1 : r.section(QLatin1Char(':'), 1, 1).toInt());
        return out;
    }
    QList<int> orders(int trNr) {
        QList<int> out;
        for (const QString &r : rows(1, trNr))
            out << r.section(QLatin1Char(':'), 0, 0).toInt();
        return out;
    }

private Q_SLOTS:
    void init() {
        m_inst = std::make_unique<test::TempInstallation>(1);
        m_club = std::make_unique<ClubFixture>(m_inst->db());
        m_messages = std::make_unique<test::MessageRecorder>();
        // A gap in the numbering shows that Order is kept, not renumbered.
        m_club->addBlockRow(trNrOf(QStringLiteral("Grundlage")), 5, 5, 0.5, ClubFixture::kValueLocker,
                            QStringLiteral("Auslaufen"));
    }
    void cleanup() {
        m_messages.reset();
        m_club.reset();
        m_inst.reset();
    }

    void copyEntry_data() {
        QTest::addColumn<QString>("source");
        QTest::addColumn<bool>("absolute");
        QTest::addColumn<QDateTime>("date");
        QTest::addColumn<int>("days");
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("person");
        QTest::addColumn<int>("installation");
        QTest::addColumn<int>("newTrNr");
        QTest::addColumn<QDateTime>("newDate");
        QTest::addColumn<QString>("woche");
        QTest::addColumn<QString>("wochentag");

        // The fixture's TR rows are numbered 1 (the form) to 6.
        QTest::newRow("absolute date") << "Grundlage" << true << QDateTime(QDate(2026, 3, 2), QTime(10, 0)) << 0 << 2
                                       << int(ClubFixture::kAnna) << 1 << 7
                                       << QDateTime(QDate(2026, 3, 2), QTime(10, 0)) << "10"
                                       << "Mo";
        QTest::newRow("one week later") << "Grundlage" << false << QDateTime() << 7 << 2 << int(ClubFixture::kAnna) << 1
                                        << 7 << QDateTime(QDate(2026, 1, 12), QTime(8, 0)) << "03"
                                        << "Mo";
        QTest::newRow("plan into protocol, back into week 1")
            << "Plan Montag" << false << QDateTime() << -8 << 2 << int(ClubFixture::kAnna) << 1 << 7
            << QDateTime(QDate(2026, 1, 4), QTime(0, 0)) << "01"
            << "So";
        QTest::newRow("another person and kind")
            << "Langer Lauf" << false << QDateTime() << 0 << 13 << int(ClubFixture::kPaul) << 1 << 7
            << QDateTime(QDate(2026, 1, 11), QTime(18, 30)) << "02"
            << "So";
        QTest::newRow("another installation counts from 1")
            << "Intervalle" << true << QDateTime(QDate(2025, 12, 31), QTime(0, 0)) << 0 << 3 << int(ClubFixture::kAnna)
            << 2 << 1 << QDateTime(QDate(2025, 12, 31), QTime(0, 0)) << "01"
            << "Mi";
    }
    void copyEntry() {
        QFETCH(QString, source);
        QFETCH(bool, absolute);
        QFETCH(QDateTime, date);
        QFETCH(int, days);
        QFETCH(int, kind);
        QFETCH(int, person);
        QFETCH(int, installation);
        QFETCH(int, newTrNr);
        QFETCH(QDateTime, newDate);
        QFETCH(QString, woche);
        QFETCH(QString, wochentag);

        const int from = trNrOf(source);
        EntryReference key{1, from};
        const CopyTarget t = target(kind, person, installation);
        const QDateTime returned =
            absolute ? Ops::CopyEntryToDate(db(), t, key, date) : Ops::CopyEntryByDays(db(), t, key, days);
        QCOMPARE(returned, newDate);
        QCOMPARE(key, (EntryReference{installation, newTrNr}));

        Query q(
            db(),
            QStringLiteral("select * from TR where (SerienNr = %1) and (TrNr = %2)").arg(installation).arg(newTrNr));
        q.open();
        QCOMPARE(q.recordCount(), 1);
        QCOMPARE(q.value(QStringLiteral("Art")).toInt(), kind);
        QCOMPARE(q.value(QStringLiteral("PersonNr")).toInt(), person);
        QCOMPARE(q.value(QStringLiteral("AutorNr")).toInt(), int(ClubFixture::kCoach));
        QCOMPARE(q.value(QStringLiteral("FormularNr")).toInt(), int(ClubFixture::kForm));
        QCOMPARE(q.value(QStringLiteral("Beschreibung")).toString(), source);
        QCOMPARE(q.value(QStringLiteral("Datum")).toDateTime(), newDate);
        QCOMPARE(q.value(QStringLiteral("Woche")).toString(), woche);
        QCOMPARE(q.value(QStringLiteral("Wochentag")).toString(), wochentag);
        QVERIFY(q.value(QStringLiteral("ProjektNr")).isNull());
        QVERIFY(!q.value(QStringLiteral("Timestamp")).isNull());

        const QStringList sourceRows = rows(1, from);
        QVERIFY(!sourceRows.isEmpty());
        QCOMPARE(rows(installation, newTrNr), sourceRows);
        QCOMPARE(rows(1, from), sourceRows); // the source is untouched
    }

    void copyFromBlankFormTakesItsDefaultRows() {
        const int form = trNrOf(QStringLiteral("Laufprotokoll"));
        m_club->addBlockRow(form, 0, 30, 6.0, ClubFixture::kValueLocker, QStringLiteral("Vorgabe"));
        EntryReference key{1, form};
        Ops::CopyEntryToDate(db(), target(3), key, QDateTime(QDate(2026, 2, 2), QTime()));
        QCOMPARE(rows(1, key.TrNr), rows(1, form));
    }

    void copyOfVanishedSourceFails() {
        EntryReference key{1, 999};
        const int before = trCount();
        try {
            Ops::CopyEntryByDays(db(), target(), key, 1);
            QFAIL("no error");
        } catch (const VelmoraError &e) {
            QCOMPARE(e.message(), kVanished);
        }
        QCOMPARE(trCount(), before);
        QCOMPARE(key, (EntryReference{1, 999}));
    }

    void copyIntoFormsIsRefused() {
        EntryReference key{1, trNrOf(QStringLiteral("Grundlage"))};
        const int before = trCount();
        QVERIFY_THROWS_EXCEPTION(VelmoraError, Ops::CopyEntryByDays(db(), target(11), key, 0));
        QCOMPARE(trCount(), before);
    }

    void copyThatFailsInABlockLeavesNoEntry() {
        // A block of the form whose table is missing: the TR row must not stay.
        Query(db(), QStringLiteral("insert into TRTABLE (TableNr, Name, Filename) values (77, 'weg', 'TR_77')")).exec();
        Query(db(), QStringLiteral("insert into TRuseTBL (FormularNr, \"Order\", TableNr) values (%1, 2, 77)")
                        .arg(ClubFixture::kForm))
            .exec();
        EntryReference key{1, trNrOf(QStringLiteral("Grundlage"))};
        const int before = trCount();
        const int blockRows = count(QStringLiteral("select count(*) from TR_1"));
        QVERIFY_THROWS_EXCEPTION(EngineError, Ops::CopyEntryByDays(db(), target(), key, 7));
        QCOMPARE(trCount(), before);
        QCOMPARE(count(QStringLiteral("select count(*) from TR_1")), blockRows);
    }

    void pasteShiftsEveryEntry() {
        const int a = trNrOf(QStringLiteral("Grundlage")), b = trNrOf(QStringLiteral("Intervalle"));
        const PasteResult r = Ops::PasteEntries(db(), target(3, ClubFixture::kPaul), {{1, a}, {1, b}}, 7);
        QCOMPARE(r.pasted, 2);
        QVERIFY(r.error.isEmpty());
        QCOMPARE(r.lastKey, (EntryReference{1, 8}));
        QCOMPARE(r.lastDate, QDateTime(QDate(2026, 1, 14), QTime(0, 0)));
        QCOMPARE(count(QStringLiteral("select count(*) from TR where (Art = 3) and (PersonNr = %1) and "
                                      "(Datum >= '2026-01-12') and (Datum <= '2026-01-14')")
                           .arg(ClubFixture::kPaul)),
                 2);
        QCOMPARE(rows(1, 7), rows(1, a));
        QCOMPARE(rows(1, 8), rows(1, b));
        QVERIFY(m_messages->entries().isEmpty());
    }

    void pasteStopsAtVanishedSourceKeepingEarlierOnes() {
        const int a = trNrOf(QStringLiteral("Grundlage")), b = trNrOf(QStringLiteral("Intervalle"));
        const int before = trCount();
        const PasteResult r = Ops::PasteEntries(db(), target(), {{1, a}, {1, 999}, {1, b}}, 1);
        QCOMPARE(r.pasted, 1);
        QCOMPARE(r.error, kVanished);
        QCOMPARE(m_messages->texts(Messages::Kind::Error), QStringList{kVanished});
        QCOMPARE(trCount(), before + 1);
        QCOMPARE(r.lastKey, (EntryReference{1, 7}));
        QCOMPARE(rows(1, 7), rows(1, a));
        // Committed: a fresh connection sees the pasted entry.
        QVERIFY(!db().inTransaction());
    }

    void deleteEntryRemovesItsBlockRows() {
        const int a = trNrOf(QStringLiteral("Grundlage"));
        const int others = count(QStringLiteral("select count(*) from TR_1 where TrNr <> %1").arg(a));
        QVERIFY(Ops::DeleteEntry(db(), {1, a}));
        QCOMPARE(trNrOf(QStringLiteral("Grundlage")), -1);
        QVERIFY(rows(1, a).isEmpty());
        QCOMPARE(count(QStringLiteral("select count(*) from TR_1")), others);
        QVERIFY(!Ops::DeleteEntry(db(), {1, a}));
    }

    // Rows in a block the form no longer holds, and in a block table of no
    // form at all, go with the entry: a later entry with the same number must
    // not show them.
    void deleteEntryRemovesRowsOfBlocksTheFormNoLongerHolds() {
        const int a = trNrOf(QStringLiteral("Grundlage"));
        test::AddBlock(db(), ClubFixture::kBase + 20, QStringLiteral("TR_2"), true,
                       {{QStringLiteral("Wdh"), QStringLiteral("I")}});
        InsertRow(db(), QStringLiteral("TR_2"),
                  {{QStringLiteral("SerienNr"), 1},
                   {QStringLiteral("TrNr"), a},
                   {QStringLiteral("Order"), 0},
                   {QStringLiteral("Wdh"), 5}});
        InsertRow(db(), QStringLiteral("TR_2"),
                  {{QStringLiteral("SerienNr"), 1},
                   {QStringLiteral("TrNr"), a + 1},
                   {QStringLiteral("Order"), 0},
                   {QStringLiteral("Wdh"), 6}});
        // A block table whose TRTABLE row is gone.
        db().exec(QStringLiteral("CREATE TABLE TR_9 (SerienNr SHORT, TrNr LONG, \"Order\" SHORT)"));
        db().exec(QStringLiteral("INSERT INTO TR_9 VALUES (1, %1, 0)").arg(a));
        QVERIFY(Ops::DeleteEntry(db(), {1, a}));
        QCOMPARE(count(QStringLiteral("select count(*) from TR_2 where TrNr = %1").arg(a)), 0);
        QCOMPARE(count(QStringLiteral("select count(*) from TR_9")), 0);
        QCOMPARE(count(QStringLiteral("select count(*) from TR_2")), 1); // another entry's row stays
        QVERIFY(rows(1, a).isEmpty());
        QVERIFY(!db().inTransaction());
    }

    // A reference marked deleted is a vanished source, even when its number
    // has been given to a new entry.
    void deletedReferenceIsNotPasted() {
        const int a = trNrOf(QStringLiteral("Grundlage"));
        const int before = trCount();
        EntryReference gone{1, a};
        gone.Deleted = true;
        const PasteResult r = Ops::PasteEntries(db(), target(), {gone}, 1);
        QCOMPARE(r.pasted, 0);
        QCOMPARE(r.error, kVanished);
        QCOMPARE(trCount(), before);
        std::vector<RowReference> refs{{QStringLiteral("TR_1"), 1, a, 0, true}};
        std::vector<RowReference *> clip{&refs[0]};
        const int paul = trNrOf(QStringLiteral("Paul läuft"));
        QCOMPARE(Ops::PasteRows(db(), QStringLiteral("TR_1"), 1, paul, 0, clip), 0);
        QCOMPARE(rows(1, paul).size(), 1);
    }

    void confirmDeleteEntry_data() {
        QTest::addColumn<int>("selected");
        QTest::addColumn<bool>("answer");
        QTest::addColumn<bool>("deleted");
        QTest::addColumn<QString>("error");
        QTest::addColumn<int>("user");
        QTest::newRow("yes") << 1 << true << true << QString() << int(ClubFixture::kCoach);
        QTest::newRow("no") << 1 << false << false << QString() << int(ClubFixture::kCoach);
        QTest::newRow("two selected") << 2 << true << false
                                      << QStringLiteral("Sie können nur jeweils eine Eintragung auf einmal löschen!")
                                      << int(ClubFixture::kCoach);
        // The coach wrote the entry: Paul, logged in, sees it read-only.
        QTest::newRow("another author's entry") << 1 << true << false << QString() << int(ClubFixture::kPaul);
    }
    void confirmDeleteEntry() {
        QFETCH(int, selected);
        QFETCH(bool, answer);
        QFETCH(bool, deleted);
        QFETCH(QString, error);
        QFETCH(int, user);
        const int a = trNrOf(QStringLiteral("Grundlage"));
        m_messages->answer(answer);
        QString raised;
        try {
            QCOMPARE(Ops::ConfirmDeleteEntry(db(), {1, a}, selected, user), deleted);
        } catch (const VelmoraError &e) {
            raised = e.message();
        }
        QCOMPARE(raised, error);
        if (user != ClubFixture::kCoach)
            QVERIFY(m_messages->entries().isEmpty()); // not even asked
        else if (error.isEmpty())
            QCOMPARE(
                m_messages->texts(Messages::Kind::Question),
                QStringList{QStringLiteral("Wollen Sie die ausgewählte Eintragung wirklich löschen?\n") + kDeleteLine});
        QCOMPARE(trNrOf(QStringLiteral("Grundlage")) == -1, deleted);
        QCOMPARE(rows(1, a).isEmpty(), deleted);
    }

    void deleteAll_data() {
        QTest::addColumn<bool>("confirm");
        QTest::newRow("confirmed") << true;
        QTest::newRow("cancelled") << false;
    }
    void deleteAll() {
        QFETCH(bool, confirm);
        m_messages->answer(confirm);
        Query list(
            db(),
            QStringLiteral("select * from tr where (tr.PersonNr = %1) order by tr.datum").arg(ClubFixture::kAnna));
        const std::vector<EntryReference> keys = Ops::EntryKeysOf(list);
        QCOMPARE(keys.size(), size_t(4));
        const int trBefore = trCount();
        const int blockBefore = count(QStringLiteral("select count(*) from TR_1"));
        SilentProgress progress;
        QCOMPARE(Ops::DeleteAllEntries(db(), keys, progress), confirm);
        QCOMPARE(m_messages->texts(Messages::Kind::Question),
                 QStringList{QStringLiteral("Wollen Sie die ausgewählten Daten auf diesem PC wirklich löschen?\n") +
                             kDeleteLine});
        if (confirm) {
            QCOMPARE(trCount(), trBefore - 4);
            // Paul keeps his row: only Anna's five (with the gap row) went.
            QCOMPARE(count(QStringLiteral("select count(*) from TR_1")), blockBefore - 6);
            QCOMPARE(progress.maximum, 4);
            QCOMPARE(progress.position, 4);
            QVERIFY(progress.visible);
        } else {
            QCOMPARE(trCount(), trBefore);
            QCOMPARE(count(QStringLiteral("select count(*) from TR_1")), blockBefore);
            QVERIFY(!progress.visible);
        }
    }

    void insertTwoRowsAtThree() {
        const int paul = sixRows();
        RowReference moved{QStringLiteral("TR_1"), 1, paul, 4};
        RowReference before{QStringLiteral("TR_1"), 1, paul, 2};
        RowReference otherTable{QStringLiteral("TR_2"), 1, paul, 4};
        RowReference otherEntry{QStringLiteral("TR_1"), 1, paul - 1, 4};
        Ops::InsertRows(db(), QStringLiteral("TR_1"), 1, paul, 3, 2, {&moved, &before, &otherTable, &otherEntry});
        QCOMPARE(orders(paul), (QList<int>{0, 1, 2, 3, 4, 5, 6, 7}));
        QCOMPARE(dauerByOrder(paul), (QList<int>{0, 10, 20, -1, -1, 30, 40, 50}));
        QCOMPARE(moved.Order, 6);
        QCOMPARE(before.Order, 2);
        QCOMPARE(otherTable.Order, 4);
        QCOMPARE(otherEntry.Order, 4);
    }

    void newRowsInsertsAtLeastOne_data() {
        QTest::addColumn<int>("selected");
        QTest::addColumn<int>("inserted");
        QTest::newRow("none selected") << 0 << 1;
        QTest::newRow("three selected") << 3 << 3;
    }
    void newRowsInsertsAtLeastOne() {
        QFETCH(int, selected);
        QFETCH(int, inserted);
        const int paul = sixRows();
        Ops::NewRows(db(), QStringLiteral("TR_1"), 1, paul, 0, selected, {});
        QCOMPARE(orders(paul).size(), 6 + inserted);
        QCOMPARE(dauerByOrder(paul).mid(0, inserted), QList<int>(inserted, -1));
        QCOMPARE(dauerByOrder(paul).mid(inserted), (QList<int>{0, 10, 20, 30, 40, 50}));
    }

    void pasteRowsIntoSameEntry() {
        const int paul = sixRows();
        std::vector<RowReference> refs = Ops::RowReferences(QStringLiteral("TR_1"), 1, paul, {1, 2});
        QCOMPARE(refs.front().Order, 2); // last selected first
        std::vector<RowReference *> clipboard{&refs[0], &refs[1]};
        QCOMPARE(Ops::PasteRows(db(), QStringLiteral("TR_1"), 1, paul, 0, clipboard), 2);
        QCOMPARE(dauerByOrder(paul), (QList<int>{10, 20, 0, 10, 20, 30, 40, 50}));
        QCOMPARE(rows(1, paul).at(0).section(QLatin1Char(':'), 1),
                 QStringLiteral("10:1:%1:r1").arg(ClubFixture::kValueLocker));
        // The references followed their rows.
        QCOMPARE(refs[0].Order, 4);
        QCOMPARE(refs[1].Order, 3);
        QCOMPARE(Ops::PasteRows(db(), QStringLiteral("TR_1"), 1, paul, 8, clipboard), 2);
        QCOMPARE(dauerByOrder(paul).mid(8), (QList<int>{10, 20}));
    }

    void pasteRowsIntoAnotherEntry() {
        const int paul = sixRows();
        const int target = trNrOf(QStringLiteral("Intervalle"));
        std::vector<RowReference> refs = Ops::RowReferences(QStringLiteral("TR_1"), 1, paul, {4, 1});
        std::vector<RowReference *> clipboard{&refs[0], &refs[1]};
        // A reference of another block is not pasted here.
        RowReference foreign{QStringLiteral("TR_2"), 1, paul, 0};
        clipboard.push_back(&foreign);
        QCOMPARE(Ops::PasteRows(db(), QStringLiteral("tr_1"), 1, target, 0, clipboard), 2);
        QCOMPARE(dauerByOrder(target), (QList<int>{10, 40, 45}));
        QCOMPARE(dauerByOrder(paul), (QList<int>{0, 10, 20, 30, 40, 50}));
        QCOMPARE(refs[0].Order, 4);
    }

    void deleteRows_data() {
        QTest::addColumn<QList<int>>("selection");
        QTest::addColumn<bool>("answer");
        QTest::addColumn<QList<int>>("remaining");
        QTest::addColumn<QString>("error");
        QTest::newRow("yes") << QList<int>{1, 3} << true << QList<int>{0, 2, 4, 5} << QString();
        QTest::newRow("no") << QList<int>{1, 3} << false << QList<int>{0, 1, 2, 3, 4, 5} << QString();
        QTest::newRow("nothing selected") << QList<int>{} << true << QList<int>{0, 1, 2, 3, 4, 5}
                                          << QStringLiteral("Es sind keine Datensätze ausgewählt!");
    }
    void deleteRows() {
        QFETCH(QList<int>, selection);
        QFETCH(bool, answer);
        QFETCH(QList<int>, remaining);
        QFETCH(QString, error);
        const int paul = sixRows();
        m_messages->answer(answer);
        QString raised;
        try {
            Ops::DeleteRows(db(), QStringLiteral("TR_1"), 1, paul,
                            std::vector<int>(selection.begin(), selection.end()));
        } catch (const VelmoraError &e) {
            raised = e.message();
        }
        QCOMPARE(raised, error);
        QCOMPARE(orders(paul), remaining);
        if (error.isEmpty())
            QCOMPARE(m_messages->texts(Messages::Kind::Question),
                     QStringList{QStringLiteral("Wollen Sie die ausgewählten Datensätze wirklich löschen?\n") +
                                 kDeleteLine});
    }
};

QTEST_GUILESS_MAIN(TestEntryOperations)
#include "tst_entryoperations.moc"
