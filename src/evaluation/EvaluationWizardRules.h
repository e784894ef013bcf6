#pragma once

#include <QList>
#include <QString>
#include <optional>

namespace velmora {

class Database;

// What the evaluation wizard writes, without its window: the axis fields of
// its axis choices, the block rows of its page "Bausteine", and the
// document-list filters of its two document trees. Every write is one
// transaction: it happens whole or not at all.
class EvaluationWizardRules {
public:
    // The entries of "X-Achse" and "Y-Achse" (the index is ArtXAchse/ArtYAchse).
    enum Axis { AxisNone = 0, AxisDatum, AxisWoche, AxisMonat, AxisJahr, AxisPerson, AxisOther };
    static constexpr int kAxisCount = 7;
    static const QString &axisCaption(int index);

    // The field an entry 1 to 5 writes; none for 0 and 6.
    struct AxisField {
        QString name;
        int tableNr = 0;
        QString expression; // empty: a plain field of block 0
    };
    static std::optional<AxisField> axisField(int index);

    // "X: Woche", or "X: group Woche" (cut to 16 characters) when grouped.
    static QString axisDisplay(const QString &typ, const QString &name, bool grouped);
    // "X-Achse" or "Y-Achse", one carriage return, the expression.
    static QString axisBedingung(const QString &typ, const QString &expression);

    // Deletes the evaluation's fields of this axis kind ("X" or "Y") and,
    // for the entries 1 to 5, appends the entry's field numbered one above
    // the largest remaining FeldNr. Returns the new FeldNr, or 0.
    static int writeAxisChoice(Database &db, int auswertungNr, const QString &typ, int index, bool grouping);
    // Deletes the evaluation's fields of this axis kind.
    static void deleteAxisFields(Database &db, int auswertungNr, const QString &typ);
    // Number of the evaluation's fields of one kind ("X", "Y", "D").
    static int fieldCount(Database &db, int auswertungNr, const QString &typ);

    // The ATABLE rows: for every block listed, its row is removed and, when
    // chosen, written again.
    static void storeBlocks(Database &db, int auswertungNr, const QList<int> &listed, const QList<int> &chosen);
    // The blocks the evaluation has ATABLE rows for.
    static QList<int> chosenBlocks(Database &db, int auswertungNr);

    // Choices of "Daten" on the page "Dokumente".
    enum Select { OnlyMine = 0, MyGroup, MyCoach, Everyone };
    static QStringList selectEntries();
    // The document-list filter of the top node "Plan" (plan true) or
    // "Protokoll" for a choice of "Daten".
    static QString documentFilter(int choice, bool plan, int user, int group);
};

} // namespace velmora
