// The modem emulator driven the way the line service drives a modem: through a serial port.
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSerialPort>
#include <QTemporaryDir>
#include <QTest>

namespace {

constexpr char kDle = 0x10;

// One emulator process and the serial port a client holds on it.
class Emulator {
public:
    ~Emulator() {
        port.close();
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(3000);
        }
    }

    bool start(const QStringList& args) {
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(QStringLiteral(HW_BUILD_DIR "/hushwire-fakemodem"), args);
        if (!process.waitForStarted(5000))
            return false;
        QDeadlineTimer deadline(5000);
        while (!process.canReadLine() && !deadline.hasExpired())
            process.waitForReadyRead(100);
        const QByteArray first = process.readLine().trimmed();
        if (!first.startsWith("DEVICE "))
            return false;
        device = QString::fromLocal8Bit(first.mid(7));
        port.setPortName(device);
        return port.open(QIODevice::ReadWrite);
    }

    void script(const QByteArray& lines) {
        process.write(lines + '\n');
        process.waitForBytesWritten(3000);
    }

    // Reads until `text` has arrived; returns everything read so far and keeps the rest.
    QByteArray readUntil(const QByteArray& text, int timeoutMs = 3000) {
        QDeadlineTimer deadline(timeoutMs);
        while (!buffer.contains(text) && !deadline.hasExpired()) {
            if (port.waitForReadyRead(50))
                buffer += port.readAll();
        }
        const qsizetype at = buffer.indexOf(text);
        if (at < 0)
            return std::exchange(buffer, {});
        const QByteArray head = buffer.left(at + text.size());
        buffer.remove(0, at + text.size());
        return head;
    }

    // Everything that arrives within `ms`.
    QByteArray drain(int ms) {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < ms) {
            if (port.waitForReadyRead(20))
                buffer += port.readAll();
        }
        return std::exchange(buffer, {});
    }

    // Sends a command and returns its answer up to a final result line.
    QByteArray command(const QByteArray& cmd) {
        port.write(cmd + '\r');
        port.flush();
        QDeadlineTimer deadline(3000);
        static const QList<QByteArray> finals = {"\r\nOK\r\n", "\r\nERROR\r\n", "\r\nVCON\r\n",
                                                 "\r\nCONNECT\r\n"};
        while (!deadline.hasExpired()) {
            for (const QByteArray& f : finals) {
                const qsizetype at = buffer.indexOf(f);
                if (at >= 0) {
                    const QByteArray answer = buffer.left(at + f.size());
                    buffer.remove(0, at + f.size());
                    return answer;
                }
            }
            if (port.waitForReadyRead(50))
                buffer += port.readAll();
        }
        return std::exchange(buffer, {});
    }

    QProcess process;
    QSerialPort port;
    QString device;
    QByteArray buffer;
};

QByteArray WavChunk(const QByteArray& wav, const char* id) {
    qsizetype pos = 12;
    while (pos + 8 <= wav.size()) {
        const quint32 size = quint8(wav[pos + 4]) | quint8(wav[pos + 5]) << 8 |
                             quint8(wav[pos + 6]) << 16 | quint32(quint8(wav[pos + 7])) << 24;
        if (wav.mid(pos, 4) == id)
            return wav.mid(pos + 8, qsizetype(size));
        pos += 8 + qsizetype(size) + qsizetype(size % 2);
    }
    return {};
}

} // namespace

class TestFakeModem : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void probeAnswers_data();
    void probeAnswers();
    void echoFollowsAte();
    void callerIdVariants_data();
    void callerIdVariants();
    void eventsOnlyOffHookInVoiceMode();
    void playbackIsRecordedAndTakesRealTime_data();
    void playbackIsRecordedAndTakesRealTime();
    void cancelEndsPlaybackAtOnce();
    void unplugClosesThePort();
    void terminateRemovesLink();

private:
    QTemporaryDir m_dir;
};

void TestFakeModem::probeAnswers_data() {
    QTest::addColumn<QString>("chipset");
    QTest::addColumn<QByteArray>("classes");
    QTest::addColumn<QByteArrayList>("formats"); // AT+VSM=? must list these codes
    QTest::addColumn<QByteArray>("voiceLine");   // final answer to AT+VLS=1
    QTest::addColumn<QByteArray>("toneSetup");   // final answer to AT#VTD=3F,3F,3F

    QTest::newRow("usr") << "usr" << QByteArray("0,1,1.0,2,2.0,8")
                         << QByteArrayList{"128,\"8-BIT LINEAR\"", "131,\"G.711U\""}
                         << QByteArray("VCON") << QByteArray("OK");
    QTest::newRow("conexant") << "conexant" << QByteArray("0,1,1.0,2,8")
                              << QByteArrayList{"130,\"UNSIGNED PCM\"", "131,"}
                              << QByteArray("VCON") << QByteArray("ERROR");
    QTest::newRow("v253") << "v253" << QByteArray("0,1,8")
                          << QByteArrayList{"1,\"UNSIGNED PCM\"", "4,\"G.711U\""}
                          << QByteArray("OK") << QByteArray("ERROR");
    QTest::newRow("data") << "data" << QByteArray("0,1,2") << QByteArrayList{}
                          << QByteArray("ERROR") << QByteArray("ERROR");
}

