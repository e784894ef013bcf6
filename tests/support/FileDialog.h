#pragma once

#include "support/WhenShown.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace velmora::test {

// What a file dialog offered when it was answered.
struct FileDialogSeen {
    bool shown = false;
    QString title;
    QStringList nameFilters;
    QString defaultSuffix;
    QFileDialog::AcceptMode acceptMode = QFileDialog::AcceptOpen;
    QFileDialog::FileMode fileMode = QFileDialog::AnyFile;
    bool nonNative = false;
    QString proposedName; // the text of the file name edit when it appeared
};

// Answers the next (non-native) file dialog as a user does: types the path
// into its file name edit and presses its accept button; an empty path
// cancels it. What the dialog offered goes to *seen.
inline void answerFileDialog(const QString &path, FileDialogSeen *seen = nullptr) {
    whenShown<QFileDialog>([path, seen](QFileDialog &d) {
        auto *edit = d.findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        auto *buttons = d.findChild<QDialogButtonBox *>(QStringLiteral("buttonBox"));
        if (seen) {
            seen->shown = true;
            seen->title = d.windowTitle();
            seen->nameFilters = d.nameFilters();
            seen->defaultSuffix = d.defaultSuffix();
            seen->acceptMode = d.acceptMode();
            seen->fileMode = d.fileMode();
            seen->nonNative = d.testOption(QFileDialog::DontUseNativeDialog);
            seen->proposedName = edit ? edit->text() : QString();
        }
        if (!edit || !buttons)
            qFatal("not Qt's own file dialog");
        if (path.isEmpty()) {
            QTest::mouseClick(buttons->button(QDialogButtonBox::Cancel), Qt::LeftButton);
            return;
        }
        // The user goes to the folder, then types the file's name.
        const QFileInfo target(path);
        d.setDirectory(target.absolutePath());
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, target.fileName());
        // The completion list a user would leave with a click elsewhere.
        if (QCompleter *completer = edit->completer(); completer && completer->popup()->isVisible())
            completer->popup()->hide();
        QPushButton *accept = buttons->button(d.acceptMode() == QFileDialog::AcceptSave ? QDialogButtonBox::Save
                                                                                        : QDialogButtonBox::Open);
        if (!accept)
            qFatal("file dialog without its accept button");
        QTest::mouseClick(accept, Qt::LeftButton);
    });
}

} // namespace velmora::test
