// The main window: its menu tree, the tray and minimise rules, timExit, the help windows and
// the call log list operations.
#include "shell/cSysTray.h"
#include "shell/frmMain.h"
#include "support/MessageRecorder.h"
#include "ui/HelpPage.h"
#include "ui/UrlOpener.h"

#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {
// Closes the first modal dialog that shows up after `check` has looked at it.
void whenDialogShows(std::function<void(QDialog*)> check) {
    QTimer::singleShot(0, [check] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        check(dialog);
        dialog->reject();
    });
}
} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { cSysTray::setTrayAvailableForTesting(std::nullopt); }

    void titleFramesAndMenuTree() {
        frmMain w;
        QCOMPARE(w.objectName(), QStringLiteral("frmMain"));
        QCOMPARE(w.windowTitle(), QStringLiteral("Hushwire - Freeware"));
        QVERIFY(w.findChild<QListWidget*>(QStringLiteral("lstWhite")));

        // Menu bar: name, caption and items (name, caption) in order.
        const QList<QPair<QString, QString>> expected = {
            {QStringLiteral("mnuSetup"), QStringLiteral("Setup")},
            {QStringLiteral("mnuOptions"), QStringLiteral("Options")},
            {QStringLiteral("mnuWhite"), QStringLiteral("Private Black List")},
            {QStringLiteral("mnuBlack"), QStringLiteral("Public Telemarketer List")},
            {QStringLiteral("mnuRules"), QStringLiteral("Screening Rules...")},
            {QStringLiteral("mnuLogs"), QStringLiteral("Logs")},
            {QStringLiteral("mnuWLogs"), QStringLiteral("View Call Logs")},
            {QStringLiteral("mnuStats"), QStringLiteral("Call Statistics...")},
            {QStringLiteral("mnuHelp"), QStringLiteral("Help")},
            {QStringLiteral("mnuAbout"), QStringLiteral("About")},
            {QStringLiteral("mnuOnlineHelp"), QStringLiteral("Online Help")},
            {QStringLiteral("mnuThanks"), QStringLiteral("Thanks To...")},
        };
        QList<QPair<QString, QString>> actual;
        const QList<QAction*> barActions = w.menuBar()->actions();
        for (QAction* top : barActions) {
            QMenu* menu = top->menu();
            QVERIFY(menu);
            actual.append({menu->objectName(), menu->title()});
            const QList<QAction*> items = menu->actions();
            for (QAction* item : items)
                actual.append({item->objectName(), item->text()});
        }
        QCOMPARE(actual, expected);
    }

    void menuItemsReachTheirHandlers() {
        frmMain w;
        QSignalSpy options(&w, &frmMain::mnuOptionsClicked);
        QSignalSpy white(&w, &frmMain::mnuWhiteClicked);
        QSignalSpy black(&w, &frmMain::mnuBlackClicked);
        QSignalSpy logs(&w, &frmMain::mnuWLogsClicked);
        w.findChild<QAction*>(QStringLiteral("mnuOptions"))->trigger();
        w.findChild<QAction*>(QStringLiteral("mnuWhite"))->trigger();
        w.findChild<QAction*>(QStringLiteral("mnuBlack"))->trigger();
        w.findChild<QAction*>(QStringLiteral("mnuWLogs"))->trigger();
        QCOMPARE(options.count() + white.count() + black.count() + logs.count(), 4);
        QCOMPARE(white.count(), 1);
        QCOMPARE(black.count(), 1);
    }

    void minimiseHidesOnlyWhenTheTrayCanRestore() {
        cSysTray::setTrayAvailableForTesting(true);
        frmMain w;
        w.cSysTray1()->setInTray(true);
        w.show();
        w.setWindowState(Qt::WindowMinimized);
        QVERIFY(!w.isVisible());

        // Right button, or anything but the left button, leaves it in the tray.
        w.onTrayMouseUp(2, 0);
        QVERIFY(!w.isVisible());
        // A left click on the tray icon brings it back in its normal state.
        Q_EMIT w.cSysTray1()->systemTrayIcon()->activated(QSystemTrayIcon::Trigger);
        QVERIFY(w.isVisible());
        QVERIFY(!(w.windowState() & Qt::WindowMinimized));

        // A left click while the window is shown changes nothing.
        w.setWindowState(Qt::WindowMaximized);
        w.onTrayMouseUp(1, 0);
        QCOMPARE(w.windowState(), Qt::WindowMaximized);
        QVERIFY(w.isVisible());
    }

    void minimiseKeepsTheWindowWithoutATray() {
        cSysTray::setTrayAvailableForTesting(false);
        frmMain w;
        w.cSysTray1()->setInTray(true);
        w.show();
        w.setWindowState(Qt::WindowMinimized);
        QVERIFY(w.isVisible());

        // Nor is it hidden when the icon is not in the tray.
        cSysTray::setTrayAvailableForTesting(true);
        w.cSysTray1()->setInTray(false);
        w.setWindowState(Qt::WindowNoState);
        w.setWindowState(Qt::WindowMinimized);
        QVERIFY(w.isVisible());
    }

    void timExitClosesTheWindowOnce() {
        frmMain w;
        QTimer* timExit = w.findChild<QTimer*>(QStringLiteral("timExit"));
        QVERIFY(timExit);
        QCOMPARE(timExit->interval(), 500);
        QVERIFY(!timExit->isActive());
        QSignalSpy unloading(&w, &frmMain::unloading);
        w.show();
        timExit->start();
        QTRY_COMPARE_WITH_TIMEOUT(unloading.count(), 1, 2000);
        QVERIFY(!w.isVisible());
        w.close();
        QCOMPARE(unloading.count(), 1);
    }

    void aboutAndThanksWindows() {
        frmMain w;
        QString caption, version, title, thanks;
        whenDialogShows([&](QDialog* d) {
            caption = d->windowTitle();
            version = d->findChild<QLabel*>(QStringLiteral("lblVersion"))->text();
            title = d->findChild<QLabel*>(QStringLiteral("lblTitle"))->text();
        });
        w.findChild<QAction*>(QStringLiteral("mnuAbout"))->trigger();
        QCOMPARE(caption, QStringLiteral("About Hushwire"));
        QCOMPARE(version, QStringLiteral("Version: 3.1.0"));
        QCOMPARE(title, QStringLiteral("Hushwire"));

        whenDialogShows([&](QDialog* d) { thanks = d->windowTitle(); });
        w.findChild<QAction*>(QStringLiteral("mnuThanks"))->trigger();
        QCOMPARE(thanks, QStringLiteral("Special Thanks To ..."));
    }

    // No link leads to an address that cannot receive anything: the about window's link and
    // Online Help open the help page shipped with the program, wherever the data folder is.
    void linksOpenTheShippedHelpPage() {
        QTemporaryDir data;
        qputenv("HUSHWIRE_APPFOLDER", data.path().toLocal8Bit());
        QList<QUrl> opened;
        const UrlOpenHandler previous = InstallUrlOpener([&](const QUrl& url) {
            opened << url;
            return true;
        });
        frmMain w;
        QStringList aboutTexts;
        whenDialogShows([&](QDialog* d) {
            QVERIFY(!d->findChild<QLabel*>(QStringLiteral("lblEmail")));
            for (const QLabel* label : d->findChildren<QLabel*>())
                aboutTexts << label->text();
            QTest::mouseClick(d->findChild<QLabel*>(QStringLiteral("lblWeb")), Qt::LeftButton);
        });
        w.findChild<QAction*>(QStringLiteral("mnuAbout"))->trigger();
        w.findChild<QAction*>(QStringLiteral("mnuOnlineHelp"))->trigger();
        InstallUrlOpener(previous);
        qunsetenv("HUSHWIRE_APPFOLDER");

        const QUrl page = QUrl::fromLocalFile(
            QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("help.html")));
        QCOMPARE(opened, (QList<QUrl>{page, page}));
        const QString about = aboutTexts.join(QLatin1Char('\n'));
        QVERIFY(about.contains(QStringLiteral("GNU General Public License, version 3 or")));
        QVERIFY(!about.contains(QStringLiteral("example.")) && !about.contains(u'@'));
    }

    // An installed program finds the page in its share folder; a missing page is reported,
    // with the place it belongs, and nothing is handed to the desktop.
    void helpPageOfAnInstalledProgram() {
        QTemporaryDir root;
        const QString bin = root.filePath(QStringLiteral("usr/bin"));
        const QString installed = root.filePath(QStringLiteral("usr/share/hushwire/help.html"));
        QVERIFY(QDir().mkpath(bin) && QDir().mkpath(QFileInfo(installed).path()));
        QFile page(installed);
        QVERIFY(page.open(QIODevice::WriteOnly));
        page.close();
        QCOMPARE(FindHelpPage(bin), installed);

        QVERIFY(QFile::remove(installed));
        QCOMPARE(FindHelpPage(bin), installed);
        MessageRecorder messages;
        bool handedOn = false;
        const UrlOpenHandler previous = InstallUrlOpener([&](const QUrl&) {
            handedOn = true;
            return true;
        });
        QVERIFY(!OpenUrl(QUrl::fromLocalFile(FindHelpPage(bin))));
        InstallUrlOpener(previous);
        QVERIFY(!handedOn);
        QCOMPARE(messages.messages().size(), 1);
        QVERIFY(messages.texts().at(0).contains(installed));
        QCOMPARE(messages.messages().at(0).icon, MessageIcon::Warning);
    }

    void callLogListOperations() {
        frmMain w;
        CallLogList& log = w.callLogList();
        QCOMPARE(log.count(), 0);
        QCOMPARE(log.currentIndex(), -1);
        QCOMPARE(log.item(0), QString());
        log.addItem(QStringLiteral("  <10:00:00>Line0 is ready"));
        log.addItem(QStringLiteral("  <10:00:05>Line0 Ring..."));
        log.setCurrentIndex(log.count() - 1);
        QCOMPARE(log.count(), 2);
        QCOMPARE(log.currentIndex(), 1);
        QCOMPARE(log.item(1), QStringLiteral("  <10:00:05>Line0 Ring..."));
        QCOMPARE(w.lstWhite()->currentItem()->text(), log.item(1));
        log.setCurrentIndex(5); // past the end: nothing selected, nothing broken
        QCOMPARE(log.currentIndex(), -1);
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
