#include "evaluation/TAuswertungSQL.h"

#include "base/Errors.h"
#include "base/Helpers.h"
#include "store/BatchCopy.h"
#include "store/Query.h"
#include "store/Values.h"
#include "store/WriteGuard.h"

#include <QHash>
#include <QRegularExpression>
#include <algorithm>

namespace velmora {

namespace {

const QString kIndent(9, QLatin1Char(' '));

const char *const kFieldListSql =
    "select distinct \"\"\"\"+trtable.filename+\"\"\".\"\"\"+trfield.FeldName+\"\"\"\" as Entity, afield.* from "
    "afield, "
    "trtable, trfield where (afield.AuswertungNr = :AuswertungNr) and (afield.TableNr = trtable.TableNr) and "
    "(afield.TableNr = trfield.TableNr) and (afield.\"Order\" = trfield.\"Order\") order by afield.FeldNr";
const char *const kTableListSql = "select distinct filename from afield, trtable where (afield.AuswertungNr = "
                                  ":AuswertungNr) and (afield.TableNr = trtable.TableNr)";

// The person axis stores its expression with its own alias ("... as
// Person"); selected like a calculated field it takes the F_ alias instead.
QString withoutAlias(const QString &expression) {
    static const QRegularExpression alias(QStringLiteral("\\s+as\\s+[\\w]+\\s*$"),
                                          QRegularExpression::CaseInsensitiveOption);
    QString e = expression;
    e.remove(alias);
    return e;
}

// True when the text holds an "or" outside parentheses and quotes: the
// editor stores several alternatives of one field as "(a) or (b) ".
bool hasTopLevelOr(const QString &text) {
    int depth = 0;
    QChar quote;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
            continue;
        }
        if (c == QLatin1Char('\'') || c == QLatin1Char('"'))
            quote = c;
        else if (c == QLatin1Char('('))
            ++depth;
        else if (c == QLatin1Char(')'))
            --depth;
        else if (depth == 0 && (i == 0 || !text[i - 1].isLetterOrNumber()) &&
                 text.mid(i, 2).compare(QLatin1String("or"), Qt::CaseInsensitive) == 0 &&
                 (i + 2 >= text.size() || !(text[i + 2].isLetterOrNumber() || text[i + 2] == QLatin1Char('_'))))
            return true;
    }
    return false;
}

// Emits the current line when it holds more than the keyword or indent,
// with ", " when another field follows.
void emitItem(QStringList &out, QString &line, bool anotherFollows) {
    if (line.size() > 9) {
        if (anotherFollows)
            line += QLatin1String(", ");
        out << line;
        line = kIndent;
    }
}

void dropTrailing(QStringList &out, const QString &tail) {
    if (!out.isEmpty() && out.last().endsWith(tail))
        out.last().chop(tail.size());
}

bool isNumericTypeCode(const QString &code) {
    return code == QLatin1String("F") || code == QLatin1String("I") || code == QLatin1String("N") ||
           code == QLatin1String("S") || code == QLatin1String("Z");
}

// The text a cross-table label or column name is made of.
QString labelText(const QVariant &v) {
    if (v.isNull())
        return {};
    switch (v.typeId()) {
    case QMetaType::Double: {
        const double d = v.toDouble();
        return QString::number(d, 'g', QLocale::FloatingPointShortest);
    }
    case QMetaType::QDate:
        return v.toDate().toString(QStringLiteral("dd.MM.yyyy"));
    case QMetaType::QDateTime: {
        const QDateTime dt = v.toDateTime();
        return dt.time() == QTime(0, 0) ? dt.toString(QStringLiteral("dd.MM.yyyy"))
                                        : dt.toString(QStringLiteral("dd.MM.yyyy hh:mm"));
    }
    default:
        return v.toString();
    }
}

