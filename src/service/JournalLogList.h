#pragma once

#include "calllog/CallLogList.h"

#include <QString>

// The call log without a window: each new line goes to standard error (the journal, under
// systemd) instead of a list box. Only the last line is kept. The lines of the daily log that
// are read back when it opens are not repeated: the journal has them already.
class JournalLogList final : public CallLogList {
public:
    // Lines replayed are counted but not written.
    void setReplaying(bool replaying) override { m_muted = replaying; }

    void addItem(const QString& text) override;
    int count() const override { return m_count; }
    void setCurrentIndex(int index) override { m_current = index; }
    int currentIndex() const override { return m_current; }
    QString item(int index) const override { return index == m_count - 1 ? m_last : QString(); }

private:
    QString m_last;
    int m_count = 0;
    int m_current = -1;
    bool m_muted = false;
};
