#include "base/Helpers.h"

#include <QRegularExpression>

namespace velmora {

namespace {
int g_tempCounter = 0;

QDate mondayOnOrBeforeNewYear(int year) {
    const QDate jan1(year, 1, 1);
    return jan1.addDays(-(jan1.dayOfWeek() - 1));
}
} // namespace

int WeekOfDate(const QDate &date) {
    if (!date.isValid())
        return 0;
    const qint64 days = mondayOnOrBeforeNewYear(date.year()).daysTo(date);
    const int week = int(days / 7) + 1;
    return week > 52 ? 1 : week;
}

QDate FirstDayOfWeek(int week, int year) {
    return mondayOnOrBeforeNewYear(year).addDays(qint64(week - 1) * 7);
}

QString NewTempTableName() {
    return QStringLiteral("TMP%1").arg(g_tempCounter++, 5, 16, QLatin1Char('0')).toUpper();
}

void ResetTempTableCounter() {
    g_tempCounter = 0;
}

QString ReplaceChar(const QString &text, QChar c, const QString &replacement) {
    QString head = text.left(255);
    head.replace(c, replacement);
    return head + text.mid(255);
}

QString SpacesToUnderscores(const QString &text) {
    return ReplaceChar(text, QLatin1Char(' '), QStringLiteral("_"));
}

FontStyle FontStyleFromText(const QString &text) {
    FontStyle s;
    const QString t = text.left(8);
    s.bold = t.contains(QLatin1Char('B'));
    s.italic = t.contains(QLatin1Char('I'));
    s.underline = t.contains(QLatin1Char('U'));
    s.strikeOut = t.contains(QLatin1Char('S'));
    return s;
}

QString FontStyleToText(const FontStyle &style) {
    QString t;
    if (style.bold)
        t += QLatin1Char('B');
    if (style.italic)
        t += QLatin1Char('I');
    if (style.underline)
        t += QLatin1Char('U');
    if (style.strikeOut)
        t += QLatin1Char('S');
    return t;
}

void ApplyFontStyle(QFont &font, const FontStyle &style) {
    font.setBold(style.bold);
    font.setItalic(style.italic);
    font.setUnderline(style.underline);
    font.setStrikeOut(style.strikeOut);
}

FontStyle FontStyleOf(const QFont &font) {
    return {font.bold(), font.italic(), font.underline(), font.strikeOut()};
}

} // namespace velmora
