// The chart control of the evaluation result window, driven offscreen: its
// grid and labels, chart types, clipboard, printing and its three dialogs.
#include "evaluation/TChartControl.h"
#include "support/Controls.h"
#include "support/MessageRecorder.h"
#include "support/WhenShown.h"

#include <QApplication>
#include <QAreaSeries>
#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDialog>
#include <QHorizontalBarSeries>
#include <QHorizontalStackedBarSeries>
#include <QLineEdit>
#include <QLineSeries>
#include <QListWidget>
#include <QMimeData>
#include <QPercentBarSeries>
#include <QPieSeries>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScatterSeries>
#include <QSignalSpy>
#include <QSplineSeries>
#include <QStackedBarSeries>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

using namespace velmora;
using velmora::test::control;
using velmora::test::MessageRecorder;
using velmora::test::whenShown;

namespace {

// Three rows ("Mo", "Di", "Mi") and two columns ("Dauer", "Strecke").
void feedPlain(TChartControl &c) {
    c.setGridSize(1, 1, 3, 2);
    const QStringList rows = {QStringLiteral("Mo"), QStringLiteral("Di"), QStringLiteral("Mi")};
    c.setColumnLabel(1, 1, QStringLiteral("Dauer"));
    c.setColumnLabel(2, 1, QStringLiteral("Strecke"));
    for (int r = 1; r <= 3; ++r) {
        c.setRowLabel(r, 1, rows[r - 1]);
        c.setData(r, 1, r * 10.0);
        c.setData(r, 2, r + 0.5);
    }
}

QStringList categories(QChart *chart) {
    for (QAbstractAxis *axis : chart->axes())
        if (auto *cat = qobject_cast<QBarCategoryAxis *>(axis))
            return cat->categories();
    return {};
}

QList<qreal> barValues(QChart *chart, int set) {
    auto *series = qobject_cast<QAbstractBarSeries *>(chart->series().value(0));
    if (!series || set >= series->count())
        return {};
    QList<qreal> values;
    for (int i = 0; i < series->barSets()[set]->count(); ++i)
        values << series->barSets()[set]->at(i);
    return values;
}

void clickButton(QWidget &dialog, const char *name) {
    QTest::mouseClick(control<QPushButton>(dialog, name), Qt::LeftButton);
}

// Types into a cell of the data editor as a user does: click, F2, type, Tab.
void typeCell(QTableWidget &grid, int row, int column, const QString &text) {
    // Keys reach the editor only in the active window.
    QApplication::setActiveWindow(grid.window());
    QVERIFY(QTest::qWaitForWindowActive(grid.window()));
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, grid.visualItemRect(grid.item(row, column)).center());
    QTest::keyClick(&grid, Qt::Key_F2);
    auto *line = qobject_cast<QLineEdit *>(QApplication::focusWidget());
    QVERIFY(line);
    line->selectAll();
    QTest::keyClicks(line, text);
    QTest::keyClick(line, Qt::Key_Tab);
}

} // namespace

class TstTChartControl : public QObject {
    Q_OBJECT
private slots:
    void plainGrid();
    void weekRows();
    void outOfRangeIgnored();
    void chartTypes_data();
    void chartTypes();
    void unknownChartType_data();
    void unknownChartType();
    void copyPutsImageAndText();
    void copyPasteKeepsWeekColumns();
    void pasteReplacesGrid();
    void pasteRefusesNonNumbers();
    void printsToPdf();
    void dispatchIds();
    void wizardChoosesType();
    void wizardCancelKeepsType();
    void dataEditorChangesValue();
    void dataEditorCancelKeepsValues();
    void dataEditorRefusesBadNumber();
    void layoutDialogSetsTitleAndLegend();
};

