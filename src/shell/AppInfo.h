#pragma once

#include "lists/ui/SharingProject.h"

#include <QString>

// Fixed facts about the program shown in its windows.
namespace appinfo {
inline constexpr int kVersionMajor = 3;
inline constexpr int kVersionMinor = 0;
inline constexpr int kVersionRevision = 0;

// "Version: 3.0.0": each number in decimal without padding.
inline QString VersionText() {
    return QStringLiteral("Version: %1.%2.%3")
        .arg(kVersionMajor)
        .arg(kVersionMinor)
        .arg(kVersionRevision);
}

// The maker's site is the one the sharing project lives on.
inline QString MakerWebAddress() {
    return sharing::SiteUrl();
}
inline QString SupportEmail() {
    return QStringLiteral("support@hushwire.example.org");
}
// The help page shipped beside the executable.
inline QString HelpFileName() {
    return QStringLiteral("help.html");
}
} // namespace appinfo
