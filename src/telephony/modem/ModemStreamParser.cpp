#include "telephony/modem/ModemStreamParser.h"

bool ModemStreamParser::isDtmfKey(char c) {
    return (c >= '0' && c <= '9') || c == '*' || c == '#' || (c >= 'A' && c <= 'D');
}

void ModemStreamParser::reset() {
    m_line.clear();
    m_pendingDle = false;
    m_discarding = false;
    m_framed = false;
    m_frameReported = false;
}

void ModemStreamParser::feed(const QByteArray& bytes) {
    for (const char c : bytes) {
        if (m_pendingDle) {
            m_pendingDle = false;
            dleCode(c);
            continue;
        }
        if (c == kDle) {
            m_pendingDle = true;
            continue;
        }
        if (c == '\r' || c == '\n') {
            endLine();
            continue;
        }
        // Some modems send the held key itself, unshielded, between the frame marks.
        if (m_framed && isDtmfKey(c)) {
            dtmfKey(c);
            continue;
        }
        if (m_discarding)
            continue;
        if (m_line.size() >= kMaxLineLength) {
            m_line.clear();
            m_discarding = true;
            continue;
        }
        m_line.append(c);
    }
}

void ModemStreamParser::endLine() {
    const bool wasDiscarding = m_discarding;
    m_discarding = false;
    const QByteArray line = m_line.trimmed();
    m_line.clear();
    if (wasDiscarding || line.isEmpty())
        return;
    if (onLine)
        onLine(line);
}

void ModemStreamParser::dleCode(char code) {
    switch (code) {
    case '/':
        m_framed = true;
        m_frameReported = false;
        return;
    case '~':
        m_framed = false;
        m_frameReported = false;
        return;
    case kDle: // a doubled DLE is a data byte, not an event
        return;
    default:
        break;
    }
    if (isDtmfKey(code)) {
        dtmfKey(code);
        return;
    }
    if (onEvent)
        onEvent(code);
}

void ModemStreamParser::dtmfKey(char key) {
    if (m_framed) {
        if (m_frameReported)
            return;
        m_frameReported = true;
    }
    if (onDtmf)
        onDtmf(key);
}
