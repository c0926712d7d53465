// Messages played down the line through the modem's voice channel, as the emulator hears them.

#include "support/ModemLineRig.h"
#include "support/WavWriter.h"

#include "platform/audio/PcmConvert.h"
#include "platform/telephony/modem/ModemWaveOut.h"

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

struct Completion {
    int done = 0;
    uintptr_t header = 0;
    WaveOutCallback callback() {
        return [this](WaveOutHandle, uint32_t msg, uintptr_t, uintptr_t p1, uintptr_t) {
            if (msg == wave::WOM_DONE) {
                ++done;
                header = p1;
            }
        };
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
    WaveOut& out = l.service->modemWaveOut();
    WaveOutHandle h = 0;
    Completion done;
    QCOMPARE(out.waveOutOpen(&h, 0, &format, done.callback(), 0, wave::CALLBACK_FUNCTION), 0u);
    WaveHdr hdr;
    hdr.lpData = reinterpret_cast<const uint8_t*>(pcm.constData());
    hdr.dwBufferLength = uint32_t(pcm.size());
    QCOMPARE(out.waveOutPrepareHeader(h, &hdr, wave::kHeaderSize), 0u);
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(out.waveOutWrite(h, &hdr, wave::kHeaderSize), 0u);
    QCOMPARE(done.done, 0);
    QVERIFY(QTest::qWaitFor([&] { return done.done > 0; }, 10000));
    // Paced to the sample rate: not much faster than the audio lasts.
    QVERIFY2(clock.elapsed() >= 600 - ModemWaveOut::kLeadMs - 50,
             qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(done.done, 1);
    QCOMPARE(done.header, reinterpret_cast<uintptr_t>(&hdr));
    QVERIFY(hdr.dwFlags & wave::WHDR_DONE);
    QVERIFY(l.modem.receivedContains(vsm));
    QVERIFY(l.modem.receivedContains(QStringLiteral("AT+VTX")));

    const QByteArray expected =
        ConvertForModem(format, reinterpret_cast<const uint8_t*>(pcm.constData()),
                        size_t(pcm.size()), ModemVoiceFormat::Linear8Unsigned);
    QVERIFY(expected.contains(char(0x10))); // DLE doubling was needed on the way
    QVERIFY(
        QTest::qWaitFor([&] { return !wavwriter::Samples(l.modem.recordPath).isEmpty(); }, 3000));
    QCOMPARE(wavwriter::Samples(l.modem.recordPath), expected);

    QCOMPARE(out.waveOutReset(h), 0u);
    QCOMPARE(done.done, 1);
    QCOMPARE(out.waveOutUnprepareHeader(h, &hdr, wave::kHeaderSize), 0u);
    QCOMPARE(out.waveOutClose(h), 0u);
}

void TestModemWave::resetStopsAtOnce() {
    Line l;
    QVERIFY(l.answer(QStringLiteral("v253")));
    const WaveFormatEx format = wavwriter::Format(1, 8000, 16);
    const QByteArray pcm = Sweep16(8000 * 5); // 5 s
    WaveOut& out = l.service->modemWaveOut();
    WaveOutHandle h = 0;
    Completion done;
    QCOMPARE(out.waveOutOpen(&h, 0, &format, done.callback(), 0, wave::CALLBACK_FUNCTION), 0u);
    WaveHdr hdr;
    hdr.lpData = reinterpret_cast<const uint8_t*>(pcm.constData());
    hdr.dwBufferLength = uint32_t(pcm.size());
    QCOMPARE(out.waveOutPrepareHeader(h, &hdr, wave::kHeaderSize), 0u);
    QCOMPARE(out.waveOutWrite(h, &hdr, wave::kHeaderSize), 0u);
    QCOMPARE(out.waveOutClose(h), wave::WAVERR_STILLPLAYING);
    QTest::qWait(500);
    QCOMPARE(done.done, 0);
    QCOMPARE(out.waveOutReset(h), 0u);
    QCOMPARE(done.done, 1);
    QCOMPARE(out.waveOutUnprepareHeader(h, &hdr, wave::kHeaderSize), 0u);
    QCOMPARE(out.waveOutClose(h), 0u);
    // The modem was told to stop, and the line hangs up normally afterwards.
    QVERIFY(l.service->lineDrop(l.call, "", 0) > 0);
    QVERIFY(l.rec.waitForCallState(tapi::LINECALLSTATE_IDLE));
    QVERIFY(l.modem.receivedContains(QStringLiteral("ATH0")));
    const QByteArray heard = wavwriter::Samples(l.modem.recordPath);
    QVERIFY2(heard.size() < 8000 * 2, qPrintable(QString::number(heard.size())));
    QCOMPARE(done.done, 1);
}

void TestModemWave::noVoiceChannelWithoutAnsweredCall() {
    FakeModem modem;
    QVERIFY(modem.start());
    ModemLineService service({modem.device});
    NoticeRecorder rec;
    uint32_t app = 0, count = 0, line = 0;
    service.lineInitialize(&app, rec.callback(), QStringLiteral("Hushwire"), &count);
    QCOMPARE(service.lineOpen(app, 0, &line, ModemLineService::kApiVersion, 0, 0, 6, 8, nullptr),
             0);
    const WaveFormatEx format = wavwriter::Format(1, 8000, 16);
    WaveOutHandle h = 0;
    Completion done;
    WaveOut& out = service.modemWaveOut();
    QCOMPARE(out.waveOutOpen(&h, 0, &format, done.callback(), 0, 0), wave::MMSYSERR_BADDEVICEID);
    QCOMPARE(out.waveOutOpen(&h, 3, &format, done.callback(), 0, 0), wave::MMSYSERR_BADDEVICEID);
    WaveFormatEx adpcm = format;
    adpcm.wFormatTag = 2;
    QCOMPARE(out.waveOutOpen(&h, 0, &adpcm, done.callback(), 0, 0), wave::WAVERR_BADFORMAT);
}

QTEST_GUILESS_MAIN(TestModemWave)
#include "tst_modemwave.moc"
