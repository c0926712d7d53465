#pragma once

#include "support/FakeModem.h"

#include "telephony/LineStructs.h"
#include "telephony/modem/ModemLineService.h"

#include <memory>

// Modem timings short enough that a test waits little for a command the emulator refuses.
inline ModemTimings FastTimings(int commandTimeoutMs = 1500) {
    ModemTimings t;
    t.commandTimeoutMs = commandTimeoutMs;
    return t;
}

// The modem line service with line device 0 opened on an emulated modem.
struct ModemLineRig {
    FakeModem modem;
    std::unique_ptr<ModemLineService> service;
    NoticeRecorder rec;
    uint32_t app = 0;
    uint32_t line = 0;

    // Starts the emulator with these arguments, opens the line and waits until set-up is over.
    bool open(const QStringList& modemArgs = {}, ModemTimings timings = FastTimings()) {
        if (!modem.start(modemArgs))
            return false;
        service = std::make_unique<ModemLineService>(QStringList{modem.device});
        service->setTimings(timings);
        uint32_t count = 0;
        if (service->lineInitialize(&app, rec.callback(), QStringLiteral("Hushwire"), &count) !=
                0 ||
            count != 1)
            return false;
        if (service->lineOpen(app, 0, &line, ModemLineService::kApiVersion, 0, 0, 0x6, 0x8,
                              nullptr) != 0)
            return false;
        // Set-up is over once caller ID was turned on (either dialect).
        return QTest::qWaitFor(
            [&] {
                return modem.receivedContains(QStringLiteral("AT+VCID=1")) &&
                       (modem.received().last().contains(QStringLiteral("CID=1")));
            },
            5000);
    }

    // Rings once, waits for the offer and answers it; returns the call handle (0 on failure).
    uint32_t answeredCall() {
        const size_t before = rec.notices.size();
        modem.script("ring");
        if (!QTest::qWaitFor([&] { return rec.offeredCall(before) != 0; }, 5000))
            return 0;
        const uint32_t call = rec.offeredCall(before);
        if (service->lineAnswer(call, "", 0) <= 0)
            return 0;
        return QTest::qWaitFor(
                   [&] { return rec.statesOf(call, tapi::LINECALLSTATE_CONNECTED) > 0; }, 5000)
                   ? call
                   : 0;
    }

    // The program's side of ending a call: drop, wait for idle, deallocate.
    bool endCall(uint32_t call) {
        service->lineDrop(call, "", 0);
        const bool idle =
            QTest::qWaitFor([&] { return rec.statesOf(call, tapi::LINECALLSTATE_IDLE) > 0; }, 5000);
        service->lineDeallocateCall(call);
        return idle;
    }

    // The call's information block, or nothing when the service refuses it.
    std::vector<uint8_t> callInfo(uint32_t call) {
        std::vector<uint8_t> buf(lineabi::callinfo::kBufferSize);
        lineabi::writeU32(buf.data(), 0, uint32_t(buf.size()));
        if (service->lineGetCallInfo(call, buf.data()) != 0)
            return {};
        return buf;
    }

    // A text field of an information block, up to its terminating NUL.
    static QByteArray text(const std::vector<uint8_t>& buf, size_t sizeField, size_t offsetField) {
        const uint32_t size = lineabi::readU32(buf.data(), sizeField);
        const uint32_t offset = lineabi::readU32(buf.data(), offsetField);
        if (size == 0 || offset + size > buf.size())
            return {};
        QByteArray t(reinterpret_cast<const char*>(buf.data() + offset), qsizetype(size));
        return t.left(t.indexOf('\0'));
    }
};
