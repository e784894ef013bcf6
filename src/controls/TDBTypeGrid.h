#pragma once

#include "store/CursorModel.h"

#include <QPointer>
#include <QTableView>

namespace velmora {

// A data grid over an indexed cursor that jumps to a row when the user types
// its beginning: the typed characters, behind the type prefix, are searched
// in the cursor's order fields. Typing never starts a cell editor; F2 and a
// double click do.
class TDBTypeGrid : public QTableView {
    Q_OBJECT
public:
    explicit TDBTypeGrid(QWidget *parent = nullptr);

    // Shows the model's cursor; the grid does not take ownership.
    void setCursorModel(CursorModel *model);
    // Shows a cursor through a model that the grid owns.
    CursorModel *setDataCursor(Cursor *cursor);
    CursorModel *cursorModel() const { return m_model; }
    Cursor *dataCursor() const { return m_model ? m_model->cursor() : nullptr; }

    // The first 10 characters of the text.
    void setTypePrefix(const QString &text);
    const QString &typePrefix() const { return m_typePrefix; }
    const QString &typedText() const { return m_typedText; }
    void clearTypedText() { m_typedText.clear(); }

    // The key handling after the grid's own: what the key does to the typed text.
    void KeyDown(int qtKey);
    // One typed character: joins the typed text and searches.
    void KeyPress(QChar c);

    // Sets the column widths from the model's display widths; with
    // fitToContents a column is widened to its title and to what it shows
    // (at most kMaxFitChars characters), so that nothing is cut to "…".
    void applyDisplayWidths();
    void setFitToContents(bool on);
    bool fitToContents() const { return m_fitToContents; }
    // The width all visible columns take, with the frame and the vertical
    // scroll bar: what a pane needs to show the grid without cutting.
    int contentsWidthHint() const;
    static constexpr int kMaxFitChars = 40;

    // Hands the text of an open cell editor to the model and closes the
    // editor, as leaving the cell does. False when the model refused the
    // value: the editor stays open with the text.
    bool finishCellEditor();

    void keyboardSearch(const QString &search) override;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;

private:
    void followCursor(int row);

    QPointer<CursorModel> m_model;
    CursorModel *m_ownModel = nullptr;
    QString m_typePrefix;
    QString m_typedText;
    bool m_following = false;
    bool m_fitToContents = false;
};

} // namespace velmora
