// Reading an exchange archive and merging it: blocks new here get a table of
// their own, rows are merged by key and time stamp, and a set that cannot be
// imported changes nothing.
#include "base/Progress.h"
#include "base/Settings.h"
#include "exchange/ExchangeExport.h"
#include "exchange/ExchangeImport.h"
#include "store/Keys.h"
#include "support/ExchangeFixture.h"
#include "support/TempInstallation.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

using namespace velmora;
using namespace velmora::test;

namespace {

bool run(const QString &program, const QStringList &args, const QString &dir) {
    QProcess p;
    p.setWorkingDirectory(dir);
    p.start(program, args);
    return p.waitForFinished(-1) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

} // namespace

class TestExchangeImport : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_files;
    std::unique_ptr<TempInstallation> m_sender, m_receiver;
    std::unique_ptr<ExchangeClub> m_from, m_to;
    SilentProgress m_progress;
    int m_e1 = 0, m_e2 = 0, m_e3 = 0, m_plan = 0;

    // The sender's athlete's protocols, packed.
    QString exportProtocols(TempInstallation &inst, int person, const QString &name) {
        const QString archive = m_files.filePath(name);
        QFile::remove(archive);
        ExchangeExport exporter(inst.engine(), m_progress);
        exporter.setPackProgram(QStringLiteral(PKZIP_BINARY));
        if (!exporter.exportSelection(
                {QStringLiteral("(tr.Art = 2) and"), QStringLiteral("(tr.PersonNr = %1)").arg(person)}, archive))
            qFatal("export refused");
        return archive;
    }
    void read(TempInstallation &inst, const QString &archive) {
        ExchangeImport import(inst.engine(), m_progress);
        import.setUnpackProgram(QStringLiteral(PKUNZIP_BINARY));
        import.readArchive(archive);
    }
    ExchangeImport importArchive(TempInstallation &inst, const QString &archive) {
        read(inst, archive);
        ExchangeImport import(inst.engine(), m_progress);
        import.importAll();
        m_progress.CloseProgress();
        return import;
    }
    // The archive's exchange database, changed by a statement and packed again.
    QString alteredArchive(const QString &archive, const QString &sql, const QString &name) {
        QTemporaryDir work;
        if (!run(QStringLiteral(PKUNZIP_BINARY), {archive}, work.path()))
            qFatal("unpack failed");
        {
            Database db(QStringLiteral("X"), work.path());
            db.exec(sql);
        }
        const QString target = m_files.filePath(name);
        QFile::remove(target);
        if (!run(QStringLiteral(PKZIP_BINARY), {target, work.filePath(QString::fromLatin1(Database::kFileName))},
                 work.path()))
            qFatal("pack failed");
        return target;
    }
    void setStamp(Database &db, const QString &table, const QString &where, const QString &stamp) {
        db.execLocal(QStringLiteral("update %1 set \"Timestamp\" = '%2' where %3").arg(table, stamp, where));
    }

private Q_SLOTS:
    void init();
    void cleanup();
    void roundTrip();
    void sameArchiveTwiceChangesNothing();
    void blockKnownHereTakesItsLocalTable();
    void newerReplacesOlder();
    void structureMessage_data();
    void structureMessage();
    void refusedSetChangesNothing_data();
    void refusedSetChangesNothing();
    void engineErrorPartWayChangesNothing();
    void readingNeverEmptiesTheDataDirectory_data();
    void readingNeverEmptiesTheDataDirectory();
};

void TestExchangeImport::init() {
    settings().Hotline.clear();
    m_sender = std::make_unique<TempInstallation>(3);
    m_from = std::make_unique<ExchangeClub>(m_sender->db(), 3, 2);
    m_e1 = m_from->addEntry(2, QDate(2026, 1, 5), QStringLiteral("Grundlage"));
    m_e2 = m_from->addEntry(2, QDate(2026, 1, 6), QStringLiteral("Intervalle"), 3);
    m_e3 = m_from->addEntry(2, QDate(2026, 1, 7), QStringLiteral("Lang"), 1);
    m_plan = m_from->addEntry(3, QDate(2026, 1, 8), QStringLiteral("Plan"));
    m_receiver = std::make_unique<TempInstallation>(5);
    m_to = std::make_unique<ExchangeClub>(m_receiver->db(), 5, 8);
    m_to->addEntry(2, QDate(2026, 1, 5), QStringLiteral("Eigener Eintrag"));
}

