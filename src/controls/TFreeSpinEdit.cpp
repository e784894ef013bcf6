#include "controls/TFreeSpinEdit.h"

#include <QLineEdit>
#include <limits>

namespace velmora {

TFreeSpinEdit::TFreeSpinEdit(QWidget *parent) : QAbstractSpinBox(parent) {
    setText(QStringLiteral("0"));
}

void TFreeSpinEdit::setText(const QString &text) {
    lineEdit()->setText(text);
}

QString TFreeSpinEdit::text() const {
    return lineEdit()->text();
}

std::optional<int> TFreeSpinEdit::number() const {
    bool ok = false;
    const int n = text().trimmed().toInt(&ok);
    if (!ok)
        return std::nullopt;
    return n;
}

void TFreeSpinEdit::stepBy(int steps) {
    const qint64 n = qint64(number().value_or(0)) + steps;
    if (n < std::numeric_limits<int>::min() || n > std::numeric_limits<int>::max())
        return;
    setText(QString::number(n));
    lineEdit()->selectAll();
}

QValidator::State TFreeSpinEdit::validate(QString &, int &) const {
    return QValidator::Acceptable;
}

} // namespace velmora
