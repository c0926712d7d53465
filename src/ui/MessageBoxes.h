#pragma once

#include "platform/MessageSeam.h"

#include <QMessageBox>

// The widget side of the message seam: every ShowMessage becomes a modal QMessageBox with the
// given text, title and icon and an OK button, owned by the active window when there is one.
QMessageBox::Icon ToMessageBoxIcon(MessageIcon icon);
void ShowMessageBox(const MessageRequest& request);

// Installs ShowMessageBox as the program's message handler; returns the previous handler.
MessageHandler InstallWidgetMessageHandler();

// The widget side of the password seam: a modal dialog with a hidden entry; nullopt on Cancel.
std::optional<QString> AskSecretDialog(const SecretRequest& request);
// Installs AskSecretDialog as the program's password handler; returns the previous handler.
SecretHandler InstallWidgetSecretHandler();

// True on a platform that has no screen a user could see (offscreen, minimal). A modal box
// there would wait forever for a click nobody can make, so the program keeps messages on
// standard error instead.
bool IsHeadlessPlatform();
