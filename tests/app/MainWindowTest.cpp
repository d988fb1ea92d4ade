// The main window as the user sees it: sizes, styles, texts and tab stops of
// the window and every control, the list's columns, the size-box filter and Esc.
#include "app/MainWindow.h"
#include "forms/EditBox.h"
#include "forms/ListView.h"
#include "forms/MessageLoop.h"
#include "forms/Window.h"
#include "support/PumpingWait.h"

#include "TestUtil.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

struct MainWindowTest : testing::Test {
    void SetUp() override {
        window = std::make_unique<app::MainWindow>();
        ASSERT_TRUE(window->load({}));
        testutil::pumpFor(50);
    }
    void TearDown() override {
        window.reset();
        MSG msg;  // the last form gone posts a quit
        while (PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
    }
    std::unique_ptr<app::MainWindow> window;
};

std::string className(HWND h) {
    char name[64] = {};
    GetClassNameA(h, name, sizeof name);
    return name;
}

RECT rectInParent(HWND control) {
    RECT r;
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

TEST_F(MainWindowTest, WindowIsCentredFixedAndMinimizable) {
    HWND h = window->handle();
    char caption[32] = {};
    GetWindowTextA(h, caption, sizeof caption);
    EXPECT_STREQ("Pixnadel", caption);
    RECT r;
    GetWindowRect(h, &r);
    EXPECT_EQ(245, r.right - r.left);
    EXPECT_EQ(360, r.bottom - r.top);
    EXPECT_EQ((GetSystemMetrics(SM_CXSCREEN) - 245) / 2, r.left);
    EXPECT_EQ((GetSystemMetrics(SM_CYSCREEN) - 360) / 2, r.top);
    LONG style = GetWindowLongA(h, GWL_STYLE);
    EXPECT_TRUE(style & WS_CAPTION);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_FALSE(style & WS_THICKFRAME);
    EXPECT_FALSE(GetWindowLongA(h, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_TRUE(SendMessageA(h, WM_GETICON, ICON_BIG, 0));
    EXPECT_TRUE(SendMessageA(h, WM_GETICON, ICON_SMALL, 0));
    EXPECT_TRUE(IsWindowVisible(h));
}

TEST_F(MainWindowTest, ControlsHaveTheirClassPlaceSizeTextAndTabStop) {
    struct Case {
        const char* name;
        HWND control;
        const char* cls;
        int left, top, width, height;
        const char* text;
        bool tabStop;
        DWORD styleSet;    // bits that must be set
        DWORD styleClear;  // bits that must be clear
    } cases[] = {
        {"分组框1", window->分组框1, "Button", 0, 0, 240, 336, "", false, BS_GROUPBOX | BS_LEFT, 0},
        {"超级列表框1", window->超级列表框1, "SysListView32", 8, 16, 224, 232, "", true,
         LVS_REPORT | LVS_SINGLESEL | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_BORDER,
         LVS_NOSORTHEADER | LVS_SORTASCENDING | LVS_SORTDESCENDING | LVS_SHOWSELALWAYS | LVS_EDITLABELS},
        {"透明标签_路径", window->透明标签_路径, "PixnadelTransparentLabel", 8, 256, 56, 32, "保存路径：", false, 0, 0},
        {"编辑框_路径", window->编辑框_路径, "Edit", 64, 258, 132, 22, "", true,
         ES_READONLY | ES_AUTOHSCROLL | WS_CLIPSIBLINGS,
         ES_MULTILINE | ES_NOHIDESEL | ES_PASSWORD | ES_UPPERCASE | ES_LOWERCASE | ES_CENTER | ES_RIGHT},
        {"按钮_路径", window->按钮_路径, "Button", 200, 256, 32, 24, "...", true,
         BS_CENTER | BS_VCENTER | BS_MULTILINE, BS_DEFPUSHBUTTON},
        {"透明标签_高度", window->透明标签_高度, "PixnadelTransparentLabel", 8, 296, 40, 32, "高度：", false, 0, 0},
        {"编辑框_高度", window->编辑框_高度, "Edit", 43, 298, 37, 25, "", true,
         ES_AUTOHSCROLL | WS_CLIPSIBLINGS, ES_READONLY | ES_MULTILINE | ES_NUMBER | ES_NOHIDESEL},
        {"透明标签_宽度", window->透明标签_宽度, "PixnadelTransparentLabel", 88, 296, 40, 32, "宽度：", false, 0, 0},
        {"编辑框_宽度", window->编辑框_宽度, "Edit", 123, 298, 37, 25, "", true,
         ES_AUTOHSCROLL | WS_CLIPSIBLINGS, ES_READONLY | ES_MULTILINE | ES_NUMBER | ES_NOHIDESEL},
        {"按钮_执行", window->按钮_执行, "Button", 168, 294, 64, 29, "开始执行", true,
         BS_CENTER | BS_VCENTER | BS_MULTILINE, BS_DEFPUSHBUTTON},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(IsWindow(c.control));
        EXPECT_EQ(window->handle(), GetParent(c.control));
        EXPECT_STRCASEEQ(c.cls, className(c.control).c_str());
        RECT r = rectInParent(c.control);
        EXPECT_EQ(c.left, r.left);
        EXPECT_EQ(c.top, r.top);
        EXPECT_EQ(c.width, r.right - r.left);
        EXPECT_EQ(c.height, r.bottom - r.top);
        EXPECT_EQ(c.text, forms::windowGetText(c.control));
        DWORD style = GetWindowLongA(c.control, GWL_STYLE);
        EXPECT_EQ(c.tabStop, (style & WS_TABSTOP) != 0);
        EXPECT_EQ(c.styleSet, style & c.styleSet);
        EXPECT_EQ(0u, style & c.styleClear);
        EXPECT_TRUE(IsWindowVisible(c.control));
        EXPECT_TRUE(IsWindowEnabled(c.control));
        if (className(c.control) == "Edit") {
            // A one-pixel frame outside the client area, with no 3-D edge.
            RECT client;
            GetClientRect(c.control, &client);
            EXPECT_EQ(c.width - 2 * GetSystemMetrics(SM_CXBORDER), client.right);
            EXPECT_EQ(0u, GetWindowLongA(c.control, GWL_EXSTYLE) & (WS_EX_CLIENTEDGE | WS_EX_STATICEDGE));
        }
        if (className(c.control) != "PixnadelTransparentLabel")
            EXPECT_EQ(GetStockObject(DEFAULT_GUI_FONT), reinterpret_cast<HGDIOBJ>(SendMessageA(c.control, WM_GETFONT, 0, 0)));
        else
            EXPECT_TRUE(GetWindowLongA(c.control, GWL_EXSTYLE) & WS_EX_TRANSPARENT);
    }
    // Push buttons are plain push buttons, never the default button.
    EXPECT_EQ(BS_PUSHBUTTON, GetWindowLongA(window->按钮_执行, GWL_STYLE) & BS_TYPEMASK);
    EXPECT_EQ(BS_PUSHBUTTON, GetWindowLongA(window->按钮_路径, GWL_STYLE) & BS_TYPEMASK);
    // The edit boxes take any length.
    for (HWND edit : {window->编辑框_路径, window->编辑框_高度, window->编辑框_宽度})
        EXPECT_GE(SendMessageA(edit, EM_GETLIMITTEXT, 0, 0), 0x7FFFFFFE);
}

TEST_F(MainWindowTest, ListHasThreeColumnsItsStylesAndColours) {
    HWND list = window->超级列表框1;
    struct Column {
        const char* title;
        int width;
        int format;
    } columns[] = {{"序号", 50, LVCFMT_LEFT}, {"字符", 80, LVCFMT_CENTER}, {"状态", 80, LVCFMT_CENTER}};
    HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
    EXPECT_EQ(3, SendMessageA(header, HDM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < 3; ++i) {
        char title[32] = {};
        LVCOLUMNA c{};
        c.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
        c.pszText = title;
        c.cchTextMax = sizeof title;
        ASSERT_TRUE(SendMessageA(list, LVM_GETCOLUMNA, i, reinterpret_cast<LPARAM>(&c))) << i;
        EXPECT_STREQ(columns[i].title, title) << i;
        EXPECT_EQ(columns[i].width, c.cx) << i;
        EXPECT_EQ(columns[i].format, c.fmt & LVCFMT_JUSTIFYMASK) << i;
        EXPECT_EQ(i, c.iSubItem) << i;
    }
    DWORD ex = SendMessageA(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0);
    DWORD wanted = LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES | LVS_EX_SUBITEMIMAGES | LVS_EX_INFOTIP;
    EXPECT_EQ(wanted, ex & wanted);
    EXPECT_EQ(0u, ex & (LVS_EX_CHECKBOXES | LVS_EX_TRACKSELECT | LVS_EX_FLATSB | LVS_EX_HEADERDRAGDROP));
    EXPECT_EQ(RGB(0, 0, 0), static_cast<COLORREF>(SendMessageA(list, LVM_GETTEXTCOLOR, 0, 0)));
    EXPECT_EQ(RGB(255, 255, 255), static_cast<COLORREF>(SendMessageA(list, LVM_GETTEXTBKCOLOR, 0, 0)));
    EXPECT_EQ(RGB(255, 255, 255), static_cast<COLORREF>(SendMessageA(list, LVM_GETBKCOLOR, 0, 0)));
    EXPECT_EQ(0, forms::listRowCount(list));
    EXPECT_EQ(0, SendMessageA(list, LVM_GETIMAGELIST, LVSIL_SMALL, 0));
}

TEST_F(MainWindowTest, SizeBoxesTakeDigitsAndMinusOnlyWhenTyped) {
    for (HWND box : {window->编辑框_高度, window->编辑框_宽度}) {
        for (char c : std::string("a1Z6 -x."))
            SendMessageA(box, WM_CHAR, static_cast<unsigned char>(c), 0);
        EXPECT_EQ("16-", forms::windowGetText(box));
        SendMessageA(box, WM_CHAR, VK_BACK, 0);  // control characters pass
        EXPECT_EQ("16", forms::windowGetText(box));
        // Pasted text is not filtered.
        ASSERT_TRUE(OpenClipboard(window->handle()));
        EmptyClipboard();
        HGLOBAL text = GlobalAlloc(GMEM_MOVEABLE, 8);
        lstrcpyA(static_cast<char*>(GlobalLock(text)), "ab 3");
        GlobalUnlock(text);
        SetClipboardData(CF_TEXT, text);
        CloseClipboard();
        SendMessageA(box, WM_PASTE, 0, 0);
        EXPECT_EQ("16ab 3", forms::windowGetText(box));
    }
}

TEST_F(MainWindowTest, PathBoxIsReadOnly) {
    HWND box = window->编辑框_路径;
    forms::windowSetText(box, "C:\\out\\");
    SendMessageA(box, WM_CHAR, 'x', 0);
    SendMessageA(box, WM_PASTE, 0, 0);
    SendMessageA(box, WM_CUT, 0, 0);
    EXPECT_EQ("C:\\out\\", forms::windowGetText(box));
}

TEST_F(MainWindowTest, EscapeClosesTheWindow) {
    HWND h = window->handle();
    SetFocus(window->超级列表框1);
    PostMessageA(window->超级列表框1, WM_KEYDOWN, VK_ESCAPE, 1);
    EXPECT_TRUE(testutil::pumpUntil([&] { return !IsWindow(h); }, 2000));
    EXPECT_EQ(nullptr, window->handle());
    // The last form gone: the message loop is told to end.
    MSG msg;
    EXPECT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

TEST_F(MainWindowTest, EditBoxesCentreTheirTextLine) {
    for (HWND box : {window->编辑框_路径, window->编辑框_高度, window->编辑框_宽度}) {
        RECT window_, client;
        GetWindowRect(box, &window_);
        GetClientRect(box, &client);
        MapWindowPoints(box, nullptr, reinterpret_cast<POINT*>(&client), 2);
        int cy = forms::controlTextHeight(box, "W");
        EXPECT_EQ(cy, client.bottom - client.top);
        int border = GetSystemMetrics(SM_CYBORDER);
        int inner = (window_.bottom - window_.top) - 2 * border;
        EXPECT_EQ(window_.top + border + (inner - cy) / 2, client.top);
        EXPECT_EQ(window_.left + GetSystemMetrics(SM_CXBORDER), client.left);
        // Painted: the frame line outside, white between the frame and the text line.
        RedrawWindow(box, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        HDC dc = GetWindowDC(box);
        EXPECT_EQ(GetSysColor(COLOR_WINDOWFRAME), GetPixel(dc, 0, 0));
        EXPECT_EQ(GetSysColor(COLOR_WINDOWFRAME), GetPixel(dc, window_.right - window_.left - 1, 5));
        EXPECT_EQ(RGB(255, 255, 255), GetPixel(dc, 1, 1));
        EXPECT_EQ(RGB(255, 255, 255), GetPixel(dc, 3, window_.bottom - window_.top - 2));
        ReleaseDC(box, dc);
    }
}

}  // namespace
