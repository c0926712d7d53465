#pragma once

#include <QString>

// The on-screen call log as the log writer sees it: the five list operations the main window's
// lstWhite provides. Any object offering them can stand in (tests use a plain one).
class CallLogList {
public:
    virtual ~CallLogList() = default;
    virtual void addItem(const QString& text) = 0;
    virtual int count() const = 0;
    virtual void setCurrentIndex(int index) = 0;
    virtual int currentIndex() const = 0;
    virtual QString item(int index) const = 0;
    // Lines added between true and false are read back from today's file, not new.
    virtual void setReplaying(bool) {}
};
