#include "telephony/sip/SipLeg.h"

#include <QString>

#include <cstring>

namespace {

constexpr uint32_t kSampleRate = 8000;
constexpr size_t kPacketBytes = 160; // 20 ms of G.711
constexpr uint64_t kPacketNs = 20'000'000;
constexpr size_t kRtpHeader = 12;
constexpr uint16_t kRtpPortMin = 16384;
constexpr uint16_t kRtpPortMax = 32766;
constexpr uint8_t kOfferedEventPt = 101; // the telephone-event number accept() offers
// After the far end accepts a transfer, how long its NOTIFY with the outcome is waited for.
constexpr uint64_t kReferNotifyWaitMs = 2000;

bool sameName(const char* a, const char* b) {
    return a && b && str_casecmp(a, b) == 0;
}

QByteArray body(const sip_msg* msg) {
    return QByteArray(reinterpret_cast<const char*>(mbuf_buf(msg->mb)),
                      qsizetype(mbuf_get_left(msg->mb)));
}

// The key of a SIP INFO body: "Signal=5" (dtmf-relay) or the key alone (dtmf).
char infoDigit(const sip_msg* msg) {
    const QByteArray text = body(msg).trimmed();
    QByteArray key;
    if (msg_ctype_cmp(&msg->ctyp, "application", "dtmf-relay")) {
        for (const QByteArray& line : text.split('\n')) {
            const qsizetype eq = line.indexOf('=');
            if (eq > 0 && line.left(eq).trimmed().toLower() == "signal")
                key = line.mid(eq + 1).trimmed();
        }
    } else if (msg_ctype_cmp(&msg->ctyp, "application", "dtmf")) {
        key = text;
    }
    if (key.size() != 1)
        return 0;
    const char c = key.at(0);
    if ((c >= '0' && c <= '9') || c == '*' || c == '#')
        return c;
    if (c >= 'a' && c <= 'd')
        return char(c - 'a' + 'A');
    return (c >= 'A' && c <= 'D') ? c : 0;
}

} // namespace

SipLeg::SipLeg(SipLegHost& host, int line, uint32_t id) : m_host(host), m_line(line), m_id(id) {
    tmr_init(&m_referWait);
}

SipLeg::~SipLeg() {
    m_pace.cancel();
    tmr_cancel(&m_referWait);
    m_refer = static_cast<struct sip_request*>(mem_deref(m_refer));
    // Releasing an answered session sends its BYE; one still ringing gets a final answer.
    m_sess = static_cast<sipsess*>(mem_deref(m_sess));
    m_rtp = static_cast<struct rtp_sock*>(mem_deref(m_rtp));
    m_media = nullptr;
    m_sdp = static_cast<sdp_session*>(mem_deref(m_sdp));
    m_telev = static_cast<telev*>(mem_deref(m_telev));
    m_packet = static_cast<mbuf*>(mem_deref(m_packet));
}

uint16_t SipLeg::accept(sipsess_sock* sock, const sip_msg* msg, const sa& mediaAddress) {
    if (rtp_listen(&m_rtp, IPPROTO_UDP, &mediaAddress, kRtpPortMin, kRtpPortMax, false, onRtp,
                   nullptr, this) != 0)
        return 500;
    if (sdp_session_alloc(&m_sdp, &mediaAddress) != 0 ||
        sdp_media_add(&m_media, m_sdp, "audio", sa_port(rtp_local(m_rtp)), "RTP/AVP") != 0)
        return 500;
    int err = sdp_format_add(nullptr, m_media, false, "0", "PCMU", kSampleRate, 1, nullptr, nullptr,
                             nullptr, false, nullptr);
    err |= sdp_format_add(nullptr, m_media, false, "8", "PCMA", kSampleRate, 1, nullptr, nullptr,
                          nullptr, false, nullptr);
    err |= sdp_format_add(nullptr, m_media, false, "101", telev_rtpfmt, kSampleRate, 1, nullptr,
                          nullptr, nullptr, false, "0-15");
    err |= telev_alloc(&m_telev, TELEV_PTIME);
    m_packet = mbuf_alloc(kRtpHeader + kPacketBytes);
    if (err || !m_packet)
        return 500;

    if (const sip_hdr* contact = sip_msg_hdr(msg, SIP_HDR_CONTACT)) {
        sip_addr addr;
        if (sip_addr_decode(&addr, &contact->val) == 0)
            m_remoteTarget = QByteArray(addr.auri.p, qsizetype(addr.auri.l));
    }
    // An INVITE without a body is a late offer: the 200 OK carries ours.
    m_offerReceived = mbuf_get_left(msg->mb) > 0;
    if (m_offerReceived && (!decodeSdp(msg, true) || !chooseMedia()))
        return 488;
    char user[] = "hushwire";
    if (sipsess_accept(&m_sess, sock, msg, 180, "Ringing", user, "application/sdp", nullptr,
                       nullptr, nullptr, false, onOffer, onAnswer, onEstablished, onInfo, nullptr,
                       onClose, this, "") != 0)
        return 500;
    return 0;
}

