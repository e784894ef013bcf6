// The block designer and its field editor, driven offscreen through their
// real windows.
#include "base/Settings.h"
#include "controls/DBControls.h"
#include "design/TTrFieldEditor.h"
#include "design/TTrTable.h"
#include "store/Cursor.h"
#include "store/Query.h"
#include "support/ClubFixture.h"
#include "support/Controls.h"
#include "support/MessageRecorder.h"
#include "support/TempInstallation.h"
#include "support/WhenShown.h"

#include "support/StoredRow.h"
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>

#include <QTest>
#include <QTimer>
#include <functional>

using namespace velmora;
using velmora::test::ClubFixture;
using velmora::test::control;
using velmora::test::MessageRecorder;
using velmora::test::TempInstallation;
using velmora::test::type;
using velmora::test::whenShown;

namespace {
int count(Database &db, const QString &sql) {
    Query q(db, sql);
    q.open();
    return q.value(0).toInt();
}

// What the coach does on the last page of the field editor.
using RangeInput = std::function<void(TTrFieldEditor &)>;

// Walks the field editor through its pages and presses "Fertig".
void fillField(TTrFieldEditor &ed, const QString &name, const QString &caption, const char *choice,
               const RangeInput &range) {
    type(ed, "dbfFeldname", name);
    type(ed, "dbfBeschreibung", caption);
    ed.btnNextClick();
    control<QRadioButton>(ed, choice)->click();
    ed.btnNextClick();
    if (range)
        range(ed);
    ed.btnOkClick();
}

RangeInput limits(const QString &low, const QString &high) {
    return [low, high](TTrFieldEditor &ed) {
        control<QLineEdit>(ed, "txtKleinsterWert")->setText(low);
        control<QLineEdit>(ed, "txtGroessterWert")->setText(high);
    };
}

RangeInput values(const QString &lines) {
    return [lines](TTrFieldEditor &ed) { control<QPlainTextEdit>(ed, "dbfWerte")->setPlainText(lines); };
}

QVariantMap fieldRow(Database &db, int tableNr, int order) {
    return velmora::test::storedRow(db, QStringLiteral("TRFIELD"), {tableNr, order});
}
} // namespace

class TestTTrTable : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void newBlockWithTwoFields();
    void firstBlockOfInstallation3();
    void namePageRules();
    void fieldNameRefusals_data();
    void fieldNameRefusals();
    void fieldEditorFocusesOffendingEdit();
    void timeLimitsAreStoredAndShownAgain();
    void gridBlockRestrictsChoices();
    void cancelledFieldLeavesNoRow();
    void deleteField();
    void cancellingNewBlockLeavesNoRows_data();
    void cancellingNewBlockLeavesNoRows();
    void failingFinishKeepsDesignerOpen();
    void existingBlockIsReadOnly();
    void gridCheckedAgainAtFertig();

private:
    std::unique_ptr<TempInstallation> m_inst;
    std::unique_ptr<MessageRecorder> m_messages;
    QString m_idx;
    Database &db() { return m_inst->db(); }
    // A designer for a new block of the fixture's coach, on the field page.
    std::unique_ptr<TTrTable> newDesigner(const QString &name, bool grid = false);
};

void TestTTrTable::init() {
    m_inst = std::make_unique<TempInstallation>(1);
    settings().SerienNr = 1;
    m_messages = std::make_unique<MessageRecorder>();
    m_idx = m_inst->dir() + QStringLiteral("/velmora5.IDX");
}

void TestTTrTable::cleanup() {
    m_messages.reset();
    m_inst.reset();
}

std::unique_ptr<TTrTable> TestTTrTable::newDesigner(const QString &name, bool grid) {
    auto t = std::make_unique<TTrTable>();
    t->setTrainerNr(ClubFixture::kCoach);
    t->setIndexFile(m_idx);
    if (!t->prepare())
        qFatal("designer did not open");
    type(*t, "dbfName", name);
    t->btnNextClick();
    if (grid)
        control<QRadioButton>(*t, "rbtGrid")->click();
    t->btnNextClick();
    return t;
}

