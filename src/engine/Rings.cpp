#include "engine/CallScreener.h"
#include "platform/time/EventLoop.h"
#include "telephony/LineApi.h"

void CallScreener::OnRing(uint32_t line, uint32_t deviceState, uint32_t ringCount) {
    if (deviceState != tapi::LINEDEVSTATE_RINGING)
        return;
    const int i = slotByLine(line);
    if (i >= 0) {
        // Restart the 6.3 s period at every ring. The caller ID may be handled during the
        // yield; when it blocked the call, the ring timeout stays stopped, or it would drop the
        // answered call in the middle of its message.
        LineSlot& s = m_slots[size_t(i)];
        const uint32_t answersBefore = s.answers;
        s.timRing->stop();
        m_deps.loop.yield();
        if (s.answers == answersBefore)
            s.timRing->start();
    }
    // In mode 2 the telephone's ringer is off and the PC rings instead, from the second ring on
    // (the caller ID comes after the first, so a blocked call never rings the PC).
    if (ringCount > 1 && m_options.mode == 2)
        playRing();
}

void CallScreener::timRingTick(int line) {
    LineSlot& s = m_slots.at(size_t(line));
    s.timRing->stop();
    s.timDropCall->start();
}
