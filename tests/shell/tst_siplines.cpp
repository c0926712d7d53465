// The program's lines at start-up: SIP lines after the modems, their passwords, and what a SIP
// line that cannot register tells the call log and the setup window.
#include "calllog/LogSink.h"
#include "core/LineServices.h"
#include "platform/MessageSeam.h"
#include "settings/DeviceDescription.h"
#include "settings/ui/frmSetup.h"
#include "support/LogRecorder.h"
#include "support/MessageRecorder.h"
#include "telephony/LineStructs.h"
#include "telephony/sip/SipLineService.h"
#include "telephony/sip/SipSecrets.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QUdpSocket>

class TestSipLines : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

    QString settings(const QByteArray& text) {
        const QString path = m_dir.filePath(QStringLiteral("hushwire.conf"));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

private Q_SLOTS:
    void initTestCase() {
        // A session bus that is not there: no secret store answers.
        qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/hushwire-test-bus");
        qputenv("XDG_CONFIG_HOME", m_dir.filePath(QStringLiteral("config")).toUtf8());
    }

    // An account's password is asked for once and kept for the run, which the question says;
    // a listening endpoint needs none.
    void passwordAskedOnceWithoutSecretStore() {
        const QString file = settings("[Sip1]\nAccount=sip:alice@127.0.0.1\n\n"
                                      "[Sip2]\nListen=127.0.0.1:5090\nAllow=127.0.0.1\n");
        QStringList asked;
        const SecretHandler previous = InstallSecretHandler([&](const SecretRequest& request) {
            asked.append(request.text);
            return std::optional<QString>(QStringLiteral("s3cret"));
        });
        MessageRecorder messages;
        SipSecrets secrets;
        QList<SipLineConfig> lines = LoadSipLines(file, secrets);
        QCOMPARE(lines.size(), 2);
        QCOMPARE(lines[0].password, QStringLiteral("s3cret"));
        QVERIFY(lines[1].password.isEmpty());
        QCOMPARE(asked.size(), 1);
        QVERIFY2(asked[0].contains(QLatin1String("sip:alice@127.0.0.1")) &&
                     asked[0].contains(QLatin1String("until Hushwire ends")),
                 qPrintable(asked[0]));
        QVERIFY(messages.texts().isEmpty()); // said once, in the question

        lines = LoadSipLines(file, secrets);
        QCOMPARE(lines[0].password, QStringLiteral("s3cret"));
        QCOMPARE(asked.size(), 1);
        InstallSecretHandler(previous);
    }

    // A service with no keyring takes the password from its systemd credential, else from the
    // group's PasswordFile, which must be closed to others; a refused file is named.
    void servicePasswordFromCredentialOrPasswordFile() {
        const QString credentials = m_dir.filePath(QStringLiteral("credentials"));
        QVERIFY(QDir().mkpath(credentials));
        const QString passwordFile = m_dir.filePath(QStringLiteral("sip2.password"));
        QFile::remove(passwordFile);
        const QString file = settings(QStringLiteral("[Sip1]\nAccount=sip:alice@127.0.0.1\n\n"
                                                     "[Sip2]\nAccount=sip:bob@127.0.0.1\n"
                                                     "PasswordFile=%1\n")
                                          .arg(passwordFile)
                                          .toUtf8());
        QFile credential(credentials + QStringLiteral("/sip1"));
        QVERIFY(credential.open(QIODevice::WriteOnly));
        credential.write("from-credential\n");
        credential.close();
        QFile given(passwordFile);
        QVERIFY(given.open(QIODevice::WriteOnly));
        given.write("from-file");
        given.close();
        qputenv("CREDENTIALS_DIRECTORY", credentials.toUtf8());
        SipSecrets secrets;

        QVERIFY(QFile::setPermissions(passwordFile, QFileDevice::ReadOwner |
                                                        QFileDevice::WriteOwner |
                                                        QFileDevice::ReadOther));
        QList<SipLineConfig> lines = LoadSipLines(file, secrets, MissingPassword::Report);
        QCOMPARE(lines[0].password, QStringLiteral("from-credential"));
        QVERIFY(lines[1].password.isEmpty());
        QVERIFY(lines[1].passwordMissing);
        QVERIFY2(lines[1].passwordProblem.contains(QLatin1String("may be read by others")),
                 qPrintable(lines[1].passwordProblem));

        QVERIFY(
            QFile::setPermissions(passwordFile, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
        lines = LoadSipLines(file, secrets, MissingPassword::Report);
        QCOMPARE(lines[1].password, QStringLiteral("from-file"));
        qunsetenv("CREDENTIALS_DIRECTORY");
    }

    // Where nobody can be asked (the service), a missing password is not asked for: the line
    // says so in the log and sends no REGISTER.
    void missingPasswordReportedWhereNobodyCanBeAsked() {
        QUdpSocket registrar;
        QVERIFY(registrar.bind(QHostAddress::LocalHost, 0));
        const QString file = settings(QStringLiteral("[Sip1]\nAccount=sip:bob@127.0.0.1:%1\n"
                                                     "Listen=127.0.0.1:0\n")
                                          .arg(registrar.localPort())
                                          .toUtf8());
        const SecretHandler previous = InstallSecretHandler([](const SecretRequest&) {
            QTest::qFail("a password was asked for", __FILE__, __LINE__);
            return std::optional<QString>();
        });
        SipSecrets secrets;
        LineServices lines({}, LoadSipLines(file, secrets, MissingPassword::Report));
        InstallSecretHandler(previous);
        LogRecorder log;
        lines.reportProblemsTo(log);
        uint32_t app = 0, count = 0;
        QCOMPARE(lines.api().lineInitialize(
                     &app, [](uint32_t, uint32_t, uintptr_t, uint32_t, uint32_t, uint32_t) {},
                     QStringLiteral("Hushwire"), &count),
                 0);
        uint32_t handle = 0;
        QCOMPARE(lines.api().lineOpen(app, 0, &handle, 0x20000, 0, 0, 6,
                                      tapi::LINEMEDIAMODE_INTERACTIVEVOICE, nullptr),
                 0);
        QTRY_VERIFY_WITH_TIMEOUT(!log.texts().isEmpty(), 10000);
        QVERIFY2(log.texts().size() == 1 && log.texts()[0].startsWith(QLatin1String("Line0 - ")) &&
                     log.texts()[0].contains(QLatin1String("bob@127.0.0.1")) &&
                     log.texts()[0].contains(QLatin1String("password")) &&
                     log.texts()[0].contains(QLatin1String("Setup")),
                 qPrintable(log.texts().join(QLatin1Char('\n'))));
        QTest::qWait(500);
        QVERIFY(!registrar.hasPendingDatagrams());
        lines.api().lineShutdown(app);
    }

    // SIP lines follow the modems; a server that does not answer is written to the log under
    // the line's number, and shown in Setup beside the line's description, which stays as it
    // is stored.
    void registrarDownReportedUnderTheLinesNumber() {
        QUdpSocket probe;
        probe.bind(QHostAddress::LocalHost, 0);
        const int port = probe.localPort(); // nothing listens for TCP there
        SipLineConfig account;
        account.account = QStringLiteral("sip:alice@127.0.0.1:%1").arg(port);
        account.listen = QStringLiteral("127.0.0.1:0");
        account.transport = QStringLiteral("tcp");
        account.password = QStringLiteral("secret");
        LineServices lines({QStringLiteral("/nonexistent/ttyACM9")}, {account});
        lines.sip()->setTimings(SipTimings{60000, 60000, 25000, 600});
        LogRecorder log;
        lines.reportProblemsTo(log);

        uint32_t app = 0, count = 0, handle = 0;
        QCOMPARE(lines.api().lineInitialize(
                     &app, [](uint32_t, uint32_t, uintptr_t, uint32_t, uint32_t, uint32_t) {},
                     QStringLiteral("Hushwire"), &count),
                 0);
        QCOMPARE(count, 2u);
        QCOMPARE(lines.api().lineOpen(app, 1, &handle, 0x20000, 0, 0, 6,
                                      tapi::LINEMEDIAMODE_INTERACTIVEVOICE, nullptr),
                 0);
        const QString problem =
            QStringLiteral("The SIP server for alice@127.0.0.1:%1 did not answer.").arg(port);
        QTRY_VERIFY_WITH_TIMEOUT(!log.texts().isEmpty(), 10000);
        QCOMPARE(log.texts(), QStringList{QStringLiteral("Line1 - ") + problem});
        QCOMPARE(lines.access().lastError(1), problem);

        const DeviceDescriptions described =
            DescribeLineDevices(LineDevices{lines.api(), &lines.access(), app, 0x20000, 2});
        QCOMPARE(described[1].problem, problem);
        QVERIFY(described[1].usable);
        QVERIFY2(described[1].text.startsWith(QLatin1String("SIP alice@127.0.0.1")) &&
                     !described[1].text.contains(problem),
                 qPrintable(described[1].text));
        MessageRecorder messages;
        frmSetup setup(LineDevices{lines.api(), &lines.access(), app, 0x20000, 2}, {});
        QCOMPARE(setup.lineDescription(1),
                 described[1].text + QStringLiteral("  [") + problem + QLatin1Char(']'));
        lines.api().lineShutdown(app);
    }
};

QTEST_MAIN(TestSipLines)
#include "tst_siplines.moc"
