#pragma once

#include "telephony/CallerId.h"

#include <cstdint>

// The record of one call on a line, modem or SIP, from its first sign (a ring, a caller ID or
// an INVITE) until the program deallocates it.
struct LineCall {
    enum class State { Offering, Answering, Connected, Disconnected, HangingUp, Idle };

    uint32_t handle = 0;
    uint32_t lineHandle = 0;
    uint32_t deviceId = 0;
    uint32_t mediaMode = 0;
    State state = State::Offering;
    bool offHook = false; // the line was (or is being) taken off hook for this call
    bool disconnectedSent = false;
    bool monitorDigits = false;
    int rings = 0;
    bool hasCallerId = false;
    CallerId callerId;
};
