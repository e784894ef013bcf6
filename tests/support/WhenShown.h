#pragma once

#include <QApplication>
#include <QDialog>
#include <QTest>
#include <QTimer>
#include <functional>

namespace velmora::test {

// Runs `drive` on the modal window of type W once a handler has shown it:
// the window's own event loop delivers the timer.
template <class W>
void whenShown(std::function<void(W &)> drive) {
    QTimer::singleShot(0, [drive] {
        W *w = nullptr;
        for (int i = 0; i < 200 && !w; ++i) {
            w = qobject_cast<W *>(QApplication::activeModalWidget());
            if (!w)
                QTest::qWait(10);
        }
        if (!w)
            qFatal("modal window did not appear");
        drive(*w);
        // A failed check returns early from drive; the window must not stay open.
        if (auto *d = qobject_cast<QDialog *>(w); d && d->isVisible())
            d->reject();
    });
}

} // namespace velmora::test
