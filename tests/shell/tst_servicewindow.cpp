// The desktop program as a running service's window, with the real service on the modem
// emulator: the window finds the service on its control socket, shows what the service logs
// without opening a line, and Setup's Save asks the service to reload while the window stays up.
#include "calllog/CallLog.h"
#include "service/ControlProtocol.h"
#include "settings/SettingsStore.h"
#include "settings/ui/frmSetup.h"
#include "shell/AppShell.h"
#include "shell/ServiceLink.h"
#include "shell/frmMain.h"
#include "support/EmulatedLine.h"
#include "support/MessageRecorder.h"
#include "support/ShellRig.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <QTimer>
#include <csignal>

namespace {
// The service's name: the window looks for the service of the program it is, "hushwire".
const QString kProgram = QStringLiteral("hushwire");
} // namespace

class TestServiceWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void showsACallTheServiceLoggedWithinASecond();
    void followsTheNextDaysLog();
    void theProgramOpensAsTheServicesOnlyWindow();
    void setupSaveReloadsTheServiceAndStaysUp();
    void cleanupTestCase();

private:
    // The window of the running service: this process shares the service's folders.
    void showWindow();
    QStringList windowLines() const;
    void stopService();

    QString awayModem() const { return m_line.appFolder() + QStringLiteral("/by-id/usb-away"); }
    QString awayDescription() const {
        return QStringLiteral("Modem (") + awayModem() + QStringLiteral(")  [28]");
    }

    EmulatedLine m_line;
    QProcess m_service;
    QString m_journal;
    MessageRecorder m_messages;
    ShellRig m_rig;
    std::unique_ptr<AppShell> m_shell;
};

void TestServiceWindow::initTestCase() {
    if (!EmulatedLine::Built())
        QSKIP("hushwire, hushwire-service and hushwire-fakemodem are not built");
    QVERIFY(m_line.start());
    QCOMPARE(m_line
                 .run({QStringLiteral("list"), QStringLiteral("add"), QStringLiteral("public"),
                       QStringLiteral("8005550199")})
                 .status,
             0);
    const QProcessEnvironment env = m_line.environment(true);
    for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_RUNTIME_DIR", "HUSHWIRE_APPFOLDER"})
        qputenv(name, env.value(QLatin1String(name)).toLocal8Bit());

    // A second modem, chosen, that is not plugged in: the service reports it missing. (This
    // process, named otherwise, has a settings file of its own, which its windows show.)
    {
        QSettings service(env.value(QStringLiteral("XDG_CONFIG_HOME")) +
                              QStringLiteral("/hushwire/hushwire.conf"),
                          QSettings::IniFormat);
        service.setValue(QStringLiteral("Telephony/Devices"),
                         service.value(QStringLiteral("Telephony/Devices")).toString() +
                             QLatin1Char(',') + awayModem());
        service.setValue(QStringLiteral("Config/Line1"), QStringLiteral("1"));
    }
    SaveSettingDirect(QStringLiteral("Config"), QStringLiteral("Line1"), QStringLiteral("1"));
    SaveSettingDirect(QStringLiteral("Modem"), QStringLiteral("Line1"), awayDescription());

    // No service yet: the lock of a desktop program, which does not listen, gives nothing.
    QVERIFY(FindRunningService(kProgram).isEmpty());
    m_service.setProcessEnvironment(m_line.environment(false));
    connect(&m_service, &QProcess::readyReadStandardError, this,
            [this] { m_journal += QString::fromLocal8Bit(m_service.readAllStandardError()); });
    m_service.start(m_line.program(), {QStringLiteral("--service")});
    QVERIFY(m_service.waitForStarted());
    QTRY_VERIFY2_WITH_TIMEOUT(m_journal.contains(QStringLiteral("Line0 is ready")),
                              qPrintable(m_journal + m_line.modemLog()), 60000);
    showWindow();
}

void TestServiceWindow::showWindow() {
    const QString socket = FindRunningService(kProgram);
    QCOMPARE(socket, control::SocketPath(kProgram));
    m_shell = m_rig.makeShell(m_line.appFolder(), socket);
    m_shell->ShowMainWindow();
    QVERIFY(m_shell->isServiceWindow());
}

QStringList TestServiceWindow::windowLines() const {
    QStringList texts;
    const QListWidget* list = m_shell->mainWindow().lstWhite();
    for (int i = 0; i < list->count(); ++i)
        texts << list->item(i)->text();
    return texts;
}

void TestServiceWindow::stopService() {
    ::kill(pid_t(m_service.processId()), SIGTERM);
    QVERIFY(m_service.waitForFinished(15000));
}

void TestServiceWindow::showsACallTheServiceLoggedWithinASecond() {
    QVERIFY(m_shell->mainWindow().isVisible());
    QCOMPARE(windowLines(), m_line.logLines());
    QVERIFY(m_rig.lines.ops.empty()); // the window opened no line of its own

    m_line.play("ring\nwait 800\ncid NMBR=8005550199 NAME=PUSHY PETE\n");
    QTRY_VERIFY_WITH_TIMEOUT(!m_line.logLines().filter(QStringLiteral("8005550199")).isEmpty(),
                             20000);
    const int logged = int(m_line.logLines().size());
    QTRY_COMPARE_WITH_TIMEOUT(windowLines().mid(0, logged), m_line.logLines().mid(0, logged), 1000);
    QCOMPARE(m_shell->mainWindow().lstWhite()->currentRow(), windowLines().size() - 1);
    QTRY_VERIFY_WITH_TIMEOUT(m_line.onHook(), 30000);
    QTRY_COMPARE_WITH_TIMEOUT(windowLines(), m_line.logLines(), 1000);

    // Closing the window ends this program only; the service screens on, and a window opened
    // again attaches to it.
    QTimer::singleShot(0, [this] { m_shell->requestShutDown(); });
    QCOMPARE(QCoreApplication::exec(), 0);
    QVERIFY(m_rig.lines.ops.empty());
    QCOMPARE(m_service.state(), QProcess::Running);
    showWindow();
}

