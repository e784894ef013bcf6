// "Löschen": each kind of object goes with exactly its dependants, a
// declined question deletes nothing, and an engine error part-way leaves
// every row where it was.
#include "app/DocumentList.h"
#include "app/ObjectDeletion.h"
#include "app/OpenDialogRules.h"
#include "base/Progress.h"
#include "design/FormElementCache.h"
#include "diary/EntryOperations.h"
#include "store/Database.h"
#include "support/ClubFixture.h"
#include "support/EntryFixture.h"
#include "support/MessageRecorder.h"
#include "support/TempInstallation.h"

#include <QMap>
#include <QTest>

using namespace velmora;
using velmora::InsertRow;
using velmora::test::ClubFixture;
using velmora::test::MessageRecorder;
using velmora::test::TempInstallation;

namespace {

constexpr int kBase = ClubFixture::kBase;
constexpr int kBlock2 = kBase + 2;    // grid block "Kraft", table TR_2
constexpr int kForm2 = kBase + 2;     // "Kraftprotokoll"
constexpr int kEval2 = kBase + 2;     // Anna's evaluation
constexpr int kWorkbook2 = kBase + 2; // Anna's workbook
constexpr int kValueAnna = kBase + 3;

// Keeps what the progress window was told, also past its closing.
class ProgressRecord : public Progress {
public:
    void ResetSteps() override {
        steps.clear();
        done = 0;
    }
    void AddStep(const QString &caption) override { steps << caption; }
    void StepDone() override { ++done; }
    void SetProgressRange(int) override {}
    void AdvanceProgress(int) override {}
    void ShowProgress() override { shown = true; }
    void CloseProgress() override { closed = true; }
    QStringList steps;
    int done = 0;
    bool shown = false;
    bool closed = false;
};

// Every row of a table, in stored order, one text per row.
QStringList rowsOf(Database &db, const QString &table, const QString &where = {}) {
    Statement st(db, QStringLiteral("SELECT * FROM %1%2")
                             .arg(quoteIdentifier(db.requireTable(table)),
                                  where.isEmpty() ? QString() : QStringLiteral(" WHERE NOT (%1)").arg(where)) +
                         QStringLiteral(" ORDER BY rowid"));
    QStringList rows;
    while (st.step()) {
        QStringList cells;
        for (int i = 0; i < st.columnCount(); ++i)
            cells << st.value(i).toString();
        rows << cells.join(QLatin1Char('|'));
    }
    return rows;
}

// The whole database but the document list, by table.
QMap<QString, QStringList> snapshot(Database &db, const QMap<QString, QString> &removed = {}) {
    QMap<QString, QStringList> all;
    for (const QString &t : db.tables()) {
        const QString key = t.toUpper();
        if (key == QLatin1String("OPEN"))
            continue;
        const QString where = removed.value(key);
        if (where == QLatin1String("DROP"))
            continue;
        all.insert(key, rowsOf(db, t, where));
    }
    return all;
}

int count(Database &db, const QString &sql) {
    Statement st(db, sql);
    st.step();
    return st.value(0).toInt();
}

QString n(int v) {
    return QString::number(v);
}

} // namespace

class TestObjectDeletion : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void deletesExactlyItsRows_data();
    void deletesExactlyItsRows();
    void declinedDeletesNothing_data() { kinds(); }
    void declinedDeletesNothing();
    void engineErrorKeepsEveryRow_data() { kinds(); }
    void engineErrorKeepsEveryRow();
    void formWithoutRowDeletesNothing();
    void blockZeroIsRefused();
    void readOnlyIsRefused_data() { kinds(); }
    void readOnlyIsRefused();
    void selectionOfNoFormNorPersonDeletesNoEntry_data();
    void selectionOfNoFormNorPersonDeletesNoEntry();
    void lookupAndDetails();

private:
    void kinds();
    DeletionTarget target() const;
    Database &db() { return m_inst->db(); }

    std::unique_ptr<TempInstallation> m_inst;
    std::unique_ptr<ClubFixture> m_club;
    std::unique_ptr<MessageRecorder> m_messages;
    int m_formTr = 0;    // TrNr of the form "Laufprotokoll"
    int m_form2Tr = 0;   // TrNr of the form "Kraftprotokoll"
    int m_annaKraft = 0; // Anna's own entry in form 2
};

