#pragma once

#include "telephony/sip/SipCallerId.h"

#include <QByteArray>

struct sip_msg;

// The identity headers of a decoded SIP request (libre's sip_msg), copied out as text:
// every P-Asserted-Identity, the first Remote-Party-ID, From and Privacy. Runs on the thread
// that owns the message; the result is plain data that may cross to any thread.
SipIdentity SipIdentityFromMsg(const sip_msg* msg);

// Decodes raw request text with libre and takes its identity headers; false when the text is
// not a SIP message.
bool SipIdentityFromText(const QByteArray& text, SipIdentity* identity);
