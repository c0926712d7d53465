#include "service/RunService.h"

#include "core/LineServices.h"
#include "platform/AppFolder.h"
#include "platform/SingleInstance.h"
#include "platform/UnixSignalWatcher.h"
#include "platform/audio/Mmio.h"
#include "platform/audio/RoutingWaveOut.h"
#include "platform/time/Clock.h"
#include "service/ControlProtocol.h"
#include "service/ControlServer.h"
#include "service/ServiceHost.h"
#include "service/SilentPcAudio.h"
#include "settings/SettingsStore.h"
#include "telephony/sip/SipSecrets.h"

#include <QCoreApplication>
#include <csignal>
#include <cstdio>

namespace {
void Say(const QString& text) {
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
}
} // namespace

int RunService(QCoreApplication& app) {
    SingleInstance instance(SingleInstance::DefaultLockPath(ApplicationName()));
    if (!instance.tryLock()) {
        Say(QStringLiteral("Hushwire is already running (%1 is held): its lines are in use.")
                .arg(instance.lockPath()));
        return 1;
    }

    // Modems first, then the SIP lines of the settings file. Nobody can be asked for a missing
    // password here: such a line says so in the log and does not register.
    SipSecrets secrets;
    LineServices lines(DiscoverModemDevices(),
                       LoadSipLines(SettingsFilePath(), secrets, MissingPassword::Report));
    SilentPcWaveOut pcOut;
    RoutingWaveOut waveOut(pcOut, &lines.modems().modemWaveOut());
    lines.routeWaves(waveOut);
    SilentSoundPlayer sound;
    FileMmio mmio;
    SystemClock clock;
    ServiceHost host(
        ServiceLines{lines.api(), waveOut, sound, mmio, clock, AppFolder(), &lines.access()});
    lines.reportProblemsTo(host.callLog());

    bool ending = false;
    auto end = [&](int status) {
        if (ending)
            return;
        ending = true;
        host.shutDown();
        QCoreApplication::exit(status);
    };
    UnixSignalWatcher watcher({SIGTERM, SIGINT, SIGHUP});
    QObject::connect(&watcher, &UnixSignalWatcher::signalReceived, &host, [&](int number) {
        if (number == SIGHUP)
            host.reload();
        else
            end(0);
    });
    QObject::connect(&host, &ServiceHost::telephonyFailed, &host, [&] {
        QMetaObject::invokeMethod(
            &app, [&] { end(1); }, Qt::QueuedConnection);
    });

    ControlServer control({[&] { host.reload(); }, [&] { return host.statusLines(); },
                           [&] { return host.logPath(); }});
    QString error;
    const QString socketPath = control::SocketPath(ApplicationName());
    if (!control.listen(socketPath, &error))
        Say(QStringLiteral("The control socket %1 could not be opened (%2); Hushwire screens "
                           "calls without it.")
                .arg(socketPath, error));

    if (!host.start())
        return 1;
    const int status = app.exec();
    host.shutDown();
    return status;
}
