#pragma once

#include "platform/ApplicationName.h"
#include "platform/SettingsFileRef.h"

#include <QString>
#include <QStringList>

// Persistent settings: text values addressed by section and key, kept per application name in
// an INI file, $XDG_CONFIG_HOME/hushwire/<application name>.conf (~/.config when unset).
// Values saved through the logged writer are also appended to settings.txt in the application
// folder as "section@key@value" lines with CR LF ends; nothing reads that journal back.
// A value that cannot be saved is reported to the user and the writer returns false.

// The settings file in use; resolved on every call, so a changed XDG_CONFIG_HOME takes effect.
QString SettingsFilePath();
// The settings file at path, with the sentences for a change to it that did not land, for the
// components that keep their own groups in it (the SIP lines).
SettingsFileRef SettingsFileAt(const QString& path);
// The modem devices the setting Telephony/Devices names, in its order; empty when unset. They are
// separated by ',', or by ';' in a quoted value (a ';' outside quotes starts a comment).
QStringList ReadDevicesSetting();
// Splits a Devices setting at ',' and ';', blanks around entries removed, empties dropped.
QStringList SplitDeviceSetting(const QString& value);
// The journal file, settings.txt in the application folder.
QString SettingsJournalPath();

// The stored text, or def when the section or key is missing.
QString ReadSetting(const QString& section, const QString& key, const QString& def = {});
// Stores the text unchanged; nothing is journalled.
bool SaveSettingDirect(const QString& section, const QString& key, const QString& value);
// Stores the text, then appends "section@key@value" to the journal.
bool SaveSettingLogged(const QString& section, const QString& key, const QString& value);
// Stores and journals the decimal text of value.
bool SaveSettingLogged(const QString& section, const QString& key, int value);
// Stores "6500" under Param1 of section "Line<line>" (Param1 to Param6 when all is true, in that
// order) and then "50" under Calls, without journalling. Stops at the first failed write.
void ResetLineCounters(int line, bool all);
