// The chart of the result window: class TChartControl draws a grid of values
// with Qt Charts and offers copy, paste, print and its own three dialogs.
#include "evaluation/TChartControl.h"

#include "base/GermanInput.h"
#include "base/Messages.h"

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
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QHorizontalBarSeries>
#include <QHorizontalStackedBarSeries>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QListWidget>
#include <QLocale>
#include <QMimeData>
#include <QPainter>
#include <QPercentBarSeries>
#include <QPieSeries>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScatterSeries>
#include <QSplineSeries>
#include <QStackedBarSeries>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>
#include <limits>
#include <memory>

namespace velmora {

namespace {

struct TypeName {
    int type;
    const char *name;
};

// The order the chart wizard lists them in.
constexpr TypeName kTypeNames[] = {
    {TChartControl::Bar, "Balken"},
    {TChartControl::StackedBar, "Balken gestapelt"},
    {TChartControl::PercentBar, "Balken 100 %"},
    {TChartControl::HorizontalBar, "Balken horizontal"},
    {TChartControl::HorizontalStackedBar, "Balken horizontal gestapelt"},
    {TChartControl::Line, "Linien"},
    {TChartControl::Spline, "Kurven"},
    {TChartControl::Area, "Flächen"},
    {TChartControl::StackedArea, "Flächen gestapelt"},
    {TChartControl::Scatter, "Punkte"},
    {TChartControl::Pie, "Kreis"},
};

constexpr int kMaxLevels = 2;
constexpr char kLevelsFormat[] = "application/x-velmora-chart-levels";

int clampLevels(int levels) {
    return std::clamp(levels, 1, kMaxLevels);
}

QString germanNumber(double value) {
    QLocale german(QLocale::German, QLocale::Germany);
    german.setNumberOptions(QLocale::OmitGroupSeparator);
    return german.toString(value, 'g', std::numeric_limits<double>::max_digits10 - 2);
}

// Gives the OK and cancel buttons of a dialog their German texts and names.
QDialogButtonBox *okCancel(QDialog &dialog) {
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QPushButton *ok = buttons->button(QDialogButtonBox::Ok);
    ok->setText(QStringLiteral("OK"));
    ok->setObjectName(QStringLiteral("btnOK"));
    QPushButton *cancel = buttons->button(QDialogButtonBox::Cancel);
    cancel->setText(QStringLiteral("Abbrechen"));
    cancel->setObjectName(QStringLiteral("btnCancel"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    return buttons;
}

} // namespace

TChartControl::TChartControl(QWidget *parent) : QWidget(parent) {
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_view = new QChartView(this);
    m_view->setObjectName(QStringLiteral("chartView"));
    m_view->setRenderHint(QPainter::Antialiasing);
    layout->addWidget(m_view);
    build();
}

TChartControl::~TChartControl() = default;

QList<int> TChartControl::chartTypes() {
    QList<int> types;
    for (const TypeName &t : kTypeNames)
        types << t.type;
    return types;
}

QString TChartControl::chartTypeName(int type) {
    for (const TypeName &t : kTypeNames)
        if (t.type == type)
            return QString::fromUtf8(t.name);
    return {};
}

void TChartControl::setChartType(int type) {
    if (chartTypeName(type).isEmpty())
        type = kDefaultChartType;
    if (type == m_chartType)
        return;
    m_chartType = type;
    scheduleBuild();
    emit chartTypeChanged(type);
}

void TChartControl::setGridSize(int rowLabelLevels, int columnLabelLevels, int rows, int columns) {
    m_rowLevels = clampLevels(rowLabelLevels);
    m_columnLevels = clampLevels(columnLabelLevels);
    m_rows = std::max(0, rows);
    m_columns = std::max(0, columns);
    m_values = QList<double>(qsizetype(m_rows) * m_columns, 0.0);
    m_rowLabels = QList<QStringList>(m_rowLevels, QStringList(QList<QString>(m_rows)));
    m_columnLabels = QList<QStringList>(m_columnLevels, QStringList(QList<QString>(m_columns)));
    scheduleBuild();
}

void TChartControl::setData(int row, int column, double value) {
    if (row < 1 || row > m_rows || column < 1 || column > m_columns)
        return;
    m_values[index(row, column)] = value;
    scheduleBuild();
}

void TChartControl::setRowLabel(int row, int level, const QString &text) {
    if (row < 1 || row > m_rows || level < 1 || level > m_rowLevels)
        return;
    m_rowLabels[level - 1][row - 1] = text;
    scheduleBuild();
}

void TChartControl::setColumnLabel(int column, int level, const QString &text) {
    if (column < 1 || column > m_columns || level < 1 || level > m_columnLevels)
        return;
    m_columnLabels[level - 1][column - 1] = text;
    scheduleBuild();
}

void TChartControl::setRowText(int row, const QString &text, bool isWeek) {
    if (!isWeek) {
        setRowLabel(row, 1, text);
        return;
    }
    setRowLabel(row, 2, text.left(4));
    setRowLabel(row, 1, text.mid(4, 2));
}

void TChartControl::setColumnText(int column, const QString &text, bool isWeek) {
    if (!isWeek) {
        setColumnLabel(column, 1, text);
        return;
    }
    setColumnLabel(column, 2, text.left(4));
    setColumnLabel(column, 1, text.mid(4, 2));
}

double TChartControl::data(int row, int column) const {
    if (row < 1 || row > m_rows || column < 1 || column > m_columns)
        return 0.0;
    return m_values[index(row, column)];
}

QString TChartControl::rowLabel(int row, int level) const {
    if (row < 1 || row > m_rows || level < 1 || level > m_rowLevels)
        return {};
    return m_rowLabels[level - 1][row - 1];
}

QString TChartControl::columnLabel(int column, int level) const {
    if (column < 1 || column > m_columns || level < 1 || level > m_columnLevels)
        return {};
    return m_columnLabels[level - 1][column - 1];
}

QString TChartControl::rowCaption(int row) const {
    QStringList parts;
    for (int level = 1; level <= m_rowLevels; ++level)
        if (!rowLabel(row, level).isEmpty())
            parts << rowLabel(row, level);
    return parts.isEmpty() ? QString::number(row) : parts.join(QLatin1Char('\n'));
}

QString TChartControl::columnCaption(int column) const {
    QStringList parts;
    for (int level = 1; level <= m_columnLevels; ++level)
        if (!columnLabel(column, level).isEmpty())
            parts << columnLabel(column, level);
    return parts.isEmpty() ? QString::number(column) : parts.join(QLatin1Char(' '));
}

void TChartControl::setTitle(const QString &title) {
    m_title = title;
    scheduleBuild();
}

void TChartControl::setLegendVisible(bool on) {
    m_legendVisible = on;
    scheduleBuild();
}

void TChartControl::setLegendAlignment(Qt::Alignment alignment) {
    if (alignment != Qt::AlignTop && alignment != Qt::AlignLeft && alignment != Qt::AlignRight)
        alignment = Qt::AlignBottom;
    m_legendAlignment = alignment;
    scheduleBuild();
}

void TChartControl::setCategoryAxisTitle(const QString &title) {
    m_categoryAxisTitle = title;
    scheduleBuild();
}

void TChartControl::setValueAxisTitle(const QString &title) {
    m_valueAxisTitle = title;
    scheduleBuild();
}

QChart *TChartControl::chart() {
    if (m_dirty)
        build();
    return m_view->chart();
}

// Feeding a grid sets hundreds of points one by one; the chart is built
// once, when the event loop comes back, or earlier when someone asks for it.
void TChartControl::scheduleBuild() {
    m_dirty = true;
    if (m_buildQueued)
        return;
    m_buildQueued = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_buildQueued = false;
            if (m_dirty)
                build();
        },
        Qt::QueuedConnection);
}

// Axis labels are rich text: a line break puts the week above its year,
// and a "<" in a label must stay a character.
// A category axis drops repeated names, which would shift every later row;
// an invisible mark keeps equal labels apart.
QStringList TChartControl::rowCategories() const {
    QStringList categories;
    for (int r = 1; r <= m_rows; ++r) {
        QString caption = rowCaption(r).toHtmlEscaped().replace(QLatin1Char('\n'), QLatin1String("<br>"));
        while (categories.contains(caption))
            caption += QChar(0x200B);
        categories << caption;
    }
    return categories;
}

void TChartControl::build() {
    m_dirty = false;
    auto chart = std::make_unique<QChart>();
    const QStringList categories = rowCategories();
    if (m_rows > 0 && m_columns > 0) {
        switch (m_chartType) {
        case Line:
        case Spline:
        case Scatter:
            buildLines(*chart, categories);
            break;
        case Area:
        case StackedArea:
            buildAreas(*chart, categories);
            break;
        case Pie:
            buildPie(*chart);
            break;
        default:
            buildBars(*chart, categories);
            break;
        }
    }
    applyLayout(*chart);
    QChart *old = m_view->chart();
    m_view->setChart(chart.release());
    delete old;
}

void TChartControl::buildBars(QChart &chart, const QStringList &categories) {
    QAbstractBarSeries *series = nullptr;
    const bool horizontal = m_chartType == HorizontalBar || m_chartType == HorizontalStackedBar;
    switch (m_chartType) {
    case StackedBar:
        series = new QStackedBarSeries;
        break;
    case PercentBar:
        series = new QPercentBarSeries;
        break;
    case HorizontalBar:
        series = new QHorizontalBarSeries;
        break;
    case HorizontalStackedBar:
        series = new QHorizontalStackedBarSeries;
        break;
    default:
        series = new QBarSeries;
        break;
    }
    for (int c = 1; c <= m_columns; ++c) {
        auto *set = new QBarSet(columnCaption(c));
        for (int r = 1; r <= m_rows; ++r)
            set->append(data(r, c));
        series->append(set);
    }
    chart.addSeries(series);
    auto *categoryAxis = new QBarCategoryAxis;
    categoryAxis->append(categories);
    auto *valueAxis = new QValueAxis;
    chart.addAxis(categoryAxis, horizontal ? Qt::AlignLeft : Qt::AlignBottom);
    chart.addAxis(valueAxis, horizontal ? Qt::AlignBottom : Qt::AlignLeft);
    series->attachAxis(categoryAxis);
    series->attachAxis(valueAxis);
    if (m_chartType != PercentBar)
        valueAxis->applyNiceNumbers();
}

void TChartControl::buildLines(QChart &chart, const QStringList &categories) {
    auto *categoryAxis = new QBarCategoryAxis;
    categoryAxis->append(categories);
    auto *valueAxis = new QValueAxis;
    chart.addAxis(categoryAxis, Qt::AlignBottom);
    chart.addAxis(valueAxis, Qt::AlignLeft);
    double low = 0.0;
    double high = 0.0;
    for (int c = 1; c <= m_columns; ++c) {
        QXYSeries *series = nullptr;
        if (m_chartType == Spline)
            series = new QSplineSeries;
        else if (m_chartType == Scatter)
            series = new QScatterSeries;
        else
            series = new QLineSeries;
        series->setName(columnCaption(c));
        for (int r = 1; r <= m_rows; ++r) {
            series->append(r - 1, data(r, c));
            low = std::min(low, data(r, c));
            high = std::max(high, data(r, c));
        }
        chart.addSeries(series);
        series->attachAxis(categoryAxis);
        series->attachAxis(valueAxis);
    }
    valueAxis->setRange(low, high > low ? high : low + 1.0);
    valueAxis->applyNiceNumbers();
}

void TChartControl::buildAreas(QChart &chart, const QStringList &categories) {
    auto *categoryAxis = new QBarCategoryAxis;
    categoryAxis->append(categories);
    auto *valueAxis = new QValueAxis;
    chart.addAxis(categoryAxis, Qt::AlignBottom);
    chart.addAxis(valueAxis, Qt::AlignLeft);
    const bool stacked = m_chartType == StackedArea;
    QList<double> base(m_rows, 0.0);
    double low = 0.0;
    double high = 0.0;
    for (int c = 1; c <= m_columns; ++c) {
        auto *area = new QAreaSeries;
        auto *upper = new QLineSeries(area);
        auto *lower = new QLineSeries(area);
        for (int r = 1; r <= m_rows; ++r) {
            const double bottom = stacked ? base[r - 1] : 0.0;
            const double top = bottom + data(r, c);
            lower->append(r - 1, bottom);
            upper->append(r - 1, top);
            base[r - 1] = top;
            low = std::min({low, bottom, top});
            high = std::max({high, bottom, top});
        }
        area->setUpperSeries(upper);
        area->setLowerSeries(lower);
        area->setName(columnCaption(c));
        // Areas drawn from zero hide each other; the later ones let the
        // earlier ones show through.
        if (!stacked) {
            QColor fill = area->color();
            fill.setAlpha(160);
            area->setColor(fill);
        }
        chart.addSeries(area);
        area->attachAxis(categoryAxis);
        area->attachAxis(valueAxis);
    }
    valueAxis->setRange(low, high > low ? high : low + 1.0);
    valueAxis->applyNiceNumbers();
}

void TChartControl::buildPie(QChart &chart) {
    auto *series = new QPieSeries;
    series->setName(columnCaption(1));
    for (int r = 1; r <= m_rows; ++r)
        series->append(rowCaption(r).replace(QLatin1Char('\n'), QLatin1Char(' ')), data(r, 1));
    chart.addSeries(series);
}

void TChartControl::applyLayout(QChart &chart) {
    chart.setLocale(QLocale(QLocale::German, QLocale::Germany));
    chart.setLocalizeNumbers(true);
    chart.setTitle(m_title);
    chart.legend()->setVisible(m_legendVisible);
    chart.legend()->setAlignment(m_legendAlignment);
    for (QAbstractAxis *axis : chart.axes())
        axis->setTitleText(qobject_cast<QBarCategoryAxis *>(axis) ? m_categoryAxisTitle : m_valueAxisTitle);
}

bool TChartControl::invoke(int dispatchId) {
    switch (dispatchId) {
    case MethodPaste:
        paste();
        return true;
    case MethodCopy:
        copy();
        return true;
    case MethodLayout:
        layoutDialog();
        return true;
    case MethodPrint:
        print();
        return true;
    case MethodWizard:
        chartWizard();
        return true;
    case MethodEditor:
        dataEditor();
        return true;
    default:
        return false;
    }
}

QString TChartControl::toTabSeparated() const {
    QStringList lines;
    for (int level = m_columnLevels; level >= 1; --level) {
        QStringList cells(m_rowLevels);
        for (int c = 1; c <= m_columns; ++c)
            cells << columnLabel(c, level);
        lines << cells.join(QLatin1Char('\t'));
    }
    for (int r = 1; r <= m_rows; ++r) {
        QStringList cells;
        for (int level = m_rowLevels; level >= 1; --level)
            cells << rowLabel(r, level);
        for (int c = 1; c <= m_columns; ++c)
            cells << germanNumber(data(r, c));
        lines << cells.join(QLatin1Char('\t'));
    }
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

void TChartControl::copy() {
    auto *mime = new QMimeData;
    const QSize size = renderSize();
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        renderChart(painter, QRectF(QPointF(0, 0), size));
    }
    mime->setImageData(image);
    mime->setText(toTabSeparated());
    mime->setData(QLatin1String(kLevelsFormat),
                  QByteArray::number(m_rowLevels) + ' ' + QByteArray::number(m_columnLevels));
    QApplication::clipboard()->setMimeData(mime);
}

bool TChartControl::paste() {
    const QMimeData *mime = QApplication::clipboard()->mimeData();
    // Our own copies say how many label levels they have; week labels are
    // numbers and could not be told from values otherwise.
    int rowLevels = 0;
    int columnLevels = 0;
    if (mime && mime->hasFormat(QLatin1String(kLevelsFormat))) {
        const QList<QByteArray> levels = mime->data(QLatin1String(kLevelsFormat)).split(' ');
        if (levels.size() == 2) {
            rowLevels = levels[0].toInt();
            columnLevels = levels[1].toInt();
        }
    }
    if (!mime || !mime->hasText() || !fromTabSeparated(mime->text(), rowLevels, columnLevels)) {
        Messages::warning(QStringLiteral("Die Zwischenablage enthält keine Tabelle mit Zahlen."));
        return false;
    }
    return true;
}

// Reads a table as copy() writes it or as a spreadsheet gives it. Without
// given levels: empty cells leading the first line mark it as the column
// labels and as many columns as row labels; without such a corner, leading
// rows and columns holding no number are the labels (at most two levels
// each). The rest must be numbers; nothing changes when it is not such a table.
bool TChartControl::fromTabSeparated(const QString &text, int rowLevels, int columnLevels) {
    QList<QStringList> table;
    for (QString line : text.split(QLatin1Char('\n'))) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        table << line.split(QLatin1Char('\t'));
    }
    while (!table.isEmpty() && table.last().join(QString()).trimmed().isEmpty())
        table.removeLast();
    if (table.isEmpty())
        return false;
    int width = 0;
    for (const QStringList &row : table)
        width = std::max(width, int(row.size()));
    for (QStringList &row : table)
        while (row.size() < width)
            row << QString();
    const auto isNumber = [](const QString &cell) {
        return !cell.trimmed().isEmpty() && ParseGermanNumber(cell.trimmed()).has_value();
    };
    int labelRows = 0;
    int labelColumns = 0;
    if (rowLevels > 0 && columnLevels > 0) {
        labelRows = std::min(clampLevels(columnLevels), int(table.size()) - 1);
        labelColumns = std::min(clampLevels(rowLevels), width - 1);
    } else {
        int corner = 0;
        while (corner < kMaxLevels && corner < width - 1 && table[0][corner].trimmed().isEmpty())
            ++corner;
        if (corner > 0 && table.size() > 1) {
            // Empty corner cells: the first line holds the column labels and
            // the empty cells stand above the row labels, numbers or not.
            labelColumns = corner;
            labelRows = 1;
            const auto emptyLead = [corner](const QStringList &row) {
                return std::all_of(row.begin(), row.begin() + corner,
                                   [](const QString &c) { return c.trimmed().isEmpty(); });
            };
            if (table.size() > 2 && emptyLead(table[1]) &&
                std::none_of(table[1].begin() + corner, table[1].end(), isNumber))
                labelRows = 2;
        } else {
            // Leading rows and columns without any number are labels.
            while (labelRows < kMaxLevels && labelRows < int(table.size()) &&
                   std::none_of(table[labelRows].begin(), table[labelRows].end(), isNumber))
                ++labelRows;
            while (labelColumns < kMaxLevels && labelColumns < width) {
                bool textOnly = true;
                for (int r = labelRows; r < table.size() && textOnly; ++r)
                    textOnly = !isNumber(table[r][labelColumns]);
                if (!textOnly)
                    break;
                ++labelColumns;
            }
        }
    }
    const int rows = int(table.size()) - labelRows;
    const int columns = width - labelColumns;
    if (rows < 1 || columns < 1)
        return false;
    QList<double> values;
    for (int r = labelRows; r < table.size(); ++r)
        for (int c = labelColumns; c < width; ++c) {
            const QString cell = table[r][c].trimmed();
            if (cell.isEmpty()) {
                values << 0.0;
                continue;
            }
            const std::optional<double> value = ParseGermanNumber(cell);
            if (!value)
                return false;
            values << *value;
        }
    setGridSize(std::max(1, labelColumns), std::max(1, labelRows), rows, columns);
    m_values = values;
    // Outer levels come first in the text, level 1 last.
    for (int level = 1; level <= labelColumns; ++level)
        for (int r = 1; r <= rows; ++r)
            setRowLabel(r, level, table[labelRows + r - 1][labelColumns - level].trimmed());
    for (int level = 1; level <= labelRows; ++level)
        for (int c = 1; c <= columns; ++c)
            setColumnLabel(c, level, table[labelRows - level][labelColumns + c - 1].trimmed());
    emit gridEdited();
    return true;
}

