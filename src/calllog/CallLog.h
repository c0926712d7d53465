#pragma once

#include "calllog/CallLogList.h"
#include "calllog/LogSink.h"

#include <QDateTime>
#include <QFile>
#include <QString>
#include <memory>

class Clock;
class EventLoop;
class LogFollower;

// The single writer of the on-screen call log and today's log file. Every line is stamped with
// the time of day, appended to the list, selected, and appended to LogFiles/yy-MM-dd.txt in the
// application folder (Latin-1, CR LF). The file is named after the day OpenDailyLog ran and stays
// open until CloseDailyLog; each line is flushed at once so readers of the file see it.
//
// When the folder or the file cannot be created, opened or written, the user is told once and
// the log runs on with the list alone.
class CallLog : public LogSink {
public:
    CallLog(CallLogList& list, const Clock& clock, EventLoop& loop, QString appFolder);
    ~CallLog() override;
    CallLog(const CallLog&) = delete;
    CallLog& operator=(const CallLog&) = delete;

    // Creates LogFiles when missing, replays today's earlier lines into the list unchanged, then
    // keeps the file open for appending.
    void OpenDailyLog();
    void AddLogLine(const QString& message) override;
    // Instead of writing a log: shows the daily log at path that another program writes, and
    // each line it adds (see LogFollower). Nothing is written to the file from here on.
    void FollowDailyLog(const QString& path);
    // Closes today's file so that everything written so far can be read; ReopenDailyLog opens it
    // again for appending (not while following).
    void CloseDailyLog();
    void ReopenDailyLog();
    // Full path of today's file as built by OpenDailyLog, or of the file followed; empty before.
    QString DailyLogPath() const;
    // The path OpenDailyLog gives today's file: LogFiles/yy-MM-dd.txt in the application folder.
    QString TodaysLogPath() const;
    // With on, each line goes to the file of the day it is written on, not of the day the file
    // was opened: a program that runs for days, on a box whose clock may be set after it starts.
    void setFilePerWrite(bool on) { m_filePerWrite = on; }
    // Whether today's file is open for writing.
    bool isFileOpen() const { return m_file.isOpen(); }

    // The locale's time of day with seconds and without a time zone ("02:05:09 PM", "14:05:09").
    static QString TimeOfDay(const QDateTime& when);

private:
    void replay();
    bool openForAppend();
    void reportFailure(const QString& what, const QString& cause);

    CallLogList& m_list;
    const Clock& m_clock;
    EventLoop& m_loop;
    QString m_appFolder;
    QString m_path;
    QFile m_file;
    std::unique_ptr<LogFollower> m_follower;
    bool m_reported = false;
    bool m_filePerWrite = false;
};
