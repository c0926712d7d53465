#include "lists/ImportRules.h"

#include "lists/ListFiles.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <unordered_map>

std::vector<double> ReadDatabaseRecords(const QByteArray& data) {
    std::vector<double> records;
    const qint64 available = data.size() / listfile::kPublicRecordSize;
    const qint64 n = std::min(available, kMaxDatabaseRecords);
    records.reserve(static_cast<std::size_t>(n));
    for (qint64 i = 0; i < n; ++i) {
        const double x = DecodePublicRecord(data.constData() + i * listfile::kPublicRecordSize);
        if (x == 0)
            break;
        if (std::isfinite(x))
            records.push_back(x);
    }
    return records;
}

namespace {
// Rows are identified by their position in a sequence that starts with the existing rows in
// window order and continues with every appended row. Rows are only ever removed or appended at
// the bottom, so window order is the order of these positions, and the topmost row holding a
// value is the front of that value's queue.
struct ValueIndex {
    std::unordered_map<double, std::deque<std::size_t>> positions;

    std::size_t* top(double v) {
        auto it = positions.find(v);
        return it == positions.end() || it->second.empty() ? nullptr : &it->second.front();
    }
    void popTop(double v) { positions[v].pop_front(); }
    void push(double v, std::size_t pos) { positions[v].push_back(pos); }
};
} // namespace

ImportResult ApplyImportRules(const std::vector<ListedValue>& rows,
                              const std::vector<double>& records, quint64 nextSeq) {
    std::vector<ListedValue> all(rows);
    std::vector<bool> removed(rows.size(), false);
    all.reserve(rows.size() + records.size());
    removed.reserve(rows.size() + records.size());

    ValueIndex index;
    index.positions.reserve(rows.size() + records.size());
    for (std::size_t i = 0; i < rows.size(); ++i)
        index.push(rows[i].value, i);

    auto removeTop = [&](double v) {
        removed[*index.top(v)] = true;
        index.popTop(v);
    };
    auto append = [&](double v) {
        index.push(v, all.size());
        all.push_back(ListedValue{v, nextSeq++});
        removed.push_back(false);
    };

    for (const double x : records) {
        if (x == 0 || !std::isfinite(x))
            continue;
        if (x > 0) {
            if (index.top(-x))
                removeTop(-x);
            continue;
        }
        const std::size_t* own = index.top(-x);
        const std::size_t* same = index.top(x);
        if (same && (!own || *same < *own))
            continue;
        if (own)
            removeTop(-x);
        append(x);
    }

    ImportResult result;
    result.rows.reserve(all.size());
    for (std::size_t i = 0; i < all.size(); ++i) {
        if (removed[i])
            continue;
        result.rows.push_back(all[i]);
        if (i >= rows.size())
            ++result.added;
    }
    return result;
}

std::vector<double> FileOrder(const std::vector<ListedValue>& rows) {
    std::vector<ListedValue> sorted(rows);
    std::stable_sort(sorted.begin(), sorted.end(), [](const ListedValue& a, const ListedValue& b) {
        return a.fileSeq < b.fileSeq;
    });
    std::vector<double> values;
    values.reserve(sorted.size());
    for (const ListedValue& r : sorted)
        values.push_back(r.value);
    return values;
}
