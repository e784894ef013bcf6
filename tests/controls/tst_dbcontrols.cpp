#include "controls/DBControls.h"
#include "store/Cursor.h"
#include "store/Query.h"
#include "support/ClubFixture.h"
#include "support/MessageRecorder.h"
#include "support/TempInstallation.h"

#include <QApplication>
#include <QFocusEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using namespace velmora;
using velmora::test::ClubFixture;

namespace {
// One person row, ready for bound editors.
struct PersonRow {
    explicit PersonRow(Database &db, int personNr) : cursor(db, QStringLiteral("PERSON")), source(&cursor) {
        cursor.setRange({personNr}, {personNr});
        cursor.open();
    }
    Cursor cursor;
    TDataSource source;
};

QVariant stored(Database &db, int personNr, const QString &field) {
    Cursor c(db, QStringLiteral("PERSON"));
    c.open();
    if (!c.findKey({personNr}))
        return QStringLiteral("<missing>");
    return c.value(field);
}
} // namespace

class TestDBControls : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void typingStartsEditAndPosts();
    void textWidthLimitsInput();
    void followsScrollAndCancel();
    void readOnlyRefuses_data();
    void readOnlyRefuses();
    void validatorStates_data();
    void validatorStates();
    void typedValuesReachTheCursor_data();
    void typedValuesReachTheCursor();
    void halfTypedDateIsNeverPosted();
    void leavingWithInputItCannotTakeIsRefused_data();
    void leavingWithInputItCannotTakeIsRefused();
    void disabledSourceShowsNothing();
    void memoAndCheckBox();
    void comboStoresText();
    void lookupStoresKeyAndMovesList();
    void lookupFromQuery();

private:
    std::unique_ptr<test::TempInstallation> m_inst;
    std::unique_ptr<ClubFixture> m_club;
    std::unique_ptr<test::MessageRecorder> m_messages;
};

void TestDBControls::init() {
    m_inst = std::make_unique<test::TempInstallation>();
    m_club = std::make_unique<ClubFixture>(m_inst->db());
    m_messages = std::make_unique<test::MessageRecorder>();
}

void TestDBControls::cleanup() {
    m_messages.reset();
    m_club.reset();
    m_inst.reset();
}

void TestDBControls::typingStartsEditAndPosts() {
    PersonRow row(m_inst->db(), ClubFixture::kAnna);
    TDBEdit edit;
    edit.setDataSource(&row.source);
    edit.setDataField(QStringLiteral("Nachname"));
    QCOMPARE(edit.text(), QStringLiteral("Berg"));
    QCOMPARE(row.cursor.state(), Cursor::State::Browse);

    QTest::keyClicks(&edit, QStringLiteral("-O'Hara"));
    QCOMPARE(row.cursor.state(), Cursor::State::Edit);
    QCOMPARE(row.cursor.asString(QStringLiteral("Nachname")), QStringLiteral("Berg-O'Hara"));
    row.source.updateRecord();
    row.cursor.post();
    QCOMPARE(stored(m_inst->db(), ClubFixture::kAnna, QStringLiteral("Nachname")).toString(),
             QStringLiteral("Berg-O'Hara"));
    QCOMPARE(edit.text(), QStringLiteral("Berg-O'Hara"));

    // Emptying a text field stores no value rather than an empty text.
    edit.selectAll();
    QTest::keyClick(&edit, Qt::Key_Delete);
    row.cursor.post();
    QVERIFY(stored(m_inst->db(), ClubFixture::kAnna, QStringLiteral("Nachname")).isNull());
}

void TestDBControls::textWidthLimitsInput() {
    PersonRow row(m_inst->db(), ClubFixture::kAnna);
    TDBEdit edit;
    edit.setDataSource(&row.source);
    edit.setDataField(QStringLiteral("Altersklasse"));
    QCOMPARE(edit.maxLength(), 3);
    QTest::keyClicks(&edit, QStringLiteral("U23X"));
    QCOMPARE(edit.text(), QStringLiteral("U23"));
    edit.setDataField(QStringLiteral("Beschreibung")); // no such field: unbound and read-only
    QVERIFY(edit.isEffectivelyReadOnly());
    edit.setDataField(QStringLiteral("Nachname"));
    QCOMPARE(edit.maxLength(), 20);
}

