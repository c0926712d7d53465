#include "telephony/sip/SipLineConfig.h"

#include "telephony/sip/AddressFilter.h"

#include <QHostAddress>
#include <QRegularExpression>
#include <QSettings>

namespace {

QString groupName(int group) {
    return QStringLiteral("Sip%1").arg(group);
}

// QSettings reads an unquoted value with commas as a list; put it back into one text.
QString plainText(const QVariant& value) {
    return value.typeId() == QMetaType::QStringList ? value.toStringList().join(QLatin1Char(','))
                                                    : value.toString();
}

QStringList splitList(const QString& text) {
    QStringList result;
    for (const QString& part : text.split(QLatin1Char(','))) {
        const QString p = part.trimmed();
        if (!p.isEmpty())
            result.append(p);
    }
    return result;
}

bool wantsTls(const QString& account) {
    return account.startsWith(QLatin1String("sips:"), Qt::CaseInsensitive) ||
           account.contains(QLatin1String(";transport=tls"), Qt::CaseInsensitive);
}

bool finish(QSettings& settings, const SettingsFileRef& file, QString* error) {
    settings.sync();
    if (settings.status() == QSettings::NoError)
        return true;
    if (error)
        *error = settings.status() == QSettings::AccessError ? file.notWritten : file.damaged;
    return false;
}

} // namespace

bool SplitHostPort(const QString& text, QString* host, int* port) {
    QString h;
    QString p;
    if (text.startsWith(QLatin1Char('['))) {
        const qsizetype close = text.indexOf(QLatin1String("]:"));
        if (close < 0)
            return false;
        h = text.mid(1, close - 1);
        p = text.mid(close + 2);
    } else {
        const qsizetype colon = text.lastIndexOf(QLatin1Char(':'));
        if (colon <= 0 || text.indexOf(QLatin1Char(':')) != colon)
            return false;
        h = text.left(colon);
        p = text.mid(colon + 1);
    }
    bool ok = false;
    const int n = p.toInt(&ok);
    if (h.isEmpty() || !ok || n < 0 || n > 65535)
        return false;
    if (host)
        *host = h;
    if (port)
        *port = n;
    return true;
}

QString SipLineConfig::listenOrDefault() const {
    if (!listen.isEmpty())
        return listen;
    return isListening() ? QStringLiteral("0.0.0.0:5060") : QStringLiteral("0.0.0.0:0");
}

QString SipLineConfig::proxyUri() const {
    const QString p = proxy.trimmed();
    if (p.isEmpty() || p.startsWith(QLatin1String("sip:"), Qt::CaseInsensitive) ||
        p.startsWith(QLatin1String("sips:"), Qt::CaseInsensitive))
        return p;
    return QStringLiteral("sip:") + p;
}

QString SipLineConfig::proxyHost() const {
    const QString uri = proxyUri();
    if (uri.isEmpty())
        return {};
    QString rest = uri.mid(uri.indexOf(QLatin1Char(':')) + 1);
    rest = rest.left(rest.indexOf(QLatin1Char(';')));
    if (rest.startsWith(QLatin1Char('[')))
        return rest.mid(1, rest.indexOf(QLatin1Char(']')) - 1);
    return rest.count(QLatin1Char(':')) == 1 ? rest.left(rest.indexOf(QLatin1Char(':'))) : rest;
}

namespace {

// host, host:port, [v6]:port, optionally with ;parameters, after the scheme.
bool validProxy(const QString& uri) {
    QString rest = uri.mid(uri.indexOf(QLatin1Char(':')) + 1);
    rest = rest.left(rest.indexOf(QLatin1Char(';')));
    if (rest.contains(QLatin1Char('@')) || rest.contains(QLatin1Char(' ')) || rest.isEmpty())
        return false;
    QString host = rest;
    const bool bracketed = rest.startsWith(QLatin1Char('['));
    if (bracketed || rest.count(QLatin1Char(':')) == 1) {
        const bool hasPort = bracketed ? rest.contains(QLatin1String("]:")) : true;
        if (hasPort) {
            int port = 0;
            if (!SplitHostPort(rest, &host, &port) || port == 0)
                return false;
        } else if (!rest.endsWith(QLatin1Char(']'))) {
            return false;
        } else {
            host = rest.mid(1, rest.size() - 2);
        }
    }
    if (!QHostAddress(host).isNull())
        return true;
    static const QRegularExpression name(
        QStringLiteral("^[A-Za-z0-9]([A-Za-z0-9-]*[A-Za-z0-9])?"
                       "(\\.[A-Za-z0-9]([A-Za-z0-9-]*[A-Za-z0-9])?)*\\.?$"));
    return name.match(host).hasMatch();
}

} // namespace

bool IsSipTransferTarget(const QString& uri) {
    const bool sipScheme = uri.startsWith(QLatin1String("sip:"), Qt::CaseInsensitive) ||
                           uri.startsWith(QLatin1String("sips:"), Qt::CaseInsensitive);
    if (!sipScheme)
        return false;
    for (const QChar c : uri) {
        if (c.isSpace() || c == u'<' || c == u'>' || c == u'"' || c.unicode() > 0x7E)
            return false;
    }
    const QString rest = uri.mid(uri.indexOf(QLatin1Char(':')) + 1);
    const qsizetype at = rest.indexOf(QLatin1Char('@'));
    if (at == 0)
        return false;
    QString scheme = uri.left(uri.indexOf(QLatin1Char(':')) + 1);
    return validProxy(scheme + rest.mid(at + 1));
}

