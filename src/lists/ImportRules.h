#pragma once

#include <QByteArray>
#include <QtGlobal>
#include <vector>

// One entry of the public list window: its value and its place in public.tel. The window shows
// entries in its own order (the user's own numbers newest first, taken-over numbers below); the
// file keeps the order in which entries were written, so every row carries a key that sorts the
// rows back into file order.
struct ListedValue {
    double value = 0;
    quint64 fileSeq = 0;
    friend bool operator==(const ListedValue&, const ListedValue&) = default;
};

struct ImportResult {
    std::vector<ListedValue> rows; // the list after the import, in window order
    qint64 added = 0;              // entries the import added that are still listed at its end
    qint64 refused = 0;            // records that would have made the list longer than it may be
};

// Most records a shared number database file contributes.
constexpr qint64 kMaxDatabaseRecords = 50001;

// The records of a shared number database file (same layout as public.tel): little-endian doubles
// up to the first 0 record, the end of the data or kMaxDatabaseRecords, whichever comes first. A
// trailing partial record is not a record. Values that are not finite are skipped: they name no
// phone number, and written back to public.tel they would read as garbage.
std::vector<double> ReadDatabaseRecords(const QByteArray& data);

// Merges database records into the public list. For every record x, in order:
//  - x positive withdraws a taken-over entry: the topmost row whose value is -x is removed;
//    x itself is never added;
//  - x negative: walking from the top, the first row that is either the user's own entry for the
//    same number (value -x) or the same taken-over entry (value x) decides: the own entry is
//    removed and x appended at the bottom, an equal taken-over entry keeps the list unchanged;
//    with neither, x is appended at the bottom.
// Appended rows get file keys from nextSeq upwards, so they follow every existing entry in the
// file. A record that would lengthen a list already holding capacity rows is refused and changes
// nothing (replacing an own entry by its taken-over form keeps the length and is never refused).
// Runs in time linear in the list and the records (a hash index per value).
ImportResult ApplyImportRules(const std::vector<ListedValue>& rows,
                              const std::vector<double>& records, quint64 nextSeq,
                              std::size_t capacity = std::size_t(-1));

// The rows of a list read from public.tel, in window order: the user's own (positive) entries
// newest first, then the taken-over ones in file order; each keyed by its place in the file.
std::vector<ListedValue> WindowOrder(const std::vector<double>& fileValues);

// The rows a window shows once the file holds fileValues (another program may have changed it):
// the rows it still holds keep their places in the window, the rows it no longer holds go, and
// entries new to the window join as a newly opened window places them: the user's own entries on
// top, newest first, the taken-over ones at the bottom in file order. Every row is keyed by its
// place in fileValues.
std::vector<ListedValue> FollowFile(const std::vector<ListedValue>& shown,
                                    const std::vector<double>& fileValues);

// The values of the rows in file order (by fileSeq).
std::vector<double> FileOrder(const std::vector<ListedValue>& rows);
