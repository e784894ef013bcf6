// The export of a selection and the backup, each packed by the real pack
// program and read back through the real unpack program.

#include "base/Errors.h"
#include "base/Paths.h"
#include "base/Progress.h"
#include "base/Settings.h"
#include "diary/DiaryListQuery.h"
#include "exchange/ExchangeExport.h"
#include "store/Engine.h"
#include "store/Errors.h"
#include "support/ClubFixture.h"
#include "support/EntryFixture.h"
#include "support/ExchangeFixture.h"
#include "support/MessageRecorder.h"
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

using C = ClubFixture;

// Remembers where the bar stood when the window was closed.
class RecordingProgress : public SilentProgress {
public:
    void CloseProgress() override {
        closedAt = position;
        closedMaximum = maximum;
        stepsAtClose = steps;
        ++closed;
        SilentProgress::CloseProgress();
    }
    int closedAt = -1, closedMaximum = -1, closed = 0;
    QStringList stepsAtClose;
};

QStringList tableNames(Database &db) {
    QStringList names = db.tables();
    for (QString &n : names)
        n = n.toUpper();
    names.sort();
    return names;
}

void unpack(const QString &archive, const QString &dir) {
    QProcess p;
    p.setWorkingDirectory(dir);
    p.start(QStringLiteral(PKUNZIP_BINARY), {archive});
    QVERIFY(p.waitForFinished(-1));
    QCOMPARE(p.exitCode(), 0);
}

QString writeScript(const QString &dir, const QString &name, const QString &body) {
    const QString path = dir + QLatin1Char('/') + name;
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        qFatal("cannot write script");
    f.write("#!/bin/sh\n" + body.toUtf8() + "\n");
    f.close();
    f.setPermissions(f.permissions() | QFileDevice::ExeOwner);
    return path;
}

void touch(const QString &path, const QByteArray &content = "x") {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        qFatal("cannot write file");
    f.write(content);
}

QByteArray contents(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Anna's protocols on the club, with what must stay behind: a second block
// no entry uses, an address and an evaluation of a stranger.
struct ExportFixture {
    static constexpr int kOtherBlock = C::kBase + 2;
    static constexpr int kOttoEvaluation = C::kBase + 2;

    ExportFixture() : club(inst.db()) {
        Database &db = inst.db();
        InsertRow(db, QStringLiteral("ADRESSE"),
                  {{QStringLiteral("Telefon"), QStringLiteral("030 111")},
                   {QStringLiteral("ADRESSE"), QStringLiteral("Am Hang 1")}});
        InsertRow(db, QStringLiteral("ADRESSE"),
                  {{QStringLiteral("Telefon"), QStringLiteral("040 999")},
                   {QStringLiteral("ADRESSE"), QStringLiteral("Fremdweg 9")}});
        db.execLocal(QStringLiteral("update PERSON set Adresse = '030 111' where PersonNr = %1").arg(C::kAnna));
        db.execLocal(QStringLiteral("update PERSON set Adresse = '040 999' where PersonNr = %1").arg(C::kOtto));
        AddBlock(db, kOtherBlock, QStringLiteral("TR_2"), false,
                 {FieldSpec(QStringLiteral("Puls"), QStringLiteral("I"))});
        InsertRow(db, QStringLiteral("AUSWERT"),
                  {{QStringLiteral("AuswertungNr"), kOttoEvaluation},
                   {QStringLiteral("Auswertung"), QStringLiteral("Fremd")},
                   {QStringLiteral("TrainerNr"), C::kOtto}});
        InsertRow(db, QStringLiteral("ANAuseAW"),
                  {{QStringLiteral("AnalyseNr"), C::kWorkbook},
                   {QStringLiteral("AuswertungNr"), C::kEvaluation},
                   {QStringLiteral("Sheet"), QStringLiteral("Umfang")}});
    }

    static QStringList annasProtocols() {
        DiaryQueryInput in;
        in.kindCode = 2;
        in.personNr = C::kAnna;
        return BuildDiaryListQuery(in).selection;
    }

    TempInstallation inst;
    ClubFixture club;
};

} // namespace

class TestExchangeExport : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void exchangeSetRows_data();
    void exchangeSetRows();
    void exchangeSetHoldsNothingElse();
    void replaceQuestion_data();
    void replaceQuestion();
    void packFailure_data();
    void packFailure();
    void exchangeDirectoryIsDataDirectory_data();
    void exchangeDirectoryIsDataDirectory();
    void archivePathMustBeAbsolute_data();
    void archivePathMustBeAbsolute();
    void backupHoldsCommitsOfTheLog();
    void engineErrorWritesNoArchive();
    void packProgramNextToTheProgram_data();
    void packProgramNextToTheProgram();

