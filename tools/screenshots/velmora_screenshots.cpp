// Takes the pictures of the user guide: builds a small club in a temporary
// installation, opens the program's windows the way a coach does and writes
// one PNG per window into the directory named on the command line.
//   velmora_screenshots DIR
// Run it under a real display (scripts/screenshots uses Xvfb) for the
// pictures of the guide; offscreen it checks that every window still opens.
#include "app/DocumentList.h"
#include "app/Installation.h"
#include "app/TAboutBox.h"
#include "app/TFrmOpen.h"
#include "app/TMainForm.h"
#include "app/TPassCheck.h"
#include "app/TStartUp.h"
#include "base/Paths.h"
#include "base/Settings.h"
#include "design/BlockDesign.h"
#include "design/FormElementCache.h"
#include "design/TTrKz.h"
#include "design/TTrTable.h"
#include "diary/TTrainingstagebuch.h"
#include "people/TFilter.h"
#include "people/TSportlerkartei.h"
#include "store/Engine.h"
#include "support/ClubFixture.h"
#include "support/EntryFixture.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QLocale>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QTranslator>
#include <QTreeWidget>
#include <cstdio>
#include <functional>

using namespace velmora;
using velmora::test::ClubFixture;

namespace {

constexpr int kSerien = ClubFixture::kBase + 10; // the grid block "Serien", table TR_2
const QList<test::FieldSpec> kSerienFields{{QStringLiteral("Übung"), QStringLiteral("A"), 30},
                                           {QStringLiteral("Wdh"), QStringLiteral("I")},
                                           {QStringLiteral("Pause"), QStringLiteral("I")}};

// The pictures stay small enough for a repository: at most this size.
constexpr int kMaxWidth = 1024;
constexpr int kMaxHeight = 700;

int g_failures = 0;

void settle() {
    // Layouts, the entry view's panels and the style's polish arrive in
    // posted events; a few rounds let them all land before a picture.
    for (int i = 0; i < 5; ++i) {
        QApplication::processEvents(QEventLoop::AllEvents, 50);
        QThread::msleep(20);
    }
}

void save(const QPixmap &picture, const QString &dir, const QString &name) {
    QImage image = picture.toImage();
    if (image.width() > kMaxWidth || image.height() > kMaxHeight)
        image = image.scaled(kMaxWidth, kMaxHeight, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    const QString path = dir + QLatin1Char('/') + name + QStringLiteral(".png");
    if (image.isNull() || !image.save(path, "PNG", 0)) {
        std::fprintf(stderr, "velmora_screenshots: %s could not be written\n", qPrintable(path));
        ++g_failures;
        return;
    }
    std::printf("%s\n", qPrintable(path));
}

void shoot(QWidget &window, const QString &dir, const QString &name) {
    settle();
    save(window.grab(), dir, name);
}

// The window as the screen shows it with an open menu (and its open
// sub-menu) drawn over it where it pops up.
void shootWithMenus(QWidget &window, const QList<QMenu *> &menus, const QString &dir, const QString &name) {
    settle();
    QPixmap picture = window.grab();
    QPainter painter(&picture);
    const QPoint origin = window.mapToGlobal(QPoint(0, 0));
    for (QMenu *menu : menus)
        painter.drawPixmap(menu->mapToGlobal(QPoint(0, 0)) - origin, menu->grab());
    painter.end();
    save(picture, dir, name);
}

// Runs `drive` on the modal window a handler opens, then closes that window
// (Escape, as a coach who only looks); the handler returns afterwards.
void whenModal(const QString &what, std::function<void(QDialog &)> drive) {
    QTimer::singleShot(0, [what, drive] {
        QElapsedTimer waited;
        waited.start();
        QDialog *dialog = nullptr;
        while (!dialog && waited.elapsed() < 5000) {
            dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            if (!dialog) {
                QApplication::processEvents(QEventLoop::AllEvents, 20);
                QThread::msleep(10);
            }
        }
        if (!dialog) {
            std::fprintf(stderr, "velmora_screenshots: %s did not open\n", qPrintable(what));
            ++g_failures;
            return;
        }
        drive(*dialog);
        if (dialog->isVisible())
            dialog->reject();
    });
}

QAbstractButton *button(QWidget &window, const QString &objectName) {
    auto *b = window.findChild<QAbstractButton *>(objectName);
    if (!b) {
        std::fprintf(stderr, "velmora_screenshots: no button %s\n", qPrintable(objectName));
        ++g_failures;
    }
    return b;
}

QAbstractButton *visibleButton(QWidget &window, const QString &text) {
    for (QAbstractButton *b : window.findChildren<QAbstractButton *>())
        if (b->isVisibleTo(&window) && b->text().simplified() == text)
            return b;
    std::fprintf(stderr, "velmora_screenshots: no button \"%s\"\n", qPrintable(text));
    ++g_failures;
    return nullptr;
}

// More than the test club holds: a grid block "Serien" on the form
// "Laufprotokoll" and a second week of Anna's protocols, so that the diary
// looks like one in use.
void fillClub(Database &db, ClubFixture &club) {
    test::AddBlock(db, kSerien, QStringLiteral("TR_2"), true, kSerienFields);
    test::UseBlock(db, ClubFixture::kForm, 2, kSerien, {1, 2, 3}, 6, kSerienFields);
    // The test club's card block has only its rows' tops; a coach's block has
    // its fields laid out beside their labels.
    db.exec(QStringLiteral("update TRFIELD set \"Left\" = 110, Width = 100, Height = 20, DisplayWidth = 10, "
                           "PrefixLeft = 10, PrefixTop = Top + 2, PostfixLeft = 216, PostfixTop = Top + 2 "
                           "where TableNr = %1")
                .arg(ClubFixture::kBlock));
    db.exec(QStringLiteral("update TRFIELD set Width = 200 where TableNr = %1 and FeldName = 'Notiz'")
                .arg(ClubFixture::kBlock));
    db.exec(QStringLiteral("update TRTABLE set Name = 'Serien', Height = 124 where TableNr = %1").arg(kSerien));
    struct Day {
        int day, hour;
        const char *text;
        int dauer;
        double strecke;
        int belastung;
        const char *notiz;
    } days[] = {{13, 17, "Kraftausdauer", 50, 6.0, ClubFixture::kValueIntensiv, "Zirkel"},
                {14, 18, "Tempodauerlauf", 55, 12.5, ClubFixture::kValueIntensiv, "4:30 min/km"},
                {16, 9, "Regeneration", 40, 7.0, ClubFixture::kValueLocker, "locker"},
                {18, 10, "Wettkampf 10 km", 42, 10.0, ClubFixture::kValueIntensiv, "Bestzeit"}};
    for (const Day &d : days) {
        const int trNr = club.addEntry(ClubFixture::kAnna, 2, QDateTime(QDate(2026, 1, d.day), QTime(d.hour, 0)),
                                       QString::fromUtf8(d.text));
        club.addBlockRow(trNr, 0, d.dauer, d.strecke, d.belastung, QString::fromUtf8(d.notiz));
        if (d.day == 13 || d.day == 18) {
            const char *exercises[] = {"Kniebeuge", "Ausfallschritt", "Liegestütz", "Rumpfheben"};
            for (int k = 0; k < 4; ++k)
                test::InsertRow(db, QStringLiteral("TR_2"),
                                {{QStringLiteral("SerienNr"), ClubFixture::kSerial},
                                 {QStringLiteral("TrNr"), trNr},
                                 {QStringLiteral("Order"), k},
                                 {QStringLiteral("Übung"), QString::fromUtf8(exercises[k])},
                                 {QStringLiteral("Wdh"), 12 + 3 * k},
                                 {QStringLiteral("Pause"), 60}});
        }
    }
}

void walk(Database &db, const QString &dir) {
    {
        // As at start: the database checked, the form templates being loaded.
        TAboutBox about;
        about.AddStep(QStringLiteral("Datenbank überprüfen"));
        about.AddStep(QStringLiteral("Templates erstellen"));
        about.SetProgressRange(100);
        about.ShowProgress();
        about.StepDone();
        about.AdvanceProgress(60);
        shoot(about, dir, QStringLiteral("start-window"));
        about.CloseProgress();
    }
    {
        TStartUp wizard;
        wizard.show();
        shoot(wizard, dir, QStringLiteral("first-start-welcome"));
        if (QAbstractButton *next = visibleButton(wizard, QStringLiteral("&Weiter")))
            next->click();
        shoot(wizard, dir, QStringLiteral("first-start-coach"));
        wizard.hide();
    }
    {
        TPassCheck login(nullptr, QStringLiteral("TB"));
        login.show();
        login.locatePerson(ClubFixture::kCoach);
        shoot(login, dir, QStringLiteral("login"));
        login.hide();
    }

    TMainForm form;
    form.resize(1000, 680);
    form.ApplyLogin(ClubFixture::kCoach);
    form.show();
    RebuildDocumentList(db, nullptr, ClubFixture::kCoach, ClubFixture::kJugend);
    shoot(form, dir, QStringLiteral("main-window"));

    // "&Datei" with its sub-menu "&Neu..." open.
    if (QAction *file = form.menuBar()->actions().value(0); file && file->menu()) {
        QMenu *fileMenu = file->menu();
        fileMenu->popup(form.menuBar()->mapToGlobal(form.menuBar()->actionGeometry(file).bottomLeft()));
        settle();
        QList<QMenu *> menus{fileMenu};
        for (QAction *item : fileMenu->actions())
            if (item->menu()) {
                item->menu()->popup(fileMenu->mapToGlobal(fileMenu->actionGeometry(item).topRight()));
                menus << item->menu();
                break;
            }
        shootWithMenus(form, menus, dir, QStringLiteral("menu-file"));
        for (QMenu *m : menus)
            m->hide();
    }

    whenModal(QStringLiteral("Öffnen"), [&dir](QDialog &open) {
        open.resize(640, 480);
        // Everything the coach may read, Anna's protocol chosen.
        if (auto *select = open.findChild<QComboBox *>(QStringLiteral("cbxSelect")))
            select->setCurrentIndex(2);
        if (auto *tree = open.findChild<QTreeWidget *>(QStringLiteral("tvOpen")))
            for (int i = 0; i < tree->topLevelItemCount(); ++i) {
                QTreeWidgetItem *group = tree->topLevelItem(i);
                if (group->text(0) == QLatin1String("Protokoll"))
                    for (int j = 0; j < group->childCount(); ++j)
                        if (group->child(j)->text(0).startsWith(QLatin1String("Berg"))) {
                            group->setExpanded(true);
                            tree->setCurrentItem(group->child(j));
                        }
            }
        shoot(open, dir, QStringLiteral("open-dialog"));
        if (QAbstractButton *more = visibleButton(open, QStringLiteral("&Erweitert >>>")))
            more->click();
        shoot(open, dir, QStringLiteral("open-dialog-extended"));
    });
    form.miOpen1Click();

    {
        TSportlerkartei card(ClubFixture::kAnna, ClubFixture::kCoach, false, QStringLiteral("Berg Anna"), &form);
        if (card.prepare()) {
            card.show();
            shoot(card, dir, QStringLiteral("athlete-card"));
        } else {
            ++g_failures;
        }
        card.reject();
    }
    {
        TTrTable designer(&form);
        designer.setTrainerNr(ClubFixture::kCoach);
        if (designer.prepare()) {
            designer.show();
            if (auto *name = designer.findChild<QLineEdit *>(QString::fromLatin1(BlockDesign::kNameControl)))
                QTest::keyClicks(name, QStringLiteral("Krafttraining"));
            shoot(designer, dir, QStringLiteral("block-name"));
            if (QAbstractButton *next = button(designer, QStringLiteral("btnNext")))
                next->click();
            shoot(designer, dir, QStringLiteral("block-presentation"));
            if (QAbstractButton *next = button(designer, QStringLiteral("btnNext")))
                next->click();
            whenModal(QStringLiteral("Feldeditor"),
                      [&dir](QDialog &editor) { shoot(editor, dir, QStringLiteral("field-editor")); });
            if (QAbstractButton *field = button(designer, QStringLiteral("btnNeuesFeld")))
                field->click();
        } else {
            ++g_failures;
        }
        designer.reject();
    }
    {
        TTrTable designer(&form);
        designer.setTableNr(ClubFixture::kBlock);
        designer.setReadOnly(true);
        if (designer.prepare()) {
            designer.show();
            for (int page = 0; page < 2; ++page)
                if (QAbstractButton *next = button(designer, QStringLiteral("btnNext")))
                    next->click();
            shoot(designer, dir, QStringLiteral("block-fields"));
        } else {
            ++g_failures;
        }
        designer.reject();
    }
    {
        // The form's own TR row is the first entry of the installation.
        TTrKz designer(ClubFixture::kCoach, ClubFixture::kSerial, 1, false, &form);
        if (designer.prepare()) {
            designer.show();
            shoot(designer, dir, QStringLiteral("form-name"));
            const char *pages[] = {"form-kind", "form-blocks", "form-fields"};
            for (int page = 0; page < 3; ++page) {
                if (QAbstractButton *next = button(designer, QStringLiteral("btnWeiter%1").arg(page + 1)))
                    next->click();
                shoot(designer, dir, QString::fromLatin1(pages[page]));
            }
        } else {
            ++g_failures;
        }
        designer.reject();
    }
    whenModal(QStringLiteral("Indexwerte zuordnen"),
              [&dir](QDialog &editor) { shoot(editor, dir, QStringLiteral("pick-list")); });
    form.EditPickList(ClubFixture::kForm, ClubFixture::kBlock, 3, false, QStringLiteral("Lauf.Belastung"));
    {
        TFilter filter(ClubFixture::kFilter, ClubFixture::kCoach, ClubFixture::kJugend, QStringLiteral("Ausdauer"),
                       false, &form);
        filter.setToday(QDate(2026, 1, 18));
        if (filter.prepare()) {
            filter.show();
            shoot(filter, dir, QStringLiteral("filter"));
        } else {
            ++g_failures;
        }
        filter.reject();
    }

    // Anna's protocol as the open dialog opens it, the newest entry shown.
    TTrainingstagebuch *diary = form.CreateDiary();
    diary->PersonNr = ClubFixture::kAnna;
    diary->GruppenNr = ClubFixture::kJugend;
    diary->TrainerNr = ClubFixture::kCoach;
    diary->KindCode = 2;
    diary->Name = QStringLiteral("Berg Anna 17.05.1990");
    diary->initialise(false);
    diary->show();
    if (auto *sub = qobject_cast<QMdiSubWindow *>(diary->parentWidget()))
        sub->showMaximized();
    settle();
    diary->listCursor().last();
    shoot(form, dir, QStringLiteral("diary"));

    whenModal(QStringLiteral("Neuer Eintrag"),
              [&dir](QDialog &search) { shoot(search, dir, QStringLiteral("new-entry")); });
    form.DiaryNewEntry(*diary);
    form.CloseAll1Click();
}

} // namespace

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Velmora 5"));
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    QTranslator qtTranslator;
    if (qtTranslator.load(QLocale(QLocale::German), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTranslator);
    if (argc != 2) {
        std::fputs("Aufruf: velmora_screenshots VERZEICHNIS\n", stderr);
        return 2;
    }
    const QString outDir = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    if (!QDir().mkpath(outDir)) {
        std::fprintf(stderr, "velmora_screenshots: %s cannot be created\n", qPrintable(outDir));
        return 2;
    }

    QTemporaryDir config;
    if (!config.isValid()) {
        std::fputs("velmora_screenshots: no temporary directory\n", stderr);
        return 2;
    }
    Installation installation(config.path());
    installation.initialize(ClubFixture::kSerial);
    Engine::setCurrent(&installation.engine());
    InitPaths(config.path() + QStringLiteral("/velmora5"), installation.configDir(),
              installation.engine().path(QString::fromLatin1(Engine::kDblog)),
              installation.engine().path(QString::fromLatin1(Engine::kDblogCopy)));
    SetSettingsPath(installation.settingsPath());
    settings().SerienNr = ClubFixture::kSerial;
    settings().Name = QStringLiteral("LG Nordheide");
    settings().Kuerzel = QStringLiteral("LGN");
    settings().User = ClubFixture::kCoach;
    {
        ClubFixture club(installation.dblog());
        fillClub(installation.dblog(), club);
    }
    LoadFormElementCache(installation.dblog(), nullptr);
    walk(installation.dblog(), outDir);
    Engine::setCurrent(nullptr);
    return g_failures == 0 ? 0 : 1;
}
