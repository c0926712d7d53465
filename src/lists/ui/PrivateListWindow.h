#pragma once

#include "lists/PhoneLists.h"
#include "lists/ui/ListWindow.h"

// frmBlackprv, the private black list window. List1 shows one item per entry in file order:
// the number field as stored (20 characters), a tab, the name field as stored (30 characters).
class PrivateListWindow : public ListWindow {
    Q_OBJECT
public:
    explicit PrivateListWindow(ListWindows& registry);

    // The text of an entry's item.
    static QString ItemText(const PrivateEntry& entry);

protected:
    QString itemText(int row) const override;
};
