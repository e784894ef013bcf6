// The import as the exchange window and the command line run it: after the
// merge the main window refreshes, the element list and the document list
// are rebuilt; a failed import leaves the element list as it was.
#include "app/ExchangeRun.h"
#include "base/Progress.h"
#include "design/FormElementCache.h"
#include "exchange/ExchangeExport.h"
#include "support/ExchangeFixture.h"
#include "support/TempInstallation.h"

#include <QTemporaryDir>
#include <QTest>
#include <memory>

using namespace velmora;
using namespace velmora::test;

namespace {
// Remembers the steps ticked when the window was closed.
class RecordingProgress : public SilentProgress {
public:
    void CloseProgress() override {
        doneAtClose = done;
        stepsAtClose = steps;
        ++closed;
        SilentProgress::CloseProgress();
    }
    int doneAtClose = -1, closed = 0;
    QStringList stepsAtClose;
};
} // namespace

class TestExchangeRun : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_files;
    std::unique_ptr<TempInstallation> m_sender, m_receiver;
    int m_form = 0;
    QString m_archive;

private Q_SLOTS:
    void init();
    void cleanup();
    void importRebuildsTheLists();
    void failedImportKeepsTheElementList();
    void protocolSelection();
};

void TestExchangeRun::init() {
    m_sender = std::make_unique<TempInstallation>(3);
    ExchangeClub from(m_sender->db(), 3, 2);
    from.addEntry(2, QDate(2026, 1, 5), QStringLiteral("Grundlage"));
    from.addEntry(3, QDate(2026, 1, 6), QStringLiteral("Plan"));
    m_form = from.form;
    m_archive = m_files.filePath(QStringLiteral("TRDATEN.ZIP"));
    QFile::remove(m_archive);
    SilentProgress progress;
    ExchangeExport exporter(m_sender->engine(), progress);
    exporter.setPackProgram(QStringLiteral(PKZIP_BINARY));
    QVERIFY(exporter.exportSelection(PersonProtocolSelection(from.athlete), m_archive));
    // The plan stays at home: the selection carries the kind.
    QCOMPARE(Count(m_sender->copyDb(), QStringLiteral("SELECT count(*) FROM TR WHERE Art = 3")), 0);
    m_sender->engine().closeDatabase(QStringLiteral("DBLOG_COPY"));
    m_receiver = std::make_unique<TempInstallation>(5);
    ExchangeClub to(m_receiver->db(), 5, 8);
    // A form of the receiver's own, so that its element list is not empty.
    InsertRow(m_receiver->db(), QStringLiteral("TR"),
              {{QStringLiteral("SerienNr"), 5},
               {QStringLiteral("TrNr"), 100},
               {QStringLiteral("Beschreibung"), QStringLiteral("Eigenes Formular")},
               {QStringLiteral("FormularNr"), to.form},
               {QStringLiteral("Art"), 1}});
    UseBlock(m_receiver->db(), to.form, 1, to.base + 1, {1}, 0);
    LoadFormElementCache(m_receiver->db(), nullptr);
}

void TestExchangeRun::cleanup() {
    FormElementCache().Clear();
    m_receiver.reset();
    m_sender.reset();
}

void TestExchangeRun::importRebuildsTheLists() {
    QVERIFY(FormElementCache().FormElements(m_form).empty());
    RecordingProgress progress;
    int refreshed = 0;
    ReadExchangeArchive(m_receiver->engine(), progress, m_archive, QStringLiteral(PKUNZIP_BINARY));
    RunImport(m_receiver->engine(), progress, 0, 0, [&] {
        ++refreshed;
        // The main window refreshes while its step is the current one.
        QCOMPARE(progress.done, 1);
    });
    QCOMPARE(refreshed, 1);
    QCOMPARE(progress.closed, 1);
    QCOMPARE(progress.doneAtClose, 4);
    QCOMPARE(progress.stepsAtClose, QStringList({"Daten importieren", "Datenbank aktualisieren", "Templates erstellen",
                                                 "Dokumentliste erstellen"}));
    QCOMPARE(FormElementCache().FormElements(m_form).size(), size_t(3));
    QCOMPARE(Count(m_receiver->db(), QStringLiteral("SELECT count(*) FROM \"OPEN\" WHERE Type = 'L' AND "
                                                    "Name = 'Laufformular'")),
             1);
}

void TestExchangeRun::failedImportKeepsTheElementList() {
    Database &db = m_receiver->db();
    db.exec(QStringLiteral("CREATE TRIGGER halt BEFORE INSERT ON TR WHEN NEW.Art = 2 "
                           "BEGIN SELECT RAISE(ABORT, 'angehalten'); END"));
    const int before = FormElementCache().Count();
    QVERIFY(before > 0);
    RecordingProgress progress;
    int refreshed = 0;
    ReadExchangeArchive(m_receiver->engine(), progress, m_archive, QStringLiteral(PKUNZIP_BINARY));
    QVERIFY_THROWS_EXCEPTION(EngineError, RunImport(m_receiver->engine(), progress, 0, 0, [&] { ++refreshed; }));
    QCOMPARE(refreshed, 0);
    QVERIFY(!progress.visible);
    QCOMPARE(FormElementCache().Count(), before);
    QVERIFY(FormElementCache().FormElements(m_form).empty());
}

void TestExchangeRun::protocolSelection() {
    QCOMPARE(PersonProtocolSelection(196610), QStringList({"(tr.Art = 2) and", "(tr.PersonNr = 196610)"}));
}

QTEST_GUILESS_MAIN(TestExchangeRun)
#include "tst_exchangerun.moc"
