// 24-bit BMP files: row layout and the file made from a packed device-independent
// bitmap (a BITMAPINFOHEADER directly followed by its pixel rows).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace exportjob {

inline constexpr uint32_t kBmpFileHeaderSize = 14;
inline constexpr uint32_t kBmpInfoHeaderSize = 40;

// Bytes per row of a 24-bit picture `width` pixels wide: three a pixel, padded
// up to a multiple of 4. 64-bit so that no width can wrap it.
uint64_t bmpRowStride(int64_t width);

// bfOffBits for a DIB header of `headerSize` bytes and `bitCount` bits per
// pixel: the colour table (2^bitCount entries up to 8 bits, none above) comes
// between the header and the rows.
uint32_t bmpPixelOffset(uint32_t headerSize, uint32_t bitCount);

// The whole file: the 14-byte BITMAPFILEHEADER, then the packed DIB unchanged.
// Empty when the block is too short to hold its own header, when the file would
// not fit the 32-bit bfSize, or when memory for the file runs out.
std::vector<uint8_t> bmpFileFromPackedDib(const uint8_t* dib, size_t size);

}  // namespace exportjob
