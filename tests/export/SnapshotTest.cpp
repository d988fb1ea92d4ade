// Real captures of real windows on the (virtual) screen.
#include "export/WindowSnapshot.h"
#include "forms/Handles.h"

#include "BmpView.h"
#include "TestWindow.h"
#include "TestUtil.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

using namespace exportjob;
using snapshottest::Bgr;
using snapshottest::BmpView;
using snapshottest::TestWindow;

namespace {

// Every header field as read back from the bytes, for a W x H 24-bit file.
void expectHeaders(const std::vector<uint8_t>& file, int32_t width, int32_t height, const std::string& name) {
    SCOPED_TRACE(name);
    uint32_t stride = (static_cast<uint32_t>(width) * 24 + 31) / 32 * 4;
    uint32_t pixelBytes = stride * height;
    ASSERT_EQ(54u + pixelBytes, file.size());
    BmpView view(file);
    EXPECT_EQ(0x42, file[0]);
    EXPECT_EQ(0x4D, file[1]);
    EXPECT_EQ(54u + pixelBytes, view.u32(2)) << "bfSize";
    EXPECT_EQ(0u, view.u16(6)) << "bfReserved1";
    EXPECT_EQ(0u, view.u16(8)) << "bfReserved2";
    EXPECT_EQ(54u, view.u32(10)) << "bfOffBits";
    EXPECT_EQ(40u, view.u32(14)) << "biSize";
    EXPECT_EQ(width, view.width()) << "biWidth";
    EXPECT_EQ(height, view.height()) << "biHeight";
    EXPECT_EQ(1u, view.u16(26)) << "biPlanes";
    EXPECT_EQ(24u, view.u16(28)) << "biBitCount";
    EXPECT_EQ(0u, view.u32(30)) << "biCompression";
    EXPECT_EQ(pixelBytes, view.u32(34)) << "biSizeImage";
    for (size_t offset = 38; offset < 54; offset += 4)
        EXPECT_EQ(0u, view.u32(offset)) << "field at " << offset;
}

bool closeTo(Bgr actual, COLORREF expected, int tolerance) {
    return std::abs(actual.r - GetRValue(expected)) <= tolerance && std::abs(actual.g - GetGValue(expected)) <= tolerance &&
           std::abs(actual.b - GetBValue(expected)) <= tolerance;
}

std::string describe(Bgr p) {
    return "r " + std::to_string(p.r) + " g " + std::to_string(p.g) + " b " + std::to_string(p.b);
}

const COLORREF kTopLeft = RGB(255, 0, 0), kTopRight = RGB(0, 255, 0), kBottomLeft = RGB(0, 0, 255),
               kBottomRight = RGB(255, 255, 0);

// Four quadrants of distinct colours, so scaling and orientation both show.
void paintQuadrants(HDC dc, const RECT& r) {
    int midX = (r.left + r.right) / 2, midY = (r.top + r.bottom) / 2;
    struct {
        RECT rect;
        COLORREF colour;
    } parts[] = {{{r.left, r.top, midX, midY}, kTopLeft},
                 {{midX, r.top, r.right, midY}, kTopRight},
                 {{r.left, midY, midX, r.bottom}, kBottomLeft},
                 {{midX, midY, r.right, r.bottom}, kBottomRight}};
    for (const auto& part : parts)
        snapshottest::fillWith(part.colour)(dc, part.rect);
}

}  // namespace

