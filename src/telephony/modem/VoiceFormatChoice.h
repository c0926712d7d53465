#pragma once

#include "platform/audio/PcmConvert.h"

#include <QByteArray>
#include <QList>

// The voice compression a modem plays: its number for AT+VSM and what the bytes are.
struct VoiceFormatChoice {
    int number = -1;
    ModemVoiceFormat format = ModemVoiceFormat::Linear8Unsigned;
    bool valid() const { return number >= 0; }
};

// Picks a format from the lines a modem answered to AT+VSM=?, such as
// 128,"8-BIT LINEAR",(7200,8000,11025) or 131,"G.711U",8000. Numbers differ between chipsets,
// so the choice goes by the quoted description: 8-bit linear at 8000 Hz first, else mu-law at
// 8000 Hz, else either at another rate (played at 8000 Hz anyway). Invalid when neither exists.
VoiceFormatChoice ChooseVoiceFormat(const QList<QByteArray>& lines);
