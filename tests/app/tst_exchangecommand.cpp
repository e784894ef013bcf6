// velmora5 --backup, --export and --import: the exchange between two
// installations (numbers 3 and 5) through real archives, without windows;
// progress lines and German messages on standard error.
#include "store/Database.h"
#include "support/ExchangeFixture.h"
#include "support/TempInstallation.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

using namespace velmora;
using namespace velmora::test;

namespace {

struct Run {
    int exitCode;
    QString err;
};

Run velmora5(const QStringList &args) {
    QProcess p;
    p.start(QStringLiteral(VELMORA5_BINARY), args);
    if (!p.waitForFinished(300000))
        return {-1, QStringLiteral("timeout")};
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardError())};
}

bool run(const QString &program, const QStringList &args, const QString &dir) {
    QProcess p;
    p.setWorkingDirectory(dir);
    p.start(program, args);
    return p.waitForFinished(-1) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

} // namespace

class TestExchangeCommand : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_files;
    std::unique_ptr<TempInstallation> m_sender, m_receiver;
    int m_athlete = 0, m_lauf = 0;

    static QStringList at(TempInstallation &inst, const QStringList &args) {
        return QStringList{QStringLiteral("--config-dir"), inst.dir()} + args;
    }
    // The databases as the program left them (the test's own connection
    // would still know the tables as they were).
    static Database &reread(TempInstallation &inst) {
        inst.engine().closeDatabase(QStringLiteral("DBLOG"));
        return inst.db();
    }
    // Everything but the document list, which each import builds anew.
    static QByteArray data(TempInstallation &inst) {
        Database &db = reread(inst);
        db.exec(QStringLiteral("CREATE TEMP TABLE keep AS SELECT * FROM \"OPEN\"; DELETE FROM \"OPEN\""));
        const QByteArray print = Fingerprint(db);
        db.exec(QStringLiteral("INSERT INTO \"OPEN\" SELECT * FROM keep; DROP TABLE keep"));
        return print;
    }
    QString exportArchive(const QString &name) {
        const QString archive = m_files.filePath(name);
        const Run r = velmora5(at(
            *m_sender, {QStringLiteral("--export"), archive, QStringLiteral("--person"), QString::number(m_athlete)}));
        if (r.exitCode != 0)
            qFatal("export failed: %s", qPrintable(r.err));
        return archive;
    }
    void setHotline(const QString &number) {
        QSettings s(m_receiver->installation().settingsPath(), QSettings::IniFormat);
        s.setValue(QStringLiteral("Allgemeines/Hotline"), number);
    }

private Q_SLOTS:
    void init();
    void cleanup();
    void roundTrip();
    void backupReplacesArchive();
    void messages_data();
    void messages();
    void killedImportLeavesDatabase();
};

void TestExchangeCommand::init() {
    m_sender = std::make_unique<TempInstallation>(3);
    {
        ExchangeClub from(m_sender->db(), 3, 2);
        from.addEntry(2, QDate(2026, 1, 5), QStringLiteral("Grundlage"));
        from.addEntry(2, QDate(2026, 1, 6), QStringLiteral("Intervalle"), 3);
        from.addEntry(3, QDate(2026, 1, 8), QStringLiteral("Plan"));
        m_athlete = from.athlete;
        m_lauf = from.lauf;
    }
    m_receiver = std::make_unique<TempInstallation>(5);
    ExchangeClub to(m_receiver->db(), 5, 8);
    to.addEntry(2, QDate(2026, 1, 5), QStringLiteral("Eigener Eintrag"));
}

void TestExchangeCommand::cleanup() {
    m_receiver.reset();
    m_sender.reset();
}

