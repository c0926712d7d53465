// The LineApi bookkeeping both line services share, on a small service of its own: every
// LINEERR_* path a program can run into, and notices that arrive later with the line's instance.
#include "telephony/LineServiceBase.h"
#include "telephony/LineStructs.h"

#include <QCoreApplication>
#include <QTest>

#include <vector>

using namespace lineabi;

namespace {

// Two devices; device 1 cannot be opened. A call is offered by hand and answered only while
// offered.
class SmallLines final : public LineServiceBase {
public:
    SmallLines() : LineServiceBase(0x77, 0x500, 0x9000) {}

    int starts = 0;
    int32_t startResult = 0;
    std::vector<uint32_t> closed;

    uint32_t offer(uint32_t device) {
        auto call = newCall(device, mediaModesOf(device));
        queueNotice(call->handle, tapi::LINE_CALLSTATE, tapi::LINECALLSTATE_OFFERING, 0, 0);
        return call->handle;
    }
    void setState(uint32_t call, LineCall::State state) { findCall(call)->state = state; }

    bool isPermissionDenied(uint32_t) const override { return false; }
    QString devicePath(uint32_t) const override { return {}; }
    QString lastError(uint32_t) const override { return {}; }

private:
    uint32_t deviceCount() const override { return 2; }
    int32_t startService() override {
        ++starts;
        return startResult;
    }
    int32_t describeDevice(uint32_t, QByteArray* name, uint32_t* modes) override {
        *name = "Small line";
        *modes = tapi::LINEMEDIAMODE_INTERACTIVEVOICE;
        return 0;
    }
    int32_t openDevice(uint32_t deviceId, uint32_t, uint32_t) override {
        return deviceId == 1 ? tapi::LINEERR_RESOURCEUNAVAIL : 0;
    }
    void closeDevice(uint32_t deviceId) override { closed.push_back(deviceId); }
    void shutDownService() override {}
    bool answerCall(const std::shared_ptr<LineCall>& call) override {
        if (call->state != LineCall::State::Offering)
            return false;
        call->state = LineCall::State::Connected;
        return true;
    }
    bool dropCall(const std::shared_ptr<LineCall>& call) override {
        if (call->state == LineCall::State::Idle)
            return false;
        call->state = LineCall::State::Idle;
        return true;
    }
};

struct Heard {
    uint32_t handle, message;
    uintptr_t instance;
};

QByteArray buffer(size_t total) {
    QByteArray b(int(std::max<size_t>(total, 12)), '\0');
    writeU32(reinterpret_cast<uint8_t*>(b.data()), kTotalSize, uint32_t(total));
    return b;
}

uint8_t* bytes(QByteArray& b) {
    return reinterpret_cast<uint8_t*>(b.data());
}

} // namespace

class TestLineServiceBase : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initialisation() {
        SmallLines lines;
        uint32_t app = 0, count = 0;
        auto ignore = [](uint32_t, uint32_t, uintptr_t, uint32_t, uint32_t, uint32_t) {};
        // Nothing answers before lineInitialize.
        QCOMPARE(lines.lineNegotiateAPIVersion(0x77, 0, 0x10003, 0x30000, &app, nullptr),
                 tapi::LINEERR_INVALAPPHANDLE);
        QCOMPARE(lines.lineInitialize(nullptr, ignore, {}, &count), tapi::LINEERR_INVALPOINTER);
        QCOMPARE(lines.lineInitialize(&app, ignore, {}, nullptr), tapi::LINEERR_INVALPOINTER);

        // A service that cannot start leaves the lines uninitialised.
        lines.startResult = tapi::LINEERR_NODRIVER;
        QCOMPARE(lines.lineInitialize(&app, ignore, {}, &count), tapi::LINEERR_NODRIVER);
        uint32_t line = 0;
        QCOMPARE(lines.lineOpen(0x77, 0, &line, 0x20000, 0, 0, 6, 4, nullptr),
                 tapi::LINEERR_INVALAPPHANDLE);

