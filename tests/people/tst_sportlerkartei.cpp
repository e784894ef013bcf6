#include "base/PasswordCode.h"
#include "base/Settings.h"
#include "controls/DBControls.h"
#include "people/TSportlerkartei.h"
#include "store/Cursor.h"
#include "support/ClubFixture.h"
#include "support/Controls.h"
#include "support/MessageRecorder.h"
#include "support/TempInstallation.h"

#include "support/StoredRow.h"
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <QTest>

using namespace velmora;
using velmora::test::ClubFixture;
using velmora::test::control;
using velmora::test::type;

namespace {
QVariantMap personRow(Database &db, int nr) {
    return velmora::test::storedRow(db, QStringLiteral("PERSON"), {nr});
}

} // namespace

class TestSportlerkartei : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void newPersonIsSaved();
    void existingPersonIsShown();
    void sexLayout_data();
    void sexLayout();
    void newGroupFlag();
    void telephoneEnablesAddress();
    void passwordMismatchEmptiesThePair_data();
    void passwordMismatchEmptiesThePair();
    void missingLastNameFocusesIt();
    void missingSexFocusesTheChoice();
    void cancelLeavesNoRows_data();
    void cancelLeavesNoRows();
    void readOnlyCard();
    void trainerFollowsChosenGroup();
    void quotesInNames();

private:
    std::unique_ptr<test::TempInstallation> m_inst;
    std::unique_ptr<ClubFixture> m_club;
    std::unique_ptr<test::MessageRecorder> m_messages;
    Database &db() { return m_inst->db(); }
};

void TestSportlerkartei::init() {
    m_inst = std::make_unique<test::TempInstallation>(ClubFixture::kSerial);
    m_club = std::make_unique<ClubFixture>(m_inst->db());
    m_messages = std::make_unique<test::MessageRecorder>();
    settings().SerienNr = ClubFixture::kSerial;
}

void TestSportlerkartei::cleanup() {
    m_messages.reset();
    m_club.reset();
    m_inst.reset();
}

void TestSportlerkartei::newPersonIsSaved() {
    TSportlerkartei card(0, ClubFixture::kCoach, false, QString());
    QVERIFY(card.prepare());
    QCOMPARE(card.windowTitle(), QStringLiteral("Sportlerkartei"));
    const int nr = ClubFixture::kOtto + 1;
    QCOMPARE(card.personNr(), nr);
    QCOMPARE(control<TDBLookupComboBox>(card, "cbxGruppe")->currentText(), QStringLiteral("Jugend"));
    QCOMPARE(control<TDBLookupComboBox>(card, "cbxTrainer")->currentText(), QStringLiteral("Trainer, Tom"));

    type(card, "dbfNachname", QStringLiteral("Neumann"));
    type(card, "dbfVorname", QStringLiteral("Nina"));
    type(card, "dbfGeburtsdatum", QStringLiteral("02.03.2004"));
    control<QRadioButton>(card, "rbWeiblich")->click();
    type(card, "dbfTelefon", QStringLiteral("0301"));
    card.dbfTelefonExit();
    type(card, "dbfStrasse", QStringLiteral("Am Sportplatz 3"));
    type(card, "txtPasswort", QStringLiteral("laufen"));
    type(card, "txtPasswortCheck", QStringLiteral("laufen"));
    control<TDBCheckBox>(card, "cbxLeserechteGruppe")->click();
    card.btnOkClick();

    QCOMPARE(card.result(), int(QDialog::Accepted));
    QVERIFY(m_messages->entries().isEmpty());
    const QVariantMap row = personRow(db(), nr);
    QCOMPARE(row.value(QStringLiteral("Nachname")).toString(), QStringLiteral("Neumann"));
    QCOMPARE(row.value(QStringLiteral("Vorname")).toString(), QStringLiteral("Nina"));
    QCOMPARE(row.value(QStringLiteral("Geburtsdatum")).toDate(), QDate(2004, 3, 2));
    QCOMPARE(row.value(QStringLiteral("Sex")).toString(), QStringLiteral("F"));
    QCOMPARE(row.value(QStringLiteral("GruppenNr")).toInt(), ClubFixture::kJugend);
    QCOMPARE(row.value(QStringLiteral("TrainerNr")).toInt(), ClubFixture::kCoach);
    QCOMPARE(row.value(QStringLiteral("Paßwort")).toInt(), PasswordCode(nr, QStringLiteral("laufen")));
    QVERIFY(row.value(QStringLiteral("Freigabe")).isNull());
    QCOMPARE(row.value(QStringLiteral("LeserechteGruppe")).toBool(), true);
    QCOMPARE(row.value(QStringLiteral("Status")).toString(), QStringLiteral("T"));
    QCOMPARE(row.value(QStringLiteral("Adresse")).toString(), QStringLiteral("0301"));
    Cursor a(db(), QStringLiteral("ADRESSE"));
    a.open();
    QVERIFY(a.findKey({QStringLiteral("0301")}));
    QCOMPARE(a.asString(QStringLiteral("ADRESSE")), QStringLiteral("Am Sportplatz 3"));
}

