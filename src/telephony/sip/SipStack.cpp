#include "telephony/sip/SipStack.h"

#include "telephony/sip/AddressFilter.h"
#include "telephony/sip/HostAddresses.h"
#include "telephony/sip/LibreApi.h"
#include "telephony/sip/SipAccount.h"
#include "telephony/sip/SipIdentityFromMsg.h"
#include "telephony/sip/SipLeg.h"
#include "telephony/sip/SipMethods.h"
#include "telephony/sip/SipRegistration.h"
#include "telephony/sip/StrangerReplies.h"
#include "telephony/sip/TlsServerName.h"

#include <QHostAddress>

#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

namespace {

enum Command { CmdOpen, CmdClose, CmdAnswer, CmdDrop, CmdPlay, CmdStop, CmdTransfer, CmdQuit };

struct CommandData {
    uint32_t call = 0; // or the line, to open or close
    QByteArray audio;
    uint32_t sequence = 0;
};

std::once_flag g_libreInit;
int g_libreInitResult = 0;

QString toQString(const pl& p) {
    return QString::fromUtf8(p.p, qsizetype(p.l));
}

QHostAddress toHostAddress(const sa& a) {
    if (sa_af(&a) == AF_INET)
        return QHostAddress(sa_in(&a));
    if (sa_af(&a) == AF_INET6) {
        quint8 bytes[16];
        sa_in6(&a, bytes);
        return QHostAddress(bytes);
    }
    return {};
}

sa toSa(const QHostAddress& address, uint16_t port) {
    sa result;
    sa_init(&result, AF_UNSPEC);
    const QByteArray text = address.toString().toLatin1();
    sa_set_str(&result, text.constData(), port);
    return result;
}

bool isNetworkError(int err) {
    return err == ENETUNREACH || err == EHOSTUNREACH || err == EADDRNOTAVAIL || err == ENETDOWN;
}

sip_transp transportOf(const QString& name) {
    if (name.compare(QLatin1String("tcp"), Qt::CaseInsensitive) == 0)
        return SIP_TRANSP_TCP;
    if (name.compare(QLatin1String("tls"), Qt::CaseInsensitive) == 0)
        return SIP_TRANSP_TLS;
    return SIP_TRANSP_UDP;
}

// How long shutting down waits for the lines' un-REGISTERs to be answered, challenge and all.
constexpr uint64_t kUnregisterWaitMs = 2000;
// A refresh the registrar answered with an error is tried again this much later; the binding
// stays meanwhile.
constexpr uint64_t kRefreshRetryMs = 30000;

} // namespace

struct SipLineState;

// One libre SIP stack of a line, for its whole life: a closed line's stack stays until its
// un-REGISTER has been answered, so the provider does not keep ringing a dead contact.
struct SipStackTag {
    SipLineState* line = nullptr;
    sip* stack = nullptr;
    bool exited = false;                          // libre has no transaction of its left
    std::unique_ptr<SipRegistration> withdrawing; // its un-REGISTER, until the stack is gone
};

// One SIP line on the SIP thread: its own SIP stack and socket, its filter, its registration,
// and the one call it can carry.
struct SipLineState {
    SipStack::Thread* owner = nullptr;
    int index = 0;
    SipLineConfig config;
    SipAccount account;
    AddressFilter filter{QStringList()};
    bool filtered = false;
    StrangerReplies strangers;
    sip_transp transport = SIP_TRANSP_UDP;
    sa local{};
    bool anyAddress = false;       // listens on every address of the host
    QList<QHostAddress> addresses; // ...these, when it was opened
    bool networkChanged = false;   // a REGISTER failed for the network: look again first
    tmr networkCheck{};
    sip* stack = nullptr;
    std::unique_ptr<SipStackTag> tag; // the stack's handler argument
    sip_lsnr* guard = nullptr;
    sipsess_sock* sessions = nullptr;
    tls* tlsContext = nullptr;
    std::unique_ptr<SipRegistration> registration;
    sa registrar{};
    bool registered = false;
    bool granted = false; // this registration was accepted at least once
    int retryMs = 0;
    tmr retry{};
    tmr keepAlive{};
    tmr dispose{};
    uint32_t call = 0;
    QString status;
};

struct SipStack::Thread : SipLegHost {
    QList<SipLineConfig> configs;
    SipTimings timings;
    EventSink sink;
    std::thread thread;

