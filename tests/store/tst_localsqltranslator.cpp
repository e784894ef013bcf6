#include "store/LocalSqlTranslator.h"

#include <QtTest>

#include <map>

#include <sqlite3.h>

using namespace velmora;

namespace {

// The tables the statements below refer to, as the database would describe them.
class FakeSchema : public SchemaLookup {
public:
    FakeSchema() {
        using T = FieldType;
        add("TR", {{"SerienNr", T::Short}, {"TrNr", T::Long}, {"PersonNr", T::Long}, {"Datum", T::Timestamp},
                   {"Beschreibung", T::Memo, 1}, {"Woche", T::Alpha, 2}, {"Wochentag", T::Alpha, 2},
                   {"FormularNr", T::Long}, {"Art", T::Short}, {"AutorNr", T::Long}});
        add("PERSON", {{"PersonNr", T::Long}, {"Nachname", T::Alpha, 30}, {"Vorname", T::Alpha, 30},
                       {"Geburtsdatum", T::Date}, {"Sex", T::Alpha, 1}, {"GruppenNr", T::Long},
                       {"TrainerNr", T::Long}, {"LeserechteAndere", T::Logical}, {"LeserechteGruppe", T::Logical}});
        add("FILTER", {{"FilterNr", T::Long}, {"Name", T::Alpha, 30}, {"PersonNr", T::Long}});
        add("TRTABLE", {{"TableNr", T::Long}, {"Name", T::Alpha, 30}, {"Filename", T::Alpha, 30},
                        {"Art", T::Alpha, 1}});
        add("TRFIELD", {{"TableNr", T::Long}, {"Order", T::Short}, {"FeldName", T::Alpha, 30}, {"Left", T::Short}});
        add("AFIELD", {{"AuswertungNr", T::Long}, {"FeldNr", T::Long}, {"TableNr", T::Long}, {"Order", T::Short}});
        add("TRVALUE", {{"ValueNr", T::Long}, {"Value", T::Alpha, 30}});
        add("TR_3", {{"SerienNr", T::Short}, {"TrNr", T::Long}, {"Order", T::Short}, {"Dauer", T::Long}});
        add("TMP00001", {{"Type", T::Alpha, 1}, {"Name", T::Alpha, 60}, {"Key1", T::Long}, {"Key2", T::Long},
                         {"Gruppe", T::Long}, {"Trainer", T::Long}});
        add("TMP00003", {{"Woche", T::Alpha, 2}});
        add("TERMIN", {{"TerminNr", T::Long}, {"Tag", T::Date}, {"Beginn", T::Time}});
    }

    bool isTable(const QString &name) const override { return find(name) != nullptr; }

    FieldType columnType(const QString &table, const QString &column) const override {
        // Like the database: only the table named is asked.
        if (const FieldDefs *defs = find(table))
            return typeIn(*defs, column);
        return FieldType::Unknown;
    }

    const std::map<QString, FieldDefs> &tables() const { return m_tables; }

private:
    void add(const char *name, FieldDefs defs) { m_tables[QString::fromLatin1(name)] = std::move(defs); }

    const FieldDefs *find(QString name) const {
        name = name.toUpper();
        if (name.endsWith(QLatin1String(".DB")))
            name.chop(3);
        const auto it = m_tables.find(name);
        return it == m_tables.end() ? nullptr : &it->second;
    }

    static FieldType typeIn(const FieldDefs &defs, const QString &column) {
        for (const FieldDef &f : defs)
            if (f.name.compare(column, Qt::CaseInsensitive) == 0)
                return f.type;
        return FieldType::Unknown;
    }

