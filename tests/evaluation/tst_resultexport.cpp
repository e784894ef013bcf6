#include "base/Errors.h"
#include "evaluation/ResultExport.h"
#include "evaluation/TAuswertungSQL.h"
#include "store/Database.h"
#include "support/ClubFixture.h"
#include "support/MessageRecorder.h"
#include "support/TempInstallation.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <shapefil.h>
#include <unistd.h>

extern "C" {
#include <paradox.h>
}

using namespace velmora;
using namespace velmora::test;

namespace {

const QString kTable = QStringLiteral("TMP0A1B2");

// A result table as the evaluation run leaves it: typed columns, an untyped
// expression column, two names that agree in their first ten characters.
void makeResult(Database &db) {
    TableDef def;
    def.name = kTable;
    def.fields = {FieldDef(QStringLiteral("Name"), FieldType::Alpha, 20),
                  FieldDef(QStringLiteral("Anzahl"), FieldType::Long),
                  FieldDef(QStringLiteral("Wert"), FieldType::Number),
                  FieldDef(QStringLiteral("Datum"), FieldType::Date),
                  FieldDef(QStringLiteral("Gültig"), FieldType::Logical),
                  FieldDef(QStringLiteral("Herzfrequenz Mittel"), FieldType::Short),
                  FieldDef(QStringLiteral("Herzfrequenz Maximum"), FieldType::Short)};
    db.createTable(def);
    db.exec(QStringLiteral("ALTER TABLE %1 ADD COLUMN \"SUM(Km)\"").arg(kTable));
    db.invalidateSchema();
    db.exec(QStringLiteral("INSERT INTO %1 VALUES ('Müller Straße', 12, 3.25, '2026-03-01', 1, 140, 181, 7);"
                           "INSERT INTO %1 VALUES ('Ölberg\tWeg', NULL, 1234.5, NULL, 0, 150, 190, 2.5);"
                           "INSERT INTO %1 VALUES (NULL, -5, NULL, '2025-12-31', NULL, NULL, NULL, NULL);")
                .arg(kTable));
}

QString fileText(const QString &path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QStringLiteral("<missing>");
    return QString::fromUtf8(f.readAll());
}

struct DbfCloser {
    void operator()(DBFInfo *h) const { DBFClose(h); }
};

struct PxCloser {
    void operator()(pxdoc_t *doc) const {
        PX_close(doc);
        PX_delete(doc);
    }
};

} // namespace

class TestResultExport : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void dBaseReadsBack();
    void paradoxReadsBack();
    void textWithSchema();
    void emptyResult_data();
    void emptyResult();
    void overwriteQuestion_data();
    void overwriteQuestion();
    void unwritableDirectory_data();
    void unwritableDirectory();
    void failedReplaceLeavesNoTrace();
    void evaluationResult();
    void shortNames_data();
    void shortNames();
    void typeFor_data();
    void typeFor();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Database> m_db;
    QString path(const QString &name) const { return m_dir->filePath(name); }
};

void TestResultExport::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("db")));
    m_db = std::make_unique<Database>(QStringLiteral("DBLOG"), path(QStringLiteral("db")));
    makeResult(*m_db);
}

void TestResultExport::cleanup() {
    m_db.reset();
    m_dir.reset();
}

