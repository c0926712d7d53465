#include "platform/audio/pc/PcWaveOut.h"
#include "platform/audio/pc/QtSoundPlayer.h"

#include "support/WavWriter.h"
#include "support/WavePlayback.h"

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
        PcWaveOut out;
        WavePlayback d(out);
        QElapsedTimer t;
        t.start();
        QCOMPARE(d.start(-1, m_format, m_samples), 0u);
        QTRY_VERIFY_WITH_TIMEOUT(d.rec.done() > 0, 5000);
        // Played, not given up on: the stall allowance would take 3.5 s.
        QVERIFY2(t.elapsed() >= 400 && t.elapsed() < 2500,
                 qPrintable(QString::number(t.elapsed())));
        QVERIFY(d.stop());
    }

    void resetStopsAPlayingBuffer() {
        PcWaveOut out;
        WavePlayback d(out);
        const QByteArray longer(16000 * 20, '\0');
        QCOMPARE(d.start(-1, m_format, longer), 0u);
        QTest::qWait(300);
        QCOMPARE(d.rec.done(), 0);
        QCOMPARE(d.out.waveOutReset(d.handle), 0u);
        QCOMPARE(d.rec.done(), 1);
        QVERIFY(d.stop());
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
        PcWaveOut out;
        WavePlayback d(out);
        const QByteArray twoSeconds = wavwriter::Sine(1, 8000, 16, 16000, 440);
        QCOMPARE(d.start(-1, m_format, twoSeconds), 0u);
        QTest::qWait(300);
        m_server.kill();
        m_server.waitForFinished(3000);
        QTRY_VERIFY_WITH_TIMEOUT(d.rec.done() > 0, 8000);
        QVERIFY(d.stop());
    }
};

QTEST_GUILESS_MAIN(TestPcAudioDevice)
#include "tst_pcaudio_device.moc"
