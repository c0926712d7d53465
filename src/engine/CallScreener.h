#pragma once

#include "platform/time/LineTimer.h"
#include "rules/CallBackWindow.h"
#include "rules/RuleBook.h"
#include "settings/EngineOptions.h"

#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>

class Clock;
class EventLoop;
class LineAccess;
class LineApi;
class LogSink;
class PhoneLists;
class SoundPlayer;
class Wave;

// Everything the engine reaches outside itself. The references must outlive the engine.
struct EngineDeps {
    LineApi& lineApi;
    TimerFactory& timers;
    EventLoop& loop;
    LogSink& log;
    PhoneLists& lists;
    Wave& wave;
    SoundPlayer& sound;
    QString appFolder;                     // where donotcall.wav and ring.wav are found
    std::function<void()> telephonyFailed; // telephony could not start: nothing can be screened
    // Why a line device failed, for the call log; may be null.
    const LineAccess* lineAccess = nullptr;
    // The time of day for quiet hours and rule hits, and the time the call-back window is kept
    // in; without one neither quiet hours nor the call-back window apply.
    const Clock* clock = nullptr;
};

// The state of one telephone line (0..3). Line i always uses telephony line device i. The
// message playback state of the line lives in Wave (slot i there).
struct LineSlot {
    uint32_t lineHandle = 0;  // 0: line not open
    uint32_t callHandle = 0;  // 0: no call on the line
    bool listed = false;      // the verdict found the caller in a list
    QString digits;           // keypad digits of the entry being collected
    int32_t digitTicks = 0;   // entry-timer ticks since the last digit
    int32_t waveDeviceId = 0; // wave-out device of the line's call; -1 = PC's default output
    // The unlock PIN was keyed on this line's call and waits for the end of its message.
    bool pinDetected = false;
    int32_t unlockRings = 0;  // ticks of this line's unlock ringing
    uint32_t answers = 0;     // answers issued on this line, so a ring can tell one happened
    uint32_t messageCall = 0; // the call the message was started for
    QString callerNumber;     // the number of the line's call, as its caller ID delivered it

    // The line's timers, created by the engine with the object names "<name>_<line>".
    std::unique_ptr<LineTimer> timRing;      // 6300 ms: no ring for that long
    std::unique_ptr<LineTimer> timDropCall;  // 300 ms: drop the call
    std::unique_ptr<LineTimer> Timer3;       // 500 ms: poll for the end of the message
    std::unique_ptr<LineTimer> timTollSaver; // 600 ms: end of a keypad entry
    std::unique_ptr<LineTimer> timUnlockPin; // 4000 ms: the unlock ringing
};

// The call screening engine: takes every telephony notice through OnLineEvent, screens the
// caller ID against the phone lists, answers blocked calls, plays the message and hangs up,
// ends calls that stop ringing, rings the PC in mode 2 and recognises the unlock PIN.
// Everything runs on the GUI thread.
class CallScreener {
public:
    static constexpr int kLines = 4;
    static constexpr int kRingMs = 6300;
    static constexpr int kDropCallMs = 300;
    static constexpr int kTimer3Ms = 500;
    static constexpr int kTollSaverMs = 600;
    static constexpr int kUnlockPinMs = 4000;

    explicit CallScreener(EngineDeps deps);
    ~CallScreener();
    CallScreener(const CallScreener&) = delete;
    CallScreener& operator=(const CallScreener&) = delete;

    // Line set-up and shutdown.
    void ResetLines();
    void InitTelephony();
    void OpenLines();
    void CloseTelephony();

    // The telephony line callback: device, message, callback instance, param1..param3.
    void OnLineEvent(uint32_t device, uint32_t message, uintptr_t instance, uint32_t param1,
                     uint32_t param2, uint32_t param3);
    void OnCallState(uint32_t call, uint32_t callState);
    void ScreenCall(uint32_t call);
    void OnRing(uint32_t line, uint32_t deviceState, uint32_t ringCount);
    // A line whose device went away, or came back and was set up again.
    void OnLineService(uint32_t line, uint32_t deviceState);
    void OnDigit(uint32_t call, uint32_t param1);
    // Reads rules.txt again if it changed since the last read; its bad lines go to the log once.
    void LoadRules();

    // Blocking action.
    void AnswerCall(int line);
    void StartMessage(int line);
    // Looks up the wave-out device of the line's call; false when the call has none any more.
    bool FindWaveDevice(int line);
    void DropCall(int line);

    // Timer ticks, by line index.
    void timRingTick(int line);
    void timDropCallTick(int line);
    void Timer3Tick(int line);
    void timTollSaverTick(int line);
    void timUnlockPinTick(int line);

    // Slot lookups: the first slot holding the handle, or -1.
    int slotByCall(uint32_t call) const;
    int slotByLine(uint32_t line) const;

    const LineSlot& slot(int line) const { return m_slots.at(size_t(line)); }

    QString messagePath() const; // appFolder + "/donotcall.wav"
    QString ringPath() const;    // appFolder + "/ring.wav"

    // The options the engine runs with. Lines take their choice and media mode at OpenLines;
    // the other options apply from the next notice on.
    void setOptions(const EngineOptions& options) { m_options = options; }
    const EngineOptions& options() const { return m_options; }

    // The telephony session, once InitTelephony has run.
    uint32_t lineApp() const { return m_lineApp; }
    int32_t deviceCount() const { return m_deviceCount; }
    uint32_t apiVersion() const { return m_apiVersion; }
    // The caller of the last call screened.
    const QString& callerNumber() const { return m_callerNumber; }
    const QString& callerName() const { return m_callerName; }
    const RuleBook& rules() const { return m_rules; }
    const CallBackWindow& callBackWindow() const { return m_callBack; }

private:
    void playRing();
    void noteRuleHit(int rule);

    EngineDeps m_deps;
    EngineOptions m_options;
    std::array<LineSlot, kLines> m_slots;
    uint32_t m_lineApp = 0;
    int32_t m_deviceCount = 0;
    uint32_t m_apiVersion = 0;
    QString m_callerNumber;
    QString m_callerName;
    RuleBook m_rules;
    CallBackWindow m_callBack;
};

// The text of a failed lineOpen: upper-case hexadecimal of the 32-bit result, no prefix.
QString LineErrorHex(int32_t result);
