#pragma once

#include <QDateTime>

// Time of day and a monotonic millisecond count, injected so that code that stamps or names
// things by time can be driven by tests.
class Clock {
public:
    virtual ~Clock() = default;
    // Local date and time of day.
    virtual QDateTime now() const = 0;
    // Milliseconds since an arbitrary start that never goes backwards.
    virtual qint64 tickMs() const = 0;
};

// The real clock.
class SystemClock final : public Clock {
public:
    QDateTime now() const override;
    qint64 tickMs() const override;
};
