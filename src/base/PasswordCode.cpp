#include "base/PasswordCode.h"

#include <cstdint>

namespace velmora {

int PasswordCode(int personNr, const QString &password) {
    const QByteArray bytes = password.left(8).toLatin1();
    const int n = int(bytes.size());
    // Unsigned arithmetic gives the wrap-around of the two's-complement
    // original without undefined behaviour.
    uint32_t h = uint32_t(personNr);
    uint32_t previous = uint32_t(n); // c0 is the length
    for (int i = 0; i < n; ++i) {
        const uint32_t c = uint8_t(bytes[i]);
        h = h * c + h + previous;
        const int32_t signedH = int32_t(h);
        h = uint32_t(signedH % 2147483647); // remainder takes the dividend's sign
        previous = c;
    }
    return int32_t(h);
}

} // namespace velmora
