#pragma once

#include "core/MissingLines.h"
#include "lists/ListKind.h"
#include "settings/DeviceDescription.h"

#include <QObject>
#include <QString>
#include <memory>

class CallLog;
class CallLogList;
class CallScreener;
class Clock;
class EventLoop;
class LineAccess;
class LineApi;
class LineTimer;
class ListStore;
class Mmio;
class PhoneLists;
class SoundPlayer;
class TimerFactory;
class Wave;
class WaveOut;

// What the screening runs on: real services in the programs, fakes and virtual time in tests and
// benchmarks. They must outlive the core. The host fills in timers and loop when they are null.
struct CoreServices {
    LineApi& lineApi;
    WaveOut& waveOut;
    SoundPlayer& sound;
    Mmio& mmio;
    const Clock& clock;
    QString appFolder;
    // What the telephony service can say about devices it cannot use; may be null.
    const LineAccess* lineAccess = nullptr;
    TimerFactory* timers = nullptr;
    EventLoop* loop = nullptr;
};

// The call screening both programs run: the call log, the phone lists and their store, the
// message player and the engine. It starts in a fixed order (today's log, the lists, telephony
// and the lines the stored options choose), switches to a new day's log at each midnight, takes
// changed lists and options up, and shuts down once. The host keeps only what it shows.
class ScreeningCore : public QObject {
    Q_OBJECT
public:
    // services.timers and services.loop must be set. logList: where the log's lines are shown.
    ScreeningCore(const CoreServices& services, CallLogList& logList, QObject* parent = nullptr);
    ~ScreeningCore() override;

    // Opens today's log, loads the lists, starts telephony and opens the chosen lines. False
    // when telephony could not start (telephonyFailed has been emitted).
    bool start();
    // Both lists and the options read again; lines chosen or dropped since are opened or closed
    // at once, or once no call is in progress.
    void reload();
    // One list read again after its file changed.
    void reloadList(ListKind kind);
    // The lines closed (on hook), telephony released, the log closed. Runs once.
    void shutDown();

    bool callInProgress() const;
    bool hasFailed() const { return m_failed; }
    // The line devices of the running telephony session and how they were described.
    LineDevices lineDevices() const;
    const DeviceDescriptions& devices() const { return m_devices; }
    // The chosen lines whose device is not there now.
    const MissingLines& missingLines() const { return m_missing; }
    const LineAccess* lineAccess() const { return m_services.lineAccess; }

    CallLog& callLog() { return *m_callLog; }
    PhoneLists& phoneLists() { return *m_lists; }
    ListStore& listStore() { return *m_listStore; }
    CallScreener& screener() { return *m_screener; }

Q_SIGNALS:
    // Telephony could not start: nothing can be screened.
    void telephonyFailed();

private:
    void openTelephony();
    void applyOptions();
    void scheduleNewDay();
    void reopenLines();

    CoreServices m_services;
    std::unique_ptr<CallLog> m_callLog;
    std::unique_ptr<PhoneLists> m_lists;
    std::unique_ptr<ListStore> m_listStore;
    std::unique_ptr<Wave> m_wave;
    std::unique_ptr<CallScreener> m_screener;
    std::unique_ptr<LineTimer> m_newDay;
    std::unique_ptr<LineTimer> m_linesPending; // a change of lines waits for the calls
    DeviceDescriptions m_devices;
    MissingLines m_missing;
    bool m_failed = false;
    bool m_shutDown = false;
};
