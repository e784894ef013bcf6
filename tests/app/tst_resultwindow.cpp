// The evaluation result window in the main window, opened from the diary's
// evaluation menu and driven through the frame's menu commands: what the
// chart is fed, the chart type kept per evaluation, copy, the export of the
// three table types, and which entries the diary's evaluations take.
#include "app/DocumentList.h"
#include "app/TMainForm.h"
#include "base/Settings.h"
#include "controls/TDBTypeGrid.h"
#include "design/FormElementCache.h"
#include "design/TTREList.h"
#include "diary/DiaryListModel.h"
#include "diary/TTrainingseintrag.h"
#include "diary/TTrainingstagebuch.h"
#include "evaluation/TAuswertung.h"
#include "evaluation/TAuswertungSQL.h"
#include "evaluation/TChartControl.h"
#include "store/Cursor.h"
#include "store/Query.h"
#include "support/ClubFixture.h"
#include "support/ClubWindows.h"
#include "support/MessageRecorder.h"
#include "support/TempInstallation.h"
#include "support/WhenShown.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QImage>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMimeData>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <shapefil.h>

extern "C" {
#include <paradox.h>
}

using namespace velmora;
using velmora::test::ClubFixture;
using velmora::test::MessageRecorder;
using velmora::test::whenShown;

namespace {
constexpr int kPlain = ClubFixture::kBase + 2;       // "Läufe je Einheit": one row per description
constexpr int kCross = ClubFixture::kBase + 3;       // "Belastung je Woche": a cross table
constexpr int kOnlyX = ClubFixture::kBase + 4;       // "Notizen": nothing to draw
constexpr int kEmptyFilter = ClubFixture::kBase + 2; // "Alle": no author, person or form

const QString kPlainName = QStringLiteral("Läufe je Einheit");
const QString kCrossName = QStringLiteral("Belastung je Woche");
const QString kWeekName = QStringLiteral("Umfang pro Woche");

void addField(Database &db, int evaluation, int feldNr, const QString &name, const QString &typ, int tableNr, int order,
              int aggregate, const QString &expression = {}) {
    QVariantMap row{{QStringLiteral("AuswertungNr"), evaluation},
                    {QStringLiteral("FeldNr"), feldNr},
                    {QStringLiteral("Name"), name},
                    {QStringLiteral("Typ"), typ},
                    {QStringLiteral("TableNr"), tableNr},
                    {QStringLiteral("Order"), order},
                    {QStringLiteral("Agregatfunktion"), aggregate}};
    if (!expression.isEmpty()) {
        row.insert(QStringLiteral("SQL"), true);
        row.insert(QStringLiteral("Bedingung"), name + QStringLiteral("\r") + expression);
    }
    InsertRow(db, QStringLiteral("AFIELD"), row);
}

void addEvaluation(Database &db, int nr, const QString &name, bool cross) {
    InsertRow(db, QStringLiteral("AUSWERT"),
              {{QStringLiteral("AuswertungNr"), nr},
               {QStringLiteral("Auswertung"), name},
               {QStringLiteral("TrainerNr"), ClubFixture::kCoach},
               {QStringLiteral("Gruppierung"), true},
               {QStringLiteral("Kreuztabelle"), cross}});
    InsertRow(db, QStringLiteral("ATABLE"),
              {{QStringLiteral("AuswertungNr"), nr}, {QStringLiteral("TableNr"), ClubFixture::kBlock}});
}

const QString kWeekExpression = QStringLiteral("EXTRACT(YEAR FROM tr.Datum)*100 + cast(tr.Woche as Integer)");

struct DbfCloser {
    void operator()(DBFInfo *h) const { DBFClose(h); }
};
struct PxCloser {
    void operator()(pxdoc_t *doc) const {
        PX_close(doc);
        PX_delete(doc);
    }
};

// The chart's rows as "row label levels outer to inner" -> values.
QMap<QString, QList<double>> chartRows(const TChartControl &chart) {
    QMap<QString, QList<double>> rows;
    for (int r = 1; r <= chart.rowCount(); ++r) {
        QStringList label;
        for (int level = chart.rowLabelLevels(); level >= 1; --level)
            label << chart.rowLabel(r, level);
        QList<double> values;
        for (int c = 1; c <= chart.columnCount(); ++c)
            values << chart.data(r, c);
        rows.insert(label.join(QLatin1Char('/')), values);
    }
    return rows;
}
} // namespace

class TestResultWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void plainResultFeedsTheChart();
    void weekAxisSplitsYearAndWeek();
    void crossTableFeedsTheChart();
    void runWithoutDataLeavesNoChart();
    void nothingToDrawLeavesTheChartEmpty();
    void refreshRunsAgain();
    void chartTypeIsRestored();
    void copyPutsImageAndTextOnTheClipboard();
    void pasteTakesATable();
    void chartMenusOpenTheChartsDialogs_data();
    void chartMenusOpenTheChartsDialogs();
    void printGoesThroughThePrintDialog();
    void exportThroughTheMenu_data();
    void exportThroughTheMenu();
    void exportAsksBeforeOverwriting();
    void commandsFollowTheActiveWindow();
    void diaryMenuTakesTheDiarysEntries_data();
    void diaryMenuTakesTheDiarysEntries();
    void openedByNumber();
    void typingIsEvaluated();

