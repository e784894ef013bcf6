#pragma once

#include <QString>
#include <QStringList>

namespace velmora {

// The key lists of a filter: one number per line, lines split at CR or LF.
// Only lines holding a whole number count; others are skipped.
QStringList KeyListLines(const QString &memo);
// A whole number (an optional minus and at most ten digits), as a key-list line holds.
bool IsKeyListNumber(const QString &line);

} // namespace velmora
