#include "app/DocumentList.h"
#include "base/Helpers.h"
#include "base/Settings.h"
#include "controls/DBControls.h"
#include "people/TFilter.h"
#include "store/Cursor.h"
#include "support/ClubFixture.h"
#include "support/Controls.h"
#include "support/MessageRecorder.h"
#include "support/TempInstallation.h"

#include "support/StoredRow.h"
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>

#include <QTest>

using namespace velmora;
using velmora::test::ClubFixture;
using velmora::test::control;
using velmora::test::type;

namespace {
QVariantMap filterRow(Database &db, int nr) {
    return velmora::test::storedRow(db, QStringLiteral("FILTER"), {nr});
}

void setColumns(Database &db, int nr, const QVariantMap &values) {
    Cursor c(db, QStringLiteral("FILTER"));
    c.open();
    QVERIFY(c.findKey({nr}));
    c.edit();
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        c.setValue(it.key(), it.value());
    c.post();
}

// A mouse click on the button's centre; a check box is clicked as the user
// clicks its box or caption, which lie at its left whatever its width.
void click(QWidget &w, const char *name) {
    auto *b = control<QAbstractButton>(w, name);
    if (qobject_cast<QCheckBox *>(b))
        QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(8, b->height() / 2));
    else
        QTest::mouseClick(b, Qt::LeftButton);
}

void check(QWidget &w, const char *list, int row) {
    control<QListWidget>(w, list)->item(row)->setCheckState(Qt::Checked);
}

QList<int> checkedRows(QWidget &w, const char *list) {
    QList<int> rows;
    auto *l = control<QListWidget>(w, list);
    for (int i = 0; i < l->count(); ++i)
        if (l->item(i)->checkState() == Qt::Checked)
            rows << i;
    return rows;
}

QDateTime day(int y, int m, int d) {
    return QDateTime(QDate(y, m, d), QTime(0, 0));
}
QDateTime days(int n) {
    return QDateTime(FilterRules::kZeroDate.addDays(n), QTime(0, 0));
}

const QDate kToday(2026, 3, 10);
} // namespace

class TestTFilter : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void newFilterIsSaved();
    void relativeRangeIsSavedAndShown();
    void quickButtons_data();
    void quickButtons();
    void typedDateIsSaved();
    void allesStoresNoRange();
    void existingFilterSavedBackUnchanged_data();
    void existingFilterSavedBackUnchanged();
    void emptyNameFocusesTheName();
    void cancelLeavesNoRow_data();
    void cancelLeavesNoRow();
    void readOnlyFilter();

private:
    std::unique_ptr<test::TempInstallation> m_inst;
    std::unique_ptr<ClubFixture> m_club;
    std::unique_ptr<test::MessageRecorder> m_messages;
    Database &db() { return m_inst->db(); }
};

void TestTFilter::init() {
    m_inst = std::make_unique<test::TempInstallation>(ClubFixture::kSerial);
    m_club = std::make_unique<ClubFixture>(m_inst->db());
    m_messages = std::make_unique<test::MessageRecorder>();
    settings().SerienNr = ClubFixture::kSerial;
    RebuildDocumentList(db(), nullptr, ClubFixture::kCoach, ClubFixture::kJugend);
}

void TestTFilter::cleanup() {
    m_messages.reset();
    m_club.reset();
    m_inst.reset();
}

