#include "app/DocumentList.h"
#include "app/TMainForm.h"
#include "controls/TDBTypeGrid.h"
#include "design/FormElementCache.h"
#include "diary/DiaryListModel.h"
#include "diary/TTrainingstagebuch.h"
#include "store/Cursor.h"
#include "store/Database.h"
#include "store/Query.h"
#include "support/ClubFixture.h"
#include "support/MessageRecorder.h"
#include "support/TempInstallation.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLocale>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTest>
#include <QToolBar>

using namespace velmora;
using velmora::test::ClubFixture;
using velmora::test::MessageRecorder;
using velmora::test::TempInstallation;

namespace {

// What the diary did to its entry views.
struct ViewLog {
    QList<EntryViewParams> created;
    QList<int> reKeyed;  // TrNr
    QList<bool> commits; // the freeing argument
    int builds = 0;
    bool headerChanged = false; // what the next commit reports
};

class FakeEntryView : public EntryView {
public:
    FakeEntryView(QWidget *parent, const EntryViewParams &p, ViewLog &log)
        : EntryView(parent), m_params(p), m_log(log) {
        setFocusPolicy(Qt::StrongFocus);
    }
    void build() override { ++m_log.builds; }
    void reKey(int serienNr, int trNr, bool readOnly, int person) override {
        m_params.serienNr = serienNr;
        m_params.trNr = trNr;
        m_params.readOnly = readOnly;
        m_params.person = person;
        m_log.reKeyed << trNr;
    }
    bool commit(bool freeing) override {
        m_log.commits << freeing;
        return std::exchange(m_log.headerChanged, false);
    }
    const EntryViewParams &params() const override { return m_params; }

private:
    EntryViewParams m_params;
    ViewLog &m_log;
};

QString shortDate(const QDate &d) {
    return QLocale(QLocale::German, QLocale::Germany).toString(d, QLocale::ShortFormat);
}

} // namespace

class TestTTrainingstagebuch : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void captionAndRows_data();
    void captionAndRows();
    void levelAndKindMenus_data();
    void levelAndKindMenus();
    void savedFilterAndNone();
    void sameFilterNamesApplyTheChosenOne();
    void relativeFilterDates();
    void untickedPickersGiveNoDateLine();
    void listColumnsShowWhatTheyHold();
    void readOnlyMark();
    void entryViewPerForm();
    void leavingTheEntryViewRefindsAChangedEntry();
    void commandsFollowActivation_data();
    void commandsFollowActivation();
    void activeDiaryOwnsTheCommands();
    void singleEntryMode();
    void printSource();
    void closing_data();
    void closing();
    void filterLinesThatAreNoNumbersAreSkipped_data();
    void filterLinesThatAreNoNumbersAreSkipped();
    void deletionSelectionWithoutFormOrPersonIsEmpty();

private:
    TTrainingstagebuch *open(int kind, int person, const QString &name, bool single = false, const QDate &from = {},
                             const QDate &to = {}, bool layout = false);
    int trNrOf(const QString &text);
    QStringList listedTexts(TTrainingstagebuch *w);
    void showAndFocus(TTrainingstagebuch *w);
    Database &db() { return m_inst->db(); }

    std::unique_ptr<TempInstallation> m_inst;
    std::unique_ptr<ClubFixture> m_club;
    std::unique_ptr<MessageRecorder> m_messages;
    std::unique_ptr<TMainForm> m_main;
    QList<QPointer<TTrainingstagebuch>> m_windows;
    ViewLog m_log;
};

void TestTTrainingstagebuch::init() {
    m_inst = std::make_unique<TempInstallation>(1);
    m_club = std::make_unique<ClubFixture>(db());
    RebuildDocumentList(db(), nullptr, ClubFixture::kCoach, ClubFixture::kJugend);
    m_messages = std::make_unique<MessageRecorder>();
    m_main = std::make_unique<TMainForm>();
    m_main->LoginPersonNr = ClubFixture::kCoach;
    m_main->LoginGruppenNr = ClubFixture::kJugend;
    m_log = ViewLog();
}

void TestTTrainingstagebuch::cleanup() {
    for (const QPointer<TTrainingstagebuch> &w : m_windows)
        delete w.data();
    m_windows.clear();
    m_main.reset();
    m_messages.reset();
    m_club.reset();
    m_inst.reset();
}

