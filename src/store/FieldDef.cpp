#include "store/FieldDef.h"

#include <QRegularExpression>

namespace velmora {

namespace {
struct TypeName {
    FieldType type;
    const char *name;
    const char *storage;
};
constexpr TypeName kTypes[] = {
    {FieldType::Alpha, "ALPHA", "TEXT"},         {FieldType::Short, "SHORT", "INTEGER"},
    {FieldType::Long, "LONG", "INTEGER"},        {FieldType::AutoInc, "AUTOINC", "INTEGER"},
    {FieldType::Number, "NUMBER", "REAL"},       {FieldType::Money, "MONEY", "REAL"},
    {FieldType::Logical, "LOGICAL", "INTEGER"},  {FieldType::Date, "DATE", "TEXT"},
    {FieldType::Time, "TIME", "TEXT"},           {FieldType::Timestamp, "TIMESTAMP", "TEXT"},
    {FieldType::Memo, "MEMO", "TEXT"},           {FieldType::FmtMemo, "FMTMEMO", "TEXT"},
    {FieldType::Blob, "BLOB", ""},               {FieldType::Graphic, "GRAPHIC", "BLOB"},
};
} // namespace

QString fieldTypeName(FieldType t) {
    for (const auto &tn : kTypes)
        if (tn.type == t)
            return QString::fromLatin1(tn.name);
    return QStringLiteral("UNKNOWN");
}

QString declaredType(const FieldDef &f) {
    for (const auto &tn : kTypes) {
        if (tn.type != f.type)
            continue;
        QString s = QString::fromLatin1(tn.name);
        if (*tn.storage)
            s += QLatin1Char(' ') + QString::fromLatin1(tn.storage);
        if (f.type == FieldType::Alpha)
            s += QStringLiteral("(%1)").arg(f.size > 0 ? f.size : 1);
        return s;
    }
    return QStringLiteral("BLOB");
}

FieldType parseDeclaredType(const QString &declared, int *size) {
    static const QRegularExpression re(QStringLiteral(R"(^\s*([A-Za-z]+)[^(]*(?:\(\s*(\d+)\s*\))?)"));
    const auto m = re.match(declared);
    FieldType result = FieldType::Unknown;
    int sz = 0;
    if (m.hasMatch()) {
        const QString head = m.captured(1).toUpper();
        for (const auto &tn : kTypes)
            if (head == QLatin1String(tn.name))
                result = tn.type;
        if (result == FieldType::Unknown) {
            // Tables made by other means (an SQL "create table") still read back sensibly.
            if (head.contains(QLatin1String("INT")))
                result = FieldType::Long;
            else if (head.contains(QLatin1String("CHAR")) || head == QLatin1String("TEXT"))
                result = FieldType::Alpha;
            else if (head == QLatin1String("REAL") || head.contains(QLatin1String("FLOA")) ||
                     head.contains(QLatin1String("DOUB")) || head == QLatin1String("NUMERIC"))
                result = FieldType::Number;
        }
        sz = m.captured(2).toInt();
    }
    if (result == FieldType::Alpha && sz <= 0)
        sz = 255;
    if (result == FieldType::Memo || result == FieldType::FmtMemo)
        sz = 1;
    if (result != FieldType::Alpha && result != FieldType::Memo && result != FieldType::FmtMemo)
        sz = 0;
    if (size)
        *size = sz;
    return result;
}

} // namespace velmora
