#include "platform/MessageSeam.h"

#include <cstdio>

namespace {
MessageHandler& currentHandler() {
    static MessageHandler handler;
    return handler;
}
SecretHandler& currentSecretHandler() {
    static SecretHandler handler;
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

std::optional<QString> AskSecret(const QString& text, const QString& title) {
    const SecretHandler& handler = currentSecretHandler();
    if (handler)
        return handler(SecretRequest{text, title});
    std::fprintf(stderr, "%s: %s (nobody to ask)\n", qPrintable(title), qPrintable(text));
    return std::nullopt;
}

SecretHandler InstallSecretHandler(SecretHandler handler) {
    SecretHandler previous = std::move(currentSecretHandler());
    currentSecretHandler() = std::move(handler);
    return previous;
}
