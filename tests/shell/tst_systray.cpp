// The tray icon control: adding and removing the icon, the tip, and the clicks it reports.
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

    // What the tray reports is what the program reacts to: a click is left down and up, a
    // double click a left double click, the context click right down and up, each with the
    // icon's id; other clicks and the pointer's moves raise nothing.
    void activationReasonsMapToButtons() {
        cSysTray tray;
        QStringList raised;
        connect(&tray, &cSysTray::MouseMove, this,
                [&](quint32 id) { raised << QStringLiteral("move %1").arg(id); });
        connect(&tray, &cSysTray::MouseDown, this, [&](qint16 b, quint32 id) {
            raised << QStringLiteral("down%1 %2").arg(b).arg(id);
        });
        connect(&tray, &cSysTray::MouseUp, this,
                [&](qint16 b, quint32 id) { raised << QStringLiteral("up%1 %2").arg(b).arg(id); });
        connect(&tray, &cSysTray::MouseDblClick, this,
                [&](qint16 b, quint32 id) { raised << QStringLiteral("dbl%1 %2").arg(b).arg(id); });

        Q_EMIT tray.systemTrayIcon()->activated(QSystemTrayIcon::Trigger);
        QCOMPARE(raised, (QStringList{QStringLiteral("down1 0"), QStringLiteral("up1 0")}));
        raised.clear();
        Q_EMIT tray.systemTrayIcon()->activated(QSystemTrayIcon::DoubleClick);
        QCOMPARE(raised, QStringList{QStringLiteral("dbl1 0")});
        raised.clear();
        Q_EMIT tray.systemTrayIcon()->activated(QSystemTrayIcon::Context);
        QCOMPARE(raised, (QStringList{QStringLiteral("down2 0"), QStringLiteral("up2 0")}));
        raised.clear();
        Q_EMIT tray.systemTrayIcon()->activated(QSystemTrayIcon::MiddleClick);
        Q_EMIT tray.systemTrayIcon()->activated(QSystemTrayIcon::Unknown);
        QVERIFY(raised.isEmpty());
    }
};

QTEST_MAIN(TestSysTray)
#include "tst_systray.moc"
