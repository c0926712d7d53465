#include "service/StatsCommand.h"

#include "calllog/CallStats.h"
#include "lists/PhoneLists.h"
#include "platform/AppFolder.h"
#include "platform/time/Clock.h"

#include <QCoreApplication>
#include <QDateTime>

namespace {
constexpr int kDefaultDays = 30;

QString DayText(const QDate& date) {
    return date.toString(QStringLiteral("yy-MM-dd"));
}
} // namespace

std::optional<int> ParseStatsDays(const QStringList& args, QString* error) {
    if (args.isEmpty())
        return kDefaultDays;
    if (args.size() != 2 || args[0] != QLatin1String("--days")) {
        *error = QCoreApplication::translate("StatsCommand", "unknown stats option: '%1'")
                     .arg(args.join(QLatin1Char(' ')));
        return std::nullopt;
    }
    bool ok = false;
    const int days = args[1].toInt(&ok);
    if (!ok || days < 1 || days > kMaxStatsDays) {
        *error = QCoreApplication::translate("StatsCommand",
                                             "the number of days must be from 1 to %1: '%2'")
                     .arg(kMaxStatsDays)
                     .arg(args[1]);
        return std::nullopt;
    }
    return days;
}

QString StatsReport(int days) {
    PhoneLists lists(AppFolder());
    lists.LoadPhoneLists();
    const QDate today = SystemClock().now().toLocalTime().date();
    return StatsText(ReadCallStats(AppFolder() + QStringLiteral("/LogFiles"), today, days,
                                   ListOfNumberIn(lists)));
}

QString StatsText(const CallStats& stats) {
    if (stats.days.empty())
        return {};
    QStringList out;
    out << QCoreApplication::translate("StatsCommand", "Calls from %1 to %2: %3 passed, %4 blocked")
               .arg(DayText(stats.days.front().date), DayText(stats.days.back().date))
               .arg(stats.passed())
               .arg(stats.blocked());
    out << QString() << QCoreApplication::translate("StatsCommand", "Day        Passed  Blocked");
    for (const CallStats::Day& day : stats.days) {
        out << QStringLiteral("%1  %2  %3")
                   .arg(DayText(day.date), -8)
                   .arg(day.passed, 6)
                   .arg(day.blocked, 7);
    }
    out << QString() << QCoreApplication::translate("StatsCommand", "Blocked most often:");
    if (stats.topBlocked.empty())
        out << QCoreApplication::translate("StatsCommand", "  none");
    for (const auto& [number, count] : stats.topBlocked)
        out << QStringLiteral("  %1  %2").arg(number, -20).arg(count, 5);
    out << QString() << QCoreApplication::translate("StatsCommand", "Blocked by reason:");
    for (int i = 0; i < kBlockReasons; ++i) {
        const int count = stats.reasons[size_t(i)];
        out << QStringLiteral("  %1  %2  %3")
                   .arg(BlockReasonName(BlockReason(i)), -12)
                   .arg(count, 5)
                   .arg(stats.reasonShare(BlockReason(i)), 4);
    }
    return out.join(QLatin1Char('\n'));
}
