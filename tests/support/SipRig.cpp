#include "support/SipRig.h"
#include "support/WavWriter.h"

#include "platform/audio/PcmConvert.h"
#include "platform/audio/WaveFile.h"
#include "support/EngineHarness.h"
#include "support/Sipp.h"

#include <QElapsedTimer>
#include <QFile>
#include <QNetworkDatagram>
#include <QtEndian>

SipRig::SipRig(QList<SipLineConfig> lines) {
    sipPort = FreePort();
    if (lines.isEmpty()) {
        SipLineConfig c;
        c.listen = QStringLiteral("127.0.0.1:%1").arg(sipPort);
        c.allow = {QStringLiteral("127.0.0.1")};
        lines.append(c);
    }
    rtp.bind(QHostAddress::LocalHost, 0);
    QObject::connect(&rtp, &QUdpSocket::readyRead, &rtp, [this] {
        static QElapsedTimer clock;
        if (!clock.isValid())
            clock.start();
        while (rtp.hasPendingDatagrams()) {
            const QByteArray packet = rtp.receiveDatagram().data();
            if (packet.size() > 12 && (packet.at(1) & 0x7F) < 96) { // audio, not events
                heard.append(packet.mid(12));
                arrivals.append(clock.elapsed());
            }
        }
    });
    lists = std::make_unique<PhoneLists>(dir.path());
    service = std::make_unique<SipLineService>(lines);
    wave = std::make_unique<Wave>(mmio, service->sipWaveOut());
    // Every SIP line is chosen: Line0 .. Line<n-1>.
    const int count = int(lines.size());
    engine = std::make_unique<CallScreener>(
        EngineDeps{*service, timers, loop, log, *lists, *wave, sound, dir.path(), [] {}});
    EngineOptions options;
    for (int i = 0; i < count && i < EngineOptions::kLines; ++i)
        options.lines[size_t(i)].choice = QStringLiteral("1");
    engine->setOptions(options);
}

SipRig::~SipRig() {
    for (auto& p : processes) {
        if (p->state() != QProcess::NotRunning) {
            p->kill();
            p->waitForFinished(3000);
        }
    }
    engine->CloseTelephony();
}

int SipRig::FreePort() {
    QUdpSocket probe;
    probe.bind(QHostAddress::LocalHost, 0);
    return probe.localPort();
}

void SipRig::prepare(int messageMs, double listedNumber) {
    QFile message(engine->messagePath());
    if (message.open(QIODevice::WriteOnly))
        message.write(wavwriter::ToneWav(messageMs, 1, 16, 22050));
    QFile list(dir.filePath(QStringLiteral("public.tel")));
    if (list.open(QIODevice::WriteOnly)) {
        char rec[8];
        qToLittleEndian(listedNumber, rec);
        list.write(rec, 8);
    }
    list.close();
    lists->LoadPhoneLists();
}

void SipRig::start() {
    engine->ResetLines();
    engine->InitTelephony();
    engine->OpenLines();
}

QByteArray SipRig::expectedAudio(ModemVoiceFormat codec) {
    WaveFormatEx format;
    std::vector<uint8_t> pcm;
    if (ReadWaveFile(mmio, engine->messagePath(), &format, &pcm) != WaveFileError::None)
        return {};
    QByteArray audio = ConvertForModem(format, pcm.data(), pcm.size(), codec);
    // The last packet is filled up with silence.
    const char silence = codec == ModemVoiceFormat::ALaw ? char(0xD5) : char(0xFF);
    while (audio.size() % 160)
        audio.append(silence);
    return audio;
}

QProcess* SipRig::sipp(const QString& name, QMap<QString, QString> vars, QStringList extra,
                       bool towardLine) {
    if (!vars.contains(QStringLiteral("RTPPORT")))
        vars.insert(QStringLiteral("RTPPORT"), QString::number(rtp.localPort()));
    if (!vars.contains(QStringLiteral("CONTACT"))) // a registrar grants the Contact it got
        vars.insert(QStringLiteral("CONTACT"), QStringLiteral("[$contact]"));
    if (sippPort == 0)
        sippPort = FreePort();
    QStringList args;
    if (!extra.contains(QStringLiteral("-i")))
        args << QStringLiteral("-i") << QStringLiteral("127.0.0.1");
    if (!extra.contains(QStringLiteral("-p")))
        args << QStringLiteral("-p") << QString::number(sippPort + int(processes.size()));
    if (towardLine)
        args << QStringLiteral("127.0.0.1:%1").arg(sipPort);
    args << extra;
    if (qEnvironmentVariableIsSet("HW_SIPP_TRACE")) // for a look at the messages while debugging
        args << QStringLiteral("-trace_msg") << QStringLiteral("-message_file")
             << qEnvironmentVariable("HW_SIPP_TRACE") + QString::number(processes.size());
    processes.push_back(sipp::start(dir.path(), name, vars, args));
    return processes.back().get();
}

bool SipRig::passed(QProcess* process, int timeoutMs) {
    return sipp::passed(process, timeoutMs);
}

bool SipRig::passedWhileBusy(QProcess* process, int timeoutMs) {
    return sipp::passed(process, timeoutMs, false);
}
