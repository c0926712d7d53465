#include "lists/ui/PrivateListWindow.h"

#include "lists/ListFiles.h"
#include "lists/ui/ListWindows.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

PrivateListWindow::PrivateListWindow(ListWindows& registry)
    : ListWindow(registry, QStringLiteral("frmBlackprv"),
                 QStringLiteral("Private Black List Setup")) {
    auto* column = new QVBoxLayout(this);
    column->addWidget(m_list);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_add);
    buttons->addWidget(m_delete);
    column->addLayout(buttons);
    resize(480, 320);

    const PhoneLists& lists = registry.lists();
    const int n = lists.privateCount();
    m_entries.assign(lists.PrivateList().begin(), lists.PrivateList().begin() + n);
    QStringList texts;
    texts.reserve(n);
    for (const PrivateEntry& e : m_entries)
        texts.append(ItemText(e));
    m_list->addItems(texts);
}

QString PrivateListWindow::ItemText(const PrivateEntry& entry) {
    return entry.Number + QLatin1Char('\t') + entry.Name;
}

bool PrivateListWindow::addEntry(const PrivateEntry& entry, QString* error) {
    const QString path = registry().lists().privatePath();
    const qint64 k = static_cast<qint64>(m_entries.size());
    const QFileInfo info(path);
    const qint64 size = info.exists() ? info.size() : 0;
    bool ok = false;
    // See PublicListWindow::addValue: records behind the end of the list must not come back.
    if (size == k * listfile::kPrivateRecordSize) {
        ok = WritePrivateRecord(path, k, entry, error);
    } else {
        std::vector<PrivateEntry> all(m_entries);
        all.push_back(entry);
        ok = RewritePrivateFile(path, all, error);
    }
    if (!ok)
        return false;
    m_entries.push_back(entry);
    m_list->addItem(ItemText(entry));
    return true;
}

bool PrivateListWindow::removeEntry(int row, QString* error) {
    std::vector<PrivateEntry> remaining(m_entries);
    remaining.erase(remaining.begin() + row);
    if (!RewritePrivateFile(registry().lists().privatePath(), remaining, error))
        return false;
    m_entries = std::move(remaining);
    return true;
}
