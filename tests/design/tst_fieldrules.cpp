#include "design/FieldRules.h"
#include "store/Errors.h"

#include <QTest>

using namespace velmora;
using C = FieldRules::Choice;

Q_DECLARE_METATYPE(FieldRules::Choice)

class TestFieldRules : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void finish_data();
    void finish();
    void checkName_data();
    void checkName();
    void leavingTheName();
    void choiceOfStoredType_data();
    void choiceOfStoredType();
    void choicesGiveTheirCodes();
};

void TestFieldRules::finish_data() {
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("smallest");
    QTest::addColumn<QString>("largest");
    QTest::addColumn<QVariant>("groesse");
    QTest::addColumn<QString>("werte");
    // Either a refusal (message, control) or what is stored (Typ, Größe, Werte).
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("typ");
    QTest::addColumn<int>("storedSize");
    QTest::addColumn<QString>("storedWerte");

    const QVariant none;
    const QString ok;
    const QString lo = QString::fromLatin1(FieldRules::kSmallestControl);
    const QString hi = QString::fromLatin1(FieldRules::kLargestControl);
    const QString size = QString::fromLatin1(FieldRules::kSizeControl);
    const QString values = QString::fromLatin1(FieldRules::kValuesControl);

    QTest::newRow("int within 16 bit becomes S") << "I"
                                                 << "0"
                                                 << "200" << none << "" << ok << ok << "S" << 0 << "0\n200";
    QTest::newRow("int beyond 16 bit stays I") << "I"
                                               << "0"
                                               << "40000" << none << "" << ok << ok << "I" << 0 << "0\n40000";
    QTest::newRow("int 16 bit bounds exactly") << "I"
                                               << "-32768"
                                               << "32767" << none << "" << ok << ok << "S" << 0 << "-32768\n32767";
    QTest::newRow("int below 16 bit") << "I"
                                      << "-32769"
                                      << "0" << none << "" << ok << ok << "I" << 0 << "-32769\n0";
    QTest::newRow("int limits kept as typed") << "I"
                                              << " 5"
                                              << "10 " << none << "" << ok << ok << "S" << 0 << " 5\n10 ";
    QTest::newRow("int smallest empty") << "I"
                                        << ""
                                        << "10" << none << "" << FieldRules::kNoValue << lo << ok << 0 << ok;
    QTest::newRow("int largest empty") << "I"
                                       << "1"
                                       << "  " << none << "" << FieldRules::kNoValue << hi << ok << 0 << ok;
    QTest::newRow("int not a number") << "I"
                                      << "1,5"
                                      << "10" << none << "" << FieldRules::kNoInteger << lo << ok << 0 << ok;
    QTest::newRow("int largest beyond 32 bit")
        << "I"
        << "0"
        << "2147483648" << none << "" << FieldRules::kNoInteger << hi << ok << 0 << ok;
    QTest::newRow("int smallest checked first") << "I"
                                                << "x"
                                                << "" << none << "" << FieldRules::kNoInteger << lo << ok << 0 << ok;
    QTest::newRow("int reversed") << "I"
                                  << "10"
                                  << "5" << none << "" << FieldRules::kLimitsReversed << hi << ok << 0 << ok;
    QTest::newRow("int equal limits") << "I"
                                      << "7"
                                      << "7" << none << "" << ok << ok << "S" << 0 << "7\n7";
    QTest::newRow("float with comma") << "F"
                                      << "0,5"
                                      << "12.75" << none << "" << ok << ok << "F" << 0 << "0,5\n12.75";
    QTest::newRow("float not a number") << "F"
                                        << "0"
                                        << "zwölf" << none << "" << FieldRules::kNoFloat << hi << ok << 0 << ok;
    // German decimals read as the entry editor reads them: "1,500" is 1.5,
    // "1.500" is 1500.
    QTest::newRow("float three decimals") << "F"
                                          << "1,500"
                                          << "2" << none << "" << ok << ok << "F" << 0 << "1,500\n2";
    QTest::newRow("float thousands group") << "F"
                                           << "1.500"
                                           << "2" << none << "" << FieldRules::kLimitsReversed << hi << ok << 0 << ok;
    QTest::newRow("float with unit") << "F"
                                     << "12,5 kg"
                                     << "20" << none << "" << FieldRules::kNoFloat << lo << ok << 0 << ok;
    QTest::newRow("float two commas") << "F"
                                      << "1,2,3"
                                      << "20" << none << "" << FieldRules::kNoFloat << lo << ok << 0 << ok;
    QTest::newRow("int thousands group") << "I"
                                         << "0"
                                         << "40.000" << none << "" << ok << ok << "I" << 0 << "0\n40.000";
    QTest::newRow("float reversed") << "F"
                                    << "2,5"
                                    << "2,25" << none << "" << FieldRules::kLimitsReversed << hi << ok << 0 << ok;
    QTest::newRow("time stored as typed") << "Z"
                                          << "0:10:00"
                                          << "2:00:00" << none << "" << ok << ok << "Z" << 0 << "0:10:00\n2:00:00";
    QTest::newRow("time mask left blank") << "Z"
                                          << "::"
                                          << "2:00:00" << none << "" << FieldRules::kNoValue << lo << ok << 0 << ok;
    QTest::newRow("time not a time of day")
        << "Z"
        << "0:10:00"
        << "25:00:00" << none << "" << FieldRules::kNoTime.arg("25:00:00") << hi << ok << 0 << ok;
    QTest::newRow("time reversed") << "Z"
                                   << "2:00:00"
                                   << "0:10:00" << none << "" << FieldRules::kLimitsReversed << hi << ok << 0 << ok;
    QTest::newRow("indicator only needs limits") << "N"
                                                 << "hoch"
                                                 << "tief" << none << "" << ok << ok << "N" << 0 << "hoch\ntief";
    QTest::newRow("indicator empty limit") << "N"
                                           << "0"
                                           << "" << none << "" << FieldRules::kNoValue << hi << ok << 0 << ok;
    QTest::newRow("combobox size of longest value")
        << "C"
        << ""
        << "" << none << "rot\ngrün\ndunkelblau" << ok << ok << "C" << 10 << "rot\ngrün\ndunkelblau";
    QTest::newRow("combobox size replaces typed size")
        << "C"
        << ""
        << "" << QVariant(40) << "ja\nnein" << ok << ok << "C" << 4 << "ja\nnein";
    QTest::newRow("combobox without values") << "C"
                                             << ""
                                             << "" << QVariant(1) << "" << ok << ok << "C" << 1 << "";
    QTest::newRow("combobox value too long")
        << "C"
        << ""
        << "" << none << QString(256, QLatin1Char('x')) << FieldRules::kSizeOutOfRange << values << ok << 0 << ok;
    QTest::newRow("text size") << "A"
                               << ""
                               << "" << QVariant(30) << "alt" << ok << ok << "A" << 30 << "";
    QTest::newRow("text size empty gets default") << "A"
                                                  << ""
                                                  << "" << none << "" << ok << ok << "A" << 1 << "";
    QTest::newRow("text size 0") << "A"
                                 << ""
                                 << "" << QVariant(0) << "" << FieldRules::kSizeTooSmall << size << ok << 0 << ok;
    QTest::newRow("text size negative") << "A"
                                        << ""
                                        << "" << QVariant(-3) << "" << FieldRules::kSizeTooSmall << size << ok << 0
                                        << ok;
    QTest::newRow("text size 255") << "A"
                                   << ""
                                   << "" << QVariant(255) << "" << ok << ok << "A" << 255 << "";
    QTest::newRow("text size 256") << "A"
                                   << ""
                                   << "" << QVariant(256) << "" << FieldRules::kSizeOutOfRange << size << ok << 0 << ok;
    QTest::newRow("memo clears values") << "M"
                                        << ""
                                        << "" << QVariant(1) << "0\n10" << ok << ok << "M" << 1 << "";
    QTest::newRow("checkbox keeps size") << "L"
                                         << ""
                                         << "" << QVariant(0) << "" << ok << ok << "L" << 0 << "";
    QTest::newRow("index field default size") << "X"
                                              << ""
                                              << "" << none << "a\nb" << ok << ok << "X" << 0 << "";
}

