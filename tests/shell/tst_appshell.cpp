// Start-up and shut-down of the desktop program's shell over a fake telephony service: the
// tray and window at load, the setup window on demand, minimise on start, the shut-down, the
// session's end, the exit timer, and the new day's log. What the screening core does at start,
// midnight and shut-down is tested on the core itself (tests/core).
#include "calllog/CallLog.h"
#include "lists/PhoneLists.h"
#include "settings/SettingsStore.h"
#include "settings/ui/frmSetup.h"
#include "shell/AppShell.h"
#include "shell/RunHushwire.h"
#include "shell/cSysTray.h"
#include "shell/frmMain.h"
#include "support/MessageRecorder.h"
#include "support/ShellRig.h"
#include "support/TestFolders.h"
#include "telephony/LineStructs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QListWidget>
#include <QSessionManager>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {
// One isolated program: its own settings and data folder, one voice modem on device 0.
struct Rig : ShellRig {
    explicit Rig(const QByteArray& settings, Time kind = Time::Real) : ShellRig(kind) {
        UseFoldersUnder(dir.path());
        QDir().mkpath(QFileInfo(SettingsFilePath()).path());
        QFile conf(SettingsFilePath());
        if (conf.open(QIODevice::WriteOnly))
            conf.write(settings);
        conf.close();
        shell = makeShell(app());
    }
    QString app() const { return dir.path() + QStringLiteral("/app"); }
    QStringList logTexts() {
        QStringList texts;
        const QListWidget* list = shell->mainWindow().lstWhite();
        for (int i = 0; i < list->count(); ++i)
            texts << list->item(i)->text();
        return texts;
    }

    QTemporaryDir dir;
    MessageRecorder messages;
    std::unique_ptr<AppShell> shell;
};

} // namespace

