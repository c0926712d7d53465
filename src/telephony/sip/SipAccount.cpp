#include "telephony/sip/SipAccount.h"

#include <QStringList>
#include <QSysInfo>
#include <QUuid>

uint16_t SipAccount::StableLocalPort(const QString& uri) {
    uint32_t hash = 2166136261u; // FNV-1a: the same on every run and machine
    for (const char c : uri.trimmed().toLower().toUtf8()) {
        hash ^= uint8_t(c);
        hash *= 16777619u;
    }
    return uint16_t(15000 + hash % 1384);
}

QByteArray SipAccount::InstanceUrn(const QString& uri) {
    static const QUuid kNamespace(QStringLiteral("{5b0c3a1e-8f2d-4c6b-9a7e-2d4f6c8b1a30}"));
    const QUuid id =
        QUuid::createUuidV5(kNamespace, QSysInfo::machineUniqueId() + uri.trimmed().toUtf8());
    return "<urn:uuid:" + id.toByteArray(QUuid::WithoutBraces) + '>';
}

SipAccount SipAccount::Parse(const QString& uri, const QString& authUser,
                             const QString& transport) {
    SipAccount a;
    const QString text = uri.trimmed();
    const qsizetype colon = text.indexOf(QLatin1Char(':'));
    if (colon <= 0)
        return a;
    const QString scheme = text.left(colon).toLower();
    if (scheme != QLatin1String("sip") && scheme != QLatin1String("sips"))
        return a;
    QStringList parts = text.mid(colon + 1).split(QLatin1Char(';'));
    const QString userHost = parts.takeFirst();
    const qsizetype at = userHost.lastIndexOf(QLatin1Char('@'));
    if (at <= 0 || at == userHost.size() - 1)
        return a;
    const QString user = userHost.left(at);
    const QString hostPort = userHost.mid(at + 1);
    QString host = hostPort;
    if (host.startsWith(QLatin1Char('[')))
        host = host.mid(1, host.indexOf(QLatin1Char(']')) - 1);
    else if (host.contains(QLatin1Char(':')))
        host = host.left(host.indexOf(QLatin1Char(':')));

    a.transport = transport.trimmed().toLower();
    for (const QString& p : parts) {
        if (p.startsWith(QLatin1String("transport="), Qt::CaseInsensitive))
            a.transport = p.mid(10).toLower();
    }
    if (scheme == QLatin1String("sips"))
        a.transport = QStringLiteral("tls");
    if (a.transport != QLatin1String("tcp") && a.transport != QLatin1String("tls"))
        a.transport = QStringLiteral("udp");

    a.valid = true;
    a.host = host;
    a.registrarUri = scheme + QLatin1Char(':') + hostPort;
    if (scheme == QLatin1String("sip") && a.transport != QLatin1String("udp"))
        a.registrarUri += QStringLiteral(";transport=") + a.transport;
    a.addressOfRecord = scheme + QLatin1Char(':') + userHost;
    a.contactUser = user;
    a.authUser = authUser.trimmed().isEmpty() ? user : authUser.trimmed();
    a.displayName = userHost;
    return a;
}