bool SipLeg::decodeSdp(const sip_msg* msg, bool offer) {
    // Decoding reads the body; leave the message as it was for libre.
    const size_t pos = msg->mb->pos;
    const int err = sdp_decode(m_sdp, msg->mb, offer);
    msg->mb->pos = pos;
    return err == 0;
}

// The far end's first G.711 format is the codec; its telephone-event number is used for keys.
bool SipLeg::chooseMedia() {
    bool found = false;
    const list* formats = sdp_media_format_lst(m_media, false);
    for (le* e = formats ? formats->head : nullptr; e; e = e->next) {
        const auto* f = static_cast<const sdp_format*>(e->data);
        // Static payload types 0 and 8 need no rtpmap line.
        const bool pcmu = sameName(f->name, "PCMU") || (!f->name && f->pt == 0);
        const bool pcma = sameName(f->name, "PCMA") || (!f->name && f->pt == 8);
        if ((pcmu || pcma) && (f->srate == kSampleRate || !f->name)) {
            m_codec = pcmu ? SipCodec::Pcmu : SipCodec::Pcma;
            m_payloadType = uint8_t(f->pt);
            found = true;
            break;
        }
    }
    const sdp_format* event = sdp_media_rformat(m_media, telev_rtpfmt);
    m_eventPayloadType = event ? event->pt : -1;
    const sa* raddr = sdp_media_raddr(m_media);
    if (raddr && sa_isset(raddr, SA_ALL)) {
        // A new address in an offer or answer (a PBX bridging the media directly, an SBC
        // re-anchoring it, a transfer) moves the media: the latch gives way and the message
        // goes on there. Packets still coming from the old place must not pull it back.
        const bool moved = sa_isset(&m_offered, SA_ALL) && !sa_cmp(raddr, &m_offered, SA_ALL);
        if (moved) {
            m_movedFrom = m_latched ? m_remote : m_offered;
            m_latched = false;
        }
        m_offered = *raddr;
        if (!m_latched) {
            m_remote = *raddr;
            m_haveRemote = true;
        }
    }
    return found;
}

void SipLeg::answer() {
    if (m_closed || m_answered || !m_sess)
        return;
    mbuf* desc = nullptr;
    if (sdp_encode(&desc, m_sdp, !m_offerReceived) != 0)
        return;
    if (sipsess_answer(m_sess, 200, "OK", desc, "") == 0)
        m_answered = true;
    mem_deref(desc);
}

void SipLeg::drop() {
    if (m_closed)
        return;
    if (!m_answered)
        return; // never answered: it keeps ringing elsewhere until the far end cancels it
    stopPlaying();
    m_closed = true;
    m_sess = static_cast<sipsess*>(mem_deref(m_sess)); // sends the BYE
    m_host.legClosed(m_id);
}

void SipLeg::transfer(sip* stack, const QByteArray& target, const QByteArray& user,
                      const QByteArray& password) {
    if (m_closed || !m_answered || !m_sess || m_transferring)
        return;
    stopPlaying();
    m_transferring = true;
    m_stack = stack;
    m_referTarget = target;
    m_user = user;
    m_password = password;
    if (sendRefer() != 0)
        endTransferred();
}

int SipLeg::sendRefer() {
    const QByteArray auth = m_referDigest.header("REFER", m_remoteTarget);
    return sip_drequestf(&m_refer, m_stack, true, "REFER", sipsess_dialog(m_sess), 0, nullptr,
                         nullptr, onReferResponse, this,
                         "Refer-To: <%s>\r\n%bContent-Length: 0\r\n\r\n", m_referTarget.constData(),
                         auth.constData(), size_t(auth.size()));
}

