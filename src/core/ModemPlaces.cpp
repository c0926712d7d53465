#include "core/ModemPlaces.h"

#include "settings/EngineOptions.h"
#include "settings/SettingsStore.h"

#include <QRegularExpression>

#include <algorithm>
#include <array>

QString ModemPathOfDescription(const QString& description) {
    // The modem's line name, "identity (path)", then its media modes.
    static const QRegularExpression kModem(QStringLiteral(R"( \((/[^()]+)\)  \[\d+\]$)"));
    const QRegularExpressionMatch match = kModem.match(description);
    return match.hasMatch() ? match.captured(1) : QString();
}

QStringList KeepChosenModemPlaces(QStringList found) {
    std::array<QString, EngineOptions::kLines> stored;
    std::array<bool, EngineOptions::kLines> chosen{};
    for (int line = 0; line < EngineOptions::kLines; ++line) {
        const QString key = QStringLiteral("Line%1").arg(line);
        stored[size_t(line)] =
            ModemPathOfDescription(ReadSetting(QStringLiteral("Modem"), key, QString()));
        chosen[size_t(line)] =
            ReadSetting(QStringLiteral("Config"), key, QStringLiteral("0")) == QLatin1String("1");
    }
    // A modem no line knows may be the replacement of the missing one: the scan's order stands,
    // so it takes the line (with fresh counters) as it always did.
    for (const QString& path : std::as_const(found)) {
        if (std::find(stored.begin(), stored.end(), path) == stored.end())
            return found;
    }
    for (int line = 0; line < EngineOptions::kLines; ++line) {
        const QString& path = stored[size_t(line)];
        if (!chosen[size_t(line)] || path.isEmpty() || found.contains(path) || line > found.size())
            continue;
        found.insert(line, path);
    }
    return found;
}
