#pragma once

#include "lists/ui/ListKind.h"

#include <QWidget>

class ListWindows;
class QListWidget;
class QPushButton;

// What the two phone-list windows share: the list box List1 with one item per entry, the Add and
// Delete buttons, and the delete flow. The list box is the working copy of the list file: every
// change writes the file first and changes the list box only when the write succeeded, so the two
// always correspond one to one.
class ListWindow : public QWidget {
    Q_OBJECT
public:
    QListWidget* list() const { return m_list; }
    ListWindows& registry() const { return m_registry; }

    // Deletes the selected entry (the Delete button); without a selection says so.
    void deleteSelected();

protected:
    ListWindow(ListWindows& registry, const QString& objectName, const QString& title);

    // Rewrites the list file without the entry shown in row; on success forgets the entry and
    // returns true, on failure leaves everything as it was and fills *error.
    virtual bool removeEntry(int row, QString* error) = 0;
    // Opens the add dialog of this list, modal over this window.
    void openAddDialog();
    virtual ListKind kind() const = 0;
    void closeEvent(QCloseEvent* event) override;

    // Reports a list file that could not be written.
    static void reportWriteFailure(const QString& title, const QString& error);

    QListWidget* m_list;
    QPushButton* m_add;
    QPushButton* m_delete;

private:
    ListWindows& m_registry;
};
