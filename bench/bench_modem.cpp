// Line service figures against the modem emulator on a pseudo-terminal:
//   cid_to_offhook_ms  the emulator's time from sending the last caller-ID line of a listed
//                      caller to receiving the off-hook command (AT+VLS=1), through the real
//                      line service and the real call screening engine (median of the calls)
//   idle_cpu_percent   CPU used by the process with one open, idle line over 10 s

#include "calllog/LogSink.h"
#include "engine/CallScreener.h"
#include "engine/Wave.h"
#include "lists/PhoneLists.h"
#include "platform/audio/Mmio.h"
#include "platform/telephony/modem/ModemLineService.h"
#include "platform/time/QtTime.h"
#include "support/FakeSoundPlayer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QtEndian>

#include <algorithm>
#include <cstdio>
#include <sys/resource.h>

namespace {

struct NullLog : LogSink {
    void AddLogLine(const QString&) override {}
};

void Spin(int ms) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

bool SpinUntil(const std::function<bool()>& done, int ms) {
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > ms)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(2);
    }
    return true;
}

struct LogLine {
    qint64 ms;
    QString kind;
    QString text;
};

QList<LogLine> ReadLog(const QString& path) {
    QList<LogLine> out;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return out;
    for (const QByteArray& raw : f.readAll().split('\n')) {
        const QList<QByteArray> parts = raw.split(' ');
        if (parts.size() < 3)
            continue;
        out.append({parts[0].toLongLong(), QString::fromLatin1(parts[1]),
                    QString::fromLatin1(raw.mid(parts[0].size() + parts[1].size() + 2))});
    }
    return out;
}

double CpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString logPath = dir.filePath(QStringLiteral("modem.log"));

    QProcess modem;
    modem.start(
        QStringLiteral(HW_BUILD_DIR "/hushwire-fakemodem"),
        {QStringLiteral("--chipset"), QStringLiteral("usr"), QStringLiteral("--log"), logPath});
    QByteArray first;
    while (!first.contains('\n') && modem.waitForReadyRead(5000))
        first += modem.readAllStandardOutput();
    if (!first.startsWith("DEVICE ")) {
        std::fprintf(stderr, "bench_modem: the modem emulator did not start\n");
        return 1;
    }
    const QString device = QString::fromLatin1(first.mid(7, first.indexOf('\n') - 7).trimmed());

    // One listed number in the public list.
    {
        QFile f(dir.filePath(QStringLiteral("public.tel")));
        f.open(QIODevice::WriteOnly);
        char rec[8];
        qToLittleEndian(5551234567.0, rec);
        f.write(rec, 8);
    }
    PhoneLists lists(dir.path());
    lists.LoadPhoneLists();

    ModemLineService service({device});
    QObject timerOwner;
    QtTimerFactory timers(&timerOwner);
    QtEventLoop loop;
    NullLog log;
    FileMmio mmio;
    Wave wave(mmio, service.modemWaveOut());
    FakeSoundPlayer sound;
    CallScreener engine(
        EngineDeps{service, timers, loop, log, lists, wave, sound, dir.path(), [] {}, &service});
    EngineOptions options;
    options.lines[0] = {QStringLiteral("1"), 0x8};
    engine.setOptions(options);
    engine.ResetLines();
    engine.InitTelephony();
    engine.OpenLines();
    if (engine.slot(0).lineHandle == 0) {
        std::fprintf(stderr, "bench_modem: line 0 did not open: %s\n",
                     qPrintable(service.lastError(0)));
        return 1;
    }
    auto cidOnCount = [&] {
        int n = 0;
        for (const LogLine& l : ReadLog(logPath))
            n += l.kind == QLatin1String("RX") && l.text.contains(QLatin1String("CID=1"));
        return n;
    };
    SpinUntil([&] { return cidOnCount() > 0; }, 10000);

    // Calls from the listed number: answered, (no message file, so) dropped, line re-armed.
    const int calls = 15;
    std::vector<double> delays;
    for (int i = 0; i < calls; ++i) {
        const int armed = cidOnCount();
        const qsizetype logStart = ReadLog(logPath).size();
        modem.write("ring\nwait 300\ncid NMBR=5551234567 NAME=TELEMARKETER\n");
        if (!SpinUntil([&] { return cidOnCount() > armed; }, 15000)) {
            std::fprintf(stderr, "bench_modem: call %d was not completed\n", i);
            break;
        }
        const QList<LogLine> lines = ReadLog(logPath).mid(logStart);
        qint64 lastCid = -1;
        qint64 offHook = -1;
        for (const LogLine& l : lines) {
            if (l.kind == QLatin1String("TX") && (l.text.startsWith(QLatin1String("NMBR")) ||
                                                  l.text.startsWith(QLatin1String("NAME"))))
                lastCid = l.ms;
            if (l.kind == QLatin1String("RX") && l.text.startsWith(QLatin1String("AT+VLS=1")) &&
                offHook < 0)
                offHook = l.ms;
        }
        if (i == 0 && qEnvironmentVariableIsSet("HW_BENCH_TRACE")) {
            for (const LogLine& l : lines)
                std::fprintf(stderr, "%lld %s %s\n", l.ms, qPrintable(l.kind), qPrintable(l.text));
        }
        if (lastCid >= 0 && offHook >= lastCid)
            delays.push_back(double(offHook - lastCid));
        Spin(100);
    }
    if (delays.empty()) {
        std::fprintf(stderr, "bench_modem: no call was answered\n");
        return 1;
    }
    std::sort(delays.begin(), delays.end());
    std::printf("cid_to_offhook_ms %.1f ms\n", delays[delays.size() / 2]);
    std::fprintf(stderr, "cid_to_offhook_ms: %zu calls, max %.1f ms\n", delays.size(),
                 delays.back());

    // One open line with nothing happening.
    Spin(500);
    const double cpuBefore = CpuSeconds();
    QElapsedTimer wall;
    wall.start();
    QEventLoop idle;
    QTimer::singleShot(10000, &idle, &QEventLoop::quit);
    idle.exec();
    const double cpu = CpuSeconds() - cpuBefore;
    std::printf("idle_cpu_percent %.3f %%\n", 100.0 * cpu / (double(wall.elapsed()) / 1000.0));

    engine.CloseTelephony();
    modem.write("quit\n");
    modem.waitForFinished(2000);
    return 0;
}
