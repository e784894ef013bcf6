#include "base/Settings.h"
#include "controls/DBControls.h"
#include "design/FormDesign.h"
#include "design/FormElementCache.h"
#include "design/TFFieldEditor.h"
#include "design/TTrKz.h"
#include "support/ClubFixture.h"
#include "support/Controls.h"
#include "support/FormsFixture.h"
#include "support/MessageRecorder.h"
#include "support/TempInstallation.h"
#include "support/WhenShown.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

using namespace velmora;
using velmora::test::ClubFixture;
using velmora::test::control;
using velmora::test::type;
using velmora::test::whenShown;
using namespace velmora::test::forms;

namespace {
QStringList items(QListWidget *list) {
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts << list->item(i)->text();
    return texts;
}

bool select(QListWidget *list, const QString &text) {
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->text() == text) {
            list->setCurrentRow(i);
            return true;
        }
    return false;
}

int formTrNr(Database &db) {
    return count(db, QStringLiteral("SELECT TrNr FROM TR WHERE FormularNr = ? AND Art = 1"), {ClubFixture::kForm});
}

int allFormRows(Database &db) {
    int n = 0;
    for (const char *t : {"TR", "TRuseTBL", "FFIELD", "TRuseVAL"})
        n += count(db, QStringLiteral("SELECT count(*) FROM %1").arg(QString::fromLatin1(t)));
    return n;
}
} // namespace

class TestTTrKz : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void newFormWalkedThrough();
    void readOnlyFormOfAnotherAuthor();
    void cancelNewFormLeavesNoRows();
    void missingFormIsReported();
    void listFieldStoresItsValues();
    void indexFieldCallsThePickListEditor();
    void labelsFollowThePresentation_data();
    void labelsFollowThePresentation();
    void fieldEditorCancelKeepsTheRow();
    void valueLongerThanTheFieldIsRefused();
    void cancelLeavesAnExistingFormAsItWas();
    void blocksOfferedWithTableInGermanOrder();

private:
    std::unique_ptr<test::TempInstallation> m_inst;
    std::unique_ptr<ClubFixture> m_club;
    std::unique_ptr<test::MessageRecorder> m_messages;
    Database &db() { return m_inst->db(); }
    // A new form with Kraft, standing on the "Felder" page.
    void designKraftForm(TTrKz &w);
};

void TestTTrKz::init() {
    m_inst = std::make_unique<test::TempInstallation>(ClubFixture::kSerial);
    m_club = std::make_unique<ClubFixture>(db());
    addKraftBlock(db());
    m_messages = std::make_unique<test::MessageRecorder>();
    settings().SerienNr = ClubFixture::kSerial;
    LoadFormElementCache(db(), nullptr);
}

void TestTTrKz::cleanup() {
    FormElementCache().Clear();
    m_messages.reset();
    m_club.reset();
    m_inst.reset();
}

void TestTTrKz::designKraftForm(TTrKz &w) {
    QVERIFY(w.prepare());
    control<QPlainTextEdit>(w, "dbfBeschreibung")->setPlainText(QStringLiteral("Kraftformular\nmit Gewichten"));
    w.btnWeiter1Click();
    w.btnWeiter2Click();
    QVERIFY(select(control<QListWidget>(w, "lbxVerfuegbar"), QStringLiteral("Kraft")));
    w.btnEinfuegenClick();
    w.btnWeiter3Click();
    QCOMPARE(w.currentPage(), 3);
}

