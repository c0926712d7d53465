#pragma once

#include "settings/DeviceDescription.h"

#include <QString>
#include <optional>

// What the desktop program asks of a running service over its control socket, when it is that
// service's window rather than the screener itself.

// The control socket of a service running for this user under applicationName, or empty when
// none answers. A second desktop program holding the lock does not listen, so it gives empty.
QString FindRunningService(const QString& applicationName);

// The daily log the service writes; empty when it does not answer.
QString ServiceLogPath(const QString& socketPath);

// The service's line devices as the setup window shows them: the description the service gives
// each line; a line it describes can be chosen (the service switches off, as it reloads, a line
// it cannot use). nullopt when it does not answer: its lines are then unknown, not missing.
std::optional<DeviceDescriptions> ServiceLineDescriptions(const QString& socketPath);

// Asks the service to read the options and the lists again; false when it did not confirm.
bool ReloadService(const QString& socketPath);
