// The modem line service against a modem that misbehaves: it vanishes while the message plays,
// answers ERROR to every command, or floods the port with random bytes. Each time the call ends
// cleanly (disconnected, then idle after the program's drop), the voice channel closes without
// hanging, and the service goes on serving.
#include "telephony/FakeModem.h"

#include "platform/audio/WaveOut.h"
#include "platform/telephony/LineStructs.h"
#include "platform/telephony/modem/ModemLineService.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QtTest>

#include <memory>
#include <sys/resource.h>

namespace {

WaveFormatEx Format8k() {
    WaveFormatEx f;
    f.wFormatTag = wave::WAVE_FORMAT_PCM;
    f.nChannels = 1;
    f.nSamplesPerSec = 8000;
    f.wBitsPerSample = 8;
    f.nBlockAlign = 1;
    f.nAvgBytesPerSec = 8000;
    return f;
}

long cpuMs() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1000 +
           (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1000;
}

struct Rig {
    FakeModem modem;
    std::unique_ptr<ModemLineService> service;
    NoticeRecorder rec;
    uint32_t app = 0;
    uint32_t line = 0;

    bool open(const QStringList& modemArgs = {}) {
        if (!modem.start(modemArgs))
            return false;
        service = std::make_unique<ModemLineService>(QStringList{modem.device});
        ModemTimings t;
        t.commandTimeoutMs = 800;
        service->setTimings(t);
        uint32_t count = 0;
        if (service->lineInitialize(&app, rec.callback(), QStringLiteral("Hushwire"), &count) !=
                0 ||
            count != 1)
            return false;
        if (service->lineOpen(app, 0, &line, ModemLineService::kApiVersion, 0, 0, 0x6, 0x8,
                              nullptr) != 0)
            return false;
        return QTest::qWaitFor([&] { return modem.receivedContains(QStringLiteral("CID=1")); },
                               5000);
    }

    uint32_t answeredCall() {
        const size_t before = rec.notices.size();
        modem.script("ring");
        if (!QTest::qWaitFor([&] { return newOffer(before) != 0; }, 5000))
            return 0;
        const uint32_t call = newOffer(before);
        if (service->lineAnswer(call, "", 0) <= 0)
            return 0;
        return rec.waitForCallState(tapi::LINECALLSTATE_CONNECTED) ? call : 0;
    }

    // The call offered after the first `from` notices, or 0.
    uint32_t newOffer(size_t from) const {
        for (size_t i = from; i < rec.notices.size(); ++i) {
            const Notice& n = rec.notices[i];
            if (n.message == tapi::LINE_CALLSTATE && n.p1 == tapi::LINECALLSTATE_OFFERING)
                return n.device;
        }
        return 0;
    }
    int statesOf(uint32_t call, uint32_t state) const {
        int n = 0;
        for (const Notice& x : rec.notices)
            n += x.message == tapi::LINE_CALLSTATE && x.device == call && x.p1 == state;
        return n;
    }
    // The program's side of ending a call: drop, wait for idle, deallocate.
    bool endCall(uint32_t call) {
        service->lineDrop(call, "", 0);
        const bool idle =
            QTest::qWaitFor([&] { return statesOf(call, tapi::LINECALLSTATE_IDLE) > 0; }, 5000);
        service->lineDeallocateCall(call);
        return idle;
    }
};

// Plays 5 seconds of a tone on the call's voice channel; the completion count goes to *done.
struct Playback {
    WaveOut& out;
    WaveOutHandle handle = 0;
    WaveHdr header;
    QByteArray pcm;
    int done = 0;
    bool open = false;

