#pragma once

#include <QString>
#include <functional>
#include <optional>

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

// A password the program needs from the user, asked through one seam as messages are, so that
// tests can answer it and a program without a screen does not wait for an answer nobody gives.
struct SecretRequest {
    QString text;
    QString title;
};

using SecretHandler = std::function<std::optional<QString>(const SecretRequest&)>;

// Asks for a password; nullopt when the user declined or nobody can be asked (no handler: the
// request is noted on standard error).
std::optional<QString> AskSecret(const QString& text, const QString& title);

// Installs the handler that asks for passwords; returns the previous one.
SecretHandler InstallSecretHandler(SecretHandler handler);

// The program's own title, used by message boxes unless another title is given.
inline QString AppTitle() {
    return QStringLiteral("Hushwire");
}
