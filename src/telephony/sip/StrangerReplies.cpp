#include "telephony/sip/StrangerReplies.h"

#include <algorithm>
#include <limits>

bool StrangerReplies::mayAnswer(const QHostAddress& from, uint64_t nowMs) {
    auto it = m_windows.find(from);
    if (it == m_windows.end()) {
        if (m_windows.size() >= m_maxAddresses) {
            // Only look through the table when an entry can have run out: a flood from many
            // addresses then costs one lookup per request, not a sweep.
            if (nowMs >= m_nextExpiryMs)
                forgetExpired(nowMs);
            if (m_windows.size() >= m_maxAddresses)
                return false;
        }
        it = m_windows.insert(from, Window{nowMs, 0});
    } else if (nowMs - it->startMs >= kWindowMs) {
        *it = Window{nowMs, 0};
    }
    if (it->count >= m_perSecond)
        return false;
    ++it->count;
    return true;
}

void StrangerReplies::forgetExpired(uint64_t nowMs) {
    uint64_t next = std::numeric_limits<uint64_t>::max();
    for (auto it = m_windows.begin(); it != m_windows.end();) {
        if (nowMs - it->startMs >= kWindowMs) {
            it = m_windows.erase(it);
        } else {
            next = std::min(next, it->startMs + kWindowMs);
            ++it;
        }
    }
    m_nextExpiryMs = next;
}
