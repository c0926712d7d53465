#include "calllog/LogSink.h"
#include "engine/CallScreener.h"
#include "engine/Wave.h"
#include "platform/time/EventLoop.h"
#include "telephony/LineApi.h"
#include "telephony/LineStructs.h"

#include <vector>

void CallScreener::AnswerCall(int line) {
    // Asynchronous; success shows only as the call reaching CONNECTED, and a failure leaves
    // the call ringing (its next ring restarts the ring timeout).
    LineSlot& s = m_slots.at(size_t(line));
    ++s.answers;
    m_deps.lineApi.lineAnswer(s.callHandle, "", 0);
}

bool CallScreener::FindWaveDevice(int line) {
    using namespace lineabi;
    LineSlot& s = m_slots.at(size_t(line));
    std::vector<uint8_t> id(varstring::kBufferSize, 0);
    writeU32(id.data(), kTotalSize, varstring::kBufferSize);
    if (m_deps.lineApi.lineGetID(s.lineHandle, 0, s.callHandle, tapi::LINECALLSELECT_CALL,
                                 id.data(), QStringLiteral("wave/out")) != 0) {
        // The call is gone (the caller hung up in between) or has no voice channel. A device
        // found for an earlier call could be another line's modem: play nowhere.
        return false;
    }
    if (readU32(id.data(), varstring::dwStringOffset) == 0) {
        s.waveDeviceId = -1; // no device tied to the call: the PC's default output
    } else {
        // The device number stands right after the fixed part; its low byte is the device.
        s.waveDeviceId = id[varstring::kFixedSize];
    }
    return true;
}

void CallScreener::StartMessage(int line) {
    if (!FindWaveDevice(line)) {
        m_slots.at(size_t(line)).timDropCall->start();
        return;
    }
    if (m_deps.wave.isPlaying(line))
        return; // the message is still playing on this line
    // A device left open by a start that could not queue the message is closed before the
    // next one is opened, so no device is left behind.
    if (m_deps.wave.isDeviceOpen(line))
        m_deps.wave.StopWave(line);
    LineSlot& s = m_slots.at(size_t(line));
    // A repeated start for the same call does not report the same file again.
    const bool newCall = s.messageCall != s.callHandle;
    s.messageCall = s.callHandle;
    m_deps.wave.LoadWave(messagePath(), line);
    if (m_deps.wave.isLoaded(line))
        m_deps.wave.PlayWave(s.waveDeviceId, line);
    const WaveFileError problem = m_deps.wave.problem(line);
    if (problem != WaveFileError::None && newCall) {
        m_deps.log.AddLogLine(QStringLiteral("Line%1 could not play donotcall.wav: %2")
                                  .arg(line)
                                  .arg(WaveFileErrorText(problem)));
    }
    s.Timer3->start();
}

void CallScreener::Timer3Tick(int line) {
    LineSlot& s = m_slots.at(size_t(line));
    if (m_deps.wave.isPlaying(line))
        return;
    s.Timer3->stop();
    m_deps.wave.StopWave(line);
    // Let pending notices (a hang-up, the end of a keypad entry) run before deciding.
    for (int n = 0; n < 4; ++n)
        m_deps.loop.yield();
    if (s.pinDetected) {
        s.pinDetected = false;
        s.unlockRings = 0;
        m_deps.log.AddLogLine(QStringLiteral("UnLock PIN Detected"));
        // A line that can hand the caller on does so; the line ends the call once the
        // transfer is taken, or drops it when it is refused. A modem line holds the caller
        // while the PC rings, for the user to pick up an extension on the same wire. A line
        // that could transfer but has no target cannot keep the caller (the provider stopped
        // ringing the user's phones when we answered): it drops the call as after any message.
        const int32_t transfer = m_deps.lineApi.lineBlindTransfer(s.callHandle, QString(), 0);
        if (transfer == tapi::LINEERR_OPERATIONUNAVAIL) {
            playRing();
            s.timUnlockPin->start();
        } else if (transfer < 0) {
            s.timDropCall->start();
        }
    } else if (s.callHandle != 0 && s.callHandle == s.messageCall) {
        // Only the call that heard the message is dropped: once it has gone, the slot may
        // already hold the next caller.
        s.timDropCall->start();
    }
    m_deps.loop.yield();
}

void CallScreener::timDropCallTick(int line) {
    LineSlot& s = m_slots.at(size_t(line));
    s.timDropCall->stop();
    s.listed = false;
    DropCall(line);
}

void CallScreener::DropCall(int line) {
    const uint32_t call = m_slots.at(size_t(line)).callHandle;
    // The slot may already be free (the call went idle while the drop was pending).
    if (call != 0)
        m_deps.lineApi.lineDrop(call, "", 0);
}