TTrainingstagebuch *TestTTrainingstagebuch::open(int kind, int person, const QString &name, bool single,
                                                 const QDate &from, const QDate &to, bool layout) {
    auto *w = new TTrainingstagebuch(m_main.get(), db());
    m_windows << w;
    w->KindCode = kind;
    w->PersonNr = person;
    w->Name = name;
    w->GruppenNr = ClubFixture::kJugend;
    w->TrainerNr = ClubFixture::kCoach;
    w->Layout = layout;
    w->entryViewFactory = [this](QWidget *parent, const EntryViewParams &p) -> EntryView * {
        m_log.created << p;
        return new FakeEntryView(parent, p, m_log);
    };
    w->initialise(single, from, to);
    return w;
}

int TestTTrainingstagebuch::trNrOf(const QString &text) {
    Query q(db(), QStringLiteral("select TrNr from TR where Beschreibung = :t"));
    q.setParam(QStringLiteral("t"), text);
    q.open();
    return q.recordCount() == 1 ? q.value(0).toInt() : -1;
}

QStringList TestTTrainingstagebuch::listedTexts(TTrainingstagebuch *w) {
    QStringList texts;
    const int column = w->quTr->columnOfField(QStringLiteral("Beschreibung"));
    for (int r = 0; r < w->quTr->rowCount(); ++r)
        texts << w->quTr->index(r, column).data().toString();
    return texts;
}

void TestTTrainingstagebuch::showAndFocus(TTrainingstagebuch *w) {
    w->show();
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w));
}

void TestTTrainingstagebuch::captionAndRows_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<QDate>("from");
    QTest::addColumn<QDate>("to");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QStringList>("texts");
    QTest::newRow("plans of Anna") << 3 << QDate() << QDate() << "SOLL (Plan) von Anna Berg [-] "
                                   << QStringList{"Plan Montag"};
    QTest::newRow("protocols from a date")
        << 2 << QDate(2026, 1, 7) << QDate() << "IST (Protokoll) von Anna Berg [07.01.26-] "
        << QStringList{"Intervalle", "Langer Lauf"};
    QTest::newRow("protocols up to a date")
        << 2 << QDate() << QDate(2026, 1, 7) << "IST (Protokoll) von Anna Berg [-07.01.26] "
        << QStringList{"Grundlage", "Intervalle"};
    QTest::newRow("week protocols, both dates")
        << 12 << QDate(2026, 1, 5) << QDate(2026, 1, 11) << "IST (Protokoll) von Anna Berg [05.01.26-11.01.26]  WOCHE"
        << QStringList{};
}

void TestTTrainingstagebuch::captionAndRows() {
    QFETCH(int, kind);
    QFETCH(QDate, from);
    QFETCH(QDate, to);
    QFETCH(QString, caption);
    QFETCH(QStringList, texts);
    TTrainingstagebuch *w = open(kind, ClubFixture::kAnna, QStringLiteral("Anna Berg"), false, from, to);
    QCOMPARE(w->windowTitle(), caption);
    QCOMPARE(listedTexts(w), texts);
    QCOMPARE(w->cbxVon1->isChecked(), from.isValid());
    QCOMPARE(w->cbxBis1->isChecked(), to.isValid());
    // An unticked picker offers the opened range, or today; never 30.12.1899.
    const QDate today = QDate::currentDate();
    QCOMPARE(w->txtVon1->date(), from.isValid() ? from : to.isValid() ? to : today);
    QCOMPARE(w->txtBis1->date(), to.isValid() ? to : from.isValid() ? from : today);
    QVERIFY(m_messages->entries().isEmpty());
    QVERIFY(w->Ready);
    QVERIFY(!w->tbFilter->isHidden());
    // Right after opening the right-hand side stays empty.
    QVERIFY(m_log.created.isEmpty());
    QVERIFY(!w->entryView());
    QVERIFY(w->quTr->columnOfField(QStringLiteral("PersonNr")) < 0);
    QVERIFY(m_messages->entries().isEmpty());
}

