#pragma once

#include <QString>

// Start with the system: an XDG autostart entry, hushwire.desktop in $XDG_CONFIG_HOME/autostart
// (~/.config/autostart when unset), whose Exec line starts the program file "hushwire" in the
// folder of the running executable (its real folder, so an installed program points at the
// installed file). Switched off, the entry stays in place with Hidden=true: desktops then skip
// it, and the file is never deleted.

// The autostart entry's path.
QString RunEntryPath();

// The folder of the running executable with links resolved.
QString ProgramFolder();

// The text of the entry for a program in programFolder; on unless state is exactly 1.
QByteArray RunEntryText(const QString& programFolder, int state);

// Writes the entry for the running program (on when state is exactly 1). Returns false and sets
// error (when given) if the folder or the file cannot be written.
bool WriteRunEntry(int state, QString* error = nullptr);

// Writes the entry to path for a program in programFolder; WriteRunEntry without the defaults.
bool WriteRunEntryTo(const QString& path, const QString& programFolder, int state,
                     QString* error = nullptr);