void TstTChartControl::plainGrid() {
    TChartControl c;
    feedPlain(c);
    QCOMPARE(c.rowCount(), 3);
    QCOMPARE(c.columnCount(), 2);
    QCOMPARE(c.data(2, 1), 20.0);
    QCOMPARE(c.data(3, 2), 3.5);
    QCOMPARE(c.rowLabel(2, 1), QStringLiteral("Di"));
    QCOMPARE(c.columnLabel(2, 1), QStringLiteral("Strecke"));

    // The chart itself shows the rows as categories and the columns as
    // series, once the program comes back to the event loop.
    QCoreApplication::processEvents();
    QChart *chart = c.chartView()->chart();
    QCOMPARE(categories(chart), (QStringList{"Mo", "Di", "Mi"}));
    auto *bars = qobject_cast<QBarSeries *>(chart->series().value(0));
    QVERIFY(bars);
    QCOMPARE(bars->count(), 2);
    QCOMPARE(bars->barSets()[0]->label(), QStringLiteral("Dauer"));
    QCOMPARE(bars->barSets()[1]->label(), QStringLiteral("Strecke"));
    QCOMPARE(barValues(chart, 0), (QList<qreal>{10, 20, 30}));
    QCOMPARE(barValues(chart, 1), (QList<qreal>{1.5, 2.5, 3.5}));
}

void TstTChartControl::weekRows() {
    // A "Woche" axis: level 2 the year, level 1 the week.
    TChartControl c;
    c.setGridSize(2, 1, 3, 1);
    const QStringList weeks = {"202451", "202452", "202501"};
    for (int r = 1; r <= 3; ++r) {
        c.setRowText(r, weeks[r - 1], true);
        c.setData(r, 1, r);
    }
    c.setColumnText(1, QStringLiteral("Umfang"), false);
    QCOMPARE(c.rowLabelLevels(), 2);
    QCOMPARE(c.columnLabel(1, 1), QStringLiteral("Umfang"));
    QCOMPARE(c.rowLabel(1, 2), QStringLiteral("2024"));
    QCOMPARE(c.rowLabel(1, 1), QStringLiteral("51"));
    QCOMPARE(c.rowLabel(3, 2), QStringLiteral("2025"));
    QCOMPARE(c.rowLabel(3, 1), QStringLiteral("01"));
    // The axis shows the week above the year.
    QCOMPARE(categories(c.chart()), (QStringList{"51<br>2024", "52<br>2024", "01<br>2025"}));
    QCOMPARE(c.rowCaption(3), QStringLiteral("01\n2025"));

    // A label is shown as typed, not read as markup.
    c.setRowLabel(1, 1, QStringLiteral("<b>"));
    QCOMPARE(categories(c.chart()).first(), QStringLiteral("&lt;b&gt;<br>2024"));

    // Rows with equal labels stay apart on the axis.
    c.setRowLabel(2, 1, QStringLiteral("51"));
    c.setRowLabel(2, 2, QStringLiteral("2024"));
    QCOMPARE(categories(c.chart()).size(), 3);
    QCOMPARE(barValues(c.chart(), 0), (QList<qreal>{1, 2, 3}));
}

void TstTChartControl::outOfRangeIgnored() {
    TChartControl c;
    feedPlain(c);
    c.setData(4, 1, 99);
    c.setData(0, 1, 99);
    c.setRowLabel(1, 2, QStringLiteral("zu tief"));
    c.setColumnLabel(3, 1, QStringLiteral("zu weit"));
    QCOMPARE(c.data(4, 1), 0.0);
    QCOMPARE(c.rowLabel(1, 2), QString());
    QCOMPARE(barValues(c.chart(), 0), (QList<qreal>{10, 20, 30}));
    // A new grid starts empty.
    c.setGridSize(1, 1, 2, 2);
    QCOMPARE(c.data(1, 1), 0.0);
    QCOMPARE(c.rowLabel(1, 1), QString());
}

