#pragma once

#include "store/Cursor.h"

#include <QString>
#include <memory>
#include <vector>

namespace velmora {

class Transaction;

// The rules of the workbook link window on its tables: the workbook's
// ANALYSE row and its linked evaluations (ANAuseAW). Everything written
// between open() and finish() is one change: cancel() takes all of it back.
class WorkbookDesign {
public:
    struct Evaluation {
        int nr = 0;
        QString name;
    };

    static const QString kWorkbookNotFound;
    static const QString kLinkWithoutEvaluation;

    WorkbookDesign(Database &db, int serial);
    ~WorkbookDesign();
    WorkbookDesign(const WorkbookDesign &) = delete;
    WorkbookDesign &operator=(const WorkbookDesign &) = delete;

    // workbookNr 0: a new workbook of that coach, appended (and never
    // read-only). An existing one is put into edit state unless read-only;
    // one that is gone is refused with kWorkbookNotFound.
    void open(int workbookNr, int coach, bool readOnly);
    bool isNew() const { return m_new; }
    bool isReadOnly() const { return m_readOnly; }
    int workbookNr() const { return m_nr; }
    Database &database() const { return m_db; }

    Cursor &workbook() { return *m_workbook; }
    // The links in their order; a new row belongs to this workbook.
    Cursor &links() { return *m_links; }
    // Every evaluation by name, for the look-up of the links.
    const std::vector<Evaluation> &evaluations() const { return m_evaluations; }
    QString evaluationName(int nr) const;

    // "&import": the file's bytes into BLOB, its path into Files; the row is
    // posted and put back into edit state. Raises VelmoraError when the
    // file cannot be read (nothing changes then).
    void importFile(const QString &path);
    // "&Fertig" may be chosen: not read-only, Files and AnalyseName set.
    bool canFinish();

    // Appends a link row (posted, so that the grid shows it).
    void appendLink();
    // Removes the current link row.
    void deleteLink();

    // "&Fertig": posts the links and the workbook and keeps the session.
    // Link rows left wholly empty are dropped; one with a sheet name but no
    // evaluation is refused with kLinkWithoutEvaluation (nothing is kept
    // then, the session stays open).
    void finish();
    // "Abbruch": every change since open() is taken back.
    void cancel();
    // True when something was changed since open().
    bool isChanged() const;

private:
    void newRecord(Cursor &c);

    Database &m_db;
    int m_serial;
    int m_nr = 0;
    int m_coach = 0;
    bool m_new = false;
    bool m_readOnly = false;
    bool m_changed = false;
    std::unique_ptr<Transaction> m_session;
    std::unique_ptr<Cursor> m_workbook;
    std::unique_ptr<Cursor> m_links;
    std::vector<Evaluation> m_evaluations;
};

} // namespace velmora
