#include "shell/ServiceLink.h"

#include "service/ControlProtocol.h"

namespace {
// A service answers at once; the window should not hang long on one that is stuck.
constexpr int kTimeoutMs = 2000;
} // namespace

QString FindRunningService(const QString& applicationName) {
    const QString socket = control::SocketPath(applicationName);
    return control::Ask(socket, QLatin1String(control::kStatus), kTimeoutMs) ? socket : QString();
}

QString ServiceLogPath(const QString& socketPath) {
    const auto answer = control::Ask(socketPath, QLatin1String(control::kLogPath), kTimeoutMs);
    return answer && !answer->isEmpty() ? answer->first() : QString();
}

std::optional<DeviceDescriptions> ServiceLineDescriptions(const QString& socketPath) {
    const auto answer = control::Ask(socketPath, QLatin1String(control::kStatus), kTimeoutMs);
    if (!answer)
        return std::nullopt;
    DeviceDescriptions devices;
    for (const QString& text : *answer) {
        const auto status = control::ParseStatusLine(text);
        if (!status || status->line >= int(devices.size()))
            continue;
        DeviceDescription& device = devices[size_t(status->line)];
        device.text = status->description;
        device.usable = !status->description.isEmpty();
        // A missing line's text only says what is not there: its stored description stays.
        device.present = device.usable && status->state != control::LineState::Missing;
    }
    return devices;
}

bool ReloadService(const QString& socketPath) {
    const auto answer = control::Ask(socketPath, QLatin1String(control::kReload), kTimeoutMs);
    return answer && answer->isEmpty(); // "ok" alone; a refusal comes with a reason
}
