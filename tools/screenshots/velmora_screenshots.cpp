// Takes the pictures of the user guide: fills a temporary installation with
// the demonstration club, opens the program's windows the way a coach does
// and writes one PNG per window into the directory named on the command line.
//   velmora_screenshots DIR
// Run it under a real display (scripts/screenshots uses Xvfb) for the
// pictures of the guide; offscreen it checks that every window still opens.
#include "app/DemoClub.h"
#include "app/DocumentList.h"
#include "app/Installation.h"
#include "app/TAboutBox.h"
#include "app/TFrmOpen.h"
#include "app/TMainForm.h"
#include "app/TPassCheck.h"
#include "app/TStartUp.h"
#include "base/Errors.h"
#include "base/Paths.h"
#include "base/Settings.h"
#include "design/BlockDesign.h"
#include "design/FormElementCache.h"
#include "design/TTrKz.h"
#include "design/TTrTable.h"
#include "diary/TTrainingstagebuch.h"
#include "evaluation/TAuswertung.h"
#include "evaluation/TAuswertungsAssistent.h"
#include "people/TFilter.h"
#include "people/TSportlerkartei.h"
#include "store/Cursor.h"
#include "store/Engine.h"
#include "store/Query.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
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
#include <QToolButton>
#include <QTranslator>
#include <QTreeWidget>
#include <cstdio>
#include <functional>

using namespace velmora;

namespace {

constexpr int kSerial = 1;
// The club's data end before this day; a fixed day gives the same pictures.
const QDate kToday(2026, 6, 15);

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

// A command of the main window's menus, as a coach picks it.
void command(QWidget &form, const QString &objectName) {
    auto *action = form.findChild<QAction *>(objectName);
    if (!action || !action->isEnabled()) {
        std::fprintf(stderr, "velmora_screenshots: command %s not available\n", qPrintable(objectName));
        ++g_failures;
        return;
    }
    action->trigger();
}

QTreeWidgetItem *documentItem(QTreeWidget *tree, const QString &kind, const QString &start) {
    if (!tree)
        return nullptr;
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        QTreeWidgetItem *group = tree->topLevelItem(i);
        if (group->text(0) == kind)
            for (int j = 0; j < group->childCount(); ++j)
                if (group->child(j)->text(0).startsWith(start)) {
                    group->setExpanded(true);
                    return group->child(j);
                }
    }
    return nullptr;
}

QVariant firstValue(Database &db, const QString &sql) {
    Query q(db, sql);
    q.open();
    if (q.recordCount() == 0) {
        std::fprintf(stderr, "velmora_screenshots: nothing found by %s\n", qPrintable(sql));
        ++g_failures;
        return {};
    }
    q.first();
    return q.value(0);
}

// The demonstration club and the few keys the walk needs from it.
struct Club {
    DemoClub::Result r;
    int athlete = 0, group = 0, formTrNr = 0, indexTable = 0, indexFeld = 0, filter = 0;
    QString athleteLast, athleteName, filterName;
};

Club makeClub(Database &db, const QString &configDir) {
    DemoClub::Options options;
    options.serial = kSerial;
    options.today = kToday;
    options.idxPath = configDir + QStringLiteral("/velmora5.IDX");
    // The workbook window shows this path; where the program puts it for a
    // coach called "trainer" keeps the picture the same from run to run.
    options.workbookPath = QStringLiteral("/home/trainer/.config/Norvask/Velmora5/Saisonanalyse.ods");
    Club c;
    c.r = DemoClub::create(db, options);
    c.athlete = c.r.athletes[0];
    const QString person = QStringLiteral(" from PERSON where PersonNr = %1").arg(c.athlete);
    c.group = firstValue(db, QStringLiteral("select GruppenNr") + person).toInt();
    c.athleteLast = firstValue(db, QStringLiteral("select Nachname") + person).toString();
    c.athleteName =
        c.athleteLast + QLatin1Char(' ') + firstValue(db, QStringLiteral("select Vorname") + person).toString();
    c.formTrNr =
        firstValue(db, QStringLiteral("select TrNr from TR where FormularNr = %1 and Art = 1").arg(c.r.formTag))
            .toInt();
    const QString index = QStringLiteral(" from TRFIELD where Typ = 'X' and TableNr in (%1, %2, %3, %4) "
                                         "order by TableNr, \"Order\"")
                              .arg(c.r.blockUebungen)
                              .arg(c.r.blockEinheit)
                              .arg(c.r.blockNotizen)
                              .arg(c.r.blockBefinden);
    c.indexTable = firstValue(db, QStringLiteral("select TableNr") + index).toInt();
    c.indexFeld = firstValue(db, QStringLiteral("select \"Order\"") + index).toInt();
    const QString filter = QStringLiteral(" from FILTER where PersonNr = %1 order by FilterNr").arg(c.r.coach);
    c.filter = firstValue(db, QStringLiteral("select FilterNr") + filter).toInt();
    c.filterName = firstValue(db, QStringLiteral("select Name") + filter).toString();
    return c;
}

