#include "people/FilterRules.h"

#include <QTest>

using namespace velmora;
using Button = FilterRules::QuickButton;

Q_DECLARE_METATYPE(FilterRules::QuickButton)

class TestFilterRules : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void artFromChoices_data();
    void artFromChoices();
    void artShowsChoices_data();
    void artShowsChoices();
    void quickRange_data();
    void quickRange();
    void rangeValue_data();
    void rangeValue();
    void rangeTextRoundTrip_data();
    void rangeTextRoundTrip();
    void appliedDay();
    void joinKeys_data();
    void joinKeys();
    void splitKeys_data();
    void splitKeys();
};

void TestFilterRules::artFromChoices_data() {
    QTest::addColumn<int>("dokument");
    QTest::addColumn<int>("ebene");
    QTest::addColumn<int>("art");
    for (int d = 0; d < 3; ++d)
        for (int e = 0; e < 3; ++e)
            QTest::addRow("%s / %s", qPrintable(FilterRules::kDokumente[d]), qPrintable(FilterRules::kEbenen[e]))
                << d << e << d + 1 + 10 * e;
    // A text not found in its list counts as the first item.
    QTest::newRow("no Dokument") << -1 << 1 << 11;
    QTest::newRow("no Planungsebene") << 2 << -1 << 3;
    QTest::newRow("neither") << -1 << -1 << 1;
}

void TestFilterRules::artFromChoices() {
    QFETCH(int, dokument);
    QFETCH(int, ebene);
    QFETCH(int, art);
    QCOMPARE(FilterRules::artFromChoices(dokument, ebene), art);
}

void TestFilterRules::artShowsChoices_data() {
    QTest::addColumn<int>("art");
    QTest::addColumn<int>("dokument");  // -1: left as it is
    QTest::addColumn<int>("ebene");
    QTest::newRow("SOLL Wochensummen") << 13 << 2 << 1;
    QTest::newRow("IST Details") << 2 << 1 << 0;
    QTest::newRow("Leerformular Zyklensummen") << 21 << 0 << 2;
    QTest::newRow("units digit 0") << 0 << -1 << 0;
    QTest::newRow("units digit 0, week") << 10 << -1 << 1;
    QTest::newRow("units digit beyond the list") << 7 << -1 << 0;
    QTest::newRow("tens digit beyond the list") << 32 << 1 << -1;
    QTest::newRow("negative") << -12 << -1 << -1;
}

void TestFilterRules::artShowsChoices() {
    QFETCH(int, art);
    QFETCH(int, dokument);
    QFETCH(int, ebene);
    QCOMPARE(FilterRules::dokumentFromArt(art).value_or(-1), dokument);
    QCOMPARE(FilterRules::ebeneFromArt(art).value_or(-1), ebene);
    if (dokument >= 0 && ebene >= 0)
        QCOMPARE(FilterRules::artFromChoices(dokument, ebene), art);
}

void TestFilterRules::quickRange_data() {
    QTest::addColumn<Button>("button");
    QTest::addColumn<bool>("relative");
    QTest::addColumn<QDate>("today");
    QTest::addColumn<int>("week");
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("year");
    QTest::addColumn<bool>("available");
    QTest::addColumn<QString>("von");
    QTest::addColumn<QString>("bis");
    QTest::addColumn<bool>("checked");

    const QDate today(2026, 3, 10);
    // Absolute ranges.
    QTest::newRow("heute") << Button::Heute << false << today << 11 << 3 << 2026 << true << "10.03.2026"
                           << "10.03.2026" << true;
    // 1 January 2026 is a Thursday: week 1 starts on Monday 29 December 2025.
    QTest::newRow("Woche 1 of 2026") << Button::Woche << false << today << 1 << 3 << 2026 << true << "29.12.2025"
                                     << "04.01.2026" << true;
    QTest::newRow("Woche 11 of 2026") << Button::Woche << false << today << 11 << 3 << 2026 << true << "09.03.2026"
                                      << "15.03.2026" << true;
    // 1 January 2024 is a Monday.
    QTest::newRow("Woche 52 of 2024") << Button::Woche << false << today << 52 << 3 << 2024 << true << "23.12.2024"
                                      << "29.12.2024" << true;
    QTest::newRow("Monat February 1997") << Button::Monat << false << today << 1 << 2 << 1997 << true
                                         << "01.02.1997" << "01.03.1997" << true;
    QTest::newRow("Monat December") << Button::Monat << false << today << 1 << 12 << 2026 << true << "01.12.2026"
                                    << "01.01.2027" << true;
    QTest::newRow("Jahr 1900") << Button::Jahr << false << today << 1 << 1 << 1900 << true << "01.01.1900"
                               << "01.01.1901" << true;
    QTest::newRow("Jahr 2100") << Button::Jahr << false << today << 1 << 1 << 2100 << true << "01.01.2100"
                               << "01.01.2101" << true;
    QTest::newRow("alles") << Button::Alles << false << today << 1 << 1 << 2026 << true << "" << "" << false;
    // Relative ranges.
    QTest::newRow("relative heute") << Button::Heute << true << today << 1 << 1 << 2026 << true << "-1" << "0"
                                    << true;
    QTest::newRow("relative Woche 2") << Button::Woche << true << today << 2 << 1 << 2026 << true << "-14" << "0"
                                      << true;
    QTest::newRow("relative Woche 52") << Button::Woche << true << today << 52 << 1 << 2026 << true << "-364"
                                       << "0" << true;
    QTest::newRow("relative Monat 1") << Button::Monat << true << today << 1 << 1 << 2026 << true << "-30" << "1"
                                      << true;
    QTest::newRow("relative Monat 12") << Button::Monat << true << today << 1 << 12 << 2026 << true << "-360"
                                       << "1" << true;
    QTest::newRow("relative Jahr") << Button::Jahr << true << today << 1 << 1 << 2026 << false << "" << "" << false;
    QTest::newRow("relative alles") << Button::Alles << true << today << 1 << 1 << 2026 << true << "" << ""
                                    << false;
}

