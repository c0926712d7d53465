#include "Chipset.h"

const VoiceFormat* Chipset::format(int code) const {
    for (const VoiceFormat& f : formats) {
        if (f.code == code)
            return &f;
    }
    return nullptr;
}

bool ChipsetByName(const QString& name, Chipset* out) {
    Chipset c;
    c.name = name;
    if (name == QLatin1String("usr")) {
        c.identity = {"U.S. Robotics 56K Voice Faxmodem (hushwire-fakemodem)"};
        c.productCode = "5601";
        c.classes = "0,1,1.0,2,2.0,8";
        c.formats = {
            {128, R"(128,"8-BIT LINEAR",(7200,8000,11025))", false, false, {7200, 8000, 11025}},
            {131, R"(131,"G.711U",8000)", true, false, {8000}},
        };
        c.voiceLineAnswer = "VCON";
        c.needsToneReporting = true;
        c.hashCid = true;
    } else if (name == QLatin1String("conexant")) {
        c.identity = {"Conexant HSF 56k Data/Fax/Voice Modem (hushwire-fakemodem)", "Rev 2.0"};
        c.productCode = "56000";
        c.classes = "0,1,1.0,2,8";
        c.formats = {
            {0, R"(0,"SIGNED PCM",8,0,(7200,8000,11025),0,(0))", false, true, {7200, 8000, 11025}},
            {130,
             R"(130,"UNSIGNED PCM",8,0,(7200,8000,11025),0,(0))",
             false,
             false,
             {7200, 8000, 11025}},
            {131, R"(131,"G.711 MU-LAW",8,0,(8000),0,(0))", true, false, {8000}},
        };
        c.voiceLineAnswer = "VCON";
        c.hashCid = true;
    } else if (name == QLatin1String("v253")) {
        c.identity = {"Generic V.253 Voice Modem (hushwire-fakemodem)"};
        c.productCode = "253";
        c.classes = "0,1,8";
        c.formats = {
            {1, R"(1,"UNSIGNED PCM",8,0,(8000),0,(0))", false, false, {8000}},
            {4, R"(4,"G.711U",8,0,(8000),0,(0))", true, false, {8000}},
        };
        c.voiceLineAnswer = "OK";
    } else if (name == QLatin1String("legacy")) {
        c.identity = {"56K Voice Modem, early command set (hushwire-fakemodem)"};
        c.productCode = "1996";
        c.classes = "0,1,2,8";
        c.formats = {
            {1, R"(1,"UNSIGNED PCM",8,0,(8000),0,(0))", false, false, {8000}},
        };
        c.voiceLineAnswer = "VCON";
        c.refusesPlusVls = true;
    } else if (name == QLatin1String("data")) {
        c.identity = {"56K Data Fax Modem (hushwire-fakemodem)"};
        c.productCode = "33600";
        c.classes = "0,1,2";
    } else {
        return false;
    }
    *out = c;
    return true;
}
