#pragma once

#include "base/Messages.h"

class QWidget;

namespace velmora {

class VelmoraError;

// The message service of the running program: modal message boxes.
class TMessageBoxes : public Messages {
public:
    void show(Kind kind, const QString &text) override;
    bool ask(const QString &text) override;
};

// Tells the user what went wrong and, where the window holds the control the
// error names, puts the cursor there so he can correct it at once.
void ShowError(QWidget *window, const VelmoraError &e);

} // namespace velmora