private:
    Database &db() { return m_inst->db(); }
    QAction *item(const char *name) { return m_main->action(QString::fromLatin1(name)); }
    // Chooses the evaluation in the diary's "Auswertung" menu; the window it opened.
    TAuswertung *runFromDiary(const QString &name);
    TAuswertung *activeResult() const {
        QMdiSubWindow *w = m_main->mdiArea()->activeSubWindow();
        return w ? qobject_cast<TAuswertung *>(w->widget()) : nullptr;
    }
    void closeActiveWindow() {
        QVERIFY(item("miClose2")->isEnabled());
        item("miClose2")->trigger();
    }
    // "&Sichern als..." with the file dialog answered: filter and typed name.
    void exportAs(const QString &filter, const QString &name);
    QVariant evaluationValue(int nr, const QString &column) {
        Query q(db(), QStringLiteral("select %1 from AUSWERT where AuswertungNr = %2").arg(column).arg(nr));
        q.open();
        return q.eof() ? QVariant() : q.value(0);
    }

    std::unique_ptr<test::TempInstallation> m_inst;
    std::unique_ptr<ClubFixture> m_club;
    std::unique_ptr<MessageRecorder> m_messages;
    std::unique_ptr<TMainForm> m_main;
    std::unique_ptr<QTemporaryDir> m_out;
    QPointer<TTrainingstagebuch> m_diary;
};

void TestResultWindow::init() {
    m_inst = std::make_unique<test::TempInstallation>(1);
    settings() = Settings();
    settings().SerienNr = ClubFixture::kSerial;
    m_club = std::make_unique<ClubFixture>(db());
    // A second week for Anna's protocols: week 3 of 2026.
    const int tempo =
        m_club->addEntry(ClubFixture::kAnna, 2, QDateTime(QDate(2026, 1, 14), QTime(7, 0)), QStringLiteral("Tempo"));
    m_club->addBlockRow(tempo, 0, 30, 6.0, ClubFixture::kValueLocker, QStringLiteral("schnell"));

    addEvaluation(db(), kPlain, kPlainName, false);
    addField(db(), kPlain, 1, QStringLiteral("Einheit"), QStringLiteral("X"), 0, 2, 0,
             QStringLiteral("tr.Beschreibung"));
    addField(db(), kPlain, 2, QStringLiteral("Dauer"), QStringLiteral("D"), ClubFixture::kBlock, 1, 1);
    addField(db(), kPlain, 3, QStringLiteral("Länge"), QStringLiteral("D"), ClubFixture::kBlock, 2, 1);
    addEvaluation(db(), kCross, kCrossName, true);
    addField(db(), kCross, 1, QStringLiteral("Belastung"), QStringLiteral("X"), ClubFixture::kBlock, 3, 0);
    addField(db(), kCross, 2, QStringLiteral("Woche"), QStringLiteral("Y"), 0, 1, 0, kWeekExpression);
    addField(db(), kCross, 3, QStringLiteral("Dauer"), QStringLiteral("D"), ClubFixture::kBlock, 1, 1);
    addEvaluation(db(), kOnlyX, QStringLiteral("Notizen"), false);
    addField(db(), kOnlyX, 1, QStringLiteral("Dauer"), QStringLiteral("X"), ClubFixture::kBlock, 1, 0);
    addField(db(), kOnlyX, 2, QStringLiteral("Notiz"), QStringLiteral("D"), ClubFixture::kBlock, 4, 0);
    InsertRow(db(), QStringLiteral("FILTER"),
              {{QStringLiteral("FilterNr"), kEmptyFilter},
               {QStringLiteral("Name"), QStringLiteral("Alle")},
               {QStringLiteral("PersonNr"), ClubFixture::kCoach},
               {QStringLiteral("Art"), 2}});

    // Paul wrote his protocol himself: "Ausdauer" takes both authors.
    db().exec(QStringLiteral("update FILTER set Autoren = '%1' || char(13) || '%2' where FilterNr = %3")
                  .arg(ClubFixture::kCoach)
                  .arg(ClubFixture::kPaul)
                  .arg(ClubFixture::kFilter));

    LoadFormElementCache(db(), nullptr);
    RebuildDocumentList(db(), nullptr, ClubFixture::kCoach, ClubFixture::kJugend);
    m_messages = std::make_unique<MessageRecorder>();
    m_out = std::make_unique<QTemporaryDir>();
    m_main = test::StartMainForm();
    QVERIFY(QTest::qWaitForWindowActive(m_main.get()));

    m_diary = test::OpenAnnasDiary(*m_main, 2);
    QVERIFY(m_diary->isActive());
}

