#include "settings/ui/DeviceDescription.h"

#include "platform/telephony/LineApi.h"
#include "platform/telephony/LineStructs.h"

#include <limits>

QString ReadLineName(const uint8_t* buffer, size_t bufferSize) {
    using namespace lineabi;
    if (bufferSize < devcaps::kFixedSize)
        return {};
    const uint64_t offset = readU32(buffer, devcaps::dwLineNameOffset);
    // Size plus one: the name may be stored with its terminating zero not counted.
    const uint64_t maxBytes = uint64_t(readU32(buffer, devcaps::dwLineNameSize)) + 1;
    QString name;
    for (uint64_t pos = offset; pos < bufferSize && pos - offset < maxBytes; ++pos) {
        const uint8_t byte = buffer[pos];
        if (byte == 0)
            break;
        name.append(QChar(char16_t(byte)));
    }
    return name;
}

DeviceDescription DescribeDeviceCaps(int32_t result, const QString& name, uint32_t mediaModes) {
    static const QString kNoVoice = QStringLiteral(" Line does not support voice");
    const QString modes = QString::number(mediaModes);
    DeviceDescription d;
    if (result != 0 || name.isEmpty()) {
        d.text = QStringLiteral("Invalid type of line");
    } else if (mediaModes ==
               (tapi::LINEMEDIAMODE_INTERACTIVEVOICE | tapi::LINEMEDIAMODE_DATAMODEM)) {
        // A data modem that claims interactive voice only for dialling by hand.
        d.text = QStringLiteral("  [") + modes + kNoVoice + QStringLiteral("]") + name;
    } else if (mediaModes & tapi::LINEMEDIAMODE_INTERACTIVEVOICE) {
        d.text = name + QStringLiteral("  [") + modes + QStringLiteral("]");
        d.usable = true;
        d.mediaMode = tapi::LINEMEDIAMODE_INTERACTIVEVOICE;
    } else if (mediaModes & tapi::LINEMEDIAMODE_AUTOMATEDVOICE) {
        d.text = name + QStringLiteral("  [") + modes + QStringLiteral("]");
        d.usable = true;
        d.mediaMode = tapi::LINEMEDIAMODE_AUTOMATEDVOICE;
    } else {
        d.text = name + QStringLiteral("  [") + modes + QStringLiteral("]") + QStringLiteral(" [") +
                 kNoVoice + QStringLiteral("]");
    }
    return d;
}

int LeadingNumber(const QString& text) {
    qsizetype i = 0;
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) {
        negative = text[i] == u'-';
        ++i;
    }
    qint64 value = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        value = value * 10 + (text[i].unicode() - u'0');
        if (value > qint64(std::numeric_limits<int>::max()) + 1)
            break;
    }
    if (negative)
        value = -value;
    if (value > std::numeric_limits<int>::max())
        return std::numeric_limits<int>::max();
    if (value < std::numeric_limits<int>::min())
        return std::numeric_limits<int>::min();
    return int(value);
}
