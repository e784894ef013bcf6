#pragma once

#include "store/Cursor.h"
#include "store/Database.h"

#include <QObject>
#include <QStringList>
#include <memory>
#include <vector>

namespace velmora {

// The messages the builder ends an operation with.
namespace EvaluationMessages {
inline const QString kNoField = QStringLiteral("Bitte geben Sie mindestens ein Feld an!");
inline const QString kNoVisibleField = QStringLiteral("Bitte geben Sie mindestens ein sichtbares Feld an!");
inline const QString kNoData = QStringLiteral("Die Auswertung beinhaltet keine Daten!\rWahrscheinlich sind die Filter "
                                              "beim Öffnen\rfalsch eingestellt worden.");
inline const QString kCrossThreeFields =
    QStringLiteral("Sie benötigen mindestens drei Felder zur Erstellung einer Kreuztabelle!");
inline const QString kCrossAxes =
    QStringLiteral("Sie benötigen je ein Feld für die X und Y-Achsen zur Erstellung einer Kreuztabelle!");
inline const QString kCrossNoColumns = QStringLiteral("Die Daten besitzen keine Spaltenunterteilung!");
inline const QString kCrossOneDataField = QStringLiteral("Eine Kreuztabelle kann nur ein Datenfeld auswerten!");
} // namespace EvaluationMessages

// One field of an evaluation as the builder reads it.
struct EvaluationField {
    int feldNr = 0;
    QString name;
    QString typ; // "X", "Y" or "D"
    int tableNr = 0;
    int order = 0;
    QString arithmOp;
    int aggregate = 0; // 1 sum ... 5 max; 0 and -1 group by
    bool shown = true;
    bool calculated = false;
    QStringList lines; // Bedingung, line by line
    QString entity;    // "<Filename>"."<FeldName>"; empty for the person axis
    bool personAxis = false;
};

// The SQL builder of an evaluation: turns the AUSWERT/AFIELD rows into the
// two stage queries, stores them, and runs them for chosen documents into
// temporary tables (and a cross table when asked for).
class TAuswertungSQL : public QObject {
    Q_OBJECT
public:
    explicit TAuswertungSQL(Database &db, QObject *owner = nullptr);
    ~TAuswertungSQL() override;

    Database &database() const { return m_db; }

    int AuswertungNr = 0;
    // Run parameters.
    int Art = 0;
    int PersonNr = 0;
    bool Vergleich = false;
    int VergleichArt = 0;
    int VergleichPersonNr = 0;
    QString ExportDirectory;

    // Generates stage 1 and stage 2 and stores them in SQL1/SQL2 (Geändert
    // false). Leaves the stored queries alone when it fails.
    void BuildSQL();
    // The stored queries as BuildSQL would store them, without writing.
    void GenerateSQL(QStringList *sql1, QStringList *sql2);
    // Builds the run-time stage-1 text (and the comparison text) from the
    // stored SQL1. conditionLines: the diary's selection lines, or none.
    void PrepareRun(const QStringList &conditionLines = {});
    // Runs both stages (and the pivot); the result table is open afterwards.
    void Run();

    const QStringList &runText() const { return m_run; }
    const QStringList &compareText() const { return m_compare; }
    const QString &stage1Table() const { return m_stage1Table; }
    const QString &crossInputTable() const { return m_crossInput; }
    const QString &resultTableName() const { return m_resultTable; }
    Cursor *resultTable() const { return m_result.get(); }
    const QString &xName() const { return m_xName; }
    const QString &yName() const { return m_yName; }
    bool xIsIndexField() const { return m_xIndexField; }
    bool yIsIndexField() const { return m_yIndexField; }
    // Every temporary table this builder made and still owns.
    const QStringList &temporaryTables() const { return m_tempTables; }

    // The evaluation's fields in FeldNr order: the field list query's rows
    // and the person axis field.
    std::vector<EvaluationField> loadFields();

    // Memo text split into lines (any line break).
    static QStringList memoLines(const QString &text);
    static QString memoText(const QStringList &lines);

private:
    QString newTempTable();
    void dropTempTables();
    QString blockFieldType(int tableNr, int order);
    void buildCrossTable(const QString &stage2, int dataColumn, int fieldCount, int dataFields);

    Database &m_db;
    QStringList m_run;
    QStringList m_compare;
    QString m_stage1Table;
    QString m_crossInput;
    QString m_resultTable;
    QString m_xName, m_yName;
    bool m_xIndexField = false, m_yIndexField = false;
    int m_xIndex = -1, m_yIndex = -1;
    QStringList m_tempTables;
    std::unique_ptr<Cursor> m_result;
};

// Drops the temporary tables ("TMP" and five hexadecimal digits) that a
// killed program left behind.
int DropStaleTempTables(Database &db);

} // namespace velmora
