#include "base/CommandLine.h"

namespace velmora {

CommandLine parseCommandLine(const QStringList &args) {
    CommandLine cl;
    for (int i = 0; i < args.size(); ++i) {
        QString a = args[i];
        QString inlineValue;
        bool hasInline = false;
        if (a.startsWith(QLatin1String("--")) && a.contains(QLatin1Char('='))) {
            inlineValue = a.mid(a.indexOf(QLatin1Char('=')) + 1);
            a = a.left(a.indexOf(QLatin1Char('=')));
            hasInline = true;
        }
        auto takeValue = [&](QString *out) {
            if (hasInline) {
                *out = inlineValue;
                return true;
            }
            if (i + 1 >= args.size())
                return false;
            *out = args[++i];
            return true;
        };
        if (a == QLatin1String("--config-dir")) {
            if (!takeValue(&cl.configDir) || cl.configDir.isEmpty()) {
                cl.error = QStringLiteral("Die Option --config-dir verlangt ein Verzeichnis.");
                return cl;
            }
        } else if (a == QLatin1String("--serial")) {
            QString v;
            if (!takeValue(&v)) {
                cl.error = QStringLiteral("Die Option --serial verlangt eine Installationsnummer.");
                return cl;
            }
            bool ok = false;
            const int n = v.trimmed().toInt(&ok);
            if (!ok || n < 1 || n > kMaxSerial) {
                cl.error =
                    QStringLiteral("Ungültige Installationsnummer \"%1\": erlaubt sind ganze Zahlen von 1 bis %2.")
                        .arg(v)
                        .arg(kMaxSerial);
                return cl;
            }
            cl.serial = n;
        } else if (a == QLatin1String("--init") && !hasInline) {
            cl.init = true;
        } else if (a == QLatin1String("--version") && !hasInline) {
            cl.version = true;
        } else if ((a == QLatin1String("--help") || a == QLatin1String("-h")) && !hasInline) {
            cl.help = true;
        } else if (a == QLatin1String("-platform") || a == QLatin1String("-style") || a == QLatin1String("-display")) {
            // Qt's own options pass through to the application object.
            cl.rest << a;
            if (i + 1 < args.size())
                cl.rest << args[++i];
        } else {
            cl.error = QStringLiteral("Unbekanntes Argument \"%1\". Hilfe mit --help.").arg(args[i]);
            return cl;
        }
    }
    return cl;
}

QString commandLineHelp() {
    return QStringLiteral("Aufruf: velmora5 [OPTIONEN]\n"
                          "Velmora 5 - Trainingstagebuch und Trainingsauswertung.\n\n"
                          "  --config-dir DIR  Konfigurationsverzeichnis der Installation (Einstellungen,\n"
                          "                    Datenbanken DBLOG und DBLOG_COPY darin)\n"
                          "  --serial N        Installationsnummer einer neuen Installation (1 bis 32767)\n"
                          "  --init            Konfiguration, Datenbanken und Tabellen anlegen, dann beenden\n"
                          "  --version         Version ausgeben\n"
                          "  --help            diese Hilfe\n");
}

} // namespace velmora
