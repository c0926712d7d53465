#pragma once

#include <QString>

// The collection sharing project that the public list window points users to: where newer
// shared number database files can be downloaded, and where exported share files are sent.
namespace sharing {
inline QString SiteName() {
    return QStringLiteral("hushwire.example.org");
}
inline QString SiteUrl() {
    return QStringLiteral("https://hushwire.example.org/");
}
inline QString ShareAddress() {
    return QStringLiteral("share@hushwire.example.org");
}
} // namespace sharing
