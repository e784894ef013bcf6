#pragma once

#include "base/Progress.h"

#include <QDialog>
#include <QStringList>

class QLabel;
class QListWidget;
class QPlainTextEdit;
class QProgressBar;
class QFrame;

namespace velmora {

// The start and progress window: club crest, product name, version, and the
// panel of steps with a progress bar that long operations report into. One
// instance lives for the whole run; everything runs on the one UI thread,
// so each report repaints directly instead of waiting for the event loop.
class TAboutBox : public QDialog, public Progress {
    Q_OBJECT
public:
    static constexpr int kBuild = 145;

    explicit TAboutBox(QWidget *parent = nullptr);
    ~TAboutBox() override;

    // Progress
    void ResetSteps() override;
    void AddStep(const QString &caption) override;
    void StepDone() override;
    void SetProgressRange(int n) override;
    void AdvanceProgress(int n) override;
    void ShowProgress() override;
    void CloseProgress() override;

    // Loads the crest; a path naming no readable picture leaves none.
    void LoadCrest(const QString &path);
    // The three lines of the text, from the current settings.
    static QString InfoText();

    // State for callers and tests.
    QStringList steps() const;
    bool stepChecked(int index) const;
    int stepsDone() const { return m_done; }
    int progressMaximum() const;
    int progressPosition() const;
    bool progressVisible() const;
    bool hasCrest() const;

    // Closing by the user (title bar, Escape) follows the same rule.
    void done(int result) override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void resetPanel();
    void centre();

    QLabel *m_crest;
    QLabel *m_productName;
    QPlainTextEdit *m_comments;
    QFrame *m_panel;
    QListWidget *m_steps;
    QProgressBar *m_bar;
    int m_done = 0;
    int m_maximum = 100;
    int m_position = 0;
};

} // namespace velmora
