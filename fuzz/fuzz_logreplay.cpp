// A day's log file of any content replayed at start-up: every line lands in the list unchanged
// and logging goes on after it.
#include "FuzzSupport.h"

#include "calllog/CallLog.h"
#include "platform/time/VirtualTime.h"
#include "support/ListStub.h"

#include <QDir>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzsupport::ensureApp();
    const QString folder = fuzzsupport::scratch();
    VirtualTime time(QDateTime(QDate(2026, 12, 6), QTime(15, 4, 5)));
    QDir(folder).mkpath(QStringLiteral("LogFiles"));
    const QString path = folder + QStringLiteral("/LogFiles/26-12-06.txt");
    fuzzsupport::writeFile(path, data, size);

    ListStub list;
    {
        CallLog log(list, time, time, folder);
        log.OpenDailyLog();
        const int replayed = list.count();
        log.AddLogLine(QStringLiteral("Line0 is ready"));
        fuzzsupport::check(list.count() == replayed + 1, "line not shown");
        fuzzsupport::check(list.currentIndex() == replayed, "newest line not selected");
        log.CloseDailyLog();
    }
    return 0;
}
