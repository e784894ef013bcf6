#include "app/ObjectDeletion.h"

#include "app/DocumentList.h"
#include "app/OpenDialogRules.h"
#include "base/Messages.h"
#include "base/Progress.h"
#include "design/FormElementCache.h"
#include "diary/DiaryEntryList.h"
#include "diary/DiaryListQuery.h"
#include "diary/EntryOperations.h"
#include "store/Cursor.h"
#include "store/Database.h"
#include "store/Query.h"
#include "store/Schema.h"

#include <utility>

namespace velmora {

namespace {

QString equals(const char *column, int value) {
    return QLatin1String(column) + QLatin1Char('=') + QString::number(value);
}

// The same text-to-number conversion the lookup's callers have always
// used: an empty or garbled value is an error, never a silent 0.
int toInteger(const QString &text) {
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    if (!ok)
        throw VelmoraError(QStringLiteral("'%1' ist kein gültiger Integerwert").arg(text));
    return value;
}

} // namespace

ObjectDeletion::ObjectDeletion(Database &db, Progress &progress, int loginPersonNr, int loginGruppenNr)
    : m_db(db), m_progress(progress), m_loginPersonNr(loginPersonNr), m_loginGruppenNr(loginGruppenNr) {}

QString ObjectDeletion::ConfirmationText(const QString &name) {
    return QStringLiteral("Wollen Sie \"%1\" auf diesem PC wirklich löschen?\n"
                          "Die Löschung kann nicht rückgängig gemacht werden!")
        .arg(name);
}

QString ObjectDeletion::ReadOnlyText(const QString &name) {
    return QStringLiteral("Sie dürfen \"%1\" nur lesen und daher nicht löschen.").arg(name);
}

QString ObjectDeletion::LookupValue(const QString &filter, const QString &table, const QString &field) {
    Cursor c(m_db, table);
    c.setFilter(filter);
    c.setFiltered(true);
    c.setReadOnly(true);
    c.open();
    c.first();
    const QString value = c.isEmpty() ? QString() : c.asString(field);
    c.close();
    return value;
}

void ObjectDeletion::DeleteWhere(const QString &filter, const QString &table) {
    Cursor c(m_db, table);
    c.setFilter(filter);
    c.setFiltered(true);
    c.open();
    m_progress.SetProgressRange(c.recordCount());
    for (c.last(); !c.isEmpty(); c.last()) {
        c.deleteRow();
        m_progress.AdvanceProgress(1);
    }
    c.close();
    m_progress.StepDone();
}

void ObjectDeletion::DeleteDetails(const QString &filter, const QString &masterTable, const QString &detailTable,
                                   const QString &linkField) {
    Cursor master(m_db, masterTable);
    master.setFilter(filter);
    master.setFiltered(true);
    master.setReadOnly(true);
    master.open();
    Cursor detail(m_db, detailTable);
    detail.setOrder(linkField);
    detail.setFiltered(true);
    bool first = true;
    for (master.first(); !master.eof(); master.next()) {
        // A master row without its key links to nothing (a null never
        // equals a null in the link).
        if (master.isNull(linkField)) {
            if (std::exchange(first, false))
                m_progress.SetProgressRange(0);
            continue;
        }
        detail.close();
        detail.setFilter(linkField + QLatin1Char('=') + QString::number(master.value(linkField).toLongLong()));
        detail.open();
        if (std::exchange(first, false))
            m_progress.SetProgressRange(detail.recordCount());
        for (detail.last(); !detail.isEmpty(); detail.last()) {
            detail.deleteRow();
            m_progress.AdvanceProgress(1);
        }
    }
    if (first)
        m_progress.SetProgressRange(0);
    detail.close();
    master.close();
    m_progress.StepDone();
}

bool ObjectDeletion::confirmDeleteAll() {
    return Messages::question(EntryOperations::DeleteAllQuestion());
}

void ObjectDeletion::deleteEntriesOf(const QStringList &selection) {
    Query list(m_db);
    list.setSql(selection);
    list.open();
    EntryOperations::DeleteEntries(m_db, EntryOperations::EntryKeysOf(list), m_progress);
}

void ObjectDeletion::deleteSelectedEntries(int formNr, int personNr, const QString &name) {
    DiaryQueryInput in;
    in.mode = DiaryQueryInput::Mode::Deletion;
    in.formNr = formNr;
    in.personNr = personNr;
    in.name = name;
    deleteEntriesOf(BuildDiaryListQuery(in).lines);
}

void ObjectDeletion::deleteEvaluationLinks(const QString &filter) {
    for (const char *t : {"ANAuseAW", "ATable", "AField"})
        DeleteDetails(filter, QStringLiteral("Auswert"), QLatin1String(t), QStringLiteral("AuswertungNr"));
}

void ObjectDeletion::dropBlockTable(const QString &fileName) {
    const QString name = Database::plainTableName(fileName);
    if (name.isEmpty())
        return;
    // Block 0 and a damaged TRTABLE row may name a table of the program
    // itself; dropping it would take the whole diary with it.
    for (const TableDef &fixed : fixedTables())
        if (fixed.name.compare(name, Qt::CaseInsensitive) == 0)
            return;
    // A missing table is no error: the block's data may never have been created.
    if (m_db.tableExists(name))
        m_db.dropTable(name);
}

bool ObjectDeletion::deleteObject(const DeletionTarget &target, bool &changed) {
    // The open dialog hands out what the user may only read as read-only;
    // deleting it would go further than editing it ever could.
    if (target.readOnly)
        throw VelmoraError(ReadOnlyText(target.name));
    const int n = target.key1;
    switch (target.kind) {
    case KindForm: {
        const int f = toInteger(LookupValue(QStringLiteral("(TrNr=%1) AND (SerienNr=%2)").arg(n).arg(target.key2),
                                            QStringLiteral("TR"), QStringLiteral("FormularNr")));
        for (const char *step : {"personenbezogene Daten", "Formular löschen", "Indexwerte (Auswahlfeld)",
                                 "Verknüpfungen (Bausteine)", "Datenbank aktualisieren", "Dokumentliste erstellen"})
            m_progress.AddStep(QString::fromUtf8(step));
        if (!confirmDeleteAll())
            return false;
        Transaction tx(m_db);
        changed = true;
        deleteSelectedEntries(f, 0, target.name);
        for (const char *t : {"FField", "TRuseVAL", "TRuseTBL"})
            DeleteWhere(equals("FormularNr", f), QLatin1String(t));
        tx.commit();
        return true;
    }
    case KindProtocol:
    case KindPlan: {
        m_progress.AddStep(QStringLiteral("personenbezogene Daten"));
        DiaryQueryInput in;
        in.kindCode = target.kind;
        in.personNr = n;
        in.name = target.name;
        in.fromTicked = target.from.isValid();
        in.toTicked = target.to.isValid();
        in.from = target.from;
        in.to = target.to;
        if (target.formFilter >= 1)
            LoadFilterLists(m_db, target.formFilter, in);
        const QStringList selection = BuildDiaryListQuery(in).lines;
        if (!confirmDeleteAll())
            return false;
        Transaction tx(m_db);
        deleteEntriesOf(selection);
        tx.commit();
        return true;
    }
    case KindPersonOrGroup: {
        const int p = n;
        for (const char *step :
             {"personenbezogene Daten", "Karteiblatt", "Profil", "Indexwerte (Auswahlfeld)", "Verknüpfung (Analyse)",
              "Analysen", "Verknüpfung 1 (Auswertung)", "Verknüpfung 2 (Auswertung)", "Verknüpfung 3 (Auswertung)",
              "Auswertung löschen", "Datenbank aktualisieren", "Dokumentliste erstellen"})
            m_progress.AddStep(QString::fromUtf8(step));
        if (!confirmDeleteAll())
            return false;
        Transaction tx(m_db);
        changed = true;
        deleteSelectedEntries(0, p, target.name);
        DeleteWhere(equals("PersonNr", p), QStringLiteral("Person"));
        DeleteWhere(equals("PersonNr", p), QStringLiteral("Profil"));
        DeleteDetails(equals("PersonNr", p), QStringLiteral("TRValue"), QStringLiteral("TRuseVAL"),
                      QStringLiteral("ValueNr"));
        DeleteWhere(equals("PersonNr", p), QStringLiteral("TRValue"));
        DeleteDetails(equals("TrainerNr", p), QStringLiteral("Analyse"), QStringLiteral("ANAuseAW"),
                      QStringLiteral("AnalyseNr"));
        DeleteWhere(equals("TrainerNr", p), QStringLiteral("Analyse"));
        deleteEvaluationLinks(equals("TrainerNr", p));
        DeleteWhere(equals("TrainerNr", p), QStringLiteral("Auswert"));
        tx.commit();
        return true;
    }
    case KindEvaluation:
    case KindFilter:
    case KindBlock:
    case KindWorkbook:
        break;
    default:
        return false;
    }

    if (target.kind == KindBlock && n == 0)
        // Block 0 is the diary table TR itself.
        throw VelmoraError(
            QStringLiteral("Der Baustein \"%1\" gehört zum Tagebuch und kann nicht gelöscht werden.").arg(target.name));
    if (!Messages::question(ConfirmationText(target.name)))
        return false;
    changed = true;
    Transaction tx(m_db);
    switch (target.kind) {
    case KindEvaluation:
        for (const char *step :
             {"Verknüpfung 1 (Auswertung)", "Verknüpfung 2 (Auswertung)", "Verknüpfung 3 (Auswertung)",
              "Auswertung löschen", "Datenbank aktualisieren", "Dokumentliste erstellen"})
            m_progress.AddStep(QString::fromUtf8(step));
        m_progress.ShowProgress();
        deleteEvaluationLinks(equals("AuswertungNr", n));
        DeleteWhere(equals("AuswertungNr", n), QStringLiteral("Auswert"));
        break;
    case KindFilter:
        for (const char *step : {"Filter löschen", "Datenbank aktualisieren", "Dokumentliste erstellen"})
            m_progress.AddStep(QString::fromUtf8(step));
        m_progress.ShowProgress();
        DeleteWhere(equals("FilterNr", n), QStringLiteral("Filter"));
        break;
    case KindBlock: {
        const QString fileName =
            LookupValue(equals("TableNr", n), QStringLiteral("TrTable"), QStringLiteral("FileName")).trimmed();
        for (const char *step : {"Verknüpfung 1 (Formularbaustein)", "Verknüpfung 2 (Formularbaustein)",
                                 "Verknüpfung 3 (Formularbaustein)", "Verknüpfung 4 (Formularbaustein)",
                                 "Verknüpfung 5 (Formularbaustein)", "Formularbaustein mit Daten löschen",
                                 "Datenbank aktualisieren", "Dokumentliste erstellen"})
            m_progress.AddStep(QString::fromUtf8(step));
        m_progress.ShowProgress();
        for (const char *t : {"TrUseTbl", "TrUseVal", "TrField", "ATable", "AField"})
            DeleteDetails(equals("TableNr", n), QStringLiteral("TrTable"), QLatin1String(t), QStringLiteral("TableNr"));
        DeleteWhere(equals("TableNr", n), QStringLiteral("TrTable"));
        dropBlockTable(fileName);
        break;
    }
    case KindWorkbook:
        for (const char *step :
             {"Verknüpfung (Analyse)", "Analyse löschen", "Datenbank aktualisieren", "Dokumentliste erstellen"})
            m_progress.AddStep(QString::fromUtf8(step));
        m_progress.ShowProgress();
        DeleteDetails(equals("AnalyseNr", n), QStringLiteral("Analyse"), QStringLiteral("ANAuseAW"),
                      QStringLiteral("AnalyseNr"));
        DeleteWhere(equals("AnalyseNr", n), QStringLiteral("Analyse"));
        break;
    }
    tx.commit();
    return true;
}

bool ObjectDeletion::Run(const DeletionTarget &target) {
    m_progress.ResetSteps();
    bool changed = false;
    bool deleted = false;
    try {
        deleted = deleteObject(target, changed);
    } catch (const VelmoraError &e) {
        // The transaction has been rolled back: nothing of the object is gone.
        Messages::error(e.message());
    }
    if (changed) {
        try {
            LoadFormElementCache(m_db, &m_progress);
            RebuildDocumentList(m_db, &m_progress, m_loginPersonNr, m_loginGruppenNr);
        } catch (const VelmoraError &e) {
            Messages::error(e.message());
        }
    }
    m_progress.CloseProgress();
    return deleted;
}

} // namespace velmora