void TestServiceWindow::followsTheNextDaysLog() {
    // After midnight the service writes a new day's file; the window goes on with it.
    const QString tomorrow = m_line.appFolder() + QStringLiteral("/LogFiles/") +
                             QDate::currentDate().addDays(1).toString(QStringLiteral("yy-MM-dd")) +
                             QStringLiteral(".txt");
    const qsizetype before = windowLines().size();
    QFile file(tomorrow);
    QVERIFY(file.open(QIODevice::Append));
    file.write("Line0 is ready  <00:00:01>\r\n");
    file.flush();
    QTRY_COMPARE_WITH_TIMEOUT(windowLines().size(), before + 1, 1000);
    file.write("Line0 Ring...  <00:10:00>\r\n");
    file.flush();
    QTRY_COMPARE_WITH_TIMEOUT(windowLines().size(), before + 2, 1000);
    QCOMPARE(m_shell->callLog().DailyLogPath(), tomorrow);
    file.close();
    QFile::remove(tomorrow);
}

void TestServiceWindow::theProgramOpensAsTheServicesOnlyWindow() {
    // The real program, started while the service holds the lock, takes the window's lock
    // instead of ending; a second one then says that Hushwire is running, and ends.
    QProcess first;
    first.setProcessEnvironment(m_line.environment(true));
    first.start(m_line.program(), {});
    const QString windowLock = qEnvironmentVariable("XDG_RUNTIME_DIR") + QStringLiteral("/") +
                               kProgram + QStringLiteral("-window.lock");
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(windowLock), 10000);
    QProcess second;
    second.setProcessEnvironment(m_line.environment(true));
    second.start(m_line.program(), {});
    QVERIFY(second.waitForFinished(15000));
    QVERIFY(second.readAllStandardError().contains("Hushwire Is Already Running"));
    QCOMPARE(first.state(), QProcess::Running);
    first.terminate();
    QVERIFY(first.waitForFinished(15000));
    QCOMPARE(m_service.state(), QProcess::Running);
}

void TestServiceWindow::setupSaveReloadsTheServiceAndStaysUp() {
    QVERIFY(
        SaveSettingDirect(QStringLiteral("Config"), QStringLiteral("Line0"), QStringLiteral("1")));
    QAction* options = m_shell->mainWindow().findChild<QAction*>(QStringLiteral("mnuOptions"));
    QVERIFY(options);
    // Opens Options and saves; beforeSave runs while the setup window is up.
    auto saveSetup = [this, options](const std::function<void()>& beforeSave) {
        QString shown;
        QTimer::singleShot(0, [this, &shown, beforeSave] {
            frmSetup* setup = m_shell->setupWindow();
            shown = setup->lineDescription(0);
            beforeSave();
            setup->findChild<QPushButton*>(QStringLiteral("cmdSave"))->click();
        });
        options->trigger();
        return shown;
    };

    // The setup window shows the line as the service describes it, and Save reloads it: the
    // service confirms, so nothing but the completion is said.
    const QString described = saveSetup([] {});
    QVERIFY2(described.contains(QStringLiteral("[")), qPrintable(described));
    QCOMPARE(m_messages.texts(), QStringList{QStringLiteral("Setup Complete")});
    QVERIFY(m_line.run({QStringLiteral("status")}).out.contains(QStringLiteral("Line1\tmissing")));
    // The modem that is away keeps its line as it was stored.
    QCOMPARE(ReadSetting(QStringLiteral("Modem"), QStringLiteral("Line1")), awayDescription());
    QCOMPARE(ReadSetting(QStringLiteral("Config"), QStringLiteral("Line1")), QStringLiteral("1"));
    QTest::qWait(600); // longer than the exit timer of a program that restarts to apply settings
    QVERIFY(!m_shell->isShutDown());
    QVERIFY(m_shell->mainWindow().isVisible());

    // A service that stops is not reported as having taken the settings up.
    m_messages.clear();
    saveSetup([this] { stopService(); });
    QCOMPARE(m_messages.messages().size(), 2);
    QVERIFY(m_messages.texts().last().contains(QStringLiteral("did not answer")));
    QCOMPARE(m_messages.messages().last().icon, MessageIcon::Warning);

    // Nor are its lines, unknown now, switched off in the store as missing.
    m_messages.clear();
    options->trigger();
    QCOMPARE(m_messages.messages().size(), 1);
    QCOMPARE(ReadSetting(QStringLiteral("Config"), QStringLiteral("Line0")), QStringLiteral("1"));
}

void TestServiceWindow::cleanupTestCase() {
    m_shell.reset();
    if (m_service.state() != QProcess::NotRunning)
        stopService();
}

QTEST_MAIN(TestServiceWindow)
#include "tst_servicewindow.moc"