void TestDBControls::followsScrollAndCancel() {
    Cursor cursor(m_inst->db(), QStringLiteral("PERSON"));
    cursor.open();
    TDataSource source(&cursor);
    TDBEdit edit;
    edit.setDataSource(&source);
    edit.setDataField(QStringLiteral("Nachname"));
    QCOMPARE(edit.text(), QStringLiteral("Jugend"));
    cursor.next();
    QCOMPARE(edit.text(), QStringLiteral("Trainer"));

    QTest::keyClicks(&edit, QStringLiteral("in"));
    QCOMPARE(cursor.asString(QStringLiteral("Nachname")), QStringLiteral("Trainerin"));
    cursor.cancel();
    QCOMPARE(edit.text(), QStringLiteral("Trainer"));

    // Values set by code while editing appear at once.
    cursor.edit();
    cursor.setValue(QStringLiteral("Nachname"), QStringLiteral("Coach"));
    QCOMPARE(edit.text(), QStringLiteral("Coach"));
    cursor.cancel();

    cursor.append();
    QVERIFY(edit.text().isEmpty());
    cursor.cancel();
    QCOMPARE(edit.text(), QStringLiteral("Trainer"));
}

void TestDBControls::readOnlyRefuses_data() {
    QTest::addColumn<bool>("editorReadOnly");
    QTest::addColumn<bool>("cursorReadOnly");
    QTest::newRow("editor read-only") << true << false;
    QTest::newRow("cursor read-only") << false << true;
}

void TestDBControls::readOnlyRefuses() {
    QFETCH(bool, editorReadOnly);
    QFETCH(bool, cursorReadOnly);
    Cursor cursor(m_inst->db(), QStringLiteral("PERSON"));
    cursor.setReadOnly(cursorReadOnly);
    cursor.setRange({ClubFixture::kAnna}, {ClubFixture::kAnna});
    cursor.open();
    TDataSource source(&cursor);
    TDBEdit edit;
    TDBMemo memo;
    TDBCheckBox check;
    TDBComboBox combo;
    combo.setItems({QStringLiteral("M"), QStringLiteral("F"), QStringLiteral("X")});
    edit.setDataSource(&source);
    edit.setDataField(QStringLiteral("Nachname"));
    memo.setDataSource(&source);
    memo.setDataField(QStringLiteral("Titel"));
    check.setDataSource(&source);
    check.setDataField(QStringLiteral("LeserechteAndere"));
    combo.setDataSource(&source);
    combo.setDataField(QStringLiteral("Sex"));
    edit.setReadOnly(editorReadOnly);
    memo.setReadOnly(editorReadOnly);
    check.setReadOnly(editorReadOnly);
    combo.setReadOnly(editorReadOnly);

    QVERIFY(edit.QLineEdit::isReadOnly());
    QVERIFY(memo.QPlainTextEdit::isReadOnly());
    QVERIFY(!combo.isEnabled());
    QTest::keyClicks(&edit, QStringLiteral("xyz"));
    QTest::keyClicks(&memo, QStringLiteral("xyz"));
    check.click();
    QCOMPARE(edit.text(), QStringLiteral("Berg"));
    QVERIFY(memo.toPlainText().isEmpty());
    QVERIFY(!check.isChecked());
    QCOMPARE(cursor.state(), Cursor::State::Browse);
    QVERIFY(m_messages->entries().isEmpty());

    // Lifting the editor's own flag makes it writable again, unless the
    // cursor itself is read-only.
    edit.setReadOnly(false);
    QCOMPARE(edit.QLineEdit::isReadOnly(), cursorReadOnly);
}

