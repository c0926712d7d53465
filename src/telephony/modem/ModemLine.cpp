#include "telephony/modem/ModemLine.h"

#include "telephony/LineApi.h"
#include "telephony/modem/ModemProbe.h"
#include "telephony/modem/UnsolicitedLine.h"

#include <iterator>
#include <utility>

using Result = ModemPort::Result;

ModemLine::ModemLine(ModemLineHost& host, uint32_t deviceId, uint32_t lineHandle,
                     uint32_t mediaMode, const ModemTimings& timings, QObject* parent)
    : QObject(parent), m_host(host), m_deviceId(deviceId), m_lineHandle(lineHandle),
      m_mediaMode(mediaMode), m_timings(timings) {
    m_port.setCommandTimeout(timings.commandTimeoutMs);
    m_ringTimer.setSingleShot(true);
    m_callerIdGap.setSingleShot(true);
    m_heldCallerIdTimer.setSingleShot(true);
    // A held caller ID that no RING follows was call waiting's, sent while the line is in use on
    // an extension: going off hook would cut into that conversation, so it is forgotten. A ring
    // heard while the last call was hanging up keeps it: its call is about to be offered.
    connect(&m_heldCallerIdTimer, &QTimer::timeout, this, [this] {
        if (!m_nextCallRang)
            m_heldCallerId.reset();
    });
    connect(&m_return, &DeviceReturn::mayBeBack, this, &ModemLine::onMayBeBack);
    connect(&m_ringTimer, &QTimer::timeout, this, [this] {
        // Nobody says "the caller gave up": the rings just stop.
        if (m_call && m_call->state == LineCall::State::Offering)
            endCall(m_call);
    });
    connect(&m_callerIdGap, &QTimer::timeout, this, &ModemLine::deliverCallerId);
    connect(&m_port, &ModemPort::unsolicitedLine, this, &ModemLine::onLine);
    connect(&m_port, &ModemPort::dtmf, this, &ModemLine::onDtmf);
    connect(&m_port, &ModemPort::event, this, &ModemLine::onEvent);
    connect(&m_port, &ModemPort::vanished, this, &ModemLine::onVanished);
}

ModemLine::~ModemLine() {
    close();
}

bool ModemLine::open(const QString& path, QString* error) {
    if (!m_port.open(path, error)) {
        m_lastError = error ? *error : QString();
        return false;
    }
    m_lastError.clear();
    queueSetup();
    return true;
}

void ModemLine::close() {
    m_ringTimer.stop();
    m_callerIdGap.stop();
    m_heldCallerIdTimer.stop();
    m_return.stop();
    if (m_port.isOpen() && m_call && m_call->offHook && m_call->state != LineCall::State::Idle) {
        m_host.stopVoice(m_deviceId);
        m_port.writeRaw("ATH0\r");
    }
    if (m_call)
        m_call->state = LineCall::State::Idle;
    m_call.reset();
    m_nextCallRang = false;
    m_heldCallerId.reset();
    m_port.close();
}

void ModemLine::queueSetup() {
    auto note = [this](const char* what) {
        return [this, what](Result r, const QList<QByteArray>&) {
            if (r != Result::Ok && m_lastError.isEmpty())
                m_lastError = QStringLiteral("The modem on %1 did not accept %2.")
                                  .arg(m_port.path(), QLatin1String(what));
        };
    };
    m_port.command("ATZ", note("ATZ"));
    m_port.command("ATE0", note("ATE0"));
    m_port.command("ATS0=0", note("ATS0=0"));
    m_port.command("ATV1", note("ATV1"));
    m_port.command("ATQ0", note("ATQ0"));
    m_port.command("ATI3", [this](Result r, const QList<QByteArray>& info) {
        if (r == Result::Ok)
            m_identity = ModemProbe::IdentityFrom(info);
        m_usRobotics = ModemProbe::IsUsRobotics(m_identity);
    });
    m_port.command("AT+VCID=1", [this](Result r, const QList<QByteArray>&) {
        if (r != Result::Error) {
            setupDone(r);
            return;
        }
        m_callerIdCommand = "AT#CID=1";
        m_port.command(m_callerIdCommand, [this](Result r2, const QList<QByteArray>&) {
            if (r2 != Result::Ok)
                m_lastError = QStringLiteral("The modem on %1 does not turn caller ID on.")
                                  .arg(m_port.path());
            setupDone(r2);
        });
    });
}

void ModemLine::setupDone(Result result) {
    if (!m_away)
        return; // the first set-up: lineOpen told the program the line is ready
    if (result == Result::Timeout || result == Result::PortClosed) {
        // Not answering (yet): the device may still be settling. Try again later.
        m_port.close();
        m_return.retryLater();
        return;
    }
    m_away = false;
    m_return.stop();
    m_host.postNotice(m_lineHandle, tapi::LINE_LINEDEVSTATE, tapi::LINEDEVSTATE_INSERVICE, 0, 0);
}

