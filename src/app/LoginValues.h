#pragma once

#include "store/Database.h"

#include <QString>

namespace velmora {

// What a login hands to the main window.
struct LoginValues {
    int personNr = 0, gruppenNr = 0, trainerNr = 0;
    QString statusText;  // "Angemeldet: " + Vorname + " " + Nachname
};

// The login values of a PERSON row: its PersonNr and GruppenNr; a group
// (Sex 'X') works under its coach TrainerNr, anyone else under the own
// number. A person that is not in the table is refused (VelmoraError).
LoginValues LoginValuesFor(Database &db, int personNr);

} // namespace velmora
