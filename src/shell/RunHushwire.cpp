#include "shell/RunHushwire.h"

#include "platform/AppFolder.h"
#include "platform/MessageSeam.h"
#include "platform/SingleInstance.h"
#include "platform/UnixSignalWatcher.h"
#include "platform/audio/Mmio.h"
#include "platform/audio/RoutingWaveOut.h"
#include "platform/audio/pc/PcWaveOut.h"
#include "platform/audio/pc/QtSoundPlayer.h"
#include "platform/telephony/modem/ModemLineService.h"
#include "platform/time/Clock.h"
#include "settings/SettingsStore.h"
#include "shell/AppShell.h"
#include "shell/ServiceLink.h"
#include "shell/ShellIcons.h"
#include "ui/MessageBoxes.h"

#include <QApplication>
#include <csignal>

void ShutDownWhenTheApplicationQuits(QGuiApplication& app, AppShell& shell) {
    // The session manager ends the session by making the application quit (or by SIGTERM);
    // either way the modem goes back on hook before the program ends. Its requests to save
    // data (commitDataRequest, saveStateRequest) are left alone: they come for a checkpoint as
    // well, and for a logout that the user may still cancel, and Hushwire has nothing unsaved.
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &shell, &AppShell::ShutDown);
}

int RunHushwire(QApplication& app) {
    // The program ends through its shut-down, not when its last visible window goes (the main
    // window may be hidden in the tray while a dialog closes).
    app.setQuitOnLastWindowClosed(false);
    app.setWindowIcon(HushwireIcon());
    if (!IsHeadlessPlatform())
        InstallWidgetMessageHandler();

    // The lock held by a running service makes this program its window, unless the service
    // has one already (a lock of its own); held by another desktop program, it ends this one.
    SingleInstance instance(SingleInstance::DefaultLockPath(ApplicationName()));
    SingleInstance window(
        SingleInstance::DefaultLockPath(ApplicationName() + QStringLiteral("-window")));
    QString serviceSocket;
    if (!instance.tryLock()) {
        serviceSocket = FindRunningService(ApplicationName());
        if (serviceSocket.isEmpty() || !window.tryLock()) {
            ShowMessage(QStringLiteral("Hushwire Is Already Running"), AppTitle(),
                        MessageIcon::Critical);
            return 0;
        }
    }

    // The service's window opens no modem, so it looks for none.
    ModemLineService modems(serviceSocket.isEmpty() ? ModemLineService::DiscoverDevices()
                                                    : QStringList());
    PcWaveOut pcOut;
    RoutingWaveOut waveOut(pcOut, &modems.modemWaveOut());
    QtSoundPlayer sound;
    FileMmio mmio;
    SystemClock clock;

    AppShell shell(
        ShellServices{modems, waveOut, sound, mmio, clock, AppFolder(), &modems, serviceSocket});

    UnixSignalWatcher watcher({SIGTERM, SIGINT, SIGHUP});
    QObject::connect(&watcher, &UnixSignalWatcher::signalReceived, &shell,
                     [&shell](int) { shell.requestShutDown(); });
    ShutDownWhenTheApplicationQuits(app, shell);

    shell.StartUp();
    return app.exec();
}
