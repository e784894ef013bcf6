// "Seite einrichten" and "&Drucken..." of the main window: the title and
// fonts typed in TPreview are kept in the print settings file, the active
// diary's list prints through the print dialog into a PDF file, the preview
// shows its pages, and without a diary nothing is printed.
#include "app/TMainForm.h"
#include "base/Paths.h"
#include "base/Settings.h"
#include "design/FormElementCache.h"
#include "diary/TTrainingstagebuch.h"
#include "print/DiaryPrintLayout.h"
#include "print/TPreview.h"
#include "store/Cursor.h"
#include "support/ClubFixture.h"
#include "support/ClubWindows.h"
#include "support/Controls.h"
#include "support/MessageRecorder.h"
#include "support/PdfText.h"
#include "support/TempInstallation.h"
#include "support/WhenShown.h"

#include <QAction>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFontDialog>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>

using namespace velmora;
using velmora::test::ClubFixture;
using velmora::test::control;
using velmora::test::MessageRecorder;
using velmora::test::TempInstallation;
using velmora::test::whenShown;

namespace {

bool containsLine(const QStringList &lines, const QString &part) {
    for (const QString &l : lines)
        if (l.contains(part))
            return true;
    return false;
}

// "Print to File (PDF)" as a user chooses it in the print dialog: the file
// entry of the printer list, the file name typed, OK.
void printToFile(const QString &file) {
    whenShown<QPrintDialog>([file](QPrintDialog &dialog) {
        auto *printers = dialog.findChild<QComboBox *>(QStringLiteral("printers"));
        QVERIFY(printers);
        int pdf = -1;
        for (int i = 0; i < printers->count(); ++i)
            if (printers->itemText(i).contains(QLatin1String("PDF")))
                pdf = i;
        QVERIFY2(pdf >= 0, "no file entry in the printer list");
        printers->setCurrentIndex(pdf);
        auto *name = dialog.findChild<QLineEdit *>(QStringLiteral("filename"));
        QVERIFY(name && name->isEnabled());
        name->selectAll();
        QTest::keyClick(name, Qt::Key_Delete);
        QTest::keyClicks(name, file);
        auto *buttons = dialog.findChild<QDialogButtonBox *>();
        QVERIFY(buttons);
        QTest::mouseClick(buttons->button(QDialogButtonBox::Ok), Qt::LeftButton);
    });
}

} // namespace

class TestTPreview : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void pageSetupKeepsTitleAndFonts();
    void printsTheDiaryIntoAFile();
    void cancelledPrintDialogPrintsNothing();
    void previewShowsThePages();
    void withoutDiaryNothingIsPrinted();

private:
    Database &db() { return m_inst->db(); }
    QString settingsPath() const { return m_inst->dir() + QStringLiteral("/bin/velmora5.INI"); }
    QString pdfPath() const { return m_inst->dir() + QStringLiteral("/diary.pdf"); }
    QAction *item(const char *name) { return m_main->action(QString::fromLatin1(name)); }

    std::unique_ptr<TempInstallation> m_inst;
    std::unique_ptr<ClubFixture> m_club;
    std::unique_ptr<MessageRecorder> m_messages;
    std::unique_ptr<TMainForm> m_main;
    TTrainingstagebuch *m_diary = nullptr;
};

void TestTPreview::init() {
    m_inst = std::make_unique<TempInstallation>(ClubFixture::kSerial);
    m_club = std::make_unique<ClubFixture>(db());
    settings() = Settings();
    settings().SerienNr = ClubFixture::kSerial;
    // The program's own directory, where the print settings file lies.
    QVERIFY(QDir(m_inst->dir()).mkpath(QStringLiteral("bin")));
    InitPaths(m_inst->dir() + QStringLiteral("/bin/velmora5"), m_inst->dir(), m_inst->dir(), m_inst->dir());
    QCOMPARE(PrintSettings::DefaultPath(), settingsPath());
    LoadFormElementCache(db(), nullptr);
    m_messages = std::make_unique<MessageRecorder>();

    m_main = test::StartMainForm();
    QVERIFY(QTest::qWaitForWindowActive(m_main.get()));
    QVERIFY(!item("miPage1")->isEnabled());
    QVERIFY(!item("miPrint1")->isEnabled());
    // Anna's protocols.
    m_diary = test::OpenAnnasDiary(*m_main, 2);
    QVERIFY(m_diary->isActive());
    QVERIFY(item("miPage1")->isEnabled());
    QVERIFY(item("miPrint1")->isEnabled());
}