void TestDBControls::validatorStates_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("input");
    QTest::addColumn<int>("state");
    const int acc = QValidator::Acceptable, mid = QValidator::Intermediate, bad = QValidator::Invalid;
    const int date = int(FieldType::Date), lng = int(FieldType::Long), sht = int(FieldType::Short),
              num = int(FieldType::Number), ts = int(FieldType::Timestamp), tim = int(FieldType::Time);
    QTest::newRow("empty date") << date << "" << acc;
    QTest::newRow("full date") << date << "17.05.1990" << acc;
    QTest::newRow("short date") << date << "1.2.2024" << acc;
    QTest::newRow("two-digit year") << date << "1.2.24" << acc;
    QTest::newRow("three-digit year") << date << "1.2.198" << mid;
    QTest::newRow("day only") << date << "17." << mid;
    QTest::newRow("31 February") << date << "31.02.2024" << mid;
    QTest::newRow("letters in date") << date << "1a" << bad;
    QTest::newRow("ISO date") << date << "2024-01-02" << acc;
    QTest::newRow("ISO date half typed") << date << "2024-01" << mid;
    QTest::newRow("dashes in a German date") << date << "1-2-2024" << bad;
    QTest::newRow("integer") << lng << "-42" << acc;
    QTest::newRow("minus alone") << lng << "-" << mid;
    QTest::newRow("integer with letter") << lng << "4x" << bad;
    QTest::newRow("integer with comma") << lng << "4,5" << bad;
    QTest::newRow("short in range") << sht << "32767" << acc;
    QTest::newRow("short out of range") << sht << "32768" << bad;
    QTest::newRow("long out of range") << lng << "2147483648" << bad;
    QTest::newRow("German decimal") << num << "1,5" << acc;
    QTest::newRow("grouped decimal") << num << "1.500,25" << acc;
    QTest::newRow("decimal point alone") << num << "1." << mid;
    QTest::newRow("decimal with letter") << num << "1,5e" << bad;
    QTest::newRow("date-time") << ts << "03.02.2024 14:30" << acc;
    QTest::newRow("date-time day only") << ts << "03.02.2024" << acc;
    QTest::newRow("date-time half time") << ts << "03.02.2024 14:" << mid;
    QTest::newRow("time") << tim << "7:05" << acc;
    QTest::newRow("bad hour") << tim << "25:00" << mid;
    QTest::newRow("bad minutes") << tim << "25:99:00" << mid;
}

void TestDBControls::validatorStates() {
    QFETCH(int, type);
    QFETCH(QString, input);
    QFETCH(int, state);
    TFieldValidator v{FieldType(type)};
    int pos = 0;
    QCOMPARE(int(v.validate(input, pos)), state);
}

void TestDBControls::typedValuesReachTheCursor_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QVariant>("value");
    QTest::newRow("date") << "Geburtsdatum"
                          << "3.4.2001"
                          << "3.4.2001" << QVariant(QDate(2001, 4, 3));
    QTest::newRow("letters dropped from a number") << "GruppenNr"
                                                   << "12a3"
                                                   << "123" << QVariant(123);
    QTest::newRow("date with letters") << "Geburtsdatum"
                                       << "1x.2.2000"
                                       << "1.2.2000" << QVariant(QDate(2000, 2, 1));
    QTest::newRow("two-digit year of the last century") << "Geburtsdatum"
                                                        << "1.2.85"
                                                        << "1.2.85" << QVariant(QDate(1985, 2, 1));
    QTest::newRow("two-digit year of this century") << "Geburtsdatum"
                                                    << "17.5.07"
                                                    << "17.5.07" << QVariant(QDate(2007, 5, 17));
    QTest::newRow("short") << "Userlevel"
                           << "7"
                           << "7" << QVariant(7);
}

void TestDBControls::typedValuesReachTheCursor() {
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    QFETCH(QVariant, value);
    PersonRow row(m_inst->db(), ClubFixture::kPaul);
    TDBEdit edit;
    edit.setDataSource(&row.source);
    edit.setDataField(field);
    edit.selectAll();
    QTest::keyClick(&edit, Qt::Key_Delete);
    QTest::keyClicks(&edit, typed);
    QCOMPARE(edit.text(), shown);
    row.source.updateRecord();
    row.cursor.post();
    QCOMPARE(stored(m_inst->db(), ClubFixture::kPaul, field), value);
    QVERIFY(m_messages->entries().isEmpty());
}

