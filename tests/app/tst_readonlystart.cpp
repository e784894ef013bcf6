// A write-protected database: the program says so once at start, builds
// the user's document list for the session and opens documents read-only,
// and the file stays as it was.
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

class TestReadOnlyStart : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void writableDatabaseSaysNothing();
    void writeProtectedDatabaseOpensReadOnly();
};

void TestReadOnlyStart::writableDatabaseSaysNothing() {
    TempInstallation inst;
    MessageRecorder messages;
    ProgramStart(inst.installation()).reportReadOnly();
    QVERIFY(messages.texts().isEmpty());
}

void TestReadOnlyStart::writeProtectedDatabaseOpensReadOnly() {
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
        for (const char *name : {"miSportler1", "miTable1", "miTrKz1", "miFilter2", "tbSportler", "tbFilter"}) {
            auto *item = form.findChild<QAction *>(QLatin1String(name));
            QVERIFY2(item && !item->isEnabled(), name);
        }
        QVERIFY(form.findChild<QAction *>(QStringLiteral("miOpen1"))->isEnabled());
    }
    QCOMPARE(messages.texts().size(), 1);
    Engine::setCurrent(nullptr);
    QCOMPARE(fileHash(path), before);
}

QTEST_MAIN(TestReadOnlyStart)
#include "tst_readonlystart.moc"
