#include "engine/Wave.h"
#include "platform/audio/RoutingWaveOut.h"
#include "platform/audio/pc/PcWaveOut.h"
#include "platform/audio/pc/QtSoundPlayer.h"

#include "support/FakeWaveOut.h"
#include "support/Files.h"
#include "support/WavWriter.h"
#include "support/WavePlayback.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

// Runs with whatever audio the machine has; headless machines have none, and every path must
// still end on its own.
class TestPcAudio : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void pcOutputCompletesWithOrWithoutADevice() {
        PcWaveOut out;
        WaveOutRecorder rec;
        const WaveFormatEx f = wavwriter::Format(1, 8000, 16);
        WaveOutHandle h = 0;
        QCOMPARE(out.waveOutOpen(&h, 0, &f, rec.callback(), 0, 0), wave::MMSYSERR_BADDEVICEID);
        WaveFormatEx bad = f;
        bad.wBitsPerSample = 24;
        QCOMPARE(out.waveOutOpen(&h, -1, &bad, rec.callback(), 0, 0), wave::WAVERR_BADFORMAT);
        QCOMPARE(out.openCount(), 0);

        QCOMPARE(out.waveOutOpen(&h, -1, &f, rec.callback(), 0, wave::CALLBACK_FUNCTION), 0u);
        QCOMPARE(rec.messages, QList<uint32_t>({wave::WOM_OPEN}));
        const QByteArray samples = wavwriter::Sine(1, 8000, 16, 1600, 440); // 200 ms
        WaveHdr hdr;
        hdr.lpData = reinterpret_cast<const uint8_t*>(samples.constData());
        hdr.dwBufferLength = static_cast<uint32_t>(samples.size());
        QCOMPARE(out.waveOutWrite(h, &hdr, wave::kHeaderSize), wave::WAVERR_UNPREPARED);
        QCOMPARE(out.waveOutPrepareHeader(h, &hdr, wave::kHeaderSize), 0u);
        QElapsedTimer t;
        t.start();
        QCOMPARE(out.waveOutWrite(h, &hdr, wave::kHeaderSize), 0u);
        QCOMPARE(rec.messages.size(), 1); // never completes inside the write
        QCOMPARE(out.waveOutClose(h), wave::WAVERR_STILLPLAYING);
        QTRY_COMPARE_WITH_TIMEOUT(rec.messages.size(), 2, 6000);
        QCOMPARE(rec.messages.at(1), wave::WOM_DONE);
        QVERIFY(hdr.dwFlags & wave::WHDR_DONE);
        QVERIFY(t.elapsed() >= 150); // about as long as the sound lasts, device or not

