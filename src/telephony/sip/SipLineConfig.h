#pragma once

#include "platform/SettingsFileRef.h"

#include <QList>
#include <QString>
#include <QStringList>

// One SIP line as the settings file describes it: group [Sip1] to [Sip4] of the program's INI
// file. A line with an Account registers at a provider or PBX; a line without one listens for
// calls from the addresses in Allow. The password is never read from or written to the file:
// it lives in the secret store (SipSecrets) and is filled in by the caller.
struct SipLineConfig {
    int group = 1;     // n of [Sipn]
    QString account;   // sip: or sips: URI to register; empty for a listening endpoint
    QString listen;    // host:port to listen on
    QStringList allow; // addresses or CIDR ranges that may send calls to a listening endpoint
    QString transport = QStringLiteral("udp"); // udp, tcp or tls
    QString authUser;
    QString proxy;
    QString rewrite; // "from:to" prefix replaced at the start of caller numbers
    // Where a caller who keys the PIN is handed on (a ring group, an extension, the user's
    // phone): a SIP URI; empty when the caller is let go after the message.
    QString transfer;
    QString password;
    // The secret store holds no password and nobody could be asked: the account does not
    // register, and its line says how to give the password.
    bool passwordMissing = false;
    // Why the password could not be taken from where it was given (a credential or password
    // file that cannot be used, a keyring that did not answer); empty when it was not given.
    QString passwordProblem;

    bool isListening() const { return account.isEmpty(); }
    // The outbound proxy as a SIP URI, empty when none is set. Providers publish it as a bare
    // host ("proxy.example.net", "10.0.0.1:5090"): sip: is put in front of it then.
    QString proxyUri() const;
    // The host of the outbound proxy (no port, no brackets), empty when none is set.
    QString proxyHost() const;
    // The listen value with the default filled in when none was set.
    QString listenOrDefault() const;
    // What is wrong with the values, one sentence each for the user; empty when all is usable.
    QStringList problems() const;
};

constexpr int kMaxSipLines = 4;

// Groups Sip1..Sip4 of that INI file, in order, skipping groups that hold no value.
// Transport defaults to tls for a sips: account or one that names transport=tls, else udp;
// Listen to the default for the kind of line.
QList<SipLineConfig> ReadSipLines(const QString& settingsFile);
// Replaces group Sip<config.group> with the config's values (never the password). On failure
// returns false and sets *error to a sentence for the user, the file's own when it could not be
// written or read.
bool WriteSipLine(const SettingsFileRef& settings, const SipLineConfig& config,
                  QString* error = nullptr);
// Removes group Sip<group>; the other groups keep their numbers.
bool RemoveSipLine(const SettingsFileRef& settings, int group, QString* error = nullptr);

// sip:user@host or sip:host, with optional port and ;parameters, nothing that could break out
// of a header: a usable Transfer value.
bool IsSipTransferTarget(const QString& uri);

// Splits "host:port" (IPv6 hosts in brackets); false when it is not of that form or the port
// is out of range. Port 0 asks for an ephemeral port.
bool SplitHostPort(const QString& text, QString* host, int* port);