void TestResultWindow::cleanup() {
    m_main.reset();
    m_messages.reset();
    m_out.reset();
    m_club.reset();
    m_inst.reset();
}

TAuswertung *TestResultWindow::runFromDiary(const QString &name) {
    if (!m_diary->btnAuswertung->isEnabled())
        return nullptr;
    for (QAction *a : m_diary->btnAuswertung->menu()->actions())
        if (a->property("name").toString() == name) {
            a->trigger();
            return activeResult();
        }
    return nullptr;
}

void TestResultWindow::exportAs(const QString &filter, const QString &name) {
    const QString dir = m_out->path();
    whenShown<QFileDialog>([dir, filter, name](QFileDialog &d) {
        QCOMPARE(d.windowTitle(), QStringLiteral("Daten exportieren"));
        d.setDirectory(dir);
        // The type as the coach picks it: the arrow keys in the type box.
        auto *types = d.findChild<QComboBox *>(QStringLiteral("fileTypeCombo"));
        QVERIFY(types);
        const int wanted = types->findText(filter);
        QVERIFY(wanted >= 0);
        types->setFocus();
        while (types->currentIndex() != wanted)
            QTest::keyClick(types, types->currentIndex() < wanted ? Qt::Key_Down : Qt::Key_Up);
        QCOMPARE(d.selectedNameFilter(), filter);
        auto *edit = d.findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        QVERIFY(edit);
        edit->clear();
        QTest::keyClicks(edit, name);
        QTest::keyClick(edit, Qt::Key_Return);
    });
    QVERIFY(item("miSave1")->isEnabled());
    item("miSave1")->trigger();
}

// ------------------------------------------------------------ the chart

void TestResultWindow::plainResultFeedsTheChart() {
    TAuswertung *w = runFromDiary(kPlainName);
    QVERIFY(w);
    QVERIFY2(m_messages->texts().isEmpty(), qPrintable(m_messages->texts().join(QLatin1Char('|'))));
    QCOMPARE(w->windowTitle(), kPlainName);
    const TChartControl &chart = *w->chart();
    // Rows are the X values, columns the data fields; the text column of
    // the X axis is a label, not a series.
    QCOMPARE(chart.rowLabelLevels(), 1);
    QCOMPARE(chart.columnLabelLevels(), 1);
    QCOMPARE(chart.rowCount(), 4);
    QCOMPARE(chart.columnCount(), 2);
    QCOMPARE(chart.columnLabel(1, 1), QStringLiteral("Dauer"));
    QCOMPARE(chart.columnLabel(2, 1), QStringLiteral("Länge"));
    const QStringList labels{QStringLiteral("Grundlage"), QStringLiteral("Intervalle"), QStringLiteral("Langer Lauf"),
                             QStringLiteral("Tempo")};
    const QList<QList<double>> values{{75, 12.5}, {45, 9}, {120, 25}, {30, 6}};
    for (int r = 1; r <= 4; ++r) {
        QCOMPARE(chart.rowLabel(r, 1), labels[r - 1]);
        QCOMPARE(chart.data(r, 1), values[r - 1][0]);
        QCOMPARE(chart.data(r, 2), values[r - 1][1]);
    }
}

void TestResultWindow::weekAxisSplitsYearAndWeek() {
    TAuswertung *w = runFromDiary(kWeekName);
    QVERIFY(w);
    const TChartControl &chart = *w->chart();
    QCOMPARE(chart.rowLabelLevels(), 2);
    QCOMPARE(chart.columnLabelLevels(), 1);
    QCOMPARE(chart.rowCount(), 2);
    QCOMPARE(chart.columnCount(), 1);
    QCOMPARE(chart.columnLabel(1, 1), QStringLiteral("Umfang"));
    QCOMPARE(chart.rowLabel(1, 2), QStringLiteral("2026"));
    QCOMPARE(chart.rowLabel(1, 1), QStringLiteral("02"));
    QCOMPARE(chart.rowLabel(2, 2), QStringLiteral("2026"));
    QCOMPARE(chart.rowLabel(2, 1), QStringLiteral("03"));
    QCOMPARE(chart.data(1, 1), 240.0);
    QCOMPARE(chart.data(2, 1), 30.0);
}

