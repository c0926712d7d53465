#pragma once

#include <QString>
#include <QTime>
#include <optional>

// A daily span of time ("22:00-07:00"), which may run past midnight. Empty: never.
struct QuietHours {
    int fromMinute = -1; // minutes after midnight; -1: not set
    int toMinute = -1;

    bool isSet() const { return fromMinute >= 0 && toMinute >= 0; }
    // Whether the time of day falls inside: from the first minute up to, not including, the last.
    bool covers(QTime time) const;
    QString text() const;
    // "HH:MM-HH:MM"; an empty text is an unset span. nullopt for anything else, or for a span
    // that starts and ends at the same minute.
    static std::optional<QuietHours> parse(const QString& text);
};
