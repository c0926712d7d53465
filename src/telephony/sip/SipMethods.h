#pragma once

#include "telephony/sip/LibreApi.h"

// What a SIP line serves, as the Allow and Supported headers of its answers say it.
extern const char* const kSipAllowHeader;

// Answers the requests of an admitted peer that no call handles, before libre sees them:
// OPTIONS (a PBX's qualify or an SBC's trunk ping) gets 200 with what the line takes; an INVITE
// that requires an extension the line lacks (100rel, timer) gets 420 naming it; methods the line
// does not serve outside a call (NOTIFY, SUBSCRIBE, MESSAGE, PUBLISH, REGISTER...) get 405 with
// Allow. All quietly: a peer that pings every 30 s must not fill the journal. True when the
// request was answered here.
bool AnswerOutsideCall(sip* stack, const sip_msg* msg);