void TestTFilter::newFilterIsSaved() {
    TFilter w(0, ClubFixture::kCoach, ClubFixture::kJugend, QString());
    w.setToday(kToday);
    QVERIFY(w.prepare());
    QCOMPARE(w.windowTitle(), QStringLiteral("Filter"));
    const int nr = ClubFixture::kFilter + 1;
    QCOMPARE(w.filterNr(), nr);
    // Defaults and the spinners preset from today.
    QCOMPARE(control<QComboBox>(w, "cbxDokument")->currentText(), QStringLiteral("IST (Protokoll)"));
    QCOMPARE(control<QComboBox>(w, "cbxPlanungsebene")->currentText(), QStringLiteral("Details"));
    QCOMPARE(control<QSpinBox>(w, "spnWoche")->value(), WeekOfDate(kToday));
    QCOMPARE(control<QSpinBox>(w, "spnMonat")->value(), 3);
    QCOMPARE(control<QSpinBox>(w, "spnJahr")->value(), 2026);
    QVERIFY(!control<QCheckBox>(w, "cbxVon")->isChecked());
    QVERIFY(!control<QCheckBox>(w, "cbxBis")->isChecked());
    QVERIFY(control<QPushButton>(w, "btnJahr")->isEnabled());
    QCOMPARE(control<QLabel>(w, "lblVon")->text(), QString());
    QCOMPARE(control<QListWidget>(w, "lbxAutoren")->count(), 4);
    QCOMPARE(control<QListWidget>(w, "lbxPersonen")->count(), 4);
    QCOMPARE(control<QListWidget>(w, "lbxPersonen")->item(1)->text().left(9), QStringLiteral("Berg Anna"));
    QCOMPARE(control<QListWidget>(w, "lbxFormulare")->count(), 1);
    QCOMPARE(control<QListWidget>(w, "lbxProjekte")->count(), 0);
    QVERIFY(!control<QListWidget>(w, "lbxProjekte")->isEnabled());

    type(w, "dbfName", QStringLiteral("Plan Februar"));
    control<QComboBox>(w, "cbxDokument")->setCurrentIndex(2);
    control<QComboBox>(w, "cbxPlanungsebene")->setCurrentIndex(1);
    control<QSpinBox>(w, "spnMonat")->setValue(2);
    control<QSpinBox>(w, "spnJahr")->setValue(1997);
    click(w, "btnMonat");
    QCOMPARE(control<QLineEdit>(w, "txtVon")->text(), QStringLiteral("01.02.1997"));
    QCOMPARE(control<QLineEdit>(w, "txtBis")->text(), QStringLiteral("01.03.1997"));
    // The first and the third of the persons.
    check(w, "lbxPersonen", 0);
    check(w, "lbxPersonen", 2);
    check(w, "lbxAutoren", 3);
    check(w, "lbxFormulare", 0);
    click(w, "btnOk");

    QCOMPARE(w.result(), int(QDialog::Accepted));
    QVERIFY(m_messages->entries().isEmpty());
    const QVariantMap row = filterRow(db(), nr);
    QCOMPARE(row.value(QStringLiteral("Name")).toString(), QStringLiteral("Plan Februar"));
    QCOMPARE(row.value(QStringLiteral("PersonNr")).toInt(), ClubFixture::kCoach);
    QCOMPARE(row.value(QStringLiteral("Art")).toInt(), 13);
    QCOMPARE(row.value(QStringLiteral("Relativ")).toBool(), false);
    QCOMPARE(row.value(QStringLiteral("Von")).toDateTime(), day(1997, 2, 1));
    QCOMPARE(row.value(QStringLiteral("Bis")).toDateTime(), day(1997, 3, 1));
    QCOMPARE(row.value(QStringLiteral("Personen")).toString(),
             QStringLiteral("%1\r%2").arg(ClubFixture::kJugend).arg(ClubFixture::kPaul));
    QCOMPARE(row.value(QStringLiteral("Autoren")).toString(), QString::number(ClubFixture::kCoach));
    QCOMPARE(row.value(QStringLiteral("Formulare")).toString(), QString::number(ClubFixture::kForm));
    QVERIFY(row.value(QStringLiteral("Projekte")).isNull());
    QVERIFY(!row.value(QStringLiteral("Timestamp")).isNull());
}

