#pragma once

#include <QString>
#include <QStringList>

class QTranslator;

namespace velmora {

// Where the German texts of Qt's own dialogs are looked for, in this order:
// the installed program's share/velmora5/translations, the build directory's
// translations folder next to the program, then Qt's own directory.
QStringList TranslationDirectories(const QString &programDir);

// Loads qtbase_de from the first of those directories that has it; returns
// that directory, empty when none has it.
QString LoadQtTranslation(QTranslator &translator, const QString &programDir);

} // namespace velmora
