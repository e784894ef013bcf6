// What the start meets: an installation that cannot start is refused in a
// message box as well when there are windows; a write-protected database
// is said once, gets the user's document list for the session, opens
// documents read-only, and the file stays as it was.
#include "app/DocumentList.h"
#include "app/Installation.h"
#include "app/ProgramStart.h"
#include "app/TAboutBox.h"
#include "app/TFrmOpen.h"
#include "app/TMainForm.h"
#include "support/ClubFixture.h"
#include "support/MessageRecorder.h"
#include "support/TempInstallation.h"

#include <QAction>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

using namespace velmora;
using velmora::test::ClubFixture;
using velmora::test::MessageRecorder;
using velmora::test::TempInstallation;

namespace {
QByteArray fileHash(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256)
                                       : QByteArray();
}

QTreeWidgetItem *leaf(TFrmOpen &d, const QString &caption, const QString &text) {
    auto *tree = d.findChild<QTreeWidget *>(QStringLiteral("tvOpen"));
    for (int i = 0; tree && i < tree->topLevelItemCount(); ++i)
        if (tree->topLevelItem(i)->text(0) == caption)
            for (int j = 0; j < tree->topLevelItem(i)->childCount(); ++j)
                if (tree->topLevelItem(i)->child(j)->text(0) == text)
                    return tree->topLevelItem(i)->child(j);
    return nullptr;
}
} // namespace

class TestStartConditions : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void refusedStartShownWithWindows_data();
    void refusedStartShownWithWindows();
    void writableDatabaseSaysNothing();
    void writeProtectedDatabaseOpensReadOnly();
};

void TestStartConditions::refusedStartShownWithWindows_data() {
    QTest::addColumn<bool>("withWindows");
    QTest::newRow("started with windows") << true;
    QTest::newRow("--init") << false;
}

void TestStartConditions::refusedStartShownWithWindows() {
    QFETCH(bool, withWindows);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("DBLOG")));
    {
        QFile f(dir.filePath(QStringLiteral("DBLOG/velmora5.db")));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray("kein SQLite\n").repeated(200));
    }
    MessageRecorder messages;
    Installation inst(dir.path());
    QString text;
    try {
        inst.initialize(3);
        QFAIL("a foreign database was accepted");
    } catch (const VelmoraError &e) {
        text = e.message();
    }
    QCOMPARE(ProgramStart::refuseStart(text, withWindows), 2);
    QCOMPARE(messages.texts(MessageRecorder::Kind::Error), withWindows ? QStringList{text} : QStringList());
}

void TestStartConditions::writableDatabaseSaysNothing() {
    TempInstallation inst;
    MessageRecorder messages;
    ProgramStart(inst.installation()).reportReadOnly();
    QVERIFY(messages.texts().isEmpty());
}

void TestStartConditions::writeProtectedDatabaseOpensReadOnly() {
    QTemporaryDir dir;
    QString path;
    {
        Installation setUp(dir.path());
        setUp.initialize(ClubFixture::kSerial);
        ClubFixture club(setUp.dblog());
        path = setUp.dblog().filePath();
    }
    {
        // SQLite takes a file whose write version (byte 18) is above 2 as
        // write-protected, whoever runs the test.
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadWrite));
        QVERIFY(f.seek(18));
        QCOMPARE(f.write(QByteArray(1, '\x03')), qint64(1));
    }
    const QByteArray before = fileHash(path);

    Installation inst(dir.path());
    inst.initialize();
    Engine::setCurrent(&inst.engine());
    MessageRecorder messages;
    ProgramStart start(inst);
    start.reportReadOnly();
    QCOMPARE(messages.texts(MessageRecorder::Kind::Information).size(), 1);
    QVERIFY2(messages.texts().value(0).contains(QStringLiteral("schreibgeschützt")),
             qPrintable(messages.texts().value(0)));

    QVERIFY(BuildDocumentList(nullptr, ClubFixture::kCoach, ClubFixture::kJugend) > 0);
    TFrmOpen open;
    open.setLoginPersonNr(ClubFixture::kCoach);
    open.setLoginGruppenNr(ClubFixture::kJugend);
    open.setLoginTrainerNr(ClubFixture::kCoach);
    open.show();
    QTreeWidgetItem *own = leaf(open, QStringLiteral("Protokoll"), QStringLiteral("Trainer Tom 03.02.1970"));
    QVERIFY(own);
    open.findChild<QTreeWidget *>(QStringLiteral("tvOpen"))->setCurrentItem(own);
    open.btnOeffnenClick();
    QVERIFY2(open.isHidden() && open.result() == QDialog::Accepted, qPrintable(messages.texts().join('|')));
    QVERIFY(open.ReadOnly());
    // Nothing new can be made: the menu items and their tool bar copies are off.
    {
        TMainForm form(&start.aboutBox());
        for (const char *name : {"miSportler1", "miTable1", "miTrKz1", "miFilter2", "miSolver1", "miAnalyse1",
                                 "tbSportler", "tbFilter", "tbSolver", "tbAnalyse", "miExcange1"}) {
            auto *item = form.findChild<QAction *>(QLatin1String(name));
            QVERIFY2(item && !item->isEnabled(), name);
        }
        QVERIFY(form.findChild<QAction *>(QStringLiteral("miOpen1"))->isEnabled());
        // A backup only reads.
        QVERIFY(form.findChild<QAction *>(QStringLiteral("miBackup1"))->isEnabled());
    }
    QCOMPARE(messages.texts().size(), 1);
    Engine::setCurrent(nullptr);
    QCOMPARE(fileHash(path), before);
}

QTEST_MAIN(TestStartConditions)
#include "tst_startconditions.moc"