    std::mutex mutex;
    std::condition_variable cv;
    bool ready = false;
    bool failed = false;
    mqueue* queue = nullptr;

    // SIP thread only from here on.
    dnsc* dns = nullptr;
    std::vector<std::unique_ptr<SipLineState>> lines;
    std::map<uint32_t, std::unique_ptr<SipLeg>> legs;
    std::vector<uint32_t> closed;
    std::vector<std::unique_ptr<SipStackTag>> closing; // stacks of closed lines
    bool quitting = false;
    tmr quitTimer{};
    tmr reaper{};
    uint32_t nextCall = 0;

    void run();
    void setUpDns();
    void setUpLine(SipLineState& line);
    void startRegistration(SipLineState& line);
    void scheduleRetry(SipLineState& line);
    int nextRetryMs(SipLineState& line);
    void registrationAnswered(SipLineState& line, int err, const sip_msg* msg);
    void registrationLost(SipLineState& line);
    void setStatus(SipLineState& line, const QString& text);
    void closeLine(SipLineState& line, bool unregister = true);
    void reopenLine(SipLineState& line);
    int addTransport(SipLineState& line, const sa& address);
    void tearDown();
    void quitWhenClosed();
    bool admits(const SipLineState& line, const sip_msg* msg) const;

    void legEvent(const SipEvent& event) override { sink(event); }
    void legClosed(uint32_t call) override;

    void push(int id, uint32_t call, QByteArray audio = {}, uint32_t sequence = 0);

    static void onCommand(int id, void* data, void* arg);
    static bool onRequest(const sip_msg* msg, void* arg);
    static void onInvite(const sip_msg* msg, void* arg);
    static void onRetry(void* arg);
    static void onKeepAlive(void* arg);
    static void onDispose(void* arg);
    static void onReap(void* arg);
    static void onStackExit(void* arg);
    static void onNetworkCheck(void* arg);
    static void onQuitTimeout(void* arg);

    SipLeg* leg(uint32_t call) {
        auto it = legs.find(call);
        return it == legs.end() ? nullptr : it->second.get();
    }
};

SipStack::SipStack(QList<SipLineConfig> lines, SipTimings timings, EventSink sink)
    : d(std::make_unique<Thread>()) {
    d->configs = std::move(lines);
    d->timings = timings;
    d->sink = std::move(sink);
}

SipStack::~SipStack() {
    if (d->thread.joinable()) {
        d->push(CmdQuit, 0);
        d->thread.join();
    }
}

bool SipStack::start(QString* error) {
    std::call_once(g_libreInit, [] { g_libreInitResult = libre_init(); });
    if (g_libreInitResult != 0) {
        if (error)
            *error = QStringLiteral("The SIP library could not start.");
        return false;
    }
    d->thread = std::thread([this] { d->run(); });
    std::unique_lock lock(d->mutex);
    d->cv.wait(lock, [this] { return d->ready; });
    if (d->failed) {
        lock.unlock();
        d->thread.join();
        if (error)
            *error = QStringLiteral("The SIP lines could not start.");
        return false;
    }
    return true;
}

void SipStack::openLine(int line) {
    d->push(CmdOpen, uint32_t(line));
}

void SipStack::closeLine(int line) {
    d->push(CmdClose, uint32_t(line));
}

void SipStack::answer(uint32_t call) {
    d->push(CmdAnswer, call);
}

void SipStack::drop(uint32_t call) {
    d->push(CmdDrop, call);
}

void SipStack::play(uint32_t call, QByteArray audio, uint32_t sequence) {
    d->push(CmdPlay, call, std::move(audio), sequence);
}

void SipStack::stopPlaying(uint32_t call) {
    d->push(CmdStop, call);
}

void SipStack::transfer(uint32_t call, const QString& target) {
    d->push(CmdTransfer, call, target.toUtf8());
}

void SipStack::Thread::push(int id, uint32_t call, QByteArray audio, uint32_t sequence) {
    if (!queue)
        return;
    auto* data = new CommandData{call, std::move(audio), sequence};
    if (mqueue_push(queue, id, data) != 0)
        delete data;
}

