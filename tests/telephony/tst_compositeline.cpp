// Two line services behind one: device numbers, handles, notices and wave devices translated.
#include "platform/audio/RoutingWaveOut.h"
#include "platform/time/VirtualTime.h"
#include "support/FakeLineApi.h"
#include "support/FakeWaveOut.h"
#include "telephony/CompositeLineApi.h"
#include "telephony/LineStructs.h"

#include <QTest>

#include <tuple>
#include <vector>

using namespace lineabi;

namespace {

struct Notice {
    uint32_t handle, message, p1;
    bool operator==(const Notice&) const = default;
};

} // namespace

class TestCompositeLine : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void twoServicesAsOne() {
        VirtualTime time;
        FakeLineApi modems(time, 2);
        FakeLineApi sip(time, 1);
        sip.devices[0].name = QStringLiteral("SIP alice@sip.example.net");
        CompositeLineApi lines({&modems, &sip});
        std::vector<Notice> heard;
        uint32_t app = 0, count = 0;
        QCOMPARE(lines.lineInitialize(
                     &app,
                     [&](uint32_t h, uint32_t m, uintptr_t, uint32_t p1, uint32_t, uint32_t) {
                         heard.push_back({h, m, p1});
                     },
                     QStringLiteral("Hushwire"), &count),
                 0);
        QCOMPARE(count, 3u);

        // Device 2 is the SIP service's device 0.
        QByteArray caps(int(devcaps::kBufferSize), '\0');
        auto* capsBuf = reinterpret_cast<uint8_t*>(caps.data());
        writeU32(capsBuf, kTotalSize, uint32_t(caps.size()));
        QCOMPARE(lines.lineGetDevCaps(app, 2, 0x20000, 0, capsBuf), 0);
        QCOMPARE(QByteArray(caps.constData() + readU32(capsBuf, devcaps::dwLineNameOffset)),
                 QByteArray("SIP alice@sip.example.net"));
        QCOMPARE(sip.opsNamed(QStringLiteral("lineGetDevCaps")).back().args[1], 0);
        QCOMPARE(lines.lineGetDevCaps(app, 3, 0x20000, 0, capsBuf), tapi::LINEERR_BADDEVICEID);

        uint32_t modemLine = 0, sipLine = 0;
        QCOMPARE(lines.lineOpen(app, 0, &modemLine, 0x20000, 0, 7, 6, 0xC, nullptr), 0);
        QCOMPARE(lines.lineOpen(app, 2, &sipLine, 0x20000, 0, 7, 6, 0xC, nullptr), 0);
        QVERIFY(modemLine != sipLine); // both services call their handle 0x100
        QCOMPARE(modems.lineHandleOf(0), sip.lineHandleOf(0));

        // Both services number their first call alike; the program sees two calls.
        const uint32_t innerModemCall = modems.offerCall(0);
        const uint32_t innerSipCall = sip.offerCall(0);
        QCOMPARE(innerModemCall, innerSipCall);
        sip.ring(0, 1);
        time.runPosted();
        QCOMPARE(heard.size(), size_t(3));
        const uint32_t modemCall = heard[0].handle;
        const uint32_t sipCall = heard[1].handle;
        QVERIFY(modemCall != sipCall);
        QCOMPARE(heard[1], (Notice{sipCall, tapi::LINE_CALLSTATE, tapi::LINECALLSTATE_OFFERING}));
        QCOMPARE(heard[2], (Notice{sipLine, tapi::LINE_LINEDEVSTATE, tapi::LINEDEVSTATE_RINGING}));

        // Call info names the composite line and device.
        QByteArray info(int(callinfo::kBufferSize), '\0');
        auto* infoBuf = reinterpret_cast<uint8_t*>(info.data());
        writeU32(infoBuf, kTotalSize, uint32_t(info.size()));
        QCOMPARE(lines.lineGetCallInfo(sipCall, infoBuf), 0);
        QCOMPARE(readU32(infoBuf, callinfo::hLine), sipLine);
        QCOMPARE(readU32(infoBuf, callinfo::dwLineDeviceID), 2u);

