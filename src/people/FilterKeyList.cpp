#include "people/FilterKeyList.h"

#include <QRegularExpression>

namespace velmora {

QStringList KeyListLines(const QString &memo) {
    static const QRegularExpression breaks(QStringLiteral("\r\n|\r|\n"));
    QStringList out;
    for (const QString &l : memo.split(breaks))
        if (!l.trimmed().isEmpty())
            out << l.trimmed();
    return out;
}

} // namespace velmora
