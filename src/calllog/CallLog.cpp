#include "calllog/CallLog.h"

#include "calllog/LogFileLines.h"
#include "calllog/LogFollower.h"
#include "platform/MessageSeam.h"
#include "platform/time/Clock.h"
#include "platform/time/EventLoop.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStringList>
#include <ctime>

CallLog::CallLog(CallLogList& list, const Clock& clock, EventLoop& loop, QString appFolder)
    : m_list(list), m_clock(clock), m_loop(loop), m_appFolder(std::move(appFolder)) {}

CallLog::~CallLog() {
    CloseDailyLog();
}

QString CallLog::TimeOfDay(const QDateTime& when) {
    const QDateTime local = when.toLocalTime();
    const QDate date = local.date();
    const QTime time = local.time();
    std::tm tm{};
    tm.tm_year = date.year() - 1900;
    tm.tm_mon = date.month() - 1;
    tm.tm_mday = date.day();
    tm.tm_wday = date.dayOfWeek() % 7;
    tm.tm_yday = date.dayOfYear() - 1;
    tm.tm_hour = time.hour();
    tm.tm_min = time.minute();
    tm.tm_sec = time.second();
    tm.tm_isdst = -1;
    char buffer[64];
    const size_t n = std::strftime(buffer, sizeof buffer, "%X", &tm);
    if (n == 0)
        return time.toString(QStringLiteral("HH:mm:ss"));
    return QString::fromLocal8Bit(buffer, qsizetype(n));
}

void CallLog::OpenDailyLog() {
    CloseDailyLog();
    m_path = TodaysLogPath();
    const QString folder = QFileInfo(m_path).path();
    if (!QDir().mkpath(folder)) {
        reportFailure(QCoreApplication::translate("CallLog", "create the log folder %1")
                          .arg(QDir::toNativeSeparators(folder)),
                      QCoreApplication::translate("CallLog", "the folder could not be created"));
        return;
    }
    // Only a regular file is replayed: reading a device such as /dev/zero would never end.
    if (QFileInfo(m_path).isFile()) {
        replay();
        m_loop.yield();
    }
    openForAppend();
}

QString CallLog::TodaysLogPath() const {
    return m_appFolder + QStringLiteral("/LogFiles/") +
           m_clock.now().date().toString(QStringLiteral("yy-MM-dd")) + QStringLiteral(".txt");
}

void CallLog::FollowDailyLog(const QString& path) {
    CloseDailyLog();
    // The lines the file holds already are shown as they are; each line added later is
    // selected, like a line logged here.
    auto show = [this, select = false](const QStringList& lines) mutable {
        for (const QString& line : lines)
            m_list.addItem(line);
        if (select)
            m_list.setCurrentIndex(m_list.count() - 1);
        select = true;
    };
    m_follower = std::make_unique<LogFollower>(path, show);
    m_follower->readNew();
    m_follower->follow(LogFollower::Days::Later);
}

void CallLog::replay() {
    // Lines go to the list exactly as read; openForAppend reports a file that cannot be read.
    QStringList lines;
    ReadLogFileLines(m_path, lines);
    m_list.setReplaying(true);
    for (const QString& line : std::as_const(lines))
        m_list.addItem(line);
    m_list.setReplaying(false);
}

bool CallLog::openForAppend() {
    if (m_path.isEmpty())
        return false;
    m_file.setFileName(m_path);
    if (m_file.open(QIODevice::WriteOnly | QIODevice::Append))
        return true;
    reportFailure(QCoreApplication::translate("CallLog", "open the log file %1")
                      .arg(QDir::toNativeSeparators(m_path)),
                  m_file.errorString());
    return false;
}

void CallLog::AddLogLine(const QString& message) {
    const QString line =
        message + QStringLiteral("  <") + TimeOfDay(m_clock.now()) + QLatin1Char('>');
    m_list.addItem(line);
    m_list.setCurrentIndex(m_list.count() - 1);
    if (!m_file.isOpen())
        return;
    if (m_filePerWrite && TodaysLogPath() != m_path) {
        // The day changed since the file was opened (midnight, or a clock set late): the line
        // goes to the file of the day it is written on.
        m_file.close();
        m_path = TodaysLogPath();
        if (!QDir().mkpath(QFileInfo(m_path).path()) || !openForAppend())
            return;
    }
    const QByteArray bytes = line.toLatin1() + "\r\n";
    if (m_file.write(bytes) != bytes.size() || !m_file.flush()) {
        const QString cause = m_file.errorString();
        m_file.close();
        reportFailure(QCoreApplication::translate("CallLog", "write to the log file %1")
                          .arg(QDir::toNativeSeparators(m_path)),
                      cause);
    }
}

void CallLog::CloseDailyLog() {
    if (m_file.isOpen())
        m_file.close();
}

void CallLog::ReopenDailyLog() {
    if (!m_follower && !m_file.isOpen())
        openForAppend();
}

QString CallLog::DailyLogPath() const {
    return m_follower ? m_follower->path() : m_path;
}

void CallLog::reportFailure(const QString& what, const QString& cause) {
    if (m_reported)
        return;
    m_reported = true;
    ShowMessage(QCoreApplication::translate(
                    "CallLog", "Hushwire could not %1 (%2).\n\nCalls are still screened and shown "
                               "in the Incoming Call Log, but they are not saved to a file.")
                    .arg(what, cause),
                AppTitle(), MessageIcon::Critical);
}
