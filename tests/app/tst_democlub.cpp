#include "app/DemoClub.h"
#include "app/DocumentList.h"
#include "app/ProgramStart.h"
#include "app/TMainForm.h"
#include "app/TPassCheck.h"
#include "base/Log.h"
#include "base/Paths.h"
#include "base/Settings.h"
#include "design/FormElementCache.h"
#include "diary/TTrainingseintrag.h"
#include "diary/TTrainingselement.h"
#include "evaluation/TAuswertungSQL.h"
#include "store/Cursor.h"
#include "support/ClubFixture.h"
#include "support/MessageRecorder.h"
#include "support/TempInstallation.h"
#include "support/WhenShown.h"

#include <QCryptographicHash>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

using namespace velmora;

namespace {
const QDate kToday(2026, 3, 18); // a Wednesday: the data end on Sunday 15 March 2026

qint64 count(Database &db, const QString &sql) {
    Statement st(db, sql);
    return st.step() ? st.value(0).toLongLong() : -1;
}

double number(Database &db, const QString &sql) {
    Statement st(db, sql);
    return st.step() ? st.value(0).toDouble() : -1;
}

QList<QStringList> rowsOf(Cursor &c) {
    QList<QStringList> out;
    QStringList header;
    for (const FieldDef &f : c.fields())
        header << f.name;
    out << header;
    for (c.first(); !c.eof(); c.next()) {
        QStringList row;
        for (int i = 0; i < int(c.fields().size()); ++i)
            row << c.value(i).toString();
        out << row;
    }
    return out;
}

QByteArray fileHash(const QString &path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

struct Run {
    int exitCode;
    QString err;
};

Run runProgram(const QStringList &args) {
    QProcess p;
    p.start(QStringLiteral(VELMORA5_BINARY), args);
    if (!p.waitForFinished(120000))
        return {-1, QStringLiteral("timeout")};
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromLocal8Bit(p.readAllStandardError())};
}
} // namespace

