#include "base/Helpers.h"
#include "base/Log.h"
#include "base/PasswordCode.h"
#include "base/Paths.h"
#include "base/Settings.h"
#include "store/Database.h"
#include "store/Keys.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace velmora;

class TestHelpers : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void weekOfDate_data();
    void weekOfDate();
    void firstDayOfWeek_data();
    void firstDayOfWeek();
    void nextBlockTableName();
    void tempTableNames();
    void replaceChar();
    void fontStyles_data();
    void fontStyles();
    void settingsDefaults();
    void settingsFromStore_data();
    void settingsFromStore();
    void passwordCode_data();
    void passwordCode();
    void logLines();
    void logFileStartLines();
};

void TestHelpers::weekOfDate_data() {
    QTest::addColumn<QDate>("date");
    QTest::addColumn<int>("week");
    QTest::newRow("1 Jan 2001, a Monday") << QDate(2001, 1, 1) << 1;
    QTest::newRow("8 Jan 2001") << QDate(2001, 1, 8) << 2;
    QTest::newRow("31 Dec 2001, a 53rd week") << QDate(2001, 12, 31) << 1;
    QTest::newRow("1 Jan 2000, a Saturday") << QDate(2000, 1, 1) << 1;
    QTest::newRow("3 Jan 2000, the next Monday") << QDate(2000, 1, 3) << 2;
    QTest::newRow("24 Dec 2001") << QDate(2001, 12, 24) << 52;
    QTest::newRow("invalid") << QDate() << 0;
}

void TestHelpers::weekOfDate() {
    QFETCH(QDate, date);
    QFETCH(int, week);
    QCOMPARE(WeekOfDate(date), week);
}

void TestHelpers::firstDayOfWeek_data() {
    QTest::addColumn<int>("week");
    QTest::addColumn<int>("year");
    QTest::addColumn<QDate>("monday");
    QTest::newRow("week 1 of 2000") << 1 << 2000 << QDate(1999, 12, 27);
    QTest::newRow("week 2 of 2001") << 2 << 2001 << QDate(2001, 1, 8);
    QTest::newRow("week 2 of 2026") << 2 << 2026 << QDate(2026, 1, 5);
}

void TestHelpers::firstDayOfWeek() {
    QFETCH(int, week);
    QFETCH(int, year);
    QFETCH(QDate, monday);
    QCOMPARE(FirstDayOfWeek(week, year), monday);
    QCOMPARE(WeekOfDate(monday.addDays(6)), week);
}

void TestHelpers::nextBlockTableName() {
    QTemporaryDir dir;
    Database db(QStringLiteral("DBLOG"), dir.path());
    QCOMPARE(NextBlockTableName(db), QStringLiteral("TR_1"));
    for (const char *n : {"TR_1", "TR_7", "TR_x", "TR"})
        db.createTable({QString::fromLatin1(n), {FieldDef(QStringLiteral("A"), FieldType::Long)}, {}, {}});
    QCOMPARE(NextBlockTableName(db), QStringLiteral("TR_8"));
}

void TestHelpers::tempTableNames() {
    ResetTempTableCounter();
    QCOMPARE(NewTempTableName(), QStringLiteral("TMP00000"));
    QCOMPARE(NewTempTableName(), QStringLiteral("TMP00001"));
    for (int i = 2; i < 10; ++i)
        NewTempTableName();
    QCOMPARE(NewTempTableName(), QStringLiteral("TMP0000A"));
}

void TestHelpers::replaceChar() {
    QCOMPARE(SpacesToUnderscores(QStringLiteral("Puls Wert ")), QStringLiteral("Puls_Wert_"));
    QCOMPARE(ReplaceChar(QStringLiteral("a.b.c"), QLatin1Char('.'), QStringLiteral("..")), QStringLiteral("a..b..c"));
    const QString longText = QString(255, QLatin1Char('x')) + QStringLiteral(" y z");
    const QString r = SpacesToUnderscores(QString(254, QLatin1Char('x')) + QStringLiteral(" ") + QStringLiteral(" y"));
    QCOMPARE(r, QString(254, QLatin1Char('x')) + QStringLiteral("_ y"));
    QCOMPARE(SpacesToUnderscores(longText), longText);
}

void TestHelpers::fontStyles_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("normalised");
    QTest::newRow("bold underline") << "BU"
                                    << "BU";
    QTest::newRow("any order, other letters ignored") << "xSUiB"
                                                      << "BUS";
    QTest::newRow("all") << "SUIB"
                         << "BIUS";
    QTest::newRow("none") << ""
                          << "";
    QTest::newRow("only the first 8 characters count") << "........B"
                                                       << "";
}

void TestHelpers::fontStyles() {
    QFETCH(QString, text);
    QFETCH(QString, normalised);
    const FontStyle s = FontStyleFromText(text);
    QCOMPARE(FontStyleToText(s), normalised);
    QFont f;
    ApplyFontStyle(f, s);
    QCOMPARE(FontStyleOf(f), s);
}

void TestHelpers::settingsDefaults() {
    QTemporaryDir dir;
    settings() = Settings();
    SetSettingsPath(dir.filePath(QStringLiteral("5.3.ini")));
    QVERIFY(ReadSettings());
    const Settings &s = settings();
    QCOMPARE(s.SerienNr, 0);
    QCOMPARE(s.Kuerzel, QStringLiteral("VSK"));
    QVERIFY(s.Toolbar);
    QCOMPARE(s.PackCommand, QStringLiteral("pkzip"));
    QCOMPARE(s.UnPackCommand, QStringLiteral("pkunzip"));
    QVERIFY(s.Hotline.isEmpty()); // no support number is ever made up
    QCOMPARE(s.Level, 1);
    QCOMPARE(s.reg, 1);
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("5.3.ini")))); // reading writes nothing
}

