#include "lists/ui/PrivateListWindow.h"

#include "lists/ListStore.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

PrivateListWindow::PrivateListWindow(ListWindows& registry)
    : ListWindow(registry, ListKind::Private, QStringLiteral("frmBlackprv"),
                 QCoreApplication::translate("PrivateListWindow", "Private Black List Setup")) {
    auto* column = new QVBoxLayout(this);
    column->addWidget(m_list);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_add);
    buttons->addWidget(m_delete);
    column->addLayout(buttons);
    resize(480, 320);
    fillList();
}

QString PrivateListWindow::ItemText(const PrivateEntry& entry) {
    return entry.Number + QLatin1Char('\t') + entry.Name;
}

QString PrivateListWindow::itemText(int row) const {
    return ItemText(store().tables().PrivateList()[std::size_t(row)]);
}