bool TChartControl::print() {
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, this);
    dialog.setWindowTitle(QStringLiteral("Drucken"));
    if (dialog.exec() != QDialog::Accepted)
        return false;
    printTo(printer);
    return true;
}

// The size the chart has on screen; a control not shown yet draws at a
// common window size.
QSize TChartControl::renderSize() const {
    return m_view->isVisible() && !m_view->viewport()->size().isEmpty() ? m_view->viewport()->size() : QSize(640, 480);
}

// Draws the chart's scene rather than the view: a view not shown has not
// laid out its chart and would give an empty picture.
void TChartControl::renderChart(QPainter &painter, const QRectF &target) {
    QChart *shown = chart();
    const QSize size = renderSize();
    if (shown->size() != QSizeF(size))
        shown->resize(size);
    // The chart lays out its axes and legend on the posted layout request.
    QCoreApplication::sendPostedEvents(shown, QEvent::LayoutRequest);
    painter.setRenderHint(QPainter::Antialiasing);
    shown->scene()->render(&painter, target, shown->geometry());
}

void TChartControl::printTo(QPrinter &printer) {
    QPainter painter;
    if (!painter.begin(&printer)) {
        Messages::error(QStringLiteral("Das Diagramm konnte nicht gedruckt werden."));
        return;
    }
    const QRect page = painter.viewport();
    // Laid out at screen size and scaled to the page, so that fonts and
    // lines keep their proportions on a high-resolution printer.
    QSize size = renderSize();
    size.scale(page.size(), Qt::KeepAspectRatio);
    renderChart(painter, QRectF(page.topLeft(), size));
    painter.end();
}