TEST(CaptureWindowBitmap, SizesOfAnEightyPixelWindow) {
    TestWindow window({100, 100, 180, 180}, paintQuadrants);
    ASSERT_TRUE(window.ready());
    struct Case {
        int32_t width, height, outWidth, outHeight;
    } cases[] = {
        {0, 0, 80, 80},
        {80, 80, 80, 80},
        {16, 24, 16, 24},     // 1,206 bytes
        {15, 0, 15, 80},      // 45 pixel bytes and 3 padding bytes a row
        {-50, 0, 40, 80},
        {-5, 0, 8, 80},
        {-150, 0, 120, 80},
        {0, -50, 80, 40},
        {-100, -100, 80, 80},
        {1, 1, 1, 1},
        {81, 79, 81, 79},
        {-1, -13, 8, 10},
    };
    for (const auto& c : cases) {
        std::string name = "request " + std::to_string(c.width) + " x " + std::to_string(c.height);
        std::vector<uint8_t> file = captureWindowBitmap(window.get(), c.width, c.height);
        expectHeaders(file, c.outWidth, c.outHeight, name);
        if (HasFatalFailure() || file.empty())
            return;
        BmpView view(file);
        // The quadrants land where they were, scaled: checked at the middle of each.
        struct {
            int32_t x, y;
            COLORREF colour;
        } probes[] = {{c.outWidth / 4, c.outHeight / 4, kTopLeft},
                      {c.outWidth * 3 / 4, c.outHeight / 4, kTopRight},
                      {c.outWidth / 4, c.outHeight * 3 / 4, kBottomLeft},
                      {c.outWidth * 3 / 4, c.outHeight * 3 / 4, kBottomRight}};
        if (c.outWidth >= 8 && c.outHeight >= 8)
            for (const auto& probe : probes) {
                Bgr p = view.pixel(probe.x, probe.y);
                EXPECT_TRUE(closeTo(p, probe.colour, 8)) << name << ": pixel " << probe.x << "," << probe.y << " is "
                                                      << describe(p);
            }
        // Padding is written as zeros, never left over heap bytes.
        size_t used = 3 * static_cast<size_t>(c.outWidth);
        for (int32_t row = 0; row < c.outHeight; ++row)
            for (size_t i = used; i < view.stride(); ++i)
                ASSERT_EQ(0, view.fileRow(row)[i]) << name << ": padding of row " << row;
    }
    EXPECT_EQ(19254u, captureWindowBitmap(window.get(), 0, 0).size());
    EXPECT_EQ(1206u, captureWindowBitmap(window.get(), 16, 24).size());
}

TEST(CaptureWindowBitmap, TenPercentOfFourPixelsIsNothing) {
    TestWindow window({100, 100, 104, 140}, snapshottest::fillWith(RGB(255, 255, 255)));
    ASSERT_TRUE(window.ready());
    for (int32_t request = -1; request >= -12; --request)
        EXPECT_TRUE(captureWindowBitmap(window.get(), request, 0).empty()) << "width request " << request;
    // 13 percent of 4 is 0.52: one pixel.
    std::vector<uint8_t> file = captureWindowBitmap(window.get(), -13, 0);
    expectHeaders(file, 1, 40, "width request -13");
}

TEST(CaptureWindowBitmap, RowsAreStoredBottomUp) {
    // 81 pixels wide, so every row carries one padding byte.
    TestWindow window({200, 150, 281, 190}, [](HDC dc, const RECT& r) {
        snapshottest::fillWith(RGB(255, 255, 255))(dc, r);
        SetPixel(dc, 0, 0, RGB(255, 0, 0));
    });
    ASSERT_TRUE(window.ready());
    std::vector<uint8_t> file = captureWindowBitmap(window.get(), 0, 0);
    expectHeaders(file, 81, 40, "red top-left pixel");
    if (HasFatalFailure())
        return;
    BmpView view(file);
    const uint8_t* last = view.fileRow(39);
    EXPECT_EQ(0x00, last[0]);
    EXPECT_EQ(0x00, last[1]);
    EXPECT_EQ(0xFF, last[2]);
    for (int32_t row = 0; row < 40; ++row)
        for (int32_t i = row == 39 ? 3 : 0; i < 243; ++i)
            ASSERT_EQ(0xFF, view.fileRow(row)[i]) << "file row " << row << ", byte " << i;
}

TEST(CaptureWindowBitmap, WholeWindowRectangleBorderIncluded) {
    TestWindow window({200, 150, 260, 190}, snapshottest::fillWith(RGB(255, 255, 255)), WS_BORDER);
    ASSERT_TRUE(window.ready());
    RECT client;
    GetClientRect(window.get(), &client);
    ASSERT_LT(client.right, 60) << "the border takes part of the window";
    std::vector<uint8_t> file = captureWindowBitmap(window.get(), 0, 0);
    expectHeaders(file, 60, 40, "bordered window");
    if (HasFatalFailure())
        return;
    BmpView view(file);
    // The one-pixel frame all round, the white client inside it.
    for (auto [x, y] : {std::pair{0, 0}, {59, 0}, {0, 39}, {59, 39}, {30, 0}, {0, 20}, {59, 20}, {30, 39}}) {
        Bgr p = view.pixel(x, y);
        EXPECT_FALSE(closeTo(p, RGB(255, 255, 255), 32)) << "frame pixel " << x << "," << y << " is " << describe(p);
    }
    for (auto [x, y] : {std::pair{1, 1}, {58, 1}, {1, 38}, {58, 38}, {30, 20}}) {
        Bgr p = view.pixel(x, y);
        EXPECT_TRUE(closeTo(p, RGB(255, 255, 255), 0)) << "client pixel " << x << "," << y << " is " << describe(p);
    }
}