    std::map<QString, FieldDefs> m_tables;
};

const char *const kRows[] = {
    "insert into PERSON values (5, 'Huber', 'Max', '1980-03-07', 'M', 7, 5, 0, 0)",
    "insert into PERSON values (6, 'Meier', 'Anna', NULL, 'F', 7, 9, 0, 1)",
    "insert into PERSON values (8, 'Schulz', 'Eva', '1991-12-24', 'F', 3, 9, 0, 0)",
    "insert into PERSON values (9, 'Trainer', 'Tom', '1970-01-01', 'X', 7, 5, 1, 0)",
    "insert into PERSON values (10, 'Berg', 'Ben', '2001-05-01', 'M', 4, 5, 0, 0)",
    "insert into \"FILTER\" values (11, 'Kraft', 5), (12, 'Ausdauer', 6), (3, 'Alt', 5)",
    "insert into TR values (1, 1, 17, '2026-01-05 09:00:00.000', 'Lauf', '02', 'Mo', 1, 3, 5)",
    "insert into TR values (1, 2, 17, '2026-01-11 18:30:00.000', 'Rad', '02', 'So', 11, 3, 6)",
    "insert into TR values (1, 3, 17, '2026-01-12 07:00:00.000', 'Lauf', '03', 'Mo', 1, 3, 5)",
    "insert into TR values (1, 4, 18, '2026-01-07 10:00:00.000', NULL, '02', 'Mi', 21, 3, 7)",
    "insert into TR values (2, 1, 17, '2025-12-30 10:00:00.000', 'Alt', '01', 'Di', 1, 1, 5)",
    "insert into TR_3 values (1, 1, 1, 45), (1, 2, 1, 90), (1, 3, 1, 30)",
    "insert into TRTABLE values (3, 'Training 3', 'TR_3', 'T'), (4, 'Werte', 'TRVALUE', 'W')",
    "insert into TRFIELD values (3, 1, 'SerienNr', 0), (3, 2, 'Dauer', 10)",
    "insert into AFIELD values (1, 1, 3, 2), (1, 2, 3, 1), (2, 1, 3, 1)",
    "insert into TRVALUE values (2, 'leicht'), (3, 'schwer'), (4, 'mittel')",
    "insert into TMP00001 values ('P', 'Huber Max', 5, 0, 7, 5), ('G', 'Gruppe 7', 7, 0, 7, 0),"
    " ('T', 'Lauf', 1, 1, 3, 5), ('P', 'Berg Ben', 10, 0, 4, 5)",
    "insert into TMP00003 values ('02'), ('03'), ('03')",
    "insert into TERMIN values (1, '2026-01-05', '10:30:00.000'), (2, '2026-02-11', '07:05:09.500')",
};

} // namespace

class TestLocalSqlTranslator : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void statements_data();
    void statements();
    void conditions_data();
    void conditions();
    void textForms_data();
    void textForms();

private:
    QStringList query(const QString &sql);

    FakeSchema m_schema;
    sqlite3 *m_db = nullptr;
};

void TestLocalSqlTranslator::initTestCase() {
    QCOMPARE(sqlite3_open(":memory:", &m_db), SQLITE_OK);
    for (const auto &[name, defs] : m_schema.tables()) {
        QStringList cols;
        for (const FieldDef &f : defs)
            cols << QLatin1Char('"') + f.name + QStringLiteral("\" ") + declaredType(f);
        const QString sql = QStringLiteral("create table \"%1\" (%2)").arg(name, cols.join(QStringLiteral(", ")));
        QVERIFY2(sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, nullptr) == SQLITE_OK,
                 sqlite3_errmsg(m_db));
    }
    for (const char *row : kRows)
        QVERIFY2(sqlite3_exec(m_db, row, nullptr, nullptr, nullptr) == SQLITE_OK, sqlite3_errmsg(m_db));
}

void TestLocalSqlTranslator::cleanupTestCase() {
    sqlite3_close(m_db);
    m_db = nullptr;
}

// Runs a translated statement; each row comes back as "col|col|...", NULL as <null>.
// Named parameters get fixed values.
QStringList TestLocalSqlTranslator::query(const QString &sql) {
    sqlite3_stmt *st = nullptr;
    const QByteArray utf8 = sql.toUtf8();
    if (sqlite3_prepare_v2(m_db, utf8.constData(), int(utf8.size()), &st, nullptr) != SQLITE_OK) {
        QTest::qFail(qPrintable(QStringLiteral("prepare failed: %1\n%2")
                                    .arg(QString::fromUtf8(sqlite3_errmsg(m_db)), sql)),
                     __FILE__, __LINE__);
        return {QStringLiteral("<error>")};
    }
    const int idx = sqlite3_bind_parameter_index(st, ":AuswertungNr");
    if (idx > 0)
        sqlite3_bind_int(st, idx, 1);
    QStringList rows;
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        QStringList cols;
        for (int c = 0; c < sqlite3_column_count(st); ++c) {
            if (sqlite3_column_type(st, c) == SQLITE_NULL)
                cols << QStringLiteral("<null>");
            else
                cols << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, c)));
        }
        rows << cols.join(QLatin1Char('|'));
    }
    if (rc != SQLITE_DONE)
        rows << QStringLiteral("<step error: %1>").arg(QString::fromUtf8(sqlite3_errmsg(m_db)));
    sqlite3_finalize(st);
    return rows;
}

