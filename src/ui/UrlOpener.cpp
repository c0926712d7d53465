#include "ui/UrlOpener.h"

#include "platform/MessageSeam.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>

namespace {
UrlOpenHandler& currentHandler() {
    static UrlOpenHandler handler;
    return handler;
}
} // namespace

bool OpenUrl(const QUrl& url) {
    // The desktop says nothing when asked to open a file that is not there; the user is told.
    if (url.isLocalFile() && !QFileInfo::exists(url.toLocalFile())) {
        ShowMessage(QCoreApplication::translate("UrlOpener", "The file to open is missing:\n") +
                        QDir::toNativeSeparators(url.toLocalFile()),
                    AppTitle(), MessageIcon::Warning);
        return false;
    }
    const UrlOpenHandler& handler = currentHandler();
    if (handler)
        return handler(url);
    return QDesktopServices::openUrl(url);
}

UrlOpenHandler InstallUrlOpener(UrlOpenHandler handler) {
    UrlOpenHandler previous = std::move(currentHandler());
    currentHandler() = std::move(handler);
    return previous;
}