void TstTChartControl::chartTypes_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("seriesClass");
    QTest::newRow("1 Balken") << 1 << "QBarSeries";
    QTest::newRow("2 gestapelt") << 2 << "QStackedBarSeries";
    QTest::newRow("3 100 %") << 3 << "QPercentBarSeries";
    QTest::newRow("4 horizontal") << 4 << "QHorizontalBarSeries";
    QTest::newRow("5 horizontal gestapelt") << 5 << "QHorizontalStackedBarSeries";
    QTest::newRow("6 Linien") << 6 << "QLineSeries";
    QTest::newRow("7 Kurven") << 7 << "QSplineSeries";
    QTest::newRow("8 Flächen") << 8 << "QAreaSeries";
    QTest::newRow("9 Flächen gestapelt") << 9 << "QAreaSeries";
    QTest::newRow("10 Punkte") << 10 << "QScatterSeries";
    QTest::newRow("11 Kreis") << 11 << "QPieSeries";
}

void TstTChartControl::chartTypes() {
    QFETCH(int, type);
    QFETCH(QString, seriesClass);
    QCOMPARE(TChartControl::chartTypes().size(), 11);
    QVERIFY(TChartControl::chartTypes().contains(type));
    TChartControl c;
    feedPlain(c);
    c.setChartType(type);
    QCOMPARE(c.chartType(), type);
    QChart *chart = c.chart();
    QVERIFY(!chart->series().isEmpty());
    QCOMPARE(QString::fromLatin1(chart->series().first()->metaObject()->className()), seriesClass);
    // Every type shows the grid's values.
    QAbstractSeries *first = chart->series().first();
    if (auto *pie = qobject_cast<QPieSeries *>(first)) {
        QCOMPARE(pie->count(), 3);
        QCOMPARE(pie->slices()[1]->label(), QStringLiteral("Di"));
        QCOMPARE(pie->slices()[1]->value(), 20.0);
    } else if (auto *area = qobject_cast<QAreaSeries *>(first)) {
        QCOMPARE(chart->series().size(), 2);
        QCOMPARE(area->upperSeries()->at(1).y(), 20.0);
        auto *second = qobject_cast<QAreaSeries *>(chart->series()[1]);
        // Stacked areas start where the one below ends.
        QCOMPARE(second->upperSeries()->at(1).y(), type == TChartControl::StackedArea ? 22.5 : 2.5);
        QCOMPARE(categories(chart), (QStringList{"Mo", "Di", "Mi"}));
    } else if (auto *xy = qobject_cast<QXYSeries *>(first)) {
        QCOMPARE(chart->series().size(), 2);
        QCOMPARE(xy->count(), 3);
        QCOMPARE(xy->at(2).y(), 30.0);
        QCOMPARE(xy->name(), QStringLiteral("Dauer"));
        QCOMPARE(categories(chart), (QStringList{"Mo", "Di", "Mi"}));
    } else {
        QCOMPARE(barValues(chart, 1), (QList<qreal>{1.5, 2.5, 3.5}));
        QCOMPARE(categories(chart), (QStringList{"Mo", "Di", "Mi"}));
    }
    QVERIFY(!TChartControl::chartTypeName(type).isEmpty());
}

void TstTChartControl::unknownChartType_data() {
    QTest::addColumn<int>("type");
    QTest::newRow("0") << 0;
    QTest::newRow("12") << 12;
    QTest::newRow("-3") << -3;
    QTest::newRow("32767") << 32767;
}

void TstTChartControl::unknownChartType() {
    QFETCH(int, type);
    TChartControl c;
    feedPlain(c);
    c.setChartType(TChartControl::Pie);
    c.setChartType(type);
    QCOMPARE(c.chartType(), TChartControl::kDefaultChartType);
    QVERIFY(qobject_cast<QBarSeries *>(c.chart()->series().value(0)));
}

