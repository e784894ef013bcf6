#include "base/Messages.h"

#include <cstdio>

namespace velmora {

namespace {
// Without a window system messages go to standard error; questions are
// answered "no", which never destroys anything.
class StderrMessages : public Messages {
public:
    void show(Kind, const QString &text) override { std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData()); }
    bool ask(const QString &text) override {
        show(Kind::Question, text);
        return false;
    }
};

StderrMessages g_stderr;
Messages *g_service = nullptr;
} // namespace

Messages &Messages::instance() {
    return g_service ? *g_service : g_stderr;
}
void Messages::install(Messages *service) {
    g_service = service;
}

} // namespace velmora
