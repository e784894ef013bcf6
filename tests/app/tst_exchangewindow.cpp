// The exchange window "Datenaustausch" as a coach reaches it: the main
// window's "Backup..." and "&Daten einlesen..", a diary's "&Daten
// exportieren..." and the first-start wizard's disk buttons, answered
// through Qt's own file dialogs and the real pack programs.
#include "app/DocumentList.h"
#include "app/TMainForm.h"
#include "app/TStartUp.h"
#include "app/TTrTbCopy.h"
#include "base/Paths.h"
#include "base/Progress.h"
#include "base/Settings.h"
#include "design/FormElementCache.h"
#include "diary/TTrainingstagebuch.h"
#include "exchange/ExchangeExport.h"
#include "store/Database.h"
#include "store/Engine.h"
#include "support/ClubFixture.h"
#include "support/ExchangeFixture.h"
#include "support/FileDialog.h"
#include "support/MessageRecorder.h"
#include "support/TempInstallation.h"
#include "support/WhenShown.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace velmora;
using namespace velmora::test;

namespace {

using C = ClubFixture;

// Remembers what the progress window showed and whether it was closed.
class RecordingProgress : public SilentProgress {
public:
    void ShowProgress() override {
        ++shown;
        stepsShown = steps;
        SilentProgress::ShowProgress();
    }
    void CloseProgress() override {
        closedAt = position;
        closedMaximum = maximum;
        ++closed;
        SilentProgress::CloseProgress();
    }
    int shown = 0, closed = 0, closedAt = -1, closedMaximum = -1;
    QStringList stepsShown;
};

void touch(const QString &path, const QByteArray &content = "x") {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(path));
    f.write(content);
}

QByteArray contents(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Runs a program to its end; its exit status, -1 when it could not run.
int run(const QString &program, const QStringList &args, const QString &dir = {}) {
    QProcess p;
    if (!dir.isEmpty())
        p.setWorkingDirectory(dir);
    p.start(program, args);
    if (!p.waitForFinished(-1) || p.exitStatus() != QProcess::NormalExit)
        return -1;
    return p.exitCode();
}

QString programDir() {
    return QFileInfo(QStringLiteral(PKZIP_BINARY)).absolutePath() + QLatin1Char('/');
}

} // namespace

class TestExchangeWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void backupFromTheMenu();
    void cancelledDialogWritesNothing_data();
    void cancelledDialogWritesNothing();
    void exportFromAProtocolDiary_data();
    void exportFromAProtocolDiary();
    void exportFromAFormsBlankEntry();
    void missingPacker_data();
    void missingPacker();
    void exchangeDirectoryIsTheDataDirectory_data();
    void exchangeDirectoryIsTheDataDirectory();
    void importWindowFromTheMenu();
    void roundTripBetweenTwoInstallations();
    void damagedArchiveChangesNothing();
    void wizardDiskButtons();

private:
    Database &db() { return m_inst->db(); }
    QAction *item(const char *name) { return m_main->action(QString::fromLatin1(name)); }
    QString exchangeDir() const { return m_inst->engine().path(QString::fromLatin1(Engine::kDblogCopy)); }
    QString dataDir() const { return m_inst->engine().path(QString::fromLatin1(Engine::kDblog)); }
    TTrainingstagebuch *openProtocolDiary();

    std::unique_ptr<TempInstallation> m_inst;
    std::unique_ptr<ClubFixture> m_club;
    std::unique_ptr<MessageRecorder> m_messages;
    RecordingProgress m_progress;
    std::unique_ptr<TMainForm> m_main;
    std::unique_ptr<QTemporaryDir> m_out;
    Paths m_savedPaths;
};

void TestExchangeWindow::init() {
    m_inst = std::make_unique<TempInstallation>(1);
    settings() = Settings();
    SetSettingsPath(m_inst->installation().settingsPath());
    ReadSettings();
    settings().SerienNr = C::kSerial;
    m_savedPaths = paths();
    // The pack programs live next to the program.
    paths().programDir = programDir();
    m_club = std::make_unique<ClubFixture>(db());
    LoadFormElementCache(db(), nullptr);
    RebuildDocumentList(db(), nullptr, C::kCoach, C::kJugend);
    m_messages = std::make_unique<MessageRecorder>();
    m_progress = RecordingProgress();
    m_main = std::make_unique<TMainForm>(&m_progress);
    m_main->resize(1000, 700);
    m_main->ApplyLogin(C::kCoach);
    m_main->show();
    m_main->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_main.get()));
    m_out = std::make_unique<QTemporaryDir>();
}

