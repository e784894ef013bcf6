#pragma once

#include "diary/EntryOperations.h"
#include "diary/EntryView.h"

#include <QString>

#include <functional>
#include <vector>

namespace velmora {

class Database;
class TTrainingselement;

// The entry view: one panel per block of the entry's form, stacked top to
// bottom, block 0 (the entry's own TR row) first.
class TTrainingseintrag : public EntryView {
    Q_OBJECT
public:
    // The database defaults to DBLOG of the current engine.
    TTrainingseintrag(QWidget *parent, const EntryViewParams &params, Database *db = nullptr);
    // Commits every panel before the controls go.
    ~TTrainingseintrag() override;

    void build() override;
    void reKey(int serienNr, int trNr, bool readOnly, int person) override;
    bool commit(bool freeing) override;
    bool commitFailed() const override { return m_commitFailed; }
    const EntryViewParams &params() const override { return m_params; }

    // Writes the positions and sizes of the fields and panels back into
    // TRFIELD and TRTABLE (layout and single-entry mode). The caller reloads
    // the form element cache afterwards.
    void saveLayout();

    const std::vector<TTrainingselement *> &panels() const { return m_panels; }
    Database &database() const { return m_db; }

    // Shift+Enter in a pick-list control: opens the pick-list editor for
    // the form field. Set by whoever owns the editor window.
    std::function<void(int formularNr, int tableNr, int feldNr, const QString &displayName, int person, bool readOnly)>
        editPickList;

    // The clipboard of row references, for the grid row commands; the main
    // window connects them to its clipboard. Without them nothing is copied
    // and nothing can be pasted.
    // Starts a copy of rows (kind 2) holding the references.
    std::function<void(const std::vector<RowReference> &rows)> copyRows;
    // The copied rows, which inserting rows may shift; empty when none.
    std::function<std::vector<RowReference *>()> clipboardRows;
    // Whether rows are copied and the first names this table.
    std::function<bool(const QString &table)> canPasteRows;

    // The view's fixed width, as the panels' widths derive from it.
    static constexpr int kWidth = 590;

private:
    Database &m_db;
    EntryViewParams m_params;
    QWidget *m_content = nullptr;
    std::vector<TTrainingselement *> m_panels;
    bool m_built = false;
    bool m_commitFailed = false;
};

// Matches EntryViewFactory, for the diary window.
EntryView *CreateTrainingseintrag(QWidget *parent, const EntryViewParams &params);

} // namespace velmora
