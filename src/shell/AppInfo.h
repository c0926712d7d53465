#pragma once

#include "ui/HelpPage.h"

#include <QCoreApplication>
#include <QString>

// Fixed facts about the program shown in its windows.
namespace appinfo {
inline constexpr int kVersionMajor = 3;
inline constexpr int kVersionMinor = 1;
inline constexpr int kVersionRevision = 0;

// "Version: 3.1.0": each number in decimal without padding.
inline QString VersionText() {
    return QCoreApplication::translate("AppInfo", "Version: %1.%2.%3")
        .arg(kVersionMajor)
        .arg(kVersionMinor)
        .arg(kVersionRevision);
}

// The maker has no web site: the links that would lead there open the help page shipped with
// the program, under this name.
inline QString MakerSiteName() {
    return QCoreApplication::translate("AppInfo", "Hushwire help");
}
inline QString MakerWebAddress() {
    return HelpPageUrl().toString(QUrl::FullyEncoded);
}
// The page about the modem emulator, the maker's other title.
inline QString EmulatorPageAddress() {
    return HelpPageUrl(QStringLiteral("emulator")).toString(QUrl::FullyEncoded);
}

// The licence the program is distributed under, as the about window states it.
inline QString LicenceText() {
    return QCoreApplication::translate(
        "AppInfo",
        "Hushwire is free software: you can redistribute it and/or modify it under the terms "
        "of the GNU General Public License, version 3 or (at your option) any later version. "
        "It is provided as is, without warranty of any kind.");
}
} // namespace appinfo
