// The diary window, class TTrainingstagebuch: the entry list of one person
// or group and the entry view of the chosen entry.
#include "diary/TTrainingstagebuch.h"

#include "base/Messages.h"
#include "controls/CommandHost.h"
#include "controls/TDBTypeGrid.h"
#include "design/FormElementCache.h"
#include "diary/DiaryListModel.h"
#include "store/Engine.h"
#include "store/Errors.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateEdit>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QSplitter>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

namespace velmora {

namespace {
// The frame's shared commands the diary binds.
enum Command {
    kClose = 1,
    kPageSetup = 2,
    kPrint = 3,
    kExport = 5,
    kCopy = 8,
    kPaste = 9,
    kDelete = 11,
    kNewEntry = 13,
    kDetail = 15,
    kOverview = 16,
    kPrintChild = 17,
    kRefresh = 18,
};
// The clipboard kind of copied entries.
constexpr int kEntryCopyKind = 1;
const QString kNoFilter = QStringLiteral("(kein Filter)");
// The widest the list pane asks for; the entry beside it needs room too.
constexpr int kMaxListPaneWidth = 640;

bool inside(const QWidget *container, const QWidget *w) {
    return container && w && (w == container || container->isAncestorOf(w));
}

QAction *menuItem(QMenu *menu, QActionGroup *group, const char *name, const QString &caption, int tag) {
    QAction *a = menu->addAction(caption);
    a->setObjectName(QString::fromLatin1(name));
    a->setCheckable(true);
    a->setData(tag);
    group->addAction(a);
    return a;
}

QString menuCaption(const QString &name) {
    QString caption = name;
    return caption.replace(QLatin1Char('&'), QLatin1String("&&"));
}
} // namespace

TTrainingstagebuch::TTrainingstagebuch(CommandHost *host, QWidget *parent)
    : TTrainingstagebuch(host, Engine::current()->dblog(), parent) {}

TTrainingstagebuch::TTrainingstagebuch(CommandHost *host, Database &db, QWidget *parent)
    : QWidget(parent), m_host(host), m_hostObject(host ? host->hostObject() : nullptr), m_db(db), m_list(db) {
    setObjectName(QStringLiteral("TTrainingstagebuch"));
    setAttribute(Qt::WA_DeleteOnClose);
    if (host)
        User = host->loginPersonNr();
    // The pickers' "date zero"; a picker holding it counts as not set.
    NoDate = QDate(1899, 12, 30);
    buildControls();

    connect(&m_list.cursor(), &Cursor::scrolled, this, [this] {
        if (Ready && !Busy)
            showEntry(false);
    });
    connect(qApp, &QApplication::focusChanged, this, &TTrainingstagebuch::focusChanged);
    if (host && host->mdiArea())
        connect(host->mdiArea(), &QMdiArea::subWindowActivated, this,
                [this](QMdiSubWindow *w) { subWindowActivated(w ? w->widget() : nullptr); });
}

TTrainingstagebuch::~TTrainingstagebuch() {
    disconnect(qApp, nullptr, this, nullptr);
    finish();
}

void TTrainingstagebuch::buildControls() {
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    tbFilter = new QToolBar(this);
    tbFilter->setObjectName(QStringLiteral("tbFilter"));
    layout->addWidget(tbFilter);

    btnKat1 = new QToolButton(tbFilter);
    btnKat1->setObjectName(QStringLiteral("btnKat1"));
    btnKat1->setPopupMode(QToolButton::InstantPopup);
    auto *kindMenu = new QMenu(btnKat1);
    m_kindGroup = new QActionGroup(this);
    miIst = menuItem(kindMenu, m_kindGroup, "miIst", QStringLiteral("&IST (Protokoll)"), 3);
    miSoll = menuItem(kindMenu, m_kindGroup, "miSoll", QStringLiteral("&SOLL (Plan)"), 2);
    btnKat1->setMenu(kindMenu);
    connect(kindMenu, &QMenu::triggered, this, &TTrainingstagebuch::Kat1Click);
    tbFilter->addWidget(btnKat1);

    btnVis1 = new QToolButton(tbFilter);
    btnVis1->setObjectName(QStringLiteral("btnVis1"));
    btnVis1->setPopupMode(QToolButton::InstantPopup);
    auto *levelMenu = new QMenu(btnVis1);
    m_levelGroup = new QActionGroup(this);
    miDetails = menuItem(levelMenu, m_levelGroup, "miDetails", QStringLiteral("&Details"), 3);
    miWoche = menuItem(levelMenu, m_levelGroup, "miWoche", QStringLiteral("&Woche"), 2);
    miZyklus = menuItem(levelMenu, m_levelGroup, "miZyklus", QStringLiteral("&Zyklus"), 1);
    btnVis1->setMenu(levelMenu);
    connect(levelMenu, &QMenu::triggered, this, &TTrainingstagebuch::Vis1Click);
    tbFilter->addWidget(btnVis1);

    cbxFilter = new QComboBox(tbFilter);
    cbxFilter->setObjectName(QStringLiteral("cbxFilter"));
    cbxFilter->addItem(kNoFilter);
    cbxFilter->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    connect(cbxFilter, &QComboBox::activated, this, &TTrainingstagebuch::cbxFilterChange);
    tbFilter->addWidget(cbxFilter);

    auto picker = [this](const char *tickName, const char *editName, QCheckBox *&tick, QDateEdit *&edit) {
        tick = new QCheckBox(tbFilter);
        tick->setObjectName(QString::fromLatin1(tickName));
        edit = new QDateEdit(tbFilter);
        edit->setObjectName(QString::fromLatin1(editName));
        edit->setCalendarPopup(true);
        edit->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
        edit->setMinimumDate(NoDate);
        edit->setDate(NoDate);
        tbFilter->addWidget(tick);
        tbFilter->addWidget(edit);
        connect(tick, &QCheckBox::toggled, this, &TTrainingstagebuch::FilterChange);
        connect(edit, &QDateEdit::dateChanged, this, &TTrainingstagebuch::FilterChange);
    };
    picker("cbxVon1", "txtVon1", cbxVon1, txtVon1);
    picker("cbxBis1", "txtBis1", cbxBis1, txtBis1);

    btnFilter1 = new QToolButton(tbFilter);
    btnFilter1->setObjectName(QStringLiteral("btnFilter1"));
    btnFilter1->setText(QStringLiteral("Filter"));
    btnFilter1->setEnabled(false);
    connect(btnFilter1, &QToolButton::clicked, this, &TTrainingstagebuch::btnFilter1Click);
    tbFilter->addWidget(btnFilter1);

    btnAuswertung = new QToolButton(tbFilter);
    btnAuswertung->setObjectName(QStringLiteral("btnAuswertung"));
    btnAuswertung->setText(QStringLiteral("Auswertung"));
    btnAuswertung->setPopupMode(QToolButton::InstantPopup);
    btnAuswertung->setMenu(new QMenu(btnAuswertung));
    btnAuswertung->setEnabled(false);
    connect(btnAuswertung->menu(), &QMenu::triggered, this, [this](QAction *item) {
        if (runEvaluation)
            runEvaluation(*this, item->data().toInt(), item->property("name").toString());
    });
    tbFilter->addWidget(btnAuswertung);

    tbAnalyse = new QToolButton(tbFilter);
    tbAnalyse->setObjectName(QStringLiteral("tbAnalyse"));
    tbAnalyse->setText(QStringLiteral("Arbeitsbuch"));
    tbAnalyse->setPopupMode(QToolButton::InstantPopup);
    tbAnalyse->setMenu(new QMenu(tbAnalyse));
    tbAnalyse->setEnabled(false);
    connect(tbAnalyse->menu(), &QMenu::triggered, this, [this](QAction *item) {
        if (openWorkbook)
            openWorkbook(*this, item->data().toInt());
    });
    tbFilter->addWidget(tbAnalyse);

    m_splitter = new QSplitter(Qt::Horizontal, this);
    layout->addWidget(m_splitter, 1);

    pnlList = new QWidget(m_splitter);
    pnlList->setObjectName(QStringLiteral("pnlList"));
    auto *listLayout = new QVBoxLayout(pnlList);
    listLayout->setContentsMargins(0, 0, 0, 0);
    dbgTr = new TDBTypeGrid(pnlList);
    dbgTr->setObjectName(QStringLiteral("dbgTr"));
    quTr = new DiaryListModel(&m_list.cursor(), this);
    quTr->setObjectName(QStringLiteral("quTr"));
    // Weekday, author and description readable at once, not cut to "…".
    dbgTr->setFitToContents(true);
    dbgTr->setCursorModel(quTr);
    dbgTr->setEditTriggers(QAbstractItemView::NoEditTriggers);
    dbgTr->setSelectionBehavior(QAbstractItemView::SelectRows);
    dbgTr->setSelectionMode(QAbstractItemView::ExtendedSelection);
    dbgTr->verticalHeader()->hide();
    dbgTr->installEventFilter(this);
    connect(dbgTr, &QAbstractItemView::doubleClicked, this, [this] { ShowCurrentEntry(); });
    listLayout->addWidget(dbgTr);
    m_splitter->addWidget(pnlList);

    sbTraining = new QWidget(m_splitter);
    sbTraining->setObjectName(QStringLiteral("sbTraining"));
    m_entryLayout = new QVBoxLayout(sbTraining);
    m_entryLayout->setContentsMargins(0, 0, 0, 0);
    m_splitter->addWidget(sbTraining);
    m_splitter->setStretchFactor(1, 1);
}

// ------------------------------------------------------------ initialise

void TTrainingstagebuch::initialise(bool single, const QDate &from, const QDate &to) {
    Single = single;
    const bool listMode = !Single && !Layout;
    if (listMode) {
        tbFilter->setVisible(KindCode % 10 != 1);
        dbgTr->setFocus();
    } else {
        tbFilter->hide();
        pnlList->hide();
        DetailOnly = true;
        setWindowTitle(Name);
    }
    if (listMode) {
        try {
            fillMenus();
        } catch (const VelmoraError &e) {
            Messages::error(e.message());
        }
        // An unticked picker offers the range the diary was opened with, or
        // today, to start from; never the engine's zero day.
        const bool hasFrom = from.isValid() && from != NoDate;
        const bool hasTo = to.isValid() && to != NoDate;
        const QDate today = QDate::currentDate();
        txtVon1->setDate(hasFrom ? from : hasTo ? to : today);
        txtBis1->setDate(hasTo ? to : hasFrom ? from : today);
        cbxVon1->setChecked(hasFrom);
        cbxBis1->setChecked(hasTo);
    }
    btnFilter1->setEnabled(bool(editFilter));
    btnAuswertung->setEnabled(bool(runEvaluation));
    tbAnalyse->setEnabled(bool(openWorkbook));

    RebuildList();
    if (listMode) {
        // The list pane takes what its columns need, short of crowding out
        // the entry beside it.
        pnlList->setMinimumWidth(std::min(dbgTr->contentsWidthHint(), kMaxListPaneWidth));
        Ready = true;
    } else {
        setWindowTitle(Name);
    }

    // The layout editor shows its block even though the provisional form
    // has no entry.
    if (DetailOnly && m_list.cursor().isOpen() && (!m_list.cursor().isEmpty() || Layout))
        showEntry(true);
    if (DetailOnly && m_view)
        m_view->setFocus();
    else if (listMode)
        dbgTr->setFocus();

    m_newEntryLocked = ReadOnly || Single || Layout;
    FormActivate();
}

void TTrainingstagebuch::fillMenus() {
    QMenu *evaluations = btnAuswertung->menu();
    evaluations->clear();
    for (const DocumentListItem &item : DocumentListItems(m_db, QStringLiteral("A"))) {
        QAction *a = evaluations->addAction(menuCaption(item.name));
        a->setData(item.key1);
        a->setProperty("name", item.name);
    }
    QMenu *workbooks = tbAnalyse->menu();
    workbooks->clear();
    for (const DocumentListItem &item : DocumentListItems(m_db, QStringLiteral("W"))) {
        QAction *a = workbooks->addAction(menuCaption(item.name));
        a->setData(item.key1);
        a->setProperty("name", item.name);
    }
    m_filters = DocumentListItems(m_db, QStringLiteral("F"));
    cbxFilter->clear();
    cbxFilter->addItem(kNoFilter);
    int shown = 0;
    for (size_t i = 0; i < m_filters.size(); ++i) {
        cbxFilter->addItem(m_filters[i].name);
        if (FilterNr >= 1 && m_filters[i].key1 == FilterNr && shown == 0)
            shown = int(i) + 1;
    }
    cbxFilter->setCurrentIndex(shown);
}

// ------------------------------------------------------------ the list

QDate TTrainingstagebuch::pickerDate(QDateEdit *edit, QCheckBox *tick) const {
    return tick->isChecked() ? edit->date() : QDate();
}

DiaryQueryInput TTrainingstagebuch::queryInput() {
    DiaryQueryInput in;
    in.kindCode = KindCode;
    in.personNr = PersonNr;
    in.name = Name;
    if (Deletion) {
        in.mode = DiaryQueryInput::Mode::Deletion;
        in.formNr = FormularNr;
        return in;
    }
    if (Single || Layout) {
        in.mode = DiaryQueryInput::Mode::SingleEntry;
        in.serienNr = SerienNr;
        in.trNr = TrNr;
        return in;
    }
    in.fromTicked = cbxVon1->isChecked();
    in.toTicked = cbxBis1->isChecked();
    in.from = pickerDate(txtVon1, cbxVon1);
    in.to = pickerDate(txtBis1, cbxBis1);
    return in;
}

void TTrainingstagebuch::tickKind(int kindCode) {
    QAction *kind = kindCode % 10 == 2 ? miIst : kindCode % 10 == 3 ? miSoll : nullptr;
    if (kind) {
        kind->setChecked(true);
        btnKat1->setText(kind->text().remove(QLatin1Char('&')));
        btnKat1->setProperty("imageIndex", kind->data().toInt() - 1);
    } else if (QAction *checked = m_kindGroup->checkedAction()) {
        checked->setChecked(false);
    }
    const int tens = (kindCode / 10) % 10;
    QAction *level = tens == 1 ? miWoche : tens == 2 ? miZyklus : miDetails;
    level->setChecked(true);
    btnVis1->setText(level->text().remove(QLatin1Char('&')));
    btnVis1->setProperty("imageIndex", level->data().toInt() + 3);
}

void TTrainingstagebuch::RebuildList() {
    Busy = true;
    FilterNr = 0;
    const bool listMode = !Single && !Layout && !Deletion;
    DiaryQueryInput in = queryInput();
    try {
        if (listMode) {
            // The chosen entry, not its text: two filters may share a name.
            const int i = cbxFilter->currentIndex();
            if (i >= 1 && size_t(i) <= m_filters.size() && LoadFilterLists(m_db, m_filters[size_t(i) - 1].key1, in)) {
                FilterNr = in.filterKey;
                in.filterName = m_filters[size_t(i) - 1].name;
            }
        }
        const DiaryQuery &q = m_list.rebuild(in);
        KindCode = q.kindCode;
        SelectionLines = q.selection;
        SeveralPersons = q.severalPersons;
        if (listMode) {
            m_title = q.title;
            tickKind(KindCode);
        } else {
            m_title = Name;
        }
        quTr->setPersonNames(PersonNamesOfDocumentList(m_db));
    } catch (const VelmoraError &e) {
        m_list.cursor().close();
        Busy = false;
        Messages::error(e.message());
        return;
    }
    LastAuthor = 0;
    FilterChanged = false;
    quTr->setPersonColumnVisible(SeveralPersons);
    if (!Deletion)
        setWindowTitle(m_title);
    if (host())
        host()->SetPrintSource(windowTitle(), &m_list.cursor());
    Busy = false;
    // Shown only now, so that the read-only mark lands on the new caption.
    if (Ready && listMode)
        showEntry(false);
}

void TTrainingstagebuch::ShowCurrentEntry() {
    if (Ready && !Busy)
        showEntry(true);
}

void TTrainingstagebuch::showEntry(bool focusView) {
    Cursor &list = m_list.cursor();
    try {
        if (!list.isOpen())
            list.open();
        const bool hasRow = !list.isEmpty() && list.recNo() >= 0;
        // Moving on stores the entry shown so far. When that fails the
        // message has been shown; the entry stays on the right with what was
        // typed, and the list goes back to it.
        bool committed = false;
        if (m_view && hasRow &&
            (list.asInt(QStringLiteral("SerienNr")) != m_shownSerienNr ||
             list.asInt(QStringLiteral("TrNr")) != m_shownTrNr)) {
            committed = true;
            if (!storeView()) {
                returnToShownEntry();
                return;
            }
        }
        const int author = hasRow ? list.asInt(QStringLiteral("AutorNr")) : 0;
        const int form = hasRow ? list.asInt(QStringLiteral("FormularNr")) : 0;
        if (author != LastAuthor) {
            ReadOnly = EntryIsReadOnly(author, User);
            setWindowTitle(CaptionForReadOnly(windowTitle(), ReadOnly));
            LastAuthor = author;
            // "&Löschen" and "&Einfügen" follow the entry the list stands on.
            if (m_active && !DetailOnly)
                bindListCommands();
        }
        if (hasRow) {
            m_shownDatum = list.asDateTime(QStringLiteral("Datum"));
            m_shownSerienNr = list.asInt(QStringLiteral("SerienNr"));
            m_shownTrNr = list.asInt(QStringLiteral("TrNr"));
        }
        if (form != LastForm || !m_view) {
            DiscardEntryView();
            // The layout editor shows the provisional form 0 of the block just
            // designed, which has no entry of its own: its panels open
            // read-only so that laying out writes no rows.
            if ((hasRow || Layout) && entryViewFactory) {
                EntryViewParams p;
                p.serienNr = m_shownSerienNr;
                p.trNr = m_shownTrNr;
                p.formularNr = form;
                p.person = PersonNr;
                p.user = User;
                p.layout = Layout;
                p.readOnly = ReadOnly || !hasRow;
                p.single = Single;
                p.kindCode = KindCode;
                EntryView *view = entryViewFactory(sbTraining, p);
                if (view) {
                    m_view = view;
                    connect(view, &EntryView::commandChanged, this,
                            [this](int command, bool enable, std::function<void()> handler) {
                                if (!host())
                                    return;
                                host()->SetMenuCommand(command, enable, std::move(handler));
                                // A block panel lets go of its commands after the list
                                // took the focus: the list's own commands stay bound.
                                if (!enable && inside(dbgTr, QApplication::focusWidget()))
                                    bindListCommands();
                            });
                    m_entryLayout->addWidget(view);
                    view->build();
                    view->show();
                    if (focusView || DetailOnly)
                        view->setFocus();
                }
            }
            LastForm = form;
        } else {
            if (!committed)
                m_view->commit(false);
            m_view->reKey(m_shownSerienNr, m_shownTrNr, ReadOnly, PersonNr);
            if (focusView || DetailOnly)
                m_view->setFocus();
        }
    } catch (const VelmoraError &e) {
        Messages::error(e.message());
    }
}

void TTrainingstagebuch::returnToShownEntry() {
    const bool wasReady = Ready;
    Ready = false;
    Cursor &list = m_list.cursor();
    const int serien = list.fieldIndex(QStringLiteral("SerienNr")), trnr = list.fieldIndex(QStringLiteral("TrNr"));
    for (int r = 0; r < list.recordCount(); ++r) {
        const std::vector<QVariant> row = list.rowAt(r);
        if (size_t(std::max(serien, trnr)) < row.size() && row[size_t(serien)].toInt() == m_shownSerienNr &&
            row[size_t(trnr)].toInt() == m_shownTrNr) {
            list.moveTo(r);
            break;
        }
    }
    Ready = wasReady;
}

void TTrainingstagebuch::DiscardEntryView() {
    LastForm = -1;
    if (!m_view)
        return;
    EntryView *view = m_view.data();
    m_view = nullptr;
    try {
        view->commit(true);
    } catch (const VelmoraError &e) {
        Messages::error(e.message());
    }
    delete view;
}

bool TTrainingstagebuch::storeView(bool *headerChanged) {
    try {
        const bool changed = m_view->commit(false);
        if (headerChanged)
            *headerChanged = changed;
    } catch (const VelmoraError &e) {
        Messages::error(e.message());
        return false;
    }
    return !m_view->commitFailed();
}

bool TTrainingstagebuch::CommitEntryView() {
    if (!m_view)
        return true;
    bool headerChanged = false;
    if (!storeView(&headerChanged))
        return false;
    // A changed date moves the entry in the list.
    if (headerChanged && !Single && !Layout && !Deletion)
        RefindEntry(m_shownDatum, m_shownSerienNr, m_shownTrNr);
    return true;
}

void TTrainingstagebuch::RefindEntry(const QDateTime &date, int serienNr, int trNr) {
    const bool listMode = !Single && !Layout;
    const bool wasReady = Ready;
    Ready = false;
    // The list is not repainted while it is re-positioned; hiding it would
    // take the focus away from it.
    dbgTr->setUpdatesEnabled(false);
    try {
        m_list.refind(date, serienNr, trNr);
    } catch (const VelmoraError &e) {
        Messages::error(e.message());
    }
    dbgTr->setUpdatesEnabled(true);
    Ready = wasReady || listMode;
    // The right-hand side shows the entry the list stands on, so that what
    // is typed next goes into it.
    Cursor &list = m_list.cursor();
    if (Ready && !Busy && listMode && list.isOpen() && !list.isEmpty() && list.recNo() >= 0 &&
        (!m_view || list.asInt(QStringLiteral("SerienNr")) != m_shownSerienNr ||
         list.asInt(QStringLiteral("TrNr")) != m_shownTrNr))
        showEntry(false);
}

// ------------------------------------------------------------ tool bar

void TTrainingstagebuch::Kat1Click(QAction *item) {
    const int units = item->data().toInt() == 2 ? 3 : 2;
    if (KindCode % 10 == units)
        return;
    item->setChecked(true);
    btnKat1->setProperty("imageIndex", item->data().toInt() - 1);
    KindCode = KindWithUnits(KindCode, units);
    if (!Busy)
        RebuildList();
}

void TTrainingstagebuch::Vis1Click(QAction *item) {
    const int tag = item->data().toInt();
    const int tens = tag == 1 ? 2 : tag == 2 ? 1 : 0;
    if ((KindCode / 10) % 10 == tens)
        return;
    item->setChecked(true);
    btnVis1->setProperty("imageIndex", tag + 3);
    KindCode = KindWithLevel(KindCode, tens);
    if (!Busy)
        RebuildList();
}

void TTrainingstagebuch::cbxFilterChange(int index) {
    if (index < 1 || size_t(index) > m_filters.size()) {
        FilterNr = 0;
        FilterChanged = true;
        return;
    }
    FilterChanged = true;
    FilterNr = m_filters[size_t(index) - 1].key1;
    try {
        if (const auto choice = ReadFilterChoice(m_db, FilterNr, QDate::currentDate())) {
            KindCode = choice->kindCode;
            if (choice->to)
                txtBis1->setDate(*choice->to);
            if (choice->from)
                txtVon1->setDate(*choice->from);
        }
    } catch (const VelmoraError &e) {
        Messages::error(e.message());
    }
}

void TTrainingstagebuch::FilterChange() {
    FilterChanged = true;
}

void TTrainingstagebuch::tbFilterExit() {
    if (FilterChanged)
        RebuildList();
}

void TTrainingstagebuch::btnFilter1Click() {
    if (!editFilter)
        return;
    editFilter(*this, FilterNr);
    RebuildList();
}

// ------------------------------------------------------------ commands

void TTrainingstagebuch::unbindCommand(int command) {
    if (host())
        host()->SetMenuCommand(command, false);
}

void TTrainingstagebuch::bindListCommands() {
    CommandHost *main = host();
    if (!main || Single || Layout)
        return;
    Cursor &list = m_list.cursor();
    const bool rows = list.isOpen() && !list.isEmpty();
    auto bind = [&](int command, bool enable, const Hook &hook) {
        if (enable)
            main->SetMenuCommand(command, true, [this, hook] { hook(*this); });
        else
            main->SetMenuCommand(command, false);
    };
    bind(kDelete, !ReadOnly && rows && bool(deleteEntry), deleteEntry);
    bindPasteCommand();
    if (rows && copyEntries)
        main->SetMenuCommand(kCopy, true, [this] {
            copyEntries(*this);
            // What was just copied can be pasted at once.
            bindPasteCommand();
        });
    else
        main->SetMenuCommand(kCopy, false);
    if (rows)
        main->SetMenuCommand(kRefresh, true, [this] { miRefreshClick(); });
    else
        main->SetMenuCommand(kRefresh, false);
}

void TTrainingstagebuch::bindPasteCommand() {
    CommandHost *main = host();
    if (!main || Single || Layout)
        return;
    if (!ReadOnly && pasteEntries && main->PasteObjectCount(kEntryCopyKind) > 0)
        main->SetMenuCommand(kPaste, true, [this] { pasteEntries(*this); });
    else
        main->SetMenuCommand(kPaste, false);
}

void TTrainingstagebuch::dbgTrEnter() {
    bindListCommands();
}

void TTrainingstagebuch::dbgTrExit() {
    if (!ReadOnly) {
        unbindCommand(kCopy);
        unbindCommand(kPaste);
        unbindCommand(kDelete);
    }
    unbindCommand(kRefresh);
}

void TTrainingstagebuch::EntryViewEnter() {
    DetailOnly = true;
    unbindCommand(kCopy);
    unbindCommand(kPaste);
}

void TTrainingstagebuch::EntryViewExit() {
    DetailOnly = false;
    unbindCommand(kPaste);
    CommitEntryView();
}

void TTrainingstagebuch::FormActivate() {
    m_active = true;
    CommandHost *main = host();
    if (!main)
        return;
    main->SetMenuCommand(kClose, true);
    main->SetMenuCommand(kPrint, true);
    if (!m_newEntryLocked && newEntry)
        main->SetMenuCommand(kNewEntry, true, [this] { newEntry(*this); });
    if (exportData)
        main->SetMenuCommand(kExport, true, [this] { exportData(*this); });
    main->SetViewMenus(3);
    if (!DetailOnly)
        bindListCommands();
}

void TTrainingstagebuch::FormDeactivate() {
    m_active = false;
    if (m_view) {
        try {
            // A failed save keeps the typing in the view (the message is shown).
            m_view->commit(false);
        } catch (const VelmoraError &e) {
            Messages::error(e.message());
        }
    }
    // Deleting and refreshing go too: they would act on a window that is
    // no longer the active one.
    for (int command : {kExport, kNewEntry, kPaste, kClose, kPageSetup, kPrint, kPrintChild, kDetail, kOverview, kCopy,
                        kDelete, kRefresh})
        unbindCommand(command);
}

void TTrainingstagebuch::subWindowActivated(QWidget *activeWidget) {
    if (activeWidget == this) {
        if (m_active)
            return;
        // Whoever was active lets go first, so that its unbinding cannot
        // undo what this window binds.
        if (host())
            for (QMdiSubWindow *w : host()->mdiArea()->subWindowList())
                if (auto *other = qobject_cast<TTrainingstagebuch *>(w->widget());
                    other && other != this && other->isActive())
                    other->FormDeactivate();
        FormActivate();
    } else if (m_active) {
        FormDeactivate();
    }
}

// ------------------------------------------------------------ focus, keys, close

void TTrainingstagebuch::focusChanged(QWidget *old, QWidget *now) {
    // Only moves within the window count, as leaving and entering its parts.
    if (m_finished || !inside(this, old) || !inside(this, now))
        return;
    if (inside(tbFilter, old) && !inside(tbFilter, now))
        tbFilterExit();
    if (inside(sbTraining, old) && !inside(sbTraining, now))
        EntryViewExit();
    if (inside(dbgTr, old) && !inside(dbgTr, now))
        dbgTrExit();
    if (inside(dbgTr, now) && !inside(dbgTr, old))
        dbgTrEnter();
    if (inside(sbTraining, now) && !inside(sbTraining, old))
        EntryViewEnter();
}

bool TTrainingstagebuch::eventFilter(QObject *watched, QEvent *event) {
    if (watched == dbgTr && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter || key->key() == Qt::Key_Space) {
            ShowCurrentEntry();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TTrainingstagebuch::closeEvent(QCloseEvent *event) {
    // What is typed is stored before the window goes. When that fails the
    // message has been shown and the window stays open with the entry and
    // the typing, as any editor does; closing the program stops there too.
    if (!m_finished && m_view) {
        if (!storeView()) {
            event->ignore();
            return;
        }
    }
    finish();
    event->accept();
}

void TTrainingstagebuch::finish() {
    if (m_finished)
        return;
    m_finished = true;
    Ready = false;
    const bool layoutKept = Single || Layout;
    if (m_view) {
        EntryView *view = m_view.data();
        m_view = nullptr;
        try {
            view->commit(true);
        } catch (const VelmoraError &e) {
            Messages::error(e.message());
        }
        if (layoutKept && saveLayout) {
            try {
                saveLayout(view);
            } catch (const VelmoraError &e) {
                Messages::error(e.message());
            }
        }
        delete view;
    }
    if (layoutKept) {
        try {
            LoadFormElementCache(m_db, nullptr);
        } catch (const VelmoraError &e) {
            Messages::error(e.message());
        }
    }
    // A window closed while another is active leaves that one's commands alone.
    if (m_active)
        FormDeactivate();
    if (host() && host()->printCursor() == &m_list.cursor())
        host()->SetPrintSource(QString(), nullptr);
    m_list.cursor().close();
}

} // namespace velmora
