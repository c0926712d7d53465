// Raw SIP request text of any content, decoded by libre, to the caller ID the line reports:
// never a crash, and a number is only ever digits with an optional leading '+'.
#include "FuzzSupport.h"

#include "telephony/sip/SipIdentityFromMsg.h"

#include <QRegularExpression>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzsupport::ensureApp();
    static const QRegularExpression number(QStringLiteral("^\\+?[0-9]+$"));
    SipIdentity identity;
    if (!SipIdentityFromText(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)),
                             &identity))
        return 0;
    for (const QString& rewrite : {QString(), QStringLiteral("+1:"), QStringLiteral("+44:0")}) {
        const SipCallerId id = ExtractCallerId(identity, rewrite);
        if (id.kind == SipCallerId::Kind::Number)
            fuzzsupport::check(number.match(id.number).hasMatch(), "number is digits");
        else
            fuzzsupport::check(id.number.isEmpty() && id.name.isEmpty(), "no number withheld");
    }
    return 0;
}
