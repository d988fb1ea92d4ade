#include "TestWindow.h"

#include "forms/Handles.h"
#include "TestUtil.h"

namespace snapshottest {

namespace {

const char kClassName[] = "PixnadelSnapshotTestWindow";

void registerClassOnce(WNDPROC proc) {
    static bool registered = [proc] {
        WNDCLASSA wc{};
        wc.lpfnWndProc = proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
        wc.lpszClassName = kClassName;
        return RegisterClassA(&wc) != 0;
    }();
    (void)registered;
}

}  // namespace

TestWindow::TestWindow(RECT bounds, Painter painter, DWORD extraStyle) : painter_(std::move(painter)) {
    registerClassOnce(windowProc);
    window_ = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, kClassName, "",
                              WS_POPUP | WS_CLIPCHILDREN | extraStyle, bounds.left, bounds.top, bounds.right - bounds.left,
                              bounds.bottom - bounds.top, nullptr, nullptr, GetModuleHandleA(nullptr), this);
    if (!window_)
        return;
    ShowWindow(window_, SW_SHOWNOACTIVATE);
    ready_ = repaint();
}

TestWindow::~TestWindow() { destroy(); }

bool TestWindow::repaint() {
    painted_ = false;
    RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    bool painted = testutil::pumpUntil([this] { return painted_; }, 3000);
    testutil::pumpFor(50);  // let the display catch up with the paint
    return painted;
}

void TestWindow::destroy() {
    if (window_) {
        DestroyWindow(window_);
        window_ = nullptr;
        testutil::pumpFor(20);
    }
}

LRESULT CALLBACK TestWindow::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE)
        SetWindowLongPtrA(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams));
    auto* self = reinterpret_cast<TestWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    switch (message) {
    case WM_ERASEBKGND:
        return 1;  // the painter covers everything
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        RECT client;
        GetClientRect(window, &client);
        if (self && self->painter_)
            self->painter_(dc, client);
        EndPaint(window, &ps);
        if (self)
            self->painted_ = true;
        return 0;
    }
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC: {
        HDC dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, RGB(0, 0, 0));
        SetBkColor(dc, RGB(255, 255, 255));
        return reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
    }
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
    case WM_NCDESTROY:
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

TestWindow::Painter fillWith(COLORREF colour) {
    return [colour](HDC dc, const RECT& rect) {
        forms::GdiBrush brush(CreateSolidBrush(colour));
        FillRect(dc, &rect, brush.get());
    };
}

}  // namespace snapshottest
