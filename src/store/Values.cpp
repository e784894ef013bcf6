#include "store/Values.h"

#include "base/GermanInput.h"
#include "store/Errors.h"

#include <QLocale>

namespace velmora {

namespace {
int digits(const QString &s, int from, int count, bool *ok) {
    int v = 0;
    for (int i = from; i < from + count; ++i) {
        if (i >= s.size() || !s.at(i).isDigit()) {
            *ok = false;
            return 0;
        }
        v = v * 10 + s.at(i).digitValue();
    }
    return v;
}
} // namespace

QDate parseStoredDate(const QString &text) {
    const QString s = text.trimmed();
    bool ok = true;
    if (s.size() >= 10 && s.at(4) == QLatin1Char('-') && s.at(7) == QLatin1Char('-')) {
        const int y = digits(s, 0, 4, &ok), m = digits(s, 5, 2, &ok), d = digits(s, 8, 2, &ok);
        return ok ? QDate(y, m, d) : QDate();
    }
    if (s.size() >= 10 && s.at(2) == QLatin1Char('.') && s.at(5) == QLatin1Char('.')) {
        const int d = digits(s, 0, 2, &ok), m = digits(s, 3, 2, &ok), y = digits(s, 6, 4, &ok);
        return ok ? QDate(y, m, d) : QDate();
    }
    return {};
}

QTime parseStoredTime(const QString &text) {
    const QString s = text.trimmed();
    bool ok = true;
    if (s.size() < 5 || s.at(2) != QLatin1Char(':'))
        return {};
    const int h = digits(s, 0, 2, &ok), mi = digits(s, 3, 2, &ok);
    int sec = 0, ms = 0;
    if (s.size() >= 8 && s.at(5) == QLatin1Char(':'))
        sec = digits(s, 6, 2, &ok);
    if (s.size() >= 12 && s.at(8) == QLatin1Char('.'))
        ms = digits(s, 9, 3, &ok);
    return ok ? QTime(h, mi, sec, ms) : QTime();
}

QDateTime parseStoredDateTime(const QString &text) {
    const QString s = text.trimmed();
    const QDate d = parseStoredDate(s);
    if (!d.isValid())
        return {};
    QTime t(0, 0);
    if (s.size() > 11) {
        t = parseStoredTime(s.mid(11));
        if (!t.isValid())
            t = QTime(0, 0);
    }
    return QDateTime(d, t);
}

QString storedDate(const QDate &d) {
    return d.toString(QStringLiteral("yyyy-MM-dd"));
}
QString storedTime(const QTime &t) {
    return t.toString(QStringLiteral("HH:mm:ss.zzz"));
}
QString storedDateTime(const QDateTime &dt) {
    return storedDate(dt.date()) + QLatin1Char(' ') + storedTime(dt.time());
}

namespace {
[[noreturn]] void badValue(const QVariant &value, FieldType type) {
    throw VelmoraError(QStringLiteral("'%1' ist kein gültiger Wert für ein Feld vom Typ %2.")
                           .arg(value.toString(), fieldTypeName(type)));
}

// A number handed in as text is what a German user typed ("1,500" is 1.5,
// "1.500" is 1500), read as everywhere else; an exponent form that reader
// does not know ("1e-5") is taken as well. Numbers pass as they are.
std::optional<double> readNumber(const QVariant &value) {
    if (value.metaType().id() != QMetaType::QString) {
        bool ok = false;
        const double d = value.toDouble(&ok);
        return ok ? std::optional<double>(d) : std::nullopt;
    }
    const QString text = value.toString().trimmed();
    if (const std::optional<double> d = ParseGermanNumber(text))
        return d;
    bool ok = false;
    const double d = text.toDouble(&ok);
    return ok ? std::optional<double>(d) : std::nullopt;
}

bool isEmptyText(const QVariant &v) {
    return v.metaType().id() == QMetaType::QString && v.toString().trimmed().isEmpty();
}
} // namespace

StoredValue toStoredValue(const QVariant &value, FieldType type, int size) {
    StoredValue out;
    if (!value.isValid() || value.isNull())
        return out;
    switch (type) {
    case FieldType::Alpha: {
        out.kind = StoredValue::Text;
        out.text = value.toString();
        if (size > 0 && out.text.size() > size)
            out.text.truncate(size);
        return out;
    }
    case FieldType::Memo:
    case FieldType::FmtMemo:
        out.kind = StoredValue::Text;
        out.text = value.toString();
        return out;
    case FieldType::Short:
    case FieldType::Long:
    case FieldType::AutoInc: {
        if (isEmptyText(value))
            return out;
        bool ok = false;
        qint64 v = value.toLongLong(&ok);
        if (!ok) {
            const std::optional<double> d = readNumber(value);
            if (!d)
                badValue(value, type);
            v = qRound64(*d);
        }
        const qint64 lo = type == FieldType::Short ? -32768 : std::numeric_limits<qint32>::min();
        const qint64 hi = type == FieldType::Short ? 32767 : std::numeric_limits<qint32>::max();
        if (v < lo || v > hi)
            badValue(value, type);
        out.kind = StoredValue::Integer;
        out.integer = v;
        return out;
    }
    case FieldType::Logical: {
        if (isEmptyText(value))
            return out;
        out.kind = StoredValue::Integer;
        if (value.metaType().id() == QMetaType::QString) {
            const QString s = value.toString().trimmed().toLower();
            out.integer = (s == QLatin1String("true") || s == QLatin1String("ja") || s == QLatin1String("1")) ? 1 : 0;
        } else {
            out.integer = value.toBool() ? 1 : 0;
        }
        return out;
    }
    case FieldType::Number:
    case FieldType::Money: {
        if (isEmptyText(value))
            return out;
        const std::optional<double> d = readNumber(value);
        if (!d)
            badValue(value, type);
        out.kind = StoredValue::Float;
        out.real = *d;
        return out;
    }
    case FieldType::Date:
    case FieldType::Timestamp: {
        QDateTime dt;
        switch (value.metaType().id()) {
        case QMetaType::QDate:
            dt = QDateTime(value.toDate(), QTime(0, 0));
            break;
        case QMetaType::QDateTime:
            dt = value.toDateTime();
            break;
        default:
            if (isEmptyText(value))
                return out;
            dt = parseStoredDateTime(value.toString());
            if (!dt.isValid())
                badValue(value, type);
        }
        if (!dt.isValid())
            return out;
        out.kind = StoredValue::Text;
        out.text = type == FieldType::Date ? storedDate(dt.date()) : storedDateTime(dt);
        return out;
    }
    case FieldType::Time: {
        QTime t;
        if (value.metaType().id() == QMetaType::QTime)
            t = value.toTime();
        else if (value.metaType().id() == QMetaType::QDateTime)
            t = value.toDateTime().time();
        else {
            if (isEmptyText(value))
                return out;
            t = parseStoredTime(value.toString());
            if (!t.isValid())
                badValue(value, type);
        }
        if (!t.isValid())
            return out;
        out.kind = StoredValue::Text;
        out.text = storedTime(t);
        return out;
    }
    case FieldType::Blob:
    case FieldType::Graphic:
        out.kind = StoredValue::Bytes;
        out.bytes = value.toByteArray();
        return out;
    case FieldType::Unknown:
        break;
    }
    switch (value.metaType().id()) {
    case QMetaType::Bool:
        out.kind = StoredValue::Integer;
        out.integer = value.toBool() ? 1 : 0;
        break;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
        out.kind = StoredValue::Integer;
        out.integer = value.toLongLong();
        break;
    case QMetaType::Double:
    case QMetaType::Float:
        out.kind = StoredValue::Float;
        out.real = value.toDouble();
        break;
    case QMetaType::QDate:
        out.kind = StoredValue::Text;
        out.text = storedDate(value.toDate());
        break;
    case QMetaType::QDateTime:
        out.kind = StoredValue::Text;
        out.text = storedDateTime(value.toDateTime());
        break;
    case QMetaType::QTime:
        out.kind = StoredValue::Text;
        out.text = storedTime(value.toTime());
        break;
    case QMetaType::QByteArray:
        out.kind = StoredValue::Bytes;
        out.bytes = value.toByteArray();
        break;
    default:
        out.kind = StoredValue::Text;
        out.text = value.toString();
    }
    return out;
}

QString displayText(const QVariant &value, FieldType type) {
    if (!value.isValid() || value.isNull())
        return {};
    switch (type) {
    case FieldType::Date:
        return value.toDate().toString(QStringLiteral("dd.MM.yyyy"));
    case FieldType::Timestamp: {
        const QDateTime dt = value.toDateTime();
        if (dt.time() == QTime(0, 0))
            return dt.date().toString(QStringLiteral("dd.MM.yyyy"));
        return dt.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"));
    }
    case FieldType::Time:
        return value.toTime().toString(QStringLiteral("HH:mm:ss"));
    case FieldType::Number:
    case FieldType::Money:
        return QLocale(QLocale::German).toString(value.toDouble(), 'g', 15);
    case FieldType::Logical:
        return value.toBool() ? QStringLiteral("Ja") : QStringLiteral("Nein");
    default:
        return value.toString();
    }
}

} // namespace velmora