void TestFakeModem::probeAnswers() {
    QFETCH(QString, chipset);
    QFETCH(QByteArray, classes);
    QFETCH(QByteArrayList, formats);
    QFETCH(QByteArray, voiceLine);
    QFETCH(QByteArray, toneSetup);

    Emulator modem;
    QVERIFY(modem.start({QStringLiteral("--chipset"), chipset}));
    for (const char* setup : {"ATZ", "ATE0", "ATS0=0", "ATV1", "ATQ0", "AT+VCID=1", "AT+IFC=2,2"})
        QCOMPARE(modem.command(setup), QByteArray("\r\nOK\r\n"));
    QVERIFY(modem.command("ATI3").contains("(hushwire-fakemodem)\r\n"));
    QCOMPARE(modem.command("AT+FCLASS=?"), "\r\n" + classes + "\r\n\r\nOK\r\n");

    const QByteArray vsm = modem.command("AT+VSM=?");
    for (const QByteArray& f : formats)
        QVERIFY2(vsm.contains("\r\n" + f), vsm.constData());
    QCOMPARE(vsm.endsWith("ERROR\r\n"), formats.isEmpty());

    const bool voice = !formats.isEmpty();
    QCOMPARE(modem.command("AT+FCLASS=8").endsWith(voice ? "OK\r\n" : "ERROR\r\n"), true);
    QVERIFY(modem.command("AT#VTD=3F,3F,3F").endsWith(toneSetup + "\r\n"));
    QVERIFY(modem.command("AT+VLS=1").endsWith(voiceLine + "\r\n"));
    QVERIFY(modem.command("AT+VTX").endsWith(voice ? "CONNECT\r\n" : "ERROR\r\n"));
}

void TestFakeModem::echoFollowsAte() {
    Emulator modem;
    QVERIFY(modem.start({QStringLiteral("--echo")}));
    QCOMPARE(modem.command("ATV1"), QByteArray("ATV1\r\r\nOK\r\n"));
    QCOMPARE(modem.command("ATE0"), QByteArray("ATE0\r\r\nOK\r\n"));
    QCOMPARE(modem.command("ATQ0"), QByteArray("\r\nOK\r\n"));
    // ATZ returns to the echo the modem started with.
    QCOMPARE(modem.command("ATZ"), QByteArray("\r\nOK\r\n"));
    QCOMPARE(modem.command("AT"), QByteArray("AT\r\r\nOK\r\n"));
}

void TestFakeModem::callerIdVariants_data() {
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QByteArrayList>("expected"); // lines after DATE and TIME

    QTest::newRow("full") << QByteArray("cid NMBR=5551234567 NAME=JOHN Q DOE")
                          << QByteArrayList{"NMBR = 5551234567", "NAME = JOHN Q DOE"};
    QTest::newRow("no spaces, quoted name")
        << QByteArray("cid nospace NMBR=555-1234 NAME=\"SMITH  A\"")
        << QByteArrayList{"NMBR=555-1234", "NAME=SMITH  A"};
    QTest::newRow("private, no name") << QByteArray("cid NMBR=P") << QByteArrayList{"NMBR = P"};
    QTest::newRow("out of area name")
        << QByteArray("cid NMBR=O NAME=O") << QByteArrayList{"NMBR = O", "NAME = O"};
    QTest::newRow("anonymous") << QByteArray("cid NMBR=A NAME=P")
                               << QByteArrayList{"NMBR = A", "NAME = P"};
    QTest::newRow("DDN, twice, MESG")
        << QByteArray("cid DDN MESG NMBR=5550000 twice NAME=X")
        << QByteArrayList{"MESG = 060342", "DDN_NMBR = 5550000", "DDN_NMBR = O", "NAME = X"};
    QTest::newRow("NBR") << QByteArray("cid NBR NMBR=12") << QByteArrayList{"NBR = 12"};
    QTest::newRow("before the first ring")
        << QByteArray("cid before NMBR=5551111 NAME=A B\nwait 100\nring")
        << QByteArrayList{"NMBR = 5551111", "NAME = A B", "RING"};
}