void TestSportlerkartei::existingPersonIsShown() {
    TSportlerkartei card(ClubFixture::kAnna, ClubFixture::kCoach, false, QStringLiteral("Anna Berg"));
    QVERIFY(card.prepare());
    QCOMPARE(card.windowTitle(), QStringLiteral("Karteiblatt von Anna Berg"));
    QVERIFY(control<QRadioButton>(card, "rbWeiblich")->isChecked());
    QCOMPARE(control<QLineEdit>(card, "dbfNachname")->text(), QStringLiteral("Berg"));
    QCOMPARE(control<QLineEdit>(card, "dbfGeburtsdatum")->text(), QStringLiteral("17.05.1990"));
    QCOMPARE(control<QLineEdit>(card, "dbfNachname")->maxLength(), 20);
    QCOMPARE(control<TDBLookupComboBox>(card, "cbxGruppe")->currentText(), QStringLiteral("Jugend"));
    QVERIFY(control<TDBCheckBox>(card, "cbxLeserechteGruppe")->isChecked());
    QVERIFY(!control<QLineEdit>(card, "dbfStrasse")->isEnabled()); // no telephone yet
    QCOMPARE(card.card().person().state(), Cursor::State::Edit);
}

void TestSportlerkartei::sexLayout_data() {
    QTest::addColumn<QString>("choice");
    QTest::addColumn<bool>("group");
    QTest::newRow("männlich") << "rbMaennlich" << false;
    QTest::newRow("weiblich") << "rbWeiblich" << false;
    QTest::newRow("Gruppe") << "rbGruppe" << true;
}

void TestSportlerkartei::sexLayout() {
    QFETCH(QString, choice);
    QFETCH(bool, group);
    TSportlerkartei card(ClubFixture::kJugend, ClubFixture::kCoach, false, QStringLiteral("Jugend"));
    QVERIFY(card.prepare());
    QVERIFY(control<QRadioButton>(card, "rbGruppe")->isChecked()); // preset from Sex "X"
    card.findChild<QRadioButton *>(choice)->click();
    auto *vorname = control<QLineEdit>(card, "dbfVorname");
    auto *nachname = control<QLineEdit>(card, "dbfNachname");
    QCOMPARE(vorname->isHidden(), group);
    QCOMPARE(control<QLabel>(card, "lblNachname")->isHidden(), group);
    QCOMPARE(control<QLabel>(card, "lblVorname")->text(), group ? QStringLiteral("Name") : QStringLiteral("Vorname"));
    auto *grid = card.findChild<QGridLayout *>(QStringLiteral("gridNamen"));
    QVERIFY(grid);
    int row = -1, column = -1, rowSpan = 0, columnSpan = 0;
    grid->getItemPosition(grid->indexOf(nachname), &row, &column, &rowSpan, &columnSpan);
    QCOMPARE(column, group ? 0 : 1);
    QCOMPARE(columnSpan, group ? 2 : 1);
}

