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