void TestExchangeWindow::cleanup() {
    m_main.reset();
    m_messages.reset();
    m_club.reset();
    m_inst.reset();
    m_out.reset();
    paths() = m_savedPaths;
}

TTrainingstagebuch *TestExchangeWindow::openProtocolDiary() {
    TTrainingstagebuch *diary = m_main->CreateDiary();
    diary->PersonNr = C::kAnna;
    diary->Name = QStringLiteral("Anna Berg");
    diary->GruppenNr = C::kJugend;
    diary->TrainerNr = C::kCoach;
    diary->User = C::kCoach;
    diary->KindCode = 2;
    diary->initialise(false);
    diary->show();
    m_main->mdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow *>(diary->parentWidget()));
    return diary;
}

void TestExchangeWindow::backupFromTheMenu() {
    // A diary is open: the backup closes it first, so that what it holds is stored.
    openProtocolDiary();
    QCOMPARE(m_main->mdiArea()->subWindowList().size(), 1);
    QVERIFY(item("miBackup1")->isEnabled());

    FileDialogSeen seen;
    answerFileDialog(m_out->filePath(QStringLiteral("Sicherung")), &seen);
    item("miBackup1")->trigger();
    QVERIFY2(m_messages->texts().isEmpty(), qPrintable(m_messages->texts().join(QLatin1Char('|'))));
    QVERIFY(m_main->mdiArea()->subWindowList().isEmpty());

    // The dialog: Qt's own save dialog for zipped data.
    QVERIFY(seen.shown);
    QVERIFY(seen.nonNative);
    QCOMPARE(seen.acceptMode, QFileDialog::AcceptSave);
    QCOMPARE(seen.nameFilters, QStringList{QStringLiteral("gezippte Daten (*.ZIP)")});
    QCOMPARE(seen.defaultSuffix, QStringLiteral("ZIP"));

    // The extension was added; Info-ZIP takes the archive, and it holds the database.
    const QString archive = m_out->filePath(QStringLiteral("Sicherung.ZIP"));
    QVERIFY(QFileInfo(archive).isFile());
    QCOMPARE(run(QStringLiteral("unzip"), {QStringLiteral("-tq"), archive}), 0);
    QVERIFY(QDir(m_out->path()).mkdir(QStringLiteral("restored")));
    const QString restoredDir = m_out->filePath(QStringLiteral("restored"));
    QCOMPARE(run(QStringLiteral("unzip"), {QStringLiteral("-q"), archive, QStringLiteral("-d"), restoredDir}), 0);
    QVERIFY(QFileInfo(restoredDir + QStringLiteral("/velmora5.db")).isFile());
    Database restored(QStringLiteral("RESTORED"), restoredDir, false);
    QCOMPARE(test::Column(restored, QStringLiteral("PRAGMA integrity_check")), QStringList{"ok"});
    for (const char *table : {"TR", "TR_1", "PERSON", "TRTABLE", "FILTER"})
        QCOMPARE(restored.rowCount(QLatin1String(table)), db().rowCount(QLatin1String(table)));
    QCOMPARE(m_progress.shown, 1);
    QCOMPARE(m_progress.closed, 1);
}

void TestExchangeWindow::cancelledDialogWritesNothing_data() {
    QTest::addColumn<bool>("backup");
    QTest::newRow("backup") << true;
    QTest::newRow("export") << false;
}

void TestExchangeWindow::cancelledDialogWritesNothing() {
    QFETCH(bool, backup);
    touch(exchangeDir() + QStringLiteral("/last.set"));
    if (!backup)
        openProtocolDiary();
    FileDialogSeen seen;
    answerFileDialog(QString(), &seen);
    item(backup ? "miBackup1" : "miExport0")->trigger();
    QVERIFY(seen.shown);
    QVERIFY(m_messages->texts().isEmpty());
    QCOMPARE(m_progress.shown, 0);
    QVERIFY(QFileInfo::exists(exchangeDir() + QStringLiteral("/last.set")));
    QVERIFY(QDir(m_out->path()).entryList(QDir::Files).isEmpty());
}

