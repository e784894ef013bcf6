#include "app/TMainForm.h"

#include "base/Messages.h"
#include "base/Settings.h"
#include "store/Engine.h"

#include <QAction>
#include <QCloseEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>

namespace velmora {

namespace {
// Which menu item (and tool bar button) each shared command drives.
struct CommandItems {
    int command;
    const char *item;
    const char *second; // a second menu item, or nullptr
    bool own;           // the main window's own handler, whatever is passed
};
constexpr CommandItems kCommands[] = {
    {1, "miClose2", nullptr, true},     {2, "miPage1", nullptr, false},       {3, "miPrint1", "miPage1", true},
    {4, "miSave1", nullptr, false},     {5, "miExport0", nullptr, false},     {6, "miUndo1", nullptr, false},
    {8, "miCopy1", nullptr, false},     {9, "miPaste1", nullptr, false},      {10, "miPasteValue1", nullptr, false},
    {11, "miDel1", nullptr, false},     {13, "miPaste2", nullptr, false},     {14, "miNewLine", nullptr, false},
    {15, "miDetail1", nullptr, false},  {16, "miOverview1", nullptr, false},  {17, "miPrint1", nullptr, false},
    {18, "miRefresh1", nullptr, false}, {23, "miAssistent1", nullptr, false}, {24, "miDateneditor1", nullptr, false},
    {25, "miLayout1", nullptr, false},
};
} // namespace

TMainForm::TMainForm(Progress *progress, QWidget *parent) : QMainWindow(parent), m_progress(progress) {
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QStringLiteral("Velmora 5.3"));
    QFont f(QStringLiteral("Arial"));
    f.setPointSize(font().pointSize());
    setFont(f);
    m_mdi = new QMdiArea(this);
    m_mdi->setObjectName(QStringLiteral("MDIClient"));
    m_mdi->setBackground(palette().dark());
    setCentralWidget(m_mdi);

    m_panel0 = new QLabel(this);
    m_panel0->setObjectName(QStringLiteral("StatusPanel0"));
    m_panel0->setFixedWidth(240);
    m_panel1 = new QLabel(this);
    m_panel1->setObjectName(QStringLiteral("StatusPanel1"));
    m_panel1->setMinimumWidth(50);
    statusBar()->setObjectName(QStringLiteral("StatusBar"));
    statusBar()->addWidget(m_panel0);
    statusBar()->addWidget(m_panel1, 1);

    buildMenus();
    buildToolBar();
    ownPageSetup = [this] { miPage1Click(); };
    ownPrint = [this] { miPrint1Click(); };
    LoginPersonNr = 0;
}

TMainForm::~TMainForm() {
    // The children unbind their commands as they go; they must go while the
    // command table still exists.
    qDeleteAll(m_mdi->subWindowList());
}

QAction *TMainForm::addItem(QMenu *menu, const char *name, const QString &caption, const QString &hint, bool enabled,
                            const QKeySequence &shortcut) {
    auto *a = new QAction(caption, this);
    a->setObjectName(QString::fromLatin1(name));
    a->setStatusTip(hint);
    a->setToolTip(hint.isEmpty() ? QString(caption).remove(QLatin1Char('&')) : hint);
    a->setEnabled(enabled);
    if (!shortcut.isEmpty())
        a->setShortcut(shortcut);
    if (menu)
        menu->addAction(a);
    m_actions[a->objectName()] = a;
    connect(a, &QAction::triggered, this, [this, a] { dispatch(a); });
    return a;
}

void TMainForm::bindDefault(QAction *action, Handler handler) {
    m_defaults[action] = handler;
    m_handlers[action] = std::move(handler);
}

QAction *TMainForm::action(const QString &objectName) const {
    const auto it = m_actions.find(objectName);
    return it == m_actions.end() ? nullptr : it->second;
}

