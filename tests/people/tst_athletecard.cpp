#include "base/PasswordCode.h"
#include "people/AthleteCard.h"
#include "store/Cursor.h"
#include "support/ClubFixture.h"
#include "support/TempInstallation.h"

#include "support/StoredRow.h"

#include <QTest>

using namespace velmora;
using velmora::test::ClubFixture;

namespace {
// The stored PERSON row, read past the card's cursors.
QVariantMap personRow(Database &db, int nr) {
    return velmora::test::storedRow(db, QStringLiteral("PERSON"), {nr});
}

QVariantMap addressRow(Database &db, const QString &telefon) {
    return velmora::test::storedRow(db, QStringLiteral("ADRESSE"), {telefon});
}

AthleteCard::Options newPerson(int coach) {
    AthleteCard::Options o;
    o.coach = coach;
    return o;
}

AthleteCard::Options existing(int nr, bool readOnly = false) {
    AthleteCard::Options o;
    o.personNr = nr;
    o.readOnly = readOnly;
    return o;
}
} // namespace

class TestAthleteCard : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void firstKeyOfAnInstallation_data();
    void firstKeyOfAnInstallation();
    void newRowDefaults_data();
    void newRowDefaults();
    void firstGroupKeepsItsCoach();
    void trainerFollowsGroup();
    void sharedTelephoneSharesOneAddress();
    void changedTelephoneNeverTouchesTheSharedRow();
    void emptyTelephoneDropsTheAddress();
    void passwords_data();
    void passwords();
    void lastNameRequired();
    void sexRequired_data();
    void sexRequired();
    void cancelLeavesNoRows();
    void failedPostWritesNothing();
    void readOnlyChangesNothing();
    void namesWithQuotesSurvive();
    void missingPersonIsRefused();

private:
    std::unique_ptr<test::TempInstallation> m_inst;
    std::unique_ptr<ClubFixture> m_club;
    Database &db() { return m_inst->db(); }
};

void TestAthleteCard::init() {
    m_inst = std::make_unique<test::TempInstallation>(ClubFixture::kSerial);
    m_club = std::make_unique<ClubFixture>(m_inst->db());
}

void TestAthleteCard::cleanup() {
    m_club.reset();
    m_inst.reset();
}

void TestAthleteCard::firstKeyOfAnInstallation_data() {
    QTest::addColumn<int>("serial");
    QTest::addColumn<int>("key");
    QTest::newRow("installation 2, no rows in its block") << 2 << 131073;
    QTest::newRow("installation 1 after the club") << 1 << ClubFixture::kOtto + 1;
}

void TestAthleteCard::firstKeyOfAnInstallation() {
    QFETCH(int, serial);
    QFETCH(int, key);
    AthleteCard card(db(), serial);
    card.open(newPerson(ClubFixture::kCoach));
    QCOMPARE(card.person().state(), Cursor::State::Insert);
    QCOMPARE(card.person().asInt(QStringLiteral("PersonNr")), key);
    card.person().setValue(QStringLiteral("Nachname"), QStringLiteral("Neu"));
    card.finish(QStringLiteral("M"), {});
    QCOMPARE(personRow(db(), key).value(QStringLiteral("Nachname")).toString(), QStringLiteral("Neu"));
}

void TestAthleteCard::newRowDefaults_data() {
    QTest::addColumn<int>("coach");
    QTest::addColumn<int>("group");
    QTest::newRow("coach of a group") << ClubFixture::kCoach << ClubFixture::kJugend;
    QTest::newRow("coach of no group: the first group") << ClubFixture::kAnna << ClubFixture::kJugend;
}

