// The program: the command line, the installation, then the start-up
// sequence that ends in the main window (class TMainForm).
#include "app/DemoClub.h"
#include "app/ExchangeRun.h"
#include "app/Installation.h"
#include "app/ProgramStart.h"
#include "base/CommandLine.h"
#include "base/Log.h"
#include "base/Paths.h"
#include "base/Settings.h"
#include "base/Translations.h"
#include "controls/TMessageBoxes.h"
#include "design/FormElementCache.h"
#include "evaluation/CommandLineEvaluation.h"
#include "print/CommandLinePrint.h"
#include "print/PrintSettings.h"
#include "store/Errors.h"

#include <QApplication>
#include <QGuiApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTextStream>
#include <QTranslator>
#include <cstdio>
#include <optional>

using namespace velmora;

namespace {
int fail(const QString &message) {
    std::fprintf(stderr, "velmora5: %s\n", message.toLocal8Bit().constData());
    return 2;
}
} // namespace

int main(int argc, char **argv) {
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    const CommandLine cl = parseCommandLine(args);
    if (!cl.error.isEmpty())
        return fail(cl.error);
    if (cl.help) {
        std::fputs(commandLineHelp().toLocal8Bit().constData(), stdout);
        return 0;
    }
    if (cl.version) {
        std::printf("Velmora 5 %s\n", VELMORA_VERSION);
        return 0;
    }

    // The application exists before the installation is checked, so that a
    // coach who started the program from a desktop icon sees why it ends.
    // --init, --evaluate, --print-pdf and the exchange commands run without
    // windows (for scripts and scheduled jobs) and report on standard error only.
    const bool windowless = cl.init || cl.evaluate != 0 || !cl.printPdf.isEmpty() || cl.exchange();
    std::optional<QApplication> app;
    // --print-pdf needs fonts, not a screen: the offscreen platform serves a
    // scheduled job on a machine without a display.
    std::optional<QGuiApplication> printApp;
    if (!cl.printPdf.isEmpty()) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        printApp.emplace(argc, argv);
    }
    std::optional<QCoreApplication> coreApp;
    QTranslator qtTranslator;
    TMessageBoxes boxes;
    if (!windowless) {
        app.emplace(argc, argv);
        QApplication::setApplicationName(QStringLiteral("Velmora 5"));
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        // Installed, the catalogue lies in share/velmora5/translations; in the
        // build directory next to the program; else Qt's own.
        if (!LoadQtTranslation(qtTranslator, QCoreApplication::applicationDirPath()).isEmpty())
            QApplication::installTranslator(&qtTranslator);
        // Every window takes the program's own icon.
        QApplication::setWindowIcon(QIcon(QStringLiteral(":/velmora5.png")));
        Messages::install(&boxes);
    }

    Installation installation(cl.configDir);
    try {
        if (cl.demo) {
            // The index description goes next to the program as the block
            // designer's does; without windows there is no program path.
            QString idxPath;
            if (app) {
                InitPaths(QApplication::applicationFilePath(), installation.configDir(), QString(), QString());
                idxPath = FileNextToProgram(QStringLiteral("IDX"));
            }
            DemoClub::createInstallation(installation, cl.serial, idxPath);
        } else {
            installation.initialize(cl.serial);
        }
    } catch (const VelmoraError &e) {
        const int rc = ProgramStart::refuseStart(e.message(), app.has_value());
        Messages::install(nullptr);
        return rc;
    }
    if (cl.init)
        return 0;
    if (cl.evaluate != 0) {
        // No window: the result goes to standard output for scripts.
        QTextStream out(stdout);
        out.setEncoding(QStringConverter::Utf8);
        QString error;
        int rc = 2;
        try {
            rc = EvaluateToText(installation.dblog(),
                                {cl.evaluate, cl.person, cl.kind, cl.comparePerson, cl.compareKind}, out, &error);
        } catch (const VelmoraError &e) {
            error = e.message();
        }
        return rc == 0 ? 0 : fail(error);
    }
    if (!cl.printPdf.isEmpty()) {
        // The print settings file lies next to the program, as for the window.
        InitPaths(QCoreApplication::applicationFilePath(), installation.configDir(),
                  installation.engine().path(QString::fromLatin1(Engine::kDblog)),
                  installation.engine().path(QString::fromLatin1(Engine::kDblogCopy)));
        QString error;
        int rc = 2;
        try {
            LoadFormElementCache(installation.dblog(), nullptr);
            rc = PrintDiaryToPdf(installation.dblog(), FormElementCache(),
                                 {cl.person, cl.kind, cl.from, cl.to, cl.printPdf}, PrintSettings::DefaultPath(),
                                 QGuiApplication::font(), &error);
        } catch (const VelmoraError &e) {
            error = e.message();
        }
        return rc == 0 ? 0 : fail(error);
    }
    if (cl.exchange()) {
        // The packers are found next to the program and the settings name them.
        coreApp.emplace(argc, argv);
        Engine::setCurrent(&installation.engine());
        InitPaths(QCoreApplication::applicationFilePath(), installation.configDir(),
                  installation.engine().path(QString::fromLatin1(Engine::kDblog)),
                  installation.engine().path(QString::fromLatin1(Engine::kDblogCopy)));
        SetSettingsPath(installation.settingsPath());
        ReadSettings();
        const int rc = RunExchangeCommand(cl, installation.engine());
        Engine::setCurrent(nullptr);
        return rc;
    }

    Engine::setCurrent(&installation.engine());
    InitPaths(QApplication::applicationFilePath(), installation.configDir(),
              installation.engine().path(QString::fromLatin1(Engine::kDblog)),
              installation.engine().path(QString::fromLatin1(Engine::kDblogCopy)));
    SetSettingsPath(installation.settingsPath());
    int rc = 1;
    try {
        InitLog();
        ProgramStart start(installation);
        rc = start.run();
    } catch (const VelmoraError &e) {
        Messages::error(e.message());
    }
    Messages::install(nullptr);
    return rc;
}
