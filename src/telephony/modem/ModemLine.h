#pragma once

#include "telephony/LineCall.h"
#include "telephony/modem/CallerIdParser.h"
#include "telephony/modem/DeviceReturn.h"
#include "telephony/modem/ModemPort.h"
#include "telephony/modem/VoiceFormatChoice.h"

#include <QObject>
#include <QTimer>

#include <memory>
#include <optional>

// What a line needs from the service that owns it.
class ModemLineHost {
public:
    virtual ~ModemLineHost() = default;
    // Queues a notice for the program's line callback.
    virtual void postNotice(uint32_t device, uint32_t message, uint32_t p1, uint32_t p2,
                            uint32_t p3) = 0;
    // Registers a new call record with a fresh handle.
    virtual std::shared_ptr<LineCall> createCall(uint32_t deviceId, uint32_t lineHandle,
                                                 uint32_t mediaMode) = 0;
    // Stops any message playing on the device at once (the line is about to hang up).
    virtual void stopVoice(uint32_t deviceId) = 0;
};

struct ModemTimings {
    int commandTimeoutMs = 3000;
    int ringTimeoutMs = 10000; // an offered call with no ring for this long is over
    int callerIdGapMs = 150;   // a caller-ID report is complete after this much quiet
    int heldCallerIdMs = 4000; // a caller ID that no RING follows for this long was no call
};

// One open line: a modem on its port, set up for caller ID, and the call on it. Turns what the
// modem reports into call states and notices, and runs answer and hang-up. A modem that goes
// away puts the line out of service until it is back at the same path and set up again.
class ModemLine : public QObject {
    Q_OBJECT
public:
    ModemLine(ModemLineHost& host, uint32_t deviceId, uint32_t lineHandle, uint32_t mediaMode,
              const ModemTimings& timings, QObject* parent = nullptr);
    ~ModemLine() override;

    // Opens the port and queues the set-up commands; false with *error when it cannot be opened.
    bool open(const QString& path, QString* error);
    // Hangs up if off hook (best effort, without waiting) and closes the port. No notices.
    void close();

    uint32_t deviceId() const { return m_deviceId; }
    uint32_t lineHandle() const { return m_lineHandle; }
    ModemPort& port() { return m_port; }
    QString identity() const { return m_identity; }
    QString lastError() const { return m_lastError; }
    std::shared_ptr<LineCall> call() const { return m_call; }

    // Voice format for playback, learnt once from AT+VSM=?.
    bool voiceFormatKnown() const { return m_voiceFormatKnown; }
    VoiceFormatChoice voiceFormat() const { return m_voiceFormat; }
    void setVoiceFormat(const VoiceFormatChoice& f) {
        m_voiceFormat = f;
        m_voiceFormatKnown = true;
    }

    // The LineApi operations on this line's call; false when the call is in the wrong state.
    bool answer(const std::shared_ptr<LineCall>& call);
    bool drop(const std::shared_ptr<LineCall>& call);

private:
    void queueSetup();
    void setupDone(ModemPort::Result result);
    void onMayBeBack();
    void onLine(const QByteArray& line);
    void onDtmf(char key);
    void onEvent(char code);
    void onVanished(const QString& reason);
    void onRing();
    void deliverCallerId();
    std::shared_ptr<LineCall> offerCall();
    void offerHeldCall();
    void holdCallerId(const CallerId& id);
    void attachCallerId(LineCall& call, const CallerId& id);
    void goOffHook(const std::shared_ptr<LineCall>& call, int tried);
    void setState(LineCall& call, LineCall::State state);
    void disconnect(LineCall& call);
    void endCall(const std::shared_ptr<LineCall>& call);
    void answerFailed(const std::shared_ptr<LineCall>& call, const char* step);
    void hangUp(const std::shared_ptr<LineCall>& call);

    ModemLineHost& m_host;
    const uint32_t m_deviceId;
    const uint32_t m_lineHandle;
    const uint32_t m_mediaMode;
    const ModemTimings m_timings;
    ModemPort m_port;
    CallerIdParser m_callerId;
    QTimer m_ringTimer;
    QTimer m_callerIdGap;
    QTimer m_heldCallerIdTimer;
    DeviceReturn m_return;
    bool m_away = false; // from the modem's going away until it is back and set up again
    std::shared_ptr<LineCall> m_call;
    QString m_identity;
    QString m_lastError;
    QByteArray m_callerIdCommand = "AT+VCID=1";
    bool m_usRobotics = false;
    VoiceFormatChoice m_voiceFormat;
    bool m_voiceFormatKnown = false;
    int m_offHookCommand = 0; // which of the off-hook commands this modem took last
    // The next caller's ring, heard while this call was still hanging up.
    bool m_nextCallRang = false;
    // A caller ID that came with no call ringing yet: before the first RING (as some exchanges
    // send it), while the last call was hanging up, or as call waiting's caller ID while the
    // line is in use on an extension. Only a RING makes it a call.
    std::optional<CallerId> m_heldCallerId;
};