void TestObjectDeletion::init() {
    m_inst = std::make_unique<TempInstallation>(ClubFixture::kSerial);
    m_club = std::make_unique<ClubFixture>(db());
    Database &d = db();
    m_formTr = count(d, QStringLiteral("SELECT TrNr FROM TR WHERE Art = 1"));
    // A second block and form, so that deleting one leaves the other.
    test::AddBlock(d, kBlock2, QStringLiteral("TR_2"), true, {{QStringLiteral("Wdh"), QStringLiteral("I")}});
    m_form2Tr = m_club->addEntry(ClubFixture::kCoach, 1, QDateTime(QDate(2026, 1, 2), QTime()),
                                 QStringLiteral("Kraftprotokoll"), ClubFixture::kCoach, kForm2);
    test::UseBlock(d, kForm2, 0, 0, {1}, 0);
    test::UseBlock(d, kForm2, 1, kBlock2, {1}, 1);
    m_annaKraft = m_club->addEntry(ClubFixture::kAnna, 2, QDateTime(QDate(2026, 1, 8), QTime(9, 0)),
                                   QStringLiteral("Kraft"), ClubFixture::kAnna, kForm2);
    InsertRow(d, QStringLiteral("TR_2"),
              {{QStringLiteral("SerienNr"), 1},
               {QStringLiteral("TrNr"), m_annaKraft},
               {QStringLiteral("Order"), 0},
               {QStringLiteral("Wdh"), 10}});
    InsertRow(d, QStringLiteral("TRVALUE"),
              {{QStringLiteral("ValueNr"), kValueAnna},
               {QStringLiteral("Value"), QStringLiteral("schwer")},
               {QStringLiteral("PersonNr"), ClubFixture::kAnna}});
    InsertRow(d, QStringLiteral("TRuseVAL"),
              {{QStringLiteral("FormularNr"), kForm2},
               {QStringLiteral("TableNr"), kBlock2},
               {QStringLiteral("FeldNr"), 1},
               {QStringLiteral("ValueNr"), kValueAnna},
               {QStringLiteral("Order"), 1}});
    for (int p : {ClubFixture::kCoach, ClubFixture::kAnna})
        InsertRow(d, QStringLiteral("Profil"), {{QStringLiteral("PersonNr"), p}, {QStringLiteral("OpenData"), 1}});
    InsertRow(
        d, QStringLiteral("ADRESSE"),
        {{QStringLiteral("Telefon"), QStringLiteral("0711 1234")}, {QStringLiteral("Ort"), QStringLiteral("Ulm")}});
    d.exec(QStringLiteral("UPDATE PERSON SET Adresse = '0711 1234' WHERE PersonNr = %1").arg(ClubFixture::kCoach));
    InsertRow(d, QStringLiteral("AUSWERT"),
              {{QStringLiteral("AuswertungNr"), kEval2},
               {QStringLiteral("Auswertung"), QStringLiteral("Kraft")},
               {QStringLiteral("TrainerNr"), ClubFixture::kAnna}});
    InsertRow(d, QStringLiteral("AFIELD"),
              {{QStringLiteral("AuswertungNr"), kEval2},
               {QStringLiteral("FeldNr"), 1},
               {QStringLiteral("Name"), QStringLiteral("Wdh")},
               {QStringLiteral("TableNr"), kBlock2}});
    InsertRow(d, QStringLiteral("ATABLE"),
              {{QStringLiteral("AuswertungNr"), kEval2}, {QStringLiteral("TableNr"), kBlock2}});
    InsertRow(d, QStringLiteral("ANALYSE"),
              {{QStringLiteral("AnalyseNr"), kWorkbook2},
               {QStringLiteral("AnalyseName"), QStringLiteral("Annas Buch")},
               {QStringLiteral("TrainerNr"), ClubFixture::kAnna}});
    for (auto [book, eval] :
         {std::pair{ClubFixture::kWorkbook, ClubFixture::kEvaluation}, std::pair{ClubFixture::kWorkbook, kEval2},
          std::pair{kWorkbook2, ClubFixture::kEvaluation}})
        InsertRow(d, QStringLiteral("ANAuseAW"),
                  {{QStringLiteral("AnalyseNr"), book}, {QStringLiteral("AuswertungNr"), eval}});
    RebuildDocumentList(d, nullptr, ClubFixture::kCoach, ClubFixture::kJugend);
    LoadFormElementCache(d, nullptr);
    m_messages = std::make_unique<MessageRecorder>();
}