void TestTFilter::relativeRangeIsSavedAndShown() {
    const int nr = ClubFixture::kFilter + 1;
    {
        TFilter w(0, ClubFixture::kCoach, ClubFixture::kJugend, QString());
        w.setToday(kToday);
        QVERIFY(w.prepare());
        type(w, "dbfName", QStringLiteral("Letzte zwei Wochen"));
        click(w, "cbxRelativ");
        QCOMPARE(control<QLabel>(w, "lblVon")->text(), QStringLiteral("Tage"));
        QCOMPARE(control<QLabel>(w, "lblBis")->text(), QStringLiteral("Tage"));
        QVERIFY(!control<QPushButton>(w, "btnJahr")->isEnabled());
        QCOMPARE(control<QLineEdit>(w, "txtVon")->inputMask(), FilterRules::kRelativeMask);
        QCOMPARE(control<QLineEdit>(w, "txtVon")->text(), QString());
        control<QSpinBox>(w, "spnWoche")->setValue(2);
        click(w, "btnWoche");
        QCOMPARE(control<QLineEdit>(w, "txtVon")->text(), QStringLiteral("-14"));
        QCOMPARE(control<QLineEdit>(w, "txtBis")->text(), QStringLiteral("0"));
        click(w, "btnOk");
        QCOMPARE(w.result(), int(QDialog::Accepted));
    }
    const QVariantMap row = filterRow(db(), nr);
    QCOMPARE(row.value(QStringLiteral("Relativ")).toBool(), true);
    QCOMPARE(row.value(QStringLiteral("Von")).toDateTime(), days(-14));
    QCOMPARE(row.value(QStringLiteral("Bis")).toDateTime(), days(0));
    // Applied on 10 March that is 24 February to 10 March.
    QCOMPARE(FilterRules::appliedDay(kToday, *FilterRules::storedDays(row.value(QStringLiteral("Von")))),
             QDate(2026, 2, 24));

    TFilter w(nr, ClubFixture::kCoach, ClubFixture::kJugend, QStringLiteral("Letzte zwei Wochen"));
    QVERIFY(w.prepare());
    QCOMPARE(w.windowTitle(), QStringLiteral("Filter Letzte zwei Wochen"));
    QVERIFY(control<QCheckBox>(w, "cbxRelativ")->isChecked());
    QVERIFY(control<QCheckBox>(w, "cbxVon")->isChecked());
    QCOMPARE(control<QLineEdit>(w, "txtVon")->text(), QStringLiteral("-14"));
    QCOMPARE(control<QLineEdit>(w, "txtBis")->text(), QStringLiteral("0"));
    QCOMPARE(control<QLabel>(w, "lblVon")->text(), QStringLiteral("Tage"));
    QVERIFY(!control<QPushButton>(w, "btnJahr")->isEnabled());
    // Switching back to absolute dates empties the edits.
    click(w, "cbxRelativ");
    QCOMPARE(control<QLabel>(w, "lblVon")->text(), QString());
    QVERIFY(control<QPushButton>(w, "btnJahr")->isEnabled());
    QCOMPARE(control<QLineEdit>(w, "txtVon")->text(), QStringLiteral(".."));
    w.btnCancelClick();
}

void TestTFilter::quickButtons_data() {
    QTest::addColumn<QByteArray>("button");
    QTest::addColumn<bool>("relative");
    QTest::addColumn<QString>("von");
    QTest::addColumn<QString>("bis");
    QTest::addColumn<bool>("checked");
    // Spinners: week 2, month 12, year 2025; today 10 March 2026.
    QTest::newRow("heute") << QByteArray("btnHeute") << false << "10.03.2026"
                           << "10.03.2026" << true;
    QTest::newRow("Woche") << QByteArray("btnWoche") << false << "06.01.2025"
                           << "12.01.2025" << true;
    QTest::newRow("Monat") << QByteArray("btnMonat") << false << "01.12.2025"
                           << "01.01.2026" << true;
    QTest::newRow("Jahr") << QByteArray("btnJahr") << false << "01.01.2025"
                          << "01.01.2026" << true;
    QTest::newRow("alles") << QByteArray("btnAlles") << false << ".."
                           << ".." << false;
    QTest::newRow("relative heute") << QByteArray("btnHeute") << true << "-1"
                                    << "0" << true;
    QTest::newRow("relative Woche") << QByteArray("btnWoche") << true << "-14"
                                    << "0" << true;
    QTest::newRow("relative Monat") << QByteArray("btnMonat") << true << "-360"
                                    << "1" << true;
    QTest::newRow("relative alles") << QByteArray("btnAlles") << true << ""
                                    << "" << false;
}

