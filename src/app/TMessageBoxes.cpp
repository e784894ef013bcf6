#include "app/TMessageBoxes.h"

#include <QApplication>
#include <QMessageBox>

namespace velmora {

void TMessageBoxes::show(Kind kind, const QString &text) {
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
    return QMessageBox::question(QApplication::activeWindow(), QStringLiteral("Velmora 5"), text,
                                 QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
}

} // namespace velmora
