// Finding the spreadsheet program of a workbook: the desktop's association
// through xdg-mime and the .desktop file's Exec line, the setting
// Tabellenprogramm, and the error when neither names one.
#include "base/Errors.h"
#include "base/Settings.h"
#include "evaluation/SpreadsheetProgram.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

using namespace velmora;

class TestSpreadsheetProgram : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void execLine_data();
    void execLine();
    void desktopAssociation_data();
    void desktopAssociation();
    void settingWhenNothingIsAssociated_data();
    void settingWhenNothingIsAssociated();
    void nothingRegistered();

private:
    // A fake xdg-mime on the PATH that names `desktopId` for the Excel type.
    void associate(const QString &desktopId);
    void writeDesktopFile(const QString &relativePath, const QByteArray &text);

    std::unique_ptr<QTemporaryDir> m_dir;
    QByteArray m_path, m_dataHome, m_dataDirs;
};

void TestSpreadsheetProgram::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_path = qgetenv("PATH");
    m_dataHome = qgetenv("XDG_DATA_HOME");
    m_dataDirs = qgetenv("XDG_DATA_DIRS");
    // Only what the test puts there: no xdg-mime, no applications of ours.
    QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("bin")));
    QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("home/applications")));
    QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("system/applications")));
    qputenv("PATH", QFile::encodeName(m_dir->filePath(QStringLiteral("bin"))));
    qputenv("XDG_DATA_HOME", QFile::encodeName(m_dir->filePath(QStringLiteral("home"))));
    // The system's directories stay behind ours: the types of files are
    // known from there.
    qputenv("XDG_DATA_DIRS",
            QFile::encodeName(m_dir->filePath(QStringLiteral("system"))) + ":/usr/local/share:/usr/share");
    settings() = Settings();
}

void TestSpreadsheetProgram::cleanup() {
    qputenv("PATH", m_path);
    qputenv("XDG_DATA_HOME", m_dataHome);
    qputenv("XDG_DATA_DIRS", m_dataDirs);
    settings() = Settings();
    m_dir.reset();
}