void TestTFilter::quickButtons() {
    QFETCH(QByteArray, button);
    QFETCH(bool, relative);
    QFETCH(QString, von);
    QFETCH(QString, bis);
    QFETCH(bool, checked);
    TFilter w(0, ClubFixture::kCoach, ClubFixture::kJugend, QString());
    w.setToday(kToday);
    QVERIFY(w.prepare());
    if (relative)
        click(w, "cbxRelativ");
    control<QSpinBox>(w, "spnWoche")->setValue(2);
    control<QSpinBox>(w, "spnMonat")->setValue(12);
    control<QSpinBox>(w, "spnJahr")->setValue(2025);
    // Start from the opposite check state, so that "alles" has something to undo.
    control<QCheckBox>(w, "cbxVon")->setChecked(!checked);
    control<QCheckBox>(w, "cbxBis")->setChecked(!checked);
    click(w, button.constData());
    QCOMPARE(control<QLineEdit>(w, "txtVon")->text(), von);
    QCOMPARE(control<QLineEdit>(w, "txtBis")->text(), bis);
    QCOMPARE(control<QCheckBox>(w, "cbxVon")->isChecked(), checked);
    QCOMPARE(control<QCheckBox>(w, "cbxBis")->isChecked(), checked);
    w.btnCancelClick();
}

void TestTFilter::typedDateIsSaved() {
    TFilter w(0, ClubFixture::kCoach, ClubFixture::kJugend, QString());
    w.setToday(kToday);
    QVERIFY(w.prepare());
    type(w, "dbfName", QStringLiteral("Ab Mai"));
    click(w, "cbxVon");
    auto *von = control<QLineEdit>(w, "txtVon");
    von->setFocus();
    von->home(false);
    QTest::keyClicks(von, QStringLiteral("01052025"));
    QCOMPARE(von->text(), QStringLiteral("01.05.2025"));
    // A half-typed date on the other side counts as empty, unreported.
    click(w, "cbxBis");
    auto *bis = control<QLineEdit>(w, "txtBis");
    bis->home(false);
    QTest::keyClicks(bis, QStringLiteral("3112"));
    click(w, "btnOk");
    QCOMPARE(w.result(), int(QDialog::Accepted));
    QVERIFY(m_messages->entries().isEmpty());
    const QVariantMap row = filterRow(db(), w.filterNr());
    QCOMPARE(row.value(QStringLiteral("Von")).toDateTime(), day(2025, 5, 1));
    QVERIFY(row.value(QStringLiteral("Bis")).isNull());
}

void TestTFilter::allesStoresNoRange() {
    setColumns(db(), ClubFixture::kFilter,
               {{QStringLiteral("Von"), day(2026, 1, 1)}, {QStringLiteral("Bis"), day(2026, 2, 1)}});
    TFilter w(ClubFixture::kFilter, ClubFixture::kCoach, ClubFixture::kJugend, QStringLiteral("Ausdauer"));
    QVERIFY(w.prepare());
    QVERIFY(control<QCheckBox>(w, "cbxVon")->isChecked());
    QCOMPARE(control<QLineEdit>(w, "txtVon")->text(), QStringLiteral("01.01.2026"));
    click(w, "btnAlles");
    click(w, "btnOk");
    QCOMPARE(w.result(), int(QDialog::Accepted));
    const QVariantMap row = filterRow(db(), ClubFixture::kFilter);
    QVERIFY(row.value(QStringLiteral("Von")).isNull());
    QVERIFY(row.value(QStringLiteral("Bis")).isNull());
}

