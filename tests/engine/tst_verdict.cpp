// The caller-ID verdict and the dispatch of line notices, through the fake telephony service.
#include "engine/Verdict.h"
#include "support/EngineHarness.h"

#include <QRandomGenerator>
#include <QTest>

namespace {
const QString kSuffix = QStringLiteral("                         Blocked");
constexpr uint32_t ADDRESS = tapi::LINECALLPARTYID_ADDRESS;
constexpr uint32_t NAME = tapi::LINECALLPARTYID_NAME;
constexpr uint32_t BLOCKED = tapi::LINECALLPARTYID_BLOCKED;
constexpr uint32_t OUTOFAREA = tapi::LINECALLPARTYID_OUTOFAREA;
constexpr uint32_t UNKNOWN = tapi::LINECALLPARTYID_UNKNOWN;
} // namespace

class TestVerdict : public QObject {
    Q_OBJECT

private:
    // Starts four lines with the lists used by the verdict cases, offers a call on line 1 and
    // drops the "Ring..." and "is ready" lines from the log.
    void prepare(EngineHarness& h, int blockUnknown) {
        h.start();
        h.writeMessage(); // a blocked call plays it, so the log holds only the verdict
        h.setPublicList({5551234567.0, -8005550000.0, 123456.0, 7775551212.0});
        h.setPrivateList({{QStringLiteral("Pest"), QStringLiteral("555-0000")},
                          {QStringLiteral("Zero"), QStringLiteral("0123456")},
                          {QStringLiteral("Blank"), QString()},
                          {QStringLiteral("Both"), QStringLiteral("7775551212")}});
        h.options.blockUnknown = blockUnknown;
        h.applyOptions();
    }

private Q_SLOTS:
    void verdict_data() {
        QTest::addColumn<uint>("flags");
        QTest::addColumn<QByteArray>("number");
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<int>("blockUnknown");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<bool>("answered");

        const QString cid = QStringLiteral("CallerID:");
        QTest::newRow("public, no name")
            << (ADDRESS) << QByteArray("5551234567") << QByteArray() << 0
            << QStringList{cid + u"5551234567"_qs + kSuffix} << true;
        QTest::newRow("public, with name")
            << (ADDRESS | NAME) << QByteArray("5551234567") << QByteArray("ACME SALES") << 0
            << QStringList{cid + u"5551234567 [ACME SALES]"_qs + kSuffix} << true;
        QTest::newRow("negative public entry matches its positive number")
            << (ADDRESS) << QByteArray("8005550000") << QByteArray() << 0
            << QStringList{cid + u"8005550000"_qs + kSuffix} << true;
        QTest::newRow("private entry with punctuation")
            << (ADDRESS) << QByteArray("555-0000") << QByteArray() << 0
            << QStringList{cid + u"555-0000"_qs + kSuffix} << true;
        QTest::newRow("leading zero matches the private entry only")
            << (ADDRESS) << QByteArray("0123456") << QByteArray() << 0
            << QStringList{cid + u"0123456"_qs + kSuffix} << true;
        QTest::newRow("leading zero never matches a public entry")
            << (ADDRESS) << QByteArray("05551234567") << QByteArray() << 0
            << QStringList{cid + u"05551234567"_qs} << false;
        QTest::newRow("punctuation does not match a public entry")
            << (ADDRESS) << QByteArray("555-123-4567") << QByteArray() << 0
            << QStringList{cid + u"555-123-4567"_qs} << false;
        QTest::newRow("in both lists") << (ADDRESS) << QByteArray("7775551212") << QByteArray() << 0
                                       << QStringList{cid + u"7775551212"_qs + kSuffix} << true;
        QTest::newRow("not listed, with name")
            << (ADDRESS | NAME) << QByteArray("5550001111") << QByteArray("Bob") << 0
            << QStringList{cid + u"5550001111 [Bob]"_qs} << false;
        QTest::newRow("Latin-1 name")
            << (ADDRESS | NAME) << QByteArray("5550001111") << QByteArray("M\xfcller") << 0
            << QStringList{cid + QString::fromLatin1("5550001111 [M\xfcller]")} << false;
        QTest::newRow("a name reading UNKNOWN counts as no name")
            << (ADDRESS | NAME) << QByteArray("5551234567") << QByteArray("UNKNOWN") << 0
            << QStringList{cid + u"5551234567"_qs + kSuffix} << true;
        QTest::newRow("number bytes without the address flag")
            << (NAME) << QByteArray("5551234567") << QByteArray("Ann") << 0
            << QStringList{cid + u"UNKNOWN [Ann]"_qs} << false;
        QTest::newRow("out of area, not blocking unknown")
            << (OUTOFAREA) << QByteArray() << QByteArray() << 0
            << QStringList{u"Out Of Area"_qs, cid + u"UNKNOWN"_qs} << false;
        QTest::newRow("every flag line in order, blocking unknown")
            << (UNKNOWN | BLOCKED | OUTOFAREA) << QByteArray() << QByteArray() << 1
            << QStringList{u"Out Of Area"_qs, u"UNKNOWN"_qs, u"BLOCKED(PRIVATE)"_qs,
                           cid + u"UNKNOWN"_qs + kSuffix}
            << true;
        QTest::newRow("numberless block never shows the name")
            << (NAME | BLOCKED) << QByteArray() << QByteArray("Withheld Ltd") << 1
            << QStringList{u"BLOCKED(PRIVATE)"_qs, cid + u"UNKNOWN"_qs + kSuffix} << true;
        QTest::newRow("BlockUnknown other than 1 is off")
            << (UNKNOWN) << QByteArray() << QByteArray() << 2
            << QStringList{u"UNKNOWN"_qs, cid + u"UNKNOWN"_qs} << false;
        QTest::newRow("empty number never matches a blank private entry")
            << (ADDRESS) << QByteArray("") << QByteArray() << 0 << QStringList{cid + u"UNKNOWN"_qs}
            << false;
        QTest::newRow("empty number blocked as unknown")
            << (ADDRESS) << QByteArray("") << QByteArray() << 1
            << QStringList{cid + u"UNKNOWN"_qs + kSuffix} << true;
        QTest::newRow("other flag bits are ignored")
            << (ADDRESS | 0x10u | 0x40u | 0x80000000u) << QByteArray("5550001111") << QByteArray()
            << 0 << QStringList{cid + u"5550001111"_qs} << false;
    }

