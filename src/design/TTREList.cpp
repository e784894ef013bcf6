#include "design/TTREList.h"

#include "base/GermanInput.h"
#include "base/Progress.h"
#include "store/Errors.h"
#include "store/Query.h"

#include <QRegularExpression>
#include <algorithm>

namespace velmora {

namespace {

// Where the element query keeps each column; looked up once per query
// rather than by name for every row of a large cache.
struct ElementColumns {
    int FormularNr, Order, TableNr, FeldNr, Prefix, Postfix, Visible, Print, Werte;
    int FeldName, Typ, DisplayWidth, Left, Top, Width, Height, PrefixLeft, PrefixTop, PostfixLeft, PostfixTop;

    explicit ElementColumns(const Query &q) {
        auto col = [&q](const char *name) {
            const int i = q.fieldIndex(QString::fromLatin1(name));
            if (i < 0)
                throw EngineError(QStringLiteral("no such column: %1\nDie Abfrage liefert kein Feld %1.")
                                      .arg(QString::fromLatin1(name)));
            return i;
        };
        FormularNr = col("FormularNr");
        Order = col("Order");
        TableNr = col("TableNr");
        FeldNr = col("FeldNr");
        Prefix = col("Prefix");
        Postfix = col("Postfix");
        Visible = col("Visible");
        Print = col("Print");
        Werte = col("Werte");
        FeldName = col("FeldName");
        Typ = col("Typ");
        DisplayWidth = col("DisplayWidth");
        Left = col("Left");
        Top = col("Top");
        Width = col("Width");
        Height = col("Height");
        PrefixLeft = col("PrefixLeft");
        PrefixTop = col("PrefixTop");
        PostfixLeft = col("PostfixLeft");
        PostfixTop = col("PostfixTop");
    }
};

void fillEntry(TTREListEntry &e, const std::vector<QVariant> &row, const ElementColumns &c) {
    auto integer = [&row](int i) { return row[size_t(i)].toInt(); };
    auto text = [&row](int i, int width) { return row[size_t(i)].toString().left(width); };
    auto logical = [&row](int i) { return row[size_t(i)].toBool(); };

    e.FormularNr = integer(c.FormularNr);
    e.Order = integer(c.Order);
    e.TableNr = integer(c.TableNr);
    e.FeldNr = integer(c.FeldNr);
    const QString typ = row[size_t(c.Typ)].toString();
    e.Typ = typ.isEmpty() ? QChar() : typ.at(0);
    e.Name = TTREListEntry::MakeName(e.FormularNr, e.Order, e.TableNr, e.FeldNr);
    e.Prefix = text(c.Prefix, 25);
    e.PrefixLeft = integer(c.PrefixLeft);
    e.PrefixTop = integer(c.PrefixTop);
    e.Postfix = text(c.Postfix, 25);
    e.PostfixLeft = integer(c.PostfixLeft);
    e.PostfixTop = integer(c.PostfixTop);
    e.Left = integer(c.Left);
    e.Top = integer(c.Top);
    e.Height = integer(c.Height);
    e.Width = integer(c.Width);
    e.DisplayWidth = integer(c.DisplayWidth);
    e.Visible = logical(c.Visible);
    e.Print = logical(c.Print);
    e.Feldname = text(c.FeldName, 25);
    e.SetWerte(row[size_t(c.Werte)].toString());
}

// A value-list line as a number, read as the field editor read it when the
// limit was typed; a line that is empty or no number counts as 0.
double lineAsNumber(const QString &line) {
    return ParseGermanNumber(line).value_or(0);
}

bool formLess(int formA, int orderA, int formB, int orderB) {
    return formA != formB ? formA < formB : orderA < orderB;
}

bool entryLess(const std::unique_ptr<TTREListEntry> &a, const std::unique_ptr<TTREListEntry> &b) {
    return formLess(a->FormularNr, a->Order, b->FormularNr, b->Order);
}

} // namespace

TTREListEntry::TTREListEntry(const Query &elements) {
    if (elements.recNo() < 0 || elements.recNo() >= elements.recordCount())
        throw EngineError(QStringLiteral("Die Abfrage steht auf keiner Zeile."));
    fillEntry(*this, elements.row(elements.recNo()), ElementColumns(elements));
}

QString TTREListEntry::MakeName(int formularNr, int order, int tableNr, int feldNr) {
    return QStringLiteral("f%1o%2t%3e%4d").arg(formularNr).arg(order).arg(tableNr).arg(feldNr);
}

bool TTREListEntry::IsRangeCode(QChar typ) {
    return typ == u'F' || typ == u'I' || typ == u'N' || typ == u'S' || typ == u'Z';
}

void TTREListEntry::SetWerte(const QString &memo) {
    // Memo lines end in CR LF, a lone CR or a lone LF; a final line break
    // closes the last line instead of opening an empty one.
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    QStringList lines = memo.split(lineBreak);
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    if (lines.isEmpty())
        Werte.reset();
    else
        Werte = lines;
    Smallest = 0;
    Largest = 0;
    if (Werte && IsRangeCode(Typ)) {
        Smallest = lineAsNumber(lines.value(0));
        Largest = lineAsNumber(lines.value(1));
    }
}

TTREListEntry *TTREList::Items(int index) const {
    return index >= 0 && index < Count() ? m_items[size_t(index)].get() : nullptr;
}

TTREListEntry *TTREList::Add(std::unique_ptr<TTREListEntry> entry) {
    TTREListEntry *added = entry.get();
    const bool stillSorted = IsSorted() && (m_items.empty() || !entryLess(entry, m_items.back()));
    m_items.push_back(std::move(entry));
    if (stillSorted)
        m_sorted = m_items.size();
    return added;
}

int TTREList::AppendRows(const Query &elements, Progress *progress) {
    const int rows = elements.recordCount();
    if (rows == 0)
        return 0;
    const ElementColumns columns(elements);
    m_items.reserve(m_items.size() + size_t(rows));
    for (int r = 0; r < rows; ++r) {
        auto entry = std::make_unique<TTREListEntry>();
        fillEntry(*entry, elements.row(r), columns);
        Add(std::move(entry));
        if (progress)
            progress->AdvanceProgress(1);
    }
    return rows;
}

void TTREList::Sort() {
    if (!IsSorted()) {
        // Only the appended tail is out of order: sort it and merge it into
        // the ordered run, which keeps replacing one form linear in the
        // list's length.
        const auto middle = m_items.begin() + std::ptrdiff_t(m_sorted);
        std::stable_sort(middle, m_items.end(), entryLess);
        std::inplace_merge(m_items.begin(), middle, m_items.end(), entryLess);
        m_sorted = m_items.size();
    }
    resetCursor();
}

void TTREList::Delete(int index) {
    if (index < 0 || index >= Count())
        return;
    m_items.erase(m_items.begin() + index);
    if (size_t(index) < m_sorted)
        --m_sorted;
    resetCursor();
}

void TTREList::Clear() {
    m_items.clear();
    m_sorted = 0;
    resetCursor();
}

std::pair<size_t, size_t> TTREList::formRange(int formularNr) {
    if (!IsSorted())
        Sort();
    const auto lower = std::partition_point(m_items.begin(), m_items.end(),
                                            [formularNr](const auto &e) { return e->FormularNr < formularNr; });
    const auto upper =
        std::partition_point(lower, m_items.end(), [formularNr](const auto &e) { return e->FormularNr == formularNr; });
    return {size_t(lower - m_items.begin()), size_t(upper - m_items.begin())};
}

void TTREList::First(int formularNr, int tableNr) {
    const auto [begin, end] = formRange(formularNr);
    m_cursorForm = formularNr;
    m_cursorTable = tableNr;
    m_cursor = m_items.size();
    for (size_t i = begin; i < end; ++i)
        if (m_items[i]->TableNr == tableNr) {
            m_cursor = i;
            break;
        }
}

bool TTREList::AtEnd() const {
    if (m_cursor >= m_items.size())
        return true;
    const TTREListEntry &e = *m_items[m_cursor];
    return e.FormularNr != m_cursorForm || e.TableNr != m_cursorTable;
}

TTREListEntry *TTREList::Current() const {
    return m_cursor < m_items.size() ? m_items[m_cursor].get() : nullptr;
}

void TTREList::Next() {
    if (m_cursor < m_items.size())
        ++m_cursor;
}

void TTREList::RemoveForm(int formularNr) {
    const auto [begin, end] = formRange(formularNr);
    m_items.erase(m_items.begin() + std::ptrdiff_t(begin), m_items.begin() + std::ptrdiff_t(end));
    m_sorted = m_items.size();
    resetCursor();
}

void TTREList::ReplaceForm(int formularNr, const Query &elements) {
    RemoveForm(formularNr);
    AppendRows(elements);
    Sort();
}

std::vector<TTREListEntry *> TTREList::BlockElements(int formularNr, int tableNr) {
    std::vector<TTREListEntry *> result;
    const auto [begin, end] = formRange(formularNr);
    size_t i = begin;
    while (i < end && m_items[i]->TableNr != tableNr)
        ++i;
    for (; i < end && m_items[i]->TableNr == tableNr; ++i)
        result.push_back(m_items[i].get());
    return result;
}

std::vector<TTREListEntry *> TTREList::FormElements(int formularNr) {
    std::vector<TTREListEntry *> result;
    const auto [begin, end] = formRange(formularNr);
    for (size_t i = begin; i < end; ++i)
        result.push_back(m_items[i].get());
    return result;
}

TTREListEntry *TTREList::Find(int formularNr, int order) {
    const auto [begin, end] = formRange(formularNr);
    const auto first = m_items.begin() + std::ptrdiff_t(begin), last = m_items.begin() + std::ptrdiff_t(end);
    const auto it = std::partition_point(first, last, [order](const auto &e) { return e->Order < order; });
    return it != last && (*it)->Order == order ? it->get() : nullptr;
}

TTREListEntry *TTREList::FindByName(const QString &name) {
    // The name carries the form number; only that form's run is searched.
    static const QRegularExpression pattern(QStringLiteral("^f(-?\\d+)o-?\\d+t-?\\d+e-?\\d+d$"));
    const QRegularExpressionMatch m = pattern.match(name);
    if (!m.hasMatch())
        return nullptr;
    const auto [begin, end] = formRange(m.captured(1).toInt());
    for (size_t i = begin; i < end; ++i)
        if (m_items[i]->Name == name)
            return m_items[i].get();
    return nullptr;
}

} // namespace velmora