void TestTTrTable::newBlockWithTwoFields() {
    auto t = newDesigner(QStringLiteral("Puls"));
    QCOMPARE(t->currentPage(), int(TTrTable::PageFelder));
    QVERIFY(!control<QPushButton>(*t, "btnOk")->isEnabled());
    QVERIFY(control<QCheckBox>(*t, "cbxLayout")->isChecked());

    whenShown<TTrFieldEditor>([](TTrFieldEditor &ed) {
        QCOMPARE(ed.windowTitle(), QStringLiteral("Feld bearbeiten"));
        QCOMPARE(control<QLineEdit>(ed, "dbfFeldname")->text(), QStringLiteral("Feld1"));
        fillField(ed, QStringLiteral("Puls Ruhe"), QStringLiteral("Ruhepuls"), "rbtGanzeZahl", limits("40", "200"));
    });
    t->btnNeuesFeldClick();
    whenShown<TTrFieldEditor>([](TTrFieldEditor &ed) {
        QCOMPARE(control<QLineEdit>(ed, "dbfFeldname")->text(), QStringLiteral("Feld2"));
        fillField(ed, QStringLiteral("Farbe"), QStringLiteral("Farbe"), "rbtCombobox",
                  values(QStringLiteral("rot\ngrün\ndunkelblau")));
    });
    t->btnNeuesFeldClick();
    QVERIFY(control<QPushButton>(*t, "btnOk")->isEnabled());
    control<QCheckBox>(*t, "cbxLayout")->setChecked(false);
    t->btnOkClick();
    QCOMPARE(m_messages->texts(), QStringList());
    QCOMPARE(t->result(), int(QDialog::Accepted));
    QCOMPARE(t->TableNr(), 65537);
    QVERIFY(!t->LayoutRequested());

    const QVariantMap puls = fieldRow(db(), 65537, 1);
    QCOMPARE(puls.value("Feldname").toString(), QStringLiteral("Puls_Ruhe"));
    QCOMPARE(puls.value("Prefix").toString(), QStringLiteral("Puls Ruhe"));
    QCOMPARE(puls.value("Typ").toString(), QStringLiteral("S"));
    QCOMPARE(puls.value("Werte").toString(), QStringLiteral("40\n200"));
    const QVariantMap farbe = fieldRow(db(), 65537, 2);
    QCOMPARE(farbe.value("Typ").toString(), QStringLiteral("C"));
    QCOMPARE(farbe.value("Größe").toInt(), 10);

    const FieldDefs defs = db().fieldDefs(QStringLiteral("TR_1"));
    QStringList columns;
    for (const FieldDef &f : defs)
        columns << QStringLiteral("%1:%2:%3").arg(f.name).arg(int(f.type)).arg(f.size);
    QCOMPARE(columns, (QStringList{QStringLiteral("SerienNr:%1:0").arg(int(FieldType::Short)),
                                   QStringLiteral("TrNr:%1:0").arg(int(FieldType::Long)),
                                   QStringLiteral("Order:%1:0").arg(int(FieldType::Short)),
                                   QStringLiteral("Puls_Ruhe:%1:0").arg(int(FieldType::Short)),
                                   QStringLiteral("Farbe:%1:10").arg(int(FieldType::Alpha))}));
    Query block(db(), QStringLiteral("select Name, Art, TrainerNr, Filename from TRTABLE where TableNr = 65537"));
    block.open();
    QCOMPARE(block.value(0).toString(), QStringLiteral("Puls"));
    QCOMPARE(block.value(1).toString(), QStringLiteral("T"));
    QCOMPARE(block.value(2).toInt(), int(ClubFixture::kCoach));
    QCOMPARE(block.value(3).toString(), QStringLiteral("TR_1"));
    QCOMPARE(count(db(), QStringLiteral("select count(*) from FFIELD where FormularNr = 0")), 2);
    // Discarding after OK, as a careless caller might, keeps the block.
    t->Discard();
    QCOMPARE(count(db(), QStringLiteral("select count(*) from TRFIELD where TableNr = 65537")), 2);
}

void TestTTrTable::firstBlockOfInstallation3() {
    m_messages.reset();
    m_inst = std::make_unique<TempInstallation>(3);
    m_messages = std::make_unique<MessageRecorder>();
    settings().SerienNr = 3;
    TTrTable t;
    t.setTrainerNr(3 * 65536 + 2);
    QVERIFY(t.prepare());
    QCOMPARE(t.TableNr(), 196609);
    QCOMPARE(t.windowTitle(), QStringLiteral("Assistent für Formularbausteine"));
    t.btnCancelClick();
    QCOMPARE(count(db(), QStringLiteral("select count(*) from TRTABLE where TableNr = 196609")), 0);
}

