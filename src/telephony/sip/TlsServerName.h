#pragma once

#include <openssl/ssl.h>

// Makes every TLS connection made from ctx name its server in the ClientHello (SNI): the host
// name its certificate is checked against (the first host of the context's verification
// parameters). An address given as digits is checked but not sent, as SNI carries names only.
// The SIP library makes each connection's SSL from the context without a hook of its own, so
// the name is set as each handshake starts.
void SendServerName(SSL_CTX* ctx);
