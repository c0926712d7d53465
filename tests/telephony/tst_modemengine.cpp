// The call screening engine driving the real modem line service and voice channel, with the
// modem emulator on the other end of the line.

#include "FakeModem.h"
#include "support/WavWriter.h"

#include "calllog/LogSink.h"
#include "engine/CallScreener.h"
#include "engine/Wave.h"
#include "lists/PhoneLists.h"
#include "platform/audio/Mmio.h"
#include "platform/audio/PcmConvert.h"
#include "platform/audio/WaveFile.h"
#include "platform/telephony/modem/ModemLineService.h"
#include "platform/time/QtTime.h"
#include "support/FakeSoundPlayer.h"

#include <QtEndian>
#include <QtTest>

#include <sys/resource.h>

namespace {

struct LogLines : LogSink {
    void AddLogLine(const QString& message) override { lines.append(message); }
    QStringList lines;
};

// The engine with line 0 open on an emulated modem, the listed number 5551234567 and a message
// as a streaming recorder leaves it: RIFF and data sizes never filled in.
struct ModemEngine {
    explicit ModemEngine(const QString& device)
        : service({device}), wave(mmio, service.modemWaveOut()),
          engine(EngineDeps{service, timers, loop, log, lists, wave, sound, folder.path(), [] {},
                            &service}) {}

    bool open() {
        QFile in(message);
        if (!in.open(QIODevice::ReadOnly))
            return false;
        QByteArray wav = in.readAll();
        if (wav.mid(36, 4) != "data")
            return false;
        wav.replace(4, 4, QByteArray(4, '\xFF'));
        wav.replace(40, 4, QByteArray(4, '\xFF'));
        QFile out(folder.filePath(QStringLiteral("donotcall.wav")));
        if (!out.open(QIODevice::WriteOnly) || out.write(wav) != wav.size())
            return false;
        out.close();
        QFile f(folder.filePath(QStringLiteral("public.tel")));
        if (!f.open(QIODevice::WriteOnly))
            return false;
        char rec[8];
        qToLittleEndian(5551234567.0, rec);
        f.write(rec, 8);
        f.close();
        lists.LoadPhoneLists();
        EngineOptions options;
        options.lines[0] = {QStringLiteral("1"), 0x8};
        engine.setOptions(options);
        engine.ResetLines();
        engine.InitTelephony();
        engine.OpenLines();
        return engine.slot(0).lineHandle != 0;
    }

    const QString message = QStringLiteral(HW_TEST_DATA_DIR "/stereo8_11025.wav");
    QTemporaryDir folder;
    PhoneLists lists{folder.path()};
    ModemLineService service;
    QObject timerOwner;
    QtTimerFactory timers{&timerOwner};
    QtEventLoop loop;
    LogLines log;
    FileMmio mmio;
    Wave wave;
    FakeSoundPlayer sound;
    CallScreener engine;
};

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
    ModemEngine rig(modem.device);
    QVERIFY(rig.open());
    CallScreener& engine = rig.engine;
    const QStringList& lines = rig.log.lines;
    QVERIFY(lines.contains(QStringLiteral("Line0 is ready")));
    QVERIFY(QTest::qWaitFor([&] { return modem.receivedContains(QStringLiteral("CID=1")); }, 5000));

    // A listed caller: answered before the second ring, hears the whole message, is dropped.
    modem.script("ring\nwait 200\ncid NMBR=5551234567 NAME=TELEMARKETER\nwait 4000\nring");
    QVERIFY(QTest::qWaitFor(
        [&] {
            return modem.receivedContains(QStringLiteral("ATH0")) && engine.slot(0).callHandle == 0;
        },
        10000));
    QVERIFY(lines.contains(QStringLiteral("CallerID:5551234567 [TELEMARKETER]") +
                           QString(25, QLatin1Char(' ')) + QStringLiteral("Blocked")));
    WaveFormatEx format;
    std::vector<uint8_t> pcm;
    QCOMPARE(ReadWaveFile(rig.mmio, rig.message, &format, &pcm), WaveFileError::None);
    const QByteArray expected =
        ConvertForModem(format, pcm.data(), pcm.size(), ModemVoiceFormat::Linear8Unsigned);
    QVERIFY(!expected.isEmpty());
    QCOMPARE(wavwriter::Samples(modem.recordPath), expected);

    // An unlisted caller rings on; when the rings stop the engine releases the call without
    // touching the line.
    const int commands = int(modem.received().size());
    QTest::qWait(4500); // the stray second ring of the first call passes
    modem.script("ring\nwait 200\ncid NMBR=5550000000 NAME=FRIEND");
    QVERIFY(QTest::qWaitFor([&] { return engine.slot(0).callHandle != 0; }, 3000));
    QVERIFY(QTest::qWaitFor(
        [&] { return lines.contains(QStringLiteral("CallerID:5550000000 [FRIEND]")); }, 3000));
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
    ModemEngine rig(link);
    QVERIFY(rig.open());
    QVERIFY(QTest::qWaitFor([&] { return modem.receivedContains(QStringLiteral("CID=1")); }, 5000));
    const QStringList& lines = rig.log.lines;
    const QString lost = QStringLiteral("Line0 is not ready");
    const QString ready = QStringLiteral("Line0 is ready");

    modem.script("replug 1500");
    QVERIFY(QTest::qWaitFor([&] { return !lines.filter(lost).isEmpty(); }, 3000));
    // Away, the line waits on the folder of the link and costs no processor time.
    const int atz = int(modem.received().filter(QStringLiteral("ATZ")).size());
    rusage before{}, after{};
    getrusage(RUSAGE_SELF, &before);
    QEventLoop idle; // not QTest::qWait, which wakes up every few milliseconds itself
    QTimer::singleShot(1000, &idle, &QEventLoop::quit);
    idle.exec();
    getrusage(RUSAGE_SELF, &after);
    const auto cpuMs = [](const rusage& u) {
        return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1000 +
               (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1000;
    };
    qInfo("processor time while the modem was away: %ld ms in 1000 ms",
          long(cpuMs(after) - cpuMs(before)));
    QVERIFY(cpuMs(after) - cpuMs(before) < 50);
    QCOMPARE(lines.filter(ready).size(), 1);

    // Back at the same path: set up again, announced once, and screening calls.
    QVERIFY2(QTest::qWaitFor([&] { return lines.filter(ready).size() == 2; }, 8000),
             qPrintable(lines.join(QLatin1Char('\n'))));
    QCOMPARE(modem.received().filter(QStringLiteral("ATZ")).size(), atz + 1);
    modem.script("ring\nwait 200\ncid NMBR=5551234567 NAME=AGAIN");
    QVERIFY(
        QTest::qWaitFor([&] { return modem.receivedContains(QStringLiteral("AT+VTX")); }, 5000));
    QCOMPARE(lines.filter(lost).size(), 1);
    rig.engine.CloseTelephony();
}

QTEST_GUILESS_MAIN(TestModemEngine)
#include "tst_modemengine.moc"