void TestSportlerkartei::newGroupFlag() {
    TSportlerkartei card(0, ClubFixture::kCoach, false, QString());
    card.setNewGroup(true);
    QVERIFY(card.prepare());
    QVERIFY(control<QRadioButton>(card, "rbGruppe")->isChecked());
    QVERIFY(control<QLineEdit>(card, "dbfVorname")->isHidden());
    type(card, "dbfNachname", QStringLiteral("Masters"));
    card.btnOkClick();
    QCOMPARE(card.result(), int(QDialog::Accepted));
    const QVariantMap row = personRow(db(), card.personNr());
    QCOMPARE(row.value(QStringLiteral("Sex")).toString(), QStringLiteral("X"));
    QCOMPARE(row.value(QStringLiteral("Nachname")).toString(), QStringLiteral("Masters"));
}

void TestSportlerkartei::telephoneEnablesAddress() {
    TSportlerkartei card(ClubFixture::kPaul, ClubFixture::kCoach, false, QStringLiteral("Paul Meier"));
    QVERIFY(card.prepare());
    auto *street = control<QLineEdit>(card, "dbfStrasse");
    QVERIFY(!street->isEnabled());
    type(card, "dbfTelefon", QStringLiteral("0401"));
    card.dbfTelefonExit();
    QVERIFY(street->isEnabled());
    QVERIFY(!street->QLineEdit::isReadOnly());
    type(card, "dbfOrt", QStringLiteral("Hamburg"));
    type(card, "dbfTelefon", QString());
    card.dbfTelefonExit();
    QVERIFY(!street->isEnabled());
    QVERIFY(control<QLineEdit>(card, "dbfOrt")->text().isEmpty());
    card.btnOkClick();
    QCOMPARE(db().rowCount(QStringLiteral("ADRESSE")), 0);
    QVERIFY(personRow(db(), ClubFixture::kPaul).value(QStringLiteral("Adresse")).isNull());
}

void TestSportlerkartei::passwordMismatchEmptiesThePair_data() {
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("check");
    QTest::addColumn<QString>("otherFirst");
    QTest::addColumn<QString>("otherCheck");
    QTest::newRow("Programmzugang") << "txtPasswort"
                                    << "txtPasswortCheck"
                                    << "txtFreigabe"
                                    << "txtFreigabeCheck";
    QTest::newRow("Lesezugriff") << "txtFreigabe"
                                 << "txtFreigabeCheck"
                                 << "txtPasswort"
                                 << "txtPasswortCheck";
}

void TestSportlerkartei::passwordMismatchEmptiesThePair() {
    QFETCH(QString, first);
    QFETCH(QString, check);
    QFETCH(QString, otherFirst);
    QFETCH(QString, otherCheck);
    const QVariantMap before = personRow(db(), ClubFixture::kAnna);
    TSportlerkartei card(ClubFixture::kAnna, ClubFixture::kCoach, false, QStringLiteral("Anna Berg"));
    QVERIFY(card.prepare());
    type(card, "dbfVorname", QStringLiteral("Annika"));
    type(card, qPrintable(first), QStringLiteral("eins"));
    type(card, qPrintable(check), QStringLiteral("zwei"));
    type(card, qPrintable(otherFirst), QStringLiteral("bleibt"));
    type(card, qPrintable(otherCheck), QStringLiteral("bleibt"));
    card.btnOkClick();
    QCOMPARE(m_messages->texts(Messages::Kind::Error),
             QStringList{QStringLiteral("Das neue Paßwort stimmt mit der Überprüfung nicht überein!")});
    QVERIFY(card.findChild<QLineEdit *>(first)->text().isEmpty());
    QVERIFY(card.findChild<QLineEdit *>(check)->text().isEmpty());
    QCOMPARE(card.findChild<QLineEdit *>(otherFirst)->text(), QStringLiteral("bleibt"));
    QCOMPARE(card.findChild<QLineEdit *>(otherCheck)->text(), QStringLiteral("bleibt"));
    QCOMPARE(personRow(db(), ClubFixture::kAnna), before);
    QCOMPARE(card.result(), int(QDialog::Rejected)); // still open: no result yet
}

