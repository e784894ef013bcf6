#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>

namespace velmora {

// What the search dialog lists on each of its tabs, apart from the window.
namespace SearchEntryRules {

enum Tab { TabPlan = 0, TabProtokoll = 1, TabGruppe = 2, TabLeerformular = 3 };

struct ListQuery {
    QStringList lines;       // the list, ordered by Datum
    QStringList countLines;  // rows on or after now; empty for forms
    bool forms = false;      // the date columns are hidden
    int kind = 0;            // the Art listed
};

// The list of a tab for a window's kind code, person and group. Hidden tabs
// list the first tab. A window that lists forms offers the forms of its
// level on every tab.
ListQuery BuildListQuery(int tab, bool tabsShown, int windowKind, int person, int group, const QDateTime &now);

// The row the cursor rests on: the last row moved back by the rows on or
// after now (the latest entry before now), never before the first row;
// -1 for an empty list.
int RestingRow(int rowCount, int onOrAfterNow);

// "Ein Leerformular auswählen" or "Einen Eintrag auswählen".
QString Caption(bool forms);

// The date edit's text (dd.mm.yy, blanks as "_" or spaces): the date, or an
// invalid date. Two-digit years fall into the century around today.
QDate ParseDateEdit(const QString &text, const QDate &today);
QString DateEditText(const QDate &date);

} // namespace SearchEntryRules

} // namespace velmora