void TestResultWindow::crossTableFeedsTheChart() {
    TAuswertung *w = runFromDiary(kCrossName);
    QVERIFY(w);
    QVERIFY2(m_messages->texts().isEmpty(), qPrintable(m_messages->texts().join(QLatin1Char('|'))));
    const TChartControl &chart = *w->chart();
    // Rows are the Y values (weeks, split), columns the X values (the
    // pick-list values of the index field).
    QCOMPARE(chart.rowLabelLevels(), 2);
    QCOMPARE(chart.columnLabelLevels(), 1);
    QCOMPARE(chart.rowCount(), 2);
    QCOMPARE(chart.columnCount(), 2);
    QStringList columns{chart.columnLabel(1, 1), chart.columnLabel(2, 1)};
    const int locker = int(columns.indexOf(QStringLiteral("locker"))) + 1;
    const int intensiv = int(columns.indexOf(QStringLiteral("intensiv"))) + 1;
    QVERIFY2(locker >= 1 && intensiv >= 1, qPrintable(columns.join(QLatin1Char(','))));
    QCOMPARE(chart.rowLabel(1, 2), QStringLiteral("2026"));
    QCOMPARE(chart.rowLabel(1, 1), QStringLiteral("02"));
    QCOMPARE(chart.rowLabel(2, 1), QStringLiteral("03"));
    QCOMPARE(chart.data(1, locker), 180.0);
    QCOMPARE(chart.data(1, intensiv), 60.0);
    QCOMPARE(chart.data(2, locker), 30.0);
    QCOMPARE(chart.data(2, intensiv), 0.0);
}

void TestResultWindow::runWithoutDataLeavesNoChart() {
    // Paul has no plans: the run says so and the window stays, empty.
    db().exec(QStringLiteral("update AUSWERT set Diagrammeinstellung = 7 where AuswertungNr = %1")
                  .arg(ClubFixture::kEvaluation));
    m_diary->PersonNr = ClubFixture::kPaul;
    m_diary->Kat1Click(m_diary->miSoll);
    TAuswertung *w = runFromDiary(kWeekName);
    QVERIFY(w);
    QCOMPARE(m_messages->texts(), QStringList{EvaluationMessages::kNoData});
    QVERIFY(!w->hasResult());
    QCOMPARE(w->chart()->rowCount(), 0);
    QVERIFY(!item("miSave1")->isEnabled());
    // Closing it keeps the chart type stored before.
    QCOMPARE(w->chart()->chartType(), int(TChartControl::Spline));
    QPointer<TAuswertung> closed = w;
    closeActiveWindow();
    QTRY_VERIFY(!closed);
    QCOMPARE(evaluationValue(ClubFixture::kEvaluation, QStringLiteral("Diagrammeinstellung")).toInt(),
             int(TChartControl::Spline));
}

void TestResultWindow::nothingToDrawLeavesTheChartEmpty() {
    // The only numeric column is the X axis: rows, but no series.
    TAuswertung *w = runFromDiary(QStringLiteral("Notizen"));
    QVERIFY(w);
    QVERIFY2(m_messages->texts().isEmpty(), qPrintable(m_messages->texts().join(QLatin1Char('|'))));
    QVERIFY(w->hasResult());
    QCOMPARE(w->builder()->resultTable()->recordCount(), 5);
    QCOMPARE(w->chart()->rowCount(), 0);
    QCOMPARE(w->chart()->columnCount(), 0);
    // The table is there to export all the same.
    QVERIFY(item("miSave1")->isEnabled());
}

void TestResultWindow::refreshRunsAgain() {
    TAuswertung *w = runFromDiary(kWeekName);
    QVERIFY(w);
    QCOMPARE(chartRows(*w->chart()).value(QStringLiteral("2026/03")).value(0), 30.0);
    // Another row for "Tempo" meanwhile; F9 shows it.
    Query tempo(db(), QStringLiteral("select TrNr from TR where Beschreibung = 'Tempo'"));
    tempo.open();
    m_club->addBlockRow(tempo.value(0).toInt(), 1, 10, 2.0, ClubFixture::kValueIntensiv, QString());
    QTest::keyClick(m_main.get(), Qt::Key_F9);
    QVERIFY2(m_messages->texts().isEmpty(), qPrintable(m_messages->texts().join(QLatin1Char('|'))));
    QCOMPARE(chartRows(*w->chart()).value(QStringLiteral("2026/03")).value(0), 40.0);
    QCOMPARE(chartRows(*w->chart()).value(QStringLiteral("2026/02")).value(0), 240.0);
}

void TestResultWindow::chartTypeIsRestored() {
    TAuswertung *w = runFromDiary(kWeekName);
    QVERIFY(w);
    QCOMPARE(w->chart()->chartType(), int(TChartControl::Bar));
    // "D&iagramm" → "&Assistent": the coach picks lines.
    QVERIFY(item("miAssistent1")->isEnabled());
    whenShown<QDialog>([](QDialog &d) {
        QCOMPARE(d.objectName(), QStringLiteral("TChartWizard"));
        auto *list = d.findChild<QListWidget *>(QStringLiteral("lstChartType"));
        QVERIFY(list);
        const QList<QListWidgetItem *> lines = list->findItems(QStringLiteral("Linien"), Qt::MatchExactly);
        QCOMPARE(lines.size(), 1);
        list->setCurrentItem(lines.first());
        QTest::mouseClick(d.findChild<QPushButton *>(QStringLiteral("btnOK")), Qt::LeftButton);
    });
    item("miAssistent1")->trigger();
    QCOMPARE(w->chart()->chartType(), int(TChartControl::Line));
    // A refresh keeps what the coach chose.
    item("miRefresh1")->trigger();
    QCOMPARE(w->chart()->chartType(), int(TChartControl::Line));

    QPointer<TAuswertung> closed = w;
    closeActiveWindow();
    QTRY_VERIFY(!closed);
    QCOMPARE(evaluationValue(ClubFixture::kEvaluation, QStringLiteral("Diagrammeinstellung")).toInt(),
             int(TChartControl::Line));
    // The chart menu goes with the window.
    QVERIFY(!item("miAssistent1")->isEnabled());

    TAuswertung *again = runFromDiary(kWeekName);
    QVERIFY(again);
    QCOMPARE(again->chart()->chartType(), int(TChartControl::Line));
    // Another evaluation keeps its own.
    TAuswertung *other = runFromDiary(kPlainName);
    QVERIFY(other);
    QCOMPARE(other->chart()->chartType(), int(TChartControl::Bar));
}

