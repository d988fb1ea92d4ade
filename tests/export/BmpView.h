// Reads the fields and pixels of a 24-bit BMP file back from its bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace snapshottest {

struct Bgr {
    uint8_t b, g, r;
};

class BmpView {
public:
    explicit BmpView(const std::vector<uint8_t>& bytes) : bytes_(bytes) {}

    uint16_t u16(size_t offset) const { return static_cast<uint16_t>(bytes_[offset] | bytes_[offset + 1] << 8); }
    uint32_t u32(size_t offset) const {
        return u16(offset) | static_cast<uint32_t>(u16(offset + 2)) << 16;
    }
    int32_t width() const { return static_cast<int32_t>(u32(18)); }
    int32_t height() const { return static_cast<int32_t>(u32(22)); }
    size_t stride() const { return (static_cast<size_t>(width()) * 24 + 31) / 32 * 4; }

    // Row `index` as stored: row 0 is the bottom line of the picture.
    const uint8_t* fileRow(int32_t index) const { return bytes_.data() + 54 + stride() * index; }
    // Pixel (x, y) with y counted from the top of the picture.
    Bgr pixel(int32_t x, int32_t y) const {
        const uint8_t* p = fileRow(height() - 1 - y) + 3 * x;
        return {p[0], p[1], p[2]};
    }

private:
    const std::vector<uint8_t>& bytes_;
};

}  // namespace snapshottest
