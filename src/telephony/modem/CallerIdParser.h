#pragma once

#include "telephony/CallerId.h"

#include <QByteArray>

// Collects the text lines of one caller-ID report ("DATE = 0101", "NMBR = 5551234567",
// "NAME = SMITH JOHN"...). Modems differ: spaces around '=' may be missing, DDN_NMBR or NBR may
// stand for NMBR, NMBR may be P/A (withheld) or O (unavailable) and may come twice (the first
// counts), NAME may be missing, and MESG carries undecoded items that are ignored.
//
// The report is complete when NAME arrives after a number, or when the owner decides so (the
// next RING, or a quiet gap): a line without name service must not wait for the second ring.
class CallerIdParser {
public:
    enum class Feed { NotCallerId, Partial, Complete };

    // Takes one line; NotCallerId leaves the collected report untouched.
    Feed feed(const QByteArray& line);
    // True while lines were collected that have not been taken.
    bool pending() const { return m_pending; }
    // The collected report; the parser starts afresh.
    CallerId take();

    // True for any line that belongs to a caller-ID report.
    static bool isCallerIdLine(const QByteArray& line);

private:
    CallerId m_current;
    bool m_pending = false;
    bool m_numberSeen = false;
};
