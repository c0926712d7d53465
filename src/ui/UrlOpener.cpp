#include "ui/UrlOpener.h"

#include <QDesktopServices>

namespace {
UrlOpenHandler& currentHandler() {
    static UrlOpenHandler handler;
    return handler;
}
} // namespace

bool OpenUrl(const QUrl& url) {
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
