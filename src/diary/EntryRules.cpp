#include "diary/EntryRules.h"

#include "base/GermanInput.h"
#include "base/Helpers.h"
#include "store/Cursor.h"

#include <QLocale>
#include <QTime>

namespace velmora {

namespace EntryRules {

QString WeekdayText(const QDate &date) {
    if (!date.isValid())
        return {};
    return QLocale(QLocale::German, QLocale::Germany).toString(date, QStringLiteral("ddd")).left(2);
}

QString WeekText(const QDate &date) {
    return QStringLiteral("%1").arg(date.isValid() ? WeekOfDate(date) : 0, 2, 10, QLatin1Char('0'));
}

void ApplyHeaderRules(Cursor &tr, int installation) {
    const QDate day = tr.asDate(QStringLiteral("Datum"));
    tr.setValue(QStringLiteral("Wochentag"), WeekdayText(day));
    tr.setValue(QStringLiteral("Woche"), WeekText(day));
    tr.setValue(QStringLiteral("Timestamp"), QDateTime::currentDateTime());
    if (tr.isNull(QStringLiteral("SerienNr")))
        tr.setValue(QStringLiteral("SerienNr"), installation);
}

void ApplyNewRowRule(Cursor &block, int serienNr, int trNr, int &nextOrder) {
    block.setValue(QStringLiteral("SerienNr"), serienNr);
    block.setValue(QStringLiteral("TrNr"), trNr);
    block.setValue(QStringLiteral("Order"), nextOrder);
    ++nextOrder;
}

int NextRowNumber(Cursor &block) {
    block.last();
    if (block.recNo() < 0)
        return 0;
    return block.asInt(QStringLiteral("Order")) + 1;
}

namespace {
QVariant limitValue(QChar typ, const QString &line) {
    const QString text = line.trimmed();
    if (text.isEmpty())
        return {};
    if (typ == QLatin1Char('Z')) {
        for (const QString &f : {QStringLiteral("H:mm:ss"), QStringLiteral("H:mm")}) {
            const QTime t = QTime::fromString(text, f);
            if (t.isValid())
                return t;
        }
        return {};
    }
    // Read as the field editor read the limit when it was typed.
    const std::optional<double> d = ParseGermanNumber(text);
    return d ? QVariant(*d) : QVariant();
}
} // namespace

bool FieldLimits::contains(const QVariant &value) const {
    if (value.isNull())
        return true; // an empty field is always allowed
    if (low.typeId() == QMetaType::QTime) {
        const QTime t = value.typeId() == QMetaType::QDateTime ? value.toDateTime().time() : value.toTime();
        return t.isValid() && t >= low.toTime() && t <= high.toTime();
    }
    bool ok = false;
    const double d = value.toDouble(&ok);
    return ok && d >= low.toDouble() && d <= high.toDouble();
}

std::optional<FieldLimits> LimitsOf(QChar typ, const std::optional<QStringList> &werte) {
    static const QString rangeCodes = QStringLiteral("FINSZ");
    if (!rangeCodes.contains(typ.toUpper()) || !werte || werte->size() < 2)
        return std::nullopt;
    FieldLimits limits{limitValue(typ.toUpper(), werte->at(0)), limitValue(typ.toUpper(), werte->at(1))};
    if (limits.low.isNull() || limits.high.isNull())
        return std::nullopt;
    // Limits the wrong way round would refuse every value; take them as a range.
    if (limits.low.typeId() == QMetaType::QTime ? limits.low.toTime() > limits.high.toTime()
                                                : limits.low.toDouble() > limits.high.toDouble())
        std::swap(limits.low, limits.high);
    return limits;
}

} // namespace EntryRules

namespace LayoutDrag {

Kind ZoneAt(int width, int height, int x, int y) {
    if (x < 6)
        return LeftEdge;
    if (x > width - 8)
        return RightEdge;
    if (y < 4)
        return TopEdge;
    if (y > height - 6)
        return BottomEdge;
    return Move;
}

Qt::CursorShape CursorAt(int width, int height, int x, int y) {
    if (x < 6 || x > width - 8)
        return Qt::SizeHorCursor;
    if (y < 4 || y > height - 6)
        return Qt::SizeVerCursor;
    return Qt::PointingHandCursor;
}

void MouseDown(State &state, Qt::MouseButton button, int width, int height, int x, int y) {
    if (button != Qt::LeftButton)
        return;
    state.kind = ZoneAt(width, height, x, y);
    state.lastX = x;
    state.lastY = y;
    state.active = true;
}

bool MouseMove(State &state, QRect &g, int x, int y) {
    if (state.kind == None)
        return false;
    if (!state.active) {
        // The move caused by the control's own move: skipped, the next counts.
        state.active = true;
        return false;
    }
    if (x == state.lastX && y == state.lastY)
        return false;
    const int dx = x - state.lastX, dy = y - state.lastY;
    switch (state.kind) {
    case LeftEdge:
        g.setRect(g.x() + dx, g.y(), g.width() - dx, g.height());
        break;
    case RightEdge:
        g.setWidth(g.width() + dx);
        break;
    case TopEdge:
        g.setRect(g.x(), g.y() + dy, g.width(), g.height() - dy);
        break;
    case BottomEdge:
        g.setHeight(g.height() + dy);
        break;
    case Move:
        g.moveTo(g.x() + dx, g.y() + dy);
        break;
    default:
        return false;
    }
    state.lastX = x;
    state.lastY = y;
    // Moving the origin moves the control under the mouse, which reports one
    // more move of its own; that one is skipped.
    if (state.kind == LeftEdge || state.kind == TopEdge || state.kind == Move)
        state.active = !state.active;
    return true;
}

void MouseUp(State &state) {
    state.kind = None;
}

bool KeyMove(QRect &g, int key, Qt::KeyboardModifiers modifiers) {
    if (modifiers & Qt::ControlModifier) {
        switch (key) {
        case Qt::Key_Left:
            if (g.x() > 0)
                g.moveLeft(g.x() - 1);
            return true;
        case Qt::Key_Up:
            if (g.y() > 0)
                g.moveTop(g.y() - 1);
            return true;
        case Qt::Key_Right:
            g.moveLeft(g.x() + 1);
            return true;
        case Qt::Key_Down:
            g.moveTop(g.y() + 1);
            return true;
        default:
            return false;
        }
    }
    if (modifiers & Qt::ShiftModifier) {
        switch (key) {
        case Qt::Key_Left:
            if (g.width() > 10)
                g.setWidth(g.width() - 1);
            return true;
        case Qt::Key_Up:
            if (g.height() > 10)
                g.setHeight(g.height() - 1);
            return true;
        case Qt::Key_Right:
            g.setWidth(g.width() + 1);
            return true;
        case Qt::Key_Down:
            g.setHeight(g.height() + 1);
            return true;
        default:
            return false;
        }
    }
    return false;
}

} // namespace LayoutDrag

void SaveBlockLayout(Database &db, int tableNr, bool grid, const std::vector<ElementLayout> &elements,
                     const QSize &panelSize) {
    Transaction tx(db);
    Cursor fields(db, QStringLiteral("TRFIELD"));
    fields.setOrder(QStringLiteral("TableNr;Order"));
    fields.open();
    for (const ElementLayout &e : elements) {
        // The element's FeldNr is the Order of its field row: position in
        // the form says nothing about which row it is.
        if (!fields.findKey({tableNr, e.feldNr}))
            continue;
        if (grid) {
            if (!e.visible || e.displayWidth < 0)
                continue;
            fields.edit();
            fields.setValue(QStringLiteral("DisplayWidth"), e.displayWidth);
            fields.post();
            continue;
        }
        if (!e.prefix && !e.postfix && !e.control)
            continue;
        fields.edit();
        if (e.prefix) {
            fields.setValue(QStringLiteral("Prefix"), *e.prefix);
            fields.setValue(QStringLiteral("PrefixLeft"), e.prefixPos.x());
            fields.setValue(QStringLiteral("PrefixTop"), e.prefixPos.y());
        }
        if (e.postfix) {
            fields.setValue(QStringLiteral("Postfix"), *e.postfix);
            fields.setValue(QStringLiteral("PostfixLeft"), e.postfixPos.x());
            fields.setValue(QStringLiteral("PostfixTop"), e.postfixPos.y());
        }
        if (e.control) {
            fields.setValue(QStringLiteral("Left"), e.control->x());
            fields.setValue(QStringLiteral("Top"), e.control->y());
            fields.setValue(QStringLiteral("Height"), e.control->height());
            fields.setValue(QStringLiteral("Width"), e.control->width());
        }
        fields.post();
    }
    Cursor block(db, QStringLiteral("TRTABLE"));
    block.open();
    if (block.findKey({tableNr})) {
        block.edit();
        block.setValue(QStringLiteral("Height"), panelSize.height());
        block.setValue(QStringLiteral("Width"), panelSize.width());
        block.post();
    }
    tx.commit();
}

} // namespace velmora