// A PBX or provider that challenges requests within the call gets the line's credentials once
// per challenge, as a registrar does; a second challenge means they were refused.
bool SipLeg::answerReferChallenge(const sip_msg* msg) {
    if (m_password.isEmpty() || m_remoteTarget.isEmpty())
        return false;
    const std::optional<SipDigestChallenge> chosen = ChallengeToAnswer(msg);
    if (!chosen || !m_referAttempts.mayAnswer(chosen->realm, chosen->stale))
        return false;
    m_referDigest = SipDigest(*chosen, m_user, m_password);
    return sendRefer() == 0;
}

// A refusal, or no answer at all, lets the caller go as after any message. Once accepted, the
// far end calls the target itself: its NOTIFY with the outcome ends our part, or the wait.
void SipLeg::onReferResponse(int, const sip_msg* msg, void* arg) {
    auto* self = static_cast<SipLeg*>(arg);
    if (msg && msg->scode < 200)
        return;
    self->m_refer = nullptr; // a finished request is libre's to free
    if (msg && (msg->scode == 401 || msg->scode == 407) && self->answerReferChallenge(msg))
        return;
    if (msg && msg->scode < 300)
        tmr_start(&self->m_referWait, kReferNotifyWaitMs, onReferWait, self);
    else
        self->endTransferred();
}

void SipLeg::onReferWait(void* arg) {
    static_cast<SipLeg*>(arg)->endTransferred();
}

bool SipLeg::takeTransferNotify(sip* stack, const sip_msg* msg) {
    if (!m_transferring || m_closed || !m_sess || pl_strcmp(&msg->met, "NOTIFY") != 0 ||
        !sip_dialog_cmp(sipsess_dialog(m_sess), msg))
        return false;
    sip_treply(nullptr, stack, msg, 200, "OK");
    // The body is a status line: "SIP/2.0 100 Trying", "SIP/2.0 200 OK", "SIP/2.0 486 Busy".
    const QList<QByteArray> status = body(msg).trimmed().split(' ');
    if (status.size() >= 2 && status.at(1).toInt() >= 200)
        endTransferred();
    return true;
}

void SipLeg::endTransferred() {
    tmr_cancel(&m_referWait);
    m_refer = static_cast<struct sip_request*>(mem_deref(m_refer));
    m_sess = static_cast<sipsess*>(mem_deref(m_sess)); // sends the BYE
    close();
}

void SipLeg::close() {
    if (m_closed)
        return;
    m_closed = true;
    stopPlaying();
    SipEvent ev;
    ev.kind = SipEvent::Kind::Ended;
    ev.line = m_line;
    ev.call = m_id;
    ev.answered = m_answered;
    m_host.legEvent(ev);
    m_host.legClosed(m_id);
}

int SipLeg::onOffer(mbuf** descp, const sip_msg* msg, void* arg) {
    // A re-INVITE (session refresh, hold): answer with the same media and keep playing.
    auto* self = static_cast<SipLeg*>(arg);
    const bool hasOffer = mbuf_get_left(msg->mb) > 0;
    if (hasOffer) {
        if (!self->decodeSdp(msg, true))
            return EPROTO;
        self->chooseMedia();
    }
    return sdp_encode(descp, self->m_sdp, !hasOffer);
}

int SipLeg::onAnswer(const sip_msg* msg, void* arg) {
    auto* self = static_cast<SipLeg*>(arg);
    if (!self->decodeSdp(msg, false))
        return EPROTO;
    self->chooseMedia();
    return 0;
}

void SipLeg::onEstablished(const sip_msg*, void* arg) {
    auto* self = static_cast<SipLeg*>(arg);
    if (self->m_established)
        return;
    self->m_established = true;
    if (self->m_eventPayloadType < 0)
        self->m_tones = std::make_unique<SipToneDetector>(self->m_codec == SipCodec::Pcma);
    SipEvent ev;
    ev.kind = SipEvent::Kind::Connected;
    ev.line = self->m_line;
    ev.call = self->m_id;
    ev.codec = self->m_codec;
    self->m_host.legEvent(ev);
}

void SipLeg::onInfo(sip* stack, const sip_msg* msg, void* arg) {
    auto* self = static_cast<SipLeg*>(arg);
    const char digit = infoDigit(msg);
    if (!digit) {
        sip_reply(stack, msg, 415, "Unsupported Media Type");
        return;
    }
    sip_reply(stack, msg, 200, "OK");
    self->reportDigit(digit);
}

