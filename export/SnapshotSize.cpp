// The size rules of captureWindowBitmap, kept apart from GDI so they can be checked alone.
#include "export/Bmp.h"
#include "export/WindowSnapshot.h"

namespace exportjob {

int32_t snapshotOutputSize(int32_t captured, int32_t requested) {
    if (requested > 0)
        return requested;
    if (requested == 0)
        return captured;
    // -INT32_MIN does not fit in 32 bits; one percent less makes no difference
    // to a size the limits refuse anyway.
    int32_t percent = requested == INT32_MIN ? INT32_MAX : -requested;
    if (percent < 10)
        percent = 10;
    return MulDiv(captured, percent, 100);
}

bool snapshotSizeAllowed(int64_t width, int64_t height) {
    if (width <= 0 || height <= 0 || width > kSnapshotMaxSide || height > kSnapshotMaxSide)
        return false;
    return bmpRowStride(width) * static_cast<uint64_t>(height) <= kSnapshotMaxPixelBytes;
}

int stretchModeForBitsPerPixel(DWORD bitsPerPixel) { return bitsPerPixel > 16 ? HALFTONE : COLORONCOLOR; }

}  // namespace exportjob