void TMainForm::dispatch(QAction *action) {
    const auto it = m_handlers.find(action);
    if (it == m_handlers.end() || !it->second)
        return;
    // A handler may rebind its own command while it runs; the copy keeps
    // it alive until it returns.
    const Handler handler = it->second;
    try {
        handler();
    } catch (const VelmoraError &e) {
        Messages::error(e.message());
    }
}

void TMainForm::buildMenus() {
    QMenuBar *bar = menuBar();
    QMenu *file = bar->addMenu(QStringLiteral("&Datei"));
    file->setObjectName(QStringLiteral("miFile1"));
    bindDefault(addItem(file, "miRelogin", QStringLiteral("neu &Anmelden..."), QString(), true),
                [this] { miRelogin1Click(); });
    QMenu *neu = file->addMenu(QStringLiteral("&Neu..."));
    neu->setObjectName(QStringLiteral("miNew1Menu"));
    QAction *newItem = neu->menuAction();
    newItem->setObjectName(QStringLiteral("miNew1"));
    newItem->setStatusTip(QStringLiteral("Neue Daten anlegen"));
    m_actions[newItem->objectName()] = newItem;
    bindDefault(addItem(neu, "miSportler1", QStringLiteral("&Sportler && Gruppe"),
                        QStringLiteral("Neuen Sportler anlegen"), true),
                [this] { miSportler1Click(); });
    bindDefault(addItem(neu, "miTable1", QStringLiteral("Formular&baustein"),
                        QStringLiteral("Tabellenassistenten starten"), true),
                [this] { miTable1Click(); });
    bindDefault(addItem(neu, "miTrKz1", QStringLiteral("&Formular"), QStringLiteral("Formularassistent starten"), true),
                [this] { miTrKz1Click(); });
    bindDefault(addItem(neu, "miFilter2", QStringLiteral("F&ilter"), QStringLiteral("Neuen Filter anlegen"), true),
                [this] { miFilter2Click(); });
    bindDefault(
        addItem(neu, "miSolver1", QStringLiteral("&Auswertung"), QStringLiteral("Auswertungsassistent starten"), true),
        [this] { miSolver1Click(); });
    bindDefault(addItem(neu, "miAnalyse1", QStringLiteral("A&rbeitsbuch"), QString(), true),
                [this] { miAnalyse1Click(); });
    // A write-protected database takes no new objects (the tool bar's
    // copies of these items follow them).
    if (Engine *engine = Engine::current(); engine && engine->dblog().isReadOnly())
        for (const char *name : {"miSportler1", "miTable1", "miTrKz1", "miFilter2", "miSolver1", "miAnalyse1"})
            action(QString::fromLatin1(name))->setEnabled(false);
    bindDefault(addItem(file, "miOpen1", QStringLiteral("&Öffnen..."),
                        QStringLiteral("Öffnet existierender Datenobjekte.."), true,
                        QKeySequence(Qt::CTRL | Qt::Key_O)),
                [this] { miOpen1Click(); });
    addItem(file, "miSave1", QStringLiteral("&Sichern als..."),
            QStringLiteral("Sichert aktuelle Daten in einen anderen Datenbereich"), false,
            QKeySequence(Qt::CTRL | Qt::Key_S));
    bindDefault(
        addItem(file, "miClose2", QStringLiteral("Schlie&ßen"), QStringLiteral("Schließt das aktuelle Fenster"), false),
        {});
    bindDefault(addItem(file, "miDelete", QStringLiteral("Löschen"), QStringLiteral("ein Datenobjekt löschen"), true),
                [this] { miDeleteClick(); });
    // Nothing can be deleted from a write-protected database.
    if (Engine *engine = Engine::current(); engine && engine->dblog().isReadOnly())
        action(QStringLiteral("miDelete"))->setEnabled(false);
    file->addSeparator();
    addItem(file, "miPage1", QStringLiteral("S&eite einrichten..."), QStringLiteral("Bestimmt die Form der Seite"),
            false);
    addItem(file, "miPrint1", QStringLiteral("&Drucken..."),
            QStringLiteral("Druckt den Inhalt des aktuellen Fensters aus"), false);
    file->addSeparator();
    addItem(file, "miExport0", QStringLiteral("&Daten exportieren..."), QString(), false);
    bindDefault(addItem(file, "miExcange1", QStringLiteral("&Daten einlesen.."), QString(), true),
                [this] { miExcange1Click(); });
    bindDefault(addItem(file, "miBackup1", QStringLiteral("Backup..."), QString(), true), [this] { miBackup1Click(); });
    // An import writes; a backup only reads, and serves a write-protected database as well.
    if (Engine *engine = Engine::current(); engine && engine->dblog().isReadOnly())
        action(QStringLiteral("miExcange1"))->setEnabled(false);
    file->addSeparator();
    bindDefault(addItem(file, "miExit1", QStringLiteral("&Beenden"), QStringLiteral("Beendet das Programm"), true),
                [this] { close(); });

    QMenu *edit = bar->addMenu(QStringLiteral("&Bearbeiten"));
    edit->setObjectName(QStringLiteral("miEdit1"));
    addItem(edit, "miUndo1", QStringLiteral("&Rückgängig"), QStringLiteral("Letzte Änderung rückgängig machen"), false,
            QKeySequence(Qt::CTRL | Qt::Key_Z));
    edit->addSeparator();
    addItem(edit, "miCut1", QStringLiteral("A&usschneiden"), QStringLiteral("Ausgewählte Daten(zeile) ausschneiden"),
            false, QKeySequence(Qt::CTRL | Qt::Key_X));
    addItem(edit, "miCopy1", QStringLiteral("&Kopieren"), QStringLiteral("Ausgewählte Daten(zeile) kopieren"), false,
            QKeySequence(Qt::CTRL | Qt::Key_C));
    addItem(edit, "miPaste1", QStringLiteral("&Einfügen"), QStringLiteral("Daten aus der Zwischenablage einfügen"),
            false, QKeySequence(Qt::CTRL | Qt::Key_V));
    addItem(edit, "miPasteValue1", QStringLiteral("&Inhalte einfügen"), QString(), false);
    addItem(edit, "miDel1", QStringLiteral("&Löschen"), QStringLiteral("Ausgewählte Datenzeile löschen"), false,
            QKeySequence(Qt::CTRL | Qt::Key_Delete));
    addItem(edit, "miSelectAll1", QStringLiteral("Alles ausw&ählen"),
            QStringLiteral("Den Inhalt des Fensters auswählen"), false);
    edit->addSeparator();
    addItem(edit, "miPaste2", QStringLiteral("&Neuer Eintrag..."),
            QStringLiteral("Eine Zeile von einer Vorlage kopieren"), false, QKeySequence(Qt::CTRL | Qt::Key_N));
    addItem(edit, "miNewLine", QStringLiteral("Neue &Zeile"), QStringLiteral("Eine Zeile von einer Vorlage kopieren"),
            false);

    m_diagramMenu = bar->addMenu(QStringLiteral("D&iagramm"));
    m_diagramMenu->setObjectName(QStringLiteral("miDiagramm1"));
    addItem(m_diagramMenu, "miAssistent1", QStringLiteral("&Assistent"), QString(), false);
    addItem(m_diagramMenu, "miDateneditor1", QStringLiteral("&Dateneditor"), QString(), false);
    addItem(m_diagramMenu, "miLayout1", QStringLiteral("&Einstellungen Auswahl"), QString(), false);
    m_diagramMenu->menuAction()->setVisible(false);

    m_windowMenu = bar->addMenu(QStringLiteral("&Fenster"));
    m_windowMenu->setObjectName(QStringLiteral("miWindow1"));
    addItem(m_windowMenu, "miDetail1", QStringLiteral("D&etailansicht"),
            QStringLiteral("Daten des Fensters in Detailansicht anzeigen"), false, QKeySequence(Qt::Key_F7));
    addItem(m_windowMenu, "miOverview1", QStringLiteral("&Übersicht"),
            QStringLiteral("Daten des Fensters als Übersicht anzeigen"), false, QKeySequence(Qt::Key_F8));
    addItem(m_windowMenu, "miRefresh1", QStringLiteral("&Aktualisieren"), QStringLiteral("Fensterinhalt aktualisieren"),
            false, QKeySequence(Qt::Key_F9));
    m_windowMenu->addSeparator();
    bindDefault(addItem(m_windowMenu, "miTile1", QStringLiteral("&Vertikal anordnen"),
                        QStringLiteral("Ordnet alle Fenster vertikal an"), false),
                [this] { m_mdi->tileSubWindows(); });
    bindDefault(addItem(m_windowMenu, "miTileHorizontally1", QStringLiteral("&Horizontal anordnen"),
                        QStringLiteral("Ordnet alle Fenster horizontal an"), false),
                [this] {
                    // One above the other, each the full width of the frame.
                    const auto windows = m_mdi->subWindowList();
                    if (windows.isEmpty())
                        return;
                    const int h = m_mdi->viewport()->height() / int(windows.size());
                    int y = 0;
                    for (QMdiSubWindow *w : windows) {
                        w->showNormal();
                        w->setGeometry(0, y, m_mdi->viewport()->width(), h);
                        y += h;
                    }
                });
    bindDefault(addItem(m_windowMenu, "miCascade1", QStringLiteral("&Kaskade"),
                        QStringLiteral("Ordnet alle Fenster vertikal kaskatiert an"), false),
                [this] { m_mdi->cascadeSubWindows(); });
    bindDefault(addItem(m_windowMenu, "miArrangeIcons1", QStringLiteral("&Icons anordnen"),
                        QStringLiteral("Ordnet alle Fenster minituarisiert als Icons an"), false),
                [this] {
                    int x = 0;
                    for (QMdiSubWindow *w : m_mdi->subWindowList())
                        if (w->isMinimized()) {
                            w->move(x, m_mdi->viewport()->height() - w->height());
                            x += w->width();
                        }
                });
    m_windowMenu->addSeparator();
    QAction *tb = addItem(m_windowMenu, "miToolbar1", QStringLiteral("&Symbolleiste"),
                          QStringLiteral("Wollen Sie die Toolbar anzeigen?"), true);
    tb->setCheckable(true);
    tb->setChecked(true);
    bindDefault(tb, [this] { miToolbar1Click(); });
    connect(m_windowMenu, &QMenu::aboutToShow, this, &TMainForm::miFensterPopup);

    QMenu *help = bar->addMenu(QStringLiteral("&Hilfe"));
    help->setObjectName(QStringLiteral("miHelp1"));
    addItem(help, "miTopic1", QStringLiteral("&Hilfethemen"), QStringLiteral("Inhalt der Hilfe"), false);
    addItem(help, "miTutorial1", QStringLiteral("&Tutorium"), QStringLiteral("Lernprogramm"), false);
    addItem(help, "miReferenz1", QStringLiteral("Referenz"), QStringLiteral("Detailierte Referenzinformationen"),
            false);

    // Command 1 always closes the active child; the items the children bind
    // start without a handler of their own.
    m_defaults[action(QStringLiteral("miClose2"))] = [this] { miCloseChildClick(); };
    m_handlers[action(QStringLiteral("miClose2"))] = m_defaults[action(QStringLiteral("miClose2"))];
    for (const CommandItems &c : kCommands)
        for (const char *name : {c.item, c.second})
            if (name && !m_defaults.count(action(QString::fromLatin1(name))))
                m_defaults[action(QString::fromLatin1(name))] = {};
}

