// The analysis workbooks from the main window and from a diary, driven as a
// coach does: "A&rbeitsbuch" under "&Neu...", the open dialog's workbooks,
// and the diary's workbook menu, which writes the workbook and one dBase
// export per link and starts the spreadsheet program. The program is a
// stand-in script registered through Tabellenprogramm that records its
// arguments; the desktop knows no association during the test.
#include "app/DocumentList.h"
#include "app/TFrmOpen.h"
#include "app/TMainForm.h"
#include "base/Settings.h"
#include "controls/DBControls.h"
#include "design/FormElementCache.h"
#include "diary/TTrainingstagebuch.h"
#include "evaluation/TWorkbookDataLink.h"
#include "store/Database.h"
#include "support/ClubFixture.h"
#include "support/ClubWindows.h"
#include "support/MessageRecorder.h"
#include "support/TempInstallation.h"
#include "support/WhenShown.h"

#include <QAction>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>
#include <memory>
#include <shapefil.h>

using namespace velmora;
using velmora::test::ClubFixture;
using velmora::test::MessageRecorder;
using velmora::test::whenShown;

namespace {
constexpr int kStrecke = ClubFixture::kBase + 2; // "Strecke pro Woche"
constexpr int kGone = ClubFixture::kBase + 99;   // no such evaluation
constexpr char kRaw[] = "PK\x03\x04 Arbeitsbuch\0Ende";
const QByteArray kBytes(kRaw, sizeof kRaw - 1);

QString scalar(Database &db, const QString &sql) {
    Statement st(db, sql);
    return st.step() ? st.value(0).toString() : QString();
}

QByteArray fileBytes(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

struct DbfCloser {
    void operator()(DBFInfo *h) const { DBFClose(h); }
};

// The column names and the first row of a dBase file, as "Woche=202602".
QStringList dbfFirstRow(const QString &path) {
    std::unique_ptr<DBFInfo, DbfCloser> dbf(DBFOpen(QFile::encodeName(path).constData(), "rb"));
    if (!dbf)
        return {QStringLiteral("<unreadable>")};
    QStringList out;
    for (int i = 0; i < DBFGetFieldCount(dbf.get()); ++i) {
        char name[XBASE_FLDNAME_LEN_READ + 1] = {};
        DBFGetFieldInfo(dbf.get(), i, name, nullptr, nullptr);
        out << QString::fromLatin1(name) + QLatin1Char('=') +
                   QString::fromLatin1(DBFReadStringAttribute(dbf.get(), 0, i)).trimmed();
    }
    out << QStringLiteral("rows=%1").arg(DBFGetRecordCount(dbf.get()));
    return out;
}
} // namespace

class TestWorkbookCommands : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void newWorkbookFromTheMenu();
    void openDialogOpensTheWorkbook();
    void twoLinksInLinkOrder();
    void noLinks();
    void twoLinksWithOneSheetName();
    void noToTheReplaceQuestion();
    void nothingRegistered();
    void pathWithBlankAndQuote();
    void failingEvaluationStopsTheOpening_data();
    void failingEvaluationStopsTheOpening();

private:
    Database &db() { return m_inst->db(); }
    QString path(const QString &name) const { return m_dir->filePath(name); }
    void setLinks(const QList<QPair<int, QString>> &links);
    // Opens Anna's protocols and chooses the workbook in the diary's menu;
    // the save dialog is answered with `target` typed into `directory`.
    void openFromDiary(const QString &directory, const QString &target, int person = ClubFixture::kAnna);
    // The arguments the stand-in program received.
    QStringList startedWith();
    void registerProgram();

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<test::TempInstallation> m_inst;
    std::unique_ptr<ClubFixture> m_club;
    std::unique_ptr<MessageRecorder> m_messages;
    std::unique_ptr<TMainForm> m_main;
    QByteArray m_path, m_dataHome, m_dataDirs;
    QString m_offeredDirectory, m_offeredName;
};

