#include "diary/TPasteMove.h"

#include "app/Messages.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
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

TPasteMove::TPasteMove(QWidget *parent) : QDialog(parent) {
    setObjectName(QStringLiteral("PasteMove"));
    setWindowTitle(QStringLiteral("Paste"));
    setModal(true);

    auto *lblEintragungenUm = new QLabel(QStringLiteral("Eintragungen um"), this);
    lblEintragungenUm->setObjectName(QStringLiteral("lblEintragungenUm"));
    txtTage = new TFreeSpinEdit(this);
    txtTage->setObjectName(QStringLiteral("txtTage"));
    auto *lblTageVerschieben = new QLabel(QStringLiteral("Tage verschieben"), this);
    lblTageVerschieben->setObjectName(QStringLiteral("lblTageVerschieben"));
    btnOk = new QPushButton(QStringLiteral("OK"), this);
    btnOk->setObjectName(QStringLiteral("btnOk"));
    btnOk->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("Abbrechen"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));

    auto *row = new QHBoxLayout;
    row->addWidget(lblEintragungenUm);
    row->addWidget(txtTage);
    row->addWidget(lblTageVerschieben);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOk);
    buttons->addWidget(btnCancel);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addLayout(buttons);

    connect(btnOk, &QPushButton::clicked, this, &TPasteMove::btnOkClick);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    txtTage->setFocus();
}

void TPasteMove::btnOkClick() {
    const std::optional<int> n = txtTage->number();
    if (!n) {
        Messages::error(QStringLiteral("Bitte geben Sie eine ganze Zahl ein!"));
        txtTage->setFocus();
        return;
    }
    m_days = *n;
    accept();
}

} // namespace velmora
