#pragma once

#include "core/ScreeningCore.h"
#include "platform/time/QtTime.h"
#include "settings/DeviceDescription.h"

#include <QObject>
#include <QString>
#include <memory>

class CallLog;
class CallNotifications;
class CallScreener;
class ListFileWatcher;
class ListStore;
class ListWindows;
class PhoneLists;
class frmMain;
class frmSetup;

// Brings the program up and down in a fixed order and owns everything that lives for the run:
// the main window, the screening core, the list windows and the setup window.
//
// As a running service's window it builds no screening core: the call log follows the
// service's daily log, the windows edit the shared files (the service notices the lists itself),
// Setup's Save asks the service to reload, and the shut-down leaves the service running.
class AppShell : public QObject {
    Q_OBJECT
public:
    // serviceSocket: the control socket of the running service this program is the window of;
    // empty when the program screens the lines itself.
    explicit AppShell(CoreServices services, QString serviceSocket = {}, QObject* parent = nullptr);
    ~AppShell() override;

    // Shows the splash window; its timer loads and shows the main window 2500 ms later.
    void StartUp();
    // The main window's load, then its first showing (hidden into the tray when asked).
    void ShowMainWindow();
    // The main window's load: tray icon, promotional panel, today's log, telephony, the
    // line devices and the stored options, the configured lines, the modem change check,
    // minimise on start, the phone lists.
    void LoadMainWindow();
    // Lines closed, telephony released, the log closed, the tray icon removed, every window
    // closed, then the event loop ends with status 0. Runs once, whatever asked for it.
    void ShutDown();
    // Ends the program the orderly way: by closing the main window (which runs ShutDown).
    void requestShutDown();

    bool isShutDown() const { return m_shutDown; }
    bool isEnding() const { return m_ending; }
    bool isServiceWindow() const { return !m_serviceSocket.isEmpty(); }
    frmMain& mainWindow() { return *m_main; }
    // The screening, unless this is a service's window.
    ScreeningCore* core() { return m_core.get(); }
    CallScreener& screener();
    CallLog& callLog() { return *m_callLog; }
    PhoneLists& phoneLists() { return *m_lists; }
    // The setup window, once Options has shown it.
    frmSetup* setupWindow() { return m_setup; }

Q_SIGNALS:
    void mainWindowLoaded();

private:
    void showOptions();
    void showPrivateList();
    void showPublicList();
    void showLogViewer();
    void showStatistics();
    void attachToService();
    void reloadService();
    bool describeServiceLines();
    void endProgram();

    QString m_serviceSocket;
    const Clock& m_clock;
    QtEventLoop m_loop;
    QObject m_timerOwner;
    QtTimerFactory m_timers{&m_timerOwner};
    std::unique_ptr<frmMain> m_main;
    std::unique_ptr<ScreeningCore> m_core;
    // A service's window keeps its own log (following the service's) and lists.
    std::unique_ptr<CallLog> m_windowLog;
    std::unique_ptr<PhoneLists> m_windowLists;
    std::unique_ptr<ListStore> m_windowStore;
    CallLog* m_callLog = nullptr;
    PhoneLists* m_lists = nullptr;
    ListStore* m_listStore = nullptr;
    std::unique_ptr<ListFileWatcher> m_listWatcher;
    std::unique_ptr<ListWindows> m_listWindows;
    std::unique_ptr<CallNotifications> m_notifications;
    frmSetup* m_setup = nullptr;
    DeviceDescriptions m_serviceDevices; // as the running service last described its lines
    bool m_startMinimised = false;
    bool m_ending = false;
    bool m_shutDown = false;
};
