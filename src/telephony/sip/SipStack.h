#pragma once

#include "telephony/sip/SipCallerId.h"
#include "telephony/sip/SipLineConfig.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>

enum class SipCodec { Pcmu, Pcma };

// What happened on the SIP thread, as plain values that may cross to another thread.
struct SipEvent {
    enum class Kind {
        Incoming,  // a new call rings: identity; 180 Ringing has gone out
        Connected, // the answered call's ACK came: codec
        Ended,     // the call is over: answered tells a far-end hang-up from a cancel
        Digit,     // a key the caller pressed: digit
        PlayDone,  // the last packet of the message has gone, or the message was stopped
        Status,    // the line's registration changed: text, empty when all is well
    };
    Kind kind = Kind::Incoming;
    int line = 0;
    uint32_t call = 0;
    SipIdentity identity;
    SipCodec codec = SipCodec::Pcmu;
    bool answered = false;
    char digit = 0;
    uint32_t sequence = 0; // PlayDone: the play command it completes
    QString text;
};

struct SipTimings {
    int firstRetryMs = 2000; // a failed registration is tried again after this...
    int maxRetryMs = 300000; // ...doubling each time up to this
    int keepAliveMs = 25000; // a NAT binding is refreshed this often
    uint32_t expiresS = 600; // registration lifetime asked for
    // After a refused password the account waits this long before it tries the same password
    // again; a new password or new settings reopen the line at once.
    int refusedRetryMs = 30 * 60 * 1000;
    // A line listening on any address looks this often whether the host's addresses changed
    // (DHCP, a new router, a VPN coming up), and then listens and registers anew.
    int networkCheckMs = 30000;
};

// The SIP side of the lines: one thread that owns every libre object and runs its loop. The
// commands below may be called from any thread; they are queued to the SIP thread and act in
// order. Events are handed to the sink on the SIP thread, which must pass them on without
// blocking (the service queues them to the Qt thread).
class SipStack {
public:
    using EventSink = std::function<void(const SipEvent&)>;

    SipStack(QList<SipLineConfig> lines, SipTimings timings, EventSink sink);
    ~SipStack(); // ends every call and registration and joins the thread

    // Starts the thread; false with *error when it could not start. A line whose address
    // cannot be bound reports it through a Status event when it is opened.
    bool start(QString* error);

    // A line takes calls (and registers) from openLine until closeLine.
    void openLine(int line);
    void closeLine(int line);

    void answer(uint32_t call);
    // Sends BYE for an answered call; for one still ringing nothing is sent, and the leg ends
    // when the far end cancels it.
    void drop(uint32_t call);
    // Plays G.711 audio in the call's codec as 20 ms packets; PlayDone with the sequence when
    // all has gone.
    void play(uint32_t call, QByteArray audio, uint32_t sequence);
    void stopPlaying(uint32_t call);
    // Hands the answered call on to target (a SIP URI) with a REFER in its dialog; a challenge
    // to it is answered once with the line's AuthUser and password. The leg ends with BYE once
    // the REFER is accepted, or refused, or not answered at all.
    void transfer(uint32_t call, const QString& target);

    struct Thread;

private:
    std::unique_ptr<Thread> d;
};
