// A voice modem's byte stream (result lines, caller-ID lines, DLE events and DTMF) of any content,
// cut into reads at fuzz-chosen points, through the stream parser, the caller-ID collector and the
// call-info writer.
//
// Input layout: byte 0 picks the read pattern (a seed for the cut points), the rest is the
// stream. The same stream fed in one piece must give the same lines, keys and events as fed in
// pieces: a serial port may end a read anywhere.
#include "FuzzSupport.h"

#include "telephony/LineCall.h"
#include "telephony/LineStructWriter.h"
#include "telephony/LineStructs.h"
#include "telephony/modem/CallerIdParser.h"
#include "telephony/modem/ModemStreamParser.h"

#include <vector>

namespace {

// What the parser reported, in order: 'L' + line, 'K' + key, 'E' + code.
QList<QByteArray> parse(const QByteArray& stream, uint8_t seed, bool pieces) {
    QList<QByteArray> out;
    ModemStreamParser parser;
    parser.onLine = [&](const QByteArray& line) { out.append('L' + line); };
    parser.onDtmf = [&](char key) { out.append(QByteArray("K") + key); };
    parser.onEvent = [&](char code) { out.append(QByteArray("E") + code); };
    if (!pieces) {
        parser.feed(stream);
        return out;
    }
    // A small linear congruential walk picks read lengths 1..16, including the cut between a DLE
    // and its code.
    uint32_t state = seed | 1u;
    qsizetype at = 0;
    while (at < stream.size()) {
        state = state * 1103515245u + 12345u;
        const qsizetype len = qsizetype((state >> 16) % 16u) + 1;
        parser.feed(stream.mid(at, len));
        at += len;
    }
    return out;
}

void checkCallInfo(const CallerId& id, uint8_t sizeByte) {
    LineCall call;
    call.handle = 1;
    call.hasCallerId = true;
    call.callerId = id;
    // A buffer from just below the fixed part up to what the engine asks for.
    const size_t total =
        lineabi::callinfo::kFixedSize - 8 +
        (size_t(sizeByte) * (lineabi::callinfo::kBufferSize + 8 - lineabi::callinfo::kFixedSize)) /
            255;
    std::vector<uint8_t> buf(total + 64, 0xCD);
    lineabi::writeU32(buf.data(), lineabi::kTotalSize, uint32_t(total));
    const bool ok = LineStructWriter::WriteCallInfo(buf.data(), call);
    fuzzsupport::check(ok == (total >= lineabi::callinfo::kFixedSize), "fixed part verdict");
    for (size_t i = total; i < buf.size(); ++i)
        fuzzsupport::check(buf[i] == 0xCD, "wrote past dwTotalSize");
    if (!ok)
        return;
    fuzzsupport::check(lineabi::readU32(buf.data(), lineabi::kUsedSize) <= total, "used > total");
    const size_t parts[][2] = {
        {lineabi::callinfo::dwCallerIDSize, lineabi::callinfo::dwCallerIDOffset},
        {lineabi::callinfo::dwCallerIDNameSize, lineabi::callinfo::dwCallerIDNameOffset}};
    for (const auto& p : parts) {
        const uint32_t size = lineabi::readU32(buf.data(), p[0]);
        const uint32_t offset = lineabi::readU32(buf.data(), p[1]);
        if (size == 0)
            continue;
        fuzzsupport::check(offset >= lineabi::callinfo::kFixedSize && offset + size <= total,
                           "variable part outside the buffer");
        fuzzsupport::check(buf[offset + size - 1] == 0, "text not terminated");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const QByteArray stream(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    const QList<QByteArray> whole = parse(stream, data[0], false);
    const QList<QByteArray> pieces = parse(stream, data[0], true);
    fuzzsupport::check(whole == pieces, "result depends on where reads end");

    CallerIdParser cid;
    uint8_t sizeByte = data[0];
    for (const QByteArray& item : whole) {
        if (item[0] != 'L')
            continue;
        const QByteArray line = item.mid(1);
        fuzzsupport::check(!line.isEmpty() && line.size() <= ModemStreamParser::kMaxLineLength,
                           "line length");
        fuzzsupport::check(!line.contains('\r') && !line.contains('\n') &&
                               !line.contains(ModemStreamParser::kDle),
                           "line holds a line end or DLE");
        const CallerIdParser::Feed f = cid.feed(line);
        fuzzsupport::check((f == CallerIdParser::Feed::NotCallerId) ==
                               !CallerIdParser::isCallerIdLine(line),
                           "caller-ID line test disagrees with the collector");
        if (f == CallerIdParser::Feed::Complete ||
            (f == CallerIdParser::Feed::NotCallerId && cid.pending() && line == "RING")) {
            const CallerId id = cid.take();
            fuzzsupport::check(id.numberText.isEmpty() || id.number == CallerId::Part::Present,
                               "number text without a number");
            fuzzsupport::check(id.nameText.isEmpty() || id.name == CallerId::Part::Present,
                               "name text without a name");
            checkCallInfo(id, sizeByte);
            sizeByte = uint8_t(sizeByte * 31 + 7);
        }
    }
    if (cid.pending())
        checkCallInfo(cid.take(), sizeByte);
    return 0;
}
