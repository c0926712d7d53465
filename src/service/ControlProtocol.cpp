#include "service/ControlProtocol.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QRegularExpression>
#include <unistd.h>

namespace control {

namespace {
struct StateName {
    LineState state;
    const char* name;
};
constexpr StateName kStateNames[] = {{LineState::Ready, "ready"},
                                     {LineState::Closed, "closed"},
                                     {LineState::Error, "error"},
                                     {LineState::Call, "call"},
                                     {LineState::Missing, "missing"}};
} // namespace

QString LineStateName(LineState state) {
    for (const StateName& entry : kStateNames) {
        if (entry.state == state)
            return QString::fromLatin1(entry.name);
    }
    return QStringLiteral("closed");
}

std::optional<LineState> ParseLineState(const QString& name) {
    for (const StateName& entry : kStateNames) {
        if (name == QLatin1String(entry.name))
            return entry.state;
    }
    return std::nullopt;
}

QString FormatStatusLine(const LineStatus& status) {
    QString description = status.description;
    description.replace(QRegularExpression(QStringLiteral("[\\t\\r\\n]")), QStringLiteral(" "));
    return QStringLiteral("Line%1\t%2\t%3")
        .arg(status.line)
        .arg(LineStateName(status.state), description);
}

std::optional<LineStatus> ParseStatusLine(const QString& text) {
    const QStringList fields = text.split(QLatin1Char('\t'));
    if (fields.size() != 3 || !fields[0].startsWith(QStringLiteral("Line")))
        return std::nullopt;
    bool ok = false;
    const int line = fields[0].mid(4).toInt(&ok);
    const std::optional<LineState> state = ParseLineState(fields[1]);
    if (!ok || line < 0 || !state)
        return std::nullopt;
    return LineStatus{line, *state, fields[2]};
}

QString SocketFolder() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty())
        return runtime + QStringLiteral("/hushwire");
    return QDir::tempPath() + QStringLiteral("/hushwire-") + QString::number(::getuid());
}

QString SocketPath(const QString& applicationName) {
    return SocketFolder() + QLatin1Char('/') + applicationName + QStringLiteral(".sock");
}

bool PrepareSocketFolder(const QString& folder) {
    if (!QDir().mkpath(folder))
        return false;
    // In a shared temporary folder another user may have made the folder first: it must be
    // ours and private before a socket goes into it.
    const QFileInfo info(folder);
    if (!info.isDir() || info.isSymLink() || info.ownerId() != ::getuid())
        return false;
    return QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                             QFileDevice::ExeOwner);
}

bool IsPrivateFolder(const QString& folder) {
    const QFileInfo info(folder);
    if (!info.isDir() || info.isSymLink() || info.ownerId() != ::getuid())
        return false;
    const QFileDevice::Permissions others = QFileDevice::ReadGroup | QFileDevice::WriteGroup |
                                            QFileDevice::ExeGroup | QFileDevice::ReadOther |
                                            QFileDevice::WriteOther | QFileDevice::ExeOther;
    return (info.permissions() & others) == 0;
}

std::optional<QStringList> Ask(const QString& socketPath, const QString& request, int timeoutMs) {
    // In the shared temporary folder anyone could have made the folder and a socket in it that
    // pretends to be the service; only a folder of ours that nobody else may enter is trusted.
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR") &&
        !IsPrivateFolder(QFileInfo(socketPath).absolutePath()))
        return std::nullopt;
    QLocalSocket socket;
    socket.connectToServer(socketPath);
    if (!socket.waitForConnected(timeoutMs))
        return std::nullopt;
    socket.write(request.toUtf8() + '\n');
    if (!socket.waitForBytesWritten(timeoutMs))
        return std::nullopt;
    QStringList lines;
    while (true) {
        while (!socket.canReadLine()) {
            if (!socket.waitForReadyRead(timeoutMs))
                return std::nullopt;
        }
        while (socket.canReadLine()) {
            QByteArray raw = socket.readLine();
            raw.chop(1);
            const QString line = QString::fromUtf8(raw);
            if (line == QLatin1String(kOk) || line == QLatin1String(kEnd))
                return lines;
            lines.append(line);
        }
    }
}

} // namespace control
