#include "telephony/sip/SipRegistration.h"

#include <QList>

#include <algorithm>
#include <utility>

namespace {

// On a connection to a registrar that does not speak outbound, nobody answers a ping: libre is
// only asked to say when the connection closes, and pings so rarely that it never matters.
constexpr uint32_t kWatchOnlyS = 4000000;
// A registrar answers a REGISTER on a connection at once; silence means the connection went
// dead under it (a server going down accepts and never reads), so it is given up and the
// REGISTER tried again on a new one, instead of waiting the 32 s of a transaction.
constexpr uint64_t kConnectionAnswerMs = 4000;

struct ContactExpiries {
    const QByteArray* user = nullptr;
    const QByteArray* instance = nullptr;
    uint32_t ours = 0; // 0: none seen
    uint32_t any = 0;
};

void keepShortest(uint32_t* shortest, uint32_t value) {
    if (value > 0 && (*shortest == 0 || value < *shortest))
        *shortest = value;
}

bool onContact(const sip_hdr* hdr, const sip_msg*, void* arg) {
    auto* e = static_cast<ContactExpiries*>(arg);
    sip_addr addr;
    pl value;
    if (sip_addr_decode(&addr, &hdr->val) != 0 || msg_param_decode(&addr.params, "expires", &value))
        return false;
    const uint32_t expires = pl_u32(&value);
    keepShortest(&e->any, expires);
    pl instance;
    const bool sameUser = pl_strcmp(&addr.uri.user, e->user->constData()) == 0;
    const bool sameInstance =
        !e->instance->isEmpty() &&
        msg_param_decode(&addr.params, "+sip.instance", &instance) == 0 &&
        QByteArray(instance.p, qsizetype(instance.l)).contains(e->instance->mid(1).chopped(1));
    if (sameUser || sameInstance)
        keepShortest(&e->ours, expires);
    return false;
}

bool onChallenge(const sip_hdr* hdr, const sip_msg*, void* arg) {
    auto* list = static_cast<QList<SipDigestChallenge>*>(arg);
    const QByteArray value(hdr->val.p, qsizetype(hdr->val.l));
    if (auto c = SipDigestChallenge::Parse(value, hdr->id == SIP_HDR_PROXY_AUTHENTICATE))
        list->append(*c);
    return false;
}

} // namespace

std::optional<SipDigestChallenge> ChallengeToAnswer(const sip_msg* msg) {
    QList<SipDigestChallenge> offered;
    sip_msg_hdr_apply(msg, true, SIP_HDR_WWW_AUTHENTICATE, onChallenge, &offered);
    sip_msg_hdr_apply(msg, true, SIP_HDR_PROXY_AUTHENTICATE, onChallenge, &offered);
    return ChooseChallenge(offered);
}

SipRegistration::SipRegistration(sip* stack, Settings settings, AnswerHandler answered,
                                 LostHandler lost)
    : m_stack(static_cast<sip*>(mem_ref(stack))), m_settings(std::move(settings)),
      m_answered(std::move(answered)), m_lost(std::move(lost)) {
    tmr_init(&m_timer);
    tmr_init(&m_answerWait);
    m_expires = m_settings.expires;
    const char* routes[] = {m_settings.route.constData()};
    sip_dialog_alloc(
        &m_dialog, m_settings.registrarUri.constData(), m_settings.addressOfRecord.constData(),
        nullptr, m_settings.addressOfRecord.constData(),
        m_settings.route.isEmpty() ? nullptr : routes, m_settings.route.isEmpty() ? 0 : 1);
}

SipRegistration::~SipRegistration() {
    tmr_cancel(&m_timer);
    tmr_cancel(&m_answerWait);
    m_request = static_cast<struct sip_request*>(mem_deref(m_request));
    m_connection = static_cast<sip_keepalive*>(mem_deref(m_connection));
    m_dialog = static_cast<sip_dialog*>(mem_deref(m_dialog));
    // The stack of a closed line lives on until its un-REGISTER is over: this is its last user.
    mem_deref(m_stack);
}

int SipRegistration::send() {
    if (m_request)
        return 0;
    tmr_cancel(&m_timer);
    m_attempts.reset();
    m_retriedInterval = false;
    return request();
}

int SipRegistration::request() {
    if (!m_dialog)
        return ENOMEM;
    // The last challenge's credentials go along at once, so a refresh is not challenged anew.
    const QByteArray auth = m_digest.header("REGISTER", m_settings.registrarUri);
    return sip_drequestf(&m_request, m_stack, true, "REGISTER", m_dialog, 0, nullptr, onSend,
                         onResponse, this, "%bContent-Length: 0\r\n\r\n", auth.constData(),
                         size_t(auth.size()));
}

void SipRegistration::retryIn(uint64_t ms) {
    tmr_start(&m_timer, ms, onTimer, this);
}

bool SipRegistration::withdraw(std::function<void()> done) {
    m_withdrawing = true;
    m_answered = nullptr;
    m_lost = nullptr;
    tmr_cancel(&m_timer);
    tmr_cancel(&m_answerWait);
    m_connection = static_cast<sip_keepalive*>(mem_deref(m_connection));
    m_request = static_cast<struct sip_request*>(mem_deref(m_request));
    if (!m_registered)
        return false;
    m_expires = 0;
    m_attempts.reset();
    if (request() != 0)
        return false;
    m_withdrawn = std::move(done);
    return true;
}

