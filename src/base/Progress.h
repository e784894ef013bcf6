#pragma once

#include <QString>
#include <QStringList>

namespace velmora {

// The start and progress window's operations, so that long operations of
// the core can report into it without knowing the window.
class Progress {
public:
    virtual ~Progress() = default;
    virtual void ResetSteps() = 0;
    virtual void AddStep(const QString &caption) = 0;
    virtual void StepDone() = 0;
    virtual void SetProgressRange(int n) = 0;
    virtual void AdvanceProgress(int n) = 0;
    virtual void ShowProgress() = 0;
    // The callers' last step: hides the panel, resets the steps and the bar.
    virtual void CloseProgress() = 0;
};

// Counts steps and positions without showing anything: for tests and for
// callers that run without a window.
class SilentProgress : public Progress {
public:
    void ResetSteps() override {
        steps.clear();
        done = 0;
    }
    void AddStep(const QString &caption) override { steps << caption; }
    void StepDone() override {
        if (done < steps.size())
            ++done;
    }
    void SetProgressRange(int n) override {
        maximum = n;
        position = 0;
    }
    void AdvanceProgress(int n) override {
        if (visible)
            position += n;
    }
    void ShowProgress() override { visible = true; }
    void CloseProgress() override {
        visible = false;
        ResetSteps();
        position = 0;
    }

    QStringList steps;
    int done = 0;
    int maximum = 100;
    int position = 0;
    bool visible = false;
};

} // namespace velmora