void TstTChartControl::copyPutsImageAndText() {
    TChartControl c;
    c.resize(400, 300);
    c.setGridSize(2, 1, 2, 2);
    c.setRowLabel(1, 2, QStringLiteral("2024"));
    c.setRowLabel(1, 1, QStringLiteral("52"));
    c.setRowLabel(2, 2, QStringLiteral("2025"));
    c.setRowLabel(2, 1, QStringLiteral("01"));
    c.setColumnLabel(1, 1, QStringLiteral("Dauer"));
    c.setColumnLabel(2, 1, QStringLiteral("Größe"));
    c.setData(1, 1, 1.5);
    c.setData(1, 2, 2);
    c.setData(2, 1, -3.25);
    c.setData(2, 2, 1000);
    QApplication::clipboard()->clear();
    QVERIFY(c.invoke(TChartControl::MethodCopy));
    const QMimeData *mime = QApplication::clipboard()->mimeData();
    QVERIFY(mime->hasImage());
    const QImage image = qvariant_cast<QImage>(mime->imageData());
    QCOMPARE(image.size(), QSize(640, 480));
    // The chart is drawn into it, not just a white page.
    int coloured = 0;
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < rgb.height(); y += 2)
        for (int x = 0; x < rgb.width(); x += 2)
            if (rgb.pixel(x, y) != qRgb(255, 255, 255))
                ++coloured;
    QVERIFY(coloured > 100);
    QCOMPARE(mime->text(), QStringLiteral("\t\tDauer\tGröße\n"
                                          "2024\t52\t1,5\t2\n"
                                          "2025\t01\t-3,25\t1000\n"));

    // What was copied pastes back into another chart as the same grid.
    TChartControl other;
    QVERIFY(other.invoke(TChartControl::MethodPaste));
    QCOMPARE(other.rowLabelLevels(), 2);
    QCOMPARE(other.columnLabelLevels(), 1);
    QCOMPARE(other.toTabSeparated(), mime->text());
    QCOMPARE(other.data(2, 1), -3.25);
    QCOMPARE(other.rowLabel(2, 2), QStringLiteral("2025"));

    // A chart on screen is copied at the size it is seen.
    c.show();
    QVERIFY(QTest::qWaitForWindowExposed(&c));
    c.copy();
    QCOMPARE(qvariant_cast<QImage>(QApplication::clipboard()->mimeData()->imageData()).size(),
             c.chartView()->viewport()->size());
}

void TstTChartControl::copyPasteKeepsWeekColumns() {
    // A cross table with a "Woche" X axis: two levels of column labels, all
    // of them numbers, which the text alone could not tell from values.
    TChartControl c;
    c.setGridSize(1, 2, 1, 2);
    c.setColumnText(1, QStringLiteral("202452"), true);
    c.setColumnText(2, QStringLiteral("202501"), true);
    c.setRowText(1, QStringLiteral("Lauf"), false);
    c.setData(1, 1, 3);
    c.setData(1, 2, 4);
    c.copy();
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("\t2024\t2025\n\t52\t01\nLauf\t3\t4\n"));
    TChartControl other;
    QVERIFY(other.paste());
    QCOMPARE(other.columnLabelLevels(), 2);
    QCOMPARE(other.rowCount(), 1);
    QCOMPARE(other.columnLabel(2, 2), QStringLiteral("2025"));
    QCOMPARE(other.columnLabel(2, 1), QStringLiteral("01"));
    QCOMPARE(other.data(1, 2), 4.0);
    auto *bars = qobject_cast<QBarSeries *>(other.chart()->series().value(0));
    QVERIFY(bars);
    QCOMPARE(bars->barSets()[1]->label(), QStringLiteral("01 2025"));
}