void TestResultWindow::copyPutsImageAndTextOnTheClipboard() {
    TAuswertung *w = runFromDiary(kPlainName);
    QVERIFY(w);
    QApplication::clipboard()->clear();
    QVERIFY(item("miCopy1")->isEnabled());
    item("miCopy1")->trigger();
    const QMimeData *mime = QApplication::clipboard()->mimeData();
    QVERIFY(mime);
    QVERIFY(mime->hasImage());
    QVERIFY(!qvariant_cast<QImage>(mime->imageData()).isNull());
    const QStringList lines = mime->text().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.value(0), QStringLiteral("\tDauer\tLänge"));
    QCOMPARE(lines.value(1), QStringLiteral("Grundlage\t75\t12,5"));
    QCOMPARE(lines.value(4), QStringLiteral("Tempo\t30\t6"));
    QCOMPARE(lines.size(), 5);
}

void TestResultWindow::pasteTakesATable() {
    TAuswertung *w = runFromDiary(kPlainName);
    QVERIFY(w);
    QApplication::clipboard()->setText(QStringLiteral("\tA\tB\nMo\t1,5\t2\nDi\t3\t4\n"));
    QVERIFY(item("miPaste1")->isEnabled());
    item("miPaste1")->trigger();
    QVERIFY2(m_messages->texts().isEmpty(), qPrintable(m_messages->texts().join(QLatin1Char('|'))));
    QCOMPARE(w->chart()->rowCount(), 2);
    QCOMPARE(w->chart()->columnLabel(2, 1), QStringLiteral("B"));
    QCOMPARE(w->chart()->rowLabel(2, 1), QStringLiteral("Di"));
    QCOMPARE(w->chart()->data(1, 1), 1.5);
}

void TestResultWindow::chartMenusOpenTheChartsDialogs_data() {
    QTest::addColumn<QString>("menuItem");
    QTest::addColumn<QString>("caption");
    QTest::newRow("Assistent") << QStringLiteral("miAssistent1") << QStringLiteral("Diagramm-Assistent");
    QTest::newRow("Dateneditor") << QStringLiteral("miDateneditor1") << QStringLiteral("Dateneditor");
    QTest::newRow("Einstellungen") << QStringLiteral("miLayout1") << QStringLiteral("Diagrammeinstellungen");
    QTest::newRow("Drucken") << QStringLiteral("miPrint1") << QStringLiteral("Drucken");
}

void TestResultWindow::chartMenusOpenTheChartsDialogs() {
    QFETCH(QString, menuItem);
    QFETCH(QString, caption);
    TAuswertung *w = runFromDiary(kPlainName);
    QVERIFY(w);
    QString seen;
    QWidget *owner = nullptr;
    whenShown<QDialog>([&seen, &owner](QDialog &d) {
        seen = d.windowTitle();
        owner = d.parentWidget();
        d.reject();
    });
    QAction *a = m_main->action(menuItem);
    QVERIFY(a->isEnabled());
    a->trigger();
    QCOMPARE(seen, caption);
    // The chart of this window, not of another one.
    QVERIFY(owner && (owner == w->chart() || w->chart()->isAncestorOf(owner)));
    QVERIFY(m_messages->texts().isEmpty());
}

void TestResultWindow::printGoesThroughThePrintDialog() {
    TAuswertung *w = runFromDiary(kWeekName);
    QVERIFY(w);
    const QString pdf = m_out->filePath(QStringLiteral("diagramm.pdf"));
    whenShown<QPrintDialog>([pdf](QPrintDialog &d) {
        // The file printer, as a coach without a printer chooses it.
        auto *file = d.findChild<QLineEdit *>(QStringLiteral("filename"));
        QVERIFY(file);
        auto *printers = d.findChild<QComboBox *>(QStringLiteral("printers"));
        QVERIFY(printers);
        printers->setCurrentIndex(printers->count() - 1);
        file->setText(pdf);
        d.accept();
    });
    item("miPrint1")->trigger();
    QVERIFY2(m_messages->texts().isEmpty(), qPrintable(m_messages->texts().join(QLatin1Char('|'))));
    QFile f(pdf);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QVERIFY(f.read(5) == "%PDF-");
    // This window's chart: its series and its week labels.
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
    QVERIFY(text.waitForFinished());
    const QString printed = QString::fromUtf8(text.readAllStandardOutput());
    QVERIFY2(printed.contains(QStringLiteral("Umfang")) && printed.contains(QStringLiteral("2026")),
             qPrintable(printed));
}

