#pragma once

#include "ui/HelpPage.h"

#include <QCoreApplication>
#include <QString>

// The collection sharing project that the public list window points users to. The project has
// no server of its own: users exchange shared number database files and exported share files
// with each other, and the help page's section on sharing explains how. No address is offered
// that could not receive anything.
namespace sharing {
// Whom the public list window names as the source and the receiver of shared files.
inline QString SiteName() {
    return QCoreApplication::translate("SharingProject",
                                       "other Hushwire users (see the help page)");
}
// The help page's section on sharing a list file.
inline QString SiteUrl() {
    return HelpPageUrl(QStringLiteral("sharing")).toString(QUrl::FullyEncoded);
}
// Whom the export message asks to send the share file to.
inline QString ShareAddress() {
    return QStringLiteral("other Hushwire users (Help > Online Help, \"Sharing your list\", "
                          "tells how)");
}
} // namespace sharing
