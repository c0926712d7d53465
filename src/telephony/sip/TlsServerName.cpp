#include "telephony/sip/TlsServerName.h"

#include <openssl/x509v3.h>

namespace {

void onHandshake(const SSL* constSsl, int where, int) {
    if (!(where & SSL_CB_HANDSHAKE_START))
        return;
    SSL* ssl = const_cast<SSL*>(constSsl);
    // A client's first handshake only: the name cannot change on a renegotiation.
    if (SSL_is_server(ssl) || SSL_get_servername(ssl, TLSEXT_NAMETYPE_host_name))
        return;
    if (const char* host = X509_VERIFY_PARAM_get0_host(SSL_get0_param(ssl), 0))
        SSL_set_tlsext_host_name(ssl, host);
}

} // namespace

void SendServerName(SSL_CTX* ctx) {
    SSL_CTX_set_info_callback(ctx, onHandshake);
}