        QCOMPARE(out.waveOutUnprepareHeader(h, &hdr, wave::kHeaderSize), 0u);
        QCOMPARE(out.waveOutClose(h), 0u);
        QCOMPARE(rec.messages.last(), wave::WOM_CLOSE);
        QCOMPARE(out.openCount(), 0);
        QCOMPARE(out.waveOutClose(h), wave::MMSYSERR_INVALHANDLE);
    }

    void resetEndsPlaybackAtOnce() {
        PcWaveOut out;
        WaveOutRecorder rec;
        const WaveFormatEx f = wavwriter::Format(1, 8000, 16);
        WaveOutHandle h = 0;
        QCOMPARE(out.waveOutOpen(&h, -1, &f, rec.callback(), 0, 0), 0u);
        const QByteArray samples(16000 * 30, '\0'); // 30 s
        WaveHdr hdr;
        hdr.lpData = reinterpret_cast<const uint8_t*>(samples.constData());
        hdr.dwBufferLength = static_cast<uint32_t>(samples.size());
        out.waveOutPrepareHeader(h, &hdr, wave::kHeaderSize);
        out.waveOutWrite(h, &hdr, wave::kHeaderSize);
        QTest::qWait(50);
        QCOMPARE(out.waveOutReset(h), 0u);
        QCOMPARE(rec.messages.last(), wave::WOM_DONE);
        QCOMPARE(out.waveOutUnprepareHeader(h, &hdr, wave::kHeaderSize), 0u);
        QCOMPARE(out.waveOutClose(h), 0u);
        QTest::qWait(100); // nothing arrives after the close
        QCOMPARE(rec.messages.count(wave::WOM_DONE), 1);
    }

    void messageOnTheWaveMapperEnds() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("m.wav"));
        QVERIFY(WriteFileBytes(
            path, wavwriter::PcmWav(2, 22050, 16, wavwriter::Sine(2, 22050, 16, 2205, 440))));
        FileMmio mmio;
        PcWaveOut pc;
        RoutingWaveOut routing(pc, nullptr);
        Wave w(mmio, routing);
        w.LoadWave(path, 1);
        w.PlayWave(-1, 1);
        QVERIFY(w.isPlaying(1));
        QTRY_VERIFY_WITH_TIMEOUT(!w.isPlaying(1), 6000);
        w.StopWave(1);
        QCOMPARE(pc.openCount(), 0);
        // Without a modem output, line devices fail to open and nothing plays.
        w.LoadWave(path, 1);
        w.PlayWave(0, 1);
        QVERIFY(!w.isPlaying(1) && !w.isDeviceOpen(1));
    }

    void routingSendsTheMapperToThePc() {
        FakeWaveOut pc;
        FakeWaveOut modem;
        RoutingWaveOut r(pc, &modem);
        WaveOutRecorder rec;
        const WaveFormatEx f = wavwriter::Format(1, 8000, 16);
        WaveOutHandle a = 0;
        WaveOutHandle b = 0;
        QCOMPARE(r.waveOutOpen(&a, -1, &f, rec.callback(), 0, 0), 0u);
        QCOMPARE(r.waveOutOpen(&b, 2, &f, rec.callback(), 0, 0), 0u);
        QVERIFY(a != b);
        QCOMPARE(pc.openCount(), 1);
        QCOMPARE(modem.openCount(), 1);
        QCOMPARE(modem.lastDeviceId, 2);
        WaveHdr hdr;
        QCOMPARE(r.waveOutPrepareHeader(b, &hdr, wave::kHeaderSize), 0u);
        QCOMPARE(r.waveOutWrite(b, &hdr, wave::kHeaderSize), 0u);
        modem.finish(2);
        QCOMPARE(rec.messages.last(), wave::WOM_DONE);
        QCOMPARE(rec.handles.last(), b); // the handle given out, not the modem's own
        QCOMPARE(r.waveOutUnprepareHeader(b, &hdr, wave::kHeaderSize), 0u);
        QCOMPARE(r.waveOutClose(b), 0u);
        QCOMPARE(r.waveOutClose(a), 0u);
        QCOMPARE(pc.openCount() + modem.openCount(), 0);
        QCOMPARE(r.waveOutReset(a), wave::MMSYSERR_INVALHANDLE);

        RoutingWaveOut pcOnly(pc, nullptr);
        QCOMPARE(pcOnly.waveOutOpen(&a, 0, &f, rec.callback(), 0, 0), wave::MMSYSERR_BADDEVICEID);
    }

    void soundPlayerNeverWaitsAndFallsBackToATone() {
        QtSoundPlayer player;
        QElapsedTimer t;
        t.start();
        player.play(QStringLiteral("/nonexistent/ring.wav"));
        QVERIFY(player.lastWasFallback());
        QVERIFY(t.elapsed() < 1000); // asynchronous
        QTRY_VERIFY_WITH_TIMEOUT(!player.isPlaying(), 5000);

        player.play(QStringLiteral(HW_SOURCE_DIR "/assets/ring.wav"));
        QVERIFY(!player.lastWasFallback());
        QVERIFY(player.isPlaying());
        // A new sound replaces the running one.
        player.play(QStringLiteral(HW_TEST_DATA_DIR "/stereo8_11025.wav"));
        QVERIFY(!player.lastWasFallback());
        QTRY_VERIFY_WITH_TIMEOUT(!player.isPlaying(), 5000);
        player.play(QStringLiteral(HW_SOURCE_DIR "/assets/CMakeLists.txt")); // not a WAV
        QVERIFY(player.lastWasFallback());
    }
};

QTEST_GUILESS_MAIN(TestPcAudio)
#include "tst_pcaudio.moc"
