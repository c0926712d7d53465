#pragma once

#include <QString>
#include <QTime>

struct EngineOptions;
class CallBackWindow;
class PhoneLists;
class RuleSet;

// What the screening decides about a caller.
enum class Verdict {
    RingsOn,        // not blocked: the call rings on
    BlockedUnknown, // no number came ("UNKNOWN") and such callers are blocked
    BlockedListed,  // blocked as a listed caller is: a list, a block rule, or only-known-callers
};

// What decided the verdict, in the order the screening asks.
enum class Decider {
    Nothing,        // no list, rule or option had anything to say: the call rings on
    AllowRule,      // an allow rule matched: the call rings on whatever else matches
    CallBackWindow, // the caller keyed the PIN a short while ago: the call rings on
    BlockUnknown,   // no number came and such callers are blocked
    PublicList,
    PrivateList,
    BlockRule,     // a block rule matched
    BlockUnlisted, // only callers an allow rule lets in ring
    QuietHours,    // quiet hours: only callers an allow rule lets in ring
};

struct Screening {
    Verdict verdict = Verdict::RingsOn;
    Decider decider = Decider::Nothing;
    int rule = -1; // the deciding rule's index in the rule set, for AllowRule and BlockRule
};

// What the screening needs beyond the caller, the lists and the options. Every part may be
// absent: no rules, no call-back window, no time of day (quiet hours never apply).
struct ScreenContext {
    const RuleSet* rules = nullptr;
    const CallBackWindow* callBack = nullptr;
    qint64 nowMs = 0; // the monotonic time the call-back window is kept in
    QTime timeOfDay;
};

// Whether the number is in the public list or, only when it is not, in the private list.
bool FindInLists(const QString& callerNumber, const PhoneLists& lists);

// The verdict on a caller number as the caller ID delivered it ("UNKNOWN" when none came).
Verdict ScreenVerdict(const QString& callerNumber, const PhoneLists& lists,
                      const EngineOptions& options);

// The whole screening of a caller: allow rules and the call-back window first, then BlockUnknown
// and the lists, then block rules, then only-known-callers and quiet hours. callerName is empty
// when none came. Rules never match the "UNKNOWN" of a call without a number, and block rules do
// not apply to such a call at all: BlockUnknown says what happens to it.
Screening ScreenVerdict(const QString& callerNumber, const QString& callerName,
                        const PhoneLists& lists, const EngineOptions& options,
                        const ScreenContext& context);

// The decider in plain words, as "rule test" prints it.
QString DeciderText(Decider decider);