void TstTChartControl::pasteReplacesGrid() {
    TChartControl c;
    feedPlain(c);
    QSignalSpy edited(&c, &TChartControl::gridEdited);
    QApplication::clipboard()->setText(QStringLiteral("\tA\tB\tC\r\nx\t1\t2\t3\r\ny\t4,5\t\t6\r\n"));
    QVERIFY(c.paste());
    QCOMPARE(edited.count(), 1);
    QCOMPARE(c.rowCount(), 2);
    QCOMPARE(c.columnCount(), 3);
    QCOMPARE(c.data(2, 1), 4.5);
    QCOMPARE(c.data(2, 2), 0.0);
    QCOMPARE(c.columnLabel(3, 1), QStringLiteral("C"));
    QCOMPARE(c.rowLabel(2, 1), QStringLiteral("y"));
    QCOMPARE(categories(c.chart()), (QStringList{"x", "y"}));
    QCOMPARE(barValues(c.chart(), 2), (QList<qreal>{3, 6}));

    // Empty corner cells from a spreadsheet: the row labels are the year and
    // week, numbers as they are.
    QApplication::clipboard()->setText(QStringLiteral("\t\tUmfang\n2024\t52\t3\n2025\t01\t4\n"));
    QVERIFY(c.paste());
    QCOMPARE(c.rowLabelLevels(), 2);
    QCOMPARE(c.rowCount(), 2);
    QCOMPARE(c.columnCount(), 1);
    QCOMPARE(c.rowLabel(2, 2), QStringLiteral("2025"));
    QCOMPARE(c.rowLabel(2, 1), QStringLiteral("01"));
    QCOMPARE(c.data(2, 1), 4.0);

    // Numbers alone: a grid without labels, numbered on the chart.
    QApplication::clipboard()->setText(QStringLiteral("7\t8\n9\t10\n"));
    QVERIFY(c.paste());
    QCOMPARE(c.rowCount(), 2);
    QCOMPARE(c.data(2, 2), 10.0);
    QCOMPARE(categories(c.chart()), (QStringList{"1", "2"}));
}

void TstTChartControl::pasteRefusesNonNumbers() {
    MessageRecorder messages;
    TChartControl c;
    feedPlain(c);
    const QString before = c.toTabSeparated();
    for (const QString &text : {QStringLiteral("\tA\nx\t1\ny\tviel\n"), QStringLiteral("nur Text"), QString()}) {
        QApplication::clipboard()->setText(text);
        QVERIFY(!c.paste());
        QCOMPARE(c.toTabSeparated(), before);
    }
    QCOMPARE(messages.texts(MessageRecorder::Kind::Warning).size(), 3);
}

// The size of the PDF file the control prints.
qint64 printedSize(TChartControl &c, const QString &file) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(file);
    c.printTo(printer);
    QFile pdf(file);
    if (!pdf.open(QIODevice::ReadOnly) || !pdf.read(4).startsWith("%PDF"))
        return -1;
    return pdf.size();
}

void TstTChartControl::printsToPdf() {
    QTemporaryDir dir;
    TChartControl blank;
    const qint64 blankSize = printedSize(blank, dir.filePath(QStringLiteral("blank.pdf")));
    QVERIFY(blankSize > 0);
    TChartControl c;
    feedPlain(c);
    c.setTitle(QStringLiteral("Wochenumfang"));
    const qint64 size = printedSize(c, dir.filePath(QStringLiteral("chart.pdf")));
    // Bars, axes, labels and the title are on the page.
    QVERIFY(size > blankSize + 2000);
}

void TstTChartControl::dispatchIds() {
    TChartControl c;
    QVERIFY(!c.invoke(0));
    QVERIFY(!c.invoke(52));
    // Each dialog id opens its own dialog.
    const QList<QPair<int, QString>> dialogs = {{TChartControl::MethodWizard, "Diagramm-Assistent"},
                                                {TChartControl::MethodEditor, "Dateneditor"},
                                                {TChartControl::MethodLayout, "Diagrammeinstellungen"}};
    for (const auto &[id, caption] : dialogs) {
        QString seen;
        whenShown<QDialog>([&seen](QDialog &d) {
            seen = d.windowTitle();
            clickButton(d, "btnCancel");
        });
        QVERIFY(c.invoke(id));
        QCOMPARE(seen, caption);
    }
    // Printing asks for the printer first; cancelling prints nothing.
    QString seen;
    whenShown<QPrintDialog>([&seen](QPrintDialog &d) {
        seen = d.windowTitle();
        d.reject();
    });
    QVERIFY(!c.print());
    QCOMPARE(seen, QStringLiteral("Drucken"));
}