void TestExchangeImport::cleanup() {
    m_to.reset();
    m_from.reset();
    m_receiver.reset();
    m_sender.reset();
}

void TestExchangeImport::roundTrip() {
    const QString archive = exportProtocols(*m_sender, m_from->athlete, QStringLiteral("a.zip"));
    read(*m_receiver, archive);
    ExchangeImport import(m_receiver->engine(), m_progress);
    import.importAll();
    QCOMPARE(m_progress.steps, QStringList({"Daten importieren", "Datenbank aktualisieren", "Templates erstellen",
                                            "Dokumentliste erstellen"}));
    QCOMPARE(m_progress.done, 1);
    QVERIFY(m_progress.visible); // the caller's steps follow
    // Four TR rows (the form and three protocols), two blocks, six tables.
    QCOMPARE(m_progress.maximum, 4 + 2 + 6);
    QCOMPARE(m_progress.position, m_progress.maximum);
    m_progress.CloseProgress();

    Database &db = m_receiver->db();
    // The sender's blocks are new here: TR_3 and TR_4 become TR_9 and TR_10,
    // and the block rows say so.
    QCOMPARE(import.fileNameMapping().value(QStringLiteral("TR_3")), QStringLiteral("TR_9"));
    QCOMPARE(import.fileNameMapping().value(QStringLiteral("TR_4")), QStringLiteral("TR_10"));
    QCOMPARE(test::Column(db, QStringLiteral("SELECT Filename FROM TRTABLE WHERE TableNr = %1").arg(m_from->lauf)),
             QStringList{"TR_9"});
    QCOMPARE(test::Column(db, QStringLiteral("SELECT Filename FROM TRTABLE WHERE TableNr = %1").arg(m_from->kraft)),
             QStringList{"TR_10"});
    QCOMPARE(test::Column(db, QStringLiteral("SELECT Notiz FROM TR_9 ORDER BY TrNr, \"Order\"")),
             QStringList({"Grundlage/0", "Grundlage/1", "Intervalle/0", "Intervalle/1", "Intervalle/2", "Lang/0"}));
    QCOMPARE(Count(db, QStringLiteral("SELECT count(*) FROM TR_10 WHERE SerienNr = 3")), 3);
    // The receiver's own block tables hold none of it.
    QCOMPARE(Count(db, QStringLiteral("SELECT count(*) FROM TR_3")), 0);
    // Persons, form, pick-lists, filter, evaluation.
    QCOMPARE(
        test::Column(
            db, QStringLiteral("SELECT Nachname FROM PERSON WHERE PersonNr >= %1 ORDER BY PersonNr").arg(3 * 65536)),
        QStringList({"Trainer3", "Athlet3", "Trainer5", "Athlet5"}));
    QCOMPARE(test::Column(db, QStringLiteral("SELECT Beschreibung FROM TR WHERE SerienNr = 3 ORDER BY TrNr")),
             QStringList({"Laufformular", "Grundlage", "Intervalle", "Lang"})); // no plan
    QCOMPARE(Count(db, QStringLiteral("SELECT count(*) FROM FFIELD WHERE FormularNr = %1").arg(m_from->form)), 3);
    QCOMPARE(Count(db, QStringLiteral("SELECT count(*) FROM TRuseTBL WHERE FormularNr = %1").arg(m_from->form)), 2);
    QCOMPARE(Count(db, QStringLiteral("SELECT count(*) FROM TRFIELD WHERE TableNr = %1").arg(m_from->lauf)), 2);
    QCOMPARE(test::Column(db, QStringLiteral("SELECT Value FROM TRVALUE WHERE ValueNr = %1").arg(m_from->value)),
             QStringList{"locker"});
    QCOMPARE(Count(db, QStringLiteral("SELECT count(*) FROM TRuseVAL WHERE FormularNr = %1").arg(m_from->form)), 1);
    QCOMPARE(test::Column(db, QStringLiteral("SELECT Name FROM FILTER WHERE FilterNr = %1").arg(m_from->filter)),
             QStringList{"Ausdauer"});
    QCOMPARE(Count(db, QStringLiteral("SELECT count(*) FROM AFIELD WHERE AuswertungNr = %1").arg(m_from->evaluation)),
             1);
    QCOMPARE(Count(db, QStringLiteral("SELECT count(*) FROM ATABLE WHERE AuswertungNr = %1").arg(m_from->evaluation)),
             1);
    // What was here stays, and the next block of this installation gets a name of its own.
    QCOMPARE(test::Column(db, QStringLiteral("SELECT Beschreibung FROM TR WHERE SerienNr = 5")),
             QStringList{"Eigener Eintrag"});
    QCOMPARE(NextBlockTableName(db), QStringLiteral("TR_11"));
    QVERIFY(QFileInfo::exists(QDir(m_receiver->engine().path(QStringLiteral("DBLOG_COPY")))
                                  .filePath(QString::fromLatin1(Database::kFileName)))); // the set stays
}

