// Time to read a year of daily logs into the call statistics: 365 files of 100 calls each (a
// ring line and a caller-ID line per call, every third call blocked, a few withheld numbers and
// rule decisions), with the lists asked which one blocked each number.
#include "calllog/CallStats.h"
#include "lists/PhoneLists.h"
#include "support/Files.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QDate last(2026, 12, 7);
    constexpr int kDays = 365;
    constexpr int kCalls = 100;
    for (int d = 0; d < kDays; ++d) {
        QStringList lines{QStringLiteral("Line0 is ready  <08:00:00>")};
        for (int c = 0; c < kCalls; ++c) {
            const QString number =
                QStringLiteral("800555%1").arg((d * 7 + c) % 5000, 4, 10, QLatin1Char('0'));
            lines
                << QStringLiteral("Line0 Ring...  <09:%1:00>").arg(c % 60, 2, 10, QLatin1Char('0'));
            if (c % 3 != 0) {
                lines << QStringLiteral("CallerID:%1 [CALLER NAME]  <09:00:05>").arg(number);
            } else if (c % 15 == 0) {
                lines << QStringLiteral("BLOCKED(PRIVATE)  <09:00:04>")
                      << QStringLiteral(
                             "CallerID:UNKNOWN                         Blocked  <09:00:05>");
            } else {
                lines << QStringLiteral("CallerID:%1                         Blocked  <09:00:05>")
                             .arg(number);
                if (c % 9 == 0)
                    lines << QStringLiteral("Rule: toll-free callers  <09:00:05>");
            }
        }
        if (!WriteLogDay(dir.path(), last.addDays(-d), lines)) {
            std::fprintf(stderr, "cannot write the logs\n");
            return 1;
        }
    }
    PhoneLists lists(dir.path());
    lists.LoadPhoneLists();

    using Clock = std::chrono::steady_clock;
    double best = 1e9;
    CallStats stats;
    for (int round = 0; round < 3; ++round) {
        const auto start = Clock::now();
        stats = ReadCallStats(dir.path(), last, kDays, ListOfNumberIn(lists));
        best =
            std::min(best, std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    if (stats.passed() + stats.blocked() != kDays * kCalls) {
        std::fprintf(stderr, "counted %d calls, not %d\n", stats.passed() + stats.blocked(),
                     kDays * kCalls);
        return 1;
    }
    std::printf("stats_year_ms %.1f ms\n", best);
    return 0;
}
