#pragma once

#include "base/Messages.h"

#include <functional>

class QWidget;

namespace velmora {

class VelmoraError;

// The message service of the running program: modal message boxes.
class TMessageBoxes : public Messages {
public:
    void show(Kind kind, const QString &text) override;
    bool ask(const QString &text) override;
};

// Puts the cursor on the window's control of that name, where it has one.
void FocusControl(QWidget *window, const QString &name);

// Tells the user what went wrong and, where the window holds the control the
// error names, puts the cursor there so he can correct it at once.
void ShowError(QWidget *window, const VelmoraError &e);

// Runs one step of a window's work; an error it raises is shown as above and
// the step counts as failed.
bool Guarded(QWidget *window, const std::function<void()> &step);

} // namespace velmora