void TestExchangeImport::sameArchiveTwiceChangesNothing() {
    const QString archive = exportProtocols(*m_sender, m_from->athlete, QStringLiteral("a.zip"));
    importArchive(*m_receiver, archive);
    const QByteArray once = Fingerprint(m_receiver->db());
    QCOMPARE(importArchive(*m_receiver, archive).changedRows(), 0);
    QCOMPARE(Fingerprint(m_receiver->db()), once);
    QVERIFY(!m_receiver->db().tableExists(QStringLiteral("TR_11")));
}

void TestExchangeImport::blockKnownHereTakesItsLocalTable() {
    // The sender's block came to the receiver as TR_9; an entry written there
    // travels back with TR_9 as the exchange file name and lands in TR_3.
    importArchive(*m_receiver, exportProtocols(*m_sender, m_from->athlete, QStringLiteral("a.zip")));
    Database &rdb = m_receiver->db();
    rdb.execLocal(QStringLiteral("insert into TR (SerienNr, TrNr, PersonNr, Datum, Beschreibung, \"Timestamp\", "
                                 "FormularNr, Art, AutorNr) values (5, 50, %1, '2026-01-09 00:00:00.000', "
                                 "'Zurück', '2026-02-02 00:00:00.000', %2, 2, %1)")
                      .arg(m_from->athlete)
                      .arg(m_from->form));
    rdb.execLocal(QStringLiteral("insert into TR_9 values (5, 50, 0, 77, 'von 5')"));
    const QByteArray senderBefore = Fingerprint(m_sender->db());
    importArchive(*m_sender, exportProtocols(*m_receiver, m_from->athlete, QStringLiteral("b.zip")));
    Database &sdb = m_sender->db();
    QVERIFY(Fingerprint(sdb) != senderBefore);
    QCOMPARE(test::Column(sdb, QStringLiteral("SELECT Notiz FROM TR_3 WHERE SerienNr = 5")), QStringList{"von 5"});
    QVERIFY(!sdb.tableExists(QStringLiteral("TR_9")));
    QCOMPARE(test::Column(sdb, QStringLiteral("SELECT Filename FROM TRTABLE WHERE TableNr = %1").arg(m_from->lauf)),
             QStringList{"TR_3"});
    // The block came back unchanged: no structure message, its time stamp kept.
    QCOMPARE(
        test::Column(sdb, QStringLiteral("SELECT \"Timestamp\" FROM TRTABLE WHERE TableNr = %1").arg(m_from->lauf)),
        test::Column(rdb, QStringLiteral("SELECT \"Timestamp\" FROM TRTABLE WHERE TableNr = %1").arg(m_from->lauf)));
}

