#include "telephony/sip/HostAddresses.h"

#include "telephony/sip/LibreApi.h"

#include <QFile>
#include <QNetworkInterface>

#include <arpa/inet.h>
#include <net/if.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

namespace {

// Closes a socket descriptor when it goes out of scope.
struct Socket {
    int fd;
    explicit Socket(int domain, int type) : fd(::socket(domain, type | SOCK_CLOEXEC, 0)) {}
    ~Socket() {
        if (fd >= 0)
            ::close(fd);
    }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
};

// Asked once: a unit's filter does not change while the program runs, and every refused
// attempt would write a warning into the journal.
bool netlinkAllowed() {
    static const bool allowed = [] {
        Socket probe(AF_NETLINK, SOCK_RAW);
        return probe.fd >= 0 || (errno != EAFNOSUPPORT && errno != EPERM && errno != EACCES);
    }();
    return allowed;
}

bool usable(const QHostAddress& a) {
    return !a.isNull() && !a.isLinkLocal() && a.scopeId().isEmpty() &&
           (a.protocol() == QAbstractSocket::IPv4Protocol ||
            a.protocol() == QAbstractSocket::IPv6Protocol);
}

// preferred first, then the IPv4 addresses, then the IPv6 ones, each once.
QList<QHostAddress> ordered(const QHostAddress& preferred, const QList<QHostAddress>& all) {
    QList<QHostAddress> v4;
    QList<QHostAddress> v6;
    if (usable(preferred))
        v4.append(preferred);
    for (const QHostAddress& a : all) {
        if (!usable(a) || v4.contains(a) || v6.contains(a))
            continue;
        (a.protocol() == QAbstractSocket::IPv4Protocol ? v4 : v6).append(a);
    }
    return v4 + v6;
}

// The IPv4 addresses of the interfaces that are up, loopback included.
QList<QHostAddress> ipv4Interfaces() {
    QList<QHostAddress> result;
    Socket s(AF_INET, SOCK_DGRAM);
    if (s.fd < 0)
        return result;
    std::vector<ifreq> requests(16);
    ifconf conf{};
    // The kernel fills as many entries as fit; a full buffer may mean there are more.
    for (;;) {
        conf.ifc_len = int(requests.size() * sizeof(ifreq));
        conf.ifc_req = requests.data();
        if (::ioctl(s.fd, SIOCGIFCONF, &conf) != 0)
            return result;
        if (size_t(conf.ifc_len) < requests.size() * sizeof(ifreq) || requests.size() >= 4096)
            break;
        requests.resize(requests.size() * 2);
    }
    for (size_t i = 0; i < size_t(conf.ifc_len) / sizeof(ifreq); ++i) {
        ifreq flags = requests[i];
        if (::ioctl(s.fd, SIOCGIFFLAGS, &flags) == 0 && !(flags.ifr_flags & IFF_UP))
            continue;
        const auto* in = reinterpret_cast<const sockaddr_in*>(&requests[i].ifr_addr);
        if (in->sin_family == AF_INET)
            result.append(QHostAddress(ntohl(in->sin_addr.s_addr)));
    }
    return result;
}

// The global and loopback IPv6 addresses from the kernel's table: one line per address, "hex
// address, interface index, prefix length, scope, flags, interface name".
QList<QHostAddress> ipv6Addresses() {
    QList<QHostAddress> result;
    QFile table(QStringLiteral("/proc/net/if_inet6"));
    if (!table.open(QIODevice::ReadOnly))
        return result;
    const QList<QByteArray> lines = table.readAll().split('\n');
    for (const QByteArray& line : lines) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() < 6 || fields[0].size() != 32)
            continue;
        bool ok = false;
        const int scope = fields[3].toInt(&ok, 16);
        if (!ok || (scope != 0x00 && scope != 0x10)) // global or host (loopback) only
            continue;
        Q_IPV6ADDR bytes;
        const QByteArray raw = QByteArray::fromHex(fields[0]);
        for (int i = 0; i < 16; ++i)
            bytes[i] = quint8(raw[i]);
        result.append(QHostAddress(bytes));
    }
    return result;
}

// The address this host would send from towards the internet: connecting a datagram socket
// looks up the route and picks the source without sending anything.
QHostAddress routeSource() {
    Socket s(AF_INET, SOCK_DGRAM);
    sockaddr_in far{};
    far.sin_family = AF_INET;
    far.sin_port = htons(9);
    // A documentation address, in no private range: the default route leads there.
    ::inet_pton(AF_INET, "192.0.2.1", &far.sin_addr);
    if (s.fd < 0 || ::connect(s.fd, reinterpret_cast<const sockaddr*>(&far), sizeof far) != 0)
        return {};
    sockaddr_in near{};
    socklen_t length = sizeof near;
    if (::getsockname(s.fd, reinterpret_cast<sockaddr*>(&near), &length) != 0)
        return {};
    return QHostAddress(ntohl(near.sin_addr.s_addr));
}

} // namespace

QList<QHostAddress> HostAddresses() {
    if (!netlinkAllowed())
        return HostAddressesWithoutNetlink();
    sa source;
    QHostAddress preferred;
    if (net_default_source_addr_get(AF_INET, &source) == 0)
        preferred = QHostAddress(sa_in(&source));
    return ordered(preferred, QNetworkInterface::allAddresses());
}

QList<QHostAddress> HostAddressesWithoutNetlink() {
    return ordered(routeSource(), ipv4Interfaces() + ipv6Addresses());
}
