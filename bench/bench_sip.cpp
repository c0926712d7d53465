// SIP line figures, through the real SIP line service and call screening engine, with SIPp as
// the caller and the registrar on 127.0.0.1:
//   sip_invite_to_answer_ms  SIPp's time from sending a listed caller's INVITE to receiving
//                            the 200 OK (median of the calls)
//   sip_rtp_jitter_ms        99th percentile of |packet spacing - 20 ms| over a whole message;
//                            sip_rtp_jitter_busy_gui_ms the same while the program's own
//                            thread is kept busy for 2 s of it
//   sip_idle_cpu_percent     CPU used by the process with two registered accounts idle, 10 s
//   sip_flood_invites_per_s  INVITEs from a stranger the line refuses (403) or drops unanswered
//                            per second while a call's message plays (at most the 10,000 a
//                            second sent); sip_flood_rtp_jitter_ms is that message's jitter
//   sip_register_attempts_on_bad_password
//                            REGISTERs an account sends in its first minute against a registrar
//                            that answers every one with a new 401 (a wrong password, as
//                            Asterisk and most providers refuse it)

#include "support/SipRig.h"
#include "support/Sipp.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

const QString kOffer =
    QStringLiteral("v=0\no=caller 1 1 IN IP4 127.0.0.1\ns=-\nc=IN IP4 127.0.0.1\n"
                   "t=0 0\nm=audio %RTPPORT% RTP/AVP 0 101\n"
                   "a=rtpmap:101 telephone-event/8000\n");
const QString kAwaitBye = QStringLiteral(
    "<recv request=\"BYE\" timeout=\"30000\"/>\n<send><![CDATA[\n\nSIP/2.0 200 OK\n[last_Via:]\n"
    "[last_From:]\n[last_To:]\n[last_Call-ID:]\n[last_CSeq:]\nContent-Length: 0\n\n]]></send>\n");

QMap<QString, QString> ListedCaller(int rtpPort) {
    return {{QStringLiteral("FROM"), QStringLiteral("<sip:5551234567@127.0.0.1>")},
            {QStringLiteral("OFFER"), kOffer},
            {QStringLiteral("ANSWER"), QString()},
            {QStringLiteral("MIDDLE"), QString()},
            {QStringLiteral("TAIL"), kAwaitBye},
            {QStringLiteral("RTPPORT"), QString::number(rtpPort)}};
}

int UdpSocket(const char* ip, sockaddr_in* bound) {
    const int fd = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    inet_pton(AF_INET, ip, &a.sin_addr);
    bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    socklen_t len = sizeof a;
    getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
    timeval tv{0, 50000};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    if (bound)
        *bound = a;
    return fd;
}

// Takes the line's RTP on a thread of its own, so the times are not the event loop's.
class RtpCapture {
public:
    RtpCapture() : m_fd(UdpSocket("127.0.0.1", &m_addr)) {
        m_thread = std::thread([this] {
            char buf[2048];
            while (!m_stop) {
                const ssize_t n = recv(m_fd, buf, sizeof buf, 0);
                if (n > 12 && (buf[1] & 0x7F) < 96) {
                    std::lock_guard lock(m_mutex);
                    m_arrivalsUs.push_back(std::chrono::duration_cast<std::chrono::microseconds>(
                                               Clock::now().time_since_epoch())
                                               .count());
                }
            }
        });
    }
    ~RtpCapture() {
        m_stop = true;
        m_thread.join();
        close(m_fd);
    }
    int port() const { return ntohs(m_addr.sin_port); }
    size_t packets() {
        std::lock_guard lock(m_mutex);
        return m_arrivalsUs.size();
    }
    // The 99th percentile of |spacing - 20 ms|, and the worst, in ms.
    std::pair<double, double> jitter() {
        std::lock_guard lock(m_mutex);
        std::vector<double> dev;
        for (size_t i = 1; i < m_arrivalsUs.size(); ++i)
            dev.push_back(std::abs(double(m_arrivalsUs[i] - m_arrivalsUs[i - 1]) / 1000.0 - 20.0));
        if (dev.empty())
            return {-1, -1};
        std::sort(dev.begin(), dev.end());
        std::fprintf(stderr, "RTP spacing deviation: median %.2f p90 %.2f p99 %.2f ms of %zu\n",
                     dev[dev.size() / 2], dev[dev.size() * 9 / 10], dev[dev.size() * 99 / 100],
                     dev.size());
        return {dev[std::min(dev.size() - 1, dev.size() * 99 / 100)], dev.back()};
    }

private:
    sockaddr_in m_addr{};
    int m_fd;
    std::atomic<bool> m_stop{false};
    std::mutex m_mutex;
    std::vector<long long> m_arrivalsUs;
    std::thread m_thread;
};

