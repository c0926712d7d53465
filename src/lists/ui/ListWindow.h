#pragma once

#include "lists/ListKind.h"

#include <QWidget>

class ListStore;
class ListWindows;
class QListWidget;
class QPushButton;

// What the two phone-list windows share: the list box List1 with one item per entry of the list
// store, the Add and Delete buttons, and the delete flow. The window shows the store and sends it
// the user's edits; List1 follows the store's changes, from this window or from an add dialog,
// so the two always correspond one to one.
class ListWindow : public QWidget {
    Q_OBJECT
public:
    QListWidget* list() const { return m_list; }
    ListWindows& registry() const { return m_registry; }
    ListStore& store() const;

    // Deletes the selected entry (the Delete button); without a selection says so.
    void deleteSelected();

protected:
    ListWindow(ListWindows& registry, ListKind kind, const QString& objectName,
               const QString& title);

    // The item text of the store's entry in row.
    virtual QString itemText(int row) const = 0;
    // Called with the texts of items that were just shown (all of them after a fill).
    virtual void itemsShown(const QStringList& texts) { Q_UNUSED(texts) }
    // Fills List1 from the store; the window's constructor calls it once.
    void fillList();
    void closeEvent(QCloseEvent* event) override;

    QListWidget* m_list;
    QPushButton* m_add;
    QPushButton* m_delete;

private:
    void openAddDialog();
    void insertRow(ListKind kind, int row);
    void removeRow(ListKind kind, int row);

    ListWindows& m_registry;
    ListKind m_kind;
};