void TestTTrTable::namePageRules() {
    TTrTable t;
    t.setTrainerNr(ClubFixture::kCoach);
    QVERIFY(t.prepare());
    auto *next = control<QPushButton>(t, "btnNext");
    QVERIFY(!next->isEnabled());
    // Clicking a tab does not change the page.
    control<QTabWidget>(t, "pcTable")->setCurrentIndex(2);
    QCOMPARE(control<QTabWidget>(t, "pcTable")->currentIndex(), 0);
    type(t, "dbfName", QStringLiteral("   "));
    QVERIFY(next->isEnabled());
    t.btnNextClick();
    QCOMPARE(m_messages->texts(), QStringList{QStringLiteral("Füllen Sie dieses Feld bitte aus!")});
    QCOMPARE(t.currentPage(), int(TTrTable::PageName));
    QCOMPARE(t.focusWidget(), control<QWidget>(t, "dbfName"));
    type(t, "dbfName", QStringLiteral("Kraft"));
    t.btnNextClick();
    t.btnNextClick();
    QCOMPARE(t.currentPage(), int(TTrTable::PageFelder));
    // Fertig without a field: refused, even when called directly.
    m_messages->clear();
    t.btnOkClick();
    QCOMPARE(t.result(), int(QDialog::Rejected));
    QCOMPARE(m_messages->texts(), QStringList{QStringLiteral("Sie müssen zumindest ein Feld eingeben!")});
    QCOMPARE(t.focusWidget(), control<QWidget>(t, "dbgFelder"));
    t.btnCancelClick();
}

void TestTTrTable::fieldNameRefusals_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("message");
    const QString inUse = QStringLiteral("Dieser Feldname wird bereits benutzt.\rWählen Sie bitte einen anderen!");
    QTest::newRow("order") << "order" << inUse;
    QTest::newRow("TrNr") << "TrNr" << inUse;
    QTest::newRow("SERIENNR") << "SERIENNR" << inUse;
    QTest::newRow("same name as field 1, other case") << "PULS_RUHE" << inUse;
    QTest::newRow("same after spaces become _") << "puls ruhe" << inUse;
    QTest::newRow("double quote") << "a\"b"
                                  << QStringLiteral("Ein Feldname darf kein Anführungszeichen (\") enthalten.");
    QTest::newRow("rowid") << "rowid" << inUse;
    QTest::newRow("OID") << "OID" << inUse;
    QTest::newRow("_RowId_") << "_RowId_" << inUse;
}

void TestTTrTable::fieldNameRefusals() {
    QFETCH(QString, name);
    QFETCH(QString, message);
    auto t = newDesigner(QStringLiteral("Puls"));
    whenShown<TTrFieldEditor>([](TTrFieldEditor &ed) {
        fillField(ed, QStringLiteral("Puls Ruhe"), QStringLiteral("Puls"), "rbtGanzeZahl", limits("0", "250"));
    });
    t->btnNeuesFeldClick();
    int page = -1;
    QString focus;
    whenShown<TTrFieldEditor>([&](TTrFieldEditor &ed) {
        type(ed, "dbfFeldname", name);
        type(ed, "dbfBeschreibung", QStringLiteral("zweites"));
        ed.btnNextClick();
        page = ed.currentPage();
        focus = ed.focusWidget() ? ed.focusWidget()->objectName() : QString();
        ed.btnCancelClick();
    });
    t->btnNeuesFeldClick();
    QCOMPARE(m_messages->texts(), QStringList{message});
    QCOMPARE(page, int(TTrFieldEditor::PageFeldname));
    QCOMPARE(focus, QStringLiteral("dbfFeldname"));
    QCOMPARE(count(db(), QStringLiteral("select count(*) from TRFIELD where TableNr = 65537")), 1);
    t->btnCancelClick();
}

