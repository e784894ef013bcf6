#include "design/FormElementCache.h"

#include "base/Progress.h"
#include "store/Engine.h"
#include "store/Query.h"

#include <QStringList>

namespace velmora {

namespace {

QStringList elementQueryLines(bool oneForm) {
    QStringList lines{
        QStringLiteral("select FField.*,"),
        QStringLiteral("       TrField.FeldName, TrField.Typ, TrField.DisplayMask, TrField.Strikt, TrField.Calculated, "
                       "TrField.DisplayWidth,"),
        QStringLiteral("       TrField.\"Left\", TrField.Top, TrField.Width, TrField.Height, TrField.PrefixLeft, "
                       "TrField.PrefixTop, TrField.PostfixLeft, TrField.PostfixTop,"),
        QStringLiteral("       TrTable.Filename, TrTable.Grid, TrTable.Client"),
        QStringLiteral("from FField, TrField, TrTable"),
        QStringLiteral("where (FField.TableNr = TrField.TableNr) and "),
        QStringLiteral("(FField.FeldNr = TrField.\"Order\") and "),
        QStringLiteral("(FField.TableNr = TrTable.TableNr)"),
        QStringLiteral("order by FField.FormularNr, FField.\"Order\""),
    };
    if (oneForm)
        lines.insert(7, QStringLiteral("(FField.FormularNr = :FormularNr) and "));
    return lines;
}

} // namespace

TTREList &FormElementCache() {
    static TTREList cache;
    return cache;
}

QString FormElementQuerySql() {
    return elementQueryLines(false).join(QLatin1Char('\n'));
}

QString FormElementQuerySqlForForm() {
    return elementQueryLines(true).join(QLatin1Char('\n'));
}

void LoadFormElementCache(Database &db, Progress *progress) {
    Query elements(db, FormElementQuerySql());
    elements.open();
    if (progress)
        progress->SetProgressRange(elements.recordCount());
    TTREList fresh;
    fresh.AppendRows(elements, progress);
    elements.close();
    if (progress)
        progress->StepDone();
    fresh.Sort();
    FormElementCache() = std::move(fresh);
}

void LoadFormElementCache(Progress *progress) {
    LoadFormElementCache(Engine::current()->dblog(), progress);
}

} // namespace velmora
