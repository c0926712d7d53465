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

namespace {

struct LogLines : LogSink {
    void AddLogLine(const QString& message) override { lines.append(message); }
    QStringList lines;
};

} // namespace

class TestModemEngine : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void listedCallerHearsMessageUnlistedRingsOn();
};

void TestModemEngine::listedCallerHearsMessageUnlistedRingsOn() {
    FakeModem modem;
    QVERIFY(modem.start({QStringLiteral("--chipset"), QStringLiteral("usr")}));
    QTemporaryDir folder;
    // The message as a streaming recorder leaves it: RIFF and data sizes never filled in.
    const QString message = QStringLiteral(HW_TEST_DATA_DIR "/stereo8_11025.wav");
    {
        QFile in(message);
        QVERIFY(in.open(QIODevice::ReadOnly));
        QByteArray wav = in.readAll();
        QCOMPARE(wav.mid(36, 4), QByteArray("data"));
        wav.replace(4, 4, QByteArray(4, '\xFF'));
        wav.replace(40, 4, QByteArray(4, '\xFF'));
        QFile out(folder.filePath(QStringLiteral("donotcall.wav")));
        QVERIFY(out.open(QIODevice::WriteOnly));
        QCOMPARE(out.write(wav), wav.size());
    }
    {
        QFile f(folder.filePath(QStringLiteral("public.tel")));
        QVERIFY(f.open(QIODevice::WriteOnly));
        char rec[8];
        qToLittleEndian(5551234567.0, rec);
        f.write(rec, 8);
    }
    PhoneLists lists(folder.path());
    lists.LoadPhoneLists();
    ModemLineService service({modem.device});
    QObject timerOwner;
    QtTimerFactory timers(&timerOwner);
    QtEventLoop loop;
    LogLines log;
    FileMmio mmio;
    Wave wave(mmio, service.modemWaveOut());
    FakeSoundPlayer sound;
    CallScreener engine(
        EngineDeps{service, timers, loop, log, lists, wave, sound, folder.path(), [] {}, &service});
    EngineOptions options;
    options.lines[0] = {QStringLiteral("1"), 0x8};
    engine.setOptions(options);
    engine.ResetLines();
    engine.InitTelephony();
    engine.OpenLines();
    QVERIFY(engine.slot(0).lineHandle != 0);
    QVERIFY(log.lines.contains(QStringLiteral("Line0 is ready")));
    QVERIFY(QTest::qWaitFor([&] { return modem.receivedContains(QStringLiteral("CID=1")); }, 5000));

    // A listed caller: answered before the second ring, hears the whole message, is dropped.
    modem.script("ring\nwait 200\ncid NMBR=5551234567 NAME=TELEMARKETER\nwait 4000\nring");
    QVERIFY(QTest::qWaitFor(
        [&] {
            return modem.receivedContains(QStringLiteral("ATH0")) && engine.slot(0).callHandle == 0;
        },
        10000));
    QVERIFY(log.lines.contains(QStringLiteral("CallerID:5551234567 [TELEMARKETER]") +
                               QString(25, QLatin1Char(' ')) + QStringLiteral("Blocked")));
    WaveFormatEx format;
    std::vector<uint8_t> pcm;
    QCOMPARE(ReadWaveFile(mmio, message, &format, &pcm), WaveFileError::None);
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
        [&] { return log.lines.contains(QStringLiteral("CallerID:5550000000 [FRIEND]")); }, 3000));
    QVERIFY(QTest::qWaitFor([&] { return engine.slot(0).callHandle == 0; }, 12000));
    const QStringList after = modem.received().mid(commands);
    QVERIFY2(after.filter(QStringLiteral("VLS")).isEmpty(),
             qPrintable(after.join(QLatin1Char(' '))));
    QVERIFY(after.filter(QStringLiteral("ATH")).isEmpty());
    engine.CloseTelephony();
}

QTEST_GUILESS_MAIN(TestModemEngine)
#include "tst_modemengine.moc"
