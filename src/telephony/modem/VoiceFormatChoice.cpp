#include "telephony/modem/VoiceFormatChoice.h"

#include <QRegularExpression>

namespace {

struct Offer {
    int number = -1;
    QByteArray description;
    bool has8000 = false;
};

bool parseOffer(const QByteArray& line, Offer* offer) {
    static const QRegularExpression re(QStringLiteral(R"(^\s*(\d+)\s*,\s*"([^"]*)\"(.*)$)"));
    const QRegularExpressionMatch m = re.match(QString::fromLatin1(line));
    if (!m.hasMatch())
        return false;
    offer->number = m.captured(1).toInt();
    offer->description = m.captured(2).toUpper().toLatin1();
    // The rest lists the sample rates (and, in some dialects, bits and other fields). Without
    // any rate at all the modem is taken to play 8000 Hz.
    static const QRegularExpression num(QStringLiteral(R"(\d+)"));
    bool anyRate = false;
    auto it = num.globalMatch(m.captured(3));
    while (it.hasNext()) {
        const int value = it.next().captured(0).toInt();
        if (value >= 4000 && value <= 48000) {
            anyRate = true;
            if (value == 8000)
                offer->has8000 = true;
        }
    }
    if (!anyRate)
        offer->has8000 = true;
    return true;
}

bool isMuLaw(const QByteArray& d) {
    return d.contains("G.711U") || d.contains("G711U") || d.contains("ULAW") ||
           d.contains("U-LAW") || d.contains("MU-LAW") || d.contains("MULAW") ||
           d.contains("G.711 U");
}

bool isLinear8(const QByteArray& d) {
    if (!(d.contains("LINEAR") || d.contains("PCM")) || d.contains("ADPCM"))
        return false;
    if (d.contains("16") || (d.contains("SIGNED") && !d.contains("UNSIGNED")))
        return false;
    return d.contains('8') || d.contains("UNSIGNED");
}

} // namespace

VoiceFormatChoice ChooseVoiceFormat(const QList<QByteArray>& lines) {
    Offer linear8k, mulaw8k, linearAny, mulawAny;
    for (const QByteArray& line : lines) {
        Offer o;
        if (!parseOffer(line, &o))
            continue;
        if (isLinear8(o.description)) {
            if (o.has8000 && linear8k.number < 0)
                linear8k = o;
            if (linearAny.number < 0)
                linearAny = o;
        } else if (isMuLaw(o.description)) {
            if (o.has8000 && mulaw8k.number < 0)
                mulaw8k = o;
            if (mulawAny.number < 0)
                mulawAny = o;
        }
    }
    auto pick = [](const Offer& o, ModemVoiceFormat f) { return VoiceFormatChoice{o.number, f}; };
    if (linear8k.number >= 0)
        return pick(linear8k, ModemVoiceFormat::Linear8Unsigned);
    if (mulaw8k.number >= 0)
        return pick(mulaw8k, ModemVoiceFormat::MuLaw);
    if (linearAny.number >= 0)
        return pick(linearAny, ModemVoiceFormat::Linear8Unsigned);
    if (mulawAny.number >= 0)
        return pick(mulawAny, ModemVoiceFormat::MuLaw);
    return {};
}
