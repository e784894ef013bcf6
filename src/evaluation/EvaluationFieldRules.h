#pragma once

#include <QString>
#include <QStringList>

namespace velmora {

class Database;

// The rules of the evaluation field editor without its window: field
// numbers and default names, the name checks, the aggregate entries, the
// hours expression of a time field, and what a post makes of the inputs
// (Agregatfunktion, Bedingung, Display). Refusals raise VelmoraError naming
// the editor's control.
class EvaluationFieldRules {
public:
    static constexpr const char *kNameControl = "dbfFeldname";

    static const QString kNameEmpty;
    static const QString kNameInUse;
    static const QString kNameNotPlain;

    // The six entries of "Aggregatfunktion"; an entry's index is its code.
    static const QStringList &aggregateEntries();
    // Index of the shown text among the entries, -1 when it is none of them.
    static int aggregateCode(const QString &shown);
    // The shown text up to its first blank ("group", "sum", ...).
    static QString aggregateWord(const QString &shown);

    // The query quAFieldList: the fields of the evaluation's blocks
    // (parameter :AuswertungNr) with their references in the column Entity.
    static const QString &fieldListSql();
    // Feldname of a block field; empty when there is none.
    static QString blockFieldName(Database &db, int tableNr, int order);

    // One above the evaluation's largest FeldNr, or 1.
    static int nextFieldNumber(Database &db, int auswertungNr);
    // "Feld" and the field number.
    static QString defaultName(int feldNr);

    // A name the stage-2 query can use unquoted as a column alias: letters
    // (umlauts included), digits and "_", not starting with a digit, and no
    // SQL keyword.
    static bool isPlainSqlName(const QString &name);
    // Refuses an empty name (kNameEmpty), a name another field of the
    // evaluation has, compared exactly (kNameInUse), and a name that is not
    // a plain SQL name (kNameNotPlain).
    static void checkName(const QString &name, const QStringList &otherNames);

    // Time fields are evaluated as hours with a fraction.
    static bool isTimeCode(const QString &typ) { return typ == QLatin1String("Z"); }
    static QString hoursExpression(const QString &reference);

    // What the editor holds when its row is posted.
    struct PostInput {
        QString typ;            // the field kind: "D", "X" or "Y"
        QString name;           // Name
        bool grouping = true;   // the evaluation's Gruppierung
        QString aggregateShown; // the text of "Aggregatfunktion"
        bool calculated = false;
        bool sichtbar = true;
        QStringList memoLines;  // the lines of the memo
        QString blockFieldName; // Feldname of the selected block field
        QString arithmOp;       // ArithmOp
    };
    struct PostResult {
        int agregatfunktion = 0;
        // False when the memo held no line: Bedingung stays as it is.
        bool setBedingung = false;
        QString bedingung;
        QString display;
    };
    // Checks the name against the evaluation's other names, then composes
    // the values the row receives.
    static PostResult beforePost(const PostInput &input, const QStringList &otherNames);
};

} // namespace velmora