void TestWorkbookCommands::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    // No xdg-mime and no applications: only the setting can name a program.
    m_path = qgetenv("PATH");
    m_dataHome = qgetenv("XDG_DATA_HOME");
    m_dataDirs = qgetenv("XDG_DATA_DIRS");
    for (const char *d : {"bin", "data", "ziel"})
        QVERIFY(QDir(m_dir->path()).mkpath(QString::fromLatin1(d)));
    qputenv("PATH", QFile::encodeName(path(QStringLiteral("bin"))));
    qputenv("XDG_DATA_HOME", QFile::encodeName(path(QStringLiteral("data"))));
    qputenv("XDG_DATA_DIRS", QFile::encodeName(path(QStringLiteral("data"))));

    m_inst = std::make_unique<test::TempInstallation>(1);
    settings() = Settings();
    settings().SerienNr = ClubFixture::kSerial;
    m_club = std::make_unique<ClubFixture>(db());
    // A second evaluation: the distance per week.
    InsertRow(db(), QStringLiteral("AUSWERT"),
              {{QStringLiteral("AuswertungNr"), kStrecke},
               {QStringLiteral("Auswertung"), QStringLiteral("Strecke pro Woche")},
               {QStringLiteral("TrainerNr"), ClubFixture::kCoach},
               {QStringLiteral("Gruppierung"), true}});
    InsertRow(db(), QStringLiteral("AFIELD"),
              {{QStringLiteral("AuswertungNr"), kStrecke},
               {QStringLiteral("FeldNr"), 1},
               {QStringLiteral("Name"), QStringLiteral("Woche")},
               {QStringLiteral("Typ"), QStringLiteral("X")},
               {QStringLiteral("TableNr"), 0},
               {QStringLiteral("Order"), 1},
               {QStringLiteral("Agregatfunktion"), 0},
               {QStringLiteral("SQL"), true},
               {QStringLiteral("Bedingung"),
                QStringLiteral("X-Achse\rEXTRACT(YEAR FROM tr.Datum)*100 + cast(tr.Woche as Integer)")}});
    InsertRow(db(), QStringLiteral("AFIELD"),
              {{QStringLiteral("AuswertungNr"), kStrecke},
               {QStringLiteral("FeldNr"), 2},
               {QStringLiteral("Name"), QStringLiteral("Strecke")},
               {QStringLiteral("Typ"), QStringLiteral("D")},
               {QStringLiteral("TableNr"), ClubFixture::kBlock},
               {QStringLiteral("Order"), 2},
               {QStringLiteral("Agregatfunktion"), 1}});
    InsertRow(db(), QStringLiteral("ATABLE"),
              {{QStringLiteral("AuswertungNr"), kStrecke}, {QStringLiteral("TableNr"), ClubFixture::kBlock}});
    {
        Statement st(db(), QStringLiteral("UPDATE ANALYSE SET BLOB = ?, Files = ? WHERE AnalyseNr = ?"));
        st.bind(1, kBytes);
        st.bind(2, path(QStringLiteral("Saison.xls")));
        st.bind(3, ClubFixture::kWorkbook);
        st.step();
    }
    LoadFormElementCache(db(), nullptr);
    RebuildDocumentList(db(), nullptr, ClubFixture::kCoach, ClubFixture::kJugend);
    m_messages = std::make_unique<MessageRecorder>();
    m_main = test::StartMainForm();
    QVERIFY(QTest::qWaitForWindowActive(m_main.get()));
}

void TestWorkbookCommands::cleanup() {
    m_main.reset();
    m_messages.reset();
    m_club.reset();
    m_inst.reset();
    qputenv("PATH", m_path);
    qputenv("XDG_DATA_HOME", m_dataHome);
    qputenv("XDG_DATA_DIRS", m_dataDirs);
    settings() = Settings();
    m_dir.reset();
}

