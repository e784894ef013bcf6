#pragma once

#include <QChar>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <vector>

namespace velmora {

class Query;
class Progress;

// One field of one form: an FFIELD row together with its TRFIELD layout and
// its block's table, as the entry editor needs it to build the field's
// controls at run time.
class TTREListEntry {
public:
    TTREListEntry() = default;
    // Fills the element from the current row of an element query.
    explicit TTREListEntry(const Query &elements);

    // "f" FormularNr "o" Order "t" TableNr "e" FeldNr "d": unique per form
    // field, so that controls can be named after it.
    static QString MakeName(int formularNr, int order, int tableNr, int feldNr);
    // The type codes whose value list holds a smallest and a largest value.
    static bool IsRangeCode(QChar typ);
    // Takes the value list from the memo text; Smallest and Largest follow
    // from it and the current Typ, so set Typ first.
    void SetWerte(const QString &memo);

    int FormularNr = 0;
    int Order = 0;
    int TableNr = 0;
    int FeldNr = 0;
    QChar Typ;
    QString Name;   // 40
    QString Prefix; // 25
    int PrefixLeft = 0, PrefixTop = 0;
    QString Postfix; // 25
    int PostfixLeft = 0, PostfixTop = 0;
    int Left = 0, Top = 0, Height = 0, Width = 0;
    int DisplayWidth = 0;
    bool Visible = false;
    bool Print = false;
    QString Feldname;                 // 25
    std::optional<QStringList> Werte; // none when the memo has no line
    double Smallest = 0, Largest = 0;

    // The controls the entry view built last for this element; the layout
    // editor reads their positions back. Guarded, because views come and go
    // while the list lives on.
    QPointer<QObject> PrefixLabel;
    QPointer<QObject> PostfixLabel;
    QPointer<QObject> Control;
};

// The program's list of form field elements, owning them and kept in
// FormularNr, Order order so that one form's elements form one contiguous
// run. Appending leaves the tail unsorted until Sort(); every lookup sorts
// first, so a forgotten Sort() cannot make a lookup miss elements.
class TTREList {
public:
    TTREList() = default;
    TTREList(const TTREList &) = delete;
    TTREList &operator=(const TTREList &) = delete;
    TTREList(TTREList &&) noexcept = default;
    TTREList &operator=(TTREList &&) noexcept = default;
    ~TTREList() = default;

    int Count() const { return int(m_items.size()); }
    // The element at index in the current order, nullptr outside the list.
    TTREListEntry *Items(int index) const;

    // Appends (owning it); the list is ordered again by Sort().
    TTREListEntry *Add(std::unique_ptr<TTREListEntry> entry);
    // Appends one element per row of an element query, from its first row
    // on, advancing the progress by one per row; the number of rows.
    int AppendRows(const Query &elements, Progress *progress = nullptr);
    // Orders by FormularNr, then Order; elements with equal pairs keep the
    // order they were added in.
    void Sort();
    bool IsSorted() const { return m_sorted == m_items.size(); }

    // Frees the element at index; an index outside the list is ignored.
    void Delete(int index);
    // Frees every element.
    void Clear();

    // The cursor over the elements of one block of one form.
    void First(int formularNr, int tableNr);
    bool AtEnd() const;
    TTREListEntry *Current() const;
    void Next();

    // Frees the run of elements of one form.
    void RemoveForm(int formularNr);
    // RemoveForm, then one element per row of the form's element query, sorted.
    void ReplaceForm(int formularNr, const Query &elements);

    // Lookups that leave the shared cursor alone.
    // The elements First/Next would deliver for this block of this form.
    std::vector<TTREListEntry *> BlockElements(int formularNr, int tableNr);
    // Every element of the form in Order.
    std::vector<TTREListEntry *> FormElements(int formularNr);
    TTREListEntry *Find(int formularNr, int order);
    TTREListEntry *FindByName(const QString &name);

private:
    using Items_t = std::vector<std::unique_ptr<TTREListEntry>>;
    // The half-open index range of one form's elements (sorts first).
    std::pair<size_t, size_t> formRange(int formularNr);
    void resetCursor() { m_cursor = m_items.size(); }

    Items_t m_items;
    size_t m_sorted = 0; // length of the leading run known to be in order
    size_t m_cursor = 0;
    int m_cursorForm = 0;
    int m_cursorTable = 0;
};

} // namespace velmora
