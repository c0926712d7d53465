#pragma once

#include <QStringList>

// The modem devices the line service offers, in a stable order so that a modem keeps its line
// device number (and the description the setup window stored for it) from run to run.
namespace DeviceDiscovery {

// The paths in setting Telephony/Devices (separated by ',', or by ';' in a quoted value) when
// set, else ScanDevices().
QStringList DiscoverDevices();

// /dev/serial/by-id/* (stable names), then /dev/ttyACM* and /dev/ttyUSB* not already reached
// through a by-id link, each group sorted. devRoot replaces "/dev" in tests.
QStringList ScanDevices(const QString& devRoot = QStringLiteral("/dev"));

// Splits a Devices setting at ',' and ';', blanks around entries removed, empties dropped.
QStringList SplitDeviceSetting(const QString& value);

// The settings file the program's settings store uses.
QString SettingsFilePath();

} // namespace DeviceDiscovery
