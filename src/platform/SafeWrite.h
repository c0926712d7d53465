#pragma once

#include <QByteArray>
#include <QString>

// Replaces the file at path with data as one step: the data goes to a temporary file beside it,
// which is renamed over the old file only when every byte was written and flushed. A crash or a
// full disk therefore leaves the old file as it was. On failure returns false and, when error is
// given, a text naming the path and the cause.
bool WriteFileAtomically(const QString& path, const QByteArray& data, QString* error);
