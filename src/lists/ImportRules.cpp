#include "lists/ImportRules.h"

#include "lists/ListFiles.h"

#include <algorithm>
#include <bit>
#include <cmath>
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
// Phone numbers are whole values close to each other; mixing all bits of the value spreads
// them over the buckets (the standard hash of a double chains them badly here).
struct ValueHash {
    std::size_t operator()(double v) const {
        quint64 x = std::bit_cast<quint64>(v == 0 ? 0.0 : v);
        x ^= x >> 30;
        x *= 0xbf58476d1ce4e5b9ULL;
        x ^= x >> 27;
        x *= 0x94d049bb133111ebULL;
        x ^= x >> 31;
        return static_cast<std::size_t>(x);
    }
};

// Rows are identified by their position in a sequence that starts with the existing rows in
// window order and continues with every appended row. Rows are only ever removed or appended at
// the bottom, so window order is the order of these positions, and the topmost row holding a
// value is the head of that value's chain. The chains of all values share one array of links.
class ValueIndex {
public:
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

    explicit ValueIndex(std::size_t capacity) {
        m_chains.reserve(capacity);
        m_next.reserve(capacity);
    }
    std::size_t top(double v) const {
        auto it = m_chains.find(v);
        return it == m_chains.end() ? kNone : it->second.head;
    }
    void popTop(double v) {
        Chain& c = m_chains[v];
        c.head = m_next[c.head];
        if (c.head == kNone)
            c.tail = kNone;
    }
    // pos must be larger than every position pushed before.
    void push(double v, std::size_t pos) {
        m_next.resize(pos + 1, kNone);
        Chain& c = m_chains.try_emplace(v).first->second;
        if (c.tail == kNone)
            c.head = pos;
        else
            m_next[c.tail] = pos;
        c.tail = pos;
    }

private:
    struct Chain {
        std::size_t head = kNone;
        std::size_t tail = kNone;
    };
    std::unordered_map<double, Chain, ValueHash> m_chains;
    std::vector<std::size_t> m_next;
};
} // namespace

ImportResult ApplyImportRules(const std::vector<ListedValue>& rows,
                              const std::vector<double>& records, quint64 nextSeq,
                              std::size_t capacity) {
    ImportResult result;
    std::size_t length = rows.size();
    std::vector<ListedValue> all(rows);
    std::vector<bool> removed(rows.size(), false);
    all.reserve(rows.size() + records.size());
    removed.reserve(rows.size() + records.size());

    ValueIndex index(rows.size() + records.size());
    for (std::size_t i = 0; i < rows.size(); ++i)
        index.push(rows[i].value, i);

    auto removeTop = [&](double v) {
        removed[index.top(v)] = true;
        index.popTop(v);
        --length;
    };
    auto append = [&](double v) {
        index.push(v, all.size());
        all.push_back(ListedValue{v, nextSeq++});
        removed.push_back(false);
        ++length;
    };

    for (const double x : records) {
        if (x == 0 || !std::isfinite(x))
            continue;
        if (x > 0) {
            if (index.top(-x) != ValueIndex::kNone)
                removeTop(-x);
            continue;
        }
        // kNone is the largest position, so "no such row" never comes first.
        const std::size_t own = index.top(-x);
        const std::size_t same = index.top(x);
        if (same < own)
            continue;
        if (own != ValueIndex::kNone) {
            removeTop(-x);
        } else if (length >= capacity) {
            ++result.refused;
            continue;
        }
        append(x);
    }

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

std::vector<ListedValue> FollowFile(const std::vector<ListedValue>& shown,
                                    const std::vector<double>& fileValues) {
    // The file's places of each value, earliest first; a shown row takes the earliest place
    // still free that holds its value.
    std::unordered_map<double, std::vector<std::size_t>, ValueHash> places;
    places.reserve(fileValues.size());
    for (std::size_t i = fileValues.size(); i-- > 0;)
        places[fileValues[i]].push_back(i);
    std::vector<bool> taken(fileValues.size(), false);
    std::vector<ListedValue> kept;
    kept.reserve(fileValues.size());
    for (const ListedValue& row : shown) {
        auto it = places.find(row.value);
        if (it == places.end() || it->second.empty())
            continue;
        const std::size_t at = it->second.back();
        it->second.pop_back();
        taken[at] = true;
        kept.push_back(ListedValue{row.value, quint64(at)});
    }
    std::vector<ListedValue> rows;
    rows.reserve(fileValues.size());
    for (std::size_t i = fileValues.size(); i-- > 0;) {
        if (!taken[i] && !(fileValues[i] < 0))
            rows.push_back(ListedValue{fileValues[i], quint64(i)});
    }
    rows.insert(rows.end(), kept.begin(), kept.end());
    for (std::size_t i = 0; i < fileValues.size(); ++i) {
        if (!taken[i] && fileValues[i] < 0)
            rows.push_back(ListedValue{fileValues[i], quint64(i)});
    }
    return rows;
}

std::vector<ListedValue> WindowOrder(const std::vector<double>& fileValues) {
    std::vector<ListedValue> rows;
    rows.reserve(fileValues.size());
    for (std::size_t i = fileValues.size(); i-- > 0;) {
        if (!(fileValues[i] < 0))
            rows.push_back(ListedValue{fileValues[i], quint64(i)});
    }
    for (std::size_t i = 0; i < fileValues.size(); ++i) {
        if (fileValues[i] < 0)
            rows.push_back(ListedValue{fileValues[i], quint64(i)});
    }
    return rows;
}
