// A chosen modem that is not there when the service starts (not plugged in yet, its driver
// loaded late): the stored choice stays, the log says so once, status says "missing", and the
// line opens by itself when the device appears, then screens a call. A modem found by scanning
// keeps its line number meanwhile, and so do the SIP lines after it.
#include "support/EmulatedLine.h"
#include "support/Files.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTest>
#include <QUdpSocket>
#include <csignal>

using namespace Qt::StringLiterals;

class TestMissingModem : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void aMissingModemKeepsItsChoiceAndOpensWhenItAppears();
    void aScannedModemKeepsItsLineNumberWhileMissing();
    void init();
    void cleanup();

private:
    void startService(const QProcessEnvironment& env);
    void stopService();
    QString m_journal;                    // the service's standard error since it last started
    std::unique_ptr<EmulatedLine> m_line; // a fresh emulator and folders for each test
    QProcess m_service;
};

void TestMissingModem::aMissingModemKeepsItsChoiceAndOpensWhenItAppears() {
    if (!EmulatedLine::Built())
        QSKIP("hushwire-service and hushwire-fakemodem are not built");
    QVERIFY(m_line->start());
    QCOMPARE(m_line->run({u"list"_s, u"add"_s, u"public"_s, u"8005550199"_s}).status, 0);
    // The emulator's port is reached through a link that does not exist yet, as a USB modem's
    // /dev/serial/by-id name before it is plugged in.
    const QString conf =
        m_line->environment(false).value(u"XDG_CONFIG_HOME"_s) + u"/hushwire/hushwire.conf"_s;
    QString port;
    const QString link = m_line->appFolder() + u"/by-id/usb-modem"_s;
    {
        QSettings settings(conf, QSettings::IniFormat);
        port = settings.value(u"Telephony/Devices"_s).toString();
        settings.setValue(u"Telephony/Devices"_s, link);
    }
    const QByteArray stored = ReadFileBytes(conf);

    startService(m_line->environment(false));
    const QString notice =
        u"Line0 is chosen but its modem "_s + link + u" is not there; it opens when it appears"_s;
    QTRY_VERIFY_WITH_TIMEOUT(m_journal.contains(notice), 20000);
    const EmulatedLine::Result status = m_line->run({u"status"_s});
    QVERIFY2(status.out.startsWith(u"Line0\tmissing\t"_s), qPrintable(status.out));
    // A reload looks again but neither writes the choice away nor repeats the notice.
    ::kill(pid_t(m_service.processId()), SIGHUP);
    QTest::qWait(1500);
    QCOMPARE(ReadFileBytes(conf), stored);
    QCOMPARE(m_journal.count(notice), 1);

    QVERIFY(QDir().mkpath(m_line->appFolder() + u"/by-id"_s));
    QVERIFY(QFile::link(port, link));
    QTRY_VERIFY_WITH_TIMEOUT(m_journal.contains(u"Line0 is ready"_s), 20000);
    QCOMPARE(ReadFileBytes(conf).contains("Line0=1"), true);
    m_line->play("ring\nwait 800\ncid NMBR=8005550199 NAME=CALLER\n");
    QTRY_VERIFY_WITH_TIMEOUT(m_line->modemLogCount(u"RX AT+VLS=1"_s) == 1, 20000);
}

void TestMissingModem::startService(const QProcessEnvironment& env) {
    m_journal.clear();
    m_service.setProcessEnvironment(env);
    m_service.start(m_line->program(u"hushwire-service"_s), {u"--service"_s});
    QVERIFY(m_service.waitForStarted());
}

void TestMissingModem::stopService() {
    m_service.terminate();
    QVERIFY(m_service.waitForFinished(15000));
}

