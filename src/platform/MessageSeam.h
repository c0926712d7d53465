#pragma once

#include <QString>
#include <functional>

// Every message box of the program goes through ShowMessage, so that core code can report
// failures without depending on widgets, and tests can read what would have been shown
// without running a modal loop.
enum class MessageIcon { Information, Warning, Critical, Question };

struct MessageRequest {
    QString text;
    QString title;
    MessageIcon icon = MessageIcon::Information;
};

using MessageHandler = std::function<void(const MessageRequest&)>;

// Shows the message (modal where a widget handler is installed) and returns when it is closed.
void ShowMessage(const QString& text, const QString& title, MessageIcon icon);

// Installs the handler that shows messages; returns the previous one. Without an installed
// handler messages go to standard error.
MessageHandler InstallMessageHandler(MessageHandler handler);

// The program's own title, used by message boxes unless another title is given.
inline QString AppTitle() {
    return QStringLiteral("Hushwire");
}
