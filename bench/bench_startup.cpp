// Start-up cost of the main window: from the start of its load to "Line0 is ready" in the call
// log, with a day's log of 30,000 lines to replay and both phone lists full (the splash is not
// counted). Also the whole load (lists included) and the resident memory afterwards.
#include "settings/SettingsStore.h"
#include "shell/AppShell.h"
#include "shell/frmMain.h"
#include "support/ListFolder.h"
#include "support/ShellRig.h"
#include "support/TestFolders.h"

#include "support/Files.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QDate>
#include <QElapsedTimer>
#include <QFile>
#include <QListWidget>
#include <QTemporaryDir>
#include <cstdio>

namespace {
void writeFile(const QString& path, const QByteArray& data) {
    if (!WriteFileBytes(path, data)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        std::exit(1);
    }
}

void prepare(const QString& root) {
    const QString app = root + QStringLiteral("/app");
    // Settings are kept under the executable's name.
    writeFile(SettingsFilePath(), "[Config]\nLine0=1\n\n[Modem]\nLine0=Voice Modem  [28]\n");

    QByteArray log;
    for (int i = 0; i < 30000; ++i)
        log += "CallerID:555" + QByteArray::number(1000000 + i) + " [CALLER " +
               QByteArray::number(i) + "]  <10:" + QByteArray::number(10 + i % 50) + ":00>\r\n";
    writeFile(app + QStringLiteral("/LogFiles/") +
                  QDate::currentDate().toString(QStringLiteral("yy-MM-dd")) +
                  QStringLiteral(".txt"),
              log);

    std::vector<double> publicList;
    for (int i = 0; i < 50000; ++i)
        publicList.push_back(8005000000.0 + i);
    writeFile(app + QStringLiteral("/public.tel"), PublicBytes(publicList));
    QByteArray privateList;
    for (int i = 0; i < 10000; ++i)
        privateList += QByteArray("Name " + QByteArray::number(i)).leftJustified(30, ' ') +
                       QByteArray("555" + QByteArray::number(2000000 + i)).leftJustified(20, ' ');
    writeFile(app + QStringLiteral("/private.txt"), privateList);
}
} // namespace

int main(int argc, char** argv) {
    QTemporaryDir dir;
    // The settings file is resolved once per process: the folders are set before Qt starts.
    UseFoldersUnder(dir.path());
    QApplication qapp(argc, argv);
    prepare(dir.path());
    ShellRig rig;
    const std::unique_ptr<AppShell> owner = rig.makeShell(dir.path() + QStringLiteral("/app"));
    AppShell& shell = *owner;

    QElapsedTimer timer;
    qint64 readyNs = -1;
    QAbstractItemModel* model = shell.mainWindow().lstWhite()->model();
    QObject::connect(
        model, &QAbstractItemModel::rowsInserted, [&](const QModelIndex&, int first, int) {
            if (readyNs < 0 &&
                model->index(first, 0).data().toString().contains(QStringLiteral("Line0 is ready")))
                readyNs = timer.nsecsElapsed();
        });

    timer.start();
    shell.LoadMainWindow();
    const qint64 loadNs = timer.nsecsElapsed();
    // The line's notices and log lines arrive through the event loop.
    while (readyNs < 0 && timer.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    if (readyNs < 0) {
        const QListWidget* list = shell.mainWindow().lstWhite();
        std::fprintf(stderr, "Line0 never became ready; last log line: %s\n",
                     qPrintable(list->count() ? list->item(list->count() - 1)->text() : QString()));
        return 1;
    }
    std::printf("startup_ms %.1f ms\n", double(readyNs) / 1e6);
    std::printf("load_ms %.1f ms\n", double(loadNs) / 1e6);
    std::printf("rss_mb %.1f MB\n", ResidentMb());
    std::printf("log_rows %d rows\n", shell.mainWindow().lstWhite()->count());
    return 0;
}