void TestExchangeImport::newerReplacesOlder() {
    importArchive(*m_receiver, exportProtocols(*m_sender, m_from->athlete, QStringLiteral("a.zip")));
    Database &sdb = m_sender->db();
    Database &rdb = m_receiver->db();
    // Sender: e1 rewritten later with one block row instead of two; e2 rewritten,
    // but the receiver's copy is later still; e3 rewritten without its "Kraft" row.
    sdb.execLocal(QStringLiteral("update TR set Beschreibung = 'neu' where TrNr = %1").arg(m_e1));
    setStamp(sdb, QStringLiteral("TR"), QStringLiteral("TrNr = %1").arg(m_e1),
             QStringLiteral("2026-03-01 00:00:00.000"));
    sdb.execLocal(QStringLiteral("delete from TR_3 where TrNr = %1 and \"Order\" = 1").arg(m_e1));
    sdb.execLocal(QStringLiteral("update TR_3 set Notiz = 'geändert' where TrNr = %1").arg(m_e1));
    sdb.execLocal(QStringLiteral("update TR set Beschreibung = 'vom Sender' where TrNr = %1").arg(m_e2));
    setStamp(sdb, QStringLiteral("TR"), QStringLiteral("TrNr = %1").arg(m_e2),
             QStringLiteral("2026-03-01 00:00:00.000"));
    rdb.execLocal(QStringLiteral("update TR set Beschreibung = 'lokal' where SerienNr = 3 and TrNr = %1").arg(m_e2));
    setStamp(rdb, QStringLiteral("TR"), QStringLiteral("SerienNr = 3 and TrNr = %1").arg(m_e2),
             QStringLiteral("2026-04-01 00:00:00.000"));
    setStamp(sdb, QStringLiteral("TR"), QStringLiteral("TrNr = %1").arg(m_e3),
             QStringLiteral("2026-03-01 00:00:00.000"));
    sdb.execLocal(QStringLiteral("delete from TR_4 where TrNr = %1").arg(m_e3));
    // A person renamed later at the sender; a filter renamed at the receiver
    // with the same time stamp stays as it is here.
    sdb.execLocal(QStringLiteral("update PERSON set Nachname = 'Neuname' where PersonNr = %1").arg(m_from->athlete));
    setStamp(sdb, QStringLiteral("PERSON"), QStringLiteral("PersonNr = %1").arg(m_from->athlete),
             QStringLiteral("2030-01-01 00:00:00.000"));
    rdb.execLocal(QStringLiteral("update FILTER set Name = 'hier umbenannt' where FilterNr = %1").arg(m_from->filter));

    importArchive(*m_receiver, exportProtocols(*m_sender, m_from->athlete, QStringLiteral("a2.zip")));
    QCOMPARE(
        test::Column(rdb, QStringLiteral("SELECT Beschreibung FROM TR WHERE SerienNr = 3 AND TrNr = %1").arg(m_e1)),
        QStringList{"neu"});
    QCOMPARE(test::Column(rdb, QStringLiteral("SELECT Notiz FROM TR_9 WHERE SerienNr = 3 AND TrNr = %1").arg(m_e1)),
             QStringList{"geändert"});
    QCOMPARE(
        test::Column(rdb, QStringLiteral("SELECT Beschreibung FROM TR WHERE SerienNr = 3 AND TrNr = %1").arg(m_e2)),
        QStringList{"lokal"});
    QCOMPARE(Count(rdb, QStringLiteral("SELECT count(*) FROM TR_9 WHERE SerienNr = 3 AND TrNr = %1").arg(m_e2)), 3);
    // No "Kraft" rows in the set for e3: the local ones stay.
    QCOMPARE(Count(rdb, QStringLiteral("SELECT count(*) FROM TR_10 WHERE SerienNr = 3 AND TrNr = %1").arg(m_e3)), 1);
    QCOMPARE(test::Column(rdb, QStringLiteral("SELECT Nachname FROM PERSON WHERE PersonNr = %1").arg(m_from->athlete)),
             QStringList{"Neuname"});
    QCOMPARE(test::Column(rdb, QStringLiteral("SELECT Name FROM FILTER WHERE FilterNr = %1").arg(m_from->filter)),
             QStringList{"hier umbenannt"});
}

