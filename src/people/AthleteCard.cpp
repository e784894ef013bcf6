#include "people/AthleteCard.h"

#include "base/PasswordCode.h"
#include "store/Keys.h"

#include <QStringList>

namespace velmora {

const QString AthleteCard::kNoLastName = QStringLiteral("Bitte geben Sie den Nachnamen an!");
const QString AthleteCard::kNoSex = QStringLiteral("Bitte wählen Sie \"männlich\", \"weiblich\" oder \"Gruppe\"!");
const QString AthleteCard::kPasswordMismatch =
    QStringLiteral("Das neue Paßwort stimmt mit der Überprüfung nicht überein!");
const QString AthleteCard::kPasswordMissing =
    QStringLiteral("Sie müssen ein Paßwort angeben, damit Sie das Programm verwenden können!");

namespace {
const QString kPersonNr = QStringLiteral("PersonNr");
const QString kTrainerNr = QStringLiteral("TrainerNr");
const QString kGruppenNr = QStringLiteral("GruppenNr");
const QString kTelefon = QStringLiteral("Telefon");
const QString kAddressFields[] = {QStringLiteral("ADRESSE"), QStringLiteral("PLZ"), QStringLiteral("Ort")};

// A row being edited, kept so that it can be put back into its edit state
// after a transaction that had already posted it was rolled back.
struct PendingRow {
    explicit PendingRow(Cursor &c) : cursor(c), state(c.state()) {
        if (c.isEditing())
            for (size_t i = 0; i < c.fields().size(); ++i)
                values.push_back(c.value(int(i)));
    }
    void restore() {
        if (state != Cursor::State::Insert && state != Cursor::State::Edit)
            return;
        cursor.refresh();
        if (state == Cursor::State::Insert)
            cursor.append();
        else
            cursor.edit();
        for (size_t i = 0; i < values.size(); ++i)
            cursor.setValue(int(i), values[i]);
    }
    Cursor &cursor;
    Cursor::State state;
    std::vector<QVariant> values;
};
} // namespace

AthleteCard::AthleteCard(Database &db, int serial) : m_db(db), m_serial(serial) {}

AthleteCard::~AthleteCard() = default;

int AthleteCard::newPersonNr(Database &db, int serial) {
    return nextObjectKey(db, QStringLiteral("PERSON"), kPersonNr, serial);
}

int AthleteCard::defaultGroup(Cursor &groups, int coach) {
    if (!groups.locate(kTrainerNr, coach))
        groups.first();
    return groups.recNo() < 0 ? 0 : groups.asInt(kPersonNr);
}

QVariant AthleteCard::trainerFromGroup(Cursor &groups, const QVariant &group, const QVariant &current) {
    if (group.isNull() || !groups.locate(kPersonNr, group))
        return current;
    return groups.value(kTrainerNr);
}

void AthleteCard::open(const Options &options) {
    m_options = options;
    m_new = options.personNr == 0;
    m_addressState = AddressState::None;

    m_groups = std::make_unique<Cursor>(m_db, QStringLiteral("PERSON"));
    m_groups->setOrder(kPersonNr);
    m_groups->setFilter(QStringLiteral("Sex = 'X'"));
    m_groups->setFiltered(true);
    m_groups->setReadOnly(true);
    m_groups->open();

    m_coaches = std::make_unique<Cursor>(m_db, QStringLiteral("PERSON"));
    m_coaches->setOrder(QStringLiteral("Nachname;Vorname"));
    m_coaches->setFilter(QStringLiteral("Sex <> 'X'"));
    m_coaches->setFiltered(true);
    m_coaches->setReadOnly(true);
    m_coaches->open();

    m_address = std::make_unique<Cursor>(m_db, QStringLiteral("ADRESSE"));
    m_address->setOrder(kTelefon);
    m_address->setReadOnly(options.readOnly);
    m_address->open();

    m_person = std::make_unique<Cursor>(m_db, QStringLiteral("PERSON"));
    m_person->setOrder(QStringLiteral("PersonNr;Angelegt"));
    m_person->setReadOnly(options.readOnly);
    m_person->onNewRecord = [this](Cursor &c) { newRecord(c); };
    m_person->beforePost = [this](Cursor &c) { beforePost(c); };
    if (!m_new)
        m_person->setRange({options.personNr}, {options.personNr});
    m_person->open();

    if (m_new) {
        if (!options.readOnly)
            m_person->append();
        return;
    }
    // Editing a row that is gone would insert a row without a key.
    if (m_person->recNo() < 0)
        throw VelmoraError(QStringLiteral("Die Person %1 ist nicht mehr vorhanden.").arg(options.personNr));
    const QString telefon = m_person->asString(QStringLiteral("Adresse"));
    if (options.readOnly) {
        if (!telefon.isEmpty() && m_address->findKey({telefon}))
            m_addressState = AddressState::Existing;
        return;
    }
    m_person->edit();
    attachTelephone(telefon);
}

void AthleteCard::newRecord(Cursor &person) {
    const int group = defaultGroup(*m_groups, m_options.coach);
    person.setValue(kPersonNr, newPersonNr(m_db, m_serial));
    person.setValue(kTrainerNr, m_options.coach);
    if (group != 0)
        person.setValue(kGruppenNr, group);
    person.setValue(QStringLiteral("Angelegt"), QDateTime::currentDateTime());
    person.setValue(QStringLiteral("Userlevel"), 1);
    person.setValue(QStringLiteral("SportartNr"), 0);
    person.setValue(QStringLiteral("Status"), QStringLiteral("T"));
}

void AthleteCard::beforePost(Cursor &person) {
    person.setValue(kTrainerNr, trainerFromGroup(*m_groups, person.value(kGruppenNr), person.value(kTrainerNr)));
}

AthleteCard::AddressState AthleteCard::attachTelephone(const QString &telefon) {
    if (m_options.readOnly || !m_person || !m_person->isOpen())
        return m_addressState;
    if (m_person->isEditing() && m_person->asString(QStringLiteral("Adresse")) != telefon)
        m_person->setValue(QStringLiteral("Adresse"), telefon.isEmpty() ? QVariant() : QVariant(telefon));
    if (m_addressState != AddressState::None && m_address->isEditing() && m_address->asString(kTelefon) == telefon)
        return m_addressState;

    // What was typed for the previous number is never written to it now.
    QVariantMap typed;
    if (m_address->isModified())
        for (const QString &f : kAddressFields)
            if (!m_address->isNull(f))
                typed.insert(f, m_address->value(f));
    m_address->cancel();
    m_addressState = AddressState::None;
    if (telefon.isEmpty())
        return m_addressState;

    if (m_address->findKey({telefon})) {
        m_address->edit();
        m_addressState = AddressState::Existing;
    } else {
        m_address->append();
        m_address->setValue(kTelefon, telefon);
        for (auto it = typed.cbegin(); it != typed.cend(); ++it)
            m_address->setValue(it.key(), it.value());
        m_addressState = AddressState::New;
    }
    return m_addressState;
}

void AthleteCard::finish(const QString &sex, const Passwords &pw) {
    if (m_options.readOnly)
        return;
    Cursor &p = *m_person;
    if (!p.isEditing())
        p.edit();
    if (p.asString(QStringLiteral("Nachname")).trimmed().isEmpty())
        throw VelmoraError(kNoLastName, QString::fromLatin1(kNachnameControl));
    // The document list knows persons only as "M"/"F" and groups as "X".
    static const QStringList kSexes{QStringLiteral("M"), QStringLiteral("F"), QStringLiteral("X")};
    if (!kSexes.contains(sex.isEmpty() ? p.asString(QStringLiteral("Sex")) : sex))
        throw VelmoraError(kNoSex, QString::fromLatin1(kSexControl));
    // Text typed only into the check edit is a mismatch too: ignoring it
    // would report a password as set that never was.
    if (pw.login != pw.loginCheck)
        throw VelmoraError(kPasswordMismatch, QString::fromLatin1(kPasswordControl));
    if (pw.login.isEmpty() && m_options.passwordRequired && p.isNull(QStringLiteral("Paßwort")))
        throw VelmoraError(kPasswordMissing, QString::fromLatin1(kPasswordControl));
    if (pw.read != pw.readCheck)
        throw VelmoraError(kPasswordMismatch, QString::fromLatin1(kReadPasswordControl));

    // The address belongs to the number the person row holds now.
    attachTelephone(p.asString(QStringLiteral("Adresse")));

    const int personNr = p.asInt(kPersonNr);
    if (!pw.login.isEmpty())
        p.setValue(QStringLiteral("Paßwort"), PasswordCode(personNr, pw.login));
    if (!pw.read.isEmpty())
        p.setValue(QStringLiteral("Freigabe"), PasswordCode(personNr, pw.read));
    if (!sex.isEmpty())
        p.setValue(QStringLiteral("Sex"), sex);

    postTogether();

    if (m_new) {
        m_person->close();
        m_address->close();
        m_groups->close();
        m_coaches->close();
    } else {
        m_person->edit();
        if (m_addressState != AddressState::None && !m_address->isEditing() && !m_address->isReadOnly())
            m_address->edit();
    }
}

void AthleteCard::postTogether() {
    PendingRow person(*m_person);
    PendingRow address(*m_address);
    m_db.begin();
    try {
        m_person->post();
        if (m_address->isEditing())
            m_address->post();
        m_db.commit();
    } catch (...) {
        m_db.rollback();
        // Rows the cursors believe written are gone again: back to editing.
        if (!m_person->isEditing())
            person.restore();
        if (!m_address->isEditing())
            address.restore();
        throw;
    }
}

void AthleteCard::cancel() {
    if (m_address && m_address->isOpen())
        m_address->cancel();
    if (m_person && m_person->isOpen())
        m_person->cancel();
    m_addressState = AddressState::None;
}

} // namespace velmora