void TestExchangeCommand::roundTrip() {
    const QString archive = m_files.filePath(QStringLiteral("TRDATEN.ZIP"));
    Run r = velmora5(
        at(*m_sender, {QStringLiteral("--export"), archive, QStringLiteral("--person"), QString::number(m_athlete)}));
    QCOMPARE(r.exitCode, 0);
    QVERIFY2(r.err.contains(QStringLiteral("velmora5: ausgewählte Daten exportieren\n")), qPrintable(r.err));
    QVERIFY(QFileInfo(archive).isFile());

    r = velmora5(at(*m_receiver, {QStringLiteral("--import"), archive}));
    QCOMPARE(r.exitCode, 0);
    // The steps in their order, with the bar's tenths inside the first.
    const QStringList steps{"velmora5: Daten importieren\n", "velmora5: Daten importieren 100 %\n",
                            "velmora5: Datenbank aktualisieren\n", "velmora5: Templates erstellen\n",
                            "velmora5: Dokumentliste erstellen\n"};
    qsizetype from = 0;
    for (const QString &step : steps) {
        const qsizetype at = r.err.indexOf(step, from);
        QVERIFY2(at >= from, qPrintable(step + QStringLiteral(" in:\n") + r.err));
        from = at + step.size();
    }

    Database &db = reread(*m_receiver);
    QCOMPARE(
        test::Column(
            db, QStringLiteral("SELECT Nachname FROM PERSON WHERE PersonNr >= %1 ORDER BY PersonNr").arg(3 * 65536)),
        QStringList({"Trainer3", "Athlet3", "Trainer5", "Athlet5"}));
    QCOMPARE(test::Column(db, QStringLiteral("SELECT Beschreibung FROM TR WHERE SerienNr = 3 ORDER BY TrNr")),
             QStringList({"Laufformular", "Grundlage", "Intervalle"})); // the plan stays at home
    QCOMPARE(test::Column(db, QStringLiteral("SELECT Filename FROM TRTABLE WHERE TableNr = %1").arg(m_lauf)),
             QStringList{"TR_9"});
    QCOMPARE(test::Column(db, QStringLiteral("SELECT Notiz FROM TR_9 ORDER BY TrNr, \"Order\"")),
             QStringList({"Grundlage/0", "Grundlage/1", "Intervalle/0", "Intervalle/1", "Intervalle/2"}));
    QCOMPARE(Count(db, QStringLiteral("SELECT count(*) FROM TR_10")), 2);
    QCOMPARE(Count(db, QStringLiteral("SELECT count(*) FROM TRVALUE WHERE ValueNr = %1").arg(3 * 65536 + 1)), 1);
    QCOMPARE(Count(db, QStringLiteral("SELECT count(*) FROM TRuseVAL WHERE ValueNr = %1").arg(3 * 65536 + 1)), 1);
    QCOMPARE(Count(db, QStringLiteral("SELECT count(*) FROM FFIELD WHERE FormularNr = %1").arg(3 * 65536 + 1)), 3);
    QCOMPARE(test::Column(db, QStringLiteral("SELECT Name FROM FILTER WHERE FilterNr = %1").arg(3 * 65536 + 1)),
             QStringList{"Ausdauer"});
    QCOMPARE(
        test::Column(db, QStringLiteral("SELECT Auswertung FROM AUSWERT WHERE AuswertungNr = %1").arg(3 * 65536 + 1)),
        QStringList{"Umfang"});
    QCOMPARE(Count(db, QStringLiteral("SELECT count(*) FROM AFIELD WHERE AuswertungNr = %1").arg(3 * 65536 + 1)), 1);
    QCOMPARE(test::Column(db, QStringLiteral("SELECT Beschreibung FROM TR WHERE SerienNr = 5")),
             QStringList{"Eigener Eintrag"});

    // The same archive again: nothing changes.
    const QByteArray once = data(*m_receiver);
    r = velmora5(at(*m_receiver, {QStringLiteral("--import"), archive}));
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(data(*m_receiver), once);

    // An export replaces its archive without asking anybody.
    QFile::resize(archive, 10);
    r = velmora5(
        at(*m_sender, {QStringLiteral("--export"), archive, QStringLiteral("--person"), QString::number(m_athlete)}));
    QCOMPARE(r.exitCode, 0);
    QVERIFY(QFileInfo(archive).size() > 10);
    QVERIFY2(!r.err.contains(QLatin1String("ersetzt werden?")), qPrintable(r.err));
}

void TestExchangeCommand::backupReplacesArchive() {
    const QString archive = m_files.filePath(QStringLiteral("backup.zip"));
    {
        QFile f(archive);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("altes Archiv");
    }
    const Run r = velmora5(at(*m_sender, {QStringLiteral("--backup"), archive}));
    QCOMPARE(r.exitCode, 0);
    QVERIFY2(r.err.contains(QLatin1String("velmora5: Backup erstellen\n")), qPrintable(r.err));
    QTemporaryDir out;
    QVERIFY(run(QStringLiteral(PKUNZIP_BINARY), {archive}, out.path()));
    Database copy(QStringLiteral("X"), out.path(), false);
    QCOMPARE(Count(copy, QStringLiteral("SELECT count(*) FROM TR WHERE Art = 3")), 1);
    QCOMPARE(Count(copy, QStringLiteral("SELECT count(*) FROM TR_3")), 7);
}

void TestExchangeCommand::messages_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("message");
    const QString structure = QStringLiteral("velmora5: Die Struktur der Trainings-Tabellen ist verändert worden!\n"
                                             "Eine automatische Übernahme der Daten ist mit dieser Programmversion "
                                             "noch nicht möglich.");
    QTest::newRow("structure, no hotline") << "structure" << QStringList() << structure + QStringLiteral("\n");
    QTest::newRow("structure, hotline")
        << "structure hotline" << QStringList()
        << structure + QStringLiteral("\nBitte informieren Sie sich unter der Hotline-Nummer 0800 555 0199 über "
                                      "verfügbare Updates.\n");
    QTest::newRow("no TRVALUE") << "no TRVALUE" << QStringList() << "velmora5: Es sind keine Datenfiles vorhanden\n";
    QTest::newRow("missing archive") << "" << QStringList{"--import", "/nirgends/TRDATEN.ZIP"}
                                     << "velmora5: Kopiervorgang fehlgeschlagen\n";
    QTest::newRow("export without person")
        << "" << QStringList{"--export", "/tmp/x.zip"} << "velmora5: Zu --export gehört --person P.\n";
    QTest::newRow("export of an unknown person") << "" << QStringList{"--export", "/tmp/x.zip", "--person", "17"}
                                                 << "velmora5: Die Person 17 ist nicht vorhanden.\n";
    QTest::newRow("two commands") << "" << QStringList{"--import", "/tmp/x.zip", "--backup", "/tmp/y.zip"}
                                  << "velmora5: Die Optionen --evaluate, --print-pdf, --backup, --export und --import "
                                     "schließen einander aus.\n";
    QTest::newRow("printing and exporting")
        << "" << QStringList{"--print-pdf", "/tmp/x.pdf", "--person", "1", "--kind", "2", "--export", "/tmp/y.zip"}
        << "velmora5: Die Optionen --evaluate, --print-pdf, --backup, --export und --import schließen einander aus.\n";
}

