// Messages played down the line through the modem's voice channel, as the emulator hears them.

#include "support/ModemLineRig.h"
#include "support/WavWriter.h"
#include "support/WavePlayback.h"

#include "platform/audio/PcmConvert.h"
#include "telephony/modem/ModemWaveOut.h"

#include <QElapsedTimer>
#include <QtTest>

#include <cmath>

namespace {

// 16-bit mono PCM: a sweep that passes through every 8-bit value, DLE included.
QByteArray Sweep16(int samples) {
    QByteArray pcm;
    for (int i = 0; i < samples; ++i) {
        const auto v = int16_t(std::lround(30000.0 * std::sin(i * 0.013) * std::cos(i * 0.0007)));
        pcm.append(char(v & 0xFF));
        pcm.append(char((v >> 8) & 0xFF));
    }
    return pcm;
}

// A line on an emulated modem of this chipset, with a call answered.
struct Line : ModemLineRig {
    uint32_t call = 0;
    bool answer(const QString& chipset) {
        return open({QStringLiteral("--chipset"), chipset}) && (call = answeredCall()) != 0;
    }
};

} // namespace

class TestModemWave : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void playedAudioMatchesConversion_data();
    void playedAudioMatchesConversion();
    void resetStopsAtOnce();
    void noVoiceChannelWithoutAnsweredCall();
};

void TestModemWave::playedAudioMatchesConversion_data() {
    QTest::addColumn<QString>("chipset");
    QTest::addColumn<QString>("vsm");
    QTest::newRow("usr") << "usr"
                         << "AT+VSM=128,8000";
    QTest::newRow("conexant") << "conexant"
                              << "AT+VSM=130,8000";
}

void TestModemWave::playedAudioMatchesConversion() {
    QFETCH(QString, chipset);
    QFETCH(QString, vsm);
    Line l;
    QVERIFY(l.answer(chipset));
    const WaveFormatEx format = wavwriter::Format(1, 22050, 16);
    const QByteArray pcm = Sweep16(22050 * 6 / 10); // 0.6 s
    WavePlayback play(l.service->modemWaveOut());
    QCOMPARE(play.open(0, format, pcm), 0u);
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(play.write(), 0u);
    QCOMPARE(play.rec.done(), 0);
    QVERIFY(QTest::qWaitFor([&] { return play.rec.done() > 0; }, 10000));
    // Paced to the sample rate: not much faster than the audio lasts.
    QVERIFY2(clock.elapsed() >= 600 - ModemWaveOut::kLeadMs - 50,
             qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(play.rec.done(), 1);
    QCOMPARE(play.rec.params.last(), reinterpret_cast<uintptr_t>(&play.header));
    QVERIFY(play.header.dwFlags & wave::WHDR_DONE);
    QVERIFY(l.modem.receivedContains(vsm));
    QVERIFY(l.modem.receivedContains(QStringLiteral("AT+VTX")));

    const QByteArray expected =
        ConvertForModem(format, reinterpret_cast<const uint8_t*>(pcm.constData()),
                        size_t(pcm.size()), ModemVoiceFormat::Linear8Unsigned);
    QVERIFY(expected.contains(char(0x10))); // DLE doubling was needed on the way
    QVERIFY(
        QTest::qWaitFor([&] { return !wavwriter::Samples(l.modem.recordPath).isEmpty(); }, 3000));
    QCOMPARE(wavwriter::Samples(l.modem.recordPath), expected);

    QVERIFY(play.stop());
    QCOMPARE(play.rec.done(), 1);
}

void TestModemWave::resetStopsAtOnce() {
    Line l;
    QVERIFY(l.answer(QStringLiteral("v253")));
    const WaveFormatEx format = wavwriter::Format(1, 8000, 16);
    const QByteArray pcm = Sweep16(8000 * 5); // 5 s
    WavePlayback play(l.service->modemWaveOut());
    QCOMPARE(play.start(0, format, pcm), 0u);
    QCOMPARE(play.out.waveOutClose(play.handle), wave::WAVERR_STILLPLAYING);
    QTest::qWait(500);
    QCOMPARE(play.rec.done(), 0);
    QCOMPARE(play.out.waveOutReset(play.handle), 0u);
    QCOMPARE(play.rec.done(), 1);
    QVERIFY(play.stop());
    // The modem was told to stop, and the line hangs up normally afterwards.
    QVERIFY(l.service->lineDrop(l.call, "", 0) > 0);
    QVERIFY(l.rec.waitForCallState(tapi::LINECALLSTATE_IDLE));
    QVERIFY(l.modem.receivedContains(QStringLiteral("ATH0")));
    const QByteArray heard = wavwriter::Samples(l.modem.recordPath);
    QVERIFY2(heard.size() < 8000 * 2, qPrintable(QString::number(heard.size())));
    QCOMPARE(play.rec.done(), 1);
}

void TestModemWave::noVoiceChannelWithoutAnsweredCall() {
    ModemLineRig rig;
    QVERIFY(rig.open());
    const WaveFormatEx format = wavwriter::Format(1, 8000, 16);
    WaveOutHandle h = 0;
    WaveOutRecorder done;
    WaveOut& out = rig.service->modemWaveOut();
    QCOMPARE(out.waveOutOpen(&h, 0, &format, done.callback(), 0, 0), wave::MMSYSERR_BADDEVICEID);
    QCOMPARE(out.waveOutOpen(&h, 3, &format, done.callback(), 0, 0), wave::MMSYSERR_BADDEVICEID);
    WaveFormatEx adpcm = format;
    adpcm.wFormatTag = 2;
    QCOMPARE(out.waveOutOpen(&h, 0, &adpcm, done.callback(), 0, 0), wave::WAVERR_BADFORMAT);
}

QTEST_GUILESS_MAIN(TestModemWave)
#include "tst_modemwave.moc"
