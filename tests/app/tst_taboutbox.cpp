#include "app/TAboutBox.h"
#include "base/Settings.h"
#include "support/MessageRecorder.h"

#include <QFile>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

using namespace velmora;

class TestTAboutBox : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void windowAndTexts();
    void stepDone_data();
    void stepDone();
    void resetStepsClearsTicks();
    void advanceOnlyWhileShown();
    void showProgressShowsNonModalAndCentred();
    void closeProgressResets();
    void userCloseFollowsTheSameRule();
    void crest_data();
    void crest();

private:
    QTemporaryDir m_dir;
};

void TestTAboutBox::init() {
    settings() = Settings();
    settings().Name = QStringLiteral("TV Nordheim 1898");
    settings().SerienNr = 3;
}

void TestTAboutBox::windowAndTexts() {
    TAboutBox box;
    QCOMPARE(box.windowTitle(), QStringLiteral("Über ..."));
    QVERIFY(box.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QCOMPARE(box.minimumSize(), box.maximumSize());
    QVERIFY(!box.isModal());

    auto *name = box.findChild<QLabel *>(QStringLiteral("ProductName"));
    QVERIFY(name);
    QCOMPARE(name->text(), QStringLiteral("Velmora 5"));
    QVERIFY(name->font().bold());
    QVERIFY(name->font().pointSizeF() > box.font().pointSizeF());

    auto *comments = box.findChild<QPlainTextEdit *>(QStringLiteral("Comments"));
    QVERIFY(comments);
    QVERIFY(comments->isReadOnly());
    QCOMPARE(comments->toPlainText().split(QLatin1Char('\n')),
             (QStringList{QStringLiteral("TV Nordheim 1898"), QString(), QStringLiteral("Version 5.3 Build 145 S#3")}));

    QVERIFY(box.findChild<QListWidget *>(QStringLiteral("lbxSteps")));
    QVERIFY(box.findChild<QProgressBar *>(QStringLiteral("pgbProgress")));
    QVERIFY(!box.progressVisible());
    QCOMPARE(box.progressMaximum(), 100);
    QCOMPARE(box.progressPosition(), 0);
}

void TestTAboutBox::stepDone_data() {
    QTest::addColumn<int>("steps");
    QTest::addColumn<int>("calls");
    QTest::addColumn<QList<bool>>("ticked");
    QTest::newRow("none of two") << 2 << 0 << QList<bool>{false, false};
    QTest::newRow("one of two") << 2 << 1 << QList<bool>{true, false};
    QTest::newRow("all") << 3 << 3 << QList<bool>{true, true, true};
    QTest::newRow("more calls than steps") << 2 << 5 << QList<bool>{true, true};
    QTest::newRow("no steps") << 0 << 2 << QList<bool>{};
}

void TestTAboutBox::stepDone() {
    QFETCH(int, steps);
    QFETCH(int, calls);
    QFETCH(QList<bool>, ticked);
    TAboutBox box;
    for (int i = 0; i < steps; ++i)
        box.AddStep(QStringLiteral("Schritt %1").arg(i + 1));
    box.ShowProgress();
    for (int i = 0; i < calls; ++i)
        box.StepDone();
    QCOMPARE(box.steps().size(), steps);
    QList<bool> actual;
    for (int i = 0; i < steps; ++i)
        actual << box.stepChecked(i);
    QCOMPARE(actual, ticked);
    QCOMPARE(box.stepsDone(), int(ticked.count(true)));
    // Surplus calls are not saved up: a step added later waits for its own call.
    box.AddStep(QStringLiteral("später"));
    QVERIFY(!box.stepChecked(steps));
    for (int i = box.stepsDone(); i <= steps; ++i)
        box.StepDone();
    QVERIFY(box.stepChecked(steps));
    QCOMPARE(box.stepsDone(), steps + 1);
}

void TestTAboutBox::resetStepsClearsTicks() {
    TAboutBox box;
    box.AddStep(QStringLiteral("Datenbank überprüfen"));
    box.AddStep(QStringLiteral("Templates erstellen"));
    box.StepDone();
    box.ResetSteps();
    QVERIFY(box.steps().isEmpty());
    QCOMPARE(box.stepsDone(), 0);
    box.AddStep(QStringLiteral("Dokumentliste erstellen"));
    QVERIFY(!box.stepChecked(0));
    box.StepDone();
    QVERIFY(box.stepChecked(0));
    QCOMPARE(box.stepsDone(), 1);
}

void TestTAboutBox::advanceOnlyWhileShown() {
    TAboutBox box;
    auto *bar = box.findChild<QProgressBar *>(QStringLiteral("pgbProgress"));
    box.SetProgressRange(10);
    box.AdvanceProgress(3);
    QCOMPARE(box.progressPosition(), 0);
    QCOMPARE(box.progressMaximum(), 10);

    box.ShowProgress();
    box.AdvanceProgress(3);
    box.AdvanceProgress(4);
    QCOMPARE(box.progressPosition(), 7);
    QCOMPARE(bar->maximum(), 10);
    QCOMPARE(bar->value(), 7);

    // A new range starts the bar from the beginning.
    box.SetProgressRange(4);
    QCOMPARE(box.progressPosition(), 0);
    QCOMPARE(bar->value(), 0);
    // An empty range shows an empty bar rather than a busy indicator.
    box.SetProgressRange(0);
    QCOMPARE(box.progressMaximum(), 0);
    QVERIFY(bar->maximum() > bar->minimum());
}

void TestTAboutBox::showProgressShowsNonModalAndCentred() {
    TAboutBox box;
    box.ShowProgress();
    QVERIFY(box.isVisible());
    QVERIFY(box.progressVisible());
    QVERIFY(!box.isModal());
    const QRect screen = box.screen()->availableGeometry();
    const QPoint offset = box.frameGeometry().center() - screen.center();
    QVERIFY2(offset.manhattanLength() <= 2,
             qPrintable(QStringLiteral("off centre by %1,%2").arg(offset.x()).arg(offset.y())));
}

void TestTAboutBox::closeProgressResets() {
    TAboutBox box;
    box.AddStep(QStringLiteral("Datenbank überprüfen"));
    box.AddStep(QStringLiteral("Templates erstellen"));
    box.ShowProgress();
    box.StepDone();
    box.SetProgressRange(20);
    box.AdvanceProgress(5);
    box.CloseProgress();
    QVERIFY(!box.isVisible());
    QVERIFY(!box.progressVisible());
    QVERIFY(box.steps().isEmpty());
    QCOMPARE(box.stepsDone(), 0);
    QCOMPARE(box.progressPosition(), 0);
    QCOMPARE(box.findChild<QProgressBar *>(QStringLiteral("pgbProgress"))->value(), 0);

    // Steps added without showing the panel are gone after closing as well:
    // the window is never closed with steps left over.
    box.AddStep(QStringLiteral("Dokumentliste erstellen"));
    box.CloseProgress();
    QVERIFY(box.steps().isEmpty());

    // Hidden again, advancing is ignored until the next ShowProgress.
    box.SetProgressRange(3);
    box.AdvanceProgress(1);
    QCOMPARE(box.progressPosition(), 0);
}

void TestTAboutBox::userCloseFollowsTheSameRule() {
    TAboutBox box;
    box.AddStep(QStringLiteral("Daten importieren"));
    box.ShowProgress();
    box.StepDone();
    QVERIFY(box.close());
    QVERIFY(!box.isVisible());
    QVERIFY(!box.progressVisible());
    QVERIFY(box.steps().isEmpty());
    QCOMPARE(box.stepsDone(), 0);
}

void TestTAboutBox::crest_data() {
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QByteArray>("format"); // empty: write the bytes below instead
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("shown");
    QTest::newRow("no crest set") << QString() << QByteArray() << QByteArray() << false;
    QTest::newRow("file missing") << QStringLiteral("fehlt.png") << QByteArray() << QByteArray() << false;
    QTest::newRow("not a picture") << QStringLiteral("wappen.png") << QByteArray() << QByteArray("kein Bild") << false;
    QTest::newRow("PNG") << QStringLiteral("wappen.png") << QByteArray("PNG") << QByteArray() << true;
    QTest::newRow("BMP") << QStringLiteral("wappen.bmp") << QByteArray("BMP") << QByteArray() << true;
    QTest::newRow("PNG without extension") << QStringLiteral("wappen") << QByteArray("PNG") << QByteArray() << true;
}

void TestTAboutBox::crest() {
    QFETCH(QString, fileName);
    QFETCH(QByteArray, format);
    QFETCH(QByteArray, bytes);
    QFETCH(bool, shown);
    QString path;
    if (!fileName.isEmpty()) {
        path = m_dir.filePath(QString::fromLatin1(QTest::currentDataTag()).replace(QLatin1Char(' '), QLatin1Char('_')) +
                              QLatin1Char('_') + fileName);
        if (!format.isEmpty()) {
            QImage image(12, 8, QImage::Format_RGB32);
            image.fill(Qt::red);
            QVERIFY(image.save(path, format.constData()));
        } else if (!bytes.isEmpty()) {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(bytes);
        }
    }
    settings().Wappen = path;
    test::MessageRecorder messages;
    TAboutBox box;
    box.ShowProgress();
    QCOMPARE(box.hasCrest(), shown);
    const QLabel *icon = box.findChild<QLabel *>(QStringLiteral("ProgramIcon"));
    QVERIFY(icon);
    if (shown)
        QVERIFY(icon->pixmap().width() <= icon->width() && icon->pixmap().height() <= icon->height());
    QVERIFY(messages.entries().isEmpty());
}

QTEST_MAIN(TestTAboutBox)
#include "tst_taboutbox.moc"
