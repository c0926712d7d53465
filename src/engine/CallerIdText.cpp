#include "engine/CallerIdText.h"

#include <algorithm>

QString ReadCallerIdPart(const uint8_t* buffer, size_t bufferSize, uint32_t offset, uint32_t size) {
    // 64-bit arithmetic: offset + size cannot wrap around.
    const uint64_t begin = offset;
    const uint64_t end = std::min<uint64_t>(begin + uint64_t(size), bufferSize);
    if (size == 0 || begin >= end)
        return {};
    uint64_t stop = begin;
    while (stop < end && buffer[stop] != 0)
        ++stop;
    if (stop == begin)
        return {};
    return QString::fromLatin1(reinterpret_cast<const char*>(buffer + begin),
                               qsizetype(stop - begin));
}
