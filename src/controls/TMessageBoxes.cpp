// The widget side of the message service: class TMessageBoxes shows the
// system's messages and questions as modal message boxes.
#include "controls/TMessageBoxes.h"

#include "base/Errors.h"

#include <QApplication>
#include <QMessageBox>

namespace velmora {

namespace {
// The system's texts break lines with "\r".
QString lines(const QString &text) {
    return QString(text)
        .replace(QLatin1String("\r\n"), QLatin1String("\n"))
        .replace(QLatin1Char('\r'), QLatin1Char('\n'));
}
} // namespace

void TMessageBoxes::show(Kind kind, const QString &rawText) {
    const QString text = lines(rawText);
    QWidget *parent = QApplication::activeWindow();
    const QString title = QStringLiteral("Velmora 5");
    switch (kind) {
    case Kind::Error:
        QMessageBox::critical(parent, title, text);
        break;
    case Kind::Warning:
        QMessageBox::warning(parent, title, text);
        break;
    default:
        QMessageBox::information(parent, title, text);
    }
}

bool TMessageBoxes::ask(const QString &text) {
    return QMessageBox::question(QApplication::activeWindow(), QStringLiteral("Velmora 5"), lines(text),
                                 QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
}

void FocusControl(QWidget *window, const QString &name) {
    if (name.isEmpty() || !window)
        return;
    if (auto *w = window->findChild<QWidget *>(name))
        w->setFocus();
}

void ShowError(QWidget *window, const VelmoraError &e) {
    Messages::error(e.message());
    FocusControl(window, e.control());
}

bool Guarded(QWidget *window, const std::function<void()> &step) {
    try {
        step();
        return true;
    } catch (const VelmoraError &e) {
        ShowError(window, e);
        return false;
    }
}

} // namespace velmora
