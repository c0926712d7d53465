// The call statistics from a prepared set of daily log files: counts per day, the numbers
// blocked most often, the reasons, and the statistics window's chart holding those counts.
#include "calllog/CallStats.h"
#include "calllog/ui/frmStats.h"
#include "lists/PhoneLists.h"
#include "support/Files.h"

#include <QBarSet>
#include <QStackedBarSeries>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

namespace {
const QDate kToday(2026, 12, 7);
const QString kBlocked = QStringLiteral("                         Blocked");

QString Stamped(const QString& message) {
    return message + QStringLiteral("  <10:04:05 PM>");
}
} // namespace

class TestCallStats : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void countsEachDayAndReason();
    void topNumbersAreTheTenMostBlocked();
    void theChartHoldsTheCounts();

private:
    QTemporaryDir m_dir;
    QString folder() const { return m_dir.path(); }
};

void TestCallStats::initTestCase() {
    QVERIFY(m_dir.isValid());
    // Today: two passed (one with a name that looks like the blocked mark), four blocked: a
    // public number twice, a private number, a withheld number, and one a rule decided.
    QVERIFY(WriteLogDay(folder(), kToday,
                        {Stamped(QStringLiteral("Line0 is ready")),
                         Stamped(QStringLiteral("Line0 Ring...")),
                         Stamped(QStringLiteral("CallerID:5551234567 [JOHN DOE]")),
                         Stamped(QStringLiteral("CallerID:5557654321 [Blocked]")),
                         Stamped(QStringLiteral("CallerID:8005550199") + kBlocked),
                         Stamped(QStringLiteral("CallerID:8005550199 [ACME]") + kBlocked),
                         Stamped(QStringLiteral("UnLock PIN Detected")),
                         Stamped(QStringLiteral("CallerID:5550000001 [PETE]") + kBlocked),
                         Stamped(QStringLiteral("BLOCKED(PRIVATE)")),
                         Stamped(QStringLiteral("CallerID:UNKNOWN") + kBlocked),
                         Stamped(QStringLiteral("CallerID:9005550111") + kBlocked),
                         Stamped(QStringLiteral("Rule: no 900 numbers"))}));
    // Two days ago one passed call, and a line cut short by a crash; yesterday has no file.
    QVERIFY(WriteFileBytes(folder() + QStringLiteral("/26-12-05.txt"),
                           Stamped(QStringLiteral("CallerID:5551234567")).toLatin1() +
                               "\r\nCallerID:80055"));
    // Outside the range: not counted.
    QVERIFY(WriteLogDay(folder(), kToday.addDays(-3),
                        {Stamped(QStringLiteral("CallerID:8005550199") + kBlocked)}));
}

void TestCallStats::countsEachDayAndReason() {
    PhoneLists lists(folder());
    lists.LoadPhoneLists();
    const auto privateOnly = [](const QString& number) {
        return number == QLatin1String("5550000001") ? BlockReason::PrivateList
                                                     : BlockReason::PublicList;
    };
    const CallStats stats = ReadCallStats(folder(), kToday, 3, privateOnly);
    QCOMPARE(stats.days.size(), size_t(3));
    QCOMPARE(stats.days[0].date, kToday.addDays(-2));
    QCOMPARE(stats.days[0].passed, 2); // the cut-short line is a caller-ID line passed
    QCOMPARE(stats.days[1].passed + stats.days[1].blocked, 0);
    QCOMPARE(stats.days[2].passed, 2);
    QCOMPARE(stats.days[2].blocked, 5);
    QCOMPARE(stats.reasons[size_t(BlockReason::PublicList)], 2);
    QCOMPARE(stats.reasons[size_t(BlockReason::PrivateList)], 1);
    QCOMPARE(stats.reasons[size_t(BlockReason::NoNumber)], 1);
    QCOMPARE(stats.reasons[size_t(BlockReason::Rule)], 1);
    QCOMPARE(stats.reasonShare(BlockReason::PublicList), QStringLiteral("40%"));
    // Without the lists every listed number counts as public.
    QCOMPARE(ReadCallStats(folder(), kToday, 1).reasons[size_t(BlockReason::PublicList)], 3);
    // No calls at all: no share to give.
    QCOMPARE(ReadCallStats(folder(), kToday.addDays(-1), 1).reasonShare(BlockReason::Rule),
             QStringLiteral("-"));
}

void TestCallStats::topNumbersAreTheTenMostBlocked() {
    QTemporaryDir dir;
    QStringList lines;
    for (int n = 0; n < 12; ++n) {
        for (int times = 0; times <= n % 4; ++times)
            lines << Stamped(QStringLiteral("CallerID:80055501%1").arg(n, 2, 10, QLatin1Char('0')) +
                             kBlocked);
    }
    lines << Stamped(QStringLiteral("CallerID:UNKNOWN") + kBlocked);
    QVERIFY(WriteLogDay(dir.path(), kToday, lines));
    const CallStats stats = ReadCallStats(dir.path(), kToday, 1);
    QCOMPARE(stats.topBlocked.size(), size_t(CallStats::kTopNumbers));
    // Most first, equal counts by number; the withheld calls are not a number.
    QCOMPARE(stats.topBlocked[0], std::make_pair(QStringLiteral("8005550103"), 4));
    QCOMPARE(stats.topBlocked[1], std::make_pair(QStringLiteral("8005550107"), 4));
    QCOMPARE(stats.topBlocked[9].second, 1);
}

void TestCallStats::theChartHoldsTheCounts() {
    const CallStats stats = ReadCallStats(folder(), kToday, frmStats::kDays);
    frmStats window(stats);
    QStackedBarSeries* series = window.series();
    QCOMPARE(series->count(), 2);
    QBarSet* passed = series->barSets().at(0);
    QBarSet* blocked = series->barSets().at(1);
    QCOMPARE(passed->count(), frmStats::kDays);
    QCOMPARE(passed->at(frmStats::kDays - 1), 2.0);
    QCOMPARE(blocked->at(frmStats::kDays - 1), 5.0);
    QCOMPARE(passed->at(frmStats::kDays - 3), 2.0);
    QCOMPARE(blocked->at(frmStats::kDays - 4), 1.0);
    QCOMPARE(window.topNumbers()->topLevelItem(0)->text(0), QStringLiteral("8005550199"));
    QCOMPARE(window.topNumbers()->topLevelItem(0)->text(1), QStringLiteral("3"));
    QCOMPARE(window.reasons()->topLevelItemCount(), kBlockReasons);
    // A picture of the window for the README, when asked for.
    const QByteArray shot = qgetenv("HW_STATS_SCREENSHOT");
    if (!shot.isEmpty()) {
        window.show();
        QVERIFY(window.grab().save(QString::fromLocal8Bit(shot)));
    }
}

QTEST_MAIN(TestCallStats)
#include "tst_callstats.moc"
