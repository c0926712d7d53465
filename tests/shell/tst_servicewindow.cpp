// The desktop program as a running service's window: it finds the service on its control socket,
// follows the service's daily log without opening a line, and Setup's Save asks the service to
// reload while the window stays up.
#include "calllog/CallLog.h"
#include "platform/audio/Mmio.h"
#include "platform/time/Clock.h"
#include "platform/time/QtTime.h"
#include "service/ControlProtocol.h"
#include "settings/SettingsStore.h"
#include "settings/ui/frmSetup.h"
#include "shell/AppShell.h"
#include "shell/ServiceLink.h"
#include "shell/frmMain.h"
#include "support/FakeControlService.h"
#include "support/FakeLineApi.h"
#include "support/FakeSoundPlayer.h"
#include "support/FakeWaveOut.h"
#include "support/MessageRecorder.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {
const QString kStatus = QStringLiteral("Line0\tready\tVoice Modem  [28]");

QString dayFile(const QDate& day) {
    return day.toString(QStringLiteral("yy-MM-dd")) + QStringLiteral(".txt");
}

// An isolated user with a service's daily log already holding one line, and a service answering
// on the control socket; the shell is made as that service's window.
struct Rig {
    Rig() {
        qputenv("XDG_CONFIG_HOME", (dir.path() + QStringLiteral("/config")).toLocal8Bit());
        qputenv("XDG_RUNTIME_DIR", (dir.path() + QStringLiteral("/runtime")).toLocal8Bit());
        qputenv("HUSHWIRE_APPFOLDER", app().toLocal8Bit());
        QDir().mkpath(app() + QStringLiteral("/LogFiles"));
        QDir().mkpath(dir.path() + QStringLiteral("/runtime"));
        QFile::setPermissions(dir.path() + QStringLiteral("/runtime"), QFileDevice::ReadOwner |
                                                                           QFileDevice::WriteOwner |
                                                                           QFileDevice::ExeOwner);
        append(logPath(), "Line0 is ready  <08:00:00>\r\n");
    }
    QString app() const { return dir.path() + QStringLiteral("/app"); }
    QString logPath(const QDate& day = QDate::currentDate()) const {
        return app() + QStringLiteral("/LogFiles/") + dayFile(day);
    }
    static void append(const QString& path, const QByteArray& bytes) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::Append));
        file.write(bytes);
    }
    bool startService() {
        service = std::make_unique<FakeControlService>(control::SocketPath(ApplicationName()),
                                                       logPath(), QStringList{kStatus});
        return service->listen();
    }
    void showWindow() {
        shell = std::make_unique<AppShell>(ShellServices{lines, waveOut, sound, mmio, clock, app(),
                                                         &lines,
                                                         FindRunningService(ApplicationName())});
        shell->ShowMainWindow();
    }
    QStringList logTexts() const {
        QStringList texts;
        const QListWidget* list = shell->mainWindow().lstWhite();
        for (int i = 0; i < list->count(); ++i)
            texts << list->item(i)->text();
        return texts;
    }

    QTemporaryDir dir;
    MessageRecorder messages;
    QtEventLoop loop;
    FakeLineApi lines{loop, 1};
    FakeWaveOut waveOut;
    FakeSoundPlayer sound;
    FileMmio mmio;
    SystemClock clock;
    std::unique_ptr<FakeControlService> service;
    std::unique_ptr<AppShell> shell;
};
} // namespace

class TestServiceWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void followsTheServiceLogWithoutOpeningLines();
    void followsTheNextDaysLog();
    void setupSaveReloadsTheServiceAndStaysUp();
};

