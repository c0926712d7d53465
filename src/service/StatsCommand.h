#pragma once

#include <QString>
#include <QStringList>
#include <optional>

struct CallStats;

// hushwire stats [--days N]: the call statistics of the daily logs as text, for a box without a
// display.

// The number of days the arguments ask for (30 without --days); nullopt with *error saying why
// when they are not "--days N" with N from 1 to kMaxStatsDays.
std::optional<int> ParseStatsDays(const QStringList& args, QString* error);
inline constexpr int kMaxStatsDays = 3660;

// The report of the days days ending today, from the program's daily logs and lists.
QString StatsReport(int days);
// The report of stats as printed: totals, each day, the numbers blocked most often, the reasons.
QString StatsText(const CallStats& stats);