void TestResultExport::dBaseReadsBack() {
    const QString file = path(QStringLiteral("export1.dbf"));
    ResultExport(*m_db, kTable).write(file, ResultExport::Type::DBase);

    std::unique_ptr<DBFInfo, DbfCloser> dbf(DBFOpen(QFile::encodeName(file).constData(), "rb"));
    QVERIFY(dbf);
    QCOMPARE(DBFGetRecordCount(dbf.get()), 3);
    QCOMPARE(DBFGetFieldCount(dbf.get()), 8);
    QCOMPARE(QString::fromLatin1(DBFGetCodePage(dbf.get())), QStringLiteral("LDID/2"));
    QVERIFY(!QFile::exists(path(QStringLiteral("export1.cpg"))));

    struct Expected {
        const char *name;
        char type;
        int width;
        int decimals;
    };
    const Expected fields[] = {{"Name", 'C', 20, 0},      {"Anzahl", 'N', 11, 0},   {"Wert", 'N', 12, 2},
                               {"Datum", 'D', 8, 0},      {"G\x81ltig", 'L', 1, 0}, {"Herzfreque", 'N', 6, 0},
                               {"Herzfreq_1", 'N', 6, 0}, {"SUM(Km)", 'N', 11, 1}};
    for (int i = 0; i < 8; ++i) {
        char name[XBASE_FLDNAME_LEN_READ + 1] = {};
        int width = 0, decimals = 0;
        DBFGetFieldInfo(dbf.get(), i, name, &width, &decimals);
        QCOMPARE(QByteArray(name), QByteArray(fields[i].name));
        QCOMPARE(DBFGetNativeFieldType(dbf.get(), i), fields[i].type);
        QCOMPARE(width, fields[i].width);
        QCOMPARE(decimals, fields[i].decimals);
    }

    // Row 1: text in code page 850, numbers, a date, a logical.
    QCOMPARE(QByteArray(DBFReadStringAttribute(dbf.get(), 0, 0)), QByteArray("M\x81ller Stra\xe1"
                                                                             "e"));
    QCOMPARE(DBFReadIntegerAttribute(dbf.get(), 0, 1), 12);
    QCOMPARE(DBFReadDoubleAttribute(dbf.get(), 0, 2), 3.25);
    QCOMPARE(QByteArray(DBFReadStringAttribute(dbf.get(), 0, 3)), QByteArray("20260301"));
    QCOMPARE(DBFReadLogicalAttribute(dbf.get(), 0, 4)[0], 'T');
    QCOMPARE(DBFReadIntegerAttribute(dbf.get(), 0, 6), 181);
    QCOMPARE(DBFReadDoubleAttribute(dbf.get(), 0, 7), 7.0);
    // Row 2: no number, no date; the untyped column holds a fraction.
    QCOMPARE(QByteArray(DBFReadStringAttribute(dbf.get(), 1, 0)), QByteArray("\x99lberg\tWeg"));
    QVERIFY(DBFIsAttributeNULL(dbf.get(), 1, 1));
    QCOMPARE(DBFReadDoubleAttribute(dbf.get(), 1, 2), 1234.5);
    QCOMPARE(QByteArray(DBFReadStringAttribute(dbf.get(), 1, 3)), QByteArray());
    QCOMPARE(DBFReadLogicalAttribute(dbf.get(), 1, 4)[0], 'F');
    QCOMPARE(DBFReadDoubleAttribute(dbf.get(), 1, 7), 2.5);
    // Row 3: nothing but a negative number and a date.
    QVERIFY(DBFIsAttributeNULL(dbf.get(), 2, 0));
    QCOMPARE(DBFReadIntegerAttribute(dbf.get(), 2, 1), -5);
    QVERIFY(DBFIsAttributeNULL(dbf.get(), 2, 2));
    QCOMPARE(QByteArray(DBFReadStringAttribute(dbf.get(), 2, 3)), QByteArray("20251231"));
    QVERIFY(DBFIsAttributeNULL(dbf.get(), 2, 5));
    QVERIFY(DBFIsAttributeNULL(dbf.get(), 2, 7));
    // Blanks, not shapelib's "*", "0" or "?": spreadsheets take those for a
    // number, a date or false.
    auto tuple = [&](int r) { return QByteArray(DBFReadTuple(dbf.get(), r), 1 + 20 + 11 + 12 + 8 + 1 + 6 + 6 + 11); };
    QCOMPARE(tuple(2).mid(1 + 20 + 11, 12), QByteArray(12, ' '));
    QCOMPARE(tuple(1).mid(1 + 20 + 11 + 12, 8), QByteArray(8, ' '));
    QCOMPARE(tuple(2).mid(1 + 20 + 11 + 12 + 8, 1), QByteArray(1, ' '));
    QCOMPARE(tuple(2).mid(1 + 20 + 11 + 12 + 8 + 1 + 6 + 6), QByteArray(11, ' '));

    // Nothing of the work folder stays behind.
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList({QStringLiteral("db"), QStringLiteral("export1.dbf")}));
}

