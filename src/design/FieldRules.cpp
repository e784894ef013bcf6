#include "design/FieldRules.h"

#include "base/GermanInput.h"
#include "base/Helpers.h"
#include "design/BlockTable.h"
#include "store/Cursor.h"
#include "store/Errors.h"

#include <QRegularExpression>
#include <cmath>
#include <limits>

namespace velmora {

const QString FieldRules::kNameInUse = QStringLiteral("Dieser Feldname wird bereits benutzt.") + QLatin1Char('\r') +
                                       QStringLiteral("Wählen Sie bitte einen anderen!");
const QString FieldRules::kNameEmpty = QStringLiteral("Bitte geben Sie einen Feldnamen ein!");
const QString FieldRules::kNameQuote = QStringLiteral("Ein Feldname darf kein Anführungszeichen (\") enthalten.");
const QString FieldRules::kNoValue = QStringLiteral("Bitte geben Sie einen Wert ein!");
const QString FieldRules::kNoInteger = QStringLiteral("Bitte geben Sie eine gültige ganze Zahl ein!");
const QString FieldRules::kNoFloat = QStringLiteral("Bitte geben Sie eine gültige Kommazahl ein!");
const QString FieldRules::kNoTime = QStringLiteral("'%1' ist keine gültige Zeit.");
const QString FieldRules::kLimitsReversed = QStringLiteral("Die untere Grenze sollte kleiner als die obere sein!");
const QString FieldRules::kSizeTooSmall = QStringLiteral("Die Feldgröße muß größer 0 sein!");
const QString FieldRules::kSizeOutOfRange = QStringLiteral("Die Feldgröße muß zwischen 1 und 255 liegen!");
const QString FieldRules::kTimeMask = QStringLiteral("!90:00:00;1;_");
// Qt's mask letters are the other way round: 0 is an optional digit, 9 a required one.
const QString FieldRules::kTimeInputMask = QStringLiteral("09:99:99;_");

namespace {
struct ChoiceInfo {
    const char *caption;
    const char *objectName;
    char code;
    bool grid;
    const char *hint;
};

const ChoiceInfo kChoices[FieldRules::kChoiceCount] = {
    {"Textzeile", "rbtTextzeile", 'A', true,
     "Bei einer Testzeile können Sie bis zu 255 Zeichen in einer Zeile eingeben. Beachten Sie, daß durch Tipfehler "
     "zusätzliche Werte entstehen, die bei Auswertungen stören können."},
    {"Combobox", "rbtCombobox", 'C', false,
     "Bei einer Combobox können Sie eine Liste mit Werten vorgeben, aus der man auswählen kann. Unterschiedliche Werte "
     "durch Tippfehler werden so vermieden."},
    {"Indexfeld", "rbtIndexfeld", 'X', true,
     "Ein Indexfeld funktioniert wie eine Combobox. Es wird jedoch nur eine eindeutige Nummer gespeichert, dadurch "
     "wird "
     "Platz gespart und auch Auswertungen werden schneller."},
    {"Memo", "rbtMemo", 'M', false,
     "In ein Memo können Sie beliebig viel Text (auch mehrzeilig) eingeben. Diesen Text können SIe aber nicht für "
     "automatische Auswertungen verwenden."},
    {"Ganze Zahl", "rbtGanzeZahl", 'I', true,
     "Eine ganze Zahl kann Werte zwischen -2147483648 und 2147483647 enthalten. Sie können den Wertebereich in Folge "
     "weiter einschränken."},
    {"Kommazahl", "rbtKommazahl", 'F', true,
     "Eine reelle Zahl kann Werte zwischen -10^307 und 10^308 mit 15 signifikanten Stellen enthalten. Sie können den "
     "Wertebereich in Folge weiter einschränken."},
    {"Indikator", "rbtIndikator", 'N', false,
     "Ein Indikator ist eine Kommazahl, die mit einem \"Schiebregler\" eingestellt werden kann. D.h., es ist keine "
     "Zahl "
     "zu sehen, sondern die Position des Schiebers."},
    {"Zeit", "rbtZeit", 'Z', true,
     "Zeit ist ebenfalls eine Kommazahl, basierend auf dem Bruchteil eines Tages. Dadurch können alle mathematischen "
     "Operationen ohne Umwandlung ausgeführt werden."},
    {"Checkbox", "rbtCheckbox", 'L', true,
     "Eine Checkbox ist ein \"Ja/Nein\" Feld, in dem man eine Aussage wie in einem Fragebogen \"ankreuzen\" kann."},
};

const ChoiceInfo &info(FieldRules::Choice c) {
    return kChoices[int(c)];
}

[[noreturn]] void refuse(const QString &message, const char *control) {
    throw VelmoraError(message, QString::fromLatin1(control));
}

// Read as the entry editor reads the limits back: one reader of German
// numbers for both, so that "1,500" is 1.5 in either.
bool parseFloat(const QString &text, double *value) {
    const std::optional<double> v = ParseGermanNumber(text);
    if (!v || !std::isfinite(*v))
        return false;
    *value = *v;
    return true;
}

bool parseInt(const QString &text, qint64 *value) {
    double v = 0;
    if (!parseFloat(text, &v) || v != std::floor(v) || v < std::numeric_limits<qint32>::min() ||
        v > std::numeric_limits<qint32>::max())
        return false;
    *value = qint64(v);
    return true;
}
} // namespace

QString FieldRules::caption(Choice choice) {
    return QString::fromUtf8(info(choice).caption);
}
QString FieldRules::hint(Choice choice) {
    return QString::fromUtf8(info(choice).hint);
}
QString FieldRules::objectName(Choice choice) {
    return QString::fromLatin1(info(choice).objectName);
}
QChar FieldRules::codeOf(Choice choice) {
    return QLatin1Char(info(choice).code);
}
bool FieldRules::allowedInGrid(Choice choice) {
    return info(choice).grid;
}

FieldRules::Choice FieldRules::choiceOf(const QString &typ, bool grid) {
    const QChar code = typ.isEmpty() ? QChar() : typ.at(0).toUpper();
    Choice choice = Choice::Textzeile;
    if (code == QLatin1Char('S'))
        choice = Choice::GanzeZahl;
    else
        for (int i = 0; i < kChoiceCount; ++i)
            if (QLatin1Char(kChoices[i].code) == code)
                choice = Choice(i);
    if (grid && !allowedInGrid(choice))
        choice = Choice::Textzeile;
    return choice;
}

QString FieldRules::defaultName(int order) {
    return QStringLiteral("Feld") + QString::number(order);
}

FieldRules::NameExit FieldRules::leaveName(const QString &typed, const QString &prefix) {
    return {SpacesToUnderscores(typed), prefix.isEmpty() ? typed : prefix};
}

void FieldRules::checkName(const QString &name, const QStringList &otherNames) {
    const QString upper = name.toUpper();
    // The block table is created with these names quoted: a name SQLite
    // cannot take would only fail when the block is finished.
    if (name.trimmed().isEmpty())
        refuse(kNameEmpty, kNameControl);
    if (name.contains(QLatin1Char('"')))
        refuse(kNameQuote, kNameControl);
    if (upper == QLatin1String("ORDER") || upper == QLatin1String("SERIENNR") || upper == QLatin1String("TRNR"))
        refuse(kNameInUse, kNameControl);
    // A column under one of SQLite's names for the row id hides the row id
    // from every statement that addresses a row by it.
    if (upper == QLatin1String("ROWID") || upper == QLatin1String("OID") || upper == QLatin1String("_ROWID_"))
        refuse(kNameInUse, kNameControl);
    for (const QString &other : otherNames)
        if (other.toUpper() == upper)
            refuse(kNameInUse, kNameControl);
}

QStringList FieldRules::otherFieldNames(Database &db, int tableNr, int order) {
    Cursor fields(db, QStringLiteral("TRFIELD"));
    fields.setOrder(QStringLiteral("TableNr;Order"));
    fields.setRange({tableNr}, {tableNr});
    fields.setReadOnly(true);
    fields.open();
    QStringList names;
    for (; !fields.eof(); fields.next())
        if (fields.asInt(QStringLiteral("Order")) != order)
            names << fields.asString(QStringLiteral("Feldname"));
    return names;
}

bool FieldRules::isBlank(QChar code, const QString &text) {
    if (code.toUpper() != QLatin1Char('Z'))
        return text.trimmed().isEmpty();
    for (QChar c : text)
        if (c.isDigit())
            return false;
    return true;
}

bool FieldRules::parseTime(const QString &text, int *seconds) {
    static const QRegularExpression time(QStringLiteral("^\\s*(\\d{1,2}):(\\d{1,2})(?::(\\d{1,2}))?\\s*$"));
    const QRegularExpressionMatch m = time.match(text);
    if (!m.hasMatch())
        return false;
    const int h = m.captured(1).toInt(), min = m.captured(2).toInt(), s = m.captured(3).toInt();
    if (h > 23 || min > 59 || s > 59)
        return false;
    *seconds = h * 3600 + min * 60 + s;
    return true;
}

FieldRules::Result FieldRules::finish(const Input &in) {
    const QChar code = in.code.toUpper();
    Result r;
    r.typ = QString(code);

    if (isRangeCode(code)) {
        // Each limit in turn: first the smallest, then the largest value.
        auto limit = [&](const QString &text, const char *control) -> double {
            if (isBlank(code, text))
                refuse(kNoValue, control);
            if (code == QLatin1Char('I') || code == QLatin1Char('S')) {
                qint64 v = 0;
                if (!parseInt(text, &v))
                    refuse(kNoInteger, control);
                return double(v);
            }
            if (code == QLatin1Char('F')) {
                double v = 0;
                if (!parseFloat(text, &v))
                    refuse(kNoFloat, control);
                return v;
            }
            if (code == QLatin1Char('Z')) {
                int v = 0;
                if (!parseTime(text, &v))
                    refuse(kNoTime.arg(text), control);
                return v;
            }
            return 0; // an indicator's limits are only required
        };
        const double low = limit(in.smallest, kSmallestControl);
        const double high = limit(in.largest, kLargestControl);
        // Both limits fit a 16-bit column: the smaller column suffices.
        if (code == QLatin1Char('I') || code == QLatin1Char('S'))
            r.typ = low >= -32768 && high <= 32767 ? QStringLiteral("S") : QStringLiteral("I");
        if (code != QLatin1Char('N') && high < low)
            refuse(kLimitsReversed, kLargestControl);
    }

    int size = in.groesse.isNull() ? -1 : in.groesse.toInt();
    if (isListCode(code)) {
        static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
        int longest = 0;
        for (const QString &line : in.werte.split(lineBreak))
            longest = std::max(longest, int(line.size()));
        if (longest > kMaxTextSize)
            refuse(kSizeOutOfRange, kValuesControl);
        size = std::max(longest, 1);
        r.werte = in.werte;
    }
    if (isRangeCode(code))
        r.werte = in.smallest + QLatin1Char('\n') + in.largest;
    if (isSizedCode(code) && size != -1) {
        if (size < 1)
            refuse(kSizeTooSmall, kSizeControl);
        if (size > kMaxTextSize)
            refuse(kSizeOutOfRange, kSizeControl);
    }
    r.groesse = size == -1 ? defaultSizeOfCode(code) : size;
    return r;
}

} // namespace velmora
