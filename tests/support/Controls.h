#pragma once

#include <QLineEdit>
#include <QTest>
#include <QWidget>

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

} // namespace velmora::test
