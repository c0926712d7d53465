#include "support/Files.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

QByteArray ReadFileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool WriteFileBytes(const QString& path, const QByteArray& data) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(data) == data.size() &&
           f.flush();
}

double ResidentMb(qint64 pid) {
    const QString status =
        pid == 0 ? QStringLiteral("/proc/self/status") : QStringLiteral("/proc/%1/status").arg(pid);
    for (const QByteArray& line : ReadFileBytes(status).split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    }
    return 0;
}

bool WriteLogDay(const QString& folder, const QDate& day, const QStringList& lines) {
    QByteArray data;
    for (const QString& line : lines)
        data += line.toLatin1() + "\r\n";
    return WriteFileBytes(folder + QLatin1Char('/') + day.toString(QStringLiteral("yy-MM-dd")) +
                              QStringLiteral(".txt"),
                          data);
}
