#pragma once

#include <QString>

struct EngineOptions;
class PhoneLists;

// What the screening decides about a caller.
enum class Verdict {
    RingsOn,        // not blocked: the call rings on
    BlockedUnknown, // no number came ("UNKNOWN") and such callers are blocked
    BlockedListed,  // the number is in the public or the private list
};

// Whether the number is in the public list or, only when it is not, in the private list.
bool FindInLists(const QString& callerNumber, const PhoneLists& lists);

// The verdict on a caller number as the caller ID delivered it ("UNKNOWN" when none came).
Verdict ScreenVerdict(const QString& callerNumber, const PhoneLists& lists,
                      const EngineOptions& options);