bool Wait(const std::function<bool()>& done, int ms) {
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > ms)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
    return true;
}

// SIPp's message trace: the time of each INVITE sent and of the 200 OK that answered it.
std::vector<double> AnswerTimes(const QString& tracePath) {
    QFile f(tracePath);
    std::vector<double> ms;
    if (!f.open(QIODevice::ReadOnly))
        return ms;
    double inviteAt = -1;
    const QList<QByteArray> blocks = f.readAll().split('\n');
    double stamp = 0;
    QByteArray direction;
    for (qsizetype i = 0; i < blocks.size(); ++i) {
        const QByteArray& line = blocks[i];
        if (line.startsWith("-----") && line.size() > 60) {
            const QList<QByteArray> parts = line.split(' ');
            const QList<QByteArray> hms = parts.last().split(':'); // hh:mm:ss.micro
            if (hms.size() == 3)
                stamp = (hms[0].toDouble() * 3600 + hms[1].toDouble() * 60 + hms[2].toDouble()) *
                        1000.0;
            direction = i + 1 < blocks.size() ? blocks[i + 1].left(24) : QByteArray();
            continue;
        }
        if (line.startsWith("INVITE ") && direction.contains("sent"))
            inviteAt = stamp;
        if (line.startsWith("SIP/2.0 200") && direction.contains("received") && inviteAt >= 0) {
            ms.push_back(stamp - inviteAt);
            inviteAt = -1;
        }
    }
    return ms;
}

void InviteToAnswer() {
    SipRig rig;
    rig.prepare(200, 5551234567.0);
    rig.start();
    const int calls = 15;
    const QString trace = rig.dir.filePath(QStringLiteral("messages.log"));
    QProcess* caller = rig.sipp(QStringLiteral("caller"), ListedCaller(rig.rtp.localPort()),
                                {QStringLiteral("-m"), QString::number(calls), QStringLiteral("-l"),
                                 QStringLiteral("1"), QStringLiteral("-trace_msg"),
                                 QStringLiteral("-message_file"), trace});
    if (!rig.passed(caller, 120000))
        return;
    std::vector<double> ms = AnswerTimes(trace);
    if (ms.empty()) {
        std::fprintf(stderr, "bench_sip: SIPp measured no answer\n");
        return;
    }
    std::sort(ms.begin(), ms.end());
    std::printf("sip_invite_to_answer_ms %.2f ms\n", ms[ms.size() / 2]);
    std::fprintf(stderr, "sip_invite_to_answer_ms: %zu calls, max %.2f ms\n", ms.size(), ms.back());
}

// A listed caller hears a message of messageMs; during it, busy() runs on the program's
// thread. Returns the capture's jitter.
std::pair<double, double> MessageJitter(SipRig& rig, int messageMs,
                                        const std::function<void()>& busy) {
    RtpCapture capture;
    rig.prepare(messageMs, 5551234567.0);
    rig.start();
    QProcess* caller = rig.sipp(QStringLiteral("caller"), ListedCaller(capture.port()));
    if (!Wait([&] { return capture.packets() > 0; }, 10000))
        return {-1, -1};
    busy();
    if (!rig.passed(caller, 60000))
        return {-1, -1};
    const size_t expected = size_t(messageMs / 20);
    if (capture.packets() < expected)
        std::fprintf(stderr, "bench_sip: %zu of %zu packets arrived\n", capture.packets(),
                     expected);
    return capture.jitter();
}

void Jitter() {
    {
        SipRig rig;
        const auto [p99, worst] = MessageJitter(rig, 5000, [] {});
        std::printf("sip_rtp_jitter_ms %.2f ms\n", p99);
        std::fprintf(stderr, "sip_rtp_jitter_ms: worst %.2f ms\n", worst);
    }
    SipRig rig;
    const auto [p99, worst] = MessageJitter(rig, 5000, [] {
        // The program's thread is busy for 2 s: the packets must go on regardless.
        const auto end = Clock::now() + std::chrono::seconds(2);
        while (Clock::now() < end) {
        }
    });
    std::printf("sip_rtp_jitter_busy_gui_ms %.2f ms\n", p99);
    std::fprintf(stderr, "sip_rtp_jitter_busy_gui_ms: worst %.2f ms\n", worst);
}

