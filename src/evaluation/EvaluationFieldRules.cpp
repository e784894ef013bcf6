#include "evaluation/EvaluationFieldRules.h"

#include "base/Errors.h"
#include "store/Database.h"

#include <QSet>
#include <sqlite3.h>

namespace velmora {

const QString EvaluationFieldRules::kNameEmpty = QStringLiteral("Bitte geben Sie einen Feldnamen an!");
const QString EvaluationFieldRules::kNameInUse =
    QStringLiteral("Bitte wählen Sie einen anderen Feldnamen, dieser existiert schon!");
const QString EvaluationFieldRules::kNameNotPlain =
    QStringLiteral("Der Feldname darf nur Buchstaben, Ziffern und _ enthalten!");

const QStringList &EvaluationFieldRules::aggregateEntries() {
    static const QStringList entries{
        QStringLiteral("group by \"nach diesem Feld gruppieren\""),
        QStringLiteral("sum \"Summe des Feldeinhalts\""),
        QStringLiteral("avg \"Durchschnitt des Feldeinhalts\""),
        QStringLiteral("count \"Anzahl unterschiedlicher Werte\""),
        QStringLiteral("min \"Minimaler Feldwert\""),
        QStringLiteral("max \"Maximaler Feldwert\""),
    };
    return entries;
}

int EvaluationFieldRules::aggregateCode(const QString &shown) {
    return int(aggregateEntries().indexOf(shown));
}

QString EvaluationFieldRules::aggregateWord(const QString &shown) {
    const qsizetype blank = shown.indexOf(QLatin1Char(' '));
    return blank < 0 ? shown : shown.left(blank);
}

const QString &EvaluationFieldRules::fieldListSql() {
    static const QString sql = QStringLiteral(
        "select distinct TrField.*, \"\"\"\"+trtable.filename+\"\"\".\"\"\"+trfield.FeldName+\"\"\"\" as Entity "
        "from TrField, TrTable, ATable where (ATable.AuswertungNr = :AuswertungNr) and "
        "(TrField.TableNr = TrTable.TableNr) and (TrField.TableNr = ATable.TableNr)");
    return sql;
}

QString EvaluationFieldRules::blockFieldName(Database &db, int tableNr, int order) {
    Statement st(db, QStringLiteral("SELECT Feldname FROM %1 WHERE TableNr = ? AND \"Order\" = ?")
                         .arg(quoteIdentifier(db.requireTable(QStringLiteral("TRFIELD")))));
    st.bind(1, tableNr);
    st.bind(2, order);
    return st.step() ? st.value(0).toString() : QString();
}

int EvaluationFieldRules::nextFieldNumber(Database &db, int auswertungNr) {
    Statement st(db, QStringLiteral("SELECT max(FeldNr) FROM %1 WHERE AuswertungNr = ?")
                         .arg(quoteIdentifier(db.requireTable(QStringLiteral("AFIELD")))));
    st.bind(1, auswertungNr);
    st.step();
    if (sqlite3_column_type(st.get(), 0) == SQLITE_NULL)
        return 1;
    const qint64 next = sqlite3_column_int64(st.get(), 0) + 1;
    // FeldNr is a short integer.
    if (next > 32767)
        throw VelmoraError(QStringLiteral("Die Auswertung kann keine weiteren Felder aufnehmen."));
    return int(next);
}

QString EvaluationFieldRules::defaultName(int feldNr) {
    return QStringLiteral("Feld") + QString::number(feldNr);
}

bool EvaluationFieldRules::isPlainSqlName(const QString &name) {
    if (name.isEmpty() || name.front().isDigit())
        return false;
    for (const QChar c : name)
        if (!c.isLetterOrNumber() && c != QLatin1Char('_'))
            return false;
    // Words of the local SQL that SQLite itself does not reserve.
    static const QSet<QString> localWords{QStringLiteral("TRUE"), QStringLiteral("FALSE"), QStringLiteral("EXTRACT"),
                                          QStringLiteral("CHARACTER")};
    if (localWords.contains(name.toUpper()))
        return false;
    const QByteArray utf8 = name.toUtf8();
    return sqlite3_keyword_check(utf8.constData(), int(utf8.size())) == 0;
}

void EvaluationFieldRules::checkName(const QString &name, const QStringList &otherNames) {
    if (name.isEmpty())
        throw VelmoraError(kNameEmpty, QString::fromLatin1(kNameControl));
    if (otherNames.contains(name, Qt::CaseSensitive))
        throw VelmoraError(kNameInUse, QString::fromLatin1(kNameControl));
    // The name becomes an unquoted column alias of the stage-2 query.
    if (!isPlainSqlName(name))
        throw VelmoraError(kNameNotPlain, QString::fromLatin1(kNameControl));
}

QString EvaluationFieldRules::hoursExpression(const QString &reference) {
    return QStringLiteral("EXTRACT(HOUR FROM ") + reference + QStringLiteral(") + ") +
           QStringLiteral("EXTRACT(MINUTE FROM ") + reference + QStringLiteral(")/60 + ") +
           QStringLiteral("EXTRACT(SECOND FROM ") + reference + QStringLiteral(")/3600");
}

EvaluationFieldRules::PostResult EvaluationFieldRules::beforePost(const PostInput &in, const QStringList &otherNames) {
    checkName(in.name, otherNames);
    PostResult r;
    r.agregatfunktion = aggregateCode(in.aggregateShown);
    const QString word = aggregateWord(in.aggregateShown);
    const bool groupWord = word == QLatin1String("group") || word.isEmpty();

    QString summary = word;
    if (!in.memoLines.isEmpty()) {
        QString line0;
        if (in.calculated) {
            line0 = in.memoLines.join(QLatin1Char(' '));
        } else {
            line0 = QLatin1Char('(') + in.memoLines.front() + QStringLiteral(") ");
            for (qsizetype i = 1; i < in.memoLines.size(); ++i)
                line0 += QStringLiteral("or (") + in.memoLines[i] + QStringLiteral(") ");
        }
        summary = groupWord ? line0 + QLatin1Char(' ') : word + QLatin1Char('(') + line0 + QStringLiteral(") ");
        r.setBedingung = true;
        r.bedingung = line0 + QLatin1Char('\n') + line0;
    }
    if (!in.calculated) {
        if (summary == QLatin1String("group") || summary.isEmpty())
            summary = in.blockFieldName + QLatin1Char(' ');
        else
            summary += QLatin1Char('(') + in.blockFieldName + in.arithmOp + QStringLiteral(") ");
    }
    if (in.grouping && r.agregatfunktion < 1 && in.sichtbar)
        summary = QStringLiteral(" group ") + summary;
    r.display = in.typ + QStringLiteral(": ") + in.name + QStringLiteral(", ") + summary;
    return r;
}

} // namespace velmora
