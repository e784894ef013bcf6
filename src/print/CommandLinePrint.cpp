#include "print/CommandLinePrint.h"

#include "base/Errors.h"
#include "diary/DiaryEntryList.h"
#include "print/DiaryPrintLayout.h"
#include "print/PrintSettings.h"
#include "store/Cursor.h"
#include "store/Database.h"

#include <QFileInfo>
#include <QPageSize>
#include <QPdfWriter>
#include <QSaveFile>
#include <optional>

namespace velmora {

namespace {

// The diary lists plans and protocols on the day, week and cycle level.
bool isDiaryKind(int kind) {
    const int units = kind % 10;
    const int tens = kind / 10;
    return (units == 2 || units == 3) && tens >= 0 && tens <= 2;
}

// The name the document list gives a person or group, for the title.
std::optional<QString> personName(Database &db, int personNr) {
    Cursor c(db, QStringLiteral("PERSON"));
    c.setFilter(QStringLiteral("PersonNr=%1").arg(personNr));
    c.setFiltered(true);
    c.setReadOnly(true);
    c.open();
    c.first();
    if (c.isEmpty())
        return std::nullopt;
    return (c.asString(QStringLiteral("Nachname")) + QLatin1Char(' ') + c.asString(QStringLiteral("Vorname")))
        .trimmed();
}

} // namespace

int PrintDiaryToPdf(Database &db, TTREList &elements, const DiaryPrintRequest &request, const QString &settingsPath,
                    const QFont &defaultFont, QString *error) {
    auto fail = [error](const QString &message) {
        if (error)
            *error = message;
        return 2;
    };
    if (!isDiaryKind(request.kindCode))
        return fail(QStringLiteral("Ungültige Art %1: erlaubt sind 2 (Protokoll) und 3 (Plan), für Woche und Zyklus "
                                   "12, 13, 22 und 23.")
                        .arg(request.kindCode));
    if (request.from.isValid() && request.to.isValid() && request.from > request.to)
        return fail(QStringLiteral("Das Datum bei --from liegt nach dem bei --to."));
    try {
        const std::optional<QString> name = personName(db, request.personNr);
        if (!name)
            return fail(
                QStringLiteral("Eine Person oder Gruppe mit der Nummer %1 gibt es nicht.").arg(request.personNr));

        DiaryQueryInput in;
        in.kindCode = request.kindCode;
        in.personNr = request.personNr;
        in.name = *name;
        in.fromTicked = request.from.isValid();
        in.toTicked = request.to.isValid();
        in.from = request.from;
        in.to = request.to;
        DiaryEntryList list(db);
        const DiaryQuery &query = list.rebuild(in);

        DiaryPrintLayout layout(elements);
        layout.SetSource(query.title, &list.cursor());
        layout.SetSettings(PrintSettings::Read(settingsPath, defaultFont));

        // Written through a file beside the target: a print that fails
        // half-way leaves an earlier file as it was.
        QSaveFile file(request.pdfPath);
        if (!file.open(QIODevice::WriteOnly))
            return fail(QStringLiteral("Die Datei \"%1\" kann nicht geschrieben werden: %2")
                            .arg(QFileInfo(request.pdfPath).absoluteFilePath(), file.errorString()));
        {
            QPdfWriter writer(&file);
            writer.setResolution(1200); // as a high-resolution printer
            writer.setPageSize(QPageSize(QPageSize::A4));
            writer.setTitle(query.title);
            writer.setCreator(QStringLiteral("Velmora 5"));
            layout.Print(writer);
        }
        if (!file.commit())
            return fail(QStringLiteral("Die Datei \"%1\" kann nicht geschrieben werden: %2")
                            .arg(QFileInfo(request.pdfPath).absoluteFilePath(), file.errorString()));
    } catch (const VelmoraError &e) {
        return fail(e.message());
    }
    return 0;
}

} // namespace velmora
