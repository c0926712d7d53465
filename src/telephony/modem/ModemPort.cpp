#include "telephony/modem/ModemPort.h"

#include "telephony/modem/UnsolicitedLine.h"

#include <QFileInfo>

#include <cerrno>
#include <unistd.h>

ModemPort::ModemPort(QObject* parent) : QObject(parent) {
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, [this] { finishHead(Result::Timeout); });
    connect(&m_port, &QSerialPort::readyRead, this, &ModemPort::onReadyRead);
    connect(&m_port, &QSerialPort::errorOccurred, this, &ModemPort::onError);
    m_parser.onLine = [this](const QByteArray& line) { onLine(line); };
    m_parser.onDtmf = [this](char key) { Q_EMIT dtmf(key); };
    m_parser.onEvent = [this](char code) { Q_EMIT event(code); };
}

ModemPort::~ModemPort() {
    m_queue.clear();
    m_port.close();
}

bool ModemPort::openSerial(QSerialPort& port, const QString& path, QString* error) {
    auto fail = [error](const QString& text) {
        if (error)
            *error = text;
        return false;
    };
    if (!QFileInfo::exists(path))
        return fail(QStringLiteral("The modem device %1 does not exist (is the modem plugged in?).")
                        .arg(path));
    if (::access(QFile::encodeName(path).constData(), R_OK | W_OK) != 0 && errno == EACCES)
        return fail(QStringLiteral("You may not open the modem device %1. On Debian, add your user "
                                   "to the 'dialout' group (sudo adduser $USER dialout), then log "
                                   "out and in again.")
                        .arg(path));
    port.setPortName(path);
    // QSerialPort takes a lock file and TIOCEXCL, so a port in use by another program fails here.
    if (!port.open(QIODevice::ReadWrite)) {
        if (port.error() == QSerialPort::PermissionError)
            return fail(QStringLiteral("The modem device %1 is busy: another program (often "
                                       "ModemManager) is using it.")
                            .arg(path));
        return fail(
            QStringLiteral("Cannot open the modem device %1: %2.").arg(path, port.errorString()));
    }
    port.setBaudRate(QSerialPort::Baud115200);
    port.setDataBits(QSerialPort::Data8);
    port.setParity(QSerialPort::NoParity);
    port.setStopBits(QSerialPort::OneStop);
    port.setFlowControl(QSerialPort::NoFlowControl);
    port.clearError();
    return true;
}

bool ModemPort::open(const QString& path, QString* error) {
    m_path = path;
    m_parser.reset();
    return openSerial(m_port, path, error);
}

void ModemPort::close() {
    m_timer.stop();
    m_queue.clear();
    if (m_port.isOpen()) {
        m_port.flush();
        m_port.close();
    }
}

void ModemPort::command(const QByteArray& text, Reply reply, int timeoutMs) {
    Pending p;
    p.text = text;
    p.reply = std::move(reply);
    p.timeoutMs = timeoutMs > 0 ? timeoutMs : m_timeoutMs;
    m_queue.push_back(std::move(p));
    if (m_queue.size() == 1)
        startNext();
}

void ModemPort::awaitResult(Reply reply, int timeoutMs) {
    command(QByteArray(), std::move(reply), timeoutMs);
}

void ModemPort::writeRaw(const QByteArray& bytes) {
    if (m_port.isOpen())
        m_port.write(bytes);
}

void ModemPort::startNext() {
    if (m_queue.empty() || m_queue.front().started)
        return;
    Pending& head = m_queue.front();
    head.started = true;
    if (!m_port.isOpen()) {
        // Answer later, never from inside the caller's own command() call.
        QMetaObject::invokeMethod(
            this, [this] { finishHead(Result::PortClosed); }, Qt::QueuedConnection);
        return;
    }
    if (!head.text.isEmpty())
        m_port.write(head.text + '\r');
    m_timer.start(head.timeoutMs);
}

void ModemPort::finishHead(Result result) {
    if (m_queue.empty())
        return;
    m_timer.stop();
    Pending head = std::move(m_queue.front());
    m_queue.pop_front();
    if (head.reply)
        head.reply(result, head.info);
    startNext();
}

void ModemPort::failAll(Result result) {
    m_timer.stop();
    std::deque<Pending> queue;
    queue.swap(m_queue);
    for (Pending& p : queue) {
        if (p.reply)
            p.reply(result, p.info);
    }
}

bool ModemPort::isFinalResult(const QByteArray& line, Result* result) {
    const QByteArray l = line.toUpper();
    if (l == "OK")
        *result = Result::Ok;
    else if (l == "ERROR")
        *result = Result::Error;
    else if (l == "VCON")
        *result = Result::Vcon;
    else if (l == "CONNECT" || l.startsWith("CONNECT "))
        *result = Result::Connect;
    else if (l == "NO CARRIER")
        *result = Result::NoCarrier;
    else if (l == "BUSY" || l == "NO DIALTONE" || l == "NO ANSWER")
        *result = Result::Busy;
    else
        return false;
    return true;
}

void ModemPort::onReadyRead() {
    m_parser.feed(m_port.readAll());
}

void ModemPort::onLine(const QByteArray& line) {
    if (ClassifyUnsolicited(line) != Unsolicited::None) {
        Q_EMIT unsolicitedLine(line);
        return;
    }
    if (m_queue.empty() || !m_queue.front().started) {
        Q_EMIT unsolicitedLine(line);
        return;
    }
    Pending& head = m_queue.front();
    if (!head.text.isEmpty() && line == head.text)
        return; // the modem echoes commands
    Result result;
    if (isFinalResult(line, &result)) {
        finishHead(result);
        return;
    }
    if (head.info.size() < 64)
        head.info.append(line);
}

void ModemPort::onError(QSerialPort::SerialPortError error) {
    // Only a device that is gone ends the line; a setting the driver does not support
    // (UnsupportedOperationError on some USB adapters) or a framing error does not.
    if (error != QSerialPort::ResourceError && error != QSerialPort::ReadError &&
        error != QSerialPort::WriteError && error != QSerialPort::DeviceNotFoundError)
        return;
    // A closed pseudo-terminal or an unplugged USB modem reports read errors in a busy loop
    // for as long as the port stays open: close it at once.
    const QString reason = m_port.errorString();
    if (!m_port.isOpen())
        return;
    m_port.clearError();
    m_port.close();
    m_parser.reset();
    failAll(Result::PortClosed);
    Q_EMIT vanished(reason);
}