        // Operations reach the right service with its own handle.
        QVERIFY(lines.lineAnswer(sipCall, "", 0) > 0);
        QCOMPARE(sip.opsNamed(QStringLiteral("lineAnswer")).back().args[0], qint64(innerSipCall));
        QCOMPARE(modems.count(QStringLiteral("lineAnswer")), 0);
        time.runPosted();
        QCOMPARE(heard.back(),
                 (Notice{sipCall, tapi::LINE_CALLSTATE, tapi::LINECALLSTATE_CONNECTED}));

        // Wave device n plays on line device n, and leads back to its service.
        QByteArray id(int(varstring::kBufferSize), '\0');
        auto* idBuf = reinterpret_cast<uint8_t*>(id.data());
        writeU32(idBuf, kTotalSize, uint32_t(id.size()));
        QCOMPARE(lines.lineGetID(sipLine, 0, sipCall, tapi::LINECALLSELECT_CALL, idBuf,
                                 QStringLiteral("wave/out")),
                 0);
        const int32_t wave = int32_t(readU32(idBuf, readU32(idBuf, varstring::dwStringOffset)));
        QCOMPARE(wave, 2);
        size_t service = 9;
        int32_t localWave = -1;
        QVERIFY(lines.waveDeviceOf(wave, &service, &localWave));
        QCOMPARE(std::tie(service, localWave), std::make_tuple(size_t(1), 0));
        QVERIFY(!lines.waveDeviceOf(3, &service, &localWave));
        FakeWaveOut pcOut, modemOut, sipOut;
        RoutingWaveOut router(pcOut, &modemOut);
        router.setDeviceRoute([&](int32_t device, int32_t* local) -> WaveOut* {
            size_t s = 0;
            if (!lines.waveDeviceOf(device, &s, local))
                return nullptr;
            return s == 0 ? static_cast<WaveOut*>(&modemOut) : &sipOut;
        });
        WaveFormatEx format{1, 1, 8000, 8000, 1, 8, 0};
        WaveOutHandle handle = 0;
        QCOMPARE(router.waveOutOpen(&handle, wave, &format, {}, 0, 0), wave::MMSYSERR_NOERROR);
        QCOMPARE(sipOut.lastDeviceId, 0);
        QCOMPARE(modemOut.openCount(), 0);
        QCOMPARE(router.waveOutOpen(&handle, 3, &format, {}, 0, 0), wave::MMSYSERR_BADDEVICEID);

        // A deallocated call's handle is gone; shutdown reaches every service.
        QVERIFY(lines.lineDrop(sipCall, "", 0) > 0);
        time.runPosted();
        QCOMPARE(lines.lineDeallocateCall(sipCall), 0);
        QCOMPARE(lines.lineAnswer(sipCall, "", 0), tapi::LINEERR_INVALCALLHANDLE);
        QCOMPARE(lines.lineDeallocateCall(modemCall), 0);
        QCOMPARE(lines.lineClose(sipLine), 0);
        QCOMPARE(lines.lineSetStatusMessages(sipLine, 0, 0), tapi::LINEERR_INVALLINEHANDLE);
        QCOMPARE(lines.lineShutdown(app), 0);
        QVERIFY(!modems.initialized() && !sip.initialized());
        const size_t before = heard.size();
        modems.offerCall(1);
        time.runPosted();
        QCOMPARE(heard.size(), before);
    }

    void serviceThatCannotStart() {
        VirtualTime time;
        FakeLineApi modems(time, 2);
        FakeLineApi sip(time, 1);
        CompositeLineApi lines({&modems, &sip});
        uint32_t app = 0, count = 0;
        sip.failOperation(QStringLiteral("lineInitialize"), tapi::LINEERR_NODRIVER);
        QCOMPARE(lines.lineInitialize(&app, {}, {}, &count), 0);
        QCOMPARE(count, 2u);
        QCOMPARE(lines.lineShutdown(app), 0);
        QCOMPARE(sip.count(QStringLiteral("lineShutdown")), 0);
        modems.failOperation(QStringLiteral("lineInitialize"), tapi::LINEERR_RESOURCEUNAVAIL);
        QCOMPARE(lines.lineInitialize(&app, {}, {}, &count), tapi::LINEERR_RESOURCEUNAVAIL);
    }
};

QTEST_GUILESS_MAIN(TestCompositeLine)
#include "tst_compositeline.moc"
