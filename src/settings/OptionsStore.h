#pragma once

#include "settings/DeviceDescription.h"
#include "settings/EngineOptions.h"

#include <QString>

// The leading decimal number of a stored setting ("1 " gives 1, "x" gives 0), as numeric
// options are read. Leading blanks and a sign are accepted; values beyond the 32-bit range are
// clamped.
int LeadingNumber(const QString& text);

// The stored options, for the line devices as described: a line whose device is missing or
// cannot be used is switched off in the result only (the stored choice is the user's and
// stays, so the line opens again once its device is back); a usable line takes its device's
// media mode. Missing or unreadable values are the defaults.
EngineOptions LoadEngineOptions(const DeviceDescriptions& devices);
// Reads only the options that decide who is screened (BlockUnknown, BlockUnlisted, QuietHours,
// CallBackMinutes) into o, touching no line setting.
void LoadScreeningOptions(EngineOptions& o);

// Saves what the setup window shows, each value journalled, in this order: the line choices
// (a line whose device cannot be used now keeps its stored choice), the device descriptions
// (under "Modem"; a device that is not there keeps the stored one), MinOnStart, BlockUnknown,
// PIN and AutoStart; then writes the start-with-system entry and stores Mode, then
// BlockUnlisted, QuietHours and CallBackMinutes where they changed; NotifyBlocked is stored
// unjournalled. Stops at the first setting that cannot be stored (the store has told the user) and
// returns false.
bool SaveEngineOptions(const EngineOptions& options, const DeviceDescriptions& devices);

// A modem that was replaced between runs (its description differs from the one stored under
// "Modem") gets fresh line counters, and its new description is stored. A device that cannot be
// used now changes nothing.
void RecordModemChanges(const DeviceDescriptions& devices);

// Whether a blocked call raises a desktop notification (Config/NotifyBlocked, on by default).
bool NotifyBlockedCalls();
