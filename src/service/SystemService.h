#pragma once

#include <QString>

// The system-wide service's folders, as its unit sets them: data in /var/lib/hushwire, settings
// in /var/lib/hushwire/config, its socket under /run/hushwire (which exists only while it runs).
// HUSHWIRE_SYSTEM_ROOT puts them under another folder (tests).
namespace systemservice {

QString DataFolder();
QString ConfigFolder();
QString RuntimeFolder();
// Whether the system service runs now.
bool IsRunning();

// Makes this process act on the system service's folders and socket: sets the environment the
// unit gives the service, so every later lookup (the data folder, the settings file, the socket)
// finds them. Call before the first settings access.
void UseFolders();

// When this user's own service does not answer and the system service runs, a note for standard
// error saying which folder a command acts on and how to reach the system service's; else empty.
QString FolderNotice(const QString& ownSocketPath, const QString& ownDataFolder);

} // namespace systemservice