void TestMissingModem::aScannedModemKeepsItsLineNumberWhileMissing() {
    if (!EmulatedLine::Built())
        QSKIP("hushwire-service and hushwire-fakemodem are not built");
    QVERIFY(m_line->start());
    QCOMPARE(m_line->run({u"list"_s, u"add"_s, u"public"_s, u"8005550199"_s}).status, 0);
    // No device named: the modem is found by scanning a device folder, through a by-id link,
    // and a SIP line follows it.
    QProcessEnvironment env = m_line->environment(false);
    const QString devRoot = m_line->appFolder() + u"/dev"_s;
    env.insert(u"HUSHWIRE_DEVICE_ROOT"_s, devRoot);
    const QString conf = env.value(u"XDG_CONFIG_HOME"_s) + u"/hushwire/hushwire.conf"_s;
    QUdpSocket probe;
    QVERIFY(probe.bind(QHostAddress::LocalHost, 0));
    const QString sip = u"SIP 127.0.0.1:"_s + QString::number(probe.localPort());
    probe.close();
    QString port;
    {
        QSettings settings(conf, QSettings::IniFormat);
        port = settings.value(u"Telephony/Devices"_s).toString();
        settings.remove(u"Telephony/Devices"_s);
        settings.setValue(u"Config/Line1"_s, u"1"_s);
        settings.setValue(u"Sip1/Listen"_s, sip.mid(4));
        settings.setValue(u"Sip1/Allow"_s, u"127.0.0.1"_s);
    }
    const QString link = devRoot + u"/serial/by-id/usb-modem"_s;
    QVERIFY(QDir().mkpath(devRoot + u"/serial/by-id"_s));
    QVERIFY(QFile::link(port, link));

    // A first run with the modem there stores its description, as any start does.
    startService(env);
    QTRY_VERIFY_WITH_TIMEOUT(m_journal.contains(u"Line0 is ready"_s), 20000);
    QTRY_VERIFY_WITH_TIMEOUT(m_line->run({u"status"_s}).out.contains(u"Line1\tready\t"_s + sip),
                             20000);
    stopService();

    // Unplugged while the service was down: the SIP line keeps Line1, Line0 waits for the modem.
    QVERIFY(QFile::remove(link));
    const QByteArray stored = ReadFileBytes(conf);
    startService(env);
    const QString notice =
        u"Line0 is chosen but its modem "_s + link + u" is not there; it opens when it appears"_s;
    QTRY_VERIFY_WITH_TIMEOUT(m_journal.contains(notice), 20000);
    QTRY_VERIFY_WITH_TIMEOUT(m_line->run({u"status"_s}).out.contains(u"Line1\tready\t"_s + sip),
                             20000);
    QVERIFY(m_line->run({u"status"_s}).out.startsWith(u"Line0\tmissing\t"_s));
    QCOMPARE(ReadFileBytes(conf), stored);

    QVERIFY(QFile::link(port, link));
    QTRY_VERIFY_WITH_TIMEOUT(m_journal.contains(u"Line0 is ready"_s), 20000);
    const QString status = m_line->run({u"status"_s}).out;
    QVERIFY2(status.startsWith(u"Line0\tready\t"_s) && status.contains(u"Line1\tready\t"_s + sip),
             qPrintable(status));
    m_line->play("ring\nwait 800\ncid NMBR=8005550199 NAME=CALLER\n");
    QTRY_VERIFY_WITH_TIMEOUT(m_line->modemLogCount(u"RX AT+VLS=1"_s) == 1, 20000);
}

void TestMissingModem::init() {
    m_line = std::make_unique<EmulatedLine>();
    m_service.disconnect(this);
    connect(&m_service, &QProcess::readyReadStandardError, this,
            [this] { m_journal += QString::fromLocal8Bit(m_service.readAllStandardError()); });
}

void TestMissingModem::cleanup() {
    if (m_service.state() != QProcess::NotRunning) {
        m_service.kill();
        m_service.waitForFinished(2000);
    }
    m_line.reset();
}

QTEST_GUILESS_MAIN(TestMissingModem)
#include "tst_missingmodem.moc"