    void verdict() {
        QFETCH(uint, flags);
        QFETCH(QByteArray, number);
        QFETCH(QByteArray, name);
        QFETCH(int, blockUnknown);
        QFETCH(QStringList, expected);
        QFETCH(bool, answered);

        EngineHarness h;
        prepare(h, blockUnknown);
        const uint32_t call = h.line.offerCall(1);
        h.line.ring(1, 1);
        h.time.runPosted();
        h.log.clear();
        h.line.sendCallerIdRaw(call, flags, number.isEmpty() ? 0 : uint32_t(number.size() + 1), 296,
                               name.isEmpty() ? 0 : uint32_t(name.size() + 1), 600,
                               {{296, number + '\0'}, {600, name + '\0'}});
        h.time.runPosted();

        QCOMPARE(h.log.texts(), expected);
        QCOMPARE(h.line.count(QStringLiteral("lineAnswer")), answered ? 1 : 0);
        QCOMPARE(h.engine->slot(1).listed, answered && blockUnknown == 0);
        // A block stops the ring timeout; a call that rings on keeps it.
        QCOMPARE(h.time.isRunning(QStringLiteral("timRing_1")), !answered);
        if (answered) {
            const auto answers = h.line.opsNamed(QStringLiteral("lineAnswer"));
            QCOMPARE(answers.front().args, (std::vector<qint64>{call, 0}));
        }
    }

