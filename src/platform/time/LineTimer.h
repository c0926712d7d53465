#pragma once

#include <QString>
#include <functional>
#include <memory>

// A periodic timer on the GUI thread. Once started it fires every interval until stopped.
// Starting a running timer does not restart its period: a restart is stop() then start().
class LineTimer {
public:
    virtual ~LineTimer() = default;
    virtual void start() = 0;
    virtual void stop() = 0;
    virtual bool isRunning() const = 0;
    virtual int intervalMs() const = 0;
};

// Makes timers. The name is the timer's object name (for example "timRing_0").
class TimerFactory {
public:
    virtual ~TimerFactory() = default;
    virtual std::unique_ptr<LineTimer> createTimer(const QString& name, int intervalMs,
                                                   std::function<void()> onTick) = 0;
};
