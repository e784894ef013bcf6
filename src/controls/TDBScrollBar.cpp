#include "controls/TDBScrollBar.h"

#include "base/Messages.h"

namespace velmora {

TDBScrollBar::TDBScrollBar(Qt::Orientation orientation, QWidget *parent) : QScrollBar(orientation, parent) {
    setObjectName(QStringLiteral("TDBScrollBar"));
    connect(this, &QAbstractSlider::valueChanged, this, &TDBScrollBar::Change);
}

void TDBScrollBar::setDataSource(Cursor *cursor) {
    if (m_cursor)
        disconnect(m_cursor, nullptr, this, nullptr);
    m_cursor = cursor;
    if (m_cursor) {
        connect(m_cursor, &Cursor::scrolled, this, &TDBScrollBar::cursorMoved);
        connect(m_cursor, &Cursor::rowsChanged, this, &TDBScrollBar::cursorMoved);
    }
    cursorMoved();
}

void TDBScrollBar::setDataField(const QString &field) {
    m_dataField = field;
    cursorMoved();
}

void TDBScrollBar::setFollowsRow(bool on) {
    m_followsRow = on;
    cursorMoved();
}

void TDBScrollBar::cursorMoved() {
    if (m_followsRow)
        loadFromField();
}

void TDBScrollBar::loadFromField() {
    if (!m_cursor || !m_cursor->isOpen() || m_dataField.isEmpty() || !m_cursor->hasField(m_dataField))
        return;
    const QVariant v = m_cursor->value(m_dataField);
    m_loading = true;
    setValue(v.isNull() ? minimum() : v.toInt());
    m_loading = false;
}

void TDBScrollBar::Change() {
    Q_EMIT changed(value());
    if (m_loading || m_readOnly || !m_cursor || !m_cursor->isOpen() || m_dataField.isEmpty())
        return;
    // A cursor opened read-only cannot take the value; the bar then only shows.
    if (m_cursor->isReadOnly() || m_cursor->database().isReadOnly())
        return;
    try {
        if (!m_cursor->isEditing())
            m_cursor->edit();
        m_cursor->setValue(m_dataField, value());
    } catch (const VelmoraError &e) {
        Messages::error(e.message());
    }
}

} // namespace velmora
