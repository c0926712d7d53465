#pragma once

#include <QByteArray>

#include <functional>

// Splits the byte stream a voice modem sends into text lines and DLE-shielded events.
//
// A modem in voice mode mixes result lines ("OK", "VCON") with events sent as DLE (0x10)
// followed by one code byte. Reads from a serial port can end anywhere, so a DLE that is the
// last byte of one read is kept until its code arrives with the next. DTMF keys are reported
// once per press: a key framed as DLE '/' ... DLE '~' (repeated while held) counts once.
class ModemStreamParser {
public:
    static constexpr char kDle = 0x10;
    static constexpr char kEtx = 0x03;
    static constexpr char kCan = 0x18;
    // Longer "lines" are garbage (noise, a data stream): they are dropped, not buffered.
    static constexpr qsizetype kMaxLineLength = 512;

    std::function<void(const QByteArray& line)> onLine;
    std::function<void(char key)> onDtmf;
    std::function<void(char code)> onEvent; // every other DLE code

    void feed(const QByteArray& bytes);
    void reset();

    static bool isDtmfKey(char c);

private:
    void dleCode(char code);
    void dtmfKey(char key);
    void endLine();

    QByteArray m_line;
    bool m_pendingDle = false;
    bool m_discarding = false; // inside an overlong line, until its end
    bool m_framed = false;     // between DLE '/' and DLE '~'
    bool m_frameReported = false;
};
