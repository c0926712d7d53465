#include "shell/AppShell.h"

#include "calllog/CallLog.h"
#include "calllog/CallStats.h"
#include "calllog/ui/AddFromLog.h"
#include "calllog/ui/frmStats.h"
#include "calllog/ui/frmViewLog.h"
#include "engine/CallScreener.h"
#include "lists/ListStore.h"
#include "lists/PhoneLists.h"
#include "lists/ui/ListWindows.h"
#include "platform/MessageSeam.h"
#include "platform/time/Clock.h"
#include "rules/ui/RulesFromLog.h"
#include "rules/ui/frmRules.h"
#include "service/ListFileWatcher.h"
#include "settings/OptionsStore.h"
#include "settings/SettingsStore.h"
#include "settings/ui/frmSetup.h"
#include "shell/CallNotifications.h"
#include "shell/PromoPanel.h"
#include "shell/ServiceLink.h"
#include "shell/cSysTray.h"
#include "shell/frmMain.h"
#include "shell/frmSplash.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFileInfo>
#include <QGroupBox>
#include <QListWidget>
#include <QTimer>

AppShell::AppShell(CoreServices services, QString serviceSocket, QObject* parent)
    : QObject(parent), m_serviceSocket(std::move(serviceSocket)), m_clock(services.clock),
      m_main(std::make_unique<frmMain>()) {
    if (!isServiceWindow()) {
        if (!services.timers)
            services.timers = &m_timers;
        if (!services.loop)
            services.loop = &m_loop;
        m_core = std::make_unique<ScreeningCore>(services, m_main->callLogList());
        connect(m_core.get(), &ScreeningCore::telephonyFailed, this, &AppShell::endProgram);
        m_callLog = &m_core->callLog();
        m_lists = &m_core->phoneLists();
        m_listStore = &m_core->listStore();
    } else {
        m_windowLog = std::make_unique<CallLog>(m_main->callLogList(), services.clock, m_loop,
                                                services.appFolder);
        m_windowLists = std::make_unique<PhoneLists>(services.appFolder);
        m_windowStore = std::make_unique<ListStore>(*m_windowLists);
        m_callLog = m_windowLog.get();
        m_lists = m_windowLists.get();
        m_listStore = m_windowStore.get();
    }
    m_listWindows = std::make_unique<ListWindows>(*m_listStore, services.clock);
    AddRuleItemsToLogMenu(InstallAddFromLogMenu(m_main->lstWhite(), *m_listWindows),
                          m_main->lstWhite(), services.appFolder);

    connect(m_main.get(), &frmMain::unloading, this, &AppShell::ShutDown);
    connect(m_main.get(), &frmMain::mnuOptionsClicked, this, &AppShell::showOptions);
    connect(m_main.get(), &frmMain::mnuWhiteClicked, this, &AppShell::showPrivateList);
    connect(m_main.get(), &frmMain::mnuBlackClicked, this, &AppShell::showPublicList);
    connect(m_main.get(), &frmMain::mnuWLogsClicked, this, &AppShell::showLogViewer);
    connect(m_main.get(), &frmMain::mnuRulesClicked, this,
            [this, folder = services.appFolder, &clock = services.clock] {
                frmRules rules(folder, *m_lists, clock, m_main.get());
                rules.exec();
            });
    connect(m_main.get(), &frmMain::mnuStatsClicked, this, &AppShell::showStatistics);
}

AppShell::~AppShell() {
    // Windows that refer to the engine and the lists go first.
    delete m_setup;
    m_setup = nullptr;
    m_listWindows.reset();
}

void AppShell::StartUp() {
    auto* splash = new frmSplash;
    connect(splash, &frmSplash::finished, this, &AppShell::ShowMainWindow);
    splash->load();
}

void AppShell::ShowMainWindow() {
    LoadMainWindow();
    if (m_ending)
        return;
    // From here on, each blocked call and line change shows as a desktop notification.
    m_notifications =
        std::make_unique<CallNotifications>(*m_main->lstWhite()->model(), DesktopNotifier());
    if (!m_startMinimised)
        m_main->show();
    else if (!m_main->cSysTray1()->canRestoreFromTray())
        m_main->showMinimized(); // no tray to come back from: stay on the taskbar
    Q_EMIT mainWindowLoaded();
}

void AppShell::LoadMainWindow() {
    cSysTray* tray = m_main->cSysTray1();
    tray->setInTray(true);
    tray->setTrayTip(AppTitle());

    auto* promo = new PromoPanel;
    m_main->setPromoPanel(promo);

    if (isServiceWindow()) {
        attachToService();
        return;
    }

    if (!m_core->start())
        return;
    m_listWatcher = WatchListFiles(*m_listStore);

    if (m_core->screener().options().minOnStart == 1) {
        m_startMinimised = true;
        m_main->setWindowState(m_main->windowState() | Qt::WindowMinimized);
    }

    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
}

