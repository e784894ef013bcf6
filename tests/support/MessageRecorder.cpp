#include "support/MessageRecorder.h"

namespace velmora::test {

MessageRecorder::MessageRecorder() : m_previous(&Messages::instance()) { Messages::install(this); }

MessageRecorder::~MessageRecorder() { Messages::install(nullptr); }

void MessageRecorder::show(Kind kind, const QString &text) { m_entries << Entry{kind, text}; }

bool MessageRecorder::ask(const QString &text) {
    m_entries << Entry{Kind::Question, text};
    if (m_answers.isEmpty()) {
        m_unanswered = true;
        return false;
    }
    return m_answers.takeFirst();
}

QStringList MessageRecorder::texts() const {
    QStringList out;
    for (const Entry &e : m_entries)
        out << e.text;
    return out;
}

QStringList MessageRecorder::texts(Kind kind) const {
    QStringList out;
    for (const Entry &e : m_entries)
        if (e.kind == kind)
            out << e.text;
    return out;
}

void MessageRecorder::clear() {
    m_entries.clear();
    m_answers.clear();
    m_unanswered = false;
}

} // namespace velmora::test
