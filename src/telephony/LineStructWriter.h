#pragma once

#include "telephony/LineCall.h"

#include <QByteArray>

#include <cstdint>

// Fills the caller's telephony structures from what the modem told us, in the byte layouts of
// LineStructs.h. Every writer keeps within dwTotalSize, sets dwNeededSize to what the whole
// structure would take and dwUsedSize to what was written; a variable part that does not fit
// is left out (size and offset 0) rather than cut. False when even the fixed part does not fit.
namespace LineStructWriter {

bool WriteCallInfo(uint8_t* buf, const LineCall& call);
bool WriteDevCaps(uint8_t* buf, uint32_t deviceId, const QByteArray& lineName, uint32_t mediaModes);
// The wave-out device of a call: a 4-byte device number right after the fixed part.
bool WriteWaveOutId(uint8_t* buf, uint32_t waveDevice);

} // namespace LineStructWriter