void TMainForm::buildToolBar() {
    m_toolBar = addToolBar(QStringLiteral("Symbolleiste"));
    m_toolBar->setObjectName(QStringLiteral("ToolBar1"));
    m_toolBar->setIconSize(QSize(24, 24));
    m_toolBar->setMovable(false);
    auto *newButton = new QToolButton(m_toolBar);
    newButton->setObjectName(QStringLiteral("tbNew"));
    newButton->setText(QStringLiteral("Neu"));
    newButton->setToolTip(QStringLiteral("Neue Daten anlegen"));
    newButton->setStatusTip(QStringLiteral("Neue Daten anlegen"));
    newButton->setPopupMode(QToolButton::InstantPopup);
    newButton->setIcon(style()->standardIcon(QStyle::SP_FileIcon));
    auto *newMenu = new QMenu(newButton);
    newMenu->setObjectName(QStringLiteral("pmNew"));
    struct NewItem {
        const char *name;
        const char *caption;
        const char *follows;
        const char *hint;
    } items[] = {{"tbSportler", "&Sportler && Gruppe", "miSportler1", nullptr},
                 {"tbTable", "F&ormularbaustein", "miTable1", nullptr},
                 {"tbTrKz", "&Formular", "miTrKz1", nullptr},
                 {"tbFilter", "F&ilter", "miFilter2", nullptr},
                 {"tbSolver", "&Auswertung", "miSolver1", nullptr},
                 {"tbAnalyse", "A&rbeitsbuch", "miAnalyse1", "Excel - Arbeitsbuch starten"}};
    for (const NewItem &it : items) {
        QAction *menuItem = action(QString::fromLatin1(it.follows));
        QAction *a = addItem(newMenu, it.name, QString::fromUtf8(it.caption),
                             it.hint ? QString::fromUtf8(it.hint) : menuItem->statusTip(), menuItem->isEnabled());
        m_followers[menuItem].push_back(a);
        bindDefault(a, [this, menuItem] { dispatch(menuItem); });
    }
    newButton->setMenu(newMenu);
    m_toolBar->addWidget(newButton);

    struct Button {
        const char *name;
        const char *hint;
        const char *follows; // menu item whose state and handler it shares
        QStyle::StandardPixmap icon;
    } buttons[] = {{"tbOpen", "Datenobjekt öffnen", "miOpen1", QStyle::SP_DialogOpenButton},
                   {"tbSave", "Daten sichern", nullptr, QStyle::SP_DialogSaveButton},
                   {"tbPrint", "Drucken", "miPrint1", QStyle::SP_FileDialogDetailedView},
                   {nullptr, nullptr, nullptr, QStyle::SP_CustomBase},
                   {"tbUndo", "Rückgängig", "miUndo1", QStyle::SP_ArrowBack},
                   {"tbCut", "Ausschneiden", nullptr, QStyle::SP_TrashIcon},
                   {"tbCopy", "Kopieren", "miCopy1", QStyle::SP_FileLinkIcon},
                   {"tbPaste", "Einfügen", "miPaste1", QStyle::SP_DialogApplyButton},
                   {"tbNewEntry", "neue Eintragung", "miPaste2", QStyle::SP_FileDialogNewFolder},
                   {nullptr, nullptr, nullptr, QStyle::SP_CustomBase}};
    for (const Button &b : buttons) {
        if (!b.name) {
            m_toolBar->addSeparator();
            continue;
        }
        QAction *menuItem = b.follows ? action(QString::fromLatin1(b.follows)) : nullptr;
        QAction *a = addItem(nullptr, b.name, QString::fromUtf8(b.hint), QString::fromUtf8(b.hint),
                             menuItem && menuItem->isEnabled());
        a->setIcon(style()->standardIcon(b.icon));
        m_toolBar->addAction(a);
        if (menuItem) {
            m_followers[menuItem].push_back(a);
            bindDefault(a, [this, menuItem] { dispatch(menuItem); });
        }
    }
    for (const char *name : {"tbTabelle", "tbGrafik"}) {
        QAction *a = addItem(nullptr, name, QString::fromLatin1(name + 2), QString(), false);
        m_toolBar->addAction(a);
        a->setVisible(false);
    }
}

