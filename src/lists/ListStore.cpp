#include "lists/ListStore.h"

#include "lists/ListFiles.h"
#include "platform/DataFileLock.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <algorithm>
#include <utility>

namespace {
std::vector<double> publicValues(const PhoneLists& tables) {
    const auto first = tables.PublicList().begin();
    return std::vector<double>(first, first + tables.publicCount());
}

std::vector<PrivateEntry> privateEntries(const PhoneLists& tables) {
    const auto first = tables.PrivateList().begin();
    return std::vector<PrivateEntry>(first, first + tables.privateCount());
}

std::vector<double> decode(const QByteArray& data, const double*) {
    return DecodePublicFile(data);
}

std::vector<PrivateEntry> decode(const QByteArray& data, const PrivateEntry*) {
    return DecodePrivateFile(data);
}

QByteArray encode(const std::vector<double>& values) {
    return EncodePublicFile(values);
}

QByteArray encode(const std::vector<PrivateEntry>& entries) {
    return EncodePrivateFile(entries);
}

bool sameEntry(const PrivateEntry& a, const PrivateEntry& b) {
    return a.Name == b.Name && a.Number == b.Number;
}

// The one row where after differs from before by a single inserted (or, swapped, removed) row;
// -1 when they differ otherwise.
template <typename Row, typename Same>
int singleInsertion(const std::vector<Row>& before, const std::vector<Row>& after, Same same) {
    if (after.size() != before.size() + 1)
        return -1;
    std::size_t at = 0;
    while (at < before.size() && same(before[at], after[at]))
        ++at;
    for (std::size_t i = at; i < before.size(); ++i) {
        if (!same(before[i], after[i + 1]))
            return -1;
    }
    return int(at);
}

bool sameValue(const ListedValue& a, const ListedValue& b) {
    return a.value == b.value;
}
} // namespace

ListStore::ListStore(PhoneLists& tables, QObject* parent) : QObject(parent), m_tables(tables) {}

QString ListStore::folder() const {
    return QFileInfo(m_tables.publicPath()).absolutePath();
}

int ListStore::Capacity(ListKind kind) {
    return kind == ListKind::Public ? PhoneLists::kPublicCapacity : PhoneLists::kPrivateCapacity;
}

QString ListStore::CapacityText(ListKind kind, qint64 added, qint64 refused) {
    return QCoreApplication::translate(
               "ListStore", "The %1 list holds at most %2 entries.\nAdded: %3. Did not fit: %4.")
        .arg(kind == ListKind::Public
                 ? QCoreApplication::translate("ListStore", "public telemarketer")
                 : QCoreApplication::translate("ListStore", "private black"))
        .arg(Capacity(kind))
        .arg(added)
        .arg(refused);
}

void ListStore::load() {
    m_tables.LoadPhoneLists();
    restartPublicOrder();
}

void ListStore::restartPublicOrder() {
    m_publicRows.reset();
}

const std::vector<ListedValue>& ListStore::publicRows() const {
    if (!m_publicRows) {
        const std::vector<double> values = publicValues(m_tables);
        m_publicRows = WindowOrder(values);
        m_nextSeq = values.size();
    }
    return *m_publicRows;
}

std::vector<ListedValue>& ListStore::rows() {
    publicRows();
    return *m_publicRows;
}

int ListStore::count(ListKind kind) const {
    return kind == ListKind::Public ? m_tables.publicCount() : m_tables.privateCount();
}

template <typename Entry, typename Change>
bool ListStore::changeLocked(ListKind kind, Change change, QString* error,
                             std::optional<double> ownAdd) {
    const QString path = kind == ListKind::Public ? m_tables.publicPath() : m_tables.privatePath();
    bool changed = false;
    const bool written = RewriteLocked(
        path,
        [&](const QByteArray& current) -> std::optional<QByteArray> {
            std::vector<Entry> entries = decode(current, static_cast<const Entry*>(nullptr));
            if (!change(entries))
                return std::nullopt;
            changed = true;
            return encode(entries);
        },
        error);
    // What the file holds now is shown, whether this change was made or not: the lock's
    // re-read may have found changes made by others. A file that could not be read or written
    // leaves the list as it is shown.
    if (written)
        takeUp(kind, ownAdd);
    return written && changed;
}

void ListStore::reload(ListKind kind) {
    takeUp(kind);
}

