#pragma once

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <optional>

namespace velmora {

// The pure rules of a saved filter: its kind code from the two choices, the
// time range of the quick buttons, the texts of the range edits and the
// values they store, and the key lists of its memo columns.
class FilterRules {
public:
    // The choices of "Dokument" and "Planungsebene", in list order.
    static const QStringList kDokumente;
    static const QStringList kEbenen;
    static constexpr int kDefaultDokument = 1;  // "IST (Protokoll)"
    static constexpr int kDefaultEbene = 0;     // "Details"

    // The day a date-time column holds for the number 0: a relative range
    // keeps its numbers of days as that many days after it.
    static const QDate kZeroDate;

    // The edit masks and the empty date of the two range modes.
    static const QString kRelativeMask;
    static const QString kAbsoluteMask;
    static const QString kEmptyDate;  // "  .  .  "
    static const QString kDaysLabel;  // "Tage"

    enum class QuickButton { Heute, Woche, Monat, Jahr, Alles };

    // What a quick button puts into the range: the texts of the two edits and
    // whether "von" and "bis" end up checked.
    struct QuickRange {
        QString von, bis;
        bool checked = true;
    };

    // Art = (Dokument position + 1) + 10 * Planungsebene position; a choice
    // that is not in its list (-1) counts as position 0.
    static int artFromChoices(int dokument, int ebene);
    // The list positions a stored Art shows; nullopt leaves a choice as it
    // is (a units digit 0, or a digit outside the list).
    static std::optional<int> dokumentFromArt(int art);
    static std::optional<int> ebeneFromArt(int art);

    // "Jahr" has no relative meaning; every other button works in both modes.
    static bool isAvailable(QuickButton button, bool relative);
    // The range of a quick button for the spinner values week, month, year;
    // nullopt for a button that is not available in the mode.
    static std::optional<QuickRange> quickRange(QuickButton button, bool relative, const QDate &today, int week,
                                                int month, int year);

    // The texts the edits show: a date as dd.MM.yyyy, days as a number.
    static QString dateText(const QDate &date);
    static QString daysText(int days);
    // The text of a stored Von or Bis; empty for an empty column.
    static QString rangeText(const QVariant &stored, bool relative);
    // The value a range side stores: null unless the side is checked and its
    // text reads as a number of days (relative) or as a date after the zero
    // date (absolute). Unreadable text counts as empty.
    static QVariant rangeValue(bool checked, const QString &text, bool relative);
    // The number of days a relative column holds; nullopt for an empty one.
    static std::optional<int> storedDays(const QVariant &stored);
    // The day a relative range side stands for when the filter is applied.
    static QDate appliedDay(const QDate &today, int days) { return today.addDays(days); }

    // Keys joined by one carriage return, none after the last.
    static QString joinKeys(const QList<qint64> &keys);
    // The keys of a memo; lines may end in CR, CR LF or LF; lines that are
    // not numbers are skipped.
    static QList<qint64> splitKeys(const QString &memo);
    static bool containsKey(const QString &memo, qint64 key);
};

} // namespace velmora