void TestResultExport::paradoxReadsBack() {
    const QString file = path(QStringLiteral("export1.db"));
    ResultExport(*m_db, kTable).write(file, ResultExport::Type::Paradox);

    PX_boot();
    std::unique_ptr<pxdoc_t, PxCloser> doc(PX_new());
    QVERIFY(doc);
    QVERIFY(PX_open_file(doc.get(), QFile::encodeName(file).constData()) == 0);
    QVERIFY(PX_set_targetencoding(doc.get(), "UTF-8") == 0);
    QCOMPARE(PX_get_num_records(doc.get()), 3);
    QCOMPARE(PX_get_num_fields(doc.get()), 8);
    const char types[] = {pxfAlpha, pxfLong, pxfNumber, pxfDate, pxfLogical, pxfShort, pxfShort, pxfNumber};
    // Names as stored: in the table's code page.
    const QByteArrayList names = {
        "Name", "Anzahl", "Wert", "Datum", "G\x81ltig", "Herzfrequenz Mittel", "Herzfrequenz Maximum", "SUM(Km)"};
    for (int i = 0; i < 8; ++i) {
        pxfield_t *f = PX_get_field(doc.get(), i);
        QCOMPARE(QByteArray(f->px_fname), names[i]);
        QCOMPARE(f->px_ftype, types[i]);
    }
    QCOMPARE(PX_get_field(doc.get(), 0)->px_flen, 20);

    auto record = [&](int recno) {
        pxval_t **values = PX_retrieve_record(doc.get(), recno);
        std::vector<pxval_t> copy;
        std::vector<QString> texts;
        for (int i = 0; i < 8; ++i) {
            copy.push_back(*values[i]);
            texts.push_back(values[i]->type == pxfAlpha && !values[i]->isnull
                                ? QString::fromUtf8(values[i]->value.str.val)
                                : QString());
            if (values[i]->type == pxfAlpha && values[i]->value.str.val)
                doc->free(doc.get(), values[i]->value.str.val);
            doc->free(doc.get(), values[i]);
        }
        doc->free(doc.get(), values);
        return std::make_pair(copy, texts);
    };
    auto date = [](long days) {
        int y = 0, m = 0, d = 0;
        PX_SdnToGregorian(days + 1721425, &y, &m, &d);
        return QDate(y, m, d);
    };

    // No value: the field's bytes are all zero. pxlib's reader takes a zero
    // Long or Date followed by other data for the smallest number, so the
    // bytes are looked at.
    const int offsets[] = {0, 20, 24, 32, 36, 37, 39, 41, 49};
    QCOMPARE(PX_get_recordsize(doc.get()), offsets[8]);
    auto isNull = [&](int recno, int field) {
        QByteArray raw(PX_get_recordsize(doc.get()), '\x7f');
        if (!PX_get_record(doc.get(), recno, raw.data()))
            return false;
        const int length = offsets[field + 1] - offsets[field];
        return raw.mid(offsets[field], length) == QByteArray(length, '\0');
    };

    auto [r1, t1] = record(0);
    QCOMPARE(t1[0], QStringLiteral("Müller Straße"));
    QCOMPARE(r1[1].value.lval, 12L);
    QCOMPARE(r1[2].value.dval, 3.25);
    QCOMPARE(date(r1[3].value.lval), QDate(2026, 3, 1));
    QCOMPARE(r1[4].value.lval, 1L);
    QCOMPARE(r1[6].value.lval, 181L);
    QCOMPARE(r1[7].value.dval, 7.0);
    for (int i = 0; i < 8; ++i)
        QVERIFY(!isNull(0, i));
    auto [r2, t2] = record(1);
    QCOMPARE(t2[0], QStringLiteral("Ölberg\tWeg"));
    QVERIFY(isNull(1, 1));
    QCOMPARE(r2[2].value.dval, 1234.5);
    QVERIFY(isNull(1, 3));
    QVERIFY(!isNull(1, 4));
    QCOMPARE(r2[4].value.lval, 0L);
    QCOMPARE(r2[7].value.dval, 2.5);
    auto [r3, t3] = record(2);
    QVERIFY(isNull(2, 0));
    QCOMPARE(r3[1].value.lval, -5L);
    QVERIFY(isNull(2, 2));
    QCOMPARE(date(r3[3].value.lval), QDate(2025, 12, 31));
    QVERIFY(isNull(2, 4));
    QVERIFY(isNull(2, 5));
    QVERIFY(isNull(2, 7));
}