QStringList SipLineConfig::problems() const {
    QStringList result;
    const QString name = QStringLiteral("SIP line %1").arg(group);
    if (!isListening()) {
        const bool sipScheme = account.startsWith(QLatin1String("sip:"), Qt::CaseInsensitive) ||
                               account.startsWith(QLatin1String("sips:"), Qt::CaseInsensitive);
        const qsizetype at = account.indexOf(QLatin1Char('@'));
        if (!sipScheme || at < 0 || at == account.indexOf(QLatin1Char(':')) + 1 ||
            at == account.size() - 1)
            result << QStringLiteral("%1: the account \"%2\" is not a sip: or sips: address such "
                                     "as sip:alice@sip.example.net.")
                          .arg(name, account);
    }
    QString host;
    if (!SplitHostPort(listenOrDefault(), &host, nullptr) || QHostAddress(host).isNull())
        result << QStringLiteral("%1: Listen \"%2\" is not an address and port such as "
                                 "0.0.0.0:5060.")
                      .arg(name, listen);
    const QString t = transport.toLower();
    if (t != QLatin1String("udp") && t != QLatin1String("tcp") && t != QLatin1String("tls"))
        result
            << QStringLiteral("%1: Transport \"%2\" is not udp, tcp or tls.").arg(name, transport);
    else if (t != QLatin1String("tls") && wantsTls(account))
        result << QStringLiteral("%1: the account asks for TLS, but Transport is %2.")
                      .arg(name, transport);
    if (!rewrite.isEmpty() && (!rewrite.contains(QLatin1Char(':')) || rewrite.startsWith(u':')))
        result << QStringLiteral("%1: Rewrite \"%2\" is not of the form from:to, such as +1: or "
                                 "+44:0.")
                      .arg(name, rewrite);
    if (!proxy.trimmed().isEmpty() && !validProxy(proxyUri()))
        result << QStringLiteral("%1: Proxy \"%2\" is not a host name or address, such as "
                                 "proxy.example.net, 10.0.0.1:5090 or sip:proxy.example.net.")
                      .arg(name, proxy);
    if (!transfer.isEmpty() && !IsSipTransferTarget(transfer))
        result << QStringLiteral("%1: Transfer \"%2\" is not a SIP address such as "
                                 "sip:600@pbx.example.net.")
                      .arg(name, transfer);
    const AddressFilter filter(allow);
    for (const QString& bad : filter.problems())
        result << QStringLiteral("%1: %2").arg(name, bad);
    if (isListening() && filter.isEmpty())
        result << QStringLiteral("%1: no address is allowed to send calls; set Allow to the "
                                 "address of the PBX or adapter.")
                      .arg(name);
    return result;
}

QList<SipLineConfig> ReadSipLines(const QString& settingsFile) {
    QList<SipLineConfig> lines;
    QSettings settings(settingsFile, QSettings::IniFormat);
    for (int group = 1; group <= kMaxSipLines; ++group) {
        settings.beginGroup(groupName(group));
        const auto text = [&](const char* key) {
            return plainText(settings.value(QLatin1String(key))).trimmed();
        };
        SipLineConfig c;
        c.group = group;
        c.account = text("Account");
        c.listen = text("Listen");
        c.allow = splitList(text("Allow"));
        c.authUser = text("AuthUser");
        c.proxy = text("Proxy");
        c.rewrite = text("Rewrite");
        c.transfer = text("Transfer");
        const QString transport = text("Transport").toLower();
        bool any = !c.account.isEmpty() || !c.listen.isEmpty() || !c.allow.isEmpty() ||
                   !transport.isEmpty() || !c.authUser.isEmpty() || !c.proxy.isEmpty() ||
                   !c.rewrite.isEmpty() || !c.transfer.isEmpty();
        settings.endGroup();
        if (!any)
            continue;
        c.transport = !transport.isEmpty()  ? transport
                      : wantsTls(c.account) ? QStringLiteral("tls")
                                            : QStringLiteral("udp");
        c.listen = c.listenOrDefault();
        lines.append(c);
    }
    return lines;
}

bool WriteSipLine(const SettingsFileRef& file, const SipLineConfig& config, QString* error) {
    if (config.group < 1 || config.group > kMaxSipLines) {
        if (error)
            *error = QStringLiteral("There is room for %1 SIP lines.").arg(kMaxSipLines);
        return false;
    }
    QSettings settings(file.path, QSettings::IniFormat);
    // Where a service finds the password is set by hand and is not one of the window's values.
    const QString passwordFile =
        settings.value(groupName(config.group) + QStringLiteral("/PasswordFile")).toString();
    settings.remove(groupName(config.group));
    settings.beginGroup(groupName(config.group));
    const auto put = [&](const char* key, const QString& value) {
        if (!value.isEmpty())
            settings.setValue(QLatin1String(key), value);
    };
    put("Account", config.account);
    put("Listen", config.listen);
    // One text, so QSettings writes it quoted and it reads back the same way.
    put("Allow", config.allow.join(QStringLiteral(", ")));
    put("Transport", config.transport);
    put("AuthUser", config.authUser);
    put("Proxy", config.proxy);
    put("Rewrite", config.rewrite);
    put("Transfer", config.transfer);
    put("PasswordFile", passwordFile);
    settings.endGroup();
    return finish(settings, file, error);
}

bool RemoveSipLine(const SettingsFileRef& file, int group, QString* error) {
    QSettings settings(file.path, QSettings::IniFormat);
    settings.remove(groupName(group));
    return finish(settings, file, error);
}
