#pragma once

#include <QHostAddress>
#include <QList>
#include <QPair>
#include <QStringList>

// The addresses a listening SIP endpoint takes calls from: single addresses and CIDR ranges,
// IPv4 and IPv6. An IPv4 peer seen on a dual-stack socket (::ffff:a.b.c.d) matches its IPv4
// entries. Entries that are not addresses are left out and reported by problems().
class AddressFilter {
public:
    explicit AddressFilter(const QStringList& allow);

    bool allows(const QHostAddress& a) const;
    // True when no usable entry was given: such a filter allows nobody.
    bool isEmpty() const { return m_subnets.isEmpty(); }
    // One sentence for each entry that is not an address or range.
    QStringList problems() const { return m_problems; }

private:
    QList<QPair<QHostAddress, int>> m_subnets;
    QStringList m_problems;
};
