#pragma once

#include <QHash>
#include <QHostAddress>

#include <cstdint>

// Decides which requests from addresses a line does not take calls from are answered (403):
// the first few a second from each address, so that a mistyped setting is still told why, and
// none beyond that, so that a scanner's flood gets silence and costs no replies. The table of
// addresses is bounded: a flood from more addresses at once than it holds gets no answers
// until the oldest entries have run out.
class StrangerReplies {
public:
    static constexpr int kPerSecond = 5;
    static constexpr int kMaxAddresses = 1024;

    explicit StrangerReplies(int perSecond = kPerSecond, int maxAddresses = kMaxAddresses)
        : m_perSecond(perSecond), m_maxAddresses(maxAddresses) {}

    // Counts a request from an address at nowMs (a monotonic clock in milliseconds); true when
    // it is to be answered.
    bool mayAnswer(const QHostAddress& from, uint64_t nowMs);
    int tracked() const { return int(m_windows.size()); }

private:
    static constexpr uint64_t kWindowMs = 1000;
    struct Window {
        uint64_t startMs = 0;
        int count = 0;
    };
    // Drops the addresses whose second has passed; notes when the next one will.
    void forgetExpired(uint64_t nowMs);

    int m_perSecond;
    int m_maxAddresses;
    QHash<QHostAddress, Window> m_windows;
    uint64_t m_nextExpiryMs = 0; // no entry runs out before this
};
