#include "service/ControlServer.h"

#include "service/ControlProtocol.h"

#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>

ControlServer::ControlServer(Handlers handlers, QObject* parent)
    : QObject(parent), m_handlers(std::move(handlers)), m_server(new QLocalServer(this)) {
    connect(m_server, &QLocalServer::newConnection, this, &ControlServer::accept);
}

ControlServer::~ControlServer() {
    m_server->close();
}

bool ControlServer::listen(const QString& socketPath, QString* error) {
    if (!control::PrepareSocketFolder(QFileInfo(socketPath).absolutePath())) {
        *error = QStringLiteral("the folder of %1 cannot be made private").arg(socketPath);
        return false;
    }
    // Only one service holds the single-instance lock, so a socket left here is a dead one's.
    QLocalServer::removeServer(socketPath);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(socketPath)) {
        *error = m_server->errorString();
        return false;
    }
    return true;
}

void ControlServer::accept() {
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        // A client that never finishes its request, or many at once, cannot hold the service's
        // resources: connections beyond the cap are closed at once, idle ones after a while.
        if (m_connections >= kMaxConnections) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        ++m_connections;
        connect(socket, &QObject::destroyed, this, [this] { --m_connections; });
        auto* idle = new QTimer(socket);
        idle->setSingleShot(true);
        connect(idle, &QTimer::timeout, socket, [socket] {
            socket->abort();
            socket->deleteLater();
        });
        connect(socket, &QLocalSocket::readyRead, idle, qOverload<>(&QTimer::start));
        idle->start(kIdleMs);
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { serve(socket); });
        serve(socket);
    }
}

void ControlServer::serve(QLocalSocket* socket) {
    while (socket->canReadLine()) {
        QByteArray line = socket->readLine(kMaxRequestBytes + 1);
        if (!line.endsWith('\n')) {
            socket->abort();
            return;
        }
        line.chop(1);
        if (line.endsWith('\r'))
            line.chop(1);
        socket->write(answer(QString::fromUtf8(line)));
    }
    if (socket->bytesAvailable() > kMaxRequestBytes)
        socket->abort();
}

QByteArray ControlServer::answer(const QString& request) const {
    const QByteArray end = QByteArray(control::kEnd) + '\n';
    if (request == QLatin1String(control::kReload)) {
        m_handlers.reload();
        return QByteArray(control::kOk) + '\n';
    }
    QStringList lines;
    if (request == QLatin1String(control::kStatus))
        lines = m_handlers.status();
    else if (request == QLatin1String(control::kLogPath))
        lines = {m_handlers.logPath()};
    else
        lines = {QStringLiteral("unknown request: ") + request.left(40)};
    QByteArray bytes;
    for (const QString& line : std::as_const(lines))
        bytes += line.toUtf8() + '\n';
    return bytes + end;
}
