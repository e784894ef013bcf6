#include "exchange/ExchangeExport.h"

#include "base/Errors.h"
#include "base/Helpers.h"
#include "base/Messages.h"
#include "base/Paths.h"
#include "base/Progress.h"
#include "base/Settings.h"
#include "store/BatchCopy.h"
#include "store/Query.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

namespace velmora {

QString ExchangeMessages::ReplaceQuestion(const QString &path) {
    return QStringLiteral("Soll die vorhandene Datei \"") + path + QStringLiteral("\" ersetzt werden?");
}

namespace {

// A directory as the file system resolves it, links followed, so that two
// spellings of one directory compare equal; a missing one as written.
QString resolvedDir(const QString &dir) {
    const QFileInfo info(dir);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : canonical;
}

QString withSlash(const QString &dir) {
    return dir.endsWith(QLatin1Char('/')) ? dir : dir + QLatin1Char('/');
}

// Hides the progress window however the operation ends.
class ProgressClose {
public:
    explicit ProgressClose(Progress &progress) : m_progress(progress) {}
    ~ProgressClose() { m_progress.CloseProgress(); }
    ProgressClose(const ProgressClose &) = delete;
    ProgressClose &operator=(const ProgressClose &) = delete;

private:
    Progress &m_progress;
};

// The temporary key table of one export, dropped again when it ends so that
// no stale table is left in the data directory.
class KeyTable {
public:
    explicit KeyTable(Database &db) : m_db(db), m_name(NewTempTableName()) {
        TableDef def;
        def.name = m_name;
        def.fields = {FieldDef(QStringLiteral("Key1"), FieldType::Long),
                      FieldDef(QStringLiteral("Key2"), FieldType::Long)};
        m_db.createTable(def);
    }
    ~KeyTable() {
        try {
            if (m_db.tableExists(m_name))
                m_db.dropTable(m_name);
        } catch (...) {
        }
    }
    KeyTable(const KeyTable &) = delete;
    KeyTable &operator=(const KeyTable &) = delete;

