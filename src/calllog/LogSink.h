#pragma once

#include <QString>

// Where the engine hands the lines it wants the user to see (the call log).
class LogSink {
public:
    virtual ~LogSink() = default;
    // Stamps the message with the time of day and records it.
    virtual void AddLogLine(const QString& message) = 0;
};
