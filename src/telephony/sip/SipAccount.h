#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>

// The parts of a SIP account URI that registration needs: "sip:alice@sip.example.net" or
// "sips:alice@host:5061;transport=tls".
struct SipAccount {
    bool valid = false;
    QString transport;       // udp, tcp or tls: a sips: URI or transport= parameter wins
    QString host;            // for the server certificate's name
    QString registrarUri;    // sip:host[:port] with the transport when it is not udp
    QString addressOfRecord; // scheme:user@host[:port], To and From of the REGISTER
    QString contactUser;
    QString authUser;    // the AuthUser setting, else the user of the URI
    QString displayName; // user@host[:port], for the line's name and messages

    static SipAccount Parse(const QString& uri, const QString& authUser, const QString& transport);

    // The local port an account listens on when its settings leave it free: the same one from
    // run to run (derived from the account's address, 15000-16383), so a new start replaces the
    // binding at the provider instead of leaving a dead contact beside it.
    static uint16_t StableLocalPort(const QString& uri);
    // This device's instance for the account, "<urn:uuid:...>": the same from run to run on one
    // machine, so a registrar that knows outbound replaces the binding instead of adding one.
    static QByteArray InstanceUrn(const QString& uri);
};
