#include "store/Errors.h"
#include "store/Values.h"

#include <QTest>

using namespace velmora;

// Numbers handed to a number column as text are what a German user typed,
// read by the one reader of German numbers.
class TestValues : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void typedNumbers_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<double>("stored");
        const int num = int(FieldType::Number), lng = int(FieldType::Long);
        QTest::newRow("three decimals") << num << QVariant(QStringLiteral("1,500")) << 1.5;
        QTest::newRow("thousands group") << num << QVariant(QStringLiteral("1.500")) << 1500.0;
        QTest::newRow("grouped with decimals") << num << QVariant(QStringLiteral("1.500,25")) << 1500.25;
        QTest::newRow("decimal point") << num << QVariant(QStringLiteral("1.5")) << 1.5;
        QTest::newRow("exponent") << num << QVariant(QStringLiteral("1e-3")) << 0.001;
        QTest::newRow("a number stays") << num << QVariant(2.25) << 2.25;
        QTest::newRow("integer from a group") << lng << QVariant(QStringLiteral("40.000")) << 40000.0;
        QTest::newRow("integer rounded") << lng << QVariant(QStringLiteral("2,5")) << 3.0;
    }
    void typedNumbers() {
        QFETCH(int, type);
        QFETCH(QVariant, value);
        QFETCH(double, stored);
        const StoredValue sv = toStoredValue(value, FieldType(type), 0);
        if (FieldType(type) == FieldType::Number) {
            QCOMPARE(sv.kind, StoredValue::Float);
            QCOMPARE(sv.real, stored);
        } else {
            QCOMPARE(sv.kind, StoredValue::Integer);
            QCOMPARE(double(sv.integer), stored);
        }
    }

    void unreadableNumbersRefused() {
        for (const char *text : {"zwölf", "1,2,3", "12,5 kg"})
            QVERIFY_THROWS_EXCEPTION(VelmoraError, toStoredValue(QString::fromUtf8(text), FieldType::Number, 0));
    }
};

QTEST_GUILESS_MAIN(TestValues)
#include "tst_values.moc"
