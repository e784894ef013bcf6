#include "evaluation/WorkbookDesign.h"

#include "base/Errors.h"
#include "store/Keys.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace velmora {

const QString WorkbookDesign::kWorkbookNotFound = QStringLiteral("Das Arbeitsbuch wurde nicht gefunden.");
const QString WorkbookDesign::kLinkWithoutEvaluation =
    QStringLiteral("Bitte wählen Sie zu jedem Sheetname eine Auswertung aus.");

WorkbookDesign::WorkbookDesign(Database &db, int serial) : m_db(db), m_serial(serial) {}

WorkbookDesign::~WorkbookDesign() {
    // Left without finish(): nothing of the session stays. The cursors let go
    // of their rows before the rollback.
    if (m_links)
        m_links->close();
    if (m_workbook)
        m_workbook->close();
    m_session.reset();
}

void WorkbookDesign::open(int workbookNr, int coach, bool readOnly) {
    m_new = workbookNr == 0;
    m_readOnly = readOnly && !m_new;
    m_coach = coach;
    std::unique_ptr<Transaction> session;
    if (!m_readOnly)
        session = std::make_unique<Transaction>(m_db);
    m_nr = m_new ? nextObjectKey(m_db, QStringLiteral("ANALYSE"), QStringLiteral("AnalyseNr"), m_serial) : workbookNr;

    m_workbook = std::make_unique<Cursor>(m_db, QStringLiteral("ANALYSE"));
    m_workbook->setOrder(QStringLiteral("AnalyseNr"));
    m_workbook->setRange({m_nr}, {m_nr});
    m_workbook->setReadOnly(m_readOnly);
    m_workbook->onNewRecord = [this](Cursor &c) { newRecord(c); };
    m_workbook->open();
    if (m_new) {
        m_workbook->append();
    } else {
        if (m_workbook->isEmpty())
            throw VelmoraError(kWorkbookNotFound);
        if (!m_readOnly)
            m_workbook->edit();
    }

    m_links = std::make_unique<Cursor>(m_db, QStringLiteral("ANAuseAW"));
    m_links->setOrder(QStringLiteral("AnalyseNr"));
    m_links->setRange({m_nr}, {m_nr});
    m_links->setReadOnly(m_readOnly);
    m_links->setAutoTimestamp(false);
    m_links->onNewRecord = [this](Cursor &c) { c.setValue(QStringLiteral("AnalyseNr"), m_nr); };
    m_links->afterPost = [this](Cursor &) { m_changed = true; };
    m_links->open();

    m_evaluations.clear();
    Statement st(m_db,
                 QStringLiteral("SELECT AuswertungNr, Auswertung FROM AUSWERT ORDER BY Auswertung, AuswertungNr"));
    while (st.step())
        m_evaluations.push_back({st.value(0).toInt(), st.value(1).toString()});
    m_changed = false;
    m_session = std::move(session);
}

void WorkbookDesign::newRecord(Cursor &c) {
    c.setValue(QStringLiteral("AnalyseNr"), m_nr);
    c.setValue(QStringLiteral("SportartNr"), 0);
    c.setValue(QStringLiteral("TrainerNr"), m_coach);
}

QString WorkbookDesign::evaluationName(int nr) const {
    for (const Evaluation &e : m_evaluations)
        if (e.nr == nr)
            return e.name;
    return {};
}

void WorkbookDesign::importFile(const QString &path) {
    if (m_readOnly)
        return;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw VelmoraError(QStringLiteral("Die Datei \"%1\" kann nicht gelesen werden: %2")
                               .arg(QDir::toNativeSeparators(path), file.errorString()));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw VelmoraError(QStringLiteral("Die Datei \"%1\" kann nicht gelesen werden: %2")
                               .arg(QDir::toNativeSeparators(path), file.errorString()));
    if (!m_workbook->isEditing())
        m_workbook->edit();
    m_workbook->setValue(QStringLiteral("BLOB"), bytes);
    m_workbook->setValue(QStringLiteral("Files"), QFileInfo(path).absoluteFilePath());
    m_workbook->post();
    m_workbook->edit();
    m_changed = true;
}

bool WorkbookDesign::canFinish() {
    if (m_readOnly || !m_workbook || !m_workbook->isOpen())
        return false;
    return !m_workbook->asString(QStringLiteral("Files")).trimmed().isEmpty() &&
           !m_workbook->asString(QStringLiteral("AnalyseName")).trimmed().isEmpty();
}

void WorkbookDesign::appendLink() {
    if (m_readOnly)
        return;
    if (m_links->isEditing())
        m_links->post();
    m_links->append();
    m_links->post();
}

void WorkbookDesign::deleteLink() {
    if (m_readOnly || m_links->isEmpty())
        return;
    if (m_links->isEditing())
        m_links->cancel();
    m_links->deleteRow();
    m_changed = true;
}

void WorkbookDesign::finish() {
    if (m_readOnly)
        return;
    if (m_links->isEditing())
        m_links->post();
    // Rows added and never filled in carry nothing; a sheet name without an
    // evaluation could never be opened.
    m_links->releaseStatement();
    {
        Statement st(m_db, QStringLiteral("SELECT count(*) FROM ANAuseAW WHERE AnalyseNr = ? AND AuswertungNr IS NULL "
                                          "AND trim(coalesce(Sheet, '')) <> ''"));
        st.bind(1, m_nr);
        if (st.step() && st.value(0).toInt() > 0)
            throw VelmoraError(kLinkWithoutEvaluation, QStringLiteral("dbgDataLink"));
    }
    {
        Statement st(m_db, QStringLiteral("DELETE FROM ANAuseAW WHERE AnalyseNr = ? AND AuswertungNr IS NULL"));
        st.bind(1, m_nr);
        st.step();
    }
    m_links->refresh();
    if (!m_workbook->isEditing())
        m_workbook->edit();
    m_workbook->post();
    if (m_session) {
        m_session->commit();
        m_session.reset();
    }
}

bool WorkbookDesign::isChanged() const {
    return m_changed || (m_workbook && m_workbook->isModified()) || (m_links && m_links->isModified());
}

void WorkbookDesign::cancel() {
    if (!m_workbook)
        return;
    if (m_links && m_links->isEditing())
        m_links->cancel();
    m_workbook->cancel();
    if (m_session) {
        m_links->close();
        m_workbook->close();
        m_session.reset();
    }
}

} // namespace velmora