void TestTTrainingstagebuch::levelAndKindMenus_data() {
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("rows");
    QTest::newRow("week") << QStringList{"miWoche"} << 12 << "IST (Protokoll) von Anna Berg [-]  WOCHE" << 0;
    QTest::newRow("cycle") << QStringList{"miZyklus"} << 22 << "IST (Protokoll) von Anna Berg [-]  ZYKLUS" << 0;
    QTest::newRow("cycle plan") << QStringList{"miZyklus", "miSoll"} << 23 << "SOLL (Plan) von Anna Berg [-]  ZYKLUS"
                                << 0;
    QTest::newRow("back to day plans") << QStringList{"miWoche", "miSoll", "miDetails"} << 3
                                       << "SOLL (Plan) von Anna Berg [-] " << 1;
    QTest::newRow("ticked item changes nothing")
        << QStringList{"miIst", "miDetails"} << 2 << "IST (Protokoll) von Anna Berg [-] " << 3;
}

void TestTTrainingstagebuch::levelAndKindMenus() {
    QFETCH(QStringList, items);
    QFETCH(int, kind);
    QFETCH(QString, caption);
    QFETCH(int, rows);
    TTrainingstagebuch *w = open(2, ClubFixture::kAnna, QStringLiteral("Anna Berg"));
    for (const QString &name : items) {
        QAction *item = w->findChild<QAction *>(name);
        QVERIFY2(item, qPrintable(name));
        item->trigger();
        QVERIFY(item->isChecked());
    }
    QCOMPARE(w->KindCode, kind);
    QCOMPARE(w->windowTitle(), caption);
    QCOMPARE(w->quTr->rowCount(), rows);
    QCOMPARE(w->miWoche->isChecked(), kind / 10 == 1);
    QCOMPARE(w->miZyklus->isChecked(), kind / 10 == 2);
    QCOMPARE(w->miDetails->isChecked(), kind / 10 == 0);
    QCOMPARE(w->miSoll->isChecked(), kind % 10 == 3);
}

void TestTTrainingstagebuch::savedFilterAndNone() {
    TTrainingstagebuch *w = open(2, ClubFixture::kAnna, QStringLiteral("Anna Berg"));
    QCOMPARE(w->cbxFilter->count(), 2);
    QCOMPARE(w->cbxFilter->itemText(0), QStringLiteral("(kein Filter)"));
    QCOMPARE(w->cbxFilter->itemText(1), QStringLiteral("Ausdauer"));
    showAndFocus(w);
    // The user picks the first saved filter and leaves the tool bar.
    w->cbxFilter->setFocus();
    QTRY_VERIFY(w->cbxFilter->hasFocus());
    w->cbxFilter->setCurrentIndex(1);
    Q_EMIT w->cbxFilter->activated(1);
    QVERIFY(w->FilterChanged);
    QCOMPARE(w->windowTitle(), QStringLiteral("IST (Protokoll) von Anna Berg [-] ")); // not yet rebuilt
    w->dbgTr->setFocus();
    QTRY_VERIFY(w->dbgTr->hasFocus());
    QCOMPARE(w->FilterNr, ClubFixture::kFilter);
    QVERIFY(!w->FilterChanged);
    QVERIFY(w->SeveralPersons);
    QCOMPARE(w->windowTitle(), QStringLiteral("IST (Protokoll) [Ausdauer][-] "));
    QVERIFY(w->quTr->columnOfField(QStringLiteral("PersonNr")) >= 0);
    QCOMPARE(w->quTr->headerData(w->quTr->columnOfField(QStringLiteral("PersonNr")), Qt::Horizontal).toString(),
             QStringLiteral("für Person"));
    QCOMPARE(w->SelectionLines.first(), QStringLiteral("((tr.AutorNr = %1)) and").arg(ClubFixture::kCoach));
    QCOMPARE(listedTexts(w), (QStringList{"Grundlage", "Intervalle", "Langer Lauf"}));

    // "(kein Filter)" applies none.
    w->cbxFilter->setFocus();
    QTRY_VERIFY(w->cbxFilter->hasFocus());
    w->cbxFilter->setCurrentIndex(0);
    Q_EMIT w->cbxFilter->activated(0);
    w->dbgTr->setFocus();
    QTRY_VERIFY(w->dbgTr->hasFocus());
    QCOMPARE(w->FilterNr, 0);
    QVERIFY(!w->SeveralPersons);
    QCOMPARE(w->windowTitle(), QStringLiteral("IST (Protokoll) von Anna Berg [-] "));
    QVERIFY(w->quTr->columnOfField(QStringLiteral("PersonNr")) < 0);
    QCOMPARE(w->SelectionLines, QStringList{QStringLiteral("(tr.PersonNr = %1)").arg(ClubFixture::kAnna)});
}

