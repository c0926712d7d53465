#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// How a family of modems answers: identity, classes, voice formats and small quirks.
struct VoiceFormat {
    int code = 0;
    QByteArray listing; // the AT+VSM=? line
    bool muLaw = false;
    bool signedLinear = false;
    QList<int> rates;
};

struct Chipset {
    QString name;
    QList<QByteArray> identity; // ATI3 lines
    QByteArray productCode;     // ATI / ATI0
    QByteArray classes;         // AT+FCLASS=? answer
    QList<VoiceFormat> formats;
    QByteArray voiceLineAnswer = "VCON"; // final answer to AT+VLS=1
    bool needsToneReporting = false;     // DLE events only after AT#VTD
    bool hashCid = false;                // takes AT#CID besides AT+VCID
    bool refusesPlusVls = false;         // older command set: off hook only by AT#VLS or ATA

    bool hasVoice() const { return !formats.isEmpty(); }
    const VoiceFormat* format(int code) const;
};

// The chipsets the emulator can play: "usr", "conexant", "v253", "legacy", "data". Returns false
// for an unknown name.
bool ChipsetByName(const QString& name, Chipset* out);
