#include "shell/CallLogListBox.h"

#include <QListWidget>

void CallLogListBox::addItem(const QString& text) {
    m_list.addItem(text);
}

int CallLogListBox::count() const {
    return m_list.count();
}

void CallLogListBox::setCurrentIndex(int index) {
    // An index outside the list clears the selection rather than selecting nothing in particular.
    m_list.setCurrentRow(index >= 0 && index < m_list.count() ? index : -1);
}

int CallLogListBox::currentIndex() const {
    return m_list.currentRow();
}

QString CallLogListBox::item(int index) const {
    const QListWidgetItem* entry = m_list.item(index);
    return entry ? entry->text() : QString();
}