void TestObjectDeletion::cleanup() {
    m_messages.reset();
    m_club.reset();
    m_inst.reset();
}

// One row per kind of object: what the open dialog returns, the question,
// the rows that go (table -> condition on the state before, "DROP" for the
// table itself), the progress captions and how many get ticked, the OPEN
// row that must vanish, and a table whose deletion is made to fail late.
void TestObjectDeletion::kinds() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("key1");
    QTest::addColumn<int>("key2"); // -1: the form's own SerienNr and TrNr
    QTest::addColumn<int>("formFilter");
    QTest::addColumn<QDate>("from");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("question");
    QTest::addColumn<QStringList>("removed"); // "TABLE", condition, ...
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<int>("ticked");
    QTest::addColumn<QString>("openRow"); // "Type|Key1", empty: none
    QTest::addColumn<QString>("trap");    // a table whose deletion fails

    const QString all = EntryOperations::DeleteAllQuestion();
    const QString coach = n(ClubFixture::kCoach), anna = n(ClubFixture::kAnna);
    const QString entriesOf = QStringLiteral("(SerienNr, TrNr) IN (SELECT SerienNr, TrNr FROM TR WHERE %1)");

    const QString filterSel = QStringLiteral("FilterNr = %1").arg(ClubFixture::kFilter);
    QTest::newRow("filter") << int(KindFilter) << ClubFixture::kFilter << 0 << 0 << QDate()
                            << QStringLiteral("Ausdauer")
                            << ObjectDeletion::ConfirmationText(QStringLiteral("Ausdauer"))
                            << QStringList{QStringLiteral("FILTER"), filterSel}
                            << QStringList{"Filter löschen", "Datenbank aktualisieren", "Dokumentliste erstellen"} << 3
                            << "F|" + n(ClubFixture::kFilter) << QStringLiteral("FILTER");

    const QString ev = QStringLiteral("AuswertungNr = %1").arg(ClubFixture::kEvaluation);
    QTest::newRow("evaluation") << int(KindEvaluation) << ClubFixture::kEvaluation << 0 << 0 << QDate()
                                << QStringLiteral("Umfang pro Woche")
                                << ObjectDeletion::ConfirmationText(QStringLiteral("Umfang pro Woche"))
                                << QStringList{"AUSWERT", ev, "AFIELD", ev, "ATABLE", ev, "ANAUSEAW", ev}
                                << QStringList{"Verknüpfung 1 (Auswertung)", "Verknüpfung 2 (Auswertung)",
                                               "Verknüpfung 3 (Auswertung)", "Auswertung löschen",
                                               "Datenbank aktualisieren",    "Dokumentliste erstellen"}
                                << 6 << "A|" + n(ClubFixture::kEvaluation) << QStringLiteral("AUSWERT");

    const QString wb = QStringLiteral("AnalyseNr = %1").arg(ClubFixture::kWorkbook);
    QTest::newRow("workbook") << int(KindWorkbook) << ClubFixture::kWorkbook << 0 << 0 << QDate()
                              << QStringLiteral("Saison") << ObjectDeletion::ConfirmationText(QStringLiteral("Saison"))
                              << QStringList{"ANALYSE", wb, "ANAUSEAW", wb}
                              << QStringList{"Verknüpfung (Analyse)", "Analyse löschen", "Datenbank aktualisieren",
                                             "Dokumentliste erstellen"}
                              << 4 << "W|" + n(ClubFixture::kWorkbook) << QStringLiteral("ANALYSE");

    // The block's FFIELD rows stay in the form.
    const QString bl = QStringLiteral("TableNr = %1").arg(ClubFixture::kBlock);
    QTest::newRow("block") << int(KindBlock) << ClubFixture::kBlock << 0 << 0 << QDate() << QStringLiteral("Lauf")
                           << ObjectDeletion::ConfirmationText(QStringLiteral("Lauf"))
                           << QStringList{"TRTABLE", bl,       "TRFIELD", bl,       "TRUSETBL", bl,     "TRUSEVAL",
                                          bl,        "ATABLE", bl,        "AFIELD", bl,         "TR_1", "DROP"}
                           << QStringList{"Verknüpfung 1 (Formularbaustein)", "Verknüpfung 2 (Formularbaustein)",
                                          "Verknüpfung 3 (Formularbaustein)", "Verknüpfung 4 (Formularbaustein)",
                                          "Verknüpfung 5 (Formularbaustein)", "Formularbaustein mit Daten löschen",
                                          "Datenbank aktualisieren",          "Dokumentliste erstellen"}
                           << 8 << "T|" + n(ClubFixture::kBlock) << QStringLiteral("TRTABLE");

    // Every entry written in the form goes, the form's own row included;
    // the block and its table stay.
    const QString fo = QStringLiteral("FormularNr = %1").arg(ClubFixture::kForm);
    QTest::newRow("form") << int(KindForm) << -1 << -1 << 0 << QDate() << QStringLiteral("Laufprotokoll") << all
                          << QStringList{"TR", fo,         "TR_1", entriesOf.arg(fo), "FFIELD",
                                         fo,   "TRUSEVAL", fo,     "TRUSETBL",        fo}
                          << QStringList{"personenbezogene Daten",   "Formular löschen",
                                         "Indexwerte (Auswahlfeld)", "Verknüpfungen (Bausteine)",
                                         "Datenbank aktualisieren",  "Dokumentliste erstellen"}
                          << 5 << QStringLiteral("L|%1").arg(1) << QStringLiteral("TRUSETBL");

    // The coach: his entries and those he wrote, his card, profile, values
    // with their use, and the evaluations and workbooks he owns with all
    // their links. His address, filters, blocks, the forms' designs and the
    // persons naming him as coach stay.
    const QString mine = QStringLiteral("(AutorNr = %1) OR (PersonNr = %1)").arg(coach);
    const QString evals =
        QStringLiteral("AuswertungNr IN (SELECT AuswertungNr FROM AUSWERT WHERE TrainerNr = %1)").arg(coach);
    QTest::newRow("person")
        << int(KindPersonOrGroup) << ClubFixture::kCoach << 0 << 0 << QDate() << QStringLiteral("Trainer Tom") << all
        << QStringList{"TR",
                       mine,
                       "TR_1",
                       entriesOf.arg(mine),
                       "PERSON",
                       "PersonNr = " + coach,
                       "PROFIL",
                       "PersonNr = " + coach,
                       "TRVALUE",
                       "PersonNr = " + coach,
                       "TRUSEVAL",
                       "ValueNr IN (SELECT ValueNr FROM TRVALUE WHERE PersonNr = " + coach + ")",
                       "ANALYSE",
                       "TrainerNr = " + coach,
                       "ANAUSEAW",
                       "AnalyseNr IN (SELECT AnalyseNr FROM ANALYSE WHERE TrainerNr = " + coach + ") OR " + evals,
                       "ATABLE",
                       evals,
                       "AFIELD",
                       evals,
                       "AUSWERT",
                       "TrainerNr = " + coach}
        << QStringList{"personenbezogene Daten",
                       "Karteiblatt",
                       "Profil",
                       "Indexwerte (Auswahlfeld)",
                       "Verknüpfung (Analyse)",
                       "Analysen",
                       "Verknüpfung 1 (Auswertung)",
                       "Verknüpfung 2 (Auswertung)",
                       "Verknüpfung 3 (Auswertung)",
                       "Auswertung löschen",
                       "Datenbank aktualisieren",
                       "Dokumentliste erstellen"}
        << 12 << "P|" + coach << QStringLiteral("AUSWERT");

    // Protocols and plans: only the entries the diary would list.
    const QString prot = QStringLiteral("(Art = 2) AND (PersonNr = %1)").arg(anna);
    QTest::newRow("protocols") << int(KindProtocol) << ClubFixture::kAnna << 0 << 0 << QDate()
                               << QStringLiteral("Berg Anna") << all
                               << QStringList{"TR", prot, "TR_1", entriesOf.arg(prot), "TR_2", entriesOf.arg(prot)}
                               << QStringList{"personenbezogene Daten"} << 0 << QString() << QStringLiteral("TR");
    const QString later = QStringLiteral("(Art = 2) AND (PersonNr = %1) AND (Datum >= '2026-01-07')").arg(anna);
    QTest::newRow("protocols from a date")
        << int(KindProtocol) << ClubFixture::kAnna << 0 << 0 << QDate(2026, 1, 7) << QStringLiteral("Berg Anna") << all
        << QStringList{"TR", later, "TR_1", entriesOf.arg(later), "TR_2", entriesOf.arg(later)}
        << QStringList{"personenbezogene Daten"} << 0 << QString() << QStringLiteral("TR_2");
    const QString plans = QStringLiteral("(Art = 3) AND (PersonNr = %1)").arg(anna);
    QTest::newRow("plans") << int(KindPlan) << ClubFixture::kAnna << 0 << 0 << QDate() << QStringLiteral("Berg Anna")
                           << all << QStringList{"TR", plans, "TR_1", entriesOf.arg(plans)}
                           << QStringList{"personenbezogene Daten"} << 0 << QString() << QStringLiteral("TR");
    // With a form filter the filter's lists choose (author coach, Anna or
    // Paul, form 1), not the person.
    const QString filtered =
        QStringLiteral("(Art = 2) AND (AutorNr = %1) AND (FormularNr = %2)").arg(coach).arg(ClubFixture::kForm);
    QTest::newRow("protocols by filter") << int(KindProtocol) << ClubFixture::kPaul << 0 << ClubFixture::kFilter
                                         << QDate() << QStringLiteral("Meier Paul") << all
                                         << QStringList{"TR", filtered, "TR_1", entriesOf.arg(filtered)}
                                         << QStringList{"personenbezogene Daten"} << 0 << QString()
                                         << QStringLiteral("TR");
}

