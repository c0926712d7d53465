// Whole calls in virtual time: blocked calls with their message, unanswered calls, modes,
// two lines at once, notices in odd orders and failing telephony operations.
#include "support/EngineHarness.h"
#include "support/WavWriter.h"

#include <QTest>

namespace {

// Advances in 10 ms steps until the operation has been called `count` times; returns the time
// of that call, or -1 when it did not come within maxMs.
qint64 runUntilOp(EngineHarness& h, const QString& name, int count, qint64 maxMs) {
    const qint64 end = h.time.elapsedMs() + maxMs;
    while (h.time.elapsedMs() < end) {
        const auto ops = h.line.opsNamed(name);
        if (int(ops.size()) >= count)
            return ops[size_t(count - 1)].atMs;
        h.time.advance(10);
    }
    const auto ops = h.line.opsNamed(name);
    return int(ops.size()) >= count ? ops[size_t(count - 1)].atMs : -1;
}

qint64 timeOfConnected(const EngineHarness& h) {
    const auto ops = h.line.opsNamed(QStringLiteral("lineMonitorDigits"));
    return ops.empty() ? -1 : ops.front().atMs;
}

const QString kBlocked = QStringLiteral("                         Blocked");

} // namespace

class TestCallTimeline : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The message plays on the call's own device and the call is dropped 0.3 to 0.8 s after it
    // ends, whatever the phase of the polling timer.
    void blockedCall_data() {
        QTest::addColumn<int>("messageMs");
        for (int ms : {1000, 1130, 1250, 1499, 2990})
            QTest::newRow(qPrintable(QString::number(ms))) << ms;
    }
    void blockedCall() {
        QFETCH(int, messageMs);
        EngineHarness h;
        h.start();
        h.options.mode = 2; // a blocked call never rings the PC
        h.applyOptions();
        h.line.devices[1].waveDevice = 7;
        h.setPublicList({5551234567.0});
        h.writeMessage(messageMs);
        const uint32_t call = h.incomingCall(1, "5551234567", "Telemarketing");

        QCOMPARE(h.log.texts(),
                 (QStringList{u"Line0 is ready"_qs, u"Line1 is ready"_qs, u"Line2 is ready"_qs,
                              u"Line3 is ready"_qs, u"Line1 Ring..."_qs,
                              u"CallerID:5551234567 [Telemarketing]"_qs + kBlocked}));
        // Answered, connected, digits monitored and the message queued on device 7.
        QCOMPARE(timeOfConnected(h), 0);
        QCOMPARE(h.line.opsNamed(u"lineMonitorDigits"_qs).front().args,
                 (std::vector<qint64>{call, 2}));
        const auto getId = h.line.opsNamed(u"lineGetID"_qs);
        QCOMPARE(getId.size(), size_t(1));
        QCOMPARE(getId.front().args, (std::vector<qint64>{h.line.lineHandleOf(1), 0, call, 4}));
        QCOMPARE(getId.front().text, u"wave/out"_qs);
        QCOMPARE(h.waveOut.openCount(), 1);
        QCOMPARE(h.waveOut.lastDeviceId, 7);
        QVERIFY(h.wave.isPlaying(1));
        QVERIFY(h.time.isRunning(u"Timer3_1"_qs));
        QVERIFY(!h.time.isRunning(u"timRing_1"_qs));

        h.time.advance(messageMs);
        QCOMPARE(h.line.count(u"lineDrop"_qs), 0);
        QCOMPARE(h.waveOut.finish(7), 1);
        const qint64 drop = runUntilOp(h, u"lineDrop"_qs, 1, 2000);
        QVERIFY2(drop >= messageMs + 300 && drop <= messageMs + 800,
                 qPrintable(QString::number(drop)));
        QCOMPARE(h.line.opsNamed(u"lineDrop"_qs).front().args, (std::vector<qint64>{call, 0}));
        QCOMPARE(h.waveOut.openCount(), 0);
        QVERIFY(h.sound.played.isEmpty());

        h.time.advance(1000);
        QCOMPARE(h.line.count(u"lineDrop"_qs), 1);
        QCOMPARE(h.line.count(u"lineDeallocateCall"_qs), 1);
        QVERIFY2(h.atRest(), qPrintable(h.restReport()));
        QVERIFY(!h.engine->slot(1).listed);
    }

    // When the message cannot be played the call is dropped about 0.8 s after CONNECTED, and
    // the call log says why, once for each call.
    void unplayableMessage_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<bool>("present");
        QTest::addColumn<uint32_t>("failOpen");
        QTest::addColumn<QString>("reason");
        QByteArray zeroChannels = wavwriter::ToneWav(500);
        zeroChannels[22] = 0;
        zeroChannels[32] = 0;
        const QString damaged = u"the WAV file is damaged or incomplete"_qs;
        const QString notWave = u"it is not a WAV sound file"_qs;
        QTest::newRow("missing") << QByteArray() << false << 0u << u"the file is missing"_qs;
        QTest::newRow("garbage") << QByteArray("this is not a wave file at all") << true << 0u
                                 << notWave;
        QTest::newRow("truncated header")
            << wavwriter::ToneWav(500).left(30) << true << 0u << damaged;
        QTest::newRow("no channels, no block size") << zeroChannels << true << 0u << damaged;
        QTest::newRow("empty") << QByteArray() << true << 0u << notWave;
        QTest::newRow("format the line cannot play")
            << wavwriter::ToneWav(500) << true << wave::WAVERR_BADFORMAT
            << u"its sound format cannot be played (save it as PCM WAV, 8 or 16 bit, mono or "
               u"stereo)"_qs;
    }
    void unplayableMessage() {
        QFETCH(QByteArray, file);
        QFETCH(bool, present);
        QFETCH(uint32_t, failOpen);
        QFETCH(QString, reason);
        EngineHarness h;
        h.start();
        h.options.blockUnknown = 1;
        h.applyOptions();
        if (present)
            h.writeMessageBytes(file);
        else
            h.removeMessage();
        h.waveOut.failOpen = failOpen;
        h.incomingCall(0, {});
        QCOMPARE(timeOfConnected(h), 0);
        const qint64 drop = runUntilOp(h, u"lineDrop"_qs, 1, 3000);
        QCOMPARE(drop, 800);
        h.time.advance(1000);
        QVERIFY2(h.atRest(), qPrintable(h.restReport()));
        const QString line = u"Line0 could not play donotcall.wav: "_qs + reason;
        QCOMPARE(h.log.texts().count(line), 1);

        // The next call is told again, but a repeated CONNECTED is not.
        const uint32_t call = h.incomingCall(0, {});
        h.line.callState(call, tapi::LINECALLSTATE_CONNECTED);
        h.time.advance(2000);
        QCOMPARE(h.log.texts().count(line), 2);
        QVERIFY2(h.atRest(), qPrintable(h.restReport()));
    }

    // The message file is read afresh for every blocked call.
    void messageReadPerCall() {
        EngineHarness h;
        h.start();
        h.options.blockUnknown = 1;
        h.applyOptions();
        h.writeMessage(100);
        h.incomingCall(0, {});
        const qsizetype first = h.waveOut.written.last().size();
        h.waveOut.finishAll();
        h.time.advance(2000);
        h.writeMessage(300);
        h.incomingCall(0, {});
        QCOMPARE(h.waveOut.written.last().size(), first * 3);
        h.removeMessage();
        h.waveOut.finishAll();
        h.time.advance(2000);
        h.incomingCall(0, {});
        QCOMPARE(h.waveOut.written.size(), 2);
        h.time.advance(2000);
        QVERIFY2(h.atRest(), qPrintable(h.restReport()));
    }

    // The far end hangs up during the message: dropped 300 ms later and freed at IDLE; the end
    // of the message closes the device and issues no second drop on the released call.
    void hangUpDuringMessage() {
        EngineHarness h;
        h.start();
        h.setPrivateList({{u"X"_qs, u"5550000000"_qs}});
        h.writeMessage(5000);
        const uint32_t call = h.incomingCall(2, "5550000000");
        h.time.advance(1000);
        h.line.hangUpFarEnd(call);
        QCOMPARE(runUntilOp(h, u"lineDrop"_qs, 1, 1000), 1300);
        h.time.advance(10);
        QCOMPARE(h.engine->slot(2).callHandle, 0u);
        QVERIFY(h.wave.isPlaying(2));
        h.time.advance(4000);
        h.waveOut.finishAll();
        h.time.advance(1000);
        QCOMPARE(h.line.count(u"lineDrop"_qs), 1);
        QCOMPARE(h.waveOut.openCount(), 0);
        QVERIFY2(h.atRest(), qPrintable(h.restReport()));
    }

    // A second CONNECTED during the message neither restarts it nor adds a poll.
    void secondConnected() {
        EngineHarness h;
        h.start();
        h.options.blockUnknown = 1;
        h.applyOptions();
        h.writeMessage(2000);
        const uint32_t call = h.incomingCall(0, {});
        h.time.advance(700);
        h.line.callState(call, tapi::LINECALLSTATE_CONNECTED);
        h.time.advance(300);
        QCOMPARE(h.waveOut.totalOpens, 1);
        QCOMPARE(h.waveOut.written.size(), 1);
        h.time.advance(1000);
        h.waveOut.finishAll();
        const qint64 drop = runUntilOp(h, u"lineDrop"_qs, 1, 2000);
        QVERIFY(drop >= 2300 && drop <= 2800);
        h.time.advance(1000);
        QCOMPARE(h.line.count(u"lineDrop"_qs), 1);
        QVERIFY2(h.atRest(), qPrintable(h.restReport()));
    }

    // An unanswered call is dropped 6.3 s after its last ring plus 300 ms. Mode 2 rings the PC
    // from the second ring on; every other mode is silent.
    void unansweredCall_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("plays");
        QTest::newRow("mode 1") << 1 << 0;
        QTest::newRow("mode 2") << 2 << 3;
        QTest::newRow("mode 3") << 3 << 0;
        QTest::newRow("mode 0 (non-numeric setting)") << 0 << 0;
    }
    void unansweredCall() {
        QFETCH(int, mode);
        QFETCH(int, plays);
        EngineHarness h;
        h.start();
        h.options.mode = mode;
        h.applyOptions();
        h.incomingCall(3, "5557654321");
        for (uint32_t ring = 2; ring <= 4; ++ring) {
            h.time.advance(6000);
            h.line.ring(3, ring);
        }
        const qint64 drop = runUntilOp(h, u"lineDrop"_qs, 1, 10000);
        QCOMPARE(drop, 18000 + 6300 + 300);
        QCOMPARE(h.sound.played.size(), plays);
        for (const QString& p : h.sound.played)
            QCOMPARE(p, h.folder() + u"/ring.wav"_qs);
        if (plays)
            QCOMPARE(h.sound.times, (QList<qint64>{6000, 12000, 18000}));
        QCOMPARE(h.line.count(u"lineAnswer"_qs), 0);
        h.time.advance(1000);
        QVERIFY2(h.atRest(), qPrintable(h.restReport()));
    }

    // The first ring and the caller ID waiting together: the caller ID handled while the ring
    // handler yields blocks the call, and the ring must not bring the ring timeout back.
    void ringAndCallerIdTogether() {
        EngineHarness h;
        h.start();
        h.setPublicList({5551234567.0});
        h.writeMessage(9000);
        const uint32_t call = h.line.offerCall(0);
        h.line.ring(0, 1);
        h.line.sendCallerId(call, tapi::LINECALLPARTYID_ADDRESS, "5551234567", {});
        h.time.runPosted();
        QCOMPARE(h.line.count(u"lineAnswer"_qs), 1);
        QVERIFY(!h.time.isRunning(u"timRing_0"_qs));
        h.time.advance(8000);
        QCOMPARE(h.line.count(u"lineDrop"_qs), 0); // not cut off in the middle of the message
        h.time.advance(1000);
        h.waveOut.finishAll();
        const qint64 drop = runUntilOp(h, u"lineDrop"_qs, 1, 2000);
        QVERIFY(drop >= 9300 && drop <= 9800);
    }

    // The caller gives up while the phone rings.
    void hangUpWhileRinging() {
        EngineHarness h;
        h.start();
        const uint32_t call = h.incomingCall(0, "5557654321");
        h.time.advance(2000);
        h.line.hangUpFarEnd(call);
        QCOMPARE(runUntilOp(h, u"lineDrop"_qs, 1, 1000), 2300);
        h.time.advance(7000);
        QCOMPARE(h.line.count(u"lineDrop"_qs), 1); // the ring timeout finds the slot free
        QVERIFY2(h.atRest(), qPrintable(h.restReport()));
    }

    // Two calls at once on two lines, each with its own slot, timers and device.
    void twoLinesAtOnce() {
        EngineHarness h;
        h.start();
        h.setPublicList({5551234567.0});
        h.writeMessage(3000);
        const uint32_t blocked = h.incomingCall(0, "5551234567");
        h.time.advance(500);
        const uint32_t passed = h.incomingCall(2, "5559999999", "Friend");
        h.time.advance(500);
        const uint32_t blocked2 = h.incomingCall(3, "5551234567");
        QCOMPARE(h.engine->slot(0).callHandle, blocked);
        QCOMPARE(h.engine->slot(2).callHandle, passed);
        QCOMPARE(h.engine->slot(3).callHandle, blocked2);
        QCOMPARE(h.waveOut.openCount(), 2);
        QCOMPARE(h.engine->callerNumber(), u"5551234567"_qs); // the last screening

        h.time.advance(2000);
        QCOMPARE(h.waveOut.finish(0), 1);
        QCOMPARE(runUntilOp(h, u"lineDrop"_qs, 1, 1000) >= 3300, true);
        QCOMPARE(h.line.opsNamed(u"lineDrop"_qs).front().args.front(), qint64(blocked));
        QVERIFY(h.wave.isPlaying(3));
        h.time.advance(1000);
        QCOMPARE(h.waveOut.finish(3), 1);
        runUntilOp(h, u"lineDrop"_qs, 2, 1000);
        QCOMPARE(h.line.opsNamed(u"lineDrop"_qs)[1].args.front(), qint64(blocked2));
        QCOMPARE(h.engine->slot(2).callHandle, passed);
        const qint64 last = runUntilOp(h, u"lineDrop"_qs, 3, 10000);
        QCOMPARE(last, 500 + 6300 + 300);
        QCOMPARE(h.line.opsNamed(u"lineDrop"_qs)[2].args.front(), qint64(passed));
        h.time.advance(1000);
        QVERIFY2(h.atRest(), qPrintable(h.restReport()));
    }

    // Notices in odd orders and for calls or lines no slot holds change nothing they should not.
    void noticesInAnyOrder() {
        EngineHarness h;
        h.start({0, 1});
        h.options.mode = 2;
        h.applyOptions();
        h.writeMessage(1000);
        // IDLE before DISCONNECTED.
        const uint32_t call = h.incomingCall(0, "5557654321");
        h.line.callState(call, tapi::LINECALLSTATE_IDLE);
        h.line.callState(call, tapi::LINECALLSTATE_DISCONNECTED);
        h.time.runPosted();
        QCOMPARE(h.engine->slot(0).callHandle, 0u);
        QVERIFY(!h.time.isRunning(u"timDropCall_0"_qs));
        // CONNECTED without OFFERING, digits and caller ID for unknown calls.
        h.line.clearOps();
        h.line.postNotice(0x7777, tapi::LINE_CALLSTATE, tapi::LINECALLSTATE_CONNECTED, 0, 0);
        h.line.postNotice(0x7777, tapi::LINE_MONITORDIGITS, '5', 0, 0);
        h.line.postNotice(0x7777, tapi::LINE_CALLSTATE, tapi::LINECALLSTATE_DISCONNECTED, 0, 0);
        h.line.postNotice(0x7777, tapi::LINE_CALLSTATE, tapi::LINECALLSTATE_IDLE, 0, 0);
        h.line.digit(call, u'1');
        h.time.runPosted();
        QVERIFY2(h.line.ops.empty(), qPrintable(h.line.opNames().join(u',')));
        // Rings on a line no slot holds: no timer, but mode 2 still rings the PC.
        h.line.ring(3, 1);
        h.line.ring(3, 2);
        h.line.postNotice(0x999, tapi::LINE_LINEDEVSTATE, tapi::LINEDEVSTATE_RINGING, 0, 3);
        // Other line states are not rings.
        h.line.postNotice(h.line.lineHandleOf(1), tapi::LINE_LINEDEVSTATE, 0x4, 0, 2);
        h.time.runPosted();
        QCOMPARE(h.sound.played.size(), 2);
        h.time.advance(20000);
        QVERIFY2(h.atRest(), qPrintable(h.restReport()));
    }

    // Telephony failures during a call fall through to the next timed step.
    void failingOperations() {
        EngineHarness h;
        h.start();
        h.setPublicList({5551234567.0});
        h.writeMessage(1000);

        // lineAnswer refused: the log still says Blocked, the call rings on and its next ring
        // restarts the ring timeout.
        h.line.failOperation(u"lineAnswer"_qs, tapi::LINEERR_OPERATIONFAILED);
        h.incomingCall(0, "5551234567");
        QVERIFY(h.log.texts().last().endsWith(kBlocked));
        QVERIFY(!h.time.isRunning(u"timRing_0"_qs));
        h.time.advance(5000);
        h.line.ring(0, 2);
        QCOMPARE(runUntilOp(h, u"lineDrop"_qs, 1, 10000), 5000 + 6600);
        h.line.clearFailures();
        h.time.advance(1000);
        QVERIFY2(h.atRest(), qPrintable(h.restReport()));

        // lineGetID refused (the caller hung up between the answer and the message): nothing
        // plays, not even on the device the line's earlier call used, and the call is dropped.
        h.line.devices[1].waveDevice = 0x1205; // only the low byte names the device
        h.incomingCall(1, "5551234567");
        QCOMPARE(h.waveOut.lastDeviceId, 5);
        h.waveOut.finishAll();
        h.time.advance(2000);
        h.line.failOperation(u"lineGetID"_qs, tapi::LINEERR_OPERATIONFAILED);
        const int opens = h.waveOut.totalOpens;
        const int drops = h.line.count(u"lineDrop"_qs);
        const qint64 answered = h.time.elapsedMs();
        h.incomingCall(1, "5551234567");
        QCOMPARE(runUntilOp(h, u"lineDrop"_qs, drops + 1, 2000), answered + 300);
        QCOMPARE(h.waveOut.totalOpens, opens);
        h.time.advance(2000);
        h.line.clearFailures();
        QVERIFY2(h.atRest(), qPrintable(h.restReport()));

        // No device tied to the call: the PC's default output.
        h.line.devices[2].waveDevice = -1;
        h.incomingCall(2, "5551234567");
        QCOMPARE(h.waveOut.lastDeviceId, -1);
        QCOMPARE(h.waveOut.lastFlags, 0x30000u);
        h.waveOut.finishAll();
        h.time.advance(2000);

        // The device cannot be opened or the buffer queued: dropped 0.8 s after CONNECTED, and
        // a device left open is closed.
        h.waveOut.failPrepare = 1;
        const qint64 t0 = h.time.elapsedMs();
        h.incomingCall(3, "5551234567");
        QCOMPARE(runUntilOp(h, u"lineDrop"_qs, h.line.count(u"lineDrop"_qs) + 1, 2000), t0 + 800);
        h.time.advance(1000);
        QVERIFY2(h.atRest(), qPrintable(h.restReport()));
    }
};

QTEST_GUILESS_MAIN(TestCallTimeline)
#include "tst_calltimeline.moc"