void ModemLine::onMayBeBack() {
    if (!m_away || m_port.isOpen())
        return; // set-up already under way
    QString error;
    if (!m_port.open(m_port.path(), &error)) {
        m_lastError = error; // busy while ModemManager probes it, or no permission yet
        m_return.retryLater();
        return;
    }
    m_lastError.clear();
    // It may be another modem at the same path: learn it afresh.
    m_callerIdCommand = "AT+VCID=1";
    m_voiceFormatKnown = false;
    m_offHookCommand = 0;
    queueSetup();
}

void ModemLine::onLine(const QByteArray& line) {
    if (m_away)
        return; // a modem being set up again takes no calls before the program knows it is back
    switch (ClassifyUnsolicited(line)) {
    case Unsolicited::None:
        return; // stray results, noise: nothing to act on
    case Unsolicited::Ring:
        // The next RING ends a caller-ID report still waiting for its quiet gap.
        if (m_callerId.pending())
            deliverCallerId();
        onRing();
        return;
    case Unsolicited::CallerId:
        break;
    }
    switch (m_callerId.feed(line)) {
    case CallerIdParser::Feed::NotCallerId:
        return;
    case CallerIdParser::Feed::Partial:
        m_callerIdGap.start(m_timings.callerIdGapMs);
        return;
    case CallerIdParser::Feed::Complete:
        deliverCallerId();
        return;
    }
}

std::shared_ptr<LineCall> ModemLine::offerCall() {
    m_call = m_host.createCall(m_deviceId, m_lineHandle, m_mediaMode);
    m_host.postNotice(m_call->handle, tapi::LINE_CALLSTATE, tapi::LINECALLSTATE_OFFERING, 0, 0);
    m_ringTimer.start(m_timings.ringTimeoutMs);
    return m_call;
}

void ModemLine::onRing() {
    if (m_call && m_call->state == LineCall::State::HangingUp) {
        // A modem that is off hook hears no ring, so this one is the next caller's, arriving
        // while the hang-up's set-up commands run. It is offered once this call has ended.
        m_nextCallRang = true;
        return;
    }
    if (!m_call)
        offerCall();
    else if (m_call->state != LineCall::State::Offering)
        return; // rings after an off-hook command start nothing new
    ++m_call->rings;
    m_ringTimer.start(m_timings.ringTimeoutMs);
    m_host.postNotice(m_lineHandle, tapi::LINE_LINEDEVSTATE, tapi::LINEDEVSTATE_RINGING, 0,
                      uint32_t(m_call->rings));
    // A caller ID sent before this first ring belongs to this call: screen it at once.
    if (m_heldCallerId) {
        m_heldCallerIdTimer.stop();
        attachCallerId(*m_call, *std::exchange(m_heldCallerId, std::nullopt));
    }
}

void ModemLine::deliverCallerId() {
    m_callerIdGap.stop();
    if (!m_callerId.pending())
        return;
    const CallerId id = m_callerId.take();
    if (!m_call || m_call->state == LineCall::State::HangingUp) {
        holdCallerId(id); // no ring yet: it is no call until one comes
        return;
    }
    if (m_call->state == LineCall::State::Offering)
        attachCallerId(*m_call, id);
}

void ModemLine::holdCallerId(const CallerId& id) {
    m_heldCallerId = id;
    m_heldCallerIdTimer.start(m_timings.heldCallerIdMs);
}

void ModemLine::attachCallerId(LineCall& call, const CallerId& id) {
    if (call.hasCallerId)
        return;
    call.callerId = id;
    call.hasCallerId = true;
    m_host.postNotice(call.handle, tapi::LINE_CALLINFO, tapi::LINECALLINFOSTATE_CALLERID, 0, 0);
}

void ModemLine::setState(LineCall& call, LineCall::State state) {
    call.state = state;
}

void ModemLine::disconnect(LineCall& call) {
    if (call.disconnectedSent)
        return;
    call.disconnectedSent = true;
    m_host.postNotice(call.handle, tapi::LINE_CALLSTATE, tapi::LINECALLSTATE_DISCONNECTED, 0, 0);
}

void ModemLine::endCall(const std::shared_ptr<LineCall>& call) {
    if (call->state == LineCall::State::Idle)
        return;
    setState(*call, LineCall::State::Idle);
    m_host.postNotice(call->handle, tapi::LINE_CALLSTATE, tapi::LINECALLSTATE_IDLE, 0, 0);
    if (m_call == call) {
        m_call.reset();
        m_ringTimer.stop();
        offerHeldCall();
    }
}

void ModemLine::offerHeldCall() {
    // A caller ID heard while hanging up stays held until its ring.
    if (std::exchange(m_nextCallRang, false))
        onRing();
}

bool ModemLine::answer(const std::shared_ptr<LineCall>& call) {
    if (call->state != LineCall::State::Offering || !m_port.isOpen())
        return false;
    setState(*call, LineCall::State::Answering);
    call->offHook = true;
    m_ringTimer.stop();
    auto failed = [this, call](Result r, const char* step) {
        if (r == Result::Ok || r == Result::Vcon)
            return false;
        answerFailed(call, step);
        return true;
    };
    m_port.command("AT+FCLASS=8",
                   [failed](Result r, const QList<QByteArray>&) { failed(r, "AT+FCLASS=8"); });
    goOffHook(call, 0);
    return true;
}

