#pragma once

#include <QString>
#include <QStringList>
#include <vector>

namespace velmora {

// Field types of the tables. The declared column type names the field type
// first and the storage class second ("ALPHA TEXT(25)", "SHORT INTEGER"), so
// that the definitions can be read back and SQLite's affinity keeps text as
// text ("05" stays "05" in a week column).
enum class FieldType {
    Unknown,
    Alpha,      // text of a fixed maximal width
    Short,      // int16
    Long,       // int32
    AutoInc,
    Number,     // 8-byte floating point
    Money,
    Logical,    // 0/1
    Date,       // yyyy-MM-dd
    Time,       // HH:mm:ss.zzz
    Timestamp,  // yyyy-MM-dd HH:mm:ss.zzz
    Memo,
    FmtMemo,
    Blob,
    Graphic,
};

struct FieldDef {
    QString name;
    FieldType type = FieldType::Unknown;
    int size = 0;           // width of Alpha, 1 for the memo types, else 0
    bool required = false;
    QString defaultValue;   // SQL literal for the column default, empty for none

    FieldDef() = default;
    FieldDef(QString n, FieldType t, int s = 0, bool req = false, QString def = {})
        : name(std::move(n)), type(t), size(s), required(req), defaultValue(std::move(def)) {}

    bool operator==(const FieldDef &o) const {
        return name == o.name && type == o.type && size == o.size && required == o.required;
    }
};

using FieldDefs = std::vector<FieldDef>;

// A secondary index: its name and its fields in order.
struct IndexDef {
    QString name;
    QStringList fields;
    bool unique = false;
    bool operator==(const IndexDef &o) const {
        return name.compare(o.name, Qt::CaseInsensitive) == 0 && fields == o.fields && unique == o.unique;
    }
};

QString declaredType(const FieldDef &f);
// Parses a declared type back into type and size; Unknown for foreign types.
FieldType parseDeclaredType(const QString &declared, int *size = nullptr);
QString fieldTypeName(FieldType t);

inline bool isTextType(FieldType t) {
    return t == FieldType::Alpha || t == FieldType::Memo || t == FieldType::FmtMemo;
}
inline bool isIntegerType(FieldType t) {
    return t == FieldType::Short || t == FieldType::Long || t == FieldType::AutoInc || t == FieldType::Logical;
}
inline bool isFloatType(FieldType t) { return t == FieldType::Number || t == FieldType::Money; }
inline bool isDateType(FieldType t) {
    return t == FieldType::Date || t == FieldType::Time || t == FieldType::Timestamp;
}
inline bool isBlobType(FieldType t) { return t == FieldType::Blob || t == FieldType::Graphic; }

} // namespace velmora