void TestTTrTable::fieldEditorFocusesOffendingEdit() {
    auto t = newDesigner(QStringLiteral("Lauf"));
    QStringList focus;
    whenShown<TTrFieldEditor>([&](TTrFieldEditor &ed) {
        type(ed, "dbfFeldname", QStringLiteral("Dauer"));
        // "Weiter" waits for the caption.
        QVERIFY(!control<QPushButton>(ed, "btnNext")->isEnabled());
        type(ed, "dbfBeschreibung", QStringLiteral("Dauer"));
        ed.btnNextClick();
        control<QRadioButton>(ed, "rbtGanzeZahl")->click();
        QVERIFY(control<QLabel>(ed, "lblHinweis")->text().startsWith(QStringLiteral("Eine ganze Zahl kann Werte")));
        ed.btnNextClick();
        limits("10", "abc")(ed);
        ed.btnOkClick();
        focus << ed.focusWidget()->objectName();
        limits("100", "10")(ed);
        ed.btnOkClick();
        focus << ed.focusWidget()->objectName();
        limits("", "10")(ed);
        ed.btnOkClick();
        focus << ed.focusWidget()->objectName();
        QCOMPARE(ed.result(), int(QDialog::Rejected));
        // Back to a text field whose size is too large.
        ed.btnBackClick();
        control<QRadioButton>(ed, "rbtTextzeile")->click();
        ed.btnNextClick();
        QVERIFY(control<QLineEdit>(ed, "dbfGroesse")->isVisibleTo(&ed));
        QVERIFY(!control<QLineEdit>(ed, "txtKleinsterWert")->isVisibleTo(&ed));
        type(ed, "dbfGroesse", QStringLiteral("300"));
        ed.btnOkClick();
        focus << ed.focusWidget()->objectName();
        type(ed, "dbfGroesse", QStringLiteral("0"));
        ed.btnOkClick();
        focus << ed.focusWidget()->objectName();
        type(ed, "dbfGroesse", QStringLiteral("20"));
        ed.btnOkClick();
    });
    t->btnNeuesFeldClick();
    QCOMPARE(m_messages->texts(), (QStringList{QStringLiteral("Bitte geben Sie eine gültige ganze Zahl ein!"),
                                               QStringLiteral("Die untere Grenze sollte kleiner als die obere sein!"),
                                               QStringLiteral("Bitte geben Sie einen Wert ein!"),
                                               QStringLiteral("Die Feldgröße muß zwischen 1 und 255 liegen!"),
                                               QStringLiteral("Die Feldgröße muß größer 0 sein!")}));
    QCOMPARE(focus,
             (QStringList{"txtGroessterWert", "txtGroessterWert", "txtKleinsterWert", "dbfGroesse", "dbfGroesse"}));
    const QVariantMap row = fieldRow(db(), 65537, 1);
    QCOMPARE(row.value("Typ").toString(), QStringLiteral("A"));
    QCOMPARE(row.value("Größe").toInt(), 20);
    QVERIFY(row.value("Werte").isNull());
    QVERIFY(!row.value("Strikt").toBool());
    t->btnCancelClick();
}

void TestTTrTable::timeLimitsAreStoredAndShownAgain() {
    auto t = newDesigner(QStringLiteral("Lauf"));
    whenShown<TTrFieldEditor>([](TTrFieldEditor &ed) {
        fillField(ed, QStringLiteral("Zeit"), QStringLiteral("Laufzeit"), "rbtZeit", [](TTrFieldEditor &e) {
            auto *low = control<QLineEdit>(e, "txtKleinsterWert");
            QCOMPARE(low->inputMask(), QStringLiteral("09:99:99;_"));
            // Typed as the coach types it: past the free first hour digit, then digits only.
            low->setFocus();
            low->home(false);
            QTest::keyClick(low, Qt::Key_Right);
            QTest::keyClicks(low, QStringLiteral("01000"));
            control<QLineEdit>(e, "txtGroessterWert")->setText(QStringLiteral("2:00:00"));
        });
    });
    t->btnNeuesFeldClick();
    QCOMPARE(m_messages->texts(), QStringList());
    QCOMPARE(fieldRow(db(), 65537, 1).value("Werte").toString(), QStringLiteral("0:10:00\n2:00:00"));
    QCOMPARE(fieldRow(db(), 65537, 1).value("Typ").toString(), QStringLiteral("Z"));

    // "Feld ändern" shows the stored limits again and keeps them on "Fertig".
    QString shownLow, shownHigh;
    whenShown<TTrFieldEditor>([&](TTrFieldEditor &ed) {
        ed.btnNextClick();
        QVERIFY(control<QRadioButton>(ed, "rbtZeit")->isChecked());
        ed.btnNextClick();
        shownLow = control<QLineEdit>(ed, "txtKleinsterWert")->text();
        shownHigh = control<QLineEdit>(ed, "txtGroessterWert")->text();
        ed.btnOkClick();
    });
    t->btnFeldAendernClick();
    QCOMPARE(shownLow, QStringLiteral("0:10:00"));
    QCOMPARE(shownHigh, QStringLiteral("2:00:00"));
    QCOMPARE(fieldRow(db(), 65537, 1).value("Werte").toString(), QStringLiteral("0:10:00\n2:00:00"));
    t->btnCancelClick();
}

