#pragma once

#include "base/Progress.h"

#include <QDialog>
#include <QStringList>
#include <functional>

class QLineEdit;
class QPushButton;

namespace velmora {

class ExchangeExport;

// The exchange window "Datenaustausch". Mode 1 (import) is shown: an archive
// is read into the exchange directory and its data imported. Modes 2 (export
// of the caller's selection) and 3 (backup of the data directory) run at once
// through Execute() without the window being shown. Failures are shown as
// messages; none of them leaves an archive that looks written.
class TTrTbCopy : public QDialog {
    Q_OBJECT
public:
    enum Mode { ModeImport = 1, ModeExport = 2, ModeBackup = 3 };

    // progress: the start and progress window; null runs without one.
    TTrTbCopy(int mode, int personNr, int trainerNr, int gruppenNr, Progress *progress = nullptr,
              QWidget *parent = nullptr);

    int mode() const { return m_mode; }
    int personNr() const { return m_personNr; }
    int trainerNr() const { return m_trainerNr; }
    int gruppenNr() const { return m_gruppenNr; }

    // Export: the condition lines that choose the entries.
    void setSelection(const QStringList &lines) { m_selection = lines; }
    const QStringList &selection() const { return m_selection; }

    // Modes 2 and 3: asks for the archive and writes it. True when an archive
    // was written; false when the user stopped or a failure was shown.
    bool Execute();
    bool ExportData();
    bool Backup();

    // Mode 1.
    void btnDisketteClick();
    void btnImportClick();

    // Lets the caller read its data again after an import (the step
    // "Datenbank aktualisieren").
    std::function<void()> refreshData;

    // The archive chosen last (shown in the window in mode 1).
    QString archivePath() const;

    // The file dialogs of the window: "gezippte Daten", extension ZIP.
    static QString AskArchive(QWidget *parent, bool save, const QString &caption);

private:
    Progress &progress() { return m_progress ? *m_progress : m_silent; }
    // Asks for the archive under the caption and lets `write` fill it.
    bool writeArchive(const QString &caption, const std::function<bool(ExchangeExport &, const QString &)> &write);

    int m_mode;
    int m_personNr;
    int m_trainerNr;
    int m_gruppenNr;
    Progress *m_progress;
    SilentProgress m_silent;
    QStringList m_selection;
    QString m_archive;
    QLineEdit *m_txtDatei = nullptr;
    QPushButton *m_btnDiskette = nullptr;
    QPushButton *m_btnImport = nullptr;
    QPushButton *m_btnClose = nullptr;
};

} // namespace velmora
