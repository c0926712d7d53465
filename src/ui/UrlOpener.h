#pragma once

#include <QUrl>
#include <functional>

// Asking the desktop to open a web page, a mail link or a file goes through OpenUrl, so that tests
// can see what would have been opened without starting a browser or a viewer.
using UrlOpenHandler = std::function<bool(const QUrl&)>;

// Opens the URL with the desktop's default application (QDesktopServices::openUrl) unless a
// handler is installed; returns whether the request was accepted. A local file that does not
// exist is not handed on: a message names it instead.
bool OpenUrl(const QUrl& url);

// Installs a handler that receives every OpenUrl instead of the desktop; an empty handler restores
// the desktop. Returns the previous handler.
UrlOpenHandler InstallUrlOpener(UrlOpenHandler handler);
