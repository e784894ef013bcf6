#include "people/FilterRules.h"

#include "people/FilterKeyList.h"

namespace velmora {

const QStringList FilterRules::kDokumente = {QStringLiteral("Leerformular"), QStringLiteral("IST (Protokoll)"),
                                             QStringLiteral("SOLL (Plan)")};
const QStringList FilterRules::kEbenen = {QStringLiteral("Details"), QStringLiteral("Wochensummen"),
                                          QStringLiteral("Zyklensummen")};
const QDate FilterRules::kZeroDate(1899, 12, 30);
// An optional sign and up to three digits; the date with a four-digit year,
// since the year spinner reaches from 1875 to 2100 and two digits would
// move such a year into another century when read back.
const QString FilterRules::kRelativeMask = QStringLiteral("#000;_");
const QString FilterRules::kAbsoluteMask = QStringLiteral("00.00.0000;_");
const QString FilterRules::kEmptyDate = QStringLiteral("  .  .  ");
const QString FilterRules::kDaysLabel = QStringLiteral("Tage");

int FilterRules::artFromChoices(int dokument, int ebene) {
    const int d = dokument < 0 ? 0 : dokument;
    const int e = ebene < 0 ? 0 : ebene;
    return d + 1 + 10 * e;
}

std::optional<int> FilterRules::dokumentFromArt(int art) {
    const int units = art % 10;
    if (units <= 0 || units > kDokumente.size())
        return std::nullopt;
    return units - 1;
}

std::optional<int> FilterRules::ebeneFromArt(int art) {
    const int tens = (art / 10) % 10;
    if (tens < 0 || tens >= kEbenen.size())
        return std::nullopt;
    return tens;
}

bool FilterRules::isAvailable(QuickButton button, bool relative) {
    return !(relative && button == QuickButton::Jahr);
}

std::optional<FilterRules::QuickRange> FilterRules::quickRange(QuickButton button, bool relative, const QDate &today,
                                                               int week, int month, int year) {
    if (!isAvailable(button, relative))
        return std::nullopt;
    if (button == QuickButton::Alles)
        return QuickRange{QString(), QString(), false};
    if (relative) {
        switch (button) {
        case QuickButton::Heute:
            return QuickRange{daysText(-1), daysText(0)};
        case QuickButton::Woche:
            return QuickRange{daysText(-7 * week), daysText(0)};
        case QuickButton::Monat:
            return QuickRange{daysText(-30 * month), daysText(1)};
        default:
            return std::nullopt;
        }
    }
    switch (button) {
    case QuickButton::Heute:
        return QuickRange{dateText(today), dateText(today)};
    case QuickButton::Woche: {
        // The Monday on or before 1 January, then whole weeks on.
        const QDate jan1(year, 1, 1);
        const QDate monday = jan1.addDays(1 - jan1.dayOfWeek()).addDays(qint64(week - 1) * 7);
        return QuickRange{dateText(monday), dateText(monday.addDays(6))};
    }
    case QuickButton::Monat: {
        const QDate first(year, month, 1);
        return QuickRange{dateText(first), dateText(first.addMonths(1))};
    }
    case QuickButton::Jahr:
        return QuickRange{dateText(QDate(year, 1, 1)), dateText(QDate(year + 1, 1, 1))};
    default:
        return std::nullopt;
    }
}

QString FilterRules::dateText(const QDate &date) {
    return date.toString(QStringLiteral("dd.MM.yyyy"));
}

QString FilterRules::daysText(int days) {
    return QString::number(days);
}

std::optional<int> FilterRules::storedDays(const QVariant &stored) {
    if (!stored.isValid() || stored.isNull())
        return std::nullopt;
    switch (stored.metaType().id()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::Double:
        return int(stored.toDouble());
    case QMetaType::QDate:
        return int(kZeroDate.daysTo(stored.toDate()));
    case QMetaType::QDateTime:
        return int(kZeroDate.daysTo(stored.toDateTime().date()));
    default:
        break;
    }
    const QString text = stored.toString().trimmed();
    if (text.isEmpty())
        return std::nullopt;
    const QDate day = QDate::fromString(text.left(10), QStringLiteral("yyyy-MM-dd"));
    if (!day.isValid())
        return std::nullopt;
    return int(kZeroDate.daysTo(day));
}

QString FilterRules::rangeText(const QVariant &stored, bool relative) {
    if (!stored.isValid() || stored.isNull())
        return QString();
    if (relative) {
        // A relative side is a number of days, not the day it is stored as.
        const auto days = storedDays(stored);
        return days ? daysText(*days) : QString();
    }
    QDate day;
    if (stored.metaType().id() == QMetaType::QDateTime)
        day = stored.toDateTime().date();
    else if (stored.metaType().id() == QMetaType::QDate)
        day = stored.toDate();
    else
        day = QDate::fromString(stored.toString().left(10), QStringLiteral("yyyy-MM-dd"));
    return day.isValid() ? dateText(day) : QString();
}

namespace {
// The edit's text without the blanks of its mask.
QString compact(const QString &text) {
    QString out;
    for (QChar c : text.left(12))
        if (c != QLatin1Char('_') && !c.isSpace())
            out += c;
    return out;
}

QDate readDate(const QString &text) {
    const QStringList parts = text.split(QLatin1Char('.'));
    if (parts.size() != 3)
        return {};
    bool okDay = false, okMonth = false, okYear = false;
    const int day = parts[0].toInt(&okDay);
    const int month = parts[1].toInt(&okMonth);
    int year = parts[2].toInt(&okYear);
    if (!okDay || !okMonth || !okYear || parts[2].isEmpty())
        return {};
    if (parts[2].size() <= 2) {
        // Two digits: the year within fifty years before and after today's.
        const int base = QDate::currentDate().year() - 50;
        year += base / 100 * 100;
        if (year < base)
            year += 100;
    }
    return QDate(year, month, day);
}
} // namespace

QVariant FilterRules::rangeValue(bool checked, const QString &text, bool relative) {
    if (!checked)
        return QVariant();
    const QString t = compact(text);
    if (t.isEmpty() || t == QLatin1String(".."))
        return QVariant();
    if (relative) {
        bool ok = false;
        const int days = t.toInt(&ok);
        if (!ok)
            return QVariant();
        return QDateTime(kZeroDate.addDays(days), QTime(0, 0));
    }
    const QDate day = readDate(t);
    if (!day.isValid() || day <= kZeroDate)
        return QVariant();
    return QDateTime(day, QTime(0, 0));
}

QString FilterRules::joinKeys(const QList<qint64> &keys) {
    QStringList lines;
    lines.reserve(keys.size());
    for (qint64 k : keys)
        lines << QString::number(k);
    return lines.join(QLatin1Char('\r'));
}

QList<qint64> FilterRules::splitKeys(const QString &memo) {
    QList<qint64> keys;
    for (const QString &line : KeyListLines(memo)) {
        bool ok = false;
        const qint64 k = line.toLongLong(&ok);
        if (ok)
            keys << k;
    }
    return keys;
}

bool FilterRules::containsKey(const QString &memo, qint64 key) {
    return splitKeys(memo).contains(key);
}

} // namespace velmora
