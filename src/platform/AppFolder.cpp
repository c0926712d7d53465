#include "platform/AppFolder.h"

#include <QCoreApplication>
#include <QDir>

QString AppFolder() {
    const QString overridden = qEnvironmentVariable("HUSHWIRE_APPFOLDER");
    if (!overridden.isEmpty())
        return QDir::cleanPath(overridden);
    return QCoreApplication::applicationDirPath();
}

QString AppFile(const QString& name) {
    return AppFolder() + QLatin1Char('/') + name;
}
