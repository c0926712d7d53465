#include "telephony/sip/SipIdentityFromMsg.h"

#include <re.h>

namespace {

QString text(const pl& value) {
    return value.p ? QString::fromUtf8(value.p, qsizetype(value.l)) : QString();
}

bool collect(const sip_hdr* hdr, const sip_msg*, void* arg) {
    static_cast<QStringList*>(arg)->append(text(hdr->val));
    return false; // on to the next occurrence
}

QString first(const sip_hdr* hdr) {
    return hdr ? text(hdr->val) : QString();
}

} // namespace

SipIdentity SipIdentityFromMsg(const sip_msg* msg) {
    SipIdentity id;
    if (!msg)
        return id;
    sip_msg_hdr_apply(msg, true, SIP_HDR_P_ASSERTED_IDENTITY, collect, &id.pAssertedIdentity);
    id.remotePartyId = first(sip_msg_xhdr(msg, "Remote-Party-ID"));
    id.from = first(sip_msg_hdr(msg, SIP_HDR_FROM));
    QStringList privacy;
    sip_msg_hdr_apply(msg, true, SIP_HDR_PRIVACY, collect, &privacy);
    id.privacy = privacy.join(u';');
    return id;
}

bool SipIdentityFromText(const QByteArray& raw, SipIdentity* identity) {
    mbuf* mb = mbuf_alloc(size_t(raw.size()) + 1);
    if (!mb)
        return false;
    mbuf_write_mem(mb, reinterpret_cast<const uint8_t*>(raw.constData()), size_t(raw.size()));
    mbuf_set_pos(mb, 0);
    sip_msg* msg = nullptr;
    const int err = sip_msg_decode(&msg, mb);
    if (err == 0 && identity)
        *identity = SipIdentityFromMsg(msg);
    mem_deref(msg);
    mem_deref(mb);
    return err == 0;
}