bool TChartControl::chartWizard() {
    QDialog dialog(this);
    dialog.setObjectName(QStringLiteral("TChartWizard"));
    dialog.setWindowTitle(QStringLiteral("Diagramm-Assistent"));
    auto *layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel(QStringLiteral("Diagrammtyp:"), &dialog));
    auto *list = new QListWidget(&dialog);
    list->setObjectName(QStringLiteral("lstChartType"));
    for (const TypeName &t : kTypeNames) {
        auto *item = new QListWidgetItem(QString::fromUtf8(t.name), list);
        item->setData(Qt::UserRole, t.type);
        if (t.type == m_chartType)
            list->setCurrentItem(item);
    }
    layout->addWidget(list);
    QDialogButtonBox *buttons = okCancel(dialog);
    layout->addWidget(buttons);
    QObject::connect(list, &QListWidget::itemDoubleClicked, &dialog, &QDialog::accept);
    if (dialog.exec() != QDialog::Accepted || !list->currentItem())
        return false;
    setChartType(list->currentItem()->data(Qt::UserRole).toInt());
    return true;
}

bool TChartControl::dataEditor() {
    QDialog dialog(this);
    dialog.setObjectName(QStringLiteral("TChartDataEditor"));
    dialog.setWindowTitle(QStringLiteral("Dateneditor"));
    auto *layout = new QVBoxLayout(&dialog);
    // Label rows on top and label columns on the left, the outer level
    // first, as the copied text has them.
    auto *grid = new QTableWidget(m_columnLevels + m_rows, m_rowLevels + m_columns, &dialog);
    grid->setObjectName(QStringLiteral("tblData"));
    grid->horizontalHeader()->setVisible(false);
    grid->verticalHeader()->setVisible(false);
    const auto cell = [grid](int r, int c, const QString &text, bool editable) {
        auto *item = new QTableWidgetItem(text);
        if (!editable)
            item->setFlags(Qt::ItemIsEnabled);
        grid->setItem(r, c, item);
    };
    for (int r = 0; r < m_columnLevels; ++r)
        for (int c = 0; c < m_rowLevels; ++c)
            cell(r, c, QString(), false);
    for (int level = 1; level <= m_columnLevels; ++level)
        for (int c = 1; c <= m_columns; ++c)
            cell(m_columnLevels - level, m_rowLevels + c - 1, columnLabel(c, level), true);
    for (int r = 1; r <= m_rows; ++r) {
        for (int level = 1; level <= m_rowLevels; ++level)
            cell(m_columnLevels + r - 1, m_rowLevels - level, rowLabel(r, level), true);
        for (int c = 1; c <= m_columns; ++c)
            cell(m_columnLevels + r - 1, m_rowLevels + c - 1, germanNumber(data(r, c)), true);
    }
    layout->addWidget(grid);
    QDialogButtonBox *buttons = okCancel(dialog);
    layout->addWidget(buttons);
    dialog.resize(640, 420);

    // OK takes the values only when every cell is a number; a wrong cell is
    // named and the dialog stays open with the typing kept.
    QList<double> values;
    QObject::disconnect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, [&] {
        values.clear();
        for (int r = 1; r <= m_rows; ++r)
            for (int c = 1; c <= m_columns; ++c) {
                const QString text = grid->item(m_columnLevels + r - 1, m_rowLevels + c - 1)->text().trimmed();
                if (text.isEmpty()) {
                    values << 0.0;
                    continue;
                }
                const std::optional<double> value = ParseGermanNumber(text);
                if (!value) {
                    Messages::error(
                        QStringLiteral("\"%1\" ist keine gültige Zahl (Zeile %2, Spalte %3).").arg(text).arg(r).arg(c));
                    grid->setCurrentCell(m_columnLevels + r - 1, m_rowLevels + c - 1);
                    return;
                }
                values << *value;
            }
        dialog.accept();
    });
    if (dialog.exec() != QDialog::Accepted)
        return false;
    m_values = values;
    for (int level = 1; level <= m_columnLevels; ++level)
        for (int c = 1; c <= m_columns; ++c)
            m_columnLabels[level - 1][c - 1] = grid->item(m_columnLevels - level, m_rowLevels + c - 1)->text();
    for (int level = 1; level <= m_rowLevels; ++level)
        for (int r = 1; r <= m_rows; ++r)
            m_rowLabels[level - 1][r - 1] = grid->item(m_columnLevels + r - 1, m_rowLevels - level)->text();
    scheduleBuild();
    emit gridEdited();
    return true;
}

