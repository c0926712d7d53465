#include "shell/AppInfo.h"
#include "shell/PromoPanel.h"
#include "shell/PromoTable.h"
#include "ui/UrlOpener.h"

#include <QApplication>
#include <QLabel>
#include <QTest>
#include <QTimer>
#include <QUrl>

class TestPromo : public QObject {
    Q_OBJECT

    QList<QUrl> m_opened;
    UrlOpenHandler m_previous;

private Q_SLOTS:
    void init() {
        m_opened.clear();
        m_previous = InstallUrlOpener([this](const QUrl& url) {
            m_opened.append(url);
            return true;
        });
    }
    void cleanup() { InstallUrlOpener(m_previous); }

    void tableHasTenUsableEntries() {
        PromoTable table;
        FillPromoTable(table);
        QCOMPARE(table.count, 10);
        for (int i = 0; i < table.count; ++i) {
            const PromoEntry& e = table.entries[size_t(i)];
            QVERIFY2(e.Caption.contains(QStringLiteral(" - ")), qPrintable(e.Caption));
            const QUrl url(e.Link);
            // A web page of another title, or the help page's section on our own.
            QVERIFY2(url.isValid() &&
                         (url.scheme().startsWith(QStringLiteral("http")) || url.isLocalFile()),
                     qPrintable(e.Link));
            QVERIFY2(!url.host().contains(QStringLiteral("example.")), qPrintable(e.Link));
        }
        for (int i = table.count; i < PromoTable::kSlots; ++i)
            QVERIFY(table.entries[size_t(i)].Caption.isEmpty() &&
                    table.entries[size_t(i)].Link.isEmpty());
    }

    // Every fraction in [0, 1) picks a filled slot, and the picks follow r * count * 0.95
    // rounded to nearest, halves to even.
    void pickAlwaysInRange() {
        QCOMPARE(PickPromoIndex(0.0, 10), 0);
        QCOMPARE(PickPromoIndex(0.9999999999, 10), 9);
        QCOMPARE(PickPromoIndex(0.06, 10), 1); // 0.57
        QCOMPARE(PickPromoIndex(0.05, 10), 0); // 0.475
        QCOMPARE(PickPromoIndex(0.5, 10), 5);  // 4.75
        QCOMPARE(PickPromoIndex(0.25, 2), 0);  // 0.475
        QCOMPARE(PickPromoIndex(0.5, 0), 0);
        int seen[10] = {};
        for (int k = 0; k < 100000; ++k) {
            const int i = PickPromoIndex(k / 100000.0, 10);
            QVERIFY(i >= 0 && i <= 9);
            ++seen[i];
        }
        for (int n : seen)
            QVERIFY(n > 0);
    }

    void panelShowsAndOpensTheShownEntry() {
        QList<double> fractions = {0.999, 0.0, 0.42};
        PromoPanel panel(nullptr, [&fractions] { return fractions.takeFirst(); });
        QCOMPARE(panel.title(), QStringLiteral("Cool Stuff"));
        auto* lblCool = panel.findChild<QLabel*>(QStringLiteral("lblCool"));
        auto* label1 = panel.findChild<QLabel*>(QStringLiteral("Label1"));
        QVERIFY(lblCool && label1);
        QCOMPARE(lblCool->toolTip(), QStringLiteral("Click to read about this title"));
        auto* timer = panel.findChild<QTimer*>(QStringLiteral("timCoolStuff"));
        QVERIFY(timer && timer->isActive());
        QCOMPARE(timer->interval(), 10000);

        // At start: the pick of 0.999 (slot 9); a click before any tick opens that entry.
        QCOMPARE(lblCool->text(), panel.table().entries[9].Caption);
        panel.show();
        QVERIFY(QTest::qWaitForWindowExposed(&panel));
        QTest::mouseClick(lblCool, Qt::LeftButton);
        QCOMPARE(m_opened, QList<QUrl>{QUrl(panel.table().entries[9].Link)});

        for (int expected : {0, 4}) { // 0.0 -> 0, 0.42 * 9.5 = 3.99 -> 4
            panel.ShowRandomEntry();
            QCOMPARE(lblCool->text(), panel.table().entries[size_t(expected)].Caption);
            QCOMPARE(panel.currentLink(), panel.table().entries[size_t(expected)].Link);
            m_opened.clear();
            QTest::mouseClick(lblCool, Qt::LeftButton);
            QCOMPARE(m_opened, QList<QUrl>{QUrl(panel.table().entries[size_t(expected)].Link)});
        }

        m_opened.clear();
        QTest::mouseClick(label1, Qt::LeftButton);
        QCOMPARE(m_opened, QList<QUrl>{QUrl(appinfo::MakerWebAddress())});
        QVERIFY(label1->text().startsWith(QStringLiteral("- ")) &&
                label1->text().endsWith(QStringLiteral(" -")));
    }

    void ticksKeepShowingEntries() {
        PromoPanel panel;
        PromoTable table;
        FillPromoTable(table);
        QStringList captions;
        for (int i = 0; i < table.count; ++i)
            captions.append(table.entries[size_t(i)].Caption);
        auto* lblCool = panel.findChild<QLabel*>(QStringLiteral("lblCool"));
        for (int k = 0; k < 200; ++k) {
            QVERIFY(captions.contains(lblCool->text()));
            panel.ShowRandomEntry();
        }
    }

    void handPointerOverLinks() {
        PromoPanel panel;
        for (const char* name : {"lblCool", "Label1"})
            QCOMPARE(panel.findChild<QLabel*>(QLatin1String(name))->cursor().shape(),
                     Qt::BitmapCursor);
        QCOMPARE(panel.cursor().shape(), Qt::ArrowCursor);
    }
};

QTEST_MAIN(TestPromo)
#include "tst_promo.moc"