void IdleCpu() {
    const int port1 = SipRig::FreePort();
    const int port2 = SipRig::FreePort();
    QList<SipLineConfig> lines;
    for (int port : {port1, port2}) {
        SipLineConfig c;
        c.account = QStringLiteral("sip:alice@127.0.0.1:%1").arg(port);
        c.listen = QStringLiteral("127.0.0.1:0");
        c.password = QStringLiteral("secret");
        lines.append(c);
    }
    SipRig rig(lines);
    QList<QProcess*> registrars;
    for (int port : {port1, port2})
        registrars.append(rig.sipp(QStringLiteral("registrar"),
                                   sipp::Registrar(QStringLiteral("secret"), 60),
                                   {QStringLiteral("-p"), QString::number(port)}, false));
    QThread::msleep(300);
    rig.start();
    for (QProcess* r : registrars) {
        if (!rig.passed(r))
            return;
    }
    if (!rig.service->lastError(0).isEmpty() || !rig.service->lastError(1).isEmpty()) {
        std::fprintf(stderr, "bench_sip: an account did not register\n");
        return;
    }
    rusage before{};
    getrusage(RUSAGE_SELF, &before);
    QElapsedTimer wall;
    wall.start();
    QEventLoop idle;
    QTimer::singleShot(10000, &idle, &QEventLoop::quit);
    idle.exec();
    rusage after{};
    getrusage(RUSAGE_SELF, &after);
    auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    const double cpu = seconds(after.ru_utime) - seconds(before.ru_utime) +
                       seconds(after.ru_stime) - seconds(before.ru_stime);
    std::printf("sip_idle_cpu_percent %.3f %%\n", 100.0 * cpu / (double(wall.elapsed()) / 1000.0));
}

// INVITEs from 127.0.0.2, a stranger to the line, kFloodRate a second (a scanner's pace on a
// fast link), sent without waiting for answers: the line answers the first few a second with
// 403 and drops the rest unanswered.
constexpr double kFloodRate = 10000;

struct FloodCount {
    long sent = 0;
    long refused = 0; // 403s that came back
    double seconds = 0;
};

void Flood(int target, std::atomic<bool>& stop, FloodCount* count) {
    sockaddr_in local{};
    const int fd = UdpSocket("127.0.0.2", &local);
    timeval tv{0, 1000};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(uint16_t(target));
    inet_pton(AF_INET, "127.0.0.1", &to.sin_addr);
    connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to);
    const int lport = ntohs(local.sin_port);
    const auto start = Clock::now();
    char buf[2048];
    while (!stop) {
        const double due = std::chrono::duration<double>(Clock::now() - start).count() * kFloodRate;
        while (double(count->sent) < due) {
            const QByteArray invite =
                QStringLiteral("INVITE sip:hushwire@127.0.0.1:%1 SIP/2.0\r\n"
                               "Via: SIP/2.0/UDP 127.0.0.2:%2;branch=z9hG4bKscan%3\r\n"
                               "From: <sip:100@127.0.0.2>;tag=s%3\r\nTo: <sip:100@127.0.0.1>\r\n"
                               "Call-ID: scan%3@127.0.0.2\r\nCSeq: 1 INVITE\r\n"
                               "Max-Forwards: 70\r\nContent-Length: 0\r\n\r\n")
                    .arg(target)
                    .arg(lport)
                    .arg(count->sent)
                    .toLatin1();
            send(fd, invite.constData(), size_t(invite.size()), 0);
            ++count->sent;
        }
        const ssize_t n = recv(fd, buf, sizeof buf, 0);
        if (n > 12 && std::strncmp(buf, "SIP/2.0 403", 11) == 0)
            ++count->refused;
    }
    count->seconds = std::chrono::duration<double>(Clock::now() - start).count();
    close(fd);
}

// Datagrams the kernel dropped for the UDP sockets on 127.0.0.1:port because they were not
// read in time: what reaches the line is what was sent less these.
long SocketDrops(int port) {
    QFile table(QStringLiteral("/proc/net/udp"));
    if (!table.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray local =
        QByteArray("0100007F:") + QByteArray::number(port, 16).toUpper().rightJustified(4, '0');
    long drops = 0;
    for (const QByteArray& line : table.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() >= 13 && fields[1] == local)
            drops += fields.last().toLong();
    }
    return drops;
}

