#pragma once

// libre's C headers, seen as system headers: they give warnings under C++20 that are not ours
// to fix. Included only by the files that run on the SIP thread.
#pragma GCC system_header

// The library is built with IPv6; without this its address structure would be smaller here
// than inside the library.
#ifndef HAVE_INET6
#define HAVE_INET6 1
#endif
#ifndef HAVE_INTTYPES_H
#define HAVE_INTTYPES_H 1
#endif
#ifndef USE_OPENSSL
#define USE_OPENSSL 1 // the library's TLS is OpenSSL; its context is reachable for verification
#endif
#ifndef HAVE_STDBOOL_H
#define HAVE_STDBOOL_H 1
#endif

#include <cstdint>
#include <netinet/in.h>
#include <sys/socket.h>

#include <re.h>
