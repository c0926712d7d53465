#pragma once

#include <QString>

// Where a service with no desktop keyring finds the password of the SIP account in [Sip<group>]:
// the systemd credential sip<group> ($CREDENTIALS_DIRECTORY/sip<group>, given by the unit's
// LoadCredential=), else the file the group names in PasswordFile=. The file must be readable by
// its owner only: one that group or others may read is refused, since the password would not be
// secret. One trailing line break is not part of the password.
struct ServicePassword {
    QString password;
    // Empty when found or when neither source is set up; else why the password could not be
    // taken, a sentence for the log.
    QString problem;
    bool found() const { return !password.isEmpty(); }
};

ServicePassword ReadServicePassword(const QString& settingsFile, int group);
