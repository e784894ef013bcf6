#pragma once

#include <QHeaderView>
#include <QLineEdit>
#include <QTableView>
#include <QTest>
#include <QWidget>
#include <algorithm>

namespace velmora::test {

// The control of a window by its object name; a missing one ends the test.
template <class T> T *control(QWidget &w, const char *name) {
    T *c = w.findChild<T *>(QString::fromLatin1(name));
    if (!c)
        qFatal("no control %s", name);
    return c;
}

// Replaces the text of a line edit by typing, as a user does.
inline void type(QWidget &w, const char *name, const QString &text) {
    auto *e = control<QLineEdit>(w, name);
    e->selectAll();
    QTest::keyClick(e, Qt::Key_Delete);
    QTest::keyClicks(e, text);
}

// The first visible column of a grid whose title or one of whose cells is
// wider than the column, as "title: width < needed"; empty when the user
// sees every title and cell whole.
inline QString cutColumn(QTableView &view) {
    const QAbstractItemModel *model = view.model();
    const QFontMetrics fm = view.fontMetrics();
    for (int c = 0; model && c < model->columnCount(); ++c) {
        if (view.isColumnHidden(c))
            continue;
        const QString title = model->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
        int needed = view.horizontalHeader()->isHidden() ? 0 : view.horizontalHeader()->sectionSizeHint(c);
        for (int r = 0; r < model->rowCount(); ++r)
            needed = std::max(needed, fm.horizontalAdvance(model->index(r, c).data().toString()) + 6);
        if (view.columnWidth(c) < needed)
            return QStringLiteral("%1: %2 < %3").arg(title).arg(view.columnWidth(c)).arg(needed);
    }
    return {};
}

} // namespace velmora::test
