#include "diary/DiaryListQuery.h"

#include <QLocale>
#include <algorithm>

namespace velmora {

int NormalizedKindCode(int kindCode) {
    return kindCode % 10 == 0 ? kindCode + 2 : kindCode;
}

namespace {
// The line loses its last five characters and gets the ending.
void closeLast(QStringList &lines, const QString &ending) {
    QString &l = lines.last();
    l.chop(5);
    l += ending;
}

QString shortDate(const QDate &d) {
    return QLocale(QLocale::German, QLocale::Germany).toString(d, QLocale::ShortFormat);
}
} // namespace

DiaryQuery BuildDiaryListQuery(const DiaryQueryInput &in) {
    DiaryQuery q;
    q.kindCode = NormalizedKindCode(in.kindCode);
    if (in.mode == DiaryQueryInput::Mode::Deletion) {
        if (in.formNr >= 1)
            q.lines << QStringLiteral("select * from tr where (FormularNr = %1)").arg(in.formNr);
        else if (in.personNr > 0)
            q.lines << QStringLiteral("select * from tr where (AutorNr = %1) or (PersonNr = %1)").arg(in.personNr);
        else
            // Neither a form nor a person: a selection meant for deleting must
            // not fall back to every entry.
            q.lines << QStringLiteral("select * from tr where (1 = 0)");
        return q;
    }
    if (in.mode == DiaryQueryInput::Mode::SingleEntry) {
        q.lines
            << QStringLiteral("select * from tr where (SerienNr = %1) and (TrNr = %2)").arg(in.serienNr).arg(in.trNr);
        return q;
    }
    const bool withFilter = in.filterKey >= 1;
    q.lines << QStringLiteral("select * from tr where (Art = %1) and").arg(q.kindCode);
    if (!withFilter) {
        q.lines << QStringLiteral("(tr.PersonNr = %1)    ").arg(in.personNr);
    } else {
        const struct {
            const QStringList &list;
            const char *column;
        } lists[] = {{in.autoren, "AutorNr"}, {in.personen, "PersonNr"}, {in.formulare, "FormularNr"}};
        int index = 0;
        for (const auto &l : lists) {
            bool first = true;
            for (const QString &line : l.list) {
                // Whatever filled the lists, only whole numbers reach the SQL text.
                const QString v = line.trimmed();
                if (!IsKeyListNumber(v))
                    continue;
                q.lines << QStringLiteral("%1(tr.%2 = %3) or  ")
                               .arg(first ? QStringLiteral("(") : QString(), QString::fromLatin1(l.column), v);
                first = false;
            }
            if (index < 2)
                closeLast(q.lines, QStringLiteral(") and"));
            ++index;
        }
        q.severalPersons = std::count_if(in.personen.cbegin(), in.personen.cend(),
                                         [](const QString &line) { return IsKeyListNumber(line.trimmed()); }) > 1;
    }
    closeLast(q.lines, QStringLiteral(") and"));
    if (in.fromTicked)
        q.lines << QStringLiteral("(tr.Datum >= \"%1\") and").arg(in.from.toString(QStringLiteral("yyyy-MM-dd")));
    if (in.toTicked)
        q.lines << QStringLiteral("(tr.Datum <= \"%1\") and").arg(in.to.toString(QStringLiteral("yyyy-MM-dd")));
    closeLast(q.lines, QStringLiteral(")"));
    q.selection = q.lines.mid(1);
    q.lines << QStringLiteral("order by tr.datum");

    QString title;
    if (!q.severalPersons)
        title = QStringLiteral(" von ") + in.name;
    title += withFilter ? QStringLiteral(" [") + in.filterName + QStringLiteral("][") : QStringLiteral(" [");
    const int units = q.kindCode % 10;
    if (units == 2)
        title.prepend(QStringLiteral("IST (Protokoll)"));
    else if (units == 3)
        title.prepend(QStringLiteral("SOLL (Plan)"));
    if (in.fromTicked)
        title += shortDate(in.from);
    title += QLatin1Char('-');
    if (in.toTicked)
        title += shortDate(in.to);
    title += QStringLiteral("] ");
    const int tens = (q.kindCode / 10) % 10;
    if (tens == 1)
        title += QStringLiteral(" WOCHE");
    else if (tens == 2)
        title += QStringLiteral(" ZYKLUS");
    q.title = title;
    return q;
}

} // namespace velmora