    // The verdict alone: blocking numberless callers goes before the lists, which are searched
    // for the text "UNKNOWN" like any other number; only the value 1 blocks them.
    void verdictOfNumberListsAndOptions() {
        EngineHarness h;
        h.setPublicList({5551234567.0});
        h.setPrivateList({{QStringLiteral("Anon"), QStringLiteral("UNKNOWN")}});
        EngineOptions options;
        QCOMPARE(ScreenVerdict(u"5551234567"_qs, *h.lists, options), Verdict::BlockedListed);
        QCOMPARE(ScreenVerdict(u"5550000000"_qs, *h.lists, options), Verdict::RingsOn);
        QCOMPARE(ScreenVerdict(u"UNKNOWN"_qs, *h.lists, options), Verdict::BlockedListed);
        options.blockUnknown = 1;
        QCOMPARE(ScreenVerdict(u"UNKNOWN"_qs, *h.lists, options), Verdict::BlockedUnknown);
        QCOMPARE(ScreenVerdict(u"5550000000"_qs, *h.lists, options), Verdict::RingsOn);
        h.setPrivateList({});
        options.blockUnknown = 2;
        QCOMPARE(ScreenVerdict(u"UNKNOWN"_qs, *h.lists, options), Verdict::RingsOn);
    }

    // Caller-ID sizes and offsets pointing anywhere: only bytes inside the 2297-byte buffer are
    // read, and an absent part reads as UNKNOWN.
    void callerIdBounds_data() {
        QTest::addColumn<uint>("size");
        QTest::addColumn<uint>("offset");
        QTest::addColumn<uint>("bytesAt");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("number");

        QTest::newRow("cut at the size")
            << 4u << 296u << 296u << QByteArray("5551234567") << u"5551"_qs;
        QTest::newRow("ends at NUL before size") << 100u << 296u << 296u
                                                 << QByteArray("555\0"
                                                               "999",
                                                               7)
                                                 << u"555"_qs;
        QTest::newRow("reaches past the end: the bytes inside")
            << 100u << 2290u << 2290u << QByteArray("1234567") << u"1234567"_qs;
        QTest::newRow("starts at the end of the buffer")
            << 5u << 2297u << 2290u << QByteArray("1234567") << u"UNKNOWN"_qs;
        QTest::newRow("huge offset")
            << 16u << 0xFFFFFFF0u << 296u << QByteArray("555") << u"UNKNOWN"_qs;
        QTest::newRow("offset and size wrap around")
            << 0xFFFFFFFFu << 0xFFFFFFFFu << 296u << QByteArray("555") << u"UNKNOWN"_qs;
        QTest::newRow("huge size")
            << 0xFFFFFFFFu << 296u << 296u << QByteArray("5551234567") << u"5551234567"_qs;
        QTest::newRow("size 0") << 0u << 296u << 296u << QByteArray("5551234567") << u"UNKNOWN"_qs;
        QTest::newRow("first byte NUL") << 8u << 296u << 296u
                                        << QByteArray("\0"
                                                      "555",
                                                      4)
                                        << u"UNKNOWN"_qs;
        // Line 0's handle 0x100 starts with a NUL byte.
        QTest::newRow("offset into the line handle")
            << 3u << 12u << 500u << QByteArray("x") << u"UNKNOWN"_qs;
    }

    void callerIdBounds() {
        QFETCH(uint, size);
        QFETCH(uint, offset);
        QFETCH(uint, bytesAt);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, number);