    const QString &name() const { return m_name; }
    void clear() { m_db.emptyTable(m_name); }
    void add(const QString &columns, const QString &select) {
        m_db.execLocal(QStringLiteral("insert into ") + m_name + QStringLiteral(" (") + columns + QStringLiteral(") ") +
                       select);
    }

private:
    Database &m_db;
    QString m_name;
};

} // namespace

ExchangeExport::ExchangeExport(Engine &engine, Progress &progress) : m_engine(engine), m_progress(progress) {}

const QStringList &ExchangeExport::ExchangeTables() {
    static const QStringList tables{
        QStringLiteral("TRTABLE.DB"),  QStringLiteral("TRFIELD.DB"),  QStringLiteral("TR.DB"),
        QStringLiteral("TRVALUE.DB"),  QStringLiteral("PERSON.DB"),   QStringLiteral("ADRESSE.DB"),
        QStringLiteral("AUSWERT.DB"),  QStringLiteral("AFIELD.DB"),   QStringLiteral("ANALYSE.DB"),
        QStringLiteral("ANAuseAW.DB"), QStringLiteral("FFIELD.DB"),   QStringLiteral("ATABLE.DB"),
        QStringLiteral("FILTER.DB"),   QStringLiteral("TRuseTBL.DB"), QStringLiteral("TRuseVAL.DB")};
    return tables;
}

QString ExchangeExport::dataDir() const {
    return m_engine.path(QString::fromLatin1(Engine::kDblog));
}
QString ExchangeExport::exchangeDir() const {
    return m_engine.path(QString::fromLatin1(Engine::kDblogCopy));
}

void ExchangeExport::CheckExchangeDirectory(const QString &dataDir, const QString &exchangeDir) {
    const QString data = resolvedDir(dataDir);
    const QString exchange = resolvedDir(exchangeDir);
    if (data == exchange || data.startsWith(withSlash(exchange)))
        throw VelmoraError(ExchangeMessages::kExchangeIsData);
}

void ExchangeExport::CheckArchivePath(const QString &archive) {
    // What was once "the path names a drive".
    if (archive.trimmed().isEmpty() || !QFileInfo(archive).isAbsolute())
        throw VelmoraError(ExchangeMessages::kCopyFailed);
}

QStringList ExchangeExport::packCommand() const {
    return ProgramCommand(m_packProgram.isEmpty() ? QProcess::splitCommand(settings().PackCommand)
                                                  : QStringList{m_packProgram});
}

QStringList ExchangeExport::ProgramCommand(QStringList parts) {
    if (parts.isEmpty())
        return {QString()};
    const QString program = parts.first();
    if (QFileInfo(program).isAbsolute())
        return parts;
    // A name alone is looked for next to the program, never on the search
    // path: the packer belongs to the installation.
    QStringList dirs;
    if (!paths().programDir.isEmpty())
        dirs << paths().programDir;
    if (QCoreApplication::instance())
        dirs << QCoreApplication::applicationDirPath();
    parts.first().clear();
    for (const QString &dir : dirs) {
        const QFileInfo candidate(QDir(dir), program);
        if (candidate.isFile() && candidate.isExecutable()) {
            parts.first() = candidate.absoluteFilePath();
            break;
        }
    }
    return parts;
}

void ExchangeExport::pack(const QString &archive, const QStringList &files) {
    const QStringList command = packCommand();
    if (command.first().isEmpty())
        throw VelmoraError(ExchangeMessages::kCopyFailed);
    const bool existedBefore = QFileInfo::exists(archive);
    QProcess process;
    process.setProgram(command.first());
    process.setArguments(command.mid(1) + QStringList{archive} + files);
    process.setWorkingDirectory(exchangeDir());
    process.setStandardInputFile(QProcess::nullDevice());
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start();
    bool ok = process.waitForStarted(-1);
    if (ok) {
        process.waitForFinished(-1);
        ok = process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0 && QFileInfo(archive).isFile();
    }
    if (!ok) {
        // Whatever a failed packer left behind is no archive to rely on.
        if (!existedBefore)
            QFile::remove(archive);
        throw VelmoraError(ExchangeMessages::kCopyFailed);
    }
}

void ExchangeExport::EmptyExchangeDirectory(Engine &engine) {
    engine.closeDatabase(QString::fromLatin1(Engine::kDblogCopy));
    QDir dir(engine.path(QString::fromLatin1(Engine::kDblogCopy)));
    if (!dir.exists() && !dir.mkpath(QStringLiteral(".")))
        throw VelmoraError(ExchangeMessages::kCopyFailed);
    const auto entries = dir.entryInfoList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo &file : entries)
        if (!QFile::remove(file.absoluteFilePath()))
            throw VelmoraError(ExchangeMessages::kCopyFailed);
}

bool ExchangeExport::exportSelection(const QStringList &selection, const QString &archive) {
    CheckArchivePath(archive);
    CheckExchangeDirectory(dataDir(), exchangeDir());
    if (QFileInfo::exists(archive)) {
        if (!Messages::question(ExchangeMessages::ReplaceQuestion(archive)))
            return false;
        if (!QFile::remove(archive))
            throw VelmoraError(ExchangeMessages::kCopyFailed);
    }

    ProgressClose closeProgress(m_progress);
    m_progress.ResetSteps();
    m_progress.AddStep(ExchangeMessages::kExportStep);
    m_progress.ShowProgress();
    EmptyExchangeDirectory(m_engine);
    copyExchangeSet(selection);
    m_progress.StepDone();

    // Closing the exchange database folds its log into the one file the archive takes.
    m_engine.closeDatabase(QString::fromLatin1(Engine::kDblogCopy));
    QStringList files;
    const auto entries =
        QDir(exchangeDir()).entryInfoList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo &file : entries)
        files << file.absoluteFilePath();
    pack(archive, files);
    return true;
}