void TestDBControls::halfTypedDateIsNeverPosted() {
    PersonRow row(m_inst->db(), ClubFixture::kAnna);
    TDBDateEdit edit;
    edit.setObjectName(QStringLiteral("dbfGeburtsdatum"));
    edit.setDataSource(&row.source);
    edit.setDataField(QStringLiteral("Geburtsdatum"));
    QCOMPARE(edit.text(), QStringLiteral("17.05.1990"));
    edit.selectAll();
    QTest::keyClick(&edit, Qt::Key_Delete);
    QTest::keyClicks(&edit, QStringLiteral("1.2."));
    QCOMPARE(row.cursor.state(), Cursor::State::Edit);
    try {
        row.source.updateRecord();
        QFAIL("half-typed date accepted");
    } catch (const VelmoraError &e) {
        QCOMPARE(e.control(), QStringLiteral("dbfGeburtsdatum"));
        QCOMPARE(e.message(), QStringLiteral("'1.2.' ist kein gültiges Datum."));
    }
    // A command moving the focus away keeps the typing as it is: nothing is
    // put back behind the user's back, and the row still is not posted with it.
    QFocusEvent out(QEvent::FocusOut, Qt::OtherFocusReason);
    QApplication::sendEvent(&edit, &out);
    QCOMPARE(edit.text(), QStringLiteral("1.2."));
    QVERIFY_THROWS_EXCEPTION(VelmoraError, row.source.updateRecord());
    QVERIFY(m_messages->entries().isEmpty());
}

void TestDBControls::leavingWithInputItCannotTakeIsRefused_data() {
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("field");
    QTest::addColumn<bool>("dateEdit");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("corrected");
    QTest::addColumn<QVariant>("value");
    QTest::newRow("birth date 31 February") << "PERSON"
                                            << "Geburtsdatum" << true << "31.02.2008"
                                            << "'31.02.2008' ist kein gültiges Datum."
                                            << "29.02.2008" << QVariant(QDate(2008, 2, 29));
    QTest::newRow("half a date") << "PERSON"
                                 << "Geburtsdatum" << true << "1.2."
                                 << "'1.2.' ist kein gültiges Datum."
                                 << "1.2.85" << QVariant(QDate(1985, 2, 1));
    QTest::newRow("entry date 31 February") << "TR"
                                            << "Datum" << true << "31.02.2026"
                                            << "'31.02.2026' ist kein gültiges Datum."
                                            << "28.02.2026" << QVariant(QDateTime(QDate(2026, 2, 28), QTime(0, 0)));
    QTest::newRow("entry date and time, a day alone")
        << "TR"
        << "Datum" << false << "31.02.2026"
        << "'31.02.2026' ist kein gültiges Datum."
        << "28.02.2026 10:15" << QVariant(QDateTime(QDate(2026, 2, 28), QTime(10, 15)));
    QTest::newRow("entry date and time") << "TR"
                                         << "Datum" << false << "28.02.2026 25:00"
                                         << "'28.02.2026 25:00' ist kein gültiger Zeitpunkt."
                                         << "1.3.26" << QVariant(QDateTime(QDate(2026, 3, 1), QTime(0, 0)));
    QTest::newRow("time 25:99:00") << "TR"
                                   << "Zeit" << false << "25:99:00"
                                   << "'25:99:00' ist keine gültige Zeit."
                                   << "23:59:00" << QVariant(QTime(23, 59));
    QTest::newRow("a lone minus") << "PERSON"
                                  << "GruppenNr" << false << "-"
                                  << "'-' ist keine gültige Zahl."
                                  << "-7" << QVariant(-7);
}