void SipLeg::onClose(int, const sip_msg*, void* arg) {
    // A BYE from the far end, or a CANCEL (which arrives without its message).
    static_cast<SipLeg*>(arg)->close();
}

void SipLeg::onRtp(const sa* src, const rtp_header* hdr, mbuf* mb, void* arg) {
    auto* self = static_cast<SipLeg*>(arg);
    // Behind NAT the far end's media comes from somewhere else than its SDP says: answer there.
    if (!self->m_latched && src && !sa_cmp(src, &self->m_movedFrom, SA_ALL)) {
        self->m_remote = *src;
        self->m_haveRemote = true;
        self->m_latched = true;
    }
    if (self->m_tones && hdr && hdr->pt == self->m_payloadType && mb) {
        if (const char key = self->m_tones->feed(mbuf_buf(mb), mbuf_get_left(mb)))
            self->reportDigit(key);
        return;
    }
    // Keys come on the telephone-event number of the answer, or on the one we offered: after a
    // late offer some gateways keep sending on ours.
    if (!hdr || (int(hdr->pt) != self->m_eventPayloadType &&
                 (hdr->pt != kOfferedEventPt || hdr->pt == self->m_payloadType)))
        return;
    int event = 0;
    bool end = false;
    if (telev_recv(self->m_telev, mb, &event, &end) != 0)
        return;
    // Each key comes in several packets with one timestamp, start and end alike: count it once.
    if (self->m_haveEventTs && hdr->ts == self->m_lastEventTs)
        return;
    self->m_haveEventTs = true;
    self->m_lastEventTs = hdr->ts;
    const int digit = telev_code2digit(event);
    if (digit > 0)
        self->reportDigit(char(digit));
}

void SipLeg::reportDigit(char digit) {
    if (m_closed || !m_established)
        return;
    SipEvent ev;
    ev.kind = SipEvent::Kind::Digit;
    ev.line = m_line;
    ev.call = m_id;
    ev.digit = digit;
    m_host.legEvent(ev);
}

void SipLeg::play(const QByteArray& audio, uint32_t sequence) {
    stopPlaying();
    m_sequence = sequence;
    m_audio = audio;
    m_sent = 0;
    m_packets = 0;
    m_playing = true;
    m_playStartNs = PaceTimer::NowNs();
    if (m_timestamp == 0)
        m_timestamp = rand_u32();
    sendDue();
}

void SipLeg::stopPlaying() {
    m_pace.cancel();
    m_audio.clear();
    m_playing = false;
}

void SipLeg::onPace(void* arg) {
    static_cast<SipLeg*>(arg)->sendDue();
}

// Every packet whose time has come goes out; packet n is due n * 20 ms after the start, so a
// late wake-up never stretches the message, and the next wake-up is set to the microsecond.
void SipLeg::sendDue() {
    if (!m_playing)
        return;
    const uint64_t now = PaceTimer::NowNs();
    const uint8_t silence = m_codec == SipCodec::Pcmu ? 0xFF : 0xD5;
    while (m_sent < m_audio.size() && m_playStartNs + m_packets * kPacketNs <= now) {
        const size_t n = std::min(kPacketBytes, size_t(m_audio.size() - m_sent));
        uint8_t payload[kPacketBytes];
        std::memcpy(payload, m_audio.constData() + m_sent, n);
        std::memset(payload + n, silence, kPacketBytes - n);
        m_packet->pos = kRtpHeader;
        m_packet->end = kRtpHeader;
        mbuf_write_mem(m_packet, payload, kPacketBytes);
        m_packet->pos = kRtpHeader;
        if (m_haveRemote && !m_closed)
            rtp_send(m_rtp, &m_remote, false, m_packets == 0, m_payloadType, m_timestamp, m_packet);
        m_timestamp += kPacketBytes;
        m_sent += qsizetype(n);
        ++m_packets;
    }
    if (m_sent < m_audio.size()) {
        m_pace.fireAt(m_playStartNs + m_packets * kPacketNs, onPace, this);
        return;
    }
    stopPlaying();
    SipEvent ev;
    ev.kind = SipEvent::Kind::PlayDone;
    ev.line = m_line;
    ev.call = m_id;
    ev.sequence = m_sequence;
    m_host.legEvent(ev);
}
