#include "shell/frmMain.h"

#include "shell/ShellIcons.h"
#include "shell/cSysTray.h"
#include "shell/frmAbout.h"
#include "shell/frmThanks.h"
#include "ui/HelpPage.h"
#include "ui/UrlOpener.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QMenuBar>
#include <QTimer>
#include <QVBoxLayout>

namespace {
constexpr int kExitDelayMs = 500;

QAction* addItem(QMenu* menu, const char* name, const QString& caption) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(QLatin1String(name));
    return action;
}

QMenu* addMenu(QMenuBar* bar, const char* name, const QString& caption) {
    QMenu* menu = bar->addMenu(caption);
    menu->setObjectName(QLatin1String(name));
    return menu;
}
} // namespace

frmMain::frmMain(QWidget* parent)
    : QMainWindow(parent), m_lstWhite(new QListWidget), m_callLogList(*m_lstWhite) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QCoreApplication::translate("frmMain", "Hushwire - Freeware"));
    setWindowIcon(HushwireIcon());
    resize(560, 400);

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);

    auto* frame1 =
        new QGroupBox(QCoreApplication::translate("frmMain", "Incoming Call Log"), central);
    frame1->setObjectName(QStringLiteral("Frame1"));
    m_frame1 = frame1;
    auto* frame1Layout = new QVBoxLayout(frame1);
    m_lstWhite->setObjectName(QStringLiteral("lstWhite"));
    // Every row has the same height: keeps a replay of a long day's log fast.
    m_lstWhite->setUniformItemSizes(true);
    frame1Layout->addWidget(m_lstWhite);
    layout->addWidget(frame1, 1);

    m_frame2 = new QGroupBox(QCoreApplication::translate("frmMain", "Cool Stuff"), central);
    m_frame2->setObjectName(QStringLiteral("Frame2"));
    new QHBoxLayout(m_frame2);
    layout->addWidget(m_frame2);
    setCentralWidget(central);

    m_tray = new cSysTray(this);
    connect(m_tray, &cSysTray::MouseUp, this, &frmMain::onTrayMouseUp);

    m_timExit = new QTimer(this);
    m_timExit->setObjectName(QStringLiteral("timExit"));
    m_timExit->setInterval(kExitDelayMs);
    m_timExit->setSingleShot(true);
    connect(m_timExit, &QTimer::timeout, this, &QWidget::close);

    buildMenus();
}

frmMain::~frmMain() = default;

void frmMain::buildMenus() {
    QMenuBar* bar = menuBar();
    QMenu* mnuSetup = addMenu(bar, "mnuSetup", QCoreApplication::translate("frmMain", "Setup"));
    connect(addItem(mnuSetup, "mnuOptions", QCoreApplication::translate("frmMain", "Options")),
            &QAction::triggered, this, &frmMain::mnuOptionsClicked);
    connect(
        addItem(mnuSetup, "mnuWhite", QCoreApplication::translate("frmMain", "Private Black List")),
        &QAction::triggered, this, &frmMain::mnuWhiteClicked);
    connect(addItem(mnuSetup, "mnuBlack",
                    QCoreApplication::translate("frmMain", "Public Telemarketer List")),
            &QAction::triggered, this, &frmMain::mnuBlackClicked);
    connect(
        addItem(mnuSetup, "mnuRules", QCoreApplication::translate("frmMain", "Screening Rules...")),
        &QAction::triggered, this, &frmMain::mnuRulesClicked);

    QMenu* mnuLogs = addMenu(bar, "mnuLogs", QCoreApplication::translate("frmMain", "Logs"));
    connect(addItem(mnuLogs, "mnuWLogs", QCoreApplication::translate("frmMain", "View Call Logs")),
            &QAction::triggered, this, &frmMain::mnuWLogsClicked);
    connect(
        addItem(mnuLogs, "mnuStats", QCoreApplication::translate("frmMain", "Call Statistics...")),
        &QAction::triggered, this, &frmMain::mnuStatsClicked);

    QMenu* mnuHelp = addMenu(bar, "mnuHelp", QCoreApplication::translate("frmMain", "Help"));
    connect(addItem(mnuHelp, "mnuAbout", QCoreApplication::translate("frmMain", "About")),
            &QAction::triggered, this, &frmMain::showAbout);
    connect(
        addItem(mnuHelp, "mnuOnlineHelp", QCoreApplication::translate("frmMain", "Online Help")),
        &QAction::triggered, this, &frmMain::openOnlineHelp);
    connect(addItem(mnuHelp, "mnuThanks", QCoreApplication::translate("frmMain", "Thanks To...")),
            &QAction::triggered, this, &frmMain::showThanks);
}

void frmMain::setPromoPanel(QGroupBox* panel) {
    panel->setObjectName(QStringLiteral("Frame2"));
    QWidget* central = centralWidget();
    delete central->layout()->replaceWidget(m_frame2, panel);
    delete m_frame2;
    m_frame2 = panel;
}

void frmMain::onTrayMouseUp(qint16 button, quint32 /*id*/) {
    if (button != 1 || !(windowState() & Qt::WindowMinimized))
        return;
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}

void frmMain::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange)
        return;
    // Minimising hides the window into the tray, but only when the tray icon is there to bring
    // it back: on a desktop without a tray the window stays on the taskbar.
    if ((windowState() & Qt::WindowMinimized) && m_tray->canRestoreFromTray())
        hide();
}

void frmMain::closeEvent(QCloseEvent* event) {
    // Closing always ends the program; it never goes to the tray.
    if (!m_unloaded) {
        m_unloaded = true;
        Q_EMIT unloading();
    }
    event->accept();
}

void frmMain::showAbout() {
    frmAbout about(this);
    about.exec();
}

void frmMain::showThanks() {
    frmThanks thanks(this);
    thanks.exec();
}

void frmMain::openOnlineHelp() {
    OpenUrl(HelpPageUrl());
}
