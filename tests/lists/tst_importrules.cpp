#include "lists/ImportRules.h"
#include "lists/ListFiles.h"
#include "support/ReferenceImport.h"

#include <QRandomGenerator>
#include <QTest>
#include <limits>

namespace {
std::vector<double> valuesOf(const std::vector<ListedValue>& rows) {
    std::vector<double> v;
    for (const ListedValue& r : rows)
        v.push_back(r.value);
    return v;
}

QByteArray databaseOf(std::initializer_list<double> values) {
    QByteArray data;
    for (double v : values)
        data += EncodePublicRecord(v);
    return data;
}
} // namespace

class TestImportRules : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void rules_data();
    void rules();
    void reapplyingAFileAddsNothing();
    void readingStopsAtZeroAndAtTheRecordLimit();
    void appendedRowsFollowEveryEntryInFileOrder();
    void onlyWhatWouldLengthenAFullListIsRefused();
    void matchesTheReferenceWalkOnRandomLists();
};

void TestImportRules::rules_data() {
    QTest::addColumn<std::vector<double>>("list");
    QTest::addColumn<std::vector<double>>("records");
    QTest::addColumn<std::vector<double>>("expected");
    QTest::addColumn<qint64>("added");

    using V = std::vector<double>;
    QTest::newRow("empty list takes negatives in order")
        << V{} << V{-111, -222} << V{-111, -222} << qint64(2);
    QTest::newRow("own entry replaced by taken-over one")
        << V{111} << V{-111} << V{-111} << qint64(1);
    QTest::newRow("positive withdraws taken-over entry") << V{-111} << V{111} << V{} << qint64(0);
    // A withdrawal is never added, also not as the first record into an empty list.
    QTest::newRow("positive into empty list is ignored") << V{} << V{111, 222} << V{} << qint64(0);
    QTest::newRow("positive then negative into empty list")
        << V{} << V{111, -222} << V{-222} << qint64(1);
    QTest::newRow("already taken over") << V{333, -111} << V{-111} << V{333, -111} << qint64(0);
    QTest::newRow("own entry above taken-over: the topmost decides")
        << V{111, -111} << V{-111} << V{-111, -111} << qint64(1);
    QTest::newRow("taken-over above own: nothing changes")
        << V{-111, 111} << V{-111} << V{-111, 111} << qint64(0);
    QTest::newRow("withdraws only the topmost copy")
        << V{-111, 5, -111} << V{111} << V{5, -111} << qint64(0);
    QTest::newRow("added then withdrawn in the same file counts nothing")
        << V{5} << V{-111, 111} << V{5} << qint64(0);
    QTest::newRow("duplicate records add once") << V{} << V{-7, -7, -7} << V{-7} << qint64(1);
    QTest::newRow("positive with no taken-over entry leaves own entries")
        << V{111} << V{111} << V{111} << qint64(0);
}

void TestImportRules::rules() {
    QFETCH(std::vector<double>, list);
    QFETCH(std::vector<double>, records);
    QFETCH(std::vector<double>, expected);
    QFETCH(qint64, added);

    std::vector<ListedValue> rows;
    for (std::size_t i = 0; i < list.size(); ++i)
        rows.push_back({list[i], i});
    const ImportResult result = ApplyImportRules(rows, records, list.size());
    QCOMPARE(valuesOf(result.rows), expected);
    QCOMPARE(result.added, added);
}

void TestImportRules::reapplyingAFileAddsNothing() {
    const std::vector<double> records{-111, -222};
    const ImportResult first = ApplyImportRules({}, records, 0);
    QCOMPARE(first.added, qint64(2));
    const ImportResult second = ApplyImportRules(first.rows, records, 2);
    QCOMPARE(second.added, qint64(0));
    QCOMPARE(second.rows, first.rows);
}

void TestImportRules::readingStopsAtZeroAndAtTheRecordLimit() {
    QCOMPARE(ReadDatabaseRecords(databaseOf({-1, -2, 0, -3})), (std::vector<double>{-1, -2}));
    // A trailing partial record and values that name no number are not records.
    QByteArray odd = databaseOf({-1, std::numeric_limits<double>::quiet_NaN(),
                                 -std::numeric_limits<double>::infinity(), -2});
    odd += QByteArray(5, '\x11');
    QCOMPARE(ReadDatabaseRecords(odd), (std::vector<double>{-1, -2}));
    QVERIFY(ReadDatabaseRecords({}).empty());

    QByteArray big;
    for (int i = 1; i <= kMaxDatabaseRecords + 10; ++i)
        big += EncodePublicRecord(-double(i));
    const std::vector<double> records = ReadDatabaseRecords(big);
    QCOMPARE(qint64(records.size()), kMaxDatabaseRecords);
    QCOMPARE(records.back(), -double(kMaxDatabaseRecords));
}

void TestImportRules::appendedRowsFollowEveryEntryInFileOrder() {
    // Window order 333, 222 (own, newest first), -9 (taken over); file order 222, -9, 333.
    const std::vector<ListedValue> rows{{333, 2}, {222, 0}, {-9, 1}};
    const ImportResult result = ApplyImportRules(rows, {-222, -5}, 3);
    QCOMPARE(valuesOf(result.rows), (std::vector<double>{333, -9, -222, -5}));
    QCOMPARE(FileOrder(result.rows), (std::vector<double>{-9, 333, -222, -5}));
}

void TestImportRules::onlyWhatWouldLengthenAFullListIsRefused() {
    // A full list of two: a new number is refused, an own entry still becomes taken over, and a
    // withdrawal makes room for the next new number.
    const std::vector<ListedValue> rows{{1, 0}, {-5, 1}};
    const ImportResult result = ApplyImportRules(rows, {-3, -1, 5, -4, -6}, 2, 2);
    QCOMPARE(valuesOf(result.rows), (std::vector<double>{-1, -4}));
    QCOMPARE(result.added, qint64(2));
    QCOMPARE(result.refused, qint64(2));
}

void TestImportRules::matchesTheReferenceWalkOnRandomLists() {
    QRandomGenerator rng(20261207);
    for (int round = 0; round < 2000; ++round) {
        // Few distinct numbers, so that own, taken-over and withdrawn entries meet often.
        const int span = 1 + int(rng.bounded(6));
        auto randomValue = [&] {
            const double v = 1 + rng.bounded(span);
            return rng.bounded(2) ? v : -v;
        };
        std::vector<ListedValue> rows;
        const int n = int(rng.bounded(12));
        for (int i = 0; i < n; ++i)
            rows.push_back({randomValue(), quint64(rng.bounded(1000))});
        std::vector<double> records;
        const int m = int(rng.bounded(12));
        for (int i = 0; i < m; ++i)
            records.push_back(randomValue());

        const ImportResult fast = ApplyImportRules(rows, records, 1000);
        const ImportResult slow = ReferenceImport(rows, records, 1000);
        QCOMPARE(fast.rows, slow.rows);
        QCOMPARE(FileOrder(fast.rows), FileOrder(slow.rows));
        QCOMPARE(fast.added, slow.added);
    }
}

QTEST_GUILESS_MAIN(TestImportRules)
#include "tst_importrules.moc"