void TestLocalSqlTranslator::statements_data() {
    QTest::addColumn<QString>("localSql");
    QTest::addColumn<QStringList>("expected");

    auto lines = [](std::initializer_list<const char *> l, const char *sep = "\n") {
        QStringList s;
        for (const char *x : l)
            s << QString::fromUtf8(x);
        return s.join(QLatin1String(sep));
    };

    // A missing birth date must not lose the name, dates read German, "P" is text.
    QTest::newRow("person list")
        << lines({"select \"P\" as Type, Nachname + \" \" + Vorname + \" \" + cast(Geburtsdatum as CHARACTER) as Name, "
                  "PersonNr as Key1, 0 as Key2, GruppenNr as Gruppe, TrainerNr as Trainer",
                  "from Person", "where ((Sex=\"M\") or (Sex=\"F\")) and", "((PersonNr = 5) or ",
                  "(TrainerNr = 5) or ", "(LeserechteAndere = true) or ",
                  "((LeserechteGruppe = true) and (GruppenNr = 7)))"})
        << QStringList{"P|Berg Ben 01.05.2001|10|0|4|5", "P|Huber Max 07.03.1980|5|0|7|5", "P|Meier Anna |6|0|7|9"};

    QTest::newRow("filter list, quoted tables")
        << lines({"select distinct \"F\" as Type, Name, FilterNr as Key1, \"Person\".PersonNr as Key2, "
                  "GruppenNr as Gruppe, TrainerNr as Trainer",
                  "from \"Filter\", \"Person\"", "where (\"Filter\".FilterNr > 10) and",
                  "(\"Filter\".PersonNr = Person.PersonNr)"},
                 "\r\n")
        << QStringList{"F|Ausdauer|12|6|7|9", "F|Kraft|11|5|7|5"};

    QTest::newRow("entity built from quote characters")
        << QStringLiteral("select distinct \"\"\"\"+trtable.filename+\"\"\".\"\"\"+trfield.FeldName+\"\"\"\" as Entity, "
                          "afield.* from afield, trtable, trfield where (afield.AuswertungNr = :AuswertungNr) and "
                          "(afield.TableNr = trtable.TableNr) and (afield.TableNr = trfield.TableNr) and "
                          "(afield.\"Order\" = trfield.\"Order\") order by afield.FeldNr")
        << QStringList{"\"TR_3\".\"Dauer\"|1|1|3|2", "\"TR_3\".\"SerienNr\"|1|2|3|1"};

    // Year * 100 + week must add up, not glue digits together.
    QTest::newRow("week key stays numeric")
        << lines({"select   EXTRACT(YEAR FROM tr.Datum)*100 + cast(tr.Woche as Integer) as F_1, ",
                  "         \"TR_3\".\"Dauer\" as F_2", "from     \"TR\",", "         \"TR_3\"",
                  "where    (\"TR_3\".\"SerienNr\" = \"TR\".\"SerienNr\") and (\"TR_3\".\"TrNr\" = \"TR\".\"TrNr\") ",
                  "and (tr.Art = 3) and", "(tr.PersonNr = 17)"})
        << QStringList{"202602|45", "202602|90", "202603|30"};

    QTest::newRow("week range includes the evening of the last day")
        << lines({"select * from tr where (Art = 3) and", "((tr.AutorNr = 5) or  (tr.AutorNr = 6)) and",
                  "(tr.Datum >= \"2026-01-05\") and", "(tr.Datum <= \"2026-01-11\")", "order by tr.datum"})
        << QStringList{"1|1|17|2026-01-05 09:00:00.000|Lauf|02|Mo|1|3|5",
                       "1|2|17|2026-01-11 18:30:00.000|Rad|02|So|11|3|6"};

    QTest::newRow("German bounds with an alias")
        << QStringLiteral("select t.TrNr from TR t where t.Datum > '05.01.2026' and t.Datum <= '11.01.2026' "
                          "order by t.TrNr")
        << QStringList{"2", "4"};

    QTest::newRow("text constant compared") << QStringLiteral("select * from trtable where Art = \"T\"")
                                            << QStringList{"3|Training 3|TR_3|T"};

    QTest::newRow("quoted table with star")
        << QStringLiteral("select distinct \"Filter\".* from \"Filter\", TMP00001 where (\"Filter\".PersonNr=TMP00001.Key1)")
        << QStringList{"11|Kraft|5", "3|Alt|5"};

    QTest::newRow("join through temporary table")
        << QStringLiteral("select distinct TR.* from TR, TMP00001 where ((Art=1) or (Art=11) or (Art=21)) and "
                          "(TR.FormularNr=TMP00001.Key1)")
        << QStringList{"2|1|17|2025-12-30 10:00:00.000|Alt|01|Di|1|1|5"};

    QTest::newRow("quoted column after dot")
        << QStringLiteral("select distinct TRVALUE.\"Value\" from TRVALUE, TMP00003 where TRVALUE.ValueNr=TMP00003.\"Woche\"")
        << QStringList{"leicht", "schwer"};

    QTest::newRow("reserved column names unqualified")
        << QStringLiteral("select FeldName, \"Left\" from TRFIELD where \"Order\" = 2")
        << QStringList{"Dauer|10"};

    QTest::newRow("quotes inside text constants")
        << QStringLiteral("select \"O'Brien\" + '''' + \" \" as X from TRVALUE where ValueNr = 2")
        << QStringList{"O'Brien' "};

    QTest::newRow("parenthesised text chain inside a chain")
        << QStringLiteral("select (Nachname + \", \" + Vorname) + \" (\" + cast(PersonNr as CHAR) + \")\" "
                          "from Person where PersonNr = 5")
        << QStringList{"Huber, Max (5)"};

    QTest::newRow("time and date parts")
        << QStringLiteral("select cast(Beginn as CHARACTER) + \" Uhr\", EXTRACT(HOUR FROM Beginn), "
                          "EXTRACT(MINUTE FROM Beginn), EXTRACT(MONTH FROM Tag), EXTRACT(DAY FROM Tag) "
                          "from TERMIN order by TerminNr")
        << QStringList{"10:30:00 Uhr|10|30|1|5", "07:05:09 Uhr|7|5|2|11"};

    QTest::newRow("date-time as text")
        << QStringLiteral("select cast(Datum as VARCHAR(20)) from TR where SerienNr = 1 and TrNr = 2")
        << QStringList{"11.01.2026 18:30:00"};

    QTest::newRow("substring and trim")
        << QStringLiteral("select SUBSTRING(Nachname FROM 1 FOR 3) + \"-\" + TRIM(LEADING '0' FROM Woche) "
                          "from Person, TR where Person.PersonNr = 5 and SerienNr = 1 and TrNr = 1")
        << QStringList{"Hub-2"};

    QTest::newRow("date column with German literal")
        << QStringLiteral("select TerminNr from TERMIN where Tag = '11.02.2026'") << QStringList{"2"};
}