void TestFieldRules::finish() {
    QFETCH(QString, code);
    QFETCH(QString, smallest);
    QFETCH(QString, largest);
    QFETCH(QVariant, groesse);
    QFETCH(QString, werte);
    QFETCH(QString, message);
    QFETCH(QString, control);
    QFETCH(QString, typ);
    QFETCH(int, storedSize);
    QFETCH(QString, storedWerte);
    const FieldRules::Input input{code.at(0), smallest, largest, groesse, werte};
    if (!message.isEmpty()) {
        try {
            FieldRules::finish(input);
            QFAIL("accepted");
        } catch (const VelmoraError &e) {
            QCOMPARE(e.message(), message);
            QCOMPARE(e.control(), control);
        }
        return;
    }
    const FieldRules::Result r = FieldRules::finish(input);
    QCOMPARE(r.typ, typ);
    QCOMPARE(r.groesse, storedSize);
    QCOMPARE(r.werte, storedWerte);
}

void TestFieldRules::checkName_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("others");
    QTest::addColumn<QString>("message"); // empty: accepted
    const QStringList others{QStringLiteral("Puls"), QStringLiteral("Dauer")};
    const QString inUse = QStringLiteral("Dieser Feldname wird bereits benutzt.\rWählen Sie bitte einen anderen!");
    const QString empty = QStringLiteral("Bitte geben Sie einen Feldnamen ein!");
    const QString quote = QStringLiteral("Ein Feldname darf kein Anführungszeichen (\") enthalten.");
    QTest::newRow("free name") << "Strecke" << others << QString();
    QTest::newRow("order") << "order" << others << inUse;
    QTest::newRow("ORDER") << "ORDER" << others << inUse;
    QTest::newRow("TrNr") << "TrNr" << others << inUse;
    QTest::newRow("SerienNr") << "seriennr" << others << inUse;
    QTest::newRow("used by another field") << "puls" << others << inUse;
    QTest::newRow("longer than a used name") << "Pulse" << others << QString();
    QTest::newRow("empty") << "" << others << empty;
    QTest::newRow("blanks only") << "   " << others << empty;
    QTest::newRow("double quote") << "Zeit\"1" << others << quote;
    QTest::newRow("umlaut") << "Größe" << others << QString();
    QTest::newRow("rowid") << "RowID" << others << inUse;
    QTest::newRow("oid") << "oid" << others << inUse;
    QTest::newRow("_rowid_") << "_ROWID_" << others << inUse;
    QTest::newRow("rowid inside a name") << "rowid2" << others << QString();
}

