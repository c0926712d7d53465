#include "service/JournalLogList.h"

#include <cstdio>

void JournalLogList::addItem(const QString& text) {
    m_last = text;
    ++m_count;
    if (m_muted)
        return;
    const QByteArray line = text.toUtf8() + '\n';
    std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
    std::fflush(stderr);
}
