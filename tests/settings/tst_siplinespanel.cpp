// The setup window's SIP lines: added, edited and removed through one dialog, the settings in
// the file and the password never there.
#include "settings/SettingsStore.h"
#include "settings/ui/SipLinesPanel.h"
#include "support/MessageRecorder.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

class TestSipLinesPanel : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

    QString file() const { return m_dir.filePath(QStringLiteral("hushwire.conf")); }
    QString fileText() const {
        QFile f(file());
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }
    template <typename T> static T* child(QWidget* w, const char* name) {
        T* c = w->findChild<T*>(QLatin1String(name));
        if (!c)
            qFatal("no control %s", name);
        return c;
    }
    // Clicks the panel's button; fill() works on the dialog it opens, then it is closed with
    // OK (and Cancel, in case OK left it open).
    void withDialog(SipLinesPanel& panel, const char* button, std::function<void(QWidget*)> fill) {
        bool seen = false;
        QTimer::singleShot(0, this, [&] {
            QWidget* dialog = QApplication::activeModalWidget();
            QVERIFY(dialog && dialog->objectName() == QLatin1String("frmSipLine"));
            seen = true;
            fill(dialog);
            child<QPushButton>(dialog, "cmdOK")->click();
            if (dialog->isVisible())
                child<QPushButton>(dialog, "cmdCancel")->click();
        });
        child<QPushButton>(&panel, button)->click();
        QVERIFY(seen);
    }

private Q_SLOTS:
    void initTestCase() {
        qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/hushwire-test-bus");
    }

    void addEditRemove() {
        MessageRecorder messages;
        SipLinesPanel panel(SettingsFileAt(file()));
        auto* list = child<QListWidget>(&panel, "lstSip");
        QCOMPARE(list->count(), 0);

        withDialog(panel, "cmdSipAdd", [](QWidget* d) {
            child<QLineEdit>(d, "txtAccount")->setText(QStringLiteral("sip:alice@127.0.0.1"));
            child<QComboBox>(d, "cboTransport")->setCurrentText(QStringLiteral("tcp"));
            child<QLineEdit>(d, "txtRewrite")->setText(QStringLiteral("+1:"));
            child<QLineEdit>(d, "txtPassword")->setText(QStringLiteral("s3cret"));
        });
        QCOMPARE(list->count(), 1);
        QCOMPARE(panel.lines()[0].account, QStringLiteral("sip:alice@127.0.0.1"));
        QCOMPARE(panel.lines()[0].transport, QStringLiteral("tcp"));
        QCOMPARE(panel.lines()[0].rewrite, QStringLiteral("+1:"));
        QVERIFY(!fileText().contains(QLatin1String("s3cret")));
        // No secret store: the panel says the password lasts only this run.
        QTRY_VERIFY_WITH_TIMEOUT(child<QLabel>(&panel, "lblSipNote")
                                     ->text()
                                     .contains(QLatin1String("until Hushwire ends")),
                                 30000);

        // Edit: the same dialog, filled in, the password not shown; unusable values are
        // refused with the reason, and nothing is written.
        withDialog(panel, "cmdSipEdit", [](QWidget* d) {
            QCOMPARE(child<QLineEdit>(d, "txtAccount")->text(),
                     QStringLiteral("sip:alice@127.0.0.1"));
            QVERIFY(child<QLineEdit>(d, "txtPassword")->text().isEmpty());
            child<QLineEdit>(d, "txtRewrite")->setText(QStringLiteral(":0"));
        });
        QCOMPARE(messages.texts().size(), 1);
        QVERIFY(messages.texts()[0].contains(QLatin1String("Rewrite")));
        QCOMPARE(panel.lines()[0].rewrite, QStringLiteral("+1:"));
        withDialog(panel, "cmdSipEdit", [](QWidget* d) {
            child<QLineEdit>(d, "txtListen")->setText(QStringLiteral("127.0.0.1:5070"));
        });
        QCOMPARE(panel.lines()[0].listen, QStringLiteral("127.0.0.1:5070"));
        QCOMPARE(panel.lines()[0].account, QStringLiteral("sip:alice@127.0.0.1"));

        child<QPushButton>(&panel, "cmdSipRemove")->click();
        QCOMPARE(list->count(), 0);
        QVERIFY(!fileText().contains(QLatin1String("Sip1")));
    }
};

QTEST_MAIN(TestSipLinesPanel)
#include "tst_siplinespanel.moc"
