#include "engine/Verdict.h"
#include "calllog/LogSink.h"
#include "engine/CallScreener.h"
#include "engine/CallerIdText.h"
#include "lists/PhoneLists.h"
#include "platform/NumberRewrite.h"
#include "platform/time/Clock.h"
#include "rules/CallBackWindow.h"
#include "rules/RuleFiles.h"
#include "rules/RuleSet.h"
#include "telephony/LineApi.h"
#include "telephony/LineStructs.h"

#include <vector>

namespace {

const QString kUnknown = QStringLiteral("UNKNOWN");
// 25 spaces, then "Blocked".
const QString kBlockedSuffix = QStringLiteral("                         Blocked");

} // namespace

void CallScreener::ScreenCall(uint32_t call) {
    // A caller ID for a call no line holds belongs to nobody we screen.
    const int i = slotByCall(call);
    if (i < 0)
        return;
    LineSlot& s = m_slots[size_t(i)];

    using namespace lineabi;
    std::vector<uint8_t> info(callinfo::kBufferSize, 0);
    writeU32(info.data(), kTotalSize, callinfo::kBufferSize);
    if (m_deps.lineApi.lineGetCallInfo(call, info.data()) != 0)
        return;

    const uint32_t flags = readU32(info.data(), callinfo::dwCallerIDFlags);
    if (flags & tapi::LINECALLPARTYID_OUTOFAREA)
        m_deps.log.AddLogLine(QStringLiteral("Out Of Area"));
    if (flags & tapi::LINECALLPARTYID_UNKNOWN)
        m_deps.log.AddLogLine(QStringLiteral("UNKNOWN"));
    if (flags & tapi::LINECALLPARTYID_BLOCKED)
        m_deps.log.AddLogLine(QStringLiteral("BLOCKED(PRIVATE)"));

    auto part = [&](uint32_t flag, size_t sizeField, size_t offsetField) {
        if (!(flags & flag))
            return kUnknown;
        const QString text =
            ReadCallerIdPart(info.data(), info.size(), readU32(info.data(), offsetField),
                             readU32(info.data(), sizeField));
        return text.isNull() ? kUnknown : text;
    };
    m_callerNumber =
        part(tapi::LINECALLPARTYID_ADDRESS, callinfo::dwCallerIDSize, callinfo::dwCallerIDOffset);
    m_callerName = part(tapi::LINECALLPARTYID_NAME, callinfo::dwCallerIDNameSize,
                        callinfo::dwCallerIDNameOffset);

    auto block = [&](const QString& text) {
        s.timRing->stop();
        AnswerCall(i);
        m_deps.log.AddLogLine(text);
    };

    // Numbers are logged and screened as the line's rewrite makes them.
    if (m_callerNumber != kUnknown)
        m_callerNumber = ApplyNumberRewrite(m_callerNumber, m_options.lines[size_t(i)].rewrite);
    s.callerNumber = m_callerNumber;
    LoadRules();
    ScreenContext context;
    context.rules = &m_rules.rules();
    context.callBack = &m_callBack;
    if (m_deps.clock) {
        context.nowMs = m_deps.clock->tickMs();
        context.timeOfDay = m_deps.clock->now().time();
    }
    const Screening screening =
        ScreenVerdict(m_callerNumber, m_callerName == kUnknown ? QString() : m_callerName,
                      m_deps.lists, m_options, context);
    // What decided a call that the lists alone would not have: after the caller-ID line.
    auto why = [&] {
        if (screening.rule >= 0) {
            const Rule& rule = m_rules.rules().rules()[size_t(screening.rule)];
            m_deps.log.AddLogLine(QStringLiteral("Rule: ") + rule.describe());
            noteRuleHit(screening.rule);
        } else if (screening.decider == Decider::CallBackWindow) {
            m_deps.log.AddLogLine(QStringLiteral("Call-back window"));
        }
    };

    s.listed = screening.verdict == Verdict::BlockedListed;
    if (screening.verdict == Verdict::BlockedUnknown) {
        // A caller without a number is never shown with a name.
        block(QStringLiteral("CallerID:") + m_callerNumber + kBlockedSuffix);
        return;
    }

    QString text = QStringLiteral("CallerID:") + m_callerNumber;
    if (m_callerName != kUnknown)
        text += QStringLiteral(" [") + m_callerName + QLatin1Char(']');
    if (s.listed)
        block(text + kBlockedSuffix);
    else
        m_deps.log.AddLogLine(text);
    why();
}

