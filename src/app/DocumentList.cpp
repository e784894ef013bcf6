#include "app/DocumentList.h"

#include "base/Progress.h"
#include "store/Database.h"
#include "store/Engine.h"

#include <array>

namespace velmora {

namespace {

bool g_built = false;

QString rightsLines(int person, int group) {
    const QString p = QString::number(person);
    return QStringLiteral("((PersonNr = ") + p + QStringLiteral(") or \n") + QStringLiteral("(TrainerNr = ") + p +
           QStringLiteral(") or \n") + QStringLiteral("(LeserechteAndere = true) or \n") +
           QStringLiteral("((LeserechteGruppe = true) and (GruppenNr = ") + QString::number(group) +
           QStringLiteral(")))");
}

// OPEN's columns, in the order the statements name them.
constexpr std::array<const char *, 6> kColumns = {"Type", "Name", "Key1", "Key2", "Gruppe", "Trainer"};

// Copies every row of one statement into OPEN through the one prepared
// insert. Values go through the destination column's conversion, so Name is
// cut to its width exactly as any other write would cut it.
int copyRows(Database &db, const QString &localSql, Statement &insert, const std::array<FieldDef, 6> &dest) {
    Statement source(db, db.translate(localSql));
    std::array<int, 6> from{};
    for (size_t i = 0; i < kColumns.size(); ++i) {
        from[i] = -1;
        for (int c = 0; c < source.columnCount(); ++c)
            if (source.columnName(c).compare(QLatin1String(kColumns[i]), Qt::CaseInsensitive) == 0) {
                from[i] = c;
                break;
            }
        if (from[i] < 0)
            throw EngineError(QStringLiteral("Die Spalte %1 fehlt im Ergebnis.\nSQL: %2")
                                  .arg(QLatin1String(kColumns[i]), localSql.simplified()));
    }
    int rows = 0;
    while (source.step()) {
        insert.reset();
        for (size_t i = 0; i < dest.size(); ++i)
            insert.bind(int(i) + 1, source.value(from[i], dest[i].type), dest[i].type, dest[i].size);
        insert.step();
        ++rows;
    }
    return rows;
}

} // namespace

QStringList DocumentListStatements(int person, int group) {
    const QString rights = rightsLines(person, group);
    return {
        QStringLiteral("select \"P\" as Type, Nachname + \" \" + Vorname + \" \" + cast(Geburtsdatum as CHARACTER) as "
                       "Name, PersonNr as Key1, 0 as Key2, GruppenNr as Gruppe, TrainerNr as Trainer\n"
                       "from Person\n"
                       "where ((Sex=\"M\") or (Sex=\"F\")) and\n") +
            rights,
        QStringLiteral("select \"G\" as Type, Nachname as Name, PersonNr as Key1, 0 as Key2, PersonNr as Gruppe, "
                       "TrainerNr as Trainer\n"
                       "from PERSON\n"
                       "where (Sex = \"X\") and \n") +
            rights,
        QStringLiteral("select \"L\" as Type, Beschreibung as Name, TrNr as Key1, SerienNr as Key2, 0 as Gruppe, "
                       "PersonNr as Trainer\n"
                       "from Tr\n"
                       "where (Art = 1) or\n"
                       "(Art = 11) or\n"
                       "(Art = 21)"),
        QStringLiteral("select distinct \"F\" as Type, Name, FilterNr as Key1, \"Person\".PersonNr as Key2, "
                       "GruppenNr as Gruppe, TrainerNr as Trainer\n"
                       "from \"Filter\", \"Person\"\n"
                       "where (\"Filter\".FilterNr > 10) and\n"
                       "(\"Filter\".PersonNr = Person.PersonNr)"),
        QStringLiteral("select \"A\" as Type, Auswertung as Name, AuswertungNr as Key1, 0 as Key2, 0 as Gruppe, "
                       "TrainerNr as Trainer\n"
                       "from Auswert"),
        QStringLiteral("select \"W\" as Type, AnalyseName as Name, AnalyseNr as Key1, 0 as Key2, 0 as Gruppe, "
                       "TrainerNr as Trainer\n"
                       "from Analyse"),
        QStringLiteral("select \"T\" as Type, Name, TableNr as Key1, 0 as Key2, 0 as Gruppe, TrainerNr as Trainer\n"
                       "from TrTable"),
    };
}

int RebuildDocumentList(Database &db, Progress *progress, int person, int group) {
    const QStringList statements = DocumentListStatements(person, group);
    const QString table = db.requireTable(QStringLiteral("OPEN"));
    std::array<FieldDef, 6> dest;
    for (size_t i = 0; i < kColumns.size(); ++i) {
        const int idx = db.fieldIndex(table, QLatin1String(kColumns[i]));
        if (idx < 0)
            throw EngineError(
                QStringLiteral("Feld %1 fehlt in der Tabelle %2.").arg(QLatin1String(kColumns[i]), table));
        dest[i] = db.fieldDefs(table)[size_t(idx)];
    }

    // The list is replaced as a whole: a failing statement must leave the
    // previous list in place rather than a half-filled one.
    Transaction tx(db);
    int rows = 0;
    {
        db.emptyTable(table);
        if (progress)
            progress->SetProgressRange(int(statements.size()));
        QStringList names;
        for (const char *c : kColumns)
            names << quoteIdentifier(QLatin1String(c));
        Statement insert(db, QStringLiteral("INSERT INTO %1 (%2) VALUES (?, ?, ?, ?, ?, ?)")
                                 .arg(quoteIdentifier(table), names.join(QStringLiteral(", "))));
        for (const QString &sql : statements) {
            rows += copyRows(db, sql, insert, dest);
            if (progress)
                progress->AdvanceProgress(1);
        }
    }
    tx.commit();
    if (progress)
        progress->StepDone();
    g_built = true;
    return rows;
}

int BuildDocumentList(Progress *progress, int person, int group) {
    Engine *engine = Engine::current();
    if (!engine)
        throw EngineError(QStringLiteral("Die Datenbank DBLOG ist nicht geöffnet."));
    if (!progress)
        return RebuildDocumentList(engine->dblog(), nullptr, person, group);
    progress->AddStep(kDocumentListStep);
    progress->ShowProgress();
    int rows = 0;
    try {
        rows = RebuildDocumentList(engine->dblog(), progress, person, group);
    } catch (...) {
        // The window must not stay up with a half-ticked step list.
        progress->CloseProgress();
        throw;
    }
    progress->CloseProgress();
    return rows;
}

bool DocumentListBuilt() {
    return g_built;
}

} // namespace velmora
