#pragma once

#include "platform/time/QtTime.h"
#include "settings/DeviceDescription.h"

#include <QObject>
#include <QString>
#include <memory>

class CallLog;
class CallNotifications;
class CallScreener;
class Clock;
class LineAccess;
class LineApi;
class ListStore;
class ListWindows;
class Mmio;
class PhoneLists;
class SoundPlayer;
class Wave;
class WaveOut;
class frmMain;
class frmSetup;

// The services the program runs on: real ones in the program, fakes in tests and benchmarks.
// They must outlive the shell.
struct ShellServices {
    LineApi& lineApi;
    WaveOut& waveOut;
    SoundPlayer& sound;
    Mmio& mmio;
    const Clock& clock;
    QString appFolder;
    // What the telephony service can say about devices it cannot use; may be null.
    const LineAccess* lineAccess = nullptr;
    // The control socket of the running service this program is the window of; empty when the
    // program screens the lines itself.
    QString serviceSocket = {};
};

// Brings the program up and down in a fixed order and owns everything that lives for the run:
// the main window, the engine, the call log, the phone lists and the setup window.
//
// As a running service's window it opens no lines and starts no engine: the call log follows the
// service's daily log, the windows edit the shared files (the service notices the lists itself),
// Setup's Save asks the service to reload, and the shut-down leaves the service running.
class AppShell : public QObject {
    Q_OBJECT
public:
    explicit AppShell(ShellServices services, QObject* parent = nullptr);
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
    bool isServiceWindow() const { return !m_services.serviceSocket.isEmpty(); }
    frmMain& mainWindow() { return *m_main; }
    CallScreener& screener() { return *m_screener; }
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
    LineDevices lineDevices() const;
    void endProgram();

    ShellServices m_services;
    QtEventLoop m_loop;
    std::unique_ptr<frmMain> m_main;
    std::unique_ptr<CallLog> m_callLog;
    std::unique_ptr<PhoneLists> m_lists;
    std::unique_ptr<ListStore> m_listStore;
    std::unique_ptr<Wave> m_wave;
    std::unique_ptr<CallScreener> m_screener;
    std::unique_ptr<ListWindows> m_listWindows;
    std::unique_ptr<CallNotifications> m_notifications;
    frmSetup* m_setup = nullptr;
    DeviceDescriptions m_serviceDevices; // as the running service last described its lines
    bool m_startMinimised = false;
    bool m_ending = false;
    bool m_shutDown = false;
};
