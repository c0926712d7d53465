#pragma once

#include "lists/ListKind.h"

#include <QObject>
#include <QPointer>
#include <QString>

class Clock;
class EntryDialog;
class ListStore;
class PrivateListWindow;
class PublicListWindow;
class QWidget;

// Owns the phone-list windows and their add dialogs, so that every path to a list (the main
// window's menus, a list window's Add button, the call log's popup menu) meets the same objects:
// at any time there is at most one window and at most one add dialog per list. Windows and
// dialogs send their edits to the list store, which writes the files.
class ListWindows : public QObject {
    Q_OBJECT
public:
    ListWindows(ListStore& store, const Clock& clock, QObject* parent = nullptr);
    ~ListWindows() override;

    ListStore& store() const { return m_store; }
    const Clock& clock() const { return m_clock; }
    // The folder of the list files; share files are written there and imports start there.
    QString folder() const;

    // The list window if it exists, else nullptr.
    PublicListWindow* existingPublicWindow() const;
    PrivateListWindow* existingPrivateWindow() const;

    // Shows the list window modal, owned by owner (the main window). Returns at once; closing the
    // window destroys it, and the next show creates it afresh from the store.
    PublicListWindow* showPublicWindow(QWidget* owner);
    PrivateListWindow* showPrivateWindow(QWidget* owner);

    // Opens the add dialog modal over owner (a list window's Add button). A dialog of the same
    // list that is already open (opened from the call log) is brought over owner with what the
    // user typed, instead of a second one.
    EntryDialog* openEntryDialog(ListKind kind, QWidget* owner);
    // Opens the add dialog modeless without an owner, with number in its number field and the
    // keyboard focus there (the call log's popup menu).
    EntryDialog* openEntryDialogFromLog(ListKind kind, const QString& number);
    // The open add dialog of the list, or nullptr.
    EntryDialog* entryDialog(ListKind kind) const;

    // Called by a window or dialog that is closing (and will be destroyed): from now on it is no
    // longer the list's window or dialog.
    void forget(const QObject* closing);

private:
    template <typename W> W* showWindow(QPointer<W>& slot, QWidget* owner);
    EntryDialog* dialogFor(ListKind kind, QWidget* owner);

    ListStore& m_store;
    const Clock& m_clock;
    QPointer<PublicListWindow> m_public;
    QPointer<PrivateListWindow> m_private;
    QPointer<EntryDialog> m_publicDialog;
    QPointer<EntryDialog> m_privateDialog;
};
