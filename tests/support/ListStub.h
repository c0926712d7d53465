#pragma once

#include "calllog/CallLogList.h"

#include <QStringList>

// A plain call log list for tests: the items and the selected index, nothing else.
class ListStub : public CallLogList {
public:
    void addItem(const QString& text) override { items.append(text); }
    int count() const override { return int(items.size()); }
    void setCurrentIndex(int index) override { current = index; }
    int currentIndex() const override { return current; }
    QString item(int index) const override { return items.value(index); }

    QStringList items;
    int current = -1;
};
