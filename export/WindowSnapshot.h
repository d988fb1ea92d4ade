// Copies what a window shows on the screen (non-client area included), scales
// the copy to a requested size and returns it as the bytes of a 24-bit BMP file.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

namespace exportjob {

// Largest picture handled, captured or produced: anything bigger cannot be a
// glyph and would only exhaust the 32-bit address space (the copy exists three
// times over at once: screen bitmap, DIB block, file bytes).
inline constexpr int32_t kSnapshotMaxSide = 16384;
inline constexpr uint64_t kSnapshotMaxPixelBytes = 256ull * 1024 * 1024;  // of 24-bit rows

// The BMP file of `window` (null: the whole primary screen) at `width` x `height`,
// each of them 0 to keep the captured size, negative for a percentage of it (at
// least 10 percent), positive for pixels. Empty on failure: not a window, a size
// of 0 or less or beyond the limits above, or a GDI or memory failure.
// Holds no state: callable from several threads at once.
std::vector<uint8_t> captureWindowBitmap(HWND window, int32_t width, int32_t height);

// One output dimension from the captured one and the request. May be 0 or
// negative, which the caller rejects.
int32_t snapshotOutputSize(int32_t captured, int32_t requested);

// Whether a width x height picture is within the limits above (and positive).
// 64-bit arithmetic throughout.
bool snapshotSizeAllowed(int64_t width, int64_t height);

// HALFTONE for display modes of more than 16 bits per pixel, else (0 meaning
// unknown included) COLORONCOLOR.
int stretchModeForBitsPerPixel(DWORD bitsPerPixel);

}  // namespace exportjob
