#include "base/GermanInput.h"

#include <QRegularExpression>

namespace velmora {

namespace {
// The patterns are compiled once: numbers are read for every element of
// the forms' shared list.
QRegularExpression whole(const char *pattern) {
    return QRegularExpression(QRegularExpression::anchoredPattern(QString::fromLatin1(pattern)));
}

QRegularExpressionMatch matchWhole(const QRegularExpression &re, const QString &text) {
    return re.match(text.trimmed());
}

int fullYear(const QString &digits) {
    const int y = digits.toInt();
    if (digits.size() > 2)
        return y;
    const int century = kTwoDigitYearFirst / 100 * 100;
    const int candidate = century + y;
    return candidate < kTwoDigitYearFirst ? candidate + 100 : candidate;
}
} // namespace

std::optional<QDate> ParseGermanDate(const QString &text) {
    static const QRegularExpression german = whole(R"((\d{1,2})\.(\d{1,2})\.(\d{2}|\d{4}))");
    static const QRegularExpression engine = whole(R"((\d{4})-(\d{2})-(\d{2}))");
    QDate d;
    if (const auto m = matchWhole(german, text); m.hasMatch())
        d = QDate(fullYear(m.captured(3)), m.captured(2).toInt(), m.captured(1).toInt());
    else if (const auto e = matchWhole(engine, text); e.hasMatch())
        d = QDate(e.captured(1).toInt(), e.captured(2).toInt(), e.captured(3).toInt());
    if (!d.isValid())
        return std::nullopt;
    return d;
}

std::optional<QTime> ParseGermanTime(const QString &text) {
    static const QRegularExpression time = whole(R"((\d{1,2}):(\d{2})(?::(\d{2})(?:[.,](\d{1,3}))?)?)");
    const auto m = matchWhole(time, text);
    if (!m.hasMatch())
        return std::nullopt;
    QString ms = m.captured(4);
    ms = ms.leftJustified(3, QLatin1Char('0'));
    const QTime t(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt(), ms.toInt());
    if (!t.isValid())
        return std::nullopt;
    return t;
}

std::optional<QDateTime> ParseGermanDateTime(const QString &text) {
    const QString t = text.trimmed();
    static const QRegularExpression separator(QStringLiteral("[ T]"));
    const qsizetype split = t.indexOf(separator);
    const auto date = ParseGermanDate(split < 0 ? t : t.left(split));
    if (!date)
        return std::nullopt;
    if (split < 0)
        return QDateTime(*date, QTime(0, 0));
    const auto time = ParseGermanTime(t.mid(split + 1));
    if (!time)
        return std::nullopt;
    return QDateTime(*date, *time);
}

std::optional<double> ParseGermanNumber(const QString &text) {
    static const QRegularExpression german = whole(R"(([+-]?)(\d{1,3}(?:\.\d{3})+|\d*)(?:,(\d*))?)");
    static const QRegularExpression point = whole(R"([+-]?(\d+\.\d*|\.\d+))");
    const auto m = matchWhole(german, text);
    QString plain;
    if (m.hasMatch() && !(m.captured(2).isEmpty() && m.captured(3).isEmpty())) {
        QString whole = m.captured(2);
        plain = m.captured(1) + whole.remove(QLatin1Char('.'));
        if (m.capturedLength(3) > 0 || text.contains(QLatin1Char(',')))
            plain += QLatin1Char('.') + m.captured(3);
    } else {
        // A single point that groups nothing is a decimal point.
        const auto p = matchWhole(point, text);
        if (!p.hasMatch())
            return std::nullopt;
        plain = text.trimmed();
    }
    bool ok = false;
    const double v = plain.toDouble(&ok);
    if (!ok)
        return std::nullopt;
    return v;
}

} // namespace velmora
