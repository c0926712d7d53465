#include "telephony/modem/DeviceDiscovery.h"

#include "platform/ApplicationName.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QSettings>

#include <algorithm>

namespace DeviceDiscovery {

QString SettingsFilePath() {
    // The same file as the settings store's: $XDG_CONFIG_HOME (when absolute) or ~/.config,
    // then hushwire/<application name>.conf.
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty() || !QDir::isAbsolutePath(config))
        config = QDir::homePath() + QStringLiteral("/.config");
    return QDir::cleanPath(config) + QStringLiteral("/hushwire/") + ApplicationName() +
           QStringLiteral(".conf");
}

QStringList SplitDeviceSetting(const QString& value) {
    QStringList result;
    // Device paths hold neither separator: udev writes ',' and ';' in by-id names as '_'.
    static const QRegularExpression separators(QStringLiteral("[;,]"));
    for (const QString& part : value.split(separators)) {
        const QString p = part.trimmed();
        if (!p.isEmpty())
            result.append(p);
    }
    return result;
}

QStringList DiscoverDevices() {
    QSettings settings(SettingsFilePath(), QSettings::IniFormat);
    const QVariant v = settings.value(QStringLiteral("Telephony/Devices"));
    // Devices=a,b is QSettings' own list syntax and comes back as a list. A ';' outside quotes
    // starts a comment in its INI files, so only a quoted "a;b" arrives whole.
    const QString text = v.typeId() == QMetaType::QStringList
                             ? v.toStringList().join(QLatin1Char(','))
                             : v.toString();
    const QStringList configured = SplitDeviceSetting(text);
    if (!configured.isEmpty())
        return configured;
    return ScanDevices();
}

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
