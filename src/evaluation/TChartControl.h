#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QWidget>

class QChart;
class QChartView;
class QPainter;
class QPrinter;

namespace velmora {

// The chart of the evaluation result window: a grid of values (rows x
// columns, counted from 1) with one or two label levels on each axis,
// drawn with Qt Charts. Rows are the categories along the axis, columns the
// data series. Level 1 is the inner label (the week of a "Woche" value),
// level 2 the outer one (its year).
//
// Chart type numbers, stored per evaluation in `Diagrammeinstellung`; an
// unknown number shows the default, type 1:
//   1  Balken                    bars side by side per row
//   2  Balken gestapelt          one stacked bar per row
//   3  Balken 100 %              stacked bars scaled to 100 %
//   4  Balken horizontal         bars side by side, lying
//   5  Balken horizontal gestapelt
//   6  Linien                    one line per column
//   7  Kurven                    smoothed lines
//   8  Flächen                   one area per column, each from zero
//   9  Flächen gestapelt         areas on top of each other
//   10 Punkte                    scatter
//   11 Kreis                     pie of the first column, one slice per row
class TChartControl : public QWidget {
    Q_OBJECT
public:
    enum ChartType {
        Bar = 1,
        StackedBar = 2,
        PercentBar = 3,
        HorizontalBar = 4,
        HorizontalStackedBar = 5,
        Line = 6,
        Spline = 7,
        Area = 8,
        StackedArea = 9,
        Scatter = 10,
        Pie = 11,
    };
    static constexpr int kDefaultChartType = Bar;

    // The methods the result window binds its commands to, by their
    // dispatch ids.
    enum Method {
        MethodPaste = 49,
        MethodCopy = 50,
        MethodLayout = 51,
        MethodPrint = 54,
        MethodWizard = 68,
        MethodEditor = 69
    };

    explicit TChartControl(QWidget *parent = nullptr);
    ~TChartControl() override;

    static QList<int> chartTypes();
    // The German name the chart wizard lists; empty for an unknown number.
    static QString chartTypeName(int type);

    // An unknown number is kept out: the default type is set instead.
    void setChartType(int type);
    int chartType() const { return m_chartType; }

    // Clears the grid and its labels; values start at 0. Label levels are 1 or 2.
    void setGridSize(int rowLabelLevels, int columnLabelLevels, int rows, int columns);
    // Out-of-range positions are ignored, as the grid does not grow by them.
    void setData(int row, int column, double value);
    void setRowLabel(int row, int level, const QString &text);
    void setColumnLabel(int column, int level, const QString &text);

    // A label as the result gives it: a week written as six digits (year *
    // 100 + week) goes to level 2 as its characters 1 to 4 (the year) and to
    // level 1 as its characters 5 and 6 (the week); any other text to level 1.
    void setRowText(int row, const QString &text, bool isWeek);
    void setColumnText(int column, const QString &text, bool isWeek);

    int rowCount() const { return m_rows; }
    int columnCount() const { return m_columns; }
    int rowLabelLevels() const { return m_rowLevels; }
    int columnLabelLevels() const { return m_columnLevels; }
    double data(int row, int column) const;
    QString rowLabel(int row, int level) const;
    QString columnLabel(int column, int level) const;
    // The label as the chart shows it: the levels from inner to outer, one
    // per line; the row or column number when it has no label.
    QString rowCaption(int row) const;
    QString columnCaption(int column) const;

    // Layout, kept across new grids and chart types.
    void setTitle(const QString &title);
    QString title() const { return m_title; }
    void setLegendVisible(bool on);
    bool legendVisible() const { return m_legendVisible; }
    // Qt::AlignBottom, AlignTop, AlignLeft or AlignRight.
    void setLegendAlignment(Qt::Alignment alignment);
    Qt::Alignment legendAlignment() const { return m_legendAlignment; }
    void setCategoryAxisTitle(const QString &title);
    QString categoryAxisTitle() const { return m_categoryAxisTitle; }
    void setValueAxisTitle(const QString &title);
    QString valueAxisTitle() const { return m_valueAxisTitle; }

    // The chart as drawn now (built first when the grid or type changed).
    QChart *chart();
    QChartView *chartView() const { return m_view; }

    // Runs one of the methods above; false for an unknown id.
    bool invoke(int dispatchId);
    // The chart as an image and the grid as tab-separated text.
    void copy();
    // Takes a tab-separated table from the clipboard as the new grid; leading
    // rows and columns of text are its labels. False, with a message, when
    // the clipboard holds no such table.
    bool paste();
    // The grid with its labels as tab-separated lines; the corner cells are empty.
    QString toTabSeparated() const;
    // Levels 0: found from the text (see the source).
    bool fromTabSeparated(const QString &text, int rowLevels = 0, int columnLevels = 0);
    // Asks for a printer and prints; false when cancelled.
    bool print();
    void printTo(QPrinter &printer);
    // The three dialogs; true when they ended with OK.
    bool chartWizard();
    bool dataEditor();
    bool layoutDialog();

signals:
    void chartTypeChanged(int type);
    // The grid was changed by the user (paste, data editor).
    void gridEdited();

private:
    int index(int row, int column) const { return (row - 1) * m_columns + (column - 1); }
    void scheduleBuild();
    void build();
    void buildBars(QChart &chart, const QStringList &categories);
    void buildLines(QChart &chart, const QStringList &categories);
    void buildAreas(QChart &chart, const QStringList &categories);
    void buildPie(QChart &chart);
    void applyLayout(QChart &chart);
    QStringList rowCategories() const;
    QSize renderSize() const;
    void renderChart(QPainter &painter, const QRectF &target);

    QChartView *m_view = nullptr;
    int m_chartType = kDefaultChartType;
    int m_rowLevels = 1;
    int m_columnLevels = 1;
    int m_rows = 0;
    int m_columns = 0;
    QList<double> m_values;
    // Per level (index 0 = level 1) the labels of all rows or columns.
    QList<QStringList> m_rowLabels;
    QList<QStringList> m_columnLabels;
    QString m_title;
    QString m_categoryAxisTitle;
    QString m_valueAxisTitle;
    bool m_legendVisible = true;
    Qt::Alignment m_legendAlignment = Qt::AlignBottom;
    bool m_dirty = true;
    bool m_buildQueued = false;
};

} // namespace velmora
