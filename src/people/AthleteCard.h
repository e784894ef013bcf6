#pragma once

#include "store/Cursor.h"

#include <memory>

namespace velmora {

// The rules of a person's card on its tables: the lists of groups and
// coaches, the person row (a new one gets its key and defaults), the shared
// address row keyed by the telephone number, the two password codes and the
// coach that follows the chosen group. The card window binds its editors to
// the cursors and calls these steps; everything a coach typed is either
// posted together by finish() or dropped by cancel().
class AthleteCard {
public:
    struct Options {
        int personNr = 0; // 0: a new person
        int coach = 0;    // TrainerNr of a new person
        bool readOnly = false;
        bool passwordRequired = false;
    };
    // The four password edits as typed.
    struct Passwords {
        QString login, loginCheck; // "Programmzugang:"
        QString read, readCheck;   // "Lesezugriff:"
    };
    enum class AddressState { None, Existing, New };

    // The window's controls the refusals name.
    static constexpr const char *kNachnameControl = "dbfNachname";
    static constexpr const char *kPasswordControl = "txtPasswort";
    static constexpr const char *kReadPasswordControl = "txtFreigabe";
    static constexpr const char *kSexControl = "rgpSex";
    static const QString kNoLastName;
    static const QString kNoSex;
    static const QString kPasswordMismatch;
    static const QString kPasswordMissing;

    AthleteCard(Database &db, int serial);
    ~AthleteCard();
    AthleteCard(const AthleteCard &) = delete;
    AthleteCard &operator=(const AthleteCard &) = delete;

    // Opens the lists and the person: an existing one in edit state (unless
    // read-only) with its address, a new one as an inserted row.
    void open(const Options &options);
    bool isNew() const { return m_new; }
    bool isReadOnly() const { return m_options.readOnly; }
    const Options &options() const { return m_options; }

    Cursor &person() { return *m_person; }
    Cursor &address() { return *m_address; }
    Cursor &groups() { return *m_groups; }
    Cursor &coaches() { return *m_coaches; }

    // The telephone number was entered ("Tel." left): attaches the address
    // row of that number, an existing one for editing or a new one. Input
    // typed for the previous number moves to a new row; an existing shared
    // row is never changed by it.
    AddressState attachTelephone(const QString &telefon);
    AddressState addressState() const { return m_addressState; }

    // "Fertig": checks, codes the passwords, sets Sex (empty: unchanged) and
    // posts the person and its address in one transaction. A person needs
    // "M", "F" or "X": without one it would never be listed to be opened. Refusals raise
    // VelmoraError naming the control; nothing is written then. When a post
    // fails, nothing is written and the card stays as it was.
    void finish(const QString &sex, const Passwords &passwords);
    // "Abbrechen": drops the pending changes of the address and the person.
    void cancel();

    // The algorithms by themselves.
    static int newPersonNr(Database &db, int serial);
    // The group a new person of the coach starts in: the first group (by
    // PersonNr) coached by it, else the first group; 0 when there is none.
    static int defaultGroup(Cursor &groups, int coach);
    // The coach a person gets from its group; keeps `current` when the group
    // is not in the list, so that a missing group never blanks the coach.
    static QVariant trainerFromGroup(Cursor &groups, const QVariant &group, const QVariant &current);

private:
    void newRecord(Cursor &person);
    void beforePost(Cursor &person);
    void postTogether();

    Database &m_db;
    int m_serial;
    Options m_options;
    bool m_new = false;
    AddressState m_addressState = AddressState::None;
    std::unique_ptr<Cursor> m_person, m_address, m_groups, m_coaches;
};

} // namespace velmora
