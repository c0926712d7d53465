#pragma once

#include "telephony/sip/LibreApi.h"

#include <cstdint>

// A one-shot timer on the SIP thread that fires at an absolute time of the monotonic clock,
// to the microsecond. libre's own timers count whole milliseconds, which would shake the
// 20 ms spacing of RTP packets by up to a millisecond each; a timerfd in libre's poll set
// does not. Where no timerfd can be had, libre's timer stands in.
class PaceTimer {
public:
    using Handler = void (*)(void* arg);

    PaceTimer(); // on the SIP thread
    ~PaceTimer();
    PaceTimer(const PaceTimer&) = delete;
    PaceTimer& operator=(const PaceTimer&) = delete;

    // Calls handler(arg) once at atNs (NowNs's clock); a time already past fires at once.
    void fireAt(uint64_t atNs, Handler handler, void* arg);
    void cancel();

    static uint64_t NowNs();

private:
    static void onReadable(int flags, void* arg);
    static void onTimer(void* arg);
    void fire();

    int m_fd = -1;
    tmr m_fallback{};
    Handler m_handler = nullptr;
    void* m_arg = nullptr;
};
