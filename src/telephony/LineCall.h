#pragma once

#include "telephony/modem/CallerIdParser.h"

#include <cstdint>

// The record of one call on a modem line, from its first sign (RING or caller ID) until the
// program deallocates it.
struct ModemCall {
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
