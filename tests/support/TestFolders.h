#pragma once

#include <QDir>
#include <QFile>
#include <QString>

// Points the settings file and the application folder under root (root/config and root/app, the
// latter made here), so that nothing a test saves lands in the user's own folders. The settings
// file is resolved once per process: call this before the first settings access.
inline void UseFoldersUnder(const QString& root) {
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(root + QStringLiteral("/config")));
    qputenv("HUSHWIRE_APPFOLDER", QFile::encodeName(root + QStringLiteral("/app")));
    QDir().mkpath(root + QStringLiteral("/app"));
}
