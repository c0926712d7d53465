// The tray icon control: adding and removing the icon, the tip, and the mouse events.
#include "shell/cSysTray.h"

#include <QSignalSpy>
#include <QTest>

class TestSysTray : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void inTrayIsIdempotent() {
        cSysTray tray;
        QVERIFY(!tray.InTray());
        QVERIFY(!tray.isAdded());
        tray.setInTray(true);
        tray.setInTray(true);
        QVERIFY(tray.isAdded());
        QVERIFY(tray.systemTrayIcon()->isVisible());
        tray.setInTray(false);
        QVERIFY(!tray.isAdded());
        QVERIFY(!tray.systemTrayIcon()->isVisible());
        tray.setInTray(false);
        QVERIFY(!tray.isAdded());
    }

    void tipIsCutAndAppliedWhenShown() {
        cSysTray tray;
        const QString seventy = QString(70, QLatin1Char('x'));
        tray.setTrayTip(seventy);
        QCOMPARE(tray.TrayTip(), seventy);  // the property keeps the whole text
        QVERIFY(tray.shownTip().isEmpty()); // not in the tray: only recorded
        tray.setInTray(true);
        QCOMPARE(tray.shownTip(), QString(63, QLatin1Char('x')));
        tray.setTrayTip(QStringLiteral("Hushwire"));
        QCOMPARE(tray.shownTip(), QStringLiteral("Hushwire"));
    }

    void nullIconIsIgnored() {
        cSysTray tray;
        const QIcon before = tray.TrayIcon();
        QVERIFY(!before.isNull());
        tray.setTrayIcon(QIcon());
        QCOMPARE(tray.TrayIcon().cacheKey(), before.cacheKey());
    }

    void destroyingRemovesTheIcon() {
        auto* tray = new cSysTray;
        tray->setInTray(true);
        QSystemTrayIcon* icon = tray->systemTrayIcon();
        QSignalSpy destroyed(icon, &QObject::destroyed);
        QVERIFY(icon->isVisible());
        delete tray;
        QCOMPARE(destroyed.count(), 1);
    }

    void mouseMessages_data() {
        QTest::addColumn<int>("message");
        QTest::addColumn<QString>("event");
        QTest::addColumn<int>("button");
        QTest::newRow("move") << 512 << "move" << 0;
        QTest::newRow("left down") << 513 << "down" << 1;
        QTest::newRow("left up") << 514 << "up" << 1;
        QTest::newRow("left double") << 515 << "dbl" << 1;
        QTest::newRow("right down") << 516 << "down" << 2;
        QTest::newRow("right up") << 517 << "up" << 2;
        QTest::newRow("right double") << 518 << "dbl" << 2;
        QTest::newRow("middle down") << 519 << "" << 0;
        QTest::newRow("middle up") << 520 << "" << 0;
        QTest::newRow("other") << 0 << "" << 0;
    }
    void mouseMessages() {
        QFETCH(int, message);
        QFETCH(QString, event);
        QFETCH(int, button);
        cSysTray tray;
        QStringList raised;
        connect(&tray, &cSysTray::MouseMove, this,
                [&](quint32 id) { raised << QStringLiteral("move 0 %1").arg(id); });
        connect(&tray, &cSysTray::MouseDown, this, [&](qint16 b, quint32 id) {
            raised << QStringLiteral("down %1 %2").arg(b).arg(id);
        });
        connect(&tray, &cSysTray::MouseUp, this,
                [&](qint16 b, quint32 id) { raised << QStringLiteral("up %1 %2").arg(b).arg(id); });
        connect(&tray, &cSysTray::MouseDblClick, this, [&](qint16 b, quint32 id) {
            raised << QStringLiteral("dbl %1 %2").arg(b).arg(id);
        });
        tray.DispatchTrayMouse(message, 0);
        if (event.isEmpty())
            QVERIFY(raised.isEmpty());
        else
            QCOMPARE(raised, QStringList{QStringLiteral("%1 %2 0").arg(event).arg(button)});
    }

    void activationReasonsMapToButtons() {
        cSysTray tray;
        QStringList raised;
        connect(&tray, &cSysTray::MouseDown, this,
                [&](qint16 b, quint32) { raised << QStringLiteral("down%1").arg(b); });
        connect(&tray, &cSysTray::MouseUp, this,
                [&](qint16 b, quint32) { raised << QStringLiteral("up%1").arg(b); });
        connect(&tray, &cSysTray::MouseDblClick, this,
                [&](qint16 b, quint32) { raised << QStringLiteral("dbl%1").arg(b); });

        Q_EMIT tray.systemTrayIcon()->activated(QSystemTrayIcon::Trigger);
        QCOMPARE(raised, (QStringList{QStringLiteral("down1"), QStringLiteral("up1")}));
        raised.clear();
        Q_EMIT tray.systemTrayIcon()->activated(QSystemTrayIcon::DoubleClick);
        QCOMPARE(raised, QStringList{QStringLiteral("dbl1")});
        raised.clear();
        Q_EMIT tray.systemTrayIcon()->activated(QSystemTrayIcon::Context);
        QCOMPARE(raised, (QStringList{QStringLiteral("down2"), QStringLiteral("up2")}));
        raised.clear();
        Q_EMIT tray.systemTrayIcon()->activated(QSystemTrayIcon::MiddleClick);
        Q_EMIT tray.systemTrayIcon()->activated(QSystemTrayIcon::Unknown);
        QVERIFY(raised.isEmpty());
    }
};

QTEST_MAIN(TestSysTray)
#include "tst_systray.moc"
