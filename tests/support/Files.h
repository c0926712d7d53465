#pragma once

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QStringList>

// The whole content of a file, or nothing when it cannot be read.
QByteArray ReadFileBytes(const QString& path);
// Replaces a file's content, making its folder first; false when it cannot be written.
bool WriteFileBytes(const QString& path, const QByteArray& data);
// The resident memory of a process (0: this one) in MB, from /proc; 0 when it cannot be read.
double ResidentMb(qint64 pid = 0);

// Writes the daily log file yy-MM-dd.txt of day into folder, each line ended in CR LF as the
// call log writes them; false when it cannot be written.
bool WriteLogDay(const QString& folder, const QDate& day, const QStringList& lines);