void TestAthleteCard::newRowDefaults() {
    QFETCH(int, coach);
    QFETCH(int, group);
    AthleteCard card(db(), 1);
    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
    card.open(newPerson(coach));
    Cursor &p = card.person();
    QCOMPARE(p.asInt(QStringLiteral("TrainerNr")), coach);
    QCOMPARE(p.asInt(QStringLiteral("GruppenNr")), group);
    QCOMPARE(p.asInt(QStringLiteral("Userlevel")), 1);
    QCOMPARE(p.value(QStringLiteral("SportartNr")), QVariant(0));
    QCOMPARE(p.asString(QStringLiteral("Status")), QStringLiteral("T"));
    QVERIFY(p.asDateTime(QStringLiteral("Angelegt")) >= before);
    QCOMPARE(card.groups().asInt(QStringLiteral("PersonNr")), group);
    p.setValue(QStringLiteral("Nachname"), QStringLiteral("Neu"));
    const int nr = p.asInt(QStringLiteral("PersonNr"));
    card.finish(QStringLiteral("F"), {});
    const QVariantMap row = personRow(db(), nr);
    QCOMPARE(row.value(QStringLiteral("Sex")).toString(), QStringLiteral("F"));
    QVERIFY(row.value(QStringLiteral("Timestamp")).toDateTime() >= before);
    QVERIFY(row.value(QStringLiteral("Paßwort")).isNull());
    QVERIFY(!card.person().isOpen()); // a new person's card closes its tables
}

void TestAthleteCard::firstGroupKeepsItsCoach() {
    // The first group of a fresh installation: there is no group to take a
    // coach from, so the coach stays the one who created it.
    test::TempInstallation fresh(3);
    AthleteCard card(fresh.db(), 3);
    card.open(newPerson(3 * 65536 + 9));
    QVERIFY(card.person().isNull(QStringLiteral("GruppenNr")));
    card.person().setValue(QStringLiteral("Nachname"), QStringLiteral("Erste Gruppe"));
    card.finish(QStringLiteral("X"), {});
    QCOMPARE(personRow(fresh.db(), 3 * 65536 + 1).value(QStringLiteral("TrainerNr")).toInt(), 3 * 65536 + 9);
}

void TestAthleteCard::trainerFollowsGroup() {
    {
        AthleteCard card(db(), 1);
        card.open(existing(ClubFixture::kAnna));
        card.person().setValue(QStringLiteral("TrainerNr"), ClubFixture::kOtto);
        card.finish(QString(), {});
        QCOMPARE(personRow(db(), ClubFixture::kAnna).value(QStringLiteral("TrainerNr")).toInt(), ClubFixture::kCoach);
        QCOMPARE(card.person().state(), Cursor::State::Edit); // an existing card goes on editing
    }
    AthleteCard card(db(), 1);
    card.open(existing(ClubFixture::kAnna));
    card.person().setValue(QStringLiteral("GruppenNr"), ClubFixture::kSenioren);
    card.finish(QString(), {});
    const QVariantMap row = personRow(db(), ClubFixture::kAnna);
    QCOMPARE(row.value(QStringLiteral("GruppenNr")).toInt(), ClubFixture::kSenioren);
    QCOMPARE(row.value(QStringLiteral("TrainerNr")).toInt(), 0);                // Senioren has no coach
    QCOMPARE(row.value(QStringLiteral("Sex")).toString(), QStringLiteral("F")); // no choice: unchanged
}

