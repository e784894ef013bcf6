#include "print/DiaryPrintLayout.h"

#include "base/Errors.h"
#include "design/TTREList.h"
#include "store/Cursor.h"
#include "store/Query.h"
#include "store/Values.h"

#include <QFontMetrics>
#include <QPagedPaintDevice>
#include <QRegularExpression>
#include <QSignalBlocker>

namespace velmora {

const QString DiaryPrintLayout::kQueryNotInitialized = QStringLiteral("QUERY NOT INITIALIZED");

namespace {

// Puts the diary's list back on the row it showed, whatever happens during
// the print.
class RowKeeper {
public:
    explicit RowKeeper(Cursor &c) : m_cursor(c), m_row(c.recNo()) {}
    ~RowKeeper() {
        try {
            if (m_row >= 0 && m_cursor.isOpen())
                m_cursor.moveTo(m_row);
        } catch (...) {
        }
    }
    RowKeeper(const RowKeeper &) = delete;
    RowKeeper &operator=(const RowKeeper &) = delete;

private:
    Cursor &m_cursor;
    int m_row;
};

QStringList memoLines(const QString &text) {
    static const QRegularExpression breaks(QStringLiteral("\r\n|\r|\n"));
    return text.split(breaks);
}

} // namespace

DiaryPrintLayout::DiaryPrintLayout(TTREList &elements) : m_elements(elements) {}

void DiaryPrintLayout::SetSource(const QString &title, Cursor *entries) {
    m_title = title;
    m_entries = entries;
}

QString DiaryPrintLayout::BlankLeadingZeros(const QString &text) {
    if (text.startsWith(QLatin1String("00:0")))
        return QString(4, QLatin1Char(' ')) + text.mid(4);
    if (text.startsWith(QLatin1String("00:")))
        return QString(3, QLatin1Char(' ')) + text.mid(3);
    if (text.startsWith(QLatin1Char('0')))
        return QLatin1Char(' ') + text.mid(1);
    return text;
}

int DiaryPrintLayout::Print(QPagedPaintDevice &device) {
    if (!m_entries)
        throw VelmoraError(kQueryNotInitialized);
    Cursor &entries = *m_entries;
    if (!entries.isOpen())
        entries.open();
    // The diary window follows its list's moves with its entry view; the
    // print walks the list and comes back, which the window need not see.
    const QSignalBlocker quiet(&entries);
    RowKeeper keeper(entries);

    m_values.clear();
    {
        Query values(entries.database(), QStringLiteral("select ValueNr, \"Value\" from TRVALUE"));
        values.open();
        for (values.first(); !values.eof(); values.next())
            m_values.insert(values.value(0).toInt(), values.value(1).toString());
    }

    entries.first();
    m_device = &device;
    if (!m_painter.begin(&device))
        throw VelmoraError(QStringLiteral("Der Drucker kann nicht beginnen."));
    try {
        m_page = 0;
        m_lastWeekday.clear();
        m_lastWeek = entries.eof() ? QString() : entries.asString(QStringLiteral("Woche"));
        m_inHeader = false;
        useHeaderFont();
        m_indent = m_painter.fontMetrics().horizontalAdvance(QStringLiteral("XXX")) + kLeft;
        m_lineHeight = m_painter.fontMetrics().height();
        newPage(true);
        for (; !entries.eof(); entries.next())
            printEntry();
    } catch (...) {
        m_painter.end();
        m_device = nullptr;
        throw;
    }
    m_painter.end();
    m_device = nullptr;
    return m_page;
}

void DiaryPrintLayout::printEntry() {
    Cursor &e = *m_entries;
    useHeaderFont();
    const QString weekday = e.asString(QStringLiteral("Wochentag"));
    const QString week = e.asString(QStringLiteral("Woche"));
    if (weekday != m_lastWeekday || week != m_lastWeek) {
        m_lastWeek = week;
        out(weekday);
        m_lastWeekday = weekday;
    }
    const QDate day = e.asDateTime(QStringLiteral("Datum")).date();
    out(day.toString(QStringLiteral("dd.MM.yyyy")).left(5), m_indent, 5);
    // The description follows the date on its line, its further lines
    // aligned below the first.
    const int descriptionColumn = m_x;
    const QString description = e.asString(QStringLiteral("Beschreibung"));
    if (description.isEmpty()) {
        // Without this line end the first block row would be printed over
        // the date.
        newLine();
    } else {
        for (const QString &line : memoLines(description))
            out(line, descriptionColumn, -1, true);
    }

    const int formularNr = e.asInt(QStringLiteral("FormularNr"));
    const int serienNr = e.asInt(QStringLiteral("SerienNr"));
    const int trNr = e.asInt(QStringLiteral("TrNr"));
    std::vector<Block> blocks;
    {
        Query q(e.database(), QStringLiteral("select TRuseTBL.TableNr, TRTABLE.Filename, TRTABLE.Grid, TRTABLE.Client "
                                             "from TRuseTBL, TRTABLE "
                                             "where (TRuseTBL.FormularNr = :FormularNr) and (TRuseTBL.TableNr > 0) "
                                             "and (TRTABLE.TableNr = TRuseTBL.TableNr) "
                                             "order by TRuseTBL.\"Order\""));
        q.setParam(QStringLiteral("FormularNr"), formularNr);
        q.open();
        for (q.first(); !q.eof(); q.next())
            blocks.push_back({q.value(0).toInt(), q.value(1).toString(), q.value(2).toBool(), q.value(3).toBool()});
    }
    for (const Block &b : blocks)
        printBlock(b, formularNr, serienNr, trNr);
}

void DiaryPrintLayout::printBlock(const Block &block, int formularNr, int serienNr, int trNr) {
    std::vector<TTREListEntry *> fields;
    for (TTREListEntry *el : m_elements.BlockElements(formularNr, block.tableNr))
        if (el->Print)
            fields.push_back(el);

    Query rows(m_entries->database(),
               QStringLiteral("select * from \"%1\" where (SerienNr = :SerienNr) and "
                              "(TrNr = :TrNr) order by \"Order\"")
                   .arg(QString(block.filename).replace(QLatin1Char('"'), QLatin1String("\"\""))));
    rows.setParam(QStringLiteral("SerienNr"), serienNr);
    rows.setParam(QStringLiteral("TrNr"), trNr);
    rows.open();

    if (block.grid) {
        useHeaderFont();
        m_x = m_indent;
        for (const TTREListEntry *f : fields)
            out(f->Prefix, -1, f->DisplayWidth);
        useBodyFont();
        newLine();
    }
    const bool labelled = !block.grid && !block.client;

    for (rows.first(); !rows.eof(); rows.next()) {
        useBodyFont();
        m_x = m_indent;
        for (const TTREListEntry *f : fields) {
            const int column = rows.fieldIndex(f->Feldname);
            const QVariant value = column >= 0 ? rows.value(column) : QVariant();
            const QString display = column >= 0 ? displayText(value, rows.fields()[size_t(column)].type) : QString();
            const bool memo = f->Typ == QLatin1Char('M');
            const QString text = fieldText(*f, value, display);
            if (memo) {
                if (!text.isEmpty())
                    printLines(text);
                else
                    out(QString(), -1, f->DisplayWidth);
            } else if (labelled && !text.isEmpty()) {
                out(f->Prefix, -1, int(f->Prefix.size()) + 1);
                useHeaderFont();
                out(text, -1, int(text.size()));
                useBodyFont();
                out(f->Postfix, -1, int(f->Postfix.size()));
            } else {
                out(text, -1, f->DisplayWidth);
            }
        }
        newLine();
    }
    rule(m_indent, m_device->width() - kLeft);
}

QString DiaryPrintLayout::fieldText(const TTREListEntry &element, const QVariant &value, const QString &display) const {
    if (element.Typ == QLatin1Char('X')) {
        if (value.isNull() || !value.isValid())
            return {};
        return m_values.value(value.toInt());
    }
    return display;
}

void DiaryPrintLayout::printLines(const QString &text) {
    for (const QString &line : memoLines(text))
        out(line, m_indent, -1, true);
}

void DiaryPrintLayout::out(const QString &text, int x, int chars, bool newLineAfter) {
    const QString shown = BlankLeadingZeros(text);
    if (x >= 0)
        m_x = x;
    const QFontMetrics fm = m_painter.fontMetrics();
    m_painter.drawText(QPoint(m_x, m_y + fm.ascent()), shown);
    if (newLineAfter) {
        newLine();
        return;
    }
    m_x += (chars >= 0 ? charWidth() * chars : fm.horizontalAdvance(shown)) + kGap;
}

void DiaryPrintLayout::newLine() {
    m_x = kLeft;
    m_lineHeight = m_painter.fontMetrics().height();
    m_y += m_lineHeight + kLineSpacing;
    pageCheck();
}

void DiaryPrintLayout::rule(int x1, int x2) {
    m_painter.drawLine(x1, m_y, x2, m_y);
    m_y += kLineSpacing;
    pageCheck();
}

void DiaryPrintLayout::pageCheck() {
    if (m_device->height() - m_y < m_lineHeight + kTop)
        newPage();
}

void DiaryPrintLayout::newPage(bool first) {
    if (m_inHeader)
        return;
    m_inHeader = true;
    m_x = kLeft;
    m_y = kTop;
    if (!first)
        m_device->newPage();
    ++m_page;
    // The header always stands in the header font; the text around it goes
    // on in the font it had.
    const QFont font = m_painter.font();
    const QPen pen = m_painter.pen();
    useHeaderFont();
    out(m_title + QStringLiteral(" Woche ") + m_lastWeek + QStringLiteral(" Seite ") + QString::number(m_page), -1, -1,
        true);
    if (!m_settings.Titel.isEmpty())
        out(m_settings.Titel, -1, -1, true);
    rule(kLeft, m_device->width() - kLeft);
    m_painter.setFont(font);
    m_painter.setPen(pen);
    m_inHeader = false;
}

void DiaryPrintLayout::useHeaderFont() {
    m_painter.setFont(m_settings.HeaderFont);
    m_painter.setPen(m_settings.HeaderColor);
}

void DiaryPrintLayout::useBodyFont() {
    m_painter.setFont(m_settings.BodyFont);
    m_painter.setPen(m_settings.BodyColor);
}

int DiaryPrintLayout::charWidth() const {
    return m_painter.fontMetrics().horizontalAdvance(QLatin1Char('X'));
}

} // namespace velmora
