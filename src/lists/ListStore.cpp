#include "lists/ListStore.h"

#include "lists/ListFiles.h"
#include "platform/SafeWrite.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <utility>

namespace {
QByteArray encode(double value) {
    return EncodePublicRecord(value);
}

QByteArray encode(const PrivateEntry& entry) {
    return EncodePrivateRecord(entry);
}

// A new record normally goes right after the last entry. When the file holds more than the list
// (records behind an end marker, left by another program), writing one record there would bring
// those back to life; the file is then rewritten from the list and the new entry instead.
template <typename Entry>
bool appendEntry(const QString& path, const std::vector<Entry>& list, const Entry& entry,
                 QString* error) {
    const QByteArray record = encode(entry);
    const qint64 end = qint64(list.size()) * record.size();
    const QFileInfo info(path);
    if ((info.exists() ? info.size() : 0) == end)
        return WriteBytesAt(path, end, record, error);
    QByteArray all;
    all.reserve(end + record.size());
    for (const Entry& e : list)
        all += encode(e);
    all += record;
    return WriteFileAtomically(path, all, error);
}

std::vector<double> publicValues(const PhoneLists& tables) {
    const auto first = tables.PublicList().begin();
    return std::vector<double>(first, first + tables.publicCount());
}

std::vector<PrivateEntry> privateEntries(const PhoneLists& tables) {
    const auto first = tables.PrivateList().begin();
    return std::vector<PrivateEntry>(first, first + tables.privateCount());
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

bool ListStore::hasRoom(ListKind kind, QString* error) const {
    if (count(kind) < Capacity(kind))
        return true;
    if (error)
        *error = CapacityText(kind, 0, 1);
    return false;
}

bool ListStore::addPublic(double value, QString* error) {
    if (!hasRoom(ListKind::Public, error))
        return false;
    // The rows are taken from the table before it changes.
    std::vector<ListedValue>& shown = rows();
    if (!appendEntry(m_tables.publicPath(), publicValues(m_tables), value, error))
        return false;
    m_tables.LoadPublicList();
    shown.insert(shown.begin(), ListedValue{value, m_nextSeq++});
    Q_EMIT rowInserted(ListKind::Public, 0);
    return true;
}

bool ListStore::addPrivate(const PrivateEntry& entry, QString* error) {
    const int n = count(ListKind::Private);
    if (!hasRoom(ListKind::Private, error))
        return false;
    if (!appendEntry(m_tables.privatePath(), privateEntries(m_tables), entry, error))
        return false;
    m_tables.LoadPrivateList();
    Q_EMIT rowInserted(ListKind::Private, n);
    return true;
}

bool ListStore::remove(ListKind kind, int row, QString* error) {
    if (row < 0 || row >= count(kind)) {
        if (error)
            *error = QCoreApplication::translate("ListStore", "There is no entry %1 in the list.")
                         .arg(row + 1);
        return false;
    }
    if (kind == ListKind::Private) {
        std::vector<PrivateEntry> remaining = privateEntries(m_tables);
        remaining.erase(remaining.begin() + row);
        if (!RewritePrivateFile(m_tables.privatePath(), remaining, error))
            return false;
        m_tables.LoadPrivateList();
    } else {
        std::vector<ListedValue>& shown = rows();
        std::vector<ListedValue> remaining(shown);
        remaining.erase(remaining.begin() + row);
        if (!RewritePublicFile(m_tables.publicPath(), FileOrder(remaining), error))
            return false;
        m_tables.LoadPublicList();
        shown = std::move(remaining);
    }
    Q_EMIT rowRemoved(kind, row);
    return true;
}

bool ListStore::importPublic(const std::vector<double>& records, qint64* added, qint64* refused,
                             QString* error) {
    std::vector<ListedValue>& shown = rows();
    ImportResult result =
        ApplyImportRules(shown, records, m_nextSeq, std::size_t(Capacity(ListKind::Public)));
    if (!RewritePublicFile(m_tables.publicPath(), FileOrder(result.rows), error))
        return false;
    m_tables.LoadPublicList();
    const std::vector<ListedValue> before = std::exchange(shown, std::move(result.rows));
    m_nextSeq += records.size();
    *added = result.added;
    *refused = result.refused;
    Q_EMIT publicReplaced(before);
    return true;
}