void TestSportlerkartei::missingLastNameFocusesIt() {
    const qint64 persons = db().rowCount(QStringLiteral("PERSON"));
    TSportlerkartei card(0, ClubFixture::kCoach, false, QString());
    QVERIFY(card.prepare());
    card.show();
    QVERIFY(QTest::qWaitForWindowActive(&card));
    control<QLineEdit>(card, "txtPasswort")->setFocus();
    card.btnOkClick();
    QCOMPARE(m_messages->texts(Messages::Kind::Error),
             QStringList{QStringLiteral("Bitte geben Sie den Nachnamen an!")});
    QCOMPARE(QApplication::focusWidget(), control<QWidget>(card, "dbfNachname"));
    QVERIFY(card.isVisible());
    QCOMPARE(db().rowCount(QStringLiteral("PERSON")), persons);
    card.btnCancelClick();
}

void TestSportlerkartei::missingSexFocusesTheChoice() {
    const qint64 persons = db().rowCount(QStringLiteral("PERSON"));
    TSportlerkartei card(0, ClubFixture::kCoach, false, QString());
    QVERIFY(card.prepare());
    card.show();
    QVERIFY(QTest::qWaitForWindowActive(&card));
    type(card, "dbfNachname", QStringLiteral("Neumann"));
    QTest::mouseClick(control<QPushButton>(card, "btnOk"), Qt::LeftButton);
    QCOMPARE(m_messages->texts(Messages::Kind::Error),
             QStringList{QStringLiteral("Bitte wählen Sie \"männlich\", \"weiblich\" oder \"Gruppe\"!")});
    QCOMPARE(QApplication::focusWidget(), control<QWidget>(card, "rbMaennlich"));
    QVERIFY(card.isVisible());
    QCOMPARE(db().rowCount(QStringLiteral("PERSON")), persons);
    // The choice made, "Fertig" saves what was typed.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    QTest::mouseClick(control<QPushButton>(card, "btnOk"), Qt::LeftButton);
    QVERIFY(!card.isVisible());
    QCOMPARE(card.result(), int(QDialog::Accepted));
    const QVariantMap row = personRow(db(), card.personNr());
    QCOMPARE(row.value(QStringLiteral("Nachname")).toString(), QStringLiteral("Neumann"));
    QCOMPARE(row.value(QStringLiteral("Sex")).toString(), QStringLiteral("M"));
}

void TestSportlerkartei::cancelLeavesNoRows_data() {
    QTest::addColumn<bool>("escape");
    QTest::newRow("Abbrechen") << false;
    QTest::newRow("Escape") << true;
}

void TestSportlerkartei::cancelLeavesNoRows() {
    QFETCH(bool, escape);
    const qint64 persons = db().rowCount(QStringLiteral("PERSON"));
    {
        TSportlerkartei card(0, ClubFixture::kCoach, false, QString());
        QVERIFY(card.prepare());
        type(card, "dbfNachname", QStringLiteral("Vergessen"));
        type(card, "dbfTelefon", QStringLiteral("0221"));
        card.dbfTelefonExit();
        type(card, "dbfStrasse", QStringLiteral("Domplatz"));
        if (escape)
            QTest::keyClick(&card, Qt::Key_Escape);
        else
            card.btnCancelClick();
        // Both ways run the cancel: the new row is dropped, not left pending.
        QVERIFY(!card.card().person().isEditing());
        QVERIFY(!card.card().address().isEditing());
    }
    {
        // An existing card drops what was typed as well.
        TSportlerkartei card(ClubFixture::kAnna, ClubFixture::kCoach, false, QStringLiteral("Anna Berg"));
        QVERIFY(card.prepare());
        type(card, "dbfNachname", QStringLiteral("Anders"));
        card.btnCancelClick();
    }
    QCOMPARE(db().rowCount(QStringLiteral("PERSON")), persons);
    QCOMPARE(db().rowCount(QStringLiteral("ADRESSE")), 0);
    QCOMPARE(personRow(db(), ClubFixture::kAnna).value(QStringLiteral("Nachname")).toString(), QStringLiteral("Berg"));
}

