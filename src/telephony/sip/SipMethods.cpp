#include "telephony/sip/SipMethods.h"

#include <QByteArray>

const char* const kSipAllowHeader = "Allow: INVITE, ACK, BYE, CANCEL, OPTIONS, INFO\r\n"
                                    "Supported: \r\n";

namespace {

bool is(const sip_msg* msg, const char* method) {
    return pl_strcmp(&msg->met, method) == 0;
}

bool collectRequired(const sip_hdr* hdr, const sip_msg*, void* arg) {
    auto* names = static_cast<QByteArray*>(arg);
    if (!names->isEmpty())
        names->append(", ");
    names->append(hdr->val.p, qsizetype(hdr->val.l));
    return false; // on to the next Require header
}

} // namespace

bool AnswerOutsideCall(sip* stack, const sip_msg* msg) {
    // The requests a call is made of go on to the session layer.
    if (is(msg, "ACK") || is(msg, "BYE") || is(msg, "CANCEL") || is(msg, "INFO"))
        return false;
    if (is(msg, "INVITE")) {
        if (!sip_msg_hdr(msg, SIP_HDR_REQUIRE))
            return false;
        QByteArray required;
        sip_msg_hdr_apply(msg, true, SIP_HDR_REQUIRE, collectRequired, &required);
        sip_treplyf(nullptr, nullptr, stack, msg, false, 420, "Bad Extension",
                    "Unsupported: %s\r\n%sContent-Length: 0\r\n\r\n", required.constData(),
                    kSipAllowHeader);
        return true;
    }
    // The progress of a transfer we asked for (RFC 3515): the call is already being let go, so
    // it is only acknowledged.
    if (is(msg, "NOTIFY") && pl_isset(&msg->to.tag)) {
        const sip_hdr* event = sip_msg_hdr(msg, SIP_HDR_EVENT);
        if (event && QByteArray(event->val.p, qsizetype(event->val.l))
                         .trimmed()
                         .toLower()
                         .startsWith("refer")) {
            sip_treplyf(nullptr, nullptr, stack, msg, false, 200, "OK",
                        "Content-Length: 0\r\n\r\n");
            return true;
        }
    }
    if (is(msg, "OPTIONS")) {
        sip_treplyf(nullptr, nullptr, stack, msg, false, 200, "OK",
                    "%sAccept: application/sdp\r\nContent-Length: 0\r\n\r\n", kSipAllowHeader);
        return true;
    }
    sip_treplyf(nullptr, nullptr, stack, msg, false, 405, "Method Not Allowed",
                "%sContent-Length: 0\r\n\r\n", kSipAllowHeader);
    return true;
}
