#include "app/TTrTbCopy.h"

#include "app/ExchangeRun.h"
#include "base/Errors.h"
#include "base/Messages.h"
#include "exchange/ExchangeExport.h"
#include "store/Engine.h"

#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <array>

namespace velmora {

namespace {
QPushButton *button(QWidget *parent, const char *name, const QString &caption) {
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    return b;
}
} // namespace

TTrTbCopy::TTrTbCopy(int mode, int personNr, int trainerNr, int gruppenNr, Progress *progress, QWidget *parent)
    : QDialog(parent), m_mode(mode), m_personNr(personNr), m_trainerNr(trainerNr), m_gruppenNr(gruppenNr),
      m_progress(progress) {
    setObjectName(QStringLiteral("TrTbCopy"));
    setWindowTitle(QStringLiteral("Datenaustausch"));
    auto *layout = new QVBoxLayout(this);
    auto *label = new QLabel(QStringLiteral("Datei"), this);
    label->setObjectName(QStringLiteral("lblDatei"));
    m_txtDatei = new QLineEdit(this);
    m_txtDatei->setObjectName(QStringLiteral("txtDatei"));
    m_txtDatei->setReadOnly(true);
    label->setBuddy(m_txtDatei);
    layout->addWidget(label);
    layout->addWidget(m_txtDatei);

    m_btnDiskette = button(this, "btnDiskette", QStringLiteral("&Diskette einlesen"));
    m_btnImport = button(this, "btnImport", QStringLiteral("alle Daten &importieren"));
    m_btnClose = button(this, "btnClose", QStringLiteral("Schließen"));
    auto *row = new QHBoxLayout;
    row->addWidget(m_btnDiskette);
    row->addWidget(m_btnImport);
    row->addStretch();
    row->addWidget(m_btnClose);
    layout->addLayout(row);
    connect(m_btnDiskette, &QPushButton::clicked, this, &TTrTbCopy::btnDisketteClick);
    connect(m_btnImport, &QPushButton::clicked, this, &TTrTbCopy::btnImportClick);
    connect(m_btnClose, &QPushButton::clicked, this, &QDialog::reject);

    // An import writes: not into a write-protected database.
    if (Engine *engine = Engine::current(); !engine || engine->dblog().isReadOnly())
        m_btnImport->setEnabled(false);
    resize(480, 120);
}

QString TTrTbCopy::archivePath() const {
    return m_archive;
}

QString TTrTbCopy::AskArchive(QWidget *parent, bool save, const QString &caption) {
    // Qt's own dialog, so that it looks and answers alike on every desktop.
    QFileDialog dialog(parent, caption);
    dialog.setObjectName(save ? QStringLiteral("SaveDialog") : QStringLiteral("OpenDialog"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setNameFilter(QStringLiteral("gezippte Daten (*.ZIP)"));
    dialog.setDefaultSuffix(QStringLiteral("ZIP"));
    if (save) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        // The export asks its own question before an archive is replaced.
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.selectFile(QStringLiteral("TRDATEN.ZIP"));
    }
    if (dialog.exec() != QDialog::Accepted)
        return {};
    const QStringList files = dialog.selectedFiles();
    return files.isEmpty() ? QString() : files.first();
}

bool TTrTbCopy::Execute() {
    switch (m_mode) {
    case ModeExport:
        return ExportData();
    case ModeBackup:
        return Backup();
    default:
        return false;
    }
}

bool TTrTbCopy::ExportData() {
    return writeArchive(QStringLiteral("Daten exportieren"), [this](ExchangeExport &exporter, const QString &archive) {
        return exporter.exportSelection(m_selection, archive);
    });
}

bool TTrTbCopy::Backup() {
    return writeArchive(QStringLiteral("Backup"), [](ExchangeExport &exporter, const QString &archive) {
        exporter.backup(archive);
        return true;
    });
}

bool TTrTbCopy::writeArchive(const QString &caption,
                             const std::function<bool(ExchangeExport &, const QString &)> &write) {
    const QString archive = AskArchive(parentWidget(), true, caption);
    if (archive.isEmpty())
        return false;
    m_archive = archive;
    m_txtDatei->setText(archive);
    try {
        ExchangeExport exporter(*Engine::current(), progress());
        return write(exporter, archive);
    } catch (const VelmoraError &e) {
        Messages::error(e.message());
    }
    return false;
}

void TTrTbCopy::btnDisketteClick() {
    const QString archive = AskArchive(this, false, QStringLiteral("Diskette einlesen"));
    if (archive.isEmpty())
        return;
    m_archive = archive;
    m_txtDatei->setText(archive);
    try {
        ReadExchangeArchive(*Engine::current(), progress(), archive);
    } catch (const VelmoraError &e) {
        Messages::error(e.message());
    }
}

void TTrTbCopy::btnImportClick() {
    const std::array<QPushButton *, 3> buttons{m_btnDiskette, m_btnImport, m_btnClose};
    for (QPushButton *b : buttons)
        b->setEnabled(false);
    try {
        RunImport(*Engine::current(), progress(), m_personNr, m_gruppenNr, refreshData);
    } catch (const VelmoraError &e) {
        // Nothing was imported: the coach may read another archive or close.
        Messages::error(e.message());
        for (QPushButton *b : buttons)
            b->setEnabled(true);
        return;
    }
    accept();
}

} // namespace velmora
