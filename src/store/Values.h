#pragma once

#include "store/FieldDef.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QVariant>

namespace velmora {

// Stored forms: date yyyy-MM-dd, time HH:mm:ss.zzz, date-time
// yyyy-MM-dd HH:mm:ss.zzz. Parsing also takes the German form dd.MM.yyyy.
QDate parseStoredDate(const QString &text);
QTime parseStoredTime(const QString &text);
QDateTime parseStoredDateTime(const QString &text);
QString storedDate(const QDate &d);
QString storedTime(const QTime &t);
QString storedDateTime(const QDateTime &dt);

// A value in the form it is written to a column of the given type.
struct StoredValue {
    enum Kind { Null, Integer, Float, Text, Bytes } kind = Null;
    qint64 integer = 0;
    double real = 0;
    QString text;
    QByteArray bytes;
};

// Converts a Qt value for a column; text is cut to the column width. A value
// that the type cannot take (letters for a number) raises VelmoraError.
StoredValue toStoredValue(const QVariant &value, FieldType type, int size);

// The value as the user sees it (German dates, numbers with a comma).
QString displayText(const QVariant &value, FieldType type);

} // namespace velmora
