#pragma once

#include "lists/PhoneLists.h"
#include "lists/ui/ListWindow.h"

#include <vector>

// frmBlackprv, the private black list window. List1 shows one item per entry in file order:
// the number field as stored (20 characters), a tab, the name field as stored (30 characters).
class PrivateListWindow : public ListWindow {
    Q_OBJECT
public:
    explicit PrivateListWindow(ListWindows& registry);

    const std::vector<PrivateEntry>& entries() const { return m_entries; }

    // Writes the entry after the last one of private.txt and shows it at the bottom of List1.
    bool addEntry(const PrivateEntry& entry, QString* error);

    // The text of an entry's item.
    static QString ItemText(const PrivateEntry& entry);

protected:
    bool removeEntry(int row, QString* error) override;
    ListKind kind() const override { return ListKind::Private; }

private:
    std::vector<PrivateEntry> m_entries;
};
