// Telephony start-up and shutdown: version negotiation, opening the chosen lines, and the
// messages shown when that fails.
#include "support/EngineHarness.h"

#include <QTest>

class TestLineSetup : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void onlyChosenLineOpens() {
        EngineHarness h;
        h.options.lines[2].mediaMode = tapi::LINEMEDIAMODE_AUTOMATEDVOICE;
        h.options.lines[0].choice = u"0"_qs;
        h.options.lines[1].choice = u" 1"_qs;
        h.options.lines[3].choice = u"true"_qs;
        h.start({2});
        QCOMPARE(h.line.count(u"lineOpen"_qs), 1);
        const auto open = h.line.opsNamed(u"lineOpen"_qs).front();
        QCOMPARE(open.args, (std::vector<qint64>{FakeLineApi::kLineApp, 2, 0x20000, 0, 0, 6,
                                                 tapi::LINEMEDIAMODE_AUTOMATEDVOICE, 0}));
        QCOMPARE(h.engine->slot(2).lineHandle, h.line.lineHandleOf(2));
        for (int i : {0, 1, 3})
            QCOMPARE(h.engine->slot(i).lineHandle, 0u);
        QCOMPARE(h.log.texts(), QStringList{u"Line2 is ready"_qs});
        QCOMPARE(h.line.opsNamed(u"lineSetStatusMessages"_qs).front().args,
                 (std::vector<qint64>{h.line.lineHandleOf(2), 2, 0}));
        QVERIFY(h.messages.messages().isEmpty());
        QCOMPARE(h.line.opsNamed(u"lineInitialize"_qs).front().text, u"Hushwire"_qs);
    }

    // Only devices 0 to 3 are negotiated; the highest agreed version opens every line, and a
    // device that does not agree is skipped.
    void negotiation() {
        EngineHarness h(6);
        h.line.devices[0].version = 0x10004;
        h.line.devices[1].version = 0x20001;
        h.line.devices[2].negotiateFails = true;
        h.line.devices[3].version = 0x10003;
        h.line.devices[5].version = 0x30000;
        h.start();
        QCOMPARE(h.engine->deviceCount(), 4);
        QCOMPARE(h.engine->apiVersion(), 0x20001u);
        const auto negotiated = h.line.opsNamed(u"lineNegotiateAPIVersion"_qs);
        QCOMPARE(negotiated.size(), size_t(4));
        for (size_t i = 0; i < negotiated.size(); ++i)
            QCOMPARE(negotiated[i].args,
                     (std::vector<qint64>{FakeLineApi::kLineApp, qint64(i), 0x10003, 0x30000}));
        for (const auto& op : h.line.opsNamed(u"lineOpen"_qs))
            QCOMPARE(op.args[2], 0x20001);
        QCOMPARE(h.log.texts().size(), 4);
    }

    void noDevices() {
        EngineHarness h(0);
        h.start({});
        QCOMPARE(h.engine->deviceCount(), 0);
        QCOMPARE(h.engine->apiVersion(), 0u);
        QCOMPARE(h.line.count(u"lineNegotiateAPIVersion"_qs), 0);
        QVERIFY(h.messages.messages().isEmpty());
    }

    void initialiseFails() {
        EngineHarness h;
        h.line.failOperation(u"lineInitialize"_qs, tapi::LINEERR_NODRIVER);
        h.engine->InitTelephony();
        QCOMPARE(h.messages.texts(),
                 QStringList{u"Compatibility problem with your modem and TAPI (Windows),please "
                             u"contact your modem provider"_qs});
        QCOMPARE(h.messages.messages().front().title, u"Hushwire"_qs);
        QCOMPARE(h.messages.messages().front().icon, MessageIcon::Critical);
        QCOMPARE(h.telephonyFailures, 1);
        QCOMPARE(h.line.count(u"lineNegotiateAPIVersion"_qs), 0);
    }

    // Failed opens show the line's error with the result in upper-case hexadecimal; the call
    // log keeps it, with the service's reason when it knows one.
    void openFails() {
        EngineHarness h(2);
        h.line.failOperationForDevice(u"lineOpen"_qs, 0, tapi::LINEERR_RESOURCEUNAVAIL);
        h.line.devices[0].lastError = u"The modem device /dev/ttyACM0 is busy."_qs;
        h.start({0, 1, 3}); // device 3 does not exist
        QCOMPARE(h.messages.texts(),
                 (QStringList{u"Line0 Error:  80000049"_qs, u"Line3 Error:  80000002"_qs}));
        for (const MessageRequest& m : h.messages.messages()) {
            QCOMPARE(m.title, u"Hushwire"_qs);
            QCOMPARE(m.icon, MessageIcon::Critical);
        }
        QCOMPARE(h.engine->slot(0).lineHandle, 0u);
        QCOMPARE(h.engine->slot(3).lineHandle, 0u);
        QCOMPARE(h.log.texts(),
                 (QStringList{u"Line0 Error:  80000049 - The modem device /dev/ttyACM0 is busy."_qs,
                              u"Line1 is ready"_qs, u"Line3 Error:  80000002"_qs}));
        QCOMPARE(LineErrorHex(-1), u"FFFFFFFF"_qs);
        QCOMPARE(LineErrorHex(0x1A), u"1A"_qs);
    }

    // Ring reports cannot be switched on: the line stays open and is still screened.
    void statusMessagesFail() {
        EngineHarness h;
        h.line.failOperation(u"lineSetStatusMessages"_qs, tapi::LINEERR_OPERATIONFAILED);
        h.start();
        QCOMPARE(h.messages.texts(),
                 (QStringList{u"Line0 is opened by another application or modem setting "
                              u"incorrect,please reboot your computer"_qs,
                              u"Can not initialize callback message of line1"_qs,
                              u"Can not initialize callback message of line2"_qs,
                              u"Can not initialize callback message of line3"_qs}));
        QCOMPARE(h.log.texts().size(), 4);
        h.setPublicList({5551234567.0});
        h.incomingCall(0, "5551234567");
        QCOMPARE(h.line.count(u"lineAnswer"_qs), 1);
    }

    // Closing closes the open lines and unregisters, leaving calls and handles alone.
    void closeTelephony() {
        EngineHarness h;
        h.start({1, 3});
        const uint32_t call = h.incomingCall(1, "5557654321");
        h.line.clearOps();
        h.engine->CloseTelephony();
        QCOMPARE(h.line.opNames(),
                 (QStringList{u"lineClose"_qs, u"lineClose"_qs, u"lineShutdown"_qs}));
        QCOMPARE(h.line.ops[0].args.front(), qint64(h.engine->slot(1).lineHandle));
        QCOMPARE(h.line.ops[1].args.front(), qint64(h.engine->slot(3).lineHandle));
        QCOMPARE(h.line.ops[2].args.front(), qint64(FakeLineApi::kLineApp));
        QCOMPARE(h.engine->slot(1).callHandle, call);

        h.engine->ResetLines();
        QCOMPARE(h.engine->lineApp(), 0u);
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(h.engine->slot(i).lineHandle, 0u);
            QCOMPARE(h.engine->slot(i).callHandle, 0u);
        }
    }
};

QTEST_GUILESS_MAIN(TestLineSetup)
#include "tst_linesetup.moc"