void TestTTrTable::gridBlockRestrictsChoices() {
    auto t = newDesigner(QStringLiteral("Serien"), true);
    QStringList disabled;
    bool postfixShown = true;
    QString prefixCaption;
    whenShown<TTrFieldEditor>([&](TTrFieldEditor &ed) {
        postfixShown = control<QLineEdit>(ed, "dbfPostfix")->isVisibleTo(&ed);
        prefixCaption = control<QLabel>(ed, "lblPrefix")->text();
        type(ed, "dbfFeldname", QStringLiteral("Wdh"));
        type(ed, "dbfBeschreibung", QStringLiteral("Wiederholungen"));
        ed.btnNextClick();
        for (QRadioButton *b : ed.findChildren<QRadioButton *>())
            if (!b->isEnabled())
                disabled << b->objectName();
        QVERIFY(control<QRadioButton>(ed, "rbtTextzeile")->isChecked());
        control<QRadioButton>(ed, "rbtIndikator")->click(); // disabled: nothing happens
        QCOMPARE(ed.checkedCode(), QLatin1Char('A'));
        ed.btnCancelClick();
    });
    t->btnNeuesFeldClick();
    disabled.sort();
    QCOMPARE(disabled, (QStringList{"rbtCombobox", "rbtIndikator", "rbtMemo"}));
    QVERIFY(!postfixShown);
    QCOMPARE(prefixCaption, QStringLiteral("Spaltenbezeichnung"));
    t->btnCancelClick();
}

void TestTTrTable::cancelledFieldLeavesNoRow() {
    auto t = newDesigner(QStringLiteral("Lauf"));
    whenShown<TTrFieldEditor>([](TTrFieldEditor &ed) {
        type(ed, "dbfFeldname", QStringLiteral("Weg"));
        ed.reject(); // Escape
    });
    t->btnNeuesFeldClick();
    QCOMPARE(count(db(), QStringLiteral("select count(*) from TRFIELD where TableNr = 65537")), 0);
    QVERIFY(!control<QPushButton>(*t, "btnFeldAendern")->isEnabled());
    QVERIFY(!t->design().fields().isEditing());
    t->btnCancelClick();
}

void TestTTrTable::deleteField() {
    auto t = newDesigner(QStringLiteral("Lauf"));
    for (const char *choice : {"rbtIndexfeld", "rbtCheckbox"}) {
        whenShown<TTrFieldEditor>([choice](TTrFieldEditor &ed) {
            const QString name = QString::fromLatin1(choice).mid(3);
            fillField(ed, name, name, choice, {});
        });
        t->btnNeuesFeldClick();
    }
    // Only an index field (and an indicator) admits nothing but its list values.
    QVERIFY(fieldRow(db(), 65537, 1).value("Strikt").toBool());
    QCOMPARE(fieldRow(db(), 65537, 1).value("Typ").toString(), QStringLiteral("X"));
    QVERIFY(!fieldRow(db(), 65537, 2).value("Strikt").toBool());
    QVERIFY(t->design().fields().findKey({65537, 1}));
    t->btnFeldLoeschenClick();
    QCOMPARE(m_messages->texts(), QStringList());
    Query q(db(), QStringLiteral("select Feldname from TRFIELD where TableNr = 65537"));
    q.open();
    QCOMPARE(q.recordCount(), 1);
    QCOMPARE(q.value(0).toString(), QStringLiteral("Checkbox"));
    t->btnFeldLoeschenClick();
    QVERIFY(!control<QPushButton>(*t, "btnFeldLoeschen")->isEnabled());
    QVERIFY(!control<QPushButton>(*t, "btnOk")->isEnabled());
    t->btnCancelClick();
}