void TestResultExport::textWithSchema() {
    const QString file = path(QStringLiteral("Ergebnis.txt"));
    ResultExport(*m_db, kTable).write(file, ResultExport::Type::Text);
    QCOMPARE(fileText(file), QStringLiteral("Name\tAnzahl\tWert\tDatum\tGültig\tHerzfrequenz Mittel\tHerzfrequenz "
                                            "Maximum\tSUM(Km)\n"
                                            "Müller Straße\t12\t3.25\t2026-03-01\t1\t140\t181\t7\n"
                                            "Ölberg Weg\t\t1234.5\t\t0\t150\t190\t2.5\n"
                                            "\t-5\t\t2025-12-31\t\t\t\t\n"));
    QCOMPARE(fileText(path(QStringLiteral("Ergebnis.sch"))),
             QStringLiteral("[Ergebnis]\nFILETYPE=VARYING\nCHARSET=UTF-8\nSEPARATOR=TAB\nDELIMITER=\nHEADER=1\n"
                            "FIELD1=Name,CHAR,20,00,00\n"
                            "FIELD2=Anzahl,LONGINT,11,00,20\n"
                            "FIELD3=Wert,FLOAT,12,02,31\n"
                            "FIELD4=Datum,DATE,8,00,43\n"
                            "FIELD5=Gültig,BOOL,1,00,51\n"
                            "FIELD6=Herzfrequenz Mittel,SHORTINT,6,00,52\n"
                            "FIELD7=Herzfrequenz Maximum,SHORTINT,6,00,58\n"
                            "FIELD8=SUM(Km),FLOAT,11,01,64\n"));
}

void TestResultExport::emptyResult_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("name");
    QTest::newRow("dBase") << int(ResultExport::Type::DBase) << QStringLiteral("leer.dbf");
    QTest::newRow("Text") << int(ResultExport::Type::Text) << QStringLiteral("leer.txt");
    QTest::newRow("Paradox") << int(ResultExport::Type::Paradox) << QStringLiteral("leer.db");
}

// A result without rows still gives a table with its columns.
void TestResultExport::emptyResult() {
    QFETCH(int, type);
    QFETCH(QString, name);
    m_db->exec(QStringLiteral("DELETE FROM %1").arg(kTable));
    const QString file = path(name);
    ResultExport(*m_db, kTable).write(file, ResultExport::Type(type));
    switch (ResultExport::Type(type)) {
    case ResultExport::Type::DBase: {
        std::unique_ptr<DBFInfo, DbfCloser> dbf(DBFOpen(QFile::encodeName(file).constData(), "rb"));
        QVERIFY(dbf);
        QCOMPARE(DBFGetRecordCount(dbf.get()), 0);
        QCOMPARE(DBFGetFieldCount(dbf.get()), 8);
        break;
    }
    case ResultExport::Type::Text:
        QCOMPARE(fileText(file).count(QLatin1Char('\n')), 1);
        QVERIFY(fileText(path(QStringLiteral("leer.sch"))).contains(QStringLiteral("FIELD8=SUM(Km),CHAR,1,00,")));
        break;
    case ResultExport::Type::Paradox: {
        std::unique_ptr<pxdoc_t, PxCloser> doc(PX_new());
        QVERIFY(PX_open_file(doc.get(), QFile::encodeName(file).constData()) == 0);
        QCOMPARE(PX_get_num_records(doc.get()), 0);
        QCOMPARE(PX_get_num_fields(doc.get()), 8);
        break;
    }
    }
}

void TestResultExport::overwriteQuestion_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("name");
    QTest::newRow("dBase") << int(ResultExport::Type::DBase) << QStringLiteral("alt.dbf");
    QTest::newRow("Text") << int(ResultExport::Type::Text) << QStringLiteral("alt.txt");
    QTest::newRow("Paradox") << int(ResultExport::Type::Paradox) << QStringLiteral("alt.db");
}

