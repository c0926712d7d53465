// Times the public list window with a full list: opening it, and importing a full shared number
// database file into it (what passes the capacity is refused). Prints "import_ms <n> ms" and
// "open_public_window_ms <n> ms".
#include "lists/ImportRules.h"
#include "lists/ListFiles.h"
#include "lists/ListStore.h"
#include "lists/PhoneLists.h"
#include "lists/ui/FileChooser.h"
#include "lists/ui/ListWindows.h"
#include "lists/ui/PublicListWindow.h"
#include "lists/ui/PublicShareActions.h"
#include "platform/time/Clock.h"
#include "support/ListFolder.h"
#include "support/MessageRecorder.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QListWidget>
#include <QTemporaryDir>
#include <cstdio>

namespace {
void writeRecords(const QString& path, const std::vector<double>& values) {
    if (!WriteFileBytes(path, PublicBytes(values))) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        std::exit(1);
    }
}

// 50,000 entries: own numbers with some taken-over ones among them.
std::vector<double> fullList() {
    std::vector<double> values;
    for (int i = 0; i < 50000; ++i) {
        const double number = 2000000000.0 + i * 7;
        values.push_back(i % 5 == 0 ? -number : number);
    }
    return values;
}

// 50,001 records: half name numbers already listed (own or taken over), half are new; a few
// withdrawals.
std::vector<double> fullDatabase() {
    std::vector<double> values;
    for (int i = 0; i < 50001; ++i) {
        const double listed = 2000000000.0 + i * 7;
        const double fresh = 3000000000.0 + i;
        if (i % 50 == 0)
            values.push_back(listed);
        else
            values.push_back(i % 2 ? -listed : -fresh);
    }
    return values;
}
} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    MessageRecorder messages;
    SystemClock clock;

    QTemporaryDir dir;
    PhoneLists lists(dir.path());
    ListStore store(lists);
    writeRecords(lists.publicPath(), fullList());
    store.load();

    double openMs = 0;
    {
        ListWindows windows(store, clock);
        QWidget owner;
        QElapsedTimer timer;
        timer.start();
        PublicListWindow* w = windows.showPublicWindow(&owner);
        QApplication::processEvents();
        openMs = double(timer.nsecsElapsed()) / 1e6;
        if (w->list()->count() != 50000) {
            std::fprintf(stderr, "window shows %d entries\n", w->list()->count());
            return 1;
        }
    }

    const QString database = dir.filePath(QStringLiteral("full.pnd"));
    writeRecords(database, fullDatabase());
    InstallOpenFileChooser(
        [&](QWidget*, const QString&, const QString&, const QString&) { return database; });
    double importMs = 0;
    {
        ListWindows windows(store, clock);
        QWidget owner;
        PublicListWindow* w = windows.showPublicWindow(&owner);
        QApplication::processEvents();
        QElapsedTimer timer;
        timer.start();
        ImportDatabaseFile(*w);
        const double beforeEvents = double(timer.nsecsElapsed()) / 1e6;
        QApplication::processEvents();
        std::fprintf(stderr, "import before pending events ran: %.1f ms\n", beforeEvents);
        importMs = double(timer.nsecsElapsed()) / 1e6;
        if (messages.texts().value(0).isEmpty()) {
            std::fprintf(stderr, "import reported nothing\n");
            return 1;
        }
    }

    // Where the import's time goes, for whoever needs to make it faster.
    {
        ListWindows windows(store, clock);
        QWidget owner;
        windows.showPublicWindow(&owner);
        QApplication::processEvents();
        QElapsedTimer timer;
        timer.start();
        QFile f(database);
        if (!f.open(QIODevice::ReadOnly))
            return 1;
        const std::vector<double> records = ReadDatabaseRecords(f.readAll());
        const qint64 read = timer.nsecsElapsed();
        const ImportResult result =
            ApplyImportRules(store.publicRows(), records, 0, ListStore::Capacity(ListKind::Public));
        const qint64 rules = timer.nsecsElapsed();
        qint64 added = 0;
        qint64 refused = 0;
        QString error;
        store.importPublic(records, &added, &refused, &error);
        const qint64 done = timer.nsecsElapsed();
        std::fprintf(stderr,
                     "import stages: read %.1f ms, rules %.1f ms, rules+rewrite+load+list %.1f ms "
                     "(%zu rows, %lld records refused)\n",
                     read / 1e6, (rules - read) / 1e6, (done - rules) / 1e6, result.rows.size(),
                     static_cast<long long>(refused));
    }

    std::printf("import_ms %.1f ms\n", importMs);
    std::printf("open_public_window_ms %.1f ms\n", openMs);
    return 0;
}
