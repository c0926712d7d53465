#pragma once

#include "telephony/LineAccess.h"
#include "telephony/LineApi.h"
#include "telephony/LineCall.h"
#include "telephony/sip/SipLineConfig.h"
#include "telephony/sip/SipStack.h"
#include "telephony/sip/SipWaveOut.h"

#include <QList>
#include <QObject>
#include <QTimer>

#include <map>
#include <memory>

// The telephony lines over SIP: line device i is SIP line i of the list it was made with, a
// registered account or a listening endpoint. An INVITE is an offered call that rings every
// 6 s, as an analogue line does, with its caller ID at once; answering sends 200 OK, dropping
// an answered call sends BYE, and dropping one never answered sends nothing, so it rings on
// elsewhere. Every notice reaches the callback later through the Qt event loop. As LineAccess
// it says why a line cannot take calls (a refused password, a server that does not answer).
class SipLineService : public QObject, public LineApi, public LineAccess, private SipVoiceHost {
    Q_OBJECT
public:
    explicit SipLineService(QList<SipLineConfig> lines, QObject* parent = nullptr);
    ~SipLineService() override;

    // Timings; tests shorten them. They take effect at lineInitialize.
    void setTimings(const SipTimings& timings) { m_timings = timings; }
    void setRingIntervalMs(int ms) { m_ringIntervalMs = ms; }

    // The voice channel: wave-out device i plays on line device i.
    WaveOut& sipWaveOut() { return m_waveOut; }
    // What keeps a line from taking calls, in words for the user ("" when nothing does): a
    // refused password, a server that does not answer, an address that cannot be used.
    QString lastError(uint32_t deviceId) const override;
    // "SIP alice@sip.example.net" for an account, "SIP 0.0.0.0:5060" for a listening endpoint.
    QString lineName(uint32_t deviceId) const;
    // The line as the user knows it, for messages: its name.
    QString devicePath(uint32_t deviceId) const override { return lineName(deviceId); }
    // No local permission guards a SIP line.
    bool isPermissionDenied(uint32_t) const override { return false; }

    int32_t lineInitialize(uint32_t* lineApp, LineCallback callback, const QString& appName,
                           uint32_t* numDevs) override;
    int32_t lineNegotiateAPIVersion(uint32_t lineApp, uint32_t deviceId, uint32_t apiLowVersion,
                                    uint32_t apiHighVersion, uint32_t* apiVersion,
                                    uint8_t* extensionId) override;
    int32_t lineGetDevCaps(uint32_t lineApp, uint32_t deviceId, uint32_t apiVersion,
                           uint32_t extVersion, uint8_t* devCaps) override;
    int32_t lineOpen(uint32_t lineApp, uint32_t deviceId, uint32_t* line, uint32_t apiVersion,
                     uint32_t extVersion, uintptr_t callbackInstance, uint32_t privileges,
                     uint32_t mediaModes, const void* callParams) override;
    int32_t lineSetStatusMessages(uint32_t line, uint32_t lineStates,
                                  uint32_t addressStates) override;
    int32_t lineGetCallInfo(uint32_t call, uint8_t* callInfo) override;
    int32_t lineAnswer(uint32_t call, const char* userUserInfo, uint32_t size) override;
    int32_t lineMonitorDigits(uint32_t call, uint32_t digitModes) override;
    int32_t lineGetID(uint32_t line, uint32_t addressId, uint32_t call, uint32_t select,
                      uint8_t* deviceId, const QString& deviceClass) override;
    int32_t lineDrop(uint32_t call, const char* userUserInfo, uint32_t size) override;
    int32_t lineDeallocateCall(uint32_t call) override;
    int32_t lineClose(uint32_t line) override;
    int32_t lineShutdown(uint32_t lineApp) override;

    static constexpr uint32_t kApiVersion = 0x20001;

Q_SIGNALS:
    // A line's error text changed (it is empty again once the line works).
    void lastErrorChanged(uint32_t deviceId, const QString& text);

private:
    struct Call {
        ModemCall record; // handle, line, state, caller ID: as a modem line reports them
        uint32_t leg = 0;
        SipCodec codec = SipCodec::Pcmu;
        std::unique_ptr<QTimer> ring;
    };
    struct OpenLine {
        uintptr_t instance = 0;
        uint32_t mediaModes = 0;
    };

    void onEvent(const SipEvent& event);
    void offer(const SipEvent& event);
    Call* callByLeg(uint32_t leg);
    Call* findCall(uint32_t handle);
    void ring(Call& call);
    void endCall(Call& call);
    void disconnect(Call& call);
    void postNotice(uint32_t device, uint32_t message, uint32_t p1, uint32_t p2, uint32_t p3);
    bool validApp(uint32_t lineApp) const { return m_stack && lineApp == kLineApp; }
    bool validDevice(uint32_t deviceId) const { return deviceId < uint32_t(m_configs.size()); }

    bool connectedCall(uint32_t line, uint32_t* leg, SipCodec* codec) const override;
    void play(uint32_t leg, QByteArray audio, uint32_t sequence) override;
    void stopPlaying(uint32_t leg) override;

    static constexpr uint32_t kLineApp = 0x5349;
    static constexpr uint32_t kLineHandleBase = 0x300;

    QList<SipLineConfig> m_configs;
    SipTimings m_timings;
    int m_ringIntervalMs = 6000;
    std::unique_ptr<SipStack> m_stack;
    int m_generation = 0; // events of a stack already shut down are let go
    LineCallback m_callback;
    SipWaveOut m_waveOut{*this};
    std::map<uint32_t, OpenLine> m_lines;   // by device
    std::map<uint32_t, Call> m_calls;       // by handle
    std::map<uint32_t, SipEvent> m_waiting; // by device: a call offered once the last one is idle
    std::map<uint32_t, QString> m_problems;
    uint32_t m_nextCall = 0x3000;
    int32_t m_nextRequest = 1;
};
