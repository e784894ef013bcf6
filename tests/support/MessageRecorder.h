#pragma once

#include "base/Messages.h"

#include <QList>
#include <QStringList>

namespace velmora::test {

// Replaces the message boxes while it lives: records every message and
// answers questions from a script (no answer left: "no", and noted).
class MessageRecorder : public Messages {
public:
    struct Entry {
        Kind kind;
        QString text;
    };

    MessageRecorder();
    ~MessageRecorder() override;

    void show(Kind kind, const QString &text) override;
    bool ask(const QString &text) override;

    void answer(bool yes) { m_answers << yes; }
    const QList<Entry> &entries() const { return m_entries; }
    QStringList texts() const;
    QStringList texts(Kind kind) const;
    bool unansweredQuestion() const { return m_unanswered; }
    void clear();

private:
    Messages *m_previous = nullptr;
    QList<Entry> m_entries;
    QList<bool> m_answers;
    bool m_unanswered = false;
};

} // namespace velmora::test