void TestExchangeImport::structureMessage_data() {
    QTest::addColumn<QString>("hotline");
    QTest::addColumn<QString>("message");
    const QString head = QStringLiteral("Die Struktur der Trainings-Tabellen ist verändert worden!\rEine automatische "
                                        "Übernahme der Daten ist mit dieser Programmversion noch nicht möglich.");
    QTest::newRow("no hotline set") << QString() << head;
    QTest::newRow("hotline set")
        << QStringLiteral("0800 555 0199")
        << head + QStringLiteral("\rBitte informieren Sie sich unter der Hotline-Nummer 0800 555 0199 über verfügbare "
                                 "Updates.");
}

void TestExchangeImport::structureMessage() {
    QFETCH(QString, hotline);
    QFETCH(QString, message);
    importArchive(*m_receiver, exportProtocols(*m_sender, m_from->athlete, QStringLiteral("a.zip")));
    // The sender's coach changed the block meanwhile, and wrote another entry.
    setStamp(m_sender->db(), QStringLiteral("TRTABLE"), QStringLiteral("TableNr = %1").arg(m_from->lauf),
             QStringLiteral("2031-01-01 00:00:00.000"));
    m_from->addEntry(2, QDate(2026, 1, 20), QStringLiteral("Danach"));
    const QString archive = exportProtocols(*m_sender, m_from->athlete, QStringLiteral("b.zip"));
    settings().Hotline = hotline;
    const QByteArray before = Fingerprint(m_receiver->db());
    try {
        importArchive(*m_receiver, archive);
        QFAIL("imported");
    } catch (const VelmoraError &e) {
        QCOMPARE(e.message(), message);
    }
    QCOMPARE(Fingerprint(m_receiver->db()), before);
    QVERIFY(!m_progress.visible);
}

void TestExchangeImport::refusedSetChangesNothing_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("message");
    QTest::newRow("not a ZIP") << "text"
                               << "Kopiervorgang fehlgeschlagen";
    QTest::newRow("truncated") << "truncated"
                               << "Kopiervorgang fehlgeschlagen";
    QTest::newRow("no exchange database") << "no database"
                                          << "Es sind keine Datenfiles vorhanden";
    QTest::newRow("no TRVALUE") << "DROP TABLE TRVALUE"
                                << "Es sind keine Datenfiles vorhanden";
    QTest::newRow("block table missing") << "DROP TABLE TR_3"
                                         << "Es sind keine Datenfiles vorhanden";
    QTest::newRow("entries with other columns") << "ALTER TABLE TR DROP COLUMN ProjektNr"
                                                << "Die Tabelle TR der Austauschdaten hat andere Spalten";
    QTest::newRow("block with other columns") << "ALTER TABLE TR_3 ADD COLUMN Extra INTEGER"
                                              << "Die Tabelle TR_3 der Austauschdaten hat andere Spalten";
    QTest::newRow("not a database inside") << "garbage"
                                           << "keine gültige Datenbank";
}

void TestExchangeImport::refusedSetChangesNothing() {
    QFETCH(QString, kind);
    QFETCH(QString, message);
    // A first import makes "Lauf" known here, so that a changed block table is compared.
    const QString good = exportProtocols(*m_sender, m_from->athlete, QStringLiteral("a.zip"));
    if (kind.contains(QLatin1String("TR_3 ADD")))
        importArchive(*m_receiver, good);
    m_from->addEntry(2, QDate(2026, 1, 21), QStringLiteral("Neu"));
    const QString fresh = exportProtocols(*m_sender, m_from->athlete, QStringLiteral("b.zip"));
    QString archive = m_files.filePath(QStringLiteral("bad.zip"));
    QFile::remove(archive);
    if (kind == QLatin1String("text")) {
        QFile f(archive);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("Das ist kein Archiv.\n");
    } else if (kind == QLatin1String("truncated")) {
        QFile in(fresh);
        QVERIFY(in.open(QIODevice::ReadOnly));
        QFile f(archive);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(in.read(in.size() / 2));
    } else if (kind == QLatin1String("no database") || kind == QLatin1String("garbage")) {
        QTemporaryDir work;
        const QString name = kind == QLatin1String("garbage") ? QString::fromLatin1(Database::kFileName)
                                                              : QStringLiteral("liesmich.txt");
        QFile f(work.filePath(name));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(8192, 'x'));
        f.close();
        QVERIFY(run(QStringLiteral(PKZIP_BINARY), {archive, work.filePath(name)}, work.path()));
    } else {
        archive = alteredArchive(fresh, kind, QStringLiteral("bad.zip"));
    }
    const QByteArray before = Fingerprint(m_receiver->db());
    try {
        importArchive(*m_receiver, archive);
        QFAIL("imported");
    } catch (const VelmoraError &e) {
        QVERIFY2(e.message().startsWith(message) || e.message().contains(message), qPrintable(e.message()));
    }
    QCOMPARE(Fingerprint(m_receiver->db()), before);
    QVERIFY(!m_progress.visible);
}