void TestExchangeWindow::exportFromAProtocolDiary_data() {
    QTest::addColumn<bool>("existing");
    QTest::addColumn<bool>("yes");
    QTest::newRow("new archive") << false << false;
    QTest::newRow("existing, Yes replaces it") << true << true;
    QTest::newRow("existing, No leaves everything") << true << false;
}

void TestExchangeWindow::exportFromAProtocolDiary() {
    QFETCH(bool, existing);
    QFETCH(bool, yes);
    const QString archive = m_out->filePath(QStringLiteral("TRDATEN.ZIP"));
    if (existing)
        touch(archive, "old archive");
    const QString marker = exchangeDir() + QStringLiteral("/last.set");
    touch(marker);
    m_messages->answer(yes);

    openProtocolDiary();
    QVERIFY(item("miExport0")->isEnabled());
    FileDialogSeen seen;
    answerFileDialog(archive, &seen);
    item("miExport0")->trigger();
    QVERIFY(seen.shown);
    QCOMPARE(seen.acceptMode, QFileDialog::AcceptSave);
    QCOMPARE(seen.nameFilters, QStringList{QStringLiteral("gezippte Daten (*.ZIP)")});

    // The question is asked for an existing archive only, and answered.
    QCOMPARE(m_messages->texts(Messages::Kind::Question),
             existing ? QStringList{QStringLiteral("Soll die vorhandene Datei \"%1\" ersetzt werden?").arg(archive)}
                      : QStringList());
    QVERIFY(!m_messages->unansweredQuestion());
    QCOMPARE(m_messages->texts(Messages::Kind::Error), QStringList());
    // The diary stays open.
    QCOMPARE(m_main->mdiArea()->subWindowList().size(), 1);

    if (existing && !yes) {
        QCOMPARE(contents(archive), QByteArray("old archive"));
        QVERIFY(QFileInfo::exists(marker));
        QCOMPARE(m_progress.shown, 0);
        return;
    }
    QVERIFY(!QFileInfo::exists(marker));
    // The progress window showed the step and was closed with every table done.
    QCOMPARE(m_progress.shown, 1);
    QCOMPARE(m_progress.stepsShown, QStringList{QStringLiteral("ausgewählte Daten exportieren")});
    QCOMPARE(m_progress.closed, 1);
    QCOMPARE(m_progress.closedMaximum, 16); // fifteen tables and the one block
    QCOMPARE(m_progress.closedAt, 16);

    QCOMPARE(run(QStringLiteral("unzip"), {QStringLiteral("-tq"), archive}), 0);
    QVERIFY(QDir(m_out->path()).mkdir(QStringLiteral("set")));
    const QString setDir = m_out->filePath(QStringLiteral("set"));
    QCOMPARE(run(QStringLiteral(PKUNZIP_BINARY), {archive}, setDir), 0);
    Database set(QStringLiteral("SET"), setDir, false);
    // The form and Anna's three protocols; her plan (5) and Paul's protocol (6) stay.
    QCOMPARE(test::Column(set, QStringLiteral("select Art || '/' || TrNr from TR order by TrNr")),
             (QStringList{"1/1", "2/2", "2/3", "2/4"}));
    QCOMPARE(test::Column(set, QStringLiteral("select TrNr || '/' || \"Order\" from TR_1 order by 1")),
             (QStringList{"2/0", "2/1", "3/0", "4/0"}));
    QCOMPARE(test::Column(set, QStringLiteral("select PersonNr from PERSON order by 1")),
             (QStringList{QString::number(C::kCoach), QString::number(C::kAnna)}));
}

void TestExchangeWindow::exportFromAFormsBlankEntry() {
    // The blank entry of a form lists nothing; its own key chooses what goes.
    m_main->OpenFormFillIn(C::kSerial, 1, QStringLiteral("Laufprotokoll"), false);
    auto *diary = qobject_cast<TTrainingstagebuch *>(m_main->mdiArea()->currentSubWindow()->widget());
    QVERIFY(diary && diary->Single);
    const QString archive = m_out->filePath(QStringLiteral("FORMULAR.ZIP"));
    answerFileDialog(archive);
    item("miExport0")->trigger();
    QVERIFY2(m_messages->texts().isEmpty(), qPrintable(m_messages->texts().join(QLatin1Char('|'))));
    QVERIFY(QDir(m_out->path()).mkdir(QStringLiteral("set")));
    const QString setDir = m_out->filePath(QStringLiteral("set"));
    QCOMPARE(run(QStringLiteral(PKUNZIP_BINARY), {archive}, setDir), 0);
    Database set(QStringLiteral("SET"), setDir, false);
    QCOMPARE(test::Column(set, QStringLiteral("select Art || '/' || TrNr from TR order by TrNr")), QStringList{"1/1"});
    QCOMPARE(test::Column(set, QStringLiteral("select TableNr from TRTABLE order by 1")),
             (QStringList{QStringLiteral("0"), QString::number(C::kBlock)}));
    // Only the form's own rows (its default values) go with it, no entry's.
    QCOMPARE(test::Column(set, QStringLiteral("select count(*) from TR_1 where TrNr <> 1")), QStringList{"0"});
}

