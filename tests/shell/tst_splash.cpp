// The splash window: its texts, and the hand-over to the main window after 2500 ms, by which
// time the splash is gone.
#include "shell/frmSplash.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

class TestSplash : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void handsOverAfterItsTimeAndIsGone() {
        QPointer<frmSplash> splash = new frmSplash;
        QElapsedTimer shown;
        shown.start();
        splash->load();
        QVERIFY(splash->isVisible());
        QCOMPARE(splash->findChild<QLabel*>(QStringLiteral("lblProductName"))->text(),
                 QStringLiteral("Hushwire"));
        QCOMPARE(splash->findChild<QLabel*>(QStringLiteral("lblVersion"))->text(),
                 QStringLiteral("Freeware"));
        QCOMPARE(splash->Timer1()->interval(), 2500);

        bool visibleAtHandOver = true;
        qint64 handOverMs = -1;
        connect(splash, &frmSplash::finished, this, [&] {
            visibleAtHandOver = splash->isVisible();
            handOverMs = shown.elapsed();
        });
        QTRY_VERIFY_WITH_TIMEOUT(handOverMs >= 0, 5000);
        QVERIFY(handOverMs >= 2300); // a coarse timer may fire a little early
        QVERIFY(!visibleAtHandOver);
        QTRY_VERIFY(splash.isNull()); // discarded once the hand-over is done
    }
};

QTEST_MAIN(TestSplash)
#include "tst_splash.moc"
