#include "engine/CallScreener.h"

#include "calllog/LogSink.h"
#include "engine/Wave.h"
#include "platform/audio/SoundPlayer.h"
#include "platform/time/EventLoop.h"
#include "telephony/LineApi.h"
#include "telephony/LineStructs.h"

#include <vector>

CallScreener::CallScreener(EngineDeps deps) : m_deps(std::move(deps)), m_rules(m_deps.appFolder) {
    for (int i = 0; i < kLines; ++i) {
        LineSlot& s = m_slots[size_t(i)];
        auto make = [&](const char* name, int ms, void (CallScreener::*tick)(int)) {
            return m_deps.timers.createTimer(
                QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(i), ms,
                [this, tick, i] { (this->*tick)(i); });
        };
        s.timRing = make("timRing", kRingMs, &CallScreener::timRingTick);
        s.timDropCall = make("timDropCall", kDropCallMs, &CallScreener::timDropCallTick);
        s.Timer3 = make("Timer3", kTimer3Ms, &CallScreener::Timer3Tick);
        s.timTollSaver = make("timTollSaver", kTollSaverMs, &CallScreener::timTollSaverTick);
        s.timUnlockPin = make("timUnlockPin", kUnlockPinMs, &CallScreener::timUnlockPinTick);
    }
}

CallScreener::~CallScreener() = default;

QString CallScreener::messagePath() const {
    return m_deps.appFolder + QStringLiteral("/donotcall.wav");
}

QString CallScreener::ringPath() const {
    return m_deps.appFolder + QStringLiteral("/ring.wav");
}

void CallScreener::playRing() {
    m_deps.sound.play(ringPath());
}

// A handle of 0 means "no call" or "line not open" in a slot, so it never names one.
int CallScreener::slotByCall(uint32_t call) const {
    if (call == 0)
        return -1;
    for (int i = 0; i < kLines; ++i) {
        if (m_slots[size_t(i)].callHandle == call)
            return i;
    }
    return -1;
}

int CallScreener::slotByLine(uint32_t line) const {
    if (line == 0)
        return -1;
    for (int i = 0; i < kLines; ++i) {
        if (m_slots[size_t(i)].lineHandle == line)
            return i;
    }
    return -1;
}

void CallScreener::OnLineEvent(uint32_t device, uint32_t message, uintptr_t /*instance*/,
                               uint32_t param1, uint32_t /*param2*/, uint32_t param3) {
    switch (message) {
    case tapi::LINE_CALLINFO:
        // Only a change of the caller ID alone starts screening.
        if (param1 == tapi::LINECALLINFOSTATE_CALLERID)
            ScreenCall(device);
        break;
    case tapi::LINE_CALLSTATE:
        OnCallState(device, param1);
        break;
    case tapi::LINE_LINEDEVSTATE:
        OnRing(device, param1, param3);
        OnLineService(device, param1);
        break;
    case tapi::LINE_MONITORDIGITS:
        OnDigit(device, param1);
        break;
    default:
        break;
    }
}

void CallScreener::OnCallState(uint32_t call, uint32_t callState) {
    switch (callState) {
    case tapi::LINECALLSTATE_OFFERING: {
        std::vector<uint8_t> info(lineabi::callinfo::kBufferSize, 0);
        lineabi::writeU32(info.data(), lineabi::kTotalSize, lineabi::callinfo::kBufferSize);
        if (m_deps.lineApi.lineGetCallInfo(call, info.data()) != 0)
            return;
        const uint32_t hLine = lineabi::readU32(info.data(), lineabi::callinfo::hLine);
        const int i = slotByLine(hLine);
        if (i < 0)
            return;
        m_slots[size_t(i)].callHandle = call;
        m_deps.log.AddLogLine(QStringLiteral("Line%1 Ring...").arg(i));
        break;
    }
    case tapi::LINECALLSTATE_CONNECTED: {
        const int i = slotByCall(call);
        if (i < 0)
            return;
        m_deps.lineApi.lineMonitorDigits(call, tapi::LINEDIGITMODE_DTMF);
        StartMessage(i);
        break;
    }
    case tapi::LINECALLSTATE_DISCONNECTED: {
        const int i = slotByCall(call);
        if (i >= 0)
            m_slots[size_t(i)].timDropCall->start();
        break;
    }
    case tapi::LINECALLSTATE_IDLE: {
        const int i = slotByCall(call);
        if (i < 0)
            return;
        LineSlot& s = m_slots[size_t(i)];
        m_deps.lineApi.lineDeallocateCall(s.callHandle);
        s.callHandle = 0;
        // A PIN belongs to the call it was keyed on: an entry still being collected, or a
        // recognised PIN whose message has not ended, must not unlock the line's next call.
        s.pinDetected = false;
        // A pending drop and the unlock rings were for this call. Left running they would act
        // on whatever the slot holds next: a caller who rings in right after the hang-up would
        // be dropped (and offered twice), or hung up on in the middle of the message.
        s.timDropCall->stop();
        s.timUnlockPin->stop();
        s.unlockRings = 0;
        s.timTollSaver->stop();
        s.digits.clear();
        s.digitTicks = 0;
        break;
    }
    default:
        break;
    }
}