void ListStore::takeUp(ListKind kind, std::optional<double> ownAdd) {
    if (kind == ListKind::Private) {
        const std::vector<PrivateEntry> before = privateEntries(m_tables);
        m_tables.LoadPrivateList();
        const std::vector<PrivateEntry> after = privateEntries(m_tables);
        if (before.size() == after.size() &&
            std::equal(before.begin(), before.end(), after.begin(), sameEntry))
            return;
        if (const int row = singleInsertion(before, after, sameEntry); row >= 0)
            Q_EMIT rowInserted(kind, row);
        else if (const int gone = singleInsertion(after, before, sameEntry); gone >= 0)
            Q_EMIT rowRemoved(kind, gone);
        else
            Q_EMIT privateReplaced();
        return;
    }
    // The rows as shown until now, built from the table before it changes.
    std::vector<ListedValue> before = publicRows();
    m_tables.LoadPublicList();
    const std::vector<double> values = publicValues(m_tables);
    *m_publicRows = FollowFile(before, values);
    m_nextSeq = values.size();
    if (ownAdd) {
        // This program's own new entry is shown on top whatever its sign: the newest place in
        // the file that holds its value.
        std::vector<ListedValue>& rows = *m_publicRows;
        auto own = rows.end();
        for (auto it = rows.begin(); it != rows.end(); ++it) {
            if (it->value == *ownAdd && (own == rows.end() || it->fileSeq > own->fileSeq))
                own = it;
        }
        if (own != rows.end())
            std::rotate(rows.begin(), own, own + 1);
    }
    const std::vector<ListedValue>& after = *m_publicRows;
    if (before.size() == after.size() &&
        std::equal(before.begin(), before.end(), after.begin(), sameValue)) {
        return;
    }
    if (const int row = singleInsertion(before, after, sameValue); row >= 0)
        Q_EMIT rowInserted(kind, row);
    else if (const int gone = singleInsertion(after, before, sameValue); gone >= 0)
        Q_EMIT rowRemoved(kind, gone);
    else
        Q_EMIT publicReplaced(before);
}

bool ListStore::addPublic(double value, QString* error, bool* alreadyListed) {
    bool full = false;
    bool listed = false;
    const bool added = changeLocked<double>(
        ListKind::Public,
        [&](std::vector<double>& values) {
            listed =
                alreadyListed && std::find(values.begin(), values.end(), value) != values.end();
            full = !listed && int(values.size()) >= Capacity(ListKind::Public);
            if (listed || full)
                return false;
            values.push_back(value);
            return true;
        },
        error, value);
    if (alreadyListed)
        *alreadyListed = listed;
    if (full && error)
        *error = CapacityText(ListKind::Public, 0, 1);
    return added || listed;
}

bool ListStore::addPrivate(const PrivateEntry& entry, QString* error, bool* alreadyListed) {
    bool full = false;
    bool listed = false;
    const QString number = entry.Number.trimmed();
    const bool added = changeLocked<PrivateEntry>(
        ListKind::Private,
        [&](std::vector<PrivateEntry>& entries) {
            listed = alreadyListed &&
                     std::any_of(entries.begin(), entries.end(), [&](const PrivateEntry& e) {
                         return e.Number.trimmed() == number;
                     });
            full = !listed && int(entries.size()) >= Capacity(ListKind::Private);
            if (listed || full)
                return false;
            entries.push_back(entry);
            return true;
        },
        error);
    if (alreadyListed)
        *alreadyListed = listed;
    if (full && error)
        *error = CapacityText(ListKind::Private, 0, 1);
    return added || listed;
}

bool ListStore::remove(ListKind kind, int row, QString* error) {
    if (row < 0 || row >= count(kind)) {
        if (error)
            *error = QCoreApplication::translate("ListStore", "There is no entry %1 in the list.")
                         .arg(row + 1);
        return false;
    }
    // The file may have changed since the row was shown: the entry is found again by its value,
    // at its known place when it is still there.
    QString failure;
    bool ok = true;
    if (kind == ListKind::Private) {
        const PrivateEntry gone = m_tables.PrivateList()[std::size_t(row)];
        ok = changeLocked<PrivateEntry>(
                 kind,
                 [&](std::vector<PrivateEntry>& entries) {
                     std::size_t at = std::size_t(row);
                     if (at >= entries.size() || !sameEntry(entries[at], gone))
                         at = std::size_t(
                             std::find_if(entries.begin(), entries.end(),
                                          [&](const auto& e) { return sameEntry(e, gone); }) -
                             entries.begin());
                     if (at >= entries.size())
                         return false;
                     entries.erase(entries.begin() + qsizetype(at));
                     return true;
                 },
                 &failure) ||
             failure.isEmpty();
    } else {
        const ListedValue gone = rows()[std::size_t(row)];
        ok = changeLocked<double>(
                 kind,
                 [&](std::vector<double>& values) {
                     std::size_t at = std::size_t(gone.fileSeq);
                     if (at >= values.size() || values[at] != gone.value)
                         at = std::size_t(std::find(values.begin(), values.end(), gone.value) -
                                          values.begin());
                     if (at >= values.size())
                         return false;
                     values.erase(values.begin() + qsizetype(at));
                     return true;
                 },
                 &failure) ||
             failure.isEmpty();
    }
    if (!ok && error)
        *error = failure;
    return ok;
}

bool ListStore::importPublic(const std::vector<double>& records, qint64* added, qint64* refused,
                             QString* error) {
    ImportResult result;
    const std::vector<ListedValue> shown = rows();
    QString failure;
    const bool written = changeLocked<double>(
        ListKind::Public,
        [&](std::vector<double>& values) {
            // The rules apply to the list as the file holds it now, in the window's order.
            const std::vector<ListedValue> current = FollowFile(shown, values);
            result = ApplyImportRules(current, records, values.size(),
                                      std::size_t(Capacity(ListKind::Public)));
            values = FileOrder(result.rows);
            return true;
        },
        &failure);
    if (!written) {
        if (error)
            *error = failure;
        return false;
    }
    *added = result.added;
    *refused = result.refused;
    return true;
}