void SipStack::Thread::run() {
    re_thread_init();
    tmr_init(&reaper);
    tmr_init(&quitTimer);
    const bool ok = mqueue_alloc(&queue, onCommand, this) == 0;
    if (ok) {
        setUpDns();
        for (int i = 0; i < configs.size(); ++i) {
            auto line = std::make_unique<SipLineState>();
            line->owner = this;
            line->index = i;
            line->config = configs[i];
            tmr_init(&line->retry);
            tmr_init(&line->keepAlive);
            tmr_init(&line->dispose);
            tmr_init(&line->networkCheck);
            lines.push_back(std::move(line));
        }
    }
    {
        std::lock_guard lock(mutex);
        ready = true;
        failed = !ok;
    }
    cv.notify_all();
    if (ok)
        re_main(nullptr);
    tearDown();
    queue = static_cast<mqueue*>(mem_deref(queue));
    re_thread_close();
}

void SipStack::Thread::setUpDns() {
    // Names need a resolver; without name servers only numeric addresses work.
    char domain[256] = {};
    sa servers[4];
    uint32_t count = 4;
    if (dns_srv_get(domain, sizeof domain, servers, &count) == 0 && count > 0)
        dnsc_alloc(&dns, nullptr, servers, count);
}

void SipStack::Thread::setUpLine(SipLineState& line) {
    if (line.stack)
        return;
    const SipLineConfig& c = line.config;
    // Hand-edited settings are only checked by Setup: say what is wrong at start-up too. The
    // line still tries with what it can use; a later status replaces this one.
    const QStringList problems = c.problems();
    if (!problems.isEmpty())
        setStatus(line, problems.join(QLatin1Char(' ')));
    line.account = SipAccount::Parse(c.account, c.authUser, c.transport);
    line.transport = transportOf(line.account.valid ? line.account.transport : c.transport);
    line.filtered = c.isListening() || !c.allow.isEmpty();
    line.filter = AddressFilter(c.allow);

    QString listen = c.listen.trimmed();
    if (listen.isEmpty())
        listen = c.isListening() ? QStringLiteral("0.0.0.0:5060") : QStringLiteral("0.0.0.0:0");
    const QByteArray text = listen.toUtf8();
    if (sa_decode(&line.local, text.constData(), size_t(text.size())) != 0 &&
        sa_set_str(&line.local, text.constData(), 0) != 0) {
        setStatus(line, QStringLiteral("The address to listen on, %1, is not valid.").arg(listen));
        return;
    }
    // libre cannot bind the wildcard address itself: "any address" listens on each address of
    // the host, on one port, so loopback, a second network card and a VPN reach the line too,
    // and Contact and SDP name an address the peer can use.
    const bool stablePort = line.account.valid && sa_port(&line.local) == 0;
    if (stablePort)
        sa_set_port(&line.local, SipAccount::StableLocalPort(c.account));
    line.anyAddress = sa_is_any(&line.local);
    line.addresses = line.anyAddress ? HostAddresses() : QList<QHostAddress>();
    if (line.anyAddress && !line.addresses.isEmpty())
        line.local = toSa(line.addresses.first(), sa_port(&line.local));
    line.tag = std::make_unique<SipStackTag>();
    line.tag->line = &line;
    // No Server or User-Agent header: a scanner learns nothing about the program it found.
    if (sip_alloc(&line.stack, dns, 32, 32, 32, nullptr, onStackExit, line.tag.get()) != 0)
        return;
    line.tag->stack = line.stack;
    int err = 0;
    if (line.transport == SIP_TRANSP_TLS) {
        err = tls_alloc(&line.tlsContext, TLS_METHOD_SSLV23, nullptr, nullptr);
        if (!err) {
            // The server must show a certificate that the system trusts, for the host named.
            SSL_CTX* ctx = tls_openssl_context(line.tlsContext);
            SSL_CTX_set_default_verify_paths(ctx);
            SSL_CTX_set_verify(ctx, SSL_VERIFY_PEER, nullptr);
            // The certificate is the one of the host connected to: the proxy when there is one.
            const QString proxyHost = c.proxyHost();
            const QByteArray host = (proxyHost.isEmpty() ? line.account.host : proxyHost).toUtf8();
            X509_VERIFY_PARAM* param = SSL_CTX_get0_param(ctx);
            if (!host.isEmpty() && X509_VERIFY_PARAM_set1_ip_asc(param, host.constData()) != 1)
                X509_VERIFY_PARAM_set1_host(param, host.constData(), 0);
            SendServerName(ctx); // and named in the ClientHello, for a server of several names
        }
    }
    if (!err) {
        err = addTransport(line, line.local);
        if (err == EADDRINUSE && stablePort) { // taken: any free port will do
            sa_set_port(&line.local, 0);
            err = addTransport(line, line.local);
        }
    }
    if (!err && sa_port(&line.local) == 0)
        sip_transp_laddr(line.stack, &line.local, line.transport, nullptr);
    if (!err && line.anyAddress) {
        // The other addresses on the same port; one that cannot be bound is left out.
        for (qsizetype i = 1; i < line.addresses.size(); ++i)
            addTransport(line, toSa(line.addresses[i], sa_port(&line.local)));
        tmr_start(&line.networkCheck, uint64_t(timings.networkCheckMs), onNetworkCheck, &line);
    }
    if (err) {
        char where[64] = {};
        re_snprintf(where, sizeof where, "%J", &line.local);
        setStatus(line,
                  QStringLiteral("Hushwire could not listen for SIP on %1: %2.")
                      .arg(QString::fromLatin1(where), QString::fromLocal8Bit(strerror(err))));
        line.stack = static_cast<sip*>(mem_deref(line.stack));
        sa_init(&line.local, AF_UNSPEC);
        return;
    }
    // The guard sees every request first, so strangers are turned away before any session
    // state is made for them.
    sip_listen(&line.guard, line.stack, true, onRequest, &line);
    sipsess_listen(&line.sessions, line.stack, 32, onInvite, &line);
    if (line.account.valid && c.passwordMissing && !c.passwordProblem.isEmpty())
        setStatus(line, c.passwordProblem);
    else if (line.account.valid && c.passwordMissing)
        setStatus(line, QStringLiteral("The password of the SIP account %1 is missing, so "
                                       "Hushwire does not register it. Enter it in Setup > "
                                       "Options > SIP Lines (Edit...) as the user Hushwire "
                                       "runs as, or, for the system service, in a credential "
                                       "or a PasswordFile (see the README), then start "
                                       "Hushwire again.")
                            .arg(line.account.displayName));
    else if (line.account.valid)
        startRegistration(line);
    else if (!c.isListening())
        setStatus(
            line,
            QStringLiteral("The SIP account %1 is not a sip: or sips: address.").arg(c.account));
    else if (line.filter.isEmpty())
        setStatus(line, QStringLiteral("The SIP line on %1 takes calls from nobody: its Allow "
                                       "setting names no address.")
                            .arg(listen));
}

