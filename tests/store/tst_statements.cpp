// The SQL texts the windows build, run as they build them, on the club
// fixture: the document list, the diary's list query, the evaluation's
// queries and stages, and the exchange export. Each case states the rows a
// coach must get.
#include "store/BatchCopy.h"
#include "store/Cursor.h"
#include "store/Query.h"
#include "store/Values.h"
#include "support/ClubFixture.h"
#include "support/TempInstallation.h"

#include <QTest>

using namespace velmora;
using velmora::test::ClubFixture;
using velmora::test::TempInstallation;

namespace {
const QString kCoach = QString::number(ClubFixture::kCoach);
const QString kJugend = QString::number(ClubFixture::kJugend);
const QString kAnna = QString::number(ClubFixture::kAnna);

QString rights(const QString &p, const QString &g) {
    return QStringLiteral("((PersonNr = %1) or \n(TrainerNr = %1) or \n(LeserechteAndere = true) or \n"
                          "((LeserechteGruppe = true) and (GruppenNr = %2)))")
        .arg(p, g);
}

// The seven statements of the document list for user p of group g.
QStringList documentStatements(const QString &p, const QString &g) {
    return {
        QStringLiteral("select \"P\" as Type, Nachname + \" \" + Vorname + \" \" + cast(Geburtsdatum as CHARACTER) as Name, "
                       "PersonNr as Key1, 0 as Key2, GruppenNr as Gruppe, TrainerNr as Trainer\nfrom Person\n"
                       "where ((Sex=\"M\") or (Sex=\"F\")) and\n") + rights(p, g),
        QStringLiteral("select \"G\" as Type, Nachname as Name, PersonNr as Key1, 0 as Key2, PersonNr as Gruppe, "
                       "TrainerNr as Trainer\nfrom PERSON\nwhere (Sex = \"X\") and \n") + rights(p, g),
        QStringLiteral("select \"L\" as Type, Beschreibung as Name, TrNr as Key1, SerienNr as Key2, 0 as Gruppe, "
                       "PersonNr as Trainer\nfrom Tr\nwhere (Art = 1) or\n(Art = 11) or\n(Art = 21)"),
        QStringLiteral("select distinct \"F\" as Type, Name, FilterNr as Key1, \"Person\".PersonNr as Key2, GruppenNr as "
                       "Gruppe, TrainerNr as Trainer\nfrom \"Filter\", \"Person\"\nwhere (\"Filter\".FilterNr > 10) and\n"
                       "(\"Filter\".PersonNr = Person.PersonNr)"),
        QStringLiteral("select \"A\" as Type, Auswertung as Name, AuswertungNr as Key1, 0 as Key2, 0 as Gruppe, "
                       "TrainerNr as Trainer\nfrom Auswert"),
        QStringLiteral("select \"W\" as Type, AnalyseName as Name, AnalyseNr as Key1, 0 as Key2, 0 as Gruppe, "
                       "TrainerNr as Trainer\nfrom Analyse"),
        QStringLiteral("select \"T\" as Type, Name, TableNr as Key1, 0 as Key2, 0 as Gruppe, TrainerNr as Trainer\n"
                       "from TrTable"),
    };
}

// The diary's condition lines for the filter "Ausdauer" with both dates.
QStringList diarySelection() {
    return {QStringLiteral("((tr.AutorNr = %1)) and").arg(kCoach),
            QStringLiteral("((tr.PersonNr = %1) or  ").arg(kAnna),
            QStringLiteral("(tr.PersonNr = %1)) and").arg(ClubFixture::kPaul),
            QStringLiteral("((tr.FormularNr = %1)) and").arg(ClubFixture::kForm),
            QStringLiteral("(tr.Datum >= \"2026-01-05\") and"),
            QStringLiteral("(tr.Datum <= \"2026-01-11\")")};
}

const QStringList kSql1 = {
    QStringLiteral("select   EXTRACT(YEAR FROM tr.Datum)*100 + cast(tr.Woche as Integer) as F_1, "),
    QStringLiteral("         \"TR_1\".\"Dauer\" as F_2"),
    QStringLiteral("from     \"TR\","),
    QStringLiteral("         \"TR_1\""),
    QStringLiteral("where    (\"TR_1\".\"SerienNr\" = \"TR\".\"SerienNr\") and (\"TR_1\".\"TrNr\" = \"TR\".\"TrNr\") "),
};

QStringList rowsOf(Query &q, const QStringList &columns) {
    QStringList out;
    for (q.first(); !q.eof(); q.next()) {
        QStringList cells;
        if (columns.isEmpty()) {
            for (int i = 0; i < int(q.fields().size()); ++i)
                cells << displayText(q.value(i), q.fields()[size_t(i)].type);
        } else {
            for (const QString &c : columns) {
                const int i = q.fieldIndex(c);
                cells << (i < 0 ? QStringLiteral("<%1?>").arg(c) : displayText(q.value(i), q.fields()[size_t(i)].type));
            }
        }
        out << cells.join(QLatin1Char('|'));
    }
    return out;
}
} // namespace

