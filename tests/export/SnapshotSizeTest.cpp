// The size rules and the BMP file assembly, checked without a window.
#include "export/Bmp.h"
#include "export/WindowSnapshot.h"

#include "BmpView.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace exportjob;

TEST(SnapshotOutputSize, KeepsScalesOrTakesPixels) {
    struct Case {
        int32_t captured, requested, expected;
    } cases[] = {
        {80, 0, 80},
        {80, 80, 80},
        {80, 16, 16},
        {80, 100000, 100000},      // pixels are taken as they stand; the limits reject it later
        {80, -50, 40},
        {80, -100, 80},
        {80, -150, 120},
        {80, -5, 8},               // below 10 percent counts as 10
        {80, -1, 8},
        {80, -10, 8},
        {4, -10, 0},               // 0.4 rounds down
        {4, -12, 0},               // 0.48
        {4, -13, 1},               // 0.52
        {5, -10, 1},               // 0.5: halves go up
        {10, -15, 2},              // 1.5
        {10, -25, 3},              // 2.5
        {0, 0, 0},
        {0, -50, 0},
        {80, -100000, 80000},
        {80, INT32_MIN, 1717986918},   // taken as INT32_MAX percent; the limits reject it later
        {80, -2147483647, 1717986918},
        {1024, -209715200, -1},        // 2^31 overflows MulDiv, which says -1
        {1024, -209715199, 2147483638},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.expected, snapshotOutputSize(c.captured, c.requested))
            << "captured " << c.captured << ", requested " << c.requested;
}

TEST(SnapshotSizeAllowed, SidesAndPixelBytesBounded) {
    struct Case {
        int64_t width, height;
        bool allowed;
    } cases[] = {
        {80, 80, true},
        {1, 1, true},
        {0, 80, false},
        {80, 0, false},
        {-1, 80, false},
        {80, -1, false},
        {kSnapshotMaxSide, 1, true},
        {1, kSnapshotMaxSide, true},
        {kSnapshotMaxSide + 1, 1, false},
        {1, kSnapshotMaxSide + 1, false},
        {16384, 5461, true},       // 49,152-byte rows: 268,419,072 bytes, just within 256 MiB
        {16384, 5462, false},      // 268,468,224 bytes
        {10000, 9000, false},      // 270,000,000 bytes
        {100000, 100000, false},   // 30,000,000,000 bytes, wraps in 32 bits
        {INT32_MAX, INT32_MAX, false},
        {int64_t{1} << 40, 1, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.allowed, snapshotSizeAllowed(c.width, c.height)) << c.width << " x " << c.height;
}

TEST(BmpRowStride, ThreeBytesAPixelPaddedToFour) {
    struct Case {
        int64_t width;
        uint64_t stride;
    } cases[] = {{1, 4}, {2, 8}, {3, 12}, {4, 12}, {15, 48}, {16, 48}, {80, 240}, {81, 244},
                 {100000, 300000}, {0, 0}, {-5, 0}, {INT32_MAX, 6442450944ull}};
    for (const auto& c : cases)
        EXPECT_EQ(c.stride, bmpRowStride(c.width)) << "width " << c.width;
}

TEST(StretchMode, HalftoneAboveSixteenBits) {
    struct Case {
        DWORD bits;
        int mode;
    } cases[] = {{32, HALFTONE}, {24, HALFTONE}, {17, HALFTONE}, {16, COLORONCOLOR},
                 {15, COLORONCOLOR}, {8, COLORONCOLOR}, {0, COLORONCOLOR}};
    for (const auto& c : cases)
        EXPECT_EQ(c.mode, stretchModeForBitsPerPixel(c.bits)) << c.bits << " bits per pixel";
}

TEST(BmpFileFromPackedDib, FileHeaderThenTheBlockUnchanged) {
    // A 3 x 2 packed DIB: header, then two 12-byte rows.
    std::vector<uint8_t> dib(40 + 24);
    BITMAPINFOHEADER header{};
    header.biSize = 40;
    header.biWidth = 3;
    header.biHeight = 2;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biSizeImage = 24;
    std::memcpy(dib.data(), &header, sizeof header);
    for (size_t i = 40; i < dib.size(); ++i)
        dib[i] = static_cast<uint8_t>(i);

    std::vector<uint8_t> file = bmpFileFromPackedDib(dib.data(), dib.size());
    ASSERT_EQ(78u, file.size());
    snapshottest::BmpView view(file);
    EXPECT_EQ('B', file[0]);
    EXPECT_EQ('M', file[1]);
    EXPECT_EQ(78u, view.u32(2));
    EXPECT_EQ(0u, view.u16(6));
    EXPECT_EQ(0u, view.u16(8));
    EXPECT_EQ(54u, view.u32(10));
    EXPECT_TRUE(std::equal(dib.begin(), dib.end(), file.begin() + 14));
}

TEST(BmpFileFromPackedDib, RefusesBlocksShorterThanTheirHeader) {
    std::vector<uint8_t> dib(40, 0);
    EXPECT_TRUE(bmpFileFromPackedDib(dib.data(), 39).empty()) << "39 bytes";
    EXPECT_TRUE(bmpFileFromPackedDib(nullptr, 40).empty()) << "no block";
    dib[0] = 124;  // claims a BITMAPV5HEADER it does not have
    EXPECT_TRUE(bmpFileFromPackedDib(dib.data(), 40).empty()) << "biSize beyond the block";
}

TEST(BmpPixelOffset, ColourTableOnlyUpToEightBits) {
    struct Case {
        uint32_t headerSize, bits, offset;
    } cases[] = {{40, 24, 54}, {40, 32, 54}, {40, 16, 54}, {40, 8, 1078}, {40, 4, 118}, {40, 1, 62}, {124, 24, 138}};
    for (const auto& c : cases)
        EXPECT_EQ(c.offset, bmpPixelOffset(c.headerSize, c.bits)) << c.headerSize << "-byte header, " << c.bits << " bits";
}
