#include "telephony/modem/DeviceDiscovery.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

#include <algorithm>

namespace DeviceDiscovery {

QStringList ScanDevices(const QString& devRoot) {
    QStringList result;
    QSet<QString> reached;
    QDir byId(devRoot + QStringLiteral("/serial/by-id"));
    QStringList ids = byId.entryList(QDir::Files | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString& name : ids) {
        const QString path = byId.filePath(name);
        result.append(path);
        const QString target = QFileInfo(path).canonicalFilePath();
        if (!target.isEmpty())
            reached.insert(target);
    }
    QDir dev(devRoot);
    for (const QString& pattern : {QStringLiteral("ttyACM*"), QStringLiteral("ttyUSB*")}) {
        QStringList names =
            dev.entryList({pattern}, QDir::Files | QDir::System | QDir::NoDotAndDotDot);
        // ttyUSB2 before ttyUSB10
        std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
            return a.size() != b.size() ? a.size() < b.size() : a < b;
        });
        for (const QString& name : names) {
            const QString path = dev.filePath(name);
            if (!reached.contains(QFileInfo(path).canonicalFilePath()))
                result.append(path);
        }
    }
    return result;
}

} // namespace DeviceDiscovery
