#include "lists/ui/ListWindows.h"

#include "lists/ListStore.h"
#include "lists/ui/EntryDialog.h"
#include "lists/ui/PrivateListWindow.h"
#include "lists/ui/PublicListWindow.h"

#include <QLineEdit>

ListWindows::ListWindows(ListStore& store, const Clock& clock, QObject* parent)
    : QObject(parent), m_store(store), m_clock(clock) {}

ListWindows::~ListWindows() {
    // Dialogs first: a modal dialog may be a child of a list window.
    delete m_publicDialog.data();
    delete m_privateDialog.data();
    delete m_public.data();
    delete m_private.data();
}

QString ListWindows::folder() const {
    return m_store.folder();
}

PublicListWindow* ListWindows::existingPublicWindow() const {
    return m_public.data();
}

PrivateListWindow* ListWindows::existingPrivateWindow() const {
    return m_private.data();
}

template <typename W> W* ListWindows::showWindow(QPointer<W>& slot, QWidget* owner) {
    if (!slot) {
        slot = new W(*this);
        slot->setParent(owner, slot->windowFlags() | Qt::Window);
        slot->setWindowModality(Qt::ApplicationModal);
    }
    W* window = slot;
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

PublicListWindow* ListWindows::showPublicWindow(QWidget* owner) {
    return showWindow(m_public, owner);
}

PrivateListWindow* ListWindows::showPrivateWindow(QWidget* owner) {
    return showWindow(m_private, owner);
}

void ListWindows::forget(const QObject* closing) {
    if (m_public == closing) {
        m_public = nullptr;
        // The next window shows the public list in its file's order again.
        m_store.restartPublicOrder();
    }
    if (m_private == closing)
        m_private = nullptr;
    if (m_publicDialog == closing)
        m_publicDialog = nullptr;
    if (m_privateDialog == closing)
        m_privateDialog = nullptr;
}

EntryDialog* ListWindows::entryDialog(ListKind kind) const {
    return kind == ListKind::Public ? m_publicDialog.data() : m_privateDialog.data();
}

EntryDialog* ListWindows::dialogFor(ListKind kind, QWidget* owner) {
    QPointer<EntryDialog>& slot = kind == ListKind::Public ? m_publicDialog : m_privateDialog;
    if (slot && slot->parentWidget() != owner) {
        // Modality and owner change only while the dialog is hidden.
        slot->hide();
        slot->setParent(owner, Qt::Dialog);
    }
    if (!slot) {
        slot = new EntryDialog(m_store, kind, owner);
        EntryDialog* dialog = slot;
        connect(dialog, &EntryDialog::closed, this, [this, dialog] { forget(dialog); });
    }
    const Qt::WindowModality modality = owner ? Qt::ApplicationModal : Qt::NonModal;
    if (slot->windowModality() != modality) {
        slot->hide();
        slot->setWindowModality(modality);
    }
    return slot;
}

EntryDialog* ListWindows::openEntryDialog(ListKind kind, QWidget* owner) {
    EntryDialog* dialog = dialogFor(kind, owner);
    dialog->present();
    return dialog;
}

EntryDialog* ListWindows::openEntryDialogFromLog(ListKind kind, const QString& number) {
    EntryDialog* dialog = dialogFor(kind, nullptr);
    dialog->numberField()->setText(number);
    dialog->present();
    return dialog;
}