void TestFakeModem::callerIdVariants() {
    QFETCH(QByteArray, line);
    QFETCH(QByteArrayList, expected);

    Emulator modem;
    QVERIFY(modem.start({}));
    modem.script(line + "\nsend END");
    QByteArrayList got = modem.readUntil("END\r\n").split('\n');
    for (QByteArray& l : got)
        l = l.trimmed();
    got.removeAll(QByteArray());
    QVERIFY(!got.isEmpty());
    QCOMPARE(got.takeLast(), QByteArray("END"));
    QVERIFY(got.size() > 2);
    QVERIFY(got[0].startsWith("DATE") && got[1].startsWith("TIME"));
    QCOMPARE(got.mid(2), expected);
}

void TestFakeModem::eventsOnlyOffHookInVoiceMode() {
    Emulator modem;
    QVERIFY(modem.start({QStringLiteral("--chipset"), QStringLiteral("usr")}));
    // On hook a DTMF key is not reported; ringing is.
    modem.script("dtmf 1\nring");
    QCOMPARE(modem.readUntil("RING\r\n"), QByteArray("\r\nRING\r\n"));

    // The script waits for the off-hook command while commands keep being answered.
    modem.script("waitfor AT+VLS=1\ndtmf 9#\nring\ndtmf-framed 5\nbusy\nsend END");
    QCOMPARE(modem.command("AT+FCLASS=8"), QByteArray("\r\nOK\r\n"));
    QCOMPARE(modem.command("AT+VLS=1"), QByteArray("\r\nVCON\r\n"));
    // A US Robotics modem reports keys and tones only after AT#VTD.
    QCOMPARE(modem.readUntil("END\r\n"), QByteArray("END\r\n"));

    modem.script("waitfor AT#VTD\ndtmf 9#\nring\ndtmf-framed 5\nbusy\nsend END");
    QCOMPARE(modem.command("AT#VTD=3F,3F,3F"), QByteArray("\r\nOK\r\n"));
    const QByteArray events = QByteArray(1, kDle) + "9" + kDle + "#" + kDle + "/" + kDle + "5" +
                              kDle + "5" + kDle + "5" + kDle + "~" + kDle + "b" + "END\r\n";
    QCOMPARE(modem.readUntil("END\r\n"), events);
}

void TestFakeModem::playbackIsRecordedAndTakesRealTime_data() {
    QTest::addColumn<QString>("chipset");
    QTest::addColumn<QByteArray>("format");
    QTest::addColumn<int>("formatTag");
    QTest::addColumn<bool>("signedSamples");

    QTest::newRow("usr linear") << "usr" << QByteArray("128,8000") << 1 << false;
    QTest::newRow("usr mu-law") << "usr" << QByteArray("131,8000") << 7 << false;
    QTest::newRow("v253 four arguments") << "v253" << QByteArray("1,8000,0,0") << 1 << false;
    QTest::newRow("conexant signed") << "conexant" << QByteArray("0,8000") << 1 << true;
}

void TestFakeModem::playbackIsRecordedAndTakesRealTime() {
    QFETCH(QString, chipset);
    QFETCH(QByteArray, format);
    QFETCH(int, formatTag);
    QFETCH(bool, signedSamples);

    const QString wavPath = m_dir.filePath(QStringLiteral("play.wav"));
    QFile::remove(wavPath);
    Emulator modem;
    QVERIFY(
        modem.start({QStringLiteral("--chipset"), chipset, QStringLiteral("--record"), wavPath}));
    modem.command("AT+FCLASS=8");
    modem.command("AT+VLS=1");
    QCOMPARE(modem.command("AT+VSM=" + format), QByteArray("\r\nOK\r\n"));
    QCOMPARE(modem.command("AT+VTX"), QByteArray("\r\nCONNECT\r\n"));

    // 4000 samples (half a second) covering every byte value, 0x10 among them.
    QByteArray audio;
    for (int i = 0; i < 4000; ++i)
        audio += char(i % 256);
    QByteArray wire;
    for (const char c : audio) {
        wire += c;
        if (c == kDle)
            wire += kDle;
    }
    wire += QByteArray(1, kDle) + '\x03';
    QElapsedTimer played;
    played.start();
    // Split inside a doubled DLE, as a paced writer may.
    const qsizetype split = wire.indexOf(QByteArray(2, kDle)) + 1;
    modem.port.write(wire.left(split));
    modem.port.flush();
    QTest::qWait(20);
    modem.port.write(wire.mid(split));
    modem.port.flush();
    QCOMPARE(modem.readUntil("OK\r\n", 5000), QByteArray("\r\nOK\r\n"));
    QVERIFY2(played.elapsed() >= 450, qPrintable(QString::number(played.elapsed())));

    QFile wav(wavPath);
    QVERIFY(wav.open(QIODevice::ReadOnly));
    const QByteArray file = wav.readAll();
    QCOMPARE(file.left(4), QByteArray("RIFF"));
    const QByteArray fmt = WavChunk(file, "fmt ");
    QVERIFY(fmt.size() >= 16);
    QCOMPARE(int(quint8(fmt[0])), formatTag);
    QCOMPARE(int(quint8(fmt[2])), 1);                          // mono
    QCOMPARE(int(quint8(fmt[4]) | quint8(fmt[5]) << 8), 8000); // rate
    QCOMPARE(int(quint8(fmt[14])), 8);                         // bits
    QByteArray expected = audio;
    if (signedSamples) {
        for (char& c : expected)
            c = char(quint8(c) ^ 0x80);
    }
    QCOMPARE(WavChunk(file, "data"), expected);

    // Back in command mode.
    QCOMPARE(modem.command("ATH0"), QByteArray("\r\nOK\r\n"));
}

