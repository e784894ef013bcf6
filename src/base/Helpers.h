#pragma once

#include <QDate>
#include <QFont>
#include <QString>

namespace velmora {

// Week 1 is the Monday-to-Sunday week that contains 1 January; the days of a
// 53rd week count as week 1. 0 for an invalid date.
int WeekOfDate(const QDate &date);
// The Monday that starts the given week of the given year, by the same rule.
QDate FirstDayOfWeek(int week, int year);

// "TMP" and a process-wide counter as five upper-case hexadecimal digits.
QString NewTempTableName();
// Only for tests: the counter starts at 0 with every program run.
void ResetTempTableCounter();

// Replaces the character within the first 255 characters of the text.
QString ReplaceChar(const QString &text, QChar c, const QString &replacement);
QString SpacesToUnderscores(const QString &text);

// Style letters "B", "I", "U", "S" for bold, italic, underline, strike-out.
struct FontStyle {
    bool bold = false, italic = false, underline = false, strikeOut = false;
    bool operator==(const FontStyle &) const = default;
};
FontStyle FontStyleFromText(const QString &text);
QString FontStyleToText(const FontStyle &style);
void ApplyFontStyle(QFont &font, const FontStyle &style);
FontStyle FontStyleOf(const QFont &font);

} // namespace velmora
