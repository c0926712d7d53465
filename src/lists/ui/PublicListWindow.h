#pragma once

#include "lists/ImportRules.h"
#include "lists/ui/ListWindow.h"

#include <vector>

class LinkLabel;

// frmBlackpub, the public telemarketer list window. List1 shows the user's own entries newest
// first, then the entries taken over from shared number files in file order. Beside every row
// the window keeps the entry's value and its place in public.tel, so a delete or an import
// rewrites the file in its own order, not in the order of the screen.
class PublicListWindow : public ListWindow {
    Q_OBJECT
public:
    explicit PublicListWindow(ListWindows& registry);

    // The entries in window order, each with its value and its key in file order.
    const std::vector<ListedValue>& rows() const { return m_rows; }
    quint64 nextFileSeq() const { return m_nextSeq; }

    // Writes value after the last entry of public.tel and shows it at the top of List1.
    bool addValue(double value, QString* error);

    // Replaces the list with rows (an import's result): rewrites public.tel in file order, then
    // List1. On failure nothing changes and *error says why.
    bool replaceRows(std::vector<ListedValue> rows, quint64 nextSeq, QString* error);

    LinkLabel* link() const { return m_link; }

protected:
    bool removeEntry(int row, QString* error) override;
    ListKind kind() const override { return ListKind::Public; }

private:
    void fillFromTable();
    QWidget* buildSharingPanel();

    std::vector<ListedValue> m_rows;
    quint64 m_nextSeq = 0;
    LinkLabel* m_link = nullptr;
};
