#include "shell/RunHushwire.h"

#include "calllog/CallLog.h"
#include "core/LineServices.h"
#include "platform/AppFolder.h"
#include "platform/MessageSeam.h"
#include "platform/SingleInstance.h"
#include "platform/UnixSignalWatcher.h"
#include "platform/audio/Mmio.h"
#include "platform/audio/RoutingWaveOut.h"
#include "platform/audio/pc/PcWaveOut.h"
#include "platform/audio/pc/QtSoundPlayer.h"
#include "platform/time/Clock.h"
#include "settings/SettingsStore.h"
#include "shell/AppShell.h"
#include "shell/ServiceLink.h"
#include "shell/ShellIcons.h"
#include "telephony/sip/SipSecrets.h"
#include "ui/MessageBoxes.h"

#include <QApplication>
#include <QCoreApplication>
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
    if (!IsHeadlessPlatform()) {
        InstallWidgetMessageHandler();
        InstallWidgetSecretHandler();
    }

    // The lock held by a running service makes this program its window, unless the service
    // has one already (a lock of its own); held by another desktop program, it ends this one.
    SingleInstance instance(SingleInstance::DefaultLockPath(ApplicationName()));
    SingleInstance window(
        SingleInstance::DefaultLockPath(ApplicationName() + QStringLiteral("-window")));
    QString serviceSocket;
    if (!instance.tryLock()) {
        serviceSocket = FindRunningService(ApplicationName());
        if (serviceSocket.isEmpty() || !window.tryLock()) {
            ShowMessage(QCoreApplication::translate("RunHushwire", "Hushwire Is Already Running"),
                        AppTitle(), MessageIcon::Critical);
            return 0;
        }
    }

    // Modems first, then the SIP lines of the settings file. The service's window opens no
    // line, so it looks for none.
    SipSecrets secrets;
    const bool standalone = serviceSocket.isEmpty();
    LineServices lines(standalone ? DiscoverModemDevices() : QStringList(),
                       standalone ? LoadSipLines(SettingsFilePath(), secrets)
                                  : QList<SipLineConfig>());
    PcWaveOut pcOut;
    RoutingWaveOut waveOut(pcOut, &lines.modems().modemWaveOut());
    lines.routeWaves(waveOut);
    QtSoundPlayer sound;
    FileMmio mmio;
    SystemClock clock;

    AppShell shell(
        CoreServices{lines.api(), waveOut, sound, mmio, clock, AppFolder(), &lines.access()},
        serviceSocket);
    lines.reportProblemsTo(shell.callLog());

    UnixSignalWatcher watcher({SIGTERM, SIGINT, SIGHUP});
    QObject::connect(&watcher, &UnixSignalWatcher::signalReceived, &shell,
                     [&shell](int) { shell.requestShutDown(); });
    ShutDownWhenTheApplicationQuits(app, shell);

    shell.StartUp();
    return app.exec();
}