void TstTChartControl::wizardChoosesType() {
    TChartControl c;
    feedPlain(c);
    QSignalSpy changed(&c, &TChartControl::chartTypeChanged);
    whenShown<QDialog>([](QDialog &d) {
        QCOMPARE(control<QPushButton>(d, "btnCancel")->text(), QStringLiteral("Abbrechen"));
        auto *list = control<QListWidget>(d, "lstChartType");
        QCOMPARE(list->count(), 11);
        QCOMPARE(list->currentItem()->text(), QStringLiteral("Balken"));
        const QList<QListWidgetItem *> lines = list->findItems(QStringLiteral("Linien"), Qt::MatchExactly);
        QCOMPARE(lines.size(), 1);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(lines[0]).center());
        clickButton(d, "btnOK");
    });
    QVERIFY(c.chartWizard());
    QCOMPARE(c.chartType(), int(TChartControl::Line));
    QCOMPARE(changed.count(), 1);
    QVERIFY(qobject_cast<QLineSeries *>(c.chart()->series().value(0)));

    // A double click chooses as well.
    whenShown<QDialog>([](QDialog &d) {
        auto *list = control<QListWidget>(d, "lstChartType");
        QCOMPARE(list->currentItem()->text(), QStringLiteral("Linien"));
        QListWidgetItem *pie = list->findItems(QStringLiteral("Kreis"), Qt::MatchExactly).value(0);
        const QPoint at = list->visualItemRect(pie).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    });
    QVERIFY(c.chartWizard());
    QCOMPARE(c.chartType(), int(TChartControl::Pie));
}

void TstTChartControl::wizardCancelKeepsType() {
    TChartControl c;
    feedPlain(c);
    c.setChartType(TChartControl::StackedBar);
    bool wasOpen = false;
    whenShown<QDialog>([&wasOpen](QDialog &d) {
        auto *list = control<QListWidget>(d, "lstChartType");
        QListWidgetItem *pie = list->findItems(QStringLiteral("Kreis"), Qt::MatchExactly).value(0);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(pie).center());
        clickButton(d, "btnCancel");
        wasOpen = true;
        QVERIFY(!d.isVisible());
    });
    QVERIFY(!c.chartWizard());
    QVERIFY(wasOpen);
    QCOMPARE(c.chartType(), int(TChartControl::StackedBar));
}

void TstTChartControl::dataEditorChangesValue() {
    TChartControl c;
    c.setGridSize(2, 1, 2, 1);
    c.setRowLabel(1, 2, QStringLiteral("2024"));
    c.setRowLabel(1, 1, QStringLiteral("52"));
    c.setRowLabel(2, 2, QStringLiteral("2025"));
    c.setRowLabel(2, 1, QStringLiteral("01"));
    c.setColumnLabel(1, 1, QStringLiteral("Dauer"));
    c.setData(1, 1, 5);
    c.setData(2, 1, 6);
    QSignalSpy edited(&c, &TChartControl::gridEdited);
    whenShown<QDialog>([](QDialog &d) {
        QCOMPARE(d.windowTitle(), QStringLiteral("Dateneditor"));
        auto *grid = control<QTableWidget>(d, "tblData");
        // One label row, two label columns (year, week), then the values.
        QCOMPARE(grid->rowCount(), 3);
        QCOMPARE(grid->columnCount(), 3);
        QCOMPARE(grid->item(0, 2)->text(), QStringLiteral("Dauer"));
        QCOMPARE(grid->item(2, 0)->text(), QStringLiteral("2025"));
        QCOMPARE(grid->item(2, 1)->text(), QStringLiteral("01"));
        QCOMPARE(grid->item(2, 2)->text(), QStringLiteral("6"));
        typeCell(*grid, 2, 2, QStringLiteral("7,25"));
        typeCell(*grid, 0, 2, QStringLiteral("Zeit"));
        clickButton(d, "btnOK");
    });
    QVERIFY(c.dataEditor());
    QCOMPARE(edited.count(), 1);
    QCOMPARE(c.data(2, 1), 7.25);
    QCOMPARE(c.data(1, 1), 5.0);
    QCOMPARE(c.columnLabel(1, 1), QStringLiteral("Zeit"));
    QCOMPARE(c.rowLabel(2, 1), QStringLiteral("01"));
    QCOMPARE(barValues(c.chart(), 0), (QList<qreal>{5, 7.25}));
}

