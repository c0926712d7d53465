#include "shell/PromoTable.h"

#include "shell/AppInfo.h"

#include <algorithm>
#include <cmath>

void FillPromoTable(PromoTable& table) {
    const PromoEntry rows[] = {
        {QStringLiteral("NCID - Network Caller ID: caller ID on every screen in the house"),
         QStringLiteral("https://ncid.sourceforge.io/")},
        {QStringLiteral("Asterisk - the open source telephone exchange"),
         QStringLiteral("https://www.asterisk.org/")},
        {QStringLiteral("FreePBX - run your home phone system from a web page"),
         QStringLiteral("https://www.freepbx.org/")},
        {QStringLiteral("FreeSWITCH - a free telephony platform for calls and voice mail"),
         QStringLiteral("https://signalwire.com/freeswitch")},
        {QStringLiteral("Linphone - free internet phone for desktop and mobile"),
         QStringLiteral("https://www.linphone.org/")},
        {QStringLiteral("Twinkle - a SIP softphone for Linux"),
         QStringLiteral("https://github.com/LubosD/twinkle")},
        {QStringLiteral("Baresip - a small, modular SIP phone"),
         QStringLiteral("https://github.com/baresip/baresip")},
        {QStringLiteral("Jami - private calls without a central server"),
         QStringLiteral("https://jami.net/")},
        {QStringLiteral("Jitsi Meet - free video calls in the browser"),
         QStringLiteral("https://jitsi.org/")},
        {QStringLiteral("Hushwire Modem Emulator - try call screening without a modem"),
         appinfo::EmulatorPageAddress()},
    };
    table = PromoTable{};
    for (const PromoEntry& row : rows)
        table.entries[size_t(table.count++)] = row;
}

int PickPromoIndex(double r, int count) {
    if (count <= 0)
        return 0;
    // nearbyint rounds halves to even in the default rounding mode.
    const double index = std::nearbyint(r * count * 0.95);
    return std::clamp(int(index), 0, count - 1);
}