// ------------------------------------------------------------ shared commands

void TMainForm::SetMenuCommand(int command, bool enable, Handler handler) {
    for (const CommandItems &c : kCommands) {
        if (c.command != command)
            continue;
        for (const char *name : {c.item, c.second}) {
            if (!name)
                continue;
            QAction *a = action(QString::fromLatin1(name));
            if (enable) {
                if (c.own) {
                    if (c.command == 1)
                        m_handlers[a] = [this] { miCloseChildClick(); };
                    else if (QLatin1String(name) == QLatin1String("miPage1"))
                        m_handlers[a] = [this] {
                            if (ownPageSetup)
                                ownPageSetup();
                        };
                    else
                        m_handlers[a] = [this] {
                            if (ownPrint)
                                ownPrint();
                        };
                } else {
                    m_handlers[a] = handler;
                }
            } else {
                m_handlers[a] = m_defaults[a];
            }
            a->setEnabled(enable);
            for (QAction *f : m_followers[a])
                f->setEnabled(enable);
        }
    }
}

void TMainForm::SetViewMenus(int mode) {
    action(QStringLiteral("miDetail1"))->setVisible(true);
    action(QStringLiteral("miOverview1"))->setVisible(true);
    m_diagramMenu->menuAction()->setVisible(false);
    if (mode == 1 || mode == 2) {
        action(QStringLiteral("miDetail1"))->setVisible(false);
        action(QStringLiteral("miOverview1"))->setVisible(false);
    }
    if (mode == 1)
        m_diagramMenu->menuAction()->setVisible(true);
}

