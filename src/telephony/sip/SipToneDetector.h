#pragma once

#include <cstddef>
#include <cstdint>

// Keys pressed as tones in the audio itself (DTMF), for callers behind a gateway that sends no
// telephone events. Fed one 20 ms G.711 packet at a time; a key counts once it has sounded for
// two packets running, and again only after a pause or another key.
class SipToneDetector {
public:
    explicit SipToneDetector(bool aLaw) : m_aLaw(aLaw) {}

    // The key that has just begun in this packet ('0'-'9', '*', '#', 'A'-'D'), else 0.
    char feed(const uint8_t* payload, size_t size);

private:
    char classify(const uint8_t* payload, size_t size) const;

    bool m_aLaw;
    char m_candidate = 0; // the key heard in the last packet
    char m_reported = 0;  // the key already reported, until it stops
};