void TestExchangeWindow::missingPacker_data() {
    QTest::addColumn<bool>("backup");
    QTest::newRow("backup") << true;
    QTest::newRow("export") << false;
}

void TestExchangeWindow::missingPacker() {
    QFETCH(bool, backup);
    settings().PackCommand = QStringLiteral("gibt-es-nicht");
    if (!backup)
        openProtocolDiary();
    const QString archive = m_out->filePath(QStringLiteral("TRDATEN.ZIP"));
    answerFileDialog(archive);
    item(backup ? "miBackup1" : "miExport0")->trigger();
    QCOMPARE(m_messages->texts(), QStringList{QStringLiteral("Kopiervorgang fehlgeschlagen")});
    QVERIFY(!QFileInfo::exists(archive));
    QCOMPARE(m_progress.closed, 1);
}

void TestExchangeWindow::exchangeDirectoryIsTheDataDirectory_data() {
    QTest::addColumn<bool>("backup");
    QTest::newRow("backup") << true;
    QTest::newRow("export") << false;
}

void TestExchangeWindow::exchangeDirectoryIsTheDataDirectory() {
    QFETCH(bool, backup);
    // The exchange directory becomes a link to the data directory.
    m_inst->engine().closeDatabase(QString::fromLatin1(Engine::kDblogCopy));
    QVERIFY(QDir(exchangeDir()).removeRecursively());
    QVERIFY(QFile::link(dataDir(), exchangeDir()));
    touch(dataDir() + QStringLiteral("/Notiz.txt"));
    const QStringList before = QDir(dataDir()).entryList(QDir::Files);
    const int entries = db().rowCount(QStringLiteral("TR"));

    if (!backup)
        openProtocolDiary();
    const QString archive = m_out->filePath(QStringLiteral("TRDATEN.ZIP"));
    answerFileDialog(archive);
    item(backup ? "miBackup1" : "miExport0")->trigger();
    QCOMPARE(m_messages->texts(),
             QStringList{QStringLiteral("Das Austauschverzeichnis darf nicht das Datenverzeichnis sein!")});
    QCOMPARE(QDir(dataDir()).entryList(QDir::Files), before);
    QCOMPARE(db().rowCount(QStringLiteral("TR")), entries);
    QVERIFY(!QFileInfo::exists(archive));
}

void TestExchangeWindow::importWindowFromTheMenu() {
    openProtocolDiary();
    QVERIFY(item("miExcange1")->isEnabled());
    bool shown = false;
    whenShown<TTrTbCopy>([&](TTrTbCopy &w) {
        shown = true;
        QCOMPARE(w.windowTitle(), QStringLiteral("Datenaustausch"));
        QCOMPARE(w.mode(), int(TTrTbCopy::ModeImport));
        QCOMPARE(w.personNr(), C::kCoach);
        QCOMPARE(w.findChild<QPushButton *>(QStringLiteral("btnDiskette"))->text(),
                 QStringLiteral("&Diskette einlesen"));
        QCOMPARE(w.findChild<QPushButton *>(QStringLiteral("btnImport"))->text(),
                 QStringLiteral("alle Daten &importieren"));
        QVERIFY(w.findChild<QLineEdit *>(QStringLiteral("txtDatei"))->isReadOnly());
        QTest::mouseClick(w.findChild<QPushButton *>(QStringLiteral("btnClose")), Qt::LeftButton);
    });
    item("miExcange1")->trigger();
    QVERIFY(shown);
    // The windows were closed before the import window opened.
    QVERIFY(m_main->mdiArea()->subWindowList().isEmpty());
}

