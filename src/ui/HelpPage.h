#pragma once

#include <QString>
#include <QUrl>

// The help page shipped with the program (help.html). A build or a portable copy keeps it beside
// the executable; an installed program keeps it in the installed share folder (/usr/share/hushwire
// for /usr/bin/hushwire). Where the data folder is (HUSHWIRE_APPFOLDER) does not matter.

// The help page that belongs to an executable folder: the first of the two places that holds
// one, or, when neither does, the place where this layout should have it.
QString FindHelpPage(const QString& executableDir);

// The running program's help page as a file URL, opened at the named section (an anchor of the
// page) when one is given. Opening it through OpenUrl says so when the page is missing.
QUrl HelpPageUrl(const QString& section = QString());