void TestFilterRules::quickRange() {
    QFETCH(Button, button);
    QFETCH(bool, relative);
    QFETCH(QDate, today);
    QFETCH(int, week);
    QFETCH(int, month);
    QFETCH(int, year);
    QFETCH(bool, available);
    QFETCH(QString, von);
    QFETCH(QString, bis);
    QFETCH(bool, checked);

    QCOMPARE(FilterRules::isAvailable(button, relative), available);
    const auto range = FilterRules::quickRange(button, relative, today, week, month, year);
    QCOMPARE(range.has_value(), available);
    if (!range)
        return;
    QCOMPARE(range->von, von);
    QCOMPARE(range->bis, bis);
    QCOMPARE(range->checked, checked);
    // What the button writes is what the row stores.
    const QVariant storedVon = FilterRules::rangeValue(range->checked, range->von, relative);
    QCOMPARE(storedVon.isNull(), von.isEmpty());
    if (!relative && !von.isEmpty())
        QCOMPARE(storedVon.toDateTime().date(), QDate::fromString(von, QStringLiteral("dd.MM.yyyy")));
    if (relative && !von.isEmpty())
        QCOMPARE(FilterRules::storedDays(storedVon).value_or(9999), von.toInt());
}

void TestFilterRules::rangeValue_data() {
    QTest::addColumn<bool>("checked");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("relative");
    QTest::addColumn<QVariant>("stored");

    const QDate zero = FilterRules::kZeroDate;
    auto at = [](const QDate &d) { return QVariant(QDateTime(d, QTime(0, 0))); };
    QTest::newRow("date") << true << "01.02.1997" << false << at(QDate(1997, 2, 1));
    QTest::newRow("date with mask blanks") << true << "_1.02.1997" << false << at(QDate(1997, 2, 1));
    QTest::newRow("date, two-digit year") << true << "01.02.97" << false << at(QDate(1997, 2, 1));
    QTest::newRow("unchecked date") << false << "01.02.1997" << false << QVariant();
    QTest::newRow("empty date") << true << FilterRules::kEmptyDate << false << QVariant();
    QTest::newRow("empty masked date") << true << ".." << false << QVariant();
    QTest::newRow("empty text") << true << "" << false << QVariant();
    QTest::newRow("no such day") << true << "31.02.1997" << false << QVariant();
    QTest::newRow("half a date") << true << "12.03." << false << QVariant();
    QTest::newRow("the zero date") << true << "30.12.1899" << false << QVariant();
    QTest::newRow("before the zero date") << true << "01.01.1875" << false << QVariant();
    QTest::newRow("the day after the zero date") << true << "31.12.1899" << false << at(QDate(1899, 12, 31));
    QTest::newRow("days back") << true << "-14" << true << at(zero.addDays(-14));
    QTest::newRow("days ahead") << true << "1" << true << at(zero.addDays(1));
    QTest::newRow("days with a plus") << true << "+5" << true << at(zero.addDays(5));
    QTest::newRow("zero days") << true << "0" << true << at(zero);
    QTest::newRow("days with mask blanks") << true << "-14_" << true << at(zero.addDays(-14));
    QTest::newRow("unchecked days") << false << "-14" << true << QVariant();
    QTest::newRow("sign only") << true << "-" << true << QVariant();
    QTest::newRow("date in relative mode") << true << "01.02.1997" << true << QVariant();
    QTest::newRow("days in absolute mode") << true << "-14" << false << QVariant();
}