// ------------------------------------------------------------ export

void TestResultWindow::exportThroughTheMenu_data() {
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("written");
    QTest::addColumn<QString>("kind");
    QTest::newRow("dBase") << QStringLiteral("dBase (*.dbf)") << QStringLiteral("export1")
                           << QStringLiteral("export1.dbf") << QStringLiteral("dbf");
    QTest::newRow("Paradox") << QStringLiteral("Paradox (*.db)") << QStringLiteral("umfang.db")
                             << QStringLiteral("umfang.db") << QStringLiteral("db");
    // A name typed without an extension takes the chosen type's.
    QTest::newRow("Text") << QStringLiteral("Text (*.txt)") << QStringLiteral("umfang") << QStringLiteral("umfang.txt")
                          << QStringLiteral("txt");
    QTest::newRow("Text by its extension") << QStringLiteral("Paradox (*.db)") << QStringLiteral("liste.txt")
                                           << QStringLiteral("liste.txt") << QStringLiteral("txt");
}

void TestResultWindow::exportThroughTheMenu() {
    QFETCH(QString, filter);
    QFETCH(QString, typed);
    QFETCH(QString, written);
    QFETCH(QString, kind);
    TAuswertung *w = runFromDiary(kPlainName);
    QVERIFY(w);
    exportAs(filter, typed);
    QVERIFY2(m_messages->texts().isEmpty(), qPrintable(m_messages->texts().join(QLatin1Char('|'))));
    const QString file = m_out->filePath(written);
    QVERIFY2(QFile::exists(file), qPrintable(QDir(m_out->path()).entryList().join(QLatin1Char(','))));
    // The next export starts where this one went.
    QCOMPARE(w->builder()->ExportDirectory, QFileInfo(file).absolutePath());

    if (kind == QLatin1String("dbf")) {
        std::unique_ptr<DBFInfo, DbfCloser> dbf(DBFOpen(QFile::encodeName(file).constData(), "rb"));
        QVERIFY(dbf);
        QCOMPARE(DBFGetRecordCount(dbf.get()), 4);
        QCOMPARE(DBFGetFieldCount(dbf.get()), 3);
        const QByteArrayList names{"Einheit", "Dauer", "L\x84nge"}; // code page 850
        for (int i = 0; i < 3; ++i) {
            char name[XBASE_FLDNAME_LEN_READ + 1] = {};
            DBFGetFieldInfo(dbf.get(), i, name, nullptr, nullptr);
            QCOMPARE(QByteArray(name), names[i]);
        }
        QCOMPARE(QByteArray(DBFReadStringAttribute(dbf.get(), 0, 0)).trimmed(), QByteArray("Grundlage"));
        QCOMPARE(DBFReadIntegerAttribute(dbf.get(), 0, 1), 75);
        QCOMPARE(DBFReadDoubleAttribute(dbf.get(), 0, 2), 12.5);
        QCOMPARE(QByteArray(DBFReadStringAttribute(dbf.get(), 3, 0)).trimmed(), QByteArray("Tempo"));
        QCOMPARE(DBFReadDoubleAttribute(dbf.get(), 3, 2), 6.0);
    } else if (kind == QLatin1String("db")) {
        PX_boot();
        std::unique_ptr<pxdoc_t, PxCloser> doc(PX_new());
        QVERIFY(doc);
        QVERIFY(PX_open_file(doc.get(), QFile::encodeName(file).constData()) == 0);
        QVERIFY(PX_set_targetencoding(doc.get(), "UTF-8") == 0);
        QCOMPARE(PX_get_num_records(doc.get()), 4);
        QCOMPARE(PX_get_num_fields(doc.get()), 3);
        QCOMPARE(QByteArray(PX_get_field(doc.get(), 2)->px_fname), QByteArray("L\x84nge"));
        QStringList texts;
        QList<double> lengths;
        for (int r = 0; r < 4; ++r) {
            pxval_t **values = PX_retrieve_record(doc.get(), r);
            QVERIFY(values);
            texts << QString::fromUtf8(values[0]->value.str.val);
            lengths << values[2]->value.dval;
            for (int i = 0; i < 3; ++i) {
                if (values[i]->type == pxfAlpha && values[i]->value.str.val)
                    doc->free(doc.get(), values[i]->value.str.val);
                doc->free(doc.get(), values[i]);
            }
            doc->free(doc.get(), values);
        }
        QCOMPARE(texts, QStringList({QStringLiteral("Grundlage"), QStringLiteral("Intervalle"),
                                     QStringLiteral("Langer Lauf"), QStringLiteral("Tempo")}));
        QCOMPARE(lengths, QList<double>({12.5, 9.0, 25.0, 6.0}));
    } else {
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QStringList lines = QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 5);
        QCOMPARE(lines[0].trimmed(), QStringLiteral("Einheit\tDauer\tLänge"));
        QCOMPARE(lines[1].trimmed(), QStringLiteral("Grundlage\t75\t12.5"));
        QCOMPARE(lines[3].trimmed(), QStringLiteral("Langer Lauf\t120\t25"));
        QVERIFY(QFile::exists(m_out->filePath(QFileInfo(written).completeBaseName() + QStringLiteral(".sch"))));
    }
}

