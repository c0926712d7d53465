#pragma once

#include "lists/ListKind.h"
#include "platform/time/QtTime.h"
#include "service/JournalLogList.h"
#include "service/MissingLines.h"
#include "settings/DeviceDescription.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <memory>

class CallLog;
class CallScreener;
class Clock;
class LineAccess;
class LineApi;
class LogSink;
class ListFileWatcher;
class ListStore;
class Mmio;
class PhoneLists;
class SoundPlayer;
class Wave;
class WaveOut;

// The line services the headless service runs on. They must outlive the host.
struct ServiceLines {
    LineApi& lineApi;
    WaveOut& waveOut;
    SoundPlayer& sound;
    Mmio& mmio;
    const Clock& clock;
    QString appFolder;
    // What the telephony service can say about devices it cannot use; may be null.
    const LineAccess* lineAccess = nullptr;
};

// The engine without a display: the daily log (each line also on standard error), the line
// devices opened as the stored options say, the phone lists read again whenever their files
// change, the options read again on request, and the orderly end.
class ServiceHost : public QObject {
    Q_OBJECT
public:
    explicit ServiceHost(ServiceLines lines, QObject* parent = nullptr);
    ~ServiceHost() override;

    // Opens today's log, starts telephony, opens the chosen lines and loads the lists. False
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

    CallScreener& screener() { return *m_screener; }
    PhoneLists& phoneLists() { return *m_lists; }
    LogSink& callLog();

Q_SIGNALS:
    // Telephony could not start: the service cannot screen anything.
    void telephonyFailed();

private:
    LineDevices lineDevices() const;
    void openTelephony();
    void applyOptions();
    void reloadList(ListKind kind);
    void scheduleNewDay();
    bool callInProgress() const;
    void reopenLines();

    ServiceLines m_services;
    QObject m_timerOwner;
    QtTimerFactory m_timers{&m_timerOwner};
    QtEventLoop m_loop;
    JournalLogList m_journal;
    std::unique_ptr<CallLog> m_callLog;
    std::unique_ptr<PhoneLists> m_lists;
    std::unique_ptr<ListStore> m_listStore;
    MissingLines m_missing;
    std::unique_ptr<Wave> m_wave;
    std::unique_ptr<CallScreener> m_screener;
    std::unique_ptr<ListFileWatcher> m_watcher;
    DeviceDescriptions m_devices;
    QTimer m_newDay;
    QTimer m_linesPending; // a change of lines waits for the calls in progress
    bool m_failed = false;
    bool m_shutDown = false;
};