TEST(CaptureWindowBitmap, DestroyedWindowGivesNothing) {
    TestWindow window({100, 100, 180, 180}, snapshottest::fillWith(RGB(255, 255, 255)));
    ASSERT_TRUE(window.ready());
    HWND handle = window.get();
    ASSERT_FALSE(captureWindowBitmap(handle, 0, 0).empty());
    window.destroy();
    ASSERT_FALSE(IsWindow(handle));
    EXPECT_TRUE(captureWindowBitmap(handle, 0, 0).empty()) << "unscaled";
    EXPECT_TRUE(captureWindowBitmap(handle, 16, 16).empty()) << "scaled";
}

TEST(CaptureWindowBitmap, NullWindowIsTheScreen) {
    int32_t screenWidth = GetSystemMetrics(SM_CXSCREEN), screenHeight = GetSystemMetrics(SM_CYSCREEN);
    EXPECT_EQ(1024, screenWidth) << "the test display";
    EXPECT_EQ(768, screenHeight) << "the test display";
    // A marker window shows that the picture is the screen's.
    TestWindow marker({300, 200, 340, 240}, snapshottest::fillWith(RGB(0, 128, 255)));
    ASSERT_TRUE(marker.ready());

    std::vector<uint8_t> file = captureWindowBitmap(nullptr, 0, 0);
    expectHeaders(file, screenWidth, screenHeight, "whole screen");
    if (!HasFatalFailure()) {
        Bgr p = BmpView(file).pixel(320, 220);
        EXPECT_TRUE(closeTo(p, RGB(0, 128, 255), 0)) << "marker pixel is " << describe(p);
    }
    expectHeaders(captureWindowBitmap(nullptr, -50, -50), screenWidth / 2, screenHeight / 2, "half the screen");
    expectHeaders(captureWindowBitmap(nullptr, 64, 0), 64, screenHeight, "64 pixels wide");
}

namespace {

struct ThreadCaptures {
    HWND window;
    std::vector<uint8_t> expected;
    volatile LONG wrong = 0;
};

DWORD WINAPI captureOnThread(void* parameter) {
    // The thread shares ownership, so a test that gave up waiting leaves it nothing dangling.
    auto* owner = static_cast<std::shared_ptr<ThreadCaptures>*>(parameter);
    std::shared_ptr<ThreadCaptures> shared = *owner;
    delete owner;
    for (int i = 0; i < 100; ++i)
        if (captureWindowBitmap(shared->window, 0, 0) != shared->expected)
            InterlockedIncrement(&shared->wrong);
    return 0;
}

}  // namespace

TEST(CaptureWindowBitmap, WorkerThreadsCaptureTheSameWindowAtOnce) {
    TestWindow window({100, 100, 180, 180}, paintQuadrants);
    ASSERT_TRUE(window.ready());
    auto shared = std::make_shared<ThreadCaptures>();
    shared->window = window.get();
    shared->expected = captureWindowBitmap(window.get(), 0, 0);
    ASSERT_EQ(19254u, shared->expected.size());

    std::vector<forms::UniqueHandle> threads;
    std::vector<HANDLE> handles;
    for (int i = 0; i < 4; ++i) {
        auto* parameter = new std::shared_ptr<ThreadCaptures>(shared);
        forms::UniqueHandle thread(CreateThread(nullptr, 0, captureOnThread, parameter, 0, nullptr));
        if (!thread) {
            delete parameter;
            FAIL() << "CreateThread failed: " << GetLastError();
        }
        handles.push_back(thread.get());
        threads.push_back(std::move(thread));
    }
    // The window's own thread keeps pumping while the workers capture it.
    ASSERT_TRUE(testutil::pumpUntil(
        [&] {
            return WaitForMultipleObjects(static_cast<DWORD>(handles.size()), handles.data(), TRUE, 0) == WAIT_OBJECT_0;
        },
        30000));
    EXPECT_EQ(0, shared->wrong) << "captures on worker threads that differ from the one on the window's thread";
}