void TestResultWindow::exportAsksBeforeOverwriting() {
    TAuswertung *w = runFromDiary(kPlainName);
    QVERIFY(w);
    const QString file = m_out->filePath(QStringLiteral("export1.txt"));
    {
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("alt\n");
    }
    m_messages->answer(false);
    exportAs(QStringLiteral("Text (*.txt)"), QStringLiteral("export1.txt"));
    QCOMPARE(m_messages->texts().size(), 1);
    QVERIFY2(m_messages->texts().first().contains(QStringLiteral("existiert schon")),
             qPrintable(m_messages->texts().first()));
    {
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("alt\n"));
    }
    m_messages->clear();
    m_messages->answer(true);
    exportAs(QStringLiteral("Text (*.txt)"), QStringLiteral("export1.txt"));
    QCOMPARE(m_messages->texts().size(), 1);
    QFile f(file);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QVERIFY(f.readAll().startsWith("Einheit\tDauer"));
}

// ------------------------------------------------------------ commands and openers

void TestResultWindow::commandsFollowTheActiveWindow() {
    QVERIFY(item("miPaste2")->isEnabled()); // the diary's "&Neuer Eintrag..."
    TAuswertung *w = runFromDiary(kWeekName);
    QVERIFY(w);
    QVERIFY(w->isActive());
    QVERIFY(!m_diary->isActive());
    for (const char *name : {"miSave1", "miCopy1", "miPaste1", "miPrint1", "miRefresh1", "miAssistent1",
                             "miDateneditor1", "miLayout1", "miClose2"})
        QVERIFY2(item(name)->isEnabled(), name);
    QVERIFY(!item("miPaste2")->isEnabled());

    // Back to the diary: its commands, not the chart's.
    m_main->mdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow *>(m_diary->parentWidget()));
    QVERIFY(m_diary->isActive());
    QVERIFY(!w->isActive());
    QVERIFY(item("miPaste2")->isEnabled());
    QVERIFY(item("miClose2")->isEnabled());
    for (const char *name : {"miSave1", "miAssistent1", "miDateneditor1", "miLayout1"})
        QVERIFY2(!item(name)->isEnabled(), name);

    // And to the chart again: the diary lets go first.
    m_main->mdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow *>(w->parentWidget()));
    QVERIFY(w->isActive());
    QVERIFY(!m_diary->isActive());
    QVERIFY(item("miAssistent1")->isEnabled());
    QVERIFY(!item("miPaste2")->isEnabled());
}

void TestResultWindow::diaryMenuTakesTheDiarysEntries_data() {
    QTest::addColumn<int>("person");
    QTest::addColumn<bool>("plan");
    QTest::addColumn<int>("filter"); // position in cbxFilter, 0 none
    QTest::addColumn<QDate>("from");
    QTest::addColumn<QStringList>("weeks");
    QTest::addColumn<QList<double>>("values");
    const QDate none;
    // Paul's protocol of week 2 and Anna's plan stay out.
    QTest::newRow("Anna protocol") << ClubFixture::kAnna << false << 0 << none
                                   << QStringList{QStringLiteral("2026/02"), QStringLiteral("2026/03")}
                                   << QList<double>{240, 30};
    QTest::newRow("Anna plan") << ClubFixture::kAnna << true << 0 << none << QStringList{QStringLiteral("2026/03")}
                               << QList<double>{50};
    QTest::newRow("Paul protocol") << ClubFixture::kPaul << false << 0 << none << QStringList{QStringLiteral("2026/02")}
                                   << QList<double>{30};
    QTest::newRow("from a date") << ClubFixture::kAnna << false << 0 << QDate(2026, 1, 12)
                                 << QStringList{QStringLiteral("2026/03")} << QList<double>{30};
    // "Ausdauer": Anna and Paul, protocols.
    QTest::newRow("filter of two persons")
        << ClubFixture::kAnna << false << 1 << none << QStringList{QStringLiteral("2026/02"), QStringLiteral("2026/03")}
        << QList<double>{270, 30};
    // "Alle": no selection line at all; the diary lists every protocol.
    QTest::newRow("filter without lists")
        << ClubFixture::kAnna << false << 2 << none << QStringList{QStringLiteral("2026/02"), QStringLiteral("2026/03")}
        << QList<double>{270, 30};
}