void TestResultExport::overwriteQuestion() {
    QFETCH(int, type);
    QFETCH(QString, name);
    const QString file = path(name);
    const QString schema = ResultExport::schemaPath(file);
    {
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("alt");
    }
    MessageRecorder messages;
    ResultExport exporter(*m_db, kTable);
    QString exportDirectory = QStringLiteral("unverändert");

    // "No" writes nothing.
    messages.answer(false);
    QVERIFY(!exporter.exportTo(file, ResultExport::Type(type), {}, &exportDirectory));
    QCOMPARE(messages.texts(MessageRecorder::Kind::Question),
             QStringList(QStringLiteral("Das File \"%1\" existiert schon.\nSoll es überschrieben werden?").arg(file)));
    QCOMPARE(fileText(file), QStringLiteral("alt"));
    QVERIFY(!QFile::exists(schema));
    QCOMPARE(exportDirectory, QStringLiteral("unverändert"));

    // "Yes" replaces the file.
    messages.clear();
    messages.answer(true);
    QVERIFY(exporter.exportTo(file, ResultExport::Type(type), {}, &exportDirectory));
    QCOMPARE(messages.texts().size(), 1);
    QVERIFY(fileText(file) != QStringLiteral("alt"));
    QVERIFY(QFileInfo(file).size() > 100);
    QCOMPARE(QFile::exists(schema), ResultExport::Type(type) == ResultExport::Type::Text);
    QCOMPARE(exportDirectory, m_dir->path());

    // A new file is written without a question, into the given directory
    // when the name has none.
    messages.clear();
    QVERIFY(exporter.exportTo(QStringLiteral("neu.") + QFileInfo(name).suffix(), ResultExport::Type(type),
                              m_dir->path(), &exportDirectory));
    QVERIFY(messages.texts().isEmpty());
    QVERIFY(QFile::exists(path(QStringLiteral("neu.") + QFileInfo(name).suffix())));
}

void TestResultExport::unwritableDirectory_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("directory");
    QTest::addColumn<QString>("reason");
    // The file system of the kernel refuses even a superuser.
    for (int type : {0, 1, 2}) {
        const QByteArray tag = QByteArray::number(type);
        QTest::newRow("proc " + tag) << type << QStringLiteral("/proc")
                                     << QStringLiteral("Im Verzeichnis \"/proc\" darf nicht geschrieben werden.");
        QTest::newRow("missing " + tag) << type << QStringLiteral("<tmp>/fehlt")
                                        << QStringLiteral("Das Verzeichnis \"<tmp>/fehlt\" existiert nicht.");
        QTest::newRow("read-only " + tag) << type << QStringLiteral("<tmp>/nur-lesen")
                                          << QStringLiteral("Im Verzeichnis \"<tmp>/nur-lesen\" darf nicht "
                                                            "geschrieben werden.");
    }
}

void TestResultExport::unwritableDirectory() {
    QFETCH(int, type);
    QFETCH(QString, directory);
    QFETCH(QString, reason);
    directory.replace(QStringLiteral("<tmp>"), m_dir->path());
    reason.replace(QStringLiteral("<tmp>"), m_dir->path());
    if (directory.endsWith(QStringLiteral("nur-lesen"))) {
        if (geteuid() == 0)
            QSKIP("a superuser writes into a read-only directory");
        QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("nur-lesen")));
        QVERIFY(QFile::setPermissions(directory, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    }
    const QString file = directory + QStringLiteral("/export1.dat");
    try {
        ResultExport(*m_db, kTable).write(file, ResultExport::Type(type));
        QFAIL("the export was written");
    } catch (const VelmoraError &e) {
        QCOMPARE(e.message(), QStringLiteral("Die Datei \"%1\" konnte nicht geschrieben werden.\n").arg(file) + reason);
    }
    QVERIFY(!QFile::exists(file));
    QFile::setPermissions(directory, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

// A target that cannot be replaced (here a folder of that name) stays as it
// was, and nothing of the export is left beside it.
void TestResultExport::failedReplaceLeavesNoTrace() {
    const QString file = path(QStringLiteral("export1.dbf"));
    QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("export1.dbf/inhalt")));
    try {
        ResultExport(*m_db, kTable).write(file, ResultExport::Type::DBase);
        QFAIL("the folder was replaced");
    } catch (const VelmoraError &e) {
        QCOMPARE(e.message(), QStringLiteral("Die Datei \"%1\" konnte nicht geschrieben werden.\nDie vorhandene Datei "
                                             "lässt sich nicht ersetzen.")
                                  .arg(file));
    }
    QVERIFY(QFileInfo(path(QStringLiteral("export1.dbf/inhalt"))).isDir());
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList({QStringLiteral("db"), QStringLiteral("export1.dbf")}));
}

