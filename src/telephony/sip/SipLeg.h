#pragma once

#include "telephony/sip/LibreApi.h"
#include "telephony/sip/PaceTimer.h"
#include "telephony/sip/SipDigest.h"
#include "telephony/sip/SipRegisterAttempts.h"
#include "telephony/sip/SipRegistration.h"
#include "telephony/sip/SipStack.h"
#include "telephony/sip/SipToneDetector.h"

#include <QByteArray>

#include <cstdint>
#include <memory>

// What a call leg needs from the SIP thread that owns it.
class SipLegHost {
public:
    virtual ~SipLegHost() = default;
    virtual void legEvent(const SipEvent& event) = 0;
    // The leg is over; the owner frees it later, outside libre's handlers.
    virtual void legClosed(uint32_t call) = 0;
};

// One incoming call on the SIP thread: its session, SDP offer and answer, the RTP socket, the
// caller's keys, and the message sent as G.711 in 20 ms packets paced by the clock.
class SipLeg {
public:
    SipLeg(SipLegHost& host, int line, uint32_t id);
    ~SipLeg();
    SipLeg(const SipLeg&) = delete;
    SipLeg& operator=(const SipLeg&) = delete;

    // Takes the INVITE and sends 180 Ringing. A SIP status to refuse it with when it cannot be
    // taken (an offer with no codec in common), else 0.
    uint16_t accept(sipsess_sock* sock, const sip_msg* msg, const sa& mediaAddress);

    void answer();
    void drop();
    void play(const QByteArray& audio, uint32_t sequence);
    void stopPlaying();
    // Sends a REFER to target in the call's dialog. The leg ends with BYE and reports Ended once
    // a NOTIFY gives the transfer's final status, shortly after the REFER is accepted when none
    // comes, and at once when it is refused or not answered. A challenge is answered once with
    // the line's credentials, when it has a password.
    void transfer(sip* stack, const QByteArray& target, const QByteArray& user,
                  const QByteArray& password);
    // Takes a NOTIFY about this leg's transfer (answering it); false when it is not one.
    bool takeTransferNotify(sip* stack, const sip_msg* msg);
    int line() const { return m_line; }

private:
    static int onOffer(mbuf** descp, const sip_msg* msg, void* arg);
    static int onAnswer(const sip_msg* msg, void* arg);
    static void onEstablished(const sip_msg* msg, void* arg);
    static void onInfo(sip* stack, const sip_msg* msg, void* arg);
    static void onClose(int err, const sip_msg* msg, void* arg);
    static void onRtp(const sa* src, const rtp_header* hdr, mbuf* mb, void* arg);
    static void onPace(void* arg);
    static void onReferResponse(int err, const sip_msg* msg, void* arg);
    static void onReferWait(void* arg);
    void endTransferred();
    int sendRefer();
    bool answerReferChallenge(const sip_msg* msg);

    bool decodeSdp(const sip_msg* msg, bool offer);
    bool chooseMedia();
    void sendDue();
    void reportDigit(char digit);
    void close();

    SipLegHost& m_host;
    const int m_line;
    const uint32_t m_id;
    sipsess* m_sess = nullptr;
    sdp_session* m_sdp = nullptr;
    sdp_media* m_media = nullptr;
    struct rtp_sock* m_rtp = nullptr;
    telev* m_telev = nullptr;
    mbuf* m_packet = nullptr;
    struct sip_request* m_refer = nullptr;
    sip* m_stack = nullptr;
    QByteArray m_referTarget;
    QByteArray m_remoteTarget; // the far end's Contact: the URI of requests in the call
    QByteArray m_user;
    QByteArray m_password;
    SipDigest m_referDigest;
    SipRegisterAttempts m_referAttempts;
    bool m_transferring = false;
    tmr m_referWait{};

    bool m_offerReceived = false;
    bool m_answered = false;
    bool m_established = false;
    bool m_closed = false;

    SipCodec m_codec = SipCodec::Pcmu;
    uint8_t m_payloadType = 0;
    int m_eventPayloadType = -1;
    sa m_remote{};
    bool m_haveRemote = false;
    bool m_latched = false; // the far end's RTP came from another address: send there
    sa m_offered{};         // the far end's media address as its SDP last gave it
    sa m_movedFrom{};       // where the media was before the far end moved it: not latched again

    std::unique_ptr<SipToneDetector> m_tones; // keys in the audio, when no events were agreed
    uint32_t m_lastEventTs = 0;
    bool m_haveEventTs = false;

    PaceTimer m_pace;
    QByteArray m_audio;
    qsizetype m_sent = 0;
    bool m_playing = false;
    uint64_t m_playStartNs = 0;
    uint64_t m_packets = 0;
    uint32_t m_timestamp = 0;
    uint32_t m_sequence = 0;
};
