#include "base/CommandLine.h"
#include "store/Database.h"
#include "store/Keys.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

using namespace velmora;

namespace {
struct Run {
    int exitCode;
    QString err;
};

Run velmora5(const QStringList &args) {
    QProcess p;
    p.start(QStringLiteral(VELMORA5_BINARY), args);
    if (!p.waitForFinished(60000))
        return {-1, QStringLiteral("timeout")};
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromLocal8Bit(p.readAllStandardError())};
}

QByteArray readAll(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

qint64 count(const QString &dbPath, const QString &sql) {
    Database db(QStringLiteral("DBLOG"), QFileInfo(dbPath).absolutePath(), false);
    Statement st(db, sql);
    st.step();
    return sqlite3_column_int64(st.get(), 0);
}
} // namespace

class TestCommandLine : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void parse_data();
    void parse();
    void initCreatesInstallation();
    void initAgainChangesNothing();
    void refusedArgumentsWriteNothing_data();
    void refusedArgumentsWriteNothing();
    void serialOfInstallationWithData();
    void badEngineIniRefused();
    void foreignDatabaseRefused();
    void handEditedSerialRefused_data();
    void handEditedSerialRefused();
};

void TestCommandLine::parse_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("configDir");
    QTest::addColumn<int>("serial");
    QTest::addColumn<bool>("init");
    QTest::newRow("nothing") << QStringList{} << true << "" << 0 << false;
    QTest::newRow("all") << QStringList{"--config-dir", "/x", "--serial", "3", "--init"} << true << "/x" << 3 << true;
    QTest::newRow("inline values") << QStringList{"--config-dir=/y", "--serial=32767"} << true << "/y" << 32767
                                   << false;
    QTest::newRow("serial 0") << QStringList{"--serial", "0"} << false << "" << 0 << false;
    QTest::newRow("serial too big") << QStringList{"--serial", "32768"} << false << "" << 0 << false;
    QTest::newRow("serial not a number") << QStringList{"--serial", "drei"} << false << "" << 0 << false;
    QTest::newRow("serial missing") << QStringList{"--serial"} << false << "" << 0 << false;
    QTest::newRow("config dir missing") << QStringList{"--config-dir"} << false << "" << 0 << false;
    QTest::newRow("unknown") << QStringList{"--demo-mode"} << false << "" << 0 << false;
    QTest::newRow("stray word") << QStringList{"velmora"} << false << "" << 0 << false;
}

void TestCommandLine::parse() {
    QFETCH(QStringList, args);
    QFETCH(bool, ok);
    QFETCH(QString, configDir);
    QFETCH(int, serial);
    QFETCH(bool, init);
    const CommandLine cl = parseCommandLine(args);
    QCOMPARE(cl.error.isEmpty(), ok);
    if (ok) {
        QCOMPARE(cl.configDir, configDir);
        QCOMPARE(cl.serial, serial);
        QCOMPARE(cl.init, init);
    }
}

void TestCommandLine::initCreatesInstallation() {
    QTemporaryDir tmp;
    const QString dir = tmp.filePath(QStringLiteral("inst"));
    const Run r = velmora5({QStringLiteral("--config-dir"), dir, QStringLiteral("--serial"), QStringLiteral("3"),
                            QStringLiteral("--init")});
    QCOMPARE(r.exitCode, 0);
    QSettings s(dir + QStringLiteral("/5.3.ini"), QSettings::IniFormat);
    QCOMPARE(s.value(QStringLiteral("Allgemeines/SerienNr")).toInt(), 3);
    const QString ini = QString::fromUtf8(readAll(dir + QStringLiteral("/engine.ini")));
    QVERIFY2(ini.contains(QStringLiteral("[DBLOG]\nPATH=") + QDir(dir).filePath(QStringLiteral("DBLOG"))),
             qPrintable(ini));
    QVERIFY(ini.contains(QStringLiteral("[DBLOG_COPY]\nPATH=") + QDir(dir).filePath(QStringLiteral("DBLOG_COPY"))));
    QVERIFY(QFileInfo(dir + QStringLiteral("/DBLOG_COPY")).isDir());
    const QString dbPath = dir + QStringLiteral("/DBLOG/velmora5.db");
    QVERIFY(QFile::exists(dbPath));
    Database db(QStringLiteral("DBLOG"), dir + QStringLiteral("/DBLOG"), false);
    for (const char *t : {"TR", "TRTABLE", "TRFIELD", "TRuseTBL", "FFIELD", "TRVALUE", "TRuseVAL", "PERSON", "ADRESSE",
                          "AUSWERT", "AFIELD", "ATABLE", "ANALYSE", "ANAuseAW", "FILTER", "OPEN", "Profil"})
        QVERIFY2(db.tableExists(QString::fromLatin1(t)), t);
    QCOMPARE(db.tables().size(), 17);
}

