#pragma once

#include <QDate>
#include <QString>
#include <array>
#include <functional>
#include <utility>
#include <vector>

// Why a call was blocked, as far as the daily log tells it.
enum class BlockReason { PublicList, PrivateList, NoNumber, Rule };
inline constexpr int kBlockReasons = 4;

// The calls of a run of days, counted from the daily log files, which are the record.
struct CallStats {
    struct Day {
        QDate date;
        int passed = 0;
        int blocked = 0;
    };
    // Every day of the range, oldest first; a day without a log file counts no calls.
    std::vector<Day> days;
    // The numbers blocked most often with their counts, most first (equal counts by number);
    // at most kTopNumbers. Calls without a number are not among them.
    std::vector<std::pair<QString, int>> topBlocked;
    // Blocked calls by reason, indexed by BlockReason.
    std::array<int, kBlockReasons> reasons{};

    static constexpr int kTopNumbers = 10;
    int passed() const;
    int blocked() const;
    // The share of the blocked calls a reason took, as a whole percentage ("25%"); "-" when
    // nothing was blocked.
    QString reasonShare(BlockReason reason) const;
};

// Which list blocked a listed number. The log line does not say; the lists of today do.
using ListOfNumber = std::function<BlockReason(const QString& number)>;

class PhoneLists;
// Asks the lists as the screening does: the public list first, then the private one. A number
// in neither (taken off since) counts as public. lists must outlive the result.
ListOfNumber ListOfNumberIn(const PhoneLists& lists);

// Counts the calls of the days days ending with lastDay from the files yy-MM-dd.txt in
// logFolder. A caller-ID line is one call; it is blocked when it ends in "Blocked". A blocked call
// came without a number when its number is "UNKNOWN", was decided by a rule when a "Rule: "
// line follows it, and was listed otherwise (listOf says which list; without it, public).
// Unreadable or missing files count as days without calls.
CallStats ReadCallStats(const QString& logFolder, const QDate& lastDay, int days,
                        const ListOfNumber& listOf = {});

// The name of a reason as the statistics show it ("public list", "no number"...).
QString BlockReasonName(BlockReason reason);