// Tab or a click elsewhere with text the field cannot take: the German
// message, the focus stays, the typing stays, the click goes nowhere.
void TestDBControls::leavingWithInputItCannotTakeIsRefused() {
    QFETCH(QString, table);
    QFETCH(QString, field);
    QFETCH(bool, dateEdit);
    QFETCH(QString, typed);
    QFETCH(QString, message);
    QFETCH(QString, corrected);
    QFETCH(QVariant, value);
    Database &db = m_inst->db();
    Cursor cursor(db, table);
    if (table == QLatin1String("TR"))
        cursor.setRange({ClubFixture::kSerial, 2}, {ClubFixture::kSerial, 2});
    else
        cursor.setRange({ClubFixture::kAnna}, {ClubFixture::kAnna});
    cursor.open();
    QVERIFY(cursor.recNo() >= 0);
    const QVariant before = cursor.value(field);
    TDataSource source(&cursor);

    QWidget window;
    TDBEdit *edit = dateEdit ? new TDBDateEdit(&window) : new TDBEdit(&window);
    edit->setObjectName(QStringLiteral("dbfFeld"));
    edit->setDataSource(&source);
    edit->setDataField(field);
    auto *other = new QLineEdit(&window);
    other->move(0, 40);
    auto *list = new QListWidget(&window);
    list->addItems({QStringLiteral("eins"), QStringLiteral("zwei")});
    list->setCurrentRow(0);
    list->setGeometry(0, 80, 100, 60);
    auto *button = new QPushButton(QStringLiteral("Fertig"), &window);
    button->move(0, 150);
    QSignalSpy clicked(button, &QPushButton::clicked);
    window.show();
    QApplication::setActiveWindow(&window);
    QVERIFY(QTest::qWaitForWindowActive(&window));
    edit->setFocus();
    QVERIFY(edit->hasFocus());

    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, typed);
    QCOMPARE(edit->text(), typed);
    QTest::keyClick(edit, Qt::Key_Tab);
    QCOMPARE(m_messages->texts(test::MessageRecorder::Kind::Error), QStringList{message});
    QVERIFY(edit->hasFocus());
    QCOMPARE(edit->text(), typed);

    QTest::mouseClick(other, Qt::LeftButton);
    QCOMPARE(m_messages->texts().size(), 2);
    QVERIFY(edit->hasFocus());
    // The click that tried to leave goes nowhere: the list keeps its row.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(1)).center());
    QCOMPARE(m_messages->texts().size(), 3);
    QVERIFY(edit->hasFocus());
    QCOMPARE(list->currentRow(), 0);
    QCOMPARE(edit->text(), typed);
    // A button's command decides for itself: "Fertig" checks the input.
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(clicked.size(), 1);
    QCOMPARE(m_messages->texts().size(), 3);
    QCOMPARE(edit->text(), typed);
    QVERIFY_THROWS_EXCEPTION(VelmoraError, source.updateRecord());
    edit->setFocus();

    // Corrected, the edit lets go and the value reaches the row.
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, corrected);
    QTest::keyClick(edit, Qt::Key_Tab);
    QVERIFY(!edit->hasFocus());
    QCOMPARE(m_messages->texts().size(), 3);
    source.updateRecord();
    cursor.post();
    QCOMPARE(cursor.value(field), value);
    QVERIFY(before != value);
}

void TestDBControls::disabledSourceShowsNothing() {
    PersonRow row(m_inst->db(), ClubFixture::kAnna);
    TDBEdit edit;
    edit.setDataSource(&row.source);
    edit.setDataField(QStringLiteral("Vorname"));
    row.source.setEnabled(false);
    QVERIFY(edit.text().isEmpty());
    QVERIFY(edit.QLineEdit::isReadOnly());
    QTest::keyClicks(&edit, QStringLiteral("x"));
    QCOMPARE(row.cursor.state(), Cursor::State::Browse);
    row.source.setEnabled(true);
    QCOMPARE(edit.text(), QStringLiteral("Anna"));
}

void TestDBControls::memoAndCheckBox() {
    Cursor filters(m_inst->db(), QStringLiteral("FILTER"));
    filters.open();
    QVERIFY(filters.locate(QStringLiteral("FilterNr"), ClubFixture::kFilter));
    TDataSource source(&filters);
    TDBMemo memo;
    memo.setDataSource(&source);
    memo.setDataField(QStringLiteral("Projekte"));
    TDBCheckBox check(QStringLiteral("relativ"));
    check.setDataSource(&source);
    check.setDataField(QStringLiteral("Relativ"));
    const bool before = check.isChecked();
    QCOMPARE(before, filters.asBool(QStringLiteral("Relativ")));

    memo.selectAll();
    QTest::keyClicks(&memo, QStringLiteral("7"));
    QTest::keyClick(&memo, Qt::Key_Return);
    QTest::keyClicks(&memo, QStringLiteral("8"));
    check.click();
    QCOMPARE(filters.state(), Cursor::State::Edit);
    filters.post();
    Cursor again(m_inst->db(), QStringLiteral("FILTER"));
    again.open();
    QVERIFY(again.locate(QStringLiteral("FilterNr"), ClubFixture::kFilter));
    QCOMPARE(again.asString(QStringLiteral("Projekte")), QStringLiteral("7\n8"));
    QCOMPARE(again.asBool(QStringLiteral("Relativ")), !before);
}