void TestTPreview::cleanup() {
    m_main.reset();
    m_messages.reset();
    m_club.reset();
    m_inst.reset();
}

void TestTPreview::pageSetupKeepsTitleAndFonts() {
    QString bodyFamily;
    whenShown<TPreview>([&bodyFamily](TPreview &preview) {
        QCOMPARE(preview.windowTitle(), QStringLiteral("Seite einrichten"));
        QCOMPARE(preview.txtTitel->text(), QString());
        velmora::test::type(preview, "txtTitel", QStringLiteral("Trainingslager Mai"));
        // "Schrift &Kopf": a font chosen and taken with OK.
        whenShown<QFontDialog>([](QFontDialog &fonts) {
            QFont f(QStringLiteral("Liberation Serif"), 14);
            f.setBold(true);
            f.setItalic(true);
            fonts.setCurrentFont(f);
            fonts.accept();
        });
        QTest::mouseClick(preview.btnSchriftKopf, Qt::LeftButton);
        // "Schrift &Body": a font chosen and then cancelled changes nothing.
        bodyFamily = preview.FontDialog2->currentFont().family();
        whenShown<QFontDialog>([](QFontDialog &fonts) {
            fonts.setCurrentFont(QFont(QStringLiteral("Liberation Mono"), 20));
            fonts.reject();
        });
        QTest::mouseClick(preview.btnSchriftBody, Qt::LeftButton);
        QTest::mouseClick(preview.CancelBtn, Qt::LeftButton);
        QVERIFY(!preview.isVisible());
    });
    item("miPage1")->trigger();
    QCOMPARE(m_messages->texts(), QStringList());

    QSettings file(settingsPath(), QSettings::IniFormat);
    file.beginGroup(QStringLiteral("Druck"));
    QCOMPARE(file.value(QStringLiteral("Titel")).toString(), QStringLiteral("Trainingslager Mai"));
    QCOMPARE(file.value(QStringLiteral("Font1")).toString(), QStringLiteral("Liberation Serif"));
    QCOMPARE(file.value(QStringLiteral("Size1")).toInt(), 14);
    QCOMPARE(file.value(QStringLiteral("Style1")).toString(), QStringLiteral("BI"));
    QCOMPARE(file.value(QStringLiteral("Color1")).toInt(), 0);
    QCOMPARE(file.value(QStringLiteral("Font2")).toString(), bodyFamily);
    QVERIFY(file.value(QStringLiteral("Font2")).toString() != QLatin1String("Liberation Mono"));
    QCOMPARE(file.value(QStringLiteral("Style2")).toString(), QString());

    // Opened again, the dialog shows what was kept.
    whenShown<TPreview>([](TPreview &preview) {
        QCOMPARE(preview.txtTitel->text(), QStringLiteral("Trainingslager Mai"));
        const QFont header = preview.FontDialog1->currentFont();
        QCOMPARE(header.family(), QStringLiteral("Liberation Serif"));
        QCOMPARE(header.pointSize(), 14);
        QVERIFY(header.bold() && header.italic() && !header.underline());
        QTest::mouseClick(preview.CancelBtn, Qt::LeftButton);
    });
    item("miPage1")->trigger();
    QCOMPARE(m_messages->texts(), QStringList());
}

