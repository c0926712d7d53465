#pragma once

#include <QString>
#include <QStringList>

// Reads a text file of log lines (Latin-1; lines end in CR LF, LF or a lone CR) into lines,
// exactly as written, appending to lines. Returns false when the file cannot be opened or read;
// lines then holds what was read before the failure.
bool ReadLogFileLines(const QString& path, QStringList& lines);
