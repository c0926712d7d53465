// The headless service against the desktop program, both on the modem emulator with both phone
// lists full (50,000 public and 10,000 private entries): the resident memory of each once Line0
// is ready. Then the time from a list file rewritten (atomically, as the list store and the
// command line write it) to the service screening with the new entry.
#include "lists/ListFiles.h"
#include "platform/audio/Mmio.h"
#include "platform/time/Clock.h"
#include "platform/time/QtTime.h"
#include "service/ServiceHost.h"
#include "support/EmulatedLine.h"
#include "support/FakeLineApi.h"
#include "support/FakeSoundPlayer.h"
#include "support/FakeWaveOut.h"
#include "support/Files.h"
#include "support/ListFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <cstdio>

namespace {
std::vector<double> FullPublicList() {
    std::vector<double> values;
    for (int i = 0; i < 50000; ++i)
        values.push_back(8005000000.0 + i);
    return values;
}

std::vector<PrivateEntry> FullPrivateList() {
    std::vector<PrivateEntry> entries;
    for (int i = 0; i < 10000; ++i)
        entries.push_back(
            MakePrivateEntry(QStringLiteral("Name %1").arg(i), QString::number(5552000000LL + i)));
    return entries;
}

// Starts the program on the emulated line, waits for its readyCount-th "Line0 is ready" in the
// log and a moment to settle, measures its memory and ends it. Negative on failure.
double ProgramResidentMb(EmulatedLine& line, const QStringList& args, bool display,
                         int readyCount) {
    QProcess program;
    program.setProcessEnvironment(line.environment(display));
    program.setProcessChannelMode(QProcess::ForwardedOutputChannel);
    program.start(line.program(), args);
    if (!program.waitForStarted())
        return -1;
    const bool ready = QTest::qWaitFor(
        [&] {
            return line.logLines().filter(QStringLiteral("Line0 is ready")).size() >= readyCount;
        },
        20000);
    QTest::qWait(1000);
    const double mb = ready ? ResidentMb(program.processId()) : -1;
    ::kill(pid_t(program.processId()), SIGTERM);
    if (!program.waitForFinished(10000))
        program.kill();
    return mb;
}

// From the rewrite of public.tel to the entry screening, through the service's own watcher.
double ListReloadMs(const QString& folder) {
    QtEventLoop loop;
    FakeLineApi lines(loop, 1);
    FakeWaveOut waveOut;
    FakeSoundPlayer sound;
    FileMmio mmio;
    SystemClock clock;
    ServiceHost host(ServiceLines{lines, waveOut, sound, mmio, clock, folder});
    if (!host.start())
        return -1;
    std::vector<double> values = FullPublicList();
    values.back() = 8009999999.0; // a new entry in place of an old one: the list stays full
    QString error;
    QElapsedTimer timer;
    timer.start();
    if (!RewritePublicFile(folder + QStringLiteral("/public.tel"), values, &error))
        return -1;
    while (!host.phoneLists().MatchesPublic(QStringLiteral("8009999999"))) {
        if (timer.elapsed() > 5000)
            return -1;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
    }
    return double(timer.nsecsElapsed()) / 1e6;
}
} // namespace

int main(int argc, char** argv) {
    QTemporaryDir dir;
    qputenv("XDG_CONFIG_HOME", (dir.path() + QStringLiteral("/config")).toLocal8Bit());
    QCoreApplication app(argc, argv);

    const QString folder = dir.path() + QStringLiteral("/reload");
    QDir().mkpath(folder);
    WriteFileBytes(folder + QStringLiteral("/public.tel"), PublicBytes(FullPublicList()));
    WriteFileBytes(folder + QStringLiteral("/private.txt"), PrivateBytes(FullPrivateList()));
    const double reloadMs = ListReloadMs(folder);
    if (reloadMs < 0) {
        std::fprintf(stderr, "the rewritten list never took effect\n");
        return 1;
    }

    if (!EmulatedLine::Built()) {
        std::fprintf(stderr, "hushwire, hushwire-service and hushwire-fakemodem are not built\n");
        return 1;
    }
    EmulatedLine line;
    if (!line.start())
        return 1;
    WriteFileBytes(line.appFolder() + QStringLiteral("/public.tel"), PublicBytes(FullPublicList()));
    WriteFileBytes(line.appFolder() + QStringLiteral("/private.txt"),
                   PrivateBytes(FullPrivateList()));
    const double serviceMb = ProgramResidentMb(line, {QStringLiteral("--service")}, false, 1);
    const double desktopMb = ProgramResidentMb(line, {}, true, 2);
    if (serviceMb < 0 || desktopMb < 0) {
        std::fprintf(stderr, "Line0 never became ready (service %.1f, desktop %.1f)\n", serviceMb,
                     desktopMb);
        return 1;
    }
    std::printf("service_rss_mb %.1f MB\n", serviceMb);
    std::printf("desktop_rss_mb %.1f MB\n", desktopMb);
    std::printf("list_reload_ms %.1f ms\n", reloadMs);
    return 0;
}