void TestWorkbookCommands::registerProgram() {
    // Shell built-ins only: the PATH of the test holds nothing.
    const QString script = path(QStringLiteral("bin/tabelle.sh"));
    QFile f(script);
    QVERIFY(f.open(QIODevice::WriteOnly));
    const QByteArray out = QFile::encodeName(path(QStringLiteral("args")));
    f.write("#!/bin/sh\n: > '" + out + ".part'\nfor a in \"$@\"; do printf '%s\\n' \"$a\" >> '" + out +
            ".part'; done\necho fertig > '" + out + ".done'\n");
    f.close();
    QVERIFY(f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    settings().Tabellenprogramm = QLatin1Char('"') + script + QLatin1Char('"');
}

QStringList TestWorkbookCommands::startedWith() {
    const QString done = path(QStringLiteral("args.done"));
    // The program runs detached; its record is complete once it wrote the mark.
    [&] { QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(done), 60000); }();
    if (!QFile::exists(done))
        return {QStringLiteral("<not started>")};
    return QString::fromLocal8Bit(fileBytes(path(QStringLiteral("args.part"))))
        .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

void TestWorkbookCommands::setLinks(const QList<QPair<int, QString>> &links) {
    db().exec(QStringLiteral("DELETE FROM ANAuseAW"));
    for (const auto &[nr, sheet] : links)
        InsertRow(db(), QStringLiteral("ANAuseAW"),
                  {{QStringLiteral("AnalyseNr"), ClubFixture::kWorkbook},
                   {QStringLiteral("AuswertungNr"), nr},
                   {QStringLiteral("Sheet"), sheet}});
}

void TestWorkbookCommands::openFromDiary(const QString &directory, const QString &target, int person) {
    TTrainingstagebuch *diary = m_main->CreateDiary();
    diary->PersonNr = person;
    diary->Name = QStringLiteral("Anna Berg");
    diary->GruppenNr = ClubFixture::kJugend;
    diary->TrainerNr = ClubFixture::kCoach;
    diary->KindCode = 2;
    diary->initialise(false);
    diary->show();
    QVERIFY(diary->tbAnalyse->isEnabled());
    QAction *item = nullptr;
    for (QAction *a : diary->tbAnalyse->menu()->actions())
        if (a->data().toInt() == ClubFixture::kWorkbook)
            item = a;
    QVERIFY(item);
    QCOMPARE(item->text(), QStringLiteral("Saison"));
    bool shown = false;
    whenShown<QFileDialog>([&](QFileDialog &dialog) {
        shown = true;
        auto *name = dialog.findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        m_offeredDirectory = dialog.directory().absolutePath();
        m_offeredName = name->text();
        if (target.isEmpty()) {
            dialog.reject();
            return;
        }
        if (!directory.isEmpty())
            dialog.setDirectory(directory);
        name->setFocus();
        name->setText(target);
        QTest::keyClick(name, Qt::Key_Return);
    });
    item->trigger();
    QVERIFY(shown);
}

// "A&rbeitsbuch" opens the link window for a new workbook of the logged-in
// coach; "&Fertig" brings it into the document list.
void TestWorkbookCommands::newWorkbookFromTheMenu() {
    QAction *item = m_main->action(QStringLiteral("miAnalyse1"));
    QVERIFY(item->isEnabled());
    QFile vorlage(path(QStringLiteral("Vorlage.xls")));
    QVERIFY(vorlage.open(QIODevice::WriteOnly));
    vorlage.write(kBytes);
    vorlage.close();
    int shownNr = 0;
    whenShown<TWorkbookDataLink>([&](TWorkbookDataLink &w) {
        shownNr = w.workbookNr();
        w.dbfName->setFocus();
        QTest::keyClicks(w.dbfName, QStringLiteral("Kraft"));
        whenShown<QFileDialog>([&](QFileDialog &dialog) {
            auto *name = dialog.findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
            name->setText(vorlage.fileName());
            QTest::keyClick(name, Qt::Key_Return);
        });
        QTest::mouseClick(w.btnImport, Qt::LeftButton);
        QTest::mouseClick(w.btnFertig, Qt::LeftButton);
    });
    item->trigger();
    QCOMPARE(shownNr, ClubFixture::kBase + 2);
    QCOMPARE(scalar(db(), QStringLiteral("SELECT TrainerNr FROM ANALYSE WHERE AnalyseName = 'Kraft'")),
             QString::number(ClubFixture::kCoach));
    QCOMPARE(scalar(db(), QStringLiteral("SELECT count(*) FROM OPEN WHERE Type = 'W' AND Name = 'Kraft'")),
             QStringLiteral("1"));
    QVERIFY2(m_messages->entries().isEmpty(), qPrintable(m_messages->texts().join('|')));
}

// Kind -96 of the open dialog opens the link window on the chosen workbook.
void TestWorkbookCommands::openDialogOpensTheWorkbook() {
    int shownNr = 0;
    QString name;
    whenShown<TFrmOpen>([&](TFrmOpen &open) {
        whenShown<TWorkbookDataLink>([&](TWorkbookDataLink &w) {
            shownNr = w.workbookNr();
            name = w.dbfName->text();
            QVERIFY(w.btnFertig->isEnabled());
            QTest::mouseClick(w.btnAbbruch, Qt::LeftButton);
        });
        auto *tree = open.findChild<QTreeWidget *>(QStringLiteral("tvOpen"));
        for (int i = 0; i < tree->topLevelItemCount(); ++i)
            if (tree->topLevelItem(i)->text(0) == QLatin1String("Arbeitsbuch"))
                for (int j = 0; j < tree->topLevelItem(i)->childCount(); ++j)
                    if (tree->topLevelItem(i)->child(j)->text(0) == QLatin1String("Saison"))
                        tree->setCurrentItem(tree->topLevelItem(i)->child(j));
        open.btnOeffnenClick();
    });
    m_main->miOpen1Click();
    QCOMPARE(shownNr, ClubFixture::kWorkbook);
    QCOMPARE(name, QStringLiteral("Saison"));
    QVERIFY2(m_messages->entries().isEmpty(), qPrintable(m_messages->texts().join('|')));
}

// The save dialog offers the file last written; the existing file is
// replaced after a yes; each evaluation runs on the diary's documents into
// its own dBase file; the program gets the exports in link order, then the
// workbook.
void TestWorkbookCommands::twoLinksInLinkOrder() {
    registerProgram();
    setLinks({{ClubFixture::kEvaluation, QStringLiteral("Umfang")}, {kStrecke, QStringLiteral("Strecke")}});
    const QString target = path(QStringLiteral("ziel/Saison.xls"));
    QFile old(target);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("alt");
    old.close();
    m_messages->answer(true);
    openFromDiary(QString(), target);
    QCOMPARE(m_offeredDirectory, m_dir->path());
    QCOMPARE(m_offeredName, QStringLiteral("Saison.xls"));
    QCOMPARE(m_messages->texts(MessageRecorder::Kind::Question),
             QStringList{QStringLiteral("Soll die vorhandene Datei \"%1\" ersetzt werden?").arg(target)});
    const QString umfang = path(QStringLiteral("ziel/SaisonUmfang.dbf"));
    const QString strecke = path(QStringLiteral("ziel/SaisonStrecke.dbf"));
    QCOMPARE(startedWith(), (QStringList{umfang, strecke, target}));
    QCOMPARE(fileBytes(target), kBytes);
    QCOMPARE(dbfFirstRow(umfang), (QStringList{"Woche=202602", "Umfang=240", "rows=1"}));
    QCOMPARE(dbfFirstRow(strecke), (QStringList{"Woche=202602", "Strecke=46.5", "rows=1"}));
    QCOMPARE(scalar(db(), QStringLiteral("SELECT Files FROM ANALYSE WHERE AnalyseNr = %1").arg(ClubFixture::kWorkbook)),
             target);
    QCOMPARE(m_messages->entries().size(), 1);
}

void TestWorkbookCommands::noLinks() {
    registerProgram();
    setLinks({});
    const QString target = path(QStringLiteral("ziel/Leer.xls"));
    openFromDiary(QString(), target);
    QCOMPARE(startedWith(), QStringList{target});
    QCOMPARE(fileBytes(target), kBytes);
    QCOMPARE(QDir(path(QStringLiteral("ziel"))).entryList(QDir::Files), QStringList{"Leer.xls"});
    QVERIFY2(m_messages->entries().isEmpty(), qPrintable(m_messages->texts().join('|')));
}

// Both links write the same file; the second one's result is what stays.
void TestWorkbookCommands::twoLinksWithOneSheetName() {
    registerProgram();
    setLinks({{ClubFixture::kEvaluation, QStringLiteral("Woche")}, {kStrecke, QStringLiteral("Woche")}});
    const QString target = path(QStringLiteral("ziel/Saison.xls"));
    openFromDiary(QString(), target);
    const QString woche = path(QStringLiteral("ziel/SaisonWoche.dbf"));
    QCOMPARE(startedWith(), (QStringList{woche, woche, target}));
    QCOMPARE(dbfFirstRow(woche), (QStringList{"Woche=202602", "Strecke=46.5", "rows=1"}));
    QVERIFY2(m_messages->entries().isEmpty(), qPrintable(m_messages->texts().join('|')));
}

// "No" leaves Files and every file as they were, and starts nothing.
void TestWorkbookCommands::noToTheReplaceQuestion() {
    registerProgram();
    setLinks({{ClubFixture::kEvaluation, QStringLiteral("Umfang")}});
    const QString target = path(QStringLiteral("ziel/Saison.xls"));
    QFile old(target);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("alt");
    old.close();
    const QString files =
        scalar(db(), QStringLiteral("SELECT Files FROM ANALYSE WHERE AnalyseNr = %1").arg(ClubFixture::kWorkbook));
    m_messages->answer(false);
    openFromDiary(QString(), target);
    QCOMPARE(m_messages->texts(MessageRecorder::Kind::Question).size(), 1);
    QCOMPARE(m_messages->entries().size(), 1);
    QCOMPARE(fileBytes(target), QByteArray("alt"));
    QCOMPARE(QDir(path(QStringLiteral("ziel"))).entryList(QDir::Files), QStringList{"Saison.xls"});
    QCOMPARE(scalar(db(), QStringLiteral("SELECT Files FROM ANALYSE WHERE AnalyseNr = %1").arg(ClubFixture::kWorkbook)),
             files);
    QVERIFY(!QFile::exists(path(QStringLiteral("args.part"))));
}

void TestWorkbookCommands::nothingRegistered() {
    setLinks({{ClubFixture::kEvaluation, QStringLiteral("Umfang")}});
    const QString target = path(QStringLiteral("ziel/Saison.xls"));
    openFromDiary(QString(), target);
    QCOMPARE(m_messages->texts(MessageRecorder::Kind::Error),
             QStringList{QStringLiteral("Zu \"%1\" ist keine Applikation registriert!").arg(target)});
    // Nothing was written for a program that cannot be started.
    QVERIFY(QDir(path(QStringLiteral("ziel"))).entryList(QDir::Files).isEmpty());
}

// Paths reach the program whole: never through a shell.
void TestWorkbookCommands::pathWithBlankAndQuote() {
    registerProgram();
    setLinks({{ClubFixture::kEvaluation, QStringLiteral(" Umfang 1")}});
    const QString directory = path(QStringLiteral("Ordner \"neu\" $HOME"));
    QVERIFY(QDir().mkpath(directory));
    // Qt's own file dialog reads quotes in the typed name as separators of
    // several names: the directory holds the quote, the name the blanks.
    openFromDiary(directory, QStringLiteral("Saison 2027 'a'.xls"));
    const QString target = directory + QStringLiteral("/Saison 2027 'a'.xls");
    const QString umfang = directory + QStringLiteral("/Saison 2027 'a'Umfang 1.dbf");
    QCOMPARE(startedWith(), (QStringList{umfang, target}));
    QCOMPARE(fileBytes(target), kBytes);
    QCOMPARE(dbfFirstRow(umfang).value(1), QStringLiteral("Umfang=240"));
    QVERIFY2(m_messages->entries().isEmpty(), qPrintable(m_messages->texts().join('|')));
}

void TestWorkbookCommands::failingEvaluationStopsTheOpening_data() {
    QTest::addColumn<int>("person");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("firstExported");
    QTest::newRow("second evaluation gone")
        << int(ClubFixture::kAnna) << QStringLiteral("Die Auswertung %1 existiert nicht.").arg(kGone) << true;
    QTest::newRow("no data for the diary's person")
        << int(ClubFixture::kOtto)
        << QStringLiteral("Die Auswertung beinhaltet keine Daten!\rWahrscheinlich sind die Filter beim Öffnen\rfalsch "
                          "eingestellt worden.")
        << false;
}

// An evaluation that fails stops the opening at its link: what was written
// before stays, the program is not started.
void TestWorkbookCommands::failingEvaluationStopsTheOpening() {
    QFETCH(int, person);
    QFETCH(QString, message);
    QFETCH(bool, firstExported);
    registerProgram();
    setLinks({{ClubFixture::kEvaluation, QStringLiteral("Umfang")}, {kGone, QStringLiteral("Fehlt")}});
    const QString target = path(QStringLiteral("ziel/Saison.xls"));
    openFromDiary(QString(), target, person);
    QCOMPARE(m_messages->texts(MessageRecorder::Kind::Error), QStringList{message});
    QCOMPARE(fileBytes(target), kBytes);
    QCOMPARE(QFile::exists(path(QStringLiteral("ziel/SaisonUmfang.dbf"))), firstExported);
    QVERIFY(!QFile::exists(path(QStringLiteral("ziel/SaisonFehlt.dbf"))));
    QVERIFY(!QFile::exists(path(QStringLiteral("args.part"))));
}

QTEST_MAIN(TestWorkbookCommands)
#include "tst_workbookcommands.moc"
