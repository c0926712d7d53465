#pragma once

#include "telephony/LineServiceBase.h"
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
// elsewhere. As LineAccess it says why a line cannot take calls (a refused password, a server
// that does not answer).
class SipLineService : public LineServiceBase, private SipVoiceHost {
    Q_OBJECT
public:
    explicit SipLineService(QList<SipLineConfig> lines, QObject* parent = nullptr);
    ~SipLineService() override;

    // Timings; tests shorten them. They take effect at the first lineInitialize.
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

Q_SIGNALS:
    // A line's error text changed (it is empty again once the line works).
    void lastErrorChanged(uint32_t deviceId, const QString& text);

private:
    // A call's record (handle, line, state, caller ID: as a modem line reports them) and its
    // SIP side.
    struct Call : LineCall {
        uint32_t leg = 0;
        SipCodec codec = SipCodec::Pcmu;
        std::unique_ptr<QTimer> ring;
    };

    // The SIP stack starts with the first lineInitialize and ends with lineShutdown.
    int32_t startService() override;
    void shutDownService() override;
    // One device per configured line; opening one registers or listens.
    uint32_t deviceCount() const override { return uint32_t(m_configs.size()); }
    int32_t describeDevice(uint32_t deviceId, QByteArray* name, uint32_t* mediaModes) override;
    int32_t openDevice(uint32_t deviceId, uint32_t lineHandle, uint32_t mediaModes) override;
    void closeDevice(uint32_t deviceId) override;
    // Answering sends 200 OK; dropping sends BYE, or nothing for a call never answered.
    bool answerCall(const std::shared_ptr<LineCall>& call) override;
    bool dropCall(const std::shared_ptr<LineCall>& call) override;
    // A REFER to the line's Transfer target (or destination); the call ends when it is
    // answered.
    int32_t transferCall(const std::shared_ptr<LineCall>& call,
                         const QString& destination) override;

    void onEvent(const SipEvent& event);
    void offer(const SipEvent& event);
    Call* callByLeg(uint32_t leg) const;
    Call* sipCall(uint32_t handle) const;
    void ring(Call& call);
    void endCall(Call& call);
    void disconnect(Call& call);
    bool validDevice(uint32_t deviceId) const { return deviceId < deviceCount(); }

    bool connectedCall(uint32_t line, uint32_t* leg, SipCodec* codec) const override;
    void play(uint32_t leg, QByteArray audio, uint32_t sequence) override;
    void stopPlaying(uint32_t leg) override;

    QList<SipLineConfig> m_configs;
    SipTimings m_timings;
    int m_ringIntervalMs = 6000;
    std::unique_ptr<SipStack> m_stack;
    int m_generation = 0; // events of a stack already shut down are let go
    SipWaveOut m_waveOut{*this};
    std::map<uint32_t, SipEvent> m_waiting; // by device: a call offered once the last one is idle
    std::map<uint32_t, QString> m_problems;
};
