#include "ui/MessageBoxes.h"

#include <QApplication>
#include <QGuiApplication>
#include <QInputDialog>
#include <QLineEdit>
#include <QWidget>
#include <cstdio>

QMessageBox::Icon ToMessageBoxIcon(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::Warning:
        return QMessageBox::Warning;
    case MessageIcon::Critical:
        return QMessageBox::Critical;
    case MessageIcon::Question:
        return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

void ShowMessageBox(const MessageRequest& request) {
    // Kept on standard error as well, so a message shown to nobody (no session, a box behind
    // another window) still leaves a trace for whoever started the program.
    std::fprintf(stderr, "%s: %s\n", qPrintable(request.title), qPrintable(request.text));
    QMessageBox box(ToMessageBoxIcon(request.icon), request.title, request.text, QMessageBox::Ok,
                    QApplication::activeWindow());
    box.setObjectName(QStringLiteral("msgBox"));
    box.exec();
}

MessageHandler InstallWidgetMessageHandler() {
    return InstallMessageHandler(&ShowMessageBox);
}

std::optional<QString> AskSecretDialog(const SecretRequest& request) {
    QInputDialog dialog(QApplication::activeWindow());
    dialog.setObjectName(QStringLiteral("dlgSecret"));
    dialog.setWindowTitle(request.title);
    dialog.setLabelText(request.text);
    dialog.setTextEchoMode(QLineEdit::Password);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.textValue();
}

SecretHandler InstallWidgetSecretHandler() {
    return InstallSecretHandler(&AskSecretDialog);
}

bool IsHeadlessPlatform() {
    const QString platform = QGuiApplication::platformName();
    return platform == u"offscreen" || platform == u"minimal";
}
