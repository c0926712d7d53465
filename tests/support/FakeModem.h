#pragma once

// The project's modem emulator run as a child process on a pseudo-terminal, a recorder of line
// notices, and the processor time this process has used (to show that nothing spins).

#include "telephony/LineApi.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <sys/resource.h>
#include <vector>

// User and system time of this process so far, in milliseconds.
inline long CpuMs() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return long(u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1000 +
           long(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1000;
}

class FakeModem {
public:
    // Starts the emulator; false (with a warning saying why) when it did not come up.
    bool start(const QStringList& extraArgs = {}) {
        logPath = dir.filePath(QStringLiteral("modem.log"));
        recordPath = dir.filePath(QStringLiteral("heard.wav"));
        QStringList args{QStringLiteral("--log"), logPath, QStringLiteral("--record"), recordPath};
        args += extraArgs;
        process.setProgram(QStringLiteral(HW_BUILD_DIR "/hushwire-fakemodem"));
        process.setArguments(args);
        // The emulator's errors (and a sanitizer's leak report) go straight to the test's output.
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start();
        if (!process.waitForStarted(5000))
            return false;
        QByteArray out;
        while (!out.contains('\n') && process.waitForReadyRead(5000))
            out += process.readAllStandardOutput();
        const QByteArray first = out.left(out.indexOf('\n')).trimmed();
        if (!first.startsWith("DEVICE ")) {
            qWarning("the modem emulator did not come up: %s", out.constData());
            return false;
        }
        device = QString::fromLatin1(first.mid(7));
        return true;
    }

    ~FakeModem() {
        if (process.state() != QProcess::NotRunning) {
            process.terminate();
            if (!process.waitForFinished(2000))
                process.kill();
            process.waitForFinished(1000);
        }
    }

    // Sends script lines to the emulator's standard input.
    void script(const QByteArray& lines) {
        process.write(lines.endsWith('\n') ? lines : lines + '\n');
        process.waitForBytesWritten(1000);
    }

    QStringList logLines() const {
        QFile f(logPath);
        if (!f.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

    // Commands the emulator received, in order, without time stamps.
    QStringList received() const {
        QStringList result;
        for (const QString& line : logLines()) {
            const QStringList parts = line.split(QLatin1Char(' '));
            if (parts.size() >= 3 && parts[1] == QLatin1String("RX"))
                result.append(parts.mid(2).join(QLatin1Char(' ')));
        }
        return result;
    }

    bool receivedContains(const QString& text) const {
        for (const QString& c : received()) {
            if (c.contains(text))
                return true;
        }
        return false;
    }

    QTemporaryDir dir;
    QProcess process;
    QString device;
    QString logPath;
    QString recordPath;
};

struct Notice {
    uint32_t device, message, p1, p2, p3;
};

// Records every notice the line service delivers.
class NoticeRecorder {
public:
    LineCallback callback() {
        return [this](uint32_t device, uint32_t message, uintptr_t, uint32_t p1, uint32_t p2,
                      uint32_t p3) {
            notices.push_back({device, message, p1, p2, p3});
        };
    }

    int count(uint32_t message, uint32_t p1) const {
        int n = 0;
        for (const Notice& x : notices)
            n += x.message == message && x.p1 == p1;
        return n;
    }
    int callStates(uint32_t state) const { return count(tapi::LINE_CALLSTATE, state); }
    bool waitForCallState(uint32_t state, int timeoutMs = 5000) const {
        return QTest::qWaitFor([&] { return callStates(state) > 0; }, timeoutMs);
    }
    bool waitFor(uint32_t message, int timeoutMs = 5000) const {
        return QTest::qWaitFor(
            [&] {
                for (const Notice& x : notices)
                    if (x.message == message)
                        return true;
                return false;
            },
            timeoutMs);
    }
    // The call handle of the first call offered after the first `from` notices (0 when none).
    uint32_t offeredCall(size_t from = 0) const {
        for (size_t i = from; i < notices.size(); ++i)
            if (notices[i].message == tapi::LINE_CALLSTATE &&
                notices[i].p1 == tapi::LINECALLSTATE_OFFERING)
                return notices[i].device;
        return 0;
    }
    // How often this call entered the state.
    int statesOf(uint32_t call, uint32_t state) const {
        int n = 0;
        for (const Notice& x : notices)
            n += x.message == tapi::LINE_CALLSTATE && x.device == call && x.p1 == state;
        return n;
    }
    // Index of the first notice matching message/p1, or -1.
    int indexOf(uint32_t message, uint32_t p1) const {
        for (size_t i = 0; i < notices.size(); ++i)
            if (notices[i].message == message && notices[i].p1 == p1)
                return int(i);
        return -1;
    }

    std::vector<Notice> notices;
};