void TestSpreadsheetProgram::associate(const QString &desktopId) {
    QFile script(m_dir->filePath(QStringLiteral("bin/xdg-mime")));
    QVERIFY(script.open(QIODevice::WriteOnly));
    // Answers only the question for the Excel type, as xdg-mime does.
    script.write("#!/bin/sh\n"
                 "if [ \"$1\" = query ] && [ \"$2\" = default ] && [ \"$3\" = application/vnd.ms-excel ]; then\n"
                 "  echo " +
                 desktopId.toUtf8() + "\n  exit 0\nfi\nexit 4\n");
    script.close();
    QVERIFY(script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
}

void TestSpreadsheetProgram::writeDesktopFile(const QString &relativePath, const QByteArray &text) {
    const QString path = m_dir->filePath(relativePath);
    QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(text);
}

void TestSpreadsheetProgram::execLine_data() {
    QTest::addColumn<QString>("exec");
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("arguments");
    const QStringList two{QStringLiteral("/t/a.dbf"), QStringLiteral("/t/Saison.xls")};
    QTest::newRow("%U becomes every file")
        << "libreoffice --calc %U" << two << "libreoffice" << QStringList{"--calc", "/t/a.dbf", "/t/Saison.xls"};
    QTest::newRow("%f takes every file as well") << "gnumeric %f" << two << "gnumeric" << two;
    QTest::newRow("%F and %u") << "calc %F" << two << "calc" << two;
    QTest::newRow("no field code: files appended")
        << "calc --nologo" << two << "calc" << QStringList{"--nologo", "/t/a.dbf", "/t/Saison.xls"};
    QTest::newRow("other codes dropped") << "calc %i %c %k --view %U %d" << two << "calc"
                                         << QStringList{"--view", "/t/a.dbf", "/t/Saison.xls"};
    QTest::newRow("%% is a percent sign")
        << "calc --zoom=100%% %F" << two << "calc" << QStringList{"--zoom=100%", "/t/a.dbf", "/t/Saison.xls"};
    QTest::newRow("code inside an argument")
        << "calc --open=%f" << two << "calc" << QStringList{"--open=/t/a.dbf", "--open=/t/Saison.xls"};
    QTest::newRow("quoted program with a blank") << "\"/opt/mein calc/calc\" %U" << two << "/opt/mein calc/calc" << two;
    QTest::newRow("escapes inside quotes") << "sh -c \"echo \\\"\\$1\\\" \\\\ \\`x\\`\" %U" << two << "sh"
                                           << QStringList{"-c", "echo \"$1\" \\ `x`", "/t/a.dbf", "/t/Saison.xls"};
    QTest::newRow("an empty quoted argument stays")
        << "calc \"\" %F" << two << "calc" << QStringList{"", "/t/a.dbf", "/t/Saison.xls"};
    QTest::newRow("files with blanks and quotes stay whole")
        << "calc %U" << QStringList{"/t/mein Ordner/Saison \"neu\".xls"} << "calc"
        << QStringList{"/t/mein Ordner/Saison \"neu\".xls"};
    QTest::newRow("several blanks separate once")
        << "  calc    --a   %F " << two << "calc" << QStringList{"--a", "/t/a.dbf", "/t/Saison.xls"};
    QTest::newRow("empty line: no program") << "" << two << "" << QStringList{};
}

void TestSpreadsheetProgram::execLine() {
    QFETCH(QString, exec);
    QFETCH(QStringList, files);
    QFETCH(QString, program);
    QFETCH(QStringList, arguments);
    const SpreadsheetProgram p = SpreadsheetProgram::fromExecLine(exec, files);
    QCOMPARE(p.program, program);
    QCOMPARE(p.arguments, arguments);
}

void TestSpreadsheetProgram::desktopAssociation_data() {
    QTest::addColumn<QString>("desktopId");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("arguments");
    const QByteArray entry = "[Desktop Entry]\nType=Application\nName=Calc\n"
                             "Exec=/opt/calc/bin/calc --calc %U\n"
                             "[Desktop Action New]\nExec=/opt/calc/bin/calc --new\n";
    QTest::newRow("in XDG_DATA_HOME") << "test-calc.desktop"
                                      << "home/applications/test-calc.desktop" << entry << "/opt/calc/bin/calc"
                                      << QStringList{"--calc", "/t/Saison.dbf", "/t/Saison.xls"};
    QTest::newRow("in XDG_DATA_DIRS") << "test-calc.desktop"
                                      << "system/applications/test-calc.desktop" << entry << "/opt/calc/bin/calc"
                                      << QStringList{"--calc", "/t/Saison.dbf", "/t/Saison.xls"};
    QTest::newRow("vendor prefix as a directory")
        << "vendor-calc.desktop"
        << "system/applications/vendor/calc.desktop" << entry << "/opt/calc/bin/calc"
        << QStringList{"--calc", "/t/Saison.dbf", "/t/Saison.xls"};
    QTest::newRow("string escapes of the entry")
        << "test-calc.desktop"
        << "home/applications/test-calc.desktop"
        << QByteArray("[Desktop Entry]\nExec = \"/opt/mein\\scalc/calc\" \"a\\\\\\\\b\" %F\n") << "/opt/mein calc/calc"
        << QStringList{"a\\b", "/t/Saison.dbf", "/t/Saison.xls"};
}

void TestSpreadsheetProgram::desktopAssociation() {
    QFETCH(QString, desktopId);
    QFETCH(QString, file);
    QFETCH(QByteArray, text);
    QFETCH(QString, program);
    QFETCH(QStringList, arguments);
    associate(desktopId);
    writeDesktopFile(file, text);
    // The desktop comes before the setting.
    settings().Tabellenprogramm = QStringLiteral("/usr/bin/false");
    QCOMPARE(SpreadsheetProgram::associatedDesktopFile(QStringLiteral("/t/Saison.xls")), desktopId);
    const SpreadsheetProgram p = SpreadsheetProgram::find(
        QStringLiteral("/t/Saison.xls"), {QStringLiteral("/t/Saison.dbf"), QStringLiteral("/t/Saison.xls")});
    QCOMPARE(p.program, program);
    QCOMPARE(p.arguments, arguments);
}

void TestSpreadsheetProgram::settingWhenNothingIsAssociated_data() {
    QTest::addColumn<QString>("desktopId");
    QTest::addColumn<QString>("path");
    QTest::newRow("no xdg-mime at all") << QString() << "/t/Saison.xls";
    QTest::newRow("xdg-mime names a file that is not there") << "gone.desktop"
                                                             << "/t/Saison.xls";
    QTest::newRow("a type nothing is registered for") << "test-calc.desktop"
                                                      << "/t/Saison.ods";
}

void TestSpreadsheetProgram::settingWhenNothingIsAssociated() {
    QFETCH(QString, desktopId);
    QFETCH(QString, path);
    if (!desktopId.isEmpty())
        associate(desktopId);
    writeDesktopFile(QStringLiteral("home/applications/test-calc.desktop"), "[Desktop Entry]\nExec=wrong %U\n");
    settings().Tabellenprogramm = QStringLiteral("\"/opt/eigene calc\" --calc");
    const SpreadsheetProgram p = SpreadsheetProgram::find(path, {QStringLiteral("/t/a.dbf"), path});
    QCOMPARE(p.program, QStringLiteral("/opt/eigene calc"));
    QCOMPARE(p.arguments, (QStringList{QStringLiteral("--calc"), QStringLiteral("/t/a.dbf"), path}));
}

void TestSpreadsheetProgram::nothingRegistered() {
    const QString path = QStringLiteral("/t/mein Ordner/Saison.xls");
    try {
        SpreadsheetProgram::find(path, {path});
        QFAIL("no error");
    } catch (const VelmoraError &e) {
        QCOMPARE(e.message(), QStringLiteral("Zu \"/t/mein Ordner/Saison.xls\" ist keine Applikation registriert!"));
    }
    // A setting of blanks names nothing either.
    settings().Tabellenprogramm = QStringLiteral("   ");
    QVERIFY_THROWS_EXCEPTION(VelmoraError, SpreadsheetProgram::find(path, {path}));
}

QTEST_GUILESS_MAIN(TestSpreadsheetProgram)
#include "tst_spreadsheetprogram.moc"
