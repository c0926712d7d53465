#include "service/ServiceHost.h"

#include "calllog/CallLog.h"
#include "engine/CallScreener.h"
#include "engine/Wave.h"
#include "lists/ListStore.h"
#include "lists/PhoneLists.h"
#include "platform/time/Clock.h"
#include "service/ControlProtocol.h"
#include "service/ListFileWatcher.h"
#include "settings/OptionsStore.h"

#include <QCoreApplication>
#include <malloc.h>

ServiceHost::ServiceHost(ServiceLines lines, QObject* parent)
    : QObject(parent), m_services(std::move(lines)) {
    m_callLog =
        std::make_unique<CallLog>(m_journal, m_services.clock, m_loop, m_services.appFolder);
    m_lists = std::make_unique<PhoneLists>(m_services.appFolder);
    m_listStore = std::make_unique<ListStore>(*m_lists);
    m_wave = std::make_unique<Wave>(m_services.mmio, m_services.waveOut);
    m_screener = std::make_unique<CallScreener>(
        EngineDeps{m_services.lineApi, m_timers, m_loop, *m_callLog, *m_lists, *m_wave,
                   m_services.sound, m_services.appFolder,
                   [this] {
                       m_failed = true;
                       Q_EMIT telephonyFailed();
                   },
                   m_services.lineAccess, &m_services.clock});
    m_linesPending.setSingleShot(true);
    m_linesPending.setInterval(1000);
    connect(&m_linesPending, &QTimer::timeout, this, &ServiceHost::applyOptions);
    m_newDay.setSingleShot(true);
    connect(&m_newDay, &QTimer::timeout, this, [this] {
        // A service runs for days: each day's calls go to that day's file.
        m_journal.setMuted(true);
        m_callLog->OpenDailyLog();
        m_journal.setMuted(false);
        scheduleNewDay();
    });
}

ServiceHost::~ServiceHost() {
    shutDown();
}

namespace {
// Reading a list file whole leaves its buffers freed but still held by the allocator; an
// unattended service on a small box hands them back at once.
void ReturnFreedMemory() {
    malloc_trim(0);
}
} // namespace

bool ServiceHost::start() {
    m_journal.setMuted(true);
    m_callLog->OpenDailyLog();
    m_journal.setMuted(false);
    scheduleNewDay();

    m_listStore->load();
    m_watcher = std::make_unique<ListFileWatcher>(m_lists->publicPath(), m_lists->privatePath());
    connect(m_watcher.get(), &ListFileWatcher::listChanged, this, &ServiceHost::reloadList);

    openTelephony();
    ReturnFreedMemory();
    return !m_failed;
}

void ServiceHost::openTelephony() {
    m_screener->ResetLines();
    m_screener->InitTelephony();
    if (m_failed)
        return;
    m_devices = DescribeLineDevices(lineDevices());
    m_screener->setOptions(LoadEngineOptions(m_devices));
    ExplainDeniedPorts(m_devices);
    m_screener->OpenLines();
    RecordModemChanges(m_devices);
}

void ServiceHost::reload() {
    if (m_shutDown || m_failed)
        return;
    m_listStore->load();
    applyOptions();
    ReturnFreedMemory();
}

void ServiceHost::applyOptions() {
    if (m_shutDown || m_failed)
        return;
    const EngineOptions running = m_screener->options();
    const EngineOptions stored = LoadEngineOptions(m_devices);
    bool linesChanged = false;
    for (int line = 0; line < EngineOptions::kLines; ++line)
        linesChanged |= running.lines[size_t(line)].opens() != stored.lines[size_t(line)].opens();
    if (linesChanged && !callInProgress()) {
        m_screener->CloseTelephony();
        openTelephony();
        return;
    }
    // A call is not cut short: the lines keep what they were opened with until it has ended.
    if (linesChanged)
        m_linesPending.start();
    EngineOptions applied = stored;
    applied.lines = running.lines;
    for (int line = 0; line < EngineOptions::kLines; ++line)
        applied.lines[size_t(line)].rewrite = stored.lines[size_t(line)].rewrite;
    m_screener->setOptions(applied);
}

void ServiceHost::reloadList(ListKind kind) {
    if (kind == ListKind::Public)
        m_lists->LoadPublicList();
    else
        m_lists->LoadPrivateList();
    m_listStore->restartPublicOrder();
    ReturnFreedMemory();
}

void ServiceHost::shutDown() {
    if (m_shutDown)
        return;
    m_shutDown = true;
    m_newDay.stop();
    m_linesPending.stop();
    m_watcher.reset();
    // Nothing was opened when telephony failed to start.
    if (!m_failed && m_screener->lineApp() != 0)
        m_screener->CloseTelephony();
    QCoreApplication::processEvents();
    m_callLog->CloseDailyLog();
}

bool ServiceHost::callInProgress() const {
    for (int line = 0; line < CallScreener::kLines; ++line) {
        if (m_screener->slot(line).callHandle != 0)
            return true;
    }
    return false;
}

LogSink& ServiceHost::callLog() {
    return *m_callLog;
}

QStringList ServiceHost::statusLines() const {
    QStringList lines;
    const int count = std::min<int>(m_screener->deviceCount(), CallScreener::kLines);
    for (int line = 0; line < count; ++line) {
        const LineSlot& slot = m_screener->slot(line);
        control::LineState state = control::LineState::Closed;
        if (slot.lineHandle != 0)
            state = slot.callHandle != 0 ? control::LineState::Call : control::LineState::Ready;
        else if (m_screener->options().lines[size_t(line)].opens())
            state = control::LineState::Error;
        lines.append(control::FormatStatusLine({line, state, m_devices[size_t(line)].text}));
    }
    return lines;
}

QString ServiceHost::logPath() const {
    return m_callLog->DailyLogPath();
}

LineDevices ServiceHost::lineDevices() const {
    return LineDevices{m_services.lineApi, m_services.lineAccess, m_screener->lineApp(),
                       m_screener->apiVersion(), m_screener->deviceCount()};
}

void ServiceHost::scheduleNewDay() {
    const QDateTime now = m_services.clock.now().toLocalTime();
    const QDateTime midnight(now.date().addDays(1), QTime(0, 0));
    m_newDay.start(int(std::clamp<qint64>(now.msecsTo(midnight) + 1000, 1000, 86'401'000)));
}