void TestFieldRules::checkName() {
    QFETCH(QString, name);
    QFETCH(QStringList, others);
    QFETCH(QString, message);
    try {
        FieldRules::checkName(name, others);
        QVERIFY(message.isEmpty());
    } catch (const VelmoraError &e) {
        QCOMPARE(e.message(), message);
        QCOMPARE(e.control(), QStringLiteral("dbfFeldname"));
    }
}

void TestFieldRules::leavingTheName() {
    const FieldRules::NameExit first = FieldRules::leaveName(QStringLiteral("Puls Ruhe"), QString());
    QCOMPARE(first.name, QStringLiteral("Puls_Ruhe"));
    QCOMPARE(first.prefix, QStringLiteral("Puls Ruhe"));
    const FieldRules::NameExit kept = FieldRules::leaveName(QStringLiteral("Puls Max"), QStringLiteral("Maximalpuls"));
    QCOMPARE(kept.name, QStringLiteral("Puls_Max"));
    QCOMPARE(kept.prefix, QStringLiteral("Maximalpuls"));
    QCOMPARE(FieldRules::defaultName(3), QStringLiteral("Feld3"));
}

void TestFieldRules::choiceOfStoredType_data() {
    QTest::addColumn<QString>("typ");
    QTest::addColumn<bool>("grid");
    QTest::addColumn<FieldRules::Choice>("choice");
    QTest::newRow("new field") << "?" << false << C::Textzeile;
    QTest::newRow("S is Ganze Zahl") << "S" << false << C::GanzeZahl;
    QTest::newRow("I") << "I" << false << C::GanzeZahl;
    QTest::newRow("Z") << "Z" << false << C::Zeit;
    QTest::newRow("C in a card") << "C" << false << C::Combobox;
    QTest::newRow("C in a grid") << "C" << true << C::Textzeile;
    QTest::newRow("M in a grid") << "M" << true << C::Textzeile;
    QTest::newRow("N in a grid") << "N" << true << C::Textzeile;
    QTest::newRow("X in a grid") << "X" << true << C::Indexfeld;
    QTest::newRow("L") << "L" << true << C::Checkbox;
}

void TestFieldRules::choiceOfStoredType() {
    QFETCH(QString, typ);
    QFETCH(bool, grid);
    QFETCH(FieldRules::Choice, choice);
    QCOMPARE(int(FieldRules::choiceOf(typ, grid)), int(choice));
}

void TestFieldRules::choicesGiveTheirCodes() {
    QString codes, gridCodes;
    for (int i = 0; i < FieldRules::kChoiceCount; ++i) {
        codes += FieldRules::codeOf(C(i));
        if (FieldRules::allowedInGrid(C(i)))
            gridCodes += FieldRules::codeOf(C(i));
    }
    QCOMPARE(codes, QStringLiteral("ACXMIFNZL"));
    QCOMPARE(gridCodes, QStringLiteral("AXIFZL"));
    QVERIFY(FieldRules::hint(C::Memo).startsWith(QStringLiteral("In ein Memo können Sie")));
}

QTEST_GUILESS_MAIN(TestFieldRules)
#include "tst_fieldrules.moc"