class TestStatements : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void statements_data();
    void statements();
    void evaluationStages();
    void documentListFilters_data();
    void documentListFilters();

private:
    std::unique_ptr<TempInstallation> m_inst;
    std::unique_ptr<ClubFixture> m_club;
};

void TestStatements::init() {
    m_inst = std::make_unique<TempInstallation>(ClubFixture::kSerial);
    m_club = std::make_unique<ClubFixture>(m_inst->db());
}

void TestStatements::cleanup() {
    m_club.reset();
    m_inst.reset();
}

void TestStatements::statements_data() {
    QTest::addColumn<QString>("setup");  // SQLite statements run first
    QTest::addColumn<QString>("sql");    // the statement as the system builds it
    QTest::addColumn<QStringList>("columns");
    QTest::addColumn<QStringList>("expected");

    const QString paul = QString::number(ClubFixture::kPaul);
    const QString otto = QString::number(ClubFixture::kOtto);
    const QString senioren = QString::number(ClubFixture::kSenioren);
    const QStringList doc = documentStatements(kCoach, kJugend);

    // Document list, as seen by the coach.
    QTest::newRow("persons: own, coached, no birth date") << "" << doc[0] << QStringList{}
        << QStringList{"P|Berg Anna 17.05.1990|" + kAnna + "|0|" + kJugend + "|" + kCoach,
                       "P|Meier Paul |" + paul + "|0|" + kJugend + "|" + kCoach,
                       "P|Trainer Tom 03.02.1970|" + kCoach + "|0|" + kJugend + "|" + kCoach};
    QTest::newRow("groups") << "" << doc[1] << QStringList{} << QStringList{"G|Jugend|" + kJugend + "|0|" + kJugend + "|" + kCoach};
    QTest::newRow("forms") << "" << doc[2] << QStringList{} << QStringList{"L|Laufprotokoll|1|1|0|" + kCoach};
    QTest::newRow("filters above 10 only") << "" << doc[3] << QStringList{}
        << QStringList{"F|Ausdauer|65537|" + kCoach + "|" + kJugend + "|" + kCoach};
    QTest::newRow("evaluations") << "" << doc[4] << QStringList{} << QStringList{"A|Umfang pro Woche|65537|0|0|" + kCoach};
    QTest::newRow("workbooks") << "" << doc[5] << QStringList{} << QStringList{"W|Saison|65537|0|0|" + kCoach};
    QTest::newRow("building blocks") << "" << doc[6] << QStringList{}
        << QStringList{"T|Lauf|65537|0|0|" + kCoach, "T|Tagebucheintrag|0|0|0|0"};
    // A coach's block field named like a constant changes nothing outside its block.
    QTest::newRow("building blocks with a block field named T")
        << "ALTER TABLE TR_1 ADD COLUMN \"T\" \"ALPHA(10)\"; UPDATE TR_1 SET \"T\" = 'Feld'" << doc[6] << QStringList{}
        << QStringList{"T|Lauf|65537|0|0|" + kCoach, "T|Tagebucheintrag|0|0|0|0"};
    // Read rights seen from other users.
    QTest::newRow("group rights reach a group member") << "" << documentStatements(paul, kJugend)[0] << QStringList{"Name"}
        << QStringList{"Berg Anna 17.05.1990", "Meier Paul "};
    QTest::newRow("no rights outside the group") << "" << documentStatements(otto, senioren)[0] << QStringList{"Name"}
        << QStringList{"Fremd Otto 01.12.1985"};
    QTest::newRow("everybody may read") << "UPDATE PERSON SET LeserechteAndere = 1 WHERE Nachname = 'Meier'"
        << documentStatements(otto, senioren)[0] << QStringList{"Name"} << QStringList{"Fremd Otto 01.12.1985", "Meier Paul "};

    // The diary's list query.
    QTest::newRow("diary without filter")
        << "" << "select * from tr where (Art = 3) and\n(tr.PersonNr = " + kAnna + ")\norder by tr.datum"
        << QStringList{"Beschreibung", "Woche"} << QStringList{"Plan Montag|03"};
    QTest::newRow("diary with filter and both dates, to-date includes its day")
        << "" << "select * from tr where (Art = 2) and\n" + diarySelection().join('\n') + "\norder by tr.datum"
        << QStringList{"TrNr", "Beschreibung"} << QStringList{"2|Grundlage", "3|Intervalle", "4|Langer Lauf"};
    QTest::newRow("diary filter without lists")
        << "" << "select * from tr where (Art = 2) and\n(tr.Datum >= \"2026-01-06\") and\n(tr.Datum <= \"2026-01-07\")\norder by tr.datum"
        << QStringList{"Beschreibung"} << QStringList{"Paul läuft", "Intervalle"};
    QTest::newRow("deletion selection by form") << ""
        << "select * from tr where (FormularNr = " + QString::number(ClubFixture::kForm) + ")" << QStringList{"TrNr"}
        << QStringList{"1", "2", "3", "4", "5", "6"};
    QTest::newRow("deletion selection by person") << ""
        << "select * from tr where (AutorNr = " + paul + ") or (PersonNr = " + paul + ")" << QStringList{"Beschreibung"}
        << QStringList{"Paul läuft"};

    // The evaluation builder's queries.
    QTest::newRow("field list with entity")
        << ""
        << "select distinct \"\"\"\"+trtable.filename+\"\"\".\"\"\"+trfield.FeldName+\"\"\"\" as Entity, afield.* from afield, "
           "trtable, trfield where (afield.AuswertungNr = 65537) and (afield.TableNr = trtable.TableNr) and "
           "(afield.TableNr = trfield.TableNr) and (afield.\"Order\" = trfield.\"Order\") order by afield.FeldNr"
        << QStringList{"Entity", "FeldNr", "Name"} << QStringList{"\"TR\".\"Datum\"|1|Woche", "\"TR_1\".\"Dauer\"|2|Umfang"};
    QTest::newRow("table list")
        << "" << "select distinct filename from afield, trtable where (afield.AuswertungNr = 65537) and (afield.TableNr = trtable.TableNr)"
        << QStringList{} << QStringList{"TR", "TR_1"};
    QTest::newRow("stage 1 of the worked example for a person")
        << "" << kSql1.join('\n') + " and\n(tr.Art = 2) and\n(tr.PersonNr = " + kAnna + ")"
        << QStringList{} << QStringList{"202602|120", "202602|15", "202602|45", "202602|60"};
    QTest::newRow("stage 1 with the diary's selection")
        << "" << kSql1.join('\n') + " and\n(tr.Art = 2) and\n" + diarySelection().join('\n')
        << QStringList{"F_2"} << QStringList{"120", "15", "45", "60"};
    QTest::newRow("stage 1 of block 0 only")
        << "" << "select   tr.Datum as F_1\nfrom     \"TR\"\nwhere (tr.Art = 3) and\n(tr.PersonNr = " + kAnna + ")"
        << QStringList{} << QStringList{"12.01.2026"};
    QTest::newRow("cross table: index values of the X column")
        << "CREATE TABLE TMP00007 (Belastung \"LONG INTEGER\", Umfang \"LONG INTEGER\"); "
           "INSERT INTO TMP00007 SELECT Belastung, Dauer FROM TR_1"
        << "select distinct TRVALUE.\"Value\" from TRVALUE, TMP00007 where TRVALUE.ValueNr=TMP00007.\"Belastung\""
        << QStringList{} << QStringList{"intensiv", "locker"};
    QTest::newRow("cross table: plain X values")
        << "CREATE TABLE TMP00008 (Woche \"LONG INTEGER\"); INSERT INTO TMP00008 VALUES (202602), (202603), (202602)"
        << "select distinct TMP00008.\"Woche\" from TMP00008" << QStringList{} << QStringList{"202602", "202603"};

    // The exchange export, with the key table filled as the export fills it.
    const QString keys = "CREATE TABLE TMPKEYS (Key1 \"LONG INTEGER\", Key2 \"LONG INTEGER\"); ";
    const QString personKeys = keys + "INSERT INTO TMPKEYS (Key1) VALUES (" + kAnna + "), (" + kCoach + ")";
    const QString formKeys = keys + "INSERT INTO TMPKEYS (Key1) VALUES (" + QString::number(ClubFixture::kForm) + ")";
    const QString sel = "\n(tr.PersonNr = " + kAnna + ")";
    QTest::newRow("export: person keys") << "" << "select distinct PersonNr from TR where " + sel << QStringList{}
        << QStringList{kAnna};
    QTest::newRow("export: author keys") << "" << "select distinct AutorNr from TR where " + sel << QStringList{}
        << QStringList{kCoach};
    QTest::newRow("export: PERSON") << personKeys
        << "select distinct PERSON.* from PERSON, TMPKEYS where (PERSON.PersonNr=TMPKEYS.Key1)" << QStringList{"Nachname"}
        << QStringList{"Berg", "Trainer"};
    QTest::newRow("export: ADRESSE")
        << personKeys + "; INSERT INTO ADRESSE VALUES ('030-1234', 'Laufweg 1', '10115', 'Berlin'), ('040-9', 'x', 'y', 'z'); "
                        "UPDATE PERSON SET Adresse = '030-1234' WHERE PersonNr = " + kAnna
        << "select distinct ADRESSE.* from ADRESSE, Person, TMPKEYS where (Person.Adresse=ADRESSE.Telefon) and "
           "(PERSON.PersonNr=TMPKEYS.Key1)"
        << QStringList{} << QStringList{"030-1234|Laufweg 1|10115|Berlin"};
    QTest::newRow("export: FILTER") << personKeys
        << "select distinct \"FILTER\".* from \"FILTER\", TMPKEYS where (\"Filter\".PersonNr=TMPKEYS.Key1)"
        << QStringList{"Name"} << QStringList{"Ausdauer", "Standard"};
    QTest::newRow("export: AUSWERT") << personKeys
        << "select distinct AUSWERT.* from AUSWERT, TMPKEYS where (AUSWERT.TrainerNr=TMPKEYS.Key1)" << QStringList{"Auswertung"}
        << QStringList{"Umfang pro Woche"};
    QTest::newRow("export: AFIELD") << personKeys
        << "select distinct AFIELD.* from AFIELD, AUSWERT, TMPKEYS where (AUSWERT.AuswertungNr=AFIELD.AuswertungNr) and "
           "(AUSWERT.TrainerNr=TMPKEYS.Key1)"
        << QStringList{"Name"} << QStringList{"Umfang", "Woche"};
    QTest::newRow("export: ATABLE") << personKeys
        << "select distinct ATABLE.* from ATABLE, AUSWERT, TMPKEYS where (AUSWERT.AuswertungNr=ATABLE.AuswertungNr) and "
           "(AUSWERT.TrainerNr=TMPKEYS.Key1)"
        << QStringList{"TableNr"} << QStringList{"65537"};
    QTest::newRow("export: ANALYSE") << personKeys
        << "select distinct ANALYSE.* from ANALYSE, TMPKEYS where (ANALYSE.TrainerNr=TMPKEYS.Key1)" << QStringList{"AnalyseName"}
        << QStringList{"Saison"};
    QTest::newRow("export: FFIELD") << formKeys
        << "select distinct FFIELD.* from FFIELD, TMPKEYS where (FFIELD.FormularNr=TMPKEYS.Key1)" << QStringList{"Order"}
        << QStringList{"0", "1", "2", "3", "4", "5"};
    QTest::newRow("export: TRuseTBL") << formKeys
        << "select distinct TRuseTBL.* from TRuseTBL, TMPKEYS where (TRuseTBL.FormularNr=TMPKEYS.Key1)" << QStringList{"TableNr"}
        << QStringList{"0", "65537"};
    QTest::newRow("export: TRuseVAL") << formKeys
        << "select distinct TRuseVAL.* from TRuseVAL, TMPKEYS where (TRuseVAL.FormularNr=TMPKEYS.Key1)" << QStringList{"ValueNr"}
        << QStringList{"65537", "65538"};
    QTest::newRow("export: TRTABLE") << formKeys
        << "select distinct TRTABLE.* from TRTABLE, TRuseTBL, TMPKEYS where (TRTABLE.TableNr=TRuseTBL.TableNr) and "
           "(TRuseTBL.FormularNr=TMPKEYS.Key1)"
        << QStringList{"Filename"} << QStringList{"TR", "TR_1"};
    QTest::newRow("export: TRFIELD") << formKeys
        << "select distinct TRFIELD.* from TRFIELD, TRuseTBL, TMPKEYS where (TRFIELD.TableNr=TRuseTBL.TableNr) and "
           "(TRuseTBL.FormularNr=TMPKEYS.Key1)"
        << QStringList{"Feldname"}
        << QStringList{"AutorNr", "Belastung", "Beschreibung", "Datum", "Dauer", "Notiz", "PersonNr", "Strecke", "Woche", "Wochentag"};
    QTest::newRow("export: TRVALUE") << formKeys
        << "select distinct TRVALUE.* from TRVALUE, TRuseVAL, TMPKEYS where (TRVALUE.ValueNr=TRuseVAL.ValueNr) and "
           "(TRuseVAL.FormularNr=TMPKEYS.Key1)"
        << QStringList{"Value"} << QStringList{"intensiv", "locker"};
    QTest::newRow("export: TR forms") << formKeys
        << "select distinct TR.* from TR, TMPKEYS where ((Art=1) or (Art=11) or (Art=21)) and (TR.FormularNr=TMPKEYS.Key1)"
        << QStringList{"Beschreibung"} << QStringList{"Laufprotokoll"};
    QTest::newRow("export: TR entries") << ""
        << "select distinct TR.* from TR where (TR.Art<>1) and (TR.Art<>11) and (TR.Art<>21) and " + sel
        << QStringList{"Beschreibung"} << QStringList{"Grundlage", "Intervalle", "Langer Lauf", "Plan Montag"};
    QTest::newRow("export: entry keys") << "" << "select distinct SerienNr, TrNr from TR where " + sel << QStringList{}
        << QStringList{"1|2", "1|3", "1|4", "1|5"};
    QTest::newRow("export: blocks of kind T") << "" << "select * from trtable where Art = \"T\"" << QStringList{"Name"}
        << QStringList{"Lauf"};
    QTest::newRow("export: block rows")
        << keys + "INSERT INTO TMPKEYS VALUES (1, 2), (1, 4)"
        << "select distinct TR_1.* from TR_1, TMPKEYS where (TR_1.SerienNr=TMPKEYS.Key1) and (TR_1.TrNr=TMPKEYS.Key2)"
        << QStringList{"Notiz"} << QStringList{"Steigerung", "lang", "ruhig"};
}

