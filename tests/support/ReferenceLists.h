#pragma once

#include "lists/PhoneLists.h"

#include <QString>

// The lookup of the phone lists done the plain way: every table entry up to its terminator is
// turned into its match text and compared with the caller number. Tests hold the indexed lookup
// of PhoneLists to this.
bool ReferenceMatchesPublic(const PhoneLists& lists, const QString& callerNumber);
bool ReferenceMatchesPrivate(const PhoneLists& lists, const QString& callerNumber);
// Public first, then private, as the verdict scans them.
bool ReferenceIsListed(const PhoneLists& lists, const QString& callerNumber);
