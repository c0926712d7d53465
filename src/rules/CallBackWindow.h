#pragma once

#include <QHash>
#include <QString>

// Callers who keyed the unlock PIN, and until when their next calls ring through. Kept in
// memory only: a restart closes every window. Numbers are compared as number rules compare
// them, so "555-1234" and "5551234" are one caller.
class CallBackWindow {
public:
    // Opens (or extends) the caller's window from nowMs for minutes; nothing for minutes <= 0
    // or a caller without a number.
    void open(const QString& number, qint64 nowMs, int minutes);
    bool isOpen(const QString& number, qint64 nowMs) const;

private:
    static QString key(const QString& number);
    QHash<QString, qint64> m_until;
};
