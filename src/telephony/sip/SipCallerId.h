#pragma once

#include <QString>
#include <QStringList>

// The identity headers of an incoming INVITE, as text (UTF-8 decoded). A header that comes
// several times has one entry per occurrence; one entry may also hold several comma-separated
// values.
struct SipIdentity {
    QStringList pAssertedIdentity;
    QString remotePartyId;
    QString from;
    QString privacy;
};

// The caller as the line reports it. Number: digits with an optional leading '+'; empty unless
// kind is Number. Name: the display name, when one came with the number.
struct SipCallerId {
    enum class Kind { Number, Private, OutOfArea };
    Kind kind = Kind::OutOfArea;
    QString number;
    QString name;
};

// Takes the caller from P-Asserted-Identity (the first value with a usable number), else
// Remote-Party-ID, else From. A withheld caller (Privacy id or header, Remote-Party-ID
// privacy=full, an anonymous user) is Private; one with no usable number is OutOfArea.
// rewrite "from:to" replaces the prefix from at the start of the number with to.
SipCallerId ExtractCallerId(const SipIdentity& headers, const QString& rewrite);
