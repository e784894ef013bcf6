#include "print/TPreview.h"

#include "base/Errors.h"
#include "base/Messages.h"
#include "print/DiaryPrintLayout.h"
#include "store/Cursor.h"

#include <QFontDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPushButton>
#include <QVBoxLayout>

namespace velmora {

TPreview::TPreview(TTREList &elements, QWidget *parent, const QString &settingsPath)
    : QDialog(parent), m_elements(elements), m_settingsPath(settingsPath) {
    setObjectName(QStringLiteral("Preview"));
    setWindowTitle(QStringLiteral("Seite einrichten"));
    setModal(true);

    auto *lblTitel = new QLabel(QStringLiteral("&Titel"), this);
    lblTitel->setObjectName(QStringLiteral("lblTitel"));
    txtTitel = new QLineEdit(this);
    txtTitel->setObjectName(QStringLiteral("txtTitel"));
    lblTitel->setBuddy(txtTitel);
    btnSchriftKopf = new QPushButton(QStringLiteral("Schrift &Kopf"), this);
    btnSchriftKopf->setObjectName(QStringLiteral("btnSchriftKopf"));
    btnSchriftBody = new QPushButton(QStringLiteral("Schrift &Body"), this);
    btnSchriftBody->setObjectName(QStringLiteral("btnSchriftBody"));
    OKBtn = new QPushButton(QStringLiteral("&Drucken"), this);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setDefault(true);
    btnVorschau = new QPushButton(QStringLiteral("&Vorschau"), this);
    btnVorschau->setObjectName(QStringLiteral("btnVorschau"));
    CancelBtn = new QPushButton(QStringLiteral("Abbrechen"), this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    FontDialog1 = new QFontDialog(this);
    FontDialog1->setObjectName(QStringLiteral("FontDialog1"));
    FontDialog2 = new QFontDialog(this);
    FontDialog2->setObjectName(QStringLiteral("FontDialog2"));

    auto *fields = new QGridLayout;
    fields->addWidget(lblTitel, 0, 0);
    fields->addWidget(txtTitel, 0, 1, 1, 2);
    fields->addWidget(btnSchriftKopf, 1, 1);
    fields->addWidget(btnSchriftBody, 1, 2);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKBtn);
    buttons->addWidget(btnVorschau);
    buttons->addWidget(CancelBtn);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addLayout(buttons);

    connect(OKBtn, &QPushButton::clicked, this, &TPreview::OKBtnClick);
    connect(btnVorschau, &QPushButton::clicked, this, &TPreview::btnVorschauClick);
    connect(btnSchriftKopf, &QPushButton::clicked, this, &TPreview::btnSchriftKopfClick);
    connect(btnSchriftBody, &QPushButton::clicked, this, &TPreview::btnSchriftBodyClick);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);

    // Missing keys take the font the dialog itself shows.
    m_settings = PrintSettings::Read(m_settingsPath, font());
    txtTitel->setText(m_settings.Titel);
    FontDialog1->setCurrentFont(m_settings.HeaderFont);
    FontDialog2->setCurrentFont(m_settings.BodyFont);
}

TPreview::~TPreview() = default;

void TPreview::SetSource(const QString &title, Cursor *entries) {
    m_title = title;
    m_entries = entries;
}

PrintSettings TPreview::settings() const {
    PrintSettings s = m_settings;
    s.Titel = txtTitel->text();
    s.HeaderFont = FontDialog1->currentFont();
    s.BodyFont = FontDialog2->currentFont();
    return s;
}

bool TPreview::hasSource() const {
    if (m_entries)
        return true;
    Messages::error(DiaryPrintLayout::kQueryNotInitialized);
    return false;
}

bool TPreview::PrintTo(QPrinter &printer) {
    if (!hasSource())
        return false;
    DiaryPrintLayout layout(m_elements);
    layout.SetSource(m_title, m_entries);
    layout.SetSettings(settings());
    try {
        layout.Print(printer);
    } catch (const VelmoraError &e) {
        Messages::error(e.message());
        return false;
    }
    return true;
}

bool TPreview::PrintWithDialog() {
    // Without a source there is nothing to choose a printer for.
    if (!hasSource())
        return false;
    QPrintDialog dialog(&m_printer, isVisible() ? this : parentWidget());
    dialog.setObjectName(QStringLiteral("PrintDialog1"));
    if (dialog.exec() != QDialog::Accepted)
        return false;
    return PrintTo(m_printer);
}

void TPreview::OKBtnClick() {
    if (PrintWithDialog())
        accept();
}

void TPreview::btnVorschauClick() {
    if (!hasSource())
        return;
    QPrintPreviewDialog preview(&m_printer, this);
    preview.setObjectName(QStringLiteral("PrintPreview"));
    preview.setWindowTitle(QStringLiteral("Vorschau"));
    bool failed = false;
    connect(&preview, &QPrintPreviewDialog::paintRequested, this, [this, &failed, &preview](QPrinter *printer) {
        // One message for pages that cannot be drawn, not one per repaint.
        if (failed)
            return;
        if (!PrintTo(*printer)) {
            failed = true;
            preview.reject();
        }
    });
    preview.exec();
}

void TPreview::btnSchriftKopfClick() {
    const QFont before = FontDialog1->currentFont();
    if (FontDialog1->exec() != QDialog::Accepted)
        FontDialog1->setCurrentFont(before);
}

void TPreview::btnSchriftBodyClick() {
    const QFont before = FontDialog2->currentFont();
    if (FontDialog2->exec() != QDialog::Accepted)
        FontDialog2->setCurrentFont(before);
}

void TPreview::done(int result) {
    try {
        settings().Write(m_settingsPath);
    } catch (const VelmoraError &e) {
        if (!Messages::question(
                e.message() + QStringLiteral("\nDie Druckeinstellungen sind nicht gespeichert. Trotzdem schließen?"))) {
            txtTitel->setFocus();
            return;
        }
    }
    QDialog::done(result);
}

} // namespace velmora
