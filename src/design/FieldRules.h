#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

namespace velmora {

// The rules of the field editor without its window: the type choices and
// their codes, the name defaults and checks, and what "Fertig" makes of the
// inputs. Refusals raise VelmoraError naming the editor's control.
class FieldRules {
public:
    // The type choices in the order the editor shows them.
    enum class Choice { Textzeile, Combobox, Indexfeld, Memo, GanzeZahl, Kommazahl, Indikator, Zeit, Checkbox };
    static constexpr int kChoiceCount = 9;

    // The controls the refusals name.
    static constexpr const char *kNameControl = "dbfFeldname";
    static constexpr const char *kSmallestControl = "txtKleinsterWert";
    static constexpr const char *kLargestControl = "txtGroessterWert";
    static constexpr const char *kSizeControl = "dbfGroesse";
    static constexpr const char *kValuesControl = "dbfWerte";

    static const QString kNameInUse;
    static const QString kNameEmpty;
    static const QString kNameQuote;
    static const QString kNoValue;
    static const QString kNoInteger;
    static const QString kNoFloat;
    static const QString kNoTime; // "%1": the text
    static const QString kLimitsReversed;
    static const QString kSizeTooSmall;
    static const QString kSizeOutOfRange;
    // The edit mask of the time limits, as the engine's mask language writes
    // it, and the same mask for Qt's line edits.
    static const QString kTimeMask;
    static const QString kTimeInputMask;
    static constexpr int kMaxTextSize = 255;

    static QString caption(Choice choice);
    static QString hint(Choice choice);
    static QString objectName(Choice choice);
    // The code a checked choice gives.
    static QChar codeOf(Choice choice);
    // The choice that shows a stored code: "S" is "Ganze Zahl", "?" and any
    // unknown code "Textzeile"; in a grid the codes it cannot show fall back
    // to "Textzeile" too.
    static Choice choiceOf(const QString &typ, bool grid);
    static bool allowedInGrid(Choice choice);

    // "Feld" and the field's Order.
    static QString defaultName(int order);
    // What leaving the name edit does: the prefix receives the name as typed
    // when it is empty, the name gets "_" for its spaces.
    struct NameExit {
        QString name;
        QString prefix;
    };
    static NameExit leaveName(const QString &typed, const QString &prefix);
    // Refuses names SQLite could not take as a column (empty: kNameEmpty,
    // holding a double quote: kNameQuote), reserved names and names another
    // field of the block already uses, ignoring case (kNameInUse).
    static void checkName(const QString &name, const QStringList &otherNames);
    // The names of the block's other fields (Order other than `order`).
    static QStringList otherFieldNames(class Database &db, int tableNr, int order);

    // The inputs of the last page and what "Fertig" stores.
    struct Input {
        QChar code;
        QString smallest, largest; // the two limits as typed
        QVariant groesse;          // null when empty
        QString werte;             // the value list (one value per line)
    };
    struct Result {
        QString typ;
        int groesse = 0;
        QString werte; // empty: no values
    };
    static Result finish(const Input &input);

    // A time of day as the limit edits hold it ("2:00:00"); false when it
    // is none.
    static bool parseTime(const QString &text, int *seconds);
    // True when a time limit holds no digit (the mask's separators only).
    static bool isBlank(QChar code, const QString &text);
};

} // namespace velmora
