#include "app/OpenDialogRules.h"

#include "base/Helpers.h"

namespace velmora {

namespace {

QString n(int v) {
    return QString::number(v);
}

QString personsAndGroups(int choice, int me, int group, int coach) {
    const QString both = QStringLiteral("((Type = 'P') OR (Type = 'G'))");
    switch (choice) {
    case ChoiceGroup:
        return both + QStringLiteral(" AND (Gruppe = ") + n(group) + QStringLiteral(")");
    case ChoiceCoach:
        return both + QStringLiteral(" AND (Trainer = ") + n(coach) + QStringLiteral(")");
    case ChoiceAll:
        return both;
    default:
        return both + QStringLiteral(" AND (Key1 = ") + n(me) + QStringLiteral(")");
    }
}

// Plans and protocols: one's own card and one's group; "von allen" leaves
// out the groups 0 and 1 and their members.
QString diaries(int choice, int me, int group, int coach) {
    switch (choice) {
    case ChoiceGroup:
    case ChoiceCoach:
        return personsAndGroups(choice, me, group, coach);
    case ChoiceAll:
        return QStringLiteral("((Type = 'P') OR (Type = 'G')) AND (Gruppe > 1)");
    default:
        return QStringLiteral("((Type = 'P') AND (Key1 = ") + n(me) + QStringLiteral(")) OR ") +
               QStringLiteral("((Type = 'G') AND (Gruppe = ") + n(group) + QStringLiteral("))");
    }
}

QString authored(QChar type, int choice, int me, int coach) {
    const QString t = QStringLiteral("(Type = '") + type + QStringLiteral("')");
    switch (choice) {
    case ChoiceGroup:
    case ChoiceCoach:
        return t + QStringLiteral(" AND ((Trainer = ") + n(me) + QStringLiteral(") OR (Trainer = ") + n(coach) +
               QStringLiteral("))");
    case ChoiceAll:
        return QStringLiteral("Type = '") + type + QStringLiteral("'");
    default:
        return t + QStringLiteral(" AND (Trainer = ") + n(me) + QStringLiteral(")");
    }
}

} // namespace

const std::vector<OpenTreeGroup> &OpenDialogRules::groups() {
    static const std::vector<OpenTreeGroup> list = {
        {QStringLiteral("Sportler & Gruppen"), KindPersonOrGroup, 6, 6, true},
        {QStringLiteral("Plan"), KindPlan, 3, 2, false},
        {QStringLiteral("Protokoll"), KindProtocol, 3, 2, false},
        {QStringLiteral("Formularbaustein"), KindBlock, 10, 10, true},
        {QStringLiteral("Formular"), KindForm, 12, 12, true},
        {QStringLiteral("Filter"), KindFilter, 9, 9, true},
        {QStringLiteral("Auswertung"), KindEvaluation, 7, 8, false},
        {QStringLiteral("Arbeitsbuch"), KindWorkbook, 7, 8, false},
    };
    return list;
}

QString OpenDialogRules::filter(int kind, int choice, int me, int group, int coach) {
    if (choice < ChoiceMine || choice > ChoiceAll)
        choice = ChoiceMine;
    switch (kind) {
    case KindPersonOrGroup:
        return personsAndGroups(choice, me, group, coach);
    case KindPlan:
    case KindProtocol:
        return diaries(choice, me, group, coach);
    case KindBlock:
        return QStringLiteral("Type = 'T'");
    case KindForm:
        return QStringLiteral("Type = 'L'");
    case KindFilter:
        return QStringLiteral("(Type = 'F') AND (Key1 > 10)");
    case KindEvaluation:
        return authored(QLatin1Char('A'), choice, me, coach);
    case KindWorkbook:
        return authored(QLatin1Char('W'), choice, me, coach);
    default:
        return {};
    }
}

bool OpenDialogRules::readOnly(int kind, int key1, int trainer, int me) {
    switch (kind) {
    case KindProtocol:
        return key1 != me;
    case KindPlan:
    case KindBlock:
    case KindEvaluation:
    case KindFilter:
        return trainer != me;
    case KindPersonOrGroup:
        return trainer != me && key1 != me;
    case KindForm:
    case KindWorkbook:
        return false;
    default:
        // A kind nobody has rules for is opened for reading only.
        return true;
    }
}

OpenRange OpenDialogRules::week(int week, int year) {
    const QDate from = FirstDayOfWeek(week, year);
    return {from, from.isValid() ? from.addDays(6) : QDate()};
}

OpenRange OpenDialogRules::month(int month, int year) {
    const QDate from(year, month, 1);
    return {from, from.addMonths(1)};
}

OpenRange OpenDialogRules::year(int year) {
    return {QDate(year, 1, 1), QDate(year + 1, 1, 1)};
}

} // namespace velmora
