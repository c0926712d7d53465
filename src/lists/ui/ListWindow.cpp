#include "lists/ui/ListWindow.h"

#include "lists/ListStore.h"
#include "lists/ui/ListWindows.h"
#include "platform/MessageSeam.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QListWidget>
#include <QPushButton>

ListWindow::ListWindow(ListWindows& registry, ListKind kind, const QString& objectName,
                       const QString& title)
    : QWidget(nullptr, Qt::Window), m_registry(registry), m_kind(kind) {
    setObjectName(objectName);
    setWindowTitle(title);
    // Closing destroys the window; the next use creates it afresh from the store.
    setAttribute(Qt::WA_DeleteOnClose);

    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("List1"));
    m_list->setSortingEnabled(false);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    // Every row has the same height; this lets a list of 50,000 entries lay out at once.
    m_list->setUniformItemSizes(true);

    m_add = new QPushButton(QCoreApplication::translate("ListWindow", "Add"), this);
    m_add->setObjectName(QStringLiteral("cmdAdd"));
    m_delete = new QPushButton(QCoreApplication::translate("ListWindow", "Delete"), this);
    m_delete->setObjectName(QStringLiteral("cmdDelete"));
    for (QPushButton* b : {m_add, m_delete})
        b->setAutoDefault(false);

    connect(m_add, &QPushButton::clicked, this, &ListWindow::openAddDialog);
    connect(m_delete, &QPushButton::clicked, this, &ListWindow::deleteSelected);
    connect(&store(), &ListStore::rowInserted, this, &ListWindow::insertRow);
    connect(&store(), &ListStore::rowRemoved, this, &ListWindow::removeRow);
    if (kind == ListKind::Private) {
        connect(&store(), &ListStore::privateReplaced, this, [this] {
            m_list->clear();
            fillList();
        });
    }
}

ListStore& ListWindow::store() const {
    return m_registry.store();
}

void ListWindow::fillList() {
    QStringList texts;
    const int n = store().count(m_kind);
    texts.reserve(n);
    for (int row = 0; row < n; ++row)
        texts.append(itemText(row));
    m_list->addItems(texts);
    itemsShown(texts);
}

void ListWindow::insertRow(ListKind kind, int row) {
    if (kind != m_kind)
        return;
    const QString text = itemText(row);
    m_list->insertItem(row, text);
    itemsShown({text});
}

void ListWindow::removeRow(ListKind kind, int row) {
    if (kind != m_kind)
        return;
    delete m_list->takeItem(row);
    m_list->clearSelection();
    m_list->setCurrentItem(nullptr);
    m_list->update();
}

void ListWindow::deleteSelected() {
    const QList<QListWidgetItem*> selected = m_list->selectedItems();
    if (selected.isEmpty()) {
        ShowMessage(QCoreApplication::translate("ListWindow", "Please select an entry"),
                    QCoreApplication::translate("ListWindow", "Delete Entry"),
                    MessageIcon::Critical);
        return;
    }
    QString error;
    if (!store().remove(m_kind, m_list->row(selected.first()), &error))
        ShowMessage(QCoreApplication::translate(
                        "ListWindow", "The list could not be saved; it is unchanged.\n\n") +
                        error,
                    QCoreApplication::translate("ListWindow", "Delete Entry"),
                    MessageIcon::Critical);
}

void ListWindow::openAddDialog() {
    m_registry.openEntryDialog(m_kind, this);
}

void ListWindow::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    if (event->isAccepted())
        m_registry.forget(this);
}