void TestResultWindow::diaryMenuTakesTheDiarysEntries() {
    QFETCH(int, person);
    QFETCH(bool, plan);
    QFETCH(int, filter);
    QFETCH(QDate, from);
    QFETCH(QStringList, weeks);
    QFETCH(QList<double>, values);
    m_diary->PersonNr = person;
    if (plan)
        m_diary->Kat1Click(m_diary->miSoll);
    if (filter > 0) {
        QCOMPARE(m_diary->cbxFilter->itemText(1), QStringLiteral("Alle"));
        QCOMPARE(m_diary->cbxFilter->itemText(2), QStringLiteral("Ausdauer"));
        // The combo lists the filters by name.
        m_diary->cbxFilter->setCurrentIndex(filter == 1 ? 2 : 1);
    }
    if (from.isValid()) {
        m_diary->cbxVon1->setChecked(true);
        m_diary->txtVon1->setDate(from);
    }
    m_diary->RebuildList();
    QVERIFY(m_diary->listCursor().isOpen());

    TAuswertung *w = runFromDiary(kWeekName);
    QVERIFY(w);
    QVERIFY2(m_messages->texts().isEmpty(), qPrintable(m_messages->texts().join(QLatin1Char('|'))));
    QCOMPARE(w->windowTitle(), kWeekName);
    QCOMPARE(w->Art, m_diary->KindCode);
    QCOMPARE(w->PersonNr, person);
    const QMap<QString, QList<double>> rows = chartRows(*w->chart());
    QCOMPARE(rows.keys(), weeks);
    for (int i = 0; i < weeks.size(); ++i)
        QCOMPARE(rows.value(weeks[i]).value(0), values[i]);
}

void TestResultWindow::openedByNumber() {
    // As the wizard opens it: the number, the documents and the caption;
    // a comparison counts the compared documents negatively.
    EvaluationRun run;
    run.AuswertungNr = ClubFixture::kEvaluation;
    run.Art = 2;
    run.PersonNr = ClubFixture::kAnna;
    run.Vergleich = true;
    run.VergleichArt = 3;
    run.VergleichPersonNr = ClubFixture::kAnna;
    run.Caption = QStringLiteral("IST - SOLL");
    auto builder = std::make_unique<TAuswertungSQL>(db());
    builder->AuswertungNr = run.AuswertungNr;
    builder->BuildSQL();
    TAuswertung *w = TAuswertung::Open(m_main.get(), db(), run, std::move(builder));
    QVERIFY(w);
    QCOMPARE(activeResult(), w);
    QVERIFY2(m_messages->texts().isEmpty(), qPrintable(m_messages->texts().join(QLatin1Char('|'))));
    QCOMPARE(w->windowTitle(), QStringLiteral("IST - SOLL"));
    const QMap<QString, QList<double>> rows = chartRows(*w->chart());
    QCOMPARE(rows.keys(), QStringList({QStringLiteral("2026/02"), QStringLiteral("2026/03")}));
    QCOMPARE(rows.value(QStringLiteral("2026/02")).value(0), 240.0);
    QCOMPARE(rows.value(QStringLiteral("2026/03")).value(0), 30.0 - 50.0);
}

void TestResultWindow::typingIsEvaluated() {
    // The coach changes the duration of "Tempo" and runs the evaluation
    // straight from the diary: what he typed counts.
    const int column = m_diary->quTr->columnOfField(QStringLiteral("Beschreibung"));
    int row = -1;
    for (int r = 0; r < m_diary->quTr->rowCount(); ++r)
        if (m_diary->quTr->index(r, column).data().toString() == QLatin1String("Tempo"))
            row = r;
    QVERIFY(row >= 0);
    m_diary->dbgTr->setFocus();
    m_diary->dbgTr->setCurrentIndex(m_diary->quTr->index(row, 0));
    QTest::keyClick(m_diary->dbgTr, Qt::Key_Return);
    auto *view = qobject_cast<TTrainingseintrag *>(m_diary->entryView());
    QVERIFY(view);
    QLineEdit *dauer = nullptr;
    for (TTREListEntry *e : FormElementCache().BlockElements(ClubFixture::kForm, ClubFixture::kBlock))
        if (e->FeldNr == 1)
            dauer = view->findChild<QLineEdit *>(QStringLiteral("F") + e->Name);
    QVERIFY(dauer);
    dauer->setFocus();
    dauer->selectAll();
    QTest::keyClicks(dauer, QStringLiteral("90"));

    TAuswertung *w = runFromDiary(kWeekName);
    QVERIFY(w);
    QVERIFY2(m_messages->texts().isEmpty(), qPrintable(m_messages->texts().join(QLatin1Char('|'))));
    QCOMPARE(chartRows(*w->chart()).value(QStringLiteral("2026/03")).value(0), 90.0);
}

QTEST_MAIN(TestResultWindow)
#include "tst_resultwindow.moc"
