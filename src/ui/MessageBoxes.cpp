#include "ui/MessageBoxes.h"

#include <QApplication>
#include <QGuiApplication>
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

bool IsHeadlessPlatform() {
    const QString platform = QGuiApplication::platformName();
    return platform == u"offscreen" || platform == u"minimal";
}
