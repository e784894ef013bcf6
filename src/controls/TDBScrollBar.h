#pragma once

#include "store/Cursor.h"

#include <QPointer>
#include <QScrollBar>

namespace velmora {

// A scroll bar whose position is an integer column of a cursor: every change
// of the position is written into the column's edit buffer (the owner posts
// the row), unless the bar is read-only. The bar also takes its position
// from the column when bound and whenever the cursor moves or re-reads, so
// that it shows the row it writes to; that reading never writes back.
class TDBScrollBar : public QScrollBar {
    Q_OBJECT
public:
    explicit TDBScrollBar(Qt::Orientation orientation = Qt::Horizontal, QWidget *parent = nullptr);
    explicit TDBScrollBar(QWidget *parent) : TDBScrollBar(Qt::Horizontal, parent) {}

    void setDataSource(Cursor *cursor);
    Cursor *dataSource() const { return m_cursor; }
    void setDataField(const QString &field);
    const QString &dataField() const { return m_dataField; }
    void setReadOnly(bool readOnly) { m_readOnly = readOnly; }
    bool isReadOnly() const { return m_readOnly; }
    // Whether the bar follows the cursor's row (on by default).
    void setFollowsRow(bool on);
    bool followsRow() const { return m_followsRow; }

    // Sets the position from the column's current value without writing.
    void loadFromField();

    // The change handler: reports the change, then writes the position.
    void Change();

Q_SIGNALS:
    // The bar's own change event, before the position is written.
    void changed(int position);

private:
    void cursorMoved();

    QPointer<Cursor> m_cursor;
    QString m_dataField;
    bool m_readOnly = false;
    bool m_followsRow = true;
    bool m_loading = false;
};

} // namespace velmora