void TestTTrainingstagebuch::sameFilterNamesApplyTheChosenOne() {
    const int second = ClubFixture::kBase + 2;
    Cursor f(db(), QStringLiteral("FILTER"));
    f.open();
    f.append();
    f.setValue(QStringLiteral("FilterNr"), second);
    f.setValue(QStringLiteral("Name"), QStringLiteral("Ausdauer"));
    f.setValue(QStringLiteral("PersonNr"), ClubFixture::kCoach);
    f.setValue(QStringLiteral("Art"), 2);
    f.setValue(QStringLiteral("Personen"), QString::number(ClubFixture::kPaul));
    f.post();
    RebuildDocumentList(db(), nullptr, ClubFixture::kCoach, ClubFixture::kJugend);
    TTrainingstagebuch *w = open(2, ClubFixture::kAnna, QStringLiteral("Anna Berg"));
    QCOMPARE(w->cbxFilter->count(), 3);
    w->cbxFilter->setCurrentIndex(2);
    w->cbxFilterChange(2);
    w->tbFilterExit();
    QCOMPARE(w->FilterNr, second);
    QCOMPARE(listedTexts(w), QStringList{"Paul läuft"});
    // Paul wrote that entry, and the rebuilt list shows it at once.
    QCOMPARE(w->windowTitle(), QStringLiteral("IST (Protokoll) von Anna Berg [Ausdauer][-]  r/o"));
}

void TestTTrainingstagebuch::relativeFilterDates() {
    Statement st(db(),
                 QStringLiteral("UPDATE \"FILTER\" SET Relativ = 1, Von = -14, Bis = 0, Art = 3 WHERE FilterNr = ?"));
    st.bind(1, ClubFixture::kFilter);
    st.step();
    TTrainingstagebuch *w = open(2, ClubFixture::kAnna, QStringLiteral("Anna Berg"));
    w->cbxFilter->setCurrentIndex(1);
    w->cbxFilterChange(1);
    const QDate today = QDate::currentDate();
    QCOMPARE(w->txtVon1->date(), today.addDays(-14));
    QCOMPARE(w->txtBis1->date(), today);
    QCOMPARE(w->KindCode, 3);
    // The ticks stay as they were.
    QVERIFY(!w->cbxVon1->isChecked());
    QVERIFY(!w->cbxBis1->isChecked());
    w->cbxVon1->setChecked(true);
    w->cbxBis1->setChecked(true);
    w->tbFilterExit();
    QCOMPARE(w->windowTitle(),
             QStringLiteral("SOLL (Plan) [Ausdauer][%1-%2] ").arg(shortDate(today.addDays(-14)), shortDate(today)));
}

void TestTTrainingstagebuch::untickedPickersGiveNoDateLine() {
    TTrainingstagebuch *w =
        open(2, ClubFixture::kAnna, QStringLiteral("Anna Berg"), false, QDate(2026, 1, 7), QDate(2026, 1, 7));
    QCOMPARE(w->SelectionLines.size(), 3);
    QCOMPARE(w->quTr->rowCount(), 1);
    w->cbxVon1->setChecked(false);
    w->cbxBis1->setChecked(false);
    QVERIFY(w->FilterChanged);
    w->tbFilterExit();
    QCOMPARE(w->windowTitle(), QStringLiteral("IST (Protokoll) von Anna Berg [-] "));
    QCOMPARE(w->SelectionLines, QStringList{QStringLiteral("(tr.PersonNr = %1)").arg(ClubFixture::kAnna)});
    QCOMPARE(w->quTr->rowCount(), 3);
}

// Weekday, date and author are never cut to "…", and the list pane shows
// every column up to the description.
void TestTTrainingstagebuch::listColumnsShowWhatTheyHold() {
    TTrainingstagebuch *w = open(2, ClubFixture::kAnna, QStringLiteral("Anna Berg"));
    w->resize(1000, 500);
    showAndFocus(w);
    TDBTypeGrid *grid = w->dbgTr;
    const QFontMetrics fm = grid->fontMetrics();
    QVERIFY(w->quTr->rowCount() > 0);
    for (const char *field : {"Woche", "Wochentag", "Datum", "AutorNr"}) {
        const int c = w->quTr->columnOfField(QString::fromLatin1(field));
        QVERIFY2(c >= 0, field);
        int needed = fm.horizontalAdvance(w->quTr->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString());
        for (int r = 0; r < w->quTr->rowCount(); ++r)
            needed = std::max(needed, fm.horizontalAdvance(w->quTr->index(r, c).data().toString()));
        QVERIFY2(grid->columnWidth(c) >= needed + 6,
                 qPrintable(QStringLiteral("%1: %2 < %3").arg(field).arg(grid->columnWidth(c)).arg(needed + 6)));
    }
    const int description = w->quTr->columnOfField(QStringLiteral("Beschreibung"));
    QVERIFY(grid->columnViewportPosition(description) + 50 < grid->viewport()->width());
    QVERIFY(w->pnlList->width() >= std::min(grid->contentsWidthHint(), 640));
}

