#include "telephony/sip/AddressFilter.h"

namespace {

// An IPv4 address mapped into IPv6 compares as the IPv4 address it carries.
QHostAddress plain(const QHostAddress& a) {
    bool isV4 = false;
    const quint32 v4 = a.toIPv4Address(&isV4);
    return isV4 ? QHostAddress(v4) : a;
}

} // namespace

AddressFilter::AddressFilter(const QStringList& allow) {
    for (const QString& raw : allow) {
        const QString entry = raw.trimmed();
        if (entry.isEmpty())
            continue;
        QPair<QHostAddress, int> subnet;
        if (entry.contains(QLatin1Char('/'))) {
            subnet = QHostAddress::parseSubnet(entry);
        } else {
            // A bare entry must be one whole address: parseSubnet would take "10.1" as the
            // range 10.1.0.0/16, and QHostAddress as 10.0.0.1.
            const QHostAddress a(entry);
            const bool shortV4 =
                a.protocol() == QAbstractSocket::IPv4Protocol && entry.count(QLatin1Char('.')) != 3;
            if (!a.isNull() && !shortV4)
                subnet = {a, a.protocol() == QAbstractSocket::IPv4Protocol ? 32 : 128};
        }
        if (subnet.first.isNull() || subnet.second < 0) {
            m_problems << QStringLiteral("\"%1\" in Allow is not an address or a range such as "
                                         "192.168.1.0/24.")
                              .arg(entry);
            continue;
        }
        bool isV4 = false;
        const quint32 v4 = subnet.first.toIPv4Address(&isV4);
        if (isV4 && subnet.first.protocol() == QAbstractSocket::IPv6Protocol && subnet.second >= 96)
            subnet = {QHostAddress(v4), subnet.second - 96};
        m_subnets.append(subnet);
    }
}

bool AddressFilter::allows(const QHostAddress& a) const {
    const QHostAddress peer = plain(a);
    if (peer.isNull())
        return false;
    for (const auto& subnet : m_subnets) {
        if (peer.isInSubnet(subnet))
            return true;
    }
    return false;
}
