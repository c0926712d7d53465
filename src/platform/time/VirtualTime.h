#pragma once

#include "platform/time/Clock.h"
#include "platform/time/EventLoop.h"
#include "platform/time/LineTimer.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

// Clock, timers and event loop in virtual time: nothing happens until advance() is called, and
// then every timer fires at its exact virtual moment. A call minutes long runs in microseconds.
class VirtualTime final : public Clock, public TimerFactory, public EventLoop {
public:
    explicit VirtualTime(QDateTime start = QDateTime(QDate(2026, 12, 6), QTime(15, 4, 5)));
    ~VirtualTime() override;

    // Clock
    QDateTime now() const override;
    qint64 tickMs() const override { return m_nowMs; }

    // TimerFactory
    std::unique_ptr<LineTimer> createTimer(const QString& name, int intervalMs,
                                           std::function<void()> onTick) override;

    // EventLoop
    void post(std::function<void()> fn) override;
    void yield() override;

    // Moves virtual time forward by ms, firing every timer that falls due and running posted
    // work before each tick and at the end.
    void advance(qint64 ms);
    // Runs posted work until none is left (work may post more work).
    void runPosted();

    qint64 elapsedMs() const { return m_nowMs; }
    int runningTimerCount() const;
    // Whether a timer with this object name exists and runs.
    bool isRunning(const QString& name) const;

    struct Entry;

private:
    QDateTime m_start;
    qint64 m_nowMs = 0;
    uint64_t m_nextSeq = 0;
    std::vector<Entry*> m_timers;
    std::deque<std::function<void()>> m_posted;
    friend class VirtualLineTimer;
};
