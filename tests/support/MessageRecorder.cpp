#include "support/MessageRecorder.h"

#include <QStringList>

MessageRecorder::MessageRecorder() {
    m_previous = InstallMessageHandler([this](const MessageRequest& request) {
        m_messages.append(request);
        if (onMessage)
            onMessage(request);
    });
}

MessageRecorder::~MessageRecorder() {
    InstallMessageHandler(std::move(m_previous));
}

QStringList MessageRecorder::texts() const {
    QStringList result;
    for (const MessageRequest& m : m_messages)
        result.append(m.text);
    return result;
}
