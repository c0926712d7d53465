#include "engine/CallScreener.h"
#include "platform/time/Clock.h"
#include "platform/time/EventLoop.h"

void CallScreener::OnDigit(uint32_t call, uint32_t param1) {
    const int i = slotByCall(call);
    if (i < 0)
        return;
    LineSlot& s = m_slots[size_t(i)];
    // The entry period runs from its first digit; later digits do not extend it.
    if (!s.timTollSaver->isRunning())
        s.timTollSaver->start();
    s.digits += QChar(char16_t(param1 & 0xFFFF));
    s.digitTicks = 0;
}

void CallScreener::timTollSaverTick(int line) {
    LineSlot& s = m_slots.at(size_t(line));
    ++s.digitTicks;
    // Four ticks without a new digit (1.8 to 2.4 s) end the entry.
    if (s.digitTicks > 3) {
        s.timTollSaver->stop();
        s.digitTicks = 0;
        if (s.digits == m_options.pin && !s.digits.isEmpty()) {
            s.pinDetected = true;
            // A person keyed the PIN: their next calls ring through for a while, on every line.
            if (m_deps.clock)
                m_callBack.open(s.callerNumber, m_deps.clock->tickMs(), m_options.callBackMinutes);
        }
        s.digits.clear();
    }
}

void CallScreener::timUnlockPinTick(int line) {
    LineSlot& s = m_slots.at(size_t(line));
    ++s.unlockRings;
    if (s.unlockRings >= 5) {
        s.unlockRings = 0;
        s.timUnlockPin->stop();
        s.timDropCall->start();
        m_deps.loop.yield();
    } else {
        playRing();
    }
}
