#pragma once

#include <QByteArray>

// What a line the modem sends on its own announces. RING and caller-ID lines may arrive at any
// time, even between a command and its result, so the port passes them on and the line acts
// on them; both ask here.
enum class Unsolicited { None, Ring, CallerId };

Unsolicited ClassifyUnsolicited(const QByteArray& line);
