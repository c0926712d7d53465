#include "calllog/LogFileLines.h"

#include <QFile>
#include <QFileInfo>

bool ReadLogFileLines(const QString& path, QStringList& lines) {
    if (QFileInfo(path).isDir())
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QByteArray pending;
    bool pendingCr = false;
    char buffer[64 * 1024];
    for (;;) {
        const qint64 n = file.read(buffer, sizeof buffer);
        if (n < 0)
            return false;
        if (n == 0)
            break;
        for (qint64 i = 0; i < n; ++i) {
            const char c = buffer[i];
            if (pendingCr) {
                pendingCr = false;
                if (c == '\n')
                    continue; // the LF of a CR LF pair
            }
            if (c == '\r' || c == '\n') {
                lines.append(QString::fromLatin1(pending));
                pending.clear();
                pendingCr = c == '\r';
            } else {
                pending.append(c);
            }
        }
    }
    if (!pending.isEmpty())
        lines.append(QString::fromLatin1(pending));
    return true;
}
