// The modem line service against a modem that misbehaves: it vanishes while the message plays,
// refuses to go off hook, stops answering, answers ERROR to every command, or floods the port
// with random bytes and half-made reports. Each time the call ends cleanly (disconnected, then
// idle after the program's drop), the voice channel closes without hanging, and the service goes
// on serving.
#include "support/ModemLineRig.h"
#include "support/WavWriter.h"
#include "support/WavePlayback.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QtTest>

namespace {

// Five seconds of a square tone, 8 kHz 8-bit mono.
QByteArray Tone5s() {
    return wavwriter::ChunkOf(wavwriter::ToneWav(5000), "data");
}

} // namespace

class TestModemFaults : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void vanishesMidMessage();
    void refusesToGoOffHookOrStopsAnswering();
    void errorToEverything();
    void errorFromTheStart();
    void floodOfRandomBytes();
};

void TestModemFaults::vanishesMidMessage() {
    ModemLineRig rig;
    QVERIFY(rig.open({}, FastTimings(800)));
    const uint32_t call = rig.answeredCall();
    QVERIFY(call != 0);
    WavePlayback play(rig.service->modemWaveOut());
    QCOMPARE(play.start(0, wavwriter::Format(1, 8000, 8), Tone5s()), 0u);
    QVERIFY(QTest::qWaitFor([&] { return rig.modem.receivedContains(QStringLiteral("AT+VTX")); },
                            3000));
    QTest::qWait(300); // audio is streaming now
    rig.modem.script("unplug");
    QVERIFY(QTest::qWaitFor([&] { return rig.rec.statesOf(call, tapi::LINECALLSTATE_IDLE) > 0; },
                            5000));
    QCOMPARE(rig.rec.statesOf(call, tapi::LINECALLSTATE_DISCONNECTED), 1);
    QVERIFY(rig.service->lastError(0).contains(QLatin1String("went away")));
    // The message ends without the modem: stopping and closing neither hangs nor fails.
    QElapsedTimer t;
    t.start();
    QVERIFY(play.stop());
    QVERIFY(t.elapsed() < 1000);
    QVERIFY(play.rec.done() <= 1);
    // The program's own drop afterwards is harmless, and nothing spins on the dead port.
    rig.endCall(call);
    const long before = CpuMs();
    QTest::qWait(500);
    QVERIFY2(CpuMs() - before < 200, qPrintable(QString::number(CpuMs() - before)));
    QCOMPARE(rig.service->lineClose(rig.line), 0);
    QCOMPARE(rig.service->lineShutdown(rig.app), 0);

    // The same process serves a modem again.
    ModemLineRig again;
    QVERIFY(again.open({}, FastTimings(800)));
    const uint32_t second = again.answeredCall();
    QVERIFY(second != 0);
    QVERIFY(again.endCall(second));
}

void TestModemFaults::refusesToGoOffHookOrStopsAnswering() {
    // The modem refuses every way of going off hook.
    {
        ModemLineRig rig;
        QVERIFY(rig.open());
        rig.modem.script("fail VLS\nfail ATA\nring");
        QVERIFY(rig.rec.waitForCallState(tapi::LINECALLSTATE_OFFERING));
        const uint32_t call = rig.rec.offeredCall();
        QVERIFY(rig.service->lineAnswer(call, "", 0) > 0);
        QVERIFY(rig.rec.waitForCallState(tapi::LINECALLSTATE_DISCONNECTED));
        QCOMPARE(rig.rec.callStates(tapi::LINECALLSTATE_CONNECTED), 0);
        QVERIFY(rig.service->lineDrop(call, "", 0) > 0);
        QVERIFY(rig.rec.waitForCallState(tapi::LINECALLSTATE_IDLE));
        QVERIFY(!rig.service->lastError(0).isEmpty());
        for (const char* command : {"AT+VLS=1", "AT#VLS=0A", "ATA"})
            QVERIFY2(rig.modem.received().contains(QLatin1String(command)), command);
    }
    // The modem stops answering altogether.
    {
        ModemLineRig rig;
        ModemTimings t = FastTimings();
        t.commandTimeoutMs = 400;
        QVERIFY(rig.open({}, t));
        rig.modem.script("ring\nmute");
        QVERIFY(rig.rec.waitForCallState(tapi::LINECALLSTATE_OFFERING));
        const uint32_t call = rig.rec.offeredCall();
        QTest::qWait(100);
        QVERIFY(rig.service->lineAnswer(call, "", 0) > 0);
        QVERIFY(rig.rec.waitForCallState(tapi::LINECALLSTATE_DISCONNECTED, 3000));
        QVERIFY(rig.service->lineDrop(call, "", 0) > 0);
        QVERIFY(rig.rec.waitForCallState(tapi::LINECALLSTATE_IDLE, 5000));
    }
}