void TestTFilter::existingFilterSavedBackUnchanged_data() {
    QTest::addColumn<QVariantMap>("columns");
    QTest::addColumn<QString>("dokument");
    QTest::addColumn<QString>("ebene");
    QTest::addColumn<QString>("von"); // empty: "von" unchecked
    QTest::addColumn<QString>("bis");
    QTest::addColumn<QList<int>>("autoren");
    QTest::addColumn<QList<int>>("personen");
    QTest::addColumn<QList<int>>("formulare");

    // Rows of the person list: Jugend, Anna, Paul, Tom Trainer.
    QTest::newRow("as in the club") << QVariantMap{} << "IST (Protokoll)"
                                    << "Details"
                                    << ""
                                    << "" << QList<int>{3} << QList<int>{1, 2} << QList<int>{0};
    QTest::newRow("week plans with dates") << QVariantMap{{QStringLiteral("Art"), 13},
                                                          {QStringLiteral("Von"), day(1997, 2, 1)},
                                                          {QStringLiteral("Bis"), day(1997, 3, 1)}}
                                           << "SOLL (Plan)"
                                           << "Wochensummen"
                                           << "01.02.1997"
                                           << "01.03.1997" << QList<int>{3} << QList<int>{1, 2} << QList<int>{0};
    QTest::newRow("relative, only a from-side") << QVariantMap{{QStringLiteral("Art"), 21},
                                                               {QStringLiteral("Relativ"), true},
                                                               {QStringLiteral("Von"), days(-30)},
                                                               {QStringLiteral("Autoren"), QVariant()},
                                                               {QStringLiteral("Formulare"), QVariant()}}
                                                << "Leerformular"
                                                << "Zyklensummen"
                                                << "-30"
                                                << "" << QList<int>{} << QList<int>{1, 2} << QList<int>{};
    QTest::newRow("lists with line feeds")
        << QVariantMap{{QStringLiteral("Personen"),
                        QStringLiteral("%1\r\n%2\n").arg(ClubFixture::kJugend).arg(ClubFixture::kCoach)}}
        << "IST (Protokoll)"
        << "Details"
        << ""
        << "" << QList<int>{3} << QList<int>{0, 3} << QList<int>{0};
}

void TestTFilter::existingFilterSavedBackUnchanged() {
    QFETCH(QVariantMap, columns);
    QFETCH(QString, dokument);
    QFETCH(QString, ebene);
    QFETCH(QString, von);
    QFETCH(QString, bis);
    QFETCH(QList<int>, autoren);
    QFETCH(QList<int>, personen);
    QFETCH(QList<int>, formulare);
    if (!columns.isEmpty())
        setColumns(db(), ClubFixture::kFilter, columns);
    QVariantMap before = filterRow(db(), ClubFixture::kFilter);

    TFilter w(ClubFixture::kFilter, ClubFixture::kAnna, ClubFixture::kJugend, QStringLiteral("Ausdauer"));
    QVERIFY(w.prepare());
    QCOMPARE(w.windowTitle(), QStringLiteral("Filter Ausdauer"));
    QCOMPARE(control<QLineEdit>(w, "dbfName")->text(), QStringLiteral("Ausdauer"));
    QCOMPARE(control<QComboBox>(w, "cbxDokument")->currentText(), dokument);
    QCOMPARE(control<QComboBox>(w, "cbxPlanungsebene")->currentText(), ebene);
    QCOMPARE(control<QCheckBox>(w, "cbxVon")->isChecked(), !von.isEmpty());
    QCOMPARE(control<QCheckBox>(w, "cbxBis")->isChecked(), !bis.isEmpty());
    if (!von.isEmpty())
        QCOMPARE(control<QLineEdit>(w, "txtVon")->text(), von);
    if (!bis.isEmpty())
        QCOMPARE(control<QLineEdit>(w, "txtBis")->text(), bis);
    QCOMPARE(checkedRows(w, "lbxAutoren"), autoren);
    QCOMPARE(checkedRows(w, "lbxPersonen"), personen);
    QCOMPARE(checkedRows(w, "lbxFormulare"), formulare);

    click(w, "btnOk");
    QCOMPARE(w.result(), int(QDialog::Accepted));
    QVariantMap after = filterRow(db(), ClubFixture::kFilter);
    QVERIFY(!after.value(QStringLiteral("Timestamp")).isNull());
    before.remove(QStringLiteral("Timestamp"));
    after.remove(QStringLiteral("Timestamp"));
    // Line ends of the key lists are written as the one carriage return.
    if (QTest::currentDataTag() == QByteArrayLiteral("lists with line feeds"))
        before[QStringLiteral("Personen")] =
            QStringLiteral("%1\r%2").arg(ClubFixture::kJugend).arg(ClubFixture::kCoach);
    QCOMPARE(after, before);
}