void ExchangeExport::copyExchangeSet(const QStringList &selectionLines) {
    Database &local = m_engine.dblog();
    Database &copy = m_engine.dblogCopy();
    const QString sel = selectionLines.join(QLatin1Char('\n'));

    KeyTable keys(local);
    const QString tmp = keys.name();

    Query blocks(local, QStringLiteral("select * from trtable where Art = \"T\""));
    blocks.open();
    m_progress.SetProgressRange(blocks.recordCount() + 15);

    Transaction tx(copy);
    auto copyTable = [&](const QString &table, const QString &sql, bool create = true) {
        const QString name = Database::plainTableName(table);
        if (create) {
            copy.createTableLike(name, local, name);
            m_progress.AdvanceProgress(1);
        }
        if (local.rowCount(name) == 0)
            return;
        Query rows(local, sql);
        BatchCopy::run(rows, copy, name, BatchCopy::Mode::AppendUpdate);
    };

    // The persons of the entries and their authors, with what they own.
    keys.clear();
    keys.add(QStringLiteral("Key1"), QStringLiteral("select distinct PersonNr from TR where ") + sel);
    keys.add(QStringLiteral("Key1"), QStringLiteral("select distinct AutorNr from TR where ") + sel);
    copyTable(QStringLiteral("PERSON.DB"), QStringLiteral("select distinct PERSON.* from PERSON, ") + tmp +
                                               QStringLiteral(" where (PERSON.PersonNr=") + tmp +
                                               QStringLiteral(".Key1)"));
    copyTable(QStringLiteral("ADRESSE.DB"),
              QStringLiteral("select distinct ADRESSE.* from ADRESSE, Person, ") + tmp +
                  QStringLiteral(" where (Person.Adresse=ADRESSE.Telefon) and (PERSON.PersonNr=") + tmp +
                  QStringLiteral(".Key1)"));
    copyTable(QStringLiteral("FILTER.DB"), QStringLiteral("select distinct \"FILTER\".* from \"FILTER\", ") + tmp +
                                               QStringLiteral(" where (\"Filter\".PersonNr=") + tmp +
                                               QStringLiteral(".Key1)"));
    copyTable(QStringLiteral("AUSWERT.DB"), QStringLiteral("select distinct AUSWERT.* from AUSWERT, ") + tmp +
                                                QStringLiteral(" where (AUSWERT.TrainerNr=") + tmp +
                                                QStringLiteral(".Key1)"));
    copyTable(QStringLiteral("ANALYSE.DB"), QStringLiteral("select distinct ANALYSE.* from ANALYSE, ") + tmp +
                                                QStringLiteral(" where (ANALYSE.TrainerNr=") + tmp +
                                                QStringLiteral(".Key1)"));
    copyTable(QStringLiteral("AFIELD.DB"),
              QStringLiteral("select distinct AFIELD.* from AFIELD, AUSWERT, ") + tmp +
                  QStringLiteral(" where (AUSWERT.AuswertungNr=AFIELD.AuswertungNr) and (AUSWERT.TrainerNr=") + tmp +
                  QStringLiteral(".Key1)"));
    copyTable(QStringLiteral("ANAuseAW.DB"),
              QStringLiteral("select distinct ANAuseAW.* from ANAuseAW, ANALYSE, ") + tmp +
                  QStringLiteral(" where (ANALYSE.AnalyseNr=ANAuseAW.AnalyseNr) and (ANALYSE.TrainerNr=") + tmp +
                  QStringLiteral(".Key1)"));
    copyTable(QStringLiteral("ATABLE.DB"),
              QStringLiteral("select distinct ATABLE.* from ATABLE, AUSWERT, ") + tmp +
                  QStringLiteral(" where (AUSWERT.AuswertungNr=ATABLE.AuswertungNr) and (AUSWERT.TrainerNr=") + tmp +
                  QStringLiteral(".Key1)"));

    // The forms the entries are written in, with their blocks and pick-lists.
    keys.clear();
    keys.add(QStringLiteral("Key1"), QStringLiteral("select distinct FormularNr from TR where ") + sel);
    copyTable(QStringLiteral("FFIELD.DB"), QStringLiteral("select distinct FFIELD.* from FFIELD, ") + tmp +
                                               QStringLiteral(" where (FFIELD.FormularNr=") + tmp +
                                               QStringLiteral(".Key1)"));
    copyTable(QStringLiteral("TRuseTBL.DB"), QStringLiteral("select distinct TRuseTBL.* from TRuseTBL, ") + tmp +
                                                 QStringLiteral(" where (TRuseTBL.FormularNr=") + tmp +
                                                 QStringLiteral(".Key1)"));
    copyTable(QStringLiteral("TRuseVAL.DB"), QStringLiteral("select distinct TRuseVAL.* from TRuseVAL, ") + tmp +
                                                 QStringLiteral(" where (TRuseVAL.FormularNr=") + tmp +
                                                 QStringLiteral(".Key1)"));
    copyTable(QStringLiteral("TRTABLE.DB"),
              QStringLiteral("select distinct TRTABLE.* from TRTABLE, TRuseTBL, ") + tmp +
                  QStringLiteral(" where (TRTABLE.TableNr=TRuseTBL.TableNr) and (TRuseTBL.FormularNr=") + tmp +
                  QStringLiteral(".Key1)"));
    copyTable(QStringLiteral("TRFIELD.DB"),
              QStringLiteral("select distinct TRFIELD.* from TRFIELD, TRuseTBL, ") + tmp +
                  QStringLiteral(" where (TRFIELD.TableNr=TRuseTBL.TableNr) and (TRuseTBL.FormularNr=") + tmp +
                  QStringLiteral(".Key1)"));
    copyTable(QStringLiteral("TRVALUE.DB"),
              QStringLiteral("select distinct TRVALUE.* from TRVALUE, TRuseVAL, ") + tmp +
                  QStringLiteral(" where (TRVALUE.ValueNr=TRuseVAL.ValueNr) and (TRuseVAL.FormularNr=") + tmp +
                  QStringLiteral(".Key1)"));
    copyTable(QStringLiteral("TR.DB"),
              QStringLiteral("select distinct TR.* from TR, ") + tmp +
                  QStringLiteral(" where ((Art=1) or (Art=11) or (Art=21)) and (TR.FormularNr=") + tmp +
                  QStringLiteral(".Key1)"));
    // The entries themselves, into the TR table the forms already went to.
    copyTable(QStringLiteral("TR.DB"),
              QStringLiteral("select distinct TR.* from TR where (TR.Art<>1) and (TR.Art<>11) and (TR.Art<>21) and ") +
                  sel,
              false);

    // The block rows of exactly the selected entries.
    keys.clear();
    keys.add(QStringLiteral("Key1, Key2"), QStringLiteral("select distinct SerienNr, TrNr from TR where ") + sel);
    for (blocks.first(); !blocks.eof(); blocks.next()) {
        const QString f = blocks.asString(QStringLiteral("Filename"));
        copyTable(f, QStringLiteral("select distinct ") + f + QStringLiteral(".* from ") + f + QStringLiteral(", ") +
                         tmp + QStringLiteral(" where (") + f + QStringLiteral(".SerienNr=") + tmp +
                         QStringLiteral(".Key1) and (") + f + QStringLiteral(".TrNr=") + tmp +
                         QStringLiteral(".Key2)"));
    }
    tx.commit();
}

