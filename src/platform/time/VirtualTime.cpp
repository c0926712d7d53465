#include "platform/time/VirtualTime.h"

#include <algorithm>

struct VirtualTime::Entry {
    QString name;
    int intervalMs = 0;
    std::function<void()> onTick;
    bool running = false;
    qint64 dueMs = 0;
    uint64_t seq = 0; // start order, so timers due at the same moment fire in that order
    VirtualTime* owner = nullptr;
};

class VirtualLineTimer final : public LineTimer {
public:
    explicit VirtualLineTimer(VirtualTime::Entry* entry) : m_entry(entry) {}
    ~VirtualLineTimer() override {
        if (m_entry->owner) {
            auto& timers = m_entry->owner->m_timers;
            timers.erase(std::remove(timers.begin(), timers.end(), m_entry), timers.end());
        }
        delete m_entry;
    }
    void start() override {
        if (m_entry->running)
            return;
        m_entry->running = true;
        if (m_entry->owner) {
            m_entry->dueMs = m_entry->owner->m_nowMs + std::max(1, m_entry->intervalMs);
            m_entry->seq = m_entry->owner->m_nextSeq++;
        }
    }
    void stop() override { m_entry->running = false; }
    bool isRunning() const override { return m_entry->running; }
    int intervalMs() const override { return m_entry->intervalMs; }
    const VirtualTime::Entry* entry() const { return m_entry; }

private:
    VirtualTime::Entry* m_entry;
};

VirtualTime::VirtualTime(QDateTime start) : m_start(std::move(start)) {}

VirtualTime::~VirtualTime() {
    // Timers may outlive the clock; detach them.
    for (Entry* e : m_timers)
        e->owner = nullptr;
}

QDateTime VirtualTime::now() const {
    return m_start.addMSecs(m_nowMs);
}

std::unique_ptr<LineTimer> VirtualTime::createTimer(const QString& name, int intervalMs,
                                                    std::function<void()> onTick) {
    auto* e = new Entry;
    e->name = name;
    e->intervalMs = intervalMs;
    e->onTick = std::move(onTick);
    e->owner = this;
    m_timers.push_back(e);
    return std::make_unique<VirtualLineTimer>(e);
}

void VirtualTime::post(std::function<void()> fn) {
    m_posted.push_back(std::move(fn));
}

void VirtualTime::yield() {
    // Like processEvents: run what is pending now, not what that work posts in turn.
    const size_t pending = m_posted.size();
    for (size_t i = 0; i < pending && !m_posted.empty(); ++i) {
        auto fn = std::move(m_posted.front());
        m_posted.pop_front();
        fn();
    }
}

void VirtualTime::runPosted() {
    while (!m_posted.empty()) {
        auto fn = std::move(m_posted.front());
        m_posted.pop_front();
        fn();
    }
}

void VirtualTime::advance(qint64 ms) {
    const qint64 target = m_nowMs + std::max<qint64>(0, ms);
    runPosted();
    for (;;) {
        Entry* next = nullptr;
        for (Entry* e : m_timers) {
            if (!e->running || e->dueMs > target)
                continue;
            if (!next || e->dueMs < next->dueMs || (e->dueMs == next->dueMs && e->seq < next->seq))
                next = e;
        }
        if (!next)
            break;
        m_nowMs = next->dueMs;
        next->dueMs += std::max(1, next->intervalMs);
        next->seq = m_nextSeq++;
        auto tick = next->onTick; // the handler may destroy its own timer
        tick();
        runPosted();
    }
    m_nowMs = target;
    runPosted();
}

int VirtualTime::runningTimerCount() const {
    return static_cast<int>(
        std::count_if(m_timers.begin(), m_timers.end(), [](const Entry* e) { return e->running; }));
}

bool VirtualTime::isRunning(const QString& name) const {
    return std::any_of(m_timers.begin(), m_timers.end(),
                       [&](const Entry* e) { return e->running && e->name == name; });
}
