// The control socket's limits: connections beyond the cap are closed at once and served again
// once one of the others has gone; a connection that stays silent is closed.
#include "service/ControlServer.h"

#include <QElapsedTimer>
#include <QLocalSocket>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <vector>

using namespace Qt::StringLiterals;

class TestControlServer : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void connectionsBeyondTheCapAreClosed();
    void anIdleConnectionIsClosed();

private:
    // A client connected to the server that answers status with one line.
    std::unique_ptr<QLocalSocket> connectClient() {
        auto client = std::make_unique<QLocalSocket>();
        client->connectToServer(m_path);
        if (!client->waitForConnected(2000))
            qFatal("cannot connect to %s", qPrintable(m_path));
        return client;
    }
    // Asks for the status; true when the whole answer came.
    static bool answers(QLocalSocket& client) {
        client.write("status\n");
        return QTest::qWaitFor(
                   [&] { return client.bytesAvailable() > 0 && client.peek(64).endsWith("end\n"); },
                   3000) &&
               client.readAll() == "Line0\tready\tmodem\nend\n";
    }
    void listen(ControlServer& server) {
        QString error;
        QVERIFY2(server.listen(m_path, &error), qPrintable(error));
    }

    QTemporaryDir m_dir;
    QString m_path = m_dir.filePath(u"run/hushwire/test.sock"_s);
    ControlServer::Handlers m_handlers{[] {}, [] { return QStringList{u"Line0\tready\tmodem"_s}; },
                                       [] { return QString(); }};
};

void TestControlServer::connectionsBeyondTheCapAreClosed() {
    ControlServer server(m_handlers);
    listen(server);
    std::vector<std::unique_ptr<QLocalSocket>> held;
    for (int i = 0; i < ControlServer::kMaxConnections; ++i) {
        held.push_back(connectClient());
        QVERIFY(answers(*held.back()));
    }
    const std::unique_ptr<QLocalSocket> extra = connectClient();
    QTRY_COMPARE_WITH_TIMEOUT(extra->state(), QLocalSocket::UnconnectedState, 3000);
    // The held ones are still served; once one leaves, a newcomer is served too.
    QVERIFY(answers(*held.front()));
    held.front()->disconnectFromServer();
    held.erase(held.begin());
    QTest::qWait(300);
    held.push_back(connectClient());
    QVERIFY(answers(*held.back()));
}

void TestControlServer::anIdleConnectionIsClosed() {
    const int idleMs = 500;
    ControlServer server(m_handlers, nullptr, idleMs);
    listen(server);
    const std::unique_ptr<QLocalSocket> silent = connectClient();
    const std::unique_ptr<QLocalSocket> talking = connectClient();
    // A request restarts the wait: the talking client outlives the silent one.
    QElapsedTimer since;
    since.start();
    while (since.elapsed() < 2 * idleMs) {
        QTest::qWait(100);
        QVERIFY(answers(*talking));
    }
    QTRY_COMPARE_WITH_TIMEOUT(silent->state(), QLocalSocket::UnconnectedState, 1000);
    QCOMPARE(talking->state(), QLocalSocket::ConnectedState);
    QTRY_COMPARE_WITH_TIMEOUT(talking->state(), QLocalSocket::UnconnectedState, 3000);
}

QTEST_GUILESS_MAIN(TestControlServer)
#include "tst_controlserver.moc"