void TestLocalSqlTranslator::statements() {
    QFETCH(QString, localSql);
    QFETCH(QStringList, expected);
    const QString sql = LocalSqlTranslator(m_schema).translate(localSql);
    QStringList rows = query(sql);
    // Only statements that order their rows promise an order.
    if (!localSql.contains(QLatin1String("order by"), Qt::CaseInsensitive)) {
        rows.sort();
        expected.sort();
    }
    QVERIFY2(rows == expected, qPrintable(QStringLiteral("SQL: %1\ngot: %2").arg(sql, rows.join(QLatin1String(" / ")))));
}

void TestLocalSqlTranslator::conditions_data() {
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("keyColumn");
    QTest::addColumn<QString>("condition");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("types and group")
        << "TMP00001" << "Name" << "((Type = 'P') OR (Type = 'G')) AND (Gruppe = 7)"
        << QStringList{"Huber Max", "Gruppe 7"};
    QTest::newRow("double-quoted constant") << "TMP00001" << "Name" << "Type = \"T\"" << QStringList{"Lauf"};
    QTest::newRow("literal with time stays exact")
        << "TR" << "TrNr" << "(SerienNr = 1) and (Datum >= '2026-01-11 18:30:00.000')" << QStringList{"2", "3"};
    QTest::newRow("date-time equals a day") << "TR" << "TrNr" << "Datum = '2026-01-11'" << QStringList{"2"};
    QTest::newRow("date-time differs from a day")
        << "TR" << "TrNr" << "(SerienNr = 1) and (Datum <> '11.01.2026')" << QStringList{"1", "3", "4"};
    QTest::newRow("date-time after a day") << "TR" << "TrNr" << "Datum > '2026-01-11'" << QStringList{"3"};
    QTest::newRow("date-time before a day")
        << "TR" << "TrNr" << "(SerienNr = 1) and (Datum < '2026-01-07')" << QStringList{"1"};
    QTest::newRow("literal on the left")
        << "TR" << "TrNr" << "(SerienNr = 1) and ('2026-01-07' >= Datum)" << QStringList{"1", "4"};
    QTest::newRow("between days")
        << "TR" << "TrNr" << "Datum between '2026-01-07' and '11.01.2026'" << QStringList{"2", "4"};
    QTest::newRow("not between days")
        << "TR" << "TrNr" << "(SerienNr = 1) and (Datum not between '2026-01-07' and '2026-01-11')"
        << QStringList{"1", "3"};
    QTest::newRow("German date-time literal")
        << "TR" << "TrNr" << "Datum >= '11.01.2026 18:30'" << QStringList{"2", "3"};
    QTest::newRow("text chain in a condition")
        << "TMP00001" << "Name" << "Type + \":\" + cast(Key1 as CHARACTER) = 'P:10'" << QStringList{"Berg Ben"};
}

