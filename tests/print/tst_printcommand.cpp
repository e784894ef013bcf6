// velmora5 --print-pdf: a diary printed as its window lists it, with the
// stored print settings, into a PDF file without any window; a German
// message on standard error and exit status 2 when it cannot.
#include "print/PrintSettings.h"
#include "support/ClubFixture.h"
#include "support/PdfText.h"
#include "support/TempInstallation.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTest>

using namespace velmora;
using namespace velmora::test;

namespace {
struct Run {
    int exitCode;
    QString err;
};

bool containsLine(const QStringList &lines, const QString &part) {
    for (const QString &l : lines)
        if (l.contains(part))
            return true;
    return false;
}
} // namespace

class TestPrintCommand : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<TempInstallation> m_inst;
    QString m_program;

    QString file(const QString &name) const { return m_inst->dir() + QLatin1Char('/') + name; }
    static QString n(int v) { return QString::number(v); }

    // The program runs from a directory of its own, so that its print
    // settings file (next to the program) is the test's.
    Run velmora5(const QStringList &args) {
        QProcess p;
        p.start(m_program, QStringList{QStringLiteral("--config-dir"), m_inst->dir()} + args);
        if (!p.waitForFinished(60000))
            return {-1, QStringLiteral("timeout")};
        return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
                QString::fromUtf8(p.readAllStandardError())};
    }

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase() { m_inst.reset(); }
    void printsTheListedEntries_data();
    void printsTheListedEntries();
    void failures_data();
    void failures();
};

void TestPrintCommand::initTestCase() {
    m_inst = std::make_unique<TempInstallation>();
    ClubFixture club(m_inst->db());
    QVERIFY(QDir(m_inst->dir()).mkpath(QStringLiteral("bin")));
    m_program = file(QStringLiteral("bin/velmora5"));
    QVERIFY(QFile::copy(QStringLiteral(VELMORA5_BINARY), m_program));
    PrintSettings stored;
    stored.Titel = QStringLiteral("Vereinsmeisterschaft");
    stored.HeaderFont = QFont(QStringLiteral("Liberation Sans"), 10);
    stored.BodyFont = QFont(QStringLiteral("Liberation Sans"), 10);
    stored.Write(file(QStringLiteral("bin/velmora5.INI")));
}

void TestPrintCommand::printsTheListedEntries_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<QStringList>("notShown");
    const QString anna = n(ClubFixture::kAnna);
    QTest::newRow("protocols") << QStringList{QStringLiteral("--person"), anna, QStringLiteral("--kind"),
                                              QStringLiteral("2")}
                               << QStringLiteral("IST (Protokoll) von Berg Anna")
                               << QStringList{QStringLiteral("Grundlage"), QStringLiteral("Intervalle"),
                                              QStringLiteral("Langer Lauf"), QStringLiteral("6 x 1000")}
                               << QStringList{QStringLiteral("Plan Montag"), QStringLiteral("Paul läuft")};
    QTest::newRow("plans") << QStringList{QStringLiteral("--person"), anna, QStringLiteral("--kind"),
                                          QStringLiteral("3")}
                           << QStringLiteral("SOLL (Plan) von Berg Anna") << QStringList{QStringLiteral("Plan Montag")}
                           << QStringList{QStringLiteral("Grundlage"), QStringLiteral("Langer Lauf")};
    // The to-date includes its whole day: the entry at 18:30 is printed.
    QTest::newRow("date range") << QStringList{QStringLiteral("--person"), anna,
                                               QStringLiteral("--kind"),   QStringLiteral("2"),
                                               QStringLiteral("--from"),   QStringLiteral("06.01.2026"),
                                               QStringLiteral("--to"),     QStringLiteral("11.01.2026")}
                                << QStringLiteral("IST (Protokoll) von Berg Anna")
                                << QStringList{QStringLiteral("Intervalle"), QStringLiteral("Langer Lauf")}
                                << QStringList{QStringLiteral("Grundlage"), QStringLiteral("Plan Montag")};
}

