// The render window: an 80 x 80 borderless square whose edit box shows one
// character, black on white, centred; the user cannot close it.
#include "app/RenderWindow.h"
#include "forms/EditBox.h"
#include "forms/Form.h"
#include "forms/Window.h"

#include "TestUtil.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// The pixels a window shows on the screen, top-down, 0x00RRGGBB.
std::vector<DWORD> capturePixels(HWND window, int* width, int* height) {
    RECT r;
    GetWindowRect(window, &r);
    *width = r.right - r.left;
    *height = r.bottom - r.top;
    HDC source = GetWindowDC(window);
    HDC memory = CreateCompatibleDC(source);
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), *width, -*height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(memory, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, dib);
    BitBlt(memory, 0, 0, *width, *height, source, 0, 0, SRCCOPY);
    GdiFlush();
    std::vector<DWORD> pixels(static_cast<const DWORD*>(bits), static_cast<const DWORD*>(bits) + *width * *height);
    SelectObject(memory, old);
    DeleteObject(dib);
    DeleteDC(memory);
    ReleaseDC(window, source);
    for (auto& p : pixels)
        p &= 0xFFFFFF;
    return pixels;
}

struct RenderWindowTest : testing::Test {
    void SetUp() override {
        window = app::RenderWindow::load();
        ASSERT_NE(nullptr, window);
        handle = window->handle();
        edit = window->编辑框_截图;
        testutil::pumpFor(100);
    }
    void TearDown() override {
        app::RenderWindow::requestDestroy(handle);
        EXPECT_TRUE(testutil::pumpUntil([&] { return !IsWindow(handle); }, 2000));
        MSG msg;
        PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);  // the last form posted it
    }
    app::RenderWindow* window = nullptr;
    HWND handle = nullptr;
    HWND edit = nullptr;
};

TEST_F(RenderWindowTest, IsABorderlessSquareCentredOnTheScreen) {
    RECT r;
    GetWindowRect(handle, &r);
    EXPECT_EQ(80, r.right - r.left);
    EXPECT_EQ(80, r.bottom - r.top);
    EXPECT_EQ((GetSystemMetrics(SM_CXSCREEN) - 80) / 2, r.left);
    EXPECT_EQ((GetSystemMetrics(SM_CYSCREEN) - 80) / 2, r.top);
    LONG style = GetWindowLongA(handle, GWL_STYLE);
    EXPECT_EQ(0, style & (WS_CAPTION | WS_BORDER | WS_THICKFRAME | WS_DLGFRAME));
    EXPECT_FALSE(GetWindowLongA(handle, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ("", forms::windowGetText(handle));

    RECT er;
    GetWindowRect(edit, &er);
    EXPECT_EQ(r.left, er.left);
    EXPECT_EQ(r.top, er.top);
    EXPECT_EQ(80, er.right - er.left);
    EXPECT_EQ(80, er.bottom - er.top);
    EXPECT_EQ("啊", forms::windowGetText(edit));
    LONG es = GetWindowLongA(edit, GWL_STYLE);
    EXPECT_TRUE(es & ES_CENTER);
    EXPECT_TRUE(es & ES_READONLY);
    EXPECT_FALSE(es & (WS_TABSTOP | WS_BORDER | ES_MULTILINE));

    LOGFONTA lf{};
    GetObjectA(reinterpret_cast<HGDIOBJ>(SendMessageA(edit, WM_GETFONT, 0, 0)), sizeof lf, &lf);
    EXPECT_EQ(-48, lf.lfHeight);
    EXPECT_EQ(700, lf.lfWeight);
    EXPECT_EQ(PROOF_QUALITY, lf.lfQuality);
    EXPECT_STREQ("微软雅黑", lf.lfFaceName);
}

TEST_F(RenderWindowTest, ShowsTheCharacterBlackOnWhiteCentred) {
    forms::windowSetText(edit, "字");
    UpdateWindow(edit);
    testutil::pumpFor(50);
    int w = 0, h = 0;
    std::vector<DWORD> pixels = capturePixels(edit, &w, &h);
    ASSERT_EQ(80, w);
    ASSERT_EQ(80, h);
    // The line band: the client area, one text line high, centred vertically.
    RECT client, outer;
    GetClientRect(edit, &client);
    MapWindowPoints(edit, nullptr, reinterpret_cast<POINT*>(&client), 2);
    GetWindowRect(edit, &outer);
    int bandTop = client.top - outer.top, bandBottom = client.bottom - outer.top;
    int cy = forms::controlTextHeight(edit, "W");
    EXPECT_EQ(cy, bandBottom - bandTop);
    EXPECT_EQ((80 - cy) / 2, bandTop);

    int inkLeft = w, inkRight = -1, dark = 0, white = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            DWORD p = pixels[y * w + x];
            int luminance = ((p >> 16) & 0xFF) + ((p >> 8) & 0xFF) + (p & 0xFF);
            if (p == 0xFFFFFF)
                ++white;
            if (luminance < 3 * 128) {
                ++dark;
                EXPECT_TRUE(y >= bandTop && y < bandBottom) << "ink outside the line band at " << x << "," << y;
                inkLeft = std::min(inkLeft, x);
                inkRight = std::max(inkRight, x);
            }
            // Black on white: every pixel is a grey (anti-aliasing), none coloured.
            EXPECT_TRUE(((p >> 16) & 0xFF) == (p & 0xFF) && ((p >> 8) & 0xFF) == (p & 0xFF))
                << "colour " << std::hex << p << " at " << std::dec << x << "," << y;
        }
    EXPECT_GT(dark, 200) << "no glyph drawn";
    EXPECT_GT(white, 80 * 80 / 2) << "background is not white";
    EXPECT_EQ(0xFFFFFFu, pixels[0]);
    EXPECT_EQ(0xFFFFFFu, pixels[80 * 80 - 1]);
    EXPECT_NEAR(80 - 1 - inkRight, inkLeft, 2) << "ink spans " << inkLeft << ".." << inkRight;
}

TEST_F(RenderWindowTest, CannotBeClosedByTheUser) {
    PostMessageA(handle, WM_CLOSE, 0, 0);
    PostMessageA(edit, WM_KEYDOWN, VK_ESCAPE, 1);
    PostMessageA(handle, WM_SYSCOMMAND, SC_CLOSE, 0);
    testutil::pumpFor(100);
    EXPECT_TRUE(IsWindow(handle));
    // A click does not activate it: the edit box never shows a caret.
    EXPECT_EQ(MA_NOACTIVATE, SendMessageA(handle, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(handle),
                                          MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN)));
}

}  // namespace