void TestTTrainingstagebuch::readOnlyMark() {
    m_club->addEntry(ClubFixture::kAnna, 2, QDateTime(QDate(2026, 1, 9), QTime(9, 0)), QStringLiteral("Von Paul"),
                     ClubFixture::kPaul);
    TTrainingstagebuch *w = open(2, ClubFixture::kAnna, QStringLiteral("Anna Berg"));
    const QString title = QStringLiteral("IST (Protokoll) von Anna Berg [-] ");
    QCOMPARE(listedTexts(w), (QStringList{"Grundlage", "Intervalle", "Von Paul", "Langer Lauf"}));
    w->dbgTr->setCurrentIndex(w->quTr->index(2, 0));
    QCOMPARE(w->listCursor().recNo(), 2);
    QVERIFY(w->ReadOnly);
    QCOMPARE(w->windowTitle(), title + QStringLiteral(" r/o"));
    QVERIFY(m_log.created.last().readOnly);
    w->ShowCurrentEntry();
    QCOMPARE(w->windowTitle(), title + QStringLiteral(" r/o"));
    w->dbgTr->setCurrentIndex(w->quTr->index(1, 0));
    QVERIFY(!w->ReadOnly);
    QCOMPARE(w->windowTitle(), title);
    // A rebuild that lands on the other author's entry keeps the mark on the new caption.
    w->dbgTr->setCurrentIndex(w->quTr->index(2, 0));
    w->cbxBis1->setChecked(true);
    w->txtBis1->setDate(QDate(2026, 1, 9));
    w->tbFilterExit();
    QCOMPARE(w->listCursor().asString(QStringLiteral("Beschreibung")), QStringLiteral("Von Paul"));
    QCOMPARE(w->windowTitle(), QStringLiteral("IST (Protokoll) von Anna Berg [-09.01.26]  r/o"));
}

void TestTTrainingstagebuch::entryViewPerForm() {
    const int other = m_club->addEntry(ClubFixture::kAnna, 2, QDateTime(QDate(2026, 1, 8), QTime(0, 0)),
                                       QStringLiteral("Anderes Formular"), ClubFixture::kCoach, ClubFixture::kForm + 1);
    TTrainingstagebuch *w = open(2, ClubFixture::kAnna, QStringLiteral("Anna Berg"));
    QCOMPARE(listedTexts(w), (QStringList{"Grundlage", "Intervalle", "Anderes Formular", "Langer Lauf"}));
    w->listCursor().first();
    QCOMPARE(m_log.created.size(), 1);
    const EntryViewParams p = m_log.created.first();
    QCOMPARE(p.serienNr, ClubFixture::kSerial);
    QCOMPARE(p.trNr, trNrOf(QStringLiteral("Grundlage")));
    QCOMPARE(p.formularNr, ClubFixture::kForm);
    QCOMPARE(p.person, ClubFixture::kAnna);
    QCOMPARE(p.user, ClubFixture::kCoach);
    QCOMPARE(p.kindCode, 2);
    QVERIFY(!p.readOnly && !p.single && !p.layout);
    QCOMPARE(m_log.builds, 1);
    QPointer<EntryView> first = w->entryView();
    QVERIFY(first);
    QVERIFY(w->sbTraining->isAncestorOf(first));

    // Same form: re-keyed after a commit, not rebuilt.
    w->listCursor().next();
    QCOMPARE(m_log.created.size(), 1);
    QCOMPARE(m_log.reKeyed, QList<int>{trNrOf(QStringLiteral("Intervalle"))});
    QCOMPARE(m_log.commits, QList<bool>{false});
    QCOMPARE(w->entryView(), first.data());

    // Another form: the old view is committed and freed, a new one built.
    w->listCursor().next();
    QCOMPARE(m_log.created.size(), 2);
    QCOMPARE(m_log.created.last().trNr, other);
    QCOMPARE(m_log.created.last().formularNr, ClubFixture::kForm + 1);
    QCOMPARE(m_log.commits.last(), true);
    QVERIFY(!first);

    w->listCursor().next();
    QCOMPARE(m_log.created.size(), 3);
    QCOMPARE(m_log.reKeyed.size(), 1);
}

