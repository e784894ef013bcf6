// A coach's first week, through the real windows: two blocks (a card with an
// index field and a grid), a form with pick-list values, its default values,
// three protocols made from the blank form and edited (a typed field, a
// pick-list value, a grid cell), pasted as plans one week later, a plan made
// and deleted, a filter for that week applied in the diary. The diary is
// driven through the main window's commands and keys throughout.
#include "app/DocumentList.h"
#include "app/TMainForm.h"
#include "base/Settings.h"
#include "controls/DBControls.h"
#include "controls/TDBTypeGrid.h"
#include "design/FormElementCache.h"
#include "design/TFFieldEditor.h"
#include "design/TIndexValues.h"
#include "design/TTrFieldEditor.h"
#include "design/TTrKz.h"
#include "design/TTrTable.h"
#include "diary/DiaryListModel.h"
#include "diary/TPasteMove.h"
#include "diary/TSucheTr.h"
#include "diary/TTrainingseintrag.h"
#include "diary/TTrainingselement.h"
#include "diary/TTrainingstagebuch.h"
#include "people/TFilter.h"
#include "store/Cursor.h"
#include "store/Keys.h"
#include "store/Query.h"
#include "support/Controls.h"
#include "support/MessageRecorder.h"
#include "support/TempInstallation.h"
#include "support/WhenShown.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>

using namespace velmora;
using velmora::test::control;
using velmora::test::MessageRecorder;
using velmora::test::TempInstallation;
using velmora::test::type;
using velmora::test::whenShown;

namespace {
// Typing into a bound editor starts with the focus on it.
void typeFocused(QWidget &w, const char *name, const QString &text) {
    control<QLineEdit>(w, name)->setFocus();
    type(w, name, text);
}

void field(TTrFieldEditor &ed, const QString &name, const char *choice, const QString &low = {},
           const QString &high = {}) {
    type(ed, "dbfFeldname", name);
    type(ed, "dbfBeschreibung", name);
    ed.btnNextClick();
    control<QRadioButton>(ed, choice)->click();
    ed.btnNextClick();
    if (!low.isEmpty()) {
        control<QLineEdit>(ed, "txtKleinsterWert")->setText(low);
        control<QLineEdit>(ed, "txtGroessterWert")->setText(high);
    }
    ed.btnOkClick();
}

void designBlock(TMainForm &form, const QString &name, bool grid, const std::function<void(TTrTable &)> &fields) {
    whenShown<TTrTable>([=](TTrTable &t) {
        type(t, "dbfName", name);
        t.btnNextClick();
        if (grid)
            control<QRadioButton>(t, "rbtGrid")->click();
        t.btnNextClick();
        fields(t);
        control<QCheckBox>(t, "cbxLayout")->setChecked(false);
        t.btnOkClick();
    });
    form.miTable1Click();
}

bool select(QListWidget *list, const QString &text) {
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->text() == text) {
            list->setCurrentRow(i);
            return true;
        }
    return false;
}

int count(Database &db, const QString &sql) {
    Query q(db, sql);
    q.open();
    return q.value(0).toInt();
}

TTrainingstagebuch *activeDiary(TMainForm &form) {
    QMdiSubWindow *w = form.mdiArea()->subWindowList().isEmpty() ? nullptr : form.mdiArea()->subWindowList().last();
    return w ? qobject_cast<TTrainingstagebuch *>(w->widget()) : nullptr;
}

void focus(QWidget *w) {
    // A modal dialog that just closed may have left the frame inactive.
    if (!w->window()->isActiveWindow()) {
        w->window()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w->window()));
    }
    w->setFocus(Qt::OtherFocusReason);
    QTRY_VERIFY(w->hasFocus());
}

// A key as the coach presses it, into the widget that has the focus.
void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QWidget *target = QApplication::focusWidget();
    QVERIFY(target);
    QTest::keyClick(target, Qt::Key(key), modifiers);
}

