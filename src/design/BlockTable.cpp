#include "design/BlockTable.h"

#include "store/Cursor.h"
#include "store/Schema.h"

#include <QFile>
#include <cstring>

namespace velmora {

namespace {
constexpr TypeCode kCodes[] = {
    {QChar('A'), FieldType::Alpha, 0},    {QChar('C'), FieldType::Alpha, 0},  {QChar('X'), FieldType::Long, 0},
    {QChar('M'), FieldType::Memo, 1},     {QChar('I'), FieldType::Long, 0},   {QChar('S'), FieldType::Short, 0},
    {QChar('F'), FieldType::Number, 0},   {QChar('N'), FieldType::Short, 0},  {QChar('Z'), FieldType::Time, 0},
    {QChar('L'), FieldType::Logical, 0},  {QChar('D'), FieldType::Date, 0},   {QChar('T'), FieldType::Timestamp, 0},
    {QChar('E'), FieldType::FmtMemo, 1},
};

bool in(QChar c, const char *set) { return c.unicode() < 128 && std::strchr(set, char(c.unicode())) && c != QChar(0); }
} // namespace

const TypeCode *typeCodeInfo(QChar code) {
    const QChar c = code.toUpper();
    for (const TypeCode &t : kCodes)
        if (t.code == c)
            return &t;
    return nullptr;
}

bool isSizedCode(QChar code) { return in(code.toUpper(), "AC"); }
bool isRangeCode(QChar code) { return in(code.toUpper(), "FINSZ"); }
bool isListCode(QChar code) { return code.toUpper() == QLatin1Char('C'); }
bool isStrictCode(QChar code) { return in(code.toUpper(), "NX"); }
bool isGridForbiddenCode(QChar code) { return in(code.toUpper(), "CMN"); }
int defaultSizeOfCode(QChar code) { return in(code.toUpper(), "ACME") ? 1 : 0; }

FieldDef BlockColumn(const QString &feldname, const QString &typ, int groesse) {
    const TypeCode *t = typeCodeInfo(typ.isEmpty() ? QChar() : typ.at(0));
    if (!t)
        throw VelmoraError(QStringLiteral("Das Feld %1 hat den unbekannten Typ \"%2\".").arg(feldname, typ));
    const int size = isSizedCode(t->code) ? std::max(groesse, 1) : t->fixedSize;
    return FieldDef(feldname, t->column, size);
}

TableDef BlockTableDef(Database &db, int tableNr, const QString &filename) {
    TableDef def;
    def.name = filename;
    def.fields = {FieldDef(QStringLiteral("SerienNr"), FieldType::Short), FieldDef(QStringLiteral("TrNr"), FieldType::Long),
                  FieldDef(QStringLiteral("Order"), FieldType::Short)};
    def.primaryKey = {QStringLiteral("SerienNr"), QStringLiteral("TrNr"), QStringLiteral("Order")};
    Cursor fields(db, QStringLiteral("TRFIELD"));
    fields.setOrder(QStringLiteral("TableNr;Order"));
    fields.setRange({tableNr}, {tableNr});
    fields.setReadOnly(true);
    fields.open();
    for (; !fields.eof(); fields.next())
        def.fields.push_back(BlockColumn(fields.asString(QStringLiteral("Feldname")), fields.asString(QStringLiteral("Typ")),
                                         fields.asInt(QStringLiteral("Größe"))));
    return def;
}

void CreateBlockTable(Database &db, int tableNr, const QString &filename) {
    db.createTable(BlockTableDef(db, tableNr, filename));
}

void AppendIndexDescription(const QString &idxPath, const QString &tableName) {
    QFile f(idxPath);
    if (!f.open(QIODevice::Append | QIODevice::Text))
        throw VelmoraError(QStringLiteral("Die Indexbeschreibung %1 kann nicht geschrieben werden: %2").arg(idxPath, f.errorString()));
    const QString section = QStringLiteral("\n[%1.DB]\nIndexCount=1\nIndexName0=\nIndexFields0=SerienNr;TrNr;Order\n"
                                           "IndexPrim0=1\nIndexUniq0=1\nIndexDesc0=0\nIndexCase0=0\nIndexExpr0=0\n")
                                .arg(tableName);
    const QByteArray bytes = section.toUtf8();
    if (f.write(bytes) != bytes.size())
        throw VelmoraError(QStringLiteral("Die Indexbeschreibung %1 kann nicht geschrieben werden: %2").arg(idxPath, f.errorString()));
}

void FinishBlock(Database &db, int tableNr, const QString &idxPath) {
    Transaction tx(db);
    // Form 0 holds exactly the block finished last.
    Cursor use(db, QStringLiteral("TRuseTBL"));
    use.setOrder(QStringLiteral("FormularNr;Order;TableNr"));
    use.open();
    if (!use.eof() && use.asInt(QStringLiteral("FormularNr")) == 0) {
        use.edit();
        use.setValue(QStringLiteral("TableNr"), tableNr);
    } else {
        use.append();
        use.setValue(QStringLiteral("FormularNr"), 0);
        use.setValue(QStringLiteral("Order"), 0);
        use.setValue(QStringLiteral("TableNr"), tableNr);
    }
    use.post();
    db.execLocal(QStringLiteral("delete from FFIELD where FormularNr = 0"));

    Cursor fields(db, QStringLiteral("TRFIELD"));
    fields.setOrder(QStringLiteral("TableNr;Order"));
    fields.setRange({tableNr}, {tableNr});
    fields.open();
    int y = 4, count = 0;
    struct Field {
        int order;
        QVariant prefix, postfix, werte;
    };
    std::vector<Field> list;
    for (fields.first(); !fields.eof(); fields.next()) {
        fields.edit();
        SetDefaultFieldLayout(fields, y);
        fields.post();
        y += fields.asInt(QStringLiteral("Height")) + 4;
        ++count;
        list.push_back({fields.asInt(QStringLiteral("Order")), fields.value(QStringLiteral("Prefix")),
                        fields.value(QStringLiteral("Postfix")), fields.value(QStringLiteral("Werte"))});
    }
    Cursor block(db, QStringLiteral("TRTABLE"));
    block.open();
    if (!block.findKey({tableNr}))
        throw EngineError(QStringLiteral("Der Baustein %1 existiert nicht.").arg(tableNr));
    const QString filename = block.asString(QStringLiteral("Filename"));
    block.edit();
    block.setValue(QStringLiteral("Client"), count == 1 || block.asBool(QStringLiteral("Grid")));
    block.setValue(QStringLiteral("Height"), y);
    block.post();

    CreateBlockTable(db, tableNr, filename);

    Cursor ffield(db, QStringLiteral("FFIELD"));
    ffield.open();
    int order = 0;
    for (const Field &f : list) {
        // Of block 0 (the entry's own columns) only date and description are taken.
        if (tableNr == 0 && f.order != 1 && f.order != 4)
            continue;
        ffield.append();
        ffield.setValue(QStringLiteral("FormularNr"), 0);
        ffield.setValue(QStringLiteral("Order"), order++);
        ffield.setValue(QStringLiteral("TableNr"), tableNr);
        ffield.setValue(QStringLiteral("FeldNr"), f.order);
        ffield.setValue(QStringLiteral("Prefix"), f.prefix);
        ffield.setValue(QStringLiteral("Postfix"), f.postfix);
        ffield.setValue(QStringLiteral("Werte"), f.werte);
        ffield.post();
    }
    // The description file is written last, so that a failure before it
    // leaves no section for a table that was never created.
    AppendIndexDescription(idxPath, filename);
    tx.commit();
}

} // namespace velmora