void TestFilterRules::rangeValue() {
    QFETCH(bool, checked);
    QFETCH(QString, text);
    QFETCH(bool, relative);
    QFETCH(QVariant, stored);
    const QVariant v = FilterRules::rangeValue(checked, text, relative);
    QCOMPARE(v.isNull(), stored.isNull());
    if (!stored.isNull())
        QCOMPARE(v.toDateTime(), stored.toDateTime());
}

void TestFilterRules::rangeTextRoundTrip_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("relative");
    QTest::newRow("date") << "24.02.2026" << false;
    QTest::newRow("old date") << "01.01.1900" << false;
    QTest::newRow("days back") << "-14" << true;
    QTest::newRow("zero days") << "0" << true;
    QTest::newRow("days ahead") << "1" << true;
}

void TestFilterRules::rangeTextRoundTrip() {
    QFETCH(QString, text);
    QFETCH(bool, relative);
    const QVariant stored = FilterRules::rangeValue(true, text, relative);
    QVERIFY(!stored.isNull());
    QCOMPARE(FilterRules::rangeText(stored, relative), text);
    // The engine hands the column back as its stored text.
    const QString raw = stored.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
    QCOMPARE(FilterRules::rangeText(raw, relative), text);
    QCOMPARE(FilterRules::rangeText(QVariant(), relative), QString());
}

void TestFilterRules::appliedDay() {
    // Relative "Woche" with week 2, applied on 10 March.
    const QVariant von = FilterRules::rangeValue(true, QStringLiteral("-14"), true);
    const QVariant bis = FilterRules::rangeValue(true, QStringLiteral("0"), true);
    const QDate today(2026, 3, 10);
    QCOMPARE(FilterRules::appliedDay(today, *FilterRules::storedDays(von)), QDate(2026, 2, 24));
    QCOMPARE(FilterRules::appliedDay(today, *FilterRules::storedDays(bis)), today);
    QVERIFY(!FilterRules::storedDays(QVariant()).has_value());
}

void TestFilterRules::joinKeys_data() {
    QTest::addColumn<QList<qint64>>("keys");
    QTest::addColumn<QString>("memo");
    QTest::newRow("none") << QList<qint64>{} << "";
    QTest::newRow("one") << QList<qint64>{65538} << "65538";
    QTest::newRow("two") << QList<qint64>{65539, 65540} << "65539\r65540";
    QTest::newRow("three, in order") << QList<qint64>{7, 3, 65537} << "7\r3\r65537";
}

void TestFilterRules::joinKeys() {
    QFETCH(QList<qint64>, keys);
    QFETCH(QString, memo);
    QCOMPARE(FilterRules::joinKeys(keys), memo);
    QCOMPARE(FilterRules::splitKeys(memo), keys);
}

void TestFilterRules::splitKeys_data() {
    QTest::addColumn<QString>("memo");
    QTest::addColumn<QList<qint64>>("keys");
    QTest::newRow("carriage returns") << "1\r2\r3" << QList<qint64>{1, 2, 3};
    QTest::newRow("CR LF") << "1\r\n2\r\n3" << QList<qint64>{1, 2, 3};
    QTest::newRow("LF") << "1\n2\n3" << QList<qint64>{1, 2, 3};
    QTest::newRow("mixed, trailing break") << "1\r\n2\n3\r" << QList<qint64>{1, 2, 3};
    QTest::newRow("blank lines and spaces") << "\r\n 65537 \r\r65538" << QList<qint64>{65537, 65538};
    QTest::newRow("not a number") << "12\rabc\r13" << QList<qint64>{12, 13};
    QTest::newRow("empty") << "" << QList<qint64>{};
}

void TestFilterRules::splitKeys() {
    QFETCH(QString, memo);
    QFETCH(QList<qint64>, keys);
    QCOMPARE(FilterRules::splitKeys(memo), keys);
    for (qint64 k : keys)
        QVERIFY(FilterRules::containsKey(memo, k));
    QVERIFY(!FilterRules::containsKey(memo, 999999));
}

QTEST_GUILESS_MAIN(TestFilterRules)
#include "tst_filterrules.moc"
