#pragma once

#include <QDate>
#include <QString>

namespace velmora {

class Database;
class Progress;

// The object chosen in the open dialog for deletion, as the dialog
// returns it.
struct DeletionTarget {
    int kind = 0; // the open dialog's kind code
    int key1 = 0;
    int key2 = 0;
    int gruppe = 0;
    int trainer = 0;
    int formFilter = 0; // protocols and plans: the FilterNr chosen, 0 when none
    QString name;
    QDate from, to; // null: an open end
    bool readOnly = false;
};

// "Löschen": deletes one object with everything that depends on it. The
// database relates nothing by itself, so the dependent tables are walked
// here by fixed lists per kind of object. Every deletion of one command is
// one transaction: an engine error part-way leaves every row in place.
class ObjectDeletion {
public:
    ObjectDeletion(Database &db, Progress &progress, int loginPersonNr, int loginGruppenNr);

    // The field of the first row of the filtered table, as text; empty
    // when no row matches.
    QString LookupValue(const QString &filter, const QString &table, const QString &field);
    // Deletes every row of the filtered table, one progress position per row.
    void DeleteWhere(const QString &filter, const QString &table);
    // Deletes the rows of the detail table linked to each row of the filtered
    // master table by the link field; the master rows stay.
    void DeleteDetails(const QString &filter, const QString &masterTable, const QString &detailTable,
                       const QString &linkField);

    // Deletes the object after the confirmations, then rebuilds the element
    // list and the document list when anything was meant to change; the
    // progress steps are cleared before and the window closed after. An
    // object the user may only read (returned read-only) is refused. An
    // error is shown with its message and undoes the whole deletion. True
    // when rows were deleted.
    bool Run(const DeletionTarget &target);

    // The question of evaluations, filters, blocks and workbooks.
    static QString ConfirmationText(const QString &name);
    // The refusal of an object the open dialog returned read-only.
    static QString ReadOnlyText(const QString &name);

private:
    bool deleteObject(const DeletionTarget &target, bool &changed);
    // Asks the diary's delete-all question; true when confirmed.
    bool confirmDeleteAll();
    void deleteEntriesOf(const QStringList &selection);
    // The entries of the deletion selection: those of a form or of a person.
    void deleteSelectedEntries(int formNr, int personNr, const QString &name);
    void deleteEvaluationLinks(const QString &filter);
    void dropBlockTable(const QString &fileName);

    Database &m_db;
    Progress &m_progress;
    int m_loginPersonNr;
    int m_loginGruppenNr;
};

} // namespace velmora