DeletionTarget TestObjectDeletion::target() const {
    QFETCH(int, kind);
    QFETCH(int, key1);
    QFETCH(int, key2);
    QFETCH(int, formFilter);
    QFETCH(QDate, from);
    QFETCH(QString, name);
    DeletionTarget t;
    t.kind = kind;
    t.key1 = key1 == -1 ? m_formTr : key1;
    t.key2 = key2 == -1 ? ClubFixture::kSerial : key2;
    t.formFilter = formFilter;
    t.from = from;
    t.name = name;
    return t;
}

void TestObjectDeletion::deletesExactlyItsRows_data() {
    kinds();
}

void TestObjectDeletion::deletesExactlyItsRows() {
    QFETCH(QString, question);
    QFETCH(QStringList, removed);
    QFETCH(QStringList, steps);
    QFETCH(int, ticked);
    QFETCH(QString, openRow);
    QFETCH(int, kind);
    QMap<QString, QString> gone;
    for (int i = 0; i + 1 < removed.size(); i += 2)
        gone.insert(removed[i], removed[i + 1]);
    const auto expected = snapshot(db(), gone);
    const auto before = snapshot(db());
    for (auto it = gone.cbegin(); it != gone.cend(); ++it)
        QVERIFY2(it.value() == QLatin1String("DROP") || expected.value(it.key()) != before.value(it.key()),
                 qPrintable(it.key() + QStringLiteral(": the fixture has no row to delete")));
    const QString openKey = QStringLiteral("Type || '|' || Key1 = '%1'").arg(openRow);
    if (!openRow.isEmpty())
        QCOMPARE(count(db(), "SELECT count(*) FROM OPEN WHERE " + openKey), 1);

    m_messages->answer(true);
    ProgressRecord progress;
    ObjectDeletion deletion(db(), progress, ClubFixture::kCoach, ClubFixture::kJugend);
    QVERIFY(deletion.Run(target()));

    QCOMPARE(m_messages->texts(Messages::Kind::Question), QStringList{question});
    QCOMPARE(m_messages->texts(Messages::Kind::Error), QStringList());
    QCOMPARE(snapshot(db()), expected);
    QCOMPARE(progress.steps, steps);
    QCOMPARE(progress.done, ticked);
    QVERIFY(progress.shown);
    QVERIFY(progress.closed);
    if (!openRow.isEmpty())
        QCOMPARE(count(db(), "SELECT count(*) FROM OPEN WHERE " + openKey), 0);
    // The element list follows the deleted form or block.
    if (kind == KindForm)
        QVERIFY(FormElementCache().FormElements(ClubFixture::kForm).empty());
    if (kind == KindBlock)
        QVERIFY(FormElementCache().BlockElements(ClubFixture::kForm, ClubFixture::kBlock).empty());
    QVERIFY(!FormElementCache().FormElements(kForm2).empty());
}