void TestPrintCommand::printsTheListedEntries() {
    QFETCH(QStringList, args);
    QFETCH(QString, title);
    QFETCH(QStringList, shown);
    QFETCH(QStringList, notShown);
    const QString pdf = file(QStringLiteral("diary.pdf"));
    QFile::remove(pdf);
    const Run run = velmora5(QStringList{QStringLiteral("--print-pdf"), pdf} + args);
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(!run.err.contains(QLatin1String("velmora5:")), qPrintable(run.err));
    const QStringList lines = pdfLines(pdf);
    QVERIFY2(!lines.isEmpty(), "no PDF written");
    QVERIFY2(lines.value(0).startsWith(title) && lines.value(0).contains(QLatin1String(" Seite 1")),
             qPrintable(lines.value(0)));
    // The stored settings' title is the second header line.
    QCOMPARE(lines.value(1), QStringLiteral("Vereinsmeisterschaft"));
    for (const QString &s : shown)
        QVERIFY2(containsLine(lines, s), qPrintable(s));
    for (const QString &s : notShown)
        QVERIFY2(!containsLine(lines, s), qPrintable(s));
}

void TestPrintCommand::failures_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("message");
    const QString anna = n(ClubFixture::kAnna);
    const QString pdf = file(QStringLiteral("failed.pdf"));
    QTest::newRow("unknown person") << QStringList{QStringLiteral("--print-pdf"), pdf,
                                                   QStringLiteral("--person"),    QStringLiteral("4711"),
                                                   QStringLiteral("--kind"),      QStringLiteral("2")}
                                    << QStringLiteral("Eine Person oder Gruppe mit der Nummer 4711 gibt es nicht.");
    QTest::newRow("form kind") << QStringList{QStringLiteral("--print-pdf"), pdf,
                                              QStringLiteral("--person"),    anna,
                                              QStringLiteral("--kind"),      QStringLiteral("1")}
                               << QStringLiteral("Ungültige Art 1");
    QTest::newRow("kind not a diary") << QStringList{QStringLiteral("--print-pdf"), pdf,
                                                     QStringLiteral("--person"),    anna,
                                                     QStringLiteral("--kind"),      QStringLiteral("5")}
                                      << QStringLiteral("Ungültige Art 5");
    QTest::newRow("kind missing") << QStringList{QStringLiteral("--print-pdf"), pdf, QStringLiteral("--person"), anna}
                                  << QStringLiteral("Zu --print-pdf gehören --person P und --kind K.");
    QTest::newRow("bad date") << QStringList{QStringLiteral("--print-pdf"), pdf,
                                             QStringLiteral("--person"),    anna,
                                             QStringLiteral("--kind"),      QStringLiteral("2"),
                                             QStringLiteral("--from"),      QStringLiteral("31.02.2026")}
                              << QStringLiteral("Ungültiges Datum \"31.02.2026\" bei --from");
    QTest::newRow("dates crossed") << QStringList{QStringLiteral("--print-pdf"), pdf,
                                                  QStringLiteral("--person"),    anna,
                                                  QStringLiteral("--kind"),      QStringLiteral("2"),
                                                  QStringLiteral("--from"),      QStringLiteral("12.01.2026"),
                                                  QStringLiteral("--to"),        QStringLiteral("05.01.2026")}
                                   << QStringLiteral("Das Datum bei --from liegt nach dem bei --to.");
    QTest::newRow("unwritable file") << QStringList{QStringLiteral("--print-pdf"),
                                                    file(QStringLiteral("missing/dir/x.pdf")),
                                                    QStringLiteral("--person"),
                                                    anna,
                                                    QStringLiteral("--kind"),
                                                    QStringLiteral("2")}
                                     << QStringLiteral("kann nicht geschrieben werden");
    QTest::newRow("date without print") << QStringList{QStringLiteral("--from"), QStringLiteral("05.01.2026")}
                                        << QStringLiteral("Die Optionen --from und --to gehören zu --print-pdf.");
}

void TestPrintCommand::failures() {
    QFETCH(QStringList, args);
    QFETCH(QString, message);
    const QString pdf = file(QStringLiteral("failed.pdf"));
    const Run run = velmora5(args);
    QCOMPARE(run.exitCode, 2);
    QVERIFY2(run.err.contains(QStringLiteral("velmora5: ")) && run.err.contains(message), qPrintable(run.err));
    QVERIFY(!QFile::exists(pdf));
}

QTEST_MAIN(TestPrintCommand)
#include "tst_printcommand.moc"
