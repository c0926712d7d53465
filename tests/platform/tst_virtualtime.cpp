#include "platform/time/VirtualTime.h"

#include <QTest>

// The virtual clock is what every engine timeline test stands on: check the timer semantics the
// engine relies on (period kept on a second start, restart by stop+start, ordering, posting).
class TestVirtualTime : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void timersFireAtTheirPeriodAndRestartOnlyAfterStop() {
        VirtualTime vt;
        QList<qint64> ticks;
        auto timer = vt.createTimer(QStringLiteral("timRing_0"), 6300,
                                    [&] { ticks.append(vt.elapsedMs()); });
        timer->start();
        vt.advance(1000);
        timer->start(); // already running: the period is not restarted
        vt.advance(5300);
        QCOMPARE(ticks, QList<qint64>{6300});
        timer->stop();
        timer->start(); // a restart
        vt.advance(6299);
        QCOMPARE(ticks.size(), 1);
        vt.advance(1);
        QCOMPARE(ticks, (QList<qint64>{6300, 12600}));
        QVERIFY(vt.isRunning(QStringLiteral("timRing_0")));
        timer->stop();
        QCOMPARE(vt.runningTimerCount(), 0);
    }

    void postedWorkRunsBeforeTheNextTickAndYieldRunsOnlyWhatIsPending() {
        VirtualTime vt;
        QStringList order;
        auto t = vt.createTimer(QStringLiteral("t"), 100, [&] {
            order << QStringLiteral("tick");
            vt.post([&] { order << QStringLiteral("from tick"); });
        });
        t->start();
        vt.post([&] {
            order << QStringLiteral("first");
            vt.post([&] { order << QStringLiteral("second"); });
        });
        vt.yield();
        QCOMPARE(order, QStringList{QStringLiteral("first")});
        vt.advance(100);
        QCOMPARE(order, (QStringList{QStringLiteral("first"), QStringLiteral("second"),
                                     QStringLiteral("tick"), QStringLiteral("from tick")}));
    }

    void aHandlerMayDestroyItsOwnTimer() {
        VirtualTime vt;
        std::unique_ptr<LineTimer> t;
        int fired = 0;
        t = vt.createTimer(QStringLiteral("t"), 10, [&] {
            ++fired;
            t.reset();
        });
        t->start();
        vt.advance(100);
        QCOMPARE(fired, 1);
    }

    void clockFollowsVirtualTime() {
        VirtualTime vt(QDateTime(QDate(2026, 12, 6), QTime(23, 59, 0)));
        vt.advance(120000);
        QCOMPARE(vt.now(), QDateTime(QDate(2026, 12, 7), QTime(0, 1, 0)));
        QCOMPARE(vt.tickMs(), 120000);
    }
};

QTEST_GUILESS_MAIN(TestVirtualTime)
#include "tst_virtualtime.moc"
