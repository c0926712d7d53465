#include "EventLog.h"

#include <QDateTime>

bool EventLog::open(const QString& path, QString* error) {
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
        if (error)
            *error = m_file.errorString();
        return false;
    }
    return true;
}

void EventLog::write(const char* kind, const QString& text) {
    if (!m_file.isOpen())
        return;
    const QString line = QStringLiteral("%1 %2 %3\n")
                             .arg(QDateTime::currentMSecsSinceEpoch())
                             .arg(QLatin1String(kind), text);
    m_file.write(line.toUtf8());
    m_file.flush();
}

QString EventLog::printable(const QByteArray& bytes) {
    QString out;
    for (const char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        if (u >= 0x20 && u < 0x7f)
            out += QLatin1Char(c);
        else
            out += QStringLiteral("<%1>").arg(u, 2, 16, QLatin1Char('0'));
    }
    return out;
}