void TestTFilter::emptyNameFocusesTheName() {
    const qint64 filters = db().rowCount(QStringLiteral("FILTER"));
    TFilter w(0, ClubFixture::kCoach, ClubFixture::kJugend, QString());
    QVERIFY(w.prepare());
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    control<QListWidget>(w, "lbxPersonen")->setFocus();
    w.btnOkClick();
    QCOMPARE(m_messages->texts(Messages::Kind::Error),
             QStringList{QStringLiteral("Bitte geben Sie einen Filternamen an!")});
    QCOMPARE(QApplication::focusWidget(), control<QWidget>(w, "dbfName"));
    QVERIFY(w.isVisible());
    QCOMPARE(db().rowCount(QStringLiteral("FILTER")), filters);
    w.btnCancelClick();
    QCOMPARE(db().rowCount(QStringLiteral("FILTER")), filters);
}

void TestTFilter::cancelLeavesNoRow_data() {
    QTest::addColumn<bool>("escape");
    QTest::newRow("Abbruch") << false;
    QTest::newRow("Escape") << true;
}

void TestTFilter::cancelLeavesNoRow() {
    QFETCH(bool, escape);
    const qint64 filters = db().rowCount(QStringLiteral("FILTER"));
    const QVariantMap existing = filterRow(db(), ClubFixture::kFilter);
    {
        TFilter w(0, ClubFixture::kCoach, ClubFixture::kJugend, QString());
        QVERIFY(w.prepare());
        type(w, "dbfName", QStringLiteral("Verworfen"));
        click(w, "btnHeute");
        if (escape)
            QTest::keyClick(&w, Qt::Key_Escape);
        else
            click(w, "btnCancel");
        QCOMPARE(w.result(), int(QDialog::Rejected));
        QVERIFY(!w.editor().filter().isOpen());
    }
    {
        TFilter w(ClubFixture::kFilter, ClubFixture::kCoach, ClubFixture::kJugend, QStringLiteral("Ausdauer"));
        QVERIFY(w.prepare());
        type(w, "dbfName", QStringLiteral("Anders"));
        click(w, "btnCancel");
    }
    QCOMPARE(db().rowCount(QStringLiteral("FILTER")), filters);
    QCOMPARE(filterRow(db(), ClubFixture::kFilter), existing);
}

void TestTFilter::readOnlyFilter() {
    setColumns(db(), ClubFixture::kFilter, {{QStringLiteral("Von"), day(2026, 1, 1)}});
    const QVariantMap before = filterRow(db(), ClubFixture::kFilter);
    TFilter w(ClubFixture::kFilter, ClubFixture::kCoach, ClubFixture::kJugend, QStringLiteral("Ausdauer"), true);
    QVERIFY(w.prepare());
    QVERIFY(!control<QPushButton>(w, "btnOk")->isEnabled());
    QCOMPARE(control<QLineEdit>(w, "dbfName")->text(), QStringLiteral("Ausdauer"));
    QCOMPARE(checkedRows(w, "lbxPersonen"), (QList<int>{1, 2}));
    type(w, "dbfName", QStringLiteral("Anders"));
    QCOMPARE(control<QLineEdit>(w, "dbfName")->text(), QStringLiteral("Ausdauer"));
    // The box cannot change, so the range shown stays.
    click(w, "cbxRelativ");
    QVERIFY(!control<QCheckBox>(w, "cbxRelativ")->isChecked());
    QCOMPARE(control<QLineEdit>(w, "txtVon")->text(), QStringLiteral("01.01.2026"));
    w.btnOkClick();
    click(w, "btnCancel");
    QCOMPARE(filterRow(db(), ClubFixture::kFilter), before);
}

QTEST_MAIN(TestTFilter)
#include "tst_tfilter.moc"
