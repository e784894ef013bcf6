#pragma once

#include <QString>

namespace velmora {

// The stored code of a person's password: seeded with the person number,
// at most 8 characters (Latin-1 codes), 32-bit arithmetic with wrap-around.
int PasswordCode(int personNr, const QString &password);

} // namespace velmora