void TestCommandLine::initAgainChangesNothing() {
    QTemporaryDir tmp;
    const QString dir = tmp.path();
    const QStringList args{QStringLiteral("--config-dir"), dir, QStringLiteral("--serial"), QStringLiteral("5"),
                           QStringLiteral("--init")};
    QCOMPARE(velmora5(args).exitCode, 0);
    const QString dbPath = dir + QStringLiteral("/DBLOG/velmora5.db");
    {
        Database db(QStringLiteral("DBLOG"), dir + QStringLiteral("/DBLOG"), false);
        db.exec(QStringLiteral("INSERT INTO PERSON (PersonNr, Nachname) VALUES (327681, 'Berg')"));
    }
    const QByteArray settings = readAll(dir + QStringLiteral("/5.3.ini"));
    const QByteArray engine = readAll(dir + QStringLiteral("/engine.ini"));
    const qint64 fields = count(dbPath, QStringLiteral("SELECT count(*) FROM TRFIELD"));
    QCOMPARE(velmora5(args).exitCode, 0);
    QCOMPARE(velmora5({QStringLiteral("--config-dir"), dir, QStringLiteral("--init")}).exitCode, 0);
    QCOMPARE(readAll(dir + QStringLiteral("/5.3.ini")), settings);
    QCOMPARE(readAll(dir + QStringLiteral("/engine.ini")), engine);
    QCOMPARE(count(dbPath, QStringLiteral("SELECT count(*) FROM PERSON")), 1);
    QCOMPARE(count(dbPath, QStringLiteral("SELECT count(*) FROM TRFIELD")), fields);
}

void TestCommandLine::refusedArgumentsWriteNothing_data() {
    QTest::addColumn<QStringList>("extra");
    QTest::newRow("serial 0") << QStringList{"--serial", "0"};
    QTest::newRow("serial 40000") << QStringList{"--serial", "40000"};
    QTest::newRow("unknown option") << QStringList{"--schnell"};
}

void TestCommandLine::refusedArgumentsWriteNothing() {
    QFETCH(QStringList, extra);
    QTemporaryDir tmp;
    const QString dir = tmp.filePath(QStringLiteral("inst"));
    const Run r = velmora5(QStringList{QStringLiteral("--config-dir"), dir, QStringLiteral("--init")} + extra);
    QCOMPARE(r.exitCode, 2);
    QVERIFY(!r.err.trimmed().isEmpty());
    QVERIFY(!QFileInfo::exists(dir));
}