void TestTTrainingstagebuch::leavingTheEntryViewRefindsAChangedEntry() {
    TTrainingstagebuch *w = open(2, ClubFixture::kAnna, QStringLiteral("Anna Berg"));
    showAndFocus(w);
    w->dbgTr->setFocus();
    QTRY_VERIFY(w->dbgTr->hasFocus());
    w->dbgTr->setCurrentIndex(w->quTr->index(0, 0));
    QTest::keyClick(w->dbgTr, Qt::Key_Return);
    QVERIFY(w->entryView());
    QTRY_VERIFY(w->entryView()->hasFocus());
    QVERIFY(w->DetailOnly);
    // The entry's date was changed in its header block.
    db().execLocal(QStringLiteral("update TR set Datum = :d where TrNr = :t"),
                   {{QStringLiteral("d"), QDateTime(QDate(2026, 1, 10), QTime(0, 0))},
                    {QStringLiteral("t"), trNrOf(QStringLiteral("Grundlage"))}});
    m_log.headerChanged = true;
    const int created = m_log.created.size();
    w->dbgTr->setFocus();
    QTRY_VERIFY(w->dbgTr->hasFocus());
    QVERIFY(!w->DetailOnly);
    QCOMPARE(listedTexts(w), (QStringList{"Intervalle", "Grundlage", "Langer Lauf"}));
    QCOMPARE(w->listCursor().recNo(), 1);
    QCOMPARE(m_log.created.size(), created);
    QVERIFY(w->Ready);
    QVERIFY(w->pnlList->isVisible());
}

void TestTTrainingstagebuch::commandsFollowActivation_data() {
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<bool>("hooks");
    QTest::newRow("editable, operations connected") << false << true;
    QTest::newRow("read-only, operations connected") << true << true;
    QTest::newRow("operations not yet connected") << false << false;
}

void TestTTrainingstagebuch::commandsFollowActivation() {
    QFETCH(bool, readOnly);
    QFETCH(bool, hooks);
    auto *w = new TTrainingstagebuch(m_main.get(), db());
    m_windows << w;
    w->KindCode = 2;
    w->PersonNr = ClubFixture::kAnna;
    w->Name = QStringLiteral("Anna Berg");
    w->ReadOnly = readOnly;
    int newEntries = 0;
    if (hooks) {
        w->newEntry = [&](TTrainingstagebuch &) { ++newEntries; };
        w->deleteEntry = w->copyEntries = w->pasteEntries = w->exportData = [](TTrainingstagebuch &) {};
    }
    w->initialise(false);
    auto enabled = [this](const char *name) { return m_main->action(QString::fromLatin1(name))->isEnabled(); };
    QVERIFY(enabled("miClose2"));
    QVERIFY(enabled("miPrint1"));
    QVERIFY(enabled("miPage1"));
    QVERIFY(enabled("miRefresh1"));
    QCOMPARE(enabled("miPaste2"), hooks && !readOnly);
    QCOMPARE(enabled("miExport0"), hooks);
    QCOMPARE(enabled("miDel1"), hooks && !readOnly);
    QCOMPARE(enabled("miCopy1"), hooks);
    QVERIFY(!enabled("miPaste1")); // nothing copied yet
    QVERIFY(m_main->action(QStringLiteral("miDetail1"))->isVisible());
    if (hooks && !readOnly) {
        m_main->action(QStringLiteral("miPaste2"))->trigger();
        QCOMPARE(newEntries, 1);
    }
    w->FormDeactivate();
    for (const char *name : {"miClose2", "miPrint1", "miPage1", "miRefresh1", "miPaste2", "miExport0", "miDel1",
                             "miCopy1", "miPaste1", "miDetail1", "miOverview1"})
        QVERIFY2(!enabled(name), name);
    w->FormActivate();
    QVERIFY(enabled("miClose2"));
    QCOMPARE(enabled("miPaste2"), hooks && !readOnly);
}

