#pragma once

#include <QByteArray>
#include <QSet>

// How far one registration may go with a password. A registrar that refuses a password answers
// the digest with a new challenge for the same realm; sending the same password again only
// adds to the failures that get an address banned (fail2ban, a provider's fraud lock-out). So a
// realm's challenge is answered once per attempt, again only when the server says the nonce was
// merely stale, and a refused password holds the account back until it changes.
class SipRegisterAttempts {
public:
    // A new REGISTER exchange starts, or one has just been granted: every realm may be answered.
    void reset();
    // A challenge for realm came; staleNonce when the server marked it stale=true. True when the
    // credentials may be sent; false when this realm's answer was already refused.
    bool mayAnswer(const QByteArray& realm, bool staleNonce);
    // The credentials went out at least once in this exchange.
    bool answered() const { return !m_realms.isEmpty(); }
    bool refused() const { return m_refused; }

private:
    QSet<QByteArray> m_realms;
    bool m_refused = false;
};