void TestCommandLine::serialOfInstallationWithData() {
    QTemporaryDir tmp;
    const QString dir = tmp.path();
    auto init = [&](const QString &serial) {
        return velmora5(
            {QStringLiteral("--config-dir"), dir, QStringLiteral("--serial"), serial, QStringLiteral("--init")});
    };
    QCOMPARE(init(QStringLiteral("3")).exitCode, 0);
    // No rows numbered yet: the number may still change.
    QCOMPARE(init(QStringLiteral("4")).exitCode, 0);
    {
        Database db(QStringLiteral("DBLOG"), dir + QStringLiteral("/DBLOG"), false);
        db.exec(QStringLiteral("INSERT INTO TR (SerienNr, TrNr) VALUES (4, 1)"));
    }
    const QByteArray settings = readAll(dir + QStringLiteral("/5.3.ini"));
    const Run r = init(QStringLiteral("6"));
    QCOMPARE(r.exitCode, 2);
    QVERIFY2(r.err.contains(QStringLiteral("Installationsnummer")), qPrintable(r.err));
    QCOMPARE(readAll(dir + QStringLiteral("/5.3.ini")), settings);
    QCOMPARE(init(QStringLiteral("4")).exitCode, 0);
}

void TestCommandLine::badEngineIniRefused() {
    QTemporaryDir tmp;
    QFile f(tmp.filePath(QStringLiteral("engine.ini")));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("[DBLOG]\nVERZEICHNIS=/irgendwo\n");
    f.close();
    const Run r = velmora5({QStringLiteral("--config-dir"), tmp.path(), QStringLiteral("--init")});
    QCOMPARE(r.exitCode, 2);
    QVERIFY2(r.err.contains(QStringLiteral("PATH=")), qPrintable(r.err));
    QVERIFY(!QFileInfo::exists(tmp.filePath(QStringLiteral("DBLOG"))));
    QVERIFY(!QFileInfo::exists(tmp.filePath(QStringLiteral("5.3.ini"))));
}

void TestCommandLine::foreignDatabaseRefused() {
    QTemporaryDir tmp;
    QDir(tmp.path()).mkpath(QStringLiteral("DBLOG"));
    const QString dbPath = tmp.filePath(QStringLiteral("DBLOG/velmora5.db"));
    QFile f(dbPath);
    QVERIFY(f.open(QIODevice::WriteOnly));
    const QByteArray junk = QByteArrayLiteral("PK\x03\x04 kein SQLite!").repeated(100);
    f.write(junk);
    f.close();
    const Run r = velmora5({QStringLiteral("--config-dir"), tmp.path(), QStringLiteral("--init")});
    QCOMPARE(r.exitCode, 2);
    QVERIFY2(r.err.contains(QStringLiteral("keine gültige Datenbank")), qPrintable(r.err));
    QCOMPARE(readAll(dbPath), junk);
}

void TestCommandLine::handEditedSerialRefused_data() {
    QTest::addColumn<QString>("serial");
    QTest::addColumn<bool>("refused");
    QTest::newRow("above 32767") << "40000" << true;
    QTest::newRow("negative") << "-3" << true;
    QTest::newRow("largest") << "32767" << false;
}

void TestCommandLine::handEditedSerialRefused() {
    QFETCH(QString, serial);
    QFETCH(bool, refused);
    QTemporaryDir tmp;
    const QString dir = tmp.path();
    QCOMPARE(velmora5({QStringLiteral("--config-dir"), dir, QStringLiteral("--serial"), QStringLiteral("3"),
                       QStringLiteral("--init")})
                 .exitCode,
             0);
    {
        QSettings s(dir + QStringLiteral("/5.3.ini"), QSettings::IniFormat);
        s.setValue(QStringLiteral("Allgemeines/SerienNr"), serial.toInt());
    }
    const Run r = velmora5({QStringLiteral("--config-dir"), dir, QStringLiteral("--init")});
    QCOMPARE(r.exitCode, refused ? 2 : 0);
    QCOMPARE(r.err.contains(QStringLiteral("Installationsnummer %1").arg(serial)), refused);
    if (refused) {
        // The engine refuses such a number as well, should it ever get one.
        Database db(QStringLiteral("DBLOG"), dir + QStringLiteral("/DBLOG"), false);
        QVERIFY_THROWS_EXCEPTION(
            VelmoraError, nextObjectKey(db, QStringLiteral("PERSON"), QStringLiteral("PersonNr"), serial.toInt()));
    }
}

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