void TestExchangeImport::engineErrorPartWayChangesNothing() {
    // The last entry is refused by the engine after blocks, persons, forms and
    // the other entries went in: all of it is undone, new tables included.
    m_from->addEntry(2, QDate(2026, 1, 30), QStringLiteral("Halt"));
    const QString archive = exportProtocols(*m_sender, m_from->athlete, QStringLiteral("a.zip"));
    Database &db = m_receiver->db();
    db.exec(QStringLiteral("CREATE TRIGGER halt BEFORE INSERT ON TR WHEN NEW.Beschreibung = 'Halt' "
                           "BEGIN SELECT RAISE(ABORT, 'angehalten'); END"));
    const QByteArray before = Fingerprint(db);
    try {
        importArchive(*m_receiver, archive);
        QFAIL("imported");
    } catch (const EngineError &e) {
        QVERIFY2(e.message().contains(QLatin1String("angehalten")), qPrintable(e.message()));
    }
    QCOMPARE(Fingerprint(db), before);
    QVERIFY(!db.tableExists(QStringLiteral("TR_9")));
    QCOMPARE(Count(db, QStringLiteral("SELECT count(*) FROM TR WHERE SerienNr = 3")), 0);
}

void TestExchangeImport::readingNeverEmptiesTheDataDirectory_data() {
    QTest::addColumn<QString>("exchange"); // relative to the configuration directory
    QTest::newRow("the data directory") << "data";
    QTest::newRow("a directory holding it") << ".";
}

void TestExchangeImport::readingNeverEmptiesTheDataDirectory() {
    QFETCH(QString, exchange);
    QTemporaryDir config;
    QVERIFY(QDir(config.path()).mkdir(QStringLiteral("data")));
    const QString data = config.filePath(QStringLiteral("data"));
    const QString ini = config.filePath(QStringLiteral("engine.ini"));
    {
        QFile f(ini);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QStringLiteral("[DBLOG]\nPATH=%1\n[DBLOG_COPY]\nPATH=%2\n")
                    .arg(data, config.path() + QLatin1Char('/') + exchange)
                    .toUtf8());
    }
    Engine engine(ini, config.path());
    engine.dblog().exec(QStringLiteral("CREATE TABLE kept (a); INSERT INTO kept VALUES (1)"));
    const QStringList before = QDir(data).entryList(QDir::Files);
    ExchangeImport import(engine, m_progress);
    import.setUnpackProgram(QStringLiteral(PKUNZIP_BINARY));
    try {
        import.readArchive(exportProtocols(*m_sender, m_from->athlete, QStringLiteral("a.zip")));
        QFAIL("the data directory was taken as exchange directory");
    } catch (const VelmoraError &e) {
        QCOMPARE(e.message(), QStringLiteral("Das Austauschverzeichnis darf nicht das Datenverzeichnis sein!"));
    }
    QCOMPARE(QDir(data).entryList(QDir::Files), before);
    QCOMPARE(engine.dblog().rowCount(QStringLiteral("kept")), 1);
}

QTEST_GUILESS_MAIN(TestExchangeImport)
#include "tst_exchangeimport.moc"
