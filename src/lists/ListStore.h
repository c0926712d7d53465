#pragma once

#include "lists/ImportRules.h"
#include "lists/ListKind.h"
#include "lists/PhoneLists.h"

#include <QObject>
#include <optional>
#include <vector>

// The one writer of the two list files. Every change is refused whole when it cannot be written
// or does not fit the list's capacity; otherwise it writes the file first and then rebuilds that
// list's in-memory table, so the verdict screens with the change at once. Listeners (the list
// windows) hear which rows changed and mirror them.
//
// The public rows are kept in the order the list window shows them: the user's own entries newest
// first, the taken-over ones below in file order, and what was added since the order last started
// on top. Every row carries its place in public.tel, so a rewrite keeps the file's own order. The
// private entries are the table's, in file order.
class ListStore : public QObject {
    Q_OBJECT
public:
    // tables: the tables the verdict reads; the store rebuilds them after each change.
    explicit ListStore(PhoneLists& tables, QObject* parent = nullptr);

    const PhoneLists& tables() const { return m_tables; }
    // The folder of the list files.
    QString folder() const;
    // Most entries a list holds: a table has room for no more.
    static int Capacity(ListKind kind);

    // Rebuilds both tables from their files and starts the public order afresh.
    void load();

    // The public rows in window order. Taken from the table when first asked for after a load or
    // a restart of the order.
    const std::vector<ListedValue>& publicRows() const;
    int count(ListKind kind) const;

    // Writes one entry right after the last one of the file. The public entry is shown on top,
    // the private one at the bottom. Nothing is written when the list is full.
    bool addPublic(double value, QString* error);
    bool addPrivate(const PrivateEntry& entry, QString* error);
    // Rewrites the file without the entry shown at row, keeping the file order of the rest.
    bool remove(ListKind kind, int row, QString* error);
    // Merges the records of a shared number database into the public list and rewrites
    // public.tel. Records that would pass the capacity are refused and counted in *refused; *added
    // counts the entries added. On a write failure nothing changes.
    bool importPublic(const std::vector<double>& records, qint64* added, qint64* refused,
                      QString* error);

    // Drops the order built since the list window opened: the next reader sees the rows as a
    // newly opened window shows them.
    void restartPublicOrder();

    // Says that a change did not fit: how many entries were added and how many were refused.
    static QString CapacityText(ListKind kind, qint64 added, qint64 refused);

Q_SIGNALS:
    void rowInserted(ListKind kind, int row);
    void rowRemoved(ListKind kind, int row);
    // The public rows were replaced as a whole; before holds them as they were.
    void publicReplaced(const std::vector<ListedValue>& before);

private:
    std::vector<ListedValue>& rows();
    // Whether one more entry fits; if not, *error says so.
    bool hasRoom(ListKind kind, QString* error) const;

    PhoneLists& m_tables;
    mutable std::optional<std::vector<ListedValue>> m_publicRows;
    mutable quint64 m_nextSeq = 0;
};