// What the result window and a workbook hand over: the builder's result
// table after a run.
void TestResultExport::evaluationResult() {
    TempInstallation inst;
    ClubFixture club(inst.db());
    TAuswertungSQL builder(inst.db());
    builder.AuswertungNr = ClubFixture::kEvaluation;
    builder.BuildSQL();
    builder.Art = 2;
    builder.PersonNr = ClubFixture::kAnna;
    builder.PrepareRun();
    builder.Run();

    const QString file = path(QStringLiteral("woche.dbf"));
    ResultExport(inst.db(), builder.resultTableName()).write(file, ResultExport::Type::DBase);
    std::unique_ptr<DBFInfo, DbfCloser> dbf(DBFOpen(QFile::encodeName(file).constData(), "rb"));
    QVERIFY(dbf);
    QCOMPARE(DBFGetFieldCount(dbf.get()), 2);
    QCOMPARE(DBFGetRecordCount(dbf.get()), 1);
    char name[XBASE_FLDNAME_LEN_READ + 1] = {};
    DBFGetFieldInfo(dbf.get(), 0, name, nullptr, nullptr);
    QCOMPARE(QByteArray(name), QByteArray("Woche"));
    DBFGetFieldInfo(dbf.get(), 1, name, nullptr, nullptr);
    QCOMPARE(QByteArray(name), QByteArray("Umfang"));
    QCOMPARE(QByteArray(DBFReadStringAttribute(dbf.get(), 0, 0)), QByteArray("202602"));
    QCOMPARE(DBFReadIntegerAttribute(dbf.get(), 0, 1), 240);

    const QString text = path(QStringLiteral("woche.txt"));
    ResultExport(inst.db(), builder.resultTableName()).write(text, ResultExport::Type::Text);
    QCOMPARE(fileText(text), QStringLiteral("Woche\tUmfang\n202602\t240\n"));
}

void TestResultExport::shortNames_data() {
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("short names stay") << QStringList{QStringLiteral("Datum"), QStringLiteral("Km")}
                                      << QStringList{QStringLiteral("Datum"), QStringLiteral("Km")};
    QTest::newRow("cut and numbered") << QStringList{QStringLiteral("Herzfrequenz Mittel"),
                                                     QStringLiteral("Herzfrequenz Maximum"),
                                                     QStringLiteral("Herzfrequenz Minimum")}
                                      << QStringList{QStringLiteral("Herzfreque"), QStringLiteral("Herzfreq_1"),
                                                     QStringLiteral("Herzfreq_2")};
    QTest::newRow("a number taken by a real column")
        << QStringList{QStringLiteral("Herzfreq_1"), QStringLiteral("Herzfrequenz A"), QStringLiteral("Herzfrequenz B")}
        << QStringList{QStringLiteral("Herzfreq_1"), QStringLiteral("Herzfreque"), QStringLiteral("Herzfreq_2")};
    QTest::newRow("case does not tell names apart") << QStringList{QStringLiteral("Summe"), QStringLiteral("SUMME")}
                                                    << QStringList{QStringLiteral("Summe"), QStringLiteral("SUMME_1")};
    QTest::newRow("empty name") << QStringList{QString(), QStringLiteral("FELD1")}
                                << QStringList{QStringLiteral("FELD1"), QStringLiteral("FELD1_1")};
}

void TestResultExport::shortNames() {
    QFETCH(QStringList, names);
    QFETCH(QStringList, expected);
    QCOMPARE(ResultExport::shortNames(names, 10), expected);
}

void TestResultExport::typeFor_data() {
    QTest::addColumn<int>("filter");
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("type");
    QTest::newRow("dBase by filter") << 1 << QStringLiteral("/a/export1.txt") << int(ResultExport::Type::DBase);
    QTest::newRow("dBase by extension") << 3 << QStringLiteral("/a/export1.dbf") << int(ResultExport::Type::DBase);
    QTest::newRow("text by filter") << 2 << QStringLiteral("/a/export1.db") << int(ResultExport::Type::Text);
    QTest::newRow("text by extension, filter 3")
        << 3 << QStringLiteral("/a/export1.TXT") << int(ResultExport::Type::Text);
    QTest::newRow("Paradox") << 3 << QStringLiteral("/a/export1.db") << int(ResultExport::Type::Paradox);
    QTest::newRow("Paradox without extension") << 3 << QStringLiteral("/a/export1") << int(ResultExport::Type::Paradox);
}

void TestResultExport::typeFor() {
    QFETCH(int, filter);
    QFETCH(QString, file);
    QFETCH(int, type);
    QCOMPARE(int(ResultExport::typeFor(filter, file)), type);
}

QTEST_GUILESS_MAIN(TestResultExport)
#include "tst_resultexport.moc"
