#include "export/Bmp.h"

#include <cstring>
#include <new>

namespace exportjob {

namespace {

uint32_t readLe32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24; }
uint16_t readLe16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

void writeLe16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
void writeLe32(uint8_t* p, uint32_t v) {
    writeLe16(p, static_cast<uint16_t>(v));
    writeLe16(p + 2, static_cast<uint16_t>(v >> 16));
}

}  // namespace

uint64_t bmpRowStride(int64_t width) {
    if (width <= 0)
        return 0;
    return (static_cast<uint64_t>(width) * 24 + 31) / 32 * 4;
}

uint32_t bmpPixelOffset(uint32_t headerSize, uint32_t bitCount) {
    uint32_t entries = bitCount <= 8 ? 1u << bitCount : 0;
    return kBmpFileHeaderSize + headerSize + 4 * entries;
}

std::vector<uint8_t> bmpFileFromPackedDib(const uint8_t* dib, size_t size) {
    if (!dib || size < kBmpInfoHeaderSize)
        return {};
    uint32_t headerSize = readLe32(dib);
    if (headerSize < kBmpInfoHeaderSize || headerSize > size)
        return {};
    uint64_t fileSize = uint64_t{kBmpFileHeaderSize} + size;
    if (fileSize > UINT32_MAX)
        return {};
    std::vector<uint8_t> file;
    try {
        file.resize(static_cast<size_t>(fileSize));
    } catch (const std::bad_alloc&) {
        return {};
    }
    uint8_t* p = file.data();
    p[0] = 'B';
    p[1] = 'M';
    writeLe32(p + 2, static_cast<uint32_t>(fileSize));
    writeLe16(p + 6, 0);
    writeLe16(p + 8, 0);
    writeLe32(p + 10, bmpPixelOffset(headerSize, readLe16(dib + 14)));
    std::memcpy(p + kBmpFileHeaderSize, dib, size);
    return file;
}

}  // namespace exportjob