void TestModemFaults::errorToEverything() {
    ModemLineRig rig;
    QVERIFY(rig.open({}, FastTimings(800)));
    rig.modem.script("fail AT");
    for (int round = 0; round < 2; ++round) {
        const size_t before = rig.rec.notices.size();
        rig.modem.script("ring\ncid NMBR=5551234567 NAME=SMITH");
        QVERIFY(QTest::qWaitFor([&] { return rig.rec.offeredCall(before) != 0; }, 5000));
        const uint32_t call = rig.rec.offeredCall(before);
        QVERIFY(rig.service->lineAnswer(call, "", 0) > 0);
        QVERIFY(QTest::qWaitFor(
            [&] { return rig.rec.statesOf(call, tapi::LINECALLSTATE_DISCONNECTED) > 0; }, 5000));
        QCOMPARE(rig.rec.statesOf(call, tapi::LINECALLSTATE_CONNECTED), 0);
        QVERIFY(rig.endCall(call));
        QCOMPARE(rig.rec.statesOf(call, tapi::LINECALLSTATE_DISCONNECTED), 1);
        QVERIFY(!rig.service->lastError(0).isEmpty());
        // No voice channel for a call that never connected.
        WaveOutHandle h = 0;
        const WaveFormatEx f = wavwriter::Format(1, 8000, 8);
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
    service.setTimings(FastTimings(800));
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
    ModemLineRig rig;
    QVERIFY(rig.open({}, FastTimings(800)));
    const uint32_t call = rig.answeredCall();
    QVERIFY(call != 0);
    WavePlayback play(rig.service->modemWaveOut());
    QCOMPARE(play.start(0, wavwriter::Format(1, 8000, 8), Tone5s()), 0u);

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
    QVERIFY(rig.rec.statesOf(call, tapi::LINECALLSTATE_DISCONNECTED) <= 1);

    // The line is still watched: after more noise that looks half like a report (a lone NMBR, a
    // run of '=', doubled DLE), the next call and its caller ID come through intact.
    const size_t before = rig.rec.notices.size();
    QByteArray junk = "raw \\xff\\xfe\\x01";
    junk += QByteArray(2000, 'Z');
    rig.modem.script("send .\n" + junk +
                     "\nsend NMBR\nsend =====\nsend \\x10\\x10OK?\nwait 200\nring\n"
                     "cid NMBR=5559998888 NAME=JONES");
    QVERIFY(QTest::qWaitFor(
        [&] {
            for (size_t i = before; i < rig.rec.notices.size(); ++i)
                if (rig.rec.notices[i].message == tapi::LINE_CALLINFO)
                    return true;
            return false;
        },
        8000));
    const uint32_t next = rig.rec.offeredCall(before);
    QVERIFY(next != 0 && next != call);
    QCOMPARE(rig.text(rig.callInfo(next), lineabi::callinfo::dwCallerIDSize,
                      lineabi::callinfo::dwCallerIDOffset),
             QByteArray("5559998888"));
    QCOMPARE(rig.service->lineClose(rig.line), 0);
}

QTEST_GUILESS_MAIN(TestModemFaults)
#include "tst_modemfaults.moc"
