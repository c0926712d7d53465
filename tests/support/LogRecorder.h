#pragma once

#include "calllog/LogSink.h"
#include "platform/time/VirtualTime.h"

#include <QStringList>
#include <vector>

// Records the engine's log lines, with the virtual time they were written at when there is a
// virtual clock (0 otherwise).
class LogRecorder final : public LogSink {
public:
    explicit LogRecorder(const VirtualTime* time = nullptr) : m_time(time) {}
    struct Line {
        qint64 ms;
        QString text;
    };
    void AddLogLine(const QString& message) override {
        lines.push_back({m_time ? m_time->elapsedMs() : 0, message});
    }
    QStringList texts() const {
        QStringList result;
        for (const Line& l : lines)
            result.append(l.text);
        return result;
    }
    // The time of the first line with this text, or -1.
    qint64 timeOf(const QString& text) const {
        for (const Line& l : lines) {
            if (l.text == text)
                return l.ms;
        }
        return -1;
    }
    void clear() { lines.clear(); }
    std::vector<Line> lines;

private:
    const VirtualTime* m_time;
};