void TestAthleteCard::sharedTelephoneSharesOneAddress() {
    const qint64 addresses = db().rowCount(QStringLiteral("ADRESSE"));
    for (int person : {ClubFixture::kAnna, ClubFixture::kPaul}) {
        AthleteCard card(db(), 1);
        card.open(existing(person));
        const auto state = card.attachTelephone(QStringLiteral("030 12345"));
        if (person == ClubFixture::kAnna) {
            QCOMPARE(state, AthleteCard::AddressState::New);
            card.address().setValue(QStringLiteral("ADRESSE"), QStringLiteral("Hauptstr. 1"));
            card.address().setValue(QStringLiteral("Ort"), QStringLiteral("Berlin"));
        } else {
            QCOMPARE(state, AthleteCard::AddressState::Existing);
            QCOMPARE(card.address().state(), Cursor::State::Edit);
            QCOMPARE(card.address().asString(QStringLiteral("ADRESSE")), QStringLiteral("Hauptstr. 1"));
            card.address().setValue(QStringLiteral("ADRESSE"), QStringLiteral("Nebenstr. 2"));
        }
        card.finish(QString(), {});
    }
    QCOMPARE(db().rowCount(QStringLiteral("ADRESSE")), addresses + 1);
    QCOMPARE(personRow(db(), ClubFixture::kAnna).value(QStringLiteral("Adresse")).toString(),
             QStringLiteral("030 12345"));
    QCOMPARE(personRow(db(), ClubFixture::kPaul).value(QStringLiteral("Adresse")).toString(),
             QStringLiteral("030 12345"));
    const QVariantMap a = addressRow(db(), QStringLiteral("030 12345"));
    QCOMPARE(a.value(QStringLiteral("ADRESSE")).toString(), QStringLiteral("Nebenstr. 2"));
    QCOMPARE(a.value(QStringLiteral("Ort")).toString(), QStringLiteral("Berlin"));

    // Reopened, the card shows the shared row.
    AthleteCard again(db(), 1);
    again.open(existing(ClubFixture::kAnna));
    QCOMPARE(again.addressState(), AthleteCard::AddressState::Existing);
    QCOMPARE(again.address().asString(QStringLiteral("ADRESSE")), QStringLiteral("Nebenstr. 2"));
}

void TestAthleteCard::changedTelephoneNeverTouchesTheSharedRow() {
    {
        AthleteCard card(db(), 1);
        card.open(existing(ClubFixture::kAnna));
        card.attachTelephone(QStringLiteral("111"));
        card.address().setValue(QStringLiteral("ADRESSE"), QStringLiteral("A-Weg"));
        card.finish(QString(), {});
    }
    AthleteCard card(db(), 1);
    card.open(existing(ClubFixture::kPaul));
    QCOMPARE(card.attachTelephone(QStringLiteral("111")), AthleteCard::AddressState::Existing);
    card.address().setValue(QStringLiteral("ADRESSE"), QStringLiteral("B-Weg"));
    // Leaving "Tel." again without a change keeps what was typed.
    QCOMPARE(card.attachTelephone(QStringLiteral("111")), AthleteCard::AddressState::Existing);
    QCOMPARE(card.address().asString(QStringLiteral("ADRESSE")), QStringLiteral("B-Weg"));
    QCOMPARE(card.attachTelephone(QStringLiteral("222")), AthleteCard::AddressState::New);
    QCOMPARE(card.address().asString(QStringLiteral("ADRESSE")), QStringLiteral("B-Weg"));
    QCOMPARE(card.person().asString(QStringLiteral("Adresse")), QStringLiteral("222"));
    card.finish(QString(), {});
    QCOMPARE(addressRow(db(), QStringLiteral("111")).value(QStringLiteral("ADRESSE")).toString(),
             QStringLiteral("A-Weg"));
    QCOMPARE(addressRow(db(), QStringLiteral("222")).value(QStringLiteral("ADRESSE")).toString(),
             QStringLiteral("B-Weg"));
}

void TestAthleteCard::emptyTelephoneDropsTheAddress() {
    const qint64 addresses = db().rowCount(QStringLiteral("ADRESSE"));
    AthleteCard card(db(), 1);
    card.open(newPerson(ClubFixture::kCoach));
    card.person().setValue(QStringLiteral("Nachname"), QStringLiteral("Ohne"));
    QCOMPARE(card.attachTelephone(QStringLiteral("555")), AthleteCard::AddressState::New);
    QCOMPARE(card.attachTelephone(QString()), AthleteCard::AddressState::None);
    QVERIFY(!card.address().isEditing());
    card.finish(QStringLiteral("M"), {});
    QCOMPARE(db().rowCount(QStringLiteral("ADRESSE")), addresses);
}

