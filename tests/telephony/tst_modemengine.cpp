// The call screening engine driving the real modem line service and voice channel, with the
// modem emulator on the other end of the line.

#include "support/FakeModem.h"
#include "support/ModemEngineRig.h"

#include "platform/audio/PcmConvert.h"

#include <QtTest>

namespace {

const QString kMessage = QStringLiteral(HW_TEST_DATA_DIR "/stereo8_11025.wav");

// The engine with line 0 open and a message (stereo, 8-bit, 11025 Hz) as a streaming recorder
// leaves it: RIFF and data sizes never filled in.
bool OpenWithStreamedMessage(ModemEngineRig& rig) {
    using namespace wavwriter;
    return rig.writeMessage(Riff(Chunk("fmt ", FmtBody(2, 11025, 8)) +
                                     Chunk("data", Samples(kMessage), 0xFFFFFFFF),
                                 0xFFFFFFFF)) &&
           rig.open();
}

} // namespace

class TestModemEngine : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void listedCallerHearsMessageUnlistedRingsOn();
    void modemThatComesBackIsReadyAgain();
};

void TestModemEngine::listedCallerHearsMessageUnlistedRingsOn() {
    FakeModem modem;
    QVERIFY(modem.start({QStringLiteral("--chipset"), QStringLiteral("usr")}));
    ModemEngineRig rig(modem.device);
    QVERIFY(OpenWithStreamedMessage(rig));
    CallScreener& engine = rig.engine;
    const auto lines = [&] { return rig.log.texts(); };
    QVERIFY(lines().contains(QStringLiteral("Line0 is ready")));
    QVERIFY(QTest::qWaitFor([&] { return modem.receivedContains(QStringLiteral("CID=1")); }, 5000));

    // A listed caller: answered before the second ring, hears the whole message, is dropped.
    modem.script("ring\nwait 200\ncid NMBR=5551234567 NAME=TELEMARKETER\nwait 4000\nring");
    QVERIFY(QTest::qWaitFor(
        [&] {
            return modem.receivedContains(QStringLiteral("ATH0")) && engine.slot(0).callHandle == 0;
        },
        10000));
    QVERIFY(lines().contains(QStringLiteral("CallerID:5551234567 [TELEMARKETER]") +
                             QString(25, QLatin1Char(' ')) + QStringLiteral("Blocked")));
    const QByteArray pcm = wavwriter::Samples(kMessage);
    const QByteArray expected = ConvertForModem(
        wavwriter::Format(2, 11025, 8), reinterpret_cast<const uint8_t*>(pcm.data()),
        size_t(pcm.size()), ModemVoiceFormat::Linear8Unsigned);
    QVERIFY(!expected.isEmpty());
    QCOMPARE(wavwriter::Samples(modem.recordPath), expected);

    // An unlisted caller rings on; when the rings stop the engine releases the call without
    // touching the line.
    const int commands = int(modem.received().size());
    QTest::qWait(4500); // the stray second ring of the first call passes
    modem.script("ring\nwait 200\ncid NMBR=5550000000 NAME=FRIEND");
    QVERIFY(QTest::qWaitFor([&] { return engine.slot(0).callHandle != 0; }, 3000));
    QVERIFY(QTest::qWaitFor(
        [&] { return lines().contains(QStringLiteral("CallerID:5550000000 [FRIEND]")); }, 3000));
    QVERIFY(QTest::qWaitFor([&] { return engine.slot(0).callHandle == 0; }, 12000));
    const QStringList after = modem.received().mid(commands);
    QVERIFY2(after.filter(QStringLiteral("VLS")).isEmpty(),
             qPrintable(after.join(QLatin1Char(' '))));
    QVERIFY(after.filter(QStringLiteral("ATH")).isEmpty());
    engine.CloseTelephony();
}

void TestModemEngine::modemThatComesBackIsReadyAgain() {
    // The modem is reached through a link, as /dev/serial/by-id names it, and drops off the bus.
    QTemporaryDir byId;
    const QString link = byId.filePath(QStringLiteral("usb-modem-if00"));
    FakeModem modem;
    QVERIFY(modem.start({QStringLiteral("--link"), link}));
    ModemEngineRig rig(link);
    QVERIFY(OpenWithStreamedMessage(rig));
    QVERIFY(QTest::qWaitFor([&] { return modem.receivedContains(QStringLiteral("CID=1")); }, 5000));
    const auto lines = [&] { return rig.log.texts(); };
    const QString lost = QStringLiteral("Line0 is not ready");
    const QString ready = QStringLiteral("Line0 is ready");

    modem.script("replug 1500");
    QVERIFY(QTest::qWaitFor([&] { return !lines().filter(lost).isEmpty(); }, 3000));
    // Away, the line waits on the folder of the link and costs no processor time.
    const int atz = int(modem.received().filter(QStringLiteral("ATZ")).size());
    const long before = CpuMs();
    QEventLoop idle; // not QTest::qWait, which wakes up every few milliseconds itself
    QTimer::singleShot(1000, &idle, &QEventLoop::quit);
    idle.exec();
    const long used = CpuMs() - before;
    qInfo("processor time while the modem was away: %ld ms in 1000 ms", used);
    QVERIFY(used < 50);
    QCOMPARE(lines().filter(ready).size(), 1);

    // Back at the same path: set up again, announced once, and screening calls.
    QVERIFY2(QTest::qWaitFor([&] { return lines().filter(ready).size() == 2; }, 8000),
             qPrintable(lines().join(QLatin1Char('\n'))));
    QCOMPARE(modem.received().filter(QStringLiteral("ATZ")).size(), atz + 1);
    modem.script("ring\nwait 200\ncid NMBR=5551234567 NAME=AGAIN");
    QVERIFY(
        QTest::qWaitFor([&] { return modem.receivedContains(QStringLiteral("AT+VTX")); }, 5000));
    QCOMPARE(lines().filter(lost).size(), 1);
    rig.engine.CloseTelephony();
}

QTEST_GUILESS_MAIN(TestModemEngine)
#include "tst_modemengine.moc"
