#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// What a modem said about itself when asked.
struct ModemIdentity {
    QString identity;   // first ATI3 (or ATI) line
    bool voice = false; // AT+FCLASS=? lists class 8
};

namespace ModemProbe {

// Asks the modem on path who it is, without an event loop (so that no other notice can run
// while a caller waits for the answer): ATZ, ATE0, ATI3 (ATI if refused), AT+FCLASS=?. A port
// that does not answer ATZ with OK within timeoutMs is not a modem. On failure *error says why.
bool Probe(const QString& path, int timeoutMs, ModemIdentity* out, QString* error);

// The line name shown to the user: the modem's identity and its device path.
QString LineName(const QString& identity, const QString& path);

// True when a class list such as "0,1,1.0,2,8" (or "(0,1,2,8)") contains voice class 8.
bool ListsVoiceClass(const QList<QByteArray>& info);

// True for U.S. Robotics modems, which need AT#VTD before they report DTMF and tones.
bool IsUsRobotics(const QString& identity);

// The first informative line of an identity reply.
QString IdentityFrom(const QList<QByteArray>& info);

} // namespace ModemProbe
