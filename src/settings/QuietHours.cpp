#include "settings/QuietHours.h"

#include <QRegularExpression>

bool QuietHours::covers(QTime time) const {
    if (!isSet() || !time.isValid())
        return false;
    const int minute = time.hour() * 60 + time.minute();
    if (fromMinute < toMinute)
        return minute >= fromMinute && minute < toMinute;
    return minute >= fromMinute || minute < toMinute;
}

QString QuietHours::text() const {
    if (!isSet())
        return {};
    auto hhmm = [](int m) {
        return QStringLiteral("%1:%2")
            .arg(m / 60, 2, 10, QLatin1Char('0'))
            .arg(m % 60, 2, 10, QLatin1Char('0'));
    };
    return hhmm(fromMinute) + u'-' + hhmm(toMinute);
}

std::optional<QuietHours> QuietHours::parse(const QString& text) {
    const QString t = text.trimmed();
    if (t.isEmpty())
        return QuietHours{};
    static const QRegularExpression shape(
        QStringLiteral("^(\\d{1,2}):(\\d\\d)\\s*-\\s*(\\d{1,2}):(\\d\\d)$"));
    const QRegularExpressionMatch m = shape.match(t);
    if (!m.hasMatch())
        return std::nullopt;
    const int h1 = m.captured(1).toInt(), m1 = m.captured(2).toInt();
    const int h2 = m.captured(3).toInt(), m2 = m.captured(4).toInt();
    // 24:00 may end a span; nothing later is a time of day.
    auto valid = [](int h, int m, bool end) {
        return m < 60 && (h < 24 || (end && h == 24 && m == 0));
    };
    if (!valid(h1, m1, false) || !valid(h2, m2, true))
        return std::nullopt;
    QuietHours q{h1 * 60 + m1, (h2 * 60 + m2) % (24 * 60)};
    if (q.fromMinute == q.toMinute)
        return std::nullopt;
    return q;
}