    explicit Playback(WaveOut& o) : out(o) {}
    bool start(int32_t device) {
        pcm = QByteArray(40000, '\0');
        for (qsizetype i = 0; i < pcm.size(); ++i)
            pcm[i] = char(128 + ((i / 8) % 2 ? 60 : -60));
        const WaveFormatEx f = Format8k();
        if (out.waveOutOpen(
                &handle, device, &f,
                [this](WaveOutHandle, uint32_t msg, uintptr_t, uintptr_t, uintptr_t) {
                    done += msg == wave::WOM_DONE;
                },
                0, wave::CALLBACK_FUNCTION) != 0)
            return false;
        open = true;
        header.lpData = reinterpret_cast<const uint8_t*>(pcm.constData());
        header.dwBufferLength = uint32_t(pcm.size());
        return out.waveOutPrepareHeader(handle, &header, wave::kHeaderSize) == 0 &&
               out.waveOutWrite(handle, &header, wave::kHeaderSize) == 0;
    }
    // What the engine does when a call ends under a playing message.
    bool stop() {
        out.waveOutReset(handle);
        out.waveOutUnprepareHeader(handle, &header, wave::kHeaderSize);
        return out.waveOutClose(handle) == 0;
    }
};

} // namespace

class TestModemFaults : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void vanishesMidMessage();
    void errorToEverything();
    void errorFromTheStart();
    void floodOfRandomBytes();
};

void TestModemFaults::vanishesMidMessage() {
    Rig rig;
    QVERIFY(rig.open());
    const uint32_t call = rig.answeredCall();
    QVERIFY(call != 0);
    Playback play(rig.service->modemWaveOut());
    QVERIFY(play.start(0));
    QVERIFY(QTest::qWaitFor([&] { return rig.modem.receivedContains(QStringLiteral("AT+VTX")); },
                            3000));
    QTest::qWait(300); // audio is streaming now
    rig.modem.script("unplug");
    QVERIFY(
        QTest::qWaitFor([&] { return rig.statesOf(call, tapi::LINECALLSTATE_IDLE) > 0; }, 5000));
    QCOMPARE(rig.statesOf(call, tapi::LINECALLSTATE_DISCONNECTED), 1);
    // The message ends without the modem: stopping and closing neither hangs nor fails.
    QElapsedTimer t;
    t.start();
    QVERIFY(play.stop());
    QVERIFY(t.elapsed() < 1000);
    QVERIFY(play.done <= 1);
    rig.endCall(call);
    // Nothing spins on the dead port.
    const long before = cpuMs();
    QTest::qWait(500);
    QVERIFY2(cpuMs() - before < 200, qPrintable(QString::number(cpuMs() - before)));
    QCOMPARE(rig.service->lineClose(rig.line), 0);
    QCOMPARE(rig.service->lineShutdown(rig.app), 0);

    // The same process serves a modem again.
    Rig again;
    QVERIFY(again.open());
    const uint32_t second = again.answeredCall();
    QVERIFY(second != 0);
    QVERIFY(again.endCall(second));
}

void TestModemFaults::errorToEverything() {
    Rig rig;
    QVERIFY(rig.open());
    rig.modem.script("fail AT");
    for (int round = 0; round < 2; ++round) {
        const size_t before = rig.rec.notices.size();
        rig.modem.script("ring\ncid NMBR=5551234567 NAME=SMITH");
        QVERIFY(QTest::qWaitFor([&] { return rig.newOffer(before) != 0; }, 5000));
        const uint32_t call = rig.newOffer(before);
        QVERIFY(rig.service->lineAnswer(call, "", 0) > 0);
        QVERIFY(QTest::qWaitFor(
            [&] { return rig.statesOf(call, tapi::LINECALLSTATE_DISCONNECTED) > 0; }, 5000));
        QCOMPARE(rig.statesOf(call, tapi::LINECALLSTATE_CONNECTED), 0);
        QVERIFY(rig.endCall(call));
        QCOMPARE(rig.statesOf(call, tapi::LINECALLSTATE_DISCONNECTED), 1);
        QVERIFY(!rig.service->lastError(0).isEmpty());
        // No voice channel for a call that never connected.
        WaveOutHandle h = 0;
        const WaveFormatEx f = Format8k();
        QVERIFY(rig.service->modemWaveOut().waveOutOpen(&h, 0, &f, {}, 0, 0) != 0);
        QTest::qWait(300);
    }
    QCOMPARE(rig.service->lineClose(rig.line), 0);
}