void AppShell::attachToService() {
    const QString logPath = ServiceLogPath(m_serviceSocket);
    m_callLog->FollowDailyLog(logPath.isEmpty() ? m_callLog->TodaysLogPath() : logPath);
    const auto devices = ServiceLineDescriptions(m_serviceSocket);
    if (devices && LoadEngineOptions(*devices).minOnStart == 1) {
        m_startMinimised = true;
        m_main->setWindowState(m_main->windowState() | Qt::WindowMinimized);
    }
    m_listStore->load();
    m_listWatcher = WatchListFiles(*m_listStore);
}

void AppShell::reloadService() {
    if (!ReloadService(m_serviceSocket))
        ShowMessage(QCoreApplication::translate(
                        "AppShell", "The settings are saved, but the Hushwire service did not take "
                                    "them up: it did not answer. They apply when it starts again."),
                    AppTitle(), MessageIcon::Warning);
}

CallScreener& AppShell::screener() {
    return m_core->screener();
}

void AppShell::ShutDown() {
    // After a failed telephony start the program ends without the shut-down: nothing was
    // opened that would need closing.
    if (m_shutDown || m_ending)
        return;
    m_shutDown = true;
    m_main->timExit()->stop();

    if (m_core) // a service's lines stay open
        m_core->shutDown();
    QCoreApplication::processEvents();
    m_callLog->CloseDailyLog();
    m_main->cSysTray1()->setInTray(false);
    QCoreApplication::processEvents();

    // Every other window goes; the main window is closing already when the close asked for
    // the shut-down, and is closed here when a signal or the session's end asked for it.
    const QList<QWidget*> windows = QApplication::topLevelWidgets();
    for (QWidget* window : windows) {
        if (window != m_main.get() && window->isVisible())
            window->close();
    }
    m_main->close();
    m_main->hide();
    // Leaves every event loop, modal ones included.
    QCoreApplication::exit(0);
}

void AppShell::requestShutDown() {
    m_main->close();
    ShutDown(); // in case the window was never loaded and so did not report its close
}

void AppShell::endProgram() {
    // Telephony could not start: the user has been told; nothing was opened, so the program
    // ends at once without the shut-down sequence.
    m_ending = true;
    m_main->cSysTray1()->setInTray(false);
    QMetaObject::invokeMethod(
        qApp, [] { QCoreApplication::exit(1); }, Qt::QueuedConnection);
}

void AppShell::showOptions() {
    // Only once telephony is up: the window lists the devices of the running session (or of the
    // running service).
    if (m_ending ||
        !(isServiceWindow() ? describeServiceLines() : m_core->screener().lineApp() != 0))
        return;
    if (!m_setup && isServiceWindow()) {
        // The service takes the saved settings up without a restart.
        m_setup = new frmSetup([this] { return m_serviceDevices; }, [this] { reloadService(); },
                               m_main.get());
    } else if (!m_setup) {
        // Loads itself: lists the devices and reads the stored options.
        m_setup = new frmSetup(
            m_core->lineDevices(), [this] { m_main->timExit()->start(); }, m_main.get());
        // The mode saved applies at once; the rest waits for the next start, which follows.
        connect(m_setup, &frmSetup::saved, this, [this](const EngineOptions& saved) {
            EngineOptions running = m_core->screener().options();
            running.mode = saved.mode;
            m_core->screener().setOptions(running);
        });
    } else if (!m_setup->isLoaded()) {
        m_setup->Load();
    }
    m_setup->exec();
}

bool AppShell::describeServiceLines() {
    // Without the service's answer its lines are unknown: the setup window would take them for
    // missing and switch them off in the store.
    const auto devices = ServiceLineDescriptions(m_serviceSocket);
    if (!devices) {
        ShowMessage(QCoreApplication::translate(
                        "AppShell", "The Hushwire service does not answer, so its lines cannot be "
                                    "set up now. Start it again and try once more."),
                    AppTitle(), MessageIcon::Warning);
        return false;
    }
    m_serviceDevices = *devices;
    return true;
}

void AppShell::showPrivateList() {
    m_listWindows->showPrivateWindow(m_main.get());
}

void AppShell::showPublicList() {
    m_listWindows->showPublicWindow(m_main.get());
}

void AppShell::showLogViewer() {
    frmViewLog viewer(*m_callLog, m_main.get());
    viewer.setWindowTitle(QCoreApplication::translate("AppShell", "View Call Logs"));
    viewer.exec();
}

void AppShell::showStatistics() {
    // The folder of the log being written, or followed as the service's window.
    const QString log = m_callLog->DailyLogPath();
    const QString folder = QFileInfo(log.isEmpty() ? m_callLog->TodaysLogPath() : log).path();
    const QDate today = m_clock.now().toLocalTime().date();
    frmStats stats(ReadCallStats(folder, today, frmStats::kDays, ListOfNumberIn(*m_lists)),
                   m_main.get());
    stats.exec();
}
