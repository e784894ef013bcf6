#include "support/ClubFixture.h"

#include "store/Cursor.h"
#include "store/Keys.h"

namespace velmora::test {

namespace {
void person(Database &db, int nr, const QString &last, const QString &first, const QVariant &born, const QString &sex,
            int group, int coach, bool groupRights, bool allRights) {
    Cursor c(db, QStringLiteral("PERSON"));
    c.open();
    c.append();
    c.setValue(QStringLiteral("PersonNr"), nr);
    c.setValue(QStringLiteral("Nachname"), last);
    c.setValue(QStringLiteral("Vorname"), first);
    c.setValue(QStringLiteral("Geburtsdatum"), born);
    c.setValue(QStringLiteral("Sex"), sex);
    c.setValue(QStringLiteral("GruppenNr"), group);
    c.setValue(QStringLiteral("TrainerNr"), coach);
    c.setValue(QStringLiteral("LeserechteGruppe"), groupRights);
    c.setValue(QStringLiteral("LeserechteAndere"), allRights);
    c.post();
}
} // namespace

ClubFixture::ClubFixture(Database &database) : db(database) {
    Transaction tx(db);
    person(db, kJugend, QStringLiteral("Jugend"), QString(), QVariant(), QStringLiteral("X"), kJugend, kCoach, false,
           false);
    person(db, kCoach, QStringLiteral("Trainer"), QStringLiteral("Tom"), QDate(1970, 2, 3), QStringLiteral("M"),
           kJugend, kCoach, false, false);
    person(db, kAnna, QStringLiteral("Berg"), QStringLiteral("Anna"), QDate(1990, 5, 17), QStringLiteral("F"), kJugend,
           kCoach, true, false);
    person(db, kPaul, QStringLiteral("Meier"), QStringLiteral("Paul"), QVariant(), QStringLiteral("M"), kJugend, kCoach,
           false, false);
    person(db, kSenioren, QStringLiteral("Senioren"), QString(), QVariant(), QStringLiteral("X"), kSenioren, 0, false,
           false);
    person(db, kOtto, QStringLiteral("Fremd"), QStringLiteral("Otto"), QDate(1985, 12, 1), QStringLiteral("M"),
           kSenioren, 0, false, false);

    InsertRow(db, QStringLiteral("TRTABLE"),
              {{QStringLiteral("TableNr"), kBlock},
               {QStringLiteral("Name"), QStringLiteral("Lauf")},
               {QStringLiteral("Filename"), QStringLiteral("TR_1")},
               {QStringLiteral("Grid"), false},
               {QStringLiteral("Height"), 4 + 24 * 4},
               {QStringLiteral("TrainerNr"), kCoach}});
    struct F {
        int order;
        const char *name, *type;
        int size;
        FieldType col;
    } fields[] = {{1, "Dauer", "I", 0, FieldType::Long},
                  {2, "Strecke", "F", 0, FieldType::Number},
                  {3, "Belastung", "X", 0, FieldType::Long},
                  {4, "Notiz", "A", 40, FieldType::Alpha}};
    TableDef blockTable{
        QStringLiteral("TR_1"), {}, {QStringLiteral("SerienNr"), QStringLiteral("TrNr"), QStringLiteral("Order")}, {}};
    blockTable.fields = {FieldDef(QStringLiteral("SerienNr"), FieldType::Short),
                         FieldDef(QStringLiteral("TrNr"), FieldType::Long),
                         FieldDef(QStringLiteral("Order"), FieldType::Short)};
    for (const F &f : fields) {
        InsertRow(db, QStringLiteral("TRFIELD"),
                  {{QStringLiteral("TableNr"), kBlock},
                   {QStringLiteral("Order"), f.order},
                   {QStringLiteral("Feldname"), QString::fromUtf8(f.name)},
                   {QStringLiteral("Beschreibung"), QString::fromUtf8(f.name)},
                   {QStringLiteral("Typ"), QString::fromUtf8(f.type)},
                   {QStringLiteral("Größe"), f.size},
                   {QStringLiteral("Top"), 4 + 24 * (f.order - 1)}});
        blockTable.fields.push_back(FieldDef(QString::fromUtf8(f.name), f.col, f.size));
    }
    db.createTable(blockTable);

    // The form's own TR row, its blocks and fields.
    const int formTr = nextEntryNumber(db, kSerial);
    InsertRow(db, QStringLiteral("TR"),
              {{QStringLiteral("SerienNr"), kSerial},
               {QStringLiteral("TrNr"), formTr},
               {QStringLiteral("PersonNr"), kCoach},
               {QStringLiteral("Datum"), QDateTime(QDate(2026, 1, 1), QTime(0, 0))},
               {QStringLiteral("Beschreibung"), QStringLiteral("Laufprotokoll")},
               {QStringLiteral("FormularNr"), kForm},
               {QStringLiteral("Art"), 1},
               {QStringLiteral("AutorNr"), kCoach}});
    InsertRow(db, QStringLiteral("TRuseTBL"),
              {{QStringLiteral("FormularNr"), kForm}, {QStringLiteral("Order"), 0}, {QStringLiteral("TableNr"), 0}});
    InsertRow(
        db, QStringLiteral("TRuseTBL"),
        {{QStringLiteral("FormularNr"), kForm}, {QStringLiteral("Order"), 1}, {QStringLiteral("TableNr"), kBlock}});
    int ffOrder = 0;
    for (int feld : {1, 4})
        InsertRow(db, QStringLiteral("FFIELD"),
                  {{QStringLiteral("FormularNr"), kForm},
                   {QStringLiteral("Order"), ffOrder++},
                   {QStringLiteral("TableNr"), 0},
                   {QStringLiteral("FeldNr"), feld}});
    for (const F &f : fields)
        InsertRow(db, QStringLiteral("FFIELD"),
                  {{QStringLiteral("FormularNr"), kForm},
                   {QStringLiteral("Order"), ffOrder++},
                   {QStringLiteral("TableNr"), kBlock},
                   {QStringLiteral("FeldNr"), f.order},
                   {QStringLiteral("Prefix"), QString::fromUtf8(f.name)}});

    InsertRow(db, QStringLiteral("TRVALUE"),
              {{QStringLiteral("ValueNr"), kValueLocker},
               {QStringLiteral("Value"), QStringLiteral("locker")},
               {QStringLiteral("PersonNr"), kCoach}});
    InsertRow(db, QStringLiteral("TRVALUE"),
              {{QStringLiteral("ValueNr"), kValueIntensiv},
               {QStringLiteral("Value"), QStringLiteral("intensiv")},
               {QStringLiteral("PersonNr"), kCoach}});
    for (int i = 0; i < 2; ++i)
        InsertRow(db, QStringLiteral("TRuseVAL"),
                  {{QStringLiteral("FormularNr"), kForm},
                   {QStringLiteral("TableNr"), kBlock},
                   {QStringLiteral("FeldNr"), 3},
                   {QStringLiteral("ValueNr"), kValueLocker + i},
                   {QStringLiteral("Order"), i + 1}});

    // Entries: Anna's protocols in week 2 of 2026 and one plan, Paul's protocol.
    const int e1 = addEntry(kAnna, 2, QDateTime(QDate(2026, 1, 5), QTime(8, 0)), QStringLiteral("Grundlage"));
    const int e2 = addEntry(kAnna, 2, QDateTime(QDate(2026, 1, 7), QTime(0, 0)), QStringLiteral("Intervalle"));
    const int e3 = addEntry(kAnna, 2, QDateTime(QDate(2026, 1, 11), QTime(18, 30)), QStringLiteral("Langer Lauf"));
    const int e4 = addEntry(kAnna, 3, QDateTime(QDate(2026, 1, 12), QTime(0, 0)), QStringLiteral("Plan Montag"));
    const int e5 = addEntry(kPaul, 2, QDateTime(QDate(2026, 1, 6), QTime(17, 0)), QStringLiteral("Paul läuft"), kPaul);
    addBlockRow(e1, 0, 60, 10.5, kValueLocker, QStringLiteral("ruhig"));
    addBlockRow(e1, 1, 15, 2.0, kValueIntensiv, QStringLiteral("Steigerung"));
    addBlockRow(e2, 0, 45, 9.0, kValueIntensiv, QStringLiteral("6 x 1000"));
    addBlockRow(e3, 0, 120, 25.0, kValueLocker, QStringLiteral("lang"));
    addBlockRow(e4, 0, 50, 8.0, kValueLocker, QString());
    addBlockRow(e5, 0, 30, 5.0, kValueLocker, QString());

    InsertRow(db, QStringLiteral("FILTER"),
              {{QStringLiteral("FilterNr"), kFilter},
               {QStringLiteral("Name"), QStringLiteral("Ausdauer")},
               {QStringLiteral("PersonNr"), kCoach},
               {QStringLiteral("Art"), 2},
               {QStringLiteral("Autoren"), QStringLiteral("%1").arg(kCoach)},
               {QStringLiteral("Personen"), QStringLiteral("%1\r%2").arg(kAnna).arg(kPaul)},
               {QStringLiteral("Formulare"), QStringLiteral("%1").arg(kForm)}});
    InsertRow(db, QStringLiteral("FILTER"),
              {{QStringLiteral("FilterNr"), kLowFilter},
               {QStringLiteral("Name"), QStringLiteral("Standard")},
               {QStringLiteral("PersonNr"), kCoach}});

    InsertRow(db, QStringLiteral("AUSWERT"),
              {{QStringLiteral("AuswertungNr"), kEvaluation},
               {QStringLiteral("Auswertung"), QStringLiteral("Umfang pro Woche")},
               {QStringLiteral("TrainerNr"), kCoach},
               {QStringLiteral("Gruppierung"), true}});
    InsertRow(db, QStringLiteral("AFIELD"),
              {{QStringLiteral("AuswertungNr"), kEvaluation},
               {QStringLiteral("FeldNr"), 1},
               {QStringLiteral("Name"), QStringLiteral("Woche")},
               {QStringLiteral("Typ"), QStringLiteral("X")},
               {QStringLiteral("TableNr"), 0},
               {QStringLiteral("Order"), 1},
               {QStringLiteral("Agregatfunktion"), 0},
               {QStringLiteral("SQL"), true},
               {QStringLiteral("Bedingung"),
                QStringLiteral("X-Achse\rEXTRACT(YEAR FROM tr.Datum)*100 + cast(tr.Woche as Integer)")}});
    InsertRow(db, QStringLiteral("AFIELD"),
              {{QStringLiteral("AuswertungNr"), kEvaluation},
               {QStringLiteral("FeldNr"), 2},
               {QStringLiteral("Name"), QStringLiteral("Umfang")},
               {QStringLiteral("Typ"), QStringLiteral("D")},
               {QStringLiteral("TableNr"), kBlock},
               {QStringLiteral("Order"), 1},
               {QStringLiteral("Agregatfunktion"), 1}});
    InsertRow(db, QStringLiteral("ATABLE"),
              {{QStringLiteral("AuswertungNr"), kEvaluation}, {QStringLiteral("TableNr"), kBlock}});
    InsertRow(db, QStringLiteral("ANALYSE"),
              {{QStringLiteral("AnalyseNr"), kWorkbook},
               {QStringLiteral("AnalyseName"), QStringLiteral("Saison")},
               {QStringLiteral("TrainerNr"), kCoach}});
    tx.commit();
}

int ClubFixture::addEntry(int person, int art, const QDateTime &when, const QString &text, int author, int form) {
    const int trNr = nextEntryNumber(db, kSerial);
    Cursor c(db, QStringLiteral("TR"));
    c.open();
    c.append();
    c.setValue(QStringLiteral("SerienNr"), kSerial);
    c.setValue(QStringLiteral("TrNr"), trNr);
    c.setValue(QStringLiteral("PersonNr"), person);
    c.setValue(QStringLiteral("Datum"), when);
    c.setValue(QStringLiteral("Beschreibung"), text);
    // The week of these January 2026 days is week 2 (1 January is a Thursday).
    c.setValue(QStringLiteral("Woche"), when.date() < QDate(2026, 1, 5)    ? QStringLiteral("01")
                                        : when.date() < QDate(2026, 1, 12) ? QStringLiteral("02")
                                                                           : QStringLiteral("03"));
    c.setValue(QStringLiteral("Wochentag"), QString::number(when.date().dayOfWeek()));
    c.setValue(QStringLiteral("FormularNr"), form);
    c.setValue(QStringLiteral("Art"), art);
    c.setValue(QStringLiteral("AutorNr"), author);
    c.post();
    return trNr;
}

void ClubFixture::addBlockRow(int trNr, int order, int dauer, double strecke, int belastung, const QString &notiz) {
    InsertRow(db, QStringLiteral("TR_1"),
              {{QStringLiteral("SerienNr"), kSerial},
               {QStringLiteral("TrNr"), trNr},
               {QStringLiteral("Order"), order},
               {QStringLiteral("Dauer"), dauer},
               {QStringLiteral("Strecke"), strecke},
               {QStringLiteral("Belastung"), belastung},
               {QStringLiteral("Notiz"), notiz.isEmpty() ? QVariant() : QVariant(notiz)}});
}

} // namespace velmora::test