void TestTTrKz::newFormWalkedThrough() {
    // A label longer than a column's first width.
    db().exec(QStringLiteral("UPDATE TRFIELD SET Prefix = 'Farbe der Hantelscheiben' WHERE Feldname = 'Farbe'"));
    TTrKz w(ClubFixture::kJugend, 0, 0, false);
    QVERIFY(w.prepare());
    QCOMPARE(w.windowTitle(), QStringLiteral("Formularassistent"));
    auto *weiter1 = control<QPushButton>(w, "btnWeiter1");
    QVERIFY(!weiter1->isEnabled());
    control<QPlainTextEdit>(w, "dbfBeschreibung")->setPlainText(QStringLiteral("Kraftformular\nmit Gewichten"));
    QVERIFY(weiter1->isEnabled());
    w.btnWeiter1Click();
    QCOMPARE(w.currentPage(), 1);
    QVERIFY(control<QRadioButton>(w, "rbDetails")->isChecked());
    control<QRadioButton>(w, "rbZyklensumme")->click();
    w.btnWeiter2Click();
    QCOMPARE(w.currentPage(), 2);

    auto *left = control<QListWidget>(w, "lbxVerfuegbar");
    auto *right = control<QListWidget>(w, "lbxAusgewaehlt");
    QCOMPARE(items(left), (QStringList{QStringLiteral("Kraft"), QStringLiteral("Lauf")}));
    QVERIFY(items(right).isEmpty());
    QVERIFY(!control<QPushButton>(w, "btnWeiter3")->isEnabled());
    QVERIFY(!control<QPushButton>(w, "btnEntfernen")->isEnabled());
    QVERIFY(select(left, QStringLiteral("Kraft")));
    w.btnEinfuegenClick();
    QCOMPARE(items(left), QStringList{QStringLiteral("Lauf")});
    QCOMPARE(items(right), QStringList{QStringLiteral("Kraft")});
    // Space on the left list includes as ">" does.
    left->setFocus();
    QVERIFY(select(left, QStringLiteral("Lauf")));
    QTest::keyClick(left, Qt::Key_Space);
    QCOMPARE(items(right), (QStringList{QStringLiteral("Kraft"), QStringLiteral("Lauf")}));
    QVERIFY(select(right, QStringLiteral("Lauf")));
    w.btnEntfernenClick();
    QCOMPARE(items(right), QStringList{QStringLiteral("Kraft")});
    w.btnWeiter3Click();
    QCOMPARE(w.currentPage(), 3);

    auto *grid = control<QTableWidget>(w, "dbgFelder");
    QCOMPARE(grid->rowCount(), 3); // block 0's fields are not listed
    QCOMPARE(grid->item(0, 0)->text(), QStringLiteral("Kraft"));
    QCOMPARE(grid->item(2, 1)->text(), QStringLiteral("Farbe"));
    QCOMPARE(grid->item(2, 2)->text(), QStringLiteral("Farbe der Hantelscheiben"));
    // Titles such as "Visible" and every value are shown whole.
    const QString cut = test::cutColumn(*grid);
    QVERIFY2(cut.isEmpty(), qPrintable(cut));
    auto *fillIn = control<QCheckBox>(w, "cbxVorausfuellen");
    QCOMPARE(fillIn->text(), QStringLiteral("Formular mit Defaultwerten vorausfüllen"));
    QVERIFY(fillIn->isChecked());
    fillIn->setChecked(false);
    w.btnFertigClick();

    QCOMPARE(w.result(), int(QDialog::Accepted));
    QCOMPARE(w.SerienNr(), 1);
    QCOMPARE(w.TrNr(), 7);
    QCOMPARE(w.FormularNr(), ClubFixture::kBase + 2);
    QCOMPARE(w.FormName(), QStringLiteral("Kraftformular"));
    QVERIFY(!w.FillIn());
    QCOMPARE(count(db(), QStringLiteral("SELECT Art FROM TR WHERE SerienNr = 1 AND TrNr = 7")), 21);
    QCOMPARE(count(db(), QStringLiteral("SELECT PersonNr FROM TR WHERE SerienNr = 1 AND TrNr = 7")),
             ClubFixture::kJugend);
    QCOMPARE(FormElementCache().FormElements(w.FormularNr()).size(), size_t(5));
    QCOMPARE(FormElementCache().FormElements(ClubFixture::kForm).size(), size_t(6));
    QVERIFY(m_messages->entries().isEmpty());
}

