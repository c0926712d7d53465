#include "telephony/sip/SipLineService.h"

#include "telephony/sip/SipAccount.h"
#include "telephony/sip/SipCallerId.h"

namespace {

CallerId toCallerId(const SipCallerId& id) {
    CallerId c;
    switch (id.kind) {
    case SipCallerId::Kind::Number:
        c.number = id.number.isEmpty() ? CallerId::Part::OutOfArea : CallerId::Part::Present;
        c.numberText = id.number.toUtf8();
        break;
    case SipCallerId::Kind::Private:
        c.number = CallerId::Part::Private;
        break;
    case SipCallerId::Kind::OutOfArea:
        c.number = CallerId::Part::OutOfArea;
        break;
    }
    if (!id.name.isEmpty()) {
        c.name = CallerId::Part::Present;
        c.nameText = id.name.toUtf8();
    }
    return c;
}

} // namespace

namespace {
constexpr uint32_t kLineApp = 0x5349;
constexpr uint32_t kLineHandleBase = 0x300;
constexpr uint32_t kLastCall = 0x3000;
} // namespace

SipLineService::SipLineService(QList<SipLineConfig> lines, QObject* parent)
    : LineServiceBase(kLineApp, kLineHandleBase, kLastCall, parent), m_configs(std::move(lines)) {}

SipLineService::~SipLineService() {
    forgetCallback();
    m_stack.reset(); // ends every call and registration
}

QString SipLineService::lastError(uint32_t deviceId) const {
    auto it = m_problems.find(deviceId);
    return it == m_problems.end() ? QString() : it->second;
}

QString SipLineService::lineName(uint32_t deviceId) const {
    if (!validDevice(deviceId))
        return {};
    const SipLineConfig& c = m_configs[int(deviceId)];
    if (!c.isListening()) {
        const SipAccount a = SipAccount::Parse(c.account, c.authUser, c.transport);
        return QStringLiteral("SIP ") + (a.valid ? a.displayName : c.account.trimmed());
    }
    const QString listen = c.listen.trimmed();
    return QStringLiteral("SIP ") + (listen.isEmpty() ? QStringLiteral("0.0.0.0:5060") : listen);
}

SipLineService::Call* SipLineService::sipCall(uint32_t handle) const {
    return static_cast<Call*>(findCall(handle).get());
}

SipLineService::Call* SipLineService::callByLeg(uint32_t leg) const {
    for (const auto& [handle, call] : calls()) {
        if (static_cast<Call&>(*call).leg == leg)
            return static_cast<Call*>(call.get());
    }
    return nullptr;
}

void SipLineService::onEvent(const SipEvent& event) {
    if (event.kind == SipEvent::Kind::Status) {
        const uint32_t device = uint32_t(event.line);
        if (lastError(device) == event.text)
            return;
        if (event.text.isEmpty())
            m_problems.erase(device);
        else
            m_problems[device] = event.text;
        Q_EMIT lastErrorChanged(device, event.text);
        return;
    }
    if (event.kind == SipEvent::Kind::Incoming) {
        offer(event);
        return;
    }
    if (event.kind == SipEvent::Kind::PlayDone) {
        m_waveOut.playDone(event.call, event.sequence);
        return;
    }
    Call* call = callByLeg(event.call);
    if (!call) {
        // A call still waiting to be offered may end before it ever was.
        if (event.kind == SipEvent::Kind::Ended)
            std::erase_if(m_waiting, [&](const auto& w) { return w.second.call == event.call; });
        return; // a call the program has already let go
    }
    LineCall& r = *call;
    switch (event.kind) {
    case SipEvent::Kind::Connected:
        if (r.state != LineCall::State::Answering)
            return;
        call->codec = event.codec;
        r.state = LineCall::State::Connected;
        queueNotice(r.handle, tapi::LINE_CALLSTATE, tapi::LINECALLSTATE_CONNECTED, 0, 0);
        break;
    case SipEvent::Kind::Digit:
        if (r.state == LineCall::State::Connected && r.monitorDigits)
            queueNotice(r.handle, tapi::LINE_MONITORDIGITS, uint8_t(event.digit),
                        tapi::LINEDIGITMODE_DTMF, 0);
        break;
    case SipEvent::Kind::Ended:
        call->leg = 0;
        if (r.state == LineCall::State::Connected) {
            // The far end hung up: the program drops the call, which then goes idle.
            m_waveOut.stopLine(r.deviceId);
            r.state = LineCall::State::Disconnected;
            disconnect(*call);
        } else if (r.state != LineCall::State::Disconnected) {
            endCall(*call); // cancelled while ringing, or answered elsewhere
        }
        break;
    default:
        break;
    }
}

