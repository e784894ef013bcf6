#include "controls/TDBTypeGrid.h"

#include "base/Messages.h"
#include "store/TypeAhead.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QScrollBar>
#include <algorithm>

namespace velmora {

TDBTypeGrid::TDBTypeGrid(QWidget *parent) : QTableView(parent) {
    setObjectName(QStringLiteral("TDBTypeGrid"));
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setTabKeyNavigation(false);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
}

CursorModel *TDBTypeGrid::setDataCursor(Cursor *cursor) {
    auto *model = new CursorModel(cursor, this);
    setCursorModel(model);
    if (m_ownModel && m_ownModel != model)
        m_ownModel->deleteLater();
    m_ownModel = model;
    return model;
}

void TDBTypeGrid::setCursorModel(CursorModel *model) {
    if (m_model)
        disconnect(m_model, nullptr, this, nullptr);
    m_model = model;
    setModel(model);
    m_typedText.clear();
    if (!model)
        return;
    connect(model, &CursorModel::currentRowChanged, this, &TDBTypeGrid::followCursor);
    connect(model, &QAbstractItemModel::modelReset, this, [this] {
        applyDisplayWidths();
        if (m_model)
            followCursor(m_model->currentRow());
    });
    applyDisplayWidths();
    followCursor(model->currentRow());
}

void TDBTypeGrid::setTypePrefix(const QString &text) {
    m_typePrefix = text.left(TypeAhead::kMaxPrefix);
}

void TDBTypeGrid::applyDisplayWidths() {
    if (!m_model)
        return;
    const int charWidth = fontMetrics().horizontalAdvance(QLatin1Char('0'));
    for (int c = 0; c < m_model->columnCount(); ++c) {
        int width = m_model->displayWidth(c) * charWidth + 8;
        if (m_fitToContents) {
            if (!horizontalHeader()->isHidden())
                width = std::max(width, horizontalHeader()->sectionSizeHint(c));
            width = std::max(width, std::min(sizeHintForColumn(c), kMaxFitChars * charWidth + 8));
        }
        setColumnWidth(c, width);
    }
}

void TDBTypeGrid::setFitToContents(bool on) {
    m_fitToContents = on;
    // Measuring a long list looks at the rows around the visible ones only:
    // each row read is a step of the cursor underneath.
    if (on)
        horizontalHeader()->setResizeContentsPrecision(60);
    applyDisplayWidths();
}

int TDBTypeGrid::contentsWidthHint() const {
    int width = 2 * frameWidth() + verticalScrollBar()->sizeHint().width();
    if (!verticalHeader()->isHidden())
        width += verticalHeader()->width();
    for (int c = 0; c < horizontalHeader()->count(); ++c)
        if (!isColumnHidden(c))
            width += columnWidth(c);
    return width;
}

bool TDBTypeGrid::finishCellEditor() {
    if (state() != EditingState)
        return true;
    const QPointer<QWidget> editor = indexWidget(currentIndex());
    if (!editor)
        return true;
    bool refused = false;
    QMetaObject::Connection watch;
    if (m_model)
        watch = connect(m_model, &CursorModel::editFailed, this, [&refused] { refused = true; });
    commitData(editor);
    disconnect(watch);
    if (refused)
        return false;
    // Storing the value re-reads the rows, which may have released the editor already.
    if (editor && state() == EditingState && indexWidget(currentIndex()) == editor)
        closeEditor(editor, QAbstractItemDelegate::NoHint);
    return true;
}

// The view follows the cursor; the guard keeps the view's own move from
// being handed back to the cursor.
void TDBTypeGrid::followCursor(int row) {
    if (!m_model || m_following)
        return;
    m_following = true;
    if (row < 0) {
        selectionModel()->clear();
    } else {
        const int column = currentIndex().isValid() ? currentIndex().column() : 0;
        const QModelIndex index = m_model->index(row, std::max(0, std::min(column, m_model->columnCount() - 1)));
        if (index.isValid()) {
            selectionModel()->setCurrentIndex(
                index,
                QItemSelectionModel::ClearAndSelect |
                    (selectionBehavior() == SelectRows ? QItemSelectionModel::Rows : QItemSelectionModel::NoUpdate));
            scrollTo(index);
        }
    }
    m_following = false;
}

void TDBTypeGrid::currentChanged(const QModelIndex &current, const QModelIndex &previous) {
    QTableView::currentChanged(current, previous);
    if (m_following || !m_model || !current.isValid() || current.row() == previous.row())
        return;
    m_following = true;
    m_model->setCurrentRow(current.row());
    m_following = false;
    // The cursor may have refused or moved elsewhere.
    if (m_model && m_model->currentRow() != current.row())
        followCursor(m_model->currentRow());
}

// Typed characters search instead of jumping by the first letter.
void TDBTypeGrid::keyboardSearch(const QString &) {}

void TDBTypeGrid::keyPressEvent(QKeyEvent *event) {
    const QString text = event->text();
    const bool modified = event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    const bool typed = !modified && !text.isEmpty() && text.at(0).unicode() >= 32 && text.at(0).unicode() != 127;
    if (!typed)
        QTableView::keyPressEvent(event);
    KeyDown(event->key());
    if (typed) {
        for (QChar c : text)
            KeyPress(c);
        event->accept();
    }
}

void TDBTypeGrid::KeyDown(int qtKey) {
    switch (TypeAhead::effectOfKey(qtKey)) {
    case TypeAhead::Effect::RemoveLast:
        m_typedText.chop(1);
        break;
    case TypeAhead::Effect::Clear:
        m_typedText.clear();
        break;
    case TypeAhead::Effect::Keep:
        break;
    }
}

void TDBTypeGrid::KeyPress(QChar c) {
    const std::optional<QChar> accepted = TypeAhead::acceptChar(c);
    if (!accepted)
        return;
    if (m_typedText.size() < TypeAhead::kMaxTypedText)
        m_typedText += *accepted;
    Cursor *cursor = dataCursor();
    if (!cursor || !cursor->isOpen())
        return;
    try {
        TypeAhead::search(*cursor, m_typePrefix, m_typedText);
    } catch (const VelmoraError &e) {
        Messages::error(e.message());
    }
}

} // namespace velmora
