#include "lists/ui/ListWindow.h"

#include "lists/PhoneLists.h"
#include "lists/ui/ListWindows.h"
#include "platform/MessageSeam.h"

#include <QCloseEvent>
#include <QListWidget>
#include <QPushButton>

ListWindow::ListWindow(ListWindows& registry, const QString& objectName, const QString& title)
    : QWidget(nullptr, Qt::Window), m_registry(registry) {
    setObjectName(objectName);
    setWindowTitle(title);
    // Closing destroys the window; the next use creates it afresh from the in-memory table.
    setAttribute(Qt::WA_DeleteOnClose);

    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("List1"));
    m_list->setSortingEnabled(false);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    // Every row has the same height; this lets a list of 50,000 entries lay out at once.
    m_list->setUniformItemSizes(true);

    m_add = new QPushButton(QStringLiteral("Add"), this);
    m_add->setObjectName(QStringLiteral("cmdAdd"));
    m_delete = new QPushButton(QStringLiteral("Delete"), this);
    m_delete->setObjectName(QStringLiteral("cmdDelete"));
    for (QPushButton* b : {m_add, m_delete})
        b->setAutoDefault(false);

    connect(m_add, &QPushButton::clicked, this, &ListWindow::openAddDialog);
    connect(m_delete, &QPushButton::clicked, this, &ListWindow::deleteSelected);
}

void ListWindow::deleteSelected() {
    const QList<QListWidgetItem*> selected = m_list->selectedItems();
    if (selected.isEmpty()) {
        ShowMessage(QStringLiteral("Please select an entry"), QStringLiteral("Delete Entry"),
                    MessageIcon::Critical);
        return;
    }
    const int row = m_list->row(selected.first());
    QString error;
    if (!removeEntry(row, &error)) {
        reportWriteFailure(QStringLiteral("Delete Entry"), error);
        return;
    }
    delete m_list->takeItem(row);
    m_list->clearSelection();
    m_list->setCurrentItem(nullptr);
    m_list->update();
    m_registry.lists().LoadPhoneLists();
}

void ListWindow::openAddDialog() {
    m_registry.openEntryDialog(kind(), this);
}

void ListWindow::reportWriteFailure(const QString& title, const QString& error) {
    ShowMessage(QStringLiteral("The list could not be saved; it is unchanged.\n\n") + error, title,
                MessageIcon::Critical);
}

void ListWindow::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    if (event->isAccepted())
        m_registry.forget(this);
}
