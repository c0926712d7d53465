#include "calllog/CallStats.h"

#include "calllog/LogFileLines.h"
#include "lists/PhoneLists.h"

#include <QCoreApplication>
#include <QDir>
#include <QHash>
#include <algorithm>
#include <numeric>

namespace {
const QString kCallerId = QStringLiteral("CallerID:");
const QString kBlocked = QStringLiteral("Blocked");
const QString kRule = QStringLiteral("Rule: ");
const QString kUnknown = QStringLiteral("UNKNOWN");
const QString kStamp = QStringLiteral("  <");

// The message of a logged line: what stands before its time stamp.
QStringView Message(const QString& line) {
    const qsizetype stamp = line.lastIndexOf(kStamp);
    return stamp < 0 ? QStringView(line) : QStringView(line).left(stamp);
}

// The number of a caller-ID message: after "CallerID:", up to the name or the blocked mark.
QString NumberOf(QStringView message) {
    QStringView rest = message.mid(kCallerId.size());
    const qsizetype end = rest.indexOf(QLatin1Char(' '));
    return (end < 0 ? rest : rest.left(end)).toString();
}

struct Counter {
    const ListOfNumber& listOf;
    CallStats& stats;
    QHash<QString, int> blockedNumbers;
    QHash<QString, BlockReason> listCache;

    void countFile(const QString& path, CallStats::Day& day) {
        QStringList lines;
        ReadLogFileLines(path, lines); // what could be read counts
        for (qsizetype i = 0; i < lines.size(); ++i) {
            if (!lines[i].startsWith(kCallerId))
                continue;
            const QStringView message = Message(lines[i]);
            if (!message.endsWith(kBlocked)) {
                ++day.passed;
                continue;
            }
            ++day.blocked;
            const QString number = NumberOf(message);
            const bool byRule = i + 1 < lines.size() && lines[i + 1].startsWith(kRule);
            BlockReason reason = BlockReason::NoNumber;
            if (byRule)
                reason = BlockReason::Rule;
            else if (number != kUnknown)
                reason = listed(number);
            ++stats.reasons[size_t(reason)];
            if (number != kUnknown)
                ++blockedNumbers[number];
        }
    }

    BlockReason listed(const QString& number) {
        if (!listOf)
            return BlockReason::PublicList;
        auto it = listCache.constFind(number);
        if (it == listCache.cend())
            it = listCache.insert(number, listOf(number));
        return *it;
    }
};
} // namespace

int CallStats::passed() const {
    return std::accumulate(days.begin(), days.end(), 0,
                           [](int sum, const Day& day) { return sum + day.passed; });
}

int CallStats::blocked() const {
    return std::accumulate(days.begin(), days.end(), 0,
                           [](int sum, const Day& day) { return sum + day.blocked; });
}

QString CallStats::reasonShare(BlockReason reason) const {
    const int all = blocked();
    if (all == 0)
        return QStringLiteral("-");
    return QString::number(qRound(100.0 * reasons[size_t(reason)] / all)) + QLatin1Char('%');
}

CallStats ReadCallStats(const QString& logFolder, const QDate& lastDay, int days,
                        const ListOfNumber& listOf) {
    CallStats stats;
    Counter counter{listOf, stats, {}, {}};
    const QDir folder(logFolder);
    for (int back = days - 1; back >= 0; --back) {
        CallStats::Day day;
        day.date = lastDay.addDays(-back);
        counter.countFile(
            folder.filePath(day.date.toString(QStringLiteral("yy-MM-dd")) + QStringLiteral(".txt")),
            day);
        stats.days.push_back(day);
    }
    for (auto it = counter.blockedNumbers.cbegin(); it != counter.blockedNumbers.cend(); ++it)
        stats.topBlocked.emplace_back(it.key(), it.value());
    std::sort(stats.topBlocked.begin(), stats.topBlocked.end(), [](const auto& a, const auto& b) {
        return a.second != b.second ? a.second > b.second : a.first < b.first;
    });
    if (stats.topBlocked.size() > size_t(CallStats::kTopNumbers))
        stats.topBlocked.resize(size_t(CallStats::kTopNumbers));
    return stats;
}

ListOfNumber ListOfNumberIn(const PhoneLists& lists) {
    return [&lists](const QString& number) {
        return !lists.MatchesPublic(number) && lists.MatchesPrivate(number)
                   ? BlockReason::PrivateList
                   : BlockReason::PublicList;
    };
}

QString BlockReasonName(BlockReason reason) {
    switch (reason) {
    case BlockReason::PublicList:
        return QCoreApplication::translate("CallStats", "public list");
    case BlockReason::PrivateList:
        return QCoreApplication::translate("CallStats", "private list");
    case BlockReason::NoNumber:
        return QCoreApplication::translate("CallStats", "no number");
    case BlockReason::Rule:
        return QCoreApplication::translate("CallStats", "rules");
    }
    return {};
}