void TestObjectDeletion::declinedDeletesNothing() {
    const auto before = snapshot(db());
    const QStringList open = rowsOf(db(), QStringLiteral("OPEN"));
    m_messages->answer(false);
    ProgressRecord progress;
    ObjectDeletion deletion(db(), progress, ClubFixture::kCoach, ClubFixture::kJugend);
    QVERIFY(!deletion.Run(target()));
    QCOMPARE(m_messages->texts(Messages::Kind::Question).size(), 1);
    QCOMPARE(snapshot(db()), before);
    QCOMPARE(rowsOf(db(), QStringLiteral("OPEN")), open);
    QCOMPARE(progress.done, 0); // nothing rebuilt
    QVERIFY(progress.closed);
}

void TestObjectDeletion::engineErrorKeepsEveryRow() {
    QFETCH(QString, trap);
    db().exec(QStringLiteral("CREATE TRIGGER trap BEFORE DELETE ON %1 BEGIN SELECT RAISE(ABORT, 'Platte voll'); END")
                  .arg(quoteIdentifier(db().requireTable(trap))));
    const auto before = snapshot(db());
    m_messages->answer(true);
    ProgressRecord progress;
    ObjectDeletion deletion(db(), progress, ClubFixture::kCoach, ClubFixture::kJugend);
    QVERIFY(!deletion.Run(target()));
    const QStringList errors = m_messages->texts(Messages::Kind::Error);
    QCOMPARE(errors.size(), 1);
    QVERIFY2(errors.front().contains(QLatin1String("Platte voll")), qPrintable(errors.front()));
    QCOMPARE(snapshot(db()), before);
    QVERIFY(!db().inTransaction());
    QVERIFY(progress.closed);
}