private:
    std::unique_ptr<ExportFixture> m_export;
    QTemporaryDir m_out;
    std::unique_ptr<Database> m_unpacked;
    QStringList m_unpackedFiles;
    RecordingProgress m_progress;
};

void TestExchangeExport::initTestCase() {
    m_export = std::make_unique<ExportFixture>();
    const QString archive = m_out.filePath(QStringLiteral("TRDATEN.ZIP"));
    ExchangeExport exporter(m_export->inst.engine(), m_progress);
    exporter.setPackProgram(QStringLiteral(PKZIP_BINARY));
    QVERIFY(exporter.exportSelection(ExportFixture::annasProtocols(), archive));
    QVERIFY(QFileInfo(archive).isFile());
    QVERIFY(QDir(m_out.path()).mkdir(QStringLiteral("unpacked")));
    const QString dir = m_out.filePath(QStringLiteral("unpacked"));
    unpack(archive, dir);
    m_unpackedFiles = QDir(dir).entryList(QDir::Files);
    m_unpacked = std::make_unique<Database>(QStringLiteral("UNPACKED"), dir, false);
}

void TestExchangeExport::exchangeSetRows_data() {
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QStringList>("expected");
    auto keys = [](std::initializer_list<int> l) {
        QStringList s;
        for (int k : l)
            s << QString::number(k);
        return s;
    };
    // The entry numbers: the form's own row is 1, Anna's protocols 2, 3, 4,
    // her plan 5, Paul's protocol 6. The diary's selection lines name the
    // person only (the kind is on the query's first line), so her plan goes too.
    QTest::newRow("persons and authors") << "select PersonNr from PERSON order by 1" << keys({C::kCoach, C::kAnna});
    QTest::newRow("their addresses") << "select Telefon from ADRESSE order by 1" << QStringList{"030 111"};
    QTest::newRow("their filters") << "select FilterNr from FILTER order by 1" << keys({C::kLowFilter, C::kFilter});
    QTest::newRow("evaluations of the coach")
        << "select AuswertungNr from AUSWERT order by 1" << keys({C::kEvaluation});
    QTest::newRow("workbooks of the coach") << "select AnalyseNr from ANALYSE order by 1" << keys({C::kWorkbook});
    QTest::newRow("evaluation fields") << "select AuswertungNr || '/' || FeldNr from AFIELD order by 1"
                                       << QStringList{QStringLiteral("%1/1").arg(C::kEvaluation),
                                                      QStringLiteral("%1/2").arg(C::kEvaluation)};
    QTest::newRow("workbook sheets") << "select AnalyseNr || '/' || Sheet from ANAuseAW order by 1"
                                     << QStringList{QStringLiteral("%1/Umfang").arg(C::kWorkbook)};
    QTest::newRow("evaluation tables") << "select AuswertungNr || '/' || TableNr from ATABLE order by 1"
                                       << QStringList{QStringLiteral("%1/%2").arg(C::kEvaluation).arg(C::kBlock)};
    QTest::newRow("form fields") << "select FormularNr || '/' || \"Order\" from FFIELD order by \"Order\""
                                 << QStringList{"65537/0", "65537/1", "65537/2", "65537/3", "65537/4", "65537/5"};
    QTest::newRow("form blocks") << "select TableNr from TRuseTBL order by 1" << keys({0, C::kBlock});
    QTest::newRow("form pick-lists") << "select ValueNr from TRuseVAL order by 1"
                                     << keys({C::kValueLocker, C::kValueIntensiv});
    QTest::newRow("blocks of the form") << "select TableNr from TRTABLE order by 1" << keys({0, C::kBlock});
    QTest::newRow("fields of those blocks")
        << "select distinct TableNr from TRFIELD where TableNr <> 0 order by 1" << keys({C::kBlock});
    QTest::newRow("pick-list values") << "select ValueNr from TRVALUE order by 1"
                                      << keys({C::kValueLocker, C::kValueIntensiv});
    QTest::newRow("the form and the entries")
        << "select Art || '/' || TrNr from TR order by TrNr" << QStringList{"1/1", "2/2", "2/3", "2/4", "3/5"};
    QTest::newRow("block rows of the entries")
        << "select TrNr || '/' || \"Order\" from TR_1 order by 1" << QStringList{"2/0", "2/1", "3/0", "4/0", "5/0"};
    QTest::newRow("block no entry uses, empty") << "select count(*) from TR_2" << QStringList{"0"};
}

