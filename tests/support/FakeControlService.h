#pragma once

#include <QMutex>
#include <QSemaphore>
#include <QString>
#include <QStringList>
#include <QThread>

// A running service's control socket as the desktop program and the command line see it:
// listens at socketPath on a thread of its own (their requests block until answered), answers
// status with statusLines, log-path with logPath and reload with ok, and records each request.
class FakeControlService : public QThread {
public:
    FakeControlService(QString socketPath, QString logPath, QStringList statusLines);
    ~FakeControlService() override;
    // Starts listening; false when the socket could not be made.
    bool listen();
    QStringList requests() const;

protected:
    void run() override;

private:
    QString answer(const QString& request);

    QString m_socketPath;
    QString m_logPath;
    QStringList m_statusLines;
    mutable QMutex m_mutex;
    QStringList m_requests;
    QSemaphore m_started;
    bool m_listening = false;
};
