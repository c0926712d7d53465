#pragma once

#include <QString>
#include <cstddef>
#include <cstdint>

// One caller-ID part (number or name) of a call-information buffer: the Latin-1 text at offset,
// ending before the first NUL byte or after size bytes. Only bytes inside the buffer are read,
// whatever the offset and size say. Returns a null string when the part is absent: size 0, an
// offset at or past the end of the buffer, or a first byte that is NUL.
QString ReadCallerIdPart(const uint8_t* buffer, size_t bufferSize, uint32_t offset, uint32_t size);
