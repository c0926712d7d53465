// LINECALLINFO bytes of any content delivered as a call's caller ID: the verdict reads only
// inside the buffer, and the call always ends with the line at rest.
#include "FuzzSupport.h"

#include "support/EngineHarness.h"
#include "telephony/LineStructs.h"

#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzsupport::ensureApp();
    static std::unique_ptr<EngineHarness> h;
    if (!h) {
        h = std::make_unique<EngineHarness>();
        h->writeMessage(400);
        h->setPublicList({5551234.0, -8005551212.0});
        h->setPrivateList({{QStringLiteral("JOHN"), QStringLiteral("12345")}});
        h->options.blockUnknown = 1;
        h->applyOptions();
        h->start({0});
    }
    const uint32_t call = h->line.offerCall(0);
    h->line.ring(0, 1);
    h->time.runPosted();

    QByteArray info(reinterpret_cast<const char*>(data), qsizetype(size));
    info = info.left(int(lineabi::callinfo::kBufferSize));
    if (info.size() < int(lineabi::callinfo::kFixedSize))
        info.append(QByteArray(int(lineabi::callinfo::kFixedSize) - info.size(), '\0'));
    // Keep the call on its line so the verdict runs; everything else is as given.
    lineabi::writeU32(reinterpret_cast<uint8_t*>(info.data()), lineabi::callinfo::hLine,
                      h->line.lineHandleOf(0));
    h->line.setCallInfo(call, info);
    h->line.postNotice(call, tapi::LINE_CALLINFO, tapi::LINECALLINFOSTATE_CALLERID, 0, 0);
    h->time.runPosted();
    h->time.advance(30000); // message, drop or ring timeout, idle
    h->waveOut.finishAll();
    h->time.advance(30000);
    fuzzsupport::check(h->atRest(), qPrintable(h->restReport()));
    h->log.clear();
    return 0;
}