void TestModemFaults::errorFromTheStart() {
    // A port whose device answers ERROR to every command is not a usable line; opening it fails
    // or the line reports the fault, and nothing hangs.
    FakeModem modem;
    QTemporaryDir dir;
    const QString script = dir.filePath(QStringLiteral("fail.txt"));
    {
        QFile f(script);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("fail AT\n");
    }
    QVERIFY(modem.start({QStringLiteral("--script"), script}));
    ModemLineService service({modem.device});
    ModemTimings t;
    t.commandTimeoutMs = 800;
    service.setTimings(t);
    NoticeRecorder rec;
    uint32_t app = 0, count = 0, line = 0;
    QElapsedTimer timer;
    timer.start();
    QCOMPARE(service.lineInitialize(&app, rec.callback(), QStringLiteral("Hushwire"), &count), 0);
    const int32_t opened =
        service.lineOpen(app, 0, &line, ModemLineService::kApiVersion, 0, 0, 0x6, 0x8, nullptr);
    QTest::qWait(1500);
    if (opened == 0) {
        QVERIFY(!service.lastError(0).isEmpty());
        QCOMPARE(service.lineClose(line), 0);
    }
    QCOMPARE(service.lineShutdown(app), 0);
    QVERIFY(timer.elapsed() < 15000);
}

void TestModemFaults::floodOfRandomBytes() {
    Rig rig;
    QVERIFY(rig.open());
    const uint32_t call = rig.answeredCall();
    QVERIFY(call != 0);
    Playback play(rig.service->modemWaveOut());
    QVERIFY(play.start(0));

    // 48 KiB of random bytes, DLE codes and line ends included, in 96 bursts.
    QRandomGenerator rng(4242);
    QByteArray script;
    for (int burst = 0; burst < 96; ++burst) {
        script += "raw ";
        for (int i = 0; i < 512; ++i)
            script += "\\x" + QByteArray::number(rng.bounded(256), 16).rightJustified(2, '0');
        script += '\n';
    }
    rig.modem.script(script);
    QTest::qWait(1500);
    // Whatever the noise did to the call, the program's own ending of it works.
    play.stop();
    QVERIFY(rig.endCall(call));
    QVERIFY(rig.statesOf(call, tapi::LINECALLSTATE_DISCONNECTED) <= 1);

    // The line is still watched: the next call and its caller ID come through intact.
    const size_t before = rig.rec.notices.size();
    rig.modem.script("send .\nwait 200\nring\ncid NMBR=5559998888 NAME=JONES");
    QVERIFY(QTest::qWaitFor(
        [&] {
            for (size_t i = before; i < rig.rec.notices.size(); ++i)
                if (rig.rec.notices[i].message == tapi::LINE_CALLINFO)
                    return true;
            return false;
        },
        8000));
    const uint32_t next = rig.newOffer(before);
    QVERIFY(next != 0 && next != call);
    std::vector<uint8_t> info(lineabi::callinfo::kBufferSize);
    lineabi::writeU32(info.data(), 0, uint32_t(info.size()));
    QCOMPARE(rig.service->lineGetCallInfo(next, info.data()), 0);
    const uint32_t size = lineabi::readU32(info.data(), lineabi::callinfo::dwCallerIDSize);
    const uint32_t offset = lineabi::readU32(info.data(), lineabi::callinfo::dwCallerIDOffset);
    QVERIFY(size > 0);
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(info.data() + offset)),
             QByteArray("5559998888"));
    QCOMPARE(rig.service->lineClose(rig.line), 0);
}

QTEST_GUILESS_MAIN(TestModemFaults)
#include "tst_modemfaults.moc"