void TestTTrKz::readOnlyFormOfAnotherAuthor() {
    const int rows = allFormRows(db());
    const QString stamp = QStringLiteral("SELECT Timestamp FROM TR WHERE SerienNr = 1 AND TrNr = ?");
    Statement before(db(), stamp);
    before.bind(1, formTrNr(db()));
    before.step();
    const QVariant stampBefore = before.value(0);

    TTrKz w(ClubFixture::kAnna, ClubFixture::kSerial, formTrNr(db()), true);
    QVERIFY(w.prepare());
    auto *memo = control<TDBMemo>(w, "dbfBeschreibung");
    QCOMPARE(memo->toPlainText(), QStringLiteral("Laufprotokoll"));
    QVERIFY(memo->isEffectivelyReadOnly());
    w.btnWeiter1Click();
    QCOMPARE(w.currentPage(), 1);
    QVERIFY(!control<QGroupBox>(w, "rgpFormularart")->isEnabled());
    w.btnWeiter2Click();
    QCOMPARE(items(control<QListWidget>(w, "lbxAusgewaehlt")), QStringList{QStringLiteral("Lauf")});
    for (const char *name : {"btnEinfuegen", "btnEntfernen", "btnWeiter3"})
        QVERIFY2(!control<QPushButton>(w, name)->isEnabled(), name);
    control<QListWidget>(w, "lbxAusgewaehlt")->setCurrentRow(0);
    w.btnEntfernenClick();
    w.btnWeiter3Click();
    QCOMPARE(w.currentPage(), 2);
    w.btnAbbruchClick();
    QCOMPARE(w.result(), int(QDialog::Rejected));
    QCOMPARE(allFormRows(db()), rows);
    Statement after(db(), stamp);
    after.bind(1, formTrNr(db()));
    after.step();
    QCOMPARE(after.value(0), stampBefore);
    QVERIFY(m_messages->entries().isEmpty());
}

void TestTTrKz::cancelNewFormLeavesNoRows() {
    const int rows = allFormRows(db());
    {
        TTrKz w(ClubFixture::kJugend, 0, 0, false);
        designKraftForm(w);
        QVERIFY(allFormRows(db()) > rows);
        QTest::keyClick(&w, Qt::Key_Escape); // cancels like "Abbruch"
        QCOMPARE(w.result(), int(QDialog::Rejected));
    }
    QCOMPARE(allFormRows(db()), rows);
    QCOMPARE(FormElementCache().Count(), 6);
}

void TestTTrKz::missingFormIsReported() {
    TTrKz w(ClubFixture::kCoach, ClubFixture::kSerial, 999, false);
    QCOMPARE(w.exec(), int(QDialog::Rejected));
    QCOMPARE(m_messages->texts(test::MessageRecorder::Kind::Error), QStringList{FormDesign::kFormNotFound});
}

void TestTTrKz::listFieldStoresItsValues() {
    TTrKz w(ClubFixture::kJugend, 0, 0, false);
    designKraftForm(w);
    auto *grid = control<QTableWidget>(w, "dbgFelder");
    grid->setCurrentCell(2, 0); // Farbe, a "C" field
    bool shown = false;
    whenShown<TFFieldEditor>([&shown](TFFieldEditor &e) {
        shown = true;
        QCOMPARE(e.windowTitle(), QStringLiteral("Formularfeld bearbeiten"));
        QCOMPARE(control<QLineEdit>(e, "txtName")->text(), QStringLiteral("Kraft Farbe"));
        QVERIFY(!control<QPlainTextEdit>(e, "dbfWerte")->isHidden());
        QVERIFY(control<QTableWidget>(e, "dbgWerte")->isHidden());
        QVERIFY(control<QPushButton>(e, "btnBearbeiten")->isHidden());
        QCOMPARE(control<QPlainTextEdit>(e, "dbfWerte")->toPlainText(), QStringLiteral("rot\nblau"));
        control<QPlainTextEdit>(e, "dbfWerte")->setPlainText(QStringLiteral("rot\ngrün\ndunkelblau"));
        control<QCheckBox>(e, "cbxPrint")->click();
        e.btnOkClick();
    });
    w.btnFeldBearbeitenClick();
    QVERIFY(shown);
    const int f = w.FormularNr();
    Cursor ff(db(), QStringLiteral("FFIELD"));
    ff.setFilter(QStringLiteral("(FormularNr = %1) AND (TableNr = %2) AND (FeldNr = 3)").arg(f).arg(kKraft));
    ff.setFiltered(true);
    ff.open();
    QCOMPARE(ff.recordCount(), 1);
    QCOMPARE(ff.asString(QStringLiteral("Werte")), QStringLiteral("rot\ngrün\ndunkelblau"));
    QCOMPARE(ff.asBool(QStringLiteral("Print")), false);
    QCOMPARE(grid->item(2, 5)->text(), QStringLiteral("Nein"));
    // "Fertig" hands the new list to the entry editor's elements.
    w.btnFertigClick();
    TTREListEntry *e = FormElementCache().BlockElements(f, kKraft).at(2);
    QCOMPARE(e->Werte.value_or(QStringList()).size(), 3);
}

