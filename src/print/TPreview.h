#pragma once

#include "print/PrintSettings.h"

#include <QDialog>
#include <QPrinter>

class QFontDialog;
class QLineEdit;
class QPushButton;

namespace velmora {

class Cursor;
class TTREList;

// "Seite einrichten": the title and the two fonts of the diary print-out,
// kept in the print settings file, and printing through the print dialog
// (any printer, a PDF file among them). "&Vorschau" shows the pages first,
// so that a coach checks them before paper is spent.
class TPreview : public QDialog {
    Q_OBJECT
public:
    // The element list gives each block's fields (the program's
    // FormElementCache); the settings file is read at once.
    explicit TPreview(TTREList &elements, QWidget *parent = nullptr,
                      const QString &settingsPath = PrintSettings::DefaultPath());
    ~TPreview() override;

    // The active diary's title and entry list; without them printing stops
    // with "QUERY NOT INITIALIZED".
    void SetSource(const QString &title, Cursor *entries);

    // The print dialog, then the pages; true when printed. Errors are shown.
    bool PrintWithDialog();
    // The pages onto a printer already chosen; true when printed. Errors are shown.
    bool PrintTo(QPrinter &printer);

    // The settings as the controls hold them.
    PrintSettings settings() const;
    QPrinter &printer() { return m_printer; }

    void OKBtnClick();
    void btnVorschauClick();
    void btnSchriftKopfClick();
    void btnSchriftBodyClick();

    QLineEdit *txtTitel = nullptr;
    QFontDialog *FontDialog1 = nullptr; // header
    QFontDialog *FontDialog2 = nullptr; // body
    QPushButton *btnSchriftKopf = nullptr;
    QPushButton *btnSchriftBody = nullptr;
    QPushButton *OKBtn = nullptr;
    QPushButton *btnVorschau = nullptr;
    QPushButton *CancelBtn = nullptr;

public Q_SLOTS:
    // Closing writes the title and the fonts back; when the file cannot be
    // written the coach is told and may stay to keep what he typed.
    void done(int result) override;

private:
    bool hasSource() const;

    TTREList &m_elements;
    QString m_settingsPath;
    PrintSettings m_settings; // colours as read: the font dialogs have none
    QString m_title;
    Cursor *m_entries = nullptr;
    QPrinter m_printer{QPrinter::HighResolution};
};

} // namespace velmora