void TestTTrainingstagebuch::activeDiaryOwnsTheCommands() {
    QList<TTrainingstagebuch *> called;
    auto make = [&](int person, const QString &name) {
        auto *w = new TTrainingstagebuch(m_main.get(), db());
        m_windows << w;
        w->KindCode = 2;
        w->PersonNr = person;
        w->Name = name;
        w->newEntry = [&called](TTrainingstagebuch &d) { called << &d; };
        m_main->mdiArea()->addSubWindow(w);
        w->initialise(false);
        return w;
    };
    TTrainingstagebuch *anna = make(ClubFixture::kAnna, QStringLiteral("Anna Berg"));
    TTrainingstagebuch *paul = make(ClubFixture::kPaul, QStringLiteral("Paul Meier"));
    m_main->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_main.get()));
    QAction *newEntry = m_main->action(QStringLiteral("miPaste2"));
    for (TTrainingstagebuch *w : {anna, paul, anna}) {
        m_main->mdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow *>(w->parentWidget()));
        QVERIFY(w->isActive());
        QVERIFY((w == anna ? paul : anna)->isActive() == false);
        QVERIFY(newEntry->isEnabled());
        newEntry->trigger();
        QCOMPARE(called.last(), w);
    }
    // Closing the inactive window leaves the active one's commands bound.
    QVERIFY(anna->isActive());
    paul->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(newEntry->isEnabled());
    newEntry->trigger();
    QCOMPARE(called.last(), anna);
    QCOMPARE(called.size(), 4);
}

void TestTTrainingstagebuch::singleEntryMode() {
    const int trNr = trNrOf(QStringLiteral("Intervalle"));
    auto *w = new TTrainingstagebuch(m_main.get(), db());
    m_windows << w;
    w->KindCode = 1;
    w->SerienNr = ClubFixture::kSerial;
    w->TrNr = trNr;
    w->PersonNr = ClubFixture::kCoach;
    w->Name = QStringLiteral("Formular \"Laufprotokoll\" vorausfüllen");
    w->newEntry = [](TTrainingstagebuch &) {};
    w->entryViewFactory = [this](QWidget *parent, const EntryViewParams &p) -> EntryView * {
        m_log.created << p;
        return new FakeEntryView(parent, p, m_log);
    };
    w->initialise(true);
    QCOMPARE(w->windowTitle(), w->Name);
    QCOMPARE(w->listCursor().recordCount(), 1);
    QCOMPARE(w->listCursor().asInt(QStringLiteral("TrNr")), trNr);
    QVERIFY(w->DetailOnly);
    QVERIFY(w->tbFilter->isHidden());
    QVERIFY(w->pnlList->isHidden());
    QCOMPARE(m_log.created.size(), 1);
    QCOMPARE(m_log.created.first().trNr, trNr);
    QVERIFY(m_log.created.first().single);
    QVERIFY(!m_log.created.first().readOnly);
    QVERIFY(!m_main->action(QStringLiteral("miPaste2"))->isEnabled());
    QVERIFY(!m_main->action(QStringLiteral("miDel1"))->isEnabled());
    QCOMPARE(m_main->printTitle(), w->Name);
}

void TestTTrainingstagebuch::printSource() {
    TTrainingstagebuch *w = open(2, ClubFixture::kAnna, QStringLiteral("Anna Berg"));
    QCOMPARE(m_main->printTitle(), QStringLiteral("IST (Protokoll) von Anna Berg [-] "));
    QCOMPARE(m_main->printCursor(), &w->listCursor());
    QCOMPARE(m_main->printCursor()->recordCount(), 3);
    w->miWoche->trigger();
    QCOMPARE(m_main->printTitle(), QStringLiteral("IST (Protokoll) von Anna Berg [-]  WOCHE"));
    QCOMPARE(m_main->printCursor()->recordCount(), 0);
    delete w;
    QVERIFY(!m_main->printCursor());
}

void TestTTrainingstagebuch::closing_data() {
    QTest::addColumn<bool>("single");
    QTest::addColumn<bool>("layout");
    QTest::addColumn<bool>("layoutSaved");
    QTest::newRow("layout mode") << true << true << true;
    QTest::newRow("single-entry mode") << true << false << true;
    QTest::newRow("list mode") << false << false << false;
}

