#include "platform/audio/PcmConvert.h"

#include "support/WavWriter.h"

#include <QTest>

#include <cmath>

namespace {

WaveFormatEx Pcm(uint16_t channels, uint32_t rate, uint16_t bits) {
    WaveFormatEx f;
    f.wFormatTag = wave::WAVE_FORMAT_PCM;
    f.nChannels = channels;
    f.nSamplesPerSec = rate;
    f.wBitsPerSample = bits;
    f.nBlockAlign = static_cast<uint16_t>(channels * bits / 8);
    f.nAvgBytesPerSec = rate * f.nBlockAlign;
    return f;
}

QByteArray Convert(const WaveFormatEx& f, const QByteArray& d, ModemVoiceFormat t) {
    return ConvertForModem(f, reinterpret_cast<const uint8_t*>(d.constData()),
                           static_cast<size_t>(d.size()), t);
}

// Frequency of the strongest content, from zero crossings of the decoded 8-bit signal.
double CrossingHz(const QByteArray& linear8) {
    int crossings = 0;
    for (int i = 1; i < linear8.size(); ++i) {
        const bool a = static_cast<uint8_t>(linear8[i - 1]) >= 128;
        const bool b = static_cast<uint8_t>(linear8[i]) >= 128;
        crossings += a != b ? 1 : 0;
    }
    return crossings / 2.0 / (linear8.size() / 8000.0);
}

} // namespace

