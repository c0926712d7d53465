#pragma once

#include <QSet>
#include <QString>
#include <optional>

// Picks from the call log's lines, as they are added, the ones worth a desktop notification: a
// blocked call, a PIN unlock, a line that goes out of service and the same line coming back.
// A line's first "is ready" (at start-up) is no news; only a return after "is not ready" is.
class CallNotices {
public:
    enum class Kind { BlockedCall, Unlock, LineService };
    struct Notice {
        Kind kind;
        QString body; // the log line as the call log shows it
    };

    std::optional<Notice> take(const QString& line);

private:
    QSet<QString> m_linesAway; // "Line0"... while out of service
};
