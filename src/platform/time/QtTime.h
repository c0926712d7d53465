#pragma once

#include "platform/time/EventLoop.h"
#include "platform/time/LineTimer.h"

#include <QObject>

// Timers that are QTimer children of a window (so they carry the window's object names), and
// the Qt event loop.
class QtTimerFactory final : public TimerFactory {
public:
    explicit QtTimerFactory(QObject* owner) : m_owner(owner) {}
    std::unique_ptr<LineTimer> createTimer(const QString& name, int intervalMs,
                                           std::function<void()> onTick) override;

private:
    QObject* m_owner;
};

class QtEventLoop final : public EventLoop {
public:
    void post(std::function<void()> fn) override;
    void yield() override;
};
