#include "app/LoginValues.h"

#include "store/Cursor.h"

namespace velmora {

LoginValues LoginValuesFor(Database &db, int personNr) {
    Cursor person(db, QStringLiteral("PERSON"));
    person.setReadOnly(true);
    person.open();
    if (!person.locate(QStringLiteral("PersonNr"), personNr))
        throw VelmoraError(QStringLiteral("Die Person %1 ist nicht vorhanden.").arg(personNr));

    LoginValues v;
    v.personNr = person.asInt(QStringLiteral("PersonNr"));
    v.gruppenNr = person.asInt(QStringLiteral("GruppenNr"));
    v.statusText = QStringLiteral("Angemeldet: ") + person.asString(QStringLiteral("Vorname")) + QLatin1Char(' ') +
                   person.asString(QStringLiteral("Nachname"));

    // The group cursor: the person's own row, if it is a group.
    Cursor group(db, QStringLiteral("PERSON"));
    group.setReadOnly(true);
    group.setFilter(QStringLiteral("Sex = 'X'"));
    group.setFiltered(true);
    group.setMasterSource(&person, QStringLiteral("PersonNr"), QStringLiteral("PersonNr"));
    group.open();
    v.trainerNr = group.isEmpty() ? v.personNr : group.asInt(QStringLiteral("TrainerNr"));
    group.close();
    return v;
}

} // namespace velmora