void TestSportlerkartei::readOnlyCard() {
    const QVariantMap before = personRow(db(), ClubFixture::kOtto);
    TSportlerkartei card(ClubFixture::kOtto, ClubFixture::kCoach, true, QStringLiteral("Otto Fremd"));
    QVERIFY(card.prepare());
    auto *nachname = control<TDBEdit>(card, "dbfNachname");
    QVERIFY(nachname->QLineEdit::isReadOnly());
    QVERIFY(!control<TDBLookupComboBox>(card, "cbxGruppe")->isEnabled());
    QVERIFY(!control<QWidget>(card, "rgpSex")->isEnabled());
    QVERIFY(!control<QLineEdit>(card, "txtPasswort")->isEnabled());
    QTest::keyClicks(nachname, QStringLiteral("xyz"));
    control<TDBCheckBox>(card, "cbxLeserechteAndere")->click();
    QCOMPARE(nachname->text(), QStringLiteral("Fremd"));
    QCOMPARE(card.card().person().state(), Cursor::State::Browse);
    card.btnOkClick();
    QCOMPARE(card.result(), int(QDialog::Accepted));
    QCOMPARE(personRow(db(), ClubFixture::kOtto), before);
    QVERIFY(m_messages->entries().isEmpty());
}

void TestSportlerkartei::trainerFollowsChosenGroup() {
    TSportlerkartei card(ClubFixture::kPaul, ClubFixture::kCoach, false, QStringLiteral("Paul Meier"));
    QVERIFY(card.prepare());
    auto *trainer = control<TDBLookupComboBox>(card, "cbxTrainer");
    QVERIFY(trainer->selectKey(ClubFixture::kOtto));
    card.btnOkClick();
    QCOMPARE(personRow(db(), ClubFixture::kPaul).value(QStringLiteral("TrainerNr")).toInt(), ClubFixture::kCoach);

    TSportlerkartei again(ClubFixture::kPaul, ClubFixture::kCoach, false, QStringLiteral("Paul Meier"));
    QVERIFY(again.prepare());
    auto *group = control<TDBLookupComboBox>(again, "cbxGruppe");
    QTest::keyClick(group, Qt::Key_Down);
    QCOMPARE(group->currentText(), QStringLiteral("Senioren"));
    again.btnOkClick();
    const QVariantMap row = personRow(db(), ClubFixture::kPaul);
    QCOMPARE(row.value(QStringLiteral("GruppenNr")).toInt(), ClubFixture::kSenioren);
    QCOMPARE(row.value(QStringLiteral("TrainerNr")).toInt(), 0);
}

void TestSportlerkartei::quotesInNames() {
    const QString name = QStringLiteral("O'Hara \"Ann\"; --");
    TSportlerkartei card(0, ClubFixture::kCoach, false, QString());
    QVERIFY(card.prepare());
    type(card, "dbfNachname", name);
    control<QRadioButton>(card, "rbWeiblich")->click();
    card.btnOkClick();
    QCOMPARE(personRow(db(), card.personNr()).value(QStringLiteral("Nachname")).toString(), name);

    TSportlerkartei shown(card.personNr(), ClubFixture::kCoach, false, name);
    QVERIFY(shown.prepare());
    QCOMPARE(shown.windowTitle(), QStringLiteral("Karteiblatt von ") + name);
    QCOMPARE(control<QLineEdit>(shown, "dbfNachname")->text(), name);
}

QTEST_MAIN(TestSportlerkartei)
#include "tst_sportlerkartei.moc"
