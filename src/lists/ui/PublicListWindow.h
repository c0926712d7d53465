#pragma once

#include "lists/ImportRules.h"
#include "lists/ui/ListWindow.h"

#include <vector>

class LinkLabel;

// frmBlackpub, the public telemarketer list window. List1 shows the store's public rows: the
// user's own entries newest first, then the entries taken over from shared number files. The list
// is kept wide enough for its widest entry and never narrower than an eleven-digit number.
class PublicListWindow : public ListWindow {
    Q_OBJECT
public:
    explicit PublicListWindow(ListWindows& registry);

    LinkLabel* link() const { return m_link; }

protected:
    QString itemText(int row) const override;
    void itemsShown(const QStringList& texts) override;

private:
    QWidget* buildSharingPanel();
    // Shows the store's rows after an import; before: the rows List1 shows now.
    void replaceItems(const std::vector<ListedValue>& before);

    LinkLabel* m_link = nullptr;
    int m_itemWidth = 0; // the widest item shown so far, in pixels
};
