#include "engine/Wave.h"

#include "support/FakeWaveOut.h"
#include "support/Files.h"
#include "support/WavWriter.h"

#include <QTemporaryDir>
#include <QTest>

using namespace wavwriter;

class TestWave : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    int m_files = 0;
    QString write(const QByteArray& bytes) {
        const QString path = m_dir.filePath(QStringLiteral("f%1.wav").arg(++m_files));
        if (!WriteFileBytes(path, bytes))
            qFatal("cannot write test file");
        return path;
    }

private Q_SLOTS:
    void playsTheWholeMessageOnTheLinesDevice() {
        FileMmio mmio;
        FakeWaveOut out;
        Wave w(mmio, out);
        const QByteArray samples = Sine(1, 8000, 8, 800, 440);
        w.LoadWave(write(PcmWav(1, 8000, 8, samples)), 1);
        QVERIFY(w.isLoaded(1));
        QCOMPARE(w.slot(1).frameCount, 800);
        QCOMPARE(w.waveFormat().nSamplesPerSec, 8000u);
        QCOMPARE(mmio.openFileCount(), 0);

        w.PlayWave(3, 1);
        QCOMPARE(out.calls,
                 QStringList({QStringLiteral("open 3 0x30004"), QStringLiteral("prepare 256 800"),
                              QStringLiteral("write 256 800")}));
        QCOMPARE(out.written.value(0), samples);
        QCOMPARE(out.lastFormat.wBitsPerSample, uint16_t(8));
        QVERIFY(w.isPlaying(1));
        QVERIFY(w.isDeviceOpen(1));

        QCOMPARE(out.finish(3), 1);
        QVERIFY(!w.isPlaying(1));
        QVERIFY(w.isDeviceOpen(1)); // closed by the caller's StopWave, not by the completion
        out.calls.clear();
        w.StopWave(1);
        QCOMPARE(out.calls,
                 QStringList({QStringLiteral("reset 256"), QStringLiteral("unprepare 256"),
                              QStringLiteral("close 256")}));
        QCOMPARE(out.openCount(), 0);
        QVERIFY(w.isLoaded(1)); // the buffer stays until the next load
        w.StopWave(1);          // a second stop has nothing to close
        QCOMPARE(out.calls.size(), 3);
    }

    void waveMapperOpensWithCallbackOnly() {
        FileMmio mmio;
        FakeWaveOut out;
        Wave w(mmio, out);
        w.LoadWave(write(PcmWav(1, 8000, 16, Sine(1, 8000, 16, 10, 440))), 0);
        w.PlayWave(-1, 0);
        QCOMPARE(out.lastDeviceId, -1);
        QCOMPARE(out.lastFlags, wave::CALLBACK_FUNCTION);
    }

    void queuedLengthNeverExceedsTheData_data() {
        QTest::addColumn<int>("dataBytes");
        QTest::addColumn<int>("frames");
        QTest::addColumn<int>("queued");
        // 16-bit stereo, 4 bytes a frame: frame counts round to the nearest, halves to even.
        QTest::newRow("whole frames") << 16 << 4 << 16;
        QTest::newRow("2.5 rounds down") << 10 << 2 << 8;
        QTest::newRow("3.5 rounds up, cut") << 14 << 4 << 14;
        QTest::newRow("2.75 rounds up, cut") << 11 << 3 << 11;
        QTest::newRow("empty") << 0 << 0 << 0;
    }
    void queuedLengthNeverExceedsTheData() {
        QFETCH(int, dataBytes);
        QFETCH(int, frames);
        QFETCH(int, queued);
        FileMmio mmio;
        FakeWaveOut out;
        Wave w(mmio, out);
        const QByteArray data(dataBytes, '\x11');
        w.LoadWave(write(PcmWav(2, 8000, 16, data)), 0);
        QVERIFY(w.isLoaded(0));
        QCOMPARE(w.slot(0).frameCount, frames);
        w.PlayWave(0, 0);
        QCOMPARE(static_cast<int>(w.slot(0).waveHeader.dwBufferLength), queued);
        QCOMPARE(out.written.value(0), data.left(queued));
    }

    void formatReadTakesEighteenBytes() {
        FileMmio mmio;
        FakeWaveOut out;
        Wave w(mmio, out);
        // After a 16-byte fmt chunk the two bytes read into cbSize are "da" of "data".
        w.LoadWave(write(PcmWav(1, 8000, 8, "abcd")), 0);
        QVERIFY(w.isLoaded(0));
        QCOMPARE(w.waveFormat().cbSize, uint16_t('d' | ('a' << 8)));
        // Extra chunks before, between and after are skipped.
        const QByteArray chunks = Chunk("LIST", "INFOxx") + Chunk("fmt ", FmtBody(2, 11025, 8)) +
                                  Chunk("fact", "1234") + Chunk("data", "abcdef") +
                                  Chunk("junk", "zz");
        w.LoadWave(write(Riff(chunks)), 2);
        QVERIFY(w.isLoaded(2));
        QCOMPARE(w.slot(2).frameCount, 3);
        QCOMPARE(w.waveFormat().nSamplesPerSec, 11025u);
    }

    void badFilesAreSimplyNotLoaded_data() {
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray fmt = Chunk("fmt ", FmtBody(1, 8000, 8));
        const QByteArray data = Chunk("data", "12345678");
        QTest::newRow("no data chunk") << Riff(fmt);
        QTest::newRow("data before fmt") << Riff(data + fmt);
        QTest::newRow("block align 0") << Riff(Chunk("fmt ", FmtBody(1, 8000, 8, 0)) + data);
        QTest::newRow("no channels") << Riff(Chunk("fmt ", FmtBody(0, 8000, 8, 1)) + data);
        QTest::newRow("fmt of 14 bytes")
            << Riff(Chunk("fmt ", FmtBody(1, 8000, 8).left(14)) + data);
        QTest::newRow("truncated header") << Riff(fmt + data).left(30);
        QTest::newRow("only RIFF") << QByteArray("RIFF\x04\0\0\0WAVE", 12);
        QTest::newRow("empty file") << QByteArray();
        QTest::newRow("text") << QByteArray("this is not a sound file at all\r\n");
    }
    void badFilesAreSimplyNotLoaded() {
        QFETCH(QByteArray, bytes);
        FileMmio mmio;
        FakeWaveOut out;
        Wave w(mmio, out);
        w.LoadWave(write(bytes), 0);
        QVERIFY(!w.isLoaded(0));
        QVERIFY(w.problem(0) != WaveFileError::None);
        QCOMPARE(mmio.openFileCount(), 0);
        QVERIFY(w.slot(0).waveBuffer.size() < 100);
    }

    void placeholderSizesPlayWhatTheFileHolds_data() {
        QTest::addColumn<int64_t>("riffSize");
        QTest::addColumn<int64_t>("dataSize");
        QTest::newRow("RIFF all ones") << int64_t(0xFFFFFFFF) << int64_t(-1);
        QTest::newRow("RIFF too large") << int64_t(0x7FFFFFFF) << int64_t(-1);
        QTest::newRow("data all ones") << int64_t(-1) << int64_t(0xFFFFFFFF);
        QTest::newRow("data 0x7FFFF000") << int64_t(-1) << int64_t(0x7FFFF000);
        QTest::newRow("both all ones") << int64_t(0xFFFFFFFF) << int64_t(0xFFFFFFFF);
        QTest::newRow("both 0x7FFFF000") << int64_t(0x7FFFF000) << int64_t(0x7FFFF000);
    }
    // Streaming recorders leave placeholder sizes they never fill in; the message is what the
    // file holds.
    void placeholderSizesPlayWhatTheFileHolds() {
        QFETCH(int64_t, riffSize);
        QFETCH(int64_t, dataSize);
        FileMmio mmio;
        FakeWaveOut out;
        Wave w(mmio, out);
        const QByteArray samples = Sine(1, 8000, 8, 1600, 440);
        w.LoadWave(write(Riff(Chunk("fmt ", FmtBody(1, 8000, 8)) + Chunk("data", samples, dataSize),
                              riffSize)),
                   0);
        QVERIFY(w.isLoaded(0));
        QCOMPARE(w.problem(0), WaveFileError::None);
        QCOMPARE(w.slot(0).frameCount, 1600);
        w.PlayWave(1, 0);
        QCOMPARE(out.written.value(0), samples);
    }

    void missingFileOrEmptyPathReleasesTheBuffer() {
        FileMmio mmio;
        FakeWaveOut out;
        Wave w(mmio, out);
        const QString good = write(PcmWav(1, 8000, 8, QByteArray(400, '\x80')));
        w.LoadWave(good, 0);
        QCOMPARE(w.slot(0).waveBuffer.size(), size_t(400));
        w.LoadWave(m_dir.filePath(QStringLiteral("missing.wav")), 0);
        QVERIFY(!w.isLoaded(0));
        QVERIFY(w.slot(0).waveBuffer.empty());
        w.LoadWave(good, 0);
        w.LoadWave(QString(), 0);
        QVERIFY(!w.isLoaded(0));
        QVERIFY(w.slot(0).waveBuffer.empty());
    }

    void eachCompletionClearsOnlyItsOwnLine() {
        FileMmio mmio;
        FakeWaveOut out;
        Wave w(mmio, out);
        const QString path = write(PcmWav(1, 8000, 8, QByteArray(100, '\x80')));
        for (int line = 0; line < 4; ++line) {
            w.LoadWave(path, line);
            w.PlayWave(line, line);
        }
        QCOMPARE(out.openCount(), 4);
        QVERIFY(w.slot(0).waveBuffer.data() != w.slot(1).waveBuffer.data());
        out.finish(2);
        QVERIFY(w.isPlaying(0) && w.isPlaying(1) && !w.isPlaying(2) && w.isPlaying(3));
        // Open and close notices never clear the flag; a stray line number is ignored.
        w.OnWaveDone(1, 0, wave::WOM_OPEN, 0, 0, 0);
        w.OnWaveDone(1, 0, wave::WOM_CLOSE, 0, 0, 0);
        w.OnWaveDone(7, 0, wave::WOM_DONE, 0, 0, 0);
        QVERIFY(w.isPlaying(1));
        w.OnWaveDone(1, 0, wave::WOM_DONE, 0, 0, 0);
        QVERIFY(!w.isPlaying(1));
    }

    void deviceFailures() {
        FileMmio mmio;
        FakeWaveOut out;
        Wave w(mmio, out);
        const QString path = write(PcmWav(1, 8000, 8, QByteArray(100, '\x80')));

        out.failOpen = wave::MMSYSERR_BADDEVICEID;
        w.LoadWave(path, 0);
        w.PlayWave(5, 0);
        QVERIFY(!w.isLoaded(0) && !w.isPlaying(0) && !w.isDeviceOpen(0));
        QVERIFY(w.slot(0).waveBuffer.empty());
        QCOMPARE(w.problem(0), WaveFileError::None); // the device's fault, not the file's
        // A format the device cannot play is the file's.
        out.failOpen = wave::WAVERR_BADFORMAT;
        w.LoadWave(path, 0);
        w.PlayWave(5, 0);
        QCOMPARE(w.problem(0), WaveFileError::Unsupported);
        out.failOpen = 0;

        // A failed prepare leaves the device open for the caller's StopWave to close.
        out.failPrepare = wave::MMSYSERR_NOMEM;
        w.LoadWave(path, 0);
        w.PlayWave(5, 0);
        QVERIFY(w.isLoaded(0) && !w.isPlaying(0) && w.isDeviceOpen(0));
        w.StopWave(0);
        QCOMPARE(out.openCount(), 0);
        out.failPrepare = 0;

        out.failWrite = wave::MMSYSERR_ERROR;
        w.LoadWave(path, 0);
        w.PlayWave(5, 0);
        QVERIFY(!w.isLoaded(0) && !w.isPlaying(0) && w.isDeviceOpen(0));
        w.StopWave(0);
        QCOMPARE(out.openCount(), 0);
    }

    void aDeviceLeftOpenIsClosedBeforeItsBufferIsReplaced() {
        FileMmio mmio;
        FakeWaveOut out;
        const QString path = write(PcmWav(1, 8000, 8, QByteArray(100, '\x80')));
        {
            Wave w(mmio, out);
            w.LoadWave(path, 0);
            w.PlayWave(1, 0);
            // Still playing when the next message is loaded: the old device is stopped first,
            // so it never reads a released buffer.
            w.LoadWave(path, 0);
            QCOMPARE(out.openCount(), 0);
            QVERIFY(!w.isPlaying(0));
            w.PlayWave(1, 0);
            w.PlayWave(1, 0); // played again without a stop: still one device
            QCOMPARE(out.openCount(), 1);
            w.LoadWave(path, 3);
            w.PlayWave(2, 3);
        }
        QCOMPARE(out.openCount(), 0); // closed when the player goes away
    }

    void shippedMessageLoads() {
        FileMmio mmio;
        FakeWaveOut out;
        Wave w(mmio, out);
        w.LoadWave(QStringLiteral(HW_SOURCE_DIR "/assets/donotcall.wav"), 0);
        QVERIFY(w.isLoaded(0));
        QCOMPARE(static_cast<size_t>(w.slot(0).frameCount) * w.waveFormat().nBlockAlign,
                 w.slot(0).waveBuffer.size());
    }
};

QTEST_GUILESS_MAIN(TestWave)
#include "tst_wave.moc"