void TestServiceWindow::followsTheServiceLogWithoutOpeningLines() {
    Rig rig;
    // A desktop program holding the lock does not listen: that is no service to attach to.
    QVERIFY(FindRunningService(ApplicationName()).isEmpty());
    QVERIFY(rig.startService());
    rig.showWindow();
    QVERIFY(rig.shell->isServiceWindow());
    QVERIFY(rig.shell->mainWindow().isVisible());
    QCOMPARE(rig.logTexts(), QStringList{QStringLiteral("Line0 is ready  <08:00:00>")});
    QVERIFY(rig.lines.ops.empty()); // no telephony, no line opened

    // A line the service is still writing shows once it is complete, within a second.
    const QString call = QStringLiteral("Line0 5551234567 PUSHY PETE Blocked  <09:00:00>");
    Rig::append(rig.logPath(), "Line0 5551234567 PUSHY ");
    QTest::qWait(100);
    QCOMPARE(rig.logTexts().size(), 1);
    Rig::append(rig.logPath(), "PETE Blocked  <09:00:00>\r\n");
    QTRY_COMPARE_WITH_TIMEOUT(rig.logTexts().size(), 2, 1000);
    QCOMPARE(rig.logTexts().last(), call);
    QCOMPARE(rig.shell->mainWindow().lstWhite()->currentRow(), 1);

    // Closing the window closes no line and leaves the log as the service wrote it.
    QTimer::singleShot(0, [&rig] { rig.shell->requestShutDown(); });
    QCOMPARE(QCoreApplication::exec(), 0);
    QVERIFY(rig.lines.ops.empty());
    QFile log(rig.logPath());
    QVERIFY(log.open(QIODevice::ReadOnly));
    QCOMPARE(log.readAll(), "Line0 is ready  <08:00:00>\r\n" + call.toLatin1() + "\r\n");
    QVERIFY(!rig.service->requests().contains(QLatin1String(control::kReload)));
}

void TestServiceWindow::followsTheNextDaysLog() {
    Rig rig;
    QVERIFY(rig.startService());
    rig.showWindow();
    // After midnight the service writes a new day's file; the window goes on with it.
    const QString tomorrow = rig.logPath(QDate::currentDate().addDays(1));
    Rig::append(tomorrow, "Line0 is ready  <00:00:01>\r\n");
    QTRY_COMPARE_WITH_TIMEOUT(rig.logTexts().size(), 2, 1000);
    Rig::append(tomorrow, "Line0 8005550199 Blocked  <00:10:00>\r\n");
    QTRY_COMPARE_WITH_TIMEOUT(rig.logTexts().size(), 3, 1000);
    QCOMPARE(rig.shell->callLog().DailyLogPath(), tomorrow);
}

void TestServiceWindow::setupSaveReloadsTheServiceAndStaysUp() {
    Rig rig;
    QVERIFY(
        SaveSettingDirect(QStringLiteral("Config"), QStringLiteral("Line0"), QStringLiteral("1")));
    QVERIFY(rig.startService());
    rig.showWindow();
    QAction* options = rig.shell->mainWindow().findChild<QAction*>(QStringLiteral("mnuOptions"));
    QVERIFY(options);
    // Opens Options and saves; beforeSave runs while the window is up.
    auto saveSetup = [&rig, options](const std::function<void()>& beforeSave) {
        QString shown;
        QTimer::singleShot(0, [&rig, &shown, beforeSave] {
            frmSetup* setup = rig.shell->setupWindow();
            shown = setup->lineDescription(0);
            beforeSave();
            setup->findChild<QPushButton*>(QStringLiteral("cmdSave"))->click();
        });
        options->trigger();
        return shown;
    };

    // The setup window shows the lines as the service describes them, and Save reloads it.
    QCOMPARE(saveSetup([] {}), QStringLiteral("Voice Modem  [28]"));
    QVERIFY(rig.service->requests().contains(QLatin1String(control::kReload)));
    QVERIFY(rig.messages.texts().contains(QStringLiteral("Setup Complete")));
    QTest::qWait(600); // longer than the exit timer of a program that restarts to apply settings
    QVERIFY(!rig.shell->isShutDown());
    QVERIFY(rig.shell->mainWindow().isVisible());

    // A service that stops answering is not reported as having taken the settings up.
    rig.messages.clear();
    saveSetup([&rig] { rig.service.reset(); });
    QCOMPARE(rig.messages.messages().size(), 2);
    QVERIFY(rig.messages.texts().last().contains(QStringLiteral("did not answer")));
    QCOMPARE(rig.messages.messages().last().icon, MessageIcon::Warning);

    // Nor are its lines, unknown now, switched off in the store as missing.
    rig.messages.clear();
    options->trigger();
    QCOMPARE(rig.messages.messages().size(), 1);
    QCOMPARE(ReadSetting(QStringLiteral("Config"), QStringLiteral("Line0")), QStringLiteral("1"));
}

QTEST_MAIN(TestServiceWindow)
#include "tst_servicewindow.moc"