void TstTChartControl::dataEditorCancelKeepsValues() {
    TChartControl c;
    feedPlain(c);
    const QString before = c.toTabSeparated();
    bool closed = false;
    whenShown<QDialog>([&closed](QDialog &d) {
        auto *grid = control<QTableWidget>(d, "tblData");
        typeCell(*grid, 1, 1, QStringLiteral("99"));
        typeCell(*grid, 1, 0, QStringLiteral("So"));
        clickButton(d, "btnCancel");
        closed = !d.isVisible();
    });
    QVERIFY(!c.dataEditor());
    QVERIFY(closed);
    QCOMPARE(c.toTabSeparated(), before);
}

void TstTChartControl::dataEditorRefusesBadNumber() {
    MessageRecorder messages;
    TChartControl c;
    feedPlain(c);
    const QString before = c.toTabSeparated();
    bool stayedOpen = false;
    whenShown<QDialog>([&stayedOpen](QDialog &d) {
        auto *grid = control<QTableWidget>(d, "tblData");
        typeCell(*grid, 2, 2, QStringLiteral("zwei"));
        clickButton(d, "btnOK");
        // The typing stays for the user to mend.
        stayedOpen = d.isVisible() && grid->item(2, 2)->text() == QStringLiteral("zwei");
        clickButton(d, "btnCancel");
    });
    QVERIFY(!c.dataEditor());
    QVERIFY(stayedOpen);
    QCOMPARE(messages.texts(MessageRecorder::Kind::Error),
             QStringList{QStringLiteral("\"zwei\" ist keine gültige Zahl (Zeile 2, Spalte 2).")});
    QCOMPARE(c.toTabSeparated(), before);
}

void TstTChartControl::layoutDialogSetsTitleAndLegend() {
    TChartControl c;
    feedPlain(c);
    whenShown<QDialog>([](QDialog &d) {
        QCOMPARE(d.windowTitle(), QStringLiteral("Diagrammeinstellungen"));
        velmora::test::type(d, "edtTitle", QStringLiteral("Wochenumfang"));
        velmora::test::type(d, "edtCategoryAxis", QStringLiteral("Woche"));
        velmora::test::type(d, "edtValueAxis", QStringLiteral("Minuten"));
        auto *legend = control<QCheckBox>(d, "chkLegend");
        QVERIFY(legend->isChecked());
        QTest::mouseClick(legend, Qt::LeftButton, {}, QPoint(4, legend->height() / 2));
        QVERIFY(!control<QComboBox>(d, "cbxLegendPosition")->isEnabled());
        clickButton(d, "btnOK");
    });
    QVERIFY(c.layoutDialog());
    QCOMPARE(c.chart()->title(), QStringLiteral("Wochenumfang"));
    QVERIFY(!c.chart()->legend()->isVisible());
    QStringList axisTitles;
    for (QAbstractAxis *axis : c.chart()->axes())
        axisTitles << axis->titleText();
    axisTitles.sort();
    QCOMPARE(axisTitles, (QStringList{"Minuten", "Woche"}));

    // The layout outlives a new chart type and a new grid.
    c.setChartType(TChartControl::Line);
    feedPlain(c);
    QCOMPARE(c.chart()->title(), QStringLiteral("Wochenumfang"));

    // "Abbrechen" keeps the title.
    whenShown<QDialog>([](QDialog &d) {
        velmora::test::type(d, "edtTitle", QStringLiteral("anders"));
        clickButton(d, "btnCancel");
    });
    QVERIFY(!c.layoutDialog());
    QCOMPARE(c.chart()->title(), QStringLiteral("Wochenumfang"));
}

QTEST_MAIN(TstTChartControl)
#include "tst_tchartcontrol.moc"
