#include "calllog/LogSink.h"
#include "engine/CallScreener.h"
#include "engine/CallerIdText.h"
#include "lists/PhoneLists.h"
#include "platform/telephony/LineApi.h"
#include "platform/telephony/LineStructs.h"

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
    callerNumber =
        part(tapi::LINECALLPARTYID_ADDRESS, callinfo::dwCallerIDSize, callinfo::dwCallerIDOffset);
    callerName = part(tapi::LINECALLPARTYID_NAME, callinfo::dwCallerIDNameSize,
                      callinfo::dwCallerIDNameOffset);

    auto block = [&](const QString& text) {
        s.timRing->stop();
        AnswerCall(i);
        m_deps.log.AddLogLine(text);
    };

    if (callerNumber == kUnknown && BlockUnknown == 1) {
        block(QStringLiteral("CallerID:") + callerNumber + kBlockedSuffix);
        return;
    }

    FindInLists(i);
    QString text = QStringLiteral("CallerID:") + callerNumber;
    if (callerName != kUnknown)
        text += QStringLiteral(" [") + callerName + QLatin1Char(']');
    if (s.listed)
        block(text + kBlockedSuffix);
    else
        m_deps.log.AddLogLine(text);
}

void CallScreener::FindInLists(int line) {
    LineSlot& s = m_slots.at(size_t(line));
    s.listed = false;
    // The public list first; the private list only when the public one has no match.
    if (m_deps.lists.MatchesPublic(callerNumber))
        s.listed = true;
    else if (m_deps.lists.MatchesPrivate(callerNumber))
        s.listed = true;
}
