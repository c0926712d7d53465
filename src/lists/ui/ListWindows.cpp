#include "lists/ui/ListWindows.h"

#include "lists/PhoneLists.h"
#include "lists/ui/EntryDialog.h"
#include "lists/ui/PrivateListWindow.h"
#include "lists/ui/PublicListWindow.h"

#include <QFileInfo>
#include <QLineEdit>

ListWindows::ListWindows(PhoneLists& lists, const Clock& clock, QObject* parent)
    : QObject(parent), m_lists(lists), m_clock(clock) {}

ListWindows::~ListWindows() {
    // Dialogs first: a modal dialog may be a child of a list window.
    delete m_publicDialog.data();
    delete m_privateDialog.data();
    delete m_public.data();
    delete m_private.data();
}

QString ListWindows::folder() const {
    return QFileInfo(m_lists.publicPath()).absolutePath();
}

PublicListWindow* ListWindows::existingPublicWindow() const {
    return m_public.data();
}

PrivateListWindow* ListWindows::existingPrivateWindow() const {
    return m_private.data();
}

PublicListWindow* ListWindows::publicWindow() {
    if (!m_public)
        m_public = new PublicListWindow(*this);
    return m_public;
}

PrivateListWindow* ListWindows::privateWindow() {
    if (!m_private)
        m_private = new PrivateListWindow(*this);
    return m_private;
}

template <typename W> W* ListWindows::showWindow(W* window, QWidget* owner) {
    if (!window->isVisible()) {
        // A hidden window (created by an add dialog) keeps its list, including what the dialog
        // added, and is now handed to its owner.
        window->setParent(owner, window->windowFlags() | Qt::Window);
        window->setWindowModality(Qt::ApplicationModal);
    }
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

PublicListWindow* ListWindows::showPublicWindow(QWidget* owner) {
    return showWindow(publicWindow(), owner);
}

PrivateListWindow* ListWindows::showPrivateWindow(QWidget* owner) {
    return showWindow(privateWindow(), owner);
}

void ListWindows::forget(const QObject* closing) {
    if (m_public == closing)
        m_public = nullptr;
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
    if (!slot)
        slot = new EntryDialog(*this, kind, owner);
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
