#include "support/FakeControlService.h"

#include "service/ControlProtocol.h"

#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>

FakeControlService::FakeControlService(QString socketPath, QString logPath, QStringList statusLines)
    : m_socketPath(std::move(socketPath)), m_logPath(std::move(logPath)),
      m_statusLines(std::move(statusLines)) {}

FakeControlService::~FakeControlService() {
    quit();
    wait();
}

bool FakeControlService::listen() {
    start();
    m_started.acquire();
    return m_listening;
}

QStringList FakeControlService::requests() const {
    const QMutexLocker lock(&m_mutex);
    return m_requests;
}

QString FakeControlService::answer(const QString& request) {
    {
        const QMutexLocker lock(&m_mutex);
        m_requests.append(request);
    }
    const QString end = QLatin1String(control::kEnd);
    if (request == QLatin1String(control::kReload))
        return QLatin1String(control::kOk);
    if (request == QLatin1String(control::kStatus))
        return (m_statusLines + QStringList{end}).join(QLatin1Char('\n'));
    if (request == QLatin1String(control::kLogPath))
        return m_logPath + QLatin1Char('\n') + end;
    return QStringLiteral("unknown request\n") + end;
}

void FakeControlService::run() {
    QLocalServer server;
    m_listening = control::PrepareSocketFolder(QFileInfo(m_socketPath).path()) &&
                  (QLocalServer::removeServer(m_socketPath), server.listen(m_socketPath));
    m_started.release();
    QObject::connect(&server, &QLocalServer::newConnection, &server, [this, &server] {
        while (QLocalSocket* socket = server.nextPendingConnection()) {
            QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            QObject::connect(socket, &QLocalSocket::readyRead, socket, [this, socket] {
                while (socket->canReadLine()) {
                    const QString request = QString::fromUtf8(socket->readLine()).trimmed();
                    socket->write(answer(request).toUtf8() + '\n');
                }
            });
        }
    });
    exec();
}
