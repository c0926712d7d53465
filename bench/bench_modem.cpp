// Line service figures against the modem emulator on a pseudo-terminal:
//   cid_to_offhook_ms  the emulator's time from sending the last caller-ID line of a listed
//                      caller to receiving the off-hook command (AT+VLS=1), through the real
//                      line service and the real call screening engine (median of the calls)
//   idle_cpu_percent   CPU used by the process with one open, idle line over 10 s

#include "support/FakeModem.h"
#include "support/ModemEngineRig.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <algorithm>
#include <cstdio>

namespace {

// The event loop runs all the time here, without the pauses of QTest::qWait, so that the line
// service reacts as fast as in the program.
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

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    FakeModem modem;
    if (!modem.start({QStringLiteral("--chipset"), QStringLiteral("usr")})) {
        std::fprintf(stderr, "bench_modem: the modem emulator did not start\n");
        return 1;
    }
    const QString& logPath = modem.logPath;
    // One listed number in the public list and no message.
    ModemEngineRig rig(modem.device);
    if (!rig.open()) {
        std::fprintf(stderr, "bench_modem: line 0 did not open: %s\n",
                     qPrintable(rig.service.lastError(0)));
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
        modem.script("ring\nwait 300\ncid NMBR=5551234567 NAME=TELEMARKETER");
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
    const long cpuBefore = CpuMs();
    QElapsedTimer wall;
    wall.start();
    QEventLoop idle;
    QTimer::singleShot(10000, &idle, &QEventLoop::quit);
    idle.exec();
    const long cpuMs = CpuMs() - cpuBefore;
    std::printf("idle_cpu_percent %.3f %%\n", 100.0 * double(cpuMs) / double(wall.elapsed()));

    rig.engine.CloseTelephony();
    return 0;
}