namespace {
// Going off hook in voice mode: V.253, then the older command sets, each answered by VCON.
constexpr const char* kOffHookCommands[] = {"AT+VLS=1", "AT#VLS=0A", "ATA"};
constexpr int kOffHookCount = int(std::size(kOffHookCommands));
} // namespace

void ModemLine::goOffHook(const std::shared_ptr<LineCall>& call, int tried) {
    // Start with the command this modem took last, so an older modem loses no time per call.
    const int which = (m_offHookCommand + tried) % kOffHookCount;
    const char* command = kOffHookCommands[which];
    m_port.command(command, [this, call, tried, which, command](Result r,
                                                                const QList<QByteArray>&) {
        if (call->state != LineCall::State::Answering)
            return; // dropped meanwhile, or an earlier step failed
        if (r == Result::Error && tried + 1 < kOffHookCount) {
            goOffHook(call, tried + 1);
            return;
        }
        if (r != Result::Ok && r != Result::Vcon) {
            answerFailed(call, command);
            return;
        }
        m_offHookCommand = which;
        // U.S. Robotics modems report DTMF and tones only after AT#VTD. It is sent once the
        // line is off hook, so that it never delays taking the call.
        if (m_usRobotics)
            m_port.command("AT#VTD=3F,3F,3F", [](Result, const QList<QByteArray>&) {});
        setState(*call, LineCall::State::Connected);
        m_host.postNotice(call->handle, tapi::LINE_CALLSTATE, tapi::LINECALLSTATE_CONNECTED, 0, 0);
    });
}

void ModemLine::answerFailed(const std::shared_ptr<LineCall>& call, const char* step) {
    if (call->state != LineCall::State::Answering)
        return;
    m_lastError =
        QStringLiteral("The modem on %1 did not take %2.").arg(m_port.path(), QLatin1String(step));
    // The call cannot go on; the program drops it, which hangs the line up again.
    setState(*call, LineCall::State::Disconnected);
    disconnect(*call);
}

bool ModemLine::drop(const std::shared_ptr<LineCall>& call) {
    switch (call->state) {
    case LineCall::State::Idle:
        return false;
    case LineCall::State::HangingUp:
        return true;
    default:
        break;
    }
    if (!call->offHook) {
        // Never answered: going off hook now would pick the call up (or cut into a talk on an
        // extension phone), so only the record ends.
        disconnect(*call);
        endCall(call);
        return true;
    }
    hangUp(call);
    return true;
}

void ModemLine::hangUp(const std::shared_ptr<LineCall>& call) {
    setState(*call, LineCall::State::HangingUp);
    disconnect(*call);
    m_host.stopVoice(m_deviceId);
    auto finish = [this, call] { endCall(call); };
    m_port.command("ATH0", [this, finish](Result r, const QList<QByteArray>&) {
        if (r == Result::Timeout || r == Result::PortClosed) {
            finish(); // a modem that does not answer gets no further commands for this call
            return;
        }
        m_port.command("AT+FCLASS=0", [](Result, const QList<QByteArray>&) {});
        m_port.command(m_callerIdCommand, [finish](Result, const QList<QByteArray>&) { finish(); });
    });
}

void ModemLine::onDtmf(char key) {
    if (!m_call || m_call->state != LineCall::State::Connected || !m_call->monitorDigits)
        return;
    m_host.postNotice(m_call->handle, tapi::LINE_MONITORDIGITS, uint8_t(key),
                      tapi::LINEDIGITMODE_DTMF, 0);
}

void ModemLine::onEvent(char code) {
    if (!m_call || !m_call->offHook)
        return;
    if (m_call->state != LineCall::State::Connected && m_call->state != LineCall::State::Answering)
        return;
    // Busy tone, dial tone or loop-current loss: the far end has gone.
    if (code == 'b' || code == 'd' || code == 'l') {
        setState(*m_call, LineCall::State::Disconnected);
        disconnect(*m_call);
    }
}

void ModemLine::onVanished(const QString& reason) {
    if (m_away) {
        m_return.retryLater(); // it went again while being set up
        return;
    }
    m_lastError = QStringLiteral("The modem on %1 went away (%2).").arg(m_port.path(), reason);
    m_callerIdGap.stop();
    m_callerId.take();
    m_nextCallRang = false;
    m_heldCallerIdTimer.stop();
    m_heldCallerId.reset();
    if (m_call) {
        const std::shared_ptr<LineCall> call = m_call;
        m_host.stopVoice(m_deviceId);
        disconnect(*call);
        endCall(call);
    }
    m_away = true;
    m_host.postNotice(m_lineHandle, tapi::LINE_LINEDEVSTATE, tapi::LINEDEVSTATE_OUTOFSERVICE, 0, 0);
    m_return.watch(m_port.path());
}
