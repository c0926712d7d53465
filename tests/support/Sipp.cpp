#include "support/Sipp.h"

#include "platform/audio/PcmConvert.h"

#include <QDataStream>
#include <QEventLoop>
#include <QFile>
#include <QTimer>

#include <cmath>

namespace sipp {

std::unique_ptr<QProcess> start(const QString& folder, const QString& name, Vars vars,
                                const QStringList& args) {
    QFile source(QStringLiteral(HW_SOURCE_DIR "/tests/sip/scenarios/%1.xml").arg(name));
    QString xml =
        source.open(QIODevice::ReadOnly) ? QString::fromUtf8(source.readAll()) : QString();
    for (int pass = 0; pass < 2; ++pass) {
        for (auto it = vars.cbegin(); it != vars.cend(); ++it)
            xml.replace(QLatin1Char('%') + it.key() + QLatin1Char('%'), it.value());
    }
    static int count = 0;
    const QString path = folder + QStringLiteral("/%1-%2.xml").arg(name).arg(++count);
    QFile out(path);
    if (out.open(QIODevice::WriteOnly))
        out.write(xml.toUtf8());
    out.close();
    QStringList all{QStringLiteral("-sf"),      path,
                    QStringLiteral("-nostdin"), QStringLiteral("-timeout"),
                    QStringLiteral("30s"),      QStringLiteral("-timeout_error")};
    if (!args.contains(QStringLiteral("-m")))
        all << QStringLiteral("-m") << QStringLiteral("1");
    all << args;
    auto process = std::make_unique<QProcess>();
    process->setWorkingDirectory(folder);
    process->setProcessChannelMode(QProcess::MergedChannels);
    process->start(QStringLiteral("sipp"), all);
    process->waitForStarted(5000);
    return process;
}

bool passed(QProcess* process, int timeoutMs, bool runEventLoop) {
    bool finished = process->state() == QProcess::NotRunning;
    if (!finished && runEventLoop) {
        // A plain event loop: events are handled the moment they come, as in the program.
        QEventLoop wait;
        QObject::connect(process, &QProcess::finished, &wait, &QEventLoop::quit);
        QTimer::singleShot(timeoutMs, &wait, &QEventLoop::quit);
        wait.exec();
        finished = process->state() == QProcess::NotRunning;
    } else if (!finished) {
        finished = process->waitForFinished(timeoutMs);
    }
    const bool ok =
        finished && process->exitStatus() == QProcess::NormalExit && process->exitCode() == 0;
    if (!ok) {
        const QByteArray output = process->readAll();
        qWarning("SIPp %s (exit %d):\n%s", finished ? "failed" : "did not finish",
                 process->exitCode(), output.right(3000).constData());
    }
    return ok;
}

Vars Registrar(const QString& password, int expiresS, const QString& refresh) {
    return {{QStringLiteral("PASSWORD"), password},
            {QStringLiteral("EXPIRES"), QString::number(expiresS)},
            {QStringLiteral("REFRESH"), refresh},
            {QStringLiteral("CONTACT"), QStringLiteral("[$contact]")}};
}

QString Sdp(const QString& formats) {
    QString sdp = QStringLiteral("v=0\no=caller 1 1 IN IP4 127.0.0.1\ns=-\nc=IN IP4 127.0.0.1\n"
                                 "t=0 0\nm=audio %RTPPORT% RTP/AVP ") +
                  formats + QStringLiteral("\n");
    if (formats.contains(QLatin1String("101")))
        sdp += QStringLiteral("a=rtpmap:101 telephone-event/8000\na=fmtp:101 0-15\n");
    return sdp;
}

Vars Caller(const QString& from, const QString& middle, const QString& tail) {
    return {{QStringLiteral("FROM"), from},
            {QStringLiteral("OFFER"), Sdp(QStringLiteral("0 8 101"))},
            {QStringLiteral("ANSWER"), QString()},
            {QStringLiteral("MIDDLE"), middle},
            {QStringLiteral("TAIL"), tail}};
}

QString AwaitBye() {
    return QStringLiteral("<recv request=\"BYE\" timeout=\"30000\"/>\n<send><![CDATA[\n\n"
                          "SIP/2.0 200 OK\n[last_Via:]\n[last_From:]\n[last_To:]\n"
                          "[last_Call-ID:]\n[last_CSeq:]\nContent-Length: 0\n\n]]></send>\n");
}

QString Request(const QString& method, int cseq, const QString& type, const QString& body) {
    return QStringLiteral(
               "<send retrans=\"500\"><![CDATA[\n\n%1 sip:hushwire@[remote_ip]:[remote_port] "
               "SIP/2.0\nVia: SIP/2.0/[transport] [local_ip]:[local_port];branch=[branch]\n"
               "From: %FROM%;tag=[pid]SIPpTag00[call_number]\nTo: <sip:hushwire@[remote_ip]:"
               "[remote_port]>[peer_tag_param]\nCall-ID: [call_id]\nCSeq: %2 %1\n"
               "Contact: <sip:sipp@[local_ip]:[local_port]>\nMax-Forwards: 70\n%3"
               "Content-Length: [len]\n\n%4\n]]></send>\n")
        .arg(method)
        .arg(cseq)
        .arg(type.isEmpty() ? QString() : QStringLiteral("Content-Type: %1\n").arg(type), body);
}

QString HangUp(int afterMs) {
    return QStringLiteral("<pause milliseconds=\"%1\"/>\n").arg(afterMs) +
           Request(QStringLiteral("BYE"), 20, {}, {}) +
           QStringLiteral("<recv response=\"200\"/>\n");
}

QString KeysAsEvents(const QString& keys) {
    QString events;
    for (const QChar key : keys)
        events += QStringLiteral("<nop><action><exec play_pcap_audio=\"/usr/share/sip-tester/"
                                 "dtmf_2833_%1.pcap\"/></action></nop>\n"
                                 "<pause milliseconds=\"400\"/>\n")
                      .arg(key);
    return events;
}

namespace {

// One packet of a capture: Ethernet, IPv4 and UDP around the RTP packet, as SIPp replays it.
QByteArray CapturedRtp(uint16_t sequence, const QByteArray& payload) {
    QByteArray rtp(12, '\0');
    rtp[0] = char(0x80);
    rtp[1] = 0; // PCMU
    rtp[2] = char(sequence >> 8);
    rtp[3] = char(sequence & 0xFF);
    const uint32_t ts = uint32_t(sequence) * 160;
    for (int i = 0; i < 4; ++i)
        rtp[4 + i] = char(ts >> (24 - 8 * i));
    rtp[8] = 0x12; // SSRC
    rtp += payload;
    QByteArray packet;
    QDataStream out(&packet, QIODevice::WriteOnly); // big-endian, the network's order
    out.writeRawData("\0\1\2\3\4\5\0\1\2\3\4\6", 12);
    out << quint16(0x0800);
    out << quint8(0x45) << quint8(0) << quint16(20 + 8 + rtp.size()) << quint16(sequence)
        << quint16(0) << quint8(64) << quint8(17) << quint16(0) << quint32(0x7F000001)
        << quint32(0x7F000001);
    out << quint16(6000) << quint16(6000) << quint16(8 + rtp.size()) << quint16(0);
    out.writeRawData(rtp.constData(), int(rtp.size()));
    return packet;
}

} // namespace

QString KeysInBand(const QString& folder, const QString& keys) {
    static const QMap<QChar, std::pair<double, double>> tones{
        {u'1', {697, 1209}}, {u'2', {697, 1336}}, {u'3', {697, 1477}}, {u'4', {770, 1209}},
        {u'5', {770, 1336}}, {u'6', {770, 1477}}, {u'7', {852, 1209}}, {u'8', {852, 1336}},
        {u'9', {852, 1477}}, {u'*', {941, 1209}}, {u'0', {941, 1336}}, {u'#', {941, 1477}}};
    const QString path = folder + QStringLiteral("/inband.pcap");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    QDataStream out(&file);
    out.setByteOrder(QDataStream::LittleEndian);
    out << quint32(0xa1b2c3d4) << quint16(2) << quint16(4) << qint32(0) << quint32(0)
        << quint32(65535) << quint32(1);
    uint16_t sequence = 0;
    int sample = 0;
    for (const QChar key : keys) {
        const auto [low, high] = tones.value(key);
        for (int packet = 0; packet < 10; ++packet) { // 5 of tone, 5 of silence
            QByteArray payload(160, char(0xFF));
            for (int i = 0; packet < 5 && i < 160; ++i, ++sample) {
                const double t = double(sample) / 8000.0;
                const double v =
                    6000.0 * (std::sin(2 * M_PI * low * t) + std::sin(2 * M_PI * high * t));
                payload[i] = char(LinearToMuLaw(int16_t(v)));
            }
            const QByteArray data = CapturedRtp(sequence, payload);
            const quint32 us = quint32(sequence) * 20000;
            out << quint32(us / 1000000) << quint32(us % 1000000) << quint32(data.size())
                << quint32(data.size());
            out.writeRawData(data.constData(), int(data.size()));
            ++sequence;
        }
    }
    file.close();
    return QStringLiteral("<nop><action><exec play_pcap_audio=\"%1\"/></action></nop>\n"
                          "<pause milliseconds=\"%2\"/>\n")
        .arg(path)
        .arg(keys.size() * 200 + 200);
}

} // namespace sipp
