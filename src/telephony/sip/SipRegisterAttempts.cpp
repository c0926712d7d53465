#include "telephony/sip/SipRegisterAttempts.h"

void SipRegisterAttempts::reset() {
    m_realms.clear();
    m_refused = false;
}

bool SipRegisterAttempts::mayAnswer(const QByteArray& realm, bool staleNonce) {
    if (m_realms.contains(realm) && !staleNonce) {
        m_refused = true;
        return false;
    }
    m_realms.insert(realm);
    return true;
}

bool IsStaleChallenge(const char* packet, size_t length) {
    const QByteArray text = QByteArray::fromRawData(packet, qsizetype(length));
    if (!text.startsWith("SIP/2.0 401") && !text.startsWith("SIP/2.0 407"))
        return false;
    const qsizetype end = text.indexOf("\r\n\r\n");
    const QByteArray head = (end < 0 ? text : text.left(end)).toLower();
    qsizetype at = head.indexOf("stale");
    while (at >= 0) {
        qsizetype i = at + 5;
        while (i < head.size() && (head[i] == ' ' || head[i] == '\t'))
            ++i;
        if (i < head.size() && head[i] == '=') {
            ++i;
            while (i < head.size() && (head[i] == ' ' || head[i] == '\t' || head[i] == '"'))
                ++i;
            return head.mid(i, 4) == "true";
        }
        at = head.indexOf("stale", at + 5);
    }
    return false;
}
