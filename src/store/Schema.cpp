#include "store/Schema.h"

#include "store/Cursor.h"

namespace velmora {

namespace {
using T = FieldType;

FieldDef A(const char *n, int size) { return FieldDef(QString::fromUtf8(n), T::Alpha, size); }
FieldDef F(const char *n, FieldType t, const char *def = nullptr) {
    return FieldDef(QString::fromUtf8(n), t, (t == T::Memo || t == T::FmtMemo) ? 1 : 0, false,
                    def ? QString::fromUtf8(def) : QString());
}
IndexDef I(const char *name, const char *fields, bool unique = false) {
    return IndexDef{QString::fromUtf8(name), QString::fromUtf8(fields).split(QLatin1Char(';')), unique};
}
QStringList K(const char *fields) { return QString::fromUtf8(fields).split(QLatin1Char(';')); }

std::vector<TableDef> makeTables() {
    std::vector<TableDef> t;
    // The first twelve columns of TR stand in this order; the entry editor
    // addresses Woche by its position.
    t.push_back({QStringLiteral("TR"),
                 {F("SerienNr", T::Short), F("TrNr", T::Long), F("PersonNr", T::Long), F("Datum", T::Timestamp),
                  F("Beschreibung", T::Memo), F("Timestamp", T::Timestamp), A("Woche", 2), A("Wochentag", 2),
                  F("FormularNr", T::Long), F("Art", T::Short), F("AutorNr", T::Long), F("ProjektNr", T::Long),
                  A("Kat", 1), F("Zeit", T::Time)},
                 K("SerienNr;TrNr"),
                 {I("KatPersonDatum", "Kat;PersonNr;Datum;Zeit"), I("PersonArtDatum", "PersonNr;Art;Datum"),
                  I("FormularNr", "FormularNr")}});
    t.push_back({QStringLiteral("TRTABLE"),
                 {FieldDef(QStringLiteral("TableNr"), T::Long, 0, true), A("Name", 40), F("Beschreibung", T::Memo),
                  F("Art", T::Alpha, "'T'"), A("Filename", 40), F("Grid", T::Logical, "0"),
                  F("Endless", T::Logical, "0"), F("Client", T::Logical, "0"), F("Height", T::Short),
                  F("Width", T::Short), F("TrainerNr", T::Long), F("State", T::Short, "0"),
                  F("Timestamp", T::Timestamp)},
                 K("TableNr"),
                 {I("Name", "Name")}});
    t.back().fields[3].size = 1;
    t.push_back({QStringLiteral("TRFIELD"),
                 {F("TableNr", T::Long), F("Order", T::Short), A("Feldname", 25), A("Beschreibung", 25), A("Typ", 1),
                  F("Größe", T::Short), F("Strikt", T::Logical, "0"), F("Werte", T::Memo),
                  F("Calculated", T::Logical, "0"), A("DisplayMask", 12), F("DisplayWidth", T::Short),
                  A("Prefix", 25), A("Postfix", 25), F("Left", T::Short), F("Top", T::Short), F("Width", T::Short),
                  F("Height", T::Short), F("PrefixLeft", T::Short), F("PrefixTop", T::Short),
                  F("PostfixLeft", T::Short), F("PostfixTop", T::Short), F("Visible", T::Logical, "1")},
                 K("TableNr;Order"),
                 {I("TableNr", "TableNr")}});
    t.push_back({QStringLiteral("TRuseTBL"),
                 {F("FormularNr", T::Long), F("Order", T::Short), F("TableNr", T::Long)},
                 K("FormularNr;Order;TableNr"),
                 {I("FormularNr", "FormularNr")}});
    t.push_back({QStringLiteral("FFIELD"),
                 {F("FormularNr", T::Long), F("Order", T::Short), F("TableNr", T::Long), F("FeldNr", T::Short),
                  A("Prefix", 25), A("Postfix", 25), F("Visible", T::Logical, "1"), F("Print", T::Logical, "1"),
                  F("Werte", T::Memo)},
                 K("FormularNr;Order"),
                 {}});
    t.push_back({QStringLiteral("TRVALUE"),
                 {F("ValueNr", T::Long), A("Value", 24), F("Beschreibung", T::Memo), F("PersonNr", T::Long),
                  F("State", T::Short, "0"), F("Timestamp", T::Timestamp)},
                 K("ValueNr"),
                 {I("Value", "Value")}});
    t.push_back({QStringLiteral("TRuseVAL"),
                 {F("FormularNr", T::Long), F("TableNr", T::Long), F("FeldNr", T::Short), F("ValueNr", T::Long),
                  F("Order", T::Short)},
                 K("FormularNr;TableNr;FeldNr;Order"),
                 {}});
    t.push_back({QStringLiteral("PERSON"),
                 {F("PersonNr", T::Long), A("Nachname", 20), A("Vorname", 20), A("Titel", 20),
                  F("Geburtsdatum", T::Date), A("Altersklasse", 3), A("Sex", 1), F("GruppenNr", T::Long),
                  F("TrainerNr", T::Long), F("Paßwort", T::Long), F("Freigabe", T::Long),
                  F("LeserechteGruppe", T::Logical, "0"), F("LeserechteAndere", T::Logical, "0"),
                  F("Userlevel", T::Short, "1"), A("Adresse", 20), F("SportartNr", T::Long), A("Status", 1),
                  F("Angelegt", T::Timestamp), F("Timestamp", T::Timestamp)},
                 K("PersonNr"),
                 {I("PersonNrAngelegt", "PersonNr;Angelegt"), I("StatusName", "Status;Nachname;Vorname;Geburtsdatum")}});
    t.push_back({QStringLiteral("ADRESSE"),
                 {A("Telefon", 20), A("ADRESSE", 40), A("PLZ", 10), A("Ort", 30)},
                 K("Telefon"),
                 {}});
    t.push_back({QStringLiteral("AUSWERT"),
                 {F("AuswertungNr", T::Long), A("Auswertung", 40), F("Bemerkung", T::Memo), F("TrainerNr", T::Long),
                  F("Gruppierung", T::Logical, "0"), F("Kreuztabelle", T::Logical, "0"), F("ArtXAchse", T::Long),
                  F("ArtYAchse", T::Long), F("XAchse", T::Long), F("YAchse", T::Long),
                  F("Diagrammeinstellung", T::Long), F("SQL1", T::Memo), F("SQL2", T::Memo),
                  F("Geändert", T::Logical, "1")},
                 K("AuswertungNr"),
                 {}});
    t.push_back({QStringLiteral("AFIELD"),
                 {F("AuswertungNr", T::Long), F("FeldNr", T::Short), A("Name", 25), A("Typ", 1), F("TableNr", T::Long),
                  F("Order", T::Short), A("ArithmOp", 12), F("Agregatfunktion", T::Short),
                  F("Sichtbar", T::Logical, "1"), F("Gruppierung", T::Logical, "0"), F("SQL", T::Logical, "0"),
                  F("Bedingung", T::Memo), A("Display", 50)},
                 K("AuswertungNr;FeldNr"),
                 {}});
    t.push_back({QStringLiteral("ATABLE"),
                 {F("AuswertungNr", T::Long), F("TableNr", T::Long)},
                 {},
                 {I("AuswertungNr", "AuswertungNr"), I("Table", "TableNr")}});
    t.push_back({QStringLiteral("ANALYSE"),
                 {F("AnalyseNr", T::Long), A("AnalyseName", 30), F("TrainerNr", T::Long), F("SportartNr", T::Long),
                  F("BLOB", T::Blob), F("Files", T::Memo), F("Timestamp", T::Timestamp)},
                 K("AnalyseNr"),
                 {}});
    t.push_back({QStringLiteral("ANAuseAW"),
                 {F("AnalyseNr", T::Long), F("AuswertungNr", T::Long), F("PersonNr", T::Long), A("Typ", 1),
                  A("Sheet", 20)},
                 {},
                 {I("AnalyseNr", "AnalyseNr")}});
    t.push_back({QStringLiteral("FILTER"),
                 {F("FilterNr", T::Long), A("Name", 40), F("PersonNr", T::Long), F("Art", T::Short),
                  F("Von", T::Timestamp), F("Bis", T::Timestamp), F("Relativ", T::Logical, "0"),
                  F("Autoren", T::Memo), F("Personen", T::Memo), F("Formulare", T::Memo), F("Projekte", T::Memo),
                  F("Timestamp", T::Timestamp)},
                 K("FilterNr"),
                 {}});
    t.push_back({QStringLiteral("OPEN"),
                 {A("Type", 1), A("Name", 40), F("Key1", T::Long), F("Key2", T::Long), F("Gruppe", T::Long),
                  F("Trainer", T::Long)},
                 {},
                 {I("TypeNameKey1", "Type;Name;Key1")}});
    t.push_back({QStringLiteral("Profil"),
                 {F("PersonNr", T::Long), F("OpenData", T::Long), F("OpenExtend", T::Logical, "0"),
                  F("OpenVon", T::Date), F("OpenBis", T::Date), F("OpenFormFilter", T::Long)},
                 K("PersonNr"),
                 {}});
    return t;
}

struct Block0Field {
    int order;
    const char *name;
    const char *caption;
    const char *type;
    int size;
    int top, width, height;
};
// The entry's own columns offered as fields of block 0. Orders 1 and 4 are
// the ones forms take over, so they stand first: a date wide enough for its
// time and a description of a few lines. The others serve evaluations.
constexpr Block0Field kBlock0Fields[] = {
    {1, "Datum", "Datum", "T", 0, 4, 150, 20},
    {4, "Beschreibung", "Beschreibung", "M", 0, 28, 440, 60},
    {2, "Woche", "Woche", "A", 2, 92, 100, 20},
    {3, "Wochentag", "Wochentag", "A", 2, 116, 100, 20},
    {5, "PersonNr", "Person", "I", 0, 140, 100, 20},
    {6, "AutorNr", "Autor", "I", 0, 164, 100, 20},
};
// The header shows date and description.
constexpr int kBlock0Height = 92;
} // namespace

const std::vector<TableDef> &fixedTables() {
    static const std::vector<TableDef> tables = [] {
        std::vector<TableDef> t = makeTables();
        // Key columns are declared NOT NULL (the engine sets it anyway).
        for (TableDef &def : t)
            for (FieldDef &f : def.fields)
                if (def.primaryKey.contains(f.name, Qt::CaseInsensitive))
                    f.required = true;
        return t;
    }();
    return tables;
}

const TableDef &fixedTable(const QString &name) {
    for (const TableDef &t : fixedTables())
        if (t.name.compare(Database::plainTableName(name), Qt::CaseInsensitive) == 0)
            return t;
    throw EngineError(QStringLiteral("no such table: %1").arg(name));
}

void SetDefaultFieldLayout(Cursor &fields, int top) {
    fields.setValue(QStringLiteral("Left"), 100);
    fields.setValue(QStringLiteral("Top"), top);
    fields.setValue(QStringLiteral("Width"), 100);
    fields.setValue(QStringLiteral("Height"), 20);
    fields.setValue(QStringLiteral("DisplayWidth"), 10);
    fields.setValue(QStringLiteral("PrefixLeft"), 20);
    fields.setValue(QStringLiteral("PrefixTop"), top + 2);
    fields.setValue(QStringLiteral("PostfixLeft"), 206);
    fields.setValue(QStringLiteral("PostfixTop"), top + 2);
}

FieldDefs blockKeyFields() {
    return {FieldDef(QStringLiteral("SerienNr"), T::Short), FieldDef(QStringLiteral("TrNr"), T::Long),
            FieldDef(QStringLiteral("Order"), T::Short)};
}

void createFixedTables(Database &db) {
    // A write-protected database is read as it is; the document list and
    // the open dialog's profile are the session's own.
    if (db.isReadOnly()) {
        for (const char *working : {"OPEN", "Profil"})
            if (db.tableExists(QLatin1String(working)))
                db.keepSessionCopy(QLatin1String(working));
        return;
    }
    Transaction tx(db);
    for (const TableDef &def : fixedTables())
        if (!db.tableExists(def.name))
            db.createTable(def);
    // Databases made before key columns were declared NOT NULL.
    for (const TableDef &def : fixedTables())
        if (!def.primaryKey.isEmpty())
            db.rebuildWithRequiredKey(def.name);
    for (const QString &block : db.tables(QStringLiteral("TR_*")))
        db.rebuildWithRequiredKey(block);

    Cursor blocks(db, QStringLiteral("TRTABLE"));
    blocks.setAutoTimestamp(false);
    blocks.open();
    if (!blocks.findKey({0})) {
        blocks.append();
        blocks.setValue(QStringLiteral("TableNr"), 0);
        blocks.setValue(QStringLiteral("Name"), QStringLiteral("Tagebucheintrag"));
        blocks.setValue(QStringLiteral("Beschreibung"), QStringLiteral("Die eigenen Felder jedes Eintrags"));
        blocks.setValue(QStringLiteral("Art"), QStringLiteral("S"));
        blocks.setValue(QStringLiteral("Filename"), QStringLiteral("TR"));
        blocks.setValue(QStringLiteral("Height"), kBlock0Height);
        blocks.setValue(QStringLiteral("TrainerNr"), 0);
        blocks.post();
    }
    Cursor fields(db, QStringLiteral("TRFIELD"));
    fields.open();
    for (const Block0Field &b : kBlock0Fields) {
        const int y = b.top;
        if (fields.findKey({0, b.order}))
            continue;
        fields.append();
        fields.setValue(QStringLiteral("TableNr"), 0);
        fields.setValue(QStringLiteral("Order"), b.order);
        fields.setValue(QStringLiteral("Feldname"), QString::fromUtf8(b.name));
        fields.setValue(QStringLiteral("Beschreibung"), QString::fromUtf8(b.caption));
        fields.setValue(QStringLiteral("Typ"), QString::fromUtf8(b.type));
        fields.setValue(QStringLiteral("Größe"), b.size);
        fields.setValue(QStringLiteral("Prefix"), QString::fromUtf8(b.caption));
        SetDefaultFieldLayout(fields, y);
        fields.setValue(QStringLiteral("Width"), b.width);
        fields.setValue(QStringLiteral("Height"), b.height);
        fields.setValue(QStringLiteral("Visible"), true);
        fields.post();
    }
    tx.commit();
}

} // namespace velmora
