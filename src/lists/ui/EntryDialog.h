#pragma once

#include "lists/ListKind.h"

#include <QWidget>

class ListStore;
class QLabel;
class QLineEdit;
class QPushButton;

// The add dialog of a phone list: frmPBAdd adds a number to the public list, frmPBAddprv a number
// with a name to the private list. The dialog holds nothing but what the user typed: at OK it
// checks the number, hands the entry to the list store (which writes the list file, updates the
// in-memory table and any open list window) and closes. Enter in the number field moves on
// (private) or stores (public); Enter in the name field stores; the buttons themselves ignore Enter
// and Escape.
class EntryDialog : public QWidget {
    Q_OBJECT
public:
    EntryDialog(ListStore& store, ListKind kind, QWidget* owner);

    ListKind kind() const { return m_kind; }
    QLineEdit* numberField() const { return m_number; }
    QLineEdit* nameField() const { return m_name; }

    // Shows the dialog, brings it to the front and puts the focus into the number field.
    void present();
    // The OK button: stores the entry and closes, or explains why not and stays open.
    void accept();

Q_SIGNALS:
    // The dialog closed (and is about to be deleted): it can no longer be shown.
    void closed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    bool storePublic();
    bool storePrivate();
    QString listTitle() const;
    void refuseNumber();
    // Says why the store did not take the entry; returns false.
    bool refuseStore(const QString& error);

    ListStore& m_store;
    ListKind m_kind;
    QLineEdit* m_number;
    QLineEdit* m_name;
    QLabel* m_nameLabel;
    QPushButton* m_ok;
    QPushButton* m_cancel;
};