void TestExchangeWindow::roundTripBetweenTwoInstallations() {
    m_main.reset();
    // The receiver has eight blocks of its own; the sender's "Lauf" (TR_3)
    // and "Kraft" (TR_4) are new there.
    TempInstallation five(5);
    ExchangeClub receiver(five.db(), 5, 8);
    TempInstallation three(3);
    ExchangeClub sender(three.db(), 3, 2);
    sender.addEntry(2, QDate(2026, 1, 5), QStringLiteral("Intervalle"), 3);
    sender.addEntry(2, QDate(2026, 1, 7), QStringLiteral("Dauerlauf"), 2);
    sender.addEntry(3, QDate(2026, 1, 9), QStringLiteral("Plan"), 1);
    const QString archive = m_out->filePath(QStringLiteral("TRDATEN.ZIP"));

    // Installation 3: the athlete's protocols from her diary's "&Daten exportieren...".
    Engine::setCurrent(&three.engine());
    settings().SerienNr = 3;
    LoadFormElementCache(three.db(), nullptr);
    RebuildDocumentList(three.db(), nullptr, sender.coach, 0);
    {
        TMainForm main(&m_progress);
        main.ApplyLogin(sender.coach);
        main.show();
        TTrainingstagebuch *diary = main.CreateDiary();
        diary->PersonNr = sender.athlete;
        diary->Name = QStringLiteral("Athlet3");
        diary->TrainerNr = sender.coach;
        diary->User = sender.coach;
        diary->KindCode = 2;
        diary->initialise(false);
        diary->show();
        main.mdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow *>(diary->parentWidget()));
        answerFileDialog(archive);
        main.action(QStringLiteral("miExport0"))->trigger();
    }
    QVERIFY2(m_messages->texts().isEmpty(), qPrintable(m_messages->texts().join(QLatin1Char('|'))));
    QVERIFY(QFileInfo(archive).isFile());

    // Installation 5: "&Daten einlesen..", "&Diskette einlesen", "alle Daten &importieren".
    Engine::setCurrent(&five.engine());
    settings().SerienNr = 5;
    LoadFormElementCache(five.db(), nullptr);
    RebuildDocumentList(five.db(), nullptr, receiver.coach, 0);
    TMainForm main(&m_progress);
    main.ApplyLogin(receiver.coach);
    main.show();
    FileDialogSeen seen;
    QString shownPath;
    bool closedAfterImport = false;
    whenShown<TTrTbCopy>([&](TTrTbCopy &w) {
        answerFileDialog(archive, &seen);
        QTest::mouseClick(w.findChild<QPushButton *>(QStringLiteral("btnDiskette")), Qt::LeftButton);
        shownPath = w.findChild<QLineEdit *>(QStringLiteral("txtDatei"))->text();
        QTest::mouseClick(w.findChild<QPushButton *>(QStringLiteral("btnImport")), Qt::LeftButton);
        closedAfterImport = !w.isVisible() && w.result() == QDialog::Accepted;
    });
    main.action(QStringLiteral("miExcange1"))->trigger();
    QVERIFY2(m_messages->texts().isEmpty(), qPrintable(m_messages->texts().join(QLatin1Char('|'))));

    // The open dialog: an existing zipped archive, "TRDATEN.ZIP" proposed.
    QVERIFY(seen.shown);
    QVERIFY(seen.nonNative);
    QCOMPARE(seen.acceptMode, QFileDialog::AcceptOpen);
    QCOMPARE(seen.fileMode, QFileDialog::ExistingFile);
    QCOMPARE(seen.proposedName, QStringLiteral("TRDATEN.ZIP"));
    QCOMPARE(seen.nameFilters, QStringList{QStringLiteral("gezippte Daten (*.ZIP)")});
    QCOMPARE(shownPath, archive);
    QVERIFY(closedAfterImport);

    // The protocols arrived with their block rows, in tables of their own here;
    // the plan stayed behind; the receiver's own blocks are untouched.
    Database &db5 = five.db();
    QCOMPARE(Count(db5, QStringLiteral("select count(*) from TR where SerienNr = 3 and Art = 2")), 2);
    QCOMPARE(Count(db5, QStringLiteral("select count(*) from TR where SerienNr = 3 and Art = 3")), 0);
    QCOMPARE(Count(db5, QStringLiteral("select count(*) from TR where SerienNr = 3 and Art = 1")), 1);
    QCOMPARE(Count(db5, QStringLiteral("select count(*) from PERSON where PersonNr = %1").arg(sender.athlete)), 1);
    QCOMPARE(test::Column(db5, QStringLiteral("select Filename from TRTABLE where TableNr = %1").arg(sender.lauf)),
             QStringList{QStringLiteral("TR_9")});
    QCOMPARE(test::Column(db5, QStringLiteral("select Filename from TRTABLE where TableNr = %1").arg(sender.kraft)),
             QStringList{QStringLiteral("TR_10")});
    QCOMPARE(test::Column(db5, QStringLiteral("select Notiz from TR_9 where SerienNr = 3 order by TrNr, \"Order\"")),
             (QStringList{"Intervalle/0", "Intervalle/1", "Intervalle/2", "Dauerlauf/0", "Dauerlauf/1"}));
    QCOMPARE(Count(db5, QStringLiteral("select count(*) from TR_10 where SerienNr = 3")), 2);
    QCOMPARE(Count(db5, QStringLiteral("select count(*) from TR_3")), 0);
    QCOMPARE(Count(db5, QStringLiteral("select count(*) from FILTER where FilterNr = %1").arg(sender.filter)), 1);
}

