#pragma once

#include "lists/ImportRules.h"
#include "lists/ListKind.h"
#include "lists/PhoneLists.h"

#include <QObject>
#include <optional>
#include <vector>

// The one writer of the two list files. Other programs (the service, the command line, another
// window, an editor) write the same files, so every change takes the file's lock, reads the file
// again, applies itself to what it finds there and writes the file atomically; nothing written
// meanwhile by another program is lost or brought back. A change is refused whole when it cannot
// be written or does not fit the list's capacity. After it, that list's in-memory table is rebuilt
// from the file, so the verdict screens with it at once. Listeners (the list windows) hear which
// rows changed and mirror them; a file changed by another program is taken up with reload().
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

    // Reads one list's file again and shows what changed (a change made by another program).
    void reload(ListKind kind);

    // Writes one entry after the last one of the file. The public entry is shown on top, the
    // private one at the bottom. Nothing is written when the list is full. When alreadyListed is
    // given, an entry the list holds already (the same value, or the same private number) is not
    // written again and *alreadyListed says so.
    bool addPublic(double value, QString* error, bool* alreadyListed = nullptr);
    bool addPrivate(const PrivateEntry& entry, QString* error, bool* alreadyListed = nullptr);
    // Rewrites the file without the entry shown at row, keeping the file order of the rest. An
    // entry another program removed meanwhile is simply gone.
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
    // The private entries were replaced as a whole.
    void privateReplaced();

private:
    std::vector<ListedValue>& rows();
    // Applies change to the entries the file holds now, under the file's lock, then takes the
    // file up. change returns false to leave the file as it is.
    // ownAdd: the public value this change adds, shown on top.
    template <typename Entry, typename Change>
    bool changeLocked(ListKind kind, Change change, QString* error,
                      std::optional<double> ownAdd = std::nullopt);
    // Rebuilds the table of kind from its file and tells the listeners how the rows changed.
    void takeUp(ListKind kind, std::optional<double> ownAdd = std::nullopt);

    PhoneLists& m_tables;
    mutable std::optional<std::vector<ListedValue>> m_publicRows;
    mutable quint64 m_nextSeq = 0;
};
