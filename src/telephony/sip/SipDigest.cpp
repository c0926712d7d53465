#include "telephony/sip/SipDigest.h"

#include <QCryptographicHash>
#include <QRandomGenerator>

#include <utility>

namespace {

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// name=value pairs separated by commas; values may be quoted strings with backslash escapes.
QList<std::pair<QByteArray, QByteArray>> parameters(const QByteArray& text) {
    QList<std::pair<QByteArray, QByteArray>> result;
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n) {
        while (i < n && (isSpace(text[i]) || text[i] == ','))
            ++i;
        const qsizetype nameStart = i;
        while (i < n && text[i] != '=' && text[i] != ',' && !isSpace(text[i]))
            ++i;
        const QByteArray name = text.mid(nameStart, i - nameStart).toLower();
        while (i < n && isSpace(text[i]))
            ++i;
        QByteArray value;
        if (i < n && text[i] == '=') {
            ++i;
            while (i < n && isSpace(text[i]))
                ++i;
            if (i < n && text[i] == '"') {
                for (++i; i < n && text[i] != '"'; ++i) {
                    if (text[i] == '\\' && i + 1 < n)
                        ++i;
                    value.append(text[i]);
                }
                ++i; // the closing quote
            } else {
                const qsizetype start = i;
                while (i < n && text[i] != ',' && !isSpace(text[i]))
                    ++i;
                value = text.mid(start, i - start);
            }
        }
        if (!name.isEmpty())
            result.append({name, value});
    }
    return result;
}

QByteArray quoted(const QByteArray& value) {
    QByteArray out = "\"";
    for (const char c : value) {
        if (c == '"' || c == '\\')
            out.append('\\');
        out.append(c);
    }
    return out + '"';
}

// "-sess" variants hash the password once per nonce and client nonce; the hash is the same.
bool isSession(const QByteArray& algorithm) {
    return algorithm.toLower().endsWith("-sess");
}

QByteArray baseAlgorithm(const QByteArray& algorithm) {
    return isSession(algorithm) ? algorithm.chopped(5) : algorithm;
}

bool isSha256(const QByteArray& algorithm) {
    return baseAlgorithm(algorithm).compare("SHA-256", Qt::CaseInsensitive) == 0;
}

QByteArray hashHex(const QByteArray& algorithm, const QByteArray& text) {
    return QCryptographicHash::hash(text, isSha256(algorithm) ? QCryptographicHash::Sha256
                                                              : QCryptographicHash::Md5)
        .toHex();
}

} // namespace

std::optional<SipDigestChallenge> SipDigestChallenge::Parse(const QByteArray& value, bool proxy) {
    const QByteArray text = value.trimmed();
    if (text.size() < 7 || !text.left(7).toLower().startsWith("digest") || !isSpace(text[6]))
        return std::nullopt;
    SipDigestChallenge c;
    c.proxy = proxy;
    for (const auto& [name, v] : parameters(text.mid(7))) {
        if (name == "realm")
            c.realm = v;
        else if (name == "nonce")
            c.nonce = v;
        else if (name == "opaque")
            c.opaque = v;
        else if (name == "algorithm")
            c.algorithm = v;
        else if (name == "stale")
            c.stale = v.compare("true", Qt::CaseInsensitive) == 0;
        else if (name == "qop") {
            for (const QByteArray& option : v.split(','))
                c.qopAuth = c.qopAuth || option.trimmed().compare("auth", Qt::CaseInsensitive) == 0;
        }
    }
    if (c.nonce.isEmpty())
        return std::nullopt;
    return c;
}

bool SipDigestChallenge::supported() const {
    // A session variant needs the client nonce, which only goes with qop.
    if (isSession(algorithm) && !qopAuth)
        return false;
    const QByteArray base = baseAlgorithm(algorithm);
    return base.isEmpty() || base.compare("MD5", Qt::CaseInsensitive) == 0 || isSha256(base);
}

std::optional<SipDigestChallenge> ChooseChallenge(const QList<SipDigestChallenge>& challenges) {
    for (const SipDigestChallenge& c : challenges) {
        if (c.supported())
            return c;
    }
    return std::nullopt;
}

SipDigest::SipDigest(SipDigestChallenge challenge, QByteArray user, QByteArray password)
    : m_challenge(std::move(challenge)), m_user(std::move(user)), m_password(std::move(password)) {}

QByteArray SipDigest::Response(const QByteArray& algorithm, const QByteArray& user,
                               const QByteArray& realm, const QByteArray& password,
                               const QByteArray& method, const QByteArray& uri,
                               const QByteArray& nonce, const QByteArray& nc,
                               const QByteArray& cnonce, bool qopAuth) {
    QByteArray ha1 = hashHex(algorithm, user + ':' + realm + ':' + password);
    if (isSession(algorithm))
        ha1 = hashHex(algorithm, ha1 + ':' + nonce + ':' + cnonce);
    const QByteArray ha2 = hashHex(algorithm, method + ':' + uri);
    if (qopAuth)
        return hashHex(algorithm, ha1 + ':' + nonce + ':' + nc + ':' + cnonce + ":auth:" + ha2);
    return hashHex(algorithm, ha1 + ':' + nonce + ':' + ha2);
}

QByteArray SipDigest::header(const QByteArray& method, const QByteArray& uri) {
    if (!isSet())
        return {};
    const SipDigestChallenge& c = m_challenge;
    const QByteArray nc = QByteArray::number(++m_count, 16).rightJustified(8, '0');
    const QByteArray cnonce =
        QByteArray::number(QRandomGenerator::global()->generate64(), 16).rightJustified(16, '0');
    QByteArray out = c.proxy ? "Proxy-Authorization: Digest " : "Authorization: Digest ";
    out += "username=" + quoted(m_user) + ", realm=" + quoted(c.realm) +
           ", nonce=" + quoted(c.nonce) + ", uri=" + quoted(uri) + ", response=\"" +
           Response(c.algorithm, m_user, c.realm, m_password, method, uri, c.nonce, nc, cnonce,
                    c.qopAuth) +
           '"';
    if (!c.algorithm.isEmpty())
        out += ", algorithm=" + c.algorithm;
    if (!c.opaque.isEmpty())
        out += ", opaque=" + quoted(c.opaque);
    if (c.qopAuth)
        out += ", qop=auth, nc=" + nc + ", cnonce=" + quoted(cnonce);
    return out + "\r\n";
}
