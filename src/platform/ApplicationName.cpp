#include "platform/ApplicationName.h"

#include <QCoreApplication>
#include <QFileInfo>

QString ApplicationName() {
    if (QCoreApplication::instance()) {
        QString name = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
        if (name.endsWith(QLatin1String("-service")))
            name.chop(8);
        if (!name.isEmpty())
            return name;
    }
    return QStringLiteral("hushwire");
}