class TestPcmConvert : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void muLawKnownValues() {
        QCOMPARE(LinearToMuLaw(0), uint8_t(0xFF));
        QCOMPARE(LinearToMuLaw(-1), uint8_t(0x7F));
        QCOMPARE(LinearToMuLaw(32767), uint8_t(0x80));
        QCOMPARE(LinearToMuLaw(-32768), uint8_t(0x00));
        QCOMPARE(MuLawToLinear(0xFF), int16_t(0));
        QCOMPARE(MuLawToLinear(0x80), int16_t(32124));
        QCOMPARE(MuLawToLinear(0x00), int16_t(-32124));
        // Every code survives decode and encode; every sample comes back within its step.
        for (int c = 0; c < 256; ++c) {
            if (c == 0x7F)
                continue; // "negative zero" decodes to 0, which encodes as 0xFF
            QCOMPARE(LinearToMuLaw(MuLawToLinear(static_cast<uint8_t>(c))), uint8_t(c));
        }
        for (int s = -32768; s <= 32767; s += 97) {
            const int back = MuLawToLinear(LinearToMuLaw(static_cast<int16_t>(s)));
            QVERIFY2(std::abs(back - s) <= std::max(16, std::abs(s) / 16),
                     qPrintable(QString::number(s)));
        }
    }

    void aLawKnownValues() {
        QCOMPARE(LinearToALaw(0), uint8_t(0xD5));
        QCOMPARE(LinearToALaw(-8), uint8_t(0x55));
        QCOMPARE(LinearToALaw(32767), uint8_t(0xAA));
        QCOMPARE(LinearToALaw(-32768), uint8_t(0x2A));
        QCOMPARE(ALawToLinear(0xD5), int16_t(8));
        QCOMPARE(ALawToLinear(0xAA), int16_t(32256));
        for (int c = 0; c < 256; ++c)
            QCOMPARE(LinearToALaw(ALawToLinear(static_cast<uint8_t>(c))), uint8_t(c));
        for (int s = -32768; s <= 32767; s += 97) {
            const int back = ALawToLinear(LinearToALaw(static_cast<int16_t>(s)));
            QVERIFY2(std::abs(back - s) <= std::max(16, std::abs(s) / 16),
                     qPrintable(QString::number(s)));
        }
    }

    void eightKiloHertzMonoPassesThrough() {
        const QByteArray in = wavwriter::Sine(1, 8000, 8, 800, 300);
        QCOMPARE(Convert(Pcm(1, 8000, 8), in, ModemVoiceFormat::Linear8Unsigned), in);
        // 16-bit keeps its high byte, shifted to unsigned.
        QByteArray s16;
        for (int v : {0, 256, -256, 32767, -32768, 127}) {
            s16.append(static_cast<char>(v & 0xFF));
            s16.append(static_cast<char>((v >> 8) & 0xFF));
        }
        const QByteArray out = Convert(Pcm(1, 8000, 16), s16, ModemVoiceFormat::Linear8Unsigned);
        QCOMPARE(out, QByteArray("\x80\x81\x7f\xff\x00\x80", 6));
        const QByteArray mu = Convert(Pcm(1, 8000, 16), s16, ModemVoiceFormat::MuLaw);
        QCOMPARE(static_cast<uint8_t>(mu[0]), LinearToMuLaw(0));
        QCOMPARE(static_cast<uint8_t>(mu[3]), LinearToMuLaw(32767));
    }

    void stereoIsMixedToMono() {
        // Left full positive, right full negative: silence. Both equal: that value.
        QByteArray in;
        for (int i = 0; i < 10; ++i)
            in.append("\xff\x01\xc0\xc0", 4);
        const QByteArray out = Convert(Pcm(2, 8000, 8), in, ModemVoiceFormat::Linear8Unsigned);
        QCOMPARE(out.size(), 20);
        QCOMPARE(static_cast<uint8_t>(out[0]), uint8_t(0x80));
        QCOMPARE(static_cast<uint8_t>(out[1]), uint8_t(0xc0));
    }

    void ratesAreConvertedToEightKiloHertz_data() {
        QTest::addColumn<int>("rate");
        QTest::addColumn<int>("bits");
        QTest::addColumn<int>("channels");
        QTest::newRow("11025 8-bit stereo") << 11025 << 8 << 2;
        QTest::newRow("16000 16-bit mono") << 16000 << 16 << 1;
        QTest::newRow("22050 16-bit mono") << 22050 << 16 << 1;
        QTest::newRow("44100 16-bit stereo") << 44100 << 16 << 2;
        QTest::newRow("48000 16-bit mono") << 48000 << 16 << 1;
        QTest::newRow("6000 8-bit mono") << 6000 << 8 << 1;
    }
    void ratesAreConvertedToEightKiloHertz() {
        QFETCH(int, rate);
        QFETCH(int, bits);
        QFETCH(int, channels);
        const int frames = rate; // one second
        const QByteArray in = wavwriter::Sine(channels, rate, bits, frames, 500);
        const WaveFormatEx f = Pcm(channels, rate, bits);
        const QByteArray out = Convert(f, in, ModemVoiceFormat::Linear8Unsigned);
        QVERIFY(std::abs(out.size() - 8000) <= 1);
        QVERIFY(std::abs(CrossingHz(out) - 500.0) < 10.0); // pitch kept
        // A trailing partial frame is ignored rather than read past.
        const int partial = f.nBlockAlign - 1;
        const QByteArray odd =
            Convert(f, in + QByteArray(partial, '\x80'), ModemVoiceFormat::MuLaw);
        QCOMPARE(odd.size(), out.size());
    }

    void unsupportedInputGivesNothing() {
        const QByteArray in(100, '\x10');
        WaveFormatEx f = Pcm(1, 8000, 8);
        f.wFormatTag = 3; // float
        QVERIFY(Convert(f, in, ModemVoiceFormat::MuLaw).isEmpty());
        QVERIFY(Convert(Pcm(3, 8000, 8), in, ModemVoiceFormat::MuLaw).isEmpty());
        QVERIFY(Convert(Pcm(1, 8000, 24), in, ModemVoiceFormat::MuLaw).isEmpty());
        QVERIFY(Convert(Pcm(1, 0, 8), in, ModemVoiceFormat::MuLaw).isEmpty());
        QVERIFY(Convert(Pcm(2, 8000, 16), QByteArray(3, '\0'), ModemVoiceFormat::MuLaw).isEmpty());
        QVERIFY(ConvertForModem(Pcm(1, 8000, 8), nullptr, 10, ModemVoiceFormat::MuLaw).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestPcmConvert)
#include "tst_pcmconvert.moc"