void TestTTrTable::cancellingNewBlockLeavesNoRows_data() {
    QTest::addColumn<int>("how");
    QTest::newRow("Abbruch") << 0;
    QTest::newRow("Escape") << 1;
    QTest::newRow("caller discards after closing") << 2;
}

void TestTTrTable::cancellingNewBlockLeavesNoRows() {
    QFETCH(int, how);
    const int blocks = count(db(), QStringLiteral("select count(*) from TRTABLE"));
    const int fields = count(db(), QStringLiteral("select count(*) from TRFIELD"));
    TTrTable t;
    t.setTrainerNr(ClubFixture::kCoach);
    t.setIndexFile(m_idx);
    whenShown<TTrTable>([&](TTrTable &w) {
        type(w, "dbfName", QStringLiteral("Verworfen"));
        w.btnNextClick();
        w.btnNextClick();
        whenShown<TTrFieldEditor>(
            [](TTrFieldEditor &ed) { fillField(ed, QStringLiteral("A"), QStringLiteral("A"), "rbtMemo", {}); });
        w.btnNeuesFeldClick();
        QCOMPARE(
            count(w.design().block().database(), QStringLiteral("select count(*) from TRFIELD where TableNr = 65537")),
            1);
        if (how == 0)
            w.btnCancelClick();
        else if (how == 1)
            QTest::keyClick(&w, Qt::Key_Escape);
        else
            w.done(QDialog::Rejected);
    });
    QCOMPARE(t.exec(), int(QDialog::Rejected));
    t.Discard();
    QCOMPARE(count(db(), QStringLiteral("select count(*) from TRTABLE")), blocks);
    QCOMPARE(count(db(), QStringLiteral("select count(*) from TRFIELD")), fields);
    QVERIFY(!db().tableExists(QStringLiteral("TR_1")));
}

void TestTTrTable::failingFinishKeepsDesignerOpen() {
    TTrTable t;
    t.setTrainerNr(ClubFixture::kCoach);
    t.setIndexFile(m_inst->dir() + QStringLiteral("/fehlt/velmora5.IDX"));
    bool openAfterFailure = false;
    QString nameAfterFailure;
    whenShown<TTrTable>([&](TTrTable &w) {
        type(w, "dbfName", QStringLiteral("Lauf"));
        w.btnNextClick();
        w.btnNextClick();
        whenShown<TTrFieldEditor>([](TTrFieldEditor &ed) {
            fillField(ed, QStringLiteral("Dauer"), QStringLiteral("Dauer"), "rbtGanzeZahl", limits("0", "600"));
        });
        w.btnNeuesFeldClick();
        w.btnOkClick();
        openAfterFailure = w.isVisible();
        nameAfterFailure = control<QLineEdit>(w, "dbfName")->text();
        QVERIFY(!w.design().block().database().tableExists(QStringLiteral("TR_1")));
        QCOMPARE(count(w.design().block().database(), QStringLiteral("select count(*) from TRuseTBL")), 0);
        // With a writable index description the same designer finishes.
        w.setIndexFile(m_idx);
        w.btnOkClick();
    });
    QCOMPARE(t.exec(), int(QDialog::Accepted));
    QVERIFY(openAfterFailure);
    QCOMPARE(nameAfterFailure, QStringLiteral("Lauf"));
    QCOMPARE(m_messages->texts().size(), 1);
    QVERIFY(m_messages->texts().first().contains(QStringLiteral("fehlt/velmora5.IDX")));
    QVERIFY(db().tableExists(QStringLiteral("TR_1")));
    QVERIFY(t.LayoutRequested());
    QCOMPARE(count(db(), QStringLiteral("select count(*) from TRTABLE where TableNr = 65537 and Name = 'Lauf'")), 1);
}

