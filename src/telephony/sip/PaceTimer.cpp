#include "telephony/sip/PaceTimer.h"

#include <sys/timerfd.h>
#include <time.h>
#include <unistd.h>

namespace {
constexpr uint64_t kNsPerS = 1000000000;
constexpr uint64_t kNsPerMs = 1000000;
} // namespace

PaceTimer::PaceTimer() {
    tmr_init(&m_fallback);
    m_fd = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    if (m_fd >= 0 && fd_listen(m_fd, FD_READ, onReadable, this) != 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

PaceTimer::~PaceTimer() {
    tmr_cancel(&m_fallback);
    if (m_fd >= 0) {
        fd_close(m_fd);
        ::close(m_fd);
    }
}

uint64_t PaceTimer::NowNs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return uint64_t(ts.tv_sec) * kNsPerS + uint64_t(ts.tv_nsec);
}

void PaceTimer::fireAt(uint64_t atNs, Handler handler, void* arg) {
    m_handler = handler;
    m_arg = arg;
    if (m_fd >= 0) {
        // An absolute time of zero would disarm the timer: a time past fires at the next tick.
        const uint64_t at = atNs > 0 ? atNs : 1;
        itimerspec when{};
        when.it_value.tv_sec = time_t(at / kNsPerS);
        when.it_value.tv_nsec = long(at % kNsPerS);
        if (timerfd_settime(m_fd, TFD_TIMER_ABSTIME, &when, nullptr) == 0)
            return;
    }
    const uint64_t now = NowNs();
    tmr_start(&m_fallback, atNs > now ? (atNs - now + kNsPerMs - 1) / kNsPerMs : 0, onTimer, this);
}

void PaceTimer::cancel() {
    m_handler = nullptr;
    tmr_cancel(&m_fallback);
    if (m_fd >= 0) {
        const itimerspec off{};
        timerfd_settime(m_fd, 0, &off, nullptr);
    }
}

void PaceTimer::onReadable(int, void* arg) {
    auto* self = static_cast<PaceTimer*>(arg);
    uint64_t expirations = 0;
    if (::read(self->m_fd, &expirations, sizeof expirations) != sizeof expirations)
        return; // disarmed between the wake-up and now
    self->fire();
}

void PaceTimer::onTimer(void* arg) {
    static_cast<PaceTimer*>(arg)->fire();
}

void PaceTimer::fire() {
    const Handler handler = m_handler;
    m_handler = nullptr;
    if (handler)
        handler(m_arg);
}