void TestStatements::statements() {
    QFETCH(QString, setup);
    QFETCH(QString, sql);
    QFETCH(QStringList, columns);
    QFETCH(QStringList, expected);
    Database &db = m_inst->db();
    if (!setup.isEmpty())
        db.exec(setup);
    Query q(db, sql);
    try {
        q.open();
    } catch (const EngineError &e) {
        QFAIL(qPrintable(e.message() + QStringLiteral("\nübersetzt: ") + db.translate(sql)));
    }
    QStringList got = rowsOf(q, columns);
    if (!sql.contains(QLatin1String("order by"), Qt::CaseInsensitive)) {
        got.sort();
        expected.sort();
    }
    QCOMPARE(got, expected);
}

// The evaluation's two stages: stage 1 into a temporary table, stage 2 over it.
void TestStatements::evaluationStages() {
    Database &db = m_inst->db();
    Query stage1(db, kSql1.join('\n') + QStringLiteral(" and\n(tr.Art = 2) and\n") + diarySelection().join('\n'));
    QCOMPARE(BatchCopy::run(stage1, db, QStringLiteral("TMP00000"), BatchCopy::Mode::Copy), 4);
    const QStringList sql2 = {QStringLiteral("select   F_1 as Woche, "), QStringLiteral("         sum(F_2) as Umfang"),
                              QStringLiteral("from TMP00000"), QStringLiteral("group by F_1"), QStringLiteral("order by F_1")};
    Query stage2(db, sql2.join('\n'));
    QCOMPARE(BatchCopy::run(stage2, db, QStringLiteral("TMP00001"), BatchCopy::Mode::Copy), 1);
    Query result(db, QStringLiteral("select * from TMP00001"));
    result.open();
    QCOMPARE(rowsOf(result, {}), QStringList{QStringLiteral("202602|240")});
    QCOMPARE(result.fields()[1].name, QStringLiteral("Umfang"));
}