// A diary of Anna's opened in the frame, active, its list focused.
TTrainingstagebuch *openDiary(TMainForm &form, int person, int kind) {
    TTrainingstagebuch *d = form.CreateDiary();
    d->PersonNr = person;
    d->Name = QStringLiteral("Berg Anna");
    d->KindCode = kind;
    d->initialise(false);
    d->show();
    form.mdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow *>(d->parentWidget()));
    if (!d->isActive())
        return nullptr;
    return d;
}

int listedTrNr(TTrainingstagebuch &d) {
    return d.listCursor().asInt(QStringLiteral("TrNr"));
}

int shownTrNr(TTrainingstagebuch &d) {
    return d.entryView() ? d.entryView()->params().trNr : -1;
}

// The grid of a block in the shown entry view.
TDBTypeGrid *gridOf(TTrainingstagebuch &diary, int table) {
    if (auto *view = qobject_cast<TTrainingseintrag *>(diary.entryView()))
        for (TTrainingselement *p : view->panels())
            if (p->tableNr() == table)
                return p->grid();
    return nullptr;
}

// The pick-list control of a field of the form in the shown entry view.
TDBLookupComboBox *pickList(TTrainingstagebuch &diary, int form, int table, int feld) {
    for (TTREListEntry *e : FormElementCache().BlockElements(form, table))
        if (e->FeldNr == feld)
            return diary.entryView()->findChild<TDBLookupComboBox *>(QStringLiteral("F") + e->Name);
    return nullptr;
}

// The edit of a field of the form in the shown entry view.
QLineEdit *fieldEdit(TTrainingstagebuch &diary, int form, int table, int feld) {
    for (TTREListEntry *e : FormElementCache().BlockElements(form, table))
        if (e->FeldNr == feld)
            return diary.entryView()->findChild<QLineEdit *>(QStringLiteral("F") + e->Name);
    return nullptr;
}
} // namespace

class TestFirstWeek : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void coachsFirstWeek();
};