void TestTTrainingstagebuch::closing() {
    QFETCH(bool, single);
    QFETCH(bool, layout);
    QFETCH(bool, layoutSaved);
    FormElementCache().Clear();
    QCOMPARE(FormElementCache().Count(), 0);
    auto *w = new TTrainingstagebuch(m_main.get(), db());
    QPointer<TTrainingstagebuch> guard(w);
    m_windows << w;
    w->KindCode = single ? 1 : 2;
    w->PersonNr = ClubFixture::kAnna;
    w->SerienNr = ClubFixture::kSerial;
    w->TrNr = trNrOf(QStringLiteral("Grundlage"));
    w->Layout = layout;
    w->Name = QStringLiteral("Layout festlegen");
    w->entryViewFactory = [this](QWidget *parent, const EntryViewParams &p) -> EntryView * {
        m_log.created << p;
        return new FakeEntryView(parent, p, m_log);
    };
    QList<int> saved;
    w->saveLayout = [&saved, this](EntryView *view) {
        saved << view->params().trNr;
        QCOMPARE(FormElementCache().Count(), 0); // reloaded only afterwards
    };
    w->initialise(single);
    if (!single)
        w->ShowCurrentEntry();
    QVERIFY(w->entryView());
    QPointer<EntryView> view = w->entryView();
    m_log.commits.clear();
    w->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!guard);
    QVERIFY(!view);
    // What is typed is stored first, while the close can still be refused;
    // then the view is freed.
    QCOMPARE(m_log.commits, (QList<bool>{false, true}));
    QList<int> expected;
    if (layoutSaved)
        expected << trNrOf(QStringLiteral("Grundlage"));
    QCOMPARE(saved, expected);
    QCOMPARE(FormElementCache().Count() > 0, layoutSaved);
    QVERIFY(!m_main->action(QStringLiteral("miClose2"))->isEnabled());
}

void TestTTrainingstagebuch::filterLinesThatAreNoNumbersAreSkipped_data() {
    QTest::addColumn<QString>("personen");
    QTest::addColumn<QStringList>("texts");
    // Anna's entries only: the damaged line must not open the list to every person.
    QTest::newRow("a condition smuggled in") << QStringLiteral("%1\r0) or (1 = 1").arg(ClubFixture::kAnna)
                                             << QStringList{"Grundlage", "Intervalle", "Langer Lauf"};
    QTest::newRow("a name instead of a number")
        << QStringLiteral("Anna\r%1").arg(ClubFixture::kAnna) << QStringList{"Grundlage", "Intervalle", "Langer Lauf"};
}

void TestTTrainingstagebuch::filterLinesThatAreNoNumbersAreSkipped() {
    QFETCH(QString, personen);
    QFETCH(QStringList, texts);
    Statement st(db(), QStringLiteral("UPDATE \"FILTER\" SET Personen = ? WHERE FilterNr = ?"));
    st.bind(1, personen);
    st.bind(2, ClubFixture::kFilter);
    st.step();
    TTrainingstagebuch *w = open(2, ClubFixture::kAnna, QStringLiteral("Anna Berg"));
    w->cbxFilter->setCurrentIndex(1);
    w->cbxFilterChange(1);
    w->tbFilterExit();
    QVERIFY(m_messages->entries().isEmpty());
    QCOMPARE(listedTexts(w), texts);
    QVERIFY(!w->SeveralPersons); // one person left
    for (const QString &line : w->SelectionLines)
        QVERIFY2(!line.contains(QLatin1String("1 = 1")) && !line.contains(QLatin1String("Anna")), qPrintable(line));
    QVERIFY(!w->Busy);
}

// The deletion selection without a form and without a person selects
// nothing, never every entry.
void TestTTrainingstagebuch::deletionSelectionWithoutFormOrPersonIsEmpty() {
    auto *w = new TTrainingstagebuch(m_main.get(), db());
    m_windows << w;
    w->Deletion = true;
    w->FormularNr = 0;
    w->PersonNr = 0;
    w->RebuildList();
    QVERIFY(m_messages->entries().isEmpty());
    QVERIFY(w->listCursor().isOpen());
    QCOMPARE(w->listCursor().recordCount(), 0);
    w->FormularNr = ClubFixture::kForm;
    w->RebuildList();
    QCOMPARE(w->listCursor().recordCount(), 6); // the form's own row and its five entries
}

QTEST_MAIN(TestTTrainingstagebuch)
#include "tst_ttrainingstagebuch.moc"
