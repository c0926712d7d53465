#include "support/Sipp.h"

#include <QEventLoop>
#include <QFile>
#include <QTimer>

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

} // namespace sipp
