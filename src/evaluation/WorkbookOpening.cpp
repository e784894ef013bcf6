#include "evaluation/WorkbookOpening.h"

#include "base/Errors.h"
#include "evaluation/ResultExport.h"
#include "evaluation/TAuswertungSQL.h"
#include "evaluation/WorkbookDesign.h"
#include "store/Cursor.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace velmora {

WorkbookOpening::WorkbookOpening(Database &db, int workbookNr) : m_db(db), m_nr(workbookNr) {
    Statement st(db, QStringLiteral("SELECT Files, BLOB FROM ANALYSE WHERE AnalyseNr = ?"));
    st.bind(1, workbookNr);
    if (!st.step())
        throw VelmoraError(WorkbookDesign::kWorkbookNotFound);
    m_files = st.value(0).toString().trimmed();
    m_blob = st.value(1).toByteArray();
    Statement links(db, QStringLiteral("SELECT AuswertungNr, Sheet FROM ANAuseAW WHERE AnalyseNr = ? "
                                       "ORDER BY AnalyseNr, rowid"));
    links.bind(1, workbookNr);
    while (links.step())
        m_links.push_back({links.value(0).toInt(), links.value(1).toString()});
}

QString WorkbookOpening::exportPath(const QString &chosenPath, const QString &sheet) {
    const QString suffix = QFileInfo(chosenPath).suffix();
    const QString stem = suffix.isEmpty() ? chosenPath : chosenPath.left(chosenPath.size() - suffix.size() - 1);
    QString name = sheet.trimmed();
    name.replace(QLatin1Char('/'), QLatin1Char('_'));
    return stem + name + QStringLiteral(".dbf");
}

SpreadsheetProgram WorkbookOpening::write(const QString &chosenPath, int kindCode, int personNr,
                                          const QStringList &selectionLines) {
    const QString path = QFileInfo(chosenPath).absoluteFilePath();
    const QString shown = QDir::toNativeSeparators(path);

    if (!m_db.isReadOnly()) {
        Transaction tx(m_db);
        Cursor workbook(m_db, QStringLiteral("ANALYSE"));
        workbook.setOrder(QStringLiteral("AnalyseNr"));
        workbook.setRange({m_nr}, {m_nr});
        workbook.open();
        if (workbook.isEmpty())
            throw VelmoraError(WorkbookDesign::kWorkbookNotFound);
        workbook.edit();
        workbook.setValue(QStringLiteral("Files"), path);
        workbook.post();
        workbook.close();
        tx.commit();
        m_files = path;
    }

    QStringList exports;
    for (const Link &link : m_links)
        exports << exportPath(path, link.sheet);
    SpreadsheetProgram program = SpreadsheetProgram::find(path, QStringList(exports) << path);

    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(m_blob) != m_blob.size() || !out.commit())
        throw VelmoraError(
            QStringLiteral("Die Datei \"%1\" kann nicht geschrieben werden: %2").arg(shown, out.errorString()));

    for (size_t i = 0; i < m_links.size(); ++i) {
        const QString &target = exports[qsizetype(i)];
        QFile::remove(target);
        TAuswertungSQL builder(m_db);
        builder.AuswertungNr = m_links[i].auswertungNr;
        builder.Art = kindCode;
        builder.PersonNr = personNr;
        builder.Vergleich = false;
        builder.BuildSQL();
        builder.PrepareRun(selectionLines);
        builder.Run();
        ResultExport(m_db, builder.resultTableName()).write(target, ResultExport::Type::DBase);
    }
    return program;
}

} // namespace velmora