int SipRegistration::onSend(sip_transp tp, const sa* src, const sa*, mbuf* mb, void* arg) {
    auto* self = static_cast<SipRegistration*>(arg);
    if (Reliable(tp))
        tmr_start(&self->m_answerWait, kConnectionAnswerMs, onNoAnswer, self);
    int err = mbuf_printf(mb, "Contact: <sip:%s@%J%s>;expires=%u",
                          self->m_settings.contactUser.constData(), src, sip_transp_param(tp),
                          self->m_expires);
    // Outbound (RFC 5626): a registrar that knows it keeps this device's one binding per
    // connection and answers its pings.
    if (Reliable(tp) && !self->m_settings.instance.isEmpty())
        err |= mbuf_printf(mb, ";+sip.instance=\"%s\";reg-id=1\r\nSupported: outbound, path",
                           self->m_settings.instance.constData());
    err |= mbuf_write_str(mb, "\r\n");
    return err;
}

bool SipRegistration::takeChallenge(const sip_msg* msg, int* err) {
    const std::optional<SipDigestChallenge> chosen = ChallengeToAnswer(msg);
    if (!chosen) {
        *err = ENOSYS;
        return false;
    }
    // The same password again after it was refused would only be refused again.
    if (!m_attempts.mayAnswer(chosen->realm, chosen->stale))
        return false;
    m_digest = SipDigest(*chosen, m_settings.authUser, m_settings.password);
    return true;
}

void SipRegistration::onResponse(int err, const sip_msg* msg, void* arg) {
    auto* self = static_cast<SipRegistration*>(arg);
    if (!err && msg && msg->scode < 200)
        return;
    self->m_request = nullptr; // a finished request is libre's to free
    tmr_cancel(&self->m_answerWait);
    if (!err && msg && (msg->scode == 401 || msg->scode == 407)) {
        if (self->takeChallenge(msg, &err) && self->request() == 0)
            return;
    } else if (!err && msg && msg->scode == 423 && !self->m_retriedInterval) {
        const sip_hdr* least = sip_msg_hdr(msg, SIP_HDR_MIN_EXPIRES);
        if (least && pl_u32(&least->val) > 0 && self->m_expires > 0) {
            self->m_retriedInterval = true;
            self->m_expires = pl_u32(&least->val);
            if (self->request() == 0)
                return;
        }
    }
    self->finished(err, msg);
}

void SipRegistration::finished(int err, const sip_msg* msg) {
    if (m_withdrawing) {
        if (m_withdrawn)
            tmr_start(&m_timer, 0, onWithdrawn, this);
        return;
    }
    if (!err && msg && msg->scode < 300)
        granted(msg);
    if (m_answered)
        m_answered(err, msg);
}

void SipRegistration::onNoAnswer(void* arg) {
    auto* self = static_cast<SipRegistration*>(arg);
    self->m_request = static_cast<struct sip_request*>(mem_deref(self->m_request));
    self->finished(ETIMEDOUT, nullptr);
}

void SipRegistration::onWithdrawn(void* arg) {
    // The last thing done here: the handler may free this registration.
    const std::function<void()> done = std::move(static_cast<SipRegistration*>(arg)->m_withdrawn);
    done();
}

uint32_t SipRegistration::GrantedExpiry(const sip_msg* msg, const QByteArray& contactUser,
                                        const QByteArray& instance, uint32_t asked) {
    ContactExpiries e;
    e.user = &contactUser;
    e.instance = &instance;
    sip_msg_hdr_apply(msg, true, SIP_HDR_CONTACT, onContact, &e);
    uint32_t shortest = e.ours ? e.ours : e.any;
    if (pl_isset(&msg->expires))
        keepShortest(&shortest, pl_u32(&msg->expires));
    return shortest ? shortest : asked;
}

void SipRegistration::granted(const sip_msg* msg) {
    m_registered = true;
    m_attempts.reset();
    m_granted = GrantedExpiry(msg, m_settings.contactUser, m_settings.instance, m_expires);
    tmr_start(&m_timer, std::max<uint64_t>(uint64_t(m_granted) * 500, 500), onTimer, this);
    m_connection = static_cast<sip_keepalive*>(mem_deref(m_connection));
    if (!Reliable(msg->tp))
        return;
    // The connection the binding lives on is watched: when it closes, the registrar can no
    // longer reach this line, and a new connection needs a new REGISTER.
    uint32_t interval = kWatchOnlyS;
    if (sip_msg_hdr_has_value(msg, SIP_HDR_REQUIRE, "outbound")) {
        const sip_hdr* flow = sip_msg_hdr(msg, SIP_HDR_FLOW_TIMER);
        interval = flow && pl_u32(&flow->val) > 0 ? pl_u32(&flow->val) : m_settings.keepAliveS;
    }
    sip_keepalive_start(&m_connection, m_stack, msg, interval, onConnectionLost, this);
}

void SipRegistration::onTimer(void* arg) {
    auto* self = static_cast<SipRegistration*>(arg);
    const int err = self->send();
    if (err && self->m_answered)
        self->m_answered(err, nullptr);
}

void SipRegistration::onConnectionLost(int err, void* arg) {
    auto* self = static_cast<SipRegistration*>(arg);
    if (self->m_withdrawing)
        return;
    self->retryIn(0); // a new connection, registered at once
    if (self->m_lost)
        self->m_lost(err);
}
