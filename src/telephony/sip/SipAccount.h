#pragma once

#include <QString>

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
};