void TestDBControls::comboStoresText() {
    PersonRow row(m_inst->db(), ClubFixture::kAnna);
    TDBComboBox combo;
    combo.setItems({QStringLiteral("M"), QStringLiteral("F"), QStringLiteral("X")});
    combo.setDataSource(&row.source);
    combo.setDataField(QStringLiteral("Sex"));
    QCOMPARE(combo.currentText(), QStringLiteral("F"));
    QTest::keyClick(&combo, Qt::Key_Down);
    QCOMPARE(row.cursor.asString(QStringLiteral("Sex")), QStringLiteral("X"));
    row.cursor.post();
    QCOMPARE(stored(m_inst->db(), ClubFixture::kAnna, QStringLiteral("Sex")).toString(), QStringLiteral("X"));
}

void TestDBControls::lookupStoresKeyAndMovesList() {
    Cursor groups(m_inst->db(), QStringLiteral("PERSON"));
    groups.setFilter(QStringLiteral("Sex = 'X'"));
    groups.setFiltered(true);
    groups.setReadOnly(true);
    groups.open();
    PersonRow row(m_inst->db(), ClubFixture::kOtto);
    TDBLookupComboBox lookup;
    lookup.setListSource(&groups, QStringLiteral("PersonNr"), QStringLiteral("Nachname"));
    lookup.setDataSource(&row.source);
    lookup.setDataField(QStringLiteral("GruppenNr"));
    QCOMPARE(lookup.count(), 2);
    QCOMPARE(lookup.currentText(), QStringLiteral("Senioren"));
    QCOMPARE(groups.asInt(QStringLiteral("PersonNr")), ClubFixture::kSenioren);

    QTest::keyClick(&lookup, Qt::Key_Up);
    QCOMPARE(lookup.currentText(), QStringLiteral("Jugend"));
    QCOMPARE(row.cursor.asInt(QStringLiteral("GruppenNr")), ClubFixture::kJugend);
    QCOMPARE(groups.asInt(QStringLiteral("PersonNr")), ClubFixture::kJugend);
    row.cursor.post();
    QCOMPARE(stored(m_inst->db(), ClubFixture::kOtto, QStringLiteral("GruppenNr")).toInt(), ClubFixture::kJugend);

    // A key missing from the list shows nothing rather than a wrong name.
    row.cursor.edit();
    row.cursor.setValue(QStringLiteral("GruppenNr"), 4711);
    QCOMPARE(lookup.currentIndex(), -1);
    row.cursor.cancel();
}

void TestDBControls::lookupFromQuery() {
    Query coaches(m_inst->db(), QStringLiteral("select PersonNr, Nachname, Vorname from PERSON where Sex <> 'X' "
                                               "order by Nachname"));
    coaches.open();
    PersonRow row(m_inst->db(), ClubFixture::kAnna);
    TDBLookupComboBox lookup;
    lookup.setListSource(&coaches, QStringLiteral("PersonNr"), QStringLiteral("Nachname;Vorname"));
    lookup.setDataSource(&row.source);
    lookup.setDataField(QStringLiteral("TrainerNr"));
    QCOMPARE(lookup.count(), 4);
    QCOMPARE(lookup.currentText(), QStringLiteral("Trainer, Tom"));
    QVERIFY(lookup.selectKey(ClubFixture::kOtto));
    QCOMPARE(row.cursor.asInt(QStringLiteral("TrainerNr")), ClubFixture::kOtto);
}

QTEST_MAIN(TestDBControls)
#include "tst_dbcontrols.moc"