void TestExchangeCommand::messages() {
    QFETCH(QString, kind);
    QFETCH(QStringList, args);
    QFETCH(QString, message);
    if (kind.startsWith(QLatin1String("structure"))) {
        QCOMPARE(
            velmora5(at(*m_receiver, {QStringLiteral("--import"), exportArchive(QStringLiteral("a.zip"))})).exitCode,
            0);
        reread(*m_sender).execLocal(
            QStringLiteral("update TRTABLE set \"Timestamp\" = '2031-01-01 00:00:00.000' where TableNr = %1")
                .arg(m_lauf));
        if (kind.endsWith(QLatin1String("hotline")))
            setHotline(QStringLiteral("0800 555 0199"));
        args = QStringList{QStringLiteral("--import"), exportArchive(QStringLiteral("b.zip"))};
    } else if (kind == QLatin1String("no TRVALUE")) {
        const QString archive = exportArchive(QStringLiteral("a.zip"));
        QTemporaryDir work;
        QVERIFY(run(QStringLiteral(PKUNZIP_BINARY), {archive}, work.path()));
        {
            Database db(QStringLiteral("X"), work.path());
            db.exec(QStringLiteral("DROP TABLE TRVALUE"));
        }
        QFile::remove(archive);
        QVERIFY(run(QStringLiteral(PKZIP_BINARY), {archive, work.filePath(QString::fromLatin1(Database::kFileName))},
                    work.path()));
        args = QStringList{QStringLiteral("--import"), archive};
    }
    const QByteArray before = data(*m_receiver);
    const Run r = velmora5(at(*m_receiver, args));
    QCOMPARE(r.exitCode, 2);
    QVERIFY2(r.err.endsWith(message), qPrintable(r.err));
    QCOMPARE(data(*m_receiver), before);
}

void TestExchangeCommand::killedImportLeavesDatabase() {
    {
        ExchangeClub more(m_sender->db(), 3, 2, false);
        Transaction tx(m_sender->db());
        for (int i = 0; i < 3000; ++i)
            more.addEntry(2, QDate(2026, 2, 1).addDays(i % 300), QStringLiteral("Eintrag %1").arg(i), 2);
        tx.commit();
    }
    const QString archive = exportArchive(QStringLiteral("gross.zip"));
    // Every entry written here costs the engine a long count, so that the
    // import is surely still running when it is killed, on any machine.
    reread(*m_receiver)
        .exec(QStringLiteral("CREATE TRIGGER langsam AFTER INSERT ON TR BEGIN SELECT count(*) FROM (WITH RECURSIVE "
                             "c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 50000) SELECT x FROM c); END"));
    const QByteArray before = data(*m_receiver);

    QProcess p;
    p.start(QStringLiteral(VELMORA5_BINARY), at(*m_receiver, {QStringLiteral("--import"), archive}));
    QByteArray err;
    // Killed once the bar has moved inside the import's transaction.
    while (!err.contains("Daten importieren 10 %") && p.state() != QProcess::NotRunning) {
        p.waitForReadyRead(1000);
        err += p.readAllStandardError();
    }
    QVERIFY2(p.state() == QProcess::Running, err.constData()); // still importing
    p.kill();
    QVERIFY(p.waitForFinished(60000));
    err += p.readAllStandardError();
    QCOMPARE(p.exitStatus(), QProcess::CrashExit);
    QVERIFY2(!err.contains("Datenbank aktualisieren"), err.constData()); // it was still importing

    QCOMPARE(data(*m_receiver), before);
    Database &db = reread(*m_receiver);
    QCOMPARE(test::Column(db, QStringLiteral("PRAGMA integrity_check")), QStringList{"ok"});
    QCOMPARE(Count(db, QStringLiteral("SELECT count(*) FROM TR WHERE SerienNr = 3")), 0);
    QVERIFY(!db.tableExists(QStringLiteral("TR_9")));
    QCOMPARE(test::Column(db, QStringLiteral("SELECT Beschreibung FROM TR WHERE SerienNr = 5")),
             QStringList{"Eigener Eintrag"});
}

QTEST_GUILESS_MAIN(TestExchangeCommand)
#include "tst_exchangecommand.moc"
