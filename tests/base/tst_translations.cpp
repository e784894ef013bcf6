#include "base/Translations.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLibraryInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QTranslator>

using namespace velmora;

class TestTranslations : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void installedBeforeBuildBeforeQt() {
        const QStringList dirs = TranslationDirectories(QStringLiteral("/opt/velmora/bin"));
        QCOMPARE(dirs.value(0), QStringLiteral("/opt/velmora/share/velmora5/translations"));
        QCOMPARE(dirs.value(1), QStringLiteral("/opt/velmora/bin/translations"));
        QCOMPARE(dirs.value(2), QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    }

    void findsTheInstalledCopy_data() {
        QTest::addColumn<QString>("layout"); // where the catalogue lies, below the prefix
        QTest::newRow("installed") << QStringLiteral("share/velmora5/translations");
        QTest::newRow("build directory") << QStringLiteral("bin/translations");
    }
    void findsTheInstalledCopy() {
        QFETCH(QString, layout);
        const QString system =
            QDir(QLibraryInfo::path(QLibraryInfo::TranslationsPath)).filePath(QStringLiteral("qtbase_de.qm"));
        if (!QFile::exists(system))
            QSKIP("qtbase_de.qm is not installed on this machine");
        QTemporaryDir prefix;
        QVERIFY(QDir(prefix.path()).mkpath(layout));
        QVERIFY(QDir(prefix.path()).mkpath(QStringLiteral("bin")));
        QVERIFY(QFile::copy(system, prefix.filePath(layout + QStringLiteral("/qtbase_de.qm"))));
        QTranslator translator;
        const QString used = LoadQtTranslation(translator, prefix.filePath(QStringLiteral("bin")));
        QCOMPARE(used, QDir::cleanPath(prefix.filePath(layout)));
        QVERIFY(!translator.isEmpty());
        // A text of Qt's own dialogs comes out German.
        QCOMPARE(translator.translate("QPlatformTheme", "Cancel"), QStringLiteral("Abbrechen"));
    }

    void fallsBackToQtsOwn() {
        QTemporaryDir prefix;
        QTranslator translator;
        const QString used = LoadQtTranslation(translator, prefix.filePath(QStringLiteral("bin")));
        const bool systemHasIt = QFile::exists(
            QDir(QLibraryInfo::path(QLibraryInfo::TranslationsPath)).filePath(QStringLiteral("qtbase_de.qm")));
        QCOMPARE(used, systemHasIt ? QLibraryInfo::path(QLibraryInfo::TranslationsPath) : QString());
    }
};

QTEST_GUILESS_MAIN(TestTranslations)
#include "tst_translations.moc"
