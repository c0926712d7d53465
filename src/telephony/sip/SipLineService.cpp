#include "telephony/sip/SipLineService.h"

#include "telephony/LineStructs.h"
#include "telephony/LineStructWriter.h"
#include "telephony/sip/SipAccount.h"
#include "telephony/sip/SipCallerId.h"

#include <cstring>

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

SipLineService::SipLineService(QList<SipLineConfig> lines, QObject* parent)
    : QObject(parent), m_configs(std::move(lines)) {}

SipLineService::~SipLineService() {
    m_callback = nullptr;
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

SipLineService::Call* SipLineService::findCall(uint32_t handle) {
    auto it = m_calls.find(handle);
    return it == m_calls.end() ? nullptr : &it->second;
}

SipLineService::Call* SipLineService::callByLeg(uint32_t leg) {
    for (auto& [handle, call] : m_calls) {
        if (call.leg == leg)
            return &call;
    }
    return nullptr;
}

void SipLineService::postNotice(uint32_t device, uint32_t message, uint32_t p1, uint32_t p2,
                                uint32_t p3) {
    uint32_t deviceId = device - kLineHandleBase;
    if (message != tapi::LINE_LINEDEVSTATE) {
        const Call* call = findCall(device);
        deviceId = call ? call->record.deviceId : UINT32_MAX;
    }
    auto it = m_lines.find(deviceId);
    const uintptr_t instance = it == m_lines.end() ? 0 : it->second.instance;
    // Always later, in order: the program never hears of a call inside its own LineApi call.
    QMetaObject::invokeMethod(
        this,
        [this, device, message, instance, p1, p2, p3] {
            if (m_callback)
                m_callback(device, message, instance, p1, p2, p3);
        },
        Qt::QueuedConnection);
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
    ModemCall& r = call->record;
    switch (event.kind) {
    case SipEvent::Kind::Connected:
        if (r.state != ModemCall::State::Answering)
            return;
        call->codec = event.codec;
        r.state = ModemCall::State::Connected;
        postNotice(r.handle, tapi::LINE_CALLSTATE, tapi::LINECALLSTATE_CONNECTED, 0, 0);
        break;
    case SipEvent::Kind::Digit:
        if (r.state == ModemCall::State::Connected && r.monitorDigits)
            postNotice(r.handle, tapi::LINE_MONITORDIGITS, uint8_t(event.digit),
                       tapi::LINEDIGITMODE_DTMF, 0);
        break;
    case SipEvent::Kind::Ended:
        call->leg = 0;
        if (r.state == ModemCall::State::Connected) {
            // The far end hung up: the program drops the call, which then goes idle.
            m_waveOut.stopLine(r.deviceId);
            r.state = ModemCall::State::Disconnected;
            disconnect(*call);
        } else if (r.state != ModemCall::State::Disconnected) {
            endCall(*call); // cancelled while ringing, or answered elsewhere
        }
        break;
    default:
        break;
    }
}

void SipLineService::offer(const SipEvent& event) {
    const uint32_t device = uint32_t(event.line);
    if (!m_lines.count(device) || !validDevice(device)) {
        m_stack->drop(event.call); // nobody watches the line: let it ring on
        return;
    }
    // The program still holds the line's last call (its drop is on the way): the new call is
    // offered once that one has gone idle, as a modem line rings again only once it is back on
    // hook. Offered now, it would take the place of the old call, and the old call's drop would
    // hang up on it.
    for (const auto& [handle, held] : m_calls) {
        if (held.record.deviceId == device && held.record.state != ModemCall::State::Idle) {
            m_waiting[device] = event;
            return;
        }
    }
    const uint32_t handle = ++m_nextCall;
    Call& call = m_calls[handle];
    call.leg = event.call;
    ModemCall& r = call.record;
    r.handle = handle;
    r.deviceId = device;
    r.lineHandle = kLineHandleBase + device;
    r.mediaMode = m_lines[device].mediaModes;
    r.state = ModemCall::State::Offering;
    r.callerId = toCallerId(ExtractCallerId(event.identity, m_configs[int(device)].rewrite));
    r.hasCallerId = true;
    postNotice(handle, tapi::LINE_CALLSTATE, tapi::LINECALLSTATE_OFFERING, 0, 0);
    ring(call);
    postNotice(handle, tapi::LINE_CALLINFO, tapi::LINECALLINFOSTATE_CALLERID, 0, 0);
    // Rings go on at an analogue line's cadence while the INVITE waits.
    call.ring = std::make_unique<QTimer>();
    call.ring->setInterval(m_ringIntervalMs);
    connect(call.ring.get(), &QTimer::timeout, this, [this, handle] {
        if (Call* c = findCall(handle); c && c->record.state == ModemCall::State::Offering)
            ring(*c);
    });
    call.ring->start();
}

void SipLineService::ring(Call& call) {
    ++call.record.rings;
    postNotice(call.record.lineHandle, tapi::LINE_LINEDEVSTATE, tapi::LINEDEVSTATE_RINGING, 0,
               uint32_t(call.record.rings));
}

void SipLineService::disconnect(Call& call) {
    if (call.ring)
        call.ring->stop();
    if (call.record.disconnectedSent)
        return;
    call.record.disconnectedSent = true;
    postNotice(call.record.handle, tapi::LINE_CALLSTATE, tapi::LINECALLSTATE_DISCONNECTED, 0, 0);
}

void SipLineService::endCall(Call& call) {
    if (call.ring)
        call.ring->stop();
    if (call.record.state == ModemCall::State::Idle)
        return;
    call.record.state = ModemCall::State::Idle;
    postNotice(call.record.handle, tapi::LINE_CALLSTATE, tapi::LINECALLSTATE_IDLE, 0, 0);
    if (auto waiting = m_waiting.find(call.record.deviceId); waiting != m_waiting.end()) {
        const SipEvent next = waiting->second;
        m_waiting.erase(waiting);
        offer(next);
    }
}

bool SipLineService::connectedCall(uint32_t line, uint32_t* leg, SipCodec* codec) const {
    for (const auto& [handle, call] : m_calls) {
        if (call.record.deviceId == line && call.record.state == ModemCall::State::Connected &&
            call.leg != 0) {
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

int32_t SipLineService::lineInitialize(uint32_t* lineApp, LineCallback callback,
                                       const QString& /*appName*/, uint32_t* numDevs) {
    if (!lineApp || !numDevs)
        return tapi::LINEERR_INVALPOINTER;
    if (!m_stack) {
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
    }
    m_callback = std::move(callback);
    *lineApp = kLineApp;
    *numDevs = uint32_t(m_configs.size());
    return 0;
}

int32_t SipLineService::lineNegotiateAPIVersion(uint32_t lineApp, uint32_t deviceId,
                                                uint32_t apiLowVersion, uint32_t apiHighVersion,
                                                uint32_t* apiVersion, uint8_t* extensionId) {
    if (!validApp(lineApp))
        return tapi::LINEERR_INVALAPPHANDLE;
    if (!validDevice(deviceId))
        return tapi::LINEERR_BADDEVICEID;
    if (!apiVersion)
        return tapi::LINEERR_INVALPOINTER;
    if (apiHighVersion < tapi::kApiVersionLow || apiLowVersion > kApiVersion)
        return tapi::LINEERR_INCOMPATIBLEAPIVERSION;
    *apiVersion = qMin(apiHighVersion, kApiVersion);
    if (extensionId)
        std::memset(extensionId, 0, 16);
    return 0;
}

int32_t SipLineService::lineGetDevCaps(uint32_t lineApp, uint32_t deviceId, uint32_t, uint32_t,
                                       uint8_t* devCaps) {
    if (!validApp(lineApp))
        return tapi::LINEERR_INVALAPPHANDLE;
    if (!validDevice(deviceId))
        return tapi::LINEERR_BADDEVICEID;
    if (!devCaps)
        return tapi::LINEERR_INVALPOINTER;
    if (!LineStructWriter::WriteDevCaps(devCaps, deviceId, lineName(deviceId).toUtf8(),
                                        tapi::LINEMEDIAMODE_INTERACTIVEVOICE |
                                            tapi::LINEMEDIAMODE_AUTOMATEDVOICE))
        return tapi::LINEERR_STRUCTURETOOSMALL;
    return 0;
}

int32_t SipLineService::lineOpen(uint32_t lineApp, uint32_t deviceId, uint32_t* line, uint32_t,
                                 uint32_t, uintptr_t callbackInstance, uint32_t,
                                 uint32_t mediaModes, const void*) {
    if (!validApp(lineApp))
        return tapi::LINEERR_INVALAPPHANDLE;
    if (!validDevice(deviceId))
        return tapi::LINEERR_BADDEVICEID;
    if (!line)
        return tapi::LINEERR_INVALPOINTER;
    if (m_lines.count(deviceId))
        return tapi::LINEERR_ALLOCATED;
    m_lines[deviceId] = OpenLine{callbackInstance, mediaModes};
    m_stack->openLine(int(deviceId));
    *line = kLineHandleBase + deviceId;
    return 0;
}

int32_t SipLineService::lineSetStatusMessages(uint32_t line, uint32_t, uint32_t) {
    // Rings are always reported; nothing else is on offer.
    return line >= kLineHandleBase && m_lines.count(line - kLineHandleBase)
               ? 0
               : tapi::LINEERR_INVALLINEHANDLE;
}

int32_t SipLineService::lineGetCallInfo(uint32_t call, uint8_t* callInfo) {
    const Call* c = findCall(call);
    if (!c)
        return tapi::LINEERR_INVALCALLHANDLE;
    if (!callInfo)
        return tapi::LINEERR_INVALPOINTER;
    if (!LineStructWriter::WriteCallInfo(callInfo, c->record))
        return tapi::LINEERR_STRUCTURETOOSMALL;
    return 0;
}

int32_t SipLineService::lineAnswer(uint32_t call, const char*, uint32_t) {
    Call* c = findCall(call);
    if (!c)
        return tapi::LINEERR_INVALCALLHANDLE;
    if (c->record.state != ModemCall::State::Offering || c->leg == 0)
        return tapi::LINEERR_INVALCALLSTATE;
    c->record.state = ModemCall::State::Answering;
    c->record.offHook = true;
    c->ring->stop();
    m_stack->answer(c->leg);
    return m_nextRequest++;
}

int32_t SipLineService::lineMonitorDigits(uint32_t call, uint32_t digitModes) {
    Call* c = findCall(call);
    if (!c)
        return tapi::LINEERR_INVALCALLHANDLE;
    if (c->record.state == ModemCall::State::Idle)
        return tapi::LINEERR_INVALCALLSTATE;
    c->record.monitorDigits = (digitModes & tapi::LINEDIGITMODE_DTMF) != 0;
    return 0;
}

int32_t SipLineService::lineGetID(uint32_t line, uint32_t, uint32_t call, uint32_t select,
                                  uint8_t* deviceId, const QString& deviceClass) {
    if (!deviceId)
        return tapi::LINEERR_INVALPOINTER;
    if (deviceClass.compare(QLatin1String("wave/out"), Qt::CaseInsensitive) != 0)
        return tapi::LINEERR_OPERATIONFAILED;
    uint32_t device = 0;
    if (select == tapi::LINECALLSELECT_CALL) {
        const Call* c = findCall(call);
        if (!c)
            return tapi::LINEERR_INVALCALLHANDLE;
        // The RTP stream exists only while the call is answered.
        if (c->record.state != ModemCall::State::Connected)
            return tapi::LINEERR_INVALCALLSTATE;
        device = c->record.deviceId;
    } else {
        if (line < kLineHandleBase || !m_lines.count(line - kLineHandleBase))
            return tapi::LINEERR_INVALLINEHANDLE;
        device = line - kLineHandleBase;
    }
    if (!LineStructWriter::WriteWaveOutId(deviceId, device))
        return tapi::LINEERR_STRUCTURETOOSMALL;
    return 0;
}

int32_t SipLineService::lineDrop(uint32_t call, const char*, uint32_t) {
    Call* c = findCall(call);
    if (!c)
        return tapi::LINEERR_INVALCALLHANDLE;
    if (c->record.state == ModemCall::State::Idle)
        return tapi::LINEERR_INVALCALLSTATE;
    m_waveOut.stopLine(c->record.deviceId);
    // An answered call gets its BYE; one never answered is only let go, so it rings on for the
    // user's phones until the provider cancels it.
    if (c->leg != 0 && m_stack)
        m_stack->drop(c->leg);
    c->leg = 0;
    disconnect(*c);
    endCall(*c);
    return m_nextRequest++;
}

int32_t SipLineService::lineDeallocateCall(uint32_t call) {
    const Call* c = findCall(call);
    if (!c)
        return tapi::LINEERR_INVALCALLHANDLE;
    if (c->record.state != ModemCall::State::Idle)
        return tapi::LINEERR_INVALCALLSTATE;
    m_calls.erase(call);
    return 0;
}

int32_t SipLineService::lineClose(uint32_t line) {
    if (line < kLineHandleBase || !m_lines.count(line - kLineHandleBase))
        return tapi::LINEERR_INVALLINEHANDLE;
    const uint32_t device = line - kLineHandleBase;
    m_waveOut.stopLine(device);
    for (auto& [handle, call] : m_calls) {
        if (call.record.deviceId == device) {
            if (call.ring)
                call.ring->stop();
            call.record.state = ModemCall::State::Idle;
            call.leg = 0;
        }
    }
    m_waiting.erase(device);
    m_stack->closeLine(int(device));
    m_lines.erase(device);
    return 0;
}

int32_t SipLineService::lineShutdown(uint32_t lineApp) {
    if (!validApp(lineApp))
        return tapi::LINEERR_INVALAPPHANDLE;
    for (const auto& [device, open] : m_lines)
        m_waveOut.stopLine(device);
    m_lines.clear();
    m_calls.clear();
    m_waiting.clear();
    m_callback = nullptr;
    m_stack.reset();
    return 0;
}
