#include "engine/Verdict.h"
#include "calllog/LogSink.h"
#include "engine/CallScreener.h"
#include "engine/CallerIdText.h"
#include "lists/PhoneLists.h"
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

    const Verdict verdict = ScreenVerdict(m_callerNumber, m_deps.lists, m_options);
    s.listed = verdict == Verdict::BlockedListed;
    if (verdict == Verdict::BlockedUnknown) {
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
}

bool FindInLists(const QString& callerNumber, const PhoneLists& lists) {
    // The public list first; the private list only when the public one has no match.
    return lists.MatchesPublic(callerNumber) || lists.MatchesPrivate(callerNumber);
}

Verdict ScreenVerdict(const QString& callerNumber, const PhoneLists& lists,
                      const EngineOptions& options) {
    if (callerNumber == kUnknown && options.blockUnknown == 1)
        return Verdict::BlockedUnknown;
    return FindInLists(callerNumber, lists) ? Verdict::BlockedListed : Verdict::RingsOn;
}
