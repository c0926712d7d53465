#include "telephony/sip/SipCallerId.h"
#include "platform/NumberRewrite.h"

#include <QByteArray>
#include <QRegularExpression>
#include <QUrl>

#include <optional>

namespace {

// One identity header value (display name and URI in angle brackets, or a bare URI), taken apart.
struct Party {
    QString name;
    QString scheme; // lower case: sip, sips, tel, or anything else
    QString user;   // user part of a sip URI, or the number of a tel URI
    QString host;
    QString params; // header parameters after the URI, lower case
};

// Splits a header value at commas outside quotes and angle brackets.
QStringList splitValues(const QString& header) {
    QStringList values;
    QString current;
    bool quoted = false;
    bool escaped = false;
    int angle = 0;
    for (const QChar c : header) {
        if (escaped) {
            escaped = false;
        } else if (quoted && c == u'\\') {
            escaped = true;
        } else if (c == u'"') {
            quoted = !quoted;
        } else if (!quoted && c == u'<') {
            ++angle;
        } else if (!quoted && c == u'>' && angle > 0) {
            --angle;
        } else if (!quoted && angle == 0 && c == u',') {
            values << current.trimmed();
            current.clear();
            continue;
        }
        current += c;
    }
    values << current.trimmed();
    values.removeAll(QString());
    return values;
}

// The display name before '<': a quoted string with backslash escapes, or plain words.
QString displayName(const QString& text) {
    const QString t = text.trimmed();
    if (!t.startsWith(u'"'))
        return t.simplified();
    QString name;
    for (qsizetype i = 1; i < t.size(); ++i) {
        if (t[i] == u'\\' && i + 1 < t.size())
            name += t[++i];
        else if (t[i] == u'"')
            break;
        else
            name += t[i];
    }
    return name.trimmed();
}

std::optional<Party> parseParty(const QString& value) {
    Party p;
    QString uri;
    const qsizetype open = value.indexOf(u'<');
    // A '<' inside a quoted display name does not start the URI.
    qsizetype lt = open;
    if (value.trimmed().startsWith(u'"')) {
        bool escaped = false;
        qsizetype endQuote = -1;
        for (qsizetype i = value.indexOf(u'"') + 1; i < value.size(); ++i) {
            if (escaped)
                escaped = false;
            else if (value[i] == u'\\')
                escaped = true;
            else if (value[i] == u'"') {
                endQuote = i;
                break;
            }
        }
        lt = endQuote < 0 ? -1 : value.indexOf(u'<', endQuote);
    }
    if (lt >= 0) {
        const qsizetype gt = value.indexOf(u'>', lt);
        if (gt < 0)
            return std::nullopt;
        p.name = displayName(value.left(lt));
        uri = value.mid(lt + 1, gt - lt - 1).trimmed();
        p.params = value.mid(gt + 1).toLower();
    } else {
        // A bare URI: it runs to the first ';', header parameters follow.
        const QString t = value.trimmed();
        const qsizetype semi = t.indexOf(u';');
        uri = semi < 0 ? t : t.left(semi);
        p.params = semi < 0 ? QString() : t.mid(semi).toLower();
    }
    const qsizetype colon = uri.indexOf(u':');
    if (colon <= 0)
        return std::nullopt;
    p.scheme = uri.left(colon).toLower();
    QString rest = uri.mid(colon + 1);
    if (p.scheme == QLatin1String("tel")) {
        p.user = rest.section(u';', 0, 0);
    } else {
        const qsizetype at = rest.lastIndexOf(u'@');
        p.user = at < 0 ? QString() : rest.left(at).section(u';', 0, 0).section(u':', 0, 0);
        p.host = (at < 0 ? rest : rest.mid(at + 1)).section(u';', 0, 0).section(u':', 0, 0);
    }
    p.user = QUrl::fromPercentEncoding(p.user.toUtf8()).trimmed();
    p.host = p.host.toLower();
    return p;
}

// The number in a user part, visual separators dropped; empty when it is not a number.
QString usableNumber(const Party& p) {
    if (p.scheme != QLatin1String("sip") && p.scheme != QLatin1String("sips") &&
        p.scheme != QLatin1String("tel"))
        return {};
    QString number;
    for (qsizetype i = 0; i < p.user.size(); ++i) {
        const QChar c = p.user[i];
        if (c.isDigit() && c.unicode() < 128)
            number += c;
        else if (c == u'+' && number.isEmpty() && i == p.user.indexOf(u'+'))
            number += c;
        else if (c != u'-' && c != u'.' && c != u'(' && c != u')' && c != u' ')
            return {};
    }
    return number.size() > (number.startsWith(u'+') ? 1 : 0) ? number : QString();
}

bool isAnonymous(const Party& p) {
    static const QStringList withheldUsers{QStringLiteral("anonymous"),
                                           QStringLiteral("restricted"), QStringLiteral("private"),
                                           QStringLiteral("withheld")};
    return withheldUsers.contains(p.user.toLower()) || p.host == QLatin1String("anonymous.invalid");
}

bool privacyWithholds(const QString& privacy) {
    static const QRegularExpression separators(QStringLiteral("[;,\\s]+"));
    for (const QString& token : privacy.toLower().split(separators, Qt::SkipEmptyParts)) {
        if (token == QLatin1String("id") || token == QLatin1String("header"))
            return true;
    }
    return false;
}

SipCallerId numberOf(const Party& p, const QString& number) {
    SipCallerId id;
    id.kind = SipCallerId::Kind::Number;
    id.number = number;
    id.name = p.name;
    return id;
}

SipCallerId privateCaller() {
    SipCallerId id;
    id.kind = SipCallerId::Kind::Private;
    return id;
}

SipCallerId choose(const SipIdentity& headers) {
    if (privacyWithholds(headers.privacy))
        return privateCaller();

    bool withheld = false;
    for (const QString& header : headers.pAssertedIdentity) {
        for (const QString& value : splitValues(header)) {
            const auto p = parseParty(value);
            if (!p)
                continue;
            if (isAnonymous(*p)) {
                withheld = true;
                continue;
            }
            const QString number = usableNumber(*p);
            if (!number.isEmpty())
                return numberOf(*p, number);
        }
    }
    if (withheld)
        return privateCaller();

    const QStringList rpid = splitValues(headers.remotePartyId);
    if (!rpid.isEmpty()) {
        if (const auto p = parseParty(rpid.first())) {
            const QString privacy = p->params.section(QLatin1String("privacy="), 1, 1)
                                        .section(u';', 0, 0)
                                        .remove(u'"')
                                        .trimmed();
            if (privacy == QLatin1String("full") || privacy == QLatin1String("uri") ||
                isAnonymous(*p))
                return privateCaller();
            const QString number = usableNumber(*p);
            if (!number.isEmpty())
                return numberOf(*p, number);
        }
    }

    if (const auto p = parseParty(headers.from)) {
        if (isAnonymous(*p) ||
            p->name.compare(QLatin1String("anonymous"), Qt::CaseInsensitive) == 0)
            return privateCaller();
        const QString number = usableNumber(*p);
        if (!number.isEmpty())
            return numberOf(*p, number);
    }
    return {};
}

} // namespace

SipCallerId ExtractCallerId(const SipIdentity& headers, const QString& rewrite) {
    SipCallerId id = choose(headers);
    if (id.kind == SipCallerId::Kind::Number)
        id.number = ApplyNumberRewrite(id.number, rewrite);
    return id;
}
