#include "base/Translations.h"

#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace velmora {

QStringList TranslationDirectories(const QString &programDir) {
    const QDir dir(programDir);
    return {QDir::cleanPath(dir.filePath(QStringLiteral("../share/velmora5/translations"))),
            QDir::cleanPath(dir.filePath(QStringLiteral("translations"))),
            QLibraryInfo::path(QLibraryInfo::TranslationsPath)};
}

QString LoadQtTranslation(QTranslator &translator, const QString &programDir) {
    for (const QString &dir : TranslationDirectories(programDir))
        if (translator.load(QLocale(QLocale::German), QStringLiteral("qtbase"), QStringLiteral("_"), dir))
            return dir;
    return {};
}

} // namespace velmora