void SipLineService::offer(const SipEvent& event) {
    const uint32_t device = uint32_t(event.line);
    if (!isOpen(device) || !validDevice(device)) {
        m_stack->drop(event.call); // nobody watches the line: let it ring on
        return;
    }
    // The program still holds the line's last call (its drop is on the way): the new call is
    // offered once that one has gone idle, as a modem line rings again only once it is back on
    // hook. Offered now, it would take the place of the old call, and the old call's drop would
    // hang up on it.
    for (const auto& [handle, held] : calls()) {
        if (held->deviceId == device && held->state != LineCall::State::Idle) {
            m_waiting[device] = event;
            return;
        }
    }
    const auto created = newCall<Call>(device, mediaModesOf(device));
    Call& call = *created;
    const uint32_t handle = call.handle;
    call.leg = event.call;
    call.state = LineCall::State::Offering;
    call.callerId = toCallerId(ExtractCallerId(event.identity, m_configs[int(device)].rewrite));
    call.hasCallerId = true;
    queueNotice(handle, tapi::LINE_CALLSTATE, tapi::LINECALLSTATE_OFFERING, 0, 0);
    ring(call);
    queueNotice(handle, tapi::LINE_CALLINFO, tapi::LINECALLINFOSTATE_CALLERID, 0, 0);
    // Rings go on at an analogue line's cadence while the INVITE waits.
    call.ring = std::make_unique<QTimer>();
    call.ring->setInterval(m_ringIntervalMs);
    connect(call.ring.get(), &QTimer::timeout, this, [this, handle] {
        if (Call* c = sipCall(handle); c && c->state == LineCall::State::Offering)
            ring(*c);
    });
    call.ring->start();
}

void SipLineService::ring(Call& call) {
    ++call.rings;
    queueNotice(call.lineHandle, tapi::LINE_LINEDEVSTATE, tapi::LINEDEVSTATE_RINGING, 0,
                uint32_t(call.rings));
}

void SipLineService::disconnect(Call& call) {
    if (call.ring)
        call.ring->stop();
    if (call.disconnectedSent)
        return;
    call.disconnectedSent = true;
    queueNotice(call.handle, tapi::LINE_CALLSTATE, tapi::LINECALLSTATE_DISCONNECTED, 0, 0);
}

void SipLineService::endCall(Call& call) {
    if (call.ring)
        call.ring->stop();
    if (call.state == LineCall::State::Idle)
        return;
    call.state = LineCall::State::Idle;
    queueNotice(call.handle, tapi::LINE_CALLSTATE, tapi::LINECALLSTATE_IDLE, 0, 0);
    if (auto waiting = m_waiting.find(call.deviceId); waiting != m_waiting.end()) {
        const SipEvent next = waiting->second;
        m_waiting.erase(waiting);
        offer(next);
    }
}

bool SipLineService::connectedCall(uint32_t line, uint32_t* leg, SipCodec* codec) const {
    for (const auto& [handle, record] : calls()) {
        const auto& call = static_cast<const Call&>(*record);
        if (call.deviceId == line && call.state == LineCall::State::Connected && call.leg != 0) {
            *leg = call.leg;
            *codec = call.codec;
            return true;
        }
    }
    return false;
}

