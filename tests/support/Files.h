#pragma once

#include <QByteArray>
#include <QString>

// The whole content of a file, or nothing when it cannot be read.
QByteArray ReadFileBytes(const QString& path);
// Replaces a file's content, making its folder first; false when it cannot be written.
bool WriteFileBytes(const QString& path, const QByteArray& data);
// The resident memory of a process (0: this one) in MB, from /proc; 0 when it cannot be read.
double ResidentMb(qint64 pid = 0);
