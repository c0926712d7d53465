#pragma once

#include <QByteArray>
#include <QList>

#include <optional>

// One digest challenge from a 401 (WWW-Authenticate) or 407 (Proxy-Authenticate), and the
// Authorization header that answers it. MD5 and SHA-256 are supported (RFC 8760), each also in
// its "-sess" form; a server may list several algorithms for one realm, strongest first, one
// header each.
struct SipDigestChallenge {
    bool proxy = false; // Proxy-Authenticate: answered with Proxy-Authorization
    QByteArray realm;
    QByteArray nonce;
    QByteArray opaque;
    QByteArray algorithm; // as the server wrote it; empty means MD5
    bool qopAuth = false; // qop offers "auth"
    bool stale = false;   // the password was right, only the nonce had run out

    // Parses a header value ("Digest realm=..., nonce=..."); nothing when it is not a digest
    // challenge or has no nonce.
    static std::optional<SipDigestChallenge> Parse(const QByteArray& value, bool proxy);
    bool supported() const;
};

// The first challenge in the order given that can be answered: a server lists the algorithm it
// prefers first. Nothing when none can be.
std::optional<SipDigestChallenge> ChooseChallenge(const QList<SipDigestChallenge>& challenges);

// The credentials for one challenge, counting the uses of its nonce (nc).
class SipDigest {
public:
    SipDigest() = default;
    SipDigest(SipDigestChallenge challenge, QByteArray user, QByteArray password);

    bool isSet() const { return !m_challenge.nonce.isEmpty(); }
    const SipDigestChallenge& challenge() const { return m_challenge; }
    // "Authorization: Digest ...\r\n" (or Proxy-Authorization) for a request; empty when unset.
    QByteArray header(const QByteArray& method, const QByteArray& uri);

    // The response value itself, hex: for tests against published examples.
    static QByteArray Response(const QByteArray& algorithm, const QByteArray& user,
                               const QByteArray& realm, const QByteArray& password,
                               const QByteArray& method, const QByteArray& uri,
                               const QByteArray& nonce, const QByteArray& nc,
                               const QByteArray& cnonce, bool qopAuth);

private:
    SipDigestChallenge m_challenge;
    QByteArray m_user;
    QByteArray m_password;
    uint32_t m_count = 0;
};