void TestObjectDeletion::formWithoutRowDeletesNothing() {
    const auto before = snapshot(db());
    ProgressRecord progress;
    ObjectDeletion deletion(db(), progress, ClubFixture::kCoach, ClubFixture::kJugend);
    DeletionTarget t;
    t.kind = KindForm;
    t.key1 = 999;
    t.key2 = ClubFixture::kSerial;
    t.name = QStringLiteral("weg");
    QVERIFY(!deletion.Run(t));
    QCOMPARE(m_messages->texts(Messages::Kind::Question), QStringList());
    QCOMPARE(m_messages->texts(Messages::Kind::Error), QStringList{QStringLiteral("'' ist kein gültiger Integerwert")});
    QCOMPARE(snapshot(db()), before);
    QCOMPARE(progress.done, 0);
    QVERIFY(progress.closed);
}

void TestObjectDeletion::blockZeroIsRefused() {
    // Block 0 is listed like any block, but its table is the diary itself.
    QCOMPARE(count(db(), QStringLiteral("SELECT count(*) FROM OPEN WHERE Type = 'T' AND Key1 = 0")), 1);
    const auto before = snapshot(db());
    ProgressRecord progress;
    ObjectDeletion deletion(db(), progress, ClubFixture::kCoach, ClubFixture::kJugend);
    DeletionTarget t;
    t.kind = KindBlock;
    t.key1 = 0;
    t.name = QStringLiteral("Tagebucheintrag");
    QVERIFY(!deletion.Run(t));
    QCOMPARE(m_messages->texts(Messages::Kind::Question), QStringList());
    QCOMPARE(m_messages->texts(Messages::Kind::Error),
             QStringList{QStringLiteral(
                 "Der Baustein \"Tagebucheintrag\" gehört zum Tagebuch und kann nicht gelöscht werden.")});
    QCOMPARE(snapshot(db()), before);
}

void TestObjectDeletion::readOnlyIsRefused() {
    // What the open dialog returned read-only may be read, never deleted.
    QFETCH(QString, name);
    const auto before = snapshot(db());
    m_messages->answer(true);
    ProgressRecord progress;
    ObjectDeletion deletion(db(), progress, ClubFixture::kCoach, ClubFixture::kJugend);
    DeletionTarget t = target();
    t.readOnly = true;
    QVERIFY(!deletion.Run(t));
    QCOMPARE(m_messages->texts(Messages::Kind::Question), QStringList());
    QCOMPARE(m_messages->texts(Messages::Kind::Error), QStringList{ObjectDeletion::ReadOnlyText(name)});
    QCOMPARE(snapshot(db()), before);
    QCOMPARE(progress.done, 0);
    QVERIFY(progress.closed);
}

