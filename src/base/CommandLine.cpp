#include "base/CommandLine.h"

#include "base/GermanInput.h"

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
        } else if (a == QLatin1String("--evaluate") || a == QLatin1String("--person") || a == QLatin1String("--kind") ||
                   a == QLatin1String("--compare-person") || a == QLatin1String("--compare-kind")) {
            QString v;
            bool ok = takeValue(&v);
            const int n = ok ? v.trimmed().toInt(&ok) : 0;
            if (!ok || n <= 0) {
                cl.error = QStringLiteral("Die Option %1 verlangt eine positive ganze Zahl.").arg(a);
                return cl;
            }
            if (a == QLatin1String("--evaluate"))
                cl.evaluate = n;
            else if (a == QLatin1String("--person"))
                cl.person = n;
            else if (a == QLatin1String("--kind"))
                cl.kind = n;
            else if (a == QLatin1String("--compare-person"))
                cl.comparePerson = n;
            else
                cl.compareKind = n;
        } else if (a == QLatin1String("--print-pdf")) {
            if (!takeValue(&cl.printPdf) || cl.printPdf.isEmpty()) {
                cl.error = QStringLiteral("Die Option --print-pdf verlangt eine Datei.");
                return cl;
            }
        } else if (a == QLatin1String("--from") || a == QLatin1String("--to")) {
            QString v;
            const bool given = takeValue(&v);
            const std::optional<QDate> date = given ? ParseGermanDate(v) : std::nullopt;
            if (!date) {
                cl.error = given
                               ? QStringLiteral("Ungültiges Datum \"%1\" bei %2 (erwartet z.B. 05.01.2026).").arg(v, a)
                               : QStringLiteral("Die Option %1 verlangt ein Datum.").arg(a);
                return cl;
            }
            (a == QLatin1String("--from") ? cl.from : cl.to) = *date;
        } else if (a == QLatin1String("--backup") || a == QLatin1String("--export") || a == QLatin1String("--import")) {
            QString v;
            if (!takeValue(&v) || v.trimmed().isEmpty()) {
                cl.error = QStringLiteral("Die Option %1 verlangt den Namen eines Archivs.").arg(a);
                return cl;
            }
            (a == QLatin1String("--backup")   ? cl.backup
             : a == QLatin1String("--export") ? cl.exportArchive
                                              : cl.importArchive) = v;
        } else if (a == QLatin1String("--init") && !hasInline) {
            cl.init = true;
        } else if (a == QLatin1String("--demo") && !hasInline) {
            cl.demo = true;
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
    if (cl.demo && cl.evaluate != 0) {
        cl.error = QStringLiteral("--demo und --evaluate können nicht zusammen verwendet werden.");
        return cl;
    }
    if (cl.demo && (!cl.printPdf.isEmpty() || cl.exchange())) {
        cl.error =
            QStringLiteral("--demo lässt sich nicht mit --print-pdf, --backup, --export oder --import verbinden.");
        return cl;
    }
    const bool printing = !cl.printPdf.isEmpty();
    const int commands = (cl.evaluate != 0) + printing + !cl.backup.isEmpty() + !cl.exportArchive.isEmpty() +
                         !cl.importArchive.isEmpty();
    if (commands > 1) {
        cl.error = QStringLiteral(
            "Die Optionen --evaluate, --print-pdf, --backup, --export und --import schließen einander aus.");
    } else if (printing && (cl.person == 0 || cl.kind == 0)) {
        cl.error = QStringLiteral("Zu --print-pdf gehören --person P und --kind K.");
    } else if (printing && (cl.comparePerson || cl.compareKind)) {
        cl.error = QStringLiteral("--compare-person und --compare-kind gehören zu --evaluate.");
    } else if (!printing && (cl.from.isValid() || cl.to.isValid())) {
        cl.error = QStringLiteral("Die Optionen --from und --to gehören zu --print-pdf.");
    } else if (!cl.exportArchive.isEmpty() && (cl.kind || cl.comparePerson || cl.compareKind)) {
        cl.error = QStringLiteral("Zu --export gehört nur --person P.");
    } else if (!cl.exportArchive.isEmpty()) {
        if (cl.person == 0)
            cl.error = QStringLiteral("Zu --export gehört --person P.");
    } else if (!printing && cl.evaluate == 0 && (cl.person || cl.kind || cl.comparePerson || cl.compareKind)) {
        cl.error = QStringLiteral("Die Optionen --person, --kind, --compare-person und --compare-kind gehören zu "
                                  "--evaluate.");
    } else if (cl.evaluate != 0 && (cl.person == 0 || cl.kind == 0)) {
        cl.error = QStringLiteral("Zu --evaluate gehören --person P und --kind K.");
    } else if ((cl.comparePerson == 0) != (cl.compareKind == 0)) {
        cl.error = QStringLiteral("--compare-person und --compare-kind gehören zusammen.");
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
                          "  --demo            eine neue Installation mit einem Demonstrationsverein füllen und\n"
                          "                    mit der Anmeldung starten (mit --init: nur anlegen)\n"
                          "  --evaluate NR --person P --kind K [--compare-person P2 --compare-kind K2]\n"
                          "                    Auswertung NR für die Dokumente der Person P (Art K, z.B. 2\n"
                          "                    Protokoll, 3 Plan) ausführen, wahlweise verglichen mit P2/K2;\n"
                          "                    das Ergebnis geht als Text mit Tabulatoren auf die Standardausgabe\n"
                          "  --print-pdf FILE --person P --kind K [--from DATUM] [--to DATUM]\n"
                          "                    das Tagebuch der Person P (Art K: 2 Protokoll, 3 Plan) mit den\n"
                          "                    gespeicherten Druckeinstellungen als PDF-Datei FILE drucken\n"
                          "  --backup ARCHIV   das Datenverzeichnis in das Archiv sichern (ein vorhandenes\n"
                          "                    Archiv wird ersetzt)\n"
                          "  --export ARCHIV --person P\n"
                          "                    die Protokolle der Person P mit allem, was dazugehört, in das\n"
                          "                    Archiv exportieren (ein vorhandenes Archiv wird ersetzt)\n"
                          "  --import ARCHIV   das Archiv einlesen und alle Daten importieren\n"
                          "  --version         Version ausgeben\n"
                          "  --help            diese Hilfe\n");
}

} // namespace velmora