void TestAthleteCard::passwords_data() {
    QTest::addColumn<QString>("login");
    QTest::addColumn<QString>("loginCheck");
    QTest::addColumn<QString>("read");
    QTest::addColumn<QString>("readCheck");
    QTest::addColumn<bool>("required");
    QTest::addColumn<bool>("storedBefore");
    QTest::addColumn<QString>("error");
    QTest::addColumn<QString>("control");
    const QString mismatch = AthleteCard::kPasswordMismatch, missing = AthleteCard::kPasswordMissing;
    QTest::newRow("both set") << "geheim"
                              << "geheim"
                              << "lesen"
                              << "lesen" << false << false << ""
                              << "";
    QTest::newRow("all empty keeps the codes") << ""
                                               << ""
                                               << ""
                                               << "" << false << true << ""
                                               << "";
    QTest::newRow("nine characters") << "geheim123"
                                     << "geheim123"
                                     << ""
                                     << "" << false << false << ""
                                     << "";
    QTest::newRow("login mismatch") << "geheim"
                                    << "geheiM"
                                    << ""
                                    << "" << false << false << mismatch << "txtPasswort";
    QTest::newRow("only the check typed") << ""
                                          << "geheim"
                                          << ""
                                          << "" << false << false << mismatch << "txtPasswort";
    QTest::newRow("read mismatch") << "geheim"
                                   << "geheim"
                                   << "a"
                                   << "b" << false << false << mismatch << "txtFreigabe";
    QTest::newRow("required, none stored") << ""
                                           << ""
                                           << ""
                                           << "" << true << false << missing << "txtPasswort";
    QTest::newRow("required, one stored") << ""
                                          << ""
                                          << ""
                                          << "" << true << true << ""
                                          << "";
}

void TestAthleteCard::passwords() {
    QFETCH(QString, login);
    QFETCH(QString, loginCheck);
    QFETCH(QString, read);
    QFETCH(QString, readCheck);
    QFETCH(bool, required);
    QFETCH(bool, storedBefore);
    QFETCH(QString, error);
    QFETCH(QString, control);
    const int nr = ClubFixture::kPaul;
    const int oldLogin = PasswordCode(nr, QStringLiteral("alt")),
              oldRead = PasswordCode(nr, QStringLiteral("altlesen"));
    if (storedBefore) {
        Cursor c(db(), QStringLiteral("PERSON"));
        c.open();
        QVERIFY(c.findKey({nr}));
        c.edit();
        c.setValue(QStringLiteral("Paßwort"), oldLogin);
        c.setValue(QStringLiteral("Freigabe"), oldRead);
        c.post();
    }
    const QVariantMap before = personRow(db(), nr);
    AthleteCard card(db(), 1);
    AthleteCard::Options o = existing(nr);
    o.passwordRequired = required;
    card.open(o);
    card.person().setValue(QStringLiteral("Vorname"), QStringLiteral("Paulchen"));
    try {
        card.finish(QString(), {login, loginCheck, read, readCheck});
        QVERIFY2(error.isEmpty(), "refusal expected");
    } catch (const VelmoraError &e) {
        QCOMPARE(e.message(), error);
        QCOMPARE(e.control(), control);
        QCOMPARE(personRow(db(), nr), before); // nothing posted
        return;
    }
    const QVariantMap row = personRow(db(), nr);
    QCOMPARE(row.value(QStringLiteral("Vorname")).toString(), QStringLiteral("Paulchen"));
    const QVariant expectLogin =
        login.isEmpty() ? before.value(QStringLiteral("Paßwort")) : QVariant(PasswordCode(nr, login));
    const QVariant expectRead =
        read.isEmpty() ? before.value(QStringLiteral("Freigabe")) : QVariant(PasswordCode(nr, read));
    QCOMPARE(row.value(QStringLiteral("Paßwort")), expectLogin);
    QCOMPARE(row.value(QStringLiteral("Freigabe")), expectRead);
    if (login.size() > 8)
        QCOMPARE(row.value(QStringLiteral("Paßwort")).toInt(), PasswordCode(nr, login.left(8)));
    // The code is seeded with the person: another person's code differs.
    if (!login.isEmpty())
        QVERIFY(row.value(QStringLiteral("Paßwort")).toInt() != PasswordCode(ClubFixture::kAnna, login));
}

