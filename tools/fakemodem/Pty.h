#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class QSocketNotifier;

// The master side of a pseudo-terminal. The emulator keeps the slave side open as well, so a
// client may close and reopen the device without the master seeing a hang-up, and only
// close() (an "unplugged" modem) makes the client's port fail. open() after close() makes a new
// device, as a modem plugged in again gets.
class Pty : public QObject {
    Q_OBJECT
public:
    explicit Pty(QObject* parent = nullptr);
    ~Pty() override;

    bool open(QString* error);
    QString devicePath() const { return m_path; }
    bool isOpen() const { return m_master >= 0; }

    // Queues bytes for the client; never blocks (a client that does not read only grows the
    // queue).
    void write(const QByteArray& data);
    void close();

Q_SIGNALS:
    void received(const QByteArray& data);

private:
    void onReadable();
    void flush();

    int m_master = -1;
    int m_slave = -1;
    QString m_path;
    QByteArray m_out;
    QSocketNotifier* m_readNotifier = nullptr;
    QSocketNotifier* m_writeNotifier = nullptr;
};
