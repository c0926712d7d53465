#pragma once

#include "telephony/modem/ModemStreamParser.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QSerialPort>
#include <QTimer>

#include <deque>
#include <functional>

// One modem on one serial port: opens it exclusively, splits what it sends into lines and DLE
// events, and runs AT commands one at a time, each with a timeout. Unsolicited lines (RING,
// caller ID) and events are passed on as signals even while a command is waiting.
class ModemPort : public QObject {
    Q_OBJECT
public:
    enum class Result { Ok, Connect, Vcon, Error, NoCarrier, Busy, Timeout, PortClosed };
    using Reply = std::function<void(Result, const QList<QByteArray>& info)>;

    explicit ModemPort(QObject* parent = nullptr);
    ~ModemPort() override;

    // Opens the device; on failure *error says why in words a user can act on.
    bool open(const QString& path, QString* error);
    // Closes without answering the queued commands (the owner is going away).
    void close();
    bool isOpen() const { return m_port.isOpen(); }
    QString path() const { return m_path; }

    void setCommandTimeout(int ms) { m_timeoutMs = ms; }
    int commandTimeout() const { return m_timeoutMs; }

    // Queues an AT command (without the CR); reply gets the final result and the lines before it.
    void command(const QByteArray& text, Reply reply, int timeoutMs = -1);
    // Queues a wait for a final result without sending anything (the "OK" after DLE ETX).
    void awaitResult(Reply reply, int timeoutMs);
    // Writes bytes at once, outside the command queue (audio, DLE sequences).
    void writeRaw(const QByteArray& bytes);
    qint64 bytesToWrite() const { return m_port.bytesToWrite(); }
    bool commandPending() const { return !m_queue.empty(); }

    static bool isFinalResult(const QByteArray& line, Result* result);
    // Opens a QSerialPort exclusively with the usual modem settings; explains failures.
    static bool openSerial(QSerialPort& port, const QString& path, QString* error);

Q_SIGNALS:
    void unsolicitedLine(const QByteArray& line);
    void dtmf(char key);
    void event(char code);
    // The device went away (unplugged, pseudo-terminal closed); the port is closed.
    void vanished(const QString& reason);

private:
    struct Pending {
        QByteArray text; // empty: only wait for a result
        Reply reply;
        int timeoutMs = 0;
        QList<QByteArray> info;
        bool started = false;
    };

    void onReadyRead();
    void onError(QSerialPort::SerialPortError error);
    void onLine(const QByteArray& line);
    void startNext();
    void finishHead(Result result);
    void failAll(Result result);

    QSerialPort m_port;
    QString m_path;
    ModemStreamParser m_parser;
    std::deque<Pending> m_queue;
    QTimer m_timer;
    int m_timeoutMs = 3000;
};
