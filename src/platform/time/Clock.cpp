#include "platform/time/Clock.h"

#include <QElapsedTimer>

QDateTime SystemClock::now() const {
    return QDateTime::currentDateTime();
}

qint64 SystemClock::tickMs() const {
    // A steady clock since boot (CLOCK_MONOTONIC on Linux), like the system tick count.
    QElapsedTimer timer;
    timer.start();
    return timer.msecsSinceReference();
}
