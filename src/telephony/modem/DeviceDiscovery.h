#pragma once

#include <QStringList>

// The modem devices the line service offers, in a stable order so that a modem keeps its line
// device number (and the description the setup window stored for it) from run to run.
namespace DeviceDiscovery {

// /dev/serial/by-id/* (stable names), then /dev/ttyACM* and /dev/ttyUSB* not already reached
// through a by-id link, each group sorted. devRoot replaces "/dev" in tests.
QStringList ScanDevices(const QString& devRoot = QStringLiteral("/dev"));

} // namespace DeviceDiscovery