void TestExchangeExport::exchangeSetRows() {
    QFETCH(QString, sql);
    QFETCH(QStringList, expected);
    QCOMPARE(test::Column(*m_unpacked, sql), expected);
}

void TestExchangeExport::exchangeSetHoldsNothingElse() {
    QStringList expected;
    for (const QString &t : ExchangeExport::ExchangeTables())
        expected << Database::plainTableName(t).toUpper();
    expected << QStringLiteral("TR_1") << QStringLiteral("TR_2");
    expected.sort();
    QCOMPARE(tableNames(*m_unpacked), expected);
    // Every exchange table has the structure of its local table.
    for (const QString &t : ExchangeExport::ExchangeTables())
        QCOMPARE(m_unpacked->fieldDefs(t).size(), m_export->inst.db().fieldDefs(t).size());
    QCOMPARE(m_unpacked->primaryKey(QStringLiteral("TR_1")), m_export->inst.db().primaryKey(QStringLiteral("TR_1")));
    // The archive holds the one database file, no log beside it.
    QCOMPARE(m_unpackedFiles, QStringList{QString::fromLatin1(Database::kFileName)});
    // The key table is gone again.
    QVERIFY(m_export->inst.db().tables(QStringLiteral("TMP*")).isEmpty());
    // One step per table and block, all of them done when the window closed.
    QCOMPARE(m_progress.closedMaximum, 17);
    QCOMPARE(m_progress.closedAt, 17);
    QCOMPARE(m_progress.stepsAtClose, QStringList{ExchangeMessages::kExportStep});
}

void TestExchangeExport::replaceQuestion_data() {
    QTest::addColumn<bool>("yes");
    QTest::newRow("yes replaces") << true;
    QTest::newRow("no leaves everything") << false;
}

void TestExchangeExport::replaceQuestion() {
    QFETCH(bool, yes);
    ExportFixture fx;
    QTemporaryDir out;
    const QString archive = out.filePath(QStringLiteral("ALT.ZIP"));
    touch(archive, "old archive");
    const QString marker = fx.inst.engine().path(QString::fromLatin1(Engine::kDblogCopy)) + QStringLiteral("/last.set");
    touch(marker);
    MessageRecorder messages;
    messages.answer(yes);
    RecordingProgress progress;
    ExchangeExport exporter(fx.inst.engine(), progress);
    exporter.setPackProgram(QStringLiteral(PKZIP_BINARY));

    QCOMPARE(exporter.exportSelection(ExportFixture::annasProtocols(), archive), yes);
    QCOMPARE(messages.texts(Messages::Kind::Question),
             QStringList{QStringLiteral("Soll die vorhandene Datei \"%1\" ersetzt werden?").arg(archive)});
    QVERIFY(!messages.unansweredQuestion());
    QCOMPARE(contents(archive) == "old archive", !yes);
    QCOMPARE(QFileInfo::exists(marker), !yes);
    QCOMPARE(progress.closed, yes ? 1 : 0);
    if (yes) {
        QTemporaryDir dir;
        unpack(archive, dir.path());
        Database unpacked(QStringLiteral("UNPACKED"), dir.path(), false);
        QCOMPARE(unpacked.rowCount(QStringLiteral("TR_1")), 5);
    }
}

void TestExchangeExport::packFailure_data() {
    QTest::addColumn<QString>("script"); // empty: no program at all
    QTest::newRow("program missing") << QString();
    QTest::newRow("exit status 1") << QStringLiteral("exit 1");
    QTest::newRow("archive written, then failed") << QStringLiteral("echo half > \"$1\"; exit 3");
    QTest::newRow("killed") << QStringLiteral("kill -9 $$");
}

void TestExchangeExport::packFailure() {
    QFETCH(QString, script);
    ExportFixture fx;
    QTemporaryDir out;
    const QString archive = out.filePath(QStringLiteral("TRDATEN.ZIP"));
    const QString program = script.isEmpty() ? out.filePath(QStringLiteral("gibt-es-nicht"))
                                             : writeScript(out.path(), QStringLiteral("packer"), script);
    RecordingProgress progress;
    ExchangeExport exporter(fx.inst.engine(), progress);
    exporter.setPackProgram(program);
    try {
        exporter.exportSelection(ExportFixture::annasProtocols(), archive);
        QFAIL("an export that could not be packed looked done");
    } catch (const VelmoraError &e) {
        QCOMPARE(e.message(), QStringLiteral("Kopiervorgang fehlgeschlagen"));
    }
    QVERIFY(!QFileInfo::exists(archive));
    QCOMPARE(progress.closed, 1);

    try {
        exporter.backup(archive);
        QFAIL("a backup that could not be packed looked done");
    } catch (const VelmoraError &e) {
        QCOMPARE(e.message(), QStringLiteral("Kopiervorgang fehlgeschlagen"));
    }
    QVERIFY(!QFileInfo::exists(archive));
}

