#include "base/GermanInput.h"

#include <QTest>

using namespace velmora;

class TestGermanInput : public QObject {
    Q_OBJECT
private slots:
    void dates_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDate>("expected"); // invalid: not readable
        QTest::newRow("four-digit year") << "11.01.2026" << QDate(2026, 1, 11);
        QTest::newRow("single digits") << "1.2.1985" << QDate(1985, 2, 1);
        QTest::newRow("two-digit year, this century") << "11.01.26" << QDate(2026, 1, 11);
        QTest::newRow("two-digit year, last century") << "1.2.85" << QDate(1985, 2, 1);
        QTest::newRow("window start") << "1.1.50" << QDate(1950, 1, 1);
        QTest::newRow("window end") << "31.12.49" << QDate(2049, 12, 31);
        QTest::newRow("engine form") << "2026-01-05" << QDate(2026, 1, 5);
        QTest::newRow("blanks around") << " 5.1.2026 " << QDate(2026, 1, 5);
        QTest::newRow("no such day") << "31.02.2026" << QDate();
        QTest::newRow("month 13") << "1.13.2026" << QDate();
        QTest::newRow("three-digit year") << "1.1.202" << QDate();
        QTest::newRow("time") << "0:30" << QDate();
        QTest::newRow("text") << "Montag" << QDate();
        QTest::newRow("empty") << "" << QDate();
    }
    void dates() {
        QFETCH(QString, text);
        QFETCH(QDate, expected);
        const auto d = ParseGermanDate(text);
        QCOMPARE(d.has_value(), expected.isValid());
        if (d)
            QCOMPARE(*d, expected);
    }

    void times_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QTime>("expected");
        QTest::newRow("unpadded hour") << "0:30" << QTime(0, 30);
        QTest::newRow("with seconds") << "0:45:30" << QTime(0, 45, 30);
        QTest::newRow("engine form") << "13:05:09.250" << QTime(13, 5, 9, 250);
        QTest::newRow("hour 24") << "24:00" << QTime();
        QTest::newRow("minute 99") << "25:99:00" << QTime();
        QTest::newRow("one-digit minute") << "1:5" << QTime();
        QTest::newRow("date") << "1.2.2026" << QTime();
    }
    void times() {
        QFETCH(QString, text);
        QFETCH(QTime, expected);
        const auto t = ParseGermanTime(text);
        QCOMPARE(t.has_value(), expected.isValid());
        if (t)
            QCOMPARE(*t, expected);
    }

    void dateTimes_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDateTime>("expected");
        QTest::newRow("date alone") << "11.01.26" << QDateTime(QDate(2026, 1, 11), QTime(0, 0));
        QTest::newRow("german") << "11.01.2026 7:30" << QDateTime(QDate(2026, 1, 11), QTime(7, 30));
        QTest::newRow("engine") << "2026-01-11 07:30:15.000" << QDateTime(QDate(2026, 1, 11), QTime(7, 30, 15));
        QTest::newRow("iso T") << "2026-01-11T07:30:15" << QDateTime(QDate(2026, 1, 11), QTime(7, 30, 15));
        QTest::newRow("bad time") << "11.01.2026 7:99" << QDateTime();
        QTest::newRow("bad date") << "30.02.2026 7:30" << QDateTime();
    }
    void dateTimes() {
        QFETCH(QString, text);
        QFETCH(QDateTime, expected);
        const auto t = ParseGermanDateTime(text);
        QCOMPARE(t.has_value(), expected.isValid());
        if (t)
            QCOMPARE(*t, expected);
    }

    void numbers_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("readable");
        QTest::addColumn<double>("expected");
        QTest::newRow("three decimals") << "1,500" << true << 1.5;
        QTest::newRow("thousands") << "1.500" << true << 1500.0;
        QTest::newRow("thousands and decimals") << "12.345.678,25" << true << 12345678.25;
        QTest::newRow("point as decimal") << "1.5" << true << 1.5;
        QTest::newRow("negative") << "-40,5" << true << -40.5;
        QTest::newRow("whole") << "220" << true << 220.0;
        QTest::newRow("trailing comma") << "5," << true << 5.0;
        QTest::newRow("leading comma") << ",5" << true << 0.5;
        QTest::newRow("two commas") << "1,5,0" << false << 0.0;
        QTest::newRow("broken groups") << "1.50.0" << false << 0.0;
        QTest::newRow("group after comma") << "1,500.000" << false << 0.0;
        QTest::newRow("comma alone") << "," << false << 0.0;
        QTest::newRow("letters") << "12a" << false << 0.0;
        QTest::newRow("empty") << "" << false << 0.0;
    }
    void numbers() {
        QFETCH(QString, text);
        QFETCH(bool, readable);
        QFETCH(double, expected);
        const auto v = ParseGermanNumber(text);
        QCOMPARE(v.has_value(), readable);
        if (v)
            QCOMPARE(*v, expected);
    }
};

QTEST_GUILESS_MAIN(TestGermanInput)
#include "tst_germaninput.moc"
