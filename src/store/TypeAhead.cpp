#include "store/TypeAhead.h"

namespace velmora::TypeAhead {

std::optional<QChar> acceptChar(QChar c) {
    char16_t u = c.unicode();
    if (u >= u'a' && u <= u'z')
        u = char16_t(u - (u'a' - u'A'));
    if ((u >= 32 && u <= 209) || u == 223)
        return QChar(u);
    return std::nullopt;
}

Effect effectOfKey(int qtKey) {
    switch (qtKey) {
    case Qt::Key_Backspace:
        return Effect::RemoveLast;
    case Qt::Key_Cancel:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Clear:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Pause:
    case Qt::Key_CapsLock:
    case Qt::Key_Kana_Lock:
    case Qt::Key_Kana_Shift:
    case Qt::Key_Kanji:
    case Qt::Key_Escape:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_End:
    case Qt::Key_Home:
    case Qt::Key_Left:
    case Qt::Key_Up:
    case Qt::Key_Right:
    case Qt::Key_Down:
    case Qt::Key_Select:
    case Qt::Key_Printer:
    case Qt::Key_Execute:
    case Qt::Key_Print:
    case Qt::Key_Insert:
    case Qt::Key_Help:
        return Effect::Clear;
    default:
        // Shift, Delete, letters, digits, function keys and the rest.
        return Effect::Keep;
    }
}

QVariantList searchKey(Cursor &cursor, const QString &searchText) {
    QVariantList key;
    QString rest = searchText;
    const bool hasRow = cursor.recNo() >= 0;
    for (const QString &field : cursor.orderFields()) {
        const QVariant current = hasRow ? cursor.value(field) : QVariant();
        const QString text = current.isNull() ? QString() : cursor.asString(field).toUpper();
        if (rest.startsWith(text)) {
            key << current;
            rest.remove(0, text.size());
        } else {
            // Nothing left to search for is a blank key field, which sorts
            // before every value; an empty text would match no row at all
            // in a date or number field.
            key << (rest.isEmpty() ? QVariant() : QVariant(rest));
            break;
        }
    }
    return key;
}

void search(Cursor &cursor, const QString &prefix, const QString &typedText) {
    cursor.findNearest(searchKey(cursor, prefix + typedText));
}

} // namespace velmora::TypeAhead