// The stage-1 table: its columns are those of the statement, each with the
// declared type of the column it reads, none for an expression (whose values
// stage 2 then types by what they hold).
void createStage1Table(Database &db, const QString &name, const Statement &select) {
    QStringList cols;
    for (int i = 0; i < select.columnCount(); ++i) {
        const char *decl = sqlite3_column_decltype(select.get(), i);
        QString col = quoteIdentifier(select.columnName(i));
        if (decl && *decl)
            col += QLatin1Char(' ') + QString::fromUtf8(decl);
        cols << col;
    }
    db.exec(QStringLiteral("CREATE TABLE %1 (%2)").arg(quoteIdentifier(name), cols.join(QLatin1String(", "))));
}

// Copies the rows of a stage-1 text into the table inside the engine; the
// program never touches them.
int appendRows(Database &db, const QString &table, const QString &select) {
    Statement st(db, QStringLiteral("INSERT INTO %1 %2").arg(quoteIdentifier(table), select));
    while (st.step()) {
    }
    return sqlite3_changes(db.handle());
}

} // namespace

TAuswertungSQL::TAuswertungSQL(Database &db, QObject *owner) : QObject(owner), m_db(db) {}

TAuswertungSQL::~TAuswertungSQL() {
    m_result.reset();
    try {
        dropTempTables();
    } catch (...) {
        // Left for the next start, which drops stale temporary tables.
    }
}