class TestAppShell : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { cSysTray::setTrayAvailableForTesting(std::nullopt); }

    void loadPutsTheIconInTheTrayAndShowsTheLog() {
        Rig rig("[Config]\nLine0=1\n");
        rig.shell->LoadMainWindow();
        QTRY_VERIFY(
            rig.logTexts().join(QLatin1Char('\n')).contains(QStringLiteral("Line0 is ready")));
        cSysTray* tray = rig.shell->mainWindow().cSysTray1();
        QVERIFY(tray->InTray());
        QCOMPARE(tray->TrayTip(), QStringLiteral("Hushwire"));
        QVERIFY(rig.shell->mainWindow().findChild<QWidget*>(QStringLiteral("lblCool")));
        QVERIFY(QFileInfo::exists(rig.shell->callLog().DailyLogPath()));
    }

    // Start-up reads the devices and options without a window, also when a port may not be
    // opened; the setup window is made when Options asks for it, and lists the device then.
    void optionsMakesTheSetupWindowThatListsTheDevices() {
        Rig rig("[Config]\nLine0=1\n");
        rig.lines.devices[0].permissionDenied = true;
        rig.shell->LoadMainWindow();
        QVERIFY(!rig.shell->setupWindow());

        rig.lines.devices[0].permissionDenied = false;
        QTimer::singleShot(0, [&rig] { rig.shell->setupWindow()->reject(); });
        Q_EMIT rig.shell->mainWindow().mnuOptionsClicked();
        QVERIFY(rig.shell->setupWindow());
        QCOMPARE(rig.shell->setupWindow()->lineDescription(0), QStringLiteral("Voice Modem  [28]"));
    }

    void minimiseOnStartLeavesOnlyTheTrayIcon() {
        cSysTray::setTrayAvailableForTesting(true);
        Rig rig("[Config]\nLine0=1\nMinOnStart=1\n");
        rig.shell->ShowMainWindow();
        frmMain& w = rig.shell->mainWindow();
        QVERIFY(!w.isVisible());
        w.onTrayMouseUp(1, 0);
        QVERIFY(w.isVisible());
        QVERIFY(!(w.windowState() & Qt::WindowMinimized));
    }

    void minimiseOnStartWithoutATrayStaysReachable() {
        cSysTray::setTrayAvailableForTesting(false);
        Rig rig("[Config]\nLine0=1\nMinOnStart=1\n");
        rig.shell->ShowMainWindow();
        QVERIFY(rig.shell->mainWindow().isVisible());
        QVERIFY(rig.shell->mainWindow().windowState() & Qt::WindowMinimized);
    }

    void shutDownClosesLinesAndTrayOnce() {
        Rig rig("[Config]\nLine0=1\n");
        rig.shell->ShowMainWindow();
        QTRY_VERIFY(rig.opNames().contains(QStringLiteral("lineOpen")));
        rig.lines.clearOps();

        rig.shell->mainWindow().close(); // the close box
        QVERIFY(rig.shell->isShutDown());
        QVERIFY(rig.opNames().contains(QStringLiteral("lineClose")));
        QVERIFY(!rig.shell->callLog().isFileOpen());
        QVERIFY(!rig.shell->mainWindow().cSysTray1()->InTray());
        QVERIFY(!rig.shell->mainWindow().isVisible());

        // A signal or the session's end arriving afterwards does nothing more.
        rig.lines.clearOps();
        rig.shell->requestShutDown();
        rig.shell->ShutDown();
        QVERIFY(rig.opNames().isEmpty());
    }

    // The session manager asks the program to save its data for a checkpoint and before a
    // logout the user may still cancel; only the session's end, which makes the application
    // quit, shuts Hushwire down, also while it is hidden in the tray.
    void sessionEndShutsDownButACheckpointDoesNot() {
        Rig rig("[Config]\nLine0=1\n");
        rig.shell->ShowMainWindow();
        QTRY_VERIFY(rig.opNames().contains(QStringLiteral("lineOpen")));
        ShutDownWhenTheApplicationQuits(*qApp, *rig.shell);

        auto* manager = qApp->findChild<QSessionManager*>();
        QVERIFY(manager);
        Q_EMIT qApp->commitDataRequest(*manager);
        Q_EMIT qApp->saveStateRequest(*manager);
        QCoreApplication::processEvents();
        QVERIFY(!rig.shell->isShutDown());
        QVERIFY(rig.shell->mainWindow().cSysTray1()->InTray());

        rig.shell->mainWindow().hide();
        rig.lines.clearOps();
        QTimer::singleShot(0, [] { QCoreApplication::quit(); });
        QTimer guard; // against a hang; gone with the test, so it cannot end a later one
        guard.callOnTimeout([] { QCoreApplication::exit(99); });
        guard.start(2000);
        QCOMPARE(QCoreApplication::exec(), 0);
        QVERIFY(rig.shell->isShutDown());
        QCOMPARE(rig.opNames().count(QStringLiteral("lineClose")), 1);
        QVERIFY(!rig.shell->callLog().isFileOpen());
    }

    void failedTelephonyEndsTheProgramWithAnError() {
        Rig rig("[Config]\nLine0=1\n");
        rig.lines.failOperation(QStringLiteral("lineInitialize"), -1);
        int exitCode = -1;
        QTimer::singleShot(2000, [] { QCoreApplication::exit(99); }); // guard against a hang
        rig.shell->ShowMainWindow();
        exitCode = QCoreApplication::exec();
        QCOMPARE(exitCode, 1);
        QVERIFY(rig.shell->isEnding());
        QVERIFY(!rig.shell->setupWindow());
        QVERIFY(!rig.shell->mainWindow().isVisible());
        QVERIFY(!rig.shell->mainWindow().cSysTray1()->InTray());
        QCOMPARE(rig.messages.messages().size(), 1);
        QCOMPARE(rig.messages.messages().at(0).icon, MessageIcon::Critical);
    }

    // The desktop program running past midnight writes the next day's calls to the next day's
    // file, as the service does.
    void aNewDaysLogOpensAtMidnight() {
        Rig rig("[Config]\nLine0=1\n", ShellRig::Time::Virtual);
        rig.shell->LoadMainWindow();
        rig.time.runPosted();
        QVERIFY(rig.shell->callLog().DailyLogPath().endsWith(QStringLiteral("26-12-06.txt")));
        const QDateTime now = rig.time.now();
        rig.time.advance(now.msecsTo(QDateTime(now.date().addDays(1), QTime(0, 1))));
        QVERIFY(rig.shell->callLog().DailyLogPath().endsWith(QStringLiteral("26-12-07.txt")));
        QVERIFY(rig.shell->callLog().isFileOpen());
    }

    // The desktop program on its own, like the service, opens a chosen modem that was not there
    // at start as soon as its device appears.
    void aMissingModemOpensWhenItAppears() {
        Rig rig("[Config]\nLine0=1\n");
        const QString port = rig.dir.path() + QStringLiteral("/by-id/usb-modem");
        rig.lines.devices[0].path = port;
        rig.lines.failOperationForDevice(QStringLiteral("lineGetDevCaps"), 0,
                                         tapi::LINEERR_NODEVICE);
        rig.shell->LoadMainWindow();
        QTRY_VERIFY(rig.logTexts()
                        .join(QLatin1Char('\n'))
                        .contains(QStringLiteral("Line0 is chosen but its modem ") + port));
        QVERIFY(!rig.opNames().contains(QStringLiteral("lineOpen")));

        rig.lines.clearFailures();
        QVERIFY(QDir().mkpath(QFileInfo(port).path()));
        QFile device(port);
        QVERIFY(device.open(QIODevice::WriteOnly));
        device.close();
        QTRY_VERIFY_WITH_TIMEOUT(rig.opNames().contains(QStringLiteral("lineOpen")), 5000);
        QTRY_VERIFY(
            rig.logTexts().join(QLatin1Char('\n')).contains(QStringLiteral("Line0 is ready")));
        QCOMPARE(ReadSetting(QStringLiteral("Config"), QStringLiteral("Line0")),
                 QStringLiteral("1"));
    }

    void exitTimerEndsTheProgramHalfASecondLater() {
        Rig rig("[Config]\nLine0=1\n");
        rig.shell->ShowMainWindow();
        rig.shell->mainWindow().timExit()->start();
        QVERIFY(!rig.shell->isShutDown());
        QTRY_VERIFY_WITH_TIMEOUT(rig.shell->isShutDown(), 3000);
    }
};

QTEST_MAIN(TestAppShell)
#include "tst_appshell.moc"