void TestTTrKz::indexFieldCallsThePickListEditor() {
    TTrKz w(ClubFixture::kJugend, 0, 0, false);
    QList<QList<int>> calls;
    Database &database = db();
    QStringList names;
    w.editPickList = [&calls, &names, &database](int formularNr, int tableNr, int feldNr, const QString &name) {
        calls << QList<int>{formularNr, tableNr, feldNr};
        names << name;
        InsertRow(database, QStringLiteral("TRuseVAL"),
                  {{QStringLiteral("FormularNr"), formularNr},
                   {QStringLiteral("TableNr"), tableNr},
                   {QStringLiteral("FeldNr"), feldNr},
                   {QStringLiteral("ValueNr"), ClubFixture::kValueIntensiv},
                   {QStringLiteral("Order"), 1}});
    };
    designKraftForm(w);
    control<QTableWidget>(w, "dbgFelder")->setCurrentCell(1, 0); // Uebung, an "X" field
    bool shown = false;
    whenShown<TFFieldEditor>([&shown](TFFieldEditor &e) {
        shown = true;
        auto *values = control<QTableWidget>(e, "dbgWerte");
        QVERIFY(!values->isHidden());
        QVERIFY(control<QPlainTextEdit>(e, "dbfWerte")->isHidden());
        QCOMPARE(control<QPushButton>(e, "btnBearbeiten")->text(), QStringLiteral("bearbeiten"));
        QCOMPARE(values->rowCount(), 0);
        e.btnBearbeitenClick();
        QCOMPARE(values->rowCount(), 1);
        QCOMPARE(values->item(0, 0)->text(), QStringLiteral("intensiv"));
        e.btnCancelClick();
    });
    w.btnFeldBearbeitenClick();
    QVERIFY(shown);
    QCOMPARE(calls, (QList<QList<int>>{{w.FormularNr(), kKraft, 2}}));
    // The pick-list editor's caption names the block and the field.
    QCOMPARE(names, QStringList{QStringLiteral("Kraft Uebung")});
}

void TestTTrKz::labelsFollowThePresentation_data() {
    QTest::addColumn<bool>("grid");
    QTest::addColumn<QString>("prefixCaption");
    QTest::addColumn<bool>("postfixShown");
    QTest::newRow("card") << false << QStringLiteral("Prefix") << true;
    QTest::newRow("grid") << true << QStringLiteral("Überschrift") << false;
}

void TestTTrKz::labelsFollowThePresentation() {
    QFETCH(bool, grid);
    QFETCH(QString, prefixCaption);
    QFETCH(bool, postfixShown);
    FormDesign d(db(), ClubFixture::kSerial);
    d.open({ClubFixture::kCoach, ClubFixture::kSerial, formTrNr(db()), false});
    QVERIFY(d.locateField(2));
    TFFieldEditor e(&d.fields(), QStringLiteral("I"), grid, false, ClubFixture::kCoach, QStringLiteral("Lauf Dauer"));
    e.prepare();
    QCOMPARE(control<QLabel>(e, "lblPrefix")->text(), prefixCaption);
    QCOMPARE(!control<QLineEdit>(e, "dbfPostfix")->isHidden(), postfixShown);
    QVERIFY(control<QPlainTextEdit>(e, "dbfWerte")->isHidden());
    QVERIFY(control<QTableWidget>(e, "dbgWerte")->isHidden());
    QCOMPARE(e.tableNr(), ClubFixture::kBlock);
    QCOMPARE(e.feldNr(), 1);
    QCOMPARE(d.fields().state(), Cursor::State::Edit);
}

