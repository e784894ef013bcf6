#pragma once

#include "base/Messages.h"

namespace velmora {

// The message service of the running program: modal message boxes.
class TMessageBoxes : public Messages {
public:
    void show(Kind kind, const QString &text) override;
    bool ask(const QString &text) override;
};

} // namespace velmora
