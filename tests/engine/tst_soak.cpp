// Ten thousand random calls over four lines in virtual time: random callers, hang-ups, digits,
// duplicate notices and message files. Afterwards nothing may be left behind.
#include "support/EngineHarness.h"
#include "support/WavWriter.h"

#include <QRandomGenerator>
#include <QTest>

namespace {

struct CallScript {
    uint32_t handle = 0;
    uint32_t rings = 1;     // rings sent so far
    uint32_t ringsLeft = 0; // further rings before the caller gives up
    qint64 nextRingAt = 0;
    qint64 hangUpAt = -1;  // -1: never hangs up
    qint64 quietUntil = 0; // after keying the PIN: no other digits, the message plays on
};

} // namespace

class TestSoak : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void tenThousandCalls() {
        EngineHarness h;
        h.start();
        h.options.pin = QStringLiteral("2580");
        h.options.mode = 2;
        h.applyOptions();
        h.setPublicList({5551000001.0, 5551000002.0, -5551000003.0});
        h.setPrivateList({{QStringLiteral("Pest"), QStringLiteral("555-2000")}});
        for (int i = 0; i < 4; ++i)
            h.line.devices[size_t(i)].waveDevice = i == 3 ? -1 : i;

        QRandomGenerator rng(20261207);
        const QList<QByteArray> numbers{
            "5551000001", "5551000002", "5551000003", "555-2000", "5559999999", "0123", ""};
        const QList<QByteArray> messages{wavwriter::ToneWav(400), wavwriter::ToneWav(1200, 2, 16),
                                         QByteArray("RIFF\xff\xff\xff\xffWAVEjunk"), QByteArray()};
        std::array<CallScript, 4> scripts;
        int offered = 0;
        int blockedAnswers = 0;
        const int kCalls = 10000;
        constexpr int kStepMs = 100;

        while (offered < kCalls || h.line.liveCallCount() > 0) {
            for (int i = 0; i < 4; ++i) {
                CallScript& c = scripts[size_t(i)];
                const FakeLineApi::Call* live = c.handle ? h.line.call(c.handle) : nullptr;
                if (live && live->deallocated) {
                    c = {};
                    live = nullptr;
                }
                if (!live) {
                    if (offered >= kCalls || rng.bounded(4) != 0)
                        continue;
                    // A new call; now and then the message file changes (good, odd, none).
                    if (offered % 25 == 0) {
                        const int m = rng.bounded(int(messages.size()) + 2);
                        if (m >= messages.size() || messages[m].isEmpty())
                            h.removeMessage();
                        else
                            h.writeMessageBytes(messages[m]);
                    }
                    ++offered;
                    c.handle = h.line.offerCall(i);
                    c.rings = 1;
                    c.ringsLeft = rng.bounded(5);
                    c.nextRingAt = h.time.elapsedMs() + 6000;
                    c.hangUpAt =
                        rng.bounded(3) == 0 ? h.time.elapsedMs() + rng.bounded(1, 15000) : -1;
                    h.options.blockUnknown = rng.bounded(2);
                    h.applyOptions();
                    h.line.ring(i, 1);
                    if (rng.bounded(10) != 0) {
                        const QByteArray number = numbers[rng.bounded(int(numbers.size()))];
                        uint32_t flags = number.isEmpty() ? 0 : tapi::LINECALLPARTYID_ADDRESS;
                        flags |= rng.bounded(64) & ~tapi::LINECALLPARTYID_ADDRESS;
                        h.line.sendCallerId(c.handle, flags, number,
                                            rng.bounded(2) ? QByteArray("Name") : QByteArray());
                        if (rng.bounded(20) == 0) // duplicate caller ID
                            h.line.sendCallerId(c.handle, flags, number, {});
                    }
                    continue;
                }
                const qint64 now = h.time.elapsedMs();
                if (live->state == tapi::LINECALLSTATE_OFFERING && c.ringsLeft > 0 &&
                    now >= c.nextRingAt) {
                    h.line.ring(i, ++c.rings);
                    --c.ringsLeft;
                    c.nextRingAt = now + 6000;
                }
                if (c.hangUpAt >= 0 && now >= c.hangUpAt &&
                    live->state != tapi::LINECALLSTATE_DISCONNECTED &&
                    live->state != tapi::LINECALLSTATE_IDLE) {
                    h.line.hangUpFarEnd(c.handle);
                    if (rng.bounded(10) == 0) // duplicate
                        h.line.hangUpFarEnd(c.handle);
                    if (rng.bounded(4) == 0) // the service goes idle on its own
                        h.line.callState(c.handle, tapi::LINECALLSTATE_IDLE);
                }
                const bool quiet = now < c.quietUntil;
                if (live->state == tapi::LINECALLSTATE_CONNECTED && !quiet) {
                    if (rng.bounded(8) == 0)
                        h.line.digit(c.handle, u"0123456789*#"[rng.bounded(12)]);
                    if (rng.bounded(20) == 0) {
                        for (char16_t key : {u'2', u'5', u'8', u'0'})
                            h.line.digit(c.handle, key);
                        c.quietUntil = now + 3000;
                    }
                    if (rng.bounded(50) == 0) // duplicate CONNECTED
                        h.line.callState(c.handle, tapi::LINECALLSTATE_CONNECTED);
                }
                // Messages end at random moments.
                if (!quiet && rng.bounded(10) == 0)
                    h.waveOut.finish(i == 3 ? -1 : i);
            }
            // Digits for calls that are long gone.
            if (rng.bounded(200) == 0)
                h.line.digit(0x1000 + uint32_t(rng.bounded(offered + 1)), u'1');
            h.time.advance(kStepMs);
        }
        blockedAnswers = h.line.count(QStringLiteral("lineAnswer"));

        // Let every timer run out and every message end.
        for (int n = 0; n < 100; ++n) {
            h.waveOut.finishAll();
            h.time.advance(1000);
        }
        QCOMPARE(offered, kCalls);
        QVERIFY2(h.atRest(), qPrintable(h.restReport()));
        QCOMPARE(h.waveOut.queuedCount(), 0);
        QCOMPARE(h.mmio.openFileCount(), 0);
        QVERIFY(blockedAnswers > 1000);
        QVERIFY(h.waveOut.totalOpens > 500); // messages were really played
        QVERIFY(h.log.texts().count(QStringLiteral("UnLock PIN Detected")) > 0);
        for (int i = 0; i < 4; ++i) {
            QVERIFY(!h.engine->slot(i).pinDetected);
            QVERIFY(!h.wave.isPlaying(i));
        }
    }
};

QTEST_GUILESS_MAIN(TestSoak)
#include "tst_soak.moc"