void walk(Database &db, const Club &club, const QString &dir) {
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
        login.locatePerson(club.r.coach);
        shoot(login, dir, QStringLiteral("login"));
        login.hide();
    }

    TMainForm form;
    form.resize(1000, 680);
    form.ApplyLogin(club.r.coach);
    form.show();
    RebuildDocumentList(db, nullptr, form.LoginPersonNr, form.LoginGruppenNr);
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

    whenModal(QStringLiteral("Öffnen"), [&dir, &club](QDialog &open) {
        open.resize(640, 480);
        // Everything the coach may read, an athlete's protocol chosen.
        if (auto *select = open.findChild<QComboBox *>(QStringLiteral("cbxSelect")))
            select->setCurrentIndex(2);
        auto *tree = open.findChild<QTreeWidget *>(QStringLiteral("tvOpen"));
        if (QTreeWidgetItem *item = documentItem(tree, QStringLiteral("Protokoll"), club.athleteLast))
            tree->setCurrentItem(item);
        shoot(open, dir, QStringLiteral("open-dialog"));
        if (QAbstractButton *more = visibleButton(open, QStringLiteral("&Erweitert >>>")))
            more->click();
        shoot(open, dir, QStringLiteral("open-dialog-extended"));
    });
    form.miOpen1Click();

    {
        TSportlerkartei card(club.athlete, club.r.coach, false, club.athleteName, &form);
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
        designer.setTrainerNr(club.r.coach);
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
        designer.setTableNr(club.r.blockEinheit);
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
        TTrKz designer(club.r.coach, kSerial, club.formTrNr, false, &form);
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
    form.EditPickList(club.r.formTag, club.indexTable, club.indexFeld, false, QStringLiteral("Übungen"));
    {
        TFilter filter(club.filter, club.r.coach, form.LoginGruppenNr, club.filterName, false, &form);
        filter.setToday(kToday);
        if (filter.prepare()) {
            filter.show();
            shoot(filter, dir, QStringLiteral("filter"));
        } else {
            ++g_failures;
        }
        filter.reject();
    }

    // The cross table as "Öffnen" opens it; "Entwurfsansicht" shows its
    // definition page by page, "Fertig" on "Felder" leads to the documents.
    whenModal(QStringLiteral("Auswertungsassistent"), [&dir, &club](QDialog &dialog) {
        auto *wizard = qobject_cast<TAuswertungsAssistent *>(&dialog);
        if (!wizard) {
            ++g_failures;
            return;
        }
        auto expect = [wizard](int page, const char *name) {
            if (wizard->currentPage() == page)
                return true;
            std::fprintf(stderr, "velmora_screenshots: the wizard is not on its page %s\n", name);
            ++g_failures;
            return false;
        };
        auto click = [wizard](const char *name) {
            if (QAbstractButton *b = button(*wizard, QString::fromLatin1(name)))
                b->click();
        };
        // Wide enough for all the page tabs.
        wizard->resize(720, 440);
        settle();
        click("btnEntwurfsansicht");
        if (!expect(TAuswertungsAssistent::PageArt, "Art"))
            return;
        shoot(*wizard, dir, QStringLiteral("evaluation-kind"));
        click("btnWeiter");
        click("btnWeiter");
        if (!expect(TAuswertungsAssistent::PageXAchse, "X-Achse"))
            return;
        shoot(*wizard, dir, QStringLiteral("evaluation-axis"));
        click("btnWeiter");
        click("btnWeiter");
        if (!expect(TAuswertungsAssistent::PageFelder, "Felder"))
            return;
        shoot(*wizard, dir, QStringLiteral("evaluation-fields"));
        if (auto *test = wizard->findChild<QCheckBox *>(QStringLiteral("cbxTest")))
            test->setChecked(true);
        click("btnFertig");
        if (!expect(TAuswertungsAssistent::PageDokumente, "Dokumente"))
            return;
        auto *tree = wizard->findChild<QTreeWidget *>(QStringLiteral("tvOpen2"));
        if (QTreeWidgetItem *item = documentItem(tree, QStringLiteral("Protokoll"), club.athleteLast))
            tree->setCurrentItem(item);
        shoot(*wizard, dir, QStringLiteral("evaluation-documents"));
    });
    form.RunEvaluationWizard(club.r.evalKreuz, false, QStringLiteral("Sätze je Übung und Monat"));

    // The workbook as "Öffnen" opens it.
    whenModal(QStringLiteral("Eingebundene Auswertung"),
              [&dir](QDialog &window) { shoot(window, dir, QStringLiteral("workbook")); });
    form.OpenWorkbookWindow(club.r.workbook, false);

    // The athlete's protocol of the last four weeks as the open dialog opens
    // it.
    TTrainingstagebuch *diary = form.CreateDiary();
    diary->PersonNr = club.athlete;
    diary->GruppenNr = club.group;
    diary->TrainerNr = club.r.coach;
    diary->KindCode = 2;
    diary->Name = club.athleteName;
    diary->initialise(false, club.r.lastDay.addDays(-27), club.r.lastDay);
    diary->show();
    if (auto *sub = qobject_cast<QMdiSubWindow *>(diary->parentWidget()))
        sub->showMaximized();
    settle();
    // The newest entry with exercises in its grid.
    Cursor &list = diary->listCursor();
    list.last();
    while (!list.bof() && !list.asString(QStringLiteral("Beschreibung")).startsWith(QLatin1String("Kraft")))
        list.prior();
    if (list.bof())
        list.last();
    shoot(form, dir, QStringLiteral("diary"));

    whenModal(QStringLiteral("Neuer Eintrag"),
              [&dir](QDialog &search) { shoot(search, dir, QStringLiteral("new-entry")); });
    form.DiaryNewEntry(*diary);

    // "Datei → Seite einrichten..." for the diary's list.
    whenModal(QStringLiteral("Seite einrichten"),
              [&dir](QDialog &setup) { shoot(setup, dir, QStringLiteral("page-setup")); });
    command(form, QStringLiteral("miPage1"));

    // The diary's "Auswertung" menu: the weekly volume of the four weeks it
    // lists, as a chart beside the diary.
    if (auto *evaluations = diary->findChild<QToolButton *>(QStringLiteral("btnAuswertung"));
        evaluations && evaluations->menu()) {
        QAction *weekly = nullptr;
        for (QAction *item : evaluations->menu()->actions())
            if (item->data().toInt() == club.r.evalWoche)
                weekly = item;
        if (weekly) {
            weekly->trigger();
            QMdiSubWindow *result = nullptr;
            for (QMdiSubWindow *sub : form.mdiArea()->subWindowList())
                if (qobject_cast<TAuswertung *>(sub->widget()))
                    result = sub;
            if (result) {
                result->showMaximized();
                shoot(form, dir, QStringLiteral("evaluation-result"));
                whenModal(QStringLiteral("Diagrammeinstellungen"), [&dir](QDialog &layout) {
                    layout.resize(400, layout.height());
                    shoot(layout, dir, QStringLiteral("chart-settings"));
                });
                command(form, QStringLiteral("miLayout1"));
            } else {
                std::fputs("velmora_screenshots: the result window did not open\n", stderr);
                ++g_failures;
            }
        } else {
            std::fputs("velmora_screenshots: the diary offers no weekly evaluation\n", stderr);
            ++g_failures;
        }
    } else {
        ++g_failures;
    }
    form.CloseAll1Click();

    // "Datei → Daten einlesen.." before an archive is chosen.
    whenModal(QStringLiteral("Datenaustausch"),
              [&dir](QDialog &exchange) { shoot(exchange, dir, QStringLiteral("exchange")); });
    command(form, QStringLiteral("miExcange1"));
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
    installation.initialize(kSerial);
    Engine::setCurrent(&installation.engine());
    InitPaths(config.path() + QStringLiteral("/velmora5"), installation.configDir(),
              installation.engine().path(QString::fromLatin1(Engine::kDblog)),
              installation.engine().path(QString::fromLatin1(Engine::kDblogCopy)));
    SetSettingsPath(installation.settingsPath());
    settings().SerienNr = kSerial;
    settings().Name = QString::fromUtf8(DemoClub::kClubName);
    settings().Kuerzel = QString::fromUtf8(DemoClub::kClubKuerzel);
    int rc = 0;
    try {
        const Club club = makeClub(installation.dblog(), config.path());
        settings().User = club.r.coach;
        LoadFormElementCache(installation.dblog(), nullptr);
        walk(installation.dblog(), club, outDir);
    } catch (const VelmoraError &e) {
        std::fprintf(stderr, "velmora_screenshots: %s\n", qPrintable(e.message()));
        rc = 1;
    }
    Engine::setCurrent(nullptr);
    return rc == 0 && g_failures == 0 ? 0 : 1;
}
