#pragma once

#include <QHostAddress>
#include <QList>

// Every address of this host a peer can send to, for a SIP line listening on "any address":
// the one this host sends from by default first (the SIP library names the first address of a
// family in its own requests), IPv4 before IPv6. Link-local IPv6 addresses need a scope and are
// left out. Where netlink sockets are refused (a systemd unit's address-family filter) the
// addresses are found with HostAddressesWithoutNetlink().
QList<QHostAddress> HostAddresses();

// The same, found without netlink: the IPv4 interface list of an ordinary socket, the kernel's
// IPv6 address table in /proc, and the source address of a route towards the internet.
QList<QHostAddress> HostAddressesWithoutNetlink();
