#include "core/ScreeningCore.h"

#include "calllog/CallLog.h"
#include "engine/CallScreener.h"
#include "engine/Wave.h"
#include "lists/ListStore.h"
#include "lists/PhoneLists.h"
#include "platform/time/Clock.h"
#include "platform/time/EventLoop.h"
#include "platform/time/LineTimer.h"
#include "settings/OptionsStore.h"

#include <algorithm>
#include <malloc.h>

namespace {
constexpr int kLinesPendingMs = 1000;

// Reading a list file whole leaves its buffers freed but still held by the allocator; a program
// that runs for days hands them back at once.
void ReturnFreedMemory() {
    malloc_trim(0);
}
} // namespace

ScreeningCore::ScreeningCore(const CoreServices& services, CallLogList& logList, QObject* parent)
    : QObject(parent), m_services(services) {
    Q_ASSERT(m_services.timers && m_services.loop);
    m_callLog = std::make_unique<CallLog>(logList, m_services.clock, *m_services.loop,
                                          m_services.appFolder);
    // A program that runs for days, on a box whose clock may be set after it starts, files each
    // line under the day it is written.
    m_callLog->setFilePerWrite(true);
    m_lists = std::make_unique<PhoneLists>(m_services.appFolder);
    m_listStore = std::make_unique<ListStore>(*m_lists);
    m_wave = std::make_unique<Wave>(m_services.mmio, m_services.waveOut);
    m_screener = std::make_unique<CallScreener>(
        EngineDeps{m_services.lineApi, *m_services.timers, *m_services.loop, *m_callLog, *m_lists,
                   *m_wave, m_services.sound, m_services.appFolder,
                   [this] {
                       m_failed = true;
                       Q_EMIT telephonyFailed();
                   },
                   m_services.lineAccess, &m_services.clock});
    m_linesPending =
        m_services.timers->createTimer(QStringLiteral("timLinesPending"), kLinesPendingMs, [this] {
            m_linesPending->stop();
            applyOptions();
        });
    connect(&m_missing, &MissingLines::mayHaveAppeared, this, &ScreeningCore::reopenLines);
}

ScreeningCore::~ScreeningCore() {
    shutDown();
}

bool ScreeningCore::start() {
    m_callLog->OpenDailyLog();
    scheduleNewDay();
    m_listStore->load();
    openTelephony();
    ReturnFreedMemory();
    return !m_failed;
}

void ScreeningCore::openTelephony() {
    m_screener->ResetLines();
    m_screener->InitTelephony();
    if (m_failed)
        return;
    // An unusable line is not opened; its stored choice stays, and a missing device is
    // watched for.
    m_devices = DescribeLineDevices(lineDevices());
    m_screener->setOptions(LoadEngineOptions(m_devices));
    ExplainDeniedPorts(m_devices);
    m_missing.update(m_devices, m_services.lineAccess, m_screener->deviceCount(), *m_callLog);
    m_screener->OpenLines();
    RecordModemChanges(m_devices);
}

void ScreeningCore::reopenLines() {
    // A line whose modem appeared opens with the others; a call in progress is not cut short.
    if (m_shutDown || m_failed)
        return;
    if (callInProgress()) {
        m_linesPending->start();
        return;
    }
    m_screener->CloseTelephony();
    openTelephony();
}

void ScreeningCore::reload() {
    if (m_shutDown || m_failed)
        return;
    m_listStore->load();
    applyOptions();
    ReturnFreedMemory();
}

void ScreeningCore::applyOptions() {
    if (m_shutDown || m_failed)
        return;
    const EngineOptions running = m_screener->options();
    const EngineOptions stored = LoadEngineOptions(m_devices);
    // A chosen line whose modem was missing is looked for again.
    bool linesChanged = m_missing.any();
    for (int line = 0; line < EngineOptions::kLines; ++line)
        linesChanged |= running.lines[size_t(line)].opens() != stored.lines[size_t(line)].opens();
    if (linesChanged && !callInProgress()) {
        m_screener->CloseTelephony();
        openTelephony();
        return;
    }
    // A call is not cut short: the lines keep what they were opened with until it has ended.
    if (linesChanged)
        m_linesPending->start();
    EngineOptions applied = stored;
    applied.lines = running.lines;
    for (int line = 0; line < EngineOptions::kLines; ++line)
        applied.lines[size_t(line)].rewrite = stored.lines[size_t(line)].rewrite;
    m_screener->setOptions(applied);
}

void ScreeningCore::reloadList(ListKind kind) {
    if (kind == ListKind::Public)
        m_lists->LoadPublicList();
    else
        m_lists->LoadPrivateList();
    m_listStore->restartPublicOrder();
    ReturnFreedMemory();
}

void ScreeningCore::shutDown() {
    if (m_shutDown)
        return;
    m_shutDown = true;
    m_newDay.reset();
    m_linesPending->stop();
    // Nothing was opened when telephony failed to start.
    if (!m_failed && m_screener->lineApp() != 0)
        m_screener->CloseTelephony();
    m_services.loop->yield();
    m_callLog->CloseDailyLog();
}

bool ScreeningCore::callInProgress() const {
    for (int line = 0; line < CallScreener::kLines; ++line) {
        if (m_screener->slot(line).callHandle != 0)
            return true;
    }
    return false;
}

LineDevices ScreeningCore::lineDevices() const {
    return LineDevices{m_services.lineApi, m_services.lineAccess, m_screener->lineApp(),
                       m_screener->apiVersion(), m_screener->deviceCount()};
}

void ScreeningCore::scheduleNewDay() {
    // Each day's calls go to that day's file: a second after midnight the log starts anew.
    const QDateTime now = m_services.clock.now().toLocalTime();
    const QDateTime midnight(now.date().addDays(1), QTime(0, 0));
    const int delay = int(std::clamp<qint64>(now.msecsTo(midnight) + 1000, 1000, 86'401'000));
    m_newDay = m_services.timers->createTimer(QStringLiteral("timNewDay"), delay, [this] {
        m_services.loop->post([this] {
            if (m_shutDown)
                return;
            m_callLog->OpenDailyLog();
            scheduleNewDay();
        });
        m_newDay->stop();
    });
    m_newDay->start();
}
