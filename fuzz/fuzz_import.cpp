// A shared number database file (.pnd) of any content merged into a public list of any content:
// the indexed import must agree with the plain walk over the list and keep every row's file key.
//
// Input layout: byte 0 is the mode and byte 1 the split between the list and the database.
// Mode bit 0 set: every byte of both parts is one small signed value (so values collide often and
// the withdraw/replace rules get exercised); clear: both parts are raw 8-byte records.
#include "FuzzSupport.h"

#include "lists/ImportRules.h"
#include "lists/ListFiles.h"
#include "support/ReferenceImport.h"

#include <cmath>
#include <set>

namespace {

QByteArray asRecords(const uint8_t* data, size_t size, bool compact) {
    if (!compact)
        return QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
    QByteArray out;
    for (size_t i = 0; i < size; ++i)
        out += EncodePublicRecord(double(int8_t(data[i])));
    return out;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2)
        return 0;
    const bool compact = data[0] & 1;
    const size_t split = (size_t(data[1]) * (size - 2)) / 255;
    const QByteArray listBytes = asRecords(data + 2, split, compact);
    const QByteArray pnd = asRecords(data + 2 + split, size - 2 - split, compact);

    const std::vector<double> records = ReadDatabaseRecords(pnd);
    fuzzsupport::check(qint64(records.size()) <= kMaxDatabaseRecords &&
                           qint64(records.size()) <= pnd.size() / listfile::kPublicRecordSize,
                       "more records than the file holds");
    for (double x : records)
        fuzzsupport::check(std::isfinite(x) && x != 0, "record that names no number");

    const std::vector<double> file = ReadDatabaseRecords(listBytes);
    const std::vector<ListedValue> rows = WindowOrder(file);
    const quint64 nextSeq = file.size();
    const ImportResult result = ApplyImportRules(rows, records, nextSeq);

    // Every row keeps a distinct file key; new rows follow all old ones.
    std::set<quint64> keys;
    for (const ListedValue& r : result.rows) {
        fuzzsupport::check(keys.insert(r.fileSeq).second, "two rows share a file key");
        fuzzsupport::check(r.fileSeq < nextSeq + records.size(), "file key out of range");
    }
    fuzzsupport::check(result.added >= 0 && size_t(result.added) <= records.size(),
                       "added count out of range");
    const std::vector<double> order = FileOrder(result.rows);
    fuzzsupport::check(order.size() == result.rows.size(), "file order lost rows");

    // The plain walk is quadratic: compare on small inputs only.
    if (rows.size() <= 200 && records.size() <= 200) {
        const ImportResult reference = ReferenceImport(rows, records, nextSeq);
        fuzzsupport::check(reference.rows == result.rows, "rows differ from the plain walk");
        fuzzsupport::check(reference.added == result.added, "added differs from the plain walk");
    }

    // Written back and read again, the file gives the same values (what the next start sees).
    QByteArray written;
    for (double v : order)
        written += EncodePublicRecord(v);
    const std::vector<double> again = ReadDatabaseRecords(written);
    fuzzsupport::check(again == order, "rewritten list reads back differently");
    return 0;
}