        // A second lineInitialize keeps the service running and takes the new callback.
        lines.startResult = 0;
        QCOMPARE(lines.lineInitialize(&app, ignore, {}, &count), 0);
        std::vector<Heard> heard;
        QCOMPARE(lines.lineInitialize(
                     &app,
                     [&](uint32_t h, uint32_t m, uintptr_t i, uint32_t, uint32_t, uint32_t) {
                         heard.push_back({h, m, i});
                     },
                     {}, &count),
                 0);
        QCOMPARE(lines.starts, 2); // the failed start and the first good one
        QCOMPARE(app, 0x77u);
        QCOMPARE(count, 2u);
        QCOMPARE(lines.lineOpen(app, 0, &line, 0x20000, 0, 42, 6, 4, nullptr), 0);
        const uint32_t call = lines.offer(0);
        QVERIFY(heard.empty()); // never inside the call that caused it
        QCoreApplication::processEvents();
        QCOMPARE(heard.size(), size_t(1));
        QCOMPARE(heard[0].handle, call);
        QCOMPARE(heard[0].instance, uintptr_t(42));

        // After lineShutdown every handle is stale and the callback hears nothing more.
        lines.offer(0);
        QCOMPARE(lines.lineShutdown(app), 0);
        QCoreApplication::processEvents();
        QCOMPARE(heard.size(), size_t(1));
        QCOMPARE(lines.lineGetCallInfo(call, nullptr), tapi::LINEERR_INVALCALLHANDLE);
        QCOMPARE(lines.lineClose(line), tapi::LINEERR_INVALLINEHANDLE);
        QCOMPARE(lines.lineShutdown(app), tapi::LINEERR_INVALAPPHANDLE);
    }

    void badArguments() {
        SmallLines lines;
        uint32_t app = 0, count = 0, version = 0;
        QCOMPARE(lines.lineInitialize(
                     &app, [](uint32_t, uint32_t, uintptr_t, uint32_t, uint32_t, uint32_t) {}, {},
                     &count),
                 0);
        QCOMPARE(lines.lineNegotiateAPIVersion(app, 2, 0x10003, 0x30000, &version, nullptr),
                 tapi::LINEERR_BADDEVICEID);
        QCOMPARE(lines.lineNegotiateAPIVersion(app, 0, 0x10003, 0x30000, nullptr, nullptr),
                 tapi::LINEERR_INVALPOINTER);
        QCOMPARE(lines.lineNegotiateAPIVersion(app, 0, 0x30001, 0x40000, &version, nullptr),
                 tapi::LINEERR_INCOMPATIBLEAPIVERSION);
        QCOMPARE(lines.lineNegotiateAPIVersion(app, 0, 0x10003, 0x30000, &version, nullptr), 0);
        QCOMPARE(version, LineServiceBase::kApiVersion);

        QByteArray caps = buffer(devcaps::kFixedSize - 1);
        QCOMPARE(lines.lineGetDevCaps(app, 0, version, 0, bytes(caps)),
                 tapi::LINEERR_STRUCTURETOOSMALL);
        QCOMPARE(lines.lineGetDevCaps(app, 0, version, 0, nullptr), tapi::LINEERR_INVALPOINTER);
        // Room for the fixed part but not the name: the name is left out, not cut.
        caps = buffer(devcaps::kFixedSize);
        QCOMPARE(lines.lineGetDevCaps(app, 0, version, 0, bytes(caps)), 0);
        QCOMPARE(readU32(bytes(caps), devcaps::dwLineNameSize), 0u);
        QVERIFY(readU32(bytes(caps), kNeededSize) > devcaps::kFixedSize);

        uint32_t line = 0;
        QCOMPARE(lines.lineOpen(app, 0, nullptr, version, 0, 0, 6, 4, nullptr),
                 tapi::LINEERR_INVALPOINTER);
        QCOMPARE(lines.lineOpen(app, 1, &line, version, 0, 0, 6, 4, nullptr),
                 tapi::LINEERR_RESOURCEUNAVAIL);
        QCOMPARE(lines.lineSetStatusMessages(0x501, 0, 0), tapi::LINEERR_INVALLINEHANDLE);
        QCOMPARE(lines.lineOpen(app, 0, &line, version, 0, 0, 6, 4, nullptr), 0);
        QCOMPARE(lines.lineOpen(app, 0, &line, version, 0, 0, 6, 4, nullptr),
                 tapi::LINEERR_ALLOCATED);
        QCOMPARE(lines.lineSetStatusMessages(line, 0, 0), 0);

        const uint32_t call = lines.offer(0);
        QByteArray info = buffer(callinfo::kFixedSize - 1);
        QCOMPARE(lines.lineGetCallInfo(call, bytes(info)), tapi::LINEERR_STRUCTURETOOSMALL);
        QCOMPARE(lines.lineGetCallInfo(call, nullptr), tapi::LINEERR_INVALPOINTER);
        QCOMPARE(lines.lineGetCallInfo(call + 1, bytes(info)), tapi::LINEERR_INVALCALLHANDLE);
        QCOMPARE(lines.lineAnswer(call + 1, nullptr, 0), tapi::LINEERR_INVALCALLHANDLE);
        QCOMPARE(lines.lineDrop(call + 1, nullptr, 0), tapi::LINEERR_INVALCALLHANDLE);
        QCOMPARE(lines.lineMonitorDigits(call + 1, tapi::LINEDIGITMODE_DTMF),
                 tapi::LINEERR_INVALCALLHANDLE);

        QByteArray id = buffer(varstring::kFixedSize + 4);
        QCOMPARE(lines.lineGetID(line, 0, 0, 0, nullptr, QStringLiteral("wave/out")),
                 tapi::LINEERR_INVALPOINTER);
        QCOMPARE(lines.lineGetID(line, 0, 0, 0, bytes(id), QStringLiteral("comm/datamodem")),
                 tapi::LINEERR_OPERATIONFAILED);
        QCOMPARE(lines.lineGetID(line + 1, 0, 0, 0, bytes(id), QStringLiteral("wave/out")),
                 tapi::LINEERR_INVALLINEHANDLE);
        QCOMPARE(lines.lineGetID(line, 0, 0, 0, bytes(id), QStringLiteral("wave/out")), 0);
        QCOMPARE(readU32(bytes(id), varstring::kFixedSize), 0u);
        id = buffer(varstring::kFixedSize - 1);
        QCOMPARE(lines.lineGetID(line, 0, 0, 0, bytes(id), QStringLiteral("wave/out")),
                 tapi::LINEERR_STRUCTURETOOSMALL);
    }

    void callsInTheWrongState() {
        SmallLines lines;
        uint32_t app = 0, count = 0, line = 0;
        lines.lineInitialize(
            &app, [](uint32_t, uint32_t, uintptr_t, uint32_t, uint32_t, uint32_t) {}, {}, &count);
        QCOMPARE(lines.lineOpen(app, 0, &line, 0x20000, 0, 0, 6, 4, nullptr), 0);
        const uint32_t call = lines.offer(0);
        QByteArray id = buffer(varstring::kFixedSize + 4);
        // No voice channel before the call is answered, and no letting go of a live call.
        QCOMPARE(lines.lineGetID(0, 0, call, tapi::LINECALLSELECT_CALL, bytes(id),
                                 QStringLiteral("wave/out")),
                 tapi::LINEERR_INVALCALLSTATE);
        QCOMPARE(lines.lineDeallocateCall(call), tapi::LINEERR_INVALCALLSTATE);
        const int32_t first = lines.lineAnswer(call, nullptr, 0);
        QVERIFY(first > 0);
        QCOMPARE(lines.lineAnswer(call, nullptr, 0), tapi::LINEERR_INVALCALLSTATE);
        QCOMPARE(lines.lineGetID(0, 0, call, tapi::LINECALLSELECT_CALL, bytes(id),
                                 QStringLiteral("wave/out")),
                 0);
        QCOMPARE(lines.lineMonitorDigits(call, tapi::LINEDIGITMODE_DTMF), 0);
        QCOMPARE(lines.lineDrop(call, nullptr, 0), first + 1); // request ids count up
        QCOMPARE(lines.lineDrop(call, nullptr, 0), tapi::LINEERR_INVALCALLSTATE);
        QCOMPARE(lines.lineMonitorDigits(call, tapi::LINEDIGITMODE_DTMF),
                 tapi::LINEERR_INVALCALLSTATE);
        QCOMPARE(lines.lineDeallocateCall(call), 0);
        QCOMPARE(lines.lineDeallocateCall(call), tapi::LINEERR_INVALCALLHANDLE);

        // A call on a line that was closed cannot be answered.
        const uint32_t late = lines.offer(0);
        QCOMPARE(lines.lineClose(line), 0);
        QCOMPARE(lines.closed, std::vector<uint32_t>{0});
        QCOMPARE(lines.lineAnswer(late, nullptr, 0), tapi::LINEERR_INVALCALLSTATE);
        QCOMPARE(lines.lineClose(line), tapi::LINEERR_INVALLINEHANDLE);
        QCOMPARE(lines.lineSetStatusMessages(line, 0, 0), tapi::LINEERR_INVALLINEHANDLE);
    }
};

QTEST_GUILESS_MAIN(TestLineServiceBase)
#include "tst_lineservicebase.moc"
