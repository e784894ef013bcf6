#include "app/DemoClub.h"

#include "app/Installation.h"
#include "base/Helpers.h"
#include "base/Settings.h"
#include "design/BlockDesign.h"
#include "design/FormDesign.h"
#include "design/PickList.h"
#include "design/TTREList.h"
#include "diary/EntryRules.h"
#include "evaluation/EvaluationFieldRules.h"
#include "evaluation/EvaluationKeys.h"
#include "people/AthleteCard.h"
#include "people/FilterRules.h"
#include "store/Cursor.h"
#include "store/Keys.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cmath>
#include <zip.h>

namespace velmora {

const QString DemoClub::kHasData = QStringLiteral("Die Installation enthält bereits Daten.");

namespace {

// A small generator of our own: the standard distributions may differ
// between libraries, and the club must come out the same everywhere.
class Random {
public:
    explicit Random(quint64 seed) : m_state(seed) {}
    quint64 next() {
        quint64 z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    double uniform() { return double(next() >> 11) / double(1ull << 53); }
    double between(double low, double high) { return low + (high - low) * uniform(); }
    int below(int n) { return int(next() % quint64(n)); }
    bool chance(double p) { return uniform() < p; }

private:
    quint64 m_state;
};

constexpr quint64 kSeed = 5301;

// A prepared INSERT that binds each value with its column's type, so that
// dates and times are stored in the engine's form; for the many diary rows.
class RowWriter {
public:
    RowWriter(Database &db, const QString &table, const QStringList &columns)
        : m_db(db), m_table(db.requireTable(table)), m_columns(columns) {
        QStringList names, marks;
        for (const QString &c : columns) {
            names << quoteIdentifier(c);
            marks << QStringLiteral("?");
        }
        m_st = std::make_unique<Statement>(
            db, QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                    .arg(quoteIdentifier(m_table), names.join(QLatin1Char(',')), marks.join(QLatin1Char(','))));
        const FieldDefs &defs = db.fieldDefs(m_table);
        for (const QString &c : columns) {
            const int i = db.fieldIndex(m_table, c);
            if (i < 0)
                throw EngineError(QStringLiteral("%1: Feld '%2' nicht gefunden.").arg(m_table, c));
            m_defs.push_back(defs[size_t(i)]);
        }
    }
    void write(const QVariantList &values) {
        m_st->reset();
        for (int i = 0; i < values.size(); ++i)
            m_st->bind(i + 1, values[i], m_defs[size_t(i)].type, m_defs[size_t(i)].size);
        m_st->step();
    }

private:
    Database &m_db;
    QString m_table;
    QStringList m_columns;
    std::vector<FieldDef> m_defs;
    std::unique_ptr<Statement> m_st;
};

struct FieldSpec {
    const char *name;
    const char *caption;
    const char *typ;
    int size;
    const char *werte; // range or list, lines joined by "\r"
    const char *postfix;
};

// A block made as the block designer makes it: the block row, its fields,
// then "Fertig" (table, form 0, layout).
int makeBlock(Database &db, int serial, int coach, const QString &name, const QString &beschreibung, bool grid,
              std::initializer_list<FieldSpec> fields, const QString &idxPath) {
    BlockDesign d(db, serial);
    d.openNew(coach);
    d.block().setValue(QStringLiteral("Name"), name);
    d.block().setValue(QStringLiteral("Beschreibung"), beschreibung);
    d.setPresentation(grid, false);
    for (const FieldSpec &f : fields) {
        d.appendField();
        Cursor &c = d.fields();
        const QString typ = QString::fromLatin1(f.typ);
        c.setValue(QStringLiteral("Feldname"), QString::fromUtf8(f.name));
        c.setValue(QStringLiteral("Beschreibung"), QString::fromUtf8(f.caption));
        c.setValue(QStringLiteral("Typ"), typ);
        c.setValue(QStringLiteral("Größe"), f.size);
        c.setValue(QStringLiteral("Strikt"), typ == QLatin1String("N") || typ == QLatin1String("X"));
        c.setValue(QStringLiteral("Werte"), f.werte ? QVariant(QString::fromUtf8(f.werte)) : QVariant());
        c.setValue(QStringLiteral("Prefix"), QString::fromUtf8(f.caption));
        c.setValue(QStringLiteral("Postfix"), f.postfix ? QVariant(QString::fromUtf8(f.postfix)) : QVariant());
        c.post();
    }
    d.checkGridFields();
    d.finish(idxPath);
    return d.tableNr();
}

// A form made as the form designer makes it. Fields named in `hidden` are
// not shown by this form.
int makeForm(Database &db, int serial, int coach, const QString &beschreibung, int kind, const QList<int> &blocks,
             const QStringList &hidden, TTREList &elements) {
    FormDesign f(db, serial);
    FormDesign::Options o;
    o.owner = coach;
    f.open(o);
    f.form().setValue(QStringLiteral("Beschreibung"), beschreibung);
    f.setKind(kind);
    f.leaveNamePage();
    for (int block : blocks)
        f.includeBlock(block);
    f.alignFields();
    for (const FormDesign::FieldRow &row : f.formFields()) {
        if (!hidden.contains(row.feld) || !f.locateField(row.order))
            continue;
        f.fields().edit();
        f.fields().setValue(QStringLiteral("Visible"), false);
        f.fields().post();
    }
    f.finish(elements);
    return f.formularNr();
}

struct PersonSpec {
    const char *last, *first;
    const char *sex;
    QDate born;
    const char *klasse;
    const char *telefon, *strasse, *plz, *ort;
};

int makePerson(Database &db, int serial, int coach, const PersonSpec &p, int group, bool groupRights,
               const QString &password = {}) {
    AthleteCard card(db, serial);
    AthleteCard::Options o;
    o.coach = coach;
    o.passwordRequired = !password.isEmpty();
    card.open(o);
    Cursor &c = card.person();
    c.setValue(QStringLiteral("Nachname"), QString::fromUtf8(p.last));
    if (p.first)
        c.setValue(QStringLiteral("Vorname"), QString::fromUtf8(p.first));
    if (p.born.isValid())
        c.setValue(QStringLiteral("Geburtsdatum"), p.born);
    if (p.klasse)
        c.setValue(QStringLiteral("Altersklasse"), QString::fromUtf8(p.klasse));
    if (group != 0)
        c.setValue(QStringLiteral("GruppenNr"), group);
    c.setValue(QStringLiteral("LeserechteGruppe"), groupRights);
    c.setValue(QStringLiteral("LeserechteAndere"), false);
    if (p.telefon) {
        card.attachTelephone(QString::fromUtf8(p.telefon));
        if (card.addressState() == AthleteCard::AddressState::New) {
            card.address().setValue(QStringLiteral("ADRESSE"), QString::fromUtf8(p.strasse));
            card.address().setValue(QStringLiteral("PLZ"), QString::fromUtf8(p.plz));
            card.address().setValue(QStringLiteral("Ort"), QString::fromUtf8(p.ort));
        }
    }
    const int nr = c.asInt(QStringLiteral("PersonNr"));
    card.finish(QString::fromLatin1(p.sex), {password, password, {}, {}});
    return nr;
}

// Sets columns of an existing PERSON row (a group's own number, the coach's
// group) as the card would on a second visit.
void updatePerson(Database &db, int serial, int personNr, const QVariantMap &values) {
    AthleteCard card(db, serial);
    AthleteCard::Options o;
    o.personNr = personNr;
    card.open(o);
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        card.person().setValue(it.key(), it.value());
    card.finish({}, {});
}

void addPickValues(Database &db, int serial, int coach, const PickList::Field &field, const QStringList &values) {
    PickList list(db, serial);
    list.open(field, coach, false);
    for (const QString &v : values) {
        const int nr = list.newValue();
        list.values().setValue(QStringLiteral("Value"), v);
        list.postValue();
        if (!list.values().locate(QStringLiteral("ValueNr"), nr) || !list.assign())
            throw VelmoraError(QStringLiteral("Der Indexwert \"%1\" konnte nicht zugeordnet werden.").arg(v));
    }
    list.close();
}

int addFilter(Database &db, int serial, int owner, const QString &name, int art, const QVariant &von,
              const QVariant &bis, bool relativ, const QList<qint64> &personen, const QList<qint64> &formulare) {
    const int nr = nextObjectKey(db, QStringLiteral("FILTER"), QStringLiteral("FilterNr"), serial);
    InsertRow(
        db, QStringLiteral("FILTER"),
        {{QStringLiteral("FilterNr"), nr},
         {QStringLiteral("Name"), name},
         {QStringLiteral("PersonNr"), owner},
         {QStringLiteral("Art"), art},
         {QStringLiteral("Von"), von},
         {QStringLiteral("Bis"), bis},
         {QStringLiteral("Relativ"), relativ},
         {QStringLiteral("Autoren"), QVariant()},
         {QStringLiteral("Personen"), personen.isEmpty() ? QVariant() : QVariant(FilterRules::joinKeys(personen))},
         {QStringLiteral("Formulare"), formulare.isEmpty() ? QVariant() : QVariant(FilterRules::joinKeys(formulare))}});
    return nr;
}

// One evaluation field: a block field with an aggregate, or (axis) a
// calculated expression as the wizard writes it.
struct EvalField {
    QString name;
    QString typ; // "X", "Y", "D"
    int tableNr = 0;
    int order = 0;
    int aggregate = 0;
    QString axisExpression; // calculated axis field: its SQL
};

int addEvaluation(Database &db, int serial, int coach, const QString &name, const QString &bemerkung, bool cross,
                  int artX, int artY, const QList<int> &blocks, const QList<EvalField> &fields) {
    const int nr = nextEvaluationNumber(db, serial);
    InsertRow(db, QStringLiteral("AUSWERT"),
              {{QStringLiteral("AuswertungNr"), nr},
               {QStringLiteral("Auswertung"), name},
               {QStringLiteral("Bemerkung"), bemerkung},
               {QStringLiteral("TrainerNr"), coach},
               {QStringLiteral("Gruppierung"), true},
               {QStringLiteral("Kreuztabelle"), cross},
               {QStringLiteral("ArtXAchse"), artX},
               {QStringLiteral("ArtYAchse"), artY},
               {QStringLiteral("XAchse"), -1},
               {QStringLiteral("YAchse"), -1},
               {QStringLiteral("Geändert"), true}});
    for (int block : blocks)
        InsertRow(db, QStringLiteral("ATABLE"),
                  {{QStringLiteral("AuswertungNr"), nr}, {QStringLiteral("TableNr"), block}});
    QStringList names;
    int feldNr = 0;
    for (const EvalField &f : fields) {
        ++feldNr;
        QVariantMap row{{QStringLiteral("AuswertungNr"), nr},   {QStringLiteral("FeldNr"), feldNr},
                        {QStringLiteral("Name"), f.name},       {QStringLiteral("Typ"), f.typ},
                        {QStringLiteral("TableNr"), f.tableNr}, {QStringLiteral("Order"), f.order},
                        {QStringLiteral("Sichtbar"), true},     {QStringLiteral("Gruppierung"), true}};
        if (!f.axisExpression.isEmpty()) {
            // What the wizard writes for an axis choice.
            row.insert(QStringLiteral("SQL"), true);
            row.insert(QStringLiteral("Agregatfunktion"), 0);
            row.insert(QStringLiteral("Bedingung"),
                       (f.typ == QLatin1String("Y") ? QStringLiteral("Y-Achse\r") : QStringLiteral("X-Achse\r")) +
                           f.axisExpression);
            row.insert(QStringLiteral("Display"), QStringLiteral("%1: %2").arg(f.typ, f.name));
        } else {
            EvaluationFieldRules::PostInput in;
            in.typ = f.typ;
            in.name = f.name;
            in.aggregateShown = EvaluationFieldRules::aggregateEntries().value(f.aggregate);
            in.blockFieldName = EvaluationFieldRules::blockFieldName(db, f.tableNr, f.order);
            const EvaluationFieldRules::PostResult out = EvaluationFieldRules::beforePost(in, names);
            row.insert(QStringLiteral("SQL"), false);
            row.insert(QStringLiteral("Agregatfunktion"), out.agregatfunktion);
            row.insert(QStringLiteral("Display"), out.display);
        }
        names << f.name;
        InsertRow(db, QStringLiteral("AFIELD"), row);
    }
    return nr;
}

// The season: week-of-year load factor, highest in spring before the
// competitions, eased in summer, lowest in the October break.
double seasonFactor(int weekOfYear) {
    const double pi = 3.14159265358979323846;
    double f = 0.78 + 0.27 * std::sin(2.0 * pi * (weekOfYear - 4) / 52.0);
    if (weekOfYear >= 40 && weekOfYear <= 44)
        f *= 0.6; // transition
    return f;
}

QString phaseName(int weekOfYear) {
    if (weekOfYear >= 40 && weekOfYear <= 44)
        return QStringLiteral("Übergangsperiode");
    if (weekOfYear >= 45 || weekOfYear <= 9)
        return QStringLiteral("Allgemeine Vorbereitung");
    if (weekOfYear <= 19)
        return QStringLiteral("Spezielle Vorbereitung");
    return QStringLiteral("Wettkampfperiode");
}

struct Session {
    int weekday; // 1 Monday ... 7 Sunday
    const char *title;
    double share; // of the week's kilometres
    double pace;  // minutes per kilometre
    int load;     // Belastung 1 ... 10
    bool strength;
};

// A week of a runner: strength and an easy run on Monday, intervals on
// Tuesday, a tempo run on Thursday, fartlek on Saturday, the long run on
// Sunday. Youth runners leave out Saturday.
const Session kSessions[] = {
    {1, "Kraft und lockerer Lauf", 0.14, 5.9, 4, true},
    {2, "Intervalle", 0.18, 4.9, 8, false},
    {4, "Tempodauerlauf", 0.20, 4.8, 7, false},
    {6, "Fahrtspiel", 0.16, 5.3, 6, false},
    {7, "Langer Lauf", 0.32, 5.7, 5, false},
};

const char *const kBefinden[] = {"sehr gut", "gut", "mittel", "müde", "krank"};

const char *const kNotes[] = {"Leichte Wadenprobleme, Einheit verkürzt.",
                              "Bei Regen und Wind gelaufen.",
                              "Sehr gute Beine heute.",
                              "Neue Schuhe eingelaufen.",
                              "Wenig geschlafen, Puls erhöht.",
                              "Mit der Gruppe auf der Bahn.",
                              "Wettkampf: 10 km Straßenlauf.",
                              "Hügeliges Gelände, ruhig gelaufen."};

} // namespace

bool DemoClub::hasData(Database &db) {
    // Block 0 and its fields come with every installation.
    const std::pair<const char *, const char *> checks[] = {
        {"PERSON", ""},
        {"TR", ""},
        {"TRTABLE", " where TableNr <> 0"},
        {"TRFIELD", " where TableNr <> 0"},
        {"TRVALUE", ""},
        {"FILTER", ""},
        {"AUSWERT", ""},
        {"ANALYSE", ""},
    };
    for (const auto &[table, where] : checks) {
        const QString name = QString::fromLatin1(table);
        if (!db.tableExists(name))
            continue;
        Statement st(db, QStringLiteral("select count(*) from %1%2")
                             .arg(quoteIdentifier(db.requireTable(name)), QString::fromLatin1(where)));
        if (st.step() && st.value(0).toLongLong() > 0)
            return true;
    }
    return !db.tables(QStringLiteral("TR_*")).isEmpty();
}

bool DemoClub::hasData(const Installation &installation) {
    const auto paths = Engine::readConfig(installation.engineIniPath());
    const QString dir = paths.value(QString::fromLatin1(Engine::kDblog),
                                    QDir(installation.dataBase()).filePath(QString::fromLatin1(Engine::kDblog)));
    if (!QFileInfo::exists(QDir(dir).filePath(QString::fromLatin1(Database::kFileName))))
        return false;
    Database db(QString::fromLatin1(Engine::kDblog), dir, false, true);
    return hasData(db);
}

DemoClub::Result DemoClub::create(Database &db, const Options &options) {
    const int s = options.serial;
    Result r;
    Transaction tx(db);
    if (hasData(db))
        throw VelmoraError(kHasData);

    // People: the coach first, then the groups he coaches, then the runners.
    r.coach = makePerson(
        db, s, 0,
        {"Brandt", "Jonas", "M", QDate(1978, 4, 12), nullptr, "0431 778120", "Hafenstraße 12", "24103", "Kiel"}, 0,
        false, QString::fromLatin1(kCoachPassword));
    updatePerson(
        db, s, r.coach,
        {{QStringLiteral("TrainerNr"), r.coach}, {QStringLiteral("Titel"), QStringLiteral("Trainer B-Lizenz")}});
    const PersonSpec groups[] = {{"Lauf Jugend", nullptr, "X", {}, nullptr, nullptr, nullptr, nullptr, nullptr},
                                 {"Lauf Aktive", nullptr, "X", {}, nullptr, nullptr, nullptr, nullptr, nullptr}};
    for (int g = 0; g < 2; ++g) {
        r.groups[g] = makePerson(db, s, r.coach, groups[g], 0, false);
        updatePerson(db, s, r.groups[g], {{QStringLiteral("GruppenNr"), r.groups[g]}});
    }
    updatePerson(db, s, r.coach, {{QStringLiteral("GruppenNr"), r.groups[1]}});
    const PersonSpec athletes[12] = {
        {"Petersen", "Lena", "F", QDate(2009, 3, 14), "U18", "0431 552301", "Lindenweg 4", "24106", "Kiel"},
        {"Hansen", "Malte", "M", QDate(2008, 9, 2), "U18", "0431 552877", "Am Wall 19", "24103", "Kiel"},
        {"Krüger", "Sophie", "F", QDate(2007, 6, 21), "U20", "0431 661045", "Schulstraße 7", "24114", "Kiel"},
        {"Jensen", "Finn", "M", QDate(2009, 11, 30), "U18", "04307 8812", "Dorfstraße 3", "24235", "Laboe"},
        {"Schröder", "Emma", "F", QDate(2006, 1, 9), "U20", "0431 552301", "Lindenweg 4", "24106", "Kiel"},
        {"Lorenzen", "Jannik", "M", QDate(2007, 8, 17), "U20", "0431 990214", "Feldstraße 88", "24105", "Kiel"},
        {"Claußen", "Anna", "F", QDate(1996, 5, 3), "W", "0431 334455", "Holtenauer Straße 150", "24105", "Kiel"},
        {"Möller", "Tim", "M", QDate(1992, 12, 11), "M30", "0431 712093", "Knooper Weg 61", "24116", "Kiel"},
        {"Thomsen", "Julia", "F", QDate(1989, 2, 27), "W35", "04340 1270", "Redder 2", "24220", "Flintbek"},
        {"Paulsen", "Hauke", "M", QDate(1985, 7, 8), "M40", "0431 247781", "Eckernförder Straße 9", "24103", "Kiel"},
        {"Nissen", "Mareike", "F", QDate(1999, 10, 19), "W", "0431 658800", "Sophienblatt 40", "24114", "Kiel"},
        {"Carstensen", "Ole", "M", QDate(1994, 4, 1), "M30", "04342 88015", "Bahnhofstraße 21", "24211", "Preetz"}};
    for (int i = 0; i < 12; ++i)
        r.athletes[i] = makePerson(db, s, r.coach, athletes[i], r.groups[i < 6 ? 0 : 1], true);

    // Blocks.
    r.blockEinheit = makeBlock(db, s, r.coach, QStringLiteral("Trainingseinheit"),
                               QStringLiteral("Zeiten, Umfang und Belastung einer Einheit"), false,
                               {{"Beginn", "Beginn", "Z", 0, "00:00:00\r23:59:59", "Uhr"},
                                {"Ende", "Ende", "Z", 0, "00:00:00\r23:59:59", "Uhr"},
                                {"Dauer", "Dauer", "I", 0, "0\r600", "min"},
                                {"Strecke", "Strecke", "F", 0, "0\r250", "km"},
                                {"Belastung", "Belastung", "N", 0, "1\r10", "(1-10)"}},
                               options.idxPath);
    r.blockUebungen = makeBlock(db, s, r.coach, QStringLiteral("Übungen"),
                                QStringLiteral("Kraft- und Athletikübungen, eine Zeile je Übung"), true,
                                {{"Uebung", "Übung", "X", 0, nullptr, nullptr},
                                 {"Saetze", "Sätze", "I", 0, "0\r20", nullptr},
                                 {"Wiederholungen", "Wdh.", "I", 0, "0\r100", nullptr},
                                 {"Gewicht", "Gewicht", "F", 0, "0\r300", "kg"}},
                                options.idxPath);
    r.blockNotizen = makeBlock(db, s, r.coach, QStringLiteral("Notizen"), QStringLiteral("Freie Bemerkungen"), false,
                               {{"Bemerkung", "Bemerkung", "M", 0, nullptr, nullptr}}, options.idxPath);
    r.blockBefinden =
        makeBlock(db, s, r.coach, QStringLiteral("Befinden"), QStringLiteral("Wie es dem Sportler geht"), false,
                  {{"Befinden", "Befinden", "C", 10, "sehr gut\rgut\rmittel\rmüde\rkrank", nullptr},
                   {"Ruhepuls", "Ruhepuls", "I", 0, "30\r120", "1/min"}},
                  options.idxPath);

    // Forms on the three levels.
    TTREList elements;
    r.formTag = makeForm(db, s, r.coach, QStringLiteral("Tagesprotokoll\rEine Trainingseinheit mit Übungen"), 0,
                         {r.blockEinheit, r.blockUebungen, r.blockBefinden, r.blockNotizen}, {}, elements);
    r.formWoche =
        makeForm(db, s, r.coach, QStringLiteral("Wochenplan\rGeplanter Umfang der Woche"), 1,
                 {r.blockEinheit, r.blockNotizen}, {QStringLiteral("Beginn"), QStringLiteral("Ende")}, elements);
    r.formZyklus =
        makeForm(db, s, r.coach, QStringLiteral("Zyklusplan\rSchwerpunkt und Umfang eines Zyklus"), 2,
                 {r.blockEinheit, r.blockNotizen}, {QStringLiteral("Beginn"), QStringLiteral("Ende")}, elements);
    const QStringList uebungen{QStringLiteral("Kniebeuge"),  QStringLiteral("Ausfallschritte"),
                               QStringLiteral("Kreuzheben"), QStringLiteral("Wadenheben"),
                               QStringLiteral("Rumpfstabi"), QStringLiteral("Lauf-ABC")};
    addPickValues(db, s, r.coach, {r.formTag, r.blockUebungen, 1}, uebungen);
    QList<int> uebungNr;
    {
        Statement st(db, QStringLiteral("select ValueNr from TRuseVAL where FormularNr = ? and TableNr = ? and "
                                        "FeldNr = 1 order by \"Order\""));
        st.bind(1, r.formTag);
        st.bind(2, r.blockUebungen);
        while (st.step())
            uebungNr << st.value(0).toInt();
    }

    // The diary: 104 weeks up to the Sunday before this week.
    const QDate thisMonday = options.today.addDays(1 - options.today.dayOfWeek());
    r.lastDay = thisMonday.addDays(-1);
    r.firstDay = thisMonday.addDays(-7 * 104);
    auto filenameOf = [&db](int tableNr) {
        Statement st(db, QStringLiteral("select Filename from TRTABLE where TableNr = ?"));
        st.bind(1, tableNr);
        return st.step() ? st.value(0).toString() : QString();
    };
    RowWriter tr(db, QStringLiteral("TR"),
                 {QStringLiteral("SerienNr"), QStringLiteral("TrNr"), QStringLiteral("PersonNr"),
                  QStringLiteral("Datum"), QStringLiteral("Beschreibung"), QStringLiteral("Timestamp"),
                  QStringLiteral("Woche"), QStringLiteral("Wochentag"), QStringLiteral("FormularNr"),
                  QStringLiteral("Art"), QStringLiteral("AutorNr"), QStringLiteral("ProjektNr")});
    const QStringList key{QStringLiteral("SerienNr"), QStringLiteral("TrNr"), QStringLiteral("Order")};
    RowWriter einheit(db, filenameOf(r.blockEinheit),
                      key + QStringList{QStringLiteral("Beginn"), QStringLiteral("Ende"), QStringLiteral("Dauer"),
                                        QStringLiteral("Strecke"), QStringLiteral("Belastung")});
    RowWriter uebung(db, filenameOf(r.blockUebungen),
                     key + QStringList{QStringLiteral("Uebung"), QStringLiteral("Saetze"),
                                       QStringLiteral("Wiederholungen"), QStringLiteral("Gewicht")});
    RowWriter notiz(db, filenameOf(r.blockNotizen), key + QStringList{QStringLiteral("Bemerkung")});
    RowWriter befinden(db, filenameOf(r.blockBefinden),
                       key + QStringList{QStringLiteral("Befinden"), QStringLiteral("Ruhepuls")});
    int trNr = nextEntryNumber(db, s);
    auto addEntry = [&](int person, int art, int form, const QDateTime &when, const QString &text) {
        const QDate day = when.date();
        tr.write({s, trNr, person, when, text, when.addSecs(2 * 3600), EntryRules::WeekText(day),
                  EntryRules::WeekdayText(day), form, art, r.coach, 0});
        return trNr++;
    };
    auto round1 = [](double v) { return std::round(v * 10.0) / 10.0; };

    for (int a = 0; a < 12; ++a) {
        Random rnd(kSeed * 1000 + quint64(a));
        const bool youth = a < 6;
        const double base = youth ? rnd.between(28, 40) : rnd.between(45, 75); // km per week at season factor 1
        const double paceFactor = youth ? rnd.between(1.0, 1.08) : rnd.between(0.92, 1.05);
        const int pulse = youth ? 52 + rnd.below(8) : 44 + rnd.below(12);
        int cycleStart = -1;
        double cycleKm = 0;
        for (int w = 0; w < 104; ++w) {
            const QDate monday = r.firstDay.addDays(7 * w);
            const int kw = WeekOfDate(monday);
            const double progression = 1.0 + 0.06 * (w / 52); // the second season a little more
            const bool recoveryWeek = w % 4 == 3;
            const double planKm = round1(base * seasonFactor(kw) * progression * (recoveryWeek ? 0.7 : 1.0));
            const int planLoad = recoveryWeek ? 4 : (kw >= 10 && kw <= 19 ? 7 : 6);
            // The week plan, written on the Monday.
            {
                const int e = addEntry(r.athletes[a], 13, r.formWoche, QDateTime(monday, QTime(0, 0)),
                                       QStringLiteral("Wochenplan KW %1").arg(kw));
                einheit.write(
                    {s, e, 0, QVariant(), QVariant(), int(std::lround(planKm * 5.4 * paceFactor)), planKm, planLoad});
                notiz.write({s, e, 0,
                             phaseName(kw) + (recoveryWeek ? QStringLiteral(", Entlastungswoche")
                                                           : QStringLiteral(", Belastungswoche"))});
            }
            // A cycle plan every four weeks.
            if (w % 4 == 0) {
                cycleStart = addEntry(r.athletes[a], 23, r.formZyklus, QDateTime(monday, QTime(0, 0)),
                                      QStringLiteral("Zyklus %1: %2").arg(w / 4 + 1).arg(phaseName(kw)));
                cycleKm = 0;
            }
            cycleKm += planKm;
            if (w % 4 == 3 && cycleStart > 0) {
                einheit.write({s, cycleStart, 0, QVariant(), QVariant(), int(std::lround(cycleKm * 5.4 * paceFactor)),
                               round1(cycleKm), 6});
                notiz.write({s, cycleStart, 0,
                             QStringLiteral("%1: drei Belastungswochen, eine Entlastungswoche.").arg(phaseName(kw))});
            }
            // The protocols of the week.
            const bool illWeek = rnd.chance(0.04);
            for (const Session &ses : kSessions) {
                if (youth && ses.weekday == 6)
                    continue;
                if (illWeek || rnd.chance(0.08))
                    continue; // missed: ill, exams, holidays
                const double share = youth ? ses.share / (1.0 - 0.16) : ses.share;
                const double km = round1(planKm * share * rnd.between(0.85, 1.12));
                const QDate day = monday.addDays(ses.weekday - 1);
                const QTime begin = ses.weekday >= 6 ? QTime(9, 30) : QTime(17, 30);
                const int minutes = int(std::lround(km * ses.pace * paceFactor)) + (ses.strength ? 30 : 0);
                const int e =
                    addEntry(r.athletes[a], 2, r.formTag, QDateTime(day, begin), QString::fromUtf8(ses.title));
                const int load = std::clamp(ses.load + rnd.below(3) - 1 - (recoveryWeek ? 2 : 0), 1, 10);
                einheit.write({s, e, 0, begin, begin.addSecs(minutes * 60), minutes, km, load});
                const int mood = rnd.chance(0.55) ? 1 : rnd.chance(0.5) ? 0 : rnd.chance(0.7) ? 2 : 3;
                befinden.write(
                    {s, e, 0, QString::fromUtf8(kBefinden[mood]), pulse + rnd.below(5) + (mood >= 3 ? 6 : 0)});
                if (ses.strength && !uebungNr.isEmpty()) {
                    // Three or four exercises; heavier in the preparation periods.
                    const int count = 3 + rnd.below(2);
                    const int first = rnd.below(int(uebungNr.size()));
                    const double strength = (kw >= 45 || kw <= 19) ? 1.0 : 0.75;
                    for (int k = 0; k < count; ++k) {
                        const int u = (first + k) % int(uebungNr.size());
                        const bool weights = u <= 3;
                        uebung.write({s, e, k, uebungNr[u], weights ? 3 + rnd.below(2) : 2 + rnd.below(2),
                                      weights ? 8 + rnd.below(5) : 12 + rnd.below(10),
                                      weights ? QVariant(round1((youth ? 20 : 35) * strength + 2.5 * rnd.below(6)))
                                              : QVariant()});
                    }
                }
                if (rnd.chance(0.1))
                    notiz.write({s, e, 0, QString::fromUtf8(kNotes[rnd.below(int(std::size(kNotes)))])});
            }
        }
    }

    // Filters: the last four weeks, this youth group's week plans, the active runners' protocols.
    QList<qint64> jugend, aktive;
    for (int i = 0; i < 12; ++i)
        (i < 6 ? jugend : aktive) << r.athletes[i];
    addFilter(db, s, r.coach, QStringLiteral("Protokolle der letzten 4 Wochen"), FilterRules::artFromChoices(1, 0),
              FilterRules::rangeValue(true, QStringLiteral("-28"), true),
              FilterRules::rangeValue(true, QStringLiteral("0"), true), true, {}, {r.formTag});
    addFilter(db, s, r.coach, QStringLiteral("Wochenpläne Jugend"), FilterRules::artFromChoices(2, 1), QVariant(),
              QVariant(), false, jugend, {});
    addFilter(db, s, r.coach, QStringLiteral("Protokolle Aktive im letzten Jahr"), FilterRules::artFromChoices(1, 0),
              QDateTime(r.lastDay.addDays(-364), QTime(0, 0)), QDateTime(r.lastDay, QTime(0, 0)), false, aktive,
              {r.formTag});

    // Evaluations.
    const QString weekAxis = QStringLiteral("EXTRACT(YEAR FROM tr.Datum)*100 + cast(tr.Woche as Integer)");
    const QString monthAxis = QStringLiteral("EXTRACT(YEAR FROM tr.Datum)*100 + EXTRACT(MONTH FROM tr.Datum)");
    r.evalWoche = addEvaluation(db, s, r.coach, QStringLiteral("Umfang pro Woche"),
                                QStringLiteral("Kilometer, Minuten und mittlere Belastung je Kalenderwoche"), false, 2,
                                0, {r.blockEinheit},
                                {{QStringLiteral("Woche"), QStringLiteral("X"), 0, 1, 0, weekAxis},
                                 {QStringLiteral("Kilometer"), QStringLiteral("D"), r.blockEinheit, 4, 1, {}},
                                 {QStringLiteral("Minuten"), QStringLiteral("D"), r.blockEinheit, 3, 1, {}},
                                 {QStringLiteral("Belastung"), QStringLiteral("D"), r.blockEinheit, 5, 2, {}}});
    r.evalKreuz = addEvaluation(db, s, r.coach, QStringLiteral("Sätze je Übung und Monat"),
                                QStringLiteral("Kreuztabelle: Monate als Zeilen, Übungen als Spalten"), true, 6, 3,
                                {r.blockUebungen},
                                {{QStringLiteral("Uebung"), QStringLiteral("X"), r.blockUebungen, 1, 0, {}},
                                 {QStringLiteral("Monat"), QStringLiteral("Y"), 0, 1, 0, monthAxis},
                                 {QStringLiteral("Saetze"), QStringLiteral("D"), r.blockUebungen, 2, 1, {}}});
    r.evalPlanIst = addEvaluation(
        db, s, r.coach, QStringLiteral("Plan minus Protokoll"),
        QStringLiteral("Im Wochenplan mit Vergleich zu den Protokollen (IST) ausführen: geplante minus gelaufene "
                       "Kilometer und Minuten je Woche"),
        false, 2, 0, {r.blockEinheit},
        {{QStringLiteral("Woche"), QStringLiteral("X"), 0, 1, 0, weekAxis},
         {QStringLiteral("Kilometer"), QStringLiteral("D"), r.blockEinheit, 4, 1, {}},
         {QStringLiteral("Minuten"), QStringLiteral("D"), r.blockEinheit, 3, 1, {}}});
    r.evalSportler = addEvaluation(db, s, r.coach, QStringLiteral("Umfang je Sportler"),
                                   QStringLiteral("Kilometer je Sportler der Gruppe"), false, 5, 0, {r.blockEinheit},
                                   {{QStringLiteral("Person"), QStringLiteral("X"), -1, 0, 0,
                                     QStringLiteral("Person.Nachname+\" \"+Person.Vorname as Person")},
                                    {QStringLiteral("Kilometer"), QStringLiteral("D"), r.blockEinheit, 4, 1, {}}});

    // The workbook with two linked evaluations.
    r.workbook = nextObjectKey(db, QStringLiteral("ANALYSE"), QStringLiteral("AnalyseNr"), s);
    InsertRow(db, QStringLiteral("ANALYSE"),
              {{QStringLiteral("AnalyseNr"), r.workbook},
               {QStringLiteral("AnalyseName"), QStringLiteral("Saisonanalyse")},
               {QStringLiteral("TrainerNr"), r.coach},
               {QStringLiteral("SportartNr"), 0},
               {QStringLiteral("BLOB"), workbookFile()},
               {QStringLiteral("Files"),
                options.workbookPath.isEmpty() ? QStringLiteral("Saisonanalyse.ods") : options.workbookPath}});
    InsertRow(db, QStringLiteral("ANAuseAW"),
              {{QStringLiteral("AnalyseNr"), r.workbook},
               {QStringLiteral("AuswertungNr"), r.evalWoche},
               {QStringLiteral("PersonNr"), 0},
               {QStringLiteral("Sheet"), QStringLiteral("Umfang")}});
    InsertRow(db, QStringLiteral("ANAuseAW"),
              {{QStringLiteral("AnalyseNr"), r.workbook},
               {QStringLiteral("AuswertungNr"), r.evalPlanIst},
               {QStringLiteral("PersonNr"), 0},
               {QStringLiteral("Sheet"), QStringLiteral("PlanIst")}});
    tx.commit();
    return r;
}

DemoClub::Result DemoClub::createInstallation(Installation &installation, int serial, const QString &idxPath) {
    if (hasData(installation))
        throw VelmoraError(kHasData);
    if (serial == 0 && installation.storedSerial() == 0)
        serial = 1;
    installation.initialize(serial);
    const int s = installation.storedSerial();
    Options o;
    o.serial = s;
    o.idxPath = idxPath.isEmpty() ? QDir(installation.configDir()).filePath(QStringLiteral("velmora5.IDX")) : idxPath;
    o.workbookPath = QDir(installation.configDir()).filePath(QStringLiteral("Saisonanalyse.ods"));
    const Result r = create(installation.dblog(), o);
    const QString previous = SettingsPath();
    SetSettingsPath(installation.settingsPath());
    WriteClubSettings(QString::fromUtf8(kClubName), QString::fromLatin1(kClubKuerzel));
    WriteStartupUser(r.coach);
    WriteStartupReg(0);
    WriteStartupLevel(0);
    if (!previous.isEmpty())
        SetSettingsPath(previous);
    return r;
}

QByteArray DemoClub::workbookFile() {
    static const char kContent[] =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<office:document-content xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
        "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
        "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" office:version=\"1.2\">"
        "<office:body><office:spreadsheet><table:table table:name=\"Saison\">"
        "<table:table-row><table:table-cell office:value-type=\"string\"><text:p>Saisonanalyse</text:p>"
        "</table:table-cell></table:table-row>"
        "<table:table-row><table:table-cell office:value-type=\"string\"><text:p>Umfang: Kilometer, Minuten und "
        "Belastung je Woche (Umfang.dbf)</text:p></table:table-cell></table:table-row>"
        "<table:table-row><table:table-cell office:value-type=\"string\"><text:p>PlanIst: Plan minus Protokoll je "
        "Woche (PlanIst.dbf)</text:p></table:table-cell></table:table-row>"
        "</table:table></office:spreadsheet></office:body></office:document-content>\n";
    static const char kManifest[] =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<manifest:manifest xmlns:manifest=\"urn:oasis:names:tc:opendocument:xmlns:manifest:1.0\" "
        "manifest:version=\"1.2\">"
        "<manifest:file-entry manifest:full-path=\"/\" manifest:version=\"1.2\" "
        "manifest:media-type=\"application/vnd.oasis.opendocument.spreadsheet\"/>"
        "<manifest:file-entry manifest:full-path=\"content.xml\" manifest:media-type=\"text/xml\"/>"
        "</manifest:manifest>\n";
    static const char kMime[] = "application/vnd.oasis.opendocument.spreadsheet";

    QTemporaryDir dir;
    if (!dir.isValid())
        return {};
    const QString path = dir.filePath(QStringLiteral("Saisonanalyse.ods"));
    int error = 0;
    zip_t *za = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!za)
        return {};
    bool ok = true;
    // The media type comes first and uncompressed, as the format asks.
    auto add = [&](const char *name, const char *data, size_t size, bool store) {
        zip_source_t *src = zip_source_buffer(za, data, size, 0);
        if (!src) {
            ok = false;
            return;
        }
        const zip_int64_t idx = zip_file_add(za, name, src, ZIP_FL_OVERWRITE | ZIP_FL_ENC_UTF_8);
        if (idx < 0) {
            zip_source_free(src);
            ok = false;
            return;
        }
        if (store)
            zip_set_file_compression(za, zip_uint64_t(idx), ZIP_CM_STORE, 0);
    };
    add("mimetype", kMime, sizeof(kMime) - 1, true);
    add("META-INF/manifest.xml", kManifest, sizeof(kManifest) - 1, false);
    add("content.xml", kContent, sizeof(kContent) - 1, false);
    if (zip_close(za) != 0) {
        zip_discard(za);
        return {};
    }
    QFile f(path);
    if (!ok || !f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

} // namespace velmora
