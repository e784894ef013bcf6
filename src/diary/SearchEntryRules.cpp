#include "diary/SearchEntryRules.h"

#include <QRegularExpression>

namespace velmora::SearchEntryRules {

namespace {
QStringList entryLines(const QString &head, int kind, int person) {
    return {head, person < 1 ? QStringLiteral("where Art = %1").arg(kind)
                             : QStringLiteral("where (Art = %1) and (PersonNr = %2)").arg(kind).arg(person)};
}
} // namespace

ListQuery BuildListQuery(int tab, bool tabsShown, int windowKind, int person, int group, const QDateTime &now) {
    const int level = (windowKind / 10) % 10;
    ListQuery q;
    if (!tabsShown)
        tab = TabPlan;
    if (tab == TabLeerformular || windowKind % 10 == 1) {
        q.forms = true;
        q.kind = 10 * level + 1;
        q.lines = QStringList{QStringLiteral("select * from tr"), QStringLiteral("where (tr.Art = %1)").arg(q.kind),
                              QStringLiteral("order by Datum")};
        return q;
    }
    const int who = tab == TabGruppe ? group : person;
    q.kind = 10 * level + (tab == TabProtokoll ? 2 : 3);
    q.lines = entryLines(QStringLiteral("select * from tr"), q.kind, who);
    q.lines << QStringLiteral("order by Datum");
    q.countLines = entryLines(QStringLiteral("select count(*) from tr"), q.kind, who);
    q.countLines.last() += QStringLiteral(" and");
    q.countLines << QStringLiteral("(Datum >= \"%1\")").arg(now.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")));
    return q;
}

int RestingRow(int rowCount, int onOrAfterNow) {
    if (rowCount <= 0)
        return -1;
    return std::max(0, rowCount - 1 - std::max(0, onOrAfterNow));
}

QString Caption(bool forms) {
    return forms ? QStringLiteral("Ein Leerformular auswählen") : QStringLiteral("Einen Eintrag auswählen");
}

QDate ParseDateEdit(const QString &text, const QDate &today) {
    static const QRegularExpression re(QStringLiteral("^\\s*(\\d{1,2})\\s*\\.\\s*(\\d{1,2})\\s*\\.\\s*(\\d{2})\\s*$"));
    QString cleaned = text;
    cleaned.replace(QLatin1Char('_'), QLatin1Char(' '));
    const QRegularExpressionMatch m = re.match(cleaned);
    if (!m.hasMatch())
        return {};
    const int yy = m.captured(3).toInt();
    // The year nearest to today that ends in these two digits.
    const int base = today.year() - today.year() % 100;
    int year = base + yy;
    if (year > today.year() + 50)
        year -= 100;
    else if (year <= today.year() - 50)
        year += 100;
    return QDate(year, m.captured(2).toInt(), m.captured(1).toInt());
}

QString DateEditText(const QDate &date) { return date.toString(QStringLiteral("dd.MM.yy")); }

} // namespace velmora::SearchEntryRules
