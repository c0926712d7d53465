#include "platform/audio/pc/PcWaveOut.h"
#include "platform/audio/pc/QtSoundPlayer.h"

#include "support/WavWriter.h"

#include <QAudioDevice>
#include <QElapsedTimer>
#include <QMediaDevices>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

// The PC output against a real sound server: a private PulseAudio with a null sink, started
// for this test alone. Skipped where PulseAudio is not installed.
class TestPcAudioDevice : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QProcess m_server;
    WaveFormatEx m_format;
    QByteArray m_samples;

    struct Device {
        PcWaveOut out;
        WaveOutHandle h = 0;
        WaveHdr hdr;
        QList<uint32_t> messages;
    };
    void openAndWrite(Device& d, const QByteArray& samples) {
        auto cb = [&d](WaveOutHandle, uint32_t msg, uintptr_t, uintptr_t, uintptr_t) {
            d.messages.append(msg);
        };
        QCOMPARE(d.out.waveOutOpen(&d.h, -1, &m_format, cb, 0, wave::CALLBACK_FUNCTION), 0u);
        d.hdr.lpData = reinterpret_cast<const uint8_t*>(samples.constData());
        d.hdr.dwBufferLength = static_cast<uint32_t>(samples.size());
        QCOMPARE(d.out.waveOutPrepareHeader(d.h, &d.hdr, wave::kHeaderSize), 0u);
        QCOMPARE(d.out.waveOutWrite(d.h, &d.hdr, wave::kHeaderSize), 0u);
    }

private Q_SLOTS:
    void initTestCase() {
        const QString pulse = QStandardPaths::findExecutable(QStringLiteral("pulseaudio"));
        if (pulse.isEmpty())
            QSKIP("pulseaudio is not installed");
        const QString socket = m_dir.filePath(QStringLiteral("native"));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), m_dir.path());
        env.insert(QStringLiteral("PULSE_RUNTIME_PATH"), m_dir.filePath(QStringLiteral("run")));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_dir.path());
        m_server.setProcessEnvironment(env);
        m_server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_server.start(pulse,
                       {QStringLiteral("--daemonize=no"), QStringLiteral("-n"),
                        QStringLiteral("--exit-idle-time=-1"), QStringLiteral("--use-pid-file=no"),
                        QStringLiteral("--log-level=error"),
                        QStringLiteral("--load=module-null-sink sink_name=hwnull"),
                        QStringLiteral("--load=module-native-protocol-unix socket=") + socket +
                            QStringLiteral(" auth-anonymous=1")});
        QVERIFY(m_server.waitForStarted(5000));
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(socket), 5000);
        qputenv("PULSE_SERVER", QByteArray("unix:") + socket.toLocal8Bit());
        QVERIFY(!QMediaDevices::defaultAudioOutput().isNull());

        m_format = wavwriter::Format(1, 8000, 16);
        m_samples = wavwriter::Sine(1, 8000, 16, 4000, 440); // 500 ms
    }

    void cleanupTestCase() {
        if (m_server.state() != QProcess::NotRunning) {
            m_server.terminate();
            if (!m_server.waitForFinished(3000))
                m_server.kill();
        }
    }

    void bufferPlaysToTheEnd() {
        Device d;
        QElapsedTimer t;
        t.start();
        openAndWrite(d, m_samples);
        QTRY_VERIFY_WITH_TIMEOUT(d.messages.contains(wave::WOM_DONE), 5000);
        // Played, not given up on: the stall allowance would take 3.5 s.
        QVERIFY2(t.elapsed() >= 400 && t.elapsed() < 2500,
                 qPrintable(QString::number(t.elapsed())));
        d.out.waveOutUnprepareHeader(d.h, &d.hdr, wave::kHeaderSize);
        QCOMPARE(d.out.waveOutClose(d.h), 0u);
    }

    void resetStopsAPlayingBuffer() {
        Device d;
        const QByteArray longer(16000 * 20, '\0');
        openAndWrite(d, longer);
        QTest::qWait(300);
        QVERIFY(!d.messages.contains(wave::WOM_DONE));
        QCOMPARE(d.out.waveOutReset(d.h), 0u);
        QCOMPARE(d.messages.count(wave::WOM_DONE), 1);
        d.out.waveOutUnprepareHeader(d.h, &d.hdr, wave::kHeaderSize);
        QCOMPARE(d.out.waveOutClose(d.h), 0u);
    }

    void soundPlayerPlaysAndEnds() {
        QtSoundPlayer player;
        player.play(QStringLiteral(HW_SOURCE_DIR "/assets/ring.wav"));
        QVERIFY(!player.lastWasFallback());
        QTest::qWait(500);
        QVERIFY(player.isPlaying());
        QTRY_VERIFY_WITH_TIMEOUT(!player.isPlaying(), 6000);
    }

    // Last: the server goes away in the middle of a sound, as when the sound system restarts.
    void serverLostMidPlayStillCompletes() {
        Device d;
        const QByteArray twoSeconds = wavwriter::Sine(1, 8000, 16, 16000, 440);
        openAndWrite(d, twoSeconds);
        QTest::qWait(300);
        m_server.kill();
        m_server.waitForFinished(3000);
        QTRY_VERIFY_WITH_TIMEOUT(d.messages.contains(wave::WOM_DONE), 8000);
        d.out.waveOutUnprepareHeader(d.h, &d.hdr, wave::kHeaderSize);
        QCOMPARE(d.out.waveOutClose(d.h), 0u);
    }
};

QTEST_GUILESS_MAIN(TestPcAudioDevice)
#include "tst_pcaudio_device.moc"
