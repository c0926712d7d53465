#include "shell/PromoTable.h"

#include "shell/AppInfo.h"

#include <QCoreApplication>
#include <algorithm>
#include <cmath>

void FillPromoTable(PromoTable& table) {
    const PromoEntry rows[] = {
        {QCoreApplication::translate(
             "PromoTable", "NCID - Network Caller ID: caller ID on every screen in the house"),
         QStringLiteral("https://ncid.sourceforge.io/")},
        {QCoreApplication::translate("PromoTable", "Asterisk - the open source telephone exchange"),
         QStringLiteral("https://www.asterisk.org/")},
        {QCoreApplication::translate("PromoTable",
                                     "FreePBX - run your home phone system from a web page"),
         QStringLiteral("https://www.freepbx.org/")},
        {QCoreApplication::translate(
             "PromoTable", "FreeSWITCH - a free telephony platform for calls and voice mail"),
         QStringLiteral("https://signalwire.com/freeswitch")},
        {QCoreApplication::translate("PromoTable",
                                     "Linphone - free internet phone for desktop and mobile"),
         QStringLiteral("https://www.linphone.org/")},
        {QCoreApplication::translate("PromoTable", "Twinkle - a SIP softphone for Linux"),
         QStringLiteral("https://github.com/LubosD/twinkle")},
        {QCoreApplication::translate("PromoTable", "Baresip - a small, modular SIP phone"),
         QStringLiteral("https://github.com/baresip/baresip")},
        {QCoreApplication::translate("PromoTable", "Jami - private calls without a central server"),
         QStringLiteral("https://jami.net/")},
        {QCoreApplication::translate("PromoTable", "Jitsi Meet - free video calls in the browser"),
         QStringLiteral("https://jitsi.org/")},
        {QCoreApplication::translate(
             "PromoTable", "Hushwire Modem Emulator - try call screening without a modem"),
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