bool TChartControl::layoutDialog() {
    QDialog dialog(this);
    dialog.setObjectName(QStringLiteral("TChartLayout"));
    dialog.setWindowTitle(QStringLiteral("Diagrammeinstellungen"));
    auto *form = new QFormLayout(&dialog);
    auto *title = new QLineEdit(m_title, &dialog);
    title->setObjectName(QStringLiteral("edtTitle"));
    form->addRow(QStringLiteral("&Titel:"), title);
    auto *categoryTitle = new QLineEdit(m_categoryAxisTitle, &dialog);
    categoryTitle->setObjectName(QStringLiteral("edtCategoryAxis"));
    form->addRow(QStringLiteral("&Rubrikenachse:"), categoryTitle);
    auto *valueTitle = new QLineEdit(m_valueAxisTitle, &dialog);
    valueTitle->setObjectName(QStringLiteral("edtValueAxis"));
    form->addRow(QStringLiteral("&Größenachse:"), valueTitle);
    auto *legend = new QCheckBox(QStringLiteral("&Legende anzeigen"), &dialog);
    legend->setObjectName(QStringLiteral("chkLegend"));
    legend->setChecked(m_legendVisible);
    form->addRow(QString(), legend);
    auto *position = new QComboBox(&dialog);
    position->setObjectName(QStringLiteral("cbxLegendPosition"));
    const QList<QPair<QString, Qt::Alignment>> positions = {{QStringLiteral("Unten"), Qt::AlignBottom},
                                                            {QStringLiteral("Oben"), Qt::AlignTop},
                                                            {QStringLiteral("Links"), Qt::AlignLeft},
                                                            {QStringLiteral("Rechts"), Qt::AlignRight}};
    for (const auto &[name, alignment] : positions) {
        position->addItem(name, int(alignment));
        if (alignment == m_legendAlignment)
            position->setCurrentIndex(position->count() - 1);
    }
    position->setEnabled(legend->isChecked());
    QObject::connect(legend, &QCheckBox::toggled, position, &QWidget::setEnabled);
    form->addRow(QStringLiteral("Legende &Position:"), position);
    form->addRow(okCancel(dialog));
    if (dialog.exec() != QDialog::Accepted)
        return false;
    m_title = title->text();
    m_categoryAxisTitle = categoryTitle->text();
    m_valueAxisTitle = valueTitle->text();
    m_legendVisible = legend->isChecked();
    m_legendAlignment = Qt::Alignment(position->currentData().toInt());
    scheduleBuild();
    return true;
}

} // namespace velmora
