// The unlock PIN keyed during the blocking message, in virtual time. A PIN belongs to the call
// and line it was keyed on.
#include "support/EngineHarness.h"

#include <QTest>

namespace {

// Keys the text on the call, one digit every gapMs, starting now.
void key(EngineHarness& h, uint32_t call, const QString& text, int gapMs) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (i > 0)
            h.time.advance(gapMs);
        h.line.digit(call, text[i].unicode());
        h.time.runPosted();
    }
}

// Advances in 10 ms steps until the line's PIN flag is set; returns the time, or -1.
qint64 runUntilPin(EngineHarness& h, int line, qint64 maxMs) {
    const qint64 end = h.time.elapsedMs() + maxMs;
    while (h.time.elapsedMs() < end) {
        if (h.engine->slot(line).pinDetected)
            return h.time.elapsedMs();
        h.time.advance(10);
    }
    return -1;
}

QList<qint64> dropTimes(const EngineHarness& h, uint32_t call) {
    QList<qint64> times;
    for (const auto& op : h.line.opsNamed(QStringLiteral("lineDrop"))) {
        if (op.args.front() == qint64(call))
            times.append(op.atMs);
    }
    return times;
}

} // namespace

class TestUnlockPin : public QObject {
    Q_OBJECT

private:
    // Four lines, a 10 s message, PIN 1234, numberless calls blocked.
    void prepare(EngineHarness& h) {
        h.start();
        h.options.pin = QStringLiteral("1234");
        h.options.blockUnknown = 1;
        h.applyOptions();
        h.writeMessage(10000);
    }

private Q_SLOTS:
    // Recognised 1.8 to 2.4 s after the last digit; at the end of the message the PC rings at
    // 0, 4, 8, 12 and 16 s, "UnLock PIN Detected" is logged at 0 and the call is dropped at
    // about 20.3 s.
    void unlockTimeline_data() {
        QTest::addColumn<int>("gapMs");
        QTest::addColumn<int>("startMs");
        QTest::newRow("quick") << 200 << 1000;
        QTest::newRow("pauses just under the entry timeout") << 1750 << 500;
        QTest::newRow("other phase") << 333 << 1270;
    }
    void unlockTimeline() {
        QFETCH(int, gapMs);
        QFETCH(int, startMs);
        EngineHarness h;
        prepare(h);
        const uint32_t call = h.incomingCall(0, {});
        h.time.advance(startMs);
        key(h, call, u"1234"_qs, gapMs);
        const qint64 last = h.time.elapsedMs();
        const qint64 found = runUntilPin(h, 0, 3000);
        QVERIFY2(found >= last + 1800 && found <= last + 2400,
                 qPrintable(QString::number(found - last)));
        QVERIFY(h.engine->slot(0).digits.isEmpty());

        h.time.advance(10000 - h.time.elapsedMs());
        h.waveOut.finishAll();
        h.time.advance(500); // the poll notices the end within 500 ms
        const qint64 t0 = h.log.timeOf(u"UnLock PIN Detected"_qs);
        QVERIFY(t0 > 10000 && t0 <= 10500);
        QVERIFY(!h.engine->slot(0).pinDetected);
        h.time.advance(25000);
        QCOMPARE(h.sound.times, (QList<qint64>{t0, t0 + 4000, t0 + 8000, t0 + 12000, t0 + 16000}));
        QCOMPARE(h.sound.played.first(), h.folder() + u"/ring.wav"_qs);
        QCOMPARE(dropTimes(h, call), QList<qint64>{t0 + 20300});
        QCOMPARE(h.log.texts().count(u"UnLock PIN Detected"_qs), 1);
        QVERIFY2(h.atRest(), qPrintable(h.restReport()));
    }

    // Entries that are not exactly the PIN are discarded whole.
    void wrongEntries_data() {
        QTest::addColumn<QStringList>("entries"); // each entry keyed quickly, 3 s apart
        QTest::addColumn<QString>("pin");
        QTest::newRow("extra digit before") << QStringList{u"01234"_qs} << u"1234"_qs;
        QTest::newRow("extra digit after") << QStringList{u"12345"_qs} << u"1234"_qs;
        QTest::newRow("split by a long pause") << QStringList{u"12"_qs, u"34"_qs} << u"1234"_qs;
        QTest::newRow("case matters") << QStringList{u"a1"_qs} << u"A1"_qs;
        QTest::newRow("empty PIN never matches") << QStringList{u"1"_qs, u"#"_qs} << QString();
    }
    void wrongEntries() {
        QFETCH(QStringList, entries);
        QFETCH(QString, pin);
        EngineHarness h;
        prepare(h);
        h.options.pin = pin;
        h.applyOptions();
        const uint32_t call = h.incomingCall(0, {});
        for (const QString& entry : entries) {
            h.time.advance(100);
            key(h, call, entry, 100);
            h.time.advance(2900);
        }
        QVERIFY(!h.engine->slot(0).pinDetected);
        h.waveOut.finishAll();
        h.time.advance(1000);
        QCOMPARE(h.log.timeOf(u"UnLock PIN Detected"_qs), -1);
        QCOMPARE(dropTimes(h, call).size(), 1);
    }

