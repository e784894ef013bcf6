// A coach's first week, through the real windows: two blocks (a card with an
// index field and a grid), a form with pick-list values, its default values,
// three protocols made from the blank form and edited, pasted as plans one
// week later, a filter for that week applied in the diary.
#include "app/DocumentList.h"
#include "app/TMainForm.h"
#include "base/Settings.h"
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
    form.show();
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

    // Anna's protocols: three entries from the blank form.
    RebuildDocumentList(db, nullptr, coach, 0);
    TTrainingstagebuch *protocols = form.CreateDiary();
    protocols->PersonNr = anna;
    protocols->Name = QStringLiteral("Berg Anna");
    protocols->KindCode = 2;
    protocols->initialise(false);
    protocols->show();
    for (const char *day : {"05.01.26", "06.01.26", "07.01.26"}) {
        whenShown<TSucheTr>([day](TSucheTr &s) {
            s.pcSuche->setCurrentIndex(3); // "Leerformular"
            s.txtNewDate->setText(QString::fromLatin1(day));
            s.btnOkClick();
        });
        form.DiaryNewEntry(*protocols);
    }
    QVERIFY2(messages.texts().isEmpty(), qPrintable(messages.texts().join(QLatin1Char('|'))));
    QCOMPARE(protocols->listCursor().recordCount(), 3);
    // Edit them: each gets its own Dauer; moving on posts the edit.
    int minutes = 30;
    for (int row = 0; row < 3; ++row) {
        protocols->listCursor().moveTo(row);
        QVERIFY(protocols->entryView());
        QLineEdit *e = fieldEdit(*protocols, formNr, lauf, 1);
        QVERIFY(e);
        QCOMPARE(e->text(), QStringLiteral("60")); // the form's default came along
        typeFocused(*protocols->entryView(), qPrintable(e->objectName()), QString::number(minutes += 15));
    }
    protocols->listCursor().moveTo(0);
    QCOMPARE(count(db, QStringLiteral("select sum(Dauer) from TR_1, TR where TR_1.TrNr = TR.TrNr and TR.Art = 2")),
             45 + 60 + 75);

    // Paste them as plans one week later.
    protocols->dbgTr->selectAll();
    protocols->copyEntries(*protocols);
    TTrainingstagebuch *plans = form.CreateDiary();
    plans->PersonNr = anna;
    plans->Name = QStringLiteral("Berg Anna");
    plans->KindCode = 3;
    plans->initialise(false);
    plans->show();
    whenShown<TPasteMove>([](TPasteMove &p) {
        p.txtTage->setText(QStringLiteral("7"));
        p.btnOkClick();
    });
    plans->pasteEntries(*plans);
    QCOMPARE(plans->listCursor().recordCount(), 3);

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

    plans->close();
    plans = form.CreateDiary();
    plans->PersonNr = anna;
    plans->Name = QStringLiteral("Berg Anna");
    plans->KindCode = 3;
    plans->initialise(false);
    plans->show();
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
    QCOMPARE(count(db, QStringLiteral("select count(*) from TRVALUE")), 2);
    QVERIFY2(messages.texts().isEmpty(), qPrintable(messages.texts().join(QLatin1Char('|'))));
    Q_UNUSED(serien);
}

QTEST_MAIN(TestFirstWeek)
#include "tst_firstweek.moc"