void TestExchangeExport::exchangeDirectoryIsDataDirectory_data() {
    QTest::addColumn<QString>("exchange"); // relative to the configuration directory
    QTest::addColumn<bool>("backup");
    QTest::newRow("same directory, export") << "data" << false;
    QTest::newRow("same directory, backup") << "data" << true;
    QTest::newRow("same, spelled with a slash and a dot") << "./data/" << false;
    QTest::newRow("a directory holding it") << "." << false;
    QTest::newRow("a directory holding it, backup") << "." << true;
    QTest::newRow("a link to it") << "link" << false;
}

void TestExchangeExport::exchangeDirectoryIsDataDirectory() {
    QFETCH(QString, exchange);
    QFETCH(bool, backup);
    QTemporaryDir config;
    QVERIFY(QDir(config.path()).mkdir(QStringLiteral("data")));
    const QString data = config.filePath(QStringLiteral("data"));
    QVERIFY(QFile::link(data, config.filePath(QStringLiteral("link"))));
    const QString ini = config.filePath(QStringLiteral("engine.ini"));
    touch(ini, QStringLiteral("[DBLOG]\nPATH=%1\n[DBLOG_COPY]\nPATH=%2\n")
                   .arg(data, config.path() + QLatin1Char('/') + exchange)
                   .toUtf8());
    Engine engine(ini, config.path());
    engine.dblog().exec(QStringLiteral("CREATE TABLE kept (a); INSERT INTO kept VALUES (1)"));
    touch(data + QStringLiteral("/notes.txt"));
    const QStringList before = QDir(data).entryList(QDir::Files);
    QVERIFY(before.contains(QString::fromLatin1(Database::kFileName)));

    RecordingProgress progress;
    ExchangeExport exporter(engine, progress);
    exporter.setPackProgram(QStringLiteral(PKZIP_BINARY));
    const QString archive = config.filePath(QStringLiteral("TRDATEN.ZIP"));
    try {
        if (backup)
            exporter.backup(archive);
        else
            exporter.exportSelection({QStringLiteral("(tr.PersonNr = 1)")}, archive);
        QFAIL("the data directory was taken as exchange directory");
    } catch (const VelmoraError &e) {
        QCOMPARE(e.message(), QStringLiteral("Das Austauschverzeichnis darf nicht das Datenverzeichnis sein!"));
    }
    QCOMPARE(QDir(data).entryList(QDir::Files), before);
    QCOMPARE(engine.dblog().rowCount(QStringLiteral("kept")), 1);
    QVERIFY(!QFileInfo::exists(archive));
    QCOMPARE(progress.closed, 0);
}

void TestExchangeExport::archivePathMustBeAbsolute_data() {
    QTest::addColumn<QString>("archive");
    QTest::newRow("empty") << QString();
    QTest::newRow("blanks") << QStringLiteral("   ");
    QTest::newRow("relative") << QStringLiteral("TRDATEN.ZIP");
}

void TestExchangeExport::archivePathMustBeAbsolute() {
    QFETCH(QString, archive);
    ExportFixture fx;
    const QString marker = fx.inst.engine().path(QString::fromLatin1(Engine::kDblogCopy)) + QStringLiteral("/last.set");
    touch(marker);
    RecordingProgress progress;
    ExchangeExport exporter(fx.inst.engine(), progress);
    exporter.setPackProgram(QStringLiteral(PKZIP_BINARY));
    for (bool backup : {false, true}) {
        try {
            if (backup)
                exporter.backup(archive);
            else
                exporter.exportSelection(ExportFixture::annasProtocols(), archive);
            QFAIL("an archive path without a directory was taken");
        } catch (const VelmoraError &e) {
            QCOMPARE(e.message(), QStringLiteral("Kopiervorgang fehlgeschlagen"));
        }
    }
    QVERIFY(QFileInfo::exists(marker));
}

