#pragma once

#include <QString>

// The settings file a component reads and changes, with the sentences that tell the user why a
// change did not land. The settings store fills it in (SettingsFileAt), so a component below it
// neither knows where the file is nor words its failures itself.
struct SettingsFileRef {
    QString path;
    QString notWritten; // the file could not be written
    QString damaged;    // the file could not be read, so it was left as it was
};
