#include "ui/HelpPage.h"

#include "platform/AppFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {
const QLatin1String kHelpFile("help.html");
}

QString FindHelpPage(const QString& executableDir) {
    const QString beside = QDir(executableDir).filePath(kHelpFile);
    const QString shareDir = InstalledShareFolder(executableDir);
    const QString installed = QDir(shareDir).filePath(kHelpFile);
    if (QFileInfo(beside).isFile())
        return QDir::cleanPath(beside);
    if (QFileInfo(installed).isFile())
        return installed;
    // Neither holds it: name the place this layout should have it, for the message that says
    // the page is missing.
    const bool installedLayout =
        QFileInfo(executableDir).fileName() == QLatin1String("bin") || QFileInfo(shareDir).isDir();
    return installedLayout ? installed : QDir::cleanPath(beside);
}

QUrl HelpPageUrl(const QString& section) {
    const QString exeDir =
        QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QDir::currentPath();
    QUrl url = QUrl::fromLocalFile(FindHelpPage(exeDir));
    if (!section.isEmpty())
        url.setFragment(section);
    return url;
}