void TestAthleteCard::lastNameRequired() {
    const qint64 persons = db().rowCount(QStringLiteral("PERSON"));
    AthleteCard card(db(), 1);
    card.open(newPerson(ClubFixture::kCoach));
    card.person().setValue(QStringLiteral("Nachname"), QStringLiteral("   "));
    try {
        card.finish(QStringLiteral("M"), {QStringLiteral("x"), QStringLiteral("x"), {}, {}});
        QFAIL("no refusal");
    } catch (const VelmoraError &e) {
        QCOMPARE(e.message(), QStringLiteral("Bitte geben Sie den Nachnamen an!"));
        QCOMPARE(e.control(), QStringLiteral("dbfNachname"));
    }
    QCOMPARE(db().rowCount(QStringLiteral("PERSON")), persons);
    QCOMPARE(card.person().state(), Cursor::State::Insert);
}

void TestAthleteCard::sexRequired_data() {
    QTest::addColumn<bool>("isNew");
    QTest::newRow("new person") << true;
    QTest::newRow("stored without a choice") << false;
}

// Without "M", "F" or "X" a person would be in no part of the document list.
void TestAthleteCard::sexRequired() {
    QFETCH(bool, isNew);
    if (!isNew)
        db().exec(QStringLiteral("UPDATE PERSON SET Sex = NULL WHERE PersonNr = %1").arg(ClubFixture::kPaul));
    const qint64 persons = db().rowCount(QStringLiteral("PERSON"));
    const QVariantMap paul = personRow(db(), ClubFixture::kPaul);
    AthleteCard card(db(), 1);
    card.open(isNew ? newPerson(ClubFixture::kCoach) : existing(ClubFixture::kPaul));
    card.person().setValue(QStringLiteral("Nachname"), QStringLiteral("Ohnewahl"));
    try {
        card.finish(QString(), {});
        QFAIL("no refusal");
    } catch (const VelmoraError &e) {
        QCOMPARE(e.message(), QStringLiteral("Bitte wählen Sie \"männlich\", \"weiblich\" oder \"Gruppe\"!"));
        QCOMPARE(e.control(), QStringLiteral("rgpSex"));
    }
    QCOMPARE(db().rowCount(QStringLiteral("PERSON")), persons);
    QCOMPARE(personRow(db(), ClubFixture::kPaul), paul);
    QVERIFY(card.person().isEditing());
    // Chosen, the same card is saved.
    card.finish(QStringLiteral("M"), {});
    const int nr = isNew ? ClubFixture::kOtto + 1 : ClubFixture::kPaul;
    QCOMPARE(personRow(db(), nr).value(QStringLiteral("Sex")).toString(), QStringLiteral("M"));
    QCOMPARE(personRow(db(), nr).value(QStringLiteral("Nachname")).toString(), QStringLiteral("Ohnewahl"));
}

void TestAthleteCard::cancelLeavesNoRows() {
    const qint64 persons = db().rowCount(QStringLiteral("PERSON"));
    const qint64 addresses = db().rowCount(QStringLiteral("ADRESSE"));
    AthleteCard card(db(), 1);
    card.open(newPerson(ClubFixture::kCoach));
    card.person().setValue(QStringLiteral("Nachname"), QStringLiteral("Weg"));
    card.attachTelephone(QStringLiteral("0800"));
    card.address().setValue(QStringLiteral("Ort"), QStringLiteral("Nirgendwo"));
    card.attachTelephone(QStringLiteral("0900")); // a second number, the first never written
    card.cancel();
    QCOMPARE(db().rowCount(QStringLiteral("PERSON")), persons);
    QCOMPARE(db().rowCount(QStringLiteral("ADRESSE")), addresses);
}