void CallScreener::LoadRules() {
    for (const RuleProblem& problem : m_rules.refresh()) {
        if (problem.line == 0)
            m_deps.log.AddLogLine(problem.reason);
        else
            m_deps.log.AddLogLine(
                QStringLiteral("rules.txt line %1 is not a rule and is left out: %2")
                    .arg(problem.line)
                    .arg(problem.reason));
    }
}

void CallScreener::noteRuleHit(int rule) {
    if (!m_deps.clock)
        return;
    // A count that cannot be written is not worth troubling the caller's screening with.
    RecordRuleHit(m_rules.hitsPath(), m_rules.rules().rules()[size_t(rule)],
                  m_deps.clock->now().date(), nullptr);
}

bool FindInLists(const QString& callerNumber, const PhoneLists& lists) {
    // The public list first; the private list only when the public one has no match.
    return lists.MatchesPublic(callerNumber) || lists.MatchesPrivate(callerNumber);
}

Verdict ScreenVerdict(const QString& callerNumber, const PhoneLists& lists,
                      const EngineOptions& options) {
    return ScreenVerdict(callerNumber, QString(), lists, options, ScreenContext{}).verdict;
}

Screening ScreenVerdict(const QString& callerNumber, const QString& callerName,
                        const PhoneLists& lists, const EngineOptions& options,
                        const ScreenContext& context) {
    const bool unknown = callerNumber == kUnknown;
    const QStringView number = unknown ? QStringView() : QStringView(callerNumber);
    const RuleSet* rules = context.rules && !context.rules->empty() ? context.rules : nullptr;

    if (rules) {
        const int allow = rules->firstMatch(RuleAction::Allow, number, callerName);
        if (allow >= 0)
            return {Verdict::RingsOn, Decider::AllowRule, allow};
    }
    if (!unknown && context.callBack && context.callBack->isOpen(callerNumber, context.nowMs))
        return {Verdict::RingsOn, Decider::CallBackWindow};

    if (unknown && options.blockUnknown == 1)
        return {Verdict::BlockedUnknown, Decider::BlockUnknown};
    if (lists.MatchesPublic(callerNumber))
        return {Verdict::BlockedListed, Decider::PublicList};
    if (lists.MatchesPrivate(callerNumber))
        return {Verdict::BlockedListed, Decider::PrivateList};

    if (rules && !unknown) {
        const int block = rules->firstMatch(RuleAction::Block, number, callerName);
        if (block >= 0)
            return {Verdict::BlockedListed, Decider::BlockRule, block};
    }
    if (options.blockUnlisted == 1)
        return {Verdict::BlockedListed, Decider::BlockUnlisted};
    if (options.quietHours.covers(context.timeOfDay))
        return {Verdict::BlockedListed, Decider::QuietHours};
    return {};
}

QString DeciderText(Decider decider) {
    switch (decider) {
    case Decider::Nothing:
        return QStringLiteral("nothing matched");
    case Decider::AllowRule:
        return QStringLiteral("allow rule");
    case Decider::CallBackWindow:
        return QStringLiteral("the call-back window");
    case Decider::BlockUnknown:
        return QStringLiteral("BlockUnknown (no number came)");
    case Decider::PublicList:
        return QStringLiteral("the public list");
    case Decider::PrivateList:
        return QStringLiteral("the private list");
    case Decider::BlockRule:
        return QStringLiteral("block rule");
    case Decider::BlockUnlisted:
        return QStringLiteral("BlockUnlisted (only callers you allow ring)");
    case Decider::QuietHours:
        return QStringLiteral("quiet hours");
    }
    return {};
}
