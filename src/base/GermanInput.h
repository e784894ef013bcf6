#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>
#include <optional>

namespace velmora {

// What a German user types for dates, times and numbers, read one way
// everywhere: in edits, limits, filters and the literals of SQL texts.
// Each returns nothing for text it cannot read, never a guess.

// Two-digit years of a typed date fall into this century window.
constexpr int kTwoDigitYearFirst = 1950; // 50..99 -> 1950..1999, 00..49 -> 2000..2049

// "d.M.yyyy", "d.M.yy" (two-digit years by the window above) and the
// engine's own "yyyy-MM-dd". Impossible days ("31.02.2026") are not read.
std::optional<QDate> ParseGermanDate(const QString &text);

// "H:mm", "H:mm:ss", "H:mm:ss.zzz" with hours 0..23.
std::optional<QTime> ParseGermanTime(const QString &text);

// A date as above, optionally followed by a blank (or the engine's "T")
// and a time as above; a date alone is midnight.
std::optional<QDateTime> ParseGermanDateTime(const QString &text);

// "," is the decimal separator; "." groups thousands in groups of three
// before the "," (or the end) and is otherwise read as a decimal point, so
// "1,500" is 1.5, "1.500" is 1500 and "1.5" is 1.5. A sign may lead.
std::optional<double> ParseGermanNumber(const QString &text);

} // namespace velmora
