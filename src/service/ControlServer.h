#pragma once

#include <QObject>
#include <QStringList>
#include <functional>

class QLocalServer;
class QLocalSocket;

// Answers the control requests of the desktop program and the command line on a local socket
// (see ControlProtocol.h). Each request line is answered in full before the next is read.
class ControlServer : public QObject {
    Q_OBJECT
public:
    struct Handlers {
        std::function<void()> reload;
        std::function<QStringList()> status;
        std::function<QString()> logPath;
    };

    explicit ControlServer(Handlers handlers, QObject* parent = nullptr);
    ~ControlServer() override;

    // Listens on socketPath in a private folder, replacing the socket of a service that was
    // killed. False, with *error set, when it cannot.
    bool listen(const QString& socketPath, QString* error);

    // Requests longer than this are not requests: the connection is dropped.
    static constexpr int kMaxRequestBytes = 256;
    static constexpr int kMaxConnections = 16;
    static constexpr int kIdleMs = 10000;

private:
    void accept();
    void serve(QLocalSocket* socket);
    QByteArray answer(const QString& request) const;

    Handlers m_handlers;
    QLocalServer* m_server = nullptr;
    int m_connections = 0;
};