class TestDemoClub : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() {
        m_inst = std::make_unique<test::TempInstallation>(1);
        DemoClub::Options o;
        o.serial = 1;
        o.today = kToday;
        o.idxPath = m_inst->dir() + QStringLiteral("/velmora5.IDX");
        m_club = DemoClub::create(db(), o);
    }
    void cleanup() { m_inst.reset(); }

    void peopleBlocksFormsAndLinks() {
        QCOMPARE(count(db(), "select count(*) from PERSON where Sex = 'X'"), 2);
        QCOMPARE(count(db(), "select count(*) from PERSON where Sex <> 'X'"), 13);
        for (int g : m_club.groups)
            QCOMPARE(count(db(), QStringLiteral("select count(*) from PERSON where GruppenNr = %1 and Sex <> 'X' "
                                                "and PersonNr <> %2")
                                     .arg(g)
                                     .arg(m_club.coach)),
                     6);
        // Every runner is coached by the coach through the group.
        QCOMPARE(count(db(), QStringLiteral("select count(*) from PERSON where TrainerNr = %1").arg(m_club.coach)), 15);
        // The four blocks: card with times and the indicator, grid with the
        // index field, memo, combobox.
        QCOMPARE(count(db(), "select count(*) from TRTABLE where TableNr <> 0"), 4);
        QCOMPARE(count(db(), QStringLiteral("select count(*) from TRFIELD where TableNr = %1 and Typ in ('Z','N')")
                                 .arg(m_club.blockEinheit)),
                 3);
        QCOMPARE(count(db(), QStringLiteral("select Grid from TRTABLE where TableNr = %1").arg(m_club.blockUebungen)),
                 1);
        QCOMPARE(count(db(), QStringLiteral("select count(*) from TRFIELD where TableNr = %1 and Typ = 'X'")
                                 .arg(m_club.blockUebungen)),
                 1);
        QCOMPARE(count(db(), QStringLiteral("select count(*) from TRFIELD where TableNr = %1 and Typ = 'M'")
                                 .arg(m_club.blockNotizen)),
                 1);
        QCOMPARE(count(db(), QStringLiteral("select count(*) from TRFIELD where TableNr = %1 and Typ = 'C'")
                                 .arg(m_club.blockBefinden)),
                 1);
        // A form on each level.
        QCOMPARE(count(db(), "select count(*) from TR where Art in (1, 11, 21)"), 3);
        QCOMPARE(
            count(db(), QStringLiteral("select Art from TR where FormularNr = %1 and Art = 11").arg(m_club.formWoche)),
            11);
        QCOMPARE(count(db(), QStringLiteral("select count(*) from TRuseVAL where FormularNr = %1").arg(m_club.formTag)),
                 6);
        QCOMPARE(count(db(), "select count(*) from FILTER"), 3);
        QCOMPARE(count(db(), "select count(*) from AUSWERT"), 4);
        QCOMPARE(count(db(), "select count(*) from AUSWERT where Kreuztabelle"), 1);
        QCOMPARE(count(db(), QStringLiteral("select count(*) from ANAuseAW where AnalyseNr = %1").arg(m_club.workbook)),
                 2);
        Statement blob(db(), QStringLiteral("select BLOB from ANALYSE"));
        QVERIFY(blob.step());
        const QByteArray file = blob.value(0).toByteArray();
        QVERIFY(file.startsWith("PK"));
        QVERIFY(file.contains("application/vnd.oasis.opendocument.spreadsheet"));
    }

    void twoSeasonsOfEntries() {
        QCOMPARE(m_club.lastDay, QDate(2026, 3, 15));
        QCOMPARE(m_club.firstDay, QDate(2024, 3, 18));
        // A week plan for each runner and week, and 3 to 5 protocols a week.
        QCOMPARE(count(db(), "select count(*) from TR where Art = 13"), 12 * 104);
        const qint64 protocols = count(db(), "select count(*) from TR where Art = 2");
        QVERIFY2(protocols > 12 * 104 * 3 && protocols < 12 * 104 * 5, qPrintable(QString::number(protocols)));
        QCOMPARE(count(db(), "select count(*) from TR where Art = 23"), 12 * 26);
        QCOMPARE(count(db(), "select count(*) from TR where Art in (2, 13) and (Datum < '2024-03-18' or "
                             "Datum >= '2026-03-16')"),
                 0);
        // Each protocol has its card row; the week and weekday are the diary's.
        QCOMPARE(count(db(), "select count(*) from TR join TR_1 on TR.SerienNr = TR_1.SerienNr and TR.TrNr = TR_1.TrNr "
                             "where Art = 2"),
                 protocols);
        QCOMPARE(count(db(), "select count(*) from TR where Art = 2 and (Woche is null or Wochentag is null)"), 0);
    }

    void seasonRisesAndFalls() {
        // Spring weeks carry more than the October break, for every runner.
        for (int a : m_club.athletes) {
            const QString sql = QStringLiteral(
                "select avg(km) from (select sum(TR_1.Strecke) as km from TR join TR_1 on TR.TrNr = TR_1.TrNr "
                "where TR.Art = 13 and TR.PersonNr = %1 and cast(TR.Woche as integer) between %2 and %3 "
                "group by TR.TrNr)");
            const double spring = number(db(), sql.arg(a).arg(12).arg(18));
            const double autumn = number(db(), sql.arg(a).arg(40).arg(44));
            QVERIFY2(spring > 1.5 * autumn && autumn > 0, qPrintable(QStringLiteral("%1 %2").arg(spring).arg(autumn)));
        }
    }

    void sameSeedSameClub() {
        test::TempInstallation other(1);
        DemoClub::Options o;
        o.today = kToday;
        o.idxPath = other.dir() + QStringLiteral("/velmora5.IDX");
        DemoClub::create(other.db(), o);
        const QString sql = QStringLiteral("select count(*), sum(Strecke), sum(Dauer), sum(Belastung) from TR_1");
        Statement a(db(), sql), b(other.db(), sql);
        QVERIFY(a.step() && b.step());
        for (int i = 0; i < 4; ++i)
            QCOMPARE(a.value(i), b.value(i));
    }

    void coachSeesTheWholeClub() {
        // After the login the open dialog lists what the coach may open.
        RebuildDocumentList(db(), nullptr, m_club.coach, m_club.groups[1]);
        const QList<std::pair<const char *, int>> expected{{"P", 13}, {"G", 2}, {"L", 3}, {"F", 3},
                                                           {"A", 4},  {"W", 1}, {"T", 4}};
        for (const auto &[type, n] : expected)
            QCOMPARE(count(db(), QStringLiteral("select count(*) from OPEN where Type = '%1' and Key1 <> 0")
                                     .arg(QLatin1String(type))),
                     n);
    }

    void coachLogsInWithDemo_data() {
        QTest::addColumn<QString>("password");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("demo") << QStringLiteral("demo") << true;
        QTest::newRow("wrong") << QStringLiteral("Demo1") << false;
    }
    void coachLogsInWithDemo() {
        QFETCH(QString, password);
        QFETCH(bool, accepted);
        InitPaths(m_inst->dir() + QStringLiteral("/velmora5"), m_inst->dir(), db().directory(),
                  m_inst->copyDb().directory());
        InitLog();
        test::MessageRecorder messages;
        TPassCheck w(nullptr, QStringLiteral("TB"));
        QVERIFY(w.locatePerson(m_club.coach));
        QCOMPARE(w.nachname(), QStringLiteral("Brandt"));
        w.setPassword(password);
        w.btnOkClick();
        QCOMPARE(w.result() == QDialog::Accepted, accepted);
        QCOMPARE(messages.entries().isEmpty(), accepted);
    }

    void evaluationsGivePlausibleResults() {
        // Umfang pro Woche for the first runner's protocols: about a row per week.
        {
            TAuswertungSQL b(db());
            b.AuswertungNr = m_club.evalWoche;
            b.BuildSQL();
            b.Art = 2;
            b.PersonNr = m_club.athletes[0];
            b.PrepareRun();
            b.Run();
            const QList<QStringList> rows = rowsOf(*b.resultTable());
            QCOMPARE(rows[0], (QStringList{"Woche", "Kilometer", "Minuten", "Belastung"}));
            QVERIFY2(rows.size() > 90 && rows.size() <= 106, qPrintable(QString::number(rows.size())));
            for (int i = 1; i < rows.size(); ++i) {
                QVERIFY(rows[i][1].toDouble() > 0 && rows[i][1].toDouble() < 120);
                QVERIFY(rows[i][3].toDouble() >= 1 && rows[i][3].toDouble() <= 10);
            }
        }
        // The cross table: months by exercises.
        {
            TAuswertungSQL b(db());
            b.AuswertungNr = m_club.evalKreuz;
            b.BuildSQL();
            b.Art = 2;
            b.PersonNr = m_club.athletes[7];
            b.PrepareRun();
            b.Run();
            const QList<QStringList> rows = rowsOf(*b.resultTable());
            QCOMPARE(rows[0].value(0), QStringLiteral("Monat/Uebung"));
            QVERIFY(rows[0].contains(QStringLiteral("Kniebeuge")));
            QVERIFY(rows[0].contains(QStringLiteral("Lauf-ABC")));
            QVERIFY2(rows.size() >= 24, qPrintable(QString::number(rows.size())));
        }
        // Plan minus protocol: missed sessions leave the plan ahead on the whole.
        {
            TAuswertungSQL b(db());
            b.AuswertungNr = m_club.evalPlanIst;
            b.BuildSQL();
            b.Art = 13;
            b.PersonNr = m_club.athletes[8];
            b.Vergleich = true;
            b.VergleichArt = 2;
            b.VergleichPersonNr = m_club.athletes[8];
            b.PrepareRun();
            b.Run();
            const QList<QStringList> rows = rowsOf(*b.resultTable());
            QCOMPARE(rows[0], (QStringList{"Woche", "Kilometer", "Minuten"}));
            double total = 0;
            for (int i = 1; i < rows.size(); ++i)
                total += rows[i][1].toDouble();
            const double plan =
                number(db(), QStringLiteral("select sum(Strecke) from TR join TR_1 on TR.TrNr = TR_1.TrNr where "
                                            "Art = 13 and PersonNr = %1")
                                 .arg(m_club.athletes[8]));
            QVERIFY2(total > 0 && total < 0.3 * plan, qPrintable(QStringLiteral("%1 of %2").arg(total).arg(plan)));
        }
        // Kilometres per runner of the youth group.
        {
            TAuswertungSQL b(db());
            b.AuswertungNr = m_club.evalSportler;
            b.BuildSQL();
            b.Art = 2;
            QStringList lines;
            for (int i = 0; i < 6; ++i)
                lines << QStringLiteral("%1(tr.PersonNr = %2)%3")
                             .arg(i == 0 ? QStringLiteral("(") : QString())
                             .arg(m_club.athletes[i])
                             .arg(i == 5 ? QStringLiteral(")") : QStringLiteral(" or"));
            b.PrepareRun(lines);
            b.Run();
            const QList<QStringList> rows = rowsOf(*b.resultTable());
            QCOMPARE(rows.size(), 7);
            QStringList names;
            for (int i = 1; i < rows.size(); ++i) {
                names << rows[i][0];
                QVERIFY(rows[i][1].toDouble() > 1000); // two seasons of 25 to 45 km a week
            }
            QVERIFY2(names.contains(QStringLiteral("Petersen Lena")), qPrintable(names.join(u',')));
        }
    }

    void entriesOpenInTheirForms() {
        LoadFormElementCache(db(), nullptr);
        QWidget host;
        host.resize(800, 600);
        host.show();
        // A Monday protocol has the exercises grid filled.
        Statement st(db(), QStringLiteral("select TR.TrNr, count(*) from TR join TR_2 on TR.TrNr = TR_2.TrNr where "
                                          "TR.Art = 2 group by TR.TrNr order by TR.TrNr limit 1"));
        QVERIFY(st.step());
        const int day = st.value(0).toInt();
        const int gridRows = st.value(1).toInt();
        QVERIFY(gridRows >= 3);
        struct Case {
            int trNr, form, person, kind;
            QList<int> blocks;
        };
        Statement week(db(), QStringLiteral("select TrNr, PersonNr from TR where Art = 13 order by TrNr limit 1"));
        QVERIFY(week.step());
        const Case cases[] = {
            {day,
             m_club.formTag,
             m_club.athletes[0],
             2,
             {m_club.blockEinheit, m_club.blockUebungen, m_club.blockBefinden, m_club.blockNotizen}},
            {week.value(0).toInt(),
             m_club.formWoche,
             week.value(1).toInt(),
             13,
             {m_club.blockEinheit, m_club.blockNotizen}},
        };
        for (const Case &c : cases) {
            EntryViewParams p;
            p.serienNr = 1;
            p.trNr = c.trNr;
            p.formularNr = c.form;
            p.person = c.person;
            p.user = m_club.coach;
            p.kindCode = c.kind;
            p.readOnly = true;
            TTrainingseintrag v(&host, p, &db());
            v.build();
            v.show();
            QList<int> shown;
            for (TTrainingselement *panel : v.panels()) {
                if (panel->isHeader())
                    continue;
                shown << panel->tableNr();
                QVERIFY(panel->table());
                // Day protocols have a note now and then, week plans always.
                if (panel->tableNr() != m_club.blockNotizen || c.kind == 13)
                    QVERIFY2(panel->table()->recordCount() >= 1, qPrintable(QString::number(panel->tableNr())));
                if (panel->tableNr() == m_club.blockUebungen)
                    QCOMPARE(panel->table()->recordCount(), gridRows);
            }
            for (int block : c.blocks)
                QVERIFY2(shown.contains(block), qPrintable(QString::number(block)));
        }
    }

    void refusedWhenDataExist() {
        // The club itself is data: nothing is added a second time.
        const qint64 entries = count(db(), "select count(*) from TR");
        DemoClub::Options o;
        o.today = kToday;
        QVERIFY_THROWS_EXCEPTION(VelmoraError, DemoClub::create(db(), o));
        try {
            DemoClub::create(db(), o);
        } catch (const VelmoraError &e) {
            QCOMPARE(e.message(), QStringLiteral("Die Installation enthält bereits Daten."));
        }
        QCOMPARE(count(db(), "select count(*) from TR"), entries);
        QCOMPARE(count(db(), "select count(*) from TRTABLE"), 5);
    }

    void refusedOnAnInstallationWithAnyData_data() {
        QTest::addColumn<QString>("sql");
        QTest::newRow("filter only") << QStringLiteral(
            "insert into FILTER (FilterNr, Name, PersonNr) values (65537, 'F', 0)");
        QTest::newRow("person only") << QStringLiteral(
            "insert into PERSON (PersonNr, Nachname, Sex) values (65537, 'A', 'M')");
        QTest::newRow("evaluation only") << QStringLiteral(
            "insert into AUSWERT (AuswertungNr, Auswertung) values (65537, 'A')");
    }
    void refusedOnAnInstallationWithAnyData() {
        QFETCH(QString, sql);
        QTemporaryDir dir;
        {
            Installation inst(dir.path());
            inst.initialize(3);
            inst.dblog().exec(sql);
        }
        Installation inst(dir.path());
        QVERIFY(DemoClub::hasData(inst));
        const QByteArray settingsBefore = fileHash(inst.settingsPath());
        QVERIFY_THROWS_EXCEPTION(VelmoraError, DemoClub::createInstallation(inst, 0, QString()));
        QCOMPARE(fileHash(inst.settingsPath()), settingsBefore);
        QCOMPARE(count(inst.dblog(), "select count(*) from TR"), 0);
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("velmora5.IDX"))));
    }

    void emptyInstallationIsNoData() {
        QTemporaryDir dir;
        Installation fresh(dir.path());
        QVERIFY(!DemoClub::hasData(fresh)); // not even created yet
        fresh.initialize(2);
        QVERIFY(!DemoClub::hasData(fresh));
        const DemoClub::Result r = DemoClub::createInstallation(fresh, 0, QString());
        QCOMPARE(r.coach, 2 * 65536 + 1); // the stored number is kept
        QSettings s(fresh.settingsPath(), QSettings::IniFormat);
        QCOMPARE(s.value(QStringLiteral("Startup/Level")).toInt(), 0);
        QCOMPARE(s.value(QStringLiteral("Startup/User")).toInt(), r.coach);
        QCOMPARE(s.value(QStringLiteral("Club/Name")).toString(), QStringLiteral("LG Nordhafen"));
    }

    void startGoesStraightToTheLogin() {
        // What `velmora5 --demo` runs after creating the club: no first-start
        // wizard, the login window, the coach with "demo", the main window.
        QTemporaryDir dir;
        Installation inst(dir.path());
        const DemoClub::Result r = DemoClub::createInstallation(inst, 0, QString());
        Engine::setCurrent(&inst.engine());
        SetSettingsPath(inst.settingsPath());
        settings() = Settings();
        InitPaths(dir.filePath(QStringLiteral("velmora5")), dir.path(), inst.dblog().directory(),
                  inst.engine().dblogCopy().directory());
        InitLog();
        ReadSettings();
        QCOMPARE(settings().Level, 0); // else the wizard would open
        QCOMPARE(settings().Name, QStringLiteral("LG Nordhafen"));
        test::MessageRecorder messages;
        ProgramStart start(inst);
        QVERIFY(start.runFirstStart());
        start.buildCache();
        bool shown = false;
        test::whenShown<TPassCheck>([&](TPassCheck &w) {
            shown = true;
            QVERIFY(w.locatePerson(r.coach));
            w.setPassword(QStringLiteral("demo"));
            w.btnOkClick();
        });
        QVERIFY(start.login());
        QVERIFY(shown);
        QCOMPARE(start.loggedInPerson(), r.coach);
        std::unique_ptr<TMainForm> form = start.createMainWindow();
        QCOMPARE(form->LoginPersonNr, r.coach);
        QVERIFY(messages.entries().isEmpty());
        form.reset();
        Engine::setCurrent(nullptr);
    }

    void programCreatesThenRefuses() {
        QTemporaryDir dir;
        const QString conf = dir.filePath(QStringLiteral("conf"));
        Run first = runProgram({QStringLiteral("--demo"), QStringLiteral("--init"), QStringLiteral("--config-dir"),
                                conf, QStringLiteral("--serial"), QStringLiteral("7")});
        QVERIFY2(first.exitCode == 0, qPrintable(first.err));
        const QString dbPath = conf + QStringLiteral("/DBLOG/velmora5.db");
        {
            Database db(QStringLiteral("DBLOG"), conf + QStringLiteral("/DBLOG"), false, true);
            QCOMPARE(count(db, "select count(*) from PERSON"), 15);
            QCOMPARE(count(db, "select min(PersonNr) from PERSON"), 7 * 65536 + 1);
            QVERIFY(count(db, "select count(*) from TR where Art = 2") > 4000);
        }
        const QByteArray dbBefore = fileHash(dbPath);
        const QByteArray iniBefore = fileHash(conf + QStringLiteral("/5.3.ini"));
        // An installation with data is refused before anything changes (with
        // windows the same refusal shows a message box as well).
        Run again =
            runProgram({QStringLiteral("--demo"), QStringLiteral("--init"), QStringLiteral("--config-dir"), conf});
        QCOMPARE(again.exitCode, 2);
        QVERIFY2(again.err.contains(QStringLiteral("Die Installation enthält bereits Daten.")), qPrintable(again.err));
        QCOMPARE(fileHash(dbPath), dbBefore);
        QCOMPARE(fileHash(conf + QStringLiteral("/5.3.ini")), iniBefore);
    }

private:
    Database &db() { return m_inst->db(); }
    std::unique_ptr<test::TempInstallation> m_inst;
    DemoClub::Result m_club;
};

QTEST_MAIN(TestDemoClub)
#include "tst_democlub.moc"