void TestAthleteCard::failedPostWritesNothing() {
    const qint64 persons = db().rowCount(QStringLiteral("PERSON"));
    AthleteCard card(db(), 1);
    card.open(newPerson(ClubFixture::kCoach));
    const int nr = card.person().asInt(QStringLiteral("PersonNr"));
    card.person().setValue(QStringLiteral("Nachname"), QStringLiteral("Halb"));
    QCOMPARE(card.attachTelephone(QStringLiteral("999")), AthleteCard::AddressState::New);
    card.address().setValue(QStringLiteral("Ort"), QStringLiteral("Hier"));
    {
        // Someone else takes the number meanwhile: the address insert fails.
        Cursor other(db(), QStringLiteral("ADRESSE"));
        other.open();
        other.append();
        other.setValue(QStringLiteral("Telefon"), QStringLiteral("999"));
        other.post();
    }
    QVERIFY_THROWS_EXCEPTION(EngineError, card.finish(QStringLiteral("M"), {}));
    QCOMPARE(db().rowCount(QStringLiteral("PERSON")), persons);
    QCOMPARE(card.person().state(), Cursor::State::Insert);
    QCOMPARE(card.person().asString(QStringLiteral("Nachname")), QStringLiteral("Halb"));
    QCOMPARE(card.person().asInt(QStringLiteral("PersonNr")), nr);

    db().execLocal(QStringLiteral("delete from ADRESSE where Telefon = '999'"));
    card.finish(QStringLiteral("M"), {});
    QCOMPARE(db().rowCount(QStringLiteral("PERSON")), persons + 1);
    QCOMPARE(personRow(db(), nr).value(QStringLiteral("Nachname")).toString(), QStringLiteral("Halb"));
    QCOMPARE(addressRow(db(), QStringLiteral("999")).value(QStringLiteral("Ort")).toString(), QStringLiteral("Hier"));
}

void TestAthleteCard::readOnlyChangesNothing() {
    const QVariantMap before = personRow(db(), ClubFixture::kAnna);
    AthleteCard card(db(), 1);
    card.open(existing(ClubFixture::kAnna, true));
    QCOMPARE(card.person().state(), Cursor::State::Browse);
    QVERIFY_THROWS_EXCEPTION(VelmoraError, card.person().edit());
    card.finish(QStringLiteral("M"), {QStringLiteral("x"), QStringLiteral("x"), {}, {}});
    QCOMPARE(card.attachTelephone(QStringLiteral("123")), AthleteCard::AddressState::None);
    QCOMPARE(personRow(db(), ClubFixture::kAnna), before);
}

void TestAthleteCard::namesWithQuotesSurvive() {
    const QString last = QStringLiteral("O'Neil \"Jr\"; DROP TABLE PERSON;--");
    const QString first = QStringLiteral("Zoë ' or '1'='1");
    AthleteCard card(db(), 1);
    card.open(newPerson(ClubFixture::kCoach));
    const int nr = card.person().asInt(QStringLiteral("PersonNr"));
    card.person().setValue(QStringLiteral("Nachname"), last);
    card.person().setValue(QStringLiteral("Vorname"), first);
    card.attachTelephone(QStringLiteral("'; --"));
    card.finish(QStringLiteral("M"), {QStringLiteral("p'w\""), QStringLiteral("p'w\""), {}, {}});
    const QVariantMap row = personRow(db(), nr);
    QCOMPARE(row.value(QStringLiteral("Nachname")).toString(), last.left(20));
    QCOMPARE(row.value(QStringLiteral("Vorname")).toString(), first);
    QCOMPARE(row.value(QStringLiteral("Paßwort")).toInt(), PasswordCode(nr, QStringLiteral("p'w\"")));
    QVERIFY(!addressRow(db(), QStringLiteral("'; --")).isEmpty());
}

void TestAthleteCard::missingPersonIsRefused() {
    AthleteCard card(db(), 1);
    QVERIFY_THROWS_EXCEPTION(VelmoraError, card.open(existing(4711)));
    QCOMPARE(db().rowCount(QStringLiteral("PERSON")), 6);
}

QTEST_GUILESS_MAIN(TestAthleteCard)
#include "tst_athletecard.moc"
