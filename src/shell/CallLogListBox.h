#pragma once

#include "calllog/CallLogList.h"

class QListWidget;

// Lets the call log writer drive the main window's list box lstWhite through the five list
// operations it needs, without knowing about widgets.
class CallLogListBox final : public CallLogList {
public:
    explicit CallLogListBox(QListWidget& list) : m_list(list) {}
    void addItem(const QString& text) override;
    int count() const override;
    void setCurrentIndex(int index) override;
    int currentIndex() const override;
    QString item(int index) const override;

private:
    QListWidget& m_list;
};
