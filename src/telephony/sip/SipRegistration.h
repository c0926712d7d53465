#pragma once

#include "telephony/sip/LibreApi.h"
#include "telephony/sip/SipDigest.h"
#include "telephony/sip/SipRegisterAttempts.h"

#include <QByteArray>

#include <cstdint>
#include <functional>
#include <optional>

// The challenge of a 401 or 407 to answer: the first one listed that can be.
std::optional<SipDigestChallenge> ChallengeToAnswer(const sip_msg* msg);

// One account's registration on the SIP thread, on libre's request layer: REGISTER in one
// dialog (one Call-ID), digest answered once per challenge, refreshed at half the lifetime the
// registrar granted, and on TCP/TLS the connection watched so that a lost one is registered
// again at once. Nothing is withdrawn unless withdraw() says so.
class SipRegistration {
public:
    struct Settings {
        QByteArray registrarUri;    // the request URI
        QByteArray addressOfRecord; // To and From
        QByteArray contactUser;
        QByteArray route; // an outbound proxy, or empty
        QByteArray authUser;
        QByteArray password;
        QByteArray instance; // "<urn:uuid:...>": this device, for outbound on TCP/TLS
        uint32_t expires = 600;
        uint32_t keepAliveS = 25; // pings on an outbound connection
    };
    // The outcome of a REGISTER exchange: a final response (msg) or an error without one. A
    // challenge the registration answers itself is not reported.
    using AnswerHandler = std::function<void(int err, const sip_msg* msg)>;
    // A granted registration lost its connection; the binding is gone with it.
    using LostHandler = std::function<void(int err)>;

    SipRegistration(sip* stack, Settings settings, AnswerHandler answered, LostHandler lost);
    ~SipRegistration(); // stops quietly: nothing is sent
    SipRegistration(const SipRegistration&) = delete;
    SipRegistration& operator=(const SipRegistration&) = delete;

    // Sends a REGISTER now (unless one is on its way); 0 or an errno.
    int send();
    // Sends the next REGISTER after ms, keeping the dialog.
    void retryIn(uint64_t ms);
    // Withdraws a granted binding (expires=0), answering its challenge; no more reports but
    // done, once the un-REGISTER is over (from a timer: the registration may be freed there).
    // False, and no done, when there was nothing to withdraw.
    bool withdraw(std::function<void()> done);

    // A binding was granted (it may still be there).
    bool registered() const { return m_registered; }
    const SipRegisterAttempts& attempts() const { return m_attempts; }
    // The lifetime the last 200 OK granted, in seconds.
    uint32_t granted() const { return m_granted; }

    // The shortest lifetime a 200 OK grants: its Expires header and its Contacts' expires
    // parameters (ours, by user or instance, when any can be told apart), else asked.
    static uint32_t GrantedExpiry(const sip_msg* msg, const QByteArray& contactUser,
                                  const QByteArray& instance, uint32_t asked);

private:
    static int onSend(sip_transp tp, const sa* src, const sa* dst, mbuf* mb, void* arg);
    static void onResponse(int err, const sip_msg* msg, void* arg);
    static void onTimer(void* arg);
    static void onConnectionLost(int err, void* arg);
    static void onNoAnswer(void* arg);
    static void onWithdrawn(void* arg);
    void finished(int err, const sip_msg* msg);

    int request();
    bool takeChallenge(const sip_msg* msg, int* err);
    void granted(const sip_msg* msg);
    static bool Reliable(sip_transp tp) { return tp == SIP_TRANSP_TCP || tp == SIP_TRANSP_TLS; }

    sip* m_stack = nullptr;
    Settings m_settings;
    AnswerHandler m_answered;
    LostHandler m_lost;
    sip_dialog* m_dialog = nullptr;
    struct sip_request* m_request = nullptr;
    sip_keepalive* m_connection = nullptr;
    tmr m_timer{};
    tmr m_answerWait{}; // on a connection: how long an answer may take
    std::function<void()> m_withdrawn;
    SipDigest m_digest;
    SipRegisterAttempts m_attempts;
    uint32_t m_expires = 0; // asked in the next REGISTER
    uint32_t m_granted = 0;
    bool m_registered = false;
    bool m_withdrawing = false;
    bool m_retriedInterval = false; // a 423 was answered in this exchange
};