int SipStack::Thread::addTransport(SipLineState& line, const sa& address) {
    if (line.transport == SIP_TRANSP_TLS)
        return sip_transp_add(line.stack, SIP_TRANSP_TLS, &address, line.tlsContext);
    return sip_transp_add(line.stack, line.transport, &address);
}

// Listens and registers anew, on the host's addresses as they are now; the back-off goes on.
void SipStack::Thread::reopenLine(SipLineState& line) {
    const int retryMs = line.retryMs;
    closeLine(line, false); // the old addresses are gone: nothing to withdraw from there
    dns = static_cast<dnsc*>(mem_deref(dns));
    setUpDns();
    line.retryMs = retryMs;
    setUpLine(line);
}

void SipStack::Thread::onNetworkCheck(void* arg) {
    auto* line = static_cast<SipLineState*>(arg);
    if (line->call == 0 && HostAddresses() != line->addresses)
        line->owner->reopenLine(*line);
    else
        tmr_start(&line->networkCheck, uint64_t(line->owner->timings.networkCheckMs),
                  onNetworkCheck, line);
}

void SipStack::Thread::startRegistration(SipLineState& line) {
    line.registration.reset();
    line.registered = false;
    line.granted = false;
    const SipAccount& a = line.account;
    QString route = line.config.proxyUri();
    // A proxy given as a bare host is reached over the account's transport.
    if (route.startsWith(QLatin1String("sip:"), Qt::CaseInsensitive) &&
        !route.contains(QLatin1String(";transport="), Qt::CaseInsensitive) &&
        line.transport != SIP_TRANSP_UDP)
        route += QStringLiteral(";transport=") +
                 (line.transport == SIP_TRANSP_TLS ? QLatin1String("tls") : QLatin1String("tcp"));
    SipRegistration::Settings s;
    s.registrarUri = a.registrarUri.toUtf8();
    s.addressOfRecord = a.addressOfRecord.toUtf8();
    s.contactUser = a.contactUser.toUtf8();
    s.route = route.toUtf8();
    s.authUser = a.authUser.toUtf8();
    s.password = line.config.password.toUtf8();
    s.instance = SipAccount::InstanceUrn(line.config.account);
    s.expires = timings.expiresS;
    s.keepAliveS = uint32_t(std::max(1, timings.keepAliveMs / 1000));
    SipLineState* l = &line;
    line.registration = std::make_unique<SipRegistration>(
        line.stack, std::move(s),
        [this, l](int err, const sip_msg* msg) { registrationAnswered(*l, err, msg); },
        [this, l](int) { registrationLost(*l); });
    if (const int err = line.registration->send()) {
        setStatus(line, QStringLiteral("Hushwire could not register %1: %2.")
                            .arg(a.displayName, QString::fromLocal8Bit(strerror(err))));
        line.registration.reset();
        scheduleRetry(line);
    }
}