void TestFakeModem::cancelEndsPlaybackAtOnce() {
    const QString wavPath = m_dir.filePath(QStringLiteral("cancel.wav"));
    Emulator modem;
    QVERIFY(modem.start({QStringLiteral("--record"), wavPath}));
    modem.command("AT+FCLASS=8");
    modem.command("AT+VLS=1");
    QCOMPARE(modem.command("AT+VTX"), QByteArray("\r\nCONNECT\r\n"));
    QElapsedTimer t;
    t.start();
    // Ten seconds of audio, then cancel and end.
    modem.port.write(QByteArray(80000, '\x80') + kDle + '\x18' + kDle + '\x03');
    modem.port.flush();
    QCOMPARE(modem.readUntil("OK\r\n", 5000), QByteArray("\r\nOK\r\n"));
    QVERIFY(t.elapsed() < 3000);
    QCOMPARE(modem.command("AT"), QByteArray("\r\nOK\r\n"));
    QFile wav(wavPath);
    QVERIFY(wav.open(QIODevice::ReadOnly));
    QCOMPARE(WavChunk(wav.readAll(), "data").size(), 80000);
}

void TestFakeModem::unplugClosesThePort() {
    const QString logPath = m_dir.filePath(QStringLiteral("unplug.log"));
    Emulator modem;
    QVERIFY(modem.start({QStringLiteral("--log"), logPath}));
    QCOMPARE(modem.command("ATZ"), QByteArray("\r\nOK\r\n"));
    modem.script("unplug");
    QVERIFY(modem.process.waitForFinished(3000));
    QCOMPARE(modem.process.exitCode(), 0);
    // The client's port fails instead of waiting for an answer forever.
    modem.port.write("AT\r");
    modem.port.waitForReadyRead(200);
    QVERIFY(modem.port.error() != QSerialPort::NoError || !QFile::exists(modem.device));

    QFile log(logPath);
    QVERIFY(log.open(QIODevice::ReadOnly));
    const QByteArrayList lines = log.readAll().split('\n');
    QVERIFY(lines.size() > 3);
    // "<ms> RX ATZ", "<ms> TX OK", ... "<ms> EV unplug"
    QByteArrayList kinds;
    for (const QByteArray& l : lines) {
        const QByteArrayList parts = l.split(' ');
        if (parts.size() < 3)
            continue;
        bool ok = false;
        QVERIFY(parts[0].toLongLong(&ok) > 0 && ok);
        kinds << parts.mid(1).join(' ');
    }
    QVERIFY(kinds.contains("RX ATZ"));
    QVERIFY(kinds.contains("TX OK"));
    QCOMPARE(kinds.last(), QByteArray("EV unplug"));
}

void TestFakeModem::terminateRemovesLink() {
    const QString link = m_dir.filePath(QStringLiteral("ttyFake"));
    Emulator modem;
    modem.process.setStandardInputFile(QProcess::nullDevice()); // input ends at once
    QVERIFY(modem.start({QStringLiteral("--link"), link}));
    QCOMPARE(QFileInfo(link).symLinkTarget(), modem.device);
    // The end of standard input does not end the emulator.
    QCOMPARE(modem.command("AT"), QByteArray("\r\nOK\r\n"));
    modem.process.terminate();
    QVERIFY(modem.process.waitForFinished(3000));
    QCOMPARE(modem.process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(modem.process.exitCode(), 0);
    QVERIFY(!QFileInfo::exists(link) && !QFileInfo(link).isSymLink());
}

QTEST_GUILESS_MAIN(TestFakeModem)
#include "tst_fakemodem.moc"