void TestExchangeWindow::damagedArchiveChangesNothing() {
    const QString archive = m_out->filePath(QStringLiteral("KAPUTT.ZIP"));
    touch(archive, "PK\x03\x04 not really an archive");
    touch(exchangeDir() + QStringLiteral("/last.set"));
    const QByteArray before = Fingerprint(db());
    QStringList afterRead, afterImport;
    bool stillOpen = false, buttonsBack = false;
    whenShown<TTrTbCopy>([&](TTrTbCopy &w) {
        answerFileDialog(archive);
        QTest::mouseClick(w.findChild<QPushButton *>(QStringLiteral("btnDiskette")), Qt::LeftButton);
        afterRead = m_messages->texts();
        m_messages->clear();
        auto *import = w.findChild<QPushButton *>(QStringLiteral("btnImport"));
        QTest::mouseClick(import, Qt::LeftButton);
        afterImport = m_messages->texts();
        stillOpen = w.isVisible();
        buttonsBack = import->isEnabled() && w.findChild<QPushButton *>(QStringLiteral("btnDiskette"))->isEnabled() &&
                      w.findChild<QPushButton *>(QStringLiteral("btnClose"))->isEnabled();
    });
    item("miExcange1")->trigger();
    QCOMPARE(afterRead, QStringList{QStringLiteral("Kopiervorgang fehlgeschlagen")});
    // The exchange directory was emptied for the archive: there is no set to import.
    QCOMPARE(afterImport, QStringList{QStringLiteral("Es sind keine Datenfiles vorhanden")});
    QVERIFY(stillOpen);
    QVERIFY(buttonsBack);
    QCOMPARE(Fingerprint(db()), before);
}

void TestExchangeWindow::wizardDiskButtons() {
    m_main.reset();
    TStartUp wizard;
    wizard.setCoach(C::kCoach);
    wizard.show();

    // "&Datendiskeette erstellen": the backup, at once, without the window.
    const QString archive = m_out->filePath(QStringLiteral("DISKETTE.ZIP"));
    FileDialogSeen seen;
    answerFileDialog(archive, &seen);
    auto *backup = wizard.findChild<QPushButton *>(QStringLiteral("btnBackup"));
    QVERIFY(backup && backup->isEnabled());
    backup->click();
    QVERIFY(seen.shown);
    QVERIFY(m_messages->texts().isEmpty());
    QCOMPARE(run(QStringLiteral("unzip"), {QStringLiteral("-tq"), archive}), 0);

    // "&Daten übernehmen": the window in its import mode, for the coach.
    int person = 0;
    whenShown<TTrTbCopy>([&person](TTrTbCopy &w) {
        person = w.mode() == TTrTbCopy::ModeImport ? w.personNr() : -1;
        w.reject();
    });
    auto *import = wizard.findChild<QPushButton *>(QStringLiteral("btnImport"));
    QVERIFY(import && import->isEnabled());
    import->click();
    QCOMPARE(person, C::kCoach);
}

QTEST_MAIN(TestExchangeWindow)
#include "tst_exchangewindow.moc"