void TestExchangeExport::backupHoldsCommitsOfTheLog() {
    ExportFixture fx;
    Database &db = fx.inst.db();
    fx.club.addEntry(C::kPaul, 2, QDateTime(QDate(2026, 1, 8), QTime(9, 0)), QStringLiteral("zuletzt"));
    const QString dataDir = fx.inst.engine().path(QString::fromLatin1(Engine::kDblog));
    // The commits are still in the write-ahead log, not in the database file.
    QVERIFY(QFileInfo(dataDir + QStringLiteral("/velmora5.db-wal")).size() > 0);
    touch(dataDir + QStringLiteral("/Notiz.txt"), "beside the database");

    QTemporaryDir out;
    const QString archive = out.filePath(QStringLiteral("BACKUP.ZIP"));
    RecordingProgress progress;
    ExchangeExport exporter(fx.inst.engine(), progress);
    exporter.setPackProgram(QStringLiteral(PKZIP_BINARY));
    exporter.backup(archive);
    QCOMPARE(progress.closed, 1);

    QTemporaryDir dir;
    unpack(archive, dir.path());
    QStringList files = QDir(dir.path()).entryList(QDir::Files);
    files.sort();
    QCOMPARE(files, (QStringList{QStringLiteral("Notiz.txt"), QString::fromLatin1(Database::kFileName)}));
    Database restored(QStringLiteral("RESTORED"), dir.path(), false);
    QCOMPARE(test::Column(restored, QStringLiteral("PRAGMA integrity_check")), QStringList{"ok"});
    QCOMPARE(tableNames(restored), tableNames(db));
    for (const QString &table : db.tables())
        QCOMPARE(restored.rowCount(table), db.rowCount(table));
    QCOMPARE(test::Column(restored, QStringLiteral("select Beschreibung from TR where TrNr = 7")),
             QStringList{"zuletzt"});
}

void TestExchangeExport::engineErrorWritesNoArchive() {
    ExportFixture fx;
    // A block whose table is gone: the engine cannot read it.
    InsertRow(fx.inst.db(), QStringLiteral("TRTABLE"),
              {{QStringLiteral("TableNr"), C::kBase + 9},
               {QStringLiteral("Name"), QStringLiteral("Weg")},
               {QStringLiteral("Filename"), QStringLiteral("TR_9")}});
    QTemporaryDir out;
    const QString archive = out.filePath(QStringLiteral("TRDATEN.ZIP"));
    RecordingProgress progress;
    ExchangeExport exporter(fx.inst.engine(), progress);
    exporter.setPackProgram(QStringLiteral(PKZIP_BINARY));
    QVERIFY_THROWS_EXCEPTION(EngineError, exporter.exportSelection(ExportFixture::annasProtocols(), archive));
    QVERIFY(!QFileInfo::exists(archive));
    QCOMPARE(progress.closed, 1);
    QVERIFY(fx.inst.db().tables(QStringLiteral("TMP*")).isEmpty());
}

void TestExchangeExport::packProgramNextToTheProgram_data() {
    QTest::addColumn<QString>("setting");
    QTest::addColumn<QStringList>("expected"); // "@" stands for the program directory
    QTest::newRow("the default name") << "pkzip" << QStringList{"@/pkzip"};
    QTest::newRow("with arguments") << "pkzip -q" << QStringList{"@/pkzip", "-q"};
    QTest::newRow("an absolute path as it is") << "/opt/pack/zip -r" << QStringList{"/opt/pack/zip", "-r"};
    QTest::newRow("not next to the program") << "fehlt" << QStringList{QString()};
    QTest::newRow("never from the search path") << "sh" << QStringList{QString()};
    QTest::newRow("empty") << "" << QStringList{QString()};
}

void TestExchangeExport::packProgramNextToTheProgram() {
    QFETCH(QString, setting);
    QFETCH(QStringList, expected);
    const QString programDir = QFileInfo(QStringLiteral(PKZIP_BINARY)).absolutePath();
    for (QString &part : expected)
        part.replace(QLatin1Char('@'), programDir);
    const Paths savedPaths = paths();
    const QString savedCommand = settings().PackCommand;
    paths().programDir = programDir + QLatin1Char('/');
    settings().PackCommand = setting;
    RecordingProgress progress;
    ExchangeExport exporter(m_export->inst.engine(), progress);
    const QStringList command = exporter.packCommand();
    paths() = savedPaths;
    settings().PackCommand = savedCommand;
    QCOMPARE(command, expected);
}

QTEST_GUILESS_MAIN(TestExchangeExport)
#include "tst_exchangeexport.moc"
