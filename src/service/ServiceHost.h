#pragma once

#include "core/ScreeningCore.h"
#include "platform/time/QtTime.h"
#include "service/JournalLogList.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>

class CallScreener;
class LogSink;
class ListFileWatcher;
class PhoneLists;

// The line services the headless service runs on. They must outlive the host.
using ServiceLines = CoreServices;

// The screening without a display: the daily log's lines also on standard error, the phone
// lists read again whenever their files change, the options read again on request, the status
// of each line for the control socket, and the orderly end.
class ServiceHost : public QObject {
    Q_OBJECT
public:
    explicit ServiceHost(ServiceLines lines, QObject* parent = nullptr);
    ~ServiceHost() override;

    // Opens today's log, loads the lists, starts telephony and opens the chosen lines. False
    // when telephony could not start (the reason is on standard error).
    bool start();
    // Reads both lists and the options again and applies them. Lines chosen or dropped since
    // are opened or closed at once, or once no call is in progress.
    void reload();
    // Lines closed (on hook), telephony released, the log closed. Runs once.
    void shutDown();

    // One status line per line device (see ControlProtocol.h).
    QStringList statusLines() const;
    QString logPath() const;

    CallScreener& screener() { return m_core->screener(); }
    PhoneLists& phoneLists() { return m_core->phoneLists(); }
    LogSink& callLog();

Q_SIGNALS:
    // Telephony could not start: the service cannot screen anything.
    void telephonyFailed();

private:
    QObject m_timerOwner;
    QtTimerFactory m_timers{&m_timerOwner};
    QtEventLoop m_loop;
    JournalLogList m_journal;
    std::unique_ptr<ScreeningCore> m_core;
    std::unique_ptr<ListFileWatcher> m_watcher;
};