int SipStack::Thread::nextRetryMs(SipLineState& line) {
    line.retryMs =
        line.retryMs == 0 ? timings.firstRetryMs : std::min(line.retryMs * 2, timings.maxRetryMs);
    return line.retryMs;
}

void SipStack::Thread::scheduleRetry(SipLineState& line) {
    tmr_start(&line.retry, uint64_t(nextRetryMs(line)), onRetry, &line);
}

void SipStack::Thread::setStatus(SipLineState& line, const QString& text) {
    if (line.status == text)
        return;
    line.status = text;
    SipEvent ev;
    ev.kind = SipEvent::Kind::Status;
    ev.line = line.index;
    ev.text = text;
    sink(ev);
}

void SipStack::Thread::legClosed(uint32_t call) {
    for (auto& line : lines) {
        if (line->call == call)
            line->call = 0;
    }
    // Freed after libre's handler returns.
    closed.push_back(call);
    tmr_start(&reaper, 0, onReap, this);
}

void SipStack::Thread::onReap(void* arg) {
    auto* self = static_cast<Thread*>(arg);
    for (uint32_t call : std::exchange(self->closed, {}))
        self->legs.erase(call);
}

void SipStack::Thread::closeLine(SipLineState& line, bool unregister) {
    if (line.call != 0) {
        legs.erase(line.call); // an answered call gets its BYE
        line.call = 0;
    }
    tmr_cancel(&line.retry);
    tmr_cancel(&line.keepAlive);
    tmr_cancel(&line.dispose);
    tmr_cancel(&line.networkCheck);
    line.networkChanged = false;
    line.registered = false;
    line.retryMs = 0;
    // A granted registration is withdrawn (un-REGISTER); the stack stays open without its
    // listeners until that is answered, through a challenge if need be.
    if (line.registration && line.stack && unregister && line.tag) {
        SipStackTag* tag = line.tag.get();
        if (line.registration->withdraw([tag] { tag->withdrawing.reset(); }))
            tag->withdrawing = std::move(line.registration);
    }
    line.registration.reset();
    line.sessions = static_cast<sipsess_sock*>(mem_deref(line.sessions));
    line.guard = static_cast<sip_lsnr*>(mem_deref(line.guard));
    if (line.stack && unregister) {
        sip_close(line.stack, false);
        closing.push_back(std::move(line.tag));
    } else if (line.stack) {
        sip_close(line.stack, true);
        mem_deref(line.stack);
        line.tag.reset();
    } else {
        line.tag.reset();
    }
    line.stack = nullptr;
    line.tlsContext = static_cast<tls*>(mem_deref(line.tlsContext));
}

void SipStack::Thread::quitWhenClosed() {
    for (const auto& tag : closing) {
        if (!tag->exited)
            return;
    }
    re_cancel();
}

void SipStack::Thread::onStackExit(void* arg) {
    auto* tag = static_cast<SipStackTag*>(arg);
    tag->exited = true;
    Thread* self = tag->line->owner;
    if (self->quitting)
        self->quitWhenClosed();
}

void SipStack::Thread::onQuitTimeout(void*) {
    re_cancel();
}