void FloodDuringCall() {
    SipRig rig;
    std::atomic<bool> stop{false};
    FloodCount count;
    long dropped = 0;
    std::thread flood;
    const auto [p99, worst] = MessageJitter(rig, 5000, [&] {
        const long dropsBefore = SocketDrops(rig.sipPort);
        flood = std::thread([&] { Flood(rig.sipPort, stop, &count); });
        Wait([] { return false; }, 3000);
        stop = true;
        flood.join();
        QThread::msleep(100); // the last ones are read
        dropped = SocketDrops(rig.sipPort) - dropsBefore;
    });
    const bool calm = rig.log.texts().filter(QStringLiteral("Ring")).size() == 1;
    // Refused with a 403 or dropped unanswered by the line; not those the kernel dropped because
    // the line did not read them in time. At most the rate sent.
    const double handled = double(count.sent - dropped);
    std::printf("sip_flood_invites_per_s %.0f /s\n",
                count.seconds > 0 ? handled / count.seconds : 0);
    std::printf("sip_flood_rtp_jitter_ms %.2f ms\n", p99);
    std::fprintf(stderr,
                 "sip_flood: %ld INVITEs sent at %.0f/s, %ld answered with 403, %ld lost unread; "
                 "worst spacing deviation %.2f ms; %s\n",
                 count.sent, kFloodRate, count.refused, dropped, worst,
                 calm ? "no stranger's call was offered" : "A STRANGER'S CALL WAS OFFERED");
}

// A registrar on its own thread that challenges every REGISTER with a fresh nonce, as a server
// does when the password is wrong, and counts them.
void ChallengeEveryRegister(int fd, std::atomic<bool>& stop, std::atomic<int>& registers) {
    char buf[4096];
    while (!stop) {
        sockaddr_in from{};
        socklen_t len = sizeof from;
        const ssize_t n =
            recvfrom(fd, buf, sizeof buf - 1, 0, reinterpret_cast<sockaddr*>(&from), &len);
        if (n <= 0 || std::strncmp(buf, "REGISTER ", 9) != 0)
            continue;
        const int count = ++registers;
        QByteArray reply = "SIP/2.0 401 Unauthorized\r\n";
        for (const QByteArray& line : QByteArray(buf, n).split('\n')) {
            const QByteArray h = line.trimmed();
            const QByteArray lower = h.toLower();
            if (lower.startsWith("via:") || lower.startsWith("from:") ||
                lower.startsWith("call-id:") || lower.startsWith("cseq:"))
                reply += h + "\r\n";
            else if (lower.startsWith("to:"))
                reply += h + ";tag=bench\r\n";
        }
        reply += "WWW-Authenticate: Digest realm=\"bench\", nonce=\"n" + QByteArray::number(count) +
                 "\", qop=\"auth\", algorithm=MD5\r\nContent-Length: 0\r\n\r\n";
        sendto(fd, reply.constData(), size_t(reply.size()), 0, reinterpret_cast<sockaddr*>(&from),
               len);
    }
}

void RegisterAttemptsOnBadPassword(int seconds) {
    sockaddr_in bound{};
    const int fd = UdpSocket("127.0.0.1", &bound);
    std::atomic<bool> stop{false};
    std::atomic<int> registers{0};
    std::thread registrar([&] { ChallengeEveryRegister(fd, stop, registers); });
    SipLineConfig c;
    c.account = QStringLiteral("sip:alice@127.0.0.1:%1").arg(ntohs(bound.sin_port));
    c.listen = QStringLiteral("127.0.0.1:0");
    c.password = QStringLiteral("wrong");
    {
        SipRig rig({c});
        rig.start();
        Wait([] { return false; }, seconds * 1000);
        stop = true;
    }
    registrar.join();
    close(fd);
    std::printf("sip_register_attempts_on_bad_password %d REGISTERs\n", registers.load());
    std::fprintf(stderr, "sip_register_attempts_on_bad_password: over %d s\n", seconds);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList only = app.arguments().mid(1); // the figures to measure, else all
    auto wanted = [&](const char* name) {
        return only.isEmpty() || only.contains(QLatin1String(name));
    };
    if (wanted("answer"))
        InviteToAnswer();
    if (wanted("jitter"))
        Jitter();
    if (wanted("idle"))
        IdleCpu();
    if (wanted("flood"))
        FloodDuringCall();
    if (wanted("password"))
        RegisterAttemptsOnBadPassword(60);
    // Timing figures depend on what else the machine is doing.
    QFile load(QStringLiteral("/proc/loadavg"));
    if (load.open(QIODevice::ReadOnly))
        std::fprintf(stderr, "bench_sip: load average %s", load.readAll().constData());
    return 0;
}
