// A chosen modem that is not there when the service starts (not plugged in yet, its driver
// loaded late): the stored choice stays, the log says so once, status says "missing", and the
// line opens by itself when the device appears, then screens a call.
#include "support/EmulatedLine.h"
#include "support/Files.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTest>
#include <csignal>

using namespace Qt::StringLiterals;

class TestMissingModem : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void aMissingModemKeepsItsChoiceAndOpensWhenItAppears();
    void cleanup();

private:
    EmulatedLine m_line;
    QProcess m_service;
};

void TestMissingModem::aMissingModemKeepsItsChoiceAndOpensWhenItAppears() {
    if (!EmulatedLine::Built())
        QSKIP("hushwire-service and hushwire-fakemodem are not built");
    QVERIFY(m_line.start());
    QCOMPARE(m_line.run({u"list"_s, u"add"_s, u"public"_s, u"8005550199"_s}).status, 0);
    // The emulator's port is reached through a link that does not exist yet, as a USB modem's
    // /dev/serial/by-id name before it is plugged in.
    const QString conf =
        m_line.environment(false).value(u"XDG_CONFIG_HOME"_s) + u"/hushwire/hushwire.conf"_s;
    QString port;
    const QString link = m_line.appFolder() + u"/by-id/usb-modem"_s;
    {
        QSettings settings(conf, QSettings::IniFormat);
        port = settings.value(u"Telephony/Devices"_s).toString();
        settings.setValue(u"Telephony/Devices"_s, link);
    }
    const QByteArray stored = ReadFileBytes(conf);

    QString journal;
    m_service.setProcessEnvironment(m_line.environment(false));
    connect(&m_service, &QProcess::readyReadStandardError, this,
            [&] { journal += QString::fromLocal8Bit(m_service.readAllStandardError()); });
    m_service.start(m_line.program(u"hushwire-service"_s), {u"--service"_s});
    QVERIFY(m_service.waitForStarted());
    const QString notice =
        u"Line0 is chosen but its modem "_s + link + u" is not there; it opens when it appears"_s;
    QTRY_VERIFY_WITH_TIMEOUT(journal.contains(notice), 20000);
    const EmulatedLine::Result status = m_line.run({u"status"_s});
    QVERIFY2(status.out.startsWith(u"Line0\tmissing\t"_s), qPrintable(status.out));
    // A reload looks again but neither writes the choice away nor repeats the notice.
    ::kill(pid_t(m_service.processId()), SIGHUP);
    QTest::qWait(1500);
    QCOMPARE(ReadFileBytes(conf), stored);
    QCOMPARE(journal.count(notice), 1);

    QVERIFY(QDir().mkpath(m_line.appFolder() + u"/by-id"_s));
    QVERIFY(QFile::link(port, link));
    QTRY_VERIFY_WITH_TIMEOUT(journal.contains(u"Line0 is ready"_s), 20000);
    QCOMPARE(ReadFileBytes(conf).contains("Line0=1"), true);
    m_line.play("ring\nwait 800\ncid NMBR=8005550199 NAME=CALLER\n");
    QTRY_VERIFY_WITH_TIMEOUT(m_line.modemLogCount(u"RX AT+VLS=1"_s) == 1, 20000);
}

void TestMissingModem::cleanup() {
    if (m_service.state() != QProcess::NotRunning) {
        m_service.kill();
        m_service.waitForFinished(2000);
    }
}

QTEST_GUILESS_MAIN(TestMissingModem)
#include "tst_missingmodem.moc"