    // A correct entry after a wrong one within the same call still unlocks it; star, hash and
    // letters are keys like the digits.
    void pinWithSymbols() {
        EngineHarness h;
        prepare(h);
        h.options.pin = u"*9A#"_qs;
        h.applyOptions();
        const uint32_t call = h.incomingCall(0, {});
        key(h, call, u"*9A"_qs, 100);
        h.time.advance(3000);
        key(h, call, u"*9A#"_qs, 100);
        QVERIFY(runUntilPin(h, 0, 3000) > 0);
    }

    // PIN keyed on line 0 while line 1's message ends first: line 1 is dropped at its own end,
    // line 0 gets the unlock ringing at its end.
    void pinOnOneLineAnotherEndsFirst() {
        EngineHarness h;
        prepare(h);
        const uint32_t call0 = h.incomingCall(0, {});
        h.line.devices[1].waveDevice = 1;
        const uint32_t call1 = h.incomingCall(1, {});
        h.time.advance(500);
        key(h, call0, u"1234"_qs, 200);
        QVERIFY(runUntilPin(h, 0, 3000) > 0);
        h.time.advance(1000);
        QCOMPARE(h.waveOut.finish(1), 1);
        h.time.advance(1000);
        QCOMPARE(dropTimes(h, call1).size(), 1);
        QCOMPARE(h.log.timeOf(u"UnLock PIN Detected"_qs), -1);
        QVERIFY(h.engine->slot(0).pinDetected);

        h.time.advance(10000 - h.time.elapsedMs());
        QCOMPARE(h.waveOut.finish(0), 1);
        h.time.advance(500);
        const qint64 t0 = h.log.timeOf(u"UnLock PIN Detected"_qs);
        QVERIFY(t0 > 10000);
        h.time.advance(21000);
        QCOMPARE(dropTimes(h, call0), QList<qint64>{t0 + 20300});
        QVERIFY2(h.atRest(), qPrintable(h.restReport()));
    }

    // Unlock ringing on two lines at once: each line counts its own five ticks.
    void twoLinesUnlockTogether() {
        EngineHarness h;
        prepare(h);
        h.line.devices[2].waveDevice = 2;
        const uint32_t call0 = h.incomingCall(0, {});
        h.time.advance(1000);
        const uint32_t call2 = h.incomingCall(2, {});
        key(h, call0, u"1234"_qs, 100);
        key(h, call2, u"1234"_qs, 100);
        h.time.advance(9000);
        h.waveOut.finish(0);
        h.time.advance(1000);
        h.waveOut.finish(2);
        h.time.advance(500);
        QCOMPARE(h.log.texts().count(u"UnLock PIN Detected"_qs), 2);
        const qint64 t0 = h.log.lines[size_t(h.log.texts().indexOf(u"UnLock PIN Detected"_qs))].ms;
        const qint64 t2 =
            h.log.lines[size_t(h.log.texts().lastIndexOf(u"UnLock PIN Detected"_qs))].ms;
        h.time.advance(25000);
        QCOMPARE(dropTimes(h, call0), QList<qint64>{t0 + 20300});
        QCOMPARE(dropTimes(h, call2), QList<qint64>{t2 + 20300});
        QCOMPARE(h.sound.played.size(), 10);
        QVERIFY2(h.atRest(), qPrintable(h.restReport()));
    }

    // A PIN never carries over to a later call: not when keyed after the message ended, and
    // not when the caller hangs up before the entry was evaluated.
    void pinDoesNotOutliveItsCall() {
        EngineHarness h;
        prepare(h);
        h.writeMessage(1000);
        const uint32_t first = h.incomingCall(0, {});
        h.time.advance(1000);
        h.waveOut.finishAll();
        h.time.advance(100); // the message has ended, the drop is pending
        key(h, first, u"1234"_qs, 50);
        h.time.advance(3000);
        QCOMPARE(h.engine->slot(0).callHandle, 0u);
        QVERIFY(!h.engine->slot(0).pinDetected);

        const uint32_t second = h.incomingCall(0, {});
        key(h, second, u"1234"_qs, 50);
        h.line.hangUpFarEnd(second);
        h.time.advance(300);
        QVERIFY(!h.time.isRunning(u"timTollSaver_0"_qs));
        h.waveOut.finishAll();
        h.time.advance(3000);

        const uint32_t third = h.incomingCall(0, {});
        h.time.advance(500);
        h.waveOut.finishAll();
        h.time.advance(2000);
        QCOMPARE(h.log.timeOf(u"UnLock PIN Detected"_qs), -1);
        QCOMPARE(dropTimes(h, third).size(), 1);
        QVERIFY2(h.atRest(), qPrintable(h.restReport()));
    }

    // Digits arriving for a call the engine no longer holds are ignored.
    void digitsForEndedCalls() {
        EngineHarness h;
        prepare(h);
        h.line.digit(0x4242, u'1');
        h.line.postNotice(0, tapi::LINE_MONITORDIGITS, '1', 0, 0);
        h.time.runPosted();
        QVERIFY(!h.time.isRunning(u"timTollSaver_0"_qs));
        QVERIFY(h.engine->slot(0).digits.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestUnlockPin)
#include "tst_unlockpin.moc"
