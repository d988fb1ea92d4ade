// Captures release everything they obtain, and sizes beyond the limits never
// reach an allocation.
#include "export/WindowSnapshot.h"
#include "forms/Handles.h"

#include "TestWindow.h"
#include "TestUtil.h"

#include <gtest/gtest.h>
#include <psapi.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <string>

using namespace exportjob;
using forms::HandleKind;
using snapshottest::TestWindow;

namespace {

std::array<long, static_cast<size_t>(HandleKind::Count)> liveCounts() {
    std::array<long, static_cast<size_t>(HandleKind::Count)> counts{};
    for (size_t kind = 0; kind < counts.size(); ++kind)
        counts[kind] = forms::liveHandles(static_cast<HandleKind>(kind));
    return counts;
}

// How many more GDI objects the process can create (GetGuiResources answers 0
// under Wine): 1 x 1 bitmaps until creation fails, all freed again.
size_t gdiHeadroom() {
    std::vector<forms::GdiBitmap> bitmaps;
    bitmaps.reserve(70000);
    while (bitmaps.size() < 200000) {
        forms::GdiBitmap bitmap(CreateBitmap(1, 1, 1, 1, nullptr));
        if (!bitmap)
            break;
        bitmaps.push_back(std::move(bitmap));
    }
    return bitmaps.size();
}

PROCESS_MEMORY_COUNTERS memoryCounters() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    K32GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters;
}

SIZE_T peakWorkingSet() { return memoryCounters().PeakWorkingSetSize; }

}  // namespace

TEST(CaptureWindowBitmap, LeavesNoHandleBehind) {
    TestWindow window({100, 100, 180, 180}, snapshottest::fillWith(RGB(255, 255, 255)));
    ASSERT_TRUE(window.ready());
    TestWindow tiny({300, 100, 304, 104}, snapshottest::fillWith(RGB(255, 255, 255)));
    ASSERT_TRUE(tiny.ready());

    auto countsBefore = liveCounts();
    size_t headroomBefore = gdiHeadroom();
    EXPECT_GT(headroomBefore, 1000u);

    struct Variant {
        const char* name;
        int32_t width, height;
        size_t size;
    } variants[] = {{"unscaled", 0, 0, 19254}, {"scaled to 16 x 16", 16, 16, 54 + 48 * 16}};
    const int kCaptures = 2500;  // of each variant
    for (const auto& v : variants) {
        int wrong = 0;
        double start = testutil::nowMs();
        for (int i = 0; i < kCaptures; ++i)
            wrong += captureWindowBitmap(window.get(), v.width, v.height).size() != v.size;
        double perCapture = (testutil::nowMs() - start) / kCaptures;
        EXPECT_EQ(0, wrong) << v.name;
        std::printf("captureWindowBitmap %s: %.3f ms a capture\n", v.name, perCapture);
    }
    // The failure paths release what they obtained too.
    for (int i = 0; i < 50; ++i) {
        EXPECT_TRUE(captureWindowBitmap(tiny.get(), -5, 0).empty());
        EXPECT_TRUE(captureWindowBitmap(window.get(), 100000, 100000).empty());
    }

    auto countsAfter = liveCounts();
    for (size_t kind = 0; kind < countsBefore.size(); ++kind)
        EXPECT_EQ(countsBefore[kind], countsAfter[kind]) << "live handles of kind " << kind;
    size_t headroomAfter = gdiHeadroom();
    EXPECT_NEAR(static_cast<double>(headroomBefore), static_cast<double>(headroomAfter), 10.0)
        << "GDI objects creatable before and after the captures";
}

TEST(CaptureWindowBitmap, UnsafeSizesAllocateNothing) {
    TestWindow window({100, 100, 180, 180}, snapshottest::fillWith(RGB(255, 255, 255)));
    ASSERT_TRUE(window.ready());
    auto countsBefore = liveCounts();
    SIZE_T peakBefore = peakWorkingSet();
    struct Case {
        int32_t width, height;
    } cases[] = {
        {100000, 100000},        // 30 GB of rows, wraps in 32 bits
        {-100000, 0},            // 80,000 pixels wide
        {0, -100000},
        {-100000, -100000},
        {INT32_MIN, INT32_MIN},
        {INT32_MAX, 1},
        {1, INT32_MAX},
        {kSnapshotMaxSide + 1, 1},
        {16384, 5462},           // 268,468,224 bytes of rows: just above 256 MiB
        {-20480, -6828},         // 16,384 x 5,462 as percentages
        {65536, 65536},          // 12 GiB, 0 in 32 bits
    };
    for (const auto& c : cases)
        EXPECT_TRUE(captureWindowBitmap(window.get(), c.width, c.height).empty())
            << "request " << c.width << " x " << c.height;
    SIZE_T peakAfter = peakWorkingSet();
    EXPECT_LT(peakAfter - peakBefore, SIZE_T{16} << 20) << "peak working set grew";
    EXPECT_EQ(countsBefore, liveCounts());

    // At the limit itself the capture works.
    EXPECT_EQ(54u + 49152u, captureWindowBitmap(window.get(), kSnapshotMaxSide, 1).size());

    // The measure is live: touching 64 MiB beyond the current peak raises it.
    PROCESS_MEMORY_COUNTERS now = memoryCounters();
    SIZE_T extra = (SIZE_T{64} << 20) + (now.PeakWorkingSetSize - now.WorkingSetSize);
    void* block = VirtualAlloc(nullptr, extra, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    ASSERT_TRUE(block);
    std::memset(block, 1, extra);
    EXPECT_GE(peakWorkingSet() - now.PeakWorkingSetSize, SIZE_T{48} << 20) << "peak working set after touching 64 MiB more";
    VirtualFree(block, 0, MEM_RELEASE);
}