void TestHelpers::settingsFromStore_data() {
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<QString>("clubName");
    QTest::addColumn<QString>("kuerzel");
    QTest::addColumn<int>("level");
    QTest::addColumn<bool>("toolbar");
    QTest::newRow("club name from ProgName") << QByteArray("[Allgemeines]\nProgName=LG Nord\n") << "LG Nord"
                                             << "VSK" << 1 << true;
    QTest::newRow("own club name wins") << QByteArray("[Allgemeines]\nProgName=LG Nord\n[Club]\nName=TSV Süd\n")
                                        << "TSV Süd"
                                        << "VSK" << 1 << true;
    QTest::newRow("too long texts cut") << QByteArray("[Club]\nKuerzel=ABCDE\nName=") + QByteArray(60, 'n') + "\n"
                                        << QString(50, QLatin1Char('n')) << "ABC" << 1 << true;
    QTest::newRow("wrong types keep defaults")
        << QByteArray("[Startup]\nLevel=viele\n[Allgemeines]\nToolbar=vielleicht\n") << ""
        << "VSK" << 1 << true;
    QTest::newRow("level out of a byte") << QByteArray("[Startup]\nLevel=300\n") << ""
                                         << "VSK" << 1 << true;
    QTest::newRow("finished wizard, no tool bar")
        << QByteArray("[Startup]\nLevel=0\n[Allgemeines]\nToolbar=false\n") << ""
        << "VSK" << 0 << false;
}

void TestHelpers::settingsFromStore() {
    QFETCH(QByteArray, ini);
    QFETCH(QString, clubName);
    QFETCH(QString, kuerzel);
    QFETCH(int, level);
    QFETCH(bool, toolbar);
    QTemporaryDir dir;
    QFile f(dir.filePath(QStringLiteral("5.3.ini")));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(ini);
    f.close();
    settings() = Settings();
    SetSettingsPath(f.fileName());
    ReadSettings();
    QCOMPARE(settings().Name, clubName);
    QCOMPARE(settings().Kuerzel, kuerzel);
    QCOMPARE(settings().Level, level);
    QCOMPARE(settings().Toolbar, toolbar);
}

void TestHelpers::passwordCode_data() {
    QTest::addColumn<int>("person");
    QTest::addColumn<QString>("password");
    QTest::addColumn<int>("code");
    QTest::newRow("empty is the person number") << 65538 << "" << 65538;
    QTest::newRow("one character: p*c + p + 1") << 12 << "a" << 12 * 97 + 12 + 1;
    // h1 = 5*65+5+2 = 332, h2 = 332*66+332+65 = 22309
    QTest::newRow("two characters") << 5 << "AB" << 22309;
    QTest::newRow("wraps around in 32 bits") << 2147418113 << "zz" << 1156005001;
    QTest::newRow("ninth character ignored") << 65537 << "geheim123" << PasswordCode(65537, QStringLiteral("geheim12"));
}

void TestHelpers::passwordCode() {
    QFETCH(int, person);
    QFETCH(QString, password);
    QFETCH(int, code);
    QCOMPARE(PasswordCode(person, password), code);
}

void TestHelpers::logLines() {
    const QDateTime when(QDate(2026, 12, 10), QTime(9, 5, 7));
    QCOMPARE(LogLine(QLatin1Char('P'), true, 12, QStringLiteral("TB"), when),
             QStringLiteral("P   10.12.26 09:05:07 12     TB"));
    QCOMPARE(LogLine(QLatin1Char('P'), false, 123456789, QStringLiteral("1."), when),
             QStringLiteral("P X 10.12.26 09:05:07 12345671."));
    QCOMPARE(LogLine(QLatin1Char('P'), true, 1234567, QStringLiteral("TB"), when),
             QStringLiteral("P   10.12.26 09:05:07 1234567TB"));
}

void TestHelpers::logFileStartLines() {
    QTemporaryDir dir;
    InitPaths(dir.filePath(QStringLiteral("velmora5")), dir.path(), dir.path(), dir.path());
    QCOMPARE(FileNextToProgram(QStringLiteral("LOG")), dir.filePath(QStringLiteral("velmora5.LOG")));
    InitLog();
    InitLog();
    WriteLogLine(QLatin1Char('P'), true, 12, QStringLiteral("TB"));
    QFile f(paths().logFileName);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 3);
    QVERIFY(lines[0].startsWith(QStringLiteral("C   ")) &&
            lines[0].endsWith(dir.filePath(QStringLiteral("velmora5.LOG"))));
    QVERIFY(lines[1].startsWith(QStringLiteral("S   ")));
    QVERIFY(lines[2].startsWith(QStringLiteral("P   ")) && lines[2].endsWith(QStringLiteral("TB")));
    // A program file with a dot in its name keeps the part up to the first dot.
    InitPaths(dir.filePath(QStringLiteral("velmora5.bin.x")), dir.path(), dir.path(), dir.path());
    QCOMPARE(FileNextToProgram(QStringLiteral("IDX")), dir.filePath(QStringLiteral("velmora5.IDX")));
}

QTEST_GUILESS_MAIN(TestHelpers)
#include "tst_helpers.moc"
