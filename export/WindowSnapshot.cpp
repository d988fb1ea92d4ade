#include "export/WindowSnapshot.h"

#include "export/Bmp.h"
#include "forms/Handles.h"

#include <cstring>

namespace exportjob {

namespace {

using forms::GdiBitmap;
using forms::GdiPalette;
using forms::GlobalLockScope;
using forms::GlobalMemory;
using forms::MemoryDC;
using forms::PaletteScope;
using forms::SelectScope;
using forms::WindowDC;

struct Size {
    int32_t width = 0;
    int32_t height = 0;
};

// The window rectangle, frame and caption included; the screen for a null window.
// Sizes beyond the limits (or empty windows) are refused before any bitmap is made.
bool capturedSize(HWND window, Size& size) {
    int64_t width, height;
    if (window) {
        RECT rect;
        if (!GetWindowRect(window, &rect))
            return false;
        width = int64_t{rect.right} - rect.left;
        height = int64_t{rect.bottom} - rect.top;
    } else {
        width = GetSystemMetrics(SM_CXSCREEN);
        height = GetSystemMetrics(SM_CYSCREEN);
    }
    if (!snapshotSizeAllowed(width, height))
        return false;
    size = {static_cast<int32_t>(width), static_cast<int32_t>(height)};
    return true;
}

// A bitmap compatible with `source` holding its pixels from (0, 0). The bitmap
// is selected out again, ready for StretchBlt sources and GetDIBits.
GdiBitmap copyBitmap(HDC source, Size size) {
    MemoryDC memory(CreateCompatibleDC(source));
    if (!memory)
        return {};
    GdiBitmap bitmap(CreateCompatibleBitmap(source, size.width, size.height));
    if (!bitmap)
        return {};
    SelectScope select(memory.get(), bitmap.get());
    if (!select.ok() || !BitBlt(memory.get(), 0, 0, size.width, size.height, source, 0, 0, SRCCOPY))
        return {};
    return bitmap;
}

DWORD displayBitsPerPixel() {
    DEVMODEA mode{};
    mode.dmSize = sizeof mode;
    return EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode) ? mode.dmBitsPerPel : 0;
}

GdiBitmap scaleBitmap(HDC screen, HBITMAP captured, Size from, Size to) {
    GdiBitmap scaled(CreateCompatibleBitmap(screen, to.width, to.height));
    if (!scaled)
        return {};
    MemoryDC source(CreateCompatibleDC(screen));
    MemoryDC target(CreateCompatibleDC(screen));
    if (!source || !target)
        return {};
    SelectScope selectSource(source.get(), captured);
    SelectScope selectTarget(target.get(), scaled.get());
    if (!selectSource.ok() || !selectTarget.ok())
        return {};
    SetStretchBltMode(target.get(), stretchModeForBitsPerPixel(displayBitsPerPixel()));
    if (!StretchBlt(target.get(), 0, 0, to.width, to.height, source.get(), 0, 0, from.width, from.height, SRCCOPY))
        return {};
    return scaled;
}

// On a display with a palette, the system palette (255 entries at most); none otherwise.
GdiPalette systemPalette(HDC screen) {
    if (!(GetDeviceCaps(screen, RASTERCAPS) & RC_PALETTE))
        return {};
    struct {
        WORD palVersion;
        WORD palNumEntries;
        PALETTEENTRY palPalEntry[255];
    } palette{};
    palette.palVersion = 0x300;
    palette.palNumEntries = static_cast<WORD>(GetSystemPaletteEntries(screen, 0, 255, palette.palPalEntry));
    return GdiPalette(CreatePalette(reinterpret_cast<const LOGPALETTE*>(&palette)));
}

struct PackedDib {
    GlobalMemory block;
    size_t size = 0;
};

// The bitmap as a 24-bit BITMAPINFOHEADER followed by its rows, bottom-up.
PackedDib packedDib(HDC screen, HBITMAP bitmap, Size size, HPALETTE palette) {
    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = size.width;
    header.biHeight = size.height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;

    PaletteScope realized(screen, palette ? palette : static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE)));
    GlobalMemory block(GlobalAlloc(GMEM_MOVEABLE, sizeof header));
    if (!block)
        return {};
    {
        GlobalLockScope lock(block.get());
        if (!lock.data())
            return {};
        std::memcpy(lock.data(), &header, sizeof header);
        GetDIBits(screen, bitmap, 0, size.height, nullptr, static_cast<BITMAPINFO*>(lock.data()), DIB_RGB_COLORS);
        std::memcpy(&header, lock.data(), sizeof header);
    }
    // The rows GetDIBits writes take S x H bytes whatever size it reports: never
    // let a smaller (or missing) figure size the block.
    uint64_t rows = bmpRowStride(size.width) * static_cast<uint64_t>(size.height);
    uint64_t pixelBytes = header.biSizeImage < rows ? rows : header.biSizeImage;
    if (pixelBytes > kSnapshotMaxPixelBytes)
        return {};
    header.biSizeImage = static_cast<DWORD>(pixelBytes);
    size_t blockSize = static_cast<size_t>(sizeof header + pixelBytes);

    // Zero-filled growth: the row padding GetDIBits may skip is then 0, not old heap bytes.
    HGLOBAL grown = GlobalReAlloc(block.get(), blockSize, GMEM_MOVEABLE | GMEM_ZEROINIT);
    if (!grown)
        return {};
    if (grown != block.get()) {
        block.release();  // freed by the reallocation
        block.reset(grown);
    }
    GlobalLockScope lock(block.get());
    if (!lock.data())
        return {};
    auto* info = static_cast<BITMAPINFO*>(lock.data());
    info->bmiHeader = header;
    auto* bits = static_cast<uint8_t*>(lock.data()) + header.biSize;
    if (GetDIBits(screen, bitmap, 0, size.height, bits, info, DIB_RGB_COLORS) == 0)
        return {};
    return {std::move(block), blockSize};
}

}  // namespace

std::vector<uint8_t> captureWindowBitmap(HWND window, int32_t width, int32_t height) {
    if (window && !IsWindow(window))
        return {};
    // Every size is settled before anything is allocated.
    Size captured;
    if (!capturedSize(window, captured))
        return {};
    Size output{snapshotOutputSize(captured.width, width), snapshotOutputSize(captured.height, height)};
    if (!snapshotSizeAllowed(output.width, output.height))
        return {};

    WindowDC source(window);  // the whole window, non-client area included; the screen for null
    if (!source)
        return {};
    GdiBitmap picture = copyBitmap(source.get(), captured);
    if (!picture)
        return {};

    WindowDC screen(nullptr);
    if (!screen)
        return {};
    GdiPalette palette = systemPalette(screen.get());
    if (output.width != captured.width || output.height != captured.height) {
        picture = scaleBitmap(screen.get(), picture.get(), captured, output);
        if (!picture)
            return {};
    }
    PackedDib dib = packedDib(screen.get(), picture.get(), output, palette.get());
    if (!dib.block)
        return {};
    GlobalLockScope lock(dib.block.get());
    if (!lock.data())
        return {};
    return bmpFileFromPackedDib(static_cast<const uint8_t*>(lock.data()), dib.size);
}

}  // namespace exportjob