void TestStatements::documentListFilters_data() {
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QStringList>("names");
    const QString me = kCoach, grp = kJugend, coach = kCoach;
    QTest::newRow("Sportler, nur von mir") << "((Type = 'P') OR (Type = 'G')) AND (Key1 = " + me + ")"
                                           << QStringList{"Trainer Tom 03.02.1970"};
    QTest::newRow("Sportler, meine Gruppe") << "((Type = 'P') OR (Type = 'G')) AND (Gruppe = " + grp + ")"
        << QStringList{"Jugend", "Berg Anna 17.05.1990", "Meier Paul ", "Trainer Tom 03.02.1970"};
    QTest::newRow("Plan, nur von mir") << "((Type = 'P') AND (Key1 = " + me + ")) OR ((Type = 'G') AND (Gruppe = " + grp + "))"
                                       << QStringList{"Jugend", "Trainer Tom 03.02.1970"};
    QTest::newRow("Plan, von allen") << "((Type = 'P') OR (Type = 'G')) AND (Gruppe > 1)"
        << QStringList{"Jugend", "Berg Anna 17.05.1990", "Meier Paul ", "Trainer Tom 03.02.1970"};
    QTest::newRow("Formularbaustein") << "Type = 'T'" << QStringList{"Lauf", "Tagebucheintrag"};
    QTest::newRow("Formular") << "Type = 'L'" << QStringList{"Laufprotokoll"};
    QTest::newRow("Filter") << "(Type = 'F') AND (Key1 > 10)" << QStringList{"Ausdauer"};
    QTest::newRow("Auswertung, nur von mir") << "(Type = 'A') AND (Trainer = " + me + ")" << QStringList{"Umfang pro Woche"};
    QTest::newRow("Auswertung, von meinem Trainer")
        << "(Type = 'A') AND ((Trainer = " + me + ") OR (Trainer = " + coach + "))" << QStringList{"Umfang pro Woche"};
    QTest::newRow("Arbeitsbuch, von allen") << "Type = 'W'" << QStringList{"Saison"};
    QTest::newRow("diary look-ups") << "(Type = 'G') or (Type = 'P')"
        << QStringList{"Jugend", "Berg Anna 17.05.1990", "Meier Paul ", "Trainer Tom 03.02.1970"};
}

// The open dialog's filters on a document list built by the seven statements.
void TestStatements::documentListFilters() {
    QFETCH(QString, filter);
    QFETCH(QStringList, names);
    Database &db = m_inst->db();
    for (const QString &sql : documentStatements(kCoach, kJugend)) {
        Query q(db, sql);
        BatchCopy::run(q, db, QStringLiteral("OPEN"), BatchCopy::Mode::Append);
    }
    Cursor open(db, QStringLiteral("OPEN"));
    open.setIndexName(QStringLiteral("TypeNameKey1"));
    open.setFilter(filter);
    open.setFiltered(true);
    open.open();
    QStringList got;
    for (open.first(); !open.eof(); open.next())
        got << open.asString(QStringLiteral("Name"));
    QCOMPARE(got, names);
}

QTEST_GUILESS_MAIN(TestStatements)
#include "tst_statements.moc"