void TestTTrKz::fieldEditorCancelKeepsTheRow() {
    FormDesign d(db(), ClubFixture::kSerial);
    d.open({ClubFixture::kCoach, ClubFixture::kSerial, formTrNr(db()), false});
    QVERIFY(d.locateField(2));
    {
        TFFieldEditor e(&d.fields(), QStringLiteral("I"), false, false, ClubFixture::kCoach,
                        QStringLiteral("Lauf Dauer"));
        e.prepare();
        auto *prefix = control<QLineEdit>(e, "dbfPrefix");
        prefix->setFocus();
        prefix->selectAll();
        QTest::keyClicks(prefix, QStringLiteral("Minuten"));
        QCOMPARE(d.fields().asString(QStringLiteral("Prefix")), QStringLiteral("Minuten"));
        e.btnCancelClick();
        QCOMPARE(e.result(), int(QDialog::Rejected));
    }
    QVERIFY(d.locateField(2));
    QCOMPARE(d.fields().asString(QStringLiteral("Prefix")), QStringLiteral("Dauer"));

    // Read-only: the editors refuse input and "Fertig" writes nothing.
    TFFieldEditor ro(&d.fields(), QStringLiteral("I"), false, true, ClubFixture::kCoach, QStringLiteral("Lauf Dauer"));
    ro.prepare();
    QVERIFY(control<TDBEdit>(ro, "dbfPrefix")->isEffectivelyReadOnly());
    QCOMPARE(d.fields().state(), Cursor::State::Browse);
    ro.btnOkClick();
    QCOMPARE(ro.result(), int(QDialog::Accepted));
}

void TestTTrKz::valueLongerThanTheFieldIsRefused() {
    TTrKz w(ClubFixture::kJugend, 0, 0, false);
    designKraftForm(w);
    control<QTableWidget>(w, "dbgFelder")->setCurrentCell(2, 0); // Farbe, a "C" field of 10 characters
    bool shown = false;
    whenShown<TFFieldEditor>([this, &shown](TFFieldEditor &e) {
        shown = true;
        auto *werte = control<QPlainTextEdit>(e, "dbfWerte");
        werte->setPlainText(QStringLiteral("rot\nhellgrünblau"));
        e.btnOkClick();
        QVERIFY(e.isVisible());
        QCOMPARE(
            m_messages->texts(test::MessageRecorder::Kind::Error),
            QStringList{QStringLiteral("Der Wert \"hellgrünblau\" ist zu lang: das Feld faßt höchstens 10 Zeichen.")});
        QCOMPARE(e.focusWidget(), werte);
        // What was typed stays for correcting.
        QCOMPARE(werte->toPlainText(), QStringLiteral("rot\nhellgrünblau"));
        werte->setPlainText(QStringLiteral("rot\nhellgrün"));
        e.btnOkClick();
        QVERIFY(!e.isVisible());
    });
    w.btnFeldBearbeitenClick();
    QVERIFY(shown);
    Cursor ff(db(), QStringLiteral("FFIELD"));
    ff.setFilter(
        QStringLiteral("(FormularNr = %1) AND (TableNr = %2) AND (FeldNr = 3)").arg(w.FormularNr()).arg(kKraft));
    ff.setFiltered(true);
    ff.open();
    QCOMPARE(ff.asString(QStringLiteral("Werte")), QStringLiteral("rot\nhellgrün"));
}

