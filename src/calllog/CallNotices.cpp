#include "calllog/CallNotices.h"

#include <QRegularExpression>

namespace {
// The message of a logged line: what stands before its time stamp.
QStringView Message(const QString& line) {
    const qsizetype stamp = line.lastIndexOf(QLatin1String("  <"));
    return stamp < 0 ? QStringView(line) : QStringView(line).left(stamp);
}
} // namespace

std::optional<CallNotices::Notice> CallNotices::take(const QString& line) {
    const QStringView message = Message(line);
    if (message.startsWith(QLatin1String("CallerID:")) &&
        message.endsWith(QLatin1String("Blocked")))
        return Notice{Kind::BlockedCall, line};
    if (message == QLatin1String("UnLock PIN Detected"))
        return Notice{Kind::Unlock, line};
    static const QRegularExpression state(QStringLiteral("^(Line\\d+) is (not )?ready"));
    const QRegularExpressionMatch match = state.match(message.toString());
    if (!match.hasMatch())
        return std::nullopt;
    const QString lineName = match.captured(1);
    const bool away = !match.captured(2).isEmpty();
    // Only a change counts: away once, and back only after being away.
    if (away == m_linesAway.contains(lineName))
        return std::nullopt;
    if (away)
        m_linesAway.insert(lineName);
    else
        m_linesAway.remove(lineName);
    return Notice{Kind::LineService, line};
}
