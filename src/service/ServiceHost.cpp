#include "service/ServiceHost.h"

#include "calllog/CallLog.h"
#include "engine/CallScreener.h"
#include "lists/PhoneLists.h"
#include "service/ControlProtocol.h"
#include "service/ListFileWatcher.h"
#include "telephony/LineAccess.h"

ServiceHost::ServiceHost(ServiceLines lines, QObject* parent) : QObject(parent) {
    if (!lines.timers)
        lines.timers = &m_timers;
    if (!lines.loop)
        lines.loop = &m_loop;
    m_core = std::make_unique<ScreeningCore>(lines, m_journal);
    connect(m_core.get(), &ScreeningCore::telephonyFailed, this, &ServiceHost::telephonyFailed);
}

ServiceHost::~ServiceHost() {
    shutDown();
}

bool ServiceHost::start() {
    PhoneLists& lists = m_core->phoneLists();
    m_watcher = std::make_unique<ListFileWatcher>(lists.publicPath(), lists.privatePath());
    connect(m_watcher.get(), &ListFileWatcher::listChanged, m_core.get(),
            &ScreeningCore::reloadList);
    return m_core->start();
}

void ServiceHost::reload() {
    m_core->reload();
}

void ServiceHost::shutDown() {
    m_watcher.reset();
    m_core->shutDown();
}

LogSink& ServiceHost::callLog() {
    return m_core->callLog();
}

QStringList ServiceHost::statusLines() const {
    QStringList lines;
    const CallScreener& screener = m_core->screener();
    const int count = std::min<int>(screener.deviceCount(), CallScreener::kLines);
    for (int line = 0; line < count; ++line) {
        const LineSlot& slot = screener.slot(line);
        control::LineState state = control::LineState::Closed;
        if (slot.lineHandle != 0)
            state = slot.callHandle != 0 ? control::LineState::Call : control::LineState::Ready;
        else if (screener.options().lines[size_t(line)].opens())
            state = control::LineState::Error;
        else if (m_core->missingLines().isMissing(line))
            state = control::LineState::Missing;
        QString text = m_core->devices()[size_t(line)].text;
        // An open line that cannot take calls (a SIP account the server refused) says why.
        const LineAccess* access = m_core->lineAccess();
        const QString problem = state == control::LineState::Ready && access
                                    ? access->lastError(uint32_t(line))
                                    : QString();
        if (!problem.isEmpty()) {
            state = control::LineState::Error;
            text += QStringLiteral("  [") + problem + QLatin1Char(']');
        }
        lines.append(control::FormatStatusLine({line, state, text}));
    }
    // A chosen line beyond the devices there now.
    for (int line = count; line < CallScreener::kLines; ++line) {
        if (m_core->missingLines().isMissing(line))
            lines.append(control::FormatStatusLine(
                {line, control::LineState::Missing, m_core->missingLines().description(line)}));
    }
    return lines;
}

QString ServiceHost::logPath() const {
    return m_core->callLog().DailyLogPath();
}