        EngineHarness h;
        h.start();
        const uint32_t call = h.line.offerCall(0);
        h.time.runPosted();
        h.line.sendCallerIdRaw(call, ADDRESS, size, offset, 0, 0, {{bytesAt, bytes}});
        h.time.runPosted();
        QCOMPARE(h.engine->callerNumber(), number);
        QCOMPARE(h.log.texts().last(), QStringLiteral("CallerID:") + number);
    }

    // A whole information buffer of random bytes never crashes the verdict.
    void randomCallInfo() {
        EngineHarness h;
        h.start();
        QRandomGenerator rng(7);
        for (int n = 0; n < 300; ++n) {
            const uint32_t call = h.line.offerCall(0);
            h.time.runPosted();
            QByteArray info(2297, '\0');
            for (char& c : info)
                c = char(rng.bounded(256));
            info[0] = char(0xF9); // a plausible total size
            info[1] = char(0x08);
            h.line.setCallInfo(call, info);
            h.line.sendCallerIdRaw(call, rng.generate(), rng.generate(), rng.generate(),
                                   rng.generate(), rng.generate());
            h.time.runPosted();
            QVERIFY(h.log.texts().last().startsWith(u"CallerID:"));
        }
    }

    void dispatch() {
        EngineHarness h;
        h.start();
        const uint32_t call = h.incomingCall(0, "5550001111");
        QCOMPARE(h.engine->slot(0).callHandle, call);
        h.log.clear();
        h.line.clearOps();

        // A caller-ID change together with other fields does not start screening.
        h.line.postNotice(call, tapi::LINE_CALLINFO, 0x8000 | 0x4000, 0, 0);
        // Unused message values are ignored, whatever their parameters.
        for (uint32_t m : {0u, 3u, 4u, 5u, 6u, 7u, 10u, 11u, 0xFFFFu})
            h.line.postNotice(call, m, 0x2, 0x8000, 5);
        // Caller ID for a call no slot holds: nothing happens to slot 0's call.
        h.line.postNotice(0xBEEF, tapi::LINE_CALLINFO, 0x8000, 0, 0);
        h.line.postNotice(0, tapi::LINE_CALLINFO, 0x8000, 0, 0);
        // States the engine does not follow.
        for (uint32_t s : {0x4u, 0x8u, 0x10u, 0x20u, 0x40u, 0x80u, 0x200u, 0x800u})
            h.line.postNotice(call, tapi::LINE_CALLSTATE, s, 0, 0);
        h.time.runPosted();

        QVERIFY(h.log.texts().isEmpty());
        QVERIFY2(h.line.ops.empty(), qPrintable(h.line.opNames().join(u',')));
        QVERIFY(h.time.isRunning(u"timRing_0"_qs));
        QCOMPARE(h.engine->slot(0).callHandle, call);
    }

    void offering() {
        EngineHarness h;
        h.start({0, 2});
        h.log.clear();
        // Offered on lines that are not open: ignored from start to end.
        const uint32_t stray = h.line.offerCall(1);
        h.line.ring(1, 1);
        h.line.sendCallerId(stray, ADDRESS, "5551234567", {});
        h.time.runPosted();
        QVERIFY(h.log.texts().isEmpty());
        QCOMPARE(h.line.count(u"lineAnswer"_qs), 0);

        // lineGetCallInfo failing at OFFERING: the call gets no slot.
        h.line.failOperation(u"lineGetCallInfo"_qs, tapi::LINEERR_OPERATIONFAILED);
        const uint32_t lost = h.line.offerCall(2);
        h.time.runPosted();
        h.line.clearFailures();
        h.line.sendCallerId(lost, ADDRESS, "5551234567", {});
        h.time.runPosted();
        QCOMPARE(h.engine->slot(2).callHandle, 0u);
        QVERIFY(h.log.texts().isEmpty());

        // A second offering replaces the slot's call.
        const uint32_t first = h.line.offerCall(2);
        const uint32_t second = h.line.offerCall(2);
        h.time.runPosted();
        QCOMPARE(h.engine->slot(2).callHandle, second);
        QCOMPARE(h.log.texts(), (QStringList{u"Line2 Ring..."_qs, u"Line2 Ring..."_qs}));
        h.line.sendCallerId(first, ADDRESS, "5550001111", {});
        h.time.runPosted();
        QCOMPARE(h.log.texts().size(), 2);

        // lineGetCallInfo failing at the caller ID: nothing logged, the call rings on.
        h.line.failOperation(u"lineGetCallInfo"_qs, tapi::LINEERR_OPERATIONFAILED);
        h.line.sendCallerId(second, ADDRESS, "5550001111", {});
        h.time.runPosted();
        QCOMPARE(h.log.texts().size(), 2);
    }
};

QTEST_GUILESS_MAIN(TestVerdict)
#include "tst_verdict.moc"
