#pragma once

#include "people/FilterRules.h"
#include "store/Cursor.h"

#include <memory>
#include <optional>
#include <vector>

namespace velmora {

// One item of the check lists "Autoren", "Personen" and "Formulare": the
// name shown and the key a checked item stores.
struct FilterListItem {
    QString name;
    qint64 key = 0;
    bool operator==(const FilterListItem &) const = default;
};

// The filter row of the filter window: opens an existing FILTER row for
// editing or inserts a new one with its key and owner, offers the lists of
// the document list, and posts the row with the choices of the window
// applied before the post, or drops it.
class FilterEditor {
public:
    struct Options {
        int filterNr = 0;  // 0: a new filter
        int owner = 0;     // PersonNr of a new filter
        int group = 0;     // whose members are offered as authors and persons
        bool readOnly = false;
    };
    // What the window's controls hold when the row is posted.
    struct Choices {
        int dokument = FilterRules::kDefaultDokument;  // list position, -1 none
        int ebene = FilterRules::kDefaultEbene;
        bool vonChecked = false, bisChecked = false;
        QString vonText, bisText;
        QList<qint64> autoren, personen, formulare;
    };

    static const QString kNoName;
    static constexpr const char *kNameControl = "dbfName";

    FilterEditor(Database &db, int serial);
    ~FilterEditor();
    FilterEditor(const FilterEditor &) = delete;
    FilterEditor &operator=(const FilterEditor &) = delete;

    // An existing filter in edit state (browsing when read-only), a new one
    // as an inserted row. A filter number without a row is refused.
    void open(const Options &options);
    bool isNew() const { return m_new; }
    bool isReadOnly() const { return m_options.readOnly; }
    const Options &options() const { return m_options; }
    Cursor &filter() { return *m_filter; }
    int filterNr();
    bool isRelative();

    // "Fertig": an empty name is refused naming the name control; otherwise
    // the row is posted with the choices and closed. A failed post leaves the
    // row in its edit state.
    void finish(const Choices &choices);
    // "Abbruch": the row's changes are dropped (a new filter leaves no row).
    void cancel();

    // The persons and groups of the group, and the forms, in the order of
    // the document list. A form's key is its FormularNr, the number its
    // entries carry and the diary's list compares with.
    static std::vector<FilterListItem> personItems(Database &db, int group);
    static std::vector<FilterListItem> formItems(Database &db);
    static int newFilterNr(Database &db, int serial);
    // The before-post rules on a row in edit state: Timestamp, Von, Bis, Art
    // and the three key lists. Projekte is never written.
    static void applyChoices(Cursor &row, const Choices &choices);

private:
    Database &m_db;
    int m_serial;
    Options m_options;
    bool m_new = false;
    std::optional<Choices> m_pending;
    std::unique_ptr<Cursor> m_filter;
};

} // namespace velmora