void TestLocalSqlTranslator::conditions() {
    QFETCH(QString, table);
    QFETCH(QString, keyColumn);
    QFETCH(QString, condition);
    QFETCH(QStringList, expected);
    const QString translated = LocalSqlTranslator(m_schema).translateCondition(condition, table);
    const QString sql = QStringLiteral("select %1 from %2 where (%3) order by rowid").arg(keyColumn, table, translated);
    const QStringList rows = query(sql);
    QVERIFY2(rows == expected, qPrintable(QStringLiteral("SQL: %1\ngot: %2").arg(sql, rows.join(QLatin1String(" / ")))));
}

// Forms where the exact output text matters, not only what SQLite makes of it.
void TestLocalSqlTranslator::textForms_data() {
    QTest::addColumn<QString>("localSql");
    QTest::addColumn<QString>("expected");

    QTest::newRow("numeric chain untouched")
        << "select SerienNr + TrNr * 2 + :Offset from TR" << "select SerienNr + TrNr * 2 + :Offset from TR";
    QTest::newRow("chain with minus stays arithmetic")
        << "select Nachname + \" \" - 1 from Person" << "select Nachname + ' ' - 1 from Person";
    QTest::newRow("unterminated text passed on") << "select 'abc from TR" << "select 'abc from TR";
    QTest::newRow("unbalanced parenthesis passed on") << "select (Art from TR" << "select (Art from TR";
    QTest::newRow("line breaks kept") << "select Art\r\nfrom TR\nwhere Art = \"3\""
                                      << "select Art\r\nfrom TR\nwhere Art = '3'";
    // In UPDATE's SET list "=" assigns: the typed date is stored, not compared.
    QTest::newRow("date assigned in the stored form")
        << "update TR set Datum = '11.01.26', Woche = '02' where Datum <= \"11.01.2026\""
        << "update TR set Datum = '2026-01-11 00:00:00.000', Woche = '02' where Datum < '2026-01-12'";
    QTest::newRow("quoted table name after TABLE") << "drop table \"TMP00003\""
                                                   << "drop table \"TMP00003\"";
    QTest::newRow("quote-only constants") << "select \"\"\"\" + \"\"\".\"\"\" + \" \" from TR"
                                          << "select ('\"' || '\".\"' || ' ') from TR";
}

void TestLocalSqlTranslator::textForms() {
    QFETCH(QString, localSql);
    QFETCH(QString, expected);
    QCOMPARE(LocalSqlTranslator(m_schema).translate(localSql), expected);
}

QTEST_GUILESS_MAIN(TestLocalSqlTranslator)
#include "tst_localsqltranslator.moc"