// ------------------------------------------------------------ clipboard

void TMainForm::StartCopyObject(int kind) {
    m_copyKind = kind;
    m_copyList.clear();
}

void TMainForm::AddCopyObject(std::unique_ptr<CopyObject> object) {
    m_copyList.push_back(std::move(object));
}

int TMainForm::PasteObjectCount(int kind) const {
    return kind == m_copyKind ? int(m_copyList.size()) : -1;
}

CopyObject *TMainForm::GetPasteObject(int index) const {
    if (index < 0 || index >= int(m_copyList.size()))
        return nullptr;
    return m_copyList[size_t(index)].get();
}

void TMainForm::SetPrintSource(const QString &title, Cursor *cursor) {
    m_printTitle = title;
    m_printCursor = cursor;
}

// ------------------------------------------------------------ window

QString TMainForm::statusText(int panel) const {
    return panel == 0 ? m_panel0->text() : m_panel1->text();
}

bool TMainForm::event(QEvent *e) {
    // Every hint goes to the second panel of the status bar.
    if (e->type() == QEvent::StatusTip) {
        m_panel1->setText(static_cast<QStatusTipEvent *>(e)->tip());
        return true;
    }
    return QMainWindow::event(e);
}

void TMainForm::showEvent(QShowEvent *e) {
    QAction *tb = action(QStringLiteral("miToolbar1"));
    tb->setChecked(settings().Toolbar);
    m_toolBar->setVisible(settings().Toolbar);
    QMainWindow::showEvent(e);
}

void TMainForm::miToolbar1Click() {
    settings().Toolbar = !settings().Toolbar;
    action(QStringLiteral("miToolbar1"))->setChecked(settings().Toolbar);
    m_toolBar->setVisible(settings().Toolbar);
}

void TMainForm::miFensterPopup() {
    const bool active = m_mdi->activeSubWindow() != nullptr;
    for (const char *name : {"miTile1", "miTileHorizontally1", "miCascade1", "miArrangeIcons1"})
        action(QString::fromLatin1(name))->setEnabled(active);
}

void TMainForm::miCloseChildClick() {
    if (QMdiSubWindow *w = m_mdi->activeSubWindow())
        w->close();
}

void TMainForm::CloseAll1Click() {
    m_mdi->closeAllSubWindows();
}

void TMainForm::closeEvent(QCloseEvent *e) {
    CloseAll1Click();
    if (!m_mdi->subWindowList().isEmpty()) {
        e->ignore(); // a child refused to close
        return;
    }
    WriteToolbarSetting(settings().Toolbar);
    m_copyList.clear();
    e->accept();
}

} // namespace velmora
