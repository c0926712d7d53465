#include "rules/CallBackWindow.h"

#include "rules/Rule.h"

QString CallBackWindow::key(const QString& number) {
    char16_t buffer[128];
    const qsizetype n = NumberKey(number, buffer, 128);
    return QString(reinterpret_cast<const QChar*>(buffer), n);
}

void CallBackWindow::open(const QString& number, qint64 nowMs, int minutes) {
    const QString k = key(number);
    if (minutes <= 0 || k.isEmpty() || number == QLatin1String("UNKNOWN"))
        return;
    // Windows that have closed are forgotten, so the table never grows past the callers of the
    // last few minutes.
    m_until.removeIf([nowMs](const auto& entry) { return entry.value() <= nowMs; });
    m_until.insert(k, nowMs + qint64(minutes) * 60'000);
}

bool CallBackWindow::isOpen(const QString& number, qint64 nowMs) const {
    if (m_until.isEmpty())
        return false;
    const auto it = m_until.constFind(key(number));
    return it != m_until.constEnd() && nowMs < it.value();
}
