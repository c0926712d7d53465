#pragma once

#include "platform/MessageSeam.h"

#include <QList>

// Installs itself as the message handler for its lifetime and records every message instead of
// showing it, so tests can check text, title and icon without a modal loop.
class MessageRecorder {
public:
    MessageRecorder();
    ~MessageRecorder();
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;

    const QList<MessageRequest>& messages() const { return m_messages; }
    QStringList texts() const;
    void clear() { m_messages.clear(); }
    // Called after a message is recorded (for example to close a window the message belongs to).
    std::function<void(const MessageRequest&)> onMessage;

private:
    QList<MessageRequest> m_messages;
    MessageHandler m_previous;
};
