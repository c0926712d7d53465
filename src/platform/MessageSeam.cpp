#include "platform/MessageSeam.h"

#include <cstdio>

namespace {
MessageHandler& currentHandler() {
    static MessageHandler handler;
    return handler;
}
} // namespace

void ShowMessage(const QString& text, const QString& title, MessageIcon icon) {
    const MessageHandler& handler = currentHandler();
    if (handler) {
        handler(MessageRequest{text, title, icon});
        return;
    }
    std::fprintf(stderr, "%s: %s\n", qPrintable(title), qPrintable(text));
}

MessageHandler InstallMessageHandler(MessageHandler handler) {
    MessageHandler previous = std::move(currentHandler());
    currentHandler() = std::move(handler);
    return previous;
}