void TestObjectDeletion::selectionOfNoFormNorPersonDeletesNoEntry_data() {
    QTest::addColumn<int>("kind");
    QTest::newRow("form 0") << int(KindForm);
    QTest::newRow("person 0") << int(KindPersonOrGroup);
}

void TestObjectDeletion::selectionOfNoFormNorPersonDeletesNoEntry() {
    // Entries without a form, person or author (the layout editor's
    // provisional form 0 among them) are what a selection of "form 0" or
    // "person 0" would take if it fell back to a plain comparison.
    QFETCH(int, kind);
    const int orphan =
        m_club->addEntry(0, 2, QDateTime(QDate(2026, 2, 2), QTime(9, 0)), QStringLiteral("Vorlage"), 0, 0);
    const int formZeroTr = m_club->addEntry(ClubFixture::kAnna, 1, QDateTime(QDate(2026, 2, 3), QTime(9, 0)),
                                            QStringLiteral("Form 0"), ClubFixture::kCoach, 0);
    const int entries = count(db(), QStringLiteral("SELECT count(*) FROM TR"));
    m_messages->answer(true);
    ProgressRecord progress;
    ObjectDeletion deletion(db(), progress, ClubFixture::kCoach, ClubFixture::kJugend);
    DeletionTarget t;
    t.kind = kind;
    t.key1 = kind == KindForm ? formZeroTr : 0;
    t.key2 = ClubFixture::kSerial;
    t.name = QStringLiteral("niemand");
    QVERIFY(deletion.Run(t));
    QCOMPARE(m_messages->texts(Messages::Kind::Error), QStringList());
    QCOMPARE(count(db(), QStringLiteral("SELECT count(*) FROM TR WHERE TrNr = %1").arg(orphan)), 1);
    // Form 0 itself is only its dependants' key: its own TR row stays too.
    QCOMPARE(count(db(), QStringLiteral("SELECT count(*) FROM TR")), entries);
}

void TestObjectDeletion::lookupAndDetails() {
    ProgressRecord progress;
    ObjectDeletion deletion(db(), progress, ClubFixture::kCoach, ClubFixture::kJugend);
    QCOMPARE(deletion.LookupValue(QStringLiteral("(TrNr=%1) AND (SerienNr=1)").arg(m_form2Tr), QStringLiteral("TR"),
                                  QStringLiteral("FormularNr")),
             n(kForm2));
    QCOMPARE(deletion.LookupValue(QStringLiteral("TableNr=%1").arg(kBlock2), QStringLiteral("TrTable"),
                                  QStringLiteral("FileName")),
             QStringLiteral("TR_2"));
    QCOMPARE(
        deletion.LookupValue(QStringLiteral("TableNr=4711"), QStringLiteral("TrTable"), QStringLiteral("FileName")),
        QString());
    // Details of every master row go; the master rows stay.
    const int books = count(db(), QStringLiteral("SELECT count(*) FROM ANALYSE"));
    deletion.DeleteDetails(QStringLiteral("AuswertungNr>0"), QStringLiteral("Auswert"), QStringLiteral("ANAuseAW"),
                           QStringLiteral("AuswertungNr"));
    QCOMPARE(count(db(), QStringLiteral("SELECT count(*) FROM ANAUSEAW")), 0);
    QCOMPARE(count(db(), QStringLiteral("SELECT count(*) FROM AUSWERT")), 2);
    QCOMPARE(count(db(), QStringLiteral("SELECT count(*) FROM ANALYSE")), books);
    deletion.DeleteWhere(QStringLiteral("TrainerNr=%1").arg(ClubFixture::kAnna), QStringLiteral("Auswert"));
    QCOMPARE(rowsOf(db(), QStringLiteral("AUSWERT")).size(), 1);
    QCOMPARE(progress.done, 2);
}

QTEST_GUILESS_MAIN(TestObjectDeletion)
#include "tst_objectdeletion.moc"