void TestFirstWeek::coachsFirstWeek() {
    TempInstallation inst(1);
    Database &db = inst.db();
    settings() = Settings();
    settings().SerienNr = 1;
    const int coach = 65537, anna = 65538;
    db.exec(QStringLiteral("INSERT INTO PERSON (PersonNr, Nachname, Vorname, Sex, GruppenNr, TrainerNr) VALUES "
                           "(65537, 'Trainer', 'Tom', 'M', 0, 65537), (65538, 'Berg', 'Anna', 'F', 0, 65537)"));
    MessageRecorder messages;
    TMainForm form;
    form.resize(1200, 800);
    form.show();
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    form.ApplyLogin(coach);

    // Two blocks: a card with a range field and an index field, and a grid.
    designBlock(form, QStringLiteral("Lauf"), false, [](TTrTable &t) {
        whenShown<TTrFieldEditor>(
            [](TTrFieldEditor &ed) { field(ed, QStringLiteral("Dauer"), "rbtGanzeZahl", "0", "300"); });
        t.btnNeuesFeldClick();
        whenShown<TTrFieldEditor>([](TTrFieldEditor &ed) { field(ed, QStringLiteral("Belastung"), "rbtIndexfeld"); });
        t.btnNeuesFeldClick();
    });
    designBlock(form, QStringLiteral("Serien"), true, [](TTrTable &t) {
        whenShown<TTrFieldEditor>(
            [](TTrFieldEditor &ed) { field(ed, QStringLiteral("Strecke"), "rbtGanzeZahl", "0", "10000"); });
        t.btnNeuesFeldClick();
    });
    QVERIFY2(messages.texts().isEmpty(), qPrintable(messages.texts().join(QLatin1Char('|'))));
    QVERIFY(db.tableExists(QStringLiteral("TR_1")) && db.tableExists(QStringLiteral("TR_2")));
    const int lauf = 65537, serien = 65538;

    // The form, with pick-list values for the index field; its defaults are filled in afterwards.
    whenShown<TTrKz>([](TTrKz &w) {
        control<QPlainTextEdit>(w, "dbfBeschreibung")->setPlainText(QStringLiteral("Laufprotokoll"));
        w.btnWeiter1Click();
        w.btnWeiter2Click();
        QVERIFY(select(control<QListWidget>(w, "lbxVerfuegbar"), QStringLiteral("Lauf")));
        w.btnEinfuegenClick();
        QVERIFY(select(control<QListWidget>(w, "lbxVerfuegbar"), QStringLiteral("Serien")));
        w.btnEinfuegenClick();
        w.btnWeiter3Click();
        auto *grid = control<QTableWidget>(w, "dbgFelder");
        for (int r = 0; r < grid->rowCount(); ++r)
            if (grid->item(r, 1)->text() == QLatin1String("Belastung"))
                grid->setCurrentCell(r, 0);
        whenShown<TFFieldEditor>([](TFFieldEditor &e) {
            whenShown<TIndexValues>([](TIndexValues &v) {
                for (const char *value : {"locker", "intensiv"}) {
                    v.btnNewClick();
                    type(v, "dbfValue", QString::fromLatin1(value));
                    v.btnAddClick();
                }
                v.btnOkClick();
            });
            e.btnBearbeitenClick();
            e.btnOkClick();
        });
        w.btnFeldBearbeitenClick();
        QVERIFY(control<QCheckBox>(w, "cbxVorausfuellen")->isChecked());
        w.btnFertigClick();
    });
    form.miTrKz1Click();
    QCOMPARE(count(db, QStringLiteral("select count(*) from TRuseVAL")), 2);
    const int formNr = count(db, QStringLiteral("select FormularNr from TR where Art = 1"));
    QVERIFY(formNr > 0);

    // Default values of the blank form: Dauer 60.
    TTrainingstagebuch *fillIn = activeDiary(form);
    QVERIFY(fillIn);
    QVERIFY(fillIn->windowTitle().startsWith(QStringLiteral("Formular \"Laufprotokoll\"")));
    QLineEdit *dauer = fieldEdit(*fillIn, formNr, lauf, 1);
    QVERIFY(dauer);
    typeFocused(*fillIn->entryView(), qPrintable(dauer->objectName()), QStringLiteral("60"));
    form.CloseAll1Click();

    // Anna's protocols: three entries from the blank form, each made with
    // Ctrl+N from the list and shown at once on the right.
    RebuildDocumentList(db, nullptr, coach, 0);
    TTrainingstagebuch *protocols = openDiary(form, anna, 2);
    QVERIFY(protocols);
    focus(protocols->dbgTr);
    for (const char *day : {"05.01.26", "07.01.26", "06.01.26"}) {
        focus(protocols->dbgTr);
        whenShown<TSucheTr>([day](TSucheTr &s) {
            s.pcSuche->setCurrentIndex(3); // "Leerformular"
            s.txtNewDate->setText(QString::fromLatin1(day));
            s.btnOkClick();
        });
        press(Qt::Key_N, Qt::ControlModifier);
        const int created = count(db, QStringLiteral("select max(TrNr) from TR"));
        QCOMPARE(listedTrNr(*protocols), created);
        QCOMPARE(shownTrNr(*protocols), created);
        QCOMPARE(fieldEdit(*protocols, formNr, lauf, 1)->text(), QStringLiteral("60")); // the form's default
    }
    QVERIFY2(messages.texts().isEmpty(), qPrintable(messages.texts().join(QLatin1Char('|'))));
    QCOMPARE(protocols->listCursor().recordCount(), 3);

    // Edit them, walking the list with the keys: each gets its own Dauer, a
    // Belastung picked from the pick-list and a Strecke typed into the grid.
    focus(protocols->dbgTr);
    press(Qt::Key_Home, Qt::ControlModifier);
    int minutes = 30;
    for (int row = 0; row < 3; ++row) {
        if (row > 0) {
            focus(protocols->dbgTr);
            press(Qt::Key_Down);
        }
        press(Qt::Key_Return);
        QCOMPARE(protocols->listCursor().recNo(), row);
        QCOMPARE(shownTrNr(*protocols), listedTrNr(*protocols));
        QLineEdit *e = fieldEdit(*protocols, formNr, lauf, 1);
        QVERIFY(e);
        focus(e);
        e->selectAll();
        QTest::keyClicks(e, QString::number(minutes += 15));
        auto *belastung = pickList(*protocols, formNr, lauf, 2);
        QVERIFY(belastung);
        focus(belastung);
        press(Qt::Key_Down); // "locker", then "intensiv"
        if (row == 1)
            press(Qt::Key_Down);
        TDBTypeGrid *grid = gridOf(*protocols, serien);
        QVERIFY(grid);
        focus(grid);
        grid->setCurrentIndex(grid->model()->index(0, grid->cursorModel()->columnOfField(QStringLiteral("Strecke"))));
        press(Qt::Key_F2);
        QTest::keyClicks(QApplication::focusWidget(), QString::number(1000 * (row + 1)));
        // Back to the list: the entry is stored on the way.
        focus(protocols->dbgTr);
        QCOMPARE(shownTrNr(*protocols), listedTrNr(*protocols));
    }
    QCOMPARE(count(db, QStringLiteral("select sum(Dauer) from TR_1, TR where TR_1.TrNr = TR.TrNr and TR.Art = 2")),
             45 + 60 + 75);
    QCOMPARE(count(db, QStringLiteral("select sum(Strecke) from TR_2, TR where TR_2.TrNr = TR.TrNr and TR.Art = 2")),
             6000);
    QCOMPARE(count(db, QStringLiteral("select count(*) from TR_1, TR, TRVALUE where TR_1.TrNr = TR.TrNr and "
                                      "TR.Art = 2 and TRVALUE.ValueNr = TR_1.Belastung and Value = 'intensiv'")),
             1);
    QCOMPARE(count(db, QStringLiteral("select count(*) from TR_1, TR, TRVALUE where TR_1.TrNr = TR.TrNr and "
                                      "TR.Art = 2 and TRVALUE.ValueNr = TR_1.Belastung and Value = 'locker'")),
             2);

    // Copy them all (Ctrl+A, Ctrl+C) and paste them as plans one week later (Ctrl+V).
    focus(protocols->dbgTr);
    press(Qt::Key_A, Qt::ControlModifier);
    // Coming back from the grid, the list's commands are bound again.
    QVERIFY(form.action(QStringLiteral("miCopy1"))->isEnabled());
    QVERIFY(!form.action(QStringLiteral("miNewLine"))->isEnabled());
    press(Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(form.PasteObjectCount(1), 3);
    QVERIFY(form.action(QStringLiteral("miPaste1"))->isEnabled());
    TTrainingstagebuch *plans = openDiary(form, anna, 3);
    QVERIFY(plans);
    focus(plans->dbgTr);
    whenShown<TPasteMove>([](TPasteMove &p) {
        p.txtTage->setText(QStringLiteral("7"));
        p.btnOkClick();
    });
    press(Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(plans->listCursor().recordCount(), 3);
    // The last one pasted (from the 7th) is on the right.
    const int lastPasted = count(db, QStringLiteral("select max(TrNr) from TR"));
    QCOMPARE(listedTrNr(*plans), lastPasted);
    QCOMPARE(shownTrNr(*plans), lastPasted);
    QCOMPARE(fieldEdit(*plans, formNr, lauf, 1)->text(), QStringLiteral("75"));

    // A fourth plan, made and deleted again with Ctrl+Del.
    focus(plans->dbgTr);
    whenShown<TSucheTr>([](TSucheTr &s) {
        s.pcSuche->setCurrentIndex(3);
        s.txtNewDate->setText(QStringLiteral("20.01.26"));
        s.btnOkClick();
    });
    press(Qt::Key_N, Qt::ControlModifier);
    const int extra = count(db, QStringLiteral("select max(TrNr) from TR"));
    QCOMPARE(shownTrNr(*plans), extra);
    focus(plans->dbgTr);
    messages.answer(true);
    press(Qt::Key_Delete, Qt::ControlModifier);
    QCOMPARE(messages.texts(Messages::Kind::Question).size(), 1);
    messages.clear();
    QCOMPARE(plans->listCursor().recordCount(), 3);
    QCOMPARE(count(db, QStringLiteral("select count(*) from TR where TrNr = %1").arg(extra)), 0);
    QCOMPARE(count(db, QStringLiteral("select count(*) from TR_1 where TrNr = %1").arg(extra)), 0);
    QCOMPARE(count(db, QStringLiteral("select count(*) from TR_2 where TrNr = %1").arg(extra)), 0);
    // The right-hand side shows an entry of the list, no longer the deleted one.
    QCOMPARE(shownTrNr(*plans), listedTrNr(*plans));
    QVERIFY(shownTrNr(*plans) != extra);
    press(Qt::Key_Return);
    QCOMPARE(shownTrNr(*plans), listedTrNr(*plans));
    QVERIFY(shownTrNr(*plans) != extra);

    // A filter for that week, applied in the plan diary.
    whenShown<TFilter>([](TFilter &f) {
        type(f, "dbfName", QStringLiteral("Woche 3"));
        control<QComboBox>(f, "cbxDokument")->setCurrentIndex(2); // plans
        control<QSpinBox>(f, "spnWoche")->setValue(3);
        control<QSpinBox>(f, "spnJahr")->setValue(2026);
        control<QCheckBox>(f, "cbxVon")->setChecked(true);
        control<QCheckBox>(f, "cbxBis")->setChecked(true);
        f.btnWocheClick();
        f.btnOkClick();
    });
    form.miFilter2Click();
    QCOMPARE(count(db, QStringLiteral("select count(*) from FILTER where Name = 'Woche 3'")), 1);

    form.action(QStringLiteral("miClose2"))->trigger(); // the plans
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    plans = openDiary(form, anna, 3);
    QVERIFY(plans);
    const int filterIndex = plans->cbxFilter->findText(QStringLiteral("Woche 3"));
    QVERIFY(filterIndex >= 1);
    plans->cbxFilter->setCurrentIndex(filterIndex);
    plans->cbxFilterChange(filterIndex); // as choosing it in the box does
    plans->cbxVon1->setChecked(true);
    plans->cbxBis1->setChecked(true);
    plans->tbFilterExit();
    QCOMPARE(plans->windowTitle(), QStringLiteral("SOLL (Plan) von Berg Anna [Woche 3][12.01.26-18.01.26] "));
    QCOMPARE(plans->listCursor().recordCount(), 3);
    form.CloseAll1Click();

    // What the week left in the database.
    QCOMPARE(
        count(db, QStringLiteral("select count(*) from TR where Art = 2 and PersonNr = 65538 and AutorNr = 65537")), 3);
    QCOMPARE(count(db, QStringLiteral(
                           "select count(*) from TR where Art = 3 and Datum >= '2026-01-12' and Datum < '2026-01-15'")),
             3);
    QCOMPARE(count(db, QStringLiteral("select count(*) from TR where Art = 3 and Woche = '03'")), 3);
    QCOMPARE(count(db, QStringLiteral("select sum(Dauer) from TR_1, TR where TR_1.TrNr = TR.TrNr and TR.Art = 3")),
             45 + 60 + 75);
    QCOMPARE(count(db, QStringLiteral("select count(*) from TR_2")), 7); // the blank form and six entries
    QCOMPARE(count(db, QStringLiteral("select sum(Strecke) from TR_2, TR where TR_2.TrNr = TR.TrNr and TR.Art = 3")),
             6000);
    QCOMPARE(count(db, QStringLiteral("select count(*) from TRVALUE")), 2);
    QVERIFY2(messages.texts().isEmpty(), qPrintable(messages.texts().join(QLatin1Char('|'))));
}

QTEST_MAIN(TestFirstWeek)
#include "tst_firstweek.moc"
