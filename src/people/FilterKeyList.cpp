#include "people/FilterKeyList.h"

#include <QRegularExpression>

namespace velmora {

bool IsKeyListNumber(const QString &line) {
    static const QRegularExpression number(QStringLiteral("^-?[0-9]{1,10}$"));
    return number.match(line).hasMatch();
}

QStringList KeyListLines(const QString &memo) {
    static const QRegularExpression breaks(QStringLiteral("\r\n|\r|\n"));
    QStringList out;
    for (const QString &l : memo.split(breaks)) {
        // The lines go into SQL texts: anything but a whole number (a damaged
        // or imported row) is skipped, never copied in.
        const QString line = l.trimmed();
        if (IsKeyListNumber(line))
            out << QString::number(line.toLongLong());
    }
    return out;
}

} // namespace velmora