void SipStack::Thread::tearDown() {
    tmr_cancel(&reaper);
    tmr_cancel(&quitTimer);
    for (auto& line : lines)
        closeLine(*line);
    legs.clear();
    // Whatever is still unanswered is given up now.
    for (auto& tag : closing) {
        sip_close(tag->stack, true);
        tag->withdrawing.reset();
        mem_deref(tag->stack);
    }
    closing.clear();
    lines.clear();
    dns = static_cast<dnsc*>(mem_deref(dns));
}

void SipStack::Thread::onCommand(int id, void* data, void* arg) {
    auto* self = static_cast<Thread*>(arg);
    std::unique_ptr<CommandData> cmd(static_cast<CommandData*>(data));
    if (id == CmdQuit) {
        for (auto& line : self->lines)
            self->closeLine(*line);
        self->quitting = true; // from here on, the last stack to finish ends the loop
        tmr_start(&self->quitTimer, kUnregisterWaitMs, onQuitTimeout, self);
        self->quitWhenClosed();
        return;
    }
    if (id == CmdOpen || id == CmdClose) {
        if (cmd->call < self->lines.size()) {
            SipLineState& line = *self->lines[cmd->call];
            if (id == CmdOpen)
                self->setUpLine(line);
            else
                self->closeLine(line);
        }
        return;
    }
    SipLeg* leg = self->leg(cmd->call);
    if (!leg)
        return;
    switch (id) {
    case CmdAnswer:
        leg->answer();
        break;
    case CmdDrop:
        leg->drop();
        break;
    case CmdPlay:
        leg->play(cmd->audio, cmd->sequence);
        break;
    case CmdStop:
        leg->stopPlaying();
        break;
    case CmdTransfer: {
        const SipLineState& line = *self->lines[size_t(leg->line())];
        const QString user =
            line.account.valid ? line.account.authUser : line.config.authUser.trimmed();
        leg->transfer(line.stack, cmd->audio, user.toUtf8(), line.config.password.toUtf8());
        break;
    }
    default:
        break;
    }
}

bool SipStack::Thread::onRequest(const sip_msg* msg, void* arg) {
    auto* line = static_cast<SipLineState*>(arg);
    if (line->owner->admits(*line, msg)) {
        // The progress of a transfer the line's call asked for.
        SipLeg* call = line->call ? line->owner->leg(line->call) : nullptr;
        if (call && call->takeTransferNotify(line->stack, msg))
            return true;
        return AnswerOutsideCall(line->stack, msg); // else on to the session layer
    }
    // A stranger: one stateless answer, no transaction, no call; a flood from one address is
    // dropped unanswered after the first few requests a second.
    if (pl_strcmp(&msg->met, "ACK") != 0 &&
        line->strangers.mayAnswer(toHostAddress(msg->src), tmr_jiffies()))
        sip_reply(line->stack, msg, 403, "Forbidden");
    return true;
}

// A listening endpoint, or an account with Allow, takes requests from the addresses allowed. An
// account without Allow takes new calls only from where its registration was granted (the
// registrar, or the proxy in front of it): anyone else who finds its port could ring it with
// a forged caller identity.
bool SipStack::Thread::admits(const SipLineState& line, const sip_msg* msg) const {
    if (line.filtered)
        return line.filter.allows(toHostAddress(msg->src));
    if (pl_strcmp(&msg->met, "INVITE") != 0 || pl_isset(&msg->to.tag))
        return true;
    return line.registered && sa_cmp(&msg->src, &line.registrar, SA_ADDR);
}

void SipStack::Thread::onInvite(const sip_msg* msg, void* arg) {
    auto* line = static_cast<SipLineState*>(arg);
    Thread* self = line->owner;
    if (line->call != 0) {
        // The line carries one call; the provider's other devices still ring for this one.
        sip_treply(nullptr, line->stack, msg, 486, "Busy Here");
        return;
    }
    const uint32_t id = ++self->nextCall;
    auto leg = std::make_unique<SipLeg>(*self, line->index, id);
    // The media is offered on the address the INVITE came to: the one that reaches the caller.
    sa media = line->anyAddress ? msg->dst : line->local;
    sa_set_port(&media, 0);
    if (const uint16_t refuse = leg->accept(line->sessions, msg, media)) {
        sip_treply(nullptr, line->stack, msg, refuse,
                   refuse == 488 ? "Not Acceptable Here" : "Server Internal Error");
        return;
    }
    line->call = id;
    self->legs.emplace(id, std::move(leg));
    SipEvent ev;
    ev.kind = SipEvent::Kind::Incoming;
    ev.line = line->index;
    ev.call = id;
    ev.identity = SipIdentityFromMsg(msg);
    self->sink(ev);
}