void SipLineService::play(uint32_t leg, QByteArray audio, uint32_t sequence) {
    if (m_stack)
        m_stack->play(leg, std::move(audio), sequence);
}

void SipLineService::stopPlaying(uint32_t leg) {
    if (m_stack)
        m_stack->stopPlaying(leg);
}

int32_t SipLineService::startService() {
    const int generation = ++m_generation;
    auto sink = [this, generation](const SipEvent& e) {
        // From the SIP thread to this one, in order.
        QMetaObject::invokeMethod(
            this,
            [this, generation, e] {
                if (m_stack && generation == m_generation)
                    onEvent(e);
            },
            Qt::QueuedConnection);
    };
    auto stack = std::make_unique<SipStack>(m_configs, m_timings, sink);
    QString error;
    if (!stack->start(&error)) {
        for (int i = 0; i < m_configs.size(); ++i)
            m_problems[uint32_t(i)] = error;
        return tapi::LINEERR_NODRIVER;
    }
    m_stack = std::move(stack);
    return 0;
}

int32_t SipLineService::describeDevice(uint32_t deviceId, QByteArray* name, uint32_t* mediaModes) {
    *name = lineName(deviceId).toUtf8();
    *mediaModes = tapi::LINEMEDIAMODE_INTERACTIVEVOICE | tapi::LINEMEDIAMODE_AUTOMATEDVOICE;
    return 0;
}

int32_t SipLineService::openDevice(uint32_t deviceId, uint32_t, uint32_t) {
    m_stack->openLine(int(deviceId));
    return 0;
}

bool SipLineService::answerCall(const std::shared_ptr<LineCall>& record) {
    auto& c = static_cast<Call&>(*record);
    if (c.state != LineCall::State::Offering || c.leg == 0)
        return false;
    c.state = LineCall::State::Answering;
    c.offHook = true;
    c.ring->stop();
    m_stack->answer(c.leg);
    return true;
}

int32_t SipLineService::transferCall(const std::shared_ptr<LineCall>& record,
                                     const QString& destination) {
    auto& c = static_cast<Call&>(*record);
    const QString target =
        destination.isEmpty() ? m_configs.at(c.deviceId).transfer.trimmed() : destination;
    if (!IsSipTransferTarget(target))
        return tapi::LINEERR_INVALADDRESS;
    if (c.leg == 0 || !m_stack)
        return tapi::LINEERR_INVALCALLSTATE;
    m_waveOut.stopLine(c.deviceId);
    m_stack->transfer(c.leg, target);
    return 0;
}

bool SipLineService::dropCall(const std::shared_ptr<LineCall>& record) {
    auto& c = static_cast<Call&>(*record);
    if (c.state == LineCall::State::Idle)
        return false;
    m_waveOut.stopLine(c.deviceId);
    // An answered call gets its BYE; one never answered is only let go, so it rings on for the
    // user's phones until the provider cancels it.
    if (c.leg != 0 && m_stack)
        m_stack->drop(c.leg);
    c.leg = 0;
    disconnect(c);
    endCall(c);
    return true;
}

void SipLineService::closeDevice(uint32_t device) {
    m_waveOut.stopLine(device);
    for (const auto& [handle, record] : calls()) {
        auto& call = static_cast<Call&>(*record);
        if (call.deviceId == device) {
            if (call.ring)
                call.ring->stop();
            call.state = LineCall::State::Idle;
            call.leg = 0;
        }
    }
    m_waiting.erase(device);
    m_stack->closeLine(int(device));
}

void SipLineService::shutDownService() {
    for (uint32_t device = 0; device < deviceCount(); ++device) {
        if (isOpen(device))
            m_waveOut.stopLine(device);
    }
    m_waiting.clear();
    m_stack.reset();
}
