#include "telephony/modem/UnsolicitedLine.h"

#include "telephony/modem/CallerIdParser.h"

Unsolicited ClassifyUnsolicited(const QByteArray& line) {
    // Some modems append the ring cadence or a distinctive-ring code ("RING 1").
    if (line == "RING" || line.startsWith("RING "))
        return Unsolicited::Ring;
    if (CallerIdParser::isCallerIdLine(line))
        return Unsolicited::CallerId;
    return Unsolicited::None;
}