void SipStack::Thread::registrationAnswered(SipLineState& line, int err, const sip_msg* msg) {
    const QString who = line.account.displayName;
    if (!err && msg && msg->scode < 300) {
        line.registered = true;
        line.granted = true;
        line.retryMs = 0;
        tmr_cancel(&line.retry);
        line.registrar = msg->src;
        if (!tmr_isrunning(&line.keepAlive))
            tmr_start(&line.keepAlive, uint64_t(timings.keepAliveMs), onKeepAlive, &line);
        setStatus(line, QString());
        return;
    }
    if (!err && msg && msg->scode < 200)
        return;
    line.registered = false;
    line.networkChanged = line.anyAddress && err && isNetworkError(err);
    const bool challenged = msg && (msg->scode == 401 || msg->scode == 407);
    const SipRegisterAttempts& attempts = line.registration->attempts();
    const bool refused = attempts.refused() || (!err && challenged && attempts.answered());
    QString text;
    if (refused) {
        text = QStringLiteral("The SIP server refused the password for %1. Hushwire does not try "
                              "it again for 30 minutes, or until the password or the line's "
                              "settings change.")
                   .arg(who);
    } else if (err == ENOSYS && challenged) {
        text = QStringLiteral("The SIP server for %1 asks for a password check that Hushwire "
                              "does not support.")
                   .arg(who);
    } else if (err == EPROTO && line.transport == SIP_TRANSP_TLS) {
        text = QStringLiteral("The SIP server for %1 did not show a certificate that this "
                              "computer trusts.")
                   .arg(who);
    } else if (err || !msg) {
        text = QStringLiteral("The SIP server for %1 did not answer.").arg(who);
    } else if (msg->scode == 403) {
        text = QStringLiteral("%1: the server refused the registration: %2 %3.")
                   .arg(who, QString::number(msg->scode), toQString(msg->reason));
    } else {
        text = QStringLiteral("The SIP server for %1 answered %2 %3.")
                   .arg(who, QString::number(msg->scode), toQString(msg->reason));
    }
    setStatus(line, text);
    if (line.granted && !refused && !line.networkChanged) {
        // A refresh failed: the same registration is tried again and the binding stays; one
        // the registrar turned down waits longer than one that got no answer at all.
        line.registration->retryIn(msg ? kRefreshRetryMs : uint64_t(nextRetryMs(line)));
        return;
    }
    // The failed registration goes once its handler has returned; the line backs off.
    tmr_start(&line.dispose, 0, onDispose, &line);
    if (refused)
        tmr_start(&line.retry, uint64_t(timings.refusedRetryMs), onRetry, &line);
    else if (!tmr_isrunning(&line.retry))
        scheduleRetry(line);
}

void SipStack::Thread::registrationLost(SipLineState& line) {
    // The binding went with the connection: the line is not reachable until the REGISTER on a
    // new connection, already on its way, is granted.
    line.registered = false;
    setStatus(line, QStringLiteral("The connection to the SIP server for %1 was lost. Hushwire "
                                   "registers again.")
                        .arg(line.account.displayName));
}

void SipStack::Thread::onDispose(void* arg) {
    auto* line = static_cast<SipLineState*>(arg);
    if (!line->registered)
        line->registration.reset();
}

void SipStack::Thread::onRetry(void* arg) {
    auto* line = static_cast<SipLineState*>(arg);
    if (line->networkChanged)
        line->owner->reopenLine(*line);
    else
        line->owner->startRegistration(*line);
}

void SipStack::Thread::onKeepAlive(void* arg) {
    // A blank line to the registrar keeps the NAT binding for incoming calls open.
    auto* line = static_cast<SipLineState*>(arg);
    if (line->registered && line->stack) {
        if (mbuf* mb = mbuf_alloc(4)) {
            mbuf_write_str(mb, "\r\n\r\n");
            mb->pos = 0;
            sip_send(line->stack, nullptr, line->transport, &line->registrar, mb);
            mem_deref(mb);
        }
    }
    tmr_start(&line->keepAlive, uint64_t(line->owner->timings.keepAliveMs), onKeepAlive, line);
}