void TestTTrTable::existingBlockIsReadOnly() {
    ClubFixture club(db());
    const int fieldsOfBlock =
        count(db(), QStringLiteral("select count(*) from TRFIELD where TableNr = %1").arg(ClubFixture::kBlock));
    QVERIFY(fieldsOfBlock > 0);
    TTrTable t;
    t.setTableNr(ClubFixture::kBlock);
    t.setReadOnly(true);
    QVERIFY(t.prepare());
    QCOMPARE(control<QLineEdit>(t, "dbfName")->text(), QStringLiteral("Lauf"));
    QVERIFY(!control<QWidget>(t, "rgpDarstellung")->isEnabled());
    t.btnNextClick();
    t.btnNextClick();
    QCOMPARE(t.currentPage(), int(TTrTable::PageFelder));
    QCOMPARE(t.design().fieldCount(), fieldsOfBlock);
    QVERIFY(!control<QPushButton>(t, "btnNeuesFeld")->isEnabled());
    QVERIFY(!control<QPushButton>(t, "btnFeldLoeschen")->isEnabled());
    QVERIFY(!control<QPushButton>(t, "btnOk")->isEnabled());
    QVERIFY(control<QPushButton>(t, "btnFeldAendern")->isEnabled());
    // Titles such as "Visible" and every value are shown whole.
    const QString cut = test::cutColumn(*control<QTableView>(t, "dbgFelder"));
    QVERIFY2(cut.isEmpty(), qPrintable(cut));
    // Looking at a field changes nothing.
    bool choicesDisabled = false, okDisabled = false;
    whenShown<TTrFieldEditor>([&](TTrFieldEditor &ed) {
        QVERIFY(control<QLineEdit>(ed, "dbfFeldname")->isReadOnly());
        ed.btnNextClick();
        choicesDisabled = true;
        for (QRadioButton *b : ed.findChildren<QRadioButton *>())
            choicesDisabled = choicesDisabled && !b->isEnabled();
        ed.btnNextClick();
        okDisabled = !control<QPushButton>(ed, "btnOk")->isEnabled();
        ed.btnCancelClick();
    });
    t.btnFeldAendernClick();
    QVERIFY(choicesDisabled);
    QVERIFY(okDisabled);
    t.btnNeuesFeldClick();
    t.btnFeldLoeschenClick();
    t.btnCancelClick();
    QCOMPARE(m_messages->texts(), QStringList());
    QCOMPARE(count(db(), QStringLiteral("select count(*) from TRFIELD where TableNr = %1").arg(ClubFixture::kBlock)),
             fieldsOfBlock);
    QCOMPARE(count(db(), QStringLiteral("select count(*) from TRTABLE where TableNr = %1").arg(ClubFixture::kBlock)),
             1);
}

void TestTTrTable::gridCheckedAgainAtFertig() {
    auto t = newDesigner(QStringLiteral("Farben"));
    t->show();
    whenShown<TTrFieldEditor>([](TTrFieldEditor &ed) {
        fillField(ed, QStringLiteral("Farbe"), QStringLiteral("Farbe"), "rbtCombobox", values(QStringLiteral("rot")));
    });
    t->btnNeuesFeldClick();
    // Back to the presentation, which now becomes a grid.
    t->btnBackClick();
    control<QRadioButton>(*t, "rbtGrid")->click();
    t->btnNextClick();
    t->btnOkClick();
    QCOMPARE(m_messages->texts(),
             QStringList{QStringLiteral("Das Feld \"Farbe\" vom Typ \"Combobox\" kann in der Tabellenform nicht "
                                        "dargestellt werden.\rÄndern Sie bitte das Feld oder wählen Sie "
                                        "\"Einfachformular\".")});
    QVERIFY(t->isVisible());
    QCOMPARE(t->focusWidget(), control<QWidget>(*t, "dbgFelder"));
    QVERIFY(!db().tableExists(QStringLiteral("TR_1")));
    // As a card the block is finished.
    t->btnBackClick();
    control<QRadioButton>(*t, "rbtEinfach")->click();
    t->btnNextClick();
    t->btnOkClick();
    QVERIFY(!t->isVisible());
    QCOMPARE(t->result(), int(QDialog::Accepted));
    QVERIFY(db().tableExists(QStringLiteral("TR_1")));
}

QTEST_MAIN(TestTTrTable)
#include "tst_ttrtable.moc"
