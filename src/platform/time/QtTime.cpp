#include "platform/time/QtTime.h"

#include <QCoreApplication>
#include <QPointer>
#include <QTimer>

namespace {
class QtLineTimer final : public LineTimer {
public:
    QtLineTimer(QObject* owner, const QString& name, int intervalMs, std::function<void()> onTick)
        : m_timer(new QTimer(owner)) {
        m_timer->setObjectName(name);
        m_timer->setInterval(intervalMs);
        QObject::connect(m_timer, &QTimer::timeout, m_timer, std::move(onTick));
    }
    ~QtLineTimer() override { delete m_timer.data(); }
    void start() override {
        if (m_timer && !m_timer->isActive())
            m_timer->start();
    }
    void stop() override {
        if (m_timer)
            m_timer->stop();
    }
    bool isRunning() const override { return m_timer && m_timer->isActive(); }
    int intervalMs() const override { return m_timer ? m_timer->interval() : 0; }

private:
    QPointer<QTimer> m_timer;
};
} // namespace

std::unique_ptr<LineTimer> QtTimerFactory::createTimer(const QString& name, int intervalMs,
                                                       std::function<void()> onTick) {
    return std::make_unique<QtLineTimer>(m_owner, name, intervalMs, std::move(onTick));
}

void QtEventLoop::post(std::function<void()> fn) {
    QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(fn), Qt::QueuedConnection);
}

void QtEventLoop::yield() {
    QCoreApplication::processEvents();
}