QStringList TAuswertungSQL::memoLines(const QString &text) {
    if (text.isEmpty())
        return {};
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    QStringList lines = text.split(lineBreak);
    if (lines.size() > 1 && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

QString TAuswertungSQL::memoText(const QStringList &lines) {
    return lines.join(QLatin1String("\r\n"));
}

QString TAuswertungSQL::newTempTable() {
    // Another program on the same database counts from 0 as well; its
    // tables are not ours to replace.
    m_db.invalidateSchema();
    QString name = NewTempTableName();
    while (m_db.tableExists(name))
        name = NewTempTableName();
    m_tempTables << name;
    return name;
}

void TAuswertungSQL::dropTempTables() {
    while (!m_tempTables.isEmpty()) {
        const QString t = m_tempTables.takeLast();
        if (m_db.tableExists(t))
            m_db.dropTable(t);
    }
}

QString TAuswertungSQL::blockFieldType(int tableNr, int order) {
    Query q(m_db, QStringLiteral("select Typ from TRFIELD where (TableNr = :TableNr) and (\"Order\" = :Order)"));
    q.setParam(QStringLiteral("TableNr"), tableNr);
    q.setParam(QStringLiteral("Order"), order);
    q.open();
    return q.eof() ? QString() : q.value(0).toString();
}

std::vector<EvaluationField> TAuswertungSQL::loadFields() {
    std::vector<EvaluationField> fields;
    auto read = [&](Query &q, bool person) {
        for (q.first(); !q.eof(); q.next()) {
            EvaluationField f;
            f.feldNr = q.value(QStringLiteral("FeldNr")).toInt();
            f.name = q.value(QStringLiteral("Name")).toString();
            f.typ = q.value(QStringLiteral("Typ")).toString();
            f.tableNr = q.value(QStringLiteral("TableNr")).toInt();
            f.order = q.value(QStringLiteral("Order")).toInt();
            f.arithmOp = q.value(QStringLiteral("ArithmOp")).toString();
            f.aggregate = q.value(QStringLiteral("Agregatfunktion")).toInt();
            const QVariant shown = q.value(QStringLiteral("Sichtbar"));
            f.shown = shown.isNull() || shown.toBool();
            f.calculated = q.value(QStringLiteral("SQL")).toBool();
            f.lines = memoLines(q.value(QStringLiteral("Bedingung")).toString());
            if (person) {
                f.personAxis = true;
                f.calculated = true;
            } else {
                f.entity = q.value(QStringLiteral("Entity")).toString();
            }
            fields.push_back(f);
        }
    };
    Query list(m_db, QString::fromUtf8(kFieldListSql));
    list.setParam(QStringLiteral("AuswertungNr"), AuswertungNr);
    list.open();
    read(list, false);
    Query person(m_db, QStringLiteral("select * from afield where (AuswertungNr = :AuswertungNr) and (TableNr = -1) "
                                      "order by FeldNr"));
    person.setParam(QStringLiteral("AuswertungNr"), AuswertungNr);
    person.open();
    read(person, true);
    std::stable_sort(fields.begin(), fields.end(),
                     [](const EvaluationField &a, const EvaluationField &b) { return a.feldNr < b.feldNr; });
    return fields;
}

void TAuswertungSQL::GenerateSQL(QStringList *sql1Out, QStringList *sql2Out) {
    Query evaluation(m_db, QStringLiteral("select Gruppierung from AUSWERT where AuswertungNr = :AuswertungNr"));
    evaluation.setParam(QStringLiteral("AuswertungNr"), AuswertungNr);
    evaluation.open();
    if (evaluation.eof())
        throw VelmoraError(QStringLiteral("Die Auswertung %1 existiert nicht.").arg(AuswertungNr));
    const bool grouped = evaluation.value(0).toBool();

    const std::vector<EvaluationField> fields = loadFields();
    if (fields.empty())
        throw VelmoraError(EvaluationMessages::kNoField);
    bool person = false;
    for (const EvaluationField &f : fields)
        person = person || (f.personAxis && f.shown); // only a selected person needs the join

    // Stage 1: one row per entry.
    QStringList sql1;
    QString line = QStringLiteral("select   ");
    for (size_t i = 0; i < fields.size(); ++i) {
        const EvaluationField &f = fields[i];
        if (f.shown) {
            const QString alias = QStringLiteral(" as F_%1").arg(f.feldNr);
            if (f.calculated) {
                const QString expr = f.lines.value(1);
                line += (f.personAxis ? withoutAlias(expr) : expr) + alias;
            } else {
                line += f.entity + f.arithmOp + alias;
            }
        }
        emitItem(sql1, line, i + 1 < fields.size());
    }
    if (sql1.isEmpty())
        throw VelmoraError(EvaluationMessages::kNoVisibleField);
    dropTrailing(sql1, QStringLiteral(", "));

    Query tables(m_db, QString::fromUtf8(kTableListSql));
    tables.setParam(QStringLiteral("AuswertungNr"), AuswertungNr);
    tables.open();
    QStringList names;
    for (tables.first(); !tables.eof(); tables.next())
        names << tables.value(0).toString().toUpper();

    bool hasTr = false;
    line = QStringLiteral("from     ");
    for (int i = 0; i < names.size(); ++i) {
        hasTr = hasTr || names[i] == QLatin1String("TR");
        line += QLatin1Char('"') + names[i] + QLatin1Char('"');
        if (i + 1 < names.size())
            line += QLatin1Char(',');
        else if (!hasTr)
            line += QStringLiteral(", \"TR\"");
        sql1 << line;
        line = kIndent;
    }
    if (names.isEmpty())
        sql1 << QStringLiteral("from     \"TR\"");
    if (person) {
        sql1.last() += QLatin1Char(',');
        sql1 << kIndent + QStringLiteral("\"PERSON\"");
    }

    // Join groups, one " and " between two of them whatever the order in
    // which the engine lists the tables.
    QStringList joins;
    for (const QString &t : std::as_const(names))
        if (t != QLatin1String("TR"))
            joins << QStringLiteral(
                         "(\"%1\".\"SerienNr\" = \"TR\".\"SerienNr\") and (\"%1\".\"TrNr\" = \"TR\".\"TrNr\")")
                         .arg(t);
    if (person)
        joins << QStringLiteral("(\"PERSON\".\"PersonNr\" = \"TR\".\"PersonNr\")");
    line = QStringLiteral("where    ");
    if (!joins.isEmpty()) {
        sql1 << line + joins.join(QLatin1String(" and ")) + QLatin1String(" and ");
        line = kIndent;
    }

    for (const EvaluationField &f : fields) {
        if (!f.calculated) {
            QStringList alternatives;
            for (int l = 1; l < f.lines.size(); ++l)
                if (!f.lines[l].isEmpty())
                    alternatives << f.lines[l];
            QString condition = alternatives.join(QLatin1String(" or "));
            // AND binds before OR: several alternatives keep to their field.
            if (alternatives.size() > 1 || hasTopLevelOr(condition))
                condition = QLatin1Char('(') + condition + QLatin1Char(')');
            line += condition;
        } else if (f.lines.size() == 4) {
            line += f.lines[3];
        }
        if (line.size() > 9) {
            sql1 << line + QLatin1String(" and ");
            line = kIndent;
        }
    }
    dropTrailing(sql1, QStringLiteral("and "));

    // Stage 2: names, aggregates, groups and order.
    static const char *const functions[] = {"", "sum(", "avg(", "count(", "min(", "max("};
    QStringList sql2;
    line = QStringLiteral("select   ");
    for (size_t i = 0; i < fields.size(); ++i) {
        const EvaluationField &f = fields[i];
        if (f.shown) {
            if (f.aggregate >= 1 && f.aggregate <= 5)
                line +=
                    QString::fromLatin1(functions[f.aggregate]) + QStringLiteral("F_%1) as ").arg(f.feldNr) + f.name;
            else
                line += QStringLiteral("F_%1 as ").arg(f.feldNr) + f.name;
        }
        emitItem(sql2, line, i + 1 < fields.size());
    }
    dropTrailing(sql2, QStringLiteral(", "));
    sql2 << QStringLiteral("from ");
    if (grouped) {
        const int before = int(sql2.size());
        line = QStringLiteral("group by ");
        for (size_t i = 0; i < fields.size(); ++i) {
            const EvaluationField &f = fields[i];
            if (f.aggregate < 1 && f.shown)
                line += QStringLiteral("F_%1").arg(f.feldNr);
            emitItem(sql2, line, i + 1 < fields.size());
        }
        if (sql2.size() > before)
            dropTrailing(sql2, QStringLiteral(", "));
    }
    const int before = int(sql2.size());
    line = QStringLiteral("order by ");
    for (size_t i = 0; i < fields.size(); ++i) {
        if (fields[i].typ == QLatin1String("X"))
            line += QStringLiteral("F_%1").arg(fields[i].feldNr);
        emitItem(sql2, line, i + 1 < fields.size());
    }
    if (sql2.size() > before)
        dropTrailing(sql2, QStringLiteral(", "));

    *sql1Out = sql1;
    *sql2Out = sql2;
}

void TAuswertungSQL::BuildSQL() {
    QStringList sql1, sql2;
    GenerateSQL(&sql1, &sql2);
    Transaction tx(m_db);
    const int n = m_db.execLocal(QStringLiteral("update AUSWERT set SQL1 = :SQL1, SQL2 = :SQL2, \"Geändert\" = false "
                                                "where AuswertungNr = :AuswertungNr"),
                                 {{QStringLiteral("SQL1"), memoText(sql1)},
                                  {QStringLiteral("SQL2"), memoText(sql2)},
                                  {QStringLiteral("AuswertungNr"), AuswertungNr}});
    if (n != 1)
        throw VelmoraError(QStringLiteral("Die Auswertung %1 existiert nicht.").arg(AuswertungNr));
    tx.commit();
}

void TAuswertungSQL::PrepareRun(const QStringList &conditionLines) {
    Query evaluation(m_db, QStringLiteral("select SQL1 from AUSWERT where AuswertungNr = :AuswertungNr"));
    evaluation.setParam(QStringLiteral("AuswertungNr"), AuswertungNr);
    evaluation.open();
    if (evaluation.eof())
        throw VelmoraError(QStringLiteral("Die Auswertung %1 existiert nicht.").arg(AuswertungNr));
    QStringList run = memoLines(evaluation.value(0).toString());

    // Only the generated where line starts a line with "where"; a typed
    // expression that contains the word must not count.
    bool hasWhere = false;
    for (int i = 1; i < run.size(); ++i)
        hasWhere = hasWhere || run[i].startsWith(QLatin1String("where "));
    QString prefix = QStringLiteral("where ");
    if (hasWhere && !run.isEmpty()) {
        run.last() += QLatin1String(" and");
        prefix.clear();
    }
    const int artLine = int(run.size());
    run << prefix + QStringLiteral("(tr.Art = %1) and").arg(Art);
    if (!conditionLines.isEmpty())
        run << conditionLines;
    else
        run << QStringLiteral("(tr.PersonNr = %1)").arg(PersonNr);
    m_run = run;
    m_compare.clear();
    if (!Vergleich)
        return;

    // Numeric columns of the compared documents count negatively, so that
    // summing both gives the difference.
    QHash<int, bool> numeric;
    for (const EvaluationField &f : loadFields())
        numeric.insert(f.feldNr, !f.personAxis && isNumericTypeCode(blockFieldType(f.tableNr, f.order)));
    QStringList compare = run;
    static const QRegularExpression alias(QStringLiteral(" as F_(\\d+)(, )?$"));
    for (int i = 0; i < compare.size(); ++i) {
        QString &l = compare[i];
        if (l.startsWith(QLatin1String("from ")))
            break;
        const QRegularExpressionMatch m = alias.match(l);
        if (!m.hasMatch() || !numeric.value(m.captured(1).toInt()))
            continue;
        // The alias is the last " as " of the line: an expression may hold
        // one of its own (cast(x as Integer)).
        const int p = int(m.capturedStart(0));
        if (p < 7)
            continue;
        l = l.left(7) + QLatin1Char('(') + l.mid(7, p - 7) + QStringLiteral(")*(-1)") + l.mid(p);
    }
    compare[artLine] = prefix + QStringLiteral("(tr.Art = %1) and").arg(VergleichArt);
    const QString personText = QStringLiteral("(tr.PersonNr = %1)").arg(PersonNr);
    const QString comparePerson = QStringLiteral("(tr.PersonNr = %1)").arg(VergleichPersonNr);
    for (int i = artLine + 1; i < compare.size(); ++i)
        compare[i].replace(personText, comparePerson);
    m_compare = compare;
}

void TAuswertungSQL::Run() {
    m_result.reset();
    Query evaluation(m_db, QStringLiteral("select * from AUSWERT where AuswertungNr = :AuswertungNr"));
    evaluation.setParam(QStringLiteral("AuswertungNr"), AuswertungNr);
    evaluation.open();
    if (evaluation.eof())
        throw VelmoraError(QStringLiteral("Die Auswertung %1 existiert nicht.").arg(AuswertungNr));
    const bool cross = evaluation.value(QStringLiteral("Kreuztabelle")).toBool();
    const QStringList sql2 = memoLines(evaluation.value(QStringLiteral("SQL2")).toString());

    // The fields as the stages select them: the axis indexes are columns of
    // the result.
    const std::vector<EvaluationField> fields = loadFields();
    if (m_run.isEmpty())
        throw VelmoraError(QStringLiteral("Die Auswertung ist noch nicht für einen Lauf vorbereitet."));

    int xIndex = -1, yIndex = -1, dataColumn = -1, dataFields = 0;
    QString xName, yName;
    bool xIndexField = false, yIndexField = false;
    {
        // Typed SQL runs from here on: only our own tables may change.
        WriteGuard guard(m_db);
        const QString stage1Sql = m_db.translate(m_run.join(QLatin1Char('\n')));
        {
            const Statement select(m_db, stage1Sql);
            m_stage1Table = newTempTable();
            guard.allow(m_stage1Table);
            createStage1Table(m_db, m_stage1Table, select);
        }
        Transaction tx(m_db);
        if (appendRows(m_db, m_stage1Table, stage1Sql) == 0) {
            tx.commit();
            m_db.dropTable(m_stage1Table);
            m_tempTables.removeAll(m_stage1Table);
            m_stage1Table.clear();
            throw VelmoraError(EvaluationMessages::kNoData);
        }
        if (Vergleich && !m_compare.isEmpty())
            appendRows(m_db, m_stage1Table, m_db.translate(m_compare.join(QLatin1Char('\n'))));
        tx.commit();

        QStringList stage2Text = sql2;
        for (QString &l : stage2Text)
            if (l.startsWith(QLatin1String("from")))
                l = QStringLiteral("from ") + m_stage1Table;
        Query stage2(m_db);
        stage2.setSql(stage2Text);
        stage2.open();
        const QString stage2Table = newTempTable();
        guard.allow(stage2Table);
        BatchCopy::run(stage2, m_db, stage2Table, BatchCopy::Mode::Copy);
        if (cross)
            m_crossInput = stage2Table;
        else
            m_resultTable = stage2Table;

        int column = 0;
        for (const EvaluationField &f : fields) {
            if (!f.shown)
                continue;
            const QString &typ = f.typ;
            const QString &name = f.name;
            const bool index = !f.calculated && blockFieldType(f.tableNr, f.order) == QLatin1String("X");
            if (typ == QLatin1String("X")) {
                xIndex = column;
                xName = name;
                xIndexField = index;
            } else if (typ == QLatin1String("Y")) {
                yIndex = column;
                yName = name;
                yIndexField = index;
            } else {
                dataColumn = column;
                ++dataFields;
            }
            ++column;
        }
        m_xIndex = xIndex;
        m_yIndex = yIndex;
        m_xName = xName;
        m_yName = yName;
        m_xIndexField = xIndexField;
        m_yIndexField = yIndexField;

        if (cross) {
            m_resultTable = newTempTable();
            guard.allow(m_resultTable);
            buildCrossTable(stage2Table, dataColumn, int(fields.size()), dataFields);
        }
    }

    Transaction tx(m_db);
    m_db.execLocal(
        QStringLiteral("update AUSWERT set XAchse = :X, YAchse = :Y where AuswertungNr = :AuswertungNr"),
        {{QStringLiteral("X"), xIndex}, {QStringLiteral("Y"), yIndex}, {QStringLiteral("AuswertungNr"), AuswertungNr}});
    tx.commit();
    m_result = std::make_unique<Cursor>(m_db, m_resultTable);
    m_result->setReadOnly(true);
    m_result->open();
}

void TAuswertungSQL::buildCrossTable(const QString &stage2, int dataColumn, int fieldCount, int dataFields) {
    if (fieldCount < 3)
        throw VelmoraError(EvaluationMessages::kCrossThreeFields);
    if (m_xIndex < 0 || m_yIndex < 0)
        throw VelmoraError(EvaluationMessages::kCrossAxes);
    if (dataFields > 1)
        throw VelmoraError(EvaluationMessages::kCrossOneDataField);

    auto distinctQuery = [&](const QString &name, bool indexField) {
        if (indexField)
            return QStringLiteral("select distinct TRVALUE.\"Value\" from TRVALUE, %1 where TRVALUE.ValueNr=%1.\"%2\"")
                .arg(stage2, name);
        return QStringLiteral("select distinct %1.\"%2\" from %1").arg(stage2, name);
    };

    Query xs(m_db, distinctQuery(m_xName, m_xIndexField));
    xs.open();
    TableDef def;
    def.name = m_resultTable;
    const QString firstColumn = m_yName + QLatin1Char('/') + m_xName;
    def.fields.push_back(FieldDef(firstColumn, FieldType::Alpha, 25));
    QHash<QString, int> columnOf; // lower-case X text -> column
    for (xs.first(); !xs.eof(); xs.next()) {
        const QString x = labelText(xs.value(0));
        if (x.isEmpty() || columnOf.contains(x.toLower()) || x.compare(firstColumn, Qt::CaseInsensitive) == 0)
            continue;
        columnOf.insert(x.toLower(), int(def.fields.size()));
        def.fields.push_back(FieldDef(x, FieldType::Number));
    }
    if (def.fields.size() < 2)
        throw VelmoraError(EvaluationMessages::kCrossNoColumns);
    m_db.createTable(def);

    // The rows in the order the distinct Y query returns them; the first
    // row whose label matches receives the values.
    Query ys(m_db, distinctQuery(m_yName, m_yIndexField));
    ys.open();
    std::vector<std::vector<QVariant>> rows;
    QHash<QString, int> rowOf;
    for (ys.first(); !ys.eof(); ys.next()) {
        const QVariant y = ys.value(0);
        const QString label = labelText(y).left(25);
        std::vector<QVariant> row(def.fields.size());
        row[0] = y.isNull() ? QVariant() : QVariant(label);
        if (!label.isEmpty() && !rowOf.contains(label))
            rowOf.insert(label, int(rows.size()));
        rows.push_back(std::move(row));
    }

    // Index fields hold numbers of pick-list values; their labels are the values.
    QHash<int, QString> values;
    if (m_xIndexField || m_yIndexField) {
        Query v(m_db, QStringLiteral("select ValueNr, \"Value\" from TRVALUE"));
        v.open();
        for (v.first(); !v.eof(); v.next())
            values.insert(v.value(0).toInt(), v.value(1).toString());
    }
    auto text = [&](const QVariant &v, bool indexField) {
        if (!indexField)
            return labelText(v);
        return v.isNull() ? QString() : values.value(v.toInt());
    };
    Query s2(m_db, QStringLiteral("select * from %1").arg(stage2));
    s2.open();
    for (s2.first(); !s2.eof(); s2.next()) {
        const QString x = text(s2.value(m_xIndex), m_xIndexField);
        const QString y = text(s2.value(m_yIndex), m_yIndexField).left(25);
        if (x.isEmpty() || y.isEmpty())
            continue;
        const auto r = rowOf.constFind(y);
        const auto c = columnOf.constFind(x.toLower());
        if (r == rowOf.constEnd() || c == columnOf.constEnd())
            continue;
        const QVariant data = dataColumn >= 0 ? s2.value(dataColumn) : QVariant();
        rows[size_t(*r)][size_t(*c)] = data.isNull() ? 0.0 : data.toDouble();
    }

    Transaction tx(m_db);
    QStringList marks;
    for (size_t i = 0; i < def.fields.size(); ++i)
        marks << QStringLiteral("?");
    Statement insert(m_db, QStringLiteral("INSERT INTO %1 VALUES (%2)")
                               .arg(quoteIdentifier(m_resultTable), marks.join(QLatin1String(", "))));
    for (const auto &row : rows) {
        insert.reset();
        for (size_t i = 0; i < row.size(); ++i)
            insert.bind(int(i) + 1, row[i], def.fields[i].type, def.fields[i].size);
        insert.step();
    }
    tx.commit();
}

int DropStaleTempTables(Database &db) {
    static const QRegularExpression temp(QStringLiteral("^TMP[0-9A-F]{5}$"), QRegularExpression::CaseInsensitiveOption);
    int dropped = 0;
    for (const QString &t : db.tables(QStringLiteral("TMP*")))
        if (temp.match(t).hasMatch()) {
            db.dropTable(t);
            ++dropped;
        }
    return dropped;
}

} // namespace velmora
