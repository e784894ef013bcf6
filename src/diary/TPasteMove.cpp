#include "diary/TPasteMove.h"

#include "base/Messages.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace velmora {

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