void TestTPreview::printsTheDiaryIntoAFile() {
    PrintSettings stored = PrintSettings::Read(settingsPath(), QFont(QStringLiteral("Liberation Sans"), 10));
    stored.Titel = QStringLiteral("Vereinsmeisterschaft");
    stored.Write(settingsPath());

    // "&Drucken...": the print dialog at once, with the stored settings. The
    // diary does not run through its entries on the screen meanwhile.
    Cursor &list = m_diary->listCursor();
    list.last();
    const int row = list.recNo();
    QSignalSpy moves(&list, &Cursor::scrolled);
    printToFile(pdfPath());
    item("miPrint1")->trigger();
    QCOMPARE(m_messages->texts(), QStringList());
    QCOMPARE(moves.count(), 0);
    QCOMPARE(list.recNo(), row);
    const QStringList lines = velmora::test::pdfLines(pdfPath());
    QVERIFY2(!lines.isEmpty(), "no PDF written");
    QVERIFY2(lines.value(0).startsWith(m_diary->windowTitle().simplified() + QStringLiteral(" Woche 02 Seite 1")),
             qPrintable(lines.value(0)));
    QCOMPARE(lines.value(1), QStringLiteral("Vereinsmeisterschaft"));
    for (const char *shown : {"Grundlage", "Intervalle", "Langer Lauf", "ruhig", "6 x 1000"})
        QVERIFY2(containsLine(lines, QString::fromUtf8(shown)), shown);
    // Only what the diary lists: no plan, no other athlete.
    QVERIFY(!containsLine(lines, QStringLiteral("Plan Montag")));
    QVERIFY(!containsLine(lines, QStringLiteral("Paul läuft")));

    // "S&eite einrichten..." then "&Drucken": the title typed there is printed.
    QVERIFY(QFile::remove(pdfPath()));
    whenShown<TPreview>([this](TPreview &preview) {
        velmora::test::type(preview, "txtTitel", QStringLiteral("Wochenbericht"));
        printToFile(pdfPath());
        QTest::mouseClick(preview.OKBtn, Qt::LeftButton);
        QVERIFY(!preview.isVisible());
    });
    item("miPage1")->trigger();
    QCOMPARE(m_messages->texts(), QStringList());
    QCOMPARE(velmora::test::pdfLines(pdfPath()).value(1), QStringLiteral("Wochenbericht"));
}

void TestTPreview::cancelledPrintDialogPrintsNothing() {
    whenShown<TPreview>([](TPreview &preview) {
        whenShown<QPrintDialog>([](QPrintDialog &dialog) { dialog.reject(); });
        QTest::mouseClick(preview.OKBtn, Qt::LeftButton);
        // The coach may choose again.
        QVERIFY(preview.isVisible());
        QTest::mouseClick(preview.CancelBtn, Qt::LeftButton);
    });
    item("miPage1")->trigger();
    QVERIFY(!QFile::exists(pdfPath()));
    QCOMPARE(m_messages->texts(), QStringList());
}

void TestTPreview::previewShowsThePages() {
    int pages = 0;
    whenShown<TPreview>([&pages](TPreview &preview) {
        whenShown<QPrintPreviewDialog>([&pages](QPrintPreviewDialog &dialog) {
            auto *view = dialog.findChild<QPrintPreviewWidget *>();
            QVERIFY(view);
            pages = view->pageCount();
            dialog.reject();
        });
        QTest::mouseClick(preview.btnVorschau, Qt::LeftButton);
        QVERIFY(preview.isVisible());
        QTest::mouseClick(preview.CancelBtn, Qt::LeftButton);
    });
    item("miPage1")->trigger();
    QCOMPARE(m_messages->texts(), QStringList());
    QCOMPARE(pages, 1);
}

void TestTPreview::withoutDiaryNothingIsPrinted() {
    // The main window offers printing only while a diary is active ...
    m_main->CloseAll1Click();
    QVERIFY(m_main->mdiArea()->subWindowList().isEmpty());
    QVERIFY(!item("miPage1")->isEnabled());
    QVERIFY(!item("miPrint1")->isEnabled());
    // ... and the dialog refuses without a list, before any printer is chosen.
    TPreview preview(FormElementCache(), m_main.get(), settingsPath());
    preview.show();
    QTest::mouseClick(preview.OKBtn, Qt::LeftButton);
    QTest::mouseClick(preview.btnVorschau, Qt::LeftButton);
    QCOMPARE(m_messages->texts(Messages::Kind::Error), QStringList(2, DiaryPrintLayout::kQueryNotInitialized));
    QVERIFY(preview.isVisible());
}

QTEST_MAIN(TestTPreview)
#include "tst_tpreview.moc"
