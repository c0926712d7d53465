// The widget message handler: each message becomes a modal box with its text, title and icon.
#include "ui/MessageBoxes.h"

#include <QApplication>
#include <QTest>
#include <QTimer>

class TestMessageBoxes : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void showsTextTitleAndIcon_data() {
        QTest::addColumn<int>("icon");
        QTest::addColumn<int>("expected");
        QTest::newRow("information")
            << int(MessageIcon::Information) << int(QMessageBox::Information);
        QTest::newRow("warning") << int(MessageIcon::Warning) << int(QMessageBox::Warning);
        QTest::newRow("critical") << int(MessageIcon::Critical) << int(QMessageBox::Critical);
        QTest::newRow("question") << int(MessageIcon::Question) << int(QMessageBox::Question);
    }
    void showsTextTitleAndIcon() {
        QFETCH(int, icon);
        QFETCH(int, expected);
        const MessageHandler previous = InstallWidgetMessageHandler();
        QString text, title;
        int shownIcon = -1;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            text = box->text();
            title = box->windowTitle();
            shownIcon = int(box->icon());
            box->accept();
        });
        ShowMessage(QStringLiteral("Hushwire Is Already Running"), QStringLiteral("Hushwire"),
                    MessageIcon(icon));
        InstallMessageHandler(previous);
        QCOMPARE(text, QStringLiteral("Hushwire Is Already Running"));
        QCOMPARE(title, QStringLiteral("Hushwire"));
        QCOMPARE(shownIcon, expected);
    }

    void offscreenCountsAsHeadless() { QVERIFY(IsHeadlessPlatform()); }
};

QTEST_MAIN(TestMessageBoxes)
#include "tst_messageboxes.moc"