void ExchangeExport::backup(const QString &archive) {
    CheckArchivePath(archive);
    CheckExchangeDirectory(dataDir(), exchangeDir());

    ProgressClose closeProgress(m_progress);
    m_progress.ResetSteps();
    m_progress.AddStep(ExchangeMessages::kBackupStep);
    m_progress.ShowProgress();
    EmptyExchangeDirectory(m_engine);

    // The live file may have commits in its write-ahead log or a writer at
    // work: the backup takes the engine's consistent snapshot instead.
    const QString snapshot = withSlash(exchangeDir()) + QString::fromLatin1(Database::kFileName);
    m_engine.dblog().snapshotTo(snapshot);
    QStringList files{snapshot};
    const QString dbFile = QString::fromLatin1(Database::kFileName);
    const QString archivePath = QFileInfo(archive).absoluteFilePath();
    const auto entries = QDir(dataDir()).entryInfoList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo &file : entries) {
        const QString name = file.fileName();
        if (name == dbFile || name.startsWith(dbFile + QLatin1Char('-')) || name.endsWith(QStringLiteral(".part")) ||
            file.absoluteFilePath() == archivePath)
            continue;
        files << file.absoluteFilePath();
    }
    m_progress.StepDone();
    pack(archive, files);
}

} // namespace velmora
