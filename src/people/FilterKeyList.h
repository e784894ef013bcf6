#pragma once

#include <QString>
#include <QStringList>

namespace velmora {

// The key lists of a filter: one number per line, lines split at CR or LF.
QStringList KeyListLines(const QString &memo);

} // namespace velmora