void TestTTrKz::cancelLeavesAnExistingFormAsItWas() {
    // What the club's form holds before the designer opens.
    auto snapshot = [this] {
        QStringList rows;
        for (const char *sql :
             {"SELECT Beschreibung, Art, Timestamp FROM TR WHERE FormularNr = ?",
              "SELECT TableNr, \"Order\" FROM TRuseTBL WHERE FormularNr = ? ORDER BY 2",
              "SELECT \"Order\", TableNr, FeldNr, Prefix, Visible FROM FFIELD WHERE FormularNr = ? "
              "ORDER BY 1",
              "SELECT TableNr, FeldNr, ValueNr, \"Order\" FROM TRuseVAL WHERE FormularNr = ? ORDER BY 4"}) {
            Statement st(db(), QString::fromUtf8(sql));
            st.bind(1, ClubFixture::kForm);
            while (st.step()) {
                QStringList cells;
                for (int i = 0; i < sqlite3_column_count(st.get()); ++i)
                    cells << st.value(i).toString();
                rows << cells.join(QLatin1Char('|'));
            }
        }
        return rows;
    };
    const QStringList before = snapshot();
    QVERIFY(!before.isEmpty());
    {
        TTrKz w(ClubFixture::kCoach, ClubFixture::kSerial, formTrNr(db()), false);
        QVERIFY(w.prepare());
        control<QPlainTextEdit>(w, "dbfBeschreibung")->setPlainText(QStringLiteral("Umbenannt"));
        w.btnWeiter1Click();
        control<QRadioButton>(w, "rbWochensumme")->click();
        w.btnWeiter2Click();
        // Drop the form's block (with its pick-list values), take another.
        QVERIFY(select(control<QListWidget>(w, "lbxAusgewaehlt"), QStringLiteral("Lauf")));
        w.btnEntfernenClick();
        QVERIFY(select(control<QListWidget>(w, "lbxVerfuegbar"), QStringLiteral("Kraft")));
        w.btnEinfuegenClick();
        w.btnWeiter3Click();
        QCOMPARE(w.currentPage(), 3);
        whenShown<TFFieldEditor>([](TFFieldEditor &e) {
            type(e, "dbfPrefix", QStringLiteral("Last"));
            e.btnOkClick();
        });
        control<QTableWidget>(w, "dbgFelder")->setCurrentCell(0, 0);
        w.btnFeldBearbeitenClick();
        QVERIFY(snapshot() != before);
        control<QPushButton>(w, "btnAbbruch")->click();
        QCOMPARE(w.result(), int(QDialog::Rejected));
    }
    QCOMPARE(snapshot(), before);
    QVERIFY(!db().inTransaction());
    QCOMPARE(FormElementCache().FormElements(ClubFixture::kForm).size(), size_t(6));
    QVERIFY(m_messages->entries().isEmpty());

    // "Fertig" keeps what was done.
    TTrKz w(ClubFixture::kCoach, ClubFixture::kSerial, formTrNr(db()), false);
    QVERIFY(w.prepare());
    w.btnWeiter1Click();
    w.btnWeiter2Click();
    QVERIFY(select(control<QListWidget>(w, "lbxVerfuegbar"), QStringLiteral("Kraft")));
    w.btnEinfuegenClick();
    w.btnWeiter3Click();
    w.btnFertigClick();
    QCOMPARE(w.result(), int(QDialog::Accepted));
    QVERIFY(!db().inTransaction());
    QCOMPARE(count(db(), QStringLiteral("SELECT count(*) FROM TRuseTBL WHERE FormularNr = ? AND TableNr = ?"),
                   {ClubFixture::kForm, kKraft}),
             1);
}

void TestTTrKz::blocksOfferedWithTableInGermanOrder() {
    // Blocks named as coaches name them; "Zerrung" has no table (its
    // designer never finished).
    const std::pair<int, const char *> blocks[] = {{ClubFixture::kBase + 10, "zirkel"},
                                                   {ClubFixture::kBase + 11, "Ausdauer"},
                                                   {ClubFixture::kBase + 12, "Übungen"},
                                                   {ClubFixture::kBase + 13, "Zerrung"},
                                                   {ClubFixture::kBase + 14, "ärztlich"}};
    int n = 10;
    for (const auto &[tableNr, name] : blocks) {
        const QString table = QStringLiteral("TR_%1").arg(n++);
        InsertRow(db(), QStringLiteral("TRTABLE"),
                  {{QStringLiteral("TableNr"), tableNr},
                   {QStringLiteral("Name"), QString::fromUtf8(name)},
                   {QStringLiteral("Filename"), table},
                   {QStringLiteral("TrainerNr"), ClubFixture::kCoach}});
        if (QString::fromUtf8(name) != QLatin1String("Zerrung"))
            db().exec(QStringLiteral("CREATE TABLE \"%1\" (SerienNr SHORT)").arg(table));
    }
    TTrKz w(ClubFixture::kJugend, 0, 0, false);
    QVERIFY(w.prepare());
    control<QPlainTextEdit>(w, "dbfBeschreibung")->setPlainText(QStringLiteral("Neu"));
    w.btnWeiter1Click();
    w.btnWeiter2Click();
    QCOMPARE(items(control<QListWidget>(w, "lbxVerfuegbar")),
             (QStringList{QStringLiteral("ärztlich"), QStringLiteral("Ausdauer"), QStringLiteral("Kraft"),
                          QStringLiteral("Lauf"), QStringLiteral("Übungen"), QStringLiteral("zirkel")}));
}

QTEST_MAIN(TestTTrKz)
#include "tst_ttrkz.moc"
