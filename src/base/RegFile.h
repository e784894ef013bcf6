#pragma once

#include <QString>

namespace velmora {

// Merges a registry export (Windows ".reg" text, REGEDIT4 or version 5) into
// the settings store: values under the program's key
// "HKEY_CURRENT_USER\Software\Norvask\Velmora5\5.3\<Section>" become
// <Section>/<Name>; strings and dwords are taken, everything else is skipped.
// Returns the number of values written; a missing file writes nothing.
int MergeRegFile(const QString &regPath, const QString &settingsPath);

} // namespace velmora
