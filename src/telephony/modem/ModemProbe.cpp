#include "telephony/modem/ModemProbe.h"

#include "telephony/modem/ModemPort.h"
#include "telephony/modem/ModemStreamParser.h"

#include <QDeadlineTimer>
#include <QSerialPort>

namespace ModemProbe {

namespace {

// Sends one command and waits (blocking) for its final result; info gets the lines before it.
ModemPort::Result Ask(QSerialPort& port, const QByteArray& command, int timeoutMs,
                      QList<QByteArray>* info) {
    info->clear();
    bool done = false;
    ModemPort::Result result = ModemPort::Result::Timeout;
    ModemStreamParser parser;
    parser.onLine = [&](const QByteArray& line) {
        if (done || line == command)
            return;
        if (ModemPort::isFinalResult(line, &result))
            done = true;
        else if (line != "RING" && info->size() < 32)
            info->append(line);
    };
    port.readAll(); // drop anything left from earlier chatter
    port.write(command + '\r');
    port.waitForBytesWritten(timeoutMs);
    QDeadlineTimer deadline(timeoutMs);
    while (!done && !deadline.hasExpired()) {
        if (!port.waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime()))))
            break;
        parser.feed(port.readAll());
    }
    if (!done && port.bytesAvailable() > 0)
        parser.feed(port.readAll());
    return done ? result : ModemPort::Result::Timeout;
}

} // namespace

bool ListsVoiceClass(const QList<QByteArray>& info) {
    for (const QByteArray& line : info) {
        QByteArray l = line;
        l.replace('(', ' ').replace(')', ' ');
        for (const QByteArray& item : l.split(',')) {
            if (item.trimmed() == "8")
                return true;
        }
    }
    return false;
}

bool IsUsRobotics(const QString& identity) {
    return identity.contains(QLatin1String("Robotics"), Qt::CaseInsensitive) ||
           identity.contains(QLatin1String("USR"), Qt::CaseSensitive);
}

QString IdentityFrom(const QList<QByteArray>& info) {
    for (const QByteArray& line : info) {
        const QString text = QString::fromLatin1(line).simplified();
        if (!text.isEmpty())
            return text.left(160);
    }
    return {};
}

QString LineName(const QString& identity, const QString& path) {
    const QString id = identity.isEmpty() ? QStringLiteral("Modem") : identity;
    return id + QStringLiteral(" (") + path + QLatin1Char(')');
}

bool Probe(const QString& path, int timeoutMs, ModemIdentity* out, QString* error) {
    QSerialPort port;
    if (!ModemPort::openSerial(port, path, error))
        return false;
    QList<QByteArray> info;
    if (Ask(port, "ATZ", timeoutMs, &info) != ModemPort::Result::Ok) {
        if (error)
            *error = QStringLiteral("%1 does not answer as a modem.").arg(path);
        return false;
    }
    Ask(port, "ATE0", timeoutMs, &info);
    ModemIdentity id;
    if (Ask(port, "ATI3", timeoutMs, &info) == ModemPort::Result::Ok)
        id.identity = IdentityFrom(info);
    if (id.identity.isEmpty() && Ask(port, "ATI", timeoutMs, &info) == ModemPort::Result::Ok)
        id.identity = IdentityFrom(info);
    id.voice = Ask(port, "AT+FCLASS=?", timeoutMs, &info) == ModemPort::Result::Ok &&
               ListsVoiceClass(info);
    port.close();
    *out = id;
    return true;
}

} // namespace ModemProbe
