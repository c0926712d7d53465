#include "core/ModemPlaces.h"

#include "settings/EngineOptions.h"
#include "settings/SettingsStore.h"

#include <QRegularExpression>

QString ModemPathOfDescription(const QString& description) {
    // The modem's line name, "identity (path)", then its media modes.
    static const QRegularExpression kModem(QStringLiteral(R"( \((/[^()]+)\)  \[\d+\]$)"));
    const QRegularExpressionMatch match = kModem.match(description);
    return match.hasMatch() ? match.captured(1) : QString();
}

QStringList KeepChosenModemPlaces(QStringList found) {
    for (int line = 0; line < EngineOptions::kLines; ++line) {
        const QString key = QStringLiteral("Line%1").arg(line);
        if (ReadSetting(QStringLiteral("Config"), key, QStringLiteral("0")) != QLatin1String("1"))
            continue;
        const QString path =
            ModemPathOfDescription(ReadSetting(QStringLiteral("Modem"), key, QString()));
        if (path.isEmpty() || found.contains(path) || line > found.size())
            continue;
        found.insert(line, path);
    }
    return found;
}
