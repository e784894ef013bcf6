#pragma once

#include "store/Database.h"

#include <QDate>
#include <QString>

namespace velmora {

class Installation;

// A demonstration club for a new installation: a coach who logs in with
// "demo", two training groups with twelve runners, four building blocks, a
// form on each planning level with two years of day protocols, week plans
// and cycle plans, filters, evaluations and a workbook. The numbers follow
// a training season (volume rising towards spring, easing in summer, low in
// autumn, every fourth week lighter) and come from a fixed seed, so that the
// same last day always gives the same club.
class DemoClub {
public:
    static const QString kHasData; // "Die Installation enthält bereits Daten."

    struct Options {
        int serial = 1;
        // The data end with the Sunday before the week of this day.
        QDate today = QDate::currentDate();
        // The index description file the blocks are appended to.
        QString idxPath;
        // The path the workbook's spreadsheet file is named by (ANALYSE.Files).
        QString workbookPath;
    };

    // What was created, for the caller and for tests.
    struct Result {
        int coach = 0;
        int groups[2] = {0, 0};
        int athletes[12] = {};
        int blockEinheit = 0, blockUebungen = 0, blockNotizen = 0, blockBefinden = 0;
        int formTag = 0, formWoche = 0, formZyklus = 0;
        int evalWoche = 0, evalKreuz = 0, evalPlanIst = 0, evalSportler = 0;
        int workbook = 0;
        QDate firstDay, lastDay;
    };

    static constexpr const char *kCoachPassword = "demo";
    static constexpr const char *kClubName = "LG Nordhafen";
    static constexpr const char *kClubKuerzel = "LGN";

    // True when the database holds anything a coach made: persons, entries
    // or forms, blocks, pick-list values, filters, evaluations, workbooks.
    static bool hasData(Database &db);
    // The same for an installation directory, read without creating or
    // changing anything (a missing database holds no data).
    static bool hasData(const Installation &installation);

    // Fills an empty database with the club in one transaction; raises
    // kHasData (and writes nothing) when the database holds data already.
    static Result create(Database &db, const Options &options);

    // The whole command: refuses an installation with data before anything
    // is written, initialises it (installation number `serial`, or the
    // stored one, or 1), creates the club and writes the settings that make
    // the next start go straight to the login: the club's name, first start
    // done. Raises VelmoraError with the German message.
    static Result createInstallation(Installation &installation, int serial, const QString &idxPath);

    // A small spreadsheet (OpenDocument) for the workbook: one sheet that
    // says what the linked evaluations bring.
    static QByteArray workbookFile();
};

} // namespace velmora
